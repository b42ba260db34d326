// Members that stage pixel blocks, run-length blocks, matrices, vertices and
// number arrays, by the simulator's call log and heap: what was staged, in
// which order it was released, what the card was sent, and what came back
// into the caller's arrays. Caller arrays sit between guard words; what
// came back must be exactly what the card's memory held after the call.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "DciFixture.h"
#include "ScopedTimeScale.h"
#include "gensim/IsaCard.h"
#include "gensim/PciCard.h"

namespace {

using dcitest::DciBoundCardTest;
using dcitest::kIsa;
using dcitest::kPci;

constexpr uint8_t kGuard = 0xEE;
constexpr Fix kOne = 0x10000;

uint32_t Word(double arg)
{
    return static_cast<uint32_t>(static_cast<int64_t>(arg));
}

template <typename T>
std::string BytesOf(const T* values, std::size_t count)
{
    return std::string(reinterpret_cast<const char*>(values), count * sizeof(T));
}

// A caller's array with guard bytes on either side.
struct Guarded {
    explicit Guarded(std::size_t bytes, uint8_t fill = 0x5A) : raw(bytes + 2 * kPad, kGuard)
    {
        std::memset(data(), fill, bytes);
    }
    uint8_t* data() { return raw.data() + kPad; }
    std::size_t size() const { return raw.size() - 2 * kPad; }
    std::string bytes() const { return std::string(raw.begin() + kPad, raw.end() - kPad); }
    bool guardsKept() const
    {
        for (std::size_t i = 0; i < kPad; ++i)
            if (raw[i] != kGuard || raw[raw.size() - 1 - i] != kGuard)
                return false;
        return true;
    }
    static constexpr std::size_t kPad = 16;
    std::vector<uint8_t> raw;
};

class DciBlocks : public DciBoundCardTest {
protected:
    std::vector<double> Allocations()
    {
        std::vector<double> sizes;
        for (const gensim::DciCall& call : Dci().log())
            if (call.name == "Allocate")
                sizes.push_back(call.args.at(0));
        return sizes;
    }
    std::vector<uint32_t> Addresses()
    {
        std::vector<uint32_t> addresses;
        for (const gensim::DciCall& call : Dci().log())
            if (call.name == "Allocate")
                addresses.push_back(call.result);
        return addresses;
    }
    std::vector<uint32_t> Releases()
    {
        std::vector<uint32_t> addresses;
        for (const gensim::DciCall& call : Dci().log())
            if (call.name == "Release")
                addresses.push_back(Word(call.args.at(0)));
        return addresses;
    }
    // The one call that is not staging.
    gensim::DciCall TheCall()
    {
        for (const gensim::DciCall& call : Dci().log())
            if (call.name != "Allocate" && call.name != "Release")
                return call;
        ADD_FAILURE() << "no call";
        return {};
    }
    // Card memory at a staged address (ISA: a bit address), as the card
    // holds it now.
    std::string HeapBytes(uint32_t address, std::size_t bytes)
    {
        std::string out;
        if (Isa()) {
            gensim::IsaCard* card = sim.driverEndpoint()->isaCard(0);
            for (std::size_t i = 0; i < (bytes + 1) / 2; ++i) {
                const uint16_t w = card->word(address + 16 * static_cast<uint32_t>(i));
                out += static_cast<char>(w & 0xFF);
                out += static_cast<char>(w >> 8);
            }
        } else {
            gensim::PciCard* card = sim.driverEndpoint()->pciCard(0);
            for (std::size_t i = 0; i < (bytes + 3) / 4; ++i) {
                const uint32_t w = card->word(address + 4 * static_cast<uint32_t>(i));
                for (int b = 0; b < 4; ++b)
                    out += static_cast<char>(w >> (8 * b) & 0xFF);
            }
        }
        out.resize(bytes);
        return out;
    }
    // Fills card memory at a staged address with a pattern of its own.
    void SeedHeap(uint32_t address, std::size_t bytes)
    {
        if (Isa()) {
            gensim::IsaCard* card = sim.driverEndpoint()->isaCard(0);
            for (std::size_t i = 0; i < (bytes + 1) / 2; ++i)
                card->setWord(address + 16 * static_cast<uint32_t>(i), static_cast<uint16_t>(0x3100 + 0x0203 * i));
        } else {
            gensim::PciCard* card = sim.driverEndpoint()->pciCard(0);
            for (std::size_t i = 0; i < (bytes + 3) / 4; ++i)
                card->setWord(address + 4 * static_cast<uint32_t>(i), static_cast<uint32_t>(0x71625344 + 0x01010101 * i));
        }
    }
    // The addresses an export's stagings get: it is run once and forgotten
    // (the heap hands the same blocks out again).
    std::vector<uint32_t> DryRun(const std::function<void()>& call)
    {
        call();
        std::vector<uint32_t> addresses = Addresses();
        Dci().clearLog();
        return addresses;
    }
    void ExpectNothingLeft()
    {
        EXPECT_TRUE(Dci().liveBlocks().empty());
        EXPECT_TRUE(Dci().badFrees().empty());
    }
};

FixMatrix Identity()
{
    FixMatrix m{};
    for (int i = 0; i < 4; ++i)
        m.m[5 * i] = kOne;
    return m;
}

// --- Matrices and vertices ---------------------------------------------------------------

struct MatrixCase {
    const char* name;
    std::function<int32_t(FixMatrix*, Vertex*)> call;
    Vertex vertex;  // one the member leaves as it is with the identity
};

// Matrix first, vertex second, both released in that order; the call gets
// the vertex's staging first on ISA and the matrix's at +16 on PCI (both
// logged in parameter order); what comes back is what the card holds.
TEST_P(DciBlocks, AMatrixAndAVertexAreStagedCalledWithAndCopiedBack)
{
    const MatrixCase cases[] = {
        {"XR_Rotate", XR_Rotate, {0, 0, 0}},
        {"XR_Translate", XR_Translate, {0, 0, 0}},
        {"XR_Scale", XR_Scale, {kOne, kOne, kOne}},
    };
    for (const MatrixCase& c : cases) {
        Dci().clearLog();
        FixMatrix matrix = Identity();
        Vertex vertex = c.vertex;
        EXPECT_EQ(c.call(&matrix, &vertex), Isa() ? 0 : 1) << c.name;
        ASSERT_EQ(Names(), (std::vector<std::string>{"Allocate", "Allocate", c.name, "Release", "Release"})) << c.name;
        EXPECT_EQ(Allocations(), (std::vector<double>{64, 12})) << c.name;
        const std::vector<uint32_t> at = Addresses();
        EXPECT_EQ(Releases(), at) << c.name;
        const gensim::DciCall call = TheCall();
        ASSERT_EQ(call.args.size(), 2u) << c.name;
        EXPECT_EQ(Word(call.args[0]), at[0]) << c.name;
        EXPECT_EQ(Word(call.args[1]), at[1]) << c.name;
        const FixMatrix identity = Identity();
        EXPECT_EQ(call.staged, (std::vector<std::string>{BytesOf(identity.m, 16), BytesOf(&c.vertex, 1)})) << c.name;
        EXPECT_EQ(BytesOf(matrix.m, 16), HeapBytes(at[0], 64)) << c.name;
        EXPECT_EQ(BytesOf(&vertex, 1), HeapBytes(at[1], 12)) << c.name;
        ExpectNothingLeft();
    }
}

TEST_P(DciBlocks, TransformSendsTheCountBetweenMatrixAndVertices)
{
    Vertex vertices[4] = {{kGuard, kGuard, kGuard}, {0x1234, -0x0567, 0x7ABC}, {-0x7FFF, 0x10, 0}, {kGuard, kGuard, kGuard}};
    const std::string given = BytesOf(vertices + 1, 2);
    FixMatrix matrix = Identity();
    XR_Transform(&matrix, 2, vertices + 1);
    ASSERT_EQ(Names(), (std::vector<std::string>{"Allocate", "Allocate", "XR_Transform", "Release", "Release"}));
    EXPECT_EQ(Allocations(), (std::vector<double>{64, 24}));
    const std::vector<uint32_t> at = Addresses();
    const gensim::DciCall call = TheCall();
    ASSERT_EQ(call.args.size(), 3u);
    EXPECT_EQ(Word(call.args[0]), at[0]);
    EXPECT_EQ(call.args[1], 2);
    EXPECT_EQ(Word(call.args[2]), at[1]);
    EXPECT_EQ(call.staged.at(1), given);
    EXPECT_EQ(BytesOf(vertices + 1, 2), HeapBytes(at[1], 24));
    EXPECT_EQ(BytesOf(matrix.m, 16), HeapBytes(at[0], 64));
    EXPECT_EQ(vertices[0].x, kGuard);
    EXPECT_EQ(vertices[3].z, kGuard);
    ExpectNothingLeft();
}

// Points are staged first and released last; the card's points come back
// (here a pattern the test put where they are staged), nothing more.
TEST_P(DciBlocks, VerticesGoInAndPointsComeBack)
{
    struct Case {
        const char* name;
        std::function<int32_t(int32_t, const Vertex*, Point*)> call;
        std::vector<double> extra;
    };
    const Case cases[] = {
        {"XR_VertexToPoint", XR_VertexToPoint, {}},
        {"XR_Perspec", [](int32_t n, const Vertex* v, Point* p) { return XR_Perspec(n, v, p, -3, 40000, 7); },
         {-3, 40000, 7}},
    };
    const Vertex vertices[3] = {{kOne, 2 * kOne, -3 * kOne}, {0x18000, -0x8000, 0x7FFF0000}, {1, -1, 0}};
    for (const Case& c : cases) {
        Guarded scratch(12);
        const std::vector<uint32_t> at = DryRun([&] { c.call(3, vertices, reinterpret_cast<Point*>(scratch.data())); });
        ASSERT_EQ(at.size(), 2u) << c.name;
        SeedHeap(at[0], 12);
        Guarded points(12);
        EXPECT_EQ(c.call(3, vertices, reinterpret_cast<Point*>(points.data())), Isa() ? 0 : 1) << c.name;
        ASSERT_EQ(Names(), (std::vector<std::string>{"Allocate", "Allocate", c.name, "Release", "Release"})) << c.name;
        EXPECT_EQ(Allocations(), (std::vector<double>{12, 36})) << c.name;
        EXPECT_EQ(Releases(), (std::vector<uint32_t>{at[1], at[0]})) << c.name;
        const gensim::DciCall call = TheCall();
        std::vector<double> expected{3, static_cast<double>(at[1]), static_cast<double>(at[0])};
        for (double e : c.extra)
            expected.push_back(Isa() && e > 32767 ? e - 65536 : e);
        ASSERT_EQ(call.args.size(), expected.size()) << c.name;
        for (std::size_t i = 0; i < expected.size(); ++i)
            EXPECT_EQ(i == 1 || i == 2 ? static_cast<double>(Word(call.args[i])) : call.args[i], expected[i])
                << c.name << " argument " << i;
        EXPECT_EQ(call.staged.at(0), BytesOf(vertices, 3)) << c.name;
        EXPECT_EQ(points.bytes(), HeapBytes(at[0], 12)) << c.name;
        EXPECT_NE(points.bytes(), std::string(12, 0x5A)) << c.name;
        EXPECT_TRUE(points.guardsKept()) << c.name;
        Dci().clearLog();
        ExpectNothingLeft();
    }
}

// --- Conversions -------------------------------------------------------------------------

struct Conversion {
    const char* name;
    std::function<void*(int32_t, const void*, void*)> call;
    int inBytes;
    int outBytes;
};

const Conversion kConversions[] = {
    {"XR_Int32ToFix", [](int32_t n, const void* in, void* out) -> void* {
         return XR_Int32ToFix(n, static_cast<const int32_t*>(in), static_cast<Fix*>(out)); }, 4, 4},
    {"XR_FixToInt32", [](int32_t n, const void* in, void* out) -> void* {
         return XR_FixToInt32(n, static_cast<const Fix*>(in), static_cast<int32_t*>(out)); }, 4, 4},
    {"XR_Int16ToFix", [](int32_t n, const void* in, void* out) -> void* {
         return XR_Int16ToFix(n, static_cast<const int16_t*>(in), static_cast<Fix*>(out)); }, 2, 4},
    {"XR_FixToInt16", [](int32_t n, const void* in, void* out) -> void* {
         return XR_FixToInt16(n, static_cast<const Fix*>(in), static_cast<int16_t*>(out)); }, 4, 2},
};

// Input staged and released first; the call sends out, in, n; exactly n
// values of out come back, and the export answers the caller's out.
TEST_P(DciBlocks, ConversionsStageBothArraysAndAnswerTheCallersOut)
{
    const int32_t in32[5] = {3 * kOne, -kOne, 0, 0x7FFF0000, -0x7FFF0000};
    const int16_t in16[5] = {3, -1, 0, 32767, -32767};
    for (const Conversion& c : kConversions) {
        const void* in = c.inBytes == 4 ? static_cast<const void*>(in32) : static_cast<const void*>(in16);
        const std::size_t outSize = 5u * static_cast<std::size_t>(c.outBytes);
        Guarded scratch(outSize);
        const std::vector<uint32_t> at = DryRun([&] { c.call(5, in, scratch.data()); });
        ASSERT_EQ(at.size(), 2u) << c.name;
        SeedHeap(at[1], outSize);
        Guarded out(outSize);
        EXPECT_EQ(c.call(5, in, out.data()), out.data()) << c.name;
        ASSERT_EQ(Names(), (std::vector<std::string>{"Allocate", "Allocate", c.name, "Release", "Release"})) << c.name;
        EXPECT_EQ(Allocations(), (std::vector<double>{5.0 * c.inBytes, 5.0 * c.outBytes})) << c.name;
        EXPECT_EQ(Releases(), at) << c.name;
        const gensim::DciCall call = TheCall();
        ASSERT_EQ(call.args.size(), 3u) << c.name;
        EXPECT_EQ(call.args[0], 5) << c.name;
        EXPECT_EQ(Word(call.args[1]), at[0]) << c.name;
        EXPECT_EQ(Word(call.args[2]), at[1]) << c.name;
        EXPECT_EQ(call.staged.at(0), std::string(static_cast<const char*>(in), 5u * static_cast<std::size_t>(c.inBytes)))
            << c.name;
        EXPECT_EQ(out.bytes(), HeapBytes(at[1], outSize)) << c.name;
        EXPECT_NE(out.bytes(), std::string(outSize, 0x5A)) << c.name;
        EXPECT_TRUE(out.guardsKept()) << c.name;
        Dci().clearLog();
        ExpectNothingLeft();
    }
}

TEST_P(DciBlocks, AConversionThatFailsAnswersNullAndLeavesOutAlone)
{
    const int32_t in[2] = {1, 2};
    for (const Conversion& c : kConversions) {
        Guarded out(8);
        Dci().setFaults({.failAllocation = 1});
        EXPECT_EQ(c.call(2, in, out.data()), nullptr) << c.name;
        EXPECT_EQ(Names(), std::vector<std::string>{"Allocate"}) << c.name;
        Dci().clearLog();
        Dci().setFaults({.failAllocation = 2});
        EXPECT_EQ(c.call(2, in, out.data()), nullptr) << c.name;
        EXPECT_EQ(Names(), (std::vector<std::string>{"Allocate", "Allocate", "Release"})) << c.name;
        EXPECT_EQ(out.bytes(), std::string(8, 0x5A)) << c.name;
        Dci().clearLog();
        ExpectNothingLeft();
    }
}

// A call that never finishes converted nothing: no copy back, no out.
TEST_P(DciBlocks, AConversionThatTimesOutAnswersNull)
{
    const int32_t in[2] = {1, 2};
    Guarded out(8);
    Dci().setFaults({.callNeverFinishes = true});
    ScopedTimeScale fast("0.02");
    EXPECT_EQ(XR_Int32ToFix(2, in, reinterpret_cast<Fix*>(out.data())), nullptr);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_TIMEOUT);
    EXPECT_EQ(out.bytes(), std::string(8, 0x5A));
}

// The points' staging holds what the card left there before; a call that
// never finished must not hand that to the caller.
TEST_P(DciBlocks, ACallThatTimesOutCopiesNothingBack)
{
    const Vertex vertex{1, 2, 3};
    Point points[1] = {{5, 6}};
    const std::vector<uint32_t> at = DryRun([&] { XR_VertexToPoint(1, &vertex, points); });
    ASSERT_EQ(at.size(), 2u);
    SeedHeap(at[0], 4);
    points[0] = {5, 6};
    Dci().setFaults({.callNeverFinishes = true});
    {
        ScopedTimeScale fast("0.02");
        EXPECT_EQ(XR_VertexToPoint(1, &vertex, points), 0);
    }
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_TIMEOUT);
    EXPECT_EQ(points[0].x, 5);
    EXPECT_EQ(points[0].y, 6);
}

// A staging that fails ends the export with the release of what was staged.
TEST_P(DciBlocks, ASecondStagingFailingReleasesTheFirst)
{
    FixMatrix matrix = Identity();
    Vertex vertex{1, 2, 3};
    Point points[1] = {{5, 6}};
    struct Case {
        const char* name;
        std::function<int32_t()> call;
    };
    const Case cases[] = {
        {"XR_Rotate", [&] { return XR_Rotate(&matrix, &vertex); }},
        {"XR_Transform", [&] { return XR_Transform(&matrix, 1, &vertex); }},
        {"XR_VertexToPoint", [&] { return XR_VertexToPoint(1, &vertex, points); }},
        {"XR_Perspec", [&] { return XR_Perspec(1, &vertex, points, 1, 2, 3); }},
    };
    for (const Case& c : cases) {
        Dci().clearLog();
        Dci().setFaults({.failAllocation = 2});
        EXPECT_EQ(c.call(), Isa() ? 0 : 1) << c.name;
        EXPECT_EQ(Names(), (std::vector<std::string>{"Allocate", "Allocate", "Release"})) << c.name;
        Dci().clearLog();
        Dci().setFaults({.failAllocation = 1});
        EXPECT_EQ(c.call(), 0) << c.name;
        EXPECT_EQ(Names(), std::vector<std::string>{"Allocate"}) << c.name;
        ExpectNothingLeft();
    }
    EXPECT_EQ(vertex.z, 3);
    EXPECT_EQ(points[0].y, 6);
}

// Counts go into 16-bit words: outside 0-32767, or a null array, no call.
TEST_P(DciBlocks, CountsOutsideASixteenBitWordOrNullArraysMakeNoCall)
{
    FixMatrix matrix = Identity();
    Vertex vertex{};
    Point point{};
    int32_t values[1] = {};
    for (const int32_t n : {-1, 32768, INT32_MIN, INT32_MAX}) {
        EXPECT_EQ(XR_Transform(&matrix, n, &vertex), 0) << n;
        EXPECT_EQ(XR_Perspec(n, &vertex, &point, 0, 0, 0), 0) << n;
        EXPECT_EQ(XR_VertexToPoint(n, &vertex, &point), 0) << n;
        for (const Conversion& c : kConversions)
            EXPECT_EQ(c.call(n, values, values), nullptr) << c.name << " " << n;
    }
    EXPECT_EQ(XR_Rotate(nullptr, &vertex), 0);
    EXPECT_EQ(XR_Scale(&matrix, nullptr), 0);
    EXPECT_EQ(XR_Transform(&matrix, 1, nullptr), 0);
    EXPECT_EQ(XR_VertexToPoint(1, nullptr, &point), 0);
    EXPECT_EQ(XR_Perspec(1, &vertex, nullptr, 0, 0, 0), 0);
    for (const Conversion& c : kConversions) {
        EXPECT_EQ(c.call(1, nullptr, values), nullptr) << c.name;
        EXPECT_EQ(c.call(1, values, nullptr), nullptr) << c.name;
    }
    EXPECT_TRUE(Dci().log().empty());
}

// --- Pixel blocks ------------------------------------------------------------------------

// 17 units: ISA two words (4 bytes) each way, PCI 17 words.
TEST_P(DciBlocks, GetRectStagesItsUnitsAndCopiesExactlyThemBack)
{
    const std::size_t bytes = Isa() ? 4 : 68;
    Guarded scratch(bytes);
    const std::vector<uint32_t> at = DryRun([&] { XR_GetRect(1, 17, 3, 4, scratch.data(), 1); });
    ASSERT_EQ(at.size(), 1u);
    SeedHeap(at[0], bytes);
    Guarded buffer(bytes);
    EXPECT_EQ(XR_GetRect(1, 17, -3, 4, buffer.data(), 1), Isa() ? 0 : 1);
    ASSERT_EQ(Names(), (std::vector<std::string>{"Allocate", "XR_GetRect", "Release"}));
    EXPECT_EQ(Allocations(), std::vector<double>{static_cast<double>(bytes)});
    const gensim::DciCall call = TheCall();
    ASSERT_EQ(call.args.size(), 6u);
    EXPECT_EQ(call.args[0], 1);
    EXPECT_EQ(call.args[1], 17);
    EXPECT_EQ(call.args[2], -3);
    EXPECT_EQ(call.args[3], 4);
    EXPECT_EQ(Word(call.args[4]), at[0]);
    EXPECT_EQ(call.args[5], 1);
    EXPECT_EQ(buffer.bytes(), HeapBytes(at[0], bytes));
    // PCI copies nothing in: what comes back is what the card left.
    if (!Isa()) {
        EXPECT_NE(buffer.bytes(), std::string(bytes, 0x5A));
    }
    EXPECT_TRUE(buffer.guardsKept());
    ExpectNothingLeft();
}

// Each writer sizes its staging from its own two parameters and copies the
// buffer in, from any byte address, without reading past it.
TEST_P(DciBlocks, PutRectAndTheExpandsCopyTheirBufferIn)
{
    struct Case {
        const char* name;
        std::function<int32_t(const void*)> call;
        int64_t units;
    };
    const Case cases[] = {
        {"XR_PutRect", [](const void* b) { return XR_PutRect(b, 5, 1, 7, 2, 3); }, 35},
        {"XR_PixelExpand", [](const void* b) { return XR_PixelExpand(b, 3, 1, 2, 9, 4, 5); }, 27},
        {"XR_BitExpand", [](const void* b) { return XR_BitExpand(b, 33, 1, 1, 6, 0); }, 33},
    };
    for (const Case& c : cases) {
        Dci().clearLog();
        const std::size_t bytes = static_cast<std::size_t>(Isa() ? 2 * ((c.units + 15) / 16) : 4 * c.units);
        Guarded buffer(bytes + 1);
        for (std::size_t i = 0; i < bytes; ++i)
            buffer.data()[1 + i] = static_cast<uint8_t>(i * 7 + 1);
        const std::string given(reinterpret_cast<const char*>(buffer.data()) + 1, bytes);
        EXPECT_EQ(c.call(buffer.data() + 1), Isa() ? 0 : 1) << c.name;
        ASSERT_EQ(Names(), (std::vector<std::string>{"Allocate", c.name, "Release"})) << c.name;
        EXPECT_EQ(Allocations(), std::vector<double>{static_cast<double>(bytes)}) << c.name;
        const gensim::DciCall call = TheCall();
        EXPECT_EQ(Word(call.args.at(0)), Addresses().at(0)) << c.name;
        EXPECT_EQ(call.staged, std::vector<std::string>{given}) << c.name;
        ExpectNothingLeft();
    }
}

// p2 * p6 in 64 bits: negative or beyond 16 Mi units is refused.
TEST_P(DciBlocks, PixelBlockProductsOutOfRangeMakeNoCall)
{
    uint32_t word = 0;
    EXPECT_EQ(XR_GetRect(0, 0x10000, 0, 0, &word, 0x10000), 0);
    EXPECT_EQ(XR_GetRect(0, -1, 0, 0, &word, 1), 0);
    EXPECT_EQ(XR_GetRect(0, 2, 0, 0, &word, 0xFFFFFFFFu), 0);
    EXPECT_EQ(XR_GetRect(0, 1, 0, 0, &word, (16u << 20) + 1), 0);
    EXPECT_EQ(XR_GetRect(0, 1, 0, 0, nullptr, 1), 0);
    EXPECT_EQ(XR_PutRect(&word, 0x80000000u, 0, 2, 0, 0), 0);
    EXPECT_EQ(XR_PutRect(&word, 1, 0, -1, 0, 0), 0);
    EXPECT_EQ(XR_PixelExpand(&word, 0x10000, 0, 0, 0x101, 0, 0), 0);
    EXPECT_EQ(XR_BitExpand(&word, 0xFFFFFFFFu, 0, INT32_MAX, 0, 0), 0);
    EXPECT_EQ(XR_BitExpand(nullptr, 1, 0, 1, 0, 0), 0);
    EXPECT_TRUE(Dci().log().empty());
}

// 16 Mi units exactly is asked for: 2 MiB on ISA, which this card has not
// got; on PCI 64 MiB is beyond what is ever staged.
TEST_P(DciBlocks, SixteenMiUnitsAreTheLargestBlockAskedFor)
{
    std::vector<uint8_t> buffer(2u << 20);
    EXPECT_EQ(XR_PutRect(buffer.data(), 16u << 20, 0, 1, 0, 0), 0);
    if (Isa()) {
        EXPECT_EQ(Allocations(), std::vector<double>{2 << 20});
    } else {
        EXPECT_TRUE(Dci().log().empty());
    }
    EXPECT_EQ(Names().size(), Isa() ? 1u : 0u);
}

TEST_P(DciBlocks, AFailedStagingMakesNoPixelBlockCall)
{
    uint16_t words[4] = {};
    Dci().setFaults({.failAllocation = 1});
    EXPECT_EQ(XR_GetRect(0, 4, 0, 0, words, 1), 0);
    EXPECT_EQ(Names(), std::vector<std::string>{"Allocate"});
    EXPECT_EQ(words[0], 0);
}

// Work space of p1 bytes; the card is called on ISA only, with p1 to p8.
TEST_P(DciBlocks, ZoomRectStagesItsWorkSpaceOnBothCards)
{
    EXPECT_EQ(XR_ZoomRect(100, 2, 3, 4, 5, 6, 7, -8, 9), Isa() ? 0 : 1);
    const std::vector<uint32_t> at = Addresses();
    EXPECT_EQ(Allocations(), std::vector<double>{100});
    EXPECT_EQ(Releases(), at);
    if (Isa()) {
        ASSERT_EQ(Names(), (std::vector<std::string>{"Allocate", "XR_ZoomRect", "Release"}));
        const std::vector<double> args = TheCall().args;
        ASSERT_EQ(args.size(), 9u);
        EXPECT_EQ(std::vector<double>(args.begin(), args.begin() + 8), (std::vector<double>{100, 2, 3, 4, 5, 6, 7, -8}));
        EXPECT_EQ(Word(args[8]), at.at(0));
    } else {
        EXPECT_EQ(Names(), (std::vector<std::string>{"Allocate", "Release"}));
    }
    Dci().clearLog();
    EXPECT_EQ(XR_ZoomRect(-1, 0, 0, 0, 0, 0, 0, 0, 0), 0);
    EXPECT_TRUE(Dci().log().empty());
    ExpectNothingLeft();
}

// --- Run-length blocks -------------------------------------------------------------------

TEST_P(DciBlocks, RunLengthMembersAreIsaOnly)
{
    uint8_t block[16] = {};
    block[6] = 16;
    const int32_t encoded = XR_RunEncode(0, 0, 4, 4, block, sizeof block);
    EXPECT_EQ(XR_RunDecode(0, 0, block), Isa() ? 0 : 0x40000);
    if (Isa()) {
        EXPECT_EQ(Names(), (std::vector<std::string>{"Allocate", "XR_RunEncode", "Release", "Allocate", "XR_RunDecode",
                                                     "Release"}));
        EXPECT_EQ(static_cast<uint32_t>(encoded), Dci().log().at(1).result);
    } else {
        EXPECT_EQ(encoded, 0);
        EXPECT_TRUE(Dci().log().empty());
    }
}

class DciIsaBlocks : public DciBlocks {};

// An odd size is staged in whole words; exactly size bytes come back.
TEST_P(DciIsaBlocks, RunEncodeOfSevenBytesStagesFourWordsAndReturnsSeven)
{
    Guarded scratch(7);
    const std::vector<uint32_t> at = DryRun([&] { XR_RunEncode(1, 2, 3, 4, scratch.data(), 7); });
    ASSERT_EQ(at.size(), 1u);
    // Exactly seven bytes of its own, so a sanitizer sees any byte beyond.
    auto buffer = std::make_unique<uint8_t[]>(7);
    std::memset(buffer.get(), 0x5A, 7);
    XR_RunEncode(-1, 2, 3, 4, buffer.get(), 7);
    ASSERT_EQ(Names(), (std::vector<std::string>{"Allocate", "XR_RunEncode", "Release"}));
    EXPECT_EQ(Allocations(), std::vector<double>{8});
    const gensim::DciCall call = TheCall();
    ASSERT_EQ(call.args.size(), 6u);
    EXPECT_EQ(std::vector<double>(call.args.begin(), call.args.begin() + 4), (std::vector<double>{-1, 2, 3, 4}));
    EXPECT_EQ(Word(call.args[4]), at[0]);
    EXPECT_EQ(call.args[5], 7);
    EXPECT_EQ(BytesOf(buffer.get(), 7), HeapBytes(at[0], 7));
    ExpectNothingLeft();

    Guarded guarded(7);
    Dci().clearLog();
    XR_RunEncode(1, 2, 3, 4, guarded.data(), 7);
    EXPECT_EQ(guarded.bytes(), HeapBytes(at[0], 7));
    EXPECT_TRUE(guarded.guardsKept());
}

TEST_P(DciIsaBlocks, RunEncodeRefusesWhatItCannotStage)
{
    uint16_t block[4] = {};
    Dci().setFaults({.failAllocation = 1});
    EXPECT_EQ(XR_RunEncode(0, 0, 1, 1, block, 8), 0);
    EXPECT_EQ(XR_RunEncode(0, 0, 1, 1, nullptr, 8), 0);
    EXPECT_EQ(XR_RunEncode(0, 0, 1, 1, block, 0xFFFFFFFFu), 0);
    EXPECT_EQ(Names(), std::vector<std::string>{"Allocate"});
}

// The block's fourth word states its length: staged rounded up, exactly
// that many bytes copied; a negative length is refused.
TEST_P(DciIsaBlocks, RunDecodeStagesTheLengthItsBlockStates)
{
    struct Case {
        int16_t length;
        double staged;
    };
    for (const Case c : {Case{10, 10}, Case{9, 10}, Case{8, 8}}) {
        Dci().clearLog();
        uint8_t block[12];
        for (int i = 0; i < 12; ++i)
            block[i] = static_cast<uint8_t>(0x40 + i);
        std::memcpy(block + 6, &c.length, 2);
        EXPECT_EQ(XR_RunDecode(5, -6, block), 0) << c.length;
        ASSERT_EQ(Names(), (std::vector<std::string>{"Allocate", "XR_RunDecode", "Release"})) << c.length;
        EXPECT_EQ(Allocations(), std::vector<double>{c.staged}) << c.length;
        const gensim::DciCall call = TheCall();
        ASSERT_EQ(call.args.size(), 3u);
        EXPECT_EQ(call.args[0], 5);
        EXPECT_EQ(call.args[1], -6);
        EXPECT_EQ(Word(call.args[2]), Addresses().at(0));
        std::string expected(reinterpret_cast<const char*>(block), static_cast<std::size_t>(c.length));
        expected.resize(static_cast<std::size_t>(c.staged), '\0');
        EXPECT_EQ(call.staged, std::vector<std::string>{expected}) << c.length;
        ExpectNothingLeft();
    }
    Dci().clearLog();
    uint8_t refused[8] = {0, 0, 0, 0, 0, 0, 0xFE, 0xFF};
    EXPECT_EQ(XR_RunDecode(0, 0, refused), 0);
    refused[7] = 0x80;
    EXPECT_EQ(XR_RunDecode(0, 0, refused), 0);
    EXPECT_EQ(XR_RunDecode(0, 0, nullptr), 0);
    EXPECT_TRUE(Dci().log().empty());
}

INSTANTIATE_TEST_SUITE_P(Dci, DciBlocks, ::testing::Values(kIsa, kPci),
                         [](const auto& info) { return std::string(info.param.name); });
INSTANTIATE_TEST_SUITE_P(Dci, DciIsaBlocks, ::testing::Values(kIsa),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

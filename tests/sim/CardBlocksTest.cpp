// The cards' pixel blocks, run-length blocks, 16.16 maths, number text,
// frame waits, format fields and flash from video memory: run on a card's
// firmware directly (its own small screen and heap, staged bytes written
// and read here), and through the library against the simulated cards.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "DciFixture.h"
#include "ScopedTimeScale.h"
#include "gensim/CardBlocks.h"
#include "gensim/CardDci.h"
#include "gensim/Generator.h"

namespace {

namespace blocks = gensim::blocks;

struct Kind {
    const char* name;
    bool isa;
};

void PrintTo(const Kind& kind, std::ostream* os) { *os << kind.name; }

constexpr Kind kIsaCard{"Isa", true};
constexpr Kind kPciCard{"Pci", false};

constexpr int kWidth = 64;
constexpr int kHeight = 32;
constexpr uint32_t kHeapFirst = 0xFF200000;

// A card's firmware with a 64 x 32 screen (rows 64 apart) and a heap whose
// bytes the test reads and writes as the host's staging would.
class CardBlocks : public ::testing::TestWithParam<Kind> {
protected:
    void SetUp() override
    {
        dci = std::make_unique<gensim::CardDci>(
            generator, Isa() ? "isa0" : "pci1", video.data(), video.size(),
            gensim::CardDci::Heap{kHeapFirst, static_cast<uint32_t>(heap.size()), Isa() ? 8u : 1u, Isa() ? 2u : 4u,
                                  heap.data()});
        dci->setValue("width", kWidth);
        dci->setValue("height", kHeight);
    }

    bool Isa() const { return GetParam().isa; }
    uint32_t Run(const char* name, std::vector<double> args) { return dci->run(name, args); }
    uint32_t Stage(const std::vector<uint8_t>& bytes)
    {
        const uint32_t address = Run("Allocate", {static_cast<double>(bytes.size())});
        EXPECT_NE(address, 0u);
        std::copy(bytes.begin(), bytes.end(), At(address));
        return address;
    }
    uint32_t StageWords32(const std::vector<int32_t>& values)
    {
        std::vector<uint8_t> bytes(4 * values.size());
        std::memcpy(bytes.data(), values.data(), bytes.size());
        return Stage(bytes);
    }
    uint8_t* At(uint32_t address) { return heap.data() + (address - kHeapFirst) / (Isa() ? 8 : 1); }
    int32_t Word32(uint32_t address, std::size_t index)
    {
        int32_t v = 0;
        std::memcpy(&v, At(address) + 4 * index, 4);
        return v;
    }
    int16_t Word16(uint32_t address, std::size_t index)
    {
        int16_t v = 0;
        std::memcpy(&v, At(address) + 2 * index, 2);
        return v;
    }
    uint8_t Pixel(int x, int y) const { return video[static_cast<std::size_t>(y * kWidth + x)]; }
    void SetPixel(int x, int y, uint8_t v) { video[static_cast<std::size_t>(y * kWidth + x)] = v; }

    gensim::Generator generator{gensim::GeneratorOptions{.pty = false, .isaSlot = 0}};
    std::vector<uint8_t> video = std::vector<uint8_t>(kWidth * kHeight);
    std::vector<uint8_t> heap = std::vector<uint8_t>(64 * 1024);
    std::unique_ptr<gensim::CardDci> dci;
};

// Pixel (r, c) of a block as the rules place it: ISA 8 bits from bit
// r * pitch + 8c, PCI the low byte of word r * pitch + c.
uint8_t BlockPixel(const uint8_t* buffer, bool isa, uint32_t pitch, int r, int c)
{
    if (!isa)
        return buffer[4 * (static_cast<std::size_t>(r) * pitch + static_cast<std::size_t>(c))];
    const std::size_t bit = static_cast<std::size_t>(r) * pitch + 8 * static_cast<std::size_t>(c);
    return static_cast<uint8_t>((buffer[bit / 8] >> (bit % 8)) | (buffer[bit / 8 + 1] << (8 - bit % 8)));
}

// --- Pixel blocks ----------------------------------------------------------------------

TEST_P(CardBlocks, PutRectDrawsTheBufferAndGetRectReadsItBack)
{
    // Six units a row, five pixels used; ISA rows start 4 bits into a byte.
    constexpr int kW = 5, kH = 3;
    const uint32_t pitch = Isa() ? 52 : 6;
    const std::size_t bytes = Isa() ? (kH * pitch + 7) / 8 + 1 : 4 * kH * pitch;
    std::vector<uint8_t> source(bytes);
    for (int r = 0; r < kH; ++r)
        for (int c = 0; c < kW; ++c) {
            const auto v = static_cast<uint8_t>(0x10 * (r + 1) + c + 1);
            if (Isa()) {
                const std::size_t bit = static_cast<std::size_t>(r) * pitch + 8 * static_cast<std::size_t>(c);
                source[bit / 8] = static_cast<uint8_t>(source[bit / 8] | v << (bit % 8));
                source[bit / 8 + 1] = static_cast<uint8_t>(source[bit / 8 + 1] | v >> (8 - bit % 8));
            } else {
                source[4 * (static_cast<std::size_t>(r) * pitch + static_cast<std::size_t>(c))] = v;
            }
        }
    const uint32_t in = Stage(source);
    Run("XR_SetOrigin", {2, 1});
    Run("XR_PutRect", {static_cast<double>(in), static_cast<double>(pitch), kW, kH, 8, 3});
    for (int y = 3; y < 9; ++y)
        for (int x = 9; x < 17; ++x) {
            const bool inside = x >= 10 && x < 10 + kW && y >= 4 && y < 4 + kH;
            EXPECT_EQ(Pixel(x, y), inside ? 0x10 * (y - 4 + 1) + (x - 10) + 1 : 0) << x << "," << y;
        }
    const uint32_t out = Stage(std::vector<uint8_t>(bytes));
    Run("XR_GetRect", {kW, kH, 8, 3, static_cast<double>(out), static_cast<double>(pitch)});
    for (int r = 0; r < kH; ++r)
        for (int c = 0; c < kW; ++c)
            EXPECT_EQ(BlockPixel(At(out), Isa(), pitch, r, c), BlockPixel(source.data(), Isa(), pitch, r, c))
                << r << "," << c;
}

TEST_P(CardBlocks, PutRectKeepsToTheClipAndSkipsZeroWhenTransparent)
{
    const uint32_t pitch = Isa() ? 32 : 4;
    std::vector<uint8_t> source(Isa() ? 8 : 32);
    const uint8_t values[2][4] = {{1, 0, 2, 3}, {4, 5, 0, 6}};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 4; ++c)
            source[Isa() ? static_cast<std::size_t>(4 * r + c) : static_cast<std::size_t>(4 * (4 * r + c))]
                = values[r][c];
    const uint32_t in = Stage(source);
    for (int x = 0; x < 8; ++x)
        for (int y = 0; y < 4; ++y)
            SetPixel(x, y, 9);
    Run("XR_SetClipRect", {3, 2, 1, 0});  // columns 1-3
    Run("XR_TranspON", {});
    Run("XR_PutRect", {static_cast<double>(in), static_cast<double>(pitch), 4, 2, 0, 0});
    const uint8_t expected[2][5] = {{9, 9, 2, 3, 9}, {9, 5, 9, 6, 9}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(Pixel(x, y), expected[y][x]) << x << "," << y;
}

TEST_P(CardBlocks, BitExpandDrawsOnesInColourOneAndZerosByTransparency)
{
    // Ten pixels a row, rows 16 bits apart on both cards.
    const std::vector<uint8_t> bits = {0b10000011, 0b10, 0b01010101, 0b01};
    for (bool transparent : {false, true}) {
        SCOPED_TRACE(transparent ? "transparent" : "opaque");
        std::fill(video.begin(), video.end(), 9);
        const uint32_t in = Stage(bits);
        Run("XR_Set_color1", {0x07070707});
        Run("XR_Set_color0", {0x03030303});
        Run(transparent ? "XR_TranspON" : "XR_TranspOFF", {});
        Run("XR_BitExpand", {static_cast<double>(in), 16, 10, 2, 20, 5});
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 10; ++c) {
                const int bit = 16 * r + c;
                const bool one = (bits[static_cast<std::size_t>(bit / 8)] >> (bit % 8)) & 1;
                EXPECT_EQ(Pixel(20 + c, 5 + r), one ? 7 : transparent ? 9 : 3) << r << "," << c;
            }
        EXPECT_EQ(Pixel(30, 5), 9);
        EXPECT_EQ(Pixel(20, 7), 9);
    }
}

TEST_P(CardBlocks, PixelExpandTakesSmallPixelsOnIsaAndWordsOnPci)
{
    std::vector<uint8_t> source;
    if (Isa())
        source = {0x21, 0x43, 0x65, 0x87};  // 4-bit pixels 1 2 3 4 | 5 6 7 8, rows 16 bits apart
    else
        for (int v : {1, 2, 3, 4, 5, 6, 7, 8})
            source.insert(source.end(), {static_cast<uint8_t>(v), 0, 0, 0});
    const uint32_t in = Stage(source);
    Run("XR_PixelExpand", {static_cast<double>(in), Isa() ? 16.0 : 4.0, 4, 4, 2, 1, 1});
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(Pixel(1 + c, 1 + r), 4 * r + c + 1) << r << "," << c;
    if (Isa()) {
        std::fill(video.begin(), video.end(), 0);
        Run("XR_PixelExpand", {static_cast<double>(in), 16, 3, 4, 2, 1, 1});
        EXPECT_EQ(Pixel(1, 1), 0) << "a size of 3 bits draws nothing";
    }
}

TEST_P(CardBlocks, ZoomRectMagnifiesWhenItsWorkSpaceHoldsTheSource)
{
    SetPixel(1, 1, 1);
    SetPixel(2, 1, 2);
    SetPixel(1, 2, 3);
    SetPixel(2, 2, 4);
    Run("XR_ZoomRect", {3, 2, 2, 1, 1, 10, 10, 3});
    EXPECT_EQ(Pixel(10, 10), 0) << "3 bytes of work space for 4 pixels";
    Run("XR_ZoomRect", {4, 2, 2, 1, 1, 10, 10, 3});
    for (int y = 9; y < 17; ++y)
        for (int x = 9; x < 17; ++x) {
            const bool inside = x >= 10 && x < 16 && y >= 10 && y < 16;
            const int expected = inside ? 1 + (x - 10) / 3 + 2 * ((y - 10) / 3) : 0;
            EXPECT_EQ(Pixel(x, y), expected) << x << "," << y;
        }
}

TEST_P(CardBlocks, BlocksWithNegativeOrHugeSizesDrawAndReadNothing)
{
    const uint32_t buffer = Stage(std::vector<uint8_t>(64, 0x55));
    const std::vector<std::vector<double>> puts = {
        {static_cast<double>(buffer), 8, -1, 2, 0, 0},
        {static_cast<double>(buffer), 8, 2, -1, 0, 0},
        {static_cast<double>(buffer), 4294967295.0, 2, 70000, 0, 0},
        {static_cast<double>(buffer), 8, 0x7FFFFFFF, 0x7FFFFFFF, 0, 0},
    };
    for (const auto& args : puts) {
        Run("XR_PutRect", args);
        Run("XR_BitExpand", args);
    }
    for (uint8_t v : video)
        ASSERT_EQ(v, 0);
    Run("XR_GetRect", {-3, 2, 0, 0, static_cast<double>(buffer), 8});
    Run("XR_GetRect", {2, 3, 0, 0, static_cast<double>(buffer), 0x7FFFFFFF});
    for (int i = 0; i < 64; ++i)
        ASSERT_EQ(At(buffer)[i], 0x55);
}

// --- Run-length blocks -----------------------------------------------------------------

TEST_P(CardBlocks, EncodeClearDecodeRestoresTheScreen)
{
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            SetPixel(x, y, static_cast<uint8_t>(y < 8 ? 1 : (x / 3 + y) % 5));
    const std::vector<uint8_t> before = video;
    const uint32_t buffer = Stage(std::vector<uint8_t>(4096));
    // 60 x 20 from (2, 3): the 300 pixels of 1 at the top take two runs.
    const uint32_t length = Run("XR_RunEncode", {60, 20, 2, 3, static_cast<double>(buffer), 4096});
    ASSERT_GT(length, 8u);
    EXPECT_EQ(Word16(buffer, 0), blocks::kRunMark);
    EXPECT_EQ(Word16(buffer, 1), 60);
    EXPECT_EQ(Word16(buffer, 2), 20);
    EXPECT_EQ(static_cast<uint32_t>(Word16(buffer, 3)), length);
    int pixels = 0;
    for (uint32_t k = 4; k < length / 2; ++k)
        pixels += static_cast<uint16_t>(Word16(buffer, k)) >> 8;
    EXPECT_EQ(pixels, 60 * 20);

    Run("XR_ColorFillVuport", {0});
    Run("XR_RunDecode", {2, 3, static_cast<double>(buffer)});
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const bool inside = x >= 2 && x < 62 && y >= 3 && y < 23;
            ASSERT_EQ(Pixel(x, y), inside ? before[static_cast<std::size_t>(y * kWidth + x)] : 0) << x << "," << y;
        }
}

TEST_P(CardBlocks, EncodeIntoTooSmallABufferWritesNothing)
{
    for (int x = 0; x < kWidth; ++x)
        SetPixel(x, 0, static_cast<uint8_t>(x));
    const uint32_t buffer = Stage(std::vector<uint8_t>(200, 0xEE));
    // 64 different pixels: 8 + 128 bytes.
    EXPECT_EQ(Run("XR_RunEncode", {64, 1, 0, 0, static_cast<double>(buffer), 135}), 0u);
    EXPECT_EQ(At(buffer)[0], 0xEE);
    EXPECT_EQ(Run("XR_RunEncode", {64, 1, 0, 0, static_cast<double>(buffer), 136}), 136u);
    const uint32_t small = Stage(std::vector<uint8_t>(100, 0xEE));
    EXPECT_EQ(Run("XR_RunEncode", {64, 1, 0, 0, static_cast<double>(small), 4000}), 0u) << "the block is 100 bytes";
    EXPECT_EQ(At(small)[0], 0xEE);
}

std::vector<uint8_t> RunBlock(std::vector<uint16_t> words)
{
    std::vector<uint8_t> bytes;
    for (uint16_t w : words)
        bytes.insert(bytes.end(), {static_cast<uint8_t>(w), static_cast<uint8_t>(w >> 8)});
    return bytes;
}

TEST_P(CardBlocks, DecodeStopsAtTheFirstFault)
{
    struct Case {
        const char* name;
        std::vector<uint16_t> words;
        int drawn;  // pixels of colour 7 from (0, 0), 4 a row
    };
    const Case cases[] = {
        {"good", {blocks::kRunMark, 4, 2, 14, 0x0307, 0x0207, 0x0307}, 8},
        {"wrong mark", {0x1234, 4, 2, 14, 0x0307, 0x0207, 0x0307}, 0},
        {"no width", {blocks::kRunMark, 0, 2, 14, 0x0307, 0x0207, 0x0307}, 0},
        {"negative height", {blocks::kRunMark, 4, 0xFFFF, 14, 0x0307}, 0},
        {"length past the block", {blocks::kRunMark, 4, 2, 16, 0x0307, 0x0207, 0x0307}, 0},
        {"negative length", {blocks::kRunMark, 4, 2, 0x8000, 0x0307}, 0},
        {"length under the header", {blocks::kRunMark, 4, 2, 6, 0x0307}, 0},
        {"zero count", {blocks::kRunMark, 4, 2, 14, 0x0307, 0x0007, 0x0307}, 3},
        {"runs past the pixels", {blocks::kRunMark, 4, 2, 14, 0x0307, 0x0607, 0x0307}, 3},
        {"length short of the runs", {blocks::kRunMark, 4, 2, 12, 0x0307, 0x0207, 0x0307}, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::fill(video.begin(), video.end(), 0);
        const uint32_t block = Stage(RunBlock(c.words));
        Run("XR_RunDecode", {0, 0, static_cast<double>(block)});
        int drawn = 0;
        for (uint8_t v : video)
            drawn += v == 7;
        EXPECT_EQ(drawn, c.drawn);
        for (int i = 0; i < c.drawn; ++i)
            EXPECT_EQ(Pixel(i % 4, i / 4), 7) << i;
    }
}

// --- 16.16 maths -----------------------------------------------------------------------

using Fix = int32_t;
using Matrix = std::array<Fix, 16>;

constexpr Fix F(double v) { return static_cast<Fix>(v * 65536); }

Matrix Identity()
{
    Matrix m{};
    m[0] = m[5] = m[10] = m[15] = 0x10000;
    return m;
}

Matrix Times(const Matrix& a, const Matrix& b)
{
    Matrix c{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            int64_t sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += int64_t{a[4 * i + k]} * b[4 * k + j];
            c[4 * i + j] = static_cast<Fix>(sum >> 16);
        }
    return c;
}

Matrix Rotation(int axis, double degrees)
{
    const Fix c = static_cast<Fix>(std::lround(std::cos(degrees * std::numbers::pi / 180) * 65536));
    const Fix s = static_cast<Fix>(std::lround(std::sin(degrees * std::numbers::pi / 180) * 65536));
    Matrix m = Identity();
    if (axis == 0) {
        m[5] = c, m[6] = s, m[9] = -s, m[10] = c;
    } else if (axis == 1) {
        m[0] = c, m[2] = -s, m[8] = s, m[10] = c;
    } else {
        m[0] = c, m[1] = s, m[4] = -s, m[5] = c;
    }
    return m;
}

class CardMaths : public CardBlocks {
protected:
    uint32_t StageMatrix(const Matrix& m) { return StageWords32(std::vector<int32_t>(m.begin(), m.end())); }
    Matrix ReadMatrix(uint32_t address)
    {
        Matrix m{};
        for (std::size_t i = 0; i < 16; ++i)
            m[i] = Word32(address, i);
        return m;
    }
    // The matrix after one of the vertex calls, from the given one.
    Matrix After(const char* call, const Matrix& from, std::array<Fix, 3> v)
    {
        const uint32_t matrix = StageMatrix(from);
        const uint32_t vertex = StageWords32({v[0], v[1], v[2]});
        Run(call, {static_cast<double>(matrix), static_cast<double>(vertex)});
        EXPECT_EQ(Word32(vertex, 0), v[0]) << "the vertex is left as it was";
        return ReadMatrix(matrix);
    }
    std::vector<int32_t> Transformed(const Matrix& m, std::vector<int32_t> vertices)
    {
        const uint32_t matrix = StageMatrix(m);
        const uint32_t at = StageWords32(vertices);
        Run("XR_Transform", {static_cast<double>(matrix), static_cast<double>(vertices.size() / 3),
                             static_cast<double>(at)});
        std::vector<int32_t> out(vertices.size());
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = Word32(at, i);
        return out;
    }
};

TEST_P(CardMaths, TranslateScaleAndRotateMoveAVertexAsExpected)
{
    const Matrix moved = After("XR_Translate", Identity(), {F(5), F(-7), F(1.5)});
    EXPECT_EQ(Transformed(moved, {F(1), F(2), F(3)}), (std::vector<int32_t>{F(6), F(-5), F(4.5)}));
    const Matrix scaled = After("XR_Scale", Identity(), {F(2), F(0.5), F(-3)});
    EXPECT_EQ(Transformed(scaled, {F(1.5), F(4), F(1)}), (std::vector<int32_t>{F(3), F(2), F(-3)}));
    const Matrix turned = After("XR_Rotate", Identity(), {0, 0, F(90)});
    EXPECT_EQ(Transformed(turned, {F(1), 0, 0, 0, F(2), 0}), (std::vector<int32_t>{0, F(1), 0, F(-2), 0, 0}));
}

TEST_P(CardMaths, MatricesFollowSixteenSixteenProducts)
{
    Matrix start{};
    for (int i = 0; i < 16; ++i)
        start[static_cast<std::size_t>(i)] = F(0.25 * (i % 5) - 0.5) + i * 37;
    const std::array<Fix, 3> angles = {F(30), F(-45.5), F(200)};
    Matrix expected = start;
    for (int axis = 0; axis < 3; ++axis)
        expected = Times(expected, Rotation(axis, angles[static_cast<std::size_t>(axis)] / 65536.0));
    EXPECT_EQ(After("XR_Rotate", start, angles), expected);

    Matrix scale = Identity();
    scale[0] = F(1.75), scale[5] = F(-0.3), scale[10] = F(12);
    EXPECT_EQ(After("XR_Scale", start, {F(1.75), F(-0.3), F(12)}), Times(start, scale));

    Matrix shift = Identity();
    shift[12] = F(-3.25), shift[13] = F(100), shift[14] = 7;
    EXPECT_EQ(After("XR_Translate", start, {F(-3.25), F(100), 7}), Times(start, shift));

    const std::vector<int32_t> vertices = {F(1.5), F(-2), F(0.75), 12345, -54321, F(9)};
    std::vector<int32_t> expectedVertices;
    for (std::size_t k = 0; k < 2; ++k)
        for (std::size_t j = 0; j < 3; ++j) {
            int64_t sum = int64_t{0x10000} * start[12 + j];
            for (std::size_t i = 0; i < 3; ++i)
                sum += int64_t{vertices[3 * k + i]} * start[4 * i + j];
            expectedVertices.push_back(static_cast<int32_t>(sum >> 16));
        }
    EXPECT_EQ(Transformed(start, vertices), expectedVertices);
}

TEST_P(CardMaths, VerticesBecomePointsFlatAndInPerspective)
{
    const std::vector<int32_t> vertices = {F(1.5), F(-2.5), 0, F(50), F(20), F(100), F(50), F(20), F(-100),
                                           F(50), F(20), F(-50), F(32767.75), F(-32767.75), 0};
    const uint32_t in = StageWords32(vertices);
    const uint32_t points = Stage(std::vector<uint8_t>(20));
    Run("XR_VertexToPoint", {5, static_cast<double>(in), static_cast<double>(points)});
    const std::vector<int16_t> flat = {2, -2, 50, 20, 50, 20, 50, 20, 32767, -32768};  // 32768 kept to 32767
    for (std::size_t i = 0; i < flat.size(); ++i)
        EXPECT_EQ(Word16(points, i), flat[i]) << i;

    Run("XR_Perspec", {5, static_cast<double>(in), static_cast<double>(points), 100, 320, 240});
    // Distance 100 from (320, 240): z 100 halves, z -100 is at the eye, z -50 doubles.
    const std::vector<int16_t> seen = {321, 237, 345, 250, 320, 240, 420, 280, 32767, -32528};
    for (std::size_t i = 0; i < seen.size(); ++i)
        EXPECT_EQ(Word16(points, i), seen[i]) << i;

    // A negative distance looks from the other side: z 0 stays in place.
    Run("XR_Perspec", {1, static_cast<double>(in), static_cast<double>(points), -200, 320, 240});
    EXPECT_EQ(Word16(points, 0), 321);
    EXPECT_EQ(Word16(points, 1), 237);
}

TEST_P(CardMaths, ArraysConvertAndReturnTheirOutput)
{
    struct Case {
        const char* call;
        bool halfIn, halfOut;
        std::vector<int32_t> in, out;
    };
    const Case cases[] = {
        {"XR_Int32ToFix", false, false, {1, -2, 300}, {0x10000, -0x20000, 300 << 16}},
        {"XR_Int16ToFix", true, false, {1, -2, 32767}, {0x10000, -0x20000, 0x7FFF0000}},
        {"XR_FixToInt32", false, false, {0x18000, 0x17FFF, -0x18000, -0x8001}, {2, 1, -1, -1}},
        {"XR_FixToInt16", false, true, {0x7FFFFFFF, static_cast<int32_t>(0x80000000), 0x28000}, {32767, -32768, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.call);
        std::vector<uint8_t> bytes;
        for (int32_t v : c.in)
            for (int b = 0; b < (c.halfIn ? 2 : 4); ++b)
                bytes.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * b)));
        const uint32_t in = Stage(bytes);
        const uint32_t out = Stage(std::vector<uint8_t>(c.out.size() * (c.halfOut ? 2 : 4)));
        const auto n = static_cast<double>(c.in.size());
        EXPECT_EQ(Run(c.call, {n, static_cast<double>(in), static_cast<double>(out)}), out);
        for (std::size_t i = 0; i < c.out.size(); ++i)
            EXPECT_EQ(c.halfOut ? Word16(out, i) : Word32(out, i), c.out[i]) << i;
        // A count past either array, or negative, converts nothing.
        std::fill(At(out), At(out) + c.out.size() * (c.halfOut ? 2 : 4), 0xAB);
        EXPECT_EQ(Run(c.call, {n + 1, static_cast<double>(in), static_cast<double>(out)}), 0u);
        EXPECT_EQ(Run(c.call, {-1, static_cast<double>(in), static_cast<double>(out)}), 0u);
        EXPECT_EQ(At(out)[0], 0xAB);
    }
}

TEST_P(CardMaths, RoundAndTimesDivide)
{
    const struct {
        double value;
        int32_t rounded;
    } rounds[] = {{2.5, 3}, {2.49, 2}, {-1.6, -1}, {0.49, 0}, {-0.5, 0}, {1e12, 2147483647}, {-1e12, -2147483647 - 1},
                  {std::nan(""), 0}};
    for (const auto& r : rounds)
        EXPECT_EQ(static_cast<int32_t>(Run("XR_Round", {r.value})), r.rounded) << r.value;
    const struct {
        int32_t a, b, c, result;
    } divides[] = {{1000, 3000, 7, 428571}, {-7, 3, 2, -10}, {5, 6, 0, 0}, {2147483647, 2147483647, 1, 2147483647},
                   {-2147483647, 2147483647, 1, -2147483647 - 1}, {100000, 100000, 100000, 100000}};
    for (const auto& d : divides)
        EXPECT_EQ(static_cast<int32_t>(Run("XR_TimesDivide", {static_cast<double>(d.a), static_cast<double>(d.b),
                                                              static_cast<double>(d.c)})),
                  d.result)
            << d.a << "*" << d.b << "/" << d.c;
}

// --- Number text -----------------------------------------------------------------------

TEST_P(CardMaths, NumbersFormatIntoFortyBytes)
{
    struct Case {
        const char* call;
        double value;
        const char* format;
        int width, precision;
        std::string text;
    };
    const Case cases[] = {
        {"XR_itoaf", 42, "%d", 0, -1, "42"},
        {"XR_itoaf", -42, "v=%d!", 0, -1, "v=-42!"},
        {"XR_itoaf", 4294967254.0, "%d", 0, -1, "-42"},  // the word as the host sent it
        {"XR_itoaf", 255, "%x", 0, -1, "ff"},
        {"XR_itoaf", 255, "%X", 0, -1, "FF"},
        {"XR_itoaf", -1, "%x", 0, -1, "ffffffff"},
        {"XR_itoaf", 7, "%5d", 0, -1, "    7"},
        {"XR_itoaf", 7, "%-5d|", 0, -1, "7    |"},
        {"XR_itoaf", 7, "%05d", 0, -1, "00007"},
        {"XR_itoaf", -7, "%05d", 0, -1, "-0007"},
        {"XR_itoaf", 7, "%d", 4, -1, "   7"},
        {"XR_itoaf", 7, "%2d", 6, -1, " 7"},
        {"XR_itoaf", 3, "%f", 0, -1, "3.000000"},
        {"XR_itoaf", 3, "%.2f", 0, 5, "3.00"},
        {"XR_itoaf", 100, "%d%%", 0, -1, "100%"},
        {"XR_itoaf", 5, "%d and %d", 0, -1, "5 and %d"},
        {"XR_itoaf", 5, "%q %d", 0, -1, "%q 5"},
        {"XR_ftoa", 3.14159, "%.2f", 0, -1, "3.14"},
        {"XR_ftoa", 2, "%f", 0, 1, "2.0"},
        {"XR_ftoa", 1234.5678, "%10.1f", 0, -1, "    1234.6"},
        {"XR_ftoa", -0.125, "%.3f", 0, -1, "-0.125"},
        {"XR_ftoa", 9.99, "%d", 0, -1, "9"},
        {"XR_ftoa", -9.99, "%d", 0, -1, "-9"},
        {"XR_ftoa", 1e300, "%d", 0, -1, "9200000000000000000"},
        {"XR_ftoa", 1e30, "%f", 0, -1, "1000000000000000019884624838656.000000"},
        {"XR_ftoa", 0.5, "abcdefghijklmnopqrstuvwxyz0123456789%f", 0, -1, "abcdefghijklmnopqrstuvwxyz0123456789"
                                                                           "0.5"},
        {"XR_itoaf", 1, "%039d", 0, -1, std::string(38, '0') + "1"},
        {"XR_itoaf", 1, "%99d", 0, -1, std::string(38, ' ') + "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.call) + " " + c.format);
        const std::string format(c.format);
        const uint32_t f = Stage(std::vector<uint8_t>(format.begin(), format.end() + 1));
        const uint32_t out = Stage(std::vector<uint8_t>(40, 0xAA));
        const uint32_t result = Run(c.call, {c.value, static_cast<double>(out), static_cast<double>(c.width),
                                             static_cast<double>(c.precision), static_cast<double>(f)});
        const std::string text(reinterpret_cast<const char*>(At(out)));
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(result, text.size());
        EXPECT_LE(text.size(), 39u);
    }
}

// --- Frames ----------------------------------------------------------------------------

TEST_P(CardBlocks, FrameWaitsFinishWhenTheirFrameComes)
{
    dci->setFrameRate(1000);
    const uint32_t now = Run("XR_GetFrame", {});
    EXPECT_EQ(Run("XR_WaitFrame", {static_cast<double>(now + 5000)}), now + 5000);
    EXPECT_GT(dci->lastEnd().laterMs, 0);
    EXPECT_LE(dci->lastEnd().laterMs, 5000);
    EXPECT_GE(Run("XR_WaitFrame", {0}), now) << "a frame gone by answers the counter";
    EXPECT_EQ(dci->lastEnd().laterMs, 0);
    Run("XR_WaitFrames", {30});
    EXPECT_GT(dci->lastEnd().laterMs, 0);
    EXPECT_LE(dci->lastEnd().laterMs, 30);
    Run("XR_WaitFrames", {2000000000});
    EXPECT_EQ(dci->lastEnd().laterMs, blocks::kLongestWaitMs);
    Run("XR_WaitFrames", {-5});
    EXPECT_EQ(dci->lastEnd().laterMs, 0);
    // A scan line comes within one frame, on the screen or off it.
    dci->setFrameRate(2);
    for (double line : {0.0, 240.0, 479.0, 480.0, -1.0}) {
        Run("XR_WaitScan", {line});
        EXPECT_GT(dci->lastEnd().laterMs, 0) << line;
        EXPECT_LE(dci->lastEnd().laterMs, 500) << line;
    }
}

INSTANTIATE_TEST_SUITE_P(Cards, CardBlocks, ::testing::Values(kIsaCard, kPciCard),
                         [](const auto& info) { return std::string(info.param.name); });
INSTANTIATE_TEST_SUITE_P(Cards, CardMaths, ::testing::Values(kIsaCard, kPciCard),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Through the library ---------------------------------------------------------------

using dcitest::DciCardTest;

class CardThroughLibrary : public DciCardTest {
protected:
    void SetUp() override
    {
        DciCardTest::SetUp();
        Bind();
    }
};

// The call returns only once its frame has come.
TEST_P(CardThroughLibrary, AFrameWaitEndsAtItsFrame)
{
    Dci().setFrameRate(200);
    const uint32_t target = XR_GetFrame() + 4;
    EXPECT_GE(XR_WaitFrame(target), target);
    EXPECT_GE(XR_GetFrame(), target);
}

INSTANTIATE_TEST_SUITE_P(Cards, CardThroughLibrary, ::testing::Values(dcitest::kIsa, dcitest::kPci),
                         [](const auto& info) { return std::string(info.param.name); });

class FormatFields : public CardThroughLibrary {};

TEST_P(FormatFields, FieldsSetWhatTheCommandsAnswer)
{
    gensim::Generator& generator = sim.generator(0);
    XR_hres(800);
    XR_vtot(625);
    XR_hrat(46875.5);
    XR_xvsg(1, 0, 1);
    XR_name("STUDIO4");
    EXPECT_EQ(generator.execute("HRES?"), std::vector<std::string>{"800"});
    EXPECT_EQ(generator.execute("VTOT?"), std::vector<std::string>{"625"});
    EXPECT_EQ(generator.execute("HRAT?"), std::vector<std::string>{"46875.5000"});
    EXPECT_EQ(generator.execute("XVSG?"), std::vector<std::string>{"1,0,1"});
    EXPECT_EQ(generator.formatBuffer().ownName, "STUDIO4");
    EXPECT_EQ(Dci().width(), 800) << "the card draws on the new resolution";
}

INSTANTIATE_TEST_SUITE_P(Cards, FormatFields, ::testing::Values(dcitest::kIsa),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Flash from video memory -----------------------------------------------------------

class FlashFromVideo : public CardThroughLibrary {
protected:
    void WriteToVideo(const std::vector<uint8_t>& image)
    {
        dcitest::WriteToVideo(image);
        ASSERT_EQ(XR_PortGetError(), 0);
    }
};

constexpr uint32_t kFlashed = 0x10000000;

TEST_P(FlashFromVideo, AGoodImageIsKeptAndFinishesCleanly)
{
    const std::vector<uint8_t> image = dcitest::FirmwareImage(1030, 7.125);
    WriteToVideo(image);
    EXPECT_EQ(XR_FlashFromVMEM(), kFlashed);
    EXPECT_EQ(Dci().flashedImage(), image);
}

TEST_P(FlashFromVideo, AFaultyImageEndsWithItsResultWord)
{
    struct Case {
        const char* name;
        std::size_t size;
        double version;
        std::size_t flip;  // a byte changed after the sums, 0: none
        int sizeField;     // the stated size, -1: the true one
        uint32_t word;
    };
    const Case cases[] = {
        {"size too small", 1024, 7.125, 0, 100, 32},
        {"size past video memory", 1024, 7.125, 0, 0x7FFFFFFF, 32},
        {"old version", 1024, 6.5, 0, -1, 16},
        {"other card's firmware", 1024, 7.25, 0, -1, 64},
        {"even word", 1024, 7.125, 300, -1, 3},
        {"odd word", 1024, 7.125, 302, -1, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> image = dcitest::FirmwareImage(c.size, c.version);
        if (c.flip != 0)
            image[c.flip] ^= 0x10;
        if (c.sizeField >= 0)
            for (int i = 0; i < 4; ++i)
                image[252 + static_cast<std::size_t>(i)] = static_cast<uint8_t>(c.sizeField >> (24 - 8 * i));
        WriteToVideo(image);
        EXPECT_EQ(XR_FlashFromVMEM(), c.word);
        EXPECT_TRUE(Dci().flashedImage().empty());
    }
}

TEST_P(FlashFromVideo, EveryResultWordTheCardCanGiveReachesTheCaller)
{
    WriteToVideo(dcitest::FirmwareImage(1024, 7.125));
    for (uint32_t word : {0u, 8u, 16u, 32u, 64u, 0x20000u, 1u, 3u, 5u}) {
        Dci().setFlashFaults({.word = word});
        EXPECT_EQ(XR_FlashFromVMEM(), word) << word;
    }
    EXPECT_TRUE(Dci().flashedImage().empty());
}

TEST_P(FlashFromVideo, OnlyACleanFinishCountsAsFlashed)
{
    const std::vector<uint8_t> image = dcitest::FirmwareImage(1024, 7.125);
    WriteToVideo(image);
    Dci().setFaults({.errorCode = 0x21});
    EXPECT_EQ(XR_FlashFromVMEM(), 0u) << "another result code";
    Dci().setFaults({});
    Dci().setFlashFaults({.finishMs = 300});
    EXPECT_EQ(XR_FlashFromVMEM(), kFlashed) << "a slow finish within the limit";
    EXPECT_EQ(Dci().flashedImage(), image);
    ScopedTimeScale fast("0.02");
    Dci().setFlashFaults({});
    Dci().setFaults({.noAcknowledge = true});
    EXPECT_EQ(XR_FlashFromVMEM(), 0u) << "no acknowledge";
    Dci().setFaults({});
    Dci().setFlashFaults({.neverFinishes = true});
    EXPECT_EQ(XR_FlashFromVMEM(), 0u) << "no finish";
    Dci().setFlashFaults({.finishMs = 2000});
    EXPECT_EQ(XR_FlashFromVMEM(), 0u) << "a finish after the scaled limit";
}

INSTANTIATE_TEST_SUITE_P(Cards, FlashFromVideo, ::testing::Values(dcitest::kPci),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace

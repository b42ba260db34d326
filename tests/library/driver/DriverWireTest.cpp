// The packets between the driver client and the stand-in: every request and
// answer survives its encoding, and the decoders refuse what does not fit.
#include "DriverWire.h"

#include <gtest/gtest.h>

#include <cstring>

namespace driver {
namespace {

bool operator==(const Request& a, const Request& b)
{
    auto same = [](const auto& x, const auto& y) {
        using X = std::decay_t<decltype(x)>;
        using Y = std::decay_t<decltype(y)>;
        if constexpr (!std::is_same_v<X, Y>)
            return false;
        else if constexpr (std::is_same_v<X, VersionRequest>)
            return true;
        else if constexpr (std::is_same_v<X, PciScanRequest>)
            return x.vendor == y.vendor && x.device == y.device;
        else if constexpr (std::is_same_v<X, CardInfoRequest>)
            return x.location == y.location;
        else if constexpr (std::is_same_v<X, RegisterRequest>)
            return x.options == y.options && x.resources == y.resources;
        else if constexpr (std::is_same_v<X, ReleaseRequest>)
            return x.handle == y.handle;
        else if constexpr (std::is_same_v<X, ConfigReadRequest>)
            return x.location == y.location && x.offset == y.offset;
        else if constexpr (std::is_same_v<X, FirmwareEventRequest>)
            return x.handle == y.handle && x.kind == y.kind && x.words == y.words;
        else
            return x.handle == y.handle && x.kind == y.kind && x.bytes == y.bytes;
    };
    return a.sequence == b.sequence && std::visit(same, a.body, b.body);
}

const std::vector<Request> kRequests = {
    {1, VersionRequest{}},
    {2, PciScanRequest{0x1F3A, 0}},
    {3, CardInfoRequest{{1, 2, 3}}},
    {4, RegisterRequest{0, {{ResourceKind::Io, 1, 0x250, 8}, {ResourceKind::Memory, 0, 0xFFF00000, 0x80000}}}},
    {5, ReleaseRequest{42}},
    {6, ConfigReadRequest{{0, 9, 0}, 0x10}},
    {7, FirmwareEventRequest{42, EventKind::HostInterrupt, {0x0008}}},
    {0xFFFFFFFF, BlockTransferRequest{42, 6, std::string("\0\1\2", 3)}},
};

TEST(DriverWire, EveryRequestSurvivesItsEncoding)
{
    for (const Request& request : kRequests) {
        SCOPED_TRACE(request.sequence);
        std::vector<uint8_t> bytes = EncodeRequest(request);
        std::optional<Request> back = DecodeRequest(bytes.data(), bytes.size());
        ASSERT_TRUE(back.has_value());
        EXPECT_TRUE(*back == request);
    }
}

// The op word, then the sequence, then the payload, in host order.
TEST(DriverWire, RequestLayoutIsWordsInOrder)
{
    std::vector<uint8_t> bytes = EncodeRequest({9, ReleaseRequest{0x01020304}});
    uint32_t words[3];
    ASSERT_EQ(bytes.size(), sizeof words);
    std::memcpy(words, bytes.data(), sizeof words);
    EXPECT_EQ(words[0], static_cast<uint32_t>(Op::Release));
    EXPECT_EQ(words[1], 9u);
    EXPECT_EQ(words[2], 0x01020304u);
}

struct Broken {
    const char* name;
    std::vector<uint32_t> words;
};

// Each packet is one word off a valid request or breaks a limit.
TEST(DriverWire, DecoderRefusesRequestsThatDoNotFit)
{
    const Broken cases[] = {
        {"Empty", {}},
        {"HeaderOnly", {static_cast<uint32_t>(Op::Release), 1}},
        {"UnknownOp", {99, 1}},
        {"OpZero", {0, 1}},
        {"TrailingWord", {static_cast<uint32_t>(Op::Version), 1, 0}},
        {"ResourcesBeyondThePacket", {static_cast<uint32_t>(Op::Register), 1, 0, 2, 3, 1, 0x250, 8}},
        {"TooManyResources", {static_cast<uint32_t>(Op::Register), 1, 0, 21}},
        {"UnknownResourceKind", {static_cast<uint32_t>(Op::Register), 1, 0, 1, 4, 1, 0x250, 8}},
        {"EventKindZero", {static_cast<uint32_t>(Op::FirmwareEvent), 1, 42, 0, 1, 8}},
        {"EventWordsOverTheLimit", {static_cast<uint32_t>(Op::FirmwareEvent), 1, 42, 1, 33}},
        {"TransferLongerThanItsBytes", {static_cast<uint32_t>(Op::BlockTransfer), 1, 42, 6, 5, 0}},
    };
    for (const Broken& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes(c.words.size() * 4);
        if (!bytes.empty())
            std::memcpy(bytes.data(), c.words.data(), bytes.size());
        EXPECT_FALSE(DecodeRequest(bytes.data(), bytes.size()).has_value());
    }
    EXPECT_FALSE(DecodeRequest(nullptr, 12).has_value());
}

std::vector<uint8_t> Encoded(uint32_t sequence, Op op, AnswerBody body)
{
    Answer answer;
    answer.sequence = sequence;
    answer.op = op;
    answer.body = std::move(body);
    return EncodeAnswer(answer);
}

TEST(DriverWire, AnswersSurviveTheirEncoding)
{
    FirmwareEventAnswer event{true,
                              {{0, ChangeKind::ClearBits, 6, 8}, {250, ChangeKind::DiscardOutput, 0, 0}},
                              {{0, "VERF?"}, {400, "\r\n>"}}};
    std::vector<uint8_t> bytes = Encoded(5, Op::FirmwareEvent, event);
    std::optional<Answer> back = DecodeAnswer(Op::FirmwareEvent, 5, bytes.data(), bytes.size());
    ASSERT_TRUE(back.has_value());
    const auto& got = std::get<FirmwareEventAnswer>(back->body);
    EXPECT_TRUE(got.accepted);
    EXPECT_EQ(got.changes, event.changes);
    EXPECT_EQ(got.output, event.output);

    RegisterAnswer registered;
    registered.handle = 3;
    registered.hasMemory = true;
    registered.fileSize = 0x41000;
    registered.registerBlock = 0x40040;
    registered.regions = {{0xFF000000, 0x40000, 0}, {0xC0000000, 64, 0x40000}};
    bytes = Encoded(6, Op::Register, registered);
    back = DecodeAnswer(Op::Register, 6, bytes.data(), bytes.size());
    ASSERT_TRUE(back.has_value());
    const auto& reg = std::get<RegisterAnswer>(back->body);
    EXPECT_EQ(reg.handle, 3u);
    EXPECT_EQ(reg.regions, registered.regions);
    EXPECT_EQ(reg.registerBlock, 0x40040u);

    PciScanAnswer scan{{{0x1F3A, 0x5C22, {0, 4, 0}}, {0x1F3A, 0x5C22, {0, 5, 0}}}};
    bytes = Encoded(7, Op::PciScan, scan);
    back = DecodeAnswer(Op::PciScan, 7, bytes.data(), bytes.size());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(std::get<PciScanAnswer>(back->body).cards, scan.cards);
}

TEST(DriverWire, AnswerDecoderRefusesOtherAnswersAndBrokenCounts)
{
    std::vector<uint8_t> version = Encoded(5, Op::Version, VersionAnswer{432, "x"});
    EXPECT_FALSE(DecodeAnswer(Op::Version, 4, version.data(), version.size())) << "another request's answer";
    EXPECT_FALSE(DecodeAnswer(Op::Release, 5, version.data(), version.size())) << "another op's answer";
    version.push_back(0);
    EXPECT_FALSE(DecodeAnswer(Op::Version, 5, version.data(), version.size())) << "a byte too many";

    auto words = [](std::vector<uint32_t> w) {
        std::vector<uint8_t> b(w.size() * 4);
        std::memcpy(b.data(), w.data(), b.size());
        return b;
    };
    const uint32_t scan = static_cast<uint32_t>(Op::PciScan);
    const uint32_t event = static_cast<uint32_t>(Op::FirmwareEvent);
    const uint32_t version_ = static_cast<uint32_t>(Op::Version);
    const Broken cases[] = {
        {"ScanCountBeyondThePacket", {scan, 1, 0, 2, 0x1F3A, 1, 0, 0, 0}},
        {"ScanCountOverThirty", {scan, 1, 0, 31}},
        {"VersionTextBeyondThePacket", {version_, 1, 0, 432, 9, 0}},
        {"VersionTextOverItsLimit", {version_, 1, 0, 432, 101}},
        {"UnknownStatus", {version_, 1, 7}},
        {"AcceptedNeitherZeroNorOne", {event, 1, 0, 2, 0, 0}},
        {"UnknownChangeKind", {event, 1, 0, 1, 1, 0, 9, 6, 8, 0}},
        {"ChangesOverTheLimit", {event, 1, 0, 1, 65}},
        {"OutputLongerThanThePacket", {event, 1, 0, 1, 0, 1, 0, 100, 0}},
    };
    for (const Broken& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes = words(c.words);
        EXPECT_FALSE(DecodeAnswer(static_cast<Op>(c.words[0]), 1, bytes.data(), bytes.size()).has_value());
    }
    // A refusal has nothing after its header.
    std::vector<uint8_t> bad = EncodeBadRequest(8, static_cast<uint32_t>(Op::Register));
    std::optional<Answer> refused = DecodeAnswer(Op::Register, 8, bad.data(), bad.size());
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ(refused->status, Status::BadRequest);
}

}  // namespace
}  // namespace driver

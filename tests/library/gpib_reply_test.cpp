// The GPIB reply reader over scripted bus reads: where a chunk ends, what
// is asked of the bus, and when a reply counts as silence or as cut short.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "transports/gpib_reply.h"

namespace {

struct BusRead {
    std::string bytes;  // what the bus puts into the chunk
    long reported;      // the count it reports
    bool ok = true;     // false: the read ends in ERR
};

// Scripted reads; the end of the script is a time-out.
class ScriptedBus : public morvane::GpibChunkSource {
public:
    explicit ScriptedBus(std::vector<BusRead> reads) : reads_(std::move(reads)) {}

    bool ReadChunk(char* chunk, long count, long* received) override
    {
        asked.push_back(count);
        if (next_ == reads_.size()) {
            *received = 0;
            return false;
        }
        const BusRead& r = reads_[next_++];
        r.bytes.copy(chunk, std::min<size_t>(r.bytes.size(), size_t(count)));
        *received = r.reported;
        return r.ok;
    }

    std::vector<long> asked;

private:
    std::vector<BusRead> reads_;
    size_t next_ = 0;
};

BusRead Chunk(const std::string& bytes)
{
    return {bytes, long(bytes.size())};
}

TEST(GpibReply, ChunksAsTheirCountsSay)
{
    struct Case {
        const char* name;
        std::vector<BusRead> reads;
        uint32_t length;
        std::string stored;  // the buffer's bytes before the NUL, NULs included
        int32_t count;
        bool silent;
        bool cut;  // the reply stopped before its end
        std::vector<long> asked;
    };
    const std::string full(200, 'a');
    const std::vector<Case> cases = {
        {"a NUL inside the text", {Chunk(std::string("A\0B\n", 4))}, 100, std::string("A\0B\r\n", 5), 4, false, false, {98}},
        {"the bus reports more than asked", {{"abcdefgh", 50}}, 10, "abcdefgh", 8, false, false, {8}},
        {"a count below what was put", {{"abcdef\n", 3}}, 100, "abc", 3, false, true, {98, 95}},
        {"after the first LF nothing counts", {Chunk("A\nB\n")}, 100, "A\r\n", 2, false, false, {98}},
        {"full chunks, then the room left", {Chunk(full), Chunk(full)}, 300, full + std::string(98, 'a'), 298, false,
         false, {200, 98}},
        {"CR LF split between chunks", {Chunk("A\r"), Chunk("\n")}, 100, "A\r", 3, false, false, {98, 96}},
        {"ERR at once", {{"", 0, false}}, 100, "", 0, true, false, {98}},
        {"time-out after text", {Chunk("A\r\n")}, 100, "A\r\n", 3, false, true, {98, 95}},
        {"ERR with text in the chunk", {Chunk("A\r\n"), {"B", 1, false}}, 100, "A\r\n", 3, false, true, {98, 95}},
        {"an empty read", {Chunk("")}, 100, "", 0, false, false, {98}},
        {"no room for a read", {}, 2, "", 0, false, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedBus bus(c.reads);
        std::string buffer(c.length + 8, '#');
        morvane::GpibReply reply = morvane::GpibReadReply(bus, buffer.data(), c.length);
        EXPECT_EQ(reply.count, c.count);
        EXPECT_EQ(reply.silent, c.silent);
        EXPECT_EQ(reply.cut, c.cut);
        EXPECT_EQ(buffer.substr(0, c.stored.size()), c.stored);
        EXPECT_EQ(buffer[c.stored.size()], '\0');
        EXPECT_EQ(buffer.substr(c.length), std::string(8, '#'));
        EXPECT_EQ(bus.asked, c.asked);
    }
}

}  // namespace

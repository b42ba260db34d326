// Collection of one GPIB reply from bus reads, apart from the bus so that
// tables and a fuzzer can drive it.
#ifndef MORVANE_GPIB_REPLY_H
#define MORVANE_GPIB_REPLY_H

#include <cstdint>

namespace morvane {

// Most bytes one bus read asks for.
constexpr long kGpibChunk = 200;

// Where the chunks of a reply come from: one bus read each.
class GpibChunkSource {
public:
    virtual ~GpibChunkSource() = default;
    // Reads at most count bytes into chunk, which the bus does not
    // terminate; *received is what the bus reports it delivered. False
    // when the read ended in ERR (a time-out among them).
    virtual bool ReadChunk(char* chunk, long count, long* received) = 0;
};

struct GpibReply {
    int32_t count;  // characters read, a CR put before a bare LF not counted
    bool silent;    // the first read ended in ERR before any character came
    bool cut;       // a later read ended in ERR before the reply's bare LF:
                    // what came is only the start of the reply
};

// Reads one reply into buffer (length bytes, at least 2): chunks up to the
// first LF of each, joined until a chunk that ends in a bare LF (stored as
// CR LF), a chunk of fewer than 2 characters, a failed read or a full
// buffer. At most length - 1 characters are stored, then a NUL.
GpibReply GpibReadReply(GpibChunkSource& source, char* buffer, uint32_t length);

}  // namespace morvane

#endif

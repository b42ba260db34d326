#include "gpib_reply.h"

#include <algorithm>
#include <cstring>

namespace morvane {

GpibReply GpibReadReply(GpibChunkSource& source, char* buffer, uint32_t length)
{
    if (length < 2) {
        if (length == 1)
            buffer[0] = '\0';
        return {0, false, false};
    }
    buffer[0] = '\0';
    int32_t total = 0;
    size_t stored = 0;
    // Two bytes stay free: the CR put before a bare LF, and the NUL.
    long room = static_cast<long>(length) - 2;
    bool silent = false;
    bool cut = false;
    while (room > 0) {
        // A byte to spare beyond the largest read.
        char chunk[kGpibChunk + 1];
        chunk[0] = '\0';
        const long asked = std::min(kGpibChunk, room);
        long received = 0;
        if (!source.ReadChunk(chunk, asked, &received)) {
            silent = total == 0 && received <= 0;
            cut = !silent;
            break;
        }
        // The end comes from the count: the bus does not terminate the data.
        long n = std::clamp(received, 0L, asked);
        if (const void* lf = std::memchr(chunk, '\n', static_cast<size_t>(n)))
            n = static_cast<const char*>(lf) - chunk + 1;
        room -= n;
        total += static_cast<int32_t>(n);
        if (n < 2)
            break;
        const size_t size = static_cast<size_t>(n);
        if (chunk[n - 1] == '\n' && chunk[n - 2] != '\r') {
            std::memcpy(buffer + stored, chunk, size - 1);
            std::memcpy(buffer + stored + size - 1, "\r\n", 2);
            stored += size + 1;
            break;
        }
        std::memcpy(buffer + stored, chunk, size);
        stored += size;
    }
    buffer[stored] = '\0';
    return {total, silent, cut};
}

}  // namespace morvane

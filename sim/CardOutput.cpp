#include "gensim/CardOutput.h"

namespace gensim {

void addCardOutput(SerialOutput out, driver::FirmwareEventAnswer& answer)
{
    uint32_t at = 0;
    std::size_t bytes = 0;
    for (const driver::OutputChunk& chunk : answer.output)
        bytes += chunk.bytes.size();
    for (OutputChunk& chunk : out.chunks) {
        at += static_cast<uint32_t>(chunk.delayMs);
        if (chunk.bytes.empty())
            continue;
        if (answer.output.size() == driver::kMaxOutputChunks || bytes + chunk.bytes.size() > driver::kMaxOutputBytes)
            break;
        bytes += chunk.bytes.size();
        if (!answer.output.empty() && answer.output.back().atMs == at)
            answer.output.back().bytes += chunk.bytes;
        else
            answer.output.push_back({at, std::move(chunk.bytes)});
    }
}

} // namespace gensim

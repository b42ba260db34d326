#include "gensim/VideoBoards.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace gensim {

std::uint64_t VideoBoards::pitch(bool threeBoards, int depth, int hres)
{
    const std::uint64_t need = threeBoards ? std::uint64_t(std::max(hres, 0))
                                           : std::uint64_t(std::max(depth, 0)) * std::uint64_t(std::max(hres, 0)) / 8;
    std::uint64_t p = threeBoards ? 1 : 128;
    while (p < need)
        p *= 2;
    return p;
}

void VideoBoards::put(int board, std::uint64_t address, std::uint8_t byte)
{
    std::vector<std::uint8_t>& memory = boards[static_cast<std::size_t>(board)];
    if (address >= kBoardBytes)
        return;
    if (memory.size() <= address)
        memory.resize(std::min<std::uint64_t>(kBoardBytes, std::max<std::uint64_t>(address + 1, memory.size() * 2)));
    memory[address] = byte;
}

std::uint8_t VideoBoards::at(int board, std::uint64_t address) const
{
    const std::vector<std::uint8_t>& memory = boards[static_cast<std::size_t>(board)];
    return address < memory.size() ? memory[address] : 0;
}

std::size_t VideoBoards::take(std::string_view bytes, Clock::time_point now, bool& finishedNow)
{
    finishedNow = false;
    if (!receiving)
        return 0;
    const DmaBlock& block = *receiving;
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size(), block.bytes() - received));
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint64_t k = received + i;
        const std::uint64_t row = k / block.rowLength;
        const std::uint64_t column = k % block.rowLength;
        put(block.board, block.start + row * block.pitch + column, static_cast<std::uint8_t>(bytes[i]));
    }
    received += n;
    lastData = now;
    if (received == block.bytes()) {
        finished.push_back(block);
        if (!dumpFolder.empty())
            dump(block, finished.size());
        receiving.reset();
        finishedNow = true;
    }
    return n;
}

// A picture of the block as it landed: its bytes as grey levels, and the
// same through the lookup table.
void VideoBoards::dump(const DmaBlock& block, std::size_t index) const
{
    const std::filesystem::path folder(dumpFolder);
    const std::string stem = "dma" + std::to_string(index) + "-board" + std::to_string(block.board);
    std::ofstream grey(folder / (stem + ".pgm"), std::ios::binary);
    std::ofstream colour(folder / (stem + ".ppm"), std::ios::binary);
    grey << "P5\n" << block.rowLength << ' ' << block.rows << "\n255\n";
    colour << "P6\n" << block.rowLength << ' ' << block.rows << "\n255\n";
    for (std::uint32_t y = 0; y < block.rows; ++y) {
        for (std::uint32_t x = 0; x < block.rowLength; ++x) {
            const std::uint8_t v = at(block.board, block.start + y * block.pitch + x);
            const std::uint32_t c = lut[v];
            grey.put(static_cast<char>(v));
            colour.put(static_cast<char>(c & 0xFF));
            colour.put(static_cast<char>((c >> 8) & 0xFF));
            colour.put(static_cast<char>((c >> 16) & 0xFF));
        }
    }
}

} // namespace gensim

// The generator's video memory as a download reaches it: one board (or the
// red, green and blue boards of a three-board model), the colour lookup
// table, and the DMA intake that "BDMA s l r b" and "SERM DMA" open: the
// line then carries exactly l x r raw bytes, row i landing at s + i x pitch
// of board b.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gensim {

struct DmaBlock {
    std::uint64_t start = 0;
    std::uint32_t rowLength = 0;
    std::uint32_t rows = 0;
    int board = 0;
    std::uint64_t pitch = 0;
    bool operator==(const DmaBlock&) const = default;

    std::uint64_t bytes() const { return std::uint64_t(rowLength) * rows; }
};

struct VideoBoards {
    static constexpr std::uint64_t kBoardBytes = 8u << 20;
    static constexpr int kLutEntries = 256;
    using Clock = std::chrono::steady_clock;

    std::array<std::vector<std::uint8_t>, 3> boards;  // grown as written, at most kBoardBytes
    std::array<std::uint32_t, kLutEntries> lut{};     // 0x00BBGGRR
    bool boardMode = false;                           // SBNK toggles it (three-board models)
    std::optional<DmaBlock> pending;                  // BDMA given, SERM DMA not yet
    std::optional<DmaBlock> receiving;                // SERM DMA given: the line is the block's
    std::uint64_t received = 0;
    Clock::time_point lastData{};
    std::vector<DmaBlock> finished;                   // every block that arrived whole
    std::string dumpFolder;                           // --video-dump: each finished block as PGM and PPM

    // The row distance of a board: one board max(128, 2^k >= depth x hres / 8),
    // the boards of a three-board model 2^k >= hres.
    static std::uint64_t pitch(bool threeBoards, int depth, int hres);
    // Takes what bytes holds of the block (at most what it still lacks);
    // true when the block is then whole.
    std::size_t take(std::string_view bytes, Clock::time_point now, bool& finishedNow);
    std::uint8_t at(int board, std::uint64_t address) const;

private:
    void put(int board, std::uint64_t address, std::uint8_t byte);
    void dump(const DmaBlock& block, std::size_t index) const;
};

} // namespace gensim

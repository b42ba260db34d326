// What a stored font holds: the eleven header values FDTA 0 k sets (k 1-7
// and 9-12) and the four tables FNTG allocates from them: the strike's
// words (1), the location (2) and offset/width (3) tables and the image
// widths (4).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace gensim {

struct FontTables {
    // Header indexes.
    enum : int { kFirst = 1, kLast = 2, kCharHeight = 7, kPitch32 = 12, kHeaderSlots = 13 };
    static constexpr int kTables = 4;

    std::array<std::int32_t, kHeaderSlots> header{};  // slots 0 and 8 unused
    std::array<std::vector<std::uint32_t>, kTables> tables{};  // table t at t - 1

    // The tables' sizes the header asks for, or false when the header
    // describes no font (range, height or pitch out of bounds).
    bool tableSizes(std::array<std::size_t, kTables>& sizes) const;
    std::uint64_t bytes() const;

    bool operator==(const FontTables&) const = default;
};

}  // namespace gensim

#pragma once
// The twenty standard colour sets a pixel map's colour table (LUT) is built
// from, each with its bit of the map's set mask, and the building itself.
// Entries are COLORREF values, 0x00BBGGRR; entry 0 is the colour of every
// pixel whose value is 0 and always stays black.

#include <QStringList>

#include <array>
#include <cstdint>
#include <span>
#include <vector>

struct LutSet {
    std::uint32_t mask;
    // Named colours by the string id of their display name; 0 names none
    // (black).
    std::span<const unsigned> colours;
    unsigned nameId;
};

// In table order: the order of the dialog's list, of the building and of
// the source export's "Lut Sets" lines.
const std::array<LutSet, 20> &StandardLutSets();

// Every entry of lut becomes black; then, from entry 1, each colour of the
// sets in mask (table order, list order) that no entry holds yet goes into
// the next entry, until the last entry is filled. lut keeps its size.
void ApplyLutSets(std::uint32_t mask, std::vector<std::uint32_t> &lut);

// The names of the sets in mask, in table order.
QStringList LutSetNames(std::uint32_t mask);

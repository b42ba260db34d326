#pragma once
// Where the whole-image patterns put their lines and bars, as plain
// functions of the image's size and the pattern's two values.
//
// Every list holds only the positions inside a window of interest (the
// image, for drawing), worked out without walking the ones outside: a
// value read from a file may ask for 2^31 lines, or for none at all.

#include <cstdint>
#include <vector>

namespace GridLines {

// The positions first, first + step, ... (count of them) that lie in low..high.
std::vector<int> StepPositions(std::int64_t first, std::int64_t step, std::int64_t count, int low, int high);

// A centred grid of boxes across extent pixels: boxes + 1 lines, the
// margins left over split evenly. None for boxes below 1.
std::vector<int> CentredGridLines(int extent, int boxes, int low, int high);

// A hatch of boxes across extent pixels, in pairs from the middle outwards
// (insideOut) or from the edges inwards. None for boxes below 1. From the
// middle of an even extent the columns start apart (320 up, 319 down on
// 640) and the rows crossed (239 up, 240 down on 480).
std::vector<int> HatchLines(int extent, int boxes, bool insideOut, bool rows, int low, int high);

// The first rows (columns) of the bars of a grill across extent pixels.
// None when bar + space is below 1.
std::vector<int> GrillBarStarts(int extent, int bar, int space, int low, int high);

} // namespace GridLines

#include "GridLines.h"

#include <algorithm>

namespace GridLines {

namespace {

// Division rounding towards minus infinity, and towards plus infinity.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

std::int64_t CeilDiv(std::int64_t a, std::int64_t b)
{
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) == (b < 0)) ? q + 1 : q;
}

} // namespace

std::vector<int> StepPositions(std::int64_t first, std::int64_t step, std::int64_t count, int low, int high)
{
    std::vector<int> positions;
    if (count < 1 || low > high)
        return positions;
    if (step == 0) {
        if (first >= low && first <= high)
            positions.push_back(int(first));
        return positions;
    }
    // The indexes k in 0..count-1 with low <= first + k * step <= high.
    std::int64_t from = 0;
    std::int64_t to = count - 1;
    if (step > 0) {
        from = std::max(from, CeilDiv(std::int64_t(low) - first, step));
        to = std::min(to, FloorDiv(std::int64_t(high) - first, step));
    } else {
        from = std::max(from, CeilDiv(std::int64_t(high) - first, step));
        to = std::min(to, FloorDiv(std::int64_t(low) - first, step));
    }
    for (std::int64_t k = from; k <= to; ++k)
        positions.push_back(int(first + k * step));
    return positions;
}

std::vector<int> CentredGridLines(int extent, int boxes, int low, int high)
{
    if (boxes < 1)
        return {};
    const std::int64_t left = std::int64_t(extent) - boxes - 1;
    const std::int64_t step = left / boxes + 1;
    const std::int64_t first = (left % boxes) / 2;
    return StepPositions(first, step, std::int64_t(boxes) + 1, low, high);
}

std::vector<int> HatchLines(int extent, int boxes, bool insideOut, bool rows, int low, int high)
{
    if (boxes < 1)
        return {};
    const std::int64_t step = extent / boxes;
    const int largest = extent - 1;
    std::int64_t rising = 0;
    std::int64_t falling = largest;
    if (insideOut) {
        const int apart = extent % 2 == 0 ? 1 : 0;
        rising = largest / 2 + (rows ? 0 : apart);
        falling = largest / 2 + (rows ? apart : 0);
    }
    const std::int64_t pairs = (std::int64_t(boxes) + 2) / 2;
    std::vector<int> positions = StepPositions(rising, step, pairs, low, high);
    for (int position : StepPositions(falling, -step, pairs, low, high))
        positions.push_back(position);
    return positions;
}

std::vector<int> GrillBarStarts(int extent, int bar, int space, int low, int high)
{
    const std::int64_t step = std::int64_t(bar) + space;
    if (step < 1 || extent < 0)
        return {};
    return StepPositions(0, step, extent / step + 1, low, high);
}

} // namespace GridLines

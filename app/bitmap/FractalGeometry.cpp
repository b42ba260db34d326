#include "FractalGeometry.h"

#include <algorithm>
#include <array>
#include <bit>

namespace {

int FloorLog2(int v)
{
    return std::bit_width(unsigned(v)) - 1;
}

int Spacing(int length, const FractalHeader &h)
{
    return h.domainStepMode == 0 ? length / h.domainStep : length * h.domainStep;
}

} // namespace

std::optional<FractalGeometry> MakeFractalGeometry(const FractalHeader &h)
{
    if (h.rowLength < 1 || h.rowLength > kLargestPlaneSide || h.rowCount < 1 || h.rowCount > kLargestPlaneSide)
        return std::nullopt;
    if (h.domainStep < 1 || h.domainStep > 15 || h.domainStepMode < 0 || h.domainStepMode > 1 || h.domainSpacingMode < 0
        || h.domainSpacingMode > 2)
        return std::nullopt;
    FractalGeometry g;
    g.coverDepth = std::min(FloorLog2(h.rowLength), FloorLog2(h.rowCount));
    g.coverSide = 1 << g.coverDepth;
    if (h.shallowDepth < 1 || h.shallowDepth > h.deepDepth || h.deepDepth > g.coverDepth)
        return std::nullopt;
    const int smallest = g.coverSide >> h.deepDepth;
    if (h.rowLength % smallest != 0 || h.rowCount % smallest != 0)
        return std::nullopt;
    for (int k = 0; k <= h.deepDepth - h.shallowDepth; ++k) {
        FractalLevel level;
        level.rangeSide = g.coverSide >> (h.shallowDepth + k);
        level.domainSide = g.coverSide >> (h.shallowDepth + k - 1);
        switch (h.domainSpacingMode) {
        case 0: level.pitchX = Spacing(level.domainSide, h); break;
        case 1: level.pitchX = Spacing(g.coverSide >> (h.deepDepth - k - 1), h); break;
        default: level.pitchX = h.domainStep; break;
        }
        level.pitchY = level.pitchX;
        if (level.pitchX < 1 || level.domainSide > h.rowLength || level.domainSide > h.rowCount)
            return std::nullopt;
        level.across = 1 + (h.rowLength - level.domainSide) / level.pitchX;
        level.down = 1 + (h.rowCount - level.domainSide) / level.pitchY;
        level.indexBits = std::bit_width(unsigned(level.DomainCount() - 1));
        g.levels.push_back(level);
    }
    return g;
}

void CoverPlane(int rowLength, int rowCount, int coverDepth, const std::function<void(int, int, int, int)> &visit)
{
    int x = 0;
    int y = 0;
    int w = rowLength;
    int h = rowCount;
    // Each rectangle: its largest square at (x, y), the rest of its width to
    // the right, then the rest of its height below the square.
    std::vector<std::array<int, 4>> pending;
    for (;;) {
        const int depth = std::min(FloorLog2(w), FloorLog2(h));
        const int s = 1 << depth;
        visit(x, y, s, coverDepth - depth);
        if (h > s)
            pending.push_back({x, y + s, s, h - s});
        if (w > s) {
            x += s;
            w -= s;
            continue;
        }
        if (pending.empty())
            return;
        const std::array<int, 4> next = pending.back();
        pending.pop_back();
        x = next[0];
        y = next[1];
        w = next[2];
        h = next[3];
    }
}

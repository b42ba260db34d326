#pragma once
// The quadtree geometry a fractal stream header describes: the cover side,
// the range and domain squares of each level, and the cover of the plane.

#include <functional>
#include <optional>
#include <vector>

struct FractalHeader {
    int shallowDepth = 0;
    int deepDepth = 0;
    int domainStep = 0;
    int domainStepMode = 0;    // 0: spacing = side / step; 1: side x step
    int domainSpacingMode = 0; // 0: from the level's domain side; 1: from the reverse level; 2: step pixels
    int rowLength = 0;
    int rowCount = 0;
};

// Field widths of the header, in stream order.
inline constexpr int kHeaderFieldBits[7] = {4, 4, 4, 1, 2, 12, 12};
inline constexpr int kLargestPlaneSide = 4095;
// The longest stream a plane can give: a range is at least one pixel, and its
// split bit, scale, offset (16 bits each at most), symmetry and domain index
// (24 bits at most) take under 64 bits; the header adds 39.
inline constexpr long long kLargestStreamBytes = 8LL * kLargestPlaneSide * kLargestPlaneSide + 8;

struct FractalLevel {
    int rangeSide = 0;
    int domainSide = 0;
    int pitchX = 0;
    int pitchY = 0;
    int across = 0;
    int down = 0;
    int indexBits = 0; // bit width of across x down - 1

    int DomainCount() const { return across * down; }
};

struct FractalGeometry {
    int coverSide = 0;
    int coverDepth = 0; // log2 coverSide
    std::vector<FractalLevel> levels; // depth shallowDepth + k at index k
};

// The geometry, or nothing when the header describes no codable plane: a
// field out of range, depths outside 1..log2 coverSide, a spacing below one
// pixel, a domain larger than the plane, or a side that is not a multiple of
// the smallest range, which would leave squares no level describes.
std::optional<FractalGeometry> MakeFractalGeometry(const FractalHeader &header);

// Calls visit for every square of the cover of a rowLength x rowCount plane
// (left to right, then down), with its depth below the cover side.
void CoverPlane(int rowLength, int rowCount, int coverDepth, const std::function<void(int x, int y, int side, int depth)> &visit);

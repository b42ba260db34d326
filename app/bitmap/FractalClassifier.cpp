#include "FractalClassifier.h"

#include <algorithm>

namespace {

// Sub-class and orientation of a block's negative, the first of each pair for
// classes 0 and 1, the second for class 2.
constexpr int kClassTransform[2][24] = {
    {23, 17, 21, 11, 15, 9, 22, 16, 19, 5, 13, 3, 20, 10, 18, 4, 7, 1, 14, 8, 12, 2, 6, 0},
    {16, 22, 10, 20, 8, 14, 17, 23, 4, 18, 2, 12, 11, 21, 5, 19, 0, 6, 9, 15, 3, 13, 1, 7},
};
constexpr int kOrientationTransform[2][8] = {{7, 4, 5, 6, 1, 2, 3, 0}, {2, 3, 0, 1, 6, 7, 4, 5}};

enum Quadrant { kTopLeft, kTopRight, kBottomLeft, kBottomRight };

// Clockwise from the top left, the order the sub-classes rank the quadrants in.
constexpr Quadrant kClockwise[4] = {kTopLeft, kTopRight, kBottomRight, kBottomLeft};

// The quadrant of the source block that symmetry k puts at q.
Quadrant SourceQuadrant(int k, Quadrant q)
{
    int u = 0;
    int v = 0;
    SymmetrySource(k, 2, 2, q % 2, q / 2, u, v);
    return Quadrant(v * 2 + u);
}

// Index of a permutation of 0..3 in lexicographic order.
int PermutationIndex(const std::array<int, 4> &p)
{
    constexpr int kFactorial[4] = {6, 2, 1, 0};
    int index = 0;
    for (int i = 0; i < 3; ++i) {
        int smaller = 0;
        for (int j = i + 1; j < 4; ++j)
            smaller += p[j] < p[i] ? 1 : 0;
        index += smaller * kFactorial[i];
    }
    return index;
}

// Clockwise positions ordered by decreasing value; ties keep their order.
std::array<int, 4> DecreasingOrder(const std::array<double, 4> &clockwise)
{
    std::array<int, 4> order = {0, 1, 2, 3};
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return clockwise[a] > clockwise[b]; });
    return order;
}

} // namespace

void SymmetrySource(int k, int w, int h, int x, int y, int &u, int &v)
{
    // Follow the point back through the steps in reverse, as fractions of
    // the block (numerator over 2 x the side), so that blocks need not be square.
    long a = 2L * x + 1;
    long da = 2L * w;
    long b = 2L * y + 1;
    long db = 2L * h;
    if (k >= 4) {
        std::swap(a, b);
        std::swap(da, db);
    }
    for (int turn = 0; turn < k % 4; ++turn) {
        // A counter-clockwise turn brings source (1 - fy, fx) to (fx, fy).
        const long na = db - b;
        const long nda = db;
        b = a;
        db = da;
        a = na;
        da = nda;
    }
    u = int(a * w / da);
    v = int(b * h / db);
}

int CombineSymmetry(int g, int r)
{
    if ((g < 4) == (r < 4))
        return (g % 4 - r % 4 + 4) % 4;
    return ((g % 4 + 12 - 3 * (r % 4)) % 4) + 4;
}

BlockClass ClassifyQuadrants(const std::array<double, 4> &mean, const std::array<double, 4> &variance)
{
    BlockClass result;
    for (int k = 0; k < 8; ++k) {
        const double tl = mean[SourceQuadrant(k, kTopLeft)];
        const double tr = mean[SourceQuadrant(k, kTopRight)];
        const double bl = mean[SourceQuadrant(k, kBottomLeft)];
        const double br = mean[SourceQuadrant(k, kBottomRight)];
        if (tl >= tr && tl >= bl && tl >= br && tr >= bl) {
            result.orientation = k;
            break;
        }
    }
    std::array<double, 4> means{};
    std::array<double, 4> variances{};
    for (int i = 0; i < 4; ++i) {
        const Quadrant source = SourceQuadrant(result.orientation, kClockwise[i]);
        means[i] = mean[source];
        variances[i] = variance[source];
    }
    // Clockwise index 2 is the bottom right: third brightest, second, or darkest.
    const std::array<int, 4> brightness = DecreasingOrder(means);
    const int place = int(std::find(brightness.begin(), brightness.end(), 2) - brightness.begin());
    result.cls = place == 2 ? 0 : place == 1 ? 1 : 2;
    const std::array<int, 4> byVariance = DecreasingOrder(variances);
    std::array<int, 4> ranks{};
    for (int i = 0; i < 4; ++i)
        ranks[byVariance[i]] = i;
    result.subclass = PermutationIndex(ranks);
    return result;
}

BlockClass FlippedClass(const BlockClass &block)
{
    const int table = block.cls == 2 ? 1 : 0;
    return {block.cls, kClassTransform[table][block.subclass], kOrientationTransform[table][block.orientation]};
}

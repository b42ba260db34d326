#pragma once
// The eight square symmetries of the fractal coder and the classification of
// blocks by the brightness and variance order of their quadrants.
//
// Symmetry k < 4 turns a block k quarter turns counter-clockwise as seen on
// screen; k >= 4 turns it k - 4 quarter turns and then transposes it. An
// orientation is the symmetry that brings a block to canonical form: the
// brightest quadrant top left, the top-right one at least as bright as the
// bottom-left one.

#include <array>

// For a block of w x h pixels that symmetry k made from a source block of the
// same size: the source pixel (u, v) that lands on (x, y).
void SymmetrySource(int k, int w, int h, int x, int y, int &u, int &v);

// The symmetry that maps a domain of orientation g onto a range of
// orientation r: g, then the inverse of r.
int CombineSymmetry(int g, int r);

struct BlockClass {
    int cls = 0;         // 0..2, by the place of the bottom-right quadrant in the brightness order
    int subclass = 0;    // 0..23, the variance order of the quadrants in canonical form
    int orientation = 0; // 0..7
};

// Means and variances of the quadrants, top-left, top-right, bottom-left,
// bottom-right. Ties go to the lower position and the first symmetry.
BlockClass ClassifyQuadrants(const std::array<double, 4> &mean, const std::array<double, 4> &variance);

// The class of the block's negative (255 - pixel), from the transform tables.
BlockClass FlippedClass(const BlockClass &block);

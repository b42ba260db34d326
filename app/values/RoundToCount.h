#pragma once
// Counts that a format sends come from its stored times: time x rate, plus
// one half, truncated toward zero. Every such rounding goes through here so
// that a value that is not a number or does not fit an int is refused
// instead of being converted (which would be undefined).

#include <optional>

// x + 0.5 truncated toward zero (2.5 gives 3, 0.49 gives 0, -2.7 gives -2);
// nothing when x is not finite or the result lies outside the int range.
std::optional<int> RoundToCount(double x);

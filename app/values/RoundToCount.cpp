#include "RoundToCount.h"

#include <climits>
#include <cmath>

std::optional<int> RoundToCount(double x)
{
    if (!std::isfinite(x))
        return std::nullopt;
    const double truncated = std::trunc(x + 0.5);
    // Both bounds are exact doubles; a double cast to int outside them is undefined.
    if (truncated < double(INT_MIN) || truncated > double(INT_MAX))
        return std::nullopt;
    return int(truncated);
}

#pragma once
// A colour as the generator's three-part replies give it: red, green and
// blue, each kept within 0..1.

#include <cmath>

struct RgbTriple
{
    RgbTriple() = default;
    RgbTriple(double red, double green, double blue) { Set(red, green, blue); }

    void Set(double red, double green, double blue)
    {
        r = Clamp(red);
        g = Clamp(green);
        b = Clamp(blue);
    }

    double r = 0.0;
    double g = 0.0;
    double b = 0.0;

private:
    // Not-a-number reads as 0, like anything below the range.
    static double Clamp(double v)
    {
        if (std::isnan(v) || v < 0.0)
            return 0.0;
        return v > 1.0 ? 1.0 : v;
    }
};

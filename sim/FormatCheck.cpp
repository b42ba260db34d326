#include "gensim/FormatCheck.h"

#include <cmath>

namespace gensim {

namespace {

// Pixel clocks the generator can make, in Hz.
constexpr double kMinPixelRate = 1e6;
constexpr double kMaxPixelRate = 400e6;

struct Rule {
    int error;
    bool (*broken)(const Registers& f);
};

double v(const Registers& f, const char* mnemonic) { return f.number(mnemonic); }

double pixelRate(const Registers& f) { return v(f, "HTOT") * v(f, "HRAT"); }

// In the order the generator tests them: the first broken rule is reported.
const Rule kRules[] = {
    {2151, [](const Registers& f) { return v(f, "HTOT") < v(f, "HRES"); }},     // total < resolution
    {2150, [](const Registers& f) { return v(f, "HTOT") == v(f, "HRES"); }},    // no blanking
    {2090, [](const Registers& f) { return std::fmod(v(f, "HTOT"), 2) != 0; }}, // total not even
    {2071, [](const Registers& f) { return pixelRate(f) > kMaxPixelRate; }},
    {2080, [](const Registers& f) { return pixelRate(f) < kMinPixelRate; }},
    {2230, [](const Registers& f) { return v(f, "HSPD") + v(f, "HSPW") > v(f, "HTOT") - v(f, "HRES"); }},
    {2310, [](const Registers& f) { return v(f, "VTOT") <= v(f, "VRES"); }},
    {2350, [](const Registers& f) { return v(f, "VSPW") < 1; }},
    {2430, [](const Registers& f) { return v(f, "VSPD") + v(f, "VSPW") > v(f, "VTOT") - v(f, "VRES"); }},
    {2041, [](const Registers& f) { return v(f, "RFLD") != 0 && v(f, "SCAN") == 1; }},
};

} // namespace

int checkFormat(const Registers& format)
{
    for (const Rule& rule : kRules)
        if (rule.broken(format))
            return rule.error;
    return 0;
}

} // namespace gensim

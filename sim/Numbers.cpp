#include "gensim/Numbers.h"

#include <charconv>
#include <cmath>

namespace gensim {

bool parseNumber(std::string_view text, double& value)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty() || text.front() == '+')
        return false;
    double v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

namespace {

// A stored -0 must not come back as "-0.000".
double noNegativeZero(double v) { return v == 0 ? 0.0 : v; }

template <typename... Format>
std::string toText(double value, Format... format)
{
    char buffer[400];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, noNegativeZero(value), format...);
    if (ec != std::errc())
        return "0";
    return std::string(buffer, end);
}

} // namespace

std::string formatInteger(double value)
{
    return std::to_string(static_cast<long long>(std::llround(value)));
}

std::string formatFixed(double value, int decimals)
{
    return toText(value, std::chars_format::fixed, decimals);
}

std::string formatGeneral(double value, int digits)
{
    return toText(value, std::chars_format::general, digits);
}

} // namespace gensim

#include "ReplyNumbers.h"

#include <charconv>
#include <cstring>
#include <limits>

namespace {

// Skips what atoi and atof skip, and a '+' sign that from_chars refuses.
const char* SkipLead(const char* text, bool& negative)
{
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        ++text;
    negative = *text == '-';
    if (*text == '+' || *text == '-')
        ++text;
    return text;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

namespace ReplyNumbers {

int LeadingInt(const char* text)
{
    if (text == nullptr)
        return 0;
    bool negative = false;
    const char* p = SkipLead(text, negative);
    long long value = 0;
    for (; IsDigit(*p); ++p) {
        value = value * 10 + (*p - '0');
        if (value > (1LL << 32))
            break; // already beyond any int
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return int(value);
}

double LeadingDouble(const char* text)
{
    if (text == nullptr)
        return 0.0;
    bool negative = false;
    const char* p = SkipLead(text, negative);
    // Only decimal forms: no "inf", "nan" or hex, which no generator sends.
    if (!IsDigit(*p) && !(*p == '.' && IsDigit(p[1])))
        return 0.0;
    double value = 0.0;
    const auto [end, ec] = std::from_chars(p, p + std::strlen(p), value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // from_chars leaves value alone; tell overflow from underflow by the exponent's sign.
        const char* e = p;
        while (e < end && *e != 'e' && *e != 'E')
            ++e;
        const bool tiny = e + 1 < end && e[1] == '-';
        value = tiny ? 0.0 : std::numeric_limits<double>::max();
    } else if (ec != std::errc()) {
        return 0.0;
    }
    return negative ? -value : value;
}

} // namespace ReplyNumbers

// The processor's 16.16 arithmetic on staged matrices, vertices and arrays,
// and its own number formatter (rules in CardBlocks.h).
#include "gensim/CardDci.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <numbers>

namespace gensim {

namespace {

using MathsMatrix = std::array<int32_t, 16>;

uint32_t mathsWord(const std::vector<double>& a, std::size_t i)
{
    return i < a.size() && a[i] > -9.2e18 && a[i] < 9.2e18 ? static_cast<uint32_t>(static_cast<int64_t>(a[i])) : 0;
}

int32_t mathsInt(const std::vector<double>& a, std::size_t i)
{
    return static_cast<int32_t>(mathsWord(a, i));
}

int32_t mathsLoad32(const uint8_t* p, std::size_t index)
{
    const uint8_t* q = p + 4 * index;
    return static_cast<int32_t>(q[0] | q[1] << 8 | q[2] << 16 | static_cast<uint32_t>(q[3]) << 24);
}

void mathsStore32(uint8_t* p, std::size_t index, int32_t value)
{
    uint8_t* q = p + 4 * index;
    for (int i = 0; i < 4; ++i)
        q[i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
}

int16_t mathsLoad16(const uint8_t* p, std::size_t index)
{
    return static_cast<int16_t>(p[2 * index] | p[2 * index + 1] << 8);
}

void mathsStore16(uint8_t* p, std::size_t index, int16_t value)
{
    p[2 * index] = static_cast<uint8_t>(value);
    p[2 * index + 1] = static_cast<uint8_t>(static_cast<uint16_t>(value) >> 8);
}

// The sum of products, shifted right 16 (floor), kept to 32 bits.
int32_t mathsShifted(__int128 sum)
{
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(sum >> 16)));
}

MathsMatrix mathsProduct(const MathsMatrix& a, const MathsMatrix& b)
{
    MathsMatrix c{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            __int128 sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += static_cast<__int128>(int64_t{a[4 * i + k]} * b[4 * k + j]);
            c[4 * i + j] = mathsShifted(sum);
        }
    return c;
}

MathsMatrix mathsIdentity()
{
    MathsMatrix m{};
    for (int i = 0; i < 4; ++i)
        m[5 * i] = 0x10000;
    return m;
}

int32_t mathsFix(double v)
{
    return static_cast<int32_t>(std::lround(v * 65536.0));
}

// Rotation by degrees (a Fix) about axis 0, 1 or 2.
MathsMatrix mathsRotation(int axis, int32_t degrees)
{
    const double radians = degrees / 65536.0 * std::numbers::pi / 180.0;
    const int32_t c = mathsFix(std::cos(radians));
    const int32_t s = mathsFix(std::sin(radians));
    MathsMatrix m = mathsIdentity();
    const int p = axis == 0 ? 1 : 0;
    const int q = axis == 2 ? 1 : 2;
    m[4 * p + p] = c;
    m[4 * q + q] = c;
    // About y the signs turn round: (c 0 -s)(0 1 0)(s 0 c).
    m[4 * p + q] = axis == 1 ? -s : s;
    m[4 * q + p] = axis == 1 ? s : -s;
    return m;
}

int32_t mathsRound(int32_t fix)
{
    return static_cast<int32_t>((int64_t{fix} + 0x8000) >> 16);
}

int16_t mathsKeep16(int64_t v)
{
    return static_cast<int16_t>(std::clamp<int64_t>(v, std::numeric_limits<int16_t>::min(),
                                                    std::numeric_limits<int16_t>::max()));
}

int32_t mathsKeep32(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

bool mathsCount(int32_t n)
{
    return n >= 0 && n <= 0x7FFF;
}

} // namespace

// --- Matrices and vertices -----------------------------------------------------------

// Shared by rotate, scale and translate: the matrix times the vertex's transform.
uint32_t CardDci::rotate(const std::vector<double>& a)
{
    uint64_t matrixBytes = 0, vertexBytes = 0;
    uint8_t* matrix = staged(mathsWord(a, 0), matrixBytes);
    const uint8_t* vertex = staged(mathsWord(a, 1), vertexBytes);
    if (matrix == nullptr || vertex == nullptr || matrixBytes < 64 || vertexBytes < 12)
        return 0;
    MathsMatrix m{};
    for (std::size_t i = 0; i < 16; ++i)
        m[i] = mathsLoad32(matrix, i);
    const int32_t v[3] = {mathsLoad32(vertex, 0), mathsLoad32(vertex, 1), mathsLoad32(vertex, 2)};
    if (m_routine == "XR_Scale") {
        MathsMatrix t = mathsIdentity();
        for (int i = 0; i < 3; ++i)
            t[5 * i] = v[i];
        m = mathsProduct(m, t);
    } else if (m_routine == "XR_Translate") {
        MathsMatrix t = mathsIdentity();
        for (int i = 0; i < 3; ++i)
            t[12 + i] = v[i];
        m = mathsProduct(m, t);
    } else {
        for (int axis = 0; axis < 3; ++axis)
            m = mathsProduct(m, mathsRotation(axis, v[axis]));
    }
    for (std::size_t i = 0; i < 16; ++i)
        mathsStore32(matrix, i, m[i]);
    return 0;
}

uint32_t CardDci::scale(const std::vector<double>& a)
{
    return rotate(a);
}

uint32_t CardDci::translate(const std::vector<double>& a)
{
    return rotate(a);
}

uint32_t CardDci::transform(const std::vector<double>& a)
{
    uint64_t matrixBytes = 0, vertexBytes = 0;
    const uint8_t* matrix = staged(mathsWord(a, 0), matrixBytes);
    const int32_t n = mathsInt(a, 1);
    uint8_t* vertices = staged(mathsWord(a, 2), vertexBytes);
    if (matrix == nullptr || vertices == nullptr || matrixBytes < 64 || !mathsCount(n)
        || vertexBytes < 12 * static_cast<uint64_t>(n))
        return 0;
    MathsMatrix m{};
    for (std::size_t i = 0; i < 16; ++i)
        m[i] = mathsLoad32(matrix, i);
    for (std::size_t k = 0; k < static_cast<std::size_t>(n); ++k) {
        const int64_t v[4] = {mathsLoad32(vertices, 3 * k), mathsLoad32(vertices, 3 * k + 1),
                              mathsLoad32(vertices, 3 * k + 2), 0x10000};
        for (std::size_t j = 0; j < 3; ++j) {
            __int128 sum = 0;
            for (std::size_t i = 0; i < 4; ++i)
                sum += static_cast<__int128>(v[i] * m[4 * i + j]);
            mathsStore32(vertices, 3 * k + j, mathsShifted(sum));
        }
    }
    return 0;
}

uint32_t CardDci::perspective(const std::vector<double>& a)
{
    const int32_t n = mathsInt(a, 0);
    uint64_t vertexBytes = 0, pointBytes = 0;
    const uint8_t* vertices = staged(mathsWord(a, 1), vertexBytes);
    uint8_t* points = staged(mathsWord(a, 2), pointBytes);
    if (vertices == nullptr || points == nullptr || !mathsCount(n) || vertexBytes < 12 * static_cast<uint64_t>(n)
        || pointBytes < 4 * static_cast<uint64_t>(n))
        return 0;
    const int64_t distance = int64_t{mathsInt(a, 3)} * 0x10000;
    const int64_t cx = mathsInt(a, 4), cy = mathsInt(a, 5);
    for (std::size_t k = 0; k < static_cast<std::size_t>(n); ++k) {
        const int64_t x = mathsLoad32(vertices, 3 * k), y = mathsLoad32(vertices, 3 * k + 1);
        const int64_t den = distance + mathsLoad32(vertices, 3 * k + 2);
        int64_t px = cx, py = cy;
        if (den != 0) {  // a negative distance looks from the other side
            px += static_cast<int64_t>((static_cast<__int128>(x) * distance / den) >> 16);
            py += static_cast<int64_t>((static_cast<__int128>(y) * distance / den) >> 16);
        }
        mathsStore16(points, 2 * k, mathsKeep16(px));
        mathsStore16(points, 2 * k + 1, mathsKeep16(py));
    }
    return 0;
}

uint32_t CardDci::vertexToPoint(const std::vector<double>& a)
{
    const int32_t n = mathsInt(a, 0);
    uint64_t vertexBytes = 0, pointBytes = 0;
    const uint8_t* vertices = staged(mathsWord(a, 1), vertexBytes);
    uint8_t* points = staged(mathsWord(a, 2), pointBytes);
    if (vertices == nullptr || points == nullptr || !mathsCount(n) || vertexBytes < 12 * static_cast<uint64_t>(n)
        || pointBytes < 4 * static_cast<uint64_t>(n))
        return 0;
    for (std::size_t k = 0; k < static_cast<std::size_t>(n); ++k) {
        mathsStore16(points, 2 * k, mathsKeep16(mathsRound(mathsLoad32(vertices, 3 * k))));
        mathsStore16(points, 2 * k + 1, mathsKeep16(mathsRound(mathsLoad32(vertices, 3 * k + 1))));
    }
    return 0;
}

// --- Conversions -----------------------------------------------------------------------

namespace {

enum class MathsWidth { Half, Full };

struct MathsConversion {
    std::string_view name;
    MathsWidth in, out;
    int32_t (*convert)(int32_t);
};

constexpr MathsConversion kMathsConversions[] = {
    {"XR_Int32ToFix", MathsWidth::Full, MathsWidth::Full,
     [](int32_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v) << 16); }},
    {"XR_Int16ToFix", MathsWidth::Half, MathsWidth::Full,
     [](int32_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v) << 16); }},
    {"XR_FixToInt32", MathsWidth::Full, MathsWidth::Full, [](int32_t v) { return mathsRound(v); }},
    {"XR_FixToInt16", MathsWidth::Full, MathsWidth::Half, [](int32_t v) { return int32_t{mathsKeep16(mathsRound(v))}; }},
};

uint64_t mathsBytes(MathsWidth w)
{
    return w == MathsWidth::Half ? 2 : 4;
}

} // namespace

// (n, in, out): out's address, 0 when refused.
uint32_t CardDci::int32ToFix(const std::vector<double>& a)
{
    const MathsConversion* row = nullptr;
    for (const MathsConversion& r : kMathsConversions)
        if (r.name == m_routine)
            row = &r;
    const int32_t n = mathsInt(a, 0);
    uint64_t inBytes = 0, outBytes = 0;
    const uint8_t* in = staged(mathsWord(a, 1), inBytes);
    uint8_t* out = staged(mathsWord(a, 2), outBytes);
    if (row == nullptr || in == nullptr || out == nullptr || !mathsCount(n)
        || inBytes < mathsBytes(row->in) * static_cast<uint64_t>(n)
        || outBytes < mathsBytes(row->out) * static_cast<uint64_t>(n))
        return 0;
    // In and out may be one block: each value is read before it is written.
    std::vector<int32_t> values(static_cast<std::size_t>(n));
    for (std::size_t k = 0; k < values.size(); ++k)
        values[k] = row->in == MathsWidth::Half ? mathsLoad16(in, k) : mathsLoad32(in, k);
    for (std::size_t k = 0; k < values.size(); ++k) {
        const int32_t v = row->convert(values[k]);
        if (row->out == MathsWidth::Half)
            mathsStore16(out, k, static_cast<int16_t>(v));
        else
            mathsStore32(out, k, v);
    }
    return mathsWord(a, 2);
}

uint32_t CardDci::int16ToFix(const std::vector<double>& a)
{
    return int32ToFix(a);
}

uint32_t CardDci::fixToInt32(const std::vector<double>& a)
{
    return int32ToFix(a);
}

uint32_t CardDci::fixToInt16(const std::vector<double>& a)
{
    return int32ToFix(a);
}

// --- Arithmetic ------------------------------------------------------------------------

uint32_t CardDci::roundRoutine(const std::vector<double>& a)
{
    const double v = a.empty() ? 0 : a[0];
    if (!std::isfinite(v))
        return 0;
    const double r = std::trunc(v + 0.5);
    if (r <= std::numeric_limits<int32_t>::min())
        return static_cast<uint32_t>(std::numeric_limits<int32_t>::min());
    if (r >= std::numeric_limits<int32_t>::max())
        return static_cast<uint32_t>(std::numeric_limits<int32_t>::max());
    return static_cast<uint32_t>(static_cast<int32_t>(r));
}

uint32_t CardDci::timesDivide(const std::vector<double>& a)
{
    const int64_t divisor = mathsInt(a, 2);
    if (divisor == 0)
        return 0;
    return static_cast<uint32_t>(mathsKeep32(int64_t{mathsInt(a, 0)} * mathsInt(a, 1) / divisor));
}

// --- Number text -----------------------------------------------------------------------

namespace {

struct MathsValue {
    bool real;
    double number;
    int32_t integer;
};

std::string mathsDigits(char conversion, const MathsValue& v, int precision)
{
    char buffer[512];
    std::to_chars_result r{};
    if (conversion == 'f') {
        const double number = v.real ? v.number : v.integer;
        r = std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::fixed, precision);
    } else {
        int64_t whole = v.integer;
        if (v.real)
            whole = std::isfinite(v.number) ? static_cast<int64_t>(std::clamp(v.number, -9.2e18, 9.2e18)) : 0;
        if (conversion == 'd')
            r = std::to_chars(buffer, buffer + sizeof buffer, whole);
        else
            r = std::to_chars(buffer, buffer + sizeof buffer, static_cast<uint32_t>(whole), 16);
    }
    std::string digits(buffer, r.ec == std::errc() ? r.ptr : buffer);
    if (conversion == 'X')
        std::transform(digits.begin(), digits.end(), digits.begin(),
                       [](char c) { return c >= 'a' && c <= 'f' ? static_cast<char>(c - 'a' + 'A') : c; });
    return digits;
}

bool mathsIsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The format's text with its one conversion.
std::string mathsFormat(std::string_view format, const MathsValue& v, int32_t widthArg, int32_t precisionArg)
{
    constexpr int kLongest = blocks::kTextBytes - 1;
    std::string text;
    bool converted = false;
    for (std::size_t i = 0; i < format.size() && text.size() < kLongest; ++i) {
        if (format[i] != '%') {
            text += format[i];
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == '%') {
            text += '%';
            ++i;
            continue;
        }
        std::size_t k = i + 1;
        bool left = false, zero = false;
        for (; k < format.size() && (format[k] == '-' || format[k] == '0'); ++k)
            (format[k] == '-' ? left : zero) = true;
        int width = -1, precision = -1;
        for (; k < format.size() && mathsIsDigit(format[k]); ++k)
            width = std::min(std::max(width, 0) * 10 + (format[k] - '0'), kLongest);
        if (k < format.size() && format[k] == '.') {
            precision = 0;
            for (++k; k < format.size() && mathsIsDigit(format[k]); ++k)
                precision = std::min(precision * 10 + (format[k] - '0'), kLongest);
        }
        const char conversion = k < format.size() ? format[k] : '\0';
        if (converted || (conversion != 'd' && conversion != 'x' && conversion != 'X' && conversion != 'f')) {
            text += '%';
            continue;
        }
        converted = true;
        i = k;
        if (width < 0)
            width = std::clamp(widthArg, 0, kLongest);
        if (precision < 0)
            precision = precisionArg >= 0 ? std::min(precisionArg, kLongest) : 6;
        std::string field = mathsDigits(conversion, v, precision);
        const std::size_t pad = field.size() < static_cast<std::size_t>(width) ? width - field.size() : 0;
        if (left)
            field.append(pad, ' ');
        else if (zero && !field.empty() && (mathsIsDigit(field.back())))
            field.insert(field[0] == '-' ? 1 : 0, pad, '0');
        else
            field.insert(0, pad, ' ');
        text += field;
    }
    text.resize(std::min<std::size_t>(text.size(), kLongest));
    return text;
}

} // namespace

uint32_t CardDci::integerText(const std::vector<double>& a)
{
    uint64_t outBytes = 0, formatBytes = 0;
    uint8_t* out = staged(mathsWord(a, 1), outBytes);
    const uint8_t* format = staged(mathsWord(a, 4), formatBytes);
    if (out == nullptr || format == nullptr)
        return 0;
    const auto* chars = reinterpret_cast<const char*>(format);
    const std::string_view f(chars, static_cast<std::size_t>(std::find(chars, chars + formatBytes, '\0') - chars));
    const bool real = m_routine == "XR_ftoa";
    const MathsValue v{real, a.empty() ? 0 : a[0], real ? 0 : mathsInt(a, 0)};
    const std::string text = mathsFormat(f, v, mathsInt(a, 2), mathsInt(a, 3));
    const std::size_t room = static_cast<std::size_t>(std::min<uint64_t>(outBytes, blocks::kTextBytes));
    if (room == 0)
        return 0;
    const std::size_t n = std::min(text.size(), room - 1);
    std::copy_n(text.data(), n, out);
    out[n] = 0;
    return static_cast<uint32_t>(n);
}

uint32_t CardDci::realText(const std::vector<double>& a)
{
    return integerText(a);
}

} // namespace gensim

#include "Numbers.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <system_error>

namespace {

QString FormatDouble(double value, std::chars_format form, int precision)
{
    char buffer[400]; // room for the widest %f of a double with its decimals
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, form, precision);
    if (ec != std::errc())
        return {};
    return QString::fromLatin1(buffer, end - buffer);
}

// ASCII copy of text without a leading "+"; empty when text has anything else.
QByteArray NumberBytes(QStringView text)
{
    const bool plus = text.startsWith(u'+');
    if (plus)
        text = text.mid(1);
    if (text.isEmpty() || (plus && text.startsWith(u'-')))
        return {};
    for (QChar c : text) {
        if (c.unicode() > 0x7F)
            return {};
    }
    return text.toLatin1();
}

} // namespace

void SetNumericLocale()
{
    std::setlocale(LC_NUMERIC, "C");
}

QString FormatFixed(double value, int decimals)
{
    return FormatDouble(value, std::chars_format::fixed, qBound(0, decimals, 60));
}

QString FormatGeneral(double value, int precision)
{
    return FormatDouble(value, std::chars_format::general, qBound(0, precision, 60));
}

QString FormatExponent(double value, int digits)
{
    return FormatDouble(value, std::chars_format::scientific, qBound(0, digits, 60));
}

QString FormatInt(long long value)
{
    char buffer[24];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? QString::fromLatin1(buffer, end - buffer) : QString();
}

std::optional<double> ParseDouble(QStringView text)
{
    const QByteArray bytes = NumberBytes(text);
    double value = 0;
    const char *last = bytes.constData() + bytes.size();
    const auto [end, ec] = std::from_chars(bytes.constData(), last, value, std::chars_format::general);
    if (bytes.isEmpty() || ec != std::errc() || end != last || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<long long> ParseInt(QStringView text)
{
    const QByteArray bytes = NumberBytes(text);
    long long value = 0;
    const char *last = bytes.constData() + bytes.size();
    const auto [end, ec] = std::from_chars(bytes.constData(), last, value);
    if (bytes.isEmpty() || ec != std::errc() || end != last)
        return std::nullopt;
    return value;
}

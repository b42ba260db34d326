#pragma once
// Numbers to and from text without the locale: the generator reads
// "31469.0000" whatever the desktop's decimal sign.

#include <QString>
#include <QStringView>

#include <optional>

// Puts the C library's number formatting back to "C". Call it right after
// the QApplication is made (which adopts the desktop's locale).
void SetNumericLocale();

// printf "%.<decimals>f": FormatFixed(31469, 4) is "31469.0000".
QString FormatFixed(double value, int decimals);
// printf "%.<precision>g": FormatGeneral(0.0001, 6) is "0.0001", 1e-05 below.
QString FormatGeneral(double value, int precision = 6);
// printf "%.<digits>e".
QString FormatExponent(double value, int digits = 6);
QString FormatInt(long long value);

// The whole text as a number ("-12.5", "1e3", a leading "+" allowed);
// nothing for anything else (blanks, a comma, trailing text, inf, nan, overflow).
std::optional<double> ParseDouble(QStringView text);
std::optional<long long> ParseInt(QStringView text);

// Numbers on the command line, read and written without the locale.
#pragma once

#include <string>
#include <string_view>

namespace gensim {

// Reads a whole word as a finite decimal number ("640", "+1", "31469.0000",
// "8.64e+04"); false for anything else.
bool parseNumber(std::string_view text, double& value);

std::string formatInteger(double value);
std::string formatFixed(double value, int decimals);    // like "%.4f"
std::string formatGeneral(double value, int digits);    // like "%.3g"

} // namespace gensim

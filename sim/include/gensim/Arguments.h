// Reading the arguments of item commands.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace gensim {

// The text without leading and trailing blanks and tabs.
std::string_view trimBlanks(std::string_view text);

// A name as the host appends it: as it stands, or between double quotes.
// nullopt when a quote is left open or stands inside the name.
std::optional<std::string> nameArgument(std::string_view text);

// A whole decimal number in any form parseNumber takes ("450", "4.5e2").
bool wholeNumber(std::string_view text, long long& value);

} // namespace gensim

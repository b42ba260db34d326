// Reading the arguments of item commands.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace gensim {

struct Command;
struct Outcome;

// The text without leading and trailing blanks and tabs.
std::string_view trimBlanks(std::string_view text);

// A name as the host appends it: as it stands, or between double quotes.
// nullopt when a quote is left open or stands inside the name.
std::optional<std::string> nameArgument(std::string_view text);

// A whole decimal number in any form parseNumber takes ("450", "4.5e2").
bool wholeNumber(std::string_view text, long long& value);

// Exactly count whole numbers, into values; else the refusal: a wrong count
// or a word that is no number.
Outcome wholeArguments(const Command& c, std::size_t count, long long* values);

} // namespace gensim

#include "gensim/Arguments.h"

#include "gensim/CommandInterpreter.h"
#include "gensim/Numbers.h"

#include <cmath>

namespace gensim {

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::optional<std::string> nameArgument(std::string_view text)
{
    text = trimBlanks(text);
    if (!text.empty() && text.front() == '"') {
        if (text.size() < 2 || text.back() != '"')
            return std::nullopt;
        text = text.substr(1, text.size() - 2);
    }
    if (text.find('"') != std::string_view::npos)
        return std::nullopt;
    return std::string(text);
}

bool wholeNumber(std::string_view text, long long& value)
{
    double v = 0;
    if (!parseNumber(text, v) || v != std::floor(v) || std::fabs(v) > 1e15)
        return false;
    value = static_cast<long long>(v);
    return true;
}

Outcome wholeArguments(const Command& c, std::size_t count, long long* values)
{
    if (c.words.size() != count)
        return Outcome::failed(ExecError::ArgumentCount);
    for (std::size_t i = 0; i < count; ++i)
        if (!wholeNumber(c.words[i], values[i]))
            return Outcome::failed(ExecError::NotANumber);
    return Outcome::ok();
}

} // namespace gensim

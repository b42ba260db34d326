#pragma once
// The program's drawing state as the demonstrations read it: words by name,
// the doubles the library keeps in two words (low half first), and whether
// the colour table holds a colour (the cards leave a missing one's word 0).

#include "DiagnosticsHooks.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>

inline int32_t ContextInt(RemoteCallWord word)
{
    return static_cast<int32_t>(DiagnosticsWord(word));
}

inline double ContextDouble(RemoteCallWord word)
{
    double value = 0;
    std::memcpy(&value, &DiagnosticsContext().words[word], sizeof value);
    return value;
}

inline bool ContextHolds(std::initializer_list<RemoteCallWord> colours)
{
    for (const RemoteCallWord colour : colours)
        if (DiagnosticsWord(colour) == 0)
            return false;
    return true;
}

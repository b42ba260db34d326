#pragma once
// The check a fuzz target makes of what the reader took: a usable result,
// or the run stops here (libFuzzer reports it as a crash).

#include <cstdlib>

inline void FuzzCheck(bool ok)
{
    if (!ok)
        std::abort();
}

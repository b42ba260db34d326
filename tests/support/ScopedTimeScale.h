// Scales the library's waits (MORVANE_TIME_SCALE) for one scope. Tests set
// it only around the waits they are about, after any open they merely need:
// a scaled handshake is the first thing a loaded machine breaks.
#ifndef TESTS_SCOPEDTIMESCALE_H
#define TESTS_SCOPEDTIMESCALE_H

#include <cstdlib>

class ScopedTimeScale {
public:
    explicit ScopedTimeScale(const char* factor) { setenv("MORVANE_TIME_SCALE", factor, 1); }
    ~ScopedTimeScale() { unsetenv("MORVANE_TIME_SCALE"); }
    ScopedTimeScale(const ScopedTimeScale&) = delete;
    ScopedTimeScale& operator=(const ScopedTimeScale&) = delete;
};

#endif

// One step of a stored sequence: what the generator shows while the step
// lasts. A field that is not set leaves the generator's own setting.
#pragma once

#include <string>

namespace gensim {

struct SequenceStep {
    std::string format;      // "" no change
    std::string image;       // "" no change
    int imageVersion = -1;   // IVER; -1 not set
    double delay = -1;       // SDLY seconds; below 0 not set
    int sync = -1;           // SSST code; -1 not set
    int gates = -1;          // SVSG: red 4, green 2, blue 1; -1 not set
    int output = -1;         // OUTG; -1 not set

    bool operator==(const SequenceStep&) const = default;
};

} // namespace gensim

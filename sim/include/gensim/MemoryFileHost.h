// The side of the memory-file commands that only a generator on an ISA card
// has: its stores laid out in the processor's memory, packed there ("PKUP"),
// read back from it ("UNPK FMT", "CALL <routine> 0"). The command rows ask
// it through GeneratorState::memoryFiles; without one they pack nothing and
// refuse to unpack.
#pragma once

#include "gensim/Outcome.h"

#include <cstdint>
#include <string_view>

namespace gensim {

struct GeneratorState;

class MemoryFileHost {
public:
    virtual ~MemoryFileHost() = default;
    // "PKUP": the stores into the memory.
    virtual Outcome pack(GeneratorState& state) = 0;
    // "UNPK <kind>" (FMT, IMG, SEQ, DIR, PTH): the kind's memory file into its store.
    virtual Outcome unpack(GeneratorState& state, std::string_view kind) = 0;
    // "CALL <address> 0": one of the build's unpack routines.
    virtual Outcome call(GeneratorState& state, std::uint32_t address) = 0;
    // After each command line: builds before 3.0 keep the memory current.
    virtual void lineDone(GeneratorState& state) = 0;
};

} // namespace gensim

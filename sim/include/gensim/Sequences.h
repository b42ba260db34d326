// Sequences: the edit buffer a sequence is built in (SEQB .. SEQE, its step
// chosen with STEP) and the run mode of a loaded sequence (SMOD 1 stepping,
// 2 stepping with wrap, 3 playing on the step delays). The rows that make
// the step commands work on a step are in SequenceRows.cpp.
#pragma once

#include "gensim/Outcome.h"
#include "gensim/SequenceStep.h"
#include "gensim/Store.h"

#include <chrono>
#include <cstddef>
#include <vector>

namespace gensim {

struct GeneratorState;

struct SequenceState {
    using Clock = std::chrono::steady_clock;

    // Between SEQB and SEQE: the steps being built, or those "SEQL name"
    // loaded for reading; `selected` is the 1-based step STEP chose (0 none).
    std::vector<SequenceStep> buffer;
    std::size_t selected = 0;

    // Run mode: the steps of the sequence "SEQL name" loaded outside the
    // buffer, and the 1-based current step (0 when none is loaded).
    std::string runningName;
    std::vector<SequenceStep> running;
    std::size_t step = 0;
    Clock::time_point stepStarted{};
    // Tests move the play clock on instead of waiting.
    Clock::duration clockOffset{};

    Clock::time_point now() const { return Clock::now() + clockOffset; }
};

// What a test reads of a generator's sequences.
struct SequenceView {
    bool editing = false;
    std::vector<SequenceStep> buffer;
    std::size_t selected = 0;
    std::string loaded;       // the run-mode sequence, "" none
    std::size_t step = 0;
    int mode = 0;             // SMOD
    bool operator==(const SequenceView&) const = default;
};

// Hooks of the sequence family (ItemKinds).
void beginSequence(GeneratorState& s);
void endSequence(GeneratorState& s);
void fillSequence(const GeneratorState& s, StoredItem& item);
Outcome loadSequence(GeneratorState& s, const StoredItem* item);

// Before each command: a playing sequence moves on by its step delays.
void runSequenceClock(GeneratorState& s);

// Run mode: a sequence is loaded and SMOD is 1 to 3.
bool sequenceRunning(const GeneratorState& s);
// The current step of the loaded sequence; nullptr when none.
const SequenceStep* currentStep(const GeneratorState& s);
// Puts out what the current step sets (SEQU, ALLU, the knob, the clock).
void applyCurrentStep(GeneratorState& s);

// The sequences a generator starts with ("NewSeq" and its steps).
std::vector<StoredItem> builtInSequences();

// Firmware from which NSTP? is known and a STEP past the end is refused.
constexpr double kCountedSequenceFirmware = 3.0;

} // namespace gensim

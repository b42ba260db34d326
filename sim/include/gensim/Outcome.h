// What one command produced: reply lines, or the generator's refusal.
#pragma once

#include <string>
#include <vector>

namespace gensim {

// The numbers behind "Execution error: <n>".
enum class ExecError : int {
    ArgumentCount = 1,  // too few or too many arguments
    NotANumber = 2,     // an argument is not a number of the expected kind
    OutOfRange = 3,     // the value is outside what the setting allows

    // Stored items, with the generator's own numbers.
    NoImageBlock = 3001,        // a primitive line outside IMGB .. IMGE
    UnknownColour = 3011,       // a primitive line names no colour the generator has
    UnknownPattern = 3012,
    UnknownFont = 3013,
    NothingToSave = 3006,       // an image store without an image being built
    RomImage = 3007,            // a built-in image cannot be overwritten
    KillRomImage = 3020,        // nor deleted
    ImageNotFound = 3025,
    InvalidFormatName = 4000,
    InvalidImageName = 4001,
    SequenceNotFound = 4004,
    NoSequenceToSave = 4006,
    NoDirectory = 5006,         // no directory loaded or named
    InvalidIndexName = 5010,    // an entry or a directory it does not hold
    NoMapToSave = 6006,
    MapNotFound = 6020,
    InsufficientMemory = 2551,
    KillRomFormat = 9453,       // a built-in format is neither deleted nor overwritten
    FormatNotFound = 9480,
    RomFont = 10200,            // a built-in font cannot be overwritten
    FontNotFound = 10220,
    KillRomFont = 10225,
};

struct Outcome {
    enum class Status { Ok, Invalid, Failed };

    Status status = Status::Ok;
    ExecError error = ExecError::ArgumentCount;
    std::vector<std::string> lines;

    static Outcome ok(std::vector<std::string> lines = {})
    {
        Outcome o;
        o.lines = std::move(lines);
        return o;
    }
    static Outcome invalid()
    {
        Outcome o;
        o.status = Status::Invalid;
        return o;
    }
    static Outcome failed(ExecError error)
    {
        Outcome o;
        o.status = Status::Failed;
        o.error = error;
        return o;
    }
};

} // namespace gensim

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

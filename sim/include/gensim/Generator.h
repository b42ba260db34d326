// One simulated generator: who it is, its line speed, its settings, the
// faults a test scripted into it and the trace of what it was told.
#pragma once

#include "gensim/CommandInterpreter.h"
#include "gensim/Faults.h"
#include "gensim/Registers.h"
#include "gensim/Trace.h"

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gensim {

struct GeneratorOptions {
    std::string model = "VG-7000";
    std::string firmware = "7.011";
    std::string serial = "000001";
    int baudRate = 9600;
    std::string link;  // a symlink to the pty slave, made when not empty
};

// Throws std::invalid_argument naming the bad option.
void validate(const GeneratorOptions& options);

// The rates a generator's serial port can take.
bool isGeneratorRate(int rate);

// What the command handlers work on; guarded by the generator's lock.
struct GeneratorState {
    GeneratorOptions options;
    Registers registers;
    int baudRate = 9600;
    int errorCount = 0;
};

class Generator {
public:
    explicit Generator(GeneratorOptions options);

    const GeneratorOptions& options() const { return m_options; }

    // The path a host opens: the link when one was asked for, else the slave.
    std::string comPath() const;
    std::string slavePath() const;

    int baudRate() const;
    void setBaudRate(int rate);

    void fault(Fault fault) { m_faults.add(std::move(fault)); }
    void clearFaults() { m_faults.clear(); }
    FaultScript& faults() { return m_faults; }

    Trace& trace() { return m_trace; }

    // A setting in its query reply form; nullopt for an unknown mnemonic.
    std::optional<std::string> setting(std::string_view mnemonic) const;
    int errorCount() const;

    // Runs one command line and returns its reply lines.
    std::vector<std::string> execute(std::string_view line);

    void setPaths(std::string slave, std::string link);

private:
    const GeneratorOptions m_options;
    mutable std::mutex m_mutex;
    GeneratorState m_state;
    CommandInterpreter m_interpreter;
    FaultScript m_faults;
    Trace m_trace;
    std::string m_slavePath;
    std::string m_link;
};

} // namespace gensim

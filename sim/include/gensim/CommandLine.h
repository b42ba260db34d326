// The options of the gensim program.
#pragma once

#include "gensim/Generator.h"

#include "DriverWire.h"

#include <string>
#include <vector>

namespace gensim {

struct CommandLine {
    std::vector<GeneratorOptions> generators;
    std::string envFile;  // written whole, under a temporary name first
    std::string gpibBus;  // --gpib-bus; with --demo beside the env file
    bool demo = false;    // the demo set; its links beside the env file
    // The kernel-driver stand-in's socket; empty: none unless a generator
    // sits on a card, then the path a host uses by default.
    std::string driverPath;
    uint32_t driverVersion = driver::kCurrentVersion;
    bool help = false;

    bool needsDriver() const;
};

// $XDG_RUNTIME_DIR/windrvr, else /tmp/windrvr-<uid>: where hosts look
// without MORVANE_WINDRVR.
std::string defaultDriverPath();

// Throws std::invalid_argument with a message for the user.
CommandLine parseCommandLine(const std::vector<std::string>& args);

std::string usage();

// "MORVANE_COM<n>=<path>" for each generator on a pty, one a line, then
// "ZOT_GPIB_BUS=<socket>" when a bus is open and "MORVANE_WINDRVR=<path>"
// when the driver stand-in runs.
std::string envLines(const std::vector<std::string>& comPaths, const std::string& gpibBus = {},
                     const std::string& driverPath = {});

} // namespace gensim

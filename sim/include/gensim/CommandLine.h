// The options of the gensim program.
#pragma once

#include "gensim/Generator.h"

#include <string>
#include <vector>

namespace gensim {

struct CommandLine {
    std::vector<GeneratorOptions> generators;
    std::string envFile;  // written whole, under a temporary name first
    std::string gpibBus;  // --gpib-bus; with --demo beside the env file
    bool demo = false;    // the demo set; its links beside the env file
    bool help = false;
};

// Throws std::invalid_argument with a message for the user.
CommandLine parseCommandLine(const std::vector<std::string>& args);

std::string usage();

// "MORVANE_COM<n>=<path>" for each pty, one a line, then
// "ZOT_GPIB_BUS=<socket>" when a bus is open.
std::string envLines(const std::vector<std::string>& comPaths, const std::string& gpibBus = {});

} // namespace gensim

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
    // --gpib-library: the stand-in GPIB library a host loads; empty: the
    // one beside the program in its build tree, when it is there.
    std::string gpibLibrary;
    bool demo = false;    // the demo set; its links beside the env file
    // The kernel-driver stand-in's socket; empty: none unless a generator
    // sits on a card, then the path a host uses by default.
    std::string driverPath;
    uint32_t driverVersion = driver::kCurrentVersion;
    std::string screens;  // --screens: each card's screen as "<port>.ppm" there
    std::string callLog;  // --call-log: every direct call appended there
    bool help = false;
    // --stream-card COMn: the maker's stream card, cabled to the generator
    // of that COM port (0: none; the demo's is on COM1).
    int streamCard = 0;
    // --video-dump DIR: each finished DMA block as a PGM and a PPM there.
    std::string videoDump;

    bool needsDriver() const;
};

// $XDG_RUNTIME_DIR/windrvr, else /tmp/windrvr-<uid>: where hosts look
// without MORVANE_WINDRVR.
std::string defaultDriverPath();

// Throws std::invalid_argument with a message for the user.
CommandLine parseCommandLine(const std::vector<std::string>& args);

std::string usage();

// The stand-in GPIB library beside the program in the build tree
// (gpib/libgpib32.so next to it), or empty when it is not there.
std::string gpibLibraryBeside(const std::string& program);

// What a host exports to reach the generators: "MORVANE_COM<n>=<path>" for
// each generator on a pty, one a line, then "ZOT_GPIB_BUS=<socket>" and
// "MORVANE_GPIB_LIBRARY=<path>" when a bus is open (the library when known)
// and "MORVANE_WINDRVR=<path>" when the driver stand-in runs.
struct HostEnvironment {
    std::vector<std::string> comPaths;
    std::string gpibBus;
    std::string gpibLibrary;
    std::string driverPath;
};
std::string envLines(const HostEnvironment& env);

// One line for each generator: the ports a host opens it by ("com1",
// "gpib5:0", "isa0", "pci1"), its model, firmware and serial number, and
// the rate of its COM port.
std::string generatorLines(const std::vector<GeneratorOptions>& generators);

} // namespace gensim

#include "gensim/CommandLine.h"

#include "gensim/Arguments.h"
#include "gensim/DemoPreset.h"
#include "gensim/Numbers.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace gensim {

namespace {

int parseWhole(const std::string& option, const std::string& text)
{
    double v = 0;
    if (!parseNumber(text, v) || v < -1e9 || v > 1e9 || v != static_cast<int>(v))
        throw std::invalid_argument(option + " needs a number, not \"" + text + "\"");
    return static_cast<int>(v);
}

// "5" or "5:0": a primary address and a board.
GpibAddress parseGpibAddress(const std::string& text)
{
    std::size_t colon = text.find(':');
    long long address = 0;
    long long board = 0;
    bool ok = wholeNumber(text.substr(0, colon), address)
        && (colon == std::string::npos || wholeNumber(text.substr(colon + 1), board));
    // Out of range keeps its sign and size for the message of validate().
    if (!ok || address < -1 || address > 999 || board < -1 || board > 999)
        throw std::invalid_argument("--gpib needs an address and maybe a board, like 5 or 5:0, not \"" + text + "\"");
    return {static_cast<int>(address), static_cast<int>(board)};
}

// Each GPIB address answers for one generator only.
void checkAddressesOnce(const std::vector<GeneratorOptions>& generators)
{
    for (std::size_t i = 0; i < generators.size(); ++i)
        for (std::size_t j = 0; j < i && generators[i].gpib; ++j)
            if (generators[j].gpib == generators[i].gpib)
                throw std::invalid_argument("GPIB address " + std::to_string(generators[i].gpib->address) + ":"
                                            + std::to_string(generators[i].gpib->board) + " is taken");
}

// Options of the simulator as a whole, not of the generator they follow.
bool simulatorOption(const std::string& name)
{
    return name == "--env-file" || name == "--gpib-bus" || name == "--gpib-library" || name == "--windrvr"
        || name == "--driver-version" || name == "--stream-card" || name == "--video-dump" || name == "--screens"
        || name == "--call-log";
}

// Splits "--name=value" and takes the value of "--name value".
std::string valueOf(const std::vector<std::string>& args, std::size_t& i, std::string& name)
{
    std::size_t eq = name.find('=');
    if (eq != std::string::npos) {
        std::string value = name.substr(eq + 1);
        name.resize(eq);
        return value;
    }
    if (i + 1 >= args.size())
        throw std::invalid_argument(name + " needs a value");
    return args[++i];
}

} // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args)
{
    CommandLine cl;
    cl.generators.emplace_back();
    bool generatorOptions = false;
    bool lineTime = false;
    // A GPIB address replaces the pty unless one is asked for beside it.
    std::vector<bool> wantsPty(1, false);
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        if (name == "--help" || name == "-h") {
            cl.help = true;
            continue;
        }
        if (name == "--demo") {
            cl.demo = true;
            continue;
        }
        if (name == "--line-time") {
            lineTime = true;
            continue;
        }
        if (name == "--generator") {
            cl.generators.emplace_back();
            wantsPty.push_back(false);
            generatorOptions = true;
            continue;
        }
        if (name == "--com") {
            wantsPty.back() = true;
            generatorOptions = true;
            continue;
        }
        if (name == "--pci") {
            cl.generators.back().pciCard = true;
            generatorOptions = true;
            continue;
        }
        if (name.rfind("--", 0) != 0)
            throw std::invalid_argument("unexpected argument \"" + name + "\"");
        std::string value = valueOf(args, i, name);
        GeneratorOptions& g = cl.generators.back();
        generatorOptions = generatorOptions || !simulatorOption(name);
        if (name == "--model")
            g.model = value;
        else if (name == "--firmware")
            g.firmware = value;
        else if (name == "--serial")
            g.serial = value;
        else if (name == "--baud")
            g.baudRate = parseWhole(name, value);
        else if (name == "--isa")
            g.isaSlot = parseWhole(name, value);
        else if (name == "--reboot-ms") {
            g.rebootMs = parseWhole(name, value);
            if (g.rebootMs < 0)
                throw std::invalid_argument("--reboot-ms cannot be negative");
        }
        else if (name == "--flash-part")
            g.flashPart = parseWhole(name, value);
        else if (name == "--isa-identity") {
            std::size_t used = 0;
            unsigned long id = 0;
            try {
                id = std::stoul(value, &used, 16);
            } catch (const std::exception&) {
                used = 0;
            }
            if (used == 0 || used != value.size() || id > 0xFFFFFF)
                throw std::invalid_argument("--isa-identity needs up to six hexadecimal digits, not \"" + value + "\"");
            g.isaIdentity = static_cast<uint32_t>(id);
        }
        else if (name == "--windrvr")
            cl.driverPath = value;
        else if (name == "--driver-version") {
            int version = parseWhole(name, value);
            if (version < 0)
                throw std::invalid_argument("--driver-version cannot be negative");
            cl.driverVersion = static_cast<uint32_t>(version);
        } else if (name == "--link") {
            g.link = value;
            wantsPty.back() = true;
        } else if (name == "--gpib")
            g.gpib = parseGpibAddress(value);
        else if (name == "--env-file")
            cl.envFile = value;
        else if (name == "--stream-card") {
            if (value.size() < 4 || (value.compare(0, 3, "COM") != 0 && value.compare(0, 3, "com") != 0))
                throw std::invalid_argument("--stream-card needs a COM port, like COM1, not \"" + value + "\"");
            cl.streamCard = parseWhole(name, value.substr(3));
            if (cl.streamCard < 1)
                throw std::invalid_argument("--stream-card needs a COM port from COM1");
        } else if (name == "--video-dump")
            cl.videoDump = value;
        else if (name == "--gpib-bus")
            cl.gpibBus = value;
        else if (name == "--screens")
            cl.screens = value;
        else if (name == "--call-log")
            cl.callLog = value;
        else if (name == "--gpib-library") {
            if (value.empty())
                throw std::invalid_argument("--gpib-library needs a path");
            // Hosts run elsewhere: they get the path whole.
            cl.gpibLibrary = std::filesystem::absolute(value).string();
        }
        else
            throw std::invalid_argument("unknown option " + name);
    }
    if (cl.demo && generatorOptions)
        throw std::invalid_argument("--demo brings its own generators; give it no generator options");
    std::optional<std::string> folder;
    if (cl.demo) {
        if (!cl.envFile.empty())
            folder = std::filesystem::path(cl.envFile).parent_path().string();
        cl.generators = demoGenerators(folder);
        if (cl.streamCard == 0)
            cl.streamCard = 1;
        // The bus socket goes beside the links.
        if (cl.gpibBus.empty() && folder)
            cl.gpibBus = (std::filesystem::path(*folder) / "gpib").string();
    } else {
        for (std::size_t i = 0; i < cl.generators.size(); ++i)
            cl.generators[i].pty = (!cl.generators[i].gpib && !cl.generators[i].onCard()) || wantsPty[i];
    }
    std::vector<int> slots;
    for (GeneratorOptions& g : cl.generators) {
        validate(g);
        g.lineTime = lineTime;
        if (g.isaSlot < 0)
            continue;
        if (std::find(slots.begin(), slots.end(), g.isaSlot) != slots.end())
            throw std::invalid_argument("two generators on ISA slot " + std::to_string(g.isaSlot));
        slots.push_back(g.isaSlot);
    }
    checkAddressesOnce(cl.generators);
    // The demo's socket lies beside its links.
    if (cl.driverPath.empty() && cl.needsDriver())
        cl.driverPath = folder ? (std::filesystem::path(*folder) / "windrvr").string() : defaultDriverPath();
    return cl;
}

bool CommandLine::needsDriver() const
{
    return streamCard > 0
        || std::any_of(generators.begin(), generators.end(), [](const GeneratorOptions& g) { return g.onCard(); });
}

std::string defaultDriverPath()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0')
        return std::string(runtime) + "/windrvr";
    return "/tmp/windrvr-" + std::to_string(getuid());
}

std::string usage()
{
    return "usage: gensim [--env-file FILE] [--gpib-bus PATH] [--gpib-library PATH] [--line-time] [--windrvr PATH]\n"
           "              [--driver-version N] [--stream-card COMn] [--video-dump DIR]\n"
           "              [--screens DIR] [--call-log FILE] [GENERATOR] [--generator GENERATOR]...\n"
           "       gensim --demo [--env-file FILE] [--gpib-bus PATH] [--gpib-library PATH] [--line-time]\n"
           "              [--windrvr PATH] [--driver-version N] [--screens DIR] [--call-log FILE]\n"
           "GENERATOR options: --model NAME --firmware VERSION --serial NUMBER\n"
           "                   --baud RATE --link PATH (a symlink to the COM pty)\n"
           "                   --gpib ADDRESS[:BOARD] (on the GPIB bus instead of a pty)\n"
           "                   --com (a pty beside the GPIB address)\n"
           "                   --isa SLOT (on an ISA card in slot 0-7, not on a pty)\n"
           "                   --pci (on the next PCI card, pci1 first, not on a pty)\n"
           "                   --reboot-ms MS (silent this long after a firmware flash; 3000)\n"
           "                   --flash-part TYPE (the ISA card's flash parts: 0, 1, or -1 for none; 0)\n"
           "                   --isa-identity HEX (the ISA card's hardware identity; 910596)\n"
           "--demo       the demo set of generators, their links, bus and driver socket beside FILE\n"
           "--gpib-library  the stand-in GPIB library hosts load (default: sim/gpib/libgpib32.so\n"
           "             of the build tree gensim is in)\n"
           "--line-time  each character takes its 10 bits at the line's rate\n"
           "--windrvr    the kernel-driver stand-in's socket (with cards; default beside\n"
           "             the demo's links, else $XDG_RUNTIME_DIR/windrvr or /tmp/windrvr-<uid>)\n"
           "--driver-version  the version it reports, times 100 (432)\n"
           "--stream-card COMn  the maker's stream card, cabled to that COM generator (--demo: COM1)\n"
           "--video-dump DIR  each finished DMA block as a PGM (the board) and a PPM (through the LUT)\n"
           "--screens    each card's screen as DIR/<port>.ppm, rewritten shortly after it changes\n"
           "--call-log   every direct call a card runs appended to FILE as \"<port> <call>\"\n"
           "Prints MORVANE_COM<n>=<device> for each generator with a pty, ZOT_GPIB_BUS=<socket>\n"
           "and MORVANE_GPIB_LIBRARY=<library> when the bus is open (--gpib-bus, or a generator\n"
           "with an address) and MORVANE_WINDRVR=<socket> for the driver; with --env-file they\n"
           "go to FILE and the generators are listed instead. Runs until SIGINT or SIGTERM.\n";
}

std::string gpibLibraryBeside(const std::string& program)
{
    std::error_code error;
    const std::filesystem::path library = std::filesystem::path(program).parent_path() / "gpib" / "libgpib32.so";
    return std::filesystem::is_regular_file(library, error) ? library.string() : std::string();
}

std::string envLines(const HostEnvironment& env)
{
    std::string text;
    for (std::size_t i = 0; i < env.comPaths.size(); ++i)
        text += "MORVANE_COM" + std::to_string(i + 1) + "=" + env.comPaths[i] + "\n";
    if (!env.gpibBus.empty()) {
        text += "ZOT_GPIB_BUS=" + env.gpibBus + "\n";
        if (!env.gpibLibrary.empty())
            text += "MORVANE_GPIB_LIBRARY=" + env.gpibLibrary + "\n";
    }
    if (!env.driverPath.empty())
        text += "MORVANE_WINDRVR=" + env.driverPath + "\n";
    return text;
}

std::string generatorLines(const std::vector<GeneratorOptions>& generators)
{
    std::string text;
    int com = 0;
    int pci = 0;
    for (const GeneratorOptions& g : generators) {
        std::string ports;
        auto add = [&ports](const std::string& port) { ports += (ports.empty() ? "" : " ") + port; };
        const bool onPty = g.pty && !g.onCard();
        if (onPty)
            add("com" + std::to_string(++com));
        if (g.gpib)
            add("gpib" + std::to_string(g.gpib->address) + ":" + std::to_string(g.gpib->board));
        if (g.isaSlot >= 0)
            add("isa" + std::to_string(g.isaSlot));
        if (g.pciCard)
            add("pci" + std::to_string(++pci));
        ports.resize(std::max<std::size_t>(ports.size(), 13), ' ');
        text += ports + " " + g.model + ", firmware " + g.firmware + ", serial " + g.serial;
        if (onPty)
            text += ", " + std::to_string(g.baudRate) + " baud";
        text += "\n";
    }
    return text;
}

} // namespace gensim

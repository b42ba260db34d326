#include "gensim/CommandLine.h"

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

// Options of the simulator as a whole, not of the generator they follow.
bool simulatorOption(const std::string& name)
{
    return name == "--env-file" || name == "--windrvr" || name == "--driver-version";
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
        else if (name == "--windrvr")
            cl.driverPath = value;
        else if (name == "--driver-version") {
            int version = parseWhole(name, value);
            if (version < 0)
                throw std::invalid_argument("--driver-version cannot be negative");
            cl.driverVersion = static_cast<uint32_t>(version);
        }
        else if (name == "--link")
            g.link = value;
        else if (name == "--env-file")
            cl.envFile = value;
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
    // The demo's socket lies beside its links.
    if (cl.driverPath.empty() && cl.needsDriver())
        cl.driverPath = folder ? (std::filesystem::path(*folder) / "windrvr").string() : defaultDriverPath();
    return cl;
}

bool CommandLine::needsDriver() const
{
    return std::any_of(generators.begin(), generators.end(), [](const GeneratorOptions& g) { return g.isaSlot >= 0; });
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
    return "usage: gensim [--env-file FILE] [--line-time] [--windrvr PATH] [--driver-version N]\n"
           "              [GENERATOR] [--generator GENERATOR]...\n"
           "       gensim --demo [--env-file FILE] [--line-time] [--windrvr PATH] [--driver-version N]\n"
           "GENERATOR options: --model NAME --firmware VERSION --serial NUMBER\n"
           "                   --baud RATE --link PATH (a symlink to the COM pty)\n"
           "                   --isa SLOT (on an ISA card in slot 0-7, not on a pty)\n"
           "--demo       the demo set of generators, their links beside FILE\n"
           "--line-time  each character takes its 10 bits at the line's rate\n"
           "--windrvr    the kernel-driver stand-in's socket (with a card; default beside\n"
           "             the demo's links, else $XDG_RUNTIME_DIR/windrvr or /tmp/windrvr-<uid>)\n"
           "--driver-version  the version it reports, times 100 (432)\n"
           "Prints MORVANE_COM<n>=<device> for each generator on a pty and\n"
           "MORVANE_WINDRVR=<socket> for the driver, and runs until SIGINT or SIGTERM.\n";
}

std::string envLines(const std::vector<std::string>& comPaths, const std::string& driverPath)
{
    std::string text;
    for (std::size_t i = 0; i < comPaths.size(); ++i)
        text += "MORVANE_COM" + std::to_string(i + 1) + "=" + comPaths[i] + "\n";
    if (!driverPath.empty())
        text += "MORVANE_WINDRVR=" + driverPath + "\n";
    return text;
}

} // namespace gensim

#include "gensim/CommandLine.h"

#include "gensim/Arguments.h"
#include "gensim/DemoPreset.h"
#include "gensim/Numbers.h"

#include <filesystem>
#include <stdexcept>

namespace gensim {

namespace {

int parseRate(const std::string& text)
{
    double v = 0;
    if (!parseNumber(text, v) || v != static_cast<int>(v))
        throw std::invalid_argument("--baud needs a number, not \"" + text + "\"");
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
        if (name.rfind("--", 0) != 0)
            throw std::invalid_argument("unexpected argument \"" + name + "\"");
        std::string value = valueOf(args, i, name);
        GeneratorOptions& g = cl.generators.back();
        generatorOptions = generatorOptions || (name != "--env-file" && name != "--gpib-bus");
        if (name == "--model")
            g.model = value;
        else if (name == "--firmware")
            g.firmware = value;
        else if (name == "--serial")
            g.serial = value;
        else if (name == "--baud")
            g.baudRate = parseRate(value);
        else if (name == "--link") {
            g.link = value;
            wantsPty.back() = true;
        } else if (name == "--gpib")
            g.gpib = parseGpibAddress(value);
        else if (name == "--env-file")
            cl.envFile = value;
        else if (name == "--gpib-bus")
            cl.gpibBus = value;
        else
            throw std::invalid_argument("unknown option " + name);
    }
    if (cl.demo && generatorOptions)
        throw std::invalid_argument("--demo brings its own generators; give it no generator options");
    if (cl.demo) {
        std::optional<std::string> folder;
        if (!cl.envFile.empty())
            folder = std::filesystem::path(cl.envFile).parent_path().string();
        cl.generators = demoGenerators(folder);
        // The bus socket goes beside the links.
        if (cl.gpibBus.empty() && folder)
            cl.gpibBus = (std::filesystem::path(*folder) / "gpib").string();
    } else {
        for (std::size_t i = 0; i < cl.generators.size(); ++i)
            cl.generators[i].pty = !cl.generators[i].gpib || wantsPty[i];
    }
    for (GeneratorOptions& g : cl.generators) {
        validate(g);
        g.lineTime = lineTime;
    }
    checkAddressesOnce(cl.generators);
    return cl;
}

std::string usage()
{
    return "usage: gensim [--env-file FILE] [--gpib-bus PATH] [--line-time] [GENERATOR] [--generator GENERATOR]...\n"
           "       gensim --demo [--env-file FILE] [--gpib-bus PATH] [--line-time]\n"
           "GENERATOR options: --model NAME --firmware VERSION --serial NUMBER\n"
           "                   --baud RATE --link PATH (a symlink to the COM pty)\n"
           "                   --gpib ADDRESS[:BOARD] (on the GPIB bus instead of a pty)\n"
           "                   --com (a pty beside the GPIB address)\n"
           "--demo       the demo set of generators, their links and bus beside FILE\n"
           "--line-time  each character takes its 10 bits at the line's rate\n"
           "Prints MORVANE_COM<n>=<device> for each generator with a pty and, when\n"
           "the bus is open (--gpib-bus, or a generator with an address),\n"
           "ZOT_GPIB_BUS=<socket>; runs until SIGINT or SIGTERM.\n";
}

std::string envLines(const std::vector<std::string>& comPaths, const std::string& gpibBus)
{
    std::string text;
    for (std::size_t i = 0; i < comPaths.size(); ++i)
        text += "MORVANE_COM" + std::to_string(i + 1) + "=" + comPaths[i] + "\n";
    if (!gpibBus.empty())
        text += "ZOT_GPIB_BUS=" + gpibBus + "\n";
    return text;
}

} // namespace gensim

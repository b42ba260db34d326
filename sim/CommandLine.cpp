#include "gensim/CommandLine.h"

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
        generatorOptions = generatorOptions || name != "--env-file";
        if (name == "--model")
            g.model = value;
        else if (name == "--firmware")
            g.firmware = value;
        else if (name == "--serial")
            g.serial = value;
        else if (name == "--baud")
            g.baudRate = parseRate(value);
        else if (name == "--link")
            g.link = value;
        else if (name == "--env-file")
            cl.envFile = value;
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
    }
    for (GeneratorOptions& g : cl.generators) {
        validate(g);
        g.lineTime = lineTime;
    }
    return cl;
}

std::string usage()
{
    return "usage: gensim [--env-file FILE] [--line-time] [GENERATOR] [--generator GENERATOR]...\n"
           "       gensim --demo [--env-file FILE] [--line-time]\n"
           "GENERATOR options: --model NAME --firmware VERSION --serial NUMBER\n"
           "                   --baud RATE --link PATH (a symlink to the COM pty)\n"
           "--demo       the demo set of generators, their links beside FILE\n"
           "--line-time  each character takes its 10 bits at the line's rate\n"
           "Prints MORVANE_COM<n>=<device> for each generator and runs until\n"
           "SIGINT or SIGTERM.\n";
}

std::string envLines(const std::vector<std::string>& comPaths)
{
    std::string text;
    for (std::size_t i = 0; i < comPaths.size(); ++i)
        text += "MORVANE_COM" + std::to_string(i + 1) + "=" + comPaths[i] + "\n";
    return text;
}

} // namespace gensim

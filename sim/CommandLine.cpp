#include "gensim/CommandLine.h"

#include "gensim/Numbers.h"

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
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        if (name == "--help" || name == "-h") {
            cl.help = true;
            continue;
        }
        if (name == "--generator") {
            cl.generators.emplace_back();
            continue;
        }
        if (name.rfind("--", 0) != 0)
            throw std::invalid_argument("unexpected argument \"" + name + "\"");
        std::string value = valueOf(args, i, name);
        GeneratorOptions& g = cl.generators.back();
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
    for (const GeneratorOptions& g : cl.generators)
        validate(g);
    return cl;
}

std::string usage()
{
    return "usage: gensim [--env-file FILE] [GENERATOR] [--generator GENERATOR]...\n"
           "GENERATOR options: --model NAME --firmware VERSION --serial NUMBER\n"
           "                   --baud RATE --link PATH (a symlink to the COM pty)\n"
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

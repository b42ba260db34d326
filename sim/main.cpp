// gensim: generators on pseudo-terminals and a GPIB bus for the program and
// its tests.

#include "gensim/CardWatch.h"
#include "gensim/CommandLine.h"
#include "gensim/DriverEndpoint.h"
#include "gensim/DemoPreset.h"
#include "gensim/Simulator.h"

#include <csignal>
#include <filesystem>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <pthread.h>

namespace {

// Written whole under a temporary name, so whoever waits for the file never
// reads half of it.
bool writeEnvFile(const std::string& path, const std::string& text)
{
    std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << text;
        if (!out.flush())
            return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    gensim::CommandLine cl;
    try {
        cl = gensim::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& e) {
        std::cerr << "gensim: " << e.what() << "\n" << gensim::usage();
        return 2;
    }
    if (cl.help) {
        std::cout << gensim::usage();
        return 0;
    }

    // The signals are taken by sigwait below; every thread inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    gensim::Simulator simulator;
    std::vector<std::string> paths;
    std::string bus;
    try {
        bool gpib = !cl.gpibBus.empty();
        if (!cl.driverPath.empty())
            simulator.openDriver(cl.driverPath, cl.driverVersion);
        std::vector<gensim::Generator*> comGenerators;
        for (const gensim::GeneratorOptions& options : cl.generators) {
            gensim::Generator& g = simulator.addGenerator(options);
            if (options.pty && !options.onCard()) {
                paths.push_back(g.comPath());
                comGenerators.push_back(&g);
            }
            if (!cl.videoDump.empty())
                g.setVideoDump(cl.videoDump);
            gpib = gpib || options.gpib.has_value();
        }
        if (cl.streamCard > 0) {
            if (static_cast<std::size_t>(cl.streamCard) > comGenerators.size())
                throw std::invalid_argument("--stream-card: there is no COM" + std::to_string(cl.streamCard));
            simulator.driverEndpoint()->addStreamCard(*comGenerators[static_cast<std::size_t>(cl.streamCard) - 1]);
        }
        if (gpib)
            bus = simulator.openGpibBus(cl.gpibBus);
    } catch (const std::exception& e) {
        std::cerr << "gensim: " << e.what() << "\n";
        return 1;
    }
    std::unique_ptr<gensim::CardWatch> watch;
    if (!cl.screens.empty() || !cl.callLog.empty()) {
        if (simulator.driverEndpoint() == nullptr) {
            std::cerr << "gensim: --screens and --call-log need a generator on a card\n";
            return 2;
        }
        try {
            watch = std::make_unique<gensim::CardWatch>(*simulator.driverEndpoint(), cl.screens, cl.callLog);
        } catch (const std::exception& e) {
            std::cerr << "gensim: " << e.what() << "\n";
            return 1;
        }
    }
    simulator.start();

    gensim::HostEnvironment host;
    host.comPaths = paths;
    host.gpibBus = bus;
    if (!bus.empty()) {
        std::error_code error;
        const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
        host.gpibLibrary = !cl.gpibLibrary.empty() ? cl.gpibLibrary : gensim::gpibLibraryBeside(self.string());
    }
    gensim::DriverEndpoint* driver = simulator.driverEndpoint();
    host.driverPath = driver ? driver->path() : std::string();
    const std::string env = gensim::envLines(host);
    // With a file the lines go there only: whoever started gensim lists
    // them once. The generators are listed before the file appears, so
    // whoever waits for the file finds the list whole.
    if (!cl.envFile.empty()) {
        std::cout << gensim::generatorLines(cl.generators);
        if (cl.demo)
            std::cout << gensim::writeDemoFirmware(
                (std::filesystem::path(cl.envFile).parent_path() / "firmware").string());
        std::cout << std::flush;
        if (!writeEnvFile(cl.envFile, env)) {
            std::cerr << "gensim: cannot write " << cl.envFile << "\n";
            return 1;
        }
    } else {
        std::cout << env << std::flush;
    }

    int signal = 0;
    sigwait(&stopSignals, &signal);
    watch.reset();
    simulator.stop();
    return 0;
}

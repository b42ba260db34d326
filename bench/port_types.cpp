// "HRES?" per second over each port type, against generators of one
// simulator in this process: COM on a bare pty and on a paced line, GPIB on
// the stand-in bus, and an ISA and a PCI card behind the driver stand-in,
// each as a ratio to COM; the driver round trips a card command costs (its
// characters; the reply comes back without); then the processor time over
// the wall time while 20 replies of a silenced GPIB generator time out. The
// simulator runs in this process, so the processor time counts both ends;
// the library's thread alone is shown beside it.
//
//   build/bench/bench_port_types [commands]

#include "morvane.h"

#include "ProcessTimes.h"
#include "gensim/Simulator.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

constexpr int kSilentReplies = 20;
constexpr double kSilentCpuLimit = 0.02;

struct Run {
    double perSecond = 0;
    int failures = 0;
};

Run Commands(PortId id, int commands)
{
    char reply[6000];
    Run run;
    Measure time;
    for (int i = 0; i < commands; ++i) {
        XR_PortSendCommand(id, "HRES?", reply, sizeof reply);
        run.failures += XR_PortGetError() != 0;
    }
    run.perSecond = commands / time.Wall();
    return run;
}

// A COM port at the generators' 115200 (the open handshakes at 2400).
PortId OpenAt115200(const char* spec)
{
    PortId id = XR_PortOpen(spec);
    if (id != 0 && XR_PortGetError() == MORVANE_E_HANDSHAKE) {
        XR_PortSetRate(id, 115200);
        if (XR_PortIsShutDown(id)) {
            XR_PortClose(id);
            return 0;
        }
    }
    return id;
}

} // namespace

int main(int argc, char** argv)
{
    const int commands = argc > 1 ? std::atoi(argv[1]) : 2000;
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("bench_port_types." + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string socket = (dir / "windrvr").string();
    const std::string bus = (dir / "bus").string();
    setenv("MORVANE_WINDRVR", socket.c_str(), 1);
    setenv("ZOT_GPIB_BUS", bus.c_str(), 1);
    setenv("MORVANE_GPIB_LIBRARY", GPIB_STANDIN, 1);

    int status = 1;
    {
        gensim::Simulator sim;
        gensim::DriverEndpoint& driver = sim.openDriver(socket);
        // COM1 on a bare pty, COM2 paced as on a cable; the card has no line.
        for (bool paced : {false, true}) {
            gensim::GeneratorOptions options{.serial = "1", .baudRate = 115200};
            options.lineTime = paced;
            gensim::Generator& com = sim.addGenerator(options);
            setenv(paced ? "MORVANE_COM2" : "MORVANE_COM1", com.comPath().c_str(), 1);
        }
        gensim::Generator& gpib = sim.addGenerator({.serial = "2", .pty = false, .gpib = gensim::GpibAddress{5, 0}});
        sim.addGenerator({.serial = "3", .baudRate = 115200, .pty = false, .isaSlot = 0});
        sim.addGenerator({.serial = "4", .baudRate = 115200, .pty = false, .pciCard = true});
        sim.openGpibBus(bus);
        sim.start();

        PortId ids[] = {OpenAt115200("com1"), OpenAt115200("com2"), XR_PortOpen("gpib5:0"), XR_PortOpen("isa0"),
                        XR_PortOpen("pci1")};
        if (std::find(std::begin(ids), std::end(ids), 0u) != std::end(ids) || XR_PortGetError() != 0) {
            std::fprintf(stderr, "no connection (error %d)\n", XR_PortGetError());
        } else {
            const Run bare = Commands(ids[0], commands);
            const Run paced = Commands(ids[1], commands);
            const Run bus = Commands(ids[2], commands);
            const uint64_t before = driver.isaCard(0)->events();
            const uint64_t requestsBefore = driver.requests();
            const Run card = Commands(ids[3], commands);
            const double events = double(driver.isaCard(0)->events() - before) / commands;
            const double requests = double(driver.requests() - requestsBefore) / commands;
            const uint64_t pciBefore = driver.pciCard(0)->events();
            const uint64_t pciRequestsBefore = driver.requests();
            const Run pci = Commands(ids[4], commands);
            const double pciEvents = double(driver.pciCard(0)->events() - pciBefore) / commands;
            const double pciRequests = double(driver.requests() - pciRequestsBefore) / commands;
            std::printf("\"HRES?\" x %d, one simulator\n", commands);
            std::printf("  com1, 115200, unpaced: %8.0f commands/s, %d failed\n", bare.perSecond, bare.failures);
            std::printf("  com2, 115200, paced:   %8.0f commands/s, %d failed\n", paced.perSecond, paced.failures);
            for (const auto& [name, run] : {std::pair{"gpib5:0", bus}, std::pair{"isa0", card}, std::pair{"pci1", pci}})
                std::printf("  %-22s %8.0f commands/s, %d failed (%.2f x unpaced COM, %.2f x paced COM)\n", name,
                            run.perSecond, run.failures, run.perSecond / bare.perSecond,
                            run.perSecond / paced.perSecond);
            std::printf("  isa0 driver round trips per command: %.2f (firmware events %.2f)\n", requests, events);
            std::printf("  pci1 driver round trips per command: %.2f (firmware events %.2f)\n", pciRequests,
                        pciEvents);
            status = bare.failures + paced.failures + bus.failures + card.failures + pci.failures == 0 ? 0 : 1;

            gpib.fault(gensim::Fault::silence(gensim::Fault::kForever));
            char reply[6000];
            Measure m;
            int timeouts = 0;
            for (int i = 0; i < kSilentReplies; ++i) {
                XR_PortSendCommand(ids[2], "HRES?", reply, sizeof reply);
                timeouts += XR_PortGetError() == MORVANE_E_TIMEOUT;
            }
            const double share = m.Cpu() / m.Wall();
            std::printf("silenced GPIB generator: %d of %d replies timed out in %.3f s wall; processor %.4f s "
                        "(%.2f%%), the library's thread %.4f s (%.2f%%); limit %.0f%%\n",
                        timeouts, kSilentReplies, m.Wall(), m.Cpu(), 100.0 * share, m.Thread(),
                        100.0 * m.Thread() / m.Wall(), 100.0 * kSilentCpuLimit);
            if (timeouts != kSilentReplies || share >= kSilentCpuLimit)
                status = 1;
        }
        for (PortId id : ids)
            if (id != 0)
                XR_PortClose(id);
    }
    fs::remove_all(dir);
    return status;
}

// "HRES?" per second over each port type, against generators of one
// simulator in this process, and the driver round trips each command costs
// on a card port (the command's characters; the reply comes back without).
//
//   build/bench/bench_port_types [commands]

#include "morvane.h"

#include "ProcessTimes.h"
#include "gensim/Simulator.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

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
    char folder[] = "/tmp/bench-port-types-XXXXXX";
    if (mkdtemp(folder) == nullptr)
        return 1;
    const std::string socket = std::string(folder) + "/windrvr";
    setenv("MORVANE_WINDRVR", socket.c_str(), 1);

    int status = 1;
    {
        gensim::Simulator sim;
        gensim::DriverEndpoint& driver = sim.openDriver(socket);
        // COM1 on a bare pty, COM2 paced as on a cable; the card has no line.
        for (bool paced : {false, true}) {
            gensim::GeneratorOptions options{.model = "VG-7000", .firmware = "7.011", .serial = "1",
                                             .baudRate = 115200, .link = ""};
            options.lineTime = paced;
            gensim::Generator& com = sim.addGenerator(options);
            setenv(paced ? "MORVANE_COM2" : "MORVANE_COM1", com.comPath().c_str(), 1);
        }
        sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = "2", .baudRate = 115200, .link = "",
                          .isaSlot = 0});
        sim.start();

        PortId ids[] = {OpenAt115200("com1"), OpenAt115200("com2"), XR_PortOpen("isa0")};
        if (ids[0] == 0 || ids[1] == 0 || ids[2] == 0 || XR_PortGetError() != 0) {
            std::fprintf(stderr, "no connection (error %d)\n", XR_PortGetError());
        } else {
            const Run bare = Commands(ids[0], commands);
            const Run paced = Commands(ids[1], commands);
            const uint64_t before = driver.isaCard(0)->events();
            const uint64_t requestsBefore = driver.requests();
            const Run card = Commands(ids[2], commands);
            const double events = double(driver.isaCard(0)->events() - before) / commands;
            const double requests = double(driver.requests() - requestsBefore) / commands;
            std::printf("\"HRES?\" x %d, one simulator\n", commands);
            std::printf("  com1, 115200, unpaced: %8.0f commands/s, %d failed\n", bare.perSecond, bare.failures);
            std::printf("  com2, 115200, paced:   %8.0f commands/s, %d failed\n", paced.perSecond, paced.failures);
            std::printf("  isa0:                  %8.0f commands/s, %d failed (%.2f x unpaced COM, %.2f x paced COM)\n",
                        card.perSecond, card.failures, card.perSecond / bare.perSecond,
                        card.perSecond / paced.perSecond);
            std::printf("  isa0 driver round trips per command: %.2f (firmware events %.2f)\n", requests, events);
            status = bare.failures + paced.failures + card.failures == 0 ? 0 : 1;
        }
        for (PortId id : ids)
            if (id != 0)
                XR_PortClose(id);
    }
    rmdir(folder);
    return status;
}

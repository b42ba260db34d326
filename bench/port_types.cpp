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
        gensim::Generator& com = sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = "1",
                                                   .baudRate = 115200, .link = ""});
        sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = "2", .baudRate = 115200, .link = "",
                          .isaSlot = 0});
        sim.start();
        setenv("MORVANE_COM1", com.comPath().c_str(), 1);

        PortId comId = XR_PortOpen("com1");
        if (comId != 0 && XR_PortGetError() == MORVANE_E_HANDSHAKE) {
            XR_PortSetRate(comId, 115200);
            if (XR_PortIsShutDown(comId))
                comId = 0;
        }
        PortId isaId = XR_PortOpen("isa0");
        if (comId == 0 || isaId == 0 || XR_PortGetError() != 0) {
            std::fprintf(stderr, "no connection (error %d)\n", XR_PortGetError());
        } else {
            const Run overCom = Commands(comId, commands);
            const uint64_t before = driver.isaCard(0)->events();
            const uint64_t requestsBefore = driver.requests();
            const Run overIsa = Commands(isaId, commands);
            const double events = double(driver.isaCard(0)->events() - before) / commands;
            const double requests = double(driver.requests() - requestsBefore) / commands;
            std::printf("\"HRES?\" x %d, one simulator\n", commands);
            std::printf("  com1 at 115200 baud: %8.0f commands/s, %d failed\n", overCom.perSecond, overCom.failures);
            std::printf("  isa0:                %8.0f commands/s, %d failed (%.2f x COM)\n", overIsa.perSecond,
                        overIsa.failures, overIsa.perSecond / overCom.perSecond);
            std::printf("  isa0 driver round trips per command: %.2f (firmware events %.2f)\n", requests, events);
            status = overCom.failures + overIsa.failures == 0 ? 0 : 1;
        }
        if (comId != 0)
            XR_PortClose(comId);
        if (isaId != 0)
            XR_PortClose(isaId);
    }
    rmdir(folder);
    return status;
}

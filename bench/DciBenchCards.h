// The cards the direct-call benchmarks run on: isa0 and pci1 of one
// simulator in this process, and a null event's round trip through the
// driver stand-in timed in the same run. Needs only the library's public
// calls, so a benchmark of the program's front can use it too.
#pragma once

#include "morvane.h"

#include "DriverClient.h"
#include "ProcessTimes.h"
#include "gensim/Simulator.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <unistd.h>

// Opens isa0 and pci1 of a simulator of its own and runs figures(simulator,
// isa, pci, seconds per null round trip); the process's exit status.
inline int DciCardsMain(const char* name,
                        const std::function<bool(gensim::Simulator&, PortId, PortId, double)>& figures)
{
    std::string pattern = std::string("/tmp/") + name + "-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
        return 1;
    const std::string socket = pattern + "/windrvr";
    setenv("MORVANE_WINDRVR", socket.c_str(), 1);
    int status = 1;
    {
        gensim::Simulator sim;
        sim.openDriver(socket);
        sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = "1", .link = "", .pty = false,
                          .isaSlot = 0});
        sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = "2", .link = "", .pty = false,
                          .pciCard = true});
        sim.start();
        const PortId isa = IsaOpen("isa0");
        const PortId pci = PciOpen("pci1");
        auto probe = driver::DriverClient::Connect(socket);
        if (isa == 0 || pci == 0 || !probe) {
            std::fprintf(stderr, "no card (error %d)\n", XR_PortGetError());
        } else {
            const int trips = 20000;
            Measure time;
            for (int i = 0; i < trips; ++i)
                probe->Version();
            const double perTrip = time.Wall() / trips;
            std::printf("null event round trip: %.1f us\n", perTrip * 1e6);
            status = figures(sim, isa, pci, perTrip) ? 0 : 1;
        }
        if (isa != 0)
            XR_PortClose(isa);
        if (pci != 0)
            PciClose(pci);
    }
    rmdir(pattern.c_str());
    return status;
}

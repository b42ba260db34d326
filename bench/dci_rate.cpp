// Direct calls per second on an ISA and a PCI card of one simulator in this
// process: XR_DrawLine (no result) and XR_Get_color1 (a result), and a
// filling preparation (every context word from the generator). Each figure
// stands beside its floor: the driver round trips the library made per
// call (its driver client's count) times a null event's round trip measured
// in the same run.
//
//   build/bench/bench_dci_rate [calls]

#include "morvane.h"

#include "DriverClient.h"
#include "ProcessTimes.h"
#include "gensim/Simulator.h"
#include "internal.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <unistd.h>

namespace {

double NullRoundTrip(driver::DriverClient& probe)
{
    const int trips = 20000;
    Measure time;
    for (int i = 0; i < trips; ++i)
        probe.Version();
    return time.Wall() / trips;
}

struct Figure {
    double perCall = 0;   // seconds
    double trips = 0;     // driver round trips per call
};

Figure Time(int calls, const std::function<void()>& call)
{
    const uint64_t trips0 = morvane::Driver()->RoundTrips();
    Measure time;
    for (int i = 0; i < calls; ++i)
        call();
    Figure figure;
    figure.perCall = time.Wall() / calls;
    figure.trips = static_cast<double>(morvane::Driver()->RoundTrips() - trips0) / calls;
    return figure;
}

void Print(const char* port, const char* what, const Figure& f, double perTrip)
{
    const double floor = f.trips * perTrip;
    std::printf("%-4s %-22s %9.0f/s  %5.1f round trips  floor %9.0f/s  ratio %.2f\n", port, what, 1.0 / f.perCall,
                f.trips, floor > 0 ? 1.0 / floor : 0.0, floor > 0 ? f.perCall / floor : 0.0);
}

bool Figures(const char* name, PortId id, int calls, double perTrip)
{
    static RemoteCallContext context;
    if (!XR_PortPrepareRemoteCall(id, &context, 1)) {
        std::fprintf(stderr, "%s: preparation failed (error %d)\n", name, XR_PortGetError());
        return false;
    }
    Print(name, "XR_DrawLine", Time(calls, [] { XR_DrawLine(10, 20, 300, 200); }), perTrip);
    Print(name, "XR_Get_color1", Time(calls, [] { XR_Get_color1(); }), perTrip);
    Print(name, "filling preparation",
          Time(std::max(calls / 100, 1), [id] { XR_PortPrepareRemoteCall(id, &context, 1); }), perTrip);
    return XR_PortGetError() == 0;
}

} // namespace

int main(int argc, char** argv)
{
    const int calls = argc > 1 ? std::atoi(argv[1]) : 5000;
    char folder[] = "/tmp/bench-dci-rate-XXXXXX";
    if (mkdtemp(folder) == nullptr)
        return 1;
    const std::string socket = std::string(folder) + "/windrvr";
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
            const double perTrip = NullRoundTrip(*probe);
            std::printf("null event round trip: %.1f us\n", perTrip * 1e6);
            const bool isaOk = Figures("isa0", isa, calls, perTrip);
            const bool pciOk = Figures("pci1", pci, calls, perTrip);
            status = isaOk && pciOk ? 0 : 1;
        }
        if (isa != 0)
            XR_PortClose(isa);
        if (pci != 0)
            PciClose(pci);
    }
    rmdir(folder);
    return status;
}

// Direct calls per second on an ISA and a PCI card of one simulator in this
// process: XR_DrawLine (no result) and XR_Get_color1 (a result), and a
// filling preparation (every context word from the generator). Each figure
// stands beside its floor: the driver round trips the library made per
// call (its driver client's count) times a null event's round trip measured
// in the same run.
//
//   build/bench/bench_dci_rate [calls]

#include "DciBench.h"

#include <algorithm>

namespace {

bool Figures(const char* name, PortId id, int calls, double perTrip)
{
    static RemoteCallContext context;
    if (!XR_PortPrepareRemoteCall(id, &context, 1)) {
        std::fprintf(stderr, "%s: preparation failed (error %d)\n", name, XR_PortGetError());
        return false;
    }
    DciPrint(name, "XR_DrawLine", DciTime(calls, 1, [] { XR_DrawLine(10, 20, 300, 200); }), perTrip);
    DciPrint(name, "XR_Get_color1", DciTime(calls, 1, [] { XR_Get_color1(); }), perTrip);
    DciPrint(name, "filling preparation",
             DciTime(std::max(calls / 100, 1), 1, [id] { XR_PortPrepareRemoteCall(id, &context, 1); }), perTrip);
    return XR_PortGetError() == 0;
}

} // namespace

int main(int argc, char** argv)
{
    const int calls = argc > 1 ? std::atoi(argv[1]) : 5000;
    return DciBenchMain("bench-dci-rate", [calls](PortId isa, PortId pci, double perTrip) {
        const bool isaOk = Figures("isa0", isa, calls, perTrip);
        const bool pciOk = Figures("pci1", pci, calls, perTrip);
        return isaOk && pciOk;
    });
}

// What the direct-call benchmarks share: an ISA and a PCI card of one
// simulator in this process, a null event's round trip, and figures timed
// with the driver round trips the library made, printed beside their floor.
#pragma once

#include "morvane.h"

#include "DciBenchCards.h"
#include "ProcessTimes.h"
#include "internal.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <unistd.h>

struct DciFigure {
    double perUnit = 0;  // seconds per call (or per unit it counts for)
    double trips = 0;    // driver round trips per call (or unit)
};

// units: what one call of `call` counts for (1, or the pixels it reads).
inline DciFigure DciTime(int calls, double units, const std::function<void()>& call)
{
    const uint64_t trips0 = morvane::Driver()->RoundTrips();
    Measure time;
    for (int i = 0; i < calls; ++i)
        call();
    DciFigure figure;
    figure.perUnit = time.Wall() / (calls * units);
    figure.trips = static_cast<double>(morvane::Driver()->RoundTrips() - trips0) / (calls * units);
    return figure;
}

inline void DciPrint(const char* port, const char* what, const DciFigure& f, double perTrip)
{
    const double floor = f.trips * perTrip;
    std::printf("%-4s %-26s %11.0f/s  %8.4f round trips  floor %11.0f/s  ratio %.2f\n", port, what, 1.0 / f.perUnit,
                f.trips, floor > 0 ? 1.0 / floor : 0.0, floor > 0 ? f.perUnit / floor : 0.0);
}

// Opens isa0 and pci1 of a simulator of its own and runs figures(isa, pci,
// seconds per null round trip); the process's exit status.
inline int DciBenchMain(const char* name, const std::function<bool(PortId, PortId, double)>& figures)
{
    return DciCardsMain(name, [&](gensim::Simulator&, PortId isa, PortId pci, double perTrip) {
        return figures(isa, pci, perTrip);
    });
}

// The Diagnostics window's rows on the simulator's cards in this process,
// run as the window runs them (one routine each through the link's front):
// for Smpte133 and each non-animated demonstration on isa0 and pci1, the
// time per direct call (the calls the card logged, staging left out) and
// its ratio to the floor of the row's driver round trips times the null
// round trip timed in the same run, and the row's time in routine hops (an
// XR_Get_psize routine through the front); the median ratio and the five
// worst rows. Then each animated row's steps per second against the frame
// clock (60 frames a second).
//
//   build/bench/bench_diagnostics_rows [runs]

#include "DciBenchCards.h"
#include "DemonstrationTable.h"
#include "DiagnosticsHooks.h"
#include "LinkRoutines.h"
#include "RoutineStop.h"
#include "ToolLibrary.h"

#include "gensim/CardDci.h"
#include "gensim/DriverEndpoint.h"

#include <QApplication>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

struct RowFigure {
    std::string name;
    double seconds = 0;
    double calls = 0;
    double trips = 0;
    double ratio = 0;  // seconds over the round-trip floor
};

std::size_t CardCalls(const gensim::CardDci& card)
{
    std::size_t calls = 0;
    for (const gensim::DciCall& call : card.log())
        calls += call.name != "Allocate" && call.name != "Release";
    return calls;
}

// One row as the window runs it: the context prepared, then the routine.
double RunRow(PortId port, DemonstrationRoutine routine)
{
    Measure time;
    LinkRoutines::Run(port, [&](ToolLibrary& lib) {
        if (lib.XR_PortPrepareRemoteCall(lib.Port(), &DiagnosticsContext(), 0) == 1)
            routine(lib);
    });
    return time.Wall();
}

bool Rows(gensim::Simulator& sim, const char* name, PortId port, gensim::CardDci& card, double perTrip, int runs)
{
    // The hop: a routine of one call.
    std::vector<double> hops;
    for (int i = 0; i < 50; ++i) {
        Measure time;
        LinkRoutines::Run(port, [](ToolLibrary& lib) {
            lib.XR_PortPrepareRemoteCall(lib.Port(), &DiagnosticsContext(), 0);
            lib.XR_Get_psize();
        });
        hops.push_back(time.Wall());
    }
    const double hop = Median(hops);
    std::printf("%s: routine hop (XR_Get_psize) %.1f us\n", name, hop * 1e6);
    std::printf("%-4s %-20s %7s %8s %10s %9s %7s %8s\n", "port", "row", "calls", "trips", "ms", "us/call", "ratio",
                "hops");
    std::vector<RowFigure> figures;
    for (const DemonstrationRow& row : DiagnosticsMethods()) {
        if (row.animated)
            continue;
        std::vector<double> times;
        RowFigure f{row.name};
        for (int r = 0; r < runs; ++r) {
            card.clearLog();
            const uint64_t trips0 = sim.driverEndpoint()->requests();
            times.push_back(RunRow(port, row.routine));
            f.trips = static_cast<double>(sim.driverEndpoint()->requests() - trips0);
            f.calls = static_cast<double>(CardCalls(card));
        }
        f.seconds = Median(times);
        f.ratio = f.trips > 0 ? f.seconds / (f.trips * perTrip) : 0;
        std::printf("%-4s %-20s %7.0f %8.0f %10.3f %9.2f %7.2f %8.1f\n", name, f.name.c_str(), f.calls, f.trips,
                    f.seconds * 1e3, f.calls > 0 ? f.seconds / f.calls * 1e6 : 0, f.ratio, f.seconds / hop);
        figures.push_back(f);
    }
    std::vector<double> ratios;
    for (const RowFigure& f : figures)
        ratios.push_back(f.ratio);
    std::printf("%s: median ratio to the round-trip floor %.2f; the five worst:", name, Median(ratios));
    std::sort(figures.begin(), figures.end(), [](const RowFigure& a, const RowFigure& b) { return a.ratio > b.ratio; });
    for (std::size_t i = 0; i < 5 && i < figures.size(); ++i)
        std::printf(" %s %.2f;", figures[i].name.c_str(), figures[i].ratio);
    std::printf("\n");
    return true;
}

// Each animated row for `steps` paced steps (frame and scan waits), stopped
// as the window's Stop stops it.
void Animations(const char* name, PortId port, gensim::CardDci& card, int steps)
{
    for (const DemonstrationRow& row : DiagnosticsMethods()) {
        if (!row.animated)
            continue;
        RoutineStop stop;
        auto paced = std::make_shared<std::atomic<int>>(0);
        card.setCallObserver([&stop, paced, steps](const gensim::DciCall& call) {
            const bool pace = call.name == "XR_WaitFrames" || call.name == "XR_WaitScan" ||
                              (call.name == "XR_WaitFrame" && !call.args.empty() && call.args[0] != 0);
            if (pace && ++*paced >= steps)
                stop.Request();
        });
        SetDiagnosticsStop(&stop);
        const double seconds = RunRow(port, row.routine);
        SetDiagnosticsStop(nullptr);
        card.setCallObserver({});
        std::printf("%-4s %-20s %6.1f steps/s  (%d steps, %.2f s, frame clock 60/s)\n", name, row.name,
                    *paced / seconds, paced->load(), seconds);
    }
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    return DciCardsMain("bench-diagnostics-rows", [runs](gensim::Simulator& sim, PortId isa, PortId pci, double perTrip) {
        gensim::CardDci& isaCard = sim.driverEndpoint()->isaCard(0)->dci();
        gensim::CardDci& pciCard = sim.driverEndpoint()->pciCard(0)->dci();
        // The window prepares with a filled context first.
        LinkRoutines::Run(isa, [](ToolLibrary& lib) { lib.XR_PortPrepareRemoteCall(lib.Port(), &DiagnosticsContext(), 1); });
        bool ok = Rows(sim, "isa0", isa, isaCard, perTrip, runs);
        LinkRoutines::Run(pci, [](ToolLibrary& lib) { lib.XR_PortPrepareRemoteCall(lib.Port(), &DiagnosticsContext(), 1); });
        ok = Rows(sim, "pci1", pci, pciCard, perTrip, runs) && ok;
        Animations("isa0", isa, isaCard, 20);
        Animations("pci1", pci, pciCard, 20);
        return ok;
    });
}

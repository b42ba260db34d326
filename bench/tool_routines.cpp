// The tools' routines against the simulator's cards in this process: a
// routine of 10 000 XR_DrawLine calls on isa0 and on pci1 through the front
// (LinkRoutines::Run from the GUI thread, ToolLibrary), beside the same
// calls made directly in one unit on the port thread (PortWorker::Run) in
// the same run, as their ratio (the aim: within 1.05), by the wall clock and
// by the port thread's processor time; then the cost of one hop to the port
// thread and back: an empty routine, and an empty unit. Runs alternate
// between the two ways; each figure is the median.
//
//   build/bench/bench_tool_routines [calls] [runs]

#include "LinkRoutines.h"
#include "PortWorker.h"
#include "ToolLibrary.h"
#include "ProcessTimes.h"
#include "gensim/Simulator.h"

#include <morvane.h>

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Timed(const std::function<void()>& what)
{
    Measure time;
    what();
    return time.Wall();
}

// One run's seconds: wall (on the GUI thread, the hop included) and the
// port thread's processor time, the part the front itself adds to.
struct RunTime {
    double wall = 0;
    double portCpu = 0;
};

// Both ways in pairs, the ratio of each pair then its median, so that the
// load of a shared machine drifting between runs cancels; false when a call
// failed.
bool Lines(const char* name, PortId port, int calls, int runs)
{
    static RemoteCallContext context;
    int failures = 0;
    auto viaFront = [&] {
        RunTime t;
        Measure wall;
        LinkRoutines::Run(port, [&](ToolLibrary& lib) {
            Measure cpu;
            failures += lib.XR_PortPrepareRemoteCall(lib.Port(), &context, 0) == 0;
            for (int i = 0; i < calls; ++i) {
                lib.XR_DrawLine(10, 20, 300, 200);
                failures += lib.Error() != 0;
            }
            t.portCpu = cpu.Thread();
        });
        t.wall = wall.Wall();
        return t;
    };
    auto direct = [&] {
        RunTime t;
        Measure wall;
        PortWorker::Run([&] {
            Measure cpu;
            failures += XR_PortPrepareRemoteCall(port, &context, 0) == 0;
            for (int i = 0; i < calls; ++i) {
                XR_DrawLine(10, 20, 300, 200);
                failures += XR_PortGetError() != 0;
            }
            t.portCpu = cpu.Thread();
        });
        t.wall = wall.Wall();
        return t;
    };
    std::vector<double> frontRate, directRate, wallRatio, cpuRatio;
    for (int run = 0; run < runs; ++run) {
        const RunTime d = direct();
        const RunTime f = viaFront();
        directRate.push_back(calls / d.wall);
        frontRate.push_back(calls / f.wall);
        wallRatio.push_back(f.wall / d.wall);
        cpuRatio.push_back(f.portCpu / d.portCpu);
    }
    std::printf("%-4s %d x XR_DrawLine  direct %7.0f/s  front %7.0f/s  ratio %.3f (port thread's processor time %.3f)\n",
                name, calls, Median(directRate), Median(frontRate), Median(wallRatio), Median(cpuRatio));
    if (failures != 0)
        std::fprintf(stderr, "%s: %d calls failed (error %d)\n", name, failures, XR_PortGetError());
    return failures == 0;
}

// Medians over rounds of hops, the two ways alternating.
void Hops(int hops, int rounds)
{
    std::vector<double> routine, unit;
    for (int round = 0; round < rounds; ++round) {
        routine.push_back(Timed([&] {
            for (int i = 0; i < hops; ++i)
                LinkRoutines::Run(0, [](ToolLibrary&) {});
        }) / hops);
        unit.push_back(Timed([&] {
            for (int i = 0; i < hops; ++i)
                PortWorker::Run([] {});
        }) / hops);
    }
    std::printf("one hop from the GUI thread: empty routine %.1f us, empty unit %.1f us\n", Median(routine) * 1e6,
                Median(unit) * 1e6);
}

} // namespace

int main(int argc, char** argv)
{
    const int calls = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 15;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    std::string folder = "/tmp/bench-tool-routines-XXXXXX";
    if (mkdtemp(folder.data()) == nullptr)
        return 1;
    const std::string socket = folder + "/windrvr";
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
        PortId isa = 0, pci = 0;
        PortWorker::Run([&] {
            isa = IsaOpen("isa0");
            pci = PciOpen("pci1");
        });
        if (isa == 0 || pci == 0) {
            std::fprintf(stderr, "no card (error %d)\n", XR_PortGetError());
        } else {
            const bool isaOk = Lines("isa0", isa, calls, runs);
            const bool pciOk = Lines("pci1", pci, calls, runs);
            Hops(1000, runs);
            status = isaOk && pciOk ? 0 : 1;
        }
        PortWorker::Run([&] {
            if (isa != 0)
                XR_PortClose(isa);
            if (pci != 0)
                PciClose(pci);
        });
    }
    rmdir(folder.c_str());
    return status;
}

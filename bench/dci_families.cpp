// Direct calls of the staged families per second on an ISA and a PCI card of
// one simulator in this process: XR_DrawString("Hello world.") (a staged
// text), XR_GetRect of a 640 x 480 screen (in strips the PCI card's heap
// holds), and one step of the rotating figure the Diagnostics window shows
// (matrix, rotation, transform, perspective, erase and fill). Each figure
// stands beside its floor, as in bench_dci_rate: the driver round trips the
// library made per call times a null event's round trip in the same run.
//
//   build/bench/bench_dci_families [repeats]

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
#include <vector>

namespace {

double FamiliesNullTrip(driver::DriverClient& probe)
{
    const int trips = 20000;
    Measure time;
    for (int i = 0; i < trips; ++i)
        probe.Version();
    return time.Wall() / trips;
}

struct FamiliesFigure {
    double perUnit = 0;  // seconds per call or pixel
    double trips = 0;    // driver round trips per call or pixel
};

// units: what one call of `call` counts for (1, or the pixels it reads).
FamiliesFigure FamiliesTime(int calls, double units, const std::function<bool()>& call, bool& ok)
{
    const uint64_t trips0 = morvane::Driver()->RoundTrips();
    Measure time;
    for (int i = 0; i < calls; ++i)
        ok = call() && ok;
    FamiliesFigure figure;
    figure.perUnit = time.Wall() / (calls * units);
    figure.trips = static_cast<double>(morvane::Driver()->RoundTrips() - trips0) / (calls * units);
    return figure;
}

void FamiliesPrint(const char* port, const char* what, const FamiliesFigure& f, double perTrip)
{
    const double floor = f.trips * perTrip;
    std::printf("%-4s %-26s %11.0f/s  %8.4f round trips  floor %11.0f/s  ratio %.2f\n", port, what, 1.0 / f.perUnit,
                f.trips, floor > 0 ? 1.0 / floor : 0.0, floor > 0 ? f.perUnit / floor : 0.0);
}

// The screen in strips of 25 rows: 16 000 pixels, within the PCI heap.
bool ReadScreen(bool isa)
{
    constexpr int kWidth = 640, kRows = 25;
    static std::vector<uint32_t> buffer(kWidth * kRows);
    for (int y = 0; y < 480 && XR_PortGetError() == 0; y += kRows)
        XR_GetRect(kWidth, kRows, 0, y, buffer.data(), isa ? 8 * kWidth : kWidth);
    return XR_PortGetError() == 0;
}

// One step of the rotating cube: rotate the matrix a degree more, transform
// the corners, project them, erase the old face and fill the new one.
bool RotateStep(RemoteCallContext& context)
{
    static int degrees = 0;
    static const int32_t corners[] = {-60, -60, 0, 60, -60, 0, 60, 60, 0, -60, 60, 0};
    static std::vector<Point> shown(4, Point{0, 0});
    const int32_t index[] = {0, 1, 2, 3};
    FixMatrix matrix;
    Vertex turn{0, 0, Fix(++degrees % 360) << 16};
    Vertex vertices[4];
    Point points[4];
    XR_InitMatrix(&matrix);
    XR_Rotate(&matrix, &turn);
    XR_Int32ToFix(12, corners, &vertices[0].x);
    XR_Transform(&matrix, 4, vertices);
    XR_Perspec(4, vertices, points, 400, 320, 240);
    XR_Opaque(context.words[RCC_BLACK], context.words[RCC_BLACK]);
    XR_FillConvex(4, index, shown.data());
    XR_Transparent(context.words[RCC_BLACK]);
    XR_FillConvex(4, index, points);
    shown.assign(points, points + 4);
    return XR_PortGetError() == 0;
}

bool FamiliesFigures(const char* name, PortId id, bool isa, int repeats, double perTrip)
{
    static RemoteCallContext context;
    if (!XR_PortPrepareRemoteCall(id, &context, 1)) {
        std::fprintf(stderr, "%s: preparation failed (error %d)\n", name, XR_PortGetError());
        return false;
    }
    XR_SelectFontNamed("OPIX9");
    bool ok = XR_PortGetError() == 0;
    FamiliesPrint(name, "XR_DrawString calls",
                  FamiliesTime(repeats, 1, [] { XR_DrawString(10, 40, "Hello world."); return XR_PortGetError() == 0; }, ok),
                  perTrip);
    FamiliesPrint(name, "XR_GetRect pixels",
                  FamiliesTime(std::max(repeats / 100, 1), 640.0 * 480.0, [isa] { return ReadScreen(isa); }, ok), perTrip);
    FamiliesPrint(name, "rotate steps", FamiliesTime(std::max(repeats / 10, 1), 1, [] { return RotateStep(context); }, ok),
                  perTrip);
    if (!ok)
        std::fprintf(stderr, "%s: a call failed (error %d)\n", name, XR_PortGetError());
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    const int repeats = argc > 1 ? std::atoi(argv[1]) : 2000;
    char folder[] = "/tmp/bench-dci-families-XXXXXX";
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
            const double perTrip = FamiliesNullTrip(*probe);
            std::printf("null event round trip: %.1f us\n", perTrip * 1e6);
            const bool isaOk = FamiliesFigures("isa0", isa, true, repeats, perTrip);
            const bool pciOk = FamiliesFigures("pci1", pci, false, repeats, perTrip);
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

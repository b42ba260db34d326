// Direct calls of the staged families per second on an ISA and a PCI card of
// one simulator in this process: XR_DrawString("Hello world.") (a staged
// text), XR_GetRect of a 640 x 480 screen (in strips the PCI card's heap
// holds), and one step of the rotating figure the Diagnostics window shows
// (matrix, rotation, transform, perspective, erase and fill). Each figure
// stands beside its floor, as in bench_dci_rate: the driver round trips the
// library made per call times a null event's round trip in the same run.
//
//   build/bench/bench_dci_families [repeats]

#include "DciBench.h"

#include <algorithm>
#include <vector>

namespace {

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
    DciPrint(name, "XR_DrawString calls", DciTime(repeats, 1, [&ok] {
                 XR_DrawString(10, 40, "Hello world.");
                 ok = XR_PortGetError() == 0 && ok;
             }),
             perTrip);
    DciPrint(name, "XR_GetRect pixels",
             DciTime(std::max(repeats / 100, 1), 640.0 * 480.0, [&ok, isa] { ok = ReadScreen(isa) && ok; }), perTrip);
    DciPrint(name, "rotate steps", DciTime(std::max(repeats / 10, 1), 1, [&ok] { ok = RotateStep(context) && ok; }),
             perTrip);
    if (!ok)
        std::fprintf(stderr, "%s: a call failed (error %d)\n", name, XR_PortGetError());
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    const int repeats = argc > 1 ? std::atoi(argv[1]) : 2000;
    return DciBenchMain("bench-dci-families", [repeats](PortId isa, PortId pci, double perTrip) {
        const bool isaOk = FamiliesFigures("isa0", isa, true, repeats, perTrip);
        const bool pciOk = FamiliesFigures("pci1", pci, false, repeats, perTrip);
        return isaOk && pciOk;
    });
}

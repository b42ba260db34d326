// The primitive list pane with 1000 rectangles on a shown 1280 x 1024
// canvas, offscreen: one rubber band marking all of them (nine handles
// each), Cut of the marked rectangles, and Undo bringing them back; the
// wall time of each step with the events it posted (the repaint among
// them), the peak resident memory (VmHWM, reset before each step), and the
// resident memory with the 1000 marked against none marked.
//
//   build/bench/bench_list_pane

#include "CCanvas.h"
#include "CPrimitiveListPane.h"
#include "CRectangle.h"
#include "PrimitiveClipboard.h"

#include <QApplication>
#include <QFile>

#include <chrono>
#include <cstdio>

namespace {

constexpr int kRectangles = 1000;

// kB of a line of /proc/self/status ("VmHWM:", "VmRSS:").
long StatusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray name(field);
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(name))
            return line.mid(name.size()).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// kB of the peak resident set since the last reset.
long PeakKb()
{
    return StatusKb("VmHWM:");
}

void ResetPeak()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

template <class Step>
void Time(const char *name, Step step)
{
    ResetPeak();
    const auto start = std::chrono::steady_clock::now();
    step();
    QCoreApplication::processEvents();
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("%-34s %9.1f ms   peak RSS %7ld kB\n", name, ms, PeakKb());
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    CCanvas canvas;
    canvas.SetLimits(1279, 1023);
    canvas.resize(1280, 1024);
    CPrimitiveListPane pane;
    pane.SetCanvas(&canvas);
    canvas.SetListPane(&pane);
    canvas.show();
    pane.show();
    QCoreApplication::processEvents();

    PrimitiveArray image;
    for (int i = 0; i < kRectangles; ++i) {
        const int x = (i * 37) % 1200;
        const int y = (i * 53) % 960;
        image.push_back(std::make_unique<CRectangle>(x, y, x + 40, y + 30, 1 + i % 70));
    }
    Time("fill the tree (1000 items)", [&] { pane.InsertCopies(image); });
    const long unmarkedKb = StatusKb("VmRSS:");
    Time("rubber band marks all", [&] { pane.MarkInRect(QRect(0, 0, 1280, 1024)); });
    const long markedKb = StatusKb("VmRSS:");
    std::printf("    marked %d\n", pane.MarkedCount());
    std::printf("resident: none marked %ld kB, %d marked %ld kB (%+ld kB, %.0f bytes a handle)\n", unmarkedKb,
                pane.MarkedCount(), markedKb, markedKb - unmarkedKb,
                1024.0 * double(markedKb - unmarkedKb) / (9.0 * kRectangles));
    Time("cut the marked", [&] { pane.CutCopyDelete(CPrimitiveListPane::kCut); });
    std::printf("    clipboard %d, tree %zu\n", PrimitiveClipboard::Instance().Count(), pane.Children().size());
    Time("undo", [&] { pane.UndoLast(); });
    std::printf("    clipboard %d, tree %zu\n", PrimitiveClipboard::Instance().Count(), pane.Children().size());
    canvas.SetListPane(nullptr);
    ClearPrimitiveClipboard();
    return 0;
}

// Painting the image canvas, offscreen: full repaints per second of a
// 1280 x 1024 canvas holding 500 lines, rectangles and ovals (half of the
// boxes filled), beside a peer that draws the same shapes with plain
// QPainter calls in the same run; the same with grid dots at step 1; and
// the time of one mouse move while a handle is dragged, its repaint
// included; and full repaints of 500 primitives of every kind, texts and
// information boxes among them, beside the same peer.
//
//   build/bench/bench_image_canvas [seconds per figure]

#include "CCanvas.h"
#include "CLine.h"
#include "COval.h"
#include "CPrimitiveHandle.h"
#include "CRectangle.h"
#include "CanvasLinks.h"
#include "EveryKind.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 1024;
constexpr int kShapes = 500;

using Clock = std::chrono::steady_clock;

// The pane's part in painting: every primitive in order.
class BenchPane : public CanvasListLink {
public:
    void DrawAll(QPainter &painter, const QRect &update) override
    {
        for (const auto &p : primitives)
            p->Draw(painter, update);
    }
    void SelectAtPoint(const QPoint &, bool) override {}
    void MarkInRect(const QRect &) override {}
    void NudgeSelected(int, int) override {}
    bool SnapToPrimitives(QPoint &) override { return false; }
    void ScaleAll(double, double) override {}
    void HoldModifyUndo(const CPrimitive &) override {}

    std::vector<std::unique_ptr<CPrimitive>> primitives;
};

struct Shape {
    int kind; // 0 line, 1 rectangle, 2 oval
    QRect box;
    int colour;
    int pattern;
};

std::vector<Shape> Shapes()
{
    std::vector<Shape> shapes;
    for (int i = 0; i < kShapes; ++i) {
        const int x = (i * 97) % (kWidth - 200);
        const int y = (i * 61) % (kHeight - 150);
        const int kind = i % 3;
        // Half of the boxes filled (patterns 1..30), the other half outlined.
        const int pattern = kind != 0 && (i / 3) % 2 == 0 ? 1 + i % 30 : 0;
        shapes.push_back({kind, QRect(x, y, 40 + i % 160, 30 + i % 120), 1 + i % 70, pattern});
    }
    return shapes;
}

void Fill(BenchPane &pane, CCanvas &canvas, const std::vector<Shape> &shapes)
{
    for (const Shape &s : shapes) {
        std::unique_ptr<CPrimitive> p;
        const QRect &b = s.box;
        if (s.kind == 0)
            p = std::make_unique<CLine>(b.left(), b.top(), b.right(), b.bottom(), s.colour);
        else if (s.kind == 1)
            p = std::make_unique<CRectangle>(b.left(), b.top(), b.right(), b.bottom(), s.colour, s.pattern);
        else
            p = std::make_unique<COval>(b.left(), b.top(), b.right(), b.bottom(), s.colour, s.pattern);
        p->SetCanvas(&canvas);
        pane.primitives.push_back(std::move(p));
    }
}

// The same shapes with plain QPainter calls: what any Qt program would draw.
void PaintPeer(QImage &picture, const std::vector<Shape> &shapes, bool grid)
{
    QPainter painter(&picture);
    painter.fillRect(picture.rect(), Qt::black);
    if (grid) {
        painter.setPen(Qt::white);
        QPolygon dots;
        dots.reserve(qsizetype(kWidth) * kHeight);
        for (int x = 0; x < kWidth; ++x)
            for (int y = 0; y < kHeight; ++y)
                dots << QPoint(x, y);
        painter.drawPoints(dots);
    }
    for (const Shape &s : shapes) {
        const QColor colour = QColor::fromHsv((s.colour * 5) % 360, 255, 255);
        if (s.kind == 0) {
            painter.setPen(colour);
            painter.drawLine(s.box.topLeft(), s.box.bottomRight());
            continue;
        }
        if (s.pattern != 0) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(QBrush(colour, Qt::Dense4Pattern));
        } else {
            painter.setPen(colour);
            painter.setBrush(Qt::NoBrush);
        }
        if (s.kind == 1)
            painter.drawRect(s.box);
        else
            painter.drawEllipse(s.box);
    }
}

template <class Paint>
double PerSecond(double seconds, Paint paint)
{
    int frames = 0;
    const auto start = Clock::now();
    double elapsed = 0;
    do {
        paint();
        ++frames;
        elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    } while (elapsed < seconds);
    return frames / elapsed;
}

void Repaints(double seconds, const std::vector<Shape> &shapes, bool grid)
{
    CCanvas canvas;
    canvas.SetLimits(kWidth - 1, kHeight - 1);
    canvas.resize(kWidth, kHeight);
    canvas.SetGridSteps(1, 1);
    canvas.SetShowGrid(grid);
    BenchPane pane;
    canvas.SetListPane(&pane);
    Fill(pane, canvas, shapes);
    QImage picture(kWidth, kHeight, QImage::Format_RGB32);
    const double ours = PerSecond(seconds, [&] { canvas.render(&picture); });
    const double peer = PerSecond(seconds, [&] { PaintPeer(picture, shapes, grid); });
    std::printf("full repaints%s: canvas %.1f/s, plain QPainter %.1f/s; ratio %.2f\n",
                grid ? " with grid dots at step 1" : "", ours, peer, ours / peer);
    canvas.SetListPane(nullptr);
}

// Every kind on the canvas, beside the three kinds' plain QPainter peer:
// the cost of the kinds a peer has no call for (texts fitted to their
// font, grids, information boxes) shows as the fall in the ratio.
void EveryKindRepaints(double seconds, const std::vector<Shape> &shapes)
{
    CCanvas canvas;
    canvas.SetLimits(kWidth - 1, kHeight - 1);
    canvas.resize(kWidth, kHeight);
    BenchPane pane;
    canvas.SetListPane(&pane);
    for (int i = 0; i < kShapes; ++i) {
        std::unique_ptr<CPrimitive> p = AnyKind(i, kWidth, kHeight);
        p->SetCanvas(&canvas);
        pane.primitives.push_back(std::move(p));
    }
    QImage picture(kWidth, kHeight, QImage::Format_RGB32);
    const double ours = PerSecond(seconds, [&] { canvas.render(&picture); });
    const double peer = PerSecond(seconds, [&] { PaintPeer(picture, shapes, false); });
    std::printf("full repaints of every kind: canvas %.1f/s, plain QPainter (lines, rectangles, ovals) %.1f/s; "
                "ratio %.2f\n",
                ours, peer, ours / peer);
    canvas.SetListPane(nullptr);
}

void DragMoves(int moves, const std::vector<Shape> &shapes)
{
    CCanvas canvas;
    canvas.SetLimits(kWidth - 1, kHeight - 1);
    canvas.resize(kWidth, kHeight);
    BenchPane pane;
    canvas.SetListPane(&pane);
    Fill(pane, canvas, shapes);
    auto box = std::make_unique<CRectangle>(600, 500, 700, 600, 7, 0);
    CRectangle &dragged = *box;
    box->SetCanvas(&canvas);
    pane.primitives.push_back(std::move(box));
    canvas.show();
    QCoreApplication::processEvents();
    dragged.Select();
    const QPointF at(dragged.Handle(3)->Point());
    QMouseEvent press(QEvent::MouseButtonPress, at, canvas.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&canvas, &press);
    QCoreApplication::processEvents();
    const auto start = Clock::now();
    for (int i = 0; i < moves; ++i) {
        const QPointF client(700 + (i % 50), 600 + (i % 37));
        QMouseEvent move(QEvent::MouseMove, client, canvas.mapToGlobal(client), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(&canvas, &move);
        QCoreApplication::processEvents(); // the repaint the move asked for
    }
    const double each = std::chrono::duration<double>(Clock::now() - start).count() / moves;
    const QPointF end(dragged.Handle(3)->Point());
    QMouseEvent release(QEvent::MouseButtonRelease, end, canvas.mapToGlobal(end), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(&canvas, &release);
    std::printf("one mouse move of a dragged handle, its repaint included: %.3f ms (%d moves)\n", each * 1000, moves);
    canvas.SetListPane(nullptr);
}

} // namespace

int main(int argc, char **argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::vector<Shape> shapes = Shapes();
    std::printf("%d x %d canvas, %d lines, rectangles and ovals, %.1f s per figure\n", kWidth, kHeight, kShapes, seconds);
    Repaints(seconds, shapes, false);
    Repaints(seconds, shapes, true);
    DragMoves(500, shapes);
    EveryKindRepaints(seconds, shapes);
    return 0;
}

// The handles the canvas paints itself: their pixels over the primitives by
// the paint rule, the one shown last taking a press where two overlap, the
// cursor of the handle under the mouse, a press on a handle in "Select
// Area" mode, what the canvas repaints as handles come, move and go, and a
// handle or a canvas that goes while the other is still there.

#include "CCanvas.h"
#include "CPrimitiveHandle.h"
#include "CRectangle.h"
#include "CanvasFixture.h"
#include "TestSupport.h"

#include <QCursor>
#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QTest>

#include <functional>
#include <memory>
#include <vector>

namespace {

using namespace imagetest;

constexpr QRgb kHandleBlack = 0xFF000000;
constexpr QRgb kHandleWhite = 0xFFFFFFFF;
constexpr QRgb kHandleFrame = 0xFF808080;

// Collects the regions the canvas paints.
class PaintRecorder : public QObject {
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent *>(event)->region();
        return false;
    }
    QRegion painted;
};

class CanvasHandlesTest : public ShownCanvasTest {
protected:
    CRectangle &Put(int x1, int y1, int x2, int y2)
    {
        return ShownCanvasTest::Put(std::make_unique<CRectangle>(x1, y1, x2, y2));
    }

    QImage Render()
    {
        QImage picture(canvas.size(), QImage::Format_RGB32);
        canvas.render(&picture);
        return picture;
    }

    void Press(const QPoint &client, Qt::KeyboardModifiers keys = {})
    {
        QTest::mousePress(&canvas, Qt::LeftButton, keys, client);
    }
    void Move(const QPoint &client, Qt::MouseButtons buttons = Qt::LeftButton) { MoveHeld(client, {}, buttons); }
    void Release(const QPoint &client) { QTest::mouseRelease(&canvas, Qt::LeftButton, {}, client); }
    void Drag(const QPoint &from, const QPoint &to)
    {
        Press(from);
        Move(to);
        Release(to);
    }

    // What the canvas paints while action runs and the events after it are handled.
    QRegion PaintedBy(const std::function<void()> &action)
    {
        QCoreApplication::processEvents();
        PaintRecorder recorder;
        canvas.installEventFilter(&recorder);
        action();
        QCoreApplication::processEvents();
        canvas.removeEventFilter(&recorder);
        return recorder.painted;
    }
};

// A handle is a 7 x 7 square over the primitive, framed in grey and filled
// by the rule: white for a selection, black for a mark alone; none once the
// primitive is neither.
TEST_F(CanvasHandlesTest, HandlesArePaintedOverThePrimitiveByTheRule)
{
    const struct {
        const char *what;
        bool select;
        bool mark;
        QRgb fill;
    } rows[] = {
        {"selected", true, false, kHandleWhite},
        {"marked", false, true, kHandleBlack},
        {"marked and selected", true, true, kHandleWhite},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        pane.primitives.clear();
        CRectangle &box = pane.Add(std::make_unique<CRectangle>(100, 100, 200, 150));
        if (row.mark)
            box.SetMarked(true);
        if (row.select)
            box.Select();
        const QImage picture = Render();
        // Handle 3 on the corner (200, 150), handle 6 on the bottom edge's middle (150, 150).
        for (const QPoint centre : {QPoint(200, 150), QPoint(150, 150)}) {
            EXPECT_EQ(picture.pixel(centre), row.fill) << "the fill over the outline";
            EXPECT_EQ(picture.pixel(centre + QPoint(-2, -2)), row.fill);
            EXPECT_EQ(picture.pixel(centre + QPoint(-3, -3)), kHandleFrame);
            EXPECT_EQ(picture.pixel(centre + QPoint(3, 3)), kHandleFrame);
            EXPECT_EQ(picture.pixel(centre + QPoint(4, 0)), centre.x() == 200 ? kHandleBlack : kHandleWhite)
                << "beside the handle, the picture";
        }
        EXPECT_EQ(picture.pixel(150, 125), row.fill) << "handle 9 in the middle";
        box.SetMarked(false);
        box.Deselect();
        const QImage after = Render();
        EXPECT_EQ(after.pixel(203, 153), kHandleBlack) << "no frame left";
        EXPECT_EQ(after.pixel(150, 125), kHandleBlack);
        EXPECT_EQ(after.pixel(200, 150), kHandleWhite) << "the outline again";
    }
}

// Where two handles overlap, the one shown last is on top: it is found
// there and takes the press; showing the other again puts it on top.
TEST_F(CanvasHandlesTest, TheHandleShownLastTakesThePress)
{
    CRectangle &first = Put(100, 100, 200, 150);
    CRectangle &second = Put(200, 150, 300, 250);
    ASSERT_EQ(canvas.HandleAt(QPoint(200, 150)), second.Handle(1));
    Drag(QPoint(200, 150), QPoint(210, 160));
    EXPECT_EQ(second.TopLeft(), QPoint(210, 160));
    EXPECT_EQ(first.BottomRight(), QPoint(200, 150));

    // Both corners meet again; the first shown anew is on top.
    CRectangle &third = Put(300, 300, 400, 400);
    first.Deselect();
    first.Select();
    EXPECT_EQ(canvas.HandleAt(QPoint(200, 150)), first.Handle(3));
    EXPECT_EQ(canvas.HandleAt(QPoint(203, 153)), first.Handle(3)) << "the box's far corner";
    EXPECT_EQ(canvas.HandleAt(QPoint(204, 153)), nullptr);
    EXPECT_EQ(canvas.HandleAt(QPoint(350, 350)), third.Handle(9));
    Drag(QPoint(200, 150), QPoint(190, 140));
    EXPECT_EQ(first.BottomRight(), QPoint(190, 140));
    EXPECT_EQ(second.TopLeft(), QPoint(210, 160));
}

// The cursor over the canvas is the handle's under the mouse, the drag's
// while one is dragged, and the canvas's own elsewhere.
TEST_F(CanvasHandlesTest, TheCursorIsTheHandlesUnderTheMouse)
{
    CRectangle &box = Put(100, 100, 200, 150);
    const struct {
        int handle;
        Qt::CursorShape shape;
    } rows[] = {
        {1, Qt::SizeFDiagCursor}, {2, Qt::SizeBDiagCursor}, {3, Qt::SizeFDiagCursor},
        {4, Qt::SizeBDiagCursor}, {5, Qt::SizeHorCursor},   {6, Qt::SizeVerCursor},
        {7, Qt::SizeHorCursor},   {8, Qt::SizeVerCursor},   {9, Qt::BitmapCursor},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.handle);
        Move(box.Handle(row.handle)->Point() + QPoint(2, -3), Qt::NoButton);
        EXPECT_EQ(canvas.cursor().shape(), row.shape);
        Move(QPoint(20, 20), Qt::NoButton);
        EXPECT_EQ(canvas.cursor().shape(), Qt::ArrowCursor) << "off every handle";
    }
    Press(box.Handle(3)->Point());
    EXPECT_EQ(canvas.cursor().shape(), Qt::BitmapCursor) << "the drag's";
    Move(QPoint(250, 200));
    EXPECT_EQ(canvas.cursor().shape(), Qt::BitmapCursor);
    Release(QPoint(250, 200));
    EXPECT_EQ(canvas.cursor().shape(), Qt::SizeFDiagCursor) << "the handle's again, under the mouse";
    EXPECT_EQ(box.BottomRight(), QPoint(250, 200));
}

// A handle takes a press before the "Select Area" mode: it drags, no band
// starts and the mode waits for the next press.
TEST_F(CanvasHandlesTest, APressOnAHandleDragsItInSelectAreaMode)
{
    CRectangle &box = Put(100, 100, 200, 150);
    canvas.SetSelectArea(true);
    Press(QPoint(200, 150));
    EXPECT_FALSE(canvas.IsBanding());
    Move(QPoint(260, 190));
    Release(QPoint(260, 190));
    EXPECT_EQ(box.BottomRight(), QPoint(260, 190));
    EXPECT_TRUE(pane.bands.empty());
    EXPECT_TRUE(canvas.IsSelectArea());
    EXPECT_EQ(editor.bandsEnded, 0);
}

// What the canvas repaints covers every handle's pixels where it was and
// where it is: one shown, marked, moved by a drag step, let go and hidden.
TEST_F(CanvasHandlesTest, RepaintsCoverWhereHandlesWereAndAre)
{
    CRectangle &box = pane.Add(std::make_unique<CRectangle>(100, 100, 200, 150));
    CRectangle &other = pane.Add(std::make_unique<CRectangle>(400, 300, 500, 400));
    const auto boxes = [](const CRectangle &r) {
        std::vector<QRect> all;
        for (int i = 1; i <= r.HandleCount(); ++i)
            all.push_back(r.Handle(i)->Box());
        return all;
    };
    const auto covers = [](const QRegion &painted, const std::vector<QRect> &rects) {
        for (const QRect &rect : rects) {
            if (!painted.contains(rect) || (painted & rect) != QRegion(rect))
                return false;
        }
        return true;
    };
    EXPECT_TRUE(covers(PaintedBy([&] { box.Select(); }), boxes(box))) << "shown";
    EXPECT_TRUE(covers(PaintedBy([&] { other.SetMarked(true); }), boxes(other))) << "marked";
    const std::vector<QRect> before = boxes(box);
    Press(QPoint(150, 125));
    const QRegion step = PaintedBy([&] { Move(QPoint(170, 145)); });
    EXPECT_TRUE(covers(step, before)) << "where the handles were";
    EXPECT_TRUE(covers(step, boxes(box))) << "where they are";
    const std::vector<QRect> dragged = boxes(box);
    const QRegion end = PaintedBy([&] { Release(QPoint(170, 145)); });
    EXPECT_TRUE(covers(end, {box.Handle(9)->Box()})) << "the handle's drag colour goes";
    EXPECT_EQ(box.TopLeft(), QPoint(120, 120));
    const std::vector<QRect> shown = boxes(box);
    EXPECT_TRUE(covers(PaintedBy([&] { box.Deselect(); }), shown)) << "hidden";
    EXPECT_TRUE(covers(PaintedBy([&] { other.SetMarked(false); }), boxes(other))) << "unmarked";
    EXPECT_EQ(canvas.ShownHandleCount(), 0);
    const QImage picture = Render();
    for (const QRect &rect : dragged)
        EXPECT_NE(picture.pixel(rect.topLeft()), kHandleFrame) << "nothing left of the handles";
}

// A primitive that goes mid-drag ends the drag: the moves and the release
// after it reach nothing; a canvas that goes first leaves the handles
// shown nowhere, and the primitive goes after it untroubled.
TEST_F(CanvasHandlesTest, AHandleOrACanvasThatGoesFirstEndsItsPart)
{
    CRectangle &box = Put(100, 100, 200, 150);
    canvas.SetSnapToObjects(true);
    Put(300, 300, 400, 350);
    Press(box.Handle(3)->Point(), Qt::ShiftModifier);
    Move(QPoint(298, 297));
    ASSERT_EQ(canvas.SnapMarker(), QPoint(300, 300));
    ASSERT_NE(canvas.DraggedHandle(), nullptr);
    pane.primitives.erase(pane.primitives.begin());
    EXPECT_EQ(canvas.DraggedHandle(), nullptr);
    EXPECT_EQ(canvas.SnapMarker(), std::nullopt);
    EXPECT_FALSE(canvas.MoveWhole());
    EXPECT_EQ(canvas.ShownHandleCount(), 9);
    Move(QPoint(250, 250));
    Release(QPoint(250, 250));
    EXPECT_EQ(canvas.ShownHandleCount(), 9);

    auto own = std::make_unique<CCanvas>();
    CRectangle alone(10, 10, 50, 50);
    alone.SetCanvas(own.get());
    alone.Select();
    ASSERT_TRUE(alone.Handle(1)->IsShown());
    own.reset();
    for (int i = 1; i <= alone.HandleCount(); ++i)
        EXPECT_FALSE(alone.Handle(i)->IsShown()) << i;
    EXPECT_EQ(alone.GetCanvas(), nullptr);
}

} // namespace

// Dragging handles with the mouse, pressed where the canvas shows them, on
// real lines and rectangles on a canvas whose client pixels are image pixels:
// Shift and the move-whole setting, Ctrl snapping onto another primitive's
// point with its marker, resizing past the opposite corner and to nothing,
// edge handles, a line moved whole landing under its handle, grid snapping
// at the image's edge, and the primitives a drag must leave alone.

#include "CCanvas.h"
#include "CLine.h"
#include "COval.h"
#include "CPrimitiveHandle.h"
#include "CRectangle.h"
#include "CanvasFixture.h"
#include "TestSupport.h"

#include <QMouseEvent>
#include <QStatusBar>
#include <QTest>

#include <vector>

namespace {

using namespace imagetest;

class CanvasDragTest : public ShownCanvasTest {
protected:
    // Presses the handle at its centre, moves it through client points and
    // lets go, with the keys held throughout.
    void Drag(CPrimitiveHandle &handle, const std::vector<QPoint> &path, Qt::KeyboardModifiers keys = {},
              bool release = true)
    {
        ASSERT_TRUE(handle.IsShown());
        ASSERT_EQ(canvas.HandleAt(handle.Point()), &handle);
        QTest::mousePress(&canvas, Qt::LeftButton, keys, handle.Point());
        for (const QPoint &client : path)
            MoveHeld(client, keys);
        if (release)
            Release(handle, keys);
    }
    void Release(const CPrimitiveHandle &handle, Qt::KeyboardModifiers keys = {})
    {
        QTest::mouseRelease(&canvas, Qt::LeftButton, keys, handle.Point());
    }

    static QRect Box(const CRectangle &box) { return QRect(box.TopLeft(), box.BottomRight()); }
};

// Shift inverts the move-whole setting: a corner handle resizes, or moves
// the whole box.
TEST_F(CanvasDragTest, ShiftInvertsTheMoveWholeSetting)
{
    const QRect resized(QPoint(100, 100), QPoint(240, 170));
    const QRect moved(QPoint(140, 120), QPoint(240, 170));
    const struct {
        bool rigid;
        Qt::KeyboardModifiers keys;
        QRect box;
    } cases[] = {
        {false, Qt::NoModifier, resized},
        {false, Qt::ShiftModifier, moved},
        {true, Qt::NoModifier, moved},
        {true, Qt::ShiftModifier, resized},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(QStringLiteral("rigid %1, shift %2").arg(c.rigid).arg(c.keys == Qt::ShiftModifier).toStdString());
        pane.primitives.clear();
        pane.undoHeld.clear();
        canvas.SetRigidObjects(c.rigid);
        CRectangle &box = Put(std::make_unique<CRectangle>(100, 100, 200, 150));
        Drag(*box.Handle(3), {{210, 155}, {225, 160}, {240, 170}}, c.keys);
        EXPECT_EQ(Box(box), c.box);
        EXPECT_EQ(pane.undoHeld, (std::vector<const CPrimitive *>{&box})) << "one undo record at the button down";
        EXPECT_FALSE(box.IsTracking());
        EXPECT_FALSE(canvas.MoveWhole()) << "the mode ends with the drag";
        EXPECT_TRUE(canvas.DragFeedback().empty());
        EXPECT_EQ(box.Handle(3)->Point(), QPoint(240, 170));
    }
}

// Ctrl turns point snapping on: the drag point lands on the line's end,
// the marker shows there and the handle turns green until the button comes up.
TEST_F(CanvasDragTest, CtrlSnapsOntoAnotherPrimitivesPointAndShowsTheMarker)
{
    Put(std::make_unique<CLine>(0, 0, 300, 300));
    CRectangle &box = Put(std::make_unique<CRectangle>(350, 350, 450, 400));
    CPrimitiveHandle &corner = *box.Handle(1);
    Drag(corner, {{330, 330}, {302, 297}}, Qt::ControlModifier, false);
    EXPECT_EQ(canvas.SnapMarker(), QPoint(300, 300));
    EXPECT_TRUE(corner.IsSnappedNow());
    EXPECT_EQ(corner.FillColour(), QColor(0, 255, 0));
    EXPECT_EQ(corner.Point(), QPoint(300, 300));
    EXPECT_EQ(box.GetCommandText(), "RECT White  151 101  300 300  GrayPat0") << "the line shows the drag";
    // Away from every key point again: the marker goes, the handle turns red.
    MoveHeld(QPoint(320, 340), Qt::ControlModifier);
    EXPECT_EQ(canvas.SnapMarker(), std::nullopt);
    EXPECT_EQ(corner.FillColour(), QColor(255, 0, 0));
    Release(corner, Qt::ControlModifier);
    EXPECT_EQ(Box(box), QRect(QPoint(320, 340), QPoint(450, 400)));

    Drag(corner, {{330, 330}, {302, 297}}, Qt::ControlModifier);
    EXPECT_EQ(Box(box), QRect(QPoint(300, 300), QPoint(450, 400)));
    EXPECT_EQ(canvas.SnapMarker(), std::nullopt) << "the marker goes with the button";
    // Without Ctrl, and with the setting on and Ctrl held, nothing snaps.
    for (bool setting : {false, true}) {
        canvas.SetSnapToObjects(setting);
        Drag(corner, {{330, 330}, {303, 298}}, setting ? Qt::ControlModifier : Qt::NoModifier);
        EXPECT_EQ(Box(box), QRect(QPoint(303, 298), QPoint(450, 400))) << setting;
        EXPECT_EQ(corner.FillColour(), QColor(255, 255, 255));
    }
}

TEST_F(CanvasDragTest, ResizingOrdersTheCornersAndKeepsTwoPixels)
{
    const struct {
        const char *what;
        int handle;
        std::vector<QPoint> path;
        QRect box;
    } cases[] = {
        {"past the opposite corner", 1, {{180, 130}, {250, 200}}, QRect(QPoint(200, 150), QPoint(250, 200))},
        {"the right edge onto the left", 7, {{150, 125}, {100, 125}}, QRect(QPoint(100, 100), QPoint(101, 150))},
        {"the top edge onto the bottom", 8, {{150, 150}}, QRect(QPoint(100, 150), QPoint(200, 151))},
        // An edge handle dragged diagonally moves only across its edge.
        {"the left edge diagonally", 5, {{90, 140}, {60, 180}}, QRect(QPoint(60, 100), QPoint(200, 150))},
        {"the bottom edge diagonally", 6, {{170, 160}, {20, 170}}, QRect(QPoint(100, 100), QPoint(200, 170))},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        pane.primitives.clear();
        CRectangle &box = Put(std::make_unique<CRectangle>(100, 100, 200, 150));
        const QPoint start = box.Handle(c.handle)->Point();
        Drag(*box.Handle(c.handle), c.path, {}, false);
        const QPoint during = box.Handle(c.handle)->Point();
        if (c.handle == 5) {
            EXPECT_EQ(during.y(), start.y());
        }
        if (c.handle == 6) {
            EXPECT_EQ(during.x(), start.x());
        }
        Release(*box.Handle(c.handle));
        EXPECT_EQ(Box(box), c.box);
        EXPECT_EQ(box.Handle(1)->Point(), c.box.topLeft());
        EXPECT_EQ(box.Handle(3)->Point(), c.box.bottomRight());
    }
}

// A line moved whole lands exactly under the dragged handle: every point
// moves by the handle's way from where the drag began, once.
TEST_F(CanvasDragTest, ALineMovedWholeLandsUnderTheHandle)
{
    const struct {
        const char *what;
        int handle;
        Qt::KeyboardModifiers keys;
        std::vector<QPoint> path;
        QPoint p1;
        QPoint p2;
    } cases[] = {
        {"an end with Shift", 1, Qt::ShiftModifier, {{110, 105}, {130, 120}, {150, 130}}, {150, 130}, {350, 230}},
        {"the other end with Shift", 2, Qt::ShiftModifier, {{305, 199}, {290, 180}}, {90, 80}, {290, 180}},
        {"the middle", 3, Qt::NoModifier, {{205, 160}, {210, 170}}, {110, 120}, {310, 220}},
        {"an end alone", 1, Qt::NoModifier, {{120, 110}, {50, 60}}, {50, 60}, {300, 200}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        pane.primitives.clear();
        CLine &line = Put(std::make_unique<CLine>(100, 100, 300, 200));
        Drag(*line.Handle(c.handle), c.path, c.keys);
        EXPECT_EQ(line.P1(), c.p1);
        EXPECT_EQ(line.P2(), c.p2);
        EXPECT_EQ(line.Handle(c.handle)->Point(), c.path.back());
        EXPECT_EQ(line.Handle(1)->Point(), c.p1);
        EXPECT_EQ(line.Handle(2)->Point(), c.p2);
    }
}

// Snapped to the grid near the image's edge, a dragged point would leave
// the image; it is kept inside.
TEST_F(CanvasDragTest, GridSnappedPointsAtTheEdgeStayInside)
{
    canvas.SetGridSnap(true);
    CLine &line = Put(std::make_unique<CLine>(100, 100, 300, 200));
    Drag(*line.Handle(2), {{400, 300}, {637, 477}});
    EXPECT_EQ(line.P2(), QPoint(639, 479));
    CRectangle &box = Put(std::make_unique<CRectangle>(96, 96, 192, 144));
    Drag(*box.Handle(9), {{200, 150}, {630, 470}});
    // The centre's grid point (640, 480) is clamped to (639, 479); the box keeps its size from there.
    EXPECT_EQ(Box(box), QRect(QPoint(591, 455), QPoint(687, 503)));
    CRectangle &other = Put(std::make_unique<CRectangle>(96, 96, 192, 144));
    Drag(*other.Handle(3), {{300, 300}, {636, 476}});
    EXPECT_EQ(Box(other), QRect(QPoint(96, 96), QPoint(639, 479)));
}

TEST_F(CanvasDragTest, LockedAndMarkOnlyPrimitivesDoNotDrag)
{
    CRectangle &locked = Put(std::make_unique<CRectangle>(100, 100, 200, 150));
    locked.SetLocked(true);
    Drag(*locked.Handle(3), {{240, 170}});
    EXPECT_EQ(Box(locked), QRect(QPoint(100, 100), QPoint(200, 150)));
    EXPECT_FALSE(locked.IsTracking());

    COval &marked = Put(std::make_unique<COval>(300, 300, 400, 350));
    marked.Deselect();
    marked.SetMarked(true);
    ASSERT_TRUE(marked.Handle(3)->IsShown());
    EXPECT_EQ(marked.Handle(3)->FillColour(), QColor(0, 0, 0));
    Drag(*marked.Handle(3), {{450, 400}});
    EXPECT_EQ(Box(marked), QRect(QPoint(300, 300), QPoint(400, 350)));
    EXPECT_TRUE(pane.undoHeld.empty());
    EXPECT_FALSE(canvas.IsChanged());
    EXPECT_EQ(editor.changed, 0);
}

// A click without a move changes nothing; the first change marks the
// canvas and tells the editor once.
TEST_F(CanvasDragTest, OnlyAMoveChangesAndTheFirstChangeTellsTheEditor)
{
    CRectangle &box = Put(std::make_unique<CRectangle>(100, 100, 200, 150));
    Drag(*box.Handle(3), {});
    EXPECT_EQ(Box(box), QRect(QPoint(100, 100), QPoint(200, 150)));
    EXPECT_FALSE(canvas.IsChanged());
    Drag(*box.Handle(3), {{210, 160}});
    Drag(*box.Handle(3), {{220, 170}});
    EXPECT_TRUE(canvas.IsChanged());
    EXPECT_EQ(editor.changed, 1);
}

// While a handle is dragged the status bar shows the line the drag would give.
TEST_F(CanvasDragTest, TheStatusBarShowsTheLineWhileDragging)
{
    QStatusBar bar;
    CLine &line = Put(std::make_unique<CLine>(100, 100, 300, 200));
    line.SetStatusBar(&bar);
    Drag(*line.Handle(1), {{120, 110}}, {}, false);
    EXPECT_EQ(bar.currentMessage(), "LINE White 120 110 300 200");
    EXPECT_EQ(line.P1(), QPoint(100, 100)) << "a resize takes the point at the end";
    Release(*line.Handle(1));
    EXPECT_EQ(line.P1(), QPoint(120, 110));
    EXPECT_EQ(bar.currentMessage(), "LINE White 120 110 300 200");
    COval &oval = Put(std::make_unique<COval>(10, 10, 29, 19));
    oval.SetStatusBar(&bar);
    Drag(*oval.Handle(9), {{30, 25}}, {}, false);
    // The centre (19, 14) moved to (30, 25): the corner is (30, 25) less half the extent (19, 9).
    EXPECT_EQ(bar.currentMessage(), "OVAL White  19 9  21 21  GrayPat0");
    Release(*oval.Handle(9));
    EXPECT_EQ(Box(oval), QRect(QPoint(21, 21), QPoint(40, 30)));
}

// Handles are shown only while their primitive is selected or marked.
TEST_F(CanvasDragTest, HandlesShownOnlyForASelectionOrAMark)
{
    CLine &line = pane.Add(std::make_unique<CLine>(10, 10, 50, 50));
    const auto windows = [&line] {
        int shown = 0;
        for (int i = 1; i <= line.HandleCount(); ++i)
            shown += line.Handle(i)->IsShown();
        return shown;
    };
    EXPECT_EQ(windows(), 0);
    line.Select();
    EXPECT_EQ(windows(), 3);
    line.Deselect();
    EXPECT_EQ(windows(), 0);
    line.SetMarked(true);
    EXPECT_EQ(windows(), 3);
    line.Select();
    line.SetMarked(false);
    EXPECT_EQ(windows(), 3) << "still selected";
    line.Deselect();
    EXPECT_EQ(windows(), 0);
    line.Select();
    line.SetCanvas(nullptr);
    EXPECT_EQ(line.HandleCount(), 0);
    EXPECT_FALSE(line.IsSelected());
}

// A clone is detached: no canvas, no handles; a live primitive that takes
// a clone's values keeps its canvas and its shown handles, moved to the
// values' points.
TEST_F(CanvasDragTest, ClonesAreDetachedAndAssigningKeepsTheAttachments)
{
    CRectangle &live = Put(std::make_unique<CRectangle>(100, 100, 200, 150));
    const std::unique_ptr<CPrimitive> copy(live.Clone());
    EXPECT_EQ(copy->GetCanvas(), nullptr);
    EXPECT_EQ(copy->HandleCount(), 0);
    EXPECT_FALSE(copy->IsSelected());
    copy->Offset(10, 20);
    live.VirtualAssign(*copy);
    EXPECT_EQ(live.GetCanvas(), &canvas);
    EXPECT_TRUE(live.Handle(1)->IsShown());
    EXPECT_EQ(live.Handle(1)->Point(), QPoint(110, 120));
    EXPECT_EQ(canvas.HandleAt(QPoint(110, 120)), live.Handle(1));
}

} // namespace

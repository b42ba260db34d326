// Dragging the handles of the other primitives with the mouse, on a canvas
// whose client pixels are image pixels: a triangle's corners, edges and
// centroid, and the primitives whose every handle moves them whole.

#include "CCanvas.h"
#include "CBlockCopy.h"
#include "CCharacterBox.h"
#include "CDot.h"
#include "CGroup.h"
#include "CPrimitiveHandle.h"
#include "CRectangle.h"
#include "CRenderMap.h"
#include "CText.h"
#include "CTriangle.h"
#include "CanvasFixture.h"
#include "TestSupport.h"

#include <QMouseEvent>
#include <QTest>

#include <array>
#include <vector>

namespace {

using namespace imagetest;

class PrimitiveDragTest : public ShownCanvasTest {
protected:
    // Presses the handle at its centre, moves it through client points and lets go.
    // A handle wholly under another (the block copy's handle 3 under its
    // join handle) takes no click: it is pressed on the canvas directly.
    void Pull(CPrimitiveHandle &handle, const std::vector<QPoint> &path, Qt::KeyboardModifiers keys = {})
    {
        ASSERT_TRUE(handle.IsShown());
        if (canvas.HandleAt(handle.Point()) == &handle)
            QTest::mousePress(&canvas, Qt::LeftButton, keys, handle.Point());
        else
            canvas.PressHandle(handle, keys.testFlag(Qt::ShiftModifier), keys.testFlag(Qt::ControlModifier));
        for (const QPoint &client : path)
            MoveHeld(client, keys);
        QTest::mouseRelease(&canvas, Qt::LeftButton, keys, handle.Point());
    }

    static std::array<QPoint, 3> Corners(const CTriangle &t) { return {t.Corner(0), t.Corner(1), t.Corner(2)}; }
};

// Each row: the handle pulled through a path, and the corners after.
TEST_F(PrimitiveDragTest, ATrianglesHandlesMoveACornerAnEdgeOrTheWhole)
{
    const struct {
        const char *what;
        int handle;
        std::vector<QPoint> path;
        Qt::KeyboardModifiers keys;
        std::array<QPoint, 3> corners;
    } rows[] = {
        {"corner 3", 3, {{150, 210}, {152, 250}}, {}, {QPoint(100, 100), QPoint(200, 100), QPoint(152, 250)}},
        {"edge 1-2", 5, {{155, 95}, {160, 90}}, {}, {QPoint(110, 90), QPoint(210, 90), QPoint(150, 200)}},
        {"edge 2-3", 6, {{180, 150}, {185, 160}}, {}, {QPoint(100, 100), QPoint(210, 110), QPoint(160, 210)}},
        {"edge 1-3", 7, {{120, 150}, {115, 155}}, {}, {QPoint(90, 105), QPoint(200, 100), QPoint(140, 205)}},
        // Moved whole over several steps, it lands exactly under the handle.
        {"the centroid", 4, {{155, 133}, {160, 140}, {170, 150}}, {},
         {QPoint(120, 117), QPoint(220, 117), QPoint(170, 217)}},
        {"corner 1 with Shift", 1, {{105, 100}, {110, 104}, {130, 110}}, Qt::ShiftModifier,
         {QPoint(130, 110), QPoint(230, 110), QPoint(180, 210)}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        pane.primitives.clear();
        CTriangle &triangle = Put(std::make_unique<CTriangle>(QPoint(100, 100), QPoint(200, 100), QPoint(150, 200)));
        Pull(*triangle.Handle(row.handle), row.path, row.keys);
        EXPECT_EQ(Corners(triangle), row.corners);
        EXPECT_FALSE(triangle.IsTracking());
        EXPECT_TRUE(canvas.DragFeedback().empty());
        // The handles stand on the new corners and their centroid.
        EXPECT_EQ(triangle.Handle(3)->Point(), row.corners[2]);
        EXPECT_EQ(triangle.Handle(4)->Point(), CTriangle::Centroid(row.corners[0], row.corners[1], row.corners[2]));
    }
}

TEST_F(PrimitiveDragTest, ALockedTriangleDoesNotDrag)
{
    CTriangle &triangle = Put(std::make_unique<CTriangle>(QPoint(100, 100), QPoint(200, 100), QPoint(150, 200)));
    triangle.SetLocked(true);
    Pull(*triangle.Handle(4), {{160, 140}, {170, 150}});
    EXPECT_EQ(Corners(triangle), (std::array<QPoint, 3>{QPoint(100, 100), QPoint(200, 100), QPoint(150, 200)}));
}

// Pulled by its centre 7 pixels right, a group moves every member, a
// nested group's members too, and keeps its size; the nested group's own
// handles do not drag.
TEST_F(PrimitiveDragTest, AGroupMovesWholeByAnyHandle)
{
    auto inner = std::make_unique<CGroup>(QPoint(0, 0), QPoint(0, 0));
    inner->AddMember(new CDot(200, 210), 0, true);
    inner->AddMember(new CDot(220, 230), 1, true);
    CGroup *nested = inner.get();
    auto outer = std::make_unique<CGroup>(QPoint(0, 0), QPoint(0, 0));
    outer->AddMember(new CRectangle(100, 100, 150, 140), 0, true);
    outer->AddMember(inner.release(), 1, true);
    CGroup &group = Put(std::move(outer));
    EXPECT_EQ(QRect(group.TopLeft(), group.BottomRight()), QRect(QPoint(100, 100), QPoint(221, 231)))
        << "a dot's bounds reach a pixel around it";
    const QPoint centre = group.Handle(9)->Point();
    Pull(*group.Handle(9), {centre + QPoint(3, 0), centre + QPoint(7, 0)});
    EXPECT_EQ(group.Members()[0]->GetCommandText(), "RECT White  51 41  107 100  GrayPat0");
    EXPECT_EQ(nested->Members()[0]->GetCommandText(), "ADOT White 207 210");
    EXPECT_EQ(nested->Members()[1]->GetCommandText(), "ADOT White 227 230");
    EXPECT_EQ(QRect(group.TopLeft(), group.BottomRight()), QRect(QPoint(107, 100), QPoint(228, 231)));
    EXPECT_FALSE(nested->BeginTrack(9)) << "frozen within the group";
    EXPECT_FALSE(group.Members()[0]->BeginTrack(1));
}

// Handle 12 carries the destination, keeping its size the source's; 19
// carries both; a source handle resizes the source alone.
TEST_F(PrimitiveDragTest, ABlockCopysHandlesMoveTheSourceTheDestinationOrBoth)
{
    const struct {
        int handle;
        QPoint by;
        const char *line;
    } rows[] = {
        {12, {10, -20}, "MMAP 101 51  100 100  310 180"},
        {19, {5, 5}, "MMAP 101 51  105 105  305 205"},
        {3, {9, 9}, "MMAP 110 60  100 100  300 200"},
        {9, {-4, 6}, "MMAP 101 51  96 106  300 200"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.handle);
        pane.primitives.clear();
        CBlockCopy &copy = Put(std::make_unique<CBlockCopy>(100, 100, 200, 150, 300, 200));
        const QPoint from = copy.Handle(row.handle)->Point();
        Pull(*copy.Handle(row.handle), {from + row.by / 2, from + row.by});
        EXPECT_EQ(copy.GetCommandText(), QString::fromLatin1(row.line));
        EXPECT_FALSE(copy.IsTracking());
        EXPECT_EQ(copy.Handle(10)->Point(), copy.Destination());
    }
    // The line between the boxes is no hit, but a band across it marks it.
    CBlockCopy &copy = dynamic_cast<CBlockCopy &>(*pane.primitives.back());
    EXPECT_FALSE(copy.HitTest(QPoint(250, 177)));
    EXPECT_TRUE(copy.HitTest(QPoint(300, 200)));
    EXPECT_TRUE(copy.IntersectsRect(QRect(245, 172, 10, 10))); // the line from (96, 106) to (300, 200)
    EXPECT_FALSE(copy.IntersectsRect(QRect(245, 100, 10, 10)));
}

TEST_F(PrimitiveDragTest, ACharacterBoxResizedPastItsCornerEndsOrdered)
{
    CCharacterBox &box = Put(std::make_unique<CCharacterBox>(100, 100, 200, 150, CNamedColour::kWhite, 0, 65));
    Pull(*box.Handle(3), {{150, 120}, {80, 90}});
    EXPECT_EQ(box.GetCommandText(), "PAGE White 21 11 80 90 sys16 65");
    Pull(*box.Handle(9), {{95, 100}, {100, 105}});
    EXPECT_EQ(box.GetCommandText(), "PAGE White 21 11 90 100 sys16 65") << "the centre moves it whole";
}

TEST_F(PrimitiveDragTest, AnyHandleMovesARenderMapOrAText)
{
    CRenderMap &map = Put(std::make_unique<CRenderMap>(100, 100, QStringLiteral("Arrow"), 40, 20));
    EXPECT_EQ(map.Handle(3)->Point(), QPoint(139, 119));
    Pull(*map.Handle(3), {{142, 121}, {150, 125}});
    EXPECT_EQ(map.GetCommandText(), "RMAP 111 106 Arrow");
    EXPECT_EQ(map.Handle(1)->Point(), QPoint(111, 106));
    CText &text = Put(std::make_unique<CText>(300, 300, QStringLiteral("AB")));
    Pull(*text.Handle(1), {{305, 302}, {310, 320}});
    EXPECT_EQ(text.GetCommandText(), "TEXT White 310 320 sys16 \"AB\"");
}

} // namespace

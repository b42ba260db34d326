// Dragging the handles of the other primitives with the mouse, on a canvas
// whose client pixels are image pixels: a triangle's corners, edges and
// centroid, and the primitives whose every handle moves them whole.

#include "CCanvas.h"
#include "CPrimitiveHandle.h"
#include "CTriangle.h"
#include "CanvasDoubles.h"
#include "TestSupport.h"

#include <QMouseEvent>
#include <QTest>

#include <array>
#include <vector>

namespace {

using namespace imagetest;

class PrimitiveDragTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        canvas.SetLimits(639, 479);
        canvas.SetEditor(&editor);
        canvas.resize(640, 480);
        canvas.show();
        QCoreApplication::processEvents();
    }

    template <class T>
    T &Put(std::unique_ptr<T> primitive)
    {
        T &added = pane.Add(std::move(primitive));
        added.Select();
        return added;
    }

    // Presses the handle at its centre, moves it through client points and lets go.
    static void Pull(CPrimitiveHandle &handle, const std::vector<QPoint> &path, Qt::KeyboardModifiers keys = {})
    {
        ASSERT_TRUE(handle.HasWindow());
        QTest::mousePress(handle.Window(), Qt::LeftButton, keys, QPoint(3, 3));
        for (const QPoint &client : path) {
            QWidget *window = handle.Window();
            const QPointF local = client - window->pos();
            QMouseEvent move(QEvent::MouseMove, local, window->mapToGlobal(local), Qt::NoButton, Qt::LeftButton, keys);
            QCoreApplication::sendEvent(window, &move);
        }
        QTest::mouseRelease(handle.Window(), Qt::LeftButton, keys, QPoint(3, 3));
    }

    static std::array<QPoint, 3> Corners(const CTriangle &t) { return {t.Corner(0), t.Corner(1), t.Corner(2)}; }

    CCanvas canvas;
    ListPaneDouble pane{canvas};
    CanvasEditorDouble editor;
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

} // namespace

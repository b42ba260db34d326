// The canvas's own mouse and keys: clicks handed to the pane, the "Select
// Area" rubber band in either direction, arrow keys nudging by one image
// pixel, the fixed-aspect timer; and the fitted font of texts in boxes.

#include "CCanvas.h"
#include "CLine.h"
#include "COval.h"
#include "CPrimitiveHandle.h"
#include "CRectangle.h"
#include "CanvasFixture.h"
#include "TestSupport.h"

#include <QFontMetrics>
#include <QTest>

#include <vector>

namespace {

using namespace imagetest;

class CanvasInputTest : public ShownCanvasTest {
protected:
    // A left-button drag on the canvas itself.
    void Band(const QPoint &from, const QPoint &to)
    {
        QTest::mousePress(&canvas, Qt::LeftButton, {}, from);
        MoveHeld(to);
        QTest::mouseRelease(&canvas, Qt::LeftButton, {}, to);
    }

    std::vector<bool> Marks() const
    {
        std::vector<bool> marks;
        for (const auto &primitive : pane.primitives)
            marks.push_back(primitive->IsMarked());
        return marks;
    }
};

// The band marks what it meets, whichever corner it starts from; the mode
// ends with it and the next click selects by hit test.
TEST_F(CanvasInputTest, BandMarksTheSameInEitherDirectionAndEndsTheMode)
{
    for (bool backwards : {false, true}) {
        SCOPED_TRACE(backwards);
        pane.primitives.clear();
        pane.bands.clear();
        pane.Add(std::make_unique<CRectangle>(100, 100, 150, 150));
        pane.Add(std::make_unique<COval>(300, 300, 400, 350));
        pane.Add(std::make_unique<CLine>(500, 50, 600, 60));
        pane.Add(std::make_unique<CLine>(120, 400, 200, 420));
        canvas.SetSelectArea(true);
        const QPoint a(90, 90);
        const QPoint b(360, 330);
        if (backwards)
            Band(b, a);
        else
            Band(a, b);
        EXPECT_EQ(pane.bands, std::vector<QRect>{QRect(a, b)});
        EXPECT_EQ(Marks(), (std::vector<bool>{true, true, false, false}));
        EXPECT_FALSE(canvas.IsSelectArea());
        EXPECT_FALSE(canvas.IsBanding());
        EXPECT_EQ(editor.bandsEnded, backwards ? 2 : 1);
    }
    // No band now: a click goes to the pane, which selects the oval.
    QTest::mouseClick(&canvas, Qt::LeftButton, Qt::ControlModifier, QPoint(350, 325));
    ASSERT_EQ(pane.clicks.size(), 1u);
    EXPECT_EQ(pane.clicks[0].point, QPoint(350, 325));
    EXPECT_TRUE(pane.clicks[0].ctrl);
    EXPECT_EQ(pane.selected, pane.primitives[1].get());
    EXPECT_EQ(pane.bands.size(), 1u);
}

// While the band is dragged it is feedback of the canvas, painted in XOR.
TEST_F(CanvasInputTest, TheBandShowsWhileItIsDragged)
{
    canvas.SetSelectArea(true);
    QTest::mousePress(&canvas, Qt::LeftButton, {}, QPoint(10, 10));
    MoveHeld(QPoint(30, 20));
    EXPECT_TRUE(canvas.IsBanding());
    QImage picture(canvas.size(), QImage::Format_RGB32);
    canvas.render(&picture);
    EXPECT_EQ(picture.pixel(10, 10), qRgb(192, 192, 192)) << "a dot of the band";
    EXPECT_EQ(picture.pixel(11, 10), qRgb(0, 0, 0)) << "dotted";
    EXPECT_EQ(picture.pixel(30, 20), qRgb(192, 192, 192));
    EXPECT_EQ(picture.pixel(20, 15), qRgb(0, 0, 0));
    QTest::mouseRelease(&canvas, Qt::LeftButton, {}, QPoint(30, 20));
    canvas.render(&picture);
    EXPECT_EQ(picture.pixel(10, 10), qRgb(0, 0, 0)) << "gone with the button";
}

TEST_F(CanvasInputTest, ArrowKeysNudgeTheSelectionByOneImagePixel)
{
    canvas.resize(320, 240); // one client pixel is two image pixels; a nudge is still one
    CRectangle &box = pane.Add(std::make_unique<CRectangle>(100, 100, 150, 150));
    pane.selected = &box;
    canvas.setFocus();
    const struct {
        Qt::Key key;
        QPoint topLeft;
    } steps[] = {{Qt::Key_Left, {99, 100}}, {Qt::Key_Up, {99, 99}}, {Qt::Key_Right, {100, 99}}, {Qt::Key_Down, {100, 100}},
                 {Qt::Key_Right, {101, 100}}};
    for (const auto &step : steps) {
        QTest::keyClick(&canvas, step.key);
        EXPECT_EQ(box.TopLeft(), step.topLeft) << step.key;
    }
    EXPECT_EQ(box.BottomRight(), QPoint(151, 150));
}

TEST_F(CanvasInputTest, MovesAndSizesStartTheFixedAspectTimerOnlyWhenFixed)
{
    // The canvas as the editor has it: a pane inside its frame.
    QWidget frame;
    auto *pane = new CCanvas(&frame);
    pane->SetEditor(&editor);
    frame.resize(800, 600);
    frame.show();
    pane->resize(600, 400);
    EXPECT_EQ(editor.timers, 0);
    pane->SetFixedAspect(true);
    pane->resize(500, 400);
    pane->move(5, 5);
    EXPECT_EQ(editor.timers, 2);
    pane->SetFixedAspect(false);
    pane->resize(640, 480);
    EXPECT_EQ(editor.timers, 2);
}

TEST_F(CanvasInputTest, ScaleAllGoesThroughThePane)
{
    CRectangle &box = pane.Add(std::make_unique<CRectangle>(100, 100, 150, 150));
    CLine &line = pane.Add(std::make_unique<CLine>(1, 3, 5, 7));
    canvas.ScaleAll(1.25, 1.25);
    EXPECT_EQ(box.TopLeft(), QPoint(125, 125));
    EXPECT_EQ(box.BottomRight(), QPoint(188, 188)); // 187.5
    EXPECT_EQ(line.P1(), QPoint(1, 4));             // 1.25, 3.75
    EXPECT_EQ(line.P2(), QPoint(6, 9));             // 6.25, 8.75
}

// The largest Courier New that fits, from 24 pixels down in steps of 2;
// nothing fits a box too small for 4 pixels.
TEST(FitTextFont, TheLargestThatFitsOrNone)
{
    EnsureTestApplication();
    const std::optional<QFont> roomy = CPrimitive::FitTextFont("Map", 400, 100);
    ASSERT_TRUE(roomy);
    EXPECT_EQ(roomy->pixelSize(), 24);
    EXPECT_EQ(roomy->styleStrategy() & QFont::NoAntialias, QFont::NoAntialias);
    for (const QSize box : {QSize(60, 20), QSize(30, 40), QSize(100, 9)}) {
        SCOPED_TRACE(box.width() * 1000 + box.height());
        const std::optional<QFont> font = CPrimitive::FitTextFont("Arrow", box.width(), box.height());
        ASSERT_TRUE(font);
        const QFontMetrics metrics(*font);
        EXPECT_LE(metrics.horizontalAdvance("Arrow"), box.width());
        EXPECT_LE(metrics.height(), box.height());
        if (font->pixelSize() < 24) {
            QFont larger = *font;
            larger.setPixelSize(font->pixelSize() + 2);
            const QFontMetrics bigger(larger);
            EXPECT_TRUE(bigger.horizontalAdvance("Arrow") > box.width() || bigger.height() > box.height());
        }
    }
    EXPECT_FALSE(CPrimitive::FitTextFont("Arrow", 3, 3));
    EXPECT_EQ(CPrimitive::FitTextFont("Arrow", 3, 3), CPrimitive::FitTextFont("Arrow", 3, 3));
}

TEST_F(CanvasInputTest, ScreenshotOfACanvasWithTheGridAndASelection)
{
    canvas.SetShowGrid(true);
    pane.Add(std::make_unique<CLine>(20, 20, 600, 460, 1));
    pane.Add(std::make_unique<CLine>(20, 460, 600, 20, 2));
    pane.Add(std::make_unique<CRectangle>(60, 60, 200, 140, 7, 0));
    pane.Add(std::make_unique<CRectangle>(400, 60, 560, 160, 4, 18));
    pane.Add(std::make_unique<COval>(60, 300, 260, 420, 3, 0));
    COval &selected = pane.Add(std::make_unique<COval>(380, 280, 580, 440, 6, 8));
    selected.Select();
    QCoreApplication::processEvents();
    SaveScreenshot(canvas, "image_canvas");
    EXPECT_TRUE(selected.Handle(9)->IsShown());
}

} // namespace

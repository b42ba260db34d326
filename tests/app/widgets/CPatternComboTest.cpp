#include "CFillPattern.h"
#include "CPatternCombo.h"
#include "TestSupport.h"

#include <QPainter>

namespace {

class CPatternComboTest : public PlatformTest {
protected:
    // Entry itemId drawn into a black-free canvas 120 x 20.
    QImage Draw(int itemId, bool selected)
    {
        QImage canvas(120, 20, QImage::Format_RGB32);
        canvas.fill(qRgb(1, 2, 3));
        QPainter painter(&canvas);
        combo.DrawItem(painter, QRect(0, 0, 120, 20), itemId, selected);
        return canvas;
    }

    CPatternCombo combo;
};

TEST_F(CPatternComboTest, ListsEveryFillPatternWithItsBitmap)
{
    const char *const names[] = {
        "GrayPat0",  "GrayPat7",  "GrayPat13", "GrayPat19", "GrayPat25", "GrayPat31", "GrayPat38", "GrayPat44",
        "GrayPat50", "GrayPat56", "GrayPat63", "GrayPat69", "GrayPat75", "GrayPat81", "GrayPat88", "GrayPat94",
        "GrayPat100", "Checker1", "Checker2", "Checker4", "Checker8",  "bars_V1",   "bars_V2",   "bars_V4",
        "bars_V8",   "bars_H1",   "bars_H2",   "bars_H4",   "bars_H8",   "meme",      "FCC_EMI",
    };
    combo.FillList();
    ASSERT_EQ(combo.count(), 31);
    const CFillPattern pattern;
    for (int i = 0; i < combo.count(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(combo.itemText(i), QString::fromLatin1(names[i]));
        EXPECT_EQ(combo.GetItemBitmap(i), pattern.GetBitmap(i));
    }
}

TEST_F(CPatternComboTest, AnEntryShowsItsSwatchWhiteOnBlackAndTheSelectionInGrey)
{
    combo.FillList();
    const int checker2 = 18; // 2-pixel checks: the swatch shows whether the bitmap is followed
    const QImage bitmap = combo.GetItemBitmap(checker2);
    for (bool selected : {false, true}) {
        SCOPED_TRACE(selected);
        const QImage drawn = Draw(checker2, selected);
        for (int y = 0; y < 18; ++y) {
            for (int x = 0; x < 18; ++x) {
                const QRgb expected = bitmap.pixelIndex(x % 16, y % 16) == 0 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
                ASSERT_EQ(drawn.pixel(x, y), expected) << x << "," << y;
            }
        }
        EXPECT_EQ(drawn.pixel(20, 5), qRgb(0, 0, 0)); // between swatch and selection
        EXPECT_EQ(drawn.pixel(119, 19), selected ? qRgb(128, 128, 128) : qRgb(0, 0, 0));
        EXPECT_EQ(drawn.pixel(22, 19), selected ? qRgb(128, 128, 128) : qRgb(0, 0, 0));
    }
}

TEST_F(CPatternComboTest, AnEntryShowsItsNameInWhiteWithoutFocus)
{
    combo.FillList();
    const QImage drawn = Draw(0, false);
    int white = 0;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 24; x < drawn.width(); ++x)
            white += drawn.pixel(x, y) == qRgb(255, 255, 255);
    EXPECT_GT(white, 0);
}

TEST_F(CPatternComboTest, TheClosedComboShowsTheCurrentSwatch)
{
    combo.FillList();
    combo.resize(160, 26);
    const auto whitePixels = [this](int index) {
        combo.setCurrentIndex(index);
        const QImage shown = combo.grab().toImage().convertToFormat(QImage::Format_RGB32);
        int white = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                white += shown.pixel(x, y) == qRgb(255, 255, 255);
        return white;
    };
    // GrayPat100 is all white, GrayPat0 all black; the names are alike.
    EXPECT_GE(whitePixels(16) - whitePixels(0), 12 * 12);
}

TEST_F(CPatternComboTest, ADisabledComboFillsTheEntryLightGreyOnly)
{
    combo.FillList();
    combo.setEnabled(false);
    const QImage drawn = Draw(5, true);
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            ASSERT_EQ(drawn.pixel(x, y), qRgb(192, 192, 192)) << x << "," << y;
}

TEST_F(CPatternComboTest, NoEntryDrawsNothing)
{
    EXPECT_EQ(Draw(0, true).pixel(0, 0), qRgb(1, 2, 3)); // an empty list
    combo.FillList();
    const QImage drawn = Draw(-1, true);
    EXPECT_EQ(drawn.pixel(0, 0), qRgb(1, 2, 3));
    EXPECT_EQ(drawn.pixel(100, 10), qRgb(1, 2, 3));
}

} // namespace

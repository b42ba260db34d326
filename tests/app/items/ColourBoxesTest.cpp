#include "CColorComboBox.h"
#include "CLutListBox.h"
#include "TestSupport.h"

#include <QPainter>
#include <QTest>

namespace {

constexpr QRgb kUntouched = qRgb(1, 2, 3);
constexpr QRgb kBlackRgb = qRgb(0, 0, 0);
constexpr QRgb kGreyRgb = qRgb(0x80, 0x80, 0x80);
constexpr QRgb kRedRgb = qRgb(0xFF, 0, 0);
constexpr QRgb kWhiteRgb = qRgb(0xFF, 0xFF, 0xFF);

// A row drawn by draw into a canvas 160 x 20 that neither control paints with.
template <class Draw>
QImage Row(Draw draw)
{
    QImage canvas(160, 20, QImage::Format_RGB32);
    canvas.fill(kUntouched);
    QPainter painter(&canvas);
    draw(painter, QRect(0, 0, 160, 20));
    return canvas;
}

int Count(const QImage &image, QRgb rgb, int fromX = 0)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = fromX; x < image.width(); ++x)
            n += image.pixel(x, y) == rgb;
    return n;
}

// Text pixels of a colour, smoothed edges included: near white, or near red.
int TextPixels(const QImage &image, QRgb text, int fromX)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = fromX; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            const bool bright = qRed(p) > 0xB0;
            const bool white = bright && qGreen(p) > 0xB0 && qBlue(p) > 0xB0;
            const bool red = bright && qGreen(p) < 0x50 && qBlue(p) < 0x50;
            n += text == kWhiteRgb ? white : red;
        }
    }
    return n;
}

class ColourBoxesTest : public PlatformTest {
protected:
    // The controls in a shown, active window so that they can take the focus.
    void ShowActive()
    {
        window.resize(400, 300);
        combo->setGeometry(10, 10, 200, 24);
        list->setGeometry(10, 50, 200, 200);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    QImage ComboRow(int itemId, bool selected)
    {
        return Row([&](QPainter &p, const QRect &r) { combo->DrawItem(p, r, itemId, selected); });
    }
    QImage ListRow(int itemId, bool selected)
    {
        return Row([&](QPainter &p, const QRect &r) { list->DrawItem(p, r, itemId, selected); });
    }

    QWidget window;
    CColorComboBox *combo = new CColorComboBox(&window);
    CLutListBox *list = new CLutListBox(&window);
};

TEST_F(ColourBoxesTest, TheComboListsTheNamedColoursWithTheirScreenColours)
{
    combo->FillColors();
    ASSERT_EQ(combo->count(), 71);
    const struct {
        int index;
        const char *name;
        std::uint32_t word;
    } rows[] = {
        {0, "Black", 0x000000}, {1, "Red", 0x0000FF},         {4, "Blue", 0xFF0000},
        {7, "White", 0xFFFFFF}, {14, "Brown", 0x008080}, {19, "Gray7", 0x121212},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.index);
        EXPECT_EQ(combo->itemText(row.index), QString::fromLatin1(row.name));
        EXPECT_EQ(combo->ItemColour(row.index), row.word);
    }
}

TEST_F(ColourBoxesTest, ADisabledControlPaintsAPlainLightGreyBand)
{
    combo->FillColors();
    list->AddEntry(0x00FF8000);
    combo->setEnabled(false);
    list->setEnabled(false);
    for (const QImage &row : {ComboRow(1, true), ListRow(0, true)})
        EXPECT_EQ(Count(row, qRgb(0xC0, 0xC0, 0xC0)), row.width() * row.height());
}

TEST_F(ColourBoxesTest, NoItemOrNoRowDrawsNothing)
{
    for (const QImage &row : {ComboRow(0, true), ListRow(0, true)})
        EXPECT_EQ(Count(row, kUntouched), row.width() * row.height());
    combo->FillColors();
    list->AddEntry(0x123456);
    for (const QImage &row : {ComboRow(-1, true), ListRow(-1, true), ComboRow(71, true), ListRow(1, true)})
        EXPECT_EQ(Count(row, kUntouched), row.width() * row.height());
}

TEST_F(ColourBoxesTest, ABlackColourShowsABlackSwatchAndStillItsName)
{
    combo->FillColors();
    const QImage row = ComboRow(0, false);
    EXPECT_EQ(row.pixel(0, 0), kBlackRgb);
    EXPECT_EQ(row.pixel(20, 19), kBlackRgb);
    EXPECT_EQ(row.pixel(22, 10), kBlackRgb); // not selected: no grey
    EXPECT_GT(TextPixels(row, kWhiteRgb, CColorComboBox::kTextIndent), 10);
    EXPECT_EQ(Count(row, kUntouched), 0);
}

TEST_F(ColourBoxesTest, TheSwatchTheSelectionBandAndTheTextHaveTheirPlaces)
{
    combo->FillColors();
    const QImage row = ComboRow(1, true); // Red
    EXPECT_EQ(row.pixel(0, 5), kRedRgb);
    EXPECT_EQ(row.pixel(20, 19), kRedRgb);
    EXPECT_EQ(row.pixel(21, 5), kBlackRgb); // the gap between swatch and band
    EXPECT_EQ(row.pixel(22, 0), kGreyRgb);
    EXPECT_EQ(row.pixel(159, 19), kGreyRgb);
    // No focus: the text is white, left of the text only swatch, gap and band.
    EXPECT_GT(TextPixels(row, kWhiteRgb, CColorComboBox::kTextIndent), 10);
    EXPECT_EQ(TextPixels(row, kWhiteRgb, 0), TextPixels(row, kWhiteRgb, CColorComboBox::kTextIndent));
}

TEST_F(ColourBoxesTest, TheComboTextIsRedWithFocusAndTheListClosedWhiteWhileItIsOpen)
{
    combo->FillColors();
    ShowActive();
    combo->setFocus();
    ASSERT_TRUE(combo->hasFocus());
    const QImage closed = ComboRow(3, true);
    EXPECT_GT(TextPixels(closed, kRedRgb, CColorComboBox::kTextIndent), 10);
    EXPECT_EQ(TextPixels(closed, kWhiteRgb, CColorComboBox::kTextIndent), 0);

    combo->showPopup();
    ASSERT_TRUE(combo->IsDroppedDown());
    combo->setFocus();
    for (bool selected : {true, false}) {
        SCOPED_TRACE(selected);
        const QImage open = ComboRow(3, selected);
        EXPECT_EQ(TextPixels(open, kRedRgb, CColorComboBox::kTextIndent), 0);
        EXPECT_GT(TextPixels(open, kWhiteRgb, CColorComboBox::kTextIndent), 10);
    }
    combo->hidePopup();
    ASSERT_FALSE(combo->IsDroppedDown());
    EXPECT_GT(TextPixels(ComboRow(3, true), kRedRgb, CColorComboBox::kTextIndent), 10);
}

TEST_F(ColourBoxesTest, TheLutRowShowsItsThreeValuesOnTheTabStops)
{
    EXPECT_EQ(CLutListBox::EntryText(0x00FF8000), QStringLiteral("  0,\t128,\t255"));
    EXPECT_EQ(CLutListBox::EntryText(0x00010203), QStringLiteral("  3,\t  2,\t  1"));

    const QFontMetrics metrics(list->font());
    const int tab = metrics.horizontalAdvance(QStringLiteral("###,  "));
    const int origin = CLutListBox::kTabOrigin;
    const QList<int> starts = CLutListBox::RunPositions(metrics, CLutListBox::EntryText(0x00FF8000),
                                                        CLutListBox::kTextIndent, origin);
    ASSERT_EQ(starts.size(), 3);
    EXPECT_EQ(starts[0], CLutListBox::kTextIndent);
    for (int i = 1; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ((starts[i] - origin) % tab, 0);
        EXPECT_GT(starts[i], starts[i - 1]);
    }
    // A wider first run still lands on a stop, further right.
    const QList<int> wide = CLutListBox::RunPositions(metrics, QStringLiteral("88888888,\t1"), 24, origin);
    EXPECT_EQ((wide[1] - origin) % tab, 0);
    EXPECT_GE(wide[1], 24 + metrics.horizontalAdvance(QStringLiteral("88888888,")));
}

TEST_F(ColourBoxesTest, TheLutRowIsRedOnlyWhenFocusedAndSelected)
{
    list->AddEntry(0x00FF8000);
    ASSERT_EQ(list->Entry(0), 0x00FF8000u);
    const QImage plain = ListRow(0, true);
    EXPECT_EQ(plain.pixel(0, 0), qRgb(0x00, 0x80, 0xFF)); // the entry's colour: red 0, green 128, blue 255
    EXPECT_EQ(plain.pixel(22, 0), kGreyRgb);
    EXPECT_GT(TextPixels(plain, kWhiteRgb, CLutListBox::kTextIndent), 10);
    EXPECT_EQ(TextPixels(plain, kRedRgb, 0), 0);

    ShowActive();
    list->setFocus();
    ASSERT_TRUE(list->hasFocus());
    EXPECT_GT(TextPixels(ListRow(0, true), kRedRgb, CLutListBox::kTextIndent), 10);
    const QImage unselected = ListRow(0, false);
    EXPECT_EQ(TextPixels(unselected, kRedRgb, 0), 0);
    EXPECT_EQ(unselected.pixel(22, 0), kBlackRgb);
}

} // namespace

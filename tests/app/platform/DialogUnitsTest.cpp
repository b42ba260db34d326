#include "DialogUnits.h"
#include "TestSupport.h"

#include <QDialog>
#include <QFontMetrics>
#include <QPushButton>

namespace {

class DialogUnitsTest : public PlatformTest {};

TEST_F(DialogUnitsTest, UnitsFollowTheDialogFont)
{
    QFont font = QApplication::font();
    font.setPointSize(8);
    const QFontMetrics metrics(font);
    const DialogBaseUnits base = BaseUnitsOf(font);
    ASSERT_GT(base.x, 0);
    EXPECT_EQ(base.y, metrics.height());
    // Four horizontal units are one average character, eight vertical ones a line.
    EXPECT_EQ(DialogUnitsToPixelsX(font, 4), base.x);
    EXPECT_EQ(DialogUnitsToPixelsY(font, 8), base.y);
    EXPECT_EQ(DialogUnitsToPixelsX(font, 400), 100 * base.x);
    // Rounded to the nearest pixel, halves away from zero.
    EXPECT_EQ(DialogUnitsToPixelsX(font, 2), (2 * base.x + 2) / 4);
    EXPECT_EQ(DialogUnitsToPixelsX(font, -2), -((2 * base.x + 2) / 4));

    QFont larger = font;
    larger.setPointSize(16);
    EXPECT_GT(DialogUnitsToPixelsX(larger, 100), DialogUnitsToPixelsX(font, 100));
}

TEST_F(DialogUnitsTest, ControlsAreFoundByTheirIds)
{
    QDialog dialog;
    QFont font = dialog.font();
    font.setPointSize(8);
    dialog.setFont(font);
    auto *button = new QPushButton(QStringLiteral("New"), &dialog);
    SetControlId(button, 1);
    PlaceControl(button, 3, 80, 50, 14);
    EXPECT_EQ(button->objectName(), QStringLiteral("id1"));
    EXPECT_EQ(FindControl<QPushButton>(&dialog, 1), button);
    EXPECT_EQ(FindControl<QPushButton>(&dialog, 2), nullptr);
    EXPECT_EQ(FindControl(nullptr, 1), nullptr);
    EXPECT_EQ(button->geometry(), DialogUnitsToPixels(font, QRect(3, 80, 50, 14)));
    EXPECT_EQ(ControlName(1004), QStringLiteral("id1004"));
}

} // namespace

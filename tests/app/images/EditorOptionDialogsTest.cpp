#include "CAspectRatioDlg.h"
#include "CCanvasLimitsDlg.h"
#include "CSnapGridSizeDlg.h"

#include "DialogUnits.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "TestSupport.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>

namespace {

class EditorOptionDialogsTest : public PlatformTest {
protected:
    static void Type(QDialog &dialog, int id, const QString &text)
    {
        QLineEdit *edit = FindControl<QLineEdit>(&dialog, id);
        ASSERT_NE(edit, nullptr) << id;
        edit->setText(text);
    }
    static QString Shown(QDialog &dialog, int id) { return FindControl<QLineEdit>(&dialog, id)->text(); }
};

TEST_F(EditorOptionDialogsTest, GridSizeStartsWithTheStepsAndTakesTheTypedOnesOnOk)
{
    CSnapGridSizeDlg dialog(nullptr, 32, 24);
    prompter.ExpectDialog(PromptMatch::Caption(QStringLiteral("Snap Grid Size")), [](QDialog &d) {
        EXPECT_EQ(Shown(d, IDC_X_SPACING), QStringLiteral("32"));
        EXPECT_EQ(Shown(d, IDC_Y_SPACING), QStringLiteral("24"));
        Type(d, IDC_X_SPACING, QStringLiteral("10"));
        Type(d, IDC_Y_SPACING, QStringLiteral("65535"));
        d.accept();
    });
    EXPECT_EQ(DoModal(dialog), IDOK);
    EXPECT_EQ(dialog.StepX(), 10);
    EXPECT_EQ(dialog.StepY(), 65535);
}

TEST_F(EditorOptionDialogsTest, CancelKeepsTheOldValues)
{
    CSnapGridSizeDlg grid(nullptr, 32, 24);
    CCanvasLimitsDlg limits(nullptr, 640, 480);
    for (QDialog *dialog : {static_cast<QDialog *>(&grid), static_cast<QDialog *>(&limits)}) {
        prompter.ExpectDialog(PromptMatch::Caption(dialog->windowTitle()), [](QDialog &d) {
            for (QLineEdit *edit : d.findChildren<QLineEdit *>())
                edit->setText(QStringLiteral("99"));
            if (auto *box = FindControl<QCheckBox>(&d, IDC_SCALE_PRIMITIVES))
                box->setChecked(true);
            d.reject();
        });
        EXPECT_EQ(DoModal(*dialog), IDCANCEL);
    }
    EXPECT_EQ(grid.StepX(), 32);
    EXPECT_EQ(grid.StepY(), 24);
    EXPECT_EQ(limits.NewWidth(), 640);
    EXPECT_EQ(limits.NewHeight(), 480);
    EXPECT_FALSE(limits.ScalePrimitives());
}

// A value that would make the canvas divide by zero, or that is no integer,
// keeps the dialog open with a box until a good one is typed.
TEST_F(EditorOptionDialogsTest, ValuesOutOfRangeAreRefusedAndTheDialogStaysOpen)
{
    const struct {
        bool grid;
        int id;
        const char *typed;
        const char *box;
    } cases[] = {
        {true, IDC_X_SPACING, "0", "Please enter an integer between 1 and 65535."},
        {true, IDC_Y_SPACING, "-3", "Please enter an integer between 1 and 65535."},
        {true, IDC_X_SPACING, "", "Please enter an integer between 1 and 65535."},
        {false, IDC_X_RES, "1", "Please enter an integer between 2 and 65535."},
        {false, IDC_Y_RES, "65536", "Please enter an integer between 2 and 65535."},
        {false, IDC_Y_RES, "4x", "Please enter an integer between 2 and 65535."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        std::unique_ptr<QDialog> dialog;
        if (c.grid)
            dialog = std::make_unique<CSnapGridSizeDlg>(nullptr, 32, 24);
        else
            dialog = std::make_unique<CCanvasLimitsDlg>(nullptr, 640, 480);
        bool stayedOpen = false;
        prompter.ExpectDialog(PromptMatch::Caption(dialog->windowTitle()), [&](QDialog &d) {
            Type(d, c.id, QString::fromLatin1(c.typed));
            d.accept();
            stayedOpen = d.isVisible() && d.result() != QDialog::Accepted;
            Type(d, c.id, QStringLiteral("8"));
            d.accept();
        });
        prompter.ExpectMessage(PromptMatch::Text(QString::fromLatin1(c.box)), IDOK);
        EXPECT_EQ(DoModal(*dialog), IDOK);
        EXPECT_TRUE(stayedOpen);
        if (c.grid) {
            const auto &grid = static_cast<CSnapGridSizeDlg &>(*dialog);
            EXPECT_EQ(c.id == IDC_X_SPACING ? grid.StepX() : grid.StepY(), 8);
        } else {
            const auto &limits = static_cast<CCanvasLimitsDlg &>(*dialog);
            EXPECT_EQ(c.id == IDC_X_RES ? limits.NewWidth() : limits.NewHeight(), 8);
        }
    }
}

TEST_F(EditorOptionDialogsTest, CanvasLimitsStartWithTheSizeAndScalingOff)
{
    CCanvasLimitsDlg dialog(nullptr, 640, 480);
    prompter.ExpectDialog(PromptMatch::Caption(QStringLiteral("Canvas Limits")), [](QDialog &d) {
        EXPECT_EQ(Shown(d, IDC_X_RES), QStringLiteral("640"));
        EXPECT_EQ(Shown(d, IDC_Y_RES), QStringLiteral("480"));
        auto *box = FindControl<QCheckBox>(&d, IDC_SCALE_PRIMITIVES);
        ASSERT_NE(box, nullptr);
        EXPECT_FALSE(box->isChecked());
        EXPECT_EQ(box->text(), QStringLiteral("Scale Primitive To New Size"));
        Type(d, IDC_X_RES, QStringLiteral("800"));
        Type(d, IDC_Y_RES, QStringLiteral("600"));
        box->setChecked(true);
        d.accept();
    });
    EXPECT_EQ(DoModal(dialog), IDOK);
    EXPECT_EQ(dialog.NewWidth(), 800);
    EXPECT_EQ(dialog.NewHeight(), 600);
    EXPECT_TRUE(dialog.ScalePrimitives());
}

TEST_F(EditorOptionDialogsTest, AspectRatioChecksThePresentRatioOnly)
{
    const struct {
        int x, y;
        int checked; // control id, 0: none
    } cases[] = {
        {16, 9, IDC_RATIO_16_9}, {5, 3, IDC_RATIO_5_3}, {4, 3, IDC_RATIO_4_3},
        {1, 1, IDC_RATIO_1_1},   {3, 4, IDC_RATIO_3_4}, {32, 18, 0},
    };
    const QString texts[] = {QStringLiteral("16:9"), QStringLiteral("5:3"), QStringLiteral("4:3"),
                             QStringLiteral("1:1"), QStringLiteral("3:4")};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.x);
        CAspectRatioDlg dialog(nullptr, c.x, c.y);
        ASSERT_NE(dialog.findChild<QGroupBox *>(), nullptr);
        EXPECT_EQ(dialog.findChild<QGroupBox *>()->title(), QStringLiteral("Apsect Ratio"));
        for (int i = 0; i < 5; ++i) {
            const int id = IDC_RATIO_16_9 + i;
            auto *button = FindControl<QRadioButton>(&dialog, id);
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->text(), texts[i]);
            EXPECT_EQ(button->isChecked(), id == c.checked) << id;
        }
    }
}

TEST_F(EditorOptionDialogsTest, AspectRatioTakesTheClickedRatioOnlyOnOk)
{
    const struct {
        int click; // 0: none
        bool ok;
        QSize chosen;
    } cases[] = {
        {IDC_RATIO_4_3, true, QSize(4, 3)},
        {IDC_RATIO_3_4, true, QSize(3, 4)},
        {0, true, QSize(16, 9)},
        {IDC_RATIO_4_3, false, QSize(16, 9)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.click);
        CAspectRatioDlg dialog(nullptr, 16, 9);
        prompter.ExpectDialog(PromptMatch::Caption(QStringLiteral("Aspect Ratio Selection")), [&](QDialog &d) {
            if (c.click) {
                FindControl<QRadioButton>(&d, IDC_RATIO_5_3)->click();
                FindControl<QRadioButton>(&d, c.click)->click();
                int checked = 0;
                for (auto *button : d.findChildren<QRadioButton *>())
                    checked += button->isChecked();
                EXPECT_EQ(checked, 1);
            }
            c.ok ? d.accept() : d.reject();
        });
        EXPECT_EQ(DoModal(dialog), c.ok ? IDOK : IDCANCEL);
        EXPECT_EQ(dialog.Chosen(), c.chosen);
    }
}

} // namespace

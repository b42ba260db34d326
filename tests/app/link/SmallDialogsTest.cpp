#include "CScanDlg.h"
#include "CSelectDataTypeDlg.h"

#include "DialogUnits.h"
#include "TestSupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

// --- Select a data type -----------------------------------------------------

QIcon SolidIcon(const QColor &colour)
{
    QPixmap picture(16, 16);
    picture.fill(colour);
    return QIcon(picture);
}

QColor IconColour(const QIcon &icon)
{
    return icon.pixmap(16, 16).toImage().pixelColor(8, 8);
}

enum class Step { ClickEmpty, DoubleClickEmpty, ClickItem, DoubleClickItem, PressNew, PressCancel };

struct ListStep {
    Step step;
    int row = 0;
};

class SelectDataTypeDlgTest : public PlatformTest {
protected:
    // Kinds named by table texts, the third without a text, and images
    // picked out of order (the third's index is out of the list).
    const QList<QIcon> images = {SolidIcon(Qt::red), SolidIcon(Qt::blue)};
    const int imageIndexes[3] = {1, 0, 7};
    const unsigned stringIds[3] = {33003, 33002, 1};

    static void Perform(QListWidget *list, QDialog &d, const ListStep &s)
    {
        QWidget *view = list->viewport();
        const QPoint empty(view->width() - 3, view->height() - 3);
        const QPoint item = s.step == Step::ClickItem || s.step == Step::DoubleClickItem
                                ? list->visualItemRect(list->item(s.row)).center()
                                : QPoint();
        switch (s.step) {
        case Step::ClickEmpty: QTest::mouseClick(view, Qt::LeftButton, {}, empty); break;
        case Step::DoubleClickEmpty:
            QTest::mouseClick(view, Qt::LeftButton, {}, empty);
            QTest::mouseDClick(view, Qt::LeftButton, {}, empty);
            break;
        case Step::ClickItem: QTest::mouseClick(view, Qt::LeftButton, {}, item); break;
        case Step::DoubleClickItem:
            QTest::mouseClick(view, Qt::LeftButton, {}, item);
            QTest::mouseDClick(view, Qt::LeftButton, {}, item);
            break;
        case Step::PressNew: FindControl<QPushButton>(&d, IDOK)->click(); break;
        case Step::PressCancel: FindControl<QPushButton>(&d, IDCANCEL)->click(); break;
        }
    }
};

TEST_F(SelectDataTypeDlgTest, OpensWithTheKindsAndTheFirstChosen)
{
    CSelectDataTypeDlg dialog(nullptr, 3, &images, imageIndexes, stringIds);
    prompter.ExpectDialog(PromptMatch::Caption(QStringLiteral("Select a data type")), [](QDialog &d) {
        auto *list = FindControl<QListWidget>(&d, 1165);
        ASSERT_EQ(list->count(), 3);
        EXPECT_EQ(list->item(0)->text(), QStringLiteral("Unable to scan the PCI bus!"));
        EXPECT_EQ(list->item(1)->text(), QStringLiteral("No Veltrane PCI cards were detected."));
        EXPECT_EQ(IconColour(list->item(0)->icon()), QColor(Qt::blue));
        EXPECT_EQ(IconColour(list->item(1)->icon()), QColor(Qt::red));
        EXPECT_TRUE(list->item(2)->icon().isNull());
        EXPECT_TRUE(list->item(0)->isSelected());
        EXPECT_TRUE(FindControl(&d, IDOK)->isEnabled());
        EXPECT_EQ(FindControl<QPushButton>(&d, IDOK)->text(), QStringLiteral("New"));
        SaveScreenshot(d, QStringLiteral("SelectDataType"));
        d.reject();
    });
    EXPECT_EQ(DoModal(dialog), IDCANCEL);
}

TEST_F(SelectDataTypeDlgTest, SelectionFollowsTheList)
{
    const struct {
        const char *name;
        std::vector<ListStep> steps;
        bool newEnabled; // before the last step
        int answer;
        int selection;
    } cases[] = {
        {"new right away", {{Step::PressNew}}, true, IDOK, 0},
        {"cancel", {{Step::PressCancel}}, true, IDCANCEL, -1},
        {"empty area", {{Step::ClickEmpty}, {Step::DoubleClickEmpty}, {Step::PressCancel}}, false, IDCANCEL, -1},
        {"another kind", {{Step::ClickEmpty}, {Step::ClickItem, 2}, {Step::PressNew}}, true, IDOK, 2},
        {"double click", {{Step::DoubleClickItem, 1}}, true, IDOK, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        CSelectDataTypeDlg dialog(nullptr, 3, &images, imageIndexes, stringIds);
        prompter.ExpectDialog(PromptMatch::Caption(QStringLiteral("Select a data type")), [&](QDialog &d) {
            auto *list = FindControl<QListWidget>(&d, 1165);
            for (size_t i = 0; i + 1 < c.steps.size(); ++i) {
                Perform(list, d, c.steps[i]);
                EXPECT_TRUE(d.isVisible()) << "step " << i;
            }
            EXPECT_EQ(FindControl(&d, IDOK)->isEnabled(), c.newEnabled);
            Perform(list, d, c.steps.back());
        });
        EXPECT_EQ(DoModal(dialog), c.answer);
        EXPECT_EQ(dialog.m_selection, c.selection);
    }
}

// --- Scanning the Generator -------------------------------------------------

const int kTotals[] = {1014, 1015, 1016, 1017, 1022, 1024, 1026};
const int kRunning[] = {1028, 1029, 1030, 1031, 1032, 1033, 1034};
const int kChecks[] = {1018, 1019, 1020, 1021, 1023, 1025, 1027};

class ScanDlgTest : public PlatformTest {};

TEST_F(ScanDlgTest, ColoursAndEnablesOnlyTheRowsTheGeneratorHas)
{
    const struct {
        bool fonts, maps, luts;
        bool rows[7]; // coloured, check box enabled
    } cases[] = {
        {true, true, false, {true, true, true, true, true, true, false}},
        {false, false, false, {true, true, true, true, false, false, false}},
        {false, true, true, {true, true, true, true, false, true, true}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.fonts << c.maps << c.luts);
        CScanDlg dialog(c.fonts, c.maps, c.luts);
        dialog.show();
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Scanning the Generator..."));
        const QPalette plain = dialog.palette();
        for (int row = 0; row < 7; ++row) {
            SCOPED_TRACE(row);
            auto *total = FindControl<QLabel>(&dialog, kTotals[row]);
            auto *running = FindControl<QLabel>(&dialog, kRunning[row]);
            EXPECT_EQ(total->text(), QStringLiteral("0"));
            EXPECT_EQ(running->text(), QStringLiteral("0"));
            EXPECT_EQ(FindControl(&dialog, kChecks[row])->isEnabled(), c.rows[row]);
            const QColor totalText = c.rows[row] ? QColor(0, 255, 0) : plain.color(QPalette::WindowText);
            const QColor runningText = c.rows[row] ? QColor(Qt::white) : plain.color(QPalette::WindowText);
            EXPECT_EQ(total->palette().color(QPalette::WindowText), totalText);
            EXPECT_EQ(running->palette().color(QPalette::WindowText), runningText);
            for (QLabel *count : {total, running}) {
                EXPECT_EQ(count->autoFillBackground(), c.rows[row]);
                if (c.rows[row]) {
                    EXPECT_EQ(count->palette().color(QPalette::Window), QColor(Qt::black));
                }
            }
        }
        SaveScreenshot(dialog, QStringLiteral("Scan-%1%2%3").arg(c.fonts).arg(c.maps).arg(c.luts));
    }
}

TEST_F(ScanDlgTest, SetCountWritesOnlyTheKindsRunningCount)
{
    CScanDlg dialog(true, true, true);
    dialog.SetCount(42, 6);
    dialog.SetCount(-5, 0);
    dialog.SetCount(9, 7);
    dialog.SetCount(9, -1);
    QStringList running, totals;
    for (int row = 0; row < 7; ++row) {
        running << FindControl<QLabel>(&dialog, kRunning[row])->text();
        totals << FindControl<QLabel>(&dialog, kTotals[row])->text();
    }
    EXPECT_EQ(running, QStringList({"-5", "0", "0", "0", "0", "0", "42"}));
    EXPECT_EQ(totals, QStringList({"0", "0", "0", "0", "0", "0", "0"}));
}

} // namespace

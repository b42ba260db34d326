// Colour tables: a table built from the standard colour sets, the LUT pane
// and the LUT Editing dialog with a host that records what they ask.

#include "CLutEditDlg.h"
#include "CLutEditPane.h"
#include "CLutListBox.h"
#include "LutEditHost.h"
#include "StandardLutSets.h"

#include "CValueEdit.h"
#include "DialogUnits.h"
#include "ResourceIds.h"
#include "TestSupport.h"
#include "TypeKeys.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTreeWidget>

#include <cstdint>
#include <vector>

namespace {

using Lut = std::vector<std::uint32_t>;

// Entries as COLORREF, 0x00BBGGRR, from the named colours' table.
constexpr std::uint32_t kWhite = 0xFFFFFF, kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000;
constexpr std::uint32_t kCyan = 0xFFFF00, kMagenta = 0xFF00FF, kYellow = 0x00FFFF;

Lut Padded(Lut entries, std::size_t size)
{
    entries.resize(size, 0u);
    return entries;
}

TEST(StandardLutSets, BuildTablesFromTheCheckedSets)
{
    struct Case {
        const char *what;
        std::size_t size; // 2^depth
        std::uint32_t mask;
        Lut expected;
    };
    const Case cases[] = {
        {"black is entry 0, so depth 1 takes white only", 2, 0x4 | 0x10000, {0, kWhite}},
        {"RGB and CMY at depth 4", 16, 0x10000 | 0x20000,
         Padded({0, kBlue, kGreen, kRed, kCyan, kMagenta, kYellow}, 16)},
        {"Gray50 of Middle Grays is in Decade Grays already", 16, 0x400 | 0x200,
         Padded({0, 0x1A1A1A, 0x333333, 0x4D4D4D, 0x666666, 0x808080, 0x999999, 0xB3B3B3, 0xCCCCCC, 0xE6E6E6,
                 kWhite},
                16)},
        {"filling stops at the last entry", 4, 0x40, {0, 0x121212, 0x212121, 0x333333}},
        {"IBM Hues' entry of no colour is black, held already", 16, 0x100000,
         Padded({0, 0x800000, 0x008000, 0x808000, 0x800080, 0x008080, kBlue, kGreen, kCyan, kRed, kMagenta, kYellow},
                16)},
        {"no set: black only", 4, 0, {0, 0, 0, 0}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Lut lut(c.size, 0x123456u);
        ApplyLutSets(c.mask, lut);
        EXPECT_EQ(lut, c.expected);
    }
}

TEST(StandardLutSets, NamesInTableOrder)
{
    EXPECT_EQ(LutSetNames(0x10000 | 0x4), (QStringList{"Black and White", "RGB Hues"}));
    EXPECT_EQ(LutSetNames(0x8000 | 0x800000), (QStringList{"Acer Grays", "IQ Hues"}));
    EXPECT_TRUE(LutSetNames(0).isEmpty());
}

// What the pane and the dialog asked of their editor.
class RecordingHost final : public LutEditHost {
public:
    void SelectEntry(int index) override { selected.push_back(index); }
    void StepEntry(bool forward) override { steps.push_back(forward); }
    void SetEntryColour(std::uint32_t colour) override { colours.push_back(colour); }
    void ApplyLutSets(std::uint32_t mask) override { masks.push_back(mask); }

    std::vector<int> selected;
    std::vector<bool> steps;
    std::vector<std::uint32_t> colours;
    std::vector<std::uint32_t> masks;
};

class LutPaneTest : public PlatformTest {
protected:
    RecordingHost host;
    CLutEditPane pane{host};
};

TEST_F(LutPaneTest, FillSelectsRowZeroWithoutTellingTheEditor)
{
    pane.Fill({0, kWhite, kRed, kGreen});
    CLutListBox *list = FindControl<CLutListBox>(&pane, IDC_LUT_LIST);
    ASSERT_EQ(list, pane.List());
    EXPECT_EQ(list->count(), 4);
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(list->Entry(2), kRed);
    EXPECT_TRUE(host.selected.empty());
    pane.UpdateEntry(2, kCyan);
    EXPECT_EQ(list->Entry(2), kCyan);
    pane.SelectEntry(3);
    EXPECT_EQ(list->currentRow(), 3);
    EXPECT_EQ(host.selected, std::vector<int>{3});
}

TEST_F(LutPaneTest, ARowTheUserPicksBecomesTheCurrentEntry)
{
    pane.Fill(Lut(16, 0u));
    pane.resize(150, 300);
    pane.show();
    CLutListBox *list = pane.List();
    const QRect row = list->visualItemRect(list->item(5));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(host.selected, std::vector<int>{5});
}

class LutDialogTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }

    CValueEdit *Edit(int id) { return FindControl<CValueEdit>(&dialog, id); }
    QSlider *Slider(int id) { return FindControl<QSlider>(&dialog, id); }
    QColor Swatch() { return FindControl<QLabel>(&dialog, IDC_LUT_SWATCH)->palette().color(QPalette::Window); }
    QTreeWidget *Sets() { return FindControl<QTreeWidget>(&dialog, IDC_LUT_SETS); }
    void Click(int id) { QTest::mouseClick(FindControl<QPushButton>(&dialog, id), Qt::LeftButton); }

    RecordingHost host;
    CLutEditDlg dialog{host, nullptr};
};

TEST_F(LutDialogTest, ShowEntrySetsEditsSlidersSwatchAndNumber)
{
    EXPECT_EQ(Swatch(), QColor(Qt::white)) << "white at start";
    dialog.ShowEntry(0x00FF8000, 7);
    EXPECT_EQ(Edit(IDC_LUT_RED)->text(), QStringLiteral("0"));
    EXPECT_EQ(Edit(IDC_LUT_GREEN)->text(), QStringLiteral("128"));
    EXPECT_EQ(Edit(IDC_LUT_BLUE)->text(), QStringLiteral("255"));
    EXPECT_EQ(Slider(IDC_LUT_RED_SLIDER)->value(), 0);
    EXPECT_EQ(Slider(IDC_LUT_GREEN_SLIDER)->value(), 128);
    EXPECT_EQ(Slider(IDC_LUT_BLUE_SLIDER)->value(), 255);
    EXPECT_EQ(Swatch(), QColor(0, 128, 255));
    EXPECT_EQ(FindControl<QLabel>(&dialog, IDC_LUT_ENTRY)->text(), QStringLiteral("7"));
    EXPECT_TRUE(host.colours.empty()) << "showing is not applying";
}

TEST_F(LutDialogTest, TypedValuesMoveTheSliderWithinItsRange)
{
    dialog.ShowEntry(0, 0);
    CValueEdit *red = Edit(IDC_LUT_RED);
    red->setFocus();
    red->selectAll();
    Type(red, QStringLiteral("300"));
    EXPECT_EQ(Slider(IDC_LUT_RED_SLIDER)->value(), 255);
    EXPECT_EQ(Swatch(), QColor(255, 0, 0));
    EXPECT_EQ(dialog.EditedColour(), 0x0000FFu);
    // A slider moved by the user: its edit follows.
    Slider(IDC_LUT_BLUE_SLIDER)->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(Edit(IDC_LUT_BLUE)->GetInt(), Slider(IDC_LUT_BLUE_SLIDER)->value());
    EXPECT_GT(Slider(IDC_LUT_BLUE_SLIDER)->value(), 0);
}

TEST_F(LutDialogTest, ApplyColourGivesTheFocusBackToTheEditSelected)
{
    dialog.ShowEntry(0x000000, 3);
    CValueEdit *green = Edit(IDC_LUT_GREEN);
    green->setFocus();
    green->selectAll();
    Type(green, QStringLiteral("64"));
    Click(IDC_LUT_APPLY_COLOR);
    EXPECT_EQ(host.colours, std::vector<std::uint32_t>{0x004000});
    EXPECT_EQ(QApplication::focusWidget(), green);
    EXPECT_EQ(green->selectedText(), QStringLiteral("64"));
}

TEST_F(LutDialogTest, PrevAndNextStepTheEntries)
{
    Click(IDC_LUT_NEXT);
    Click(IDC_LUT_PREV);
    EXPECT_EQ(host.steps, (std::vector<bool>{true, false}));
}

TEST_F(LutDialogTest, SetsAreCheckedFromAMaskAndApplied)
{
    QTreeWidget *sets = Sets();
    ASSERT_EQ(sets->topLevelItemCount(), 20);
    EXPECT_EQ(sets->topLevelItem(3)->text(0), QStringLiteral("Tri Grays (31)"));
    EXPECT_EQ(sets->topLevelItem(17)->text(0), QStringLiteral("IBM Hues (12)"));
    EXPECT_EQ(sets->headerItem()->text(0), QStringLiteral("Sets"));
    dialog.SetSetChecks(0x10004);
    for (int row = 0; row < 20; ++row)
        EXPECT_EQ(sets->topLevelItem(row)->checkState(0) == Qt::Checked, row == 0 || row == 14) << row;
    sets->topLevelItem(15)->setCheckState(0, Qt::Checked);
    Click(IDC_LUT_APPLY_LUT);
    dialog.SetSetChecks(0);
    Click(IDC_LUT_APPLY_LUT);
    EXPECT_EQ(host.masks, (std::vector<std::uint32_t>{0x30004, 0}));
}

} // namespace

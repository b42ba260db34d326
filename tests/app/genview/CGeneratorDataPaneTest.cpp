// The generator data pane without a generator: what a selection allows,
// the order of the detailed format list, the rows of the name lists and
// where the detailed scan shows its percentage.

#include "CFormatListEntry.h"
#include "CGeneratorDataPane.h"
#include "DataPaneSelectionRules.h"

#include "TestSupport.h"

#include <QListWidget>
#include <QTreeWidget>

#include <cmath>
#include <vector>

namespace {

using Pane = CGeneratorDataPane;
using Flags = DataPaneSelectionFlags;

// --- Selection rules ----------------------------------------------------------------

struct SelectionCase {
    const char *what;
    DataPaneSelectionInput input;
    QList<DataPaneSelectionRow> rows;
    Flags expected; // deletable, recallable, usable
};

DataPaneSelectionInput In(int list, double firmware = 7.0, bool knobListMode = false, const char *inUse = "",
                          bool playing = false, bool filled = false)
{
    DataPaneSelectionInput in;
    in.list = list;
    in.firmware = firmware;
    in.knobListMode = knobListMode;
    in.inUse = QString::fromLatin1(inUse);
    in.playing = playing;
    in.detailedListFilled = filled;
    return in;
}

DataPaneSelectionRow Row(int kind, bool user, const char *name = "ITEM")
{
    return {kind, user, QString::fromLatin1(name)};
}

TEST(DataPaneSelectionRules, FollowTheKindsTheUserFlagsAndTheItemInUse)
{
    const SelectionCase cases[] = {
        {"detailed list filled", In(Pane::kDetailed, 7, false, "", false, true), {}, {false, true, true}},
        {"detailed list empty", In(Pane::kDetailed), {Row(12, true)}, {false, false, false}},
        {"no selection", In(Pane::kFormats), {}, {false, false, false}},
        {"a sequence plays", In(Pane::kFormats, 7, false, "", true), {Row(12, true)}, {false, false, false}},
        {"user format", In(Pane::kFormats), {Row(12, true)}, {true, true, true}},
        {"built-in format", In(Pane::kFormats), {Row(12, false)}, {false, true, true}},
        {"format in use, other case", In(Pane::kFormats, 7, false, "VGA"), {Row(12, true, "vga")}, {false, true, true}},
        {"second row in use", In(Pane::kFormats, 7, false, "b"), {Row(12, true, "A"), Row(12, true, "B")},
         {false, true, true}},
        {"user image, firmware 3.0", In(Pane::kImages, 3.0), {Row(13, true)}, {true, true, true}},
        {"user image, firmware 2.9", In(Pane::kImages, 2.9), {Row(13, true)}, {true, false, true}},
        {"built-in image", In(Pane::kImages), {Row(13, false)}, {false, false, true}},
        {"image in use", In(Pane::kImages, 7, false, "Ramp"), {Row(13, true, "RAMP")}, {false, true, true}},
        {"sequence", In(Pane::kSequences), {Row(14, true)}, {true, true, true}},
        {"sequence in use", In(Pane::kSequences, 7, false, "S1"), {Row(14, true, "s1")}, {false, true, true}},
        {"user font", In(Pane::kFonts), {Row(20, true)}, {true, true, false}},
        {"built-in font", In(Pane::kFonts), {Row(20, false)}, {false, true, false}},
        {"built-in icon", In(Pane::kIcons), {Row(21, false)}, {false, true, false}},
        // In the knob-list list the kinds are the knob lists' classes.
        {"knob list of formats", In(Pane::kKnobLists, 7, true), {Row(12, true)}, {true, true, true}},
        {"built-in knob list of images", In(Pane::kKnobLists, 7, true), {Row(13, false)}, {false, true, true}},
        {"knob list of images, firmware 2", In(Pane::kKnobLists, 2.0, true), {Row(13, true)}, {true, false, true}},
        {"mixed knob list", In(Pane::kKnobLists, 7, true), {Row(15, true)}, {false, true, false}},
        // A mixed knob list decides for the whole selection, rows before it included.
        {"mixed after a user one", In(Pane::kKnobLists, 7, true), {Row(12, true), Row(15, true), Row(14, true)},
         {false, true, false}},
        {"mixed outside knob-list mode", In(Pane::kKnobLists, 7, false), {Row(15, true)}, {false, false, false}},
    };
    for (const SelectionCase &c : cases) {
        const Flags f = ComputeSelectionFlags(c.input, c.rows);
        EXPECT_EQ(f.deletable, c.expected.deletable) << c.what;
        EXPECT_EQ(f.recallable, c.expected.recallable) << c.what;
        EXPECT_EQ(f.usable, c.expected.usable) << c.what;
    }
}

// --- Sort order of the detailed list ----------------------------------------------------

const double kMissing = std::nan("");

CFormatListEntry SortEntry(const char *name, double hRate, double vRate, double pixelRate, int hRes)
{
    CFormatListEntry e;
    e.name = QString::fromLatin1(name);
    e.hRate = hRate;
    e.vRate = vRate;
    e.pixelRate = pixelRate;
    e.hRes = hRes;
    return e;
}

// alpha and Beta share their line rate; Beta has no field rate, delta no
// line or pixel rate.
std::vector<CFormatListEntry> SortEntries()
{
    return {SortEntry("alpha", 31469, 59.94, 25.175, 640), SortEntry("Beta", 31469, kMissing, 25.175, 800),
            SortEntry("gamma", 48363, 60.004, 65.0, 1024), SortEntry("delta", kMissing, 70, kMissing, 640)};
}

QStringList Names(const std::vector<CFormatListEntry> &entries)
{
    QStringList names;
    for (const CFormatListEntry &e : entries)
        names.push_back(e.name);
    return names;
}

TEST(FormatListSort, EqualRatesCompareEqualAndMissingRatesSortLast)
{
    struct Case {
        int column;
        bool ascending;
        QStringList expected;
    };
    const Case cases[] = {
        {kColHRate, true, {"alpha", "Beta", "gamma", "delta"}},
        {kColHRate, false, {"delta", "gamma", "alpha", "Beta"}},
        {kColVRate, true, {"alpha", "gamma", "delta", "Beta"}},
        {kColVRate, false, {"Beta", "delta", "gamma", "alpha"}},
        {kColPixelRate, true, {"alpha", "Beta", "gamma", "delta"}},
        {kColName, true, {"alpha", "Beta", "delta", "gamma"}},
        {kColName, false, {"gamma", "delta", "Beta", "alpha"}},
        {kColHRes, true, {"alpha", "delta", "Beta", "gamma"}},
    };
    for (const Case &c : cases) {
        std::vector<CFormatListEntry> entries = SortEntries();
        std::stable_sort(entries.begin(), entries.end(), [&](const CFormatListEntry &a, const CFormatListEntry &b) {
            return CompareFormatListEntries(a, b, c.column, c.ascending) < 0;
        });
        EXPECT_EQ(Names(entries), c.expected) << "column " << c.column << (c.ascending ? " up" : " down");
    }
}

TEST(FormatListSort, IsAStrictWeakOrderOnEveryColumn)
{
    std::vector<CFormatListEntry> entries = SortEntries();
    entries.push_back(SortEntry("ALPHA", 31469, kMissing, kMissing, 640)); // equal to others, and missing
    for (int column = 0; column < kFormatListColumnCount; ++column) {
        for (bool ascending : {true, false}) {
            auto less = [&](const CFormatListEntry &a, const CFormatListEntry &b) {
                return CompareFormatListEntries(a, b, column, ascending) < 0;
            };
            auto same = [&](const CFormatListEntry &a, const CFormatListEntry &b) { return !less(a, b) && !less(b, a); };
            for (const auto &a : entries) {
                EXPECT_FALSE(less(a, a)) << column;
                for (const auto &b : entries) {
                    EXPECT_FALSE(less(a, b) && less(b, a)) << column;
                    for (const auto &c : entries) {
                        if (less(a, b) && less(b, c)) {
                            EXPECT_TRUE(less(a, c)) << column;
                        }
                        if (same(a, b) && same(b, c)) {
                            EXPECT_TRUE(same(a, c)) << column;
                        }
                    }
                }
            }
        }
    }
}

TEST(FormatListSort, ColumnTextsOfAnEntry)
{
    CFormatListEntry e;
    e.name = QStringLiteral("UF0005");
    e.scan = 2;
    e.hRes = 1920;
    e.vRes = 1080;
    e.SetTiming(33750, 2200, 1125);
    const std::pair<int, const char *> texts[] = {
        {kColName, "UF0005"}, {kColPixelRate, "74.250"}, {kColScan, "Interlace"}, {kColHRes, "1920"},
        {kColVRes, "1080"},   {kColHRate, "33.750"},     {kColVRate, "60.000"},
    };
    for (const auto &[column, text] : texts)
        EXPECT_EQ(FormatListColumnText(e, column), QString::fromLatin1(text)) << column;
    // Totals the generator did not give leave the rates missing, shown empty.
    e.SetTiming(33750, 0, 0);
    EXPECT_TRUE(std::isnan(e.vRate));
    EXPECT_TRUE(std::isnan(e.pixelRate));
    EXPECT_EQ(FormatListColumnText(e, kColVRate), QString());
    EXPECT_EQ(FormatListColumnText(e, kColPixelRate), QString());
    e.scan = 1;
    EXPECT_EQ(FormatListColumnText(e, kColScan), QStringLiteral("Progressive"));
}

// --- Percentage line of the detailed scan ---------------------------------------------------

TEST(FormatScanProgress, ShowsTheLineAtEveryTenthAndOnceForShortLists)
{
    struct Case {
        int count;
        std::vector<int> positions;
    };
    const Case cases[] = {
        {0, {}},
        {1, {0}},
        {9, {0}}, // no tenths: only the first row, and no division by a step of 0
        {10, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {25, {0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24}},
        {450, {0, 45, 90, 135, 180, 225, 270, 315, 360, 405}},
    };
    for (const Case &c : cases) {
        std::vector<int> positions;
        for (int i = 0; i < c.count; ++i) {
            if (Pane::ShowsScanPercentage(i, c.count))
                positions.push_back(i);
        }
        EXPECT_EQ(positions, c.positions) << c.count;
    }
}

// --- The pane's lists, without a generator -----------------------------------------------------

class DataPaneWidgetTest : public PlatformTest {
protected:
    QStringList Rows(int list) const
    {
        QStringList names;
        for (int row = 0; row < pane.NameList(list)->count(); ++row)
            names.push_back(pane.RowName(list, row));
        return names;
    }
    QStringList DetailedRows() const
    {
        QStringList names;
        for (int row = 0; row < pane.FormatListRowCount(); ++row)
            names.push_back(pane.FormatListEntry(row)->name);
        return names;
    }

    Pane pane;
};

TEST_F(DataPaneWidgetTest, NameListsStaySortedAsRowsComeGoAndAreRenamed)
{
    for (const char *name : {"delta", "Alpha", "charlie", "Bravo"})
        pane.AddItem(QString::fromLatin1(name), Pane::kFormats, Pane::kKindFormat, 0);
    EXPECT_EQ(Rows(Pane::kFormats), (QStringList{"Alpha", "Bravo", "charlie", "delta"}));

    pane.NameList(Pane::kFormats)->item(1)->setSelected(true);
    EXPECT_TRUE(pane.RenameItem(Pane::kFormats, QStringLiteral("BRAVO"), QStringLiteral("zulu")));
    EXPECT_EQ(Rows(Pane::kFormats), (QStringList{"Alpha", "charlie", "delta", "zulu"}));
    EXPECT_TRUE(pane.NameList(Pane::kFormats)->item(3)->isSelected());

    EXPECT_TRUE(pane.RemoveItem(Pane::kFormats, QStringLiteral("CHARLIE")));
    EXPECT_FALSE(pane.RemoveItem(Pane::kFormats, QStringLiteral("none")));
    EXPECT_FALSE(pane.RenameItem(Pane::kFormats, QStringLiteral("none"), QStringLiteral("x")));
    EXPECT_EQ(Rows(Pane::kFormats), (QStringList{"Alpha", "delta", "zulu"}));
}

TEST_F(DataPaneWidgetTest, RowRecordsTakeTheirKindAndFlags)
{
    struct Case {
        const char *name;
        int list;
        int kind;
        int knobClass;
        CGeneratorItemState expected; // kind, first, second, user
    };
    // Without a generator no item is reported as user data.
    const Case cases[] = {
        {"F", Pane::kFormats, 12, 0, {12, 1, 0, 0}},
        {"I", Pane::kImages, 13, 0, {13, 0, 0, 0}},
        {"S", Pane::kSequences, 14, 0, {14, 1, 1, 1}},
        {"KI", Pane::kKnobLists, 10, 13, {13, 1, 1, 0}},
        // A knob list whose check failed (class 0) is a mixed one, never kind 0.
        {"K0", Pane::kKnobLists, 10, 0, {15, 1, 1, 0}},
        {"KX", Pane::kKnobLists, 10, 99, {15, 1, 1, 0}},
        {"T", Pane::kFonts, 20, 0, {20, 1, 0, 0}},
        {"M", Pane::kIcons, 21, 0, {21, 1, 0, 0}},
        {"O", Pane::kIcons, 7, 0, {7, 0, 0, 1}},
    };
    for (const Case &c : cases) {
        pane.AddItem(QString::fromLatin1(c.name), c.list, c.kind, c.knobClass);
        const CGeneratorItemState *s = pane.ItemState(c.list, pane.FindRow(c.list, QString::fromLatin1(c.name)));
        ASSERT_NE(s, nullptr) << c.name;
        EXPECT_EQ(s->kind, c.expected.kind) << c.name;
        EXPECT_EQ(s->firstFlag, c.expected.firstFlag) << c.name;
        EXPECT_EQ(s->secondFlag, c.expected.secondFlag) << c.name;
        EXPECT_EQ(s->userFlag, c.expected.userFlag) << c.name;
    }
}

TEST_F(DataPaneWidgetTest, SelectedItemsComeFromTheFirstRowDown)
{
    for (const char *name : {"A", "B", "C", "D"})
        pane.AddItem(QString::fromLatin1(name), Pane::kSequences, Pane::kKindSequence, 0);
    pane.ShowList(Pane::kSequences);
    QListWidget *list = pane.NameList(Pane::kSequences);
    list->item(3)->setSelected(true);
    list->item(1)->setSelected(true);
    const QList<Pane::SelectedItem> selected = pane.SelectedItems();
    ASSERT_EQ(selected.size(), 2);
    EXPECT_EQ(selected[0].name, "B");
    EXPECT_EQ(selected[0].row, 1);
    EXPECT_EQ(selected[0].kind, Pane::kKindSequence);
    EXPECT_TRUE(selected[0].user);
    EXPECT_EQ(selected[1].name, "D");
    pane.SelectAll();
    EXPECT_EQ(pane.SelectedCount(), 4);
    EXPECT_EQ(pane.CurrentListRowCount(), 4);
}

TEST_F(DataPaneWidgetTest, EveryColumnClickReversesTheDirectionAndKeepsTheSelection)
{
    for (const CFormatListEntry &e : SortEntries())
        pane.AddFormatListEntry(e);
    prompter.ExpectMessage(PromptMatch::Id(33394).AndCaption(QStringLiteral("Detailed Format List")), IDNO,
                           MB_YESNO | MB_ICONQUESTION);
    pane.ShowList(Pane::kDetailed);
    pane.SelectRow(Pane::kDetailed, 2); // gamma

    struct Click {
        int column;
        QStringList expected;
    };
    const Click clicks[] = {
        {kColHRate, {"alpha", "Beta", "gamma", "delta"}},  // ascending first
        {kColHRate, {"delta", "gamma", "alpha", "Beta"}},  // the same column: descending
        {kColName, {"alpha", "Beta", "delta", "gamma"}},   // another column: ascending again
        {kColVRate, {"Beta", "delta", "gamma", "alpha"}},  // descending, the missing rate first
    };
    for (const Click &click : clicks) {
        pane.OnColumnClickFormatList(click.column);
        EXPECT_EQ(pane.SortColumn(), click.column);
        EXPECT_EQ(DetailedRows(), click.expected) << click.column;
        const QList<Pane::SelectedItem> selected = pane.SelectedItems();
        ASSERT_EQ(selected.size(), 1);
        EXPECT_EQ(selected[0].name, "gamma");
    }
    EXPECT_EQ(pane.DetailedList()->topLevelItem(0)->text(kColPixelRate), "25.175");
}

} // namespace

// The data pane's scan of a simulated generator through the real library on
// a pseudo-terminal: built-in and user items of every kind in their lists,
// knob lists classified by what they name, the detailed format list, and
// using a format.

#include "CGenerator.h"
#include "CGeneratorDataPane.h"
#include "CGeneratorView.h"

#include "Profile.h"
#include "TestSupport.h"

#include "gensim/Population.h"
#include "gensim/Simulator.h"
#include "PortDialogAnswer.h"

#include <QDialog>
#include <QListWidget>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using Pane = CGeneratorDataPane;
using Lines = std::vector<std::string>;
using gensim::ItemKind;

class DataPaneScanSimTest : public PlatformTest {
protected:
    // A generator on COM1 holding a few user items of every kind beside its
    // built-in ones, and its view (frame made, hidden).
    Pane &Open(const char *firmware)
    {
        sim.addGenerator({.model = "VG-7000", .firmware = firmware, .serial = "4711", .baudRate = 115200, .link = ""});
        gensim::populate(generator(), {.formats = 9, .images = 2, .sequences = 2, .fonts = 1, .pixelMaps = 1});
        const std::pair<const char *, Lines> directories[] = {
            {"KF", {"UF0000", "DMT1075"}},   // formats only
            {"KI", {"UI0001", "Flat"}},      // images only
            {"KS", {"US0000"}},              // sequences only
            {"KM", {"UF0000", "UI0000"}},    // formats and images
            {"KE", {}},                      // nothing
            {"KN", {"NOSUCH"}},              // nothing the generator holds
        };
        for (const auto &[name, entries] : directories)
            generator().seed(ItemKind::Directory, {name, true, false, entries});
        sim.start();
        setenv("MORVANE_COM1", generator().comPath().c_str(), 1);
        AnswerPortDialogCom(prompter, 1);
        auto *connection = new CGenerator(nullptr);
        EXPECT_TRUE(connection->OpenPort());
        view = std::make_unique<CGeneratorView>(connection, nullptr);
        view->CreateFrame();
        return *view->DataPane();
    }

    void TearDown() override
    {
        view.reset();
        unsetenv("MORVANE_COM1");
        PlatformTest::TearDown();
    }

    gensim::Generator &generator() { return sim.generator(0); }
    Pane &pane() { return *view->DataPane(); }

    // Name -> kind and user flag of every row of a list, in row order.
    std::vector<std::tuple<QString, int, bool>> RowsOf(int list)
    {
        std::vector<std::tuple<QString, int, bool>> rows;
        for (int row = 0; row < pane().NameList(list)->count(); ++row) {
            const CGeneratorItemState *s = pane().ItemState(list, row);
            rows.emplace_back(pane().RowName(list, row), int(s->kind), s->userFlag != 0);
        }
        return rows;
    }
    size_t Mark() { return generator().trace().size(); }
    Lines Since(size_t mark)
    {
        const Lines lines = generator().trace().lines();
        return Lines(lines.begin() + long(std::min(mark, lines.size())), lines.end());
    }

    gensim::Simulator sim;
    std::unique_ptr<CGeneratorView> view;
};

using Rows = std::vector<std::tuple<QString, int, bool>>;

TEST_F(DataPaneScanSimTest, ScanFillsEveryListWithBuiltInAndUserItems)
{
    Pane &p = Open("7.021");
    ASSERT_EQ(view->ScanGenerator(), 1);
    EXPECT_TRUE(p.IsScanned());
    EXPECT_TRUE(p.FontsScanned());
    EXPECT_TRUE(p.IconsScanned());
    EXPECT_EQ(p.CurrentList(), Pane::kFormats);
    EXPECT_TRUE(p.NameList(Pane::kFormats)->isVisibleTo(&p));
    EXPECT_EQ(p.windowTitle(), "VG-7000 on " + view->GetGenerator()->GetPortName());

    const Rows formats = RowsOf(Pane::kFormats);
    ASSERT_EQ(formats.size(), 6u + 9u);
    EXPECT_EQ(formats.front(), std::make_tuple(QString("DMT1075"), 12, false));
    EXPECT_EQ(formats[5], std::make_tuple(QString("UF0000"), 12, true));
    EXPECT_EQ(formats.back(), std::make_tuple(QString("VGA_m4"), 12, false));

    EXPECT_EQ(RowsOf(Pane::kImages).size(), 7u + 2u);
    EXPECT_EQ(RowsOf(Pane::kImages)[0], std::make_tuple(QString("ColorBar"), 13, false));
    EXPECT_EQ(RowsOf(Pane::kImages)[7], std::make_tuple(QString("UI0000"), 13, true));
    EXPECT_EQ(RowsOf(Pane::kSequences),
              (Rows{{"NewSeq", 14, true}, {"US0000", 14, true}, {"US0001", 14, true}}));
    EXPECT_EQ(RowsOf(Pane::kFonts), (Rows{{"Fixed_16", 20, false}, {"Fixed_9", 20, false}, {"UT0000", 20, true}}));
    EXPECT_EQ(RowsOf(Pane::kIcons), (Rows{{"Arrow", 21, false}, {"Cursor", 21, false}, {"UM0000", 21, true}}));

    // Knob lists by what they name: 12 formats, 13 images, 14 sequences, 15 mixed or nothing.
    EXPECT_EQ(RowsOf(Pane::kKnobLists), (Rows{{"fmt", 12, false},
                                              {"img", 13, false},
                                              {"KE", 15, true},
                                              {"KF", 12, true},
                                              {"KI", 13, true},
                                              {"KM", 15, true},
                                              {"KN", 15, true},
                                              {"KS", 14, true}}));
    // Reading a knob list leaves it as it was: the marker entry goes again.
    EXPECT_EQ(generator().item(ItemKind::Directory, "KE")->entries, Lines{});
    EXPECT_EQ(generator().item(ItemKind::Directory, "KS")->entries, Lines{"US0000"});
}

TEST_F(DataPaneScanSimTest, KnobListCheckSendsTheMarkerAndTakesItOutAgain)
{
    Open("7.021");
    view->ScanGenerator();
    const size_t mark = Mark();
    EXPECT_EQ(pane().ClassifyKnobList(QStringLiteral("KS")), Pane::kKindSequence);
    EXPECT_EQ(Since(mark), (Lines{"DIRL? KS", "DIRL KS", "NAMI 1 \"123456789\"", "NAMQ? 1 450", "NAMK 123456789",
                                  "DIRL "}));
}

TEST_F(DataPaneScanSimTest, AGeneratorWithoutFontsOrIconsLeavesThoseListsEmpty)
{
    Pane &p = Open("7.011");
    const size_t mark = Mark();
    view->ScanGenerator();
    EXPECT_FALSE(p.FontsScanned());
    EXPECT_FALSE(p.IconsScanned());
    EXPECT_EQ(p.NameList(Pane::kFonts)->count(), 0);
    EXPECT_EQ(p.NameList(Pane::kIcons)->count(), 0);
    for (const std::string &line : Since(mark)) {
        EXPECT_NE(line.rfind("FNTQ?", 0), 0u) << line;
        EXPECT_NE(line.rfind("MAPQ?", 0), 0u) << line;
    }
    EXPECT_EQ(p.NameList(Pane::kFormats)->count(), 15);
}

TEST_F(DataPaneScanSimTest, AKnobListWhoseCheckFailsIsAMixedOne)
{
    Open("7.021");
    generator().fault(gensim::Fault::scriptedReply("DIRL? KF", "0\r\n>"));
    prompter.ExpectMessage(PromptMatch::Text(QStringLiteral("Error Checking KnobList KF")), IDOK);
    view->ScanGenerator();
    const int row = pane().FindRow(Pane::kKnobLists, QStringLiteral("KF"));
    ASSERT_GE(row, 0);
    EXPECT_EQ(pane().ItemState(Pane::kKnobLists, row)->kind, uint32_t(Pane::kKindMixedKnobList));
}

TEST_F(DataPaneScanSimTest, DetailedListHoldsTheFiguresOfEveryFormat)
{
    Pane &p = Open("7.021");
    view->ScanGenerator();
    prompter.ExpectMessage(PromptMatch::Id(33394), IDYES, MB_YESNO | MB_ICONQUESTION);
    p.ShowList(Pane::kDetailed);
    ASSERT_TRUE(p.IsDetailedListFilled());
    ASSERT_EQ(p.FormatListRowCount(), 15);

    struct Expected {
        const char *name;
        int icon;
        int hRes, vRes, scan;
        const char *pixelRate, *hRate, *vRate;
        int videoType, syncCode;
    };
    // From the simulator's timings: pixel rate = line rate x total pixels,
    // field rate = line rate / total lines x scan; AVST 0 takes the digital
    // code (DVST 2 is the video kind's row 10, DVST 9 its row 15).
    const Expected rows[] = {
        {"UF0000", 3, 640, 480, 1, "25.175", "31.469", "59.941", 1, 7},
        {"UF0003", 3, 720, 480, 2, "13.500", "15.734", "59.940", 3, 1},
        {"UF0004", 3, 1280, 1024, 1, "108.000", "63.981", "60.020", 10, 11},
        {"UF0005", 3, 1920, 1080, 2, "74.250", "33.750", "60.000", 15, 5},
        {"VGA_m4", 4, 640, 480, 1, "25.175", "31.469", "59.941", 1, 7},
    };
    std::map<QString, int> rowOf;
    for (int row = 0; row < p.FormatListRowCount(); ++row)
        rowOf[p.FormatListEntry(row)->name] = row;
    for (const Expected &e : rows) {
        SCOPED_TRACE(e.name);
        ASSERT_TRUE(rowOf.count(e.name));
        const CFormatListEntry &entry = *p.FormatListEntry(rowOf[e.name]);
        EXPECT_EQ(entry.icon, e.icon);
        EXPECT_EQ(entry.hRes, e.hRes);
        EXPECT_EQ(entry.vRes, e.vRes);
        EXPECT_EQ(entry.scan, e.scan);
        EXPECT_EQ(FormatListColumnText(entry, kColPixelRate), e.pixelRate);
        EXPECT_EQ(FormatListColumnText(entry, kColHRate), e.hRate);
        EXPECT_EQ(FormatListColumnText(entry, kColVRate), e.vRate);
        EXPECT_EQ(entry.videoType, e.videoType);
        EXPECT_EQ(entry.syncType, e.syncCode);
    }

    // A rescan replaces the rows.
    prompter.ExpectMessage(PromptMatch::Id(33394), IDYES);
    p.ScanFormats();
    EXPECT_EQ(p.FormatListRowCount(), 15);
    // The detailed list allows use and recall, never delete.
    EXPECT_TRUE(view->Flags().usable);
    EXPECT_TRUE(view->Flags().recallable);
    EXPECT_FALSE(view->Flags().deletable);
}

TEST_F(DataPaneScanSimTest, UsingAFormatMakesItCurrentAndNoLongerDeletable)
{
    Pane &p = Open("7.021");
    view->ScanGenerator();
    const int row = p.FindRow(Pane::kFormats, QStringLiteral("UF0004"));
    p.SelectRow(Pane::kFormats, row);
    EXPECT_TRUE(view->Flags().deletable);
    EXPECT_TRUE(view->Flags().usable);

    p.OnDblclkList();
    EXPECT_EQ(generator().selection(ItemKind::Format).inUse, "UF0004");
    EXPECT_EQ(view->GetState().format, "UF0004");
    p.UpdateSelectionState();
    EXPECT_FALSE(view->Flags().deletable);

    // Built-in formats are never deletable; another user one is.
    p.SelectRow(Pane::kFormats, p.FindRow(Pane::kFormats, QStringLiteral("DMT1075")));
    EXPECT_FALSE(view->Flags().deletable);
    p.SelectRow(Pane::kFormats, p.FindRow(Pane::kFormats, QStringLiteral("UF0001")));
    EXPECT_TRUE(view->Flags().deletable);
}

} // namespace

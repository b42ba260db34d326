// Pictures of a generator view whose data pane shows a populated simulated
// generator, connected from the menu and scanned through the real library:
// the lists by kind and the detailed format list, saved to
// $ZOT_SCREENSHOT_DIR when it is set (for a person to look at; nothing
// depends on them). Each also checks what a look would catch: a row whose
// name or figures are cut off, a row without its marks, an empty list.

#include "CGeneratorDataPane.h"
#include "CGeneratorListView.h"
#include "CGeneratorView.h"
#include "CMainWindow.h"
#include "DataKindRegistry.h"
#include "Profile.h"
#include "ShellImages.h"
#include "TestSupport.h"

#include "gensim/Population.h"
#include "gensim/Simulator.h"
#include "PortDialogAnswer.h"

#include <QDialog>
#include <QDir>
#include <QHeaderView>
#include <QImage>
#include <QListWidget>
#include <QSplitter>
#include <QTreeWidget>

#include <cstdlib>
#include <memory>

namespace {

using Pane = CGeneratorDataPane;

class DataPaneScreenshotTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        RegisterProgramDataKinds();
        // Fonts and pixel maps too: every list has rows.
        gensim::Generator &g = sim.addGenerator(
            {.model = "VG-7000", .firmware = "7.021", .serial = "100001", .baudRate = 115200, .link = ""});
        gensim::populate(g, {.formats = 40, .images = 12, .sequences = 4, .directories = 3, .fonts = 2,
                             .pixelMaps = 2});
        sim.start();
        setenv("MORVANE_COM1", g.comPath().c_str(), 1);
        WriteProfileInt("Generator", "PersistentBaudRate", 115200);
        window = std::make_unique<CMainWindow>();
        window->CreateFrame();
        window->show();
    }

    void TearDown() override
    {
        window.reset();
        UnregisterProgramDataKinds();
        unsetenv("MORVANE_COM1");
        PlatformTest::TearDown();
    }

    // Connects COM1 from the menu and opens its view as a double click on
    // its row does, which scans the generator.
    CGeneratorView &OpenView()
    {
        AnswerPortDialogCom(prompter, 1);
        EXPECT_TRUE(window->Router().Execute(ID_CONNECT));
        CGeneratorListView &generators = *window->GetGeneratorListView();
        generators.SelectRow(0, true);
        generators.OnDblclkList();
        CGeneratorView &view = *generators.GetRowView(0);
        view.resize(900, 560);
        QCoreApplication::processEvents();
        return view;
    }


    // Every row of the name list shows its marks and its whole name, and
    // the first rows lie in the visible part of the list.
    static void ExpectNamesShown(const QListWidget &list)
    {
        ASSERT_GT(list.count(), 0);
        const QRect shown = list.viewport()->rect();
        EXPECT_TRUE(shown.contains(list.visualItemRect(list.item(0)))) << "first row in view";
        for (int row = 0; row < list.count(); ++row) {
            const QListWidgetItem *item = list.item(row);
            const QRect cell = list.visualItemRect(item);
            const int needed = list.iconSize().width() + list.fontMetrics().horizontalAdvance(item->text());
            EXPECT_FALSE(item->icon().isNull()) << qPrintable(item->text());
            EXPECT_GE(cell.width(), needed) << qPrintable(item->text()) << " cut off";
        }
    }

    // Every cell of the detailed list shows its whole text in its column.
    static void ExpectFiguresShown(const QTreeWidget &list)
    {
        ASSERT_GT(list.topLevelItemCount(), 0);
        const QFontMetrics metrics = list.fontMetrics();
        for (int row = 0; row < list.topLevelItemCount(); ++row) {
            const QTreeWidgetItem *item = list.topLevelItem(row);
            EXPECT_FALSE(item->icon(0).isNull()) << qPrintable(item->text(0)) << ": user or built-in mark";
            for (int column = 0; column < list.columnCount(); ++column) {
                const int icon = item->icon(column).isNull() ? 0 : list.iconSize().width() + 4;
                const int text = metrics.horizontalAdvance(item->text(column)) + icon;
                EXPECT_FALSE(item->text(column).isEmpty()) << row << "," << column;
                EXPECT_LE(text, list.columnWidth(column)) << qPrintable(item->text(column));
            }
        }
        const QHeaderView &header = *list.header();
        for (int column = 0; column < list.columnCount(); ++column) {
            const QString heading = list.headerItem()->text(column);
            EXPECT_LE(header.fontMetrics().horizontalAdvance(heading), header.sectionSize(column))
                << qPrintable(heading);
        }
    }

    gensim::Simulator sim;
    std::unique_ptr<CMainWindow> window;
};

TEST_F(DataPaneScreenshotTest, ListsByKind)
{
    CGeneratorView &view = OpenView();
    ASSERT_EQ(view.IsScanned(), 1);
    Pane &pane = *view.DataPane();
    EXPECT_GT(pane.width(), 300) << "the splitter gives the data pane room";
    EXPECT_EQ(pane.NameList(Pane::kFormats)->count(), 6 + 40);

    // Every list as its toolbar button shows it, the knob lists last.
    const std::pair<int, int> buttons[] = {{ID_LIST_IMAGES, Pane::kImages},   {ID_LIST_SEQUENCES, Pane::kSequences},
                                           {ID_LIST_FONTS, Pane::kFonts},     {ID_LIST_ICONS, Pane::kIcons},
                                           {ID_LIST_FORMATS, Pane::kFormats}, {ID_LIST_KNOB_LISTS, Pane::kKnobLists}};
    for (const auto &[id, list] : buttons) {
        SCOPED_TRACE(list);
        ASSERT_TRUE(view.Router().Execute(id));
        ASSERT_EQ(pane.CurrentList(), list);
        QCoreApplication::processEvents();
        EXPECT_TRUE(pane.NameList(list)->isVisible());
        ExpectNamesShown(*pane.NameList(list));
        if (list == Pane::kFormats) {
            // A user format selected, as a user sees a selection.
            pane.SelectRow(Pane::kFormats, pane.FindRow(Pane::kFormats, "UF0003"));
            SaveScreenshot(view, QStringLiteral("data-pane-formats"));
        }
    }
    SaveScreenshot(view, QStringLiteral("data-pane-knob-lists"));
}

TEST_F(DataPaneScreenshotTest, DetailedFormatList)
{
    CGeneratorView &view = OpenView();
    Pane &pane = *view.DataPane();
    prompter.ExpectMessage(PromptMatch::Text("Scan the generator for format information?"), IDYES,
                           MB_YESNO | MB_ICONQUESTION);
    ASSERT_TRUE(view.Router().Execute(ID_LIST_DETAILED));
    ASSERT_TRUE(pane.IsDetailedListFilled());
    QTreeWidget &list = *pane.DetailedList();
    EXPECT_TRUE(list.isVisible());
    EXPECT_EQ(list.topLevelItemCount(), 6 + 40);
    // Sorted by horizontal resolution, as a click on its heading sorts.
    pane.OnColumnClickFormatList(3);
    ExpectFiguresShown(list);
    list.topLevelItem(2)->setSelected(true);
    SaveScreenshot(view, QStringLiteral("data-pane-detailed"));
}

} // namespace

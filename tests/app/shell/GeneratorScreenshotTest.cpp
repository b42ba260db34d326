// Pictures of the main window with two simulated generators connected from
// the menu, and of a generator view after its first scan, saved to
// $ZOT_SCREENSHOT_DIR when it is set (for a person to look at; nothing
// depends on them). Each also checks what a look would catch: a row or a
// value left empty, a title or a text cut off.

#include "CGeneratorDialogBar.h"
#include "CGeneratorListView.h"
#include "CGeneratorStatusPane.h"
#include "CGeneratorView.h"
#include "CMainWindow.h"
#include "CStateButton.h"
#include "DataKindRegistry.h"
#include "Profile.h"
#include "ShellImages.h"
#include "TestSupport.h"

#include "gensim/Simulator.h"
#include "PortDialogAnswer.h"

#include <QDialog>
#include <QDir>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QTreeWidget>

#include <cstdlib>
#include <memory>

namespace {

using StatusRow = CGeneratorStatusPane::Row;

class GeneratorScreenshotTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        RegisterProgramDataKinds();
        for (const char *serial : {"100001", "100002"}) {
            gensim::Generator &g = sim.addGenerator(
                {.model = "VG-7000", .firmware = "7.011", .serial = serial, .baudRate = 115200, .link = ""});
            const int com = int(sim.size());
            setenv(QStringLiteral("MORVANE_COM%1").arg(com).toLatin1().constData(), g.comPath().c_str(), 1);
        }
        sim.start();
        WriteProfileInt("Generator", "PersistentBaudRate", 115200);
        window = std::make_unique<CMainWindow>();
        window->CreateFrame();
        window->resize(760, 520);
        window->show();
    }

    void TearDown() override
    {
        window.reset();
        UnregisterProgramDataKinds();
        unsetenv("MORVANE_COM1");
        unsetenv("MORVANE_COM2");
        PlatformTest::TearDown();
    }

    // Generator/Connect with the port dialog choosing COM com.
    bool ConnectFromMenu(int com)
    {
        AnswerPortDialogCom(prompter, com);
        const int rows = Generators().GetRowCount();
        window->Router().Execute(ID_CONNECT);
        return Generators().GetRowCount() == rows + 1;
    }

    CGeneratorListView &Generators() { return *window->GetGeneratorListView(); }


    // Every cell of the list shows its whole text, inside the visible part
    // of the list.
    static void ExpectCellsShown(const QTreeWidget &list)
    {
        const QRect shown = list.viewport()->rect();
        for (int row = 0; row < list.topLevelItemCount(); ++row) {
            const QTreeWidgetItem *item = list.topLevelItem(row);
            const QRect line = list.visualItemRect(item);
            EXPECT_LE(line.bottom(), shown.bottom()) << "row " << row << " below the visible part";
            for (int column = 0; column < list.columnCount(); ++column) {
                const int icon = item->icon(column).isNull() ? 0 : list.iconSize().width() + 4;
                const int left = list.header()->sectionViewportPosition(column);
                const int text = list.fontMetrics().horizontalAdvance(item->text(column)) + icon;
                EXPECT_LE(text, list.columnWidth(column)) << qPrintable(item->text(column));
                EXPECT_LE(left + text, shown.right()) << qPrintable(item->text(column)) << " cut by the pane";
            }
        }
    }

    gensim::Simulator sim;
    std::unique_ptr<CMainWindow> window;
};

TEST_F(GeneratorScreenshotTest, MainWindowWithTwoGenerators)
{
    ASSERT_TRUE(ConnectFromMenu(1));
    ASSERT_TRUE(ConnectFromMenu(2));
    const QStringList rows[] = {
        {"VG-7000", "Com-1", "7.011", "100001", "115200"},
        {"VG-7000", "Com-2", "7.011", "100002", "115200"},
    };
    QTreeWidget &list = *Generators().List();
    ASSERT_EQ(list.topLevelItemCount(), 2);
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 5; ++column)
            EXPECT_EQ(Generators().GetRowText(row, column), rows[row].at(column)) << row << "," << column;
        EXPECT_FALSE(list.topLevelItem(row)->icon(0).isNull()) << "stand-alone unit picture";
    }
    EXPECT_TRUE(list.isVisible());
    EXPECT_GT(list.viewport()->height(), 2 * list.visualItemRect(list.topLevelItem(0)).height())
        << "the pane shows both rows";
    ExpectCellsShown(list);
    Generators().SelectRow(1, true);
    window->UpdateControls();
    SaveScreenshot(*window, QStringLiteral("main-window-two-generators"));
}

TEST_F(GeneratorScreenshotTest, GeneratorViewAfterItsFirstScan)
{
    ASSERT_TRUE(ConnectFromMenu(1));
    sim.generator(0).execute("FMTL \"DMT1075\";FMTU;IMGL SMPTEbar;IMGU;FMTP fmt;IMGP img;XVSG 1 1 1;OUTG 1;IVER 3");
    Generators().SelectRow(0, true);
    Generators().OnDblclkList(); // shows the view and scans the generator
    CGeneratorView &view = *Generators().GetRowView(0);
    ASSERT_TRUE(view.isVisible());
    ASSERT_EQ(view.IsScanned(), 1);
    QCoreApplication::processEvents();

    EXPECT_EQ(view.windowTitle(), "VG-7000 on Com-1");
    const CGeneratorStatusPane &pane = *view.StatusPane();
    const std::pair<int, const char *> values[] = {
        {StatusRow::kRowFirmware, "7.011"},        {StatusRow::kRowSerial, "100001"},      {StatusRow::kRowFormat, "DMT1075"},
        {StatusRow::kRowImage, "SMPTEbar"},        {StatusRow::kRowResolution, "1024 x 768"}, {StatusRow::kRowScanType, "Progressive"},
        {StatusRow::kRowFormatKnob, "fmt"},        {StatusRow::kRowImageKnob, "img"},
    };
    for (const auto &[row, text] : values)
        EXPECT_EQ(pane.RowValue(row), text) << qPrintable(pane.RowLabel(row));
    EXPECT_TRUE(pane.HasMemoryRows());
    EXPECT_TRUE(pane.RowValue(StatusRow::kRowMemoryFree).endsWith(" Bytes"));
    EXPECT_TRUE(pane.isVisible());
    EXPECT_GT(pane.width(), 0) << "the splitter gives the status pane room";
    ExpectCellsShown(*pane.List());
    EXPECT_EQ(view.DialogBar()->Toggle(IDC_OUTPUT)->GetState(), 1);
    EXPECT_EQ(view.DialogBar()->VersionText()->text(), "3");
    for (const QLabel *label : view.DialogBar()->findChildren<QLabel *>()) {
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width())
            << qPrintable(label->text());
    }
    SaveScreenshot(view, QStringLiteral("generator-view"));
}

} // namespace

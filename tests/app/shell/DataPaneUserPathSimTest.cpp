// A user's way through the data pane, end to end, against two simulated
// generators set up as `./zot run` starts them (the first at 9600 baud, the
// second at 115200), through the program's own commands, clicks and keys:
// connect both; scan the first; recall a format into the data list; send it
// back, unedited, under another name; copy it to the second generator;
// rename it there and delete it. The generators' stores are checked after
// every step.

#include "CDataListView.h"
#include "CFormat.h"
#include "CGeneralFormatData.h"
#include "CGeneratorDataPane.h"
#include "CGeneratorListView.h"
#include "CGeneratorView.h"
#include "CMainWindow.h"
#include "CNameDlg.h"
#include "CNameEdit.h"
#include "DataKindRegistry.h"
#include "DialogUnits.h"
#include "DragDelivery.h"
#include "DragLoop.h"
#include "MainWindowFixture.h"
#include "Profile.h"
#include "ShellImages.h"
#include "TestSupport.h"

#include "gensim/Simulator.h"
#include "PortDialogAnswer.h"

#include <QDialog>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

using gensim::ItemKind;
using Pane = CGeneratorDataPane;
using Names = std::vector<std::string>;

class DataPaneUserPathSimTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        RegisterProgramDataKinds();
        const std::pair<const char *, int> generators[] = {{"100001", 9600}, {"100002", 115200}};
        for (const auto &[serial, rate] : generators) {
            gensim::Generator &g =
                sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = serial, .baudRate = rate, .link = ""});
            const int com = int(sim.size());
            setenv(QStringLiteral("MORVANE_COM%1").arg(com).toLatin1().constData(), g.comPath().c_str(), 1);
        }
        sim.start();
        for (size_t i = 0; i < 2; ++i) {
            initialFormats[i] = Formats(i);
            initialFmtDirectory[i] = FmtDirectory(i);
        }
        window = ShowMainWindow();
    }

    void TearDown() override
    {
        g_dragHook = nullptr;
        window.reset();
        UnregisterProgramDataKinds();
        unsetenv("MORVANE_COM1");
        unsetenv("MORVANE_COM2");
        PlatformTest::TearDown();
    }

    // --- What the user does ------------------------------------------------------------

    CGeneratorListView &Generators() { return *window->GetGeneratorListView(); }
    CDataListView &Data() { return *window->GetDataListView(); }

    // A click on the generator list's row (selecting it alone), or a double click.
    void ClickGenerator(int row, bool twice = false)
    {
        QTreeWidget &list = *Generators().List();
        Click(list, list.visualItemRect(list.topLevelItem(row)), twice);
    }

    // Generator/Connect... with the port dialog on COM com.
    void Connect(int com)
    {
        AnswerPortDialogCom(prompter, com);
        ASSERT_TRUE(window->Router().Execute(ID_CONNECT));
    }

    // A click on the row of the formats list of view i's pane.
    void ClickFormat(size_t i, const QString &name)
    {
        Pane &pane = *View(i).DataPane();
        ASSERT_EQ(pane.CurrentList(), Pane::kFormats);
        const int row = pane.FindRow(Pane::kFormats, name);
        ASSERT_GE(row, 0) << qPrintable(name);
        QListWidget &list = *pane.NameList(Pane::kFormats);
        list.scrollToItem(list.item(row));
        Click(list, list.visualItemRect(list.item(row)));
        ASSERT_EQ(pane.SelectedCount(), 1);
        ASSERT_EQ(pane.SelectedItems().first().name, name);
    }

    // The name dialog of a rename takes the new name and its OK.
    void ExpectNameDialog(const QString &name)
    {
        prompter.ExpectDialog(PromptMatch::Caption("Name..."), [name](QDialog &d) {
            FindControl<CNameEdit>(&d, IDC_NAME)->setText(name);
            FindControl<QPushButton>(&d, IDOK)->click();
        });
    }

    // --- What the generators hold ---------------------------------------------------------

    gensim::Generator &Gen(size_t i) { return sim.generator(i); }
    CGeneratorView &View(size_t i) { return *Generators().GetRowView(int(i)); }
    Names Formats(size_t i) { return Gen(i).names(ItemKind::Format); }
    Names FmtDirectory(size_t i) { return Gen(i).item(ItemKind::Directory, "fmt")->entries; }
    // The names with one more, in the store's order (without regard to case).
    static Names With(Names names, const std::string &name)
    {
        names.push_back(name);
        std::sort(names.begin(), names.end(), [](const std::string &a, const std::string &b) {
            return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) < 0;
        });
        return names;
    }
    static bool Contains(const Names &names, const std::string &name)
    {
        return std::find(names.begin(), names.end(), name) != names.end();
    }
    // The formats list of view i's pane, in row order.
    QStringList Rows(size_t i)
    {
        Pane &pane = *View(i).DataPane();
        QStringList rows;
        for (int row = 0; row < pane.NameList(Pane::kFormats)->count(); ++row)
            rows.append(pane.RowName(Pane::kFormats, row));
        return rows;
    }
    static QStringList Sorted(QStringList names)
    {
        names.sort(Qt::CaseInsensitive);
        return names;
    }
    static QStringList ToQt(const Names &names)
    {
        QStringList list;
        for (const std::string &name : names)
            list.append(QString::fromStdString(name));
        return list;
    }

    // A user format of generator i, holding DMT8075's timing (the figures
    // from the simulator's table of built-in formats) under its own name.
    void ExpectCopyOfDmt8075(size_t i, const std::string &name)
    {
        SCOPED_TRACE(name);
        const std::optional<gensim::StoredItem> item = Gen(i).item(ItemKind::Format, name);
        ASSERT_TRUE(item.has_value());
        EXPECT_TRUE(item->user);
        const std::map<std::string, double> figures = {{"HRES", 800}, {"HTOT", 1056}, {"HSPD", 16}, {"HSPW", 80},
                                                       {"VRES", 600}, {"VTOT", 625},  {"VSPD", 1},  {"VSPW", 3},
                                                       {"HRAT", 46875}, {"SCAN", 1}};
        for (const auto &[field, value] : figures)
            EXPECT_DOUBLE_EQ(std::stod(item->fields.at(field)), value) << field;
        EXPECT_EQ(item->fields.at("NAME"), name);
    }

    gensim::Simulator sim;
    std::unique_ptr<CMainWindow> window;
    Names initialFormats[2];
    Names initialFmtDirectory[2];
};

TEST_F(DataPaneUserPathSimTest, ScanRecallSendCopyRenameDelete)
{
    // Connect both; the generators are asked, not changed.
    Connect(1);
    Connect(2);
    ASSERT_EQ(Generators().GetRowCount(), 2);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(Formats(i), initialFormats[i]);
        EXPECT_EQ(Generators().GetRowText(int(i), 3), i == 0 ? "100001" : "100002");
    }

    // Scan the first: a double click on its row shows its view, which scans.
    ClickGenerator(0, true);
    ASSERT_TRUE(View(0).isVisible());
    ASSERT_EQ(View(0).IsScanned(), 1);
    EXPECT_EQ(Rows(0), Sorted(ToQt(initialFormats[0])));
    EXPECT_EQ(Formats(0), initialFormats[0]);

    // Recall DMT8075 into the data list from the toolbar.
    ClickFormat(0, "DMT8075");
    prompter.ExpectMessage(PromptMatch::Text("Recall the Format \"DMT8075\"?"), IDYES);
    ASSERT_TRUE(View(0).Router().Execute(ID_RECALL_ITEMS));
    ASSERT_EQ(Data().GetRowCount(), 1);
    auto *format = dynamic_cast<CFormat *>(Data().GetRowItem(0));
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->GetName(), "DMT8075");
    EXPECT_DOUBLE_EQ(format->Data().hActive, 800);
    EXPECT_DOUBLE_EQ(format->Data().vActive, 600);
    EXPECT_EQ(Formats(0), initialFormats[0]) << "a recall only reads";

    // Edit nothing; rename the data item (a click on its row, which the
    // recall left selected, opens its name dialog as a label edit) and send
    // it to the first generator with Generator/Send Data.
    QTreeWidget &dataList = *Data().List();
    ASSERT_TRUE(dataList.topLevelItem(0)->isSelected());
    ExpectNameDialog("MYDMT");
    Click(dataList, dataList.visualItemRect(dataList.topLevelItem(0)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return prompter.Pending() == 0; }, 5000)) << "no name dialog";
    QCoreApplication::processEvents();
    EXPECT_EQ(format->GetName(), "MYDMT");
    EXPECT_EQ(Formats(0), initialFormats[0]) << "a data item's name is the PC's business";
    ClickGenerator(0);
    prompter.ExpectDialog(PromptMatch::Caption("Data Transfer"), [](QDialog &d) { d.accept(); });
    prompter.ExpectMessage(PromptMatch::Text("The data \"MYDMT\" has been modified.\nDo you wish to save?"), IDNO);
    ASSERT_TRUE(window->Router().Execute(ID_SEND_DATA));
    EXPECT_EQ(Formats(0), With(initialFormats[0], "MYDMT"));
    ExpectCopyOfDmt8075(0, "MYDMT");
    EXPECT_TRUE(Contains(FmtDirectory(0), "MYDMT")) << "a sent format joins the format knob list";
    EXPECT_TRUE(Gen(0).item(ItemKind::Format, "DMT8075").has_value());
    EXPECT_TRUE(Rows(0).contains("MYDMT")) << "the scanned pane shows what was stored";
    EXPECT_EQ(Formats(1), initialFormats[1]);

    // Copy it to the second generator: its view open (and scanned), its row
    // alone selected in the generator list, Copy from the first pane's
    // context menu. The copy goes out as MYDMT_1 and leaves the data list.
    ClickGenerator(1, true);
    ASSERT_EQ(View(1).IsScanned(), 1);
    ClickGenerator(1);
    ClickFormat(0, "MYDMT");
    prompter.ExpectMessage(PromptMatch::Text("Copy the \" Format \" \"MYDMT\"?"), IDYES);
    ASSERT_TRUE(View(0).Router().Execute(ID_CONTEXT_COPY));
    EXPECT_EQ(Formats(1), With(initialFormats[1], "MYDMT_1"));
    ExpectCopyOfDmt8075(1, "MYDMT_1");
    EXPECT_TRUE(Contains(FmtDirectory(1), "MYDMT_1"));
    EXPECT_EQ(Formats(0), With(initialFormats[0], "MYDMT")) << "the source keeps its item, and no MYDMT_1";
    EXPECT_EQ(Sorted(Rows(1)), Sorted(ToQt(With(initialFormats[1], "MYDMT_1"))));
    ASSERT_EQ(Data().GetRowCount(), 1) << "the copy left the data list; the user's item stayed";
    EXPECT_EQ(Data().GetRowItem(0), format);

    // Rename it on the second generator: Edit/Rename and the name dialog.
    ClickFormat(1, "MYDMT_1");
    ExpectNameDialog("TESTFMT");
    ASSERT_TRUE(View(1).Router().Execute(ID_RENAME));
    EXPECT_EQ(Formats(1), With(initialFormats[1], "TESTFMT"));
    ExpectCopyOfDmt8075(1, "TESTFMT");
    EXPECT_TRUE(Contains(FmtDirectory(1), "TESTFMT"));
    EXPECT_FALSE(Contains(FmtDirectory(1), "MYDMT_1"));
    EXPECT_TRUE(Rows(1).contains("TESTFMT"));
    EXPECT_FALSE(Rows(1).contains("MYDMT_1"));

    // Delete it from the toolbar.
    ClickFormat(1, "TESTFMT");
    prompter.ExpectMessage(PromptMatch::Text("Delete the Format \"TESTFMT\"?\n\nThis will permanently erase the item "
                                             "and remove all references to it!\nAre you sure this is what you want?"),
                           IDYES);
    ASSERT_TRUE(View(1).Router().Execute(ID_DELETE));
    EXPECT_EQ(Formats(1), initialFormats[1]);
    EXPECT_EQ(FmtDirectory(1), initialFmtDirectory[1]);
    EXPECT_FALSE(Rows(1).contains("TESTFMT"));
    EXPECT_EQ(Sorted(Rows(1)), Sorted(ToQt(initialFormats[1])));
    // The first generator still holds what was sent to it.
    EXPECT_EQ(Formats(0), With(initialFormats[0], "MYDMT"));
    ExpectCopyOfDmt8075(0, "MYDMT");
}

// A format that a drag copied to the second generator (so that generator's
// format knob list does not name it) is deleted there without a word.
TEST_F(DataPaneUserPathSimTest, DragToTheOtherViewThenDeleteThere)
{
    gensim::StoredItem mine = *Gen(0).item(ItemKind::Format, "DMT8075");
    mine.name = mine.fields["NAME"] = "MYDMT";
    mine.user = true;
    Gen(0).seed(ItemKind::Format, mine);
    Connect(1);
    Connect(2);
    ClickGenerator(0, true);
    ClickGenerator(1, true);
    ASSERT_EQ(View(0).IsScanned(), 1);
    ASSERT_EQ(View(1).IsScanned(), 1);

    // Press on the row and move: the drag runs, and is dropped on the other pane.
    ClickFormat(0, "MYDMT");
    QListWidget &list = *View(0).DataPane()->NameList(Pane::kFormats);
    const QPoint at = list.visualItemRect(list.item(View(0).DataPane()->FindRow(Pane::kFormats, "MYDMT"))).center();
    bool dragged = false;
    g_dragHook = [&](QDrag &drag) {
        dragged = true;
        return DeliverDrag(*View(1).DataPane(), drag);
    };
    prompter.ExpectDialog(PromptMatch::Caption("Data Transfer"), [](QDialog &d) { d.accept(); });
    QTest::mousePress(list.viewport(), Qt::LeftButton, Qt::NoModifier, at);
    // The first move makes the list ready to drag, the next one starts it.
    const QPoint to = at + QPoint(40, 0);
    for (const QPoint &point : {at + QPoint(2, 0), to}) {
        QMouseEvent move(QEvent::MouseMove, point, list.viewport()->mapToGlobal(point), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(list.viewport(), &move);
    }
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, Qt::NoModifier, to);
    ASSERT_TRUE(dragged);
    EXPECT_EQ(Formats(1), With(initialFormats[1], "MYDMT"));
    ExpectCopyOfDmt8075(1, "MYDMT");
    EXPECT_TRUE(Rows(1).contains("MYDMT"));

    ClickFormat(1, "MYDMT");
    prompter.ExpectMessage(PromptMatch::Contains("Delete the Format \"MYDMT\"?"), IDYES);
    ASSERT_TRUE(View(1).Router().Execute(ID_DELETE));
    EXPECT_EQ(Formats(1), initialFormats[1]);
    EXPECT_EQ(FmtDirectory(1), initialFmtDirectory[1]);
    EXPECT_FALSE(Rows(1).contains("MYDMT"));
    EXPECT_EQ(Formats(0), With(initialFormats[0], "MYDMT")) << "the source keeps its item";
}

} // namespace

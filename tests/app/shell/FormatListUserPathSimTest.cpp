// A user's way with format lists, end to end, against two simulated
// generators set up as `./zot run` starts them, through the program's own
// menus, toolbar buttons and clicks: the detailed list of the first
// generator saved as a .fls file, loaded into the second generator's view
// (marked by what that one holds), saved as text, printed, and a format's
// summary printed from its editor. Pictures of the views, the printed pages
// and the files themselves go to $ZOT_SCREENSHOT_DIR when it is set.

#include "CDataListView.h"
#include "CFormat.h"
#include "CFormatEditor.h"
#include "CGeneratorDataPane.h"
#include "CGeneratorListView.h"
#include "CGeneratorView.h"
#include "CMainWindow.h"
#include "DataKindRegistry.h"
#include "FormatListPrintout.h"
#include "FormatPrintout.h"
#include "MainWindowFixture.h"
#include "PdfText.h"
#include "PortDialogAnswer.h"
#include "Profile.h"
#include "ShellImages.h"
#include "TestSupport.h"

#include "gensim/Population.h"
#include "gensim/Simulator.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTest>
#include <QTreeWidget>

#include <cstdlib>
#include <map>

namespace {

using Pane = CGeneratorDataPane;
using gensim::ItemKind;

class FormatListUserPathSimTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        RegisterProgramDataKinds();
        const std::pair<const char *, int> generators[] = {{"100001", 9600}, {"100002", 115200}};
        for (const auto &[serial, rate] : generators) {
            gensim::Generator &g =
                sim.addGenerator({.model = "VG-7000", .firmware = "7.021", .serial = serial, .baudRate = rate, .link = ""});
            const int com = int(sim.size());
            setenv(QStringLiteral("MORVANE_COM%1").arg(com).toLatin1().constData(), g.comPath().c_str(), 1);
        }
        // What the user stored earlier: two formats of their own on the
        // first generator, one of them also on the second.
        gensim::populate(sim.generator(0), {.formats = 2});
        sim.generator(1).seed(ItemKind::Format, gensim::populationFormat(1));
        sim.start();
        window = ShowMainWindow();
    }

    void TearDown() override
    {
        window.reset();
        DataKinds::Unregister(kIconFormat);
        CFormatEditor::SetPrinter(nullptr);
        unsetenv("MORVANE_COM1");
        unsetenv("MORVANE_COM2");
        PlatformTest::TearDown();
    }

    CGeneratorListView &Generators() { return *window->GetGeneratorListView(); }
    CGeneratorView &View(int i) { return *Generators().GetRowView(i); }

    void Connect(int com)
    {
        AnswerPortDialogCom(prompter, com);
        ASSERT_TRUE(window->Router().Execute(ID_CONNECT));
    }

    // A double click on the generator's row shows its view, which scans it.
    void OpenView(int row)
    {
        QTreeWidget &list = *Generators().List();
        const QRect cell = list.visualItemRect(list.topLevelItem(row));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        QCoreApplication::processEvents();
        View(row).resize(900, 520);
        QCoreApplication::processEvents();
    }

    // A menu item or toolbar button of a view, as a click gives it.
    static void Choose(CGeneratorView &view, int id)
    {
        view.Router().Update();
        QAction *action = view.Router().Action(id);
        ASSERT_TRUE(action->isEnabled()) << id;
        action->trigger();
        QCoreApplication::processEvents();
    }

    // A copy of a file the program wrote, for a person to look at.
    static void Keep(const QString &path)
    {
        const QString folder = qEnvironmentVariable("ZOT_SCREENSHOT_DIR");
        if (folder.isEmpty())
            return;
        QDir().mkpath(folder);
        const QString copy = QDir(folder).filePath(QStringLiteral("userpath_") + QFileInfo(path).fileName());
        QFile::remove(copy);
        EXPECT_TRUE(QFile::copy(path, copy)) << qPrintable(copy);
    }

    static std::map<QString, int> Marks(const Pane &pane)
    {
        std::map<QString, int> marks;
        for (const CFormatListEntry &e : pane.FormatListEntries())
            marks[e.name] = e.icon;
        return marks;
    }

    gensim::Simulator sim;
    std::unique_ptr<CMainWindow> window;
};

TEST_F(FormatListUserPathSimTest, SaveLoadReportAndPrintTheFormatListThenASummary)
{
    Connect(1);
    Connect(2);
    ASSERT_EQ(Generators().GetRowCount(), 2);

    // The first generator's detailed list: its toolbar button and Yes to the scan.
    OpenView(0);
    ASSERT_EQ(View(0).IsScanned(), 1);
    prompter.ExpectMessage(PromptMatch::Id(33394), IDYES, MB_YESNO | MB_ICONQUESTION);
    Choose(View(0), ID_LIST_DETAILED);
    Pane &first = *View(0).DataPane();
    ASSERT_EQ(first.FormatListRowCount(), 8);
    SaveScreenshot(View(0), "userpath_1_first_generator_detailed");

    // File/Save Format List...
    const QString fls = TempPath("first.fls");
    prompter.ExpectFile(PromptMatch::Caption("Save Format List..."), FileResult{true, {fls}, 1});
    Choose(View(0), ID_SAVE_FORMAT_LIST);
    ASSERT_TRUE(QFile::exists(fls));
    Keep(fls);

    // The second generator's view: File/Load Format List... shows the list
    // at once, marked by what this generator holds.
    OpenView(1);
    ASSERT_EQ(View(1).IsScanned(), 1);
    prompter.ExpectFile(PromptMatch::Caption("Load a Format List..."), FileResult{true, {fls}, 1});
    Choose(View(1), ID_LOAD_FORMAT_LIST);
    Pane &second = *View(1).DataPane();
    ASSERT_TRUE(second.IsDetailedMode());
    ASSERT_EQ(second.FormatListRowCount(), 8);
    EXPECT_EQ(Marks(second), (std::map<QString, int>{{"DMT1075", 4}, {"DMT1275", 4}, {"DMT8075", 4}, {"HDTV_2J", 4},
                                                      {"NTSC_601", 4}, {"UF0000", 15}, {"UF0001", 3}, {"VGA_m4", 4}}));
    EXPECT_EQ(Marks(first).at("UF0000"), 3) << "the first generator holds both of the user's formats";
    EXPECT_TRUE(View(1).Router().Action(ID_LIST_DETAILED)->isChecked());
    SaveScreenshot(View(1), "userpath_2_second_generator_loaded");

    // File/Save Format List As Text...
    const QString txt = TempPath("second.txt");
    prompter.ExpectFile(PromptMatch::Id(10030), FileResult{true, {txt}, 1});
    Choose(View(1), ID_SAVE_FORMAT_LIST_TEXT);
    QFile report(txt);
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    const QByteArray text = report.readAll();
    EXPECT_TRUE(text.startsWith("Format List\r\n" + QByteArray(50, '=') + "\r\n\r\n"));
    EXPECT_TRUE(text.contains("UF0000: (640 x 480), Progressive, Built-in\r\n")) << text.constData();
    EXPECT_TRUE(text.contains("UF0001: (800 x 600), Progressive, User\r\n")) << text.constData();
    EXPECT_EQ(text.count("======================================================================\r\n"), 8);
    Keep(txt);

    // File/Print Format List... to a PDF file.
    const QString listPdf = TempPath("second_list.pdf");
    prompter.ExpectPrint(ScriptedPrint::Pdf(listPdf));
    Choose(View(1), ID_PRINT_FORMAT_LIST);
    EXPECT_EQ(pdf_text::Info(listPdf, "Pages"), "1");
    const QStringList printed = pdf_text::Lines(listPdf, pdf_text::kSimplified);
    ASSERT_EQ(printed.size(), 2 + 8 * 6);
    EXPECT_EQ(printed[0], "Page: 1 Format List");
    Keep(listPdf);
    const FormatListPrintout pages(second.FormatListEntries());
    SaveScreenshot(PrintedPageImage(pages, 0, QSize(827, 1169)), "userpath_3_format_list_page_1");

    // A format's summary from its editor: the formats list, DMT8075 clicked,
    // "Recall and edit" on the toolbar, then File/Print in the editor.
    Choose(View(0), ID_LIST_FORMATS);
    QListWidget &formats = *first.NameList(Pane::kFormats);
    const int row = first.FindRow(Pane::kFormats, "DMT8075");
    ASSERT_GE(row, 0);
    QTest::mouseClick(formats.viewport(), Qt::LeftButton, Qt::NoModifier,
                      formats.visualItemRect(formats.item(row)).center());
    QCoreApplication::processEvents();
    prompter.ExpectMessage(PromptMatch::Text("Recall the Format \"DMT8075\"?"), IDYES);
    Choose(View(0), ID_RECALL_AND_EDIT);
    auto *format = dynamic_cast<CFormat *>(window->GetDataListView()->GetRowItem(0));
    ASSERT_NE(format, nullptr);
    auto *editor = dynamic_cast<CFormatEditor *>(format->GetEditor());
    ASSERT_NE(editor, nullptr);
    SaveScreenshot(*editor, "userpath_4_editor");
    const QString summaryPdf = TempPath("DMT8075.pdf");
    prompter.ExpectPrint(ScriptedPrint::Pdf(summaryPdf, QPageSize::Letter));
    editor->Router().Update();
    ASSERT_TRUE(editor->Router().Action(ID_FORMAT_PRINT)->isEnabled());
    editor->Router().Action(ID_FORMAT_PRINT)->trigger();
    EXPECT_EQ(pdf_text::Info(summaryPdf, "Pages"), "1");
    EXPECT_EQ(pdf_text::Info(summaryPdf, "Title"), "DMT8075");
    const QStringList summary = pdf_text::Lines(summaryPdf, pdf_text::kSimplified);
    ASSERT_GE(summary.size(), 12);
    EXPECT_EQ(summary[0], "Format Name : DMT8075");
    EXPECT_TRUE(summary.contains("| Horz: 46.875 KHz |")) << qPrintable(summary.join('\n'));
    EXPECT_TRUE(summary.contains("| Period | 1056 pixs 21.333 uS | 625 lines 13.333 mS |"))
        << qPrintable(summary.join('\n'));
    Keep(summaryPdf);
    SaveScreenshot(PrintedPageImage(FormatPrintout(editor->WorkingCopy()), 0, QSize(850, 1100)),
                   "userpath_5_format_summary");
    EXPECT_EQ(prompter.Pending(), 0u);
}

} // namespace

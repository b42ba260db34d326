// The user's first session, through the menu commands only: start the
// program, make a format, save it, close; start again, open it, write its
// command file and import that file back.
#include "CAboutDlg.h"
#include "CDataListView.h"
#include "CFormat.h"
#include "CMainWindow.h"
#include "CManagerApp.h"
#include "CNameDlg.h"
#include "CNameEdit.h"
#include "CSelectDataTypeDlg.h"
#include "DialogUnits.h"
#include "ShellTestSupport.h"

#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace {

class EndToEndTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        CAboutDlg::SetSplashInterval(10);
    }
    void TearDown() override
    {
        app.reset();
        CAboutDlg::SetSplashInterval(0);
        ShellTest::TearDown();
    }

    // A fresh start of the program; the splash goes by itself.
    CMainWindow &Start()
    {
        app.reset();
        app = std::make_unique<CManagerApp>();
        prompter.ExpectDialog(PromptMatch::Caption("About ZOT"), [](QDialog &splash) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return !splash.isVisible(); }, 10000));
        });
        EXPECT_TRUE(app->InitInstance());
        return *app->MainWindow();
    }

    static bool Run(CMainWindow &main, int id) { return main.Router().Execute(id); }

    static QByteArray ReadAll(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    std::unique_ptr<CManagerApp> app;
};

TEST_F(EndToEndTest, CreateSaveReopenExportAndImportAFormat)
{
    const QString dataFile = TempPath("ntsc.fmt");
    const QString cmdFile = TempPath("ntsc.cmd");
    const QString cmdAgain = TempPath("again.cmd");

    CMainWindow *main = &Start();
    CDataListView *list = main->GetDataListView();
    EXPECT_TRUE(main->isVisible());

    // File/New: the data-type dialog, Format.
    prompter.ExpectDialog(PromptMatch::Caption("Select a data type"), [](QDialog &dialog) {
        auto &select = static_cast<CSelectDataTypeDlg &>(dialog);
        ASSERT_GE(select.m_list->count(), 1);
        EXPECT_EQ(select.m_list->item(0)->text(), "Format");
        select.m_list->setCurrentRow(0);
        FindControl<QPushButton>(&select, IDOK)->click();
    });
    ASSERT_TRUE(Run(*main, ID_FILE_NEW));
    ASSERT_EQ(list->GetRowCount(), 1);
    ASSERT_NE(dynamic_cast<CFormat *>(list->GetRowItem(0)), nullptr) << "a real format";

    // Its name, through the name dialog that editing a row's label opens.
    prompter.ExpectDialog(PromptMatch::Caption("Name..."), [](QDialog &dialog) {
        FindControl<CNameEdit>(&dialog, IDC_NAME)->setText("Ntsc_e2");
        FindControl<QPushButton>(&dialog, IDOK)->click();
    });
    list->List()->editItem(list->List()->topLevelItem(0), 0);
    QCoreApplication::processEvents(); // the item's change notice is posted
    EXPECT_EQ(list->GetRowText(0, 0), "Ntsc_e2");

    // File/Save As into the temporary folder (File/New left the new row
    // selected and the commands recomputed), then close the program.
    prompter.ExpectFile(PromptMatch::Id(33061), {true, {dataFile}, 1});
    ASSERT_TRUE(Run(*main, ID_FILE_SAVE_AS));
    EXPECT_EQ(list->GetRowText(0, 1), dataFile);
    EXPECT_FALSE(list->GetRowItem(0)->IsModified());
    EXPECT_TRUE(main->close()) << "nothing left to save: no question";
    ASSERT_TRUE(QFile::exists(dataFile));

    // Start again and File/Open the saved file.
    main = &Start();
    list = main->GetDataListView();
    EXPECT_EQ(list->GetRowCount(), 0);
    prompter.ExpectFile(PromptMatch::Id(33066), {true, {dataFile}, 1});
    ASSERT_TRUE(Run(*main, ID_FILE_OPEN));
    ASSERT_EQ(list->GetRowCount(), 1);
    EXPECT_EQ(list->GetRowText(0, 0), "Ntsc_e2");
    EXPECT_EQ(list->GetRowText(0, 1), dataFile);

    // File/Write CMD File.
    prompter.ExpectFile(PromptMatch::Id(10021), {true, {cmdFile}, 1});
    ASSERT_TRUE(Run(*main, ID_WRITE_CMD_FILE));
    const QByteArray written = ReadAll(cmdFile);
    EXPECT_TRUE(written.startsWith("// RARU\r\n// 2.000\r\nFMTN Ntsc_e2\r\nFMTB\r\nNAME Ntsc_e2\r\n")) << written.left(60).toStdString();
    EXPECT_TRUE(written.endsWith("FMTE\r\nFMTA Ntsc_e2\r\n"));

    // File/Import/CMD Script brings the same format back as a new row.
    prompter.ExpectFile(PromptMatch::Id(10005), {true, {cmdFile}, 1});
    ASSERT_TRUE(Run(*main, ID_IMPORT_CMD));
    ASSERT_EQ(list->GetRowCount(), 2);
    EXPECT_EQ(list->GetRowText(1, 0), "Ntsc_e2");
    EXPECT_EQ(list->GetRowText(1, 1), "<no associated file>");
    EXPECT_TRUE(list->GetRowItem(1)->IsModified());

    // The imported format writes the same command file.
    list->DeselectAll();
    list->SelectRow(1, true);
    main->UpdateControls();
    prompter.ExpectFile(PromptMatch::Id(10021), {true, {cmdAgain}, 1});
    ASSERT_TRUE(Run(*main, ID_WRITE_CMD_FILE));
    EXPECT_EQ(ReadAll(cmdAgain), written);

    // Closing asks about the imported, unsaved format only.
    prompter.ExpectMessage(PromptMatch::Id(32973), IDNO);
    EXPECT_TRUE(main->close());
}

} // namespace

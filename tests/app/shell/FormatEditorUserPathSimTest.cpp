// A user's way through the format editor against a simulated generator, as
// `./zot run` starts it, through the program's own menus, keys and clicks:
// connect; File/New a format; open it from the data list; type CEA 1080p60;
// check it (F2) on the generator; save it (Ctrl+S); close and reopen it
// unchanged; send it. Then 2160p60, which the generator refuses (2071).

#include "CDataListView.h"
#include "CFormat.h"
#include "CFormatEditor.h"
#include "CFormatOptions.h"
#include "CGeneralFormatData.h"
#include "CGenerator.h"
#include "CGeneratorListView.h"
#include "CMainWindow.h"
#include "CSelectDataTypeDlg.h"
#include "DataKindRegistry.h"
#include "DialogUnits.h"
#include "MainWindowFixture.h"
#include "Profile.h"
#include "ResourceIds.h"
#include "ShellImages.h"
#include "TestSupport.h"
#include "TimingModel.h"

#include "gensim/Simulator.h"
#include "PortDialogAnswer.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <cstdlib>
#include <map>
#include <string>

namespace {

using T = TimingModel;
using gensim::ItemKind;

class FormatEditorUserPathSimTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        RegisterProgramDataKinds();
        gensim::Generator &g =
            sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = "100001", .baudRate = 9600, .link = ""});
        setenv("MORVANE_COM1", g.comPath().c_str(), 1);
        sim.start();
        window = ShowMainWindow(QSize());
    }

    void TearDown() override
    {
        if (editor)
            editor->hide();
        window.reset();
        DataKinds::Unregister(kIconFormat);
        SetEditorFactory<CFormat>({});
        CFormatEditor::SetGeneratorGate(nullptr);
        unsetenv("MORVANE_COM1");
        PlatformTest::TearDown();
    }

    CDataListView &Data() { return *window->GetDataListView(); }

    // A double click on the data list's row, as the user opens an editor.
    void OpenEditor(int row)
    {
        QTreeWidget &list = *Data().List();
        const QRect cell = list.visualItemRect(list.topLevelItem(row));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        QCoreApplication::processEvents();
        editor = dynamic_cast<CFormatEditor *>(Data().GetRowItem(row)->GetEditor());
        ASSERT_NE(editor, nullptr);
        editor->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(editor));
    }

    QLineEdit *Edit(int id) const { return FindControl<QLineEdit>(editor, id); }

    void Enter(int id, const QString &text)
    {
        QLineEdit *edit = Edit(id);
        ASSERT_NE(edit, nullptr) << id;
        edit->setFocus(Qt::TabFocusReason);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    // The user back in the editor after a box.
    void Activate()
    {
        editor->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(editor));
    }

    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : editor.data();
        QTest::keyClick(target, Qt::Key(key), modifiers);
        QCoreApplication::processEvents();
    }

    // The Timing page as a user fills it in Machine units: counts, then the pixel rate with A.
    void TypeTiming(const std::map<int, const char *> &counts, const char *mhz)
    {
        editor->ShowPage(CFormatEditor::kTiming);
        for (const auto &[id, text] : counts)
            Enter(id, QString::fromLatin1(text));
        QTest::mouseClick(FindControl<QWidget>(editor, IDC_RATE_SELECT_A), Qt::LeftButton);
        Enter(IDC_PIXEL_RATE, QString::fromLatin1(mhz));
    }

    std::map<std::string, std::string, std::less<>> Stored(const std::string &name)
    {
        const std::optional<gensim::StoredItem> item = sim.generator(0).item(ItemKind::Format, name);
        return item ? item->fields : std::map<std::string, std::string, std::less<>>{};
    }

    // Whether the generator was told line, in this run.
    bool Told(const std::string &line)
    {
        for (const std::string &told : sim.generator(0).trace().lines()) {
            if (told == line)
                return true;
        }
        return false;
    }

    gensim::Simulator sim;
    std::unique_ptr<CMainWindow> window;
    QPointer<CFormatEditor> editor;
};

const std::map<int, const char *> kCea1080p60 = {
    {IDC_H_ACTIVE, "1920"}, {IDC_H_TOTAL, "2200"}, {IDC_H_DELAY, "88"}, {IDC_H_WIDTH, "44"},
    {IDC_V_ACTIVE, "1080"}, {IDC_V_TOTAL, "1125"}, {IDC_V_DELAY, "4"},  {IDC_V_WIDTH, "5"},
};
const std::map<int, const char *> kCea2160p60 = {
    {IDC_H_ACTIVE, "3840"}, {IDC_H_TOTAL, "4400"}, {IDC_H_DELAY, "176"}, {IDC_H_WIDTH, "88"},
    {IDC_V_ACTIVE, "2160"}, {IDC_V_TOTAL, "2250"}, {IDC_V_DELAY, "8"},   {IDC_V_WIDTH, "10"},
};

TEST_F(FormatEditorUserPathSimTest, CreateCheckSaveReopenSend)
{
    // Generator/Connect... on COM1.
    AnswerPortDialogCom(prompter, 1);
    ASSERT_TRUE(window->Router().Execute(ID_CONNECT));
    ASSERT_EQ(window->GetGeneratorListView()->GetRowCount(), 1);
    ASSERT_NE(g_pCurrentGenerator, nullptr) << "the generator just connected is the current one";

    // File/New..., a Format.
    prompter.ExpectDialog(PromptMatch::Caption("Select a data type"), [](QDialog &dialog) {
        auto &select = static_cast<CSelectDataTypeDlg &>(dialog);
        select.m_list->setCurrentRow(0);
        FindControl<QPushButton>(&select, IDOK)->click();
    });
    ASSERT_TRUE(window->Router().Execute(ID_FILE_NEW));
    ASSERT_EQ(Data().GetRowCount(), 1);
    auto *format = dynamic_cast<CFormat *>(Data().GetRowItem(0));
    ASSERT_NE(format, nullptr);

    OpenEditor(0);
    editor->ShowPage(CFormatEditor::kOptions);
    Enter(IDC_FORMAT_NAME, QStringLiteral("CEA1080"));
    Enter(IDC_VIDEO_SWING, QStringLiteral("0.8")); // reaches the working copy only at a commit
    TypeTiming(kCea1080p60, "148.5");
    EXPECT_EQ(Edit(IDC_LINE_RATE)->text(), QStringLiteral("67.500"));
    EXPECT_EQ(Edit(IDC_FIELD_RATE)->text(), QStringLiteral("60.000"));

    // Check (F2): the generator passes what the pages hold, and stores nothing.
    sim.generator(0).trace().clear();
    prompter.ExpectMessage(PromptMatch::Text(QStringLiteral("Format Passed Check Using: Com-1")).AndCaption("Format Check"),
                           IDOK, MB_OK | MB_ICONINFORMATION);
    Key(Qt::Key_F2);
    EXPECT_EQ(prompter.Pending(), 0u);
    EXPECT_TRUE(Told("HRES 1920"));
    EXPECT_TRUE(Told("HTOT 2200"));
    EXPECT_TRUE(Told("VTOT 1125"));
    EXPECT_TRUE(Told("AVSS 0.800")) << "the Options page was written into the working copy first";
    EXPECT_TRUE(Told("FMTG?"));
    EXPECT_FALSE(sim.generator(0).item(ItemKind::Format, "CEA1080").has_value());
    EXPECT_EQ(format->Data().hActive, 640) << "a check does not commit to the item";
    Activate();

    // Ctrl+S: Save As, the first time.
    const QString path = TempPath(QStringLiteral("CEA1080.fmt"));
    prompter.ExpectFile(PromptMatch::Id(IDS_SAVE_TITLE), FileResult{true, {path}, 1});
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(format->GetName(), QStringLiteral("CEA1080"));
    EXPECT_EQ(Data().GetRowText(0, 1), path);
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("CEA1080  ") + path);

    // Close (nothing to ask) and reopen: the same values.
    QStringList shown;
    for (int id : {IDC_PIXEL_RATE, IDC_LINE_RATE, IDC_FIELD_RATE, IDC_H_ACTIVE, IDC_H_TOTAL,
                   IDC_H_DELAY, IDC_V_TOTAL, IDC_V_WIDTH, IDC_H_PERIOD_TIME})
        shown.append(Edit(id)->text());
    ASSERT_TRUE(editor->Router().Execute(ID_FILE_CLOSE));
    QCoreApplication::processEvents();
    EXPECT_FALSE(format->IsEditorOpen());
    OpenEditor(0);
    QStringList reopened;
    for (int id : {IDC_PIXEL_RATE, IDC_LINE_RATE, IDC_FIELD_RATE, IDC_H_ACTIVE, IDC_H_TOTAL,
                   IDC_H_DELAY, IDC_V_TOTAL, IDC_V_WIDTH, IDC_H_PERIOD_TIME})
        reopened.append(Edit(id)->text());
    EXPECT_EQ(reopened, shown);
    EXPECT_EQ(format->Data().pixelRate, 148.5e6);

    // Generator/Send Data with the generator's row and the format's row selected.
    QTreeWidget &generators = *window->GetGeneratorListView()->List();
    QTest::mouseClick(generators.viewport(), Qt::LeftButton, Qt::NoModifier,
                      generators.visualItemRect(generators.topLevelItem(0)).center());
    ASSERT_TRUE(Data().IsRowSelected(0));
    prompter.ExpectDialog(PromptMatch::Caption("Data Transfer"), [](QDialog &d) { d.accept(); });
    ASSERT_TRUE(window->Router().Execute(ID_SEND_DATA));
    const auto fields = Stored("CEA1080");
    ASSERT_FALSE(fields.empty());
    const std::map<std::string, double> expected = {{"HRES", 1920}, {"HTOT", 2200}, {"HSPD", 88}, {"HSPW", 44},
                                                    {"VRES", 1080}, {"VTOT", 1125}, {"VSPD", 4},  {"VSPW", 5},
                                                    {"HRAT", 67500}, {"SCAN", 1},   {"AVSS", 0.8}};
    for (const auto &[field, value] : expected)
        EXPECT_DOUBLE_EQ(std::stod(fields.at(field)), value) << field;

    // 2160p60 breaks the generator's 400 MHz limit.
    Activate();
    TypeTiming(kCea2160p60, "594");
    prompter.ExpectMessage(PromptMatch::Text(QStringLiteral("Format Error: 2071\nPixel rate too high"))
                               .AndCaption("Format Error Using: Com-1"),
                           IDOK, MB_OK | MB_ICONEXCLAMATION);
    Key(Qt::Key_F2);
    EXPECT_EQ(prompter.Pending(), 0u);
    EXPECT_DOUBLE_EQ(std::stod(Stored("CEA1080").at("HTOT")), 2200) << "a failed check stores nothing";
    SaveScreenshot(*editor, QStringLiteral("format-editor-2160p60"));
    prompter.ExpectMessage(PromptMatch::Id(IDS_SAVE_QUESTION), IDNO);
    editor->close();
}

} // namespace

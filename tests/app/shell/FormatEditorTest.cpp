// The format editor as a user meets it: opened from the data list of the
// main window, driven by keys and clicks offscreen, saved and closed through
// the program's own commands and the data list's save.

#include "Archive.h"
#include "CDataListView.h"
#include "CFormat.h"
#include "CFormatEditor.h"
#include "CFormatOptions.h"
#include "CFormatTiming.h"
#include "CFormatWorksheet1.h"
#include "CGeneralFormatData.h"
#include "CGenerator.h"
#include "CNumericEdit.h"
#include "CValueEdit.h"
#include "DataKindRegistry.h"
#include "DialogUnits.h"
#include "PdfText.h"
#include "ResourceIds.h"
#include "ShellImages.h"
#include "ShellTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

namespace {

using T = TimingModel;
using W = WorksheetCalculation;

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class FormatEditorTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        RegisterProgramDataKinds(); // the real format in place of the test kind
        MakeWindow();
    }

    void TearDown() override
    {
        CFormatEditor::SetPrinter(nullptr);
        CGenerator::MakeCurrent(nullptr);
        ShellTest::TearDown();
        SetEditorFactory<CFormat>({});
        CFormatEditor::SetGeneratorGate(nullptr);
    }

    CFormat *NewFormat() { return static_cast<CFormat *>(window->NewDataItem(kIconFormat)); }

    // Edit, as a double click on the row runs it; the editor shown and active.
    CFormatEditor *Open(CFormat *format)
    {
        List().DeselectAll();
        List().SelectRow(List().FindRow(format), true);
        List().EditSelected();
        auto *opened = dynamic_cast<CFormatEditor *>(format->GetEditor());
        EXPECT_NE(opened, nullptr);
        if (!opened)
            return nullptr;
        editor = opened;
        opened->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(opened));
        return opened;
    }

    QLineEdit *Edit(int id) const { return FindControl<QLineEdit>(editor, id); }

    void Focus(QWidget *widget)
    {
        widget->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
    }

    // Types text over what control id shows.
    void Type(int id, const QString &text)
    {
        QLineEdit *edit = Edit(id);
        ASSERT_NE(edit, nullptr) << id;
        Focus(edit);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }

    void Enter(int id, const QString &text)
    {
        Type(id, text);
        QTest::keyClick(Edit(id), Qt::Key_Return);
    }

    void Click(int id)
    {
        auto *button = FindControl<QAbstractButton>(editor, id);
        ASSERT_NE(button, nullptr) << id;
        QTest::mouseClick(button, Qt::LeftButton);
        QCoreApplication::processEvents();
    }

    void ShowPage(CFormatEditor::Page page)
    {
        editor->ShowPage(page);
        QCoreApplication::processEvents();
    }

    // Ctrl+S or F2 where the focus is, as the keyboard gives them.
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : editor.data();
        QTest::keyClick(target, Qt::Key(key), modifiers);
        QCoreApplication::processEvents();
    }

    void ExpectSaveAs(const QString &path)
    {
        prompter.ExpectFile(PromptMatch::Id(IDS_SAVE_TITLE), FileResult{true, {path}, 1});
    }

    // A format file as the program writes it.
    QString WriteFormat(const QString &name, const CGeneralFormatData &data)
    {
        CFormat format;
        format.Data() = data;
        format.SetName(data.name);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        CArchive ar(&buffer, CArchive::store);
        format.StoreObject(ar, false);
        ar.Flush();
        return WriteFile(name, buffer.data());
    }

    CFormat *OpenFile(const QString &path)
    {
        EXPECT_TRUE(List().OpenFile(path));
        return static_cast<CFormat *>(List().GetRowItem(List().GetRowCount() - 1));
    }

    QPointer<CFormatEditor> editor;
};

TEST_F(FormatEditorTest, OpensOnTimingAndTitlesNameMarkAndFile)
{
    CFormat *format = NewFormat();
    Open(format);
    EXPECT_EQ(editor->Tabs()->currentIndex(), CFormatEditor::kTiming);
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Format  <no associated file>"));
    EXPECT_EQ(editor->parentWidget(), nullptr);
    // Pages are made when first shown.
    EXPECT_FALSE(editor->Options()->IsCreated());
    EXPECT_TRUE(editor->Timing()->IsCreated());

    ShowPage(CFormatEditor::kOptions);
    Type(IDC_FORMAT_NAME, QStringLiteral("VGA"));
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("VGA * <no associated file>"));
    EXPECT_EQ(format->GetCurrentName(), QStringLiteral("VGA"));
    EXPECT_EQ(format->GetName(), QStringLiteral("Format")); // the item has not taken it

    const QString path = TempPath(QStringLiteral("vga.fmt"));
    ExpectSaveAs(path);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("VGA  ") + path);
    EXPECT_EQ(format->GetName(), QStringLiteral("VGA"));
    EXPECT_FALSE(format->IsModified());

    // Renaming the item while the editor is open changes the name edit.
    format->SetName(QStringLiteral("SVGA"));
    EXPECT_EQ(Edit(IDC_FORMAT_NAME)->text(), QStringLiteral("SVGA"));
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("SVGA  ") + path);
}

TEST_F(FormatEditorTest, CtrlSAndF2WorkOnEveryPage)
{
    CFormat *format = NewFormat();
    Open(format);
    const QString path = TempPath(QStringLiteral("keys.fmt"));
    for (int page = CFormatEditor::kOptions; page <= CFormatEditor::kWorksheet2; ++page) {
        SCOPED_TRACE(page);
        ShowPage(CFormatEditor::Page(page));
        if (QWidget *first = editor->Tabs()->currentWidget()->findChild<QLineEdit *>())
            Focus(first);
        if (page == CFormatEditor::kOptions)
            ExpectSaveAs(path); // the first save names the file
        QFile::remove(path);
        Key(Qt::Key_S, Qt::ControlModifier);
        EXPECT_TRUE(QFile::exists(path));
        prompter.ExpectMessage(PromptMatch::Text(QStringLiteral("Please Select A Generator First")), IDOK, MB_OK);
        Key(Qt::Key_F2);
        EXPECT_EQ(prompter.Pending(), 0u);
    }
    // Save As always asks for the file.
    ExpectSaveAs(TempPath(QStringLiteral("other.fmt")));
    EXPECT_TRUE(editor->Router().Execute(ID_FILE_SAVE_AS));
    EXPECT_TRUE(QFile::exists(TempPath(QStringLiteral("other.fmt"))));
    EXPECT_EQ(format->GetFilePath(), TempPath(QStringLiteral("other.fmt")));
}

TEST_F(FormatEditorTest, EnterTakesAnEntryTabAndRejectGiveTheStoredOneBack)
{
    CFormat *format = NewFormat();
    Open(format);
    // Left with Tab: not taken.
    Type(IDC_H_ACTIVE, QStringLiteral("1024"));
    QTest::keyClick(Edit(IDC_H_ACTIVE), Qt::Key_Tab);
    EXPECT_EQ(Edit(IDC_H_ACTIVE)->text(), QStringLiteral("640"));
    EXPECT_EQ(editor->WorkingCopy().hActive, 640);
    EXPECT_FALSE(editor->IsModified());

    Enter(IDC_H_ACTIVE, QStringLiteral("1024"));
    EXPECT_EQ(editor->WorkingCopy().hActive, 1024);
    EXPECT_EQ(Edit(IDC_H_TOTAL)->text(), QStringLiteral("1024")); // the total follows a larger active
    EXPECT_EQ(Edit(IDC_H_ACTIVE)->selectedText(), QStringLiteral("1024"));
    EXPECT_TRUE(editor->windowTitle().contains(QStringLiteral(" * ")));

    Type(IDC_H_ACTIVE, QStringLiteral("700"));
    Click(IDC_REJECT_ENTRY);
    EXPECT_EQ(Edit(IDC_H_ACTIVE)->text(), QStringLiteral("1024"));
    EXPECT_EQ(editor->WorkingCopy().hActive, 1024);

    // What Enter takes is stored as typed, not as three decimals.
    Click(IDC_RATE_SELECT_A);
    EXPECT_EQ(QApplication::focusWidget(), Edit(IDC_PIXEL_RATE));
    Enter(IDC_PIXEL_RATE, QStringLiteral("148.351648"));
    EXPECT_EQ(Edit(IDC_PIXEL_RATE)->text(), QStringLiteral("148.352"));
    ExpectSaveAs(TempPath(QStringLiteral("precise.fmt")));
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(format->Data().pixelRate, 148351648.0);

    // Typed and not taken before Ctrl+S: the save keeps the stored value.
    Type(IDC_PIXEL_RATE, QStringLiteral("5000"));
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(format->Data().pixelRate, 148351648.0);
}

TEST_F(FormatEditorTest, ARefusedEntrySaysWhichFieldAndKeepsTheValue)
{
    Open(NewFormat());
    prompter.ExpectMessage(PromptMatch::Contains(QStringLiteral("Horizontal Active (pixels): \"1.2.3\"")), IDOK);
    Enter(IDC_H_ACTIVE, QStringLiteral("1.2.3"));
    EXPECT_EQ(Edit(IDC_H_ACTIVE)->text(), QStringLiteral("640"));
    EXPECT_EQ(editor->WorkingCopy().hActive, 640);
    EXPECT_FALSE(editor->IsModified());
}

TEST_F(FormatEditorTest, NumericEditsTakeOnlyDigitsAndThePointTypedOrPasted)
{
    Open(NewFormat());
    auto *edit = dynamic_cast<CNumericEdit *>(Edit(IDC_H_TOTAL));
    ASSERT_NE(edit, nullptr);
    const struct {
        const char *input;
        const char *typed;
        const char *pasted;
    } cases[] = {
        {"12.5", "12.5", "12.5"}, {"-40", "40", ""}, {"1e5", "15", ""}, {"a7", "7", ""}, {"+3", "3", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.input);
        Focus(edit);
        edit->clear();
        QTest::keyClicks(edit, QString::fromLatin1(c.input));
        EXPECT_EQ(edit->text(), QString::fromLatin1(c.typed));
        edit->clear();
        QApplication::clipboard()->setText(QString::fromLatin1(c.input));
        edit->paste();
        EXPECT_EQ(edit->text(), QString::fromLatin1(c.pasted));
    }
    edit->setText(QStringLiteral("123"));
    edit->end(false);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), QStringLiteral("12"));
}

TEST_F(FormatEditorTest, EscapeClosesNothing)
{
    Open(NewFormat());
    Focus(Edit(IDC_H_ACTIVE));
    Key(Qt::Key_Escape);
    QTest::keyClick(editor.data(), Qt::Key_Escape);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_NE(editor->Window(), nullptr);
}

TEST_F(FormatEditorTest, CloseAsksAndYesSavesNoDropsCancelStays)
{
    const struct {
        const char *name;
        bool titleBar;
        int answer;
        bool open;       // the editor is still there
        double hActive;  // what the item holds
    } cases[] = {
        {"menu, Cancel", false, IDCANCEL, true, 640},
        {"menu, No", false, IDNO, false, 640},
        {"menu, Yes", false, IDYES, false, 720},
        {"title bar, Cancel", true, IDCANCEL, true, 640},
        {"title bar, No", true, IDNO, false, 640},
        {"title bar, Yes", true, IDYES, false, 720},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        CFormat *format = NewFormat();
        Open(format);
        Enter(IDC_H_ACTIVE, QStringLiteral("720"));
        prompter.ExpectMessage(PromptMatch::Id(IDS_SAVE_QUESTION), c.answer, MB_YESNOCANCEL | MB_ICONQUESTION);
        if (c.answer == IDYES)
            ExpectSaveAs(TempPath(QString::fromLatin1(c.name).remove(u' ').remove(u',') + QStringLiteral(".fmt")));
        if (c.titleBar)
            editor->close();
        else
            ASSERT_TRUE(editor->Router().Execute(ID_FILE_CLOSE));
        QCoreApplication::processEvents(); // WM_EDITOR_CLOSED
        EXPECT_EQ(format->IsEditorOpen(), c.open);
        EXPECT_EQ(editor.isNull(), !c.open);
        EXPECT_EQ(format->Data().hActive, c.hActive);
        if (c.open) {
            EXPECT_TRUE(editor->isVisible());
        }
        prompter.VerifyAllUsed();
        format->CloseEditor(); // as after WM_EDITOR_CLOSED, for the next case
    }
}

TEST_F(FormatEditorTest, ReopeningShowsTheOpenEditorWithItsEdits)
{
    CFormat *format = NewFormat();
    Open(format);
    CFormatEditor *first = editor;
    Enter(IDC_V_ACTIVE, QStringLiteral("500"));
    editor->hide();
    Open(format);
    EXPECT_EQ(editor.data(), first);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(Edit(IDC_V_ACTIVE)->text(), QStringLiteral("500"));
    EXPECT_TRUE(format->IsModified());

    // Closed with No and opened again: the item's values.
    prompter.ExpectMessage(PromptMatch::Id(IDS_SAVE_QUESTION), IDNO);
    editor->Router().Execute(ID_FILE_CLOSE);
    QCoreApplication::processEvents();
    Open(format);
    EXPECT_EQ(Edit(IDC_V_ACTIVE)->text(), QStringLiteral("480"));
}

TEST_F(FormatEditorTest, SyncSelectShowsTheRowOfItsCodeAndKeepsAnUntouchedCode)
{
    const struct {
        int stored;
        int row;    // shown
        int choose; // -1: left alone
        int saved;
    } cases[] = {
        {11, 3, -1, 11}, {3, 4, -1, 3}, {4, 4, -1, 4}, {13, 11, -1, 13},
        {1, 1, 3, 11},   {1, 1, 11, 13}, {1, 1, 4, 3}, {3, 4, 4, 3}, {11, 3, 2, 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.stored << " " << c.choose);
        CGeneralFormatData data;
        ASSERT_TRUE(data.syncSelect.SetCode(c.stored));
        data.name = QStringLiteral("SYNC");
        const QString path = WriteFormat(QStringLiteral("sync.fmt"), data);
        CFormat *format = OpenFile(path);
        Open(format);
        ShowPage(CFormatEditor::kOptions);
        auto *combo = FindControl<QComboBox>(editor, IDC_SYNC_SELECT);
        EXPECT_EQ(combo->count(), 12);
        EXPECT_EQ(combo->currentIndex(), c.row);
        if (c.choose >= 0) {
            combo->setCurrentIndex(c.choose);
            emit combo->activated(c.choose);
        }
        Key(Qt::Key_S, Qt::ControlModifier);
        EXPECT_EQ(format->Data().syncSelect.GetCode(), c.saved);
        format->CloseEditor();
    }
}

TEST_F(FormatEditorTest, AFormatFileOpenedAndSavedStaysByteForByte)
{
    // Values no page shows as stored: many decimals, a depth the list lacks,
    // a code two rows share, back porch and Time units, a size unit of inches.
    CGeneralFormatData data;
    data.name = QStringLiteral("ODD");
    data.pixelRate = 148351648.35;
    data.pixelPeriod = 1 / data.pixelRate;
    data.lineRate = data.pixelRate / 2200;
    data.fieldRate = data.lineRate / 1125;
    data.hTotal = 2200;
    data.hTotalTime = 2200 / data.pixelRate;
    data.gammaOn = 1;
    data.gamma = 2.25;
    data.videoSwing = 0.71428;
    data.syncSwing = 0.28571;
    data.pedestalOn = 1;
    data.pedestalLevel = 7.55;
    data.syncSelect.SetCode(3);
    data.pixelDepth = 16;
    data.timeEntryUnits = 1;
    data.backPorchMode = 1;
    data.hBackPorchPixels = 1234.5;
    data.sizeUnit = 1;
    data.hSizeInches = 12.3456789;
    data.hImageSize = 99.5;
    data.syncOnRed = 2;
    const QString path = WriteFormat(QStringLiteral("odd.fmt"), data);
    const QByteArray before = ReadAll(path);
    ASSERT_FALSE(before.isEmpty());
    CFormat *format = OpenFile(path);
    Open(format);
    ShowPage(CFormatEditor::kOptions);
    ShowPage(CFormatEditor::kTiming);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ReadAll(path).toHex(' '), before.toHex(' '));
    EXPECT_FALSE(format->IsModified());
    EXPECT_EQ(FindControl<QComboBox>(editor, IDC_PIXEL_DEPTH)->currentIndex(), -1);
    EXPECT_TRUE(FindControl<QRadioButton>(editor, IDC_TIME_UNITS)->isChecked());
}

TEST_F(FormatEditorTest, OptionNumbersAreReadOnlyWhenChangedAndOnlyWhenNumbers)
{
    CGeneralFormatData data;
    data.name = QStringLiteral("LEVELS");
    data.gammaOn = 0;
    data.gamma = 2.25; // shown as 2.2
    const QString path = WriteFormat(QStringLiteral("levels.fmt"), data);
    CFormat *format = OpenFile(path);
    Open(format);
    ShowPage(CFormatEditor::kOptions);
    QLineEdit *gamma = Edit(IDC_GAMMA);
    EXPECT_FALSE(gamma->isVisible());
    Click(IDC_GAMMA_ON);
    EXPECT_TRUE(gamma->isVisible());
    EXPECT_EQ(gamma->text(), QStringLiteral("2.2"));
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(format->Data().gamma, 2.25);
    EXPECT_EQ(format->Data().gammaOn, 1);

    prompter.ExpectMessage(PromptMatch::Contains(QStringLiteral("Video Swing: \"1.2.3\"")), IDOK);
    Type(IDC_VIDEO_SWING, QStringLiteral("1.2.3"));
    Type(IDC_SYNC_SWING, QStringLiteral("0.25"));
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(format->Data().videoSwing, 0.7);
    EXPECT_EQ(format->Data().syncSwing, 0.25);
    EXPECT_EQ(Edit(IDC_VIDEO_SWING)->text(), QStringLiteral("0.700"));

    // An emptied name is not taken.
    Type(IDC_FORMAT_NAME, QString());
    EXPECT_TRUE(editor->windowTitle().startsWith(QStringLiteral("LEVELS * ")));
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(format->GetName(), QStringLiteral("LEVELS"));
}

TEST_F(FormatEditorTest, SwitchesToggleAndTheChangeIsOfferedForSaving)
{
    CFormat *format = NewFormat();
    format->SetModified(false);
    Open(format);
    ShowPage(CFormatEditor::kOptions);
    EXPECT_FALSE(format->IsModified());
    Click(IDC_SYNC_ON_R);
    Click(IDC_POLARITY_V);
    EXPECT_TRUE(format->IsModified());
    EXPECT_EQ(format->Data().syncOnRed, 0); // not before the save
    ExpectSaveAs(TempPath(QStringLiteral("switches.fmt")));
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(format->Data().syncOnRed, 1);
    EXPECT_EQ(format->Data().vSyncPolarity, 1);
    EXPECT_EQ(format->Data().hSyncPolarity, 0);
}

TEST_F(FormatEditorTest, WorksheetApplyReachesTheTimingPage)
{
    Open(NewFormat());
    ShowPage(CFormatEditor::kWorksheet1);
    EXPECT_EQ(FindControl<QLabel>(editor, IDC_WS_V_TOTAL)->text(), QStringLiteral("1257"));
    Enter(IDC_WS_V_RESOLUTION, QStringLiteral("1024"));
    EXPECT_EQ(editor->Worksheet1()->Calculation().In().vResolution, 1024);
    // The accept button takes the entry being typed.
    Type(IDC_WS_H_RESOLUTION, QStringLiteral("1280"));
    Click(IDC_ACCEPT_ENTRY);
    EXPECT_EQ(editor->Worksheet1()->Calculation().In().hResolution, 1280);
    prompter.ExpectMessage(PromptMatch::Contains(QStringLiteral("Line Blanking (%)")), IDOK);
    Enter(IDC_WS_BLANKING_PERCENT, QStringLiteral("150"));
    EXPECT_EQ(Edit(IDC_WS_BLANKING_PERCENT)->text(), QStringLiteral("20.00"));
    Click(IDC_APPLY_TO_FORMAT);
    ShowPage(CFormatEditor::kTiming);
    EXPECT_EQ(Edit(IDC_H_ACTIVE)->text(), QStringLiteral("1280"));
    EXPECT_EQ(Edit(IDC_H_TOTAL)->text(), QStringLiteral("1600"));
    EXPECT_EQ(Edit(IDC_V_ACTIVE)->text(), QStringLiteral("1024"));
    EXPECT_EQ(Edit(IDC_FIELD_RATE)->text(), QStringLiteral("75.000"));
    EXPECT_TRUE(editor->IsModified());
}

TEST_F(FormatEditorTest, PrintCommitsButLeavesTheEditsToBeSaved)
{
    CFormat *format = NewFormat();
    format->SetModified(false);
    Open(format);
    // A program without a printout offers Print disabled.
    CFormatEditor::SetPrinter(nullptr);
    editor->Router().Update();
    EXPECT_FALSE(editor->Router().Action(ID_FORMAT_PRINT)->isEnabled());
    int printed = 0;
    CFormatEditor::SetPrinter([&printed](CFormatEditor &e) {
        e.CommitForPrint();
        ++printed;
    });
    editor->Router().Update();
    Enter(IDC_H_ACTIVE, QStringLiteral("720"));
    ASSERT_TRUE(editor->Router().Execute(ID_FORMAT_PRINT));
    EXPECT_EQ(printed, 1);
    EXPECT_EQ(format->Data().hActive, 720);
    EXPECT_TRUE(format->IsModified());
    prompter.ExpectMessage(PromptMatch::Id(IDS_SAVE_QUESTION), IDCANCEL);
    editor->Router().Execute(ID_FILE_CLOSE);
    EXPECT_TRUE(format->IsEditorOpen());
}

TEST_F(FormatEditorTest, PrintPutsTheEditedFormatOnOnePage)
{
    CFormat *format = NewFormat();
    format->SetModified(false);
    Open(format);
    editor->Router().Update();
    ASSERT_TRUE(editor->Router().Action(ID_FORMAT_PRINT)->isEnabled());
    EXPECT_EQ(editor->Router().Action(ID_FORMAT_PRINT)->text(), QStringLiteral("Print"));

    // Cancel: the edit is in the item, nothing is printed.
    Enter(IDC_H_ACTIVE, QStringLiteral("720"));
    prompter.ExpectPrint(ScriptedPrint::Cancel());
    ASSERT_TRUE(editor->Router().Execute(ID_FORMAT_PRINT));
    EXPECT_EQ(format->Data().hActive, 720);
    EXPECT_TRUE(format->IsModified());

    // What the page shows is what the editor holds, typed but not yet stored included.
    Type(IDC_V_ACTIVE, QStringLiteral("400"));
    QTest::keyClick(Edit(IDC_V_ACTIVE), Qt::Key_Return);
    const QString pdf = TempPath(QStringLiteral("format.pdf"));
    prompter.ExpectPrint(ScriptedPrint::Pdf(pdf, QPageSize::Letter));
    ASSERT_TRUE(editor->Router().Execute(ID_FORMAT_PRINT));
    EXPECT_EQ(pdf_text::Info(pdf, QStringLiteral("Pages")), QStringLiteral("1"));
    EXPECT_EQ(pdf_text::Info(pdf, QStringLiteral("Title")), format->Data().name);
    const QStringList lines = pdf_text::Lines(pdf, pdf_text::kSimplified);
    ASSERT_GE(lines.size(), 10);
    EXPECT_EQ(lines[0], QStringLiteral("Format Name : Format"));
    EXPECT_TRUE(lines.contains(QStringLiteral("| Active | 720 pixs 28.600 uS | 400 lines 12.711 mS |")))
        << qPrintable(lines.join(u'\n'));
    EXPECT_EQ(format->Data().vActive, 400);
    EXPECT_TRUE(format->IsModified());
    EXPECT_EQ(prompter.Messages().size(), 0u);
}

TEST_F(FormatEditorTest, CheckIsRefusedWhileAToolHasTheGeneratorBusy)
{
    TestGeneratorView *view = AddGenerator(0x00020001, QStringLiteral("VG-7000"), QStringLiteral("Com-1"));
    Open(NewFormat());
    CGenerator::MakeCurrent(view->Connection());
    view->SetBusy(true);
    prompter.ExpectMessage(PromptMatch::Contains(QStringLiteral("busy")), IDOK, MB_OK | MB_ICONEXCLAMATION);
    Key(Qt::Key_F2);
    EXPECT_EQ(prompter.Pending(), 0u);
}

// Pictures of each page ($ZOT_SCREENSHOT_DIR), with what a look would
// catch checked: text cut off, values that do not fit their edits, a
// highlighted group in its colours.
TEST_F(FormatEditorTest, Screenshots)
{
    Open(NewFormat());
    editor->resize(editor->sizeHint());
    const auto expectFits = [this] {
        QWidget *page = editor->Tabs()->currentWidget();
        for (const QLabel *label : page->findChildren<QLabel *>()) {
            if (!label->text().isEmpty() && label->isVisible()) {
                EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width())
                    << qPrintable(label->text());
            }
        }
        for (const QLineEdit *edit : page->findChildren<QLineEdit *>()) {
            if (edit->isVisible()) {
                EXPECT_LT(edit->fontMetrics().horizontalAdvance(edit->text()), edit->width() - 6)
                    << qPrintable(edit->objectName());
            }
        }
    };
    const std::pair<CFormatEditor::Page, const char *> pages[] = {{CFormatEditor::kOptions, "format-editor-options"},
                                                                   {CFormatEditor::kWorksheet1, "format-editor-worksheet1"},
                                                                   {CFormatEditor::kWorksheet2, "format-editor-worksheet2"}};
    for (const auto &[page, name] : pages) {
        SCOPED_TRACE(name);
        ShowPage(page);
        expectFits();
        SaveScreenshot(*editor, QString::fromLatin1(name));
    }
    ShowPage(CFormatEditor::kTiming);
    Focus(Edit(IDC_H_TOTAL)); // the horizontal counts highlighted
    EXPECT_EQ(dynamic_cast<CNumericEdit *>(Edit(IDC_H_BLANK))->Colours(),
              (EntryColours{CEntryGroup::kDarkRed, CEntryGroup::kWhite}));
    expectFits();
    SaveScreenshot(*editor, QStringLiteral("format-editor-timing-machine"));
    Click(IDC_TIME_UNITS);
    Focus(Edit(IDC_V_PERIOD_TIME)); // the vertical times highlighted
    EXPECT_EQ(dynamic_cast<CNumericEdit *>(Edit(IDC_V_BLANK_TIME))->Colours(),
              (EntryColours{CEntryGroup::kDarkRed, CEntryGroup::kWhite}));
    EXPECT_FALSE(Edit(IDC_V_TOTAL)->isEnabled());
    expectFits();
    SaveScreenshot(*editor, QStringLiteral("format-editor-timing-time"));
}

} // namespace

#include "DialogUnits.h"
#include "Prompts.h"
#include "TestSupport.h"

#include <QDialog>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QTimer>

#include <gtest/gtest-spi.h>

namespace {

class PromptsTest : public PlatformTest {};

TEST_F(PromptsTest, BoxesAreAnsweredFromTheScriptAndRecorded)
{
    prompter.ExpectMessage(PromptMatch::Id(0xE000), IDYES, MB_YESNOCANCEL | MB_ICONQUESTION)
        .ExpectMessage(PromptMatch::Text(QStringLiteral("Handshake failed.")).AndCaption(QStringLiteral("Zotware")),
                       IDOK, MB_OK | MB_ICONEXCLAMATION);
    QWidget owner;
    EXPECT_EQ(MessageBox(&owner, 0xE000u, QStringLiteral("Save changes..."), MB_YESNOCANCEL | MB_ICONQUESTION), IDYES);
    EXPECT_EQ(AfxMessageBox(QStringLiteral("Handshake failed."), MB_OK | MB_ICONEXCLAMATION), IDOK);
    ASSERT_EQ(prompter.Records().size(), 2u);
    EXPECT_EQ(prompter.Records()[0].textId, 0xE000u);
    EXPECT_EQ(prompter.Records()[0].text, QStringLiteral("Zotware"));
    EXPECT_EQ(prompter.Records()[0].caption, QStringLiteral("Save changes..."));
    EXPECT_EQ(prompter.Records()[0].parent, &owner);
    EXPECT_EQ(prompter.Records()[1].parent, nullptr);
}

TEST_F(PromptsTest, UnexpectedOrWrongPromptsFailTheTest)
{
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedPrompter inner;
            EXPECT_EQ(AfxMessageBox(QStringLiteral("Delete?"), MB_YESNO), IDNO);
        },
        "unexpected message box");
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedPrompter inner;
            inner.ExpectMessage(PromptMatch::Text(QStringLiteral("Sure?")), IDOK);
            EXPECT_EQ(AfxMessageBox(QStringLiteral("Sure?"), MB_YESNO), IDNO);
        },
        "a button this box does not have");
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedPrompter inner;
            inner.ExpectMessage(PromptMatch::Text(QStringLiteral("Sure?")), IDYES, MB_YESNO | MB_ICONQUESTION);
            AfxMessageBox(QStringLiteral("Sure?"), MB_YESNO | MB_ICONEXCLAMATION);
        },
        "flags 0x34 instead of 0x24");
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedPrompter inner;
            inner.ExpectFolder(PromptMatch::Caption(QStringLiteral("Choose")), QStringLiteral("/tmp"));
            inner.VerifyAllUsed();
        },
        "never came");
}

TEST_F(PromptsTest, StandingAnswersServeRepeatedBoxes)
{
    prompter.AllowMessage(PromptMatch::Caption(QStringLiteral("Communication Error")), IDOK);
    prompter.ExpectMessage(PromptMatch::Contains(QStringLiteral("Continue")), IDNO);
    for (int i = 0; i < 3; ++i)
        MessageBox(nullptr, QStringLiteral("Command: \"HRES\"\nTime-out"), QStringLiteral("Communication Error"),
                   MB_ICONEXCLAMATION);
    EXPECT_EQ(AfxMessageBox(QStringLiteral("Continue sending?"), MB_YESNO), IDNO);
    EXPECT_EQ(prompter.Messages().size(), 4u);
}

// A dialog whose OK refuses an empty name and says so in a box.
class NameDialog : public QDialog {
public:
    NameDialog()
    {
        setWindowTitle(QStringLiteral("Name"));
        SetControlId(&edit, 1001);
        edit.setParent(this);
    }
    void accept() override
    {
        if (edit.text().isEmpty()) {
            AfxMessageBox(QStringLiteral("A name is needed."), MB_OK | MB_ICONSTOP);
            return;
        }
        accepted = edit.text();
        QDialog::accept();
    }
    QLineEdit edit;
    QString accepted;
};

TEST_F(PromptsTest, DialogsAreFilledByTheScriptAndRunTheirOwnOk)
{
    NameDialog dialog;
    prompter.ExpectDialog(PromptMatch::Caption(QStringLiteral("Name")),
                          [](QDialog &d) {
                              d.accept(); // refused: empty
                              ASSERT_TRUE(d.isVisible());
                              FindControl<QLineEdit>(&d, 1001)->setText(QStringLiteral("FMT_1"));
                              d.accept();
                          })
        .ExpectMessage(PromptMatch::Text(QStringLiteral("A name is needed.")), IDOK);
    EXPECT_EQ(DoModal(dialog), IDOK);
    EXPECT_EQ(dialog.accepted, QStringLiteral("FMT_1"));

    NameDialog other;
    prompter.ExpectDialog(PromptMatch::Caption(QStringLiteral("Name")), [](QDialog &d) { d.reject(); });
    EXPECT_EQ(DoModal(other), IDCANCEL);
    EXPECT_TRUE(other.accepted.isEmpty());
}

TEST_F(PromptsTest, FileFolderAndDocumentRequestsGoThroughTheScript)
{
    FileResult chosen{true, {TempPath(QStringLiteral("a.fmt"))}, 2};
    prompter.ExpectFile(PromptMatch::Caption(QStringLiteral("Open ZOT Data...")), chosen)
        .ExpectFolder(PromptMatch::Caption(QStringLiteral("Choose a destination folder...")), QString())
        .ExpectDocument(DocumentKind::TextEditor, PromptMatch::Text(QStringLiteral("/tmp/bad.cmd")));
    FileRequest request;
    request.title = QStringLiteral("Open ZOT Data...");
    request.filter = QStringLiteral("Format Data (*.fmt)|*.fmt|Image Data (*.img)|*.img||");
    const FileResult result = PromptForFile(request);
    EXPECT_TRUE(result.accepted);
    EXPECT_EQ(result.paths, chosen.paths);
    EXPECT_EQ(result.filterIndex, 2);
    EXPECT_TRUE(BrowseForFolder({nullptr, QStringLiteral("Choose a destination folder..."), QString()}).isEmpty());
    EXPECT_TRUE(OpenInTextEditor(QStringLiteral("/tmp/bad.cmd")));
}

TEST_F(PromptsTest, PrintDialogsGiveAPdfPrinterOrNothing)
{
    const QString pdf = TempPath(QStringLiteral("out.pdf"));
    prompter.ExpectPrint(ScriptedPrint::Pdf(pdf, QPageSize::Letter, QPageLayout::Landscape))
        .ExpectPrint(ScriptedPrint::Cancel());
    QWidget owner;
    PrintRequest request;
    request.parent = &owner;
    const std::unique_ptr<QPrinter> printer = PromptForPrinter(request);
    ASSERT_NE(printer, nullptr);
    EXPECT_EQ(printer->outputFormat(), QPrinter::PdfFormat);
    EXPECT_EQ(printer->outputFileName(), pdf);
    EXPECT_EQ(printer->pageLayout().pageSize().id(), QPageSize::Letter);
    EXPECT_EQ(printer->pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(PromptForPrinter(request), nullptr);
    ASSERT_EQ(prompter.Records().size(), 2u);
    EXPECT_EQ(prompter.Records()[0].kind, PromptKind::Print);
    EXPECT_EQ(prompter.Records()[0].answer, IDOK);
    EXPECT_EQ(prompter.Records()[0].parent, &owner);
    EXPECT_EQ(prompter.Records()[1].answer, IDCANCEL);
    EXPECT_EQ(prompter.PrintRequests().size(), 2u);

    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedPrompter inner;
            EXPECT_EQ(PromptForPrinter(PrintRequest()), nullptr);
        },
        "unexpected print dialog");
    // A prompter that knows no printer cancels.
    struct NoPrinter : Prompter {
        int Message(const MessageRequest &) override { return IDOK; }
        FileResult File(const FileRequest &) override { return {}; }
        QString Folder(const FolderRequest &) override { return {}; }
        int Modal(QDialog &) override { return IDCANCEL; }
        bool OpenDocument(DocumentKind, const QString &) override { return false; }
    } none;
    InstallPrompter(&none);
    EXPECT_EQ(PromptForPrinter(PrintRequest()), nullptr);
    InstallPrompter(&prompter);
}

TEST_F(PromptsTest, TheQtPrintDialogOffersPageOneAndGivesItsPrinterOnOk)
{
    InstallPrompter(nullptr); // the dialogs a user sees
    QWidget owner;
    PrintRequest request;
    request.parent = &owner;
    for (const bool ok : {false, true}) {
        SCOPED_TRACE(ok);
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            seen = true;
            EXPECT_EQ(dialog->parentWidget(), &owner);
            EXPECT_EQ(dialog->minPage(), 1);
            EXPECT_EQ(dialog->maxPage(), 1);
            EXPECT_EQ(dialog->fromPage(), 1);
            EXPECT_EQ(dialog->toPage(), 1);
            ok ? dialog->accept() : dialog->reject();
        });
        const std::unique_ptr<QPrinter> printer = PromptForPrinter(request);
        EXPECT_TRUE(seen);
        EXPECT_EQ(printer != nullptr, ok);
    }
    InstallPrompter(&prompter);
}

TEST(PromptTables, ButtonsOfEachBoxType)
{
    EXPECT_EQ(MessageBoxButtons(MB_OK | MB_ICONSTOP), QList<int>({IDOK}));
    EXPECT_EQ(MessageBoxButtons(MB_OKCANCEL), QList<int>({IDOK, IDCANCEL}));
    EXPECT_EQ(MessageBoxButtons(MB_YESNO | MB_ICONQUESTION), QList<int>({IDYES, IDNO}));
    EXPECT_EQ(MessageBoxButtons(MB_YESNOCANCEL | MB_DEFBUTTON2), QList<int>({IDYES, IDNO, IDCANCEL}));
    EXPECT_EQ(MessageBoxButtons(MB_RETRYCANCEL), QList<int>({IDRETRY, IDCANCEL}));
}

TEST(PromptTables, FiltersBecomeQtFilters)
{
    const struct {
        const char *filter;
        const char *expected;
    } cases[] = {
        {"Format Data (*.fmt)|*.fmt|", "Format Data (*.fmt)"},
        {"Format List (*.fls)|*.fls||", "Format List (*.fls)"},
        {"Format Data (*.fmt)|*.fmt|Image Data (*.img)|*.img||", "Format Data (*.fmt);;Image Data (*.img)"},
        {"Firmware|firmware.bin||", "Firmware (firmware.bin)"},
        {"Bitmaps|*.bmp;*.dib||", "Bitmaps (*.bmp *.dib)"},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(QtFileFilter(QString::fromLatin1(c.filter)), QString::fromLatin1(c.expected)) << c.filter;
}

} // namespace

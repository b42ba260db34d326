#pragma once
// The prompt service: every message box, question, file or folder dialog,
// modal dialog and "open this document" request goes through the installed
// Prompter, so that tests can answer them from a script.

#include <QString>
#include <QStringList>

#include <memory>

class QDialog;
class QPrinter;
class QWidget;

// Buttons, icons and modality of a message box, as the program's code knows them.
enum : unsigned {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_ABORTRETRYIGNORE = 0x2,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_RETRYCANCEL = 0x5,
    MB_TYPEMASK = 0xF,

    MB_ICONSTOP = 0x10,
    MB_ICONERROR = MB_ICONSTOP,
    MB_ICONHAND = MB_ICONSTOP,
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONWARNING = MB_ICONEXCLAMATION,
    MB_ICONINFORMATION = 0x40,
    MB_ICONASTERISK = MB_ICONINFORMATION,
    MB_ICONMASK = 0xF0,

    MB_DEFBUTTON1 = 0x000,
    MB_DEFBUTTON2 = 0x100,
    MB_DEFBUTTON3 = 0x200,
    MB_DEFMASK = 0xF00,

    MB_APPLMODAL = 0x0000,
    MB_SYSTEMMODAL = 0x1000,
    MB_TASKMODAL = 0x2000,
};

// Answers of a message box and end codes of a modal dialog.
enum : int {
    IDOK = 1,
    IDCANCEL = 2,
    IDABORT = 3,
    IDRETRY = 4,
    IDIGNORE = 5,
    IDYES = 6,
    IDNO = 7,
};

// The buttons a box of these flags shows, in their order (IDOK, IDCANCEL, ...).
QList<int> MessageBoxButtons(unsigned flags);

// A text given by string-table id (with inserts) or literally.
struct PromptText {
    PromptText() = default;
    PromptText(const QString &literal) : text(literal) {}
    PromptText(const char *literal) : text(QString::fromUtf8(literal)) {}
    PromptText(unsigned stringId, QStringList inserts = {}) : id(stringId), args(std::move(inserts)) {}
    PromptText(int stringId, QStringList inserts = {}) : PromptText(unsigned(stringId), std::move(inserts)) {}

    QString Resolve() const; // the literal, or the table text with its inserts

    unsigned id = 0;
    QStringList args;
    QString text;
};

struct MessageRequest {
    QWidget *parent = nullptr; // none: a box without owner
    unsigned textId = 0;       // 0 when the text was given literally
    unsigned captionId = 0;
    QString text;
    QString caption;           // the application title when none was given
    unsigned flags = MB_OK;
};

// A file open or save dialog. filter uses the "Name (*.ext)|*.ext|" form of
// the string table; filterIndex counts from 1 as the profile stores it.
struct FileRequest {
    QWidget *parent = nullptr;
    bool save = false;
    bool multiple = false;       // open: several files may be chosen
    bool overwritePrompt = true; // save: ask before replacing a file
    unsigned titleId = 0;
    QString title;
    QString filter;
    int filterIndex = 1;
    QString defaultExtension;    // "fmt"; added to a typed name without one
    QString folder;              // initial folder, empty for the dialog's own
    QString fileName;            // initial file name
};

struct FileResult {
    bool accepted = false;
    QStringList paths;
    int filterIndex = 1;
};

struct FolderRequest {
    QWidget *parent = nullptr;
    QString title;
    QString folder;
};

// The print dialog: the pages it offers (the printouts are laid out by
// the program, which prints every page it has whatever the user picks).
struct PrintRequest {
    QWidget *parent = nullptr;
    int fromPage = 1;
    int toPage = 1;
    int minPage = 1;
    int maxPage = 1;
};

// Documents the program hands to the desktop.
enum class DocumentKind { TextEditor, Help };

// The service behind the entry points below. Production shows Qt dialogs;
// tests install a scripted one.
class Prompter {
public:
    virtual ~Prompter() = default;
    virtual int Message(const MessageRequest &request) = 0;
    virtual FileResult File(const FileRequest &request) = 0;
    virtual QString Folder(const FolderRequest &request) = 0; // empty: cancelled
    virtual int Modal(QDialog &dialog) = 0;
    virtual bool OpenDocument(DocumentKind kind, const QString &path) = 0;
    // A printer ready to paint on, or nullptr when the user cancelled. A
    // prompter that knows no printer cancels.
    virtual std::unique_ptr<QPrinter> Print(const PrintRequest &request);
};

// The prompter in use: the one installed last, else the Qt one.
Prompter &CurrentPrompter();
// Installs p (not owned) until it is uninstalled; nullptr restores the Qt one.
void InstallPrompter(Prompter *p);

// Converts the string table's "A (*.a)|*.a|B|*.b||" filter to Qt's "A (*.a);;B (*.b)" form.
QString QtFileFilter(const QString &filter);

// Entry points.
int AfxMessageBox(const PromptText &text, unsigned flags = MB_OK);
int MessageBox(QWidget *parent, const PromptText &text, const PromptText &caption, unsigned flags = MB_OK);
FileResult PromptForFile(const FileRequest &request);
QString BrowseForFolder(const FolderRequest &request);
// Runs a modal dialog; IDOK when accepted, IDCANCEL when rejected, else the code given to done().
int DoModal(QDialog &dialog);
// The print dialog; nullptr: nothing is to be printed.
std::unique_ptr<QPrinter> PromptForPrinter(const PrintRequest &request);
bool OpenInTextEditor(const QString &path);
bool OpenHelp(const QString &helpFile);

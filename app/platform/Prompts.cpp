#include "Prompts.h"

#include "StringTable.h"
#include "WindowCaption.h"

#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStandardPaths>
#include <QUrl>

namespace {

// The dialogs a user sees.
class QtPrompter final : public Prompter {
public:
    int Message(const MessageRequest &request) override;
    FileResult File(const FileRequest &request) override;
    QString Folder(const FolderRequest &request) override;
    int Modal(QDialog &dialog) override;
    bool OpenDocument(DocumentKind kind, const QString &path) override;
    std::unique_ptr<QPrinter> Print(const PrintRequest &request) override;
};

Prompter *g_installed = nullptr;

QMessageBox::StandardButton QtButton(int id)
{
    switch (id) {
    case IDOK: return QMessageBox::Ok;
    case IDCANCEL: return QMessageBox::Cancel;
    case IDABORT: return QMessageBox::Abort;
    case IDRETRY: return QMessageBox::Retry;
    case IDIGNORE: return QMessageBox::Ignore;
    case IDYES: return QMessageBox::Yes;
    case IDNO: return QMessageBox::No;
    default: return QMessageBox::NoButton;
    }
}

QMessageBox::Icon QtIcon(unsigned flags)
{
    switch (flags & MB_ICONMASK) {
    case MB_ICONSTOP: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

// Closing a box with Escape or its title bar gives Cancel where the box has
// one, as the original did; a box without Cancel gives its only safe answer.
int EscapeAnswer(const QList<int> &buttons)
{
    if (buttons.contains(IDCANCEL))
        return IDCANCEL;
    if (buttons.contains(IDNO))
        return IDNO;
    return buttons.isEmpty() ? IDOK : buttons.first();
}

int QtPrompter::Message(const MessageRequest &request)
{
    const QList<int> ids = MessageBoxButtons(request.flags);
    QMessageBox box(QtIcon(request.flags), request.caption, request.text, QMessageBox::NoButton,
                    request.parent);
    for (int id : ids)
        box.addButton(QtButton(id));
    const int defaultIndex = int((request.flags & MB_DEFMASK) >> 8);
    if (defaultIndex < ids.size())
        box.setDefaultButton(QtButton(ids[defaultIndex]));
    box.setEscapeButton(box.button(QtButton(EscapeAnswer(ids))));
    if (request.flags & (MB_SYSTEMMODAL | MB_TASKMODAL))
        box.setWindowModality(Qt::ApplicationModal);
    FitCaption(box);
    box.exec();
    for (int id : ids) {
        if (box.clickedButton() == box.button(QtButton(id)))
            return id;
    }
    return EscapeAnswer(ids);
}

QString WithoutWildcard(QString extension)
{
    if (extension.startsWith(QLatin1String("*.")))
        extension.remove(0, 2);
    return extension;
}

FileResult QtPrompter::File(const FileRequest &request)
{
    QFileDialog dialog(request.parent, request.title, request.folder);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save       ? QFileDialog::AnyFile
                       : request.multiple ? QFileDialog::ExistingFiles
                                          : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
    const QStringList filters = QtFileFilter(request.filter).split(QStringLiteral(";;"), Qt::SkipEmptyParts);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.value(request.filterIndex - 1, filters.first()));
    }
    dialog.setDefaultSuffix(WithoutWildcard(request.defaultExtension));
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    FileResult result;
    result.filterIndex = request.filterIndex;
    if (dialog.exec() != QDialog::Accepted)
        return result;
    result.accepted = true;
    result.paths = dialog.selectedFiles();
    const qsizetype chosen = filters.indexOf(dialog.selectedNameFilter());
    if (chosen >= 0)
        result.filterIndex = int(chosen) + 1;
    return result;
}

QString QtPrompter::Folder(const FolderRequest &request)
{
    return QFileDialog::getExistingDirectory(request.parent, request.title, request.folder);
}

int QtPrompter::Modal(QDialog &dialog)
{
    const int code = dialog.exec();
    if (code == QDialog::Accepted)
        return IDOK;
    return code == QDialog::Rejected ? IDCANCEL : code;
}

bool QtPrompter::OpenDocument(DocumentKind, const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

std::unique_ptr<QPrinter> QtPrompter::Print(const PrintRequest &request)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrintDialog dialog(printer.get(), request.parent);
    dialog.setMinMax(request.minPage, request.maxPage);
    dialog.setFromTo(request.fromPage, request.toPage);
    if (dialog.exec() != QDialog::Accepted)
        return nullptr;
    return printer;
}

QString QtFilterEntry(const QString &description, QString patterns)
{
    patterns.replace(u';', u' ');
    if (description.contains(u'(' + patterns + u')'))
        return description;
    return description + QStringLiteral(" (") + patterns + u')';
}

} // namespace

std::unique_ptr<QPrinter> Prompter::Print(const PrintRequest &)
{
    return nullptr;
}

QList<int> MessageBoxButtons(unsigned flags)
{
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    default: return {IDOK};
    }
}

QString PromptText::Resolve() const
{
    return id != 0 ? FormatString(id, args) : text;
}

Prompter &CurrentPrompter()
{
    static QtPrompter qtPrompter;
    return g_installed ? *g_installed : qtPrompter;
}

void InstallPrompter(Prompter *p)
{
    g_installed = p;
}

QString QtFileFilter(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size() && !parts[i].isEmpty(); i += 2)
        entries.append(QtFilterEntry(parts[i], parts[i + 1]));
    return entries.join(QStringLiteral(";;"));
}

int AfxMessageBox(const PromptText &text, unsigned flags)
{
    return MessageBox(nullptr, text, PromptText(), flags);
}

int MessageBox(QWidget *parent, const PromptText &text, const PromptText &caption, unsigned flags)
{
    MessageRequest request;
    request.parent = parent;
    request.textId = text.id;
    request.captionId = caption.id;
    request.text = text.Resolve();
    request.caption = caption.Resolve();
    if (request.caption.isEmpty())
        request.caption = LoadString(IDS_APP_TITLE);
    request.flags = flags;
    return CurrentPrompter().Message(request);
}

namespace {

// The folder of the last file or folder the user chose, for a dialog that
// names none of its own.
QString &LastFolderUsed()
{
    static QString folder;
    return folder;
}

bool IsFolder(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

} // namespace

// A dialog given no folder would start in the working directory, which is
// wherever the program happened to be started; one given a folder that does
// not exist takes its last part for the file name.
QString StartFolder(const QString &folder)
{
    if (IsFolder(folder))
        return folder;
    if (IsFolder(LastFolderUsed()))
        return LastFolderUsed();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (IsFolder(documents))
        return documents;
    return QDir::homePath();
}

FileResult PromptForFile(const FileRequest &request)
{
    FileRequest started = request;
    started.folder = StartFolder(request.folder);
    if (request.titleId != 0 && request.title.isEmpty())
        started.title = LoadString(request.titleId);
    FileResult result = CurrentPrompter().File(started);
    if (result.accepted && !result.paths.isEmpty())
        LastFolderUsed() = QFileInfo(result.paths.first()).absolutePath();
    return result;
}

QString BrowseForFolder(const FolderRequest &request)
{
    FolderRequest started = request;
    started.folder = StartFolder(request.folder);
    QString chosen = CurrentPrompter().Folder(started);
    if (!chosen.isEmpty())
        LastFolderUsed() = chosen;
    return chosen;
}

int DoModal(QDialog &dialog)
{
    FitCaption(dialog);
    return CurrentPrompter().Modal(dialog);
}

std::unique_ptr<QPrinter> PromptForPrinter(const PrintRequest &request)
{
    return CurrentPrompter().Print(request);
}

bool OpenInTextEditor(const QString &path)
{
    return CurrentPrompter().OpenDocument(DocumentKind::TextEditor, path);
}

bool OpenHelp(const QString &helpFile)
{
    return CurrentPrompter().OpenDocument(DocumentKind::Help, helpFile);
}

// The file side of the data list: saving items, opening data files (also
// dropped ones), importing the older product's files and command files,
// and writing command files.

#include "CDataListView.h"

#include "AppFolders.h"
#include "Archive.h"
#include "CDataFileException.h"
#include "CGenData.h"
#include "ShellWindow.h"
#include "DataKindRegistry.h"
#include "LegacyDataFile.h"
#include "ProfileKeys.h"
#include "ShellImages.h"
#include "Profile.h"
#include "Prompts.h"
#include "RegularFile.h"
#include "ResourceIds.h"
#include "SafeFile.h"
#include "StringTable.h"

#include <QBuffer>
#include <QFile>
#include <QTreeWidget>

using namespace ProfileKeys;

namespace {

QString JoinFilters(std::initializer_list<unsigned> ids)
{
    QString filter;
    for (unsigned id : ids)
        filter += LoadString(id);
    return filter;
}

void ShowOpenError(unsigned textId, const QString &path)
{
    MessageBox(nullptr, PromptText(textId, {path}), PromptText(IDS_OPEN_TITLE), MB_OK | MB_ICONEXCLAMATION);
}

// Opens a file to read, refusing what is no regular file (with the reason
// after the usual text) and, for data files, what is larger than any
// archive; each refusal shows its box.
bool OpenToRead(QFile &file, const QString &path, bool archive)
{
    QString notAFile;
    if (!RegularFile::OpenForReading(file, path, notAFile)) {
        if (notAFile.isEmpty())
            ShowOpenError(IDS_CANNOT_OPEN, path);
        else
            MessageBox(nullptr, PromptText(FormatString(IDS_CANNOT_OPEN, {path}) + QStringLiteral("\n\n") + notAFile),
                       PromptText(IDS_OPEN_TITLE), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (archive && file.size() > CArchive::kMaxBytes) {
        MessageBox(nullptr,
                   PromptText(IDS_DATA_FILE_TOO_LARGE, {path}),
                   PromptText(IDS_OPEN_TITLE), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

// A multiple-choice open dialog that remembers its folder and filter.
FileResult AskForFiles(unsigned titleId, const QString &filter, const char *folderKey, const char *typeKey)
{
    FileRequest request;
    request.multiple = true;
    request.titleId = titleId;
    request.filter = filter;
    request.folder = GetProfileString(kFolders, folderKey);
    request.filterIndex = GetProfileInt(kData, typeKey, 1);
    return PromptForFile(request);
}

void RememberChoice(const FileResult &result, const char *folderKey, const char *typeKey)
{
    WriteProfileString(kFolders, folderKey, FolderOf(result.paths.first()));
    WriteProfileInt(kData, typeKey, result.filterIndex);
}

bool BeginsWith(const QString &line, const char *mnemonic)
{
    return line.startsWith(QLatin1String(mnemonic), Qt::CaseInsensitive);
}

unsigned CmdFileMessage(int code)
{
    switch (code) {
    case CDataListView::kCmdFormatFailed: return IDS_CMD_FORMAT_FAILED;
    case CDataListView::kCmdImageFailed: return IDS_CMD_IMAGE_FAILED;
    case CDataListView::kCmdSequenceFailed: return IDS_CMD_SEQUENCE_FAILED;
    case CDataListView::kCmdMultiple: return IDS_CMD_MULTIPLE;
    case CDataListView::kCmdBadFormat: return IDS_CMD_BAD_FORMAT;
    case CDataListView::kCmdBadImage: return IDS_CMD_BAD_IMAGE;
    default: return IDS_CMD_BAD_SEQUENCE;
    }
}

enum class LineRead { Line, End, TooLong };

// One text line without its line end, read no further than the longest
// line a command file may have.
LineRead ReadTextLine(QIODevice &file, QString &line)
{
    if (file.atEnd())
        return LineRead::End;
    QByteArray bytes = file.readLine(CDataListView::kMaxCmdLineLength + 2);
    if (!bytes.endsWith('\n') && !file.atEnd())
        return LineRead::TooLong;
    if (bytes.endsWith('\n'))
        bytes.chop(1);
    if (bytes.endsWith('\r'))
        bytes.chop(1);
    if (bytes.size() > CDataListView::kMaxCmdLineLength)
        return LineRead::TooLong;
    line = QString::fromLatin1(bytes);
    return LineRead::Line;
}

void ReportLongLine(const QString &path, qsizetype lineNumber)
{
    AfxMessageBox(PromptText(IDS_CMD_LINE_TOO_LONG, {path, QString::number(lineNumber),
                                                     QString::number(CDataListView::kMaxCmdLineLength)}),
                  MB_OK | MB_ICONEXCLAMATION);
}

// The item's name with its kind's extension; a separator in a name would
// make it a path.
QString SuggestedFileName(const CGenData &item)
{
    QString name = item.GetName().trimmed();
    name.replace(u'/', u'_');
    name.replace(u'\\', u'_');
    if (name.isEmpty() || item.GetFileExtension().isEmpty())
        return name;
    return name + u'.' + item.GetFileExtension();
}

} // namespace

// --- Save -------------------------------------------------------------------

bool CDataListView::FileSave(int row, bool saveAs, bool legacy)
{
    CGenData *item = GetRowItem(row);
    if (!item)
        return false;
    // A failed Save As must leave the next Save writing where the last one
    // did: the new path holds while the item is stored (an older product's
    // record names its file), and goes again when the save fails.
    const QString savedPath = item->GetFolder() + item->GetFileName();
    QString path = item->GetFilePath();
    if (saveAs || item->GetFolder().isEmpty()) {
        const bool hasFolder = !item->GetFolder().isEmpty();
        FileRequest request;
        request.save = true;
        request.overwritePrompt = true;
        request.titleId = IDS_SAVE_TITLE;
        request.filter = item->GetFileFilter() + u'|';
        request.defaultExtension = item->GetFileExtension();
        // A new item suggests its own name, so a first Save never offers a
        // folder's name as the file's.
        request.fileName = hasFolder ? item->GetFileName() : SuggestedFileName(*item);
        request.folder = hasFolder ? item->GetFolder() : GetProfileString(kFolders, kFileSave);
        const FileResult result = PromptForFile(request);
        if (!result.accepted || result.paths.isEmpty())
            return false;
        path = result.paths.first();
        WriteProfileString(kFolders, kFileSave, FolderOf(path));
        item->SetFilePath(path);
    }
    const bool wasModified = item->IsModified();
    // The bytes first, then SafeFile: a failed save leaves the previous
    // file as it was.
    QString text;
    bool saved = false;
    try {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        CArchive ar(&buffer, CArchive::store);
        item->StoreObject(ar, legacy);
        ar.Flush();
        QString why;
        int error = 0;
        saved = SafeFile::WriteWhole(path, bytes, &why, &error);
        if (!saved && error == 0) {
            text = why; // no file: what the path is instead
        } else if (!saved) {
            text = FormatString(IDS_FILE_CAUSE_WHY,
                                {CDataFileException::FromSystemError(error, path).GetCauseText(), why});
        }
    } catch (const CArchiveException &) {
        text = CDataFileException(CDataFileException::generic, 0, path).GetCauseText();
    }
    if (!saved) {
        item->SetFilePath(savedPath);
        item->SetModified(wasModified);
        MessageBox(this, PromptText(text), PromptText(IDS_ERROR_UPPER), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    item->SetModified(false);
    QTreeWidgetItem *rowItem = m_list->topLevelItem(row);
    rowItem->setText(0, item->GetName());
    rowItem->setText(1, item->GetFilePath());
    SetMark(rowItem, item->IsEditorOpen() ? kMarkEditorOpen : 0);
    return true;
}

void CDataListView::SaveSelected()
{
    for (int row = 0; row < GetRowCount(); ++row) {
        if (IsRowSelected(row))
            FileSave(row, false, false);
    }
}

void CDataListView::SaveSelectedAs(bool legacy)
{
    for (int row = 0; row < GetRowCount(); ++row) {
        if (IsRowSelected(row))
            FileSave(row, true, legacy);
    }
}

bool CDataListView::SaveItem(CGenData *item, bool saveAs)
{
    const int row = FindRow(item);
    return row >= 0 && FileSave(row, saveAs, false);
}

// --- Open -------------------------------------------------------------------

bool CDataListView::FileOpen()
{
    const QString filter = JoinFilters({IDS_FILTER_FORMAT, IDS_FILTER_IMAGE, IDS_FILTER_SEQUENCE, IDS_FILTER_FONT,
                                        IDS_FILTER_ICON, IDS_FILTER_KNOBLIST, IDS_FILTER_ALL}) + u'|';
    const FileResult result = AskForFiles(IDS_OPEN_TITLE, filter, kFileOpen, kLastType);
    if (!result.accepted || result.paths.isEmpty())
        return false;
    DeselectAll();
    RememberChoice(result, kFileOpen, kLastType);
    bool opened = false;
    for (const QString &path : result.paths) {
        if (!OpenFile(path))
            break;
        opened = true;
    }
    return opened;
}

bool CDataListView::OpenFile(const QString &path)
{
    QFile file(path);
    if (!OpenToRead(file, path, true))
        return false;
    std::unique_ptr<CObject> object;
    try {
        CArchive ar(&file, CArchive::load);
        object = ar.ReadObject(nullptr);
    } catch (const CArchiveException &) {
        ShowOpenError(IDS_CANNOT_READ, path);
        return false;
    }
    const DataKindEntry *kind = object ? DataKinds::ByObject(*object) : nullptr;
    if (!kind) {
        MessageBox(nullptr, PromptText(IDS_UNKNOWN_TYPE), PromptText(IDS_OPEN_TITLE), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    std::unique_ptr<CGenData> item(static_cast<CGenData *>(object.release()));
    item->SetFilePath(path);
    item->SetOwner(m_mainWindow ? m_mainWindow->Frame() : nullptr);
    const QString name = item->GetName();
    QTreeWidgetItem *row = AppendRow(std::move(item), kind->icon, name, path);
    row->setSelected(true);
    return true;
}

void CDataListView::OnDropFiles(const QStringList &paths)
{
    for (const QString &path : paths)
        OpenFile(path);
}

// --- Older product's data files ---------------------------------------------

void CDataListView::FileImportZot2()
{
    const QString filter = JoinFilters({IDS_FILTER_FORMAT, IDS_FILTER_IMAGE, IDS_FILTER_SEQUENCE, IDS_FILTER_DIR,
                                        IDS_FILTER_LIB, IDS_FILTER_ALL}) + u'|';
    const FileResult result = AskForFiles(IDS_IMPORT_ZOT2_TITLE, filter, kFileImportZot2, kImportType);
    if (!result.accepted || result.paths.isEmpty())
        return;
    RememberChoice(result, kFileImportZot2, kImportType);
    for (const QString &path : result.paths) {
        if (!ImportLegacyFile(path))
            return;
    }
}

bool CDataListView::ImportLegacyFile(const QString &path)
{
    QFile file(path);
    if (!OpenToRead(file, path, true))
        return false;
    const int rowsBefore = GetRowCount();
    CArchive ar(&file, CArchive::load);
    const LegacyDataFile::Result result = LegacyDataFile::Read(
        ar, [this](int icon) { return NewItem(icon); }, [this](CGenData *item) { RefreshItem(item); });
    if (result == LegacyDataFile::Result::Imported)
        return true;
    // A file the reader stopped in reads as damaged: ending quietly would look
    // like success. None of its rows is kept; the rows before it stay.
    while (GetRowCount() > rowsBefore) {
        delete m_list->topLevelItem(GetRowCount() - 1);
    }
    ShowOpenError(IDS_CANNOT_READ, path);
    return false;
}

// --- Command files ----------------------------------------------------------

void CDataListView::ImportCmdFile()
{
    const FileResult result = AskForFiles(IDS_IMPORT_CMD_TITLE, LoadString(IDS_FILTER_CMD), kFileImportZot2, kImportType);
    if (!result.accepted || result.paths.isEmpty())
        return;
    RememberChoice(result, kFileImportZot2, kImportType);
    for (const QString &path : result.paths) {
        if (!ImportOneCmdFile(path))
            return;
    }
}

bool CDataListView::ImportOneCmdFile(const QString &path)
{
    QFile file(path);
    if (!OpenToRead(file, path, false))
        return false;
    QString first;
    QString second;
    for (QString *header : {&first, &second}) {
        if (ReadTextLine(file, *header) == LineRead::TooLong) {
            ReportLongLine(path, header == &first ? 1 : 2);
            return false;
        }
    }
    if (!first.startsWith(QLatin1String("// RARU")) || !second.startsWith(QLatin1String("// 2.000"))) {
        AfxMessageBox(PromptText(IDS_INVALID_FILE_TYPE), MB_OK);
        return false;
    }
    QStringList lines;
    if (!ReadCmdFileLines(file, lines)) {
        // Element 0 stands for nothing; the header took two lines.
        ReportLongLine(path, lines.size() + 2);
        return false;
    }
    QString detail;
    const int code = ImportCmdLines(lines, detail);
    if (code < 0)
        ReportCmdFileError(code, path, detail);
    return true;
}

bool CDataListView::ReadCmdFileLines(QIODevice &file, QStringList &lines)
{
    lines = QStringList{QString()};
    QString line;
    for (LineRead read; (read = ReadTextLine(file, line)) != LineRead::End;) {
        if (read == LineRead::TooLong)
            return false;
        lines.append(line);
        if (lines.size() - 1 >= kMaxCmdLines) {
            if (!file.atEnd())
                AfxMessageBox(PromptText(IDS_CMD_FILE_TRUNCATED), MB_OK);
            return true;
        }
    }
    lines.append(QString()); // the read that met the end
    return true;
}

int CDataListView::ClassifyCmdLines(const QStringList &lines)
{
    int fmtn = 0, imgn = 0, seqn = 0, fmte = 0, imge = 0, seqe = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString &line = lines[i];
        fmtn += BeginsWith(line, "FMTN");
        imgn += BeginsWith(line, "IMGN") && !BeginsWith(line, "IMGN?");
        seqn += BeginsWith(line, "SEQN");
        fmte += BeginsWith(line, "FMTE");
        imge += BeginsWith(line, "IMGE");
        seqe += BeginsWith(line, "SEQE");
    }
    if (fmtn + imgn + seqn > 1 || fmte + imge + seqe > 1)
        return kCmdMultiple;
    if (fmtn == 1 && fmte != 1)
        return kCmdBadFormat;
    if (imgn == 1 && imge != 1)
        return kCmdBadImage;
    if (seqn == 1 && seqe != 1)
        return kCmdBadSequence;
    return kCmdNothing;
}

int CDataListView::ImportCmdLines(QStringList &lines, QString &detail)
{
    const int verdict = ClassifyCmdLines(lines);
    if (verdict != kCmdNothing)
        return verdict;
    struct Kind {
        const char *mnemonic;
        int icon;
        int success;
    };
    static const Kind kinds[] = {{"FMTN", kIconFormat, kCmdFormat}, {"IMGN", kIconImage, kCmdImage}, {"SEQN", kIconSequence, kCmdSequence}};
    for (qsizetype i = 1; i < lines.size(); ++i) {
        for (const Kind &kind : kinds) {
            if (!BeginsWith(lines[i], kind.mnemonic))
                continue;
            // A kind this program is built without parses nothing.
            CGenData *item = NewItem(kind.icon);
            if (!item)
                return -kind.success;
            if (!item->ImportCommandLines(lines)) {
                const DataKindEntry *entry = DataKinds::ByIcon(kind.icon);
                detail = entry && entry->lastError ? entry->lastError(*item) : QString();
                return -kind.success;
            }
            RefreshItem(item);
            return kind.success;
        }
    }
    return kCmdNothing;
}

void CDataListView::ReportCmdFileError(int code, const QString &path, const QString &detail)
{
    QString text = LoadString(CmdFileMessage(code));
    if (!detail.isEmpty())
        text += QStringLiteral("\r\n") + detail;
    text += LoadString(IDS_OPEN_IN_NOTEPAD);
    if (MessageBox(this, PromptText(text), PromptText(IDS_CMD_FILE_ERROR), MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;
    if (!OpenInTextEditor(path))
        MessageBox(this, PromptText(IDS_TEXT_EDITOR_FAILED, {path}), PromptText(IDS_CMD_FILE_ERROR),
                   MB_OK | MB_ICONEXCLAMATION);
}

bool CDataListView::WriteCmdFile()
{
    const QList<QTreeWidgetItem *> rows = SelectedRows();
    if (rows.isEmpty())
        return true;
    const QString name = rows.first()->text(0);
    FileRequest request;
    request.save = true;
    request.titleId = IDS_SAVE_CMD_TITLE;
    request.filter = LoadString(IDS_FILTER_CMD);
    request.defaultExtension = QStringLiteral("cmd");
    request.fileName = name + QStringLiteral(".cmd");
    const FileResult result = PromptForFile(request);
    if (!result.accepted || result.paths.isEmpty())
        return false;
    WriteProfileString(kFolders, kFileSave, FolderOf(result.paths.first()));
    GetRowItem(m_list->indexOfTopLevelItem(rows.first()))->WriteCommandFile(result.paths.first(), name);
    return true;
}

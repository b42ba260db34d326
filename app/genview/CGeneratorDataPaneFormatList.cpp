// The format-list files of a generator data pane: the detailed list saved
// to a .fls file, and a .fls file loaded into it, each row marked by what
// this generator holds under its name. A loaded list is only shown; nothing
// is sent to the generator.

#include "CGeneratorDataPane.h"

#include "AppFolders.h"
#include "Archive.h"
#include "CGenerator.h"
#include "GeneratorViewPaneLink.h"
#include "CProgressDlg.h"
#include "FormatListFile.h"
#include "GeneratorViewHost.h"
#include "Profile.h"
#include "ProfileKeys.h"
#include "Prompts.h"
#include "RegularFile.h"
#include "SafeFile.h"
#include "ResourceIds.h"
#include "StringTable.h"
#include "WaitCursor.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

using namespace ProfileKeys;

namespace {

FileRequest FormatListRequest(QWidget *parent, bool save)
{
    FileRequest request;
    request.parent = parent;
    request.save = save;
    request.overwritePrompt = save;
    request.title = LoadString(save ? IDS_SAVE_FORMAT_LIST_TITLE : IDS_LOAD_FORMAT_LIST_TITLE);
    request.filter = LoadString(IDS_FILTER_FORMAT_LIST);
    request.defaultExtension = save ? QStringLiteral("fls") : QString();
    request.folder = GetProfileString(kFolders, kFmtList);
    return request;
}

// The chosen path, its folder remembered; empty when the user cancelled.
QString AskForFormatList(QWidget *parent, bool save)
{
    const FileResult result = PromptForFile(FormatListRequest(parent, save));
    if (!result.accepted || result.paths.isEmpty())
        return {};
    const QString path = result.paths.first();
    WriteProfileString(kFolders, kFmtList, FolderOf(path));
    return path;
}

// "Unable to open the file:", the path and, when known, why.
void ShowCannotOpen(QWidget *parent, const QString &path, const QString &cause, unsigned captionId)
{
    const QString shown = cause.isEmpty() ? path : path + QStringLiteral("\n\n") + cause;
    MessageBox(parent, PromptText(IDS_CANNOT_OPEN, {shown}), PromptText(captionId), MB_OK | MB_ICONEXCLAMATION);
}

// "Saved: 42%" and kin: lineId's row with the percentage done.
QString PercentLine(unsigned lineId, int position, int count)
{
    return FormatString(lineId, {QString::number(position * 100 / count)});
}

// The file's bytes, row by row as the progress dialog shows.
QByteArray FormatListBytes(const QList<CFormatListEntry> &rows, CProgressDlg &progress)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    CArchive ar(&buffer, CArchive::store);
    const int count = int(rows.size());
    FormatListFile::WriteHeader(ar, count);
    for (int i = 0; i < count; ++i) {
        if (CGeneratorDataPane::ShowsScanPercentage(i, count))
            progress.SetStatus(IDC_STATUS2, PercentLine(IDS_SAVED_PERCENT, i, count));
        FormatListFile::WriteRow(ar, rows[i]);
    }
    return bytes;
}

} // namespace

void CGeneratorDataPane::SaveFormatList()
{
    const QString path = AskForFormatList(this, true);
    if (path.isEmpty())
        return;
    QString failure;
    {
        WaitCursor wait;
        CProgressDlg progress(this, false);
        progress.SetStatus(IDC_STATUS1, FormatString(IDS_SAVING_FILE, {QFileInfo(path).fileName()}));
        SafeFile::WriteWhole(path, FormatListBytes(FormatListEntries(), progress), &failure);
        progress.DestroyWindow();
    }
    if (!failure.isEmpty())
        ShowCannotOpen(this, path, failure, IDS_ERROR_UPPER);
}

bool CGeneratorDataPane::HeldFormatIcon(const QString &name, int &icon)
{
    if (!m_generator) {
        icon = kIconFormatNotHeld;
        return true;
    }
    // A query without an answer says nothing about the format: no mark.
    const bool held = m_generator->QueryFmtlExists(name) != 0;
    if (!m_generator->LastCommandSucceeded())
        return false;
    if (!held) {
        icon = kIconFormatNotHeld;
        return true;
    }
    const bool user = m_generator->QueryFmtk(name);
    if (!m_generator->LastCommandSucceeded())
        return false;
    icon = user ? kIconUserFormat : kIconBuiltInFormat;
    return true;
}

void CGeneratorDataPane::LoadFormatList()
{
    // A generator removal waits for the end of the load; the guard goes last.
    HostOperation guard(Host());
    const QString path = AskForFormatList(this, false);
    if (path.isEmpty())
        return;
    QList<CFormatListEntry> rows;
    {
        QFile file;
        QString notAFile;
        if (!RegularFile::OpenForReading(file, path, notAFile)) {
            ShowCannotOpen(this, path, notAFile.isEmpty() ? file.errorString() : notAFile, IDS_OPEN_FAILED);
            return;
        }
        if (file.size() > CArchive::kMaxBytes) {
            ShowCannotOpen(this, path, LoadString(IDS_FORMAT_LIST_TOO_LARGE), IDS_OPEN_FAILED);
            return;
        }
        // The whole file is read first: a damaged one leaves the list as it was.
        QString why;
        if (!FormatListFile::Read(file, rows, why)) {
            MessageBox(this, PromptText(IDS_CORRUPTED_FILE, {path + QStringLiteral("\n\n") + why}),
                       PromptText(IDS_ERROR), MB_OK | MB_ICONEXCLAMATION);
            return;
        }
    }
    bool checked = true;
    {
        WaitCursor wait;
        CProgressDlg progress(this, false);
        progress.SetStatus(IDC_STATUS1, FormatString(IDS_LOADING_FILE, {QFileInfo(path).fileName()}));
        const int count = int(rows.size());
        for (int i = 0; i < count && checked; ++i) {
            if (ShowsScanPercentage(i, count))
                progress.SetStatus(IDC_STATUS2, PercentLine(IDS_LOADED_PERCENT, i, count));
            checked = HeldFormatIcon(rows[i].name, rows[i].icon);
        }
        progress.DestroyWindow();
    }
    // A check that failed (the generator's box said why) leaves the list as
    // it was: rows marked by guess would claim what nobody asked.
    if (!checked)
        return;
    FreeFormatListEntries();
    AddFormatListEntries(rows);
    m_detailedListFilled = true;
    if (IsDetailedMode())
        UpdateSelectionState();
    else
        ShowList(kDetailed); // filled: no scan question
}

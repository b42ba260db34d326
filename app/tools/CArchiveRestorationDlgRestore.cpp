// The restore of the checked memory files into the selected generators:
// over the ISA host port a file at a time, over COM in one YMODEM batch.
// Each file's sums are checked again just before it goes; the first file
// that fails ends the restore with a box naming it and what went before.

#include "CArchiveRestorationDlg.h"

#include "CGenerator.h"
#include "CGeneratorView.h"
#include "CProgressDlg.h"
#include "GeneratorViewHost.h"
#include "MemoryFileIo.h"
#include "MemoryFileReader.h"
#include "MessageTarget.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"
#include "WaitCursor.h"
#include "YmodemTraceFile.h"

#include <QDir>
#include <QListWidget>
#include <QTreeWidget>

namespace {

constexpr double kRestoreSettleSeconds = 2.0;

} // namespace

// A revision-7 file must still add up, every object too, as when scanned.
bool CArchiveRestorationDlg::SumsStillHold(const QStringList& names)
{
    if (m_r40)
        return true;
    for (const QString& name : names) {
        QByteArray bytes;
        bool holds = ReadWholeFile(m_dataFolder + name, bytes) == FileRead::Read;
        if (holds) {
            MemoryFileReader reader(bytes);
            holds = reader.ReadHeader() && reader.ChecksumHolds();
            MemoryObject object;
            MemoryFileReader::Next next = MemoryFileReader::Next::End;
            while (holds && (next = reader.NextObject(object)) == MemoryFileReader::Next::Object)
                holds = object.checksumHolds;
            holds = holds && next != MemoryFileReader::Next::Malformed;
        }
        if (!holds) {
            MessageBox(this, PromptText(IDS_RESTORATION_CHANGED, {name}), PromptText(IDS_RESTORATION_ERROR),
                       MB_OK | MB_ICONSTOP);
            return false;
        }
    }
    return true;
}

void CArchiveRestorationDlg::OnRestore()
{
    if (MessageBox(this, PromptText(IDS_RESTORATION_ASK_RESTORE), PromptText(IDS_RESTORATION_ASK_CAPTION),
                   MB_OKCANCEL | MB_ICONQUESTION)
        != IDOK)
        return;
    QList<QTreeWidgetItem*> rows;
    for (int i = 0; i < m_generators->topLevelItemCount(); ++i)
        if (m_generators->topLevelItem(i)->isSelected())
            rows << m_generators->topLevelItem(i);
    QList<CGeneratorView*> views;
    for (QTreeWidgetItem* row : rows)
        views << ViewOf(row);
    m_operating = true;
    SetBusy(1);
    CProgressDlg progress(this, true);
    for (int i = 0; i < views.size(); ++i) {
        CGeneratorView* view = views[i];
        if (!view || !view->GetGenerator())
            continue;
        progress.SetStatus(IDC_STATUS1, FormatString(IDS_RESTORATION_RESTORING, {rows[i]->text(0)}));
        WaitCursor wait;
        HostOperation operation(view->Host());
        QObject* mainWindow = view->Host() ? view->Host()->MessageWindow() : nullptr;
        if (mainWindow)
            SendMessage(mainWindow, WM_GENERATOR_BUSY, 1, ToLParam(view));
        const bool restored = Restore(view, progress);
        if (mainWindow && ViewOf(rows[i]) == view)
            SendMessage(mainWindow, WM_GENERATOR_BUSY, 0, ToLParam(view));
        if (!restored)
            break;
    }
    progress.DestroyWindow();
    m_operating = false;
    SetBusy(0);
}

bool CArchiveRestorationDlg::Restore(CGeneratorView* view, CProgressDlg& progress)
{
    CGenerator* generator = view->GetGenerator();
    QString model;
    QString firmware;
    QString serial;
    view->GetIdentity(model, firmware, serial);
    const QString rowText = FormatString(IDS_ARCHIVE_GENERATOR_ROW, {model, generator->GetPortName()});
    const QStringList names = CheckedFiles();
    if (!SumsStillHold(names))
        return false;
    bool restored = false;
    switch (generator->GetPortType()) {
    case PortType::Isa: restored = RestoreOverCard(*generator, rowText, names, progress); break;
    case PortType::Com: restored = RestoreOverCom(*generator, rowText, names, progress); break;
    default:
        MessageBox(this, PromptText(IDS_RESTORATION_NO_PORT, {rowText}), PromptText(IDS_RESTORATION_ERROR),
                   MB_OK | MB_ICONSTOP);
        return false;
    }
    // What the generator now holds, in its caches and a pane that was scanned.
    generator->RefreshDirectoryList();
    generator->RefreshFormatList();
    generator->RefreshImageList();
    generator->RefreshSequenceList();
    if (view->IsScanned())
        view->ScanGenerator();
    return restored;
}

bool CArchiveRestorationDlg::RestoreOverCard(CGenerator& generator, const QString& rowText, const QStringList& names,
                                             CProgressDlg& progress)
{
    QStringList done;
    for (const QString& name : names) {
        if (!generator.RestoreMemoryFiles(m_dataFolder, name, &progress)) {
            if (!progress.IsCancelled())
                MessageBox(this,
                           PromptText(IDS_RESTORATION_FILE_FAILED,
                                      {name, rowText,
                                       done.isEmpty() ? LoadString(IDS_RESTORATION_NONE) : done.join(QLatin1String(", "))}),
                           PromptText(IDS_RESTORATION_ERROR), MB_OK | MB_ICONSTOP);
            return false;
        }
        done << name;
        AddLog(FormatString(IDS_RESTORATION_FILE_DONE, {name, rowText}));
    }
    generator.Delay(kRestoreSettleSeconds);
    return true;
}

bool CArchiveRestorationDlg::RestoreOverCom(CGenerator& generator, const QString& rowText, const QStringList& names,
                                            CProgressDlg& progress)
{
    const bool outputs = generator.QueryOutgOn();
    if (outputs) {
        generator.CmdOutg(0);
        generator.CmdAllu();
    }
    bool sent = false;
    QString error;
    {
        YmodemTraceFile trace(QStringLiteral("restore.dat"));
        QStringList paths;
        for (const QString& name : names)
            paths << m_dataFolder + name;
        if (generator.CmdYmdi())
            sent = generator.YmodemSend(paths, &progress, error);
        else
            generator.ReportPortError();
    }
    if (sent) {
        for (const QString& name : names)
            AddLog(FormatString(IDS_RESTORATION_FILE_DONE, {name, rowText}));
    } else if (!error.isEmpty()) {
        MessageBox(this, error, PromptText(IDS_RESTORATION_ERROR), MB_OK | MB_ICONSTOP);
    }
    generator.CmdOutg(outputs ? 1 : 0);
    generator.CmdAllu();
    generator.Delay(kRestoreSettleSeconds);
    return sent;
}

// The text report and the printout of a generator view's detailed format
// list.

#include "CGeneratorView.h"

#include "AppFolders.h"
#include "CGeneratorDataPane.h"
#include "FormatListPrintout.h"
#include "Profile.h"
#include "ProfileKeys.h"
#include "Prompts.h"
#include "RegularFile.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QPrinter>
#include <QSaveFile>

using namespace ProfileKeys;

void CGeneratorView::MakeRule(QString &out, int count)
{
    out = FormatListRule(count);
}

void CGeneratorView::SaveFormatListAsText()
{
    FileRequest request;
    request.parent = this;
    request.save = true;
    request.overwritePrompt = true;
    request.titleId = IDS_FORMAT_LIST_TEXT_TITLE;
    request.filter = LoadString(IDS_FILTER_TEXT);
    request.defaultExtension = QStringLiteral("TXT");
    const FileResult result = PromptForFile(request);
    if (!result.accepted || result.paths.isEmpty())
        return;
    const QString path = result.paths.first();
    WriteProfileString(kFolders, kFileSave, FolderOf(path));
    // Complete or not at all: an older file of that name stays as it was,
    // and a device or a FIFO is never replaced by the report.
    QString failure = RegularFile::NotAFileToReplace(path);
    if (failure.isEmpty()) {
        QSaveFile file(path);
        const QByteArray text = FormatListReportText(m_dataPane->FormatListEntries());
        // One unbuffered write, checked: a write the disk cuts short is never committed.
        if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(text) != text.size()
            || !file.commit()) {
            failure = file.errorString();
            file.cancelWriting();
        }
    }
    if (!failure.isEmpty())
        MessageBox(this, PromptText(IDS_ERROR_CREATING_FILE_WHY, {failure}), PromptText(), MB_OK | MB_ICONEXCLAMATION);
}

void CGeneratorView::PrintFormatList()
{
    PrintRequest request;
    request.parent = this;
    const std::unique_ptr<QPrinter> printer = PromptForPrinter(request);
    if (!printer)
        return;
    QString error;
    if (!PrintDocument(*printer, FormatListPrintout(m_dataPane->FormatListEntries()), &error))
        MessageBox(this, PromptText(error), PromptText(IDS_PRINT_FORMAT_LIST_CAPTION), MB_OK | MB_ICONEXCLAMATION);
}

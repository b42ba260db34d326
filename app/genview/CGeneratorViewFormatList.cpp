// The text report and the printout of a generator view's detailed format
// list.

#include "CGeneratorView.h"

#include "AppFolders.h"
#include "CGeneratorDataPane.h"
#include "FormatListPrintout.h"
#include "Profile.h"
#include "ProfileKeys.h"
#include "Prompts.h"
#include "SafeFile.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QPrinter>

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
    QString failure;
    if (!SafeFile::WriteWhole(path, FormatListReportText(m_dataPane->FormatListEntries()), &failure))
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

// The pixel map editor's source export: the working copy as a constant
// array in a ".cc" file, made whole first and written by SourceExport.

#include "CPixelMapEditor.h"

#include "CPixelMap.h"
#include "PixelMapSource.h"
#include "SourceExport.h"

#include "Prompts.h"
#include "ResourceIds.h"
#include "SafeFile.h"
#include "StringTable.h"

#include <QFileInfo>

void CPixelMapEditor::GenerateSource()
{
    FileRequest request;
    request.parent = this;
    request.save = true;
    request.overwritePrompt = true;
    request.titleId = IDS_MAP_SOURCE_TITLE;
    request.title = LoadString(IDS_MAP_SOURCE_TITLE);
    request.filter = LoadString(IDS_MAP_SOURCE_FILTER);
    request.defaultExtension = QStringLiteral("cc");
    request.folder = m_map.GetFolder();
    request.fileName = m_map.GetName().section(QLatin1Char('.'), 0, 0);
    const FileResult chosen = PromptForFile(request);
    if (!chosen.accepted || chosen.paths.isEmpty())
        return;
    const QString path = chosen.paths.first();
    const QByteArray text = PixelMapSource::Text(m_working, QFileInfo(path).fileName(), SourceExport::Today());
    QString why;
    if (!SourceExport::WriteFile(path, text, &why))
        MessageBox(this, PromptText(IDS_MAP_SAVE_FAILED_WHY, {why}), PromptText(IDS_MAP_ERROR_UPPER), MB_OK | MB_ICONWARNING);
}

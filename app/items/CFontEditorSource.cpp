// The font editor's source export: the font as an assembler file (".s").
// A modified font is saved first, as the user expects of an export; when
// the save was cancelled or failed the text is made from the editor's
// characters packed afresh, so the export still holds what the editor shows.

#include "CFontEditor.h"

#include "CFontData.h"
#include "FontSource.h"
#include "SourceExport.h"

#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QFileInfo>

void CFontEditor::GenerateSource()
{
    if (IsModified())
        m_font.RequestSave();
    const FontData exported = IsModified() ? Packed() : m_font.Data();
    FileRequest request;
    request.parent = this;
    request.save = true;
    request.overwritePrompt = true;
    request.titleId = IDS_FONT_SOURCE_TITLE;
    request.title = LoadString(IDS_FONT_SOURCE_TITLE);
    request.filter = LoadString(IDS_FONT_SOURCE_FILTER);
    request.defaultExtension = QStringLiteral("s");
    request.folder = m_font.GetFolder();
    request.fileName = m_font.GetName().section(QLatin1Char('.'), 0, 0);
    const FileResult chosen = PromptForFile(request);
    if (!chosen.accepted || chosen.paths.isEmpty())
        return;
    const QString path = chosen.paths.first();
    const QByteArray text = FontSource::Text(exported, QFileInfo(path).fileName(), SourceExport::Today());
    QString why;
    if (!SourceExport::WriteFile(path, text, &why))
        MessageBox(this, PromptText(IDS_MAP_SAVE_FAILED_WHY, {why}), PromptText(IDS_FONT_ERROR_UPPER), MB_OK | MB_ICONWARNING);
}

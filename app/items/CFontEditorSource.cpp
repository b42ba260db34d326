// The font editor's source export: the font as an assembler file (".s").
// A modified font is saved first, as the user expects of an export; when
// the save was cancelled or failed the text is made from the editor's
// characters packed afresh, so the export still holds what the editor shows.

#include "CFontEditor.h"

#include "CFontData.h"
#include "FontSource.h"
#include "SourceExport.h"

#include "ResourceIds.h"

void CFontEditor::GenerateSource()
{
    if (IsModified())
        m_font.RequestSave();
    const FontData exported = IsModified() ? Packed() : m_font.Data();
    SourceExport::AskAndWrite(this, m_font, {"s", IDS_FONT_SOURCE_TITLE, IDS_FONT_SOURCE_FILTER, IDS_FONT_ERROR_UPPER},
                              [&exported](const QString &fileName) {
                                  return FontSource::Text(exported, fileName, SourceExport::Today());
                              });
}

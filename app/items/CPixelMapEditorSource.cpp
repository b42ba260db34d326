// The pixel map editor's source export: the working copy as a constant
// array in a ".cc" file, made whole first and written by SourceExport.

#include "CPixelMapEditor.h"

#include "CPixelMap.h"
#include "PixelMapSource.h"
#include "SourceExport.h"

#include "ResourceIds.h"

void CPixelMapEditor::GenerateSource()
{
    SourceExport::AskAndWrite(this, m_map, {"cc", IDS_MAP_SOURCE_TITLE, IDS_MAP_SOURCE_FILTER, IDS_MAP_ERROR_UPPER},
                              [this](const QString &fileName) {
                                  return PixelMapSource::Text(m_working, fileName, SourceExport::Today());
                              });
}

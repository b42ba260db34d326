// The pixel map editor's bitmap import: a Windows bitmap of depth 1, 2, 4
// or 8 and sides up to 1024 becomes the map, its colour table the LUT. The
// file is read into a copy that replaces the map only once both its colour
// table and its pixels were read, so a file that fails loses nothing.

#include "CPixelMapEditor.h"

#include "CPixelMap.h"

#include "CBitmapReader.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QFileInfo>

namespace {

constexpr int kDeepestBitmap = 8;

void ShowRefusal(QWidget *parent, const PromptText &text, unsigned captionId, unsigned icon)
{
    MessageBox(parent, text, PromptText(captionId), MB_OK | icon);
}

} // namespace

void CPixelMapEditor::OnImport()
{
    FileRequest request;
    request.parent = this;
    request.titleId = IDS_MAP_IMPORT_TITLE;
    request.title = LoadString(IDS_MAP_IMPORT_TITLE);
    request.filter = LoadString(IDS_MAP_IMPORT_FILTER);
    request.defaultExtension = QStringLiteral("bmp");
    request.folder = m_map.GetFolder();
    request.fileName = m_map.GetName().section(QLatin1Char('.'), 0, 0);
    const FileResult chosen = PromptForFile(request);
    if (!chosen.accepted || chosen.paths.isEmpty())
        return;
    ImportBitmap(chosen.paths.first());
}

bool CPixelMapEditor::ImportBitmap(const QString &path)
{
    if (QFileInfo(path).suffix().compare(QStringLiteral("bmp"), Qt::CaseInsensitive) != 0) {
        ShowRefusal(this, PromptText(IDS_MAP_UNACCEPTABLE_TYPE), IDS_MAP_ERROR_CAPTION, MB_ICONWARNING);
        return false;
    }
    CBitmapReader reader;
    if (!reader.Open(path)) {
        ShowRefusal(this, PromptText(IDS_MAP_CANNOT_OPEN_WHY, {path, reader.GetFailureText()}), IDS_MAP_ERROR_CAPTION,
                    MB_ICONWARNING);
        return false;
    }
    if (reader.depth > kDeepestBitmap) {
        ShowRefusal(this, PromptText(IDS_MAP_DEPTH_TOO_DEEP), IDS_MAP_ERROR_CAPTION, 0);
        return false;
    }
    if (!PixelMapData::IsSide(reader.width) || !PixelMapData::IsSide(int(reader.height))) {
        ShowRefusal(this,
                    PromptText(IDS_MAP_TOO_LARGE, {QString::number(reader.width), QString::number(reader.height)}),
                    IDS_MAP_ERROR_CAPTION, MB_ICONWARNING);
        return false;
    }
    PixelMapData read;
    read.width = reader.width;
    read.height = int(reader.height);
    read.depth = reader.depth;
    read.pitch32 = int(reader.wordsPerRow);
    read.lutSetMask = 0;
    if (!reader.ReadColorTable(read.lut)) {
        ShowRefusal(this, PromptText(IDS_MAP_LUT_UNREADABLE), IDS_MAP_ERROR_UPPER, MB_ICONWARNING);
        return false;
    }
    // A table of fewer colours than the depth indexes: the rest black.
    read.FitLut();
    if (!reader.ReadPixels(read.pixels)) {
        ShowRefusal(this, PromptText(IDS_MAP_PIXELS_UNREADABLE), IDS_MAP_ERROR_UPPER, MB_ICONWARNING);
        return false;
    }
    m_working = std::move(read);
    ShowWholeMap();
    SetModified();
    return true;
}

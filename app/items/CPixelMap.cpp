#include "CPixelMap.h"

#include "Archive.h"
#include "ItemEditorLink.h"
#include "StringTable.h"

IMPLEMENT_SERIAL(CPixelMap, CGenData, VERSIONABLE_SCHEMA | 1)

namespace {

QString PixelMapKindString(unsigned DataKind::*field)
{
    const DataKind *kind = CGenData::FindKind(CGenData::kPixelMap);
    return kind ? LoadString(kind->*field) : QString();
}

[[noreturn]] void Refuse(const QString &why)
{
    throw CArchiveException(CArchiveException::generic, why);
}

// A counted array of 32-bit words, refused when the words would run past
// the end of the file.
std::vector<std::uint32_t> ReadWords(CArchive &ar)
{
    const quint32 count = ar.ReadCount();
    if (qint64(count) * 4 > ar.BytesLeft())
        throw CArchiveException(CArchiveException::endOfFile, LoadString(IDS_PIXMAP_FILE_WORDS_PAST_END));
    std::vector<std::uint32_t> words(count);
    for (std::uint32_t &word : words) {
        quint32 value = 0;
        ar >> value;
        word = value;
    }
    return words;
}

void WriteWords(CArchive &ar, const std::vector<std::uint32_t> &words)
{
    ar.WriteCount(quint32(words.size()));
    for (const std::uint32_t word : words)
        ar << quint32(word);
}

} // namespace

CPixelMap::CPixelMap(QObject *owner) : CGenData(owner)
{
    m_name = QStringLiteral("pixmap");
}

CPixelMap::~CPixelMap()
{
    DestroyEditor(); // its window goes before the map it shows
}

void CPixelMap::Serialize(CArchive &ar)
{
    if (ar.IsStoring()) {
        if (ItemEditorLink *editor = Editor())
            editor->WriteBack();
        ar << m_name;
        ar << qint32(m_data.width) << qint32(m_data.height) << qint32(m_data.depth) << qint32(m_data.pitch32)
           << quint32(m_data.lutSetMask);
        WriteWords(ar, m_data.lut);
        WriteWords(ar, m_data.pixels);
        m_modified = false;
        return;
    }
    QString name;
    qint32 width = 0, height = 0, depth = 0, pitch32 = 0;
    quint32 setMask = 0;
    ar >> name >> width >> height >> depth >> pitch32 >> setMask;
    if (!PixelMapData::IsDepth(depth))
        Refuse(LoadString(IDS_PIXMAP_FILE_DEPTH));
    if (!PixelMapData::IsSide(width) || !PixelMapData::IsSide(height))
        Refuse(LoadString(IDS_PIXMAP_FILE_SIZE));
    if (pitch32 != PixelMapData::Pitch32(width, depth))
        Refuse(LoadString(IDS_PIXMAP_FILE_PITCH));
    PixelMapData data;
    data.width = width;
    data.height = height;
    data.depth = depth;
    data.pitch32 = pitch32;
    data.lutSetMask = setMask;
    data.lut = ReadWords(ar);
    data.FitLut();
    data.pixels = ReadWords(ar);
    if (data.pixels.size() != std::size_t(height) * std::size_t(pitch32))
        Refuse(LoadString(IDS_PIXMAP_FILE_WORD_COUNT));
    m_name = name;
    m_data = std::move(data);
    m_modified = false;
}

QString CPixelMap::GetTypeName() const { return PixelMapKindString(&DataKind::nameId); }
QString CPixelMap::GetFileExtension() const { return PixelMapKindString(&DataKind::extensionId); }
QString CPixelMap::GetFileFilter() const { return PixelMapKindString(&DataKind::filterId); }

#include "CFontData.h"

#include "Archive.h"
#include "ItemEditorLink.h"
#include "StringTable.h"

IMPLEMENT_SERIAL(CFontData, CGenData, VERSIONABLE_SCHEMA | 1)

namespace {

QString FontKindString(unsigned DataKind::*field)
{
    const DataKind *kind = CGenData::FindKind(CGenData::kFont);
    return kind ? LoadString(kind->*field) : QString();
}

[[noreturn]] void ThrowBadFont(const QString &why)
{
    throw CArchiveException(CArchiveException::generic, why.toStdString());
}

// A counted array of elements of T, refused when they would run past the
// end of the file (the count alone is bounded by bytes, not elements).
template <class T, class Stored>
std::vector<T> ReadFontTable(CArchive &ar)
{
    const quint32 count = ar.ReadCount();
    if (qint64(count) * qint64(sizeof(Stored)) > ar.BytesLeft())
        throw CArchiveException(CArchiveException::endOfFile, LoadString(IDS_FONT_FILE_TABLE_PAST_END));
    std::vector<T> table(count);
    for (T &element : table) {
        Stored value = 0;
        ar >> value;
        element = T(value);
    }
    return table;
}

template <class Stored, class T>
void WriteFontTable(CArchive &ar, const std::vector<T> &table)
{
    ar.WriteCount(quint32(table.size()));
    for (const T element : table)
        ar << Stored(element);
}

} // namespace

CFontData::CFontData(QObject *owner) : CGenData(owner)
{
    m_name = QStringLiteral("Font");
}

CFontData::~CFontData()
{
    DestroyEditor(); // its window goes before the font it shows
}

void CFontData::Serialize(CArchive &ar)
{
    if (ar.IsStoring()) {
        if (ItemEditorLink *editor = Editor())
            editor->WriteBack();
        ar << m_name;
        for (const std::int32_t value : m_data.Header())
            ar << qint32(value);
        WriteFontTable<quint32>(ar, m_data.bitmap);
        WriteFontTable<quint16>(ar, m_data.locTable);
        WriteFontTable<quint16>(ar, m_data.owTable);
        WriteFontTable<quint8>(ar, m_data.imageWidths);
        m_modified = false;
        return;
    }
    QString name;
    ar >> name;
    std::array<std::int32_t, FontData::kHeaderValues> header{};
    for (std::int32_t &value : header) {
        qint32 read = 0;
        ar >> read;
        value = read;
    }
    FontData data;
    data.SetHeader(header);
    QString why;
    if (!data.HeaderValid(&why))
        ThrowBadFont(why);
    data.bitmap = ReadFontTable<std::uint32_t, quint32>(ar);
    data.locTable = ReadFontTable<std::uint16_t, quint16>(ar);
    data.owTable = ReadFontTable<std::uint16_t, quint16>(ar);
    data.imageWidths = ReadFontTable<std::uint8_t, quint8>(ar);
    if (!data.Valid(&why))
        ThrowBadFont(why);
    m_name = name;
    m_data = std::move(data);
    m_modified = false;
}

QString CFontData::GetTypeName() const { return FontKindString(&DataKind::nameId); }
QString CFontData::GetFileExtension() const { return FontKindString(&DataKind::extensionId); }
QString CFontData::GetFileFilter() const { return FontKindString(&DataKind::filterId); }

#include "Archive.h"

#include "StringTable.h"

#include <QBuffer>
#include <QFileDevice>
#include <QIODevice>

#include <cstring>

namespace {

constexpr quint16 kNullTag = 0x0000;
constexpr quint16 kNewClassTag = 0xFFFF;
constexpr quint16 kClassTag = 0x8000;
constexpr quint16 kBigObjectTag = 0x7FFF;
constexpr quint32 kBigClassTag = 0x80000000u;
constexpr quint32 kMaxMapCount = 0x3FFFFFFEu;
constexpr quint16 kMaxClassName = 64;
constexpr quint16 kWideMarker = 0xFFFE;
constexpr qint64 kReadPiece = 64 * 1024;

[[noreturn]] void Fail(CArchiveException::Cause cause, const QString &message)
{
    throw CArchiveException(cause, message);
}

// Keeps the nesting depth and the object schema of the object being read.
class LoadScope {
public:
    LoadScope(int &depth, unsigned &schema, unsigned objectSchema)
        : m_depth(depth), m_schema(schema), m_saved(schema)
    {
        if (++m_depth > CArchive::kMaxDepth) {
            --m_depth;
            Fail(CArchiveException::generic, LoadString(IDS_ARCHIVE_NESTED_TOO_DEEPLY));
        }
        m_schema = objectSchema;
    }
    ~LoadScope()
    {
        --m_depth;
        m_schema = m_saved;
    }
    LoadScope(const LoadScope &) = delete;
    LoadScope &operator=(const LoadScope &) = delete;

private:
    int &m_depth;
    unsigned &m_schema;
    unsigned m_saved;
};

} // namespace

CArchive::CArchive(QIODevice *device, Mode mode, qint64 maxBytes) : m_device(device), m_mode(mode)
{
    m_loaded.push_back({nullptr, 0});
    if (mode == load && device->isSequential()) {
        // Bounds need the bytes left, which only a random-access device
        // knows; read in pieces, so that a source without end stops at the limit.
        QByteArray all;
        while (all.size() <= maxBytes) {
            const QByteArray piece = device->read(qMin(kReadPiece, maxBytes + 1 - all.size()));
            if (piece.isEmpty())
                break; // what the device has, as readAll would take it
            all += piece;
        }
        if (all.size() > maxBytes)
            Fail(CArchiveException::generic, LoadString(IDS_ARCHIVE_TOO_LARGE));
        auto copy = std::make_unique<QBuffer>();
        copy->setData(all);
        copy->open(QIODevice::ReadOnly);
        m_copy = std::move(copy);
        m_device = m_copy.get();
    }
}

void CArchive::CheckMode(Mode wanted) const
{
    if (m_mode != wanted)
        Fail(wanted == load ? CArchiveException::writeOnly : CArchiveException::readOnly,
             wanted == load ? LoadString(IDS_ARCHIVE_READING_A_STORE) : LoadString(IDS_ARCHIVE_WRITING_A_LOAD));
}

qint64 CArchive::BytesLeft() const
{
    return m_mode == load ? qMax<qint64>(0, m_device->size() - m_device->pos()) : 0;
}

void CArchive::Read(void *data, qint64 size)
{
    CheckMode(load);
    if (size < 0 || size > BytesLeft())
        Fail(CArchiveException::endOfFile, LoadString(IDS_ARCHIVE_ENDS_EARLY));
    if (size > 0 && m_device->read(static_cast<char *>(data), size) != size)
        Fail(CArchiveException::endOfFile, LoadString(IDS_ARCHIVE_NOT_READ));
}

void CArchive::Write(const void *data, qint64 size)
{
    CheckMode(store);
    if (size > 0 && m_device->write(static_cast<const char *>(data), size) != size)
        Fail(CArchiveException::generic, LoadString(IDS_ARCHIVE_NOT_WRITTEN));
}

QByteArray CArchive::ReadBytes(qint64 size)
{
    if (size < 0 || size > BytesLeft())
        Fail(CArchiveException::endOfFile, LoadString(IDS_ARCHIVE_ENDS_EARLY));
    QByteArray bytes(size, Qt::Uninitialized);
    Read(bytes.data(), size);
    return bytes;
}

QByteArray CArchive::PeekBytes(qint64 size) const
{
    CheckMode(load);
    return m_device->peek(qBound<qint64>(0, size, BytesLeft()));
}

void CArchive::Flush()
{
    auto *file = qobject_cast<QFileDevice *>(m_device);
    if (m_mode == store && file && !file->flush())
        Fail(CArchiveException::generic, LoadString(IDS_ARCHIVE_NOT_WRITTEN));
}

CArchive &CArchive::operator<<(float v)
{
    quint32 bits;
    std::memcpy(&bits, &v, sizeof bits);
    return *this << bits;
}

CArchive &CArchive::operator<<(double v)
{
    quint64 bits;
    std::memcpy(&bits, &v, sizeof bits);
    return *this << bits;
}

CArchive &CArchive::operator>>(float &v)
{
    quint32 bits;
    *this >> bits;
    std::memcpy(&v, &bits, sizeof v);
    return *this;
}

CArchive &CArchive::operator>>(double &v)
{
    quint64 bits;
    *this >> bits;
    std::memcpy(&v, &bits, sizeof v);
    return *this;
}

void CArchive::WriteString(const QString &text)
{
    const QByteArray bytes = text.toLatin1();
    const auto length = quint32(bytes.size());
    if (length < 0xFF) {
        *this << quint8(length);
    } else if (length < kWideMarker) {
        *this << quint8(0xFF) << quint16(length);
    } else {
        *this << quint8(0xFF) << quint16(0xFFFF) << length;
    }
    Write(bytes.constData(), bytes.size());
}

quint32 CArchive::ReadStringLength(bool &wide)
{
    wide = false;
    for (;;) {
        quint8 shortLength;
        *this >> shortLength;
        if (shortLength < 0xFF)
            return shortLength;
        quint16 length;
        *this >> length;
        if (length == kWideMarker && !wide) {
            wide = true; // UTF-16 characters follow the length that comes next
            continue;
        }
        if (length == kWideMarker)
            Fail(CArchiveException::generic, LoadString(IDS_ARCHIVE_WIDE_TWICE));
        if (length < 0xFFFF)
            return length;
        quint32 longLength;
        *this >> longLength;
        return longLength;
    }
}

QString CArchive::ReadString()
{
    bool wide = false;
    const quint32 length = ReadStringLength(wide);
    const QByteArray bytes = ReadBytes(qint64(length) * (wide ? 2 : 1));
    if (!wide)
        return QString::fromLatin1(bytes);
    QString text(qsizetype(length), Qt::Uninitialized);
    for (quint32 i = 0; i < length; ++i)
        text[i] = QChar(qFromLittleEndian<quint16>(bytes.constData() + 2 * i));
    return text;
}

void CArchive::WriteCount(quint32 count)
{
    if (count < 0xFFFF)
        *this << quint16(count);
    else
        *this << quint16(0xFFFF) << count;
}

quint32 CArchive::ReadCount()
{
    quint16 shortCount;
    *this >> shortCount;
    quint32 count = shortCount;
    if (shortCount == 0xFFFF)
        *this >> count;
    if (count > BytesLeft())
        Fail(CArchiveException::endOfFile, LoadString(IDS_ARCHIVE_COUNT_TOO_LARGE));
    return count;
}

quint32 CArchive::NextMapIndex()
{
    if (m_mapCount >= kMaxMapCount)
        Fail(CArchiveException::badIndex, LoadString(IDS_ARCHIVE_TOO_MANY_OBJECTS));
    return m_mapCount++;
}

void CArchive::WriteClass(const CRuntimeClass *cls)
{
    if (!cls->IsSerializable())
        Fail(CArchiveException::badClass,
             FormatString(IDS_ARCHIVE_CANNOT_STORE, {QString::fromLatin1(cls->m_lpszClassName)}));
    const auto known = m_stored.constFind(cls);
    if (known != m_stored.constEnd()) {
        if (*known < kBigObjectTag)
            *this << quint16(kClassTag | *known);
        else
            *this << kBigObjectTag << quint32(kBigClassTag | *known);
        return;
    }
    const QByteArray name(cls->m_lpszClassName);
    *this << kNewClassTag << quint16(cls->m_wSchema & ~VERSIONABLE_SCHEMA) << quint16(name.size());
    Write(name.constData(), name.size());
    m_stored.insert(cls, NextMapIndex());
}

void CArchive::WriteObject(const CObject *obj)
{
    CheckMode(store);
    if (!obj) {
        *this << kNullTag;
        return;
    }
    const auto known = m_stored.constFind(obj);
    if (known != m_stored.constEnd()) {
        if (*known < kBigObjectTag)
            *this << quint16(*known);
        else
            *this << kBigObjectTag << quint32(*known);
        return;
    }
    WriteClass(obj->GetRuntimeClass());
    m_stored.insert(obj, NextMapIndex());
    // Serialize of a stored object does not change it; the class library's shape needs a non-const one.
    const_cast<CObject *>(obj)->Serialize(*this);
}

const CRuntimeClass *CArchive::ReadNewClass(unsigned &schema)
{
    quint16 fileSchema;
    quint16 nameLength;
    *this >> fileSchema >> nameLength;
    if (nameLength == 0 || nameLength >= kMaxClassName)
        Fail(CArchiveException::badClass, LoadString(IDS_ARCHIVE_CLASS_NAME_LENGTH));
    const QByteArray name = ReadBytes(nameLength);
    const CRuntimeClass *cls = CRuntimeClass::FromName(std::string_view(name.constData(), size_t(name.size())));
    if (!cls || !cls->IsSerializable())
        Fail(CArchiveException::badClass, FormatString(IDS_ARCHIVE_UNKNOWN_CLASS, {name}));
    const unsigned ownSchema = cls->m_wSchema & ~VERSIONABLE_SCHEMA;
    if (fileSchema != ownSchema && !(cls->m_wSchema & VERSIONABLE_SCHEMA))
        Fail(CArchiveException::badSchema, FormatString(IDS_ARCHIVE_OTHER_SCHEMA, {name}));
    NextMapIndex();
    m_loaded.push_back({cls, fileSchema});
    schema = fileSchema;
    return cls;
}

const CRuntimeClass *CArchive::ReadClass(unsigned &schema, quint32 &objectTag)
{
    quint16 tag;
    *this >> tag;
    if (tag == kNewClassTag)
        return ReadNewClass(schema);
    quint32 wideTag = (quint32(tag & kClassTag) << 16) | (tag & ~kClassTag);
    if (tag == kBigObjectTag)
        *this >> wideTag;
    if (!(wideTag & kBigClassTag)) {
        objectTag = wideTag;
        return nullptr;
    }
    const quint32 index = wideTag & ~kBigClassTag;
    if (index == 0 || index >= m_loaded.size() || !m_loaded[index].cls)
        Fail(CArchiveException::badIndex, LoadString(IDS_ARCHIVE_CLASS_NOWHERE));
    schema = m_loaded[index].schema;
    return m_loaded[index].cls;
}

std::unique_ptr<CObject> CArchive::ReadObject(const CRuntimeClass *expected)
{
    CheckMode(load);
    unsigned schema = 0;
    quint32 objectTag = 0;
    const CRuntimeClass *cls = ReadClass(schema, objectTag);
    if (!cls) {
        if (objectTag == 0)
            return nullptr;
        // Every object the program writes is written once; a second reference
        // would hand one object to two owners.
        Fail(CArchiveException::badIndex, objectTag < m_loaded.size() && !m_loaded[objectTag].cls
                                              ? LoadString(IDS_ARCHIVE_OBJECT_TWICE)
                                              : LoadString(IDS_ARCHIVE_OBJECT_NOWHERE));
    }
    if (expected && !cls->IsDerivedFrom(expected))
        Fail(CArchiveException::badClass,
             FormatString(IDS_ARCHIVE_WRONG_CLASS, {QString::fromLatin1(cls->m_lpszClassName),
                                                    QString::fromLatin1(expected->m_lpszClassName)}));
    std::unique_ptr<CObject> obj(cls->CreateObject());
    NextMapIndex();
    m_loaded.push_back({nullptr, schema});
    LoadScope scope(m_depth, m_objectSchema, schema);
    obj->Serialize(*this);
    return obj;
}

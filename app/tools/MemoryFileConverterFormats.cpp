// The format-memory steps: the built-in formats of 2.179 from
// "2179core.fmt", the 72-byte records with their CRC from 2.349, the
// clean-up of 2.449 and the custom formats the new formats of 2.800 and
// 2.898 replace. Every record a step changes gets its CRC again.
#include "MemoryFileConverter.h"

#include "MemoryFileBytes.h"
#include "MemoryRecords.h"
#include "StringTable.h"

#include <QDir>

#include <algorithm>
#include <vector>

namespace {

constexpr qsizetype kOldFormatRecord = 84;   // before 2.349
constexpr qsizetype kFormatRecord = 72;      // from 2.349 on
constexpr qsizetype kFormatRecords = 300;
constexpr qsizetype kCoreFormats = 124;      // in "2179core.fmt"
constexpr qsizetype kCustomFormats2179 = kFormatRecords - kCoreFormats;
constexpr qsizetype kFormatNameAt = 4;

QByteArray FormatRecordName(const QByteArray &record) { return record.mid(kFormatNameAt, kNameSize); }

// The exact 8 blank-padded bytes.
bool IsBuiltInAt2001(const QByteArray &name)
{
    static const std::vector<QByteArray> builtIns = [] {
        std::vector<QByteArray> names;
        for (const char *builtIn : BuiltInFormats2001())
            names.push_back(QByteArray(builtIn).leftJustified(kNameSize, ' '));
        return names;
    }();
    return std::find(builtIns.begin(), builtIns.end(), name) != builtIns.end();
}

bool IsBuiltInAt2349(const QByteArray &name)
{
    const QByteArray trimmed = TrimmedName(name);
    for (const char *builtIn : BuiltInFormats2349())
        if (trimmed.compare(builtIn, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

void StoreFormatCrc(QByteArray &record)
{
    const uint16_t crc = Crc16Arc(BytesAt(record, kFormatNameAt), kFormatRecord - kFormatNameAt);
    record[0] = char(crc & 0xFF);
    record[1] = char(crc >> 8);
}

// Old bytes 12-15 and 40-47 (chrominance, luminance, video bias) go.
QByteArray ShortFormatRecord(const QByteArray &old)
{
    QByteArray record = old.left(12) + old.mid(16, 24) + old.mid(48, 36);
    StoreFormatCrc(record);
    return record;
}

QByteArray FormatRenameLine(const NameChange &change)
{
    return QByteArray(change.from).leftJustified(16, ' ') + change.to;
}

} // namespace

bool MemoryFileConverter::FormatMemory(int revision)
{
    if (!m_presence.formats)
        return true;
    Log(IDS_CONVERT_FORMAT_MEMORY);
    switch (revision) {
    case 2179: return FormatMemory2179();
    case 2349: return FormatMemory2349();
    case 2449: return FormatMemory2449();
    default: return FormatMemoryNewFormats(revision);
    }
}

// The 124 built-in formats of 2.179, then the custom formats of the old
// file (up to the 176 records left; each one beyond is named in the log),
// then free records up to 300.
bool MemoryFileConverter::FormatMemory2179()
{
    const QString &corePath = m_coreFormats;
    QByteArray core;
    if (!ReadFileAt(corePath, QDir::toNativeSeparators(corePath), core))
        return false;
    if (core.size() != kCoreFormats * kOldFormatRecord) {
        Log(IDS_CORRUPTED_FILE, {QDir::toNativeSeparators(corePath)});
        return false;
    }
    return Rewrite(QStringLiteral("formats.fmt"), [&](const QByteArray &in, QByteArray &out) {
        Log(IDS_CONVERT_RENAME_HEADING);
        Log(IDS_CONVERT_RENAME_RULE);
        for (const NameChange &change : FormatRenames())
            Log(IDS_CONVERT_RENAME_PAIR, {QString::fromLatin1(FormatRenameLine(change))});
        if (in.size() < kFormatRecords * kOldFormatRecord)
            return false;
        out = core;
        qsizetype customs = 0;
        for (qsizetype i = 0; i < kFormatRecords; ++i) {
            const QByteArray record = in.mid(i * kOldFormatRecord, kOldFormatRecord);
            const QByteArray name = FormatRecordName(record);
            if (IsEmptyName(name) || IsBuiltInAt2001(name))
                continue;
            if (customs == kCustomFormats2179) {
                Log(IDS_CONVERT_FORMAT_NO_ROOM, {QString::fromLatin1(TrimmedName(name))});
                continue;
            }
            out.append(record);
            ++customs;
        }
        out.append((kCustomFormats2179 - customs) * kOldFormatRecord, '\0');
        return true;
    });
}

bool MemoryFileConverter::FormatMemory2349()
{
    Log(IDS_CONVERT_FORMAT_REMOVED);
    const QString name = QStringLiteral("formats.fmt");
    const bool converted = Rewrite(name, [](const QByteArray &in, QByteArray &out) {
        if (in.size() < kFormatRecords * kOldFormatRecord)
            return false;
        out.clear();
        for (qsizetype i = 0; i < kFormatRecords; ++i)
            out.append(ShortFormatRecord(in.mid(i * kOldFormatRecord, kOldFormatRecord)));
        return true;
    });
    if (!converted)
        return false;
    Log(IDS_CONVERT_FORMAT_RENAME_FILE);
    return RenameFile(name, QStringLiteral("format.mem"));
}

bool MemoryFileConverter::FormatMemory2449()
{
    Log(IDS_CONVERT_CLEANUP);
    return Rewrite(QStringLiteral("format.mem"), [](const QByteArray &in, QByteArray &out) {
        if (in.size() < kFormatRecords * kFormatRecord)
            return false;
        out.clear();
        for (qsizetype i = 0; i < kFormatRecords; ++i) {
            const QByteArray record = in.mid(i * kFormatRecord, kFormatRecord);
            const QByteArray name = FormatRecordName(record);
            if (!IsEmptyName(name) && !IsBuiltInAt2349(name) && !TrimmedName(name).endsWith('\''))
                out.append(record);
        }
        out.append(kFormatRecords * kFormatRecord - out.size(), '\0');
        return true;
    });
}

// 2.800 and 2.898: names NUL-padded; a custom format named like a new one
// gives way to it; 2.800 clears the pixel clock bit (byte 67 bit 0).
bool MemoryFileConverter::FormatMemoryNewFormats(int revision)
{
    if (revision == 2800)
        Log(IDS_CONVERT_PIXEL_CLOCK);
    return Rewrite(QStringLiteral("format.mem"), [&](const QByteArray &in, QByteArray &out) {
        if (in.size() < kFormatRecords * kFormatRecord)
            return false;
        out.clear();
        for (qsizetype i = 0; i < kFormatRecords; ++i) {
            QByteArray record = in.mid(i * kFormatRecord, kFormatRecord);
            const QByteArray name = BlanksToNul(FormatRecordName(record));
            bool replaced = false;
            for (const char *added : NewFormats(revision))
                replaced = replaced || (!IsEmptyName(name) && SameNameNoCase(name, added));
            if (replaced) {
                Log(IDS_CONVERT_FORMAT_REPLACED, {QString::fromLatin1(TrimmedName(name))});
                continue;
            }
            record.replace(kFormatNameAt, kNameSize, name);
            if (revision == 2800)
                record[67] = char(record[67] & ~1);
            StoreFormatCrc(record);
            out.append(record);
        }
        out.append(kFormatRecords * kFormatRecord - out.size(), '\0');
        return true;
    });
}

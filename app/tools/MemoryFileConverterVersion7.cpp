// 3.000 data into the revision-7 files: formats, sequences, images, name
// lists and path memory each through its ".tmp" into a file of objects
// with their sums (MemoryFileWriter).
#include "MemoryFileConverter.h"

#include "MemoryFileBytes.h"
#include "MemoryFileWriter.h"
#include "MemoryRecords.h"
#include "ProcessorNumbers.h"
#include "StringTable.h"

#include <cfloat>
#include <cmath>
#include <cstring>

namespace {

constexpr qsizetype kFormatRecord7 = 72;

// Letters, digits, '_' and NUL stay; anything else becomes '_'.
QByteArray CleanObjectName(QByteArray name)
{
    for (char &c : name) {
        const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'
                       || c == '\0';
        if (!kept)
            c = '_';
    }
    return name;
}

// A processor float as an IEEE float, big-endian.
void AppendIeeeFloat(QByteArray &out, const uint8_t *processorFloat)
{
    const double value = UnpackFloat(processorFloat);
    // The processor's largest exponent reaches beyond a float's range.
    float single = value > 0 ? INFINITY : -INFINITY;
    if (std::fabs(value) <= FLT_MAX)
        single = static_cast<float>(value);
    uint32_t bits = 0;
    std::memcpy(&bits, &single, 4);
    AppendU32BE(out, bits);
}

// The 80-byte body of a format object from a 72-byte record.
QByteArray FormatBody(const QByteArray &record)
{
    const uint8_t *old = BytesAt(record, 0);
    QByteArray body;
    for (int i = 0; i < 7; ++i)
        AppendIeeeFloat(body, old + 12 + 4 * i);
    for (int i = 0; i < 8; ++i)
        AppendU16BE(body, GetU16LE(old + 40 + 2 * i));
    body.append(record.mid(56, 7));  // 56-59, 60-61, 62 as stored
    for (int i = 63; i <= 65; ++i) {
        body.append(char(old[i] & 0x0F));
        body.append(char(old[i] >> 4));
    }
    for (int i = 66; i <= 67; ++i)
        for (int bit = 0; bit < 8; ++bit)
            body.append(char((old[i] >> bit) & 1));
    body.append(char(old[68] & 0x03));
    body.append(char((old[68] >> 2) & 0x07));
    body.append(char((old[68] >> 5) & 0x07));
    body.append(char(old[69]));
    body.append(char(old[70]));
    body.append(char(old[71] & 0x01));
    body.append('\0');
    return body;
}

QByteArray SequenceStep7(QByteArray step)
{
    for (int i = 0; i < 2 * kNameSize; ++i)
        if (step[i] == '\'')
            step[i] = '_';
    QByteArray out = step.left(16);
    AppendIeeeFloat(out, BytesAt(step, 16));
    return out + step.mid(20, 4);
}

constexpr uint16_t kDroppedOpcode = 100;

} // namespace

bool MemoryFileConverter::ConvertToVersion7()
{
    Log(IDS_CONVERT_VERSION7);
    if (!RemoveFile(QStringLiteral("system.sys")))
        return false;
    return Formats7() && Sequences7() && Images7() && Knobs7() && Paths7();
}

// Every named record, free ones between them skipped.
bool MemoryFileConverter::Formats7()
{
    if (!m_presence.formats)
        return true;
    Log(IDS_CONVERT_FORMATS7);
    return Rewrite(QStringLiteral("format.mem"), [](const QByteArray &in, QByteArray &out) {
        if (in.size() % kFormatRecord7 != 0)
            return false;
        MemoryFileWriter writer(MemoryObjectType::Formats);
        for (qsizetype at = 0; at < in.size(); at += kFormatRecord7) {
            const QByteArray record = in.mid(at, kFormatRecord7);
            if (record[4] == '\0')
                continue;
            writer.BeginObject(CleanObjectName(record.mid(4, kNameSize)));
            writer.Append(FormatBody(record));
            writer.EndObject();
        }
        out = writer.Finish();
        return true;
    });
}

bool MemoryFileConverter::Sequences7()
{
    if (!m_presence.sequences)
        return true;
    Log(IDS_CONVERT_SEQUENCES7);
    return Rewrite(QStringLiteral("sequence.mem"), [](const QByteArray &in, QByteArray &out) {
        std::vector<OldSequence> sequences;
        if (!ReadSequences(in, 24, kStepTailSize, sequences))
            return false;
        MemoryFileWriter writer(MemoryObjectType::Sequences);
        for (const OldSequence &sequence : sequences) {
            writer.BeginObject(CleanObjectName(sequence.name));
            writer.AppendU32(1);
            writer.AppendByte(0);
            writer.AppendByte(0);
            writer.AppendU32(0);
            writer.AppendU32(uint32_t(sequence.steps.size()));
            writer.AppendU32(uint32_t(sequence.steps.size() * 24));
            for (const QByteArray &step : sequence.steps)
                writer.Append(SequenceStep7(step));
            writer.EndObject();
        }
        out = writer.Finish();
        return true;
    });
}

bool MemoryFileConverter::Images7()
{
    if (!m_presence.images)
        return true;
    Log(IDS_CONVERT_IMAGES7);
    return Rewrite(QStringLiteral("image.mem"), [](const QByteArray &in, QByteArray &out) {
        std::vector<OldImage> images;
        if (!ReadOldImages(in, PrimitiveLayoutRevision3, images))
            return false;
        MemoryFileWriter writer(MemoryObjectType::Images);
        for (const OldImage &image : images) {
            QByteArray records;
            uint32_t count = 0;
            for (const OldPrimitive &primitive : image.primitives) {
                if (primitive.opcode == kDroppedOpcode)
                    continue;
                AppendU16BE(records, primitive.opcode);
                for (uint16_t word : primitive.words)
                    AppendU16BE(records, word);
                records.append(primitive.raw);
                ++count;
            }
            writer.BeginObject(image.name);
            writer.AppendU32(640);
            writer.AppendU32(480);
            writer.AppendU32(count);
            writer.AppendU32(uint32_t(records.size()));
            writer.Append(records);
            writer.EndObject();
        }
        out = writer.Finish();
        return true;
    });
}

bool MemoryFileConverter::Knobs7()
{
    if (!m_presence.knobs)
        return true;
    Log(IDS_CONVERT_KNOBS7);
    return Rewrite(QStringLiteral("dir.mem"), [](const QByteArray &in, QByteArray &out) {
        std::vector<Directory> directories;
        if (!ReadDirectories(in, directories))
            return false;
        MemoryFileWriter writer(MemoryObjectType::NameLists);
        for (const Directory &directory : directories) {
            writer.BeginObject(directory.name);
            writer.AppendU32(uint32_t(directory.entries.size()));
            for (const QByteArray &entry : directory.entries)
                writer.Append(entry);
            writer.EndObject();
        }
        out = writer.Finish();
        return true;
    });
}

// The first 8 bytes of each of the four 32-byte entries, and a NUL.
bool MemoryFileConverter::Paths7()
{
    if (!m_presence.paths)
        return true;
    Log(IDS_CONVERT_PATHS7);
    return Rewrite(QStringLiteral("path.mem"), [](const QByteArray &in, QByteArray &out) {
        if (in.size() < 4 * 32)
            return false;
        MemoryFileWriter writer(MemoryObjectType::PathMemory);
        for (int i = 0; i < 4; ++i) {
            writer.Append(in.mid(32 * i, kNameSize));
            writer.AppendByte(0);
        }
        out = writer.Finish();
        return true;
    });
}

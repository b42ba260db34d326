#include "MemoryRecords.h"

#include "MemoryFileBytes.h"

QByteArray PaddedName(const QByteArray &name)
{
    QByteArray out = name.left(kNameSize);
    out.append(kNameSize - out.size(), '\0');
    return out;
}

QByteArray BlanksToNul(QByteArray name)
{
    name.replace(' ', '\0');
    return name;
}

QByteArray TrimmedName(const QByteArray &name)
{
    const qsizetype nul = name.indexOf('\0');
    QByteArray out = nul < 0 ? name : name.left(nul);
    while (out.endsWith(' '))
        out.chop(1);
    return out;
}

bool SameNameNoCase(const QByteArray &a, const QByteArray &b)
{
    return TrimmedName(a).compare(TrimmedName(b), Qt::CaseInsensitive) == 0;
}

bool IsEmptyName(const QByteArray &name)
{
    return name.isEmpty() || name[0] == '\0' || name[0] == ' ';
}

KnobEntries ReadKnobEntries(const QByteArray &file, qsizetype from)
{
    KnobEntries list;
    for (qsizetype at = from; at < file.size(); at += kNameSize) {
        const QByteArray entry = PaddedName(file.mid(at, kNameSize));
        if (entry[0] == '\0') {
            list.terminated = true;
            break;
        }
        list.names.push_back(entry);
    }
    return list;
}

// --- Images ---------------------------------------------------------------------

namespace {

PrimitiveLayout OldLayout(uint16_t opcode, int charactersWords)
{
    switch (opcode) {
    case 0: case 1: return {6, 0};
    case 2: return {5, 0};
    case 3: case 4: case 11: case 12: case 13: case 16: return {3, 0};
    case 5: case 6: return {2, 0};
    case 7: return {charactersWords, 0};
    case 8: case 9: case 14: case 100: return {1, 0};
    case 10: return {8, 0};
    case 15: return {24, 0};
    default: return {0, 0};
    }
}

} // namespace

PrimitiveLayout PrimitiveLayoutBefore2179(uint16_t opcode) { return OldLayout(opcode, 2); }
PrimitiveLayout PrimitiveLayout2179(uint16_t opcode) { return OldLayout(opcode, 3); }

PrimitiveLayout PrimitiveLayoutRevision3(uint16_t opcode)
{
    switch (opcode) {
    case 0: case 1: return {6, 0};
    case 2: return {5, 0};
    case 3: case 4: case 5: case 6: case 11: case 12: case 13: case 16: case 20: return {3, 0};
    case 22: return {3, 10};
    case 7: case 21: return {7, 0};
    case 8: case 9: case 14: case 17: case 18: case 19: case 100: return {1, 0};
    case 10: return {8, 0};
    case 15: return {4, 40};
    default: return {-1, 0};
    }
}

namespace {

// One primitive at pos, pos moved past it; false when it is cut short or
// unknown to the form.
bool ReadPrimitive(const QByteArray &file, qsizetype &pos, uint16_t opcode, PrimitiveLayoutFn layoutOf,
                   OldPrimitive &primitive)
{
    const PrimitiveLayout layout = layoutOf(opcode);
    if (layout.words < 0 || file.size() - pos < 2 * qsizetype(layout.words) + layout.rawBytes)
        return false;
    primitive.opcode = opcode;
    primitive.words.resize(size_t(layout.words));
    for (uint16_t &word : primitive.words) {
        word = GetU16LE(BytesAt(file, pos));
        pos += 2;
    }
    primitive.raw = file.mid(pos, layout.rawBytes);
    pos += layout.rawBytes;
    return true;
}

} // namespace

bool ReadOldImages(const QByteArray &file, PrimitiveLayoutFn layout, std::vector<OldImage> &images)
{
    qsizetype pos = 0;
    while (pos < file.size() && file[pos] != '\0') {
        if (file.size() - pos < kNameSize)
            return false;
        OldImage image;
        image.name = file.mid(pos, kNameSize);
        pos += kNameSize;
        for (;;) {
            if (file.size() - pos < 2)
                return false;
            const uint16_t opcode = GetU16LE(BytesAt(file, pos));
            pos += 2;
            if (opcode == kEndOfImage)
                break;
            image.primitives.emplace_back();
            if (!ReadPrimitive(file, pos, opcode, layout, image.primitives.back()))
                return false;
        }
        images.push_back(std::move(image));
    }
    return true;
}

QByteArray WriteOldImages(const std::vector<OldImage> &images)
{
    QByteArray out;
    for (const OldImage &image : images) {
        out.append(image.name);
        for (const OldPrimitive &primitive : image.primitives) {
            AppendU16LE(out, primitive.opcode);
            for (uint16_t word : primitive.words)
                AppendU16LE(out, word);
            out.append(primitive.raw);
        }
        AppendU16LE(out, kEndOfImage);
    }
    out.append('\0');
    return out;
}

// --- Sequences ------------------------------------------------------------------

bool ReadTimedSequences(const QByteArray &file, std::vector<OldTimedSequence> &sequences)
{
    if (file.size() % kOldSequenceSize != 0)
        return false;
    for (qsizetype at = 0; at < file.size(); at += kOldSequenceSize) {
        OldTimedSequence sequence;
        sequence.name = file.mid(at, kNameSize);
        for (int i = 0; i < kOldSequenceSteps; ++i) {
            const qsizetype step = at + kNameSize + i * kOldStepSize;
            sequence.steps.push_back({file.mid(step, kNameSize), file.mid(step + kNameSize, kNameSize),
                                      GetU16LE(BytesAt(file, step + 2 * kNameSize))});
        }
        sequences.push_back(std::move(sequence));
    }
    return true;
}

bool ReadSequences(const QByteArray &file, qsizetype stepSize, qsizetype tailSize,
                   std::vector<OldSequence> &sequences)
{
    qsizetype pos = 0;
    while (pos < file.size() && file[pos] != '\0') {
        if (file.size() - pos < kNameSize)
            return false;
        OldSequence sequence;
        sequence.name = file.mid(pos, kNameSize);
        pos += kNameSize;
        for (;;) {
            if (pos >= file.size())
                return false;
            if (uint8_t(file[pos]) == kEndOfSteps) {
                if (file.size() - pos - 1 < tailSize)
                    return false;
                sequence.tail = file.mid(pos + 1, tailSize);
                pos += 1 + tailSize;
                break;
            }
            if (file.size() - pos < stepSize)
                return false;
            sequence.steps.push_back(file.mid(pos, stepSize));
            pos += stepSize;
        }
        sequences.push_back(std::move(sequence));
    }
    return true;
}

QByteArray WriteSequences(const std::vector<OldSequence> &sequences)
{
    QByteArray out;
    for (const OldSequence &sequence : sequences) {
        out.append(sequence.name);
        for (const QByteArray &step : sequence.steps)
            out.append(step);
        out.append(char(kEndOfSteps));
        out.append(sequence.tail);
    }
    out.append('\0');
    return out;
}

// --- Directories ----------------------------------------------------------------

bool ReadDirectories(const QByteArray &file, std::vector<Directory> &directories, QByteArray *rest)
{
    qsizetype pos = 0;
    for (;;) {
        if (pos >= file.size())
            return false;
        if (file[pos] == '\0')
            break;
        if (file.size() - pos < kNameSize)
            return false;
        Directory directory;
        directory.name = file.mid(pos, kNameSize);
        pos += kNameSize;
        for (;;) {
            if (pos >= file.size())
                return false;
            if (uint8_t(file[pos]) == kEndOfDirectory) {
                ++pos;
                break;
            }
            if (file.size() - pos < kNameSize)
                return false;
            directory.entries.push_back(file.mid(pos, kNameSize));
            pos += kNameSize;
        }
        directories.push_back(std::move(directory));
    }
    if (rest != nullptr)
        *rest = file.mid(pos + 1);
    return true;
}

QByteArray WriteDirectories(const std::vector<Directory> &directories, const QByteArray &rest)
{
    QByteArray out;
    for (const Directory &directory : directories) {
        out.append(directory.name);
        for (const QByteArray &entry : directory.entries)
            out.append(entry);
        out.append(char(kEndOfDirectory));
    }
    out.append('\0');
    out.append(rest);
    return out;
}

uint16_t Crc16Arc(const uint8_t *bytes, qsizetype count)
{
    uint16_t crc = 0;
    for (qsizetype i = 0; i < count; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0xA001) : uint16_t(crc >> 1);
    }
    return crc;
}

// The sequence-memory steps: the 584-byte sequences before 2.179 become
// named step lists, their steps grow to 24 bytes at 2.349 and get their
// output settings at 2.981; and the fonts' file name of 2.349.
#include "MemoryFileConverter.h"

#include "MemoryRecords.h"
#include "ProcessorNumbers.h"
#include "StringTable.h"

#include <cmath>

namespace {

QByteArray Renamed(const QByteArray &name, std::span<const NameChange> renames)
{
    const QByteArray trimmed = TrimmedName(name);
    for (const NameChange &change : renames)
        if (trimmed == change.from)
            return PaddedName(change.to);
    return BlanksToNul(name);
}

// A step's duration in seconds as a processor float. Below a second the
// generator's own form: exponent 127 and the fraction d/10 x 2^23 as the
// mantissa (1 tenth is CC CC 8C 3F); from a second on the value's float
// form (10 tenths are 00 00 40 40).
QByteArray DurationForm(uint16_t tenths)
{
    uint8_t bytes[4];
    if (tenths < 10) {
        const auto mantissa = static_cast<uint32_t>(std::trunc(tenths / 10.0 * 8388608.0));
        bytes[0] = uint8_t(mantissa);
        bytes[1] = uint8_t(mantissa >> 8);
        bytes[2] = uint8_t(0x80 | ((mantissa >> 16) & 0x7F));
        bytes[3] = 0x3F;
    } else {
        PackFloat(static_cast<float>(tenths / 10.0), bytes);
    }
    return QByteArray(reinterpret_cast<const char *>(bytes), 4);
}

// Sequences of the 2.179 form, and the names for sequence.knb.
void ToSequences2179(const std::vector<OldTimedSequence> &old, std::vector<OldSequence> &sequences,
                     QByteArray &knobList)
{
    for (std::size_t v = 0; v < old.size(); ++v) {
        OldSequence sequence;
        sequence.name = TrimmedName(old[v].name) == "S" ? PaddedName("Seq" + QByteArray::number(qulonglong(v)))
                                                        : BlanksToNul(old[v].name);
        knobList.append(sequence.name);
        for (const OldTimedStep &step : old[v].steps)
            if (!IsEmptyName(step.format))
                sequence.steps.push_back(Renamed(step.format, FormatRenames()) + Renamed(step.image, ImageRenames())
                                         + DurationForm(step.tenths));
        sequences.push_back(std::move(sequence));
    }
}

} // namespace

bool MemoryFileConverter::SequenceMemory(int revision)
{
    if (!m_presence.sequences)
        return true;
    Log(IDS_CONVERT_SEQUENCE_MEMORY);
    if (revision == 2179)
        return SequenceMemory2179();
    if (revision == 2349) {
        Log(IDS_CONVERT_IMAGE_VERSION);
        const QString name = QStringLiteral("sequence.seq");
        const bool converted = Rewrite(name, [](const QByteArray &in, QByteArray &out) {
            std::vector<OldSequence> sequences;
            if (!ReadSequences(in, 20, 0, sequences))
                return false;
            for (OldSequence &sequence : sequences)
                for (QByteArray &step : sequence.steps)
                    step.append(4, '\0');
            out = WriteSequences(sequences);
            return true;
        });
        if (!converted)
            return false;
        Log(IDS_CONVERT_SEQUENCE_RENAME_FILE);
        return RenameFile(name, QStringLiteral("sequence.mem"));
    }
    Log(IDS_CONVERT_SEQUENCE_STRUCTURE);
    Log(IDS_CONVERT_SEQUENCE_ADDED);
    // Data older than 2.981 has no bytes after its 0xFF marks: they are made.
    const qsizetype tail = m_source >= 2981 ? kStepTailSize : 0;
    return Rewrite(QStringLiteral("sequence.mem"), [tail](const QByteArray &in, QByteArray &out) {
        std::vector<OldSequence> sequences;
        if (!ReadSequences(in, 24, tail, sequences))
            return false;
        for (OldSequence &sequence : sequences) {
            for (QByteArray &step : sequence.steps) {
                step[21] = 7;
                step[22] = 1;
                step[23] = 1;
            }
            if (tail == 0)
                sequence.tail = QByteArray(kStepTailSize, '\0');
        }
        out = WriteSequences(sequences);
        return true;
    });
}

bool MemoryFileConverter::SequenceMemory2179()
{
    Log(IDS_CONVERT_CREATE_SEQUENCE_KNOB);
    Log(IDS_CONVERT_SEQUENCE_NEW_FORMAT);
    QByteArray knobList = PaddedName("NewSeq");
    const bool converted = Rewrite(QStringLiteral("sequence.seq"), [&](const QByteArray &in, QByteArray &out) {
        std::vector<OldTimedSequence> old;
        if (!ReadTimedSequences(in, old))
            return false;
        std::vector<OldSequence> sequences;
        ToSequences2179(old, sequences, knobList);
        out = WriteSequences(sequences);
        return true;
    });
    return converted && WriteFile(QStringLiteral("sequence.knb"), knobList + QByteArray(kNameSize, '\0'));
}

bool MemoryFileConverter::Fonts()
{
    if (!m_presence.fonts)
        return true;
    return RemoveFile(QStringLiteral("font.new")) && RenameFile(QStringLiteral("fonts.fna"), QStringLiteral("font.new"));
}

// Any bytes as an older revision's image, sequence or directory file (the
// first byte picks which): the readers may refuse them, never read past
// them, and what they take is written back to bytes they read the same.
#include "FuzzCheck.h"
#include "MemoryRecords.h"

#include <cstddef>
#include <cstdint>

namespace {

bool SameImages(const std::vector<OldImage> &a, const std::vector<OldImage> &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].name != b[i].name || a[i].primitives.size() != b[i].primitives.size())
            return false;
        for (size_t p = 0; p < a[i].primitives.size(); ++p) {
            const OldPrimitive &x = a[i].primitives[p];
            const OldPrimitive &y = b[i].primitives[p];
            if (x.opcode != y.opcode || x.words != y.words || x.raw != y.raw)
                return false;
        }
    }
    return true;
}

void Images(const QByteArray &file, PrimitiveLayoutFn layout)
{
    std::vector<OldImage> images;
    if (!ReadOldImages(file, layout, images))
        return;
    std::vector<OldImage> again;
    FuzzCheck(ReadOldImages(WriteOldImages(images), layout, again) && SameImages(images, again));
}

void Sequences(const QByteArray &file, qsizetype stepSize, qsizetype tailSize)
{
    std::vector<OldSequence> sequences;
    if (!ReadSequences(file, stepSize, tailSize, sequences))
        return;
    for (const OldSequence &sequence : sequences) {
        FuzzCheck(sequence.name.size() == kNameSize && sequence.tail.size() == tailSize);
        for (const QByteArray &step : sequence.steps)
            FuzzCheck(step.size() == stepSize && uint8_t(step[0]) != kEndOfSteps);
    }
    std::vector<OldSequence> again;
    FuzzCheck(ReadSequences(WriteSequences(sequences), stepSize, tailSize, again) && again.size() == sequences.size());
}

void TimedSequences(const QByteArray &file)
{
    std::vector<OldTimedSequence> sequences;
    if (ReadTimedSequences(file, sequences))
        FuzzCheck(qsizetype(sequences.size()) * kOldSequenceSize == file.size());
}

void Directories(const QByteArray &file)
{
    std::vector<Directory> directories;
    QByteArray rest;
    if (!ReadDirectories(file, directories, &rest))
        return;
    FuzzCheck(WriteDirectories(directories, rest) == file);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray file(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    switch (data[0] % 7) {
    case 0: Images(file, PrimitiveLayoutBefore2179); break;
    case 1: Images(file, PrimitiveLayout2179); break;
    case 2: Images(file, PrimitiveLayoutRevision3); break;
    case 3: TimedSequences(file); break;
    case 4: Sequences(file, 20, 0); break;
    case 5: Sequences(file, 24, kStepTailSize); break;
    default: Directories(file); break;
    }
    (void)ReadKnobEntries(file, 0);
    return 0;
}

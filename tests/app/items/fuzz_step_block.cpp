// Random bytes as a dropped step block: taken whole or not at all, and
// what is taken builds a block that reads back as the same steps.
#include "StepTransferBlock.h"

#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray block(reinterpret_cast<const char *>(data), qsizetype(size));
    QString why;
    const std::optional<std::vector<CSequenceStep>> steps = StepTransferBlock::Parse(block, &why);
    if (!steps) {
        FuzzCheck(!why.isEmpty());
        return 0;
    }
    FuzzCheck(block.size() == StepTransferBlock::kHeaderSize + qsizetype(steps->size()) * CSequenceStep::kRecordSize);
    const std::optional<std::vector<CSequenceStep>> again = StepTransferBlock::Parse(StepTransferBlock::Build(*steps));
    FuzzCheck(again && again->size() == steps->size());
    for (size_t i = 0; i < steps->size(); ++i) {
        CSequenceStep step = (*steps)[i];
        FuzzCheck(step.Normalize());
        FuzzCheck((*again)[i].IsEqual(step));
    }
    return 0;
}

// Random bytes into the older product's sequence record: a refusal leaves
// the item as it was; what is taken lies in the step tables.
#include "Archive.h"
#include "CSequence.h"
#include "FuzzInput.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzArchive input(data, size);
    CArchive &ar = input.Archive();
    CSequence sequence;
    if (!sequence.ImportLegacyBinary(ar)) {
        FuzzCheck(!sequence.LastError().isEmpty());
        FuzzCheck(sequence.GetName() == QStringLiteral("Sequence") && sequence.Steps().empty());
        return 0;
    }
    FuzzCheck(sequence.GetName().size() <= int(CSequence::kLegacyNameLength));
    FuzzCheck(sequence.Steps().size() <= CSequence::kMaxSteps);
    for (CSequenceStep step : sequence.Steps()) {
        FuzzCheck(step.Normalize());
        FuzzCheck(step.formatName.size() <= CSequenceStep::kNameLength);
    }
    return 0;
}

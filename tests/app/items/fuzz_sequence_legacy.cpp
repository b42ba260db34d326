// Random bytes into the older product's sequence record: a refusal leaves
// the item as it was; what is taken lies in the step tables.
#include "Archive.h"
#include "CSequence.h"

#include <QBuffer>

#include <cstdlib>

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::load);
    CSequence sequence;
    if (!sequence.ImportLegacyBinary(ar)) {
        Check(!sequence.LastError().isEmpty());
        Check(sequence.GetName() == QStringLiteral("Sequence") && sequence.Steps().empty());
        return 0;
    }
    Check(sequence.GetName().size() <= int(CSequence::kLegacyNameLength));
    Check(sequence.Steps().size() <= CSequence::kMaxSteps);
    for (CSequenceStep step : sequence.Steps()) {
        Check(step.Normalize());
        Check(step.formatName.size() <= CSequenceStep::kNameLength);
    }
    return 0;
}

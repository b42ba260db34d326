// Random lines into the sequence command-file reader: no crash, every step
// taken lies in the step tables, and the lines written from what was taken
// read back as the same steps.
#include "CSequence.h"
#include "CSequenceCommandFile.h"

#include "CommandName.h"
#include "FuzzCheck.h"

#include <QString>
#include <QStringList>

namespace {

bool Writable(const CSequenceStep &step)
{
    // Names the writer refuses, or that hold a separator of the reader, do not come back whole.
    for (const QString &name : {step.formatName, step.imageName}) {
        if (!CommandNameProblem(name).isEmpty() || name.contains(u' ') || name.contains(u',') || name.startsWith(u'"'))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
    QStringList lines = QStringList{QString()} + text.split(u'\n');
    CSequence sequence;
    const bool ok = sequence.ImportCommandLines(lines);
    FuzzCheck(lines.isEmpty());
    FuzzCheck(ok == sequence.LastError().isEmpty());
    bool writable = true;
    for (CSequenceStep step : sequence.Steps()) {
        FuzzCheck(step.Normalize());
        writable = writable && Writable(step);
    }
    if (!writable || sequence.Steps().empty())
        return 0;
    QStringList again = SequenceCommandLines(sequence.Steps(), QStringLiteral("Again"));
    again[0].clear();
    const SequenceCommandParse back = ParseSequenceCommandLines(again);
    FuzzCheck(back.error.isEmpty());
    FuzzCheck(back.steps.size() == sequence.Steps().size());
    for (size_t i = 0; i < back.steps.size(); ++i)
        FuzzCheck(back.steps[i].IsEqual(sequence.Steps()[i]));
    return 0;
}

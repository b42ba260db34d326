#include "TransferSteps.h"

#include "CGenerator.h"
#include "CProgressDlg.h"
#include "CommandName.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"

namespace {

constexpr int kPollEvery = 10;

// The generator takes the kind; otherwise a box under caption says so.
bool GeneratorTakes(const StoredKind &kind, CGenerator &g, QWidget *parent, unsigned captionId)
{
    if ((g.*kind.takes)())
        return true;
    MessageBox(parent, PromptText(kind.notSupported, {g.GetPortName()}), PromptText(captionId), MB_OK | MB_ICONSTOP);
    return false;
}

} // namespace

void ShowTransferStatus(CProgressDlg *progress, const QString &text)
{
    if (progress)
        progress->SetStatus(IDC_STATUS2, text);
}

bool TransferCancelled(CProgressDlg *progress)
{
    return progress && progress->IsCancelled();
}

bool PollsCancelAt(int item)
{
    return (item - 1) % kPollEvery == 0;
}

bool TransferNameRefused(const QString &name, QWidget *parent, unsigned refusalId, unsigned captionId)
{
    const QString problem = CommandNameProblem(name);
    if (problem.isEmpty())
        return false;
    MessageBox(parent, PromptText(refusalId, {PrintableName(name), problem}), PromptText(captionId),
               MB_OK | MB_ICONEXCLAMATION);
    return true;
}

bool MaySend(const StoredKind &kind, CGenerator &g, const QString &name, QWidget *parent)
{
    return GeneratorTakes(kind, g, parent, kind.transmitError)
        && !TransferNameRefused(name, parent, kind.notSent, kind.transmitError);
}

bool MayRecall(const StoredKind &kind, CGenerator &g, const QString &name, QWidget *parent)
{
    return GeneratorTakes(kind, g, parent, kind.error) && !TransferNameRefused(name, parent, kind.notRecalled, kind.error);
}

bool MayCopy(const StoredKind &kind, CGenerator &source, CGenerator &target, const QString &name, QWidget *parent)
{
    return GeneratorTakes(kind, source, parent, kind.error) && GeneratorTakes(kind, target, parent, kind.transmitError)
        && !TransferNameRefused(name, parent, kind.notCopied, kind.error);
}

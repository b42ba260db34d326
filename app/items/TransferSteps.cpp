#include "TransferSteps.h"

#include "CProgressDlg.h"
#include "CommandName.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"

namespace {

constexpr int kPollEvery = 10;

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

#include "TransferSteps.h"

#include "CProgressDlg.h"
#include "CommandName.h"
#include "Prompts.h"
#include "ResourceIds.h"

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

bool TransferNameRefused(const QString &name, QWidget *parent, const QString &what, const QString &verb,
                         const QString &caption)
{
    const QString problem = CommandNameProblem(name);
    if (problem.isEmpty())
        return false;
    MessageBox(parent, PromptText(QStringLiteral("The %1 \"%2\" %3: %4").arg(what, PrintableName(name), verb, problem)),
               PromptText(caption), MB_OK | MB_ICONEXCLAMATION);
    return true;
}

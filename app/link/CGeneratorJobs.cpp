// An operation's commands as one job on the port thread (see GeneratorLink::RunJob).

#include "CGenerator.h"

#include "CProgressDlg.h"
#include "CommandJob.h"

bool CGenerator::RunCommands(CProgressDlg* progress, const std::function<void(CommandJob& job)>& job)
{
    CommandJob shown(progress);
    // The dialog takes its Cancel during the wait (it outlives the job); the
    // press is read on the port thread.
    const auto cancelled = [progress] { return progress != nullptr && progress->CancelRequested(); };
    const bool whole = m_link.RunJob([&] { job(shown); }, cancelled);
    shown.Finish();
    return whole;
}

bool CGenerator::SendCommandLines(const std::vector<CommandLine>& lines, CProgressDlg* progress)
{
    return RunCommands(progress, [&](CommandJob& job) {
        for (const CommandLine& line : lines) {
            if (IsHalted())
                return;
            job.Status(line.Text());
            SendCommand(line, false);
        }
    });
}

#pragma once
// What a job of commands on the port thread (CGenerator::RunCommands) shows
// while it runs: the progress dialog's detail line, handed to the GUI thread.
// The newest line wins: lines made faster than the GUI thread takes them are
// dropped, never queued one event each behind the job.

#include <QPointer>
#include <QString>

#include <memory>

class CProgressDlg;

class CommandJob
{
public:
    // progress may be null: the lines then go nowhere.
    explicit CommandJob(CProgressDlg* progress);
    // Lines still on their way show nothing once the job has gone.
    ~CommandJob();
    CommandJob(const CommandJob&) = delete;
    CommandJob& operator=(const CommandJob&) = delete;

    // The detail line (any thread).
    void Status(const QString& text);
    // The job is back (GUI thread): its last line shows now, and nothing
    // posted before overwrites a line set after.
    void Finish();

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
    QPointer<CProgressDlg> m_progress;
};

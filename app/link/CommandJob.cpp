#include "CommandJob.h"

#include "CProgressDlg.h"
#include "LinkRoutines.h"
#include "ResourceIds.h"

#include <mutex>

struct CommandJob::Shared
{
    std::mutex mutex;
    QString text;
    bool pending = false; // a line waits for the GUI thread
    bool closed = false;
};

CommandJob::CommandJob(CProgressDlg* progress)
    : m_shared(std::make_shared<Shared>())
    , m_progress(progress)
{
}

CommandJob::~CommandJob()
{
    std::lock_guard lock(m_shared->mutex);
    m_shared->closed = true;
}

void CommandJob::Status(const QString& text)
{
    if (m_progress.isNull())
        return;
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->text = text;
        if (m_shared->pending || m_shared->closed)
            return;
        m_shared->pending = true;
    }
    CProgressDlg* progress = m_progress.data();
    LinkRoutines::PostToGui(progress, [shared = m_shared, progress] {
        QString line;
        {
            std::lock_guard lock(shared->mutex);
            if (shared->closed || !shared->pending)
                return;
            shared->pending = false;
            line = shared->text;
        }
        progress->SetStatus(IDC_STATUS2, line);
    });
}

void CommandJob::Finish()
{
    QString line;
    bool show = false;
    {
        std::lock_guard lock(m_shared->mutex);
        show = m_shared->pending;
        m_shared->pending = false;
        m_shared->closed = true;
        line = m_shared->text;
    }
    if (show && !m_progress.isNull())
        m_progress->SetStatus(IDC_STATUS2, line);
}

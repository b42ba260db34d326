#pragma once
// While it lives, a progress dialog's Cancel also ends the library call in
// progress (an open's handshake, a card that does not answer, a transfer's
// wait for its answer): the operation ends at once, not after the call's
// time-outs. The waits work again once it goes.

#include "CProgressDlg.h"
#include "PortBackend.h"

class CancelEndsLibraryWaits
{
public:
    explicit CancelEndsLibraryWaits(CProgressDlg* progress)
        : m_progress(progress)
    {
        m_progress->SetCancelAction([] { InstalledPort().CancelWaits(true); });
        // A Cancel pressed before the action was set ends the waits too.
        if (m_progress->CancelRequested())
            InstalledPort().CancelWaits(true);
    }
    ~CancelEndsLibraryWaits()
    {
        m_progress->SetCancelAction(nullptr);
        InstalledPort().CancelWaits(false);
    }
    CancelEndsLibraryWaits(const CancelEndsLibraryWaits&) = delete;
    CancelEndsLibraryWaits& operator=(const CancelEndsLibraryWaits&) = delete;

private:
    CProgressDlg* m_progress;
};

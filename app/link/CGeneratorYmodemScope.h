#pragma once
// The progress dialog and flags of one YMODEM transfer, held for its waits
// (its Cancel ends the wait in progress), and the transfer run as one
// routine on the port thread (the sender in
// CGeneratorYmodem.cpp, the receiver in CGeneratorYmodemReceive.cpp).

#include "CGenerator.h"

#include "CProgressDlg.h"
#include "CancelEndsLibraryWaits.h"
#include "LinkRoutines.h"

#include <QCoreApplication>

#include <functional>
#include <optional>

// Holds the progress dialog for the waits of one transfer.
class CGenerator::YmodemScope
{
public:
    YmodemScope(CGenerator& generator, CProgressDlg* progress, bool flushTrace)
        : m_generator(generator)
    {
        generator.m_ymodemProgress = progress;
        generator.m_ymodemCancelled = false;
        generator.m_ymodemPutFailed = false;
        generator.m_ymodemFlushTrace = flushTrace;
        if (progress != nullptr)
            m_cancel.emplace(progress);
    }
    ~YmodemScope()
    {
        m_generator.m_ymodemProgress = nullptr;
        m_generator.m_ymodemCancelled = false;
        m_generator.m_ymodemPutFailed = false;
        m_generator.m_ymodemFlushTrace = false;
    }
    YmodemScope(const YmodemScope&) = delete;
    YmodemScope& operator=(const YmodemScope&) = delete;

    // Runs transfer as one routine on the port thread; then the status lines
    // it handed over are shown. False, with refusal, when it could not start.
    bool Run(const std::function<void()>& transfer, QString& refusal)
    {
        const bool ran = LinkRoutines::Run(m_generator.m_link.GetPort(), [&](ToolLibrary&) { transfer(); }, &refusal);
        if (m_generator.m_ymodemProgress != nullptr && QCoreApplication::instance() != nullptr)
            QCoreApplication::sendPostedEvents(m_generator.m_ymodemProgress, QEvent::MetaCall);
        return ran;
    }

private:
    CGenerator& m_generator;
    std::optional<CancelEndsLibraryWaits> m_cancel;
};

// A lost link: who hears of it and the reconnect (its boxes are in
// CGeneratorPrompts.cpp).

#include "CGenerator.h"

#include "GeneratorConnectFlow.h"

void CGenerator::AddLinkListener(QObject* context, std::function<void(bool lost)> listener)
{
    m_linkListeners.append({context, std::move(listener)});
}

void CGenerator::NotifyLinkListeners(bool lost)
{
    // A listener may add another while it is told; walk a copy.
    m_linkListeners.removeIf([](const LinkListener& l) { return l.context.isNull(); });
    const QList<LinkListener> listeners = m_linkListeners;
    for (const LinkListener& l : listeners) {
        if (!l.context.isNull())
            l.listener(lost);
    }
}

bool CGenerator::CheckLink()
{
    if (!m_link.CheckLink())
        return false;
    m_link.SendKeptClosings();
    return true;
}

bool CGenerator::Reconnect(CProgressDlg* progress, bool showErrors)
{
    if (m_link.LastPort() == 0)
        return false;
    if (GetPort() != 0)
        m_reconnectRate = m_link.IsSerial() ? GetBaudRate() : 0;
    const int rate = m_reconnectRate;
    bool back = true;
    {
        m_reconnecting = true;
        QString failure;
        if (!m_link.CheckLink() && !GeneratorConnectFlow(*this, m_link, m_owner).Reopen(progress, failure)) {
            // An empty failure: a box of the reopen has said why already.
            if (showErrors && !failure.isEmpty())
                ShowReconnectFailure(failure);
            back = false;
        }
        // The generator may have come back at its start-up rate.
        if (back && rate != 0 && GetBaudRate() != rate)
            back = ChangeBaudRate(rate) == BaudChange::Done;
        // An operation the loss cut is closed first: the generator answers as before it.
        if (back)
            m_link.SendKeptClosings();
        if (back) {
            SetFirmwareVersion(QueryVerf());
            QueryIdn(m_reconnectModel, m_reconnectVersion, m_reconnectSerial);
            back = !IsLinkLost() && LastCommandSucceeded();
        }
        m_reconnecting = false;
    }
    // Without a port (a failed reopen) the link stays lost.
    if (!back)
        m_link.SetLinkLost(true);
    else
        NotifyLinkListeners(false);
    return back;
}

void CGenerator::GetReconnectIdentity(QString& model, QString& version, QString& serial) const
{
    model = m_reconnectModel;
    version = m_reconnectVersion;
    serial = m_reconnectSerial;
}

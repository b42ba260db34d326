// A generator view while its link is lost: the bar above the panes, the
// status pane kept as it was, and Reconnect.

#include "CGeneratorView.h"

#include "CGenerator.h"
#include "CGeneratorDataPane.h"
#include "CGeneratorStatusPane.h"
#include "CLinkLostBar.h"
#include "PortWorker.h"
#include "UserAction.h"
#include "StringTable.h"

#include <QVBoxLayout>

void CGeneratorView::WatchLink()
{
    if (!m_connection)
        return;
    m_connection->SetModelName(m_state.model);
    m_connection->AddLinkListener(this, [this](bool lost) { OnLinkChanged(lost); });
}

QWidget *CGeneratorView::WithLinkLostBar(QWidget *panes)
{
    auto *client = new QWidget(this);
    auto *layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_linkLostBar = new CLinkLostBar(client);
    m_linkLostBar->onReconnect = [this] { Reconnect(); };
    layout->addWidget(m_linkLostBar);
    layout->addWidget(panes, 1);
    panes->setParent(client);
    m_linkLostBar->setVisible(m_connection && m_connection->IsLinkLost());
    return client;
}

void CGeneratorView::OnLinkChanged(bool lost)
{
    // Told in the middle of a command: only the windows change here.
    if (m_linkLostBar) {
        m_linkLostBar->SetGenerator(m_state.model, m_connection->GetPortName());
        m_linkLostBar->setVisible(lost);
    }
    if (m_statusPane)
        m_statusPane->SetLinkLost(lost);
    if (!lost) {
        QPointer<CGeneratorView> self(this);
        PortWorker::PostWhenIdle(this, [self] {
            if (self)
                self->OnLinkRegained();
        });
    }
}

void CGeneratorView::OnLinkRegained()
{
    if (!m_connection || m_connection->IsLinkLost())
        return;
    QString model;
    QString firmware;
    QString serial;
    m_connection->GetReconnectIdentity(model, firmware, serial);
    // A regain without a reconnect (a handshake of a rate change) keeps the identity.
    const bool known = !serial.isEmpty();
    if (known) {
        SetIdentity(model, firmware, serial);
        m_connection->SetModelName(model);
        setWindowTitle(FormatString(IDS_GENERATOR_ON_PORT, {model, m_connection->GetPortName()}));
    }
    // What the view read while the generator could not answer came back
    // empty: after a reconnect everything is read again.
    if (known && m_dataPane)
        m_dataPane->ReadAgain();
    RefreshStatus(kRefreshAll);
}

bool CGeneratorView::Reconnect()
{
    if (!m_connection)
        return false;
    const UserAction action;
    return m_connection->Reconnect(nullptr, true);
}

#include "GeneratorConnectFlow.h"

#include "CBaudRateDlg.h"
#include "CancelEndsLibraryWaits.h"
#include "CProgressDlg.h"
#include "CSelectPortDlg.h"
#include "GeneratorLink.h"
#include "PortBackend.h"
#include "StalledCardOffer.h"

#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"
#include "WaitCursor.h"

namespace {

constexpr int kEchoSeconds = 5; // the protocol's limit for an echo

} // namespace

GeneratorConnectFlow::GeneratorConnectFlow(CGenerator& generator, GeneratorLink& link, QWidget* owner)
    : m_generator(generator)
    , m_link(link)
    , m_owner(owner)
{
}

void GeneratorConnectFlow::ShowConnectError(QWidget* parent, const PromptText& text)
{
    MessageBox(parent, text, PromptText(IDS_CONNECT_ERROR), MB_OK | MB_ICONWARNING);
}

bool GeneratorConnectFlow::SearchBaudRate(CProgressDlg* progress)
{
    for (int rate : GeneratorLink::kBaudRates) {
        if (progress != nullptr && progress->IsCancelled())
            return false;
        if (progress != nullptr)
            progress->SetStatus(IDC_STATUS2, FormatString(IDS_CHECKING_RATE, {QString::number(rate)}));
        Port().SetRate(m_link.GetPort(), rate);
        if (Port().IsShutDown(m_link.GetPort()) == 0)
            return true;
    }
    return false;
}

QString GeneratorConnectFlow::PortSpec(int type, int number)
{
    switch (type) {
    case CSelectPortDlg::kTypeIsa: return QStringLiteral("isa%1").arg(number);
    case CSelectPortDlg::kTypeSerial: return QStringLiteral("com%1").arg(number);
    case CSelectPortDlg::kTypePci: return QStringLiteral("pci%1").arg(number);
    case CSelectPortDlg::kTypeGpib:
        m_link.SetGpibAddress(number, 0);
        return QStringLiteral("gpib%1:%2").arg(number).arg(0);
    default: return QString();
    }
}

bool GeneratorConnectFlow::OpenPort()
{
    CSelectPortDlg dialog(&m_generator, m_owner, false);
    if (DoModal(dialog) != IDOK)
        return false;

    const QString spec = PortSpec(dialog.m_portType, dialog.m_portNumber);
    if (spec.isEmpty())
        return false; // nothing usable was chosen (no PCI card)

    const PortType type = GeneratorLink::PortTypeOfSpec(spec);
    bool cancelled = false;
    OpenResult result = OpenUnderProgress(spec, cancelled);
    if (!result.connected && !cancelled) {
        switch (OfferForcedInit(m_owner, result.error, type, dialog.m_portNumber)) {
        case StalledCard::NotStalled: break;
        case StalledCard::LeftAlone: m_failureTold = true; return false;
        case StalledCard::Forced: result = OpenUnderProgress(spec, cancelled); break;
        }
    }
    m_failureTold = cancelled;
    // A refused open keeps the library's error, which the caller shows where
    // the user asked; a failed handshake has closed the port (and cleared it).
    if (result.opened && !result.connected && !cancelled) {
        ShowConnectError(m_owner, PromptText(IDS_NO_ANSWER_ON, {GeneratorLink::LibraryErrorText(result.error, type),
                                                                 result.portName}));
        m_failureTold = true;
    }
    return result.connected;
}

GeneratorConnectFlow::OpenResult GeneratorConnectFlow::OpenUnderProgress(const QString& spec, bool& cancelled)
{
    CProgressDlg progress(m_owner, true);
    const OpenResult result = OpenSpec(spec, &progress);
    cancelled = progress.IsCancelled();
    return result;
}

GeneratorConnectFlow::OpenResult GeneratorConnectFlow::OpenSpec(const QString& spec, CProgressDlg* progress)
{
    const CancelEndsLibraryWaits cancel(progress);
    progress->SetStatus(IDC_STATUS1, FormatString(IDS_CONNECTING_ON, {spec}));
    progress->SetStatus(IDC_STATUS2, LoadString(IDS_ATTEMPT_HANDSHAKE));
    m_link.SetPort(Port().Open(spec.toLatin1().constData()));
    if (m_link.GetPort() == 0)
        return {false, false, Port().GetError(), QString()};
    const int error = Port().GetError();
    bool connected = error == MORVANE_OK;
    const QString portName = m_link.GetPortName();
    if (!connected && error == MORVANE_E_HANDSHAKE && m_link.IsSerial() && !progress->IsCancelled()) {
        progress->SetStatus(IDC_STATUS1, LoadString(IDS_AUTO_DETECT_BAUD));
        connected = SearchBaudRate(progress);
    }
    if (!connected) {
        m_link.Close();
        return {true, false, error, portName};
    }
    m_link.SetLinkLost(false);
    return {true, true, MORVANE_OK, portName};
}

QString GeneratorConnectFlow::SpecOfPort() const
{
    const PortId port = m_link.LastPort();
    const int slot = PortSlotOf(port);
    switch (PortTypeOf(port)) {
    case PortType::Isa: return QStringLiteral("isa%1").arg(slot);
    case PortType::Com: return QStringLiteral("com%1").arg(slot + 1);
    case PortType::Pci: return QStringLiteral("pci%1").arg(slot + 1);
    case PortType::Gpib:
        return QStringLiteral("gpib%1:%2").arg(m_link.GetGpibAddress()).arg(m_link.GetGpibBoard());
    default: return QString();
    }
}

int GeneratorConnectFlow::CardNumberOfPort() const
{
    const PortId port = m_link.LastPort();
    // PCI cards count from 1 where the port dialog shows them.
    return PortSlotOf(port) + (PortTypeOf(port) == PortType::Pci ? 1 : 0);
}

bool GeneratorConnectFlow::Reopen(CProgressDlg* progress, QString& failure)
{
    const QString spec = SpecOfPort();
    if (spec.isEmpty())
        return false;
    // A replugged adapter is a new device: the old handle never answers again.
    m_link.Close();
    const PortType type = GeneratorLink::PortTypeOfSpec(spec);
    // Under the caller's progress, else under one of our own that is gone
    // before a box asks anything.
    const auto open = [&] {
        if (progress != nullptr)
            return OpenSpec(spec, progress);
        CProgressDlg own(m_owner, false);
        return OpenSpec(spec, &own);
    };
    OpenResult result = open();
    if (!result.connected) {
        switch (OfferForcedInit(m_owner, result.error, type, CardNumberOfPort())) {
        case StalledCard::NotStalled:
            failure = GeneratorLink::LibraryErrorText(result.error, type);
            break;
        case StalledCard::LeftAlone:
            break; // the box has said it
        case StalledCard::Forced:
            result = open();
            if (!result.connected)
                failure = GeneratorLink::LibraryErrorText(result.error, type);
            break;
        }
    }
    return result.connected;
}

BaudChange GeneratorConnectFlow::ChangeBaudRate(int rate)
{
    if (!m_link.IsSerial())
        return BaudChange::NotDone;
    if (rate == 0) {
        CBaudRateDlg dialog(m_owner, &m_generator);
        if (DoModal(dialog) != IDOK || dialog.m_selected < 0 || dialog.m_selected >= int(GeneratorLink::kBaudRates.size()))
            return BaudChange::NotDone;
        rate = GeneratorLink::kBaudRates[size_t(dialog.m_selected)];
    }
    if (rate == m_link.GetBaudRate())
        return BaudChange::Done;

    WaitCursor cursor;
    m_link.PutString(QStringLiteral("MODE COM1 %1 N 8 1 H").arg(rate));
    // Closing at once can drop the line before the generator has read it;
    // its prompt (still at the old rate) says it took the new rate.
    m_link.SkipToPrompt(kEchoSeconds);
    const int comNumber = PortSlotOf(m_link.GetPort()) + 1;
    m_link.Close();
    m_link.SetPort(Port().Open(QStringLiteral("com%1").arg(comNumber).toLatin1().constData()));
    if (m_link.GetPort() == 0) {
        ShowConnectError(nullptr, GeneratorLink::LibraryErrorText(Port().GetError()));
        return BaudChange::LinkLost;
    }
    const int error = Port().GetError();
    bool connected = error == MORVANE_OK;
    if (!connected && error == MORVANE_E_HANDSHAKE) {
        Port().SetRate(m_link.GetPort(), rate);
        connected = Port().IsShutDown(m_link.GetPort()) == 0 || SearchBaudRate(nullptr);
    }
    if (!connected) {
        ShowConnectError(m_owner, PromptText(IDS_REESTABLISH_FAILED));
        m_link.Close();
        return BaudChange::LinkLost;
    }
    m_link.SetLinkLost(false);
    return BaudChange::Done;
}

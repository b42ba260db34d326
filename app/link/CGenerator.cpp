#include "CGenerator.h"

#include "GeneratorConnectFlow.h"

#include "KnobListLink.h"
#include "PortBackend.h"

#include <morvane.h>

static_assert(CGenerator::kMaxCommandLength == MORVANE_MAX_COMMAND - 1);

namespace {

CGenerator* g_current = nullptr;

} // namespace

CGenerator* const& g_pCurrentGenerator = g_current;

void CGenerator::MakeCurrent(CGenerator* generator)
{
    g_current = generator;
}

CGenerator::CGenerator(QWidget* owner)
    : m_owner(owner)
{
    m_link.SetLinkChangedHook([this](bool lost) {
        if (!m_reconnecting)
            NotifyLinkListeners(lost);
    });
    m_link.SetReconnectOffer([this] { return OfferReconnect(); });
    m_link.SetFailureReport(&CGenerator::ShowCommandFailure);
}

CGenerator::CGenerator(QWidget* owner, PortId port)
    : CGenerator(owner)
{
    m_link.SetPort(port);
}

CGenerator::~CGenerator()
{
    m_linkListeners.clear();
    m_link.EnableCommandLog(false);
    m_link.Close();
    const QList<KnobListLink*> links = m_knobLists;
    m_knobLists.clear();
    for (KnobListLink* link : links)
        link->DetachSource();
    m_link.SetLinkLost(false);
    if (g_current == this)
        g_current = nullptr;
}

// --- Connection ------------------------------------------------------------

bool CGenerator::OpenPort()
{
    GeneratorConnectFlow flow(*this, m_link, m_owner);
    m_openFailureTold = false;
    if (!flow.OpenPort()) {
        m_openFailureTold = flow.FailureTold();
        return false;
    }
    SetFirmwareVersion(QueryVerf());
    return true;
}

BaudChange CGenerator::ChangeBaudRate(int rate)
{
    return GeneratorConnectFlow(*this, m_link, m_owner).ChangeBaudRate(rate);
}

void CGenerator::SetFirmwareVersion(double version)
{
    m_firmwareVersion = version;
    m_extendedLists = version >= 7.011;
    m_fontsSupported = version > 7.02;
    m_pixelMapsSupported = version > 7.02;
    if (GetPortType() == PortType::Isa)
        BuildMemoryMap();
}

int CGenerator::CountPciCards()
{
    return Port().CountPciCards();
}

int CGenerator::ForceInit(PortType type, int number)
{
    return Port().ForceInit(uint32_t(type), number);
}

double CGenerator::LibraryVersion()
{
    return Port().LibraryVersion();
}

double CGenerator::QueryVerf()
{
    return SendQueryDouble(QStringLiteral("VERF?"));
}

void CGenerator::SendCommandText(const QString& line)
{
    SendCommand(line, line.indexOf(QLatin1Char('?'), 1) > 0);
}

void CGenerator::SendCommandLine(const QString& line)
{
    SendCommand(line, false);
}

// --- Knob-list links -------------------------------------------------------------

void CGenerator::AttachKnobList(KnobListLink* list)
{
    m_knobLists.append(list);
}

void CGenerator::DetachKnobList(KnobListLink* list)
{
    m_knobLists.removeAll(list);
}

void CGenerator::NotifyKnobLists()
{
    // A knob list may detach (or be deleted) while it is told; walk a copy
    // and skip what has gone since.
    const QList<KnobListLink*> links = m_knobLists;
    for (KnobListLink* link : links) {
        if (m_knobLists.contains(link))
            link->OnSourceListChanged();
    }
}

// The dialog bar's actions on the generator: video gates, outputs, sync
// selection and image version. Each sends at once and shows what the
// generator reports back, not what was asked. Each is one operation: its
// first failed command ends it, and the view's state and buttons then stay
// as they were.

#include "CGeneratorView.h"
#include "UserAction.h"
#include "WaitCursor.h"

#include "CGenerator.h"
#include "CStateButton.h"

#include <QGuiApplication>


namespace {

// From this version the generator applies its gates without ALLU.
constexpr double kGatesApplyFirmware = 3.12;
// From this version an image version is selected after ISUB 1.
constexpr double kIsubFirmware = 7.03;

} // namespace

void CGeneratorView::OnToggleGate(int id)
{
    CStateButton *button = Toggle(id);
    if (!button || !m_connection)
        return;
    const UserAction action;
    WaitCursor wait;
    CGenerator::Operation operation(m_connection.get());
    bool red = m_state.red != 0, green = m_state.green != 0, blue = m_state.blue != 0;
    (id == IDC_RED ? red : id == IDC_GREEN ? green : blue) = button->GetState() == 0;
    m_connection->CmdXvsg(red, green, blue);
    if (m_connection->GetFirmwareVersion() < kGatesApplyFirmware)
        m_connection->CmdAllu();
    m_connection->QueryXvsg(red, green, blue);
    if (!Succeeded(*m_connection))
        return;
    m_state.red = red;
    m_state.green = green;
    m_state.blue = blue;
    button->SetState(id == IDC_RED ? red : id == IDC_GREEN ? green : blue);
}

void CGeneratorView::OnToggleOutput()
{
    CStateButton *button = Toggle(IDC_OUTPUT);
    if (!button || !m_connection)
        return;
    const UserAction action;
    WaitCursor wait;
    CGenerator::Operation operation(m_connection.get());
    m_connection->CmdOutgOn(button->GetState() == 0, true);
    m_connection->CmdAllu();
    const bool output = m_connection->QueryOutgOn();
    if (!Succeeded(*m_connection))
        return;
    m_state.output = output ? 1 : 0;
    button->SetState(m_state.output);
}

void CGeneratorView::OnToggleSync(int id)
{
    CStateButton *button = Toggle(id);
    if (!button || !m_connection)
        return;
    const UserAction action;
    WaitCursor wait;
    CGenerator::Operation operation(m_connection.get());
    const bool on = button->GetState() == 0;
    // Switching one type on switches the others off; switching off leaves them.
    bool acs = on ? false : m_state.acs != 0;
    bool dcs = on ? false : m_state.dcs != 0;
    bool dss = on ? false : m_state.dss != 0;
    (id == IDC_ACS ? acs : id == IDC_DCS ? dcs : dss) = on;
    CGeneratorState wanted = m_state;
    wanted.SetSyncFlags(acs, dcs, dss);
    m_connection->CmdSsst(wanted.SyncCodeToSend());
    m_connection->CmdAllu();
    const int code = m_connection->QuerySsst();
    if (!Succeeded(*m_connection))
        return;
    // Read back as a code: a selection the flags cannot show (the DPMS
    // states) is kept, so that putting the state back does not switch it off.
    m_state.SetSyncCode(code);
    Toggle(IDC_ACS)->SetState(m_state.acs);
    Toggle(IDC_DCS)->SetState(m_state.dcs);
    Toggle(IDC_DSS)->SetState(m_state.dss);
}

std::optional<int> CGeneratorView::OnDeltaPosImageVersion(int step)
{
    if (!m_connection)
        return std::nullopt;
    const UserAction action;
    WaitCursor wait;
    CGenerator::Operation operation(m_connection.get());
    const int wanted = m_connection->QueryIver() + step;
    if (m_connection->GetFirmwareVersion() >= kIsubFirmware)
        m_connection->CmdIsub(true);
    m_connection->CmdIver(wanted);
    m_connection->CmdImgu();
    const int got = m_connection->QueryIver();
    if (!Succeeded(*m_connection))
        return std::nullopt;
    m_state.imageVersion = got;
    if (got != wanted)
        return std::nullopt;
    return got;
}

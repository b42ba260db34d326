#include "CSelectPortDlg.h"

#include "CGenerator.h"
#include "CSpinButtonCtrl.h"
#include "DialogControls.h"
#include "Profile.h"
#include "ProfileKeys.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace {

int ReadPort(const char *key, int def)
{
    return GetProfileInt(QString::fromLatin1(ProfileKeys::kPort), QString::fromLatin1(key), def);
}

void WritePort(const char *key, int value)
{
    WriteProfileInt(QString::fromLatin1(ProfileKeys::kPort), QString::fromLatin1(key), value);
}

// The profile key of each port type's last number, by type (1-4).
const char *NumberKey(int type)
{
    switch (type) {
    case CSelectPortDlg::kTypeIsa: return ProfileKeys::kPortIsa;
    case CSelectPortDlg::kTypeSerial: return ProfileKeys::kPortCom;
    case CSelectPortDlg::kTypePci: return ProfileKeys::kPortPci;
    case CSelectPortDlg::kTypeGpib: return ProfileKeys::kPortGpib;
    default: return nullptr;
    }
}

} // namespace

CSelectPortDlg::CSelectPortDlg(CGenerator *generator, QWidget *parent, bool noSerial)
    : QDialog(parent), m_pGenerator(generator), m_pciCardCount(CGenerator::CountPciCards()), m_noSerial(noSerial)
{
    setObjectName(ControlName(IDD_SELECT_PORT));
    setWindowTitle(LoadString(IDS_SELECT_PORT_TITLE));
    BuildControls();
}

void CSelectPortDlg::BuildControls()
{
    SetDialogSize(this, 172, 92);
    AddControl<QGroupBox>(this, kNoControlId, 7, 4, 72, 80, LoadString(IDS_PORT_TYPE));
    auto *group = new QButtonGroup(this);
    const struct {
        int id;
        unsigned textId;
        void (CSelectPortDlg::*handler)();
    } buttons[] = {
        {IDC_ISA_CARD, IDS_ISA_CARD, &CSelectPortDlg::OnIsaCard},
        {IDC_SERIAL, IDS_SERIAL_PORT, &CSelectPortDlg::OnSerial},
        {IDC_PCI_CARD, IDS_PCI_CARD, &CSelectPortDlg::OnPciCard},
        {IDC_GPIB, IDS_GPIB, &CSelectPortDlg::OnGpib},
    };
    int y = 18;
    for (const auto &b : buttons) {
        auto *radio = AddControl<QRadioButton>(this, b.id, 15, y, 58, 10, LoadString(b.textId));
        group->addButton(radio);
        connect(radio, &QRadioButton::toggled, this, [this, h = b.handler](bool on) {
            if (on)
                (this->*h)();
        });
        y += 16;
    }
    AddControl<QLabel>(this, IDC_NUMBER_LABEL, 90, 8, 70, 8, LoadString(IDS_PORT_NUMBER));
    auto *number = AddControl<QLineEdit>(this, IDC_NUMBER, 90, 20, 36, 14);
    number->setAlignment(Qt::AlignCenter);
    SetStaticColours(number, QColor(0, 255, 0), Qt::black);
    m_spin = AddControl<CSpinButtonCtrl>(this, IDC_PORT_SPIN, 126, 20, 11, 14);
    m_spin->SetBuddy(number);
    auto *message = AddControl<QLabel>(this, IDC_PCI_MESSAGE, 86, 38, 80, 24, LoadString(IDS_NO_PCI_CARDS_FOUND));
    message->setWordWrap(true);
    SetStaticColours(message, QColor(128, 0, 0));
    auto *ok = AddControl<QPushButton>(this, IDOK, 86, 70, 38, 14, LoadString(IDS_OK));
    auto *cancel = AddControl<QPushButton>(this, IDCANCEL, 128, 70, 38, 14, LoadString(IDS_CANCEL));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CSelectPortDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CSelectPortDlg::reject);
}

void CSelectPortDlg::showEvent(QShowEvent *event)
{
    if (!m_initialised) {
        m_initialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CSelectPortDlg::OnInitDialog()
{
    FindControl(this, IDC_SERIAL)->setEnabled(!m_noSerial);
    int number;
    switch (ReadPort(ProfileKeys::kPortType, 0)) {
    case kTypeSerial:
        SetChecked(IDC_SERIAL);
        OnSerial();
        number = std::clamp(ReadPort(ProfileKeys::kPortCom, 1), 1, 4);
        break;
    case kTypePci:
        SetChecked(IDC_PCI_CARD);
        OnPciCard();
        number = ReadPort(ProfileKeys::kPortPci, 1);
        number = m_pciCardCount > 0 ? std::clamp(number, 1, m_pciCardCount) : 1;
        break;
    case kTypeGpib:
        SetChecked(IDC_GPIB);
        OnGpib();
        number = std::clamp(ReadPort(ProfileKeys::kPortGpib, 1), 0, 30);
        break;
    default:
        SetChecked(IDC_ISA_CARD);
        OnIsaCard();
        number = std::clamp(ReadPort(ProfileKeys::kPortIsa, 0), 0, 7);
        break;
    }
    m_spin->SetPos(number);
}

void CSelectPortDlg::SetChecked(int id)
{
    FindControl<QRadioButton>(this, id)->setChecked(true);
}

void CSelectPortDlg::OnIsaCard()
{
    SelectType(kTypeIsa, 0, 7, 0);
}

void CSelectPortDlg::OnSerial()
{
    SelectType(kTypeSerial, 1, 4, 1);
}

void CSelectPortDlg::OnPciCard()
{
    if (m_portType == kTypePci)
        return;
    if (m_pciCardCount > 0) {
        SelectType(kTypePci, 1, m_pciCardCount, 1);
        return;
    }
    // Nothing to choose: OK then yields no usable port.
    m_portType = kTypeNone;
    ShowNumber(false);
    FindControl<QLabel>(this, IDC_PCI_MESSAGE)
        ->setText(LoadString(m_pciCardCount == 0 ? IDS_NO_PCI_CARDS : IDS_PCI_SCAN_FAILED));
}

void CSelectPortDlg::OnGpib()
{
    SelectType(kTypeGpib, 0, 30, 15);
}

void CSelectPortDlg::SelectType(int type, int lower, int upper, int pos)
{
    if (m_portType == type)
        return;
    m_portType = type;
    ShowNumber(true);
    m_spin->SetRange(lower, upper);
    m_spin->SetPos(pos);
}

void CSelectPortDlg::ShowNumber(bool visible)
{
    FindControl(this, IDC_NUMBER_LABEL)->setVisible(visible);
    FindControl(this, IDC_NUMBER)->setVisible(visible);
    m_spin->setVisible(visible);
    FindControl(this, IDC_PCI_MESSAGE)->setVisible(!visible);
}

void CSelectPortDlg::accept()
{
    if (m_portType != kTypeNone && !m_spin->TakeTypedPos()) {
        MessageBox(this, PromptText(IDS_PORT_NUMBER_RANGE, {QString::number(m_spin->Lower()), QString::number(m_spin->Upper())}),
                   PromptText(), MB_OK | MB_ICONEXCLAMATION);
        FindControl<QLineEdit>(this, IDC_NUMBER)->selectAll();
        FindControl(this, IDC_NUMBER)->setFocus();
        return;
    }
    WritePort(ProfileKeys::kPortType, m_portType);
    m_portNumber = m_spin->GetPos();
    if (const char *key = NumberKey(m_portType))
        WritePort(key, m_portNumber);
    QDialog::accept();
}

void CSelectPortDlg::done(int result)
{
    m_portNumber = m_spin->GetPos();
    QDialog::done(result);
}

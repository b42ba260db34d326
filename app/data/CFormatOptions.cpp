#include "CFormatOptions.h"

#include "CGeneralFormatData.h"
#include "CNameEdit.h"
#include "CStateButton.h"
#include "CValueEdit.h"
#include "DialogUnits.h"
#include "FormatEditorBitmaps.h"
#include "Numbers.h"
#include "Prompts.h"
#include "StringTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace {

// The nine switch buttons: the page's switch each toggles, its row and column.
struct SwitchButton {
    int id;
    int index;
    unsigned letter; // text id
    bool polarity;
};

const SwitchButton kSwitchButtons[] = {
    {IDC_SYNC_ON_R, 0, IDS_SWITCH_R, false},  {IDC_SYNC_ON_G, 1, IDS_SWITCH_G, false},
    {IDC_SYNC_ON_B, 2, IDS_SWITCH_B, false},  {IDC_GATE_H, 3, IDS_SWITCH_H, false},
    {IDC_GATE_V, 4, IDS_SWITCH_V, false},     {IDC_GATE_C, 5, IDS_SWITCH_C, false},
    {IDC_POLARITY_H, 6, IDS_SWITCH_H, true},  {IDC_POLARITY_V, 7, IDS_SWITCH_V, true},
    {IDC_POLARITY_C, 8, IDS_SWITCH_C, true},
};
const unsigned kSwitchRows[] = {IDS_OPT_SYNC, IDS_OPT_DS_GATE, IDS_OPT_DS_POLARITY};

// The switches of the data in the page's order.
std::array<qint32 *, CFormatOptions::kSwitches> Switches(CGeneralFormatData &d)
{
    return {&d.syncOnRed,     &d.syncOnGreen,   &d.syncOnBlue,    &d.hSyncGate,     &d.vSyncGate,
            &d.cSyncGate,     &d.hSyncPolarity, &d.vSyncPolarity, &d.cSyncPolarity, &d.gammaOn};
}

QLabel *Label(QWidget *parent, unsigned textId)
{
    return new QLabel(LoadString(textId), parent);
}

} // namespace

CFormatOptions::CFormatOptions(CGeneralFormatData *data, FormatSheetLink *sheet)
    : CFormatPage(data, sheet, IDD_FORMAT_OPTIONS, LoadString(IDS_OPTIONS))
{
    const auto fields = Switches(*data);
    for (int i = 0; i < kSwitches; ++i)
        m_switches[size_t(i)] = *fields[size_t(i)];
    m_pedestalOn = data->pedestalOn;
}

void CFormatOptions::BuildControls()
{
    RegisterFormatEditorBitmaps();
    auto *page = new QVBoxLayout(this);

    auto *nameRow = new QHBoxLayout;
    nameRow->addWidget(Label(this, IDS_OPT_FORMAT_NAME));
    m_name = new CNameEdit(this);
    SetControlId(m_name, IDC_FORMAT_NAME);
    m_name->setFixedWidth(100);
    nameRow->addWidget(m_name);
    nameRow->addStretch();
    page->addLayout(nameRow);
    page->addWidget(Label(this, IDS_OPT_NAME_RULE));

    auto *kinds = new QGroupBox(LoadString(IDS_OPT_SIGNAL_TYPES), this);
    auto *kindGrid = new QGridLayout(kinds);
    const std::pair<int, unsigned> kindRows[] = {{IDC_ACS_KIND, IDS_OPT_ACS_KIND},       {IDC_DCS_KIND, IDS_OPT_DCS_KIND},
                                                 {IDC_DSS_KIND, IDS_OPT_DSS_KIND},       {IDC_SYNC_SELECT, IDS_OPT_SYNC_SELECT},
                                                 {IDC_VIDEO_KIND, IDS_OPT_VIDEO_KIND}};
    for (int row = 0; row < 5; ++row) {
        kindGrid->addWidget(Label(kinds, kindRows[row].second), row, 0);
        auto *combo = new QComboBox(kinds);
        SetControlId(combo, kindRows[row].first);
        combo->setMinimumWidth(260);
        kindGrid->addWidget(combo, row, 1);
        m_kinds[size_t(row)] = combo;
        connect(combo, &QComboBox::activated, this, [this] { SetModified(); });
    }
    kindGrid->setColumnStretch(2, 1);
    page->addWidget(kinds);

    auto *levels = new QGroupBox(LoadString(IDS_OPT_LEVELS), this);
    auto *levelGrid = new QGridLayout(levels);
    const auto addEdit = [&](int id, int row, int decimals, unsigned label, unsigned unit) {
        auto *edit = new CValueEdit(levels);
        SetControlId(edit, id);
        edit->m_decimals = decimals;
        edit->setMaximumWidth(80);
        levelGrid->addWidget(edit, row, 1);
        if (label)
            levelGrid->addWidget(Label(levels, label), row, 0);
        QLabel *unitLabel = Label(levels, unit);
        levelGrid->addWidget(unitLabel, row, 2);
        if (id == IDC_PEDESTAL)
            m_pedestalUnit = unitLabel;
        connect(edit, &QLineEdit::textEdited, this, [this] { SetModified(); });
        return edit;
    };
    m_videoSwing = addEdit(IDC_VIDEO_SWING, 0, 3, IDS_OPT_VIDEO_SWING, IDS_OPT_VIDEO_SWING_UNIT);
    m_syncSwing = addEdit(IDC_SYNC_SWING, 1, 3, IDS_OPT_SYNC_SWING, IDS_OPT_SYNC_SWING_UNIT);
    m_gamma = addEdit(IDC_GAMMA, 2, 1, 0, 0);
    m_pedestal = addEdit(IDC_PEDESTAL, 3, 1, 0, IDS_OPT_IRE);
    m_gammaOn = new QCheckBox(LoadString(IDS_OPT_GAMMA_ON), levels);
    SetControlId(m_gammaOn, IDC_GAMMA_ON);
    levelGrid->addWidget(m_gammaOn, 2, 0);
    m_pedestalOnBox = new QCheckBox(LoadString(IDS_OPT_PEDESTAL_ON), levels);
    SetControlId(m_pedestalOnBox, IDC_PEDESTAL_ON);
    levelGrid->addWidget(m_pedestalOnBox, 3, 0);
    levelGrid->setColumnStretch(3, 1);
    connect(m_gammaOn, &QCheckBox::clicked, this, [this] { ToggleGamma(); });
    connect(m_pedestalOnBox, &QCheckBox::clicked, this, [this] { TogglePedestal(); });
    page->addWidget(levels);

    auto *switches = new QGroupBox(LoadString(IDS_OPT_SYNC), this);
    auto *switchGrid = new QGridLayout(switches);
    for (int row = 0; row < 3; ++row)
        switchGrid->addWidget(Label(switches, kSwitchRows[row]), row, 0);
    for (const SwitchButton &s : kSwitchButtons) {
        const int row = s.index / 3;
        const int column = 1 + 2 * (s.index % 3);
        switchGrid->addWidget(Label(switches, s.letter), row, column, Qt::AlignRight);
        auto *button = new CStateButton(switches);
        SetControlId(button, s.id);
        button->setFixedSize(kSwitchWidth, kSwitchHeight);
        button->setToolTip(LoadString(kSwitchRows[row]) + u' ' + LoadString(s.letter));
        if (s.polarity)
            button->LoadBitmaps(IDB_POLARITY_NEGATIVE, IDB_POLARITY_POSITIVE, IDB_POLARITY_NEGATIVE_FOCUS,
                                IDB_POLARITY_POSITIVE_FOCUS, IDB_POLARITY_NEGATIVE);
        else
            button->LoadBitmaps(IDB_SWITCH_OFF, IDB_SWITCH_ON, IDB_SWITCH_OFF_FOCUS, IDB_SWITCH_ON_FOCUS, IDB_SWITCH_OFF);
        switchGrid->addWidget(button, row, column + 1, Qt::AlignLeft);
        connect(button, &QPushButton::clicked, this, [this, id = s.id] { ToggleSwitch(id); });
    }
    switchGrid->setColumnStretch(7, 1);
    page->addWidget(switches);
    page->addStretch();
}

void CFormatOptions::OnInitDialog()
{
    BuildControls();
    m_name->setText(m_data->name);
    connect(m_name, &QLineEdit::textEdited, this, [this](const QString &text) { NameTyped(text); });
    const CKindValue *kinds[] = {&m_data->acsKind, &m_data->dcsKind, &m_data->dssKind, &m_data->syncSelect,
                                 &m_data->videoKind};
    for (size_t k = 0; k < m_kinds.size(); ++k) {
        for (int i = 0; i < kinds[k]->GetCount(); ++i)
            m_kinds[k]->addItem(kinds[k]->GetText(i));
        // The sync select's row comes from the code it holds.
        m_kinds[k]->setCurrentIndex(kinds[k]->GetIndex());
    }
    for (const SwitchButton &s : kSwitchButtons)
        FindControl<CStateButton>(this, s.id)->SetState(m_switches[size_t(s.index)]);
    m_videoSwing->SetReal(m_data->videoSwing);
    m_syncSwing->SetReal(m_data->syncSwing);
    m_gamma->SetReal(m_data->gamma);
    m_pedestal->SetReal(m_data->pedestalLevel);
    m_gammaOn->setChecked(m_switches[kGammaSwitch] != 0);
    m_gamma->setVisible(m_switches[kGammaSwitch] != 0);
    m_pedestalOnBox->setChecked(m_pedestalOn != 0);
    m_pedestal->setVisible(m_pedestalOn != 0);
    m_pedestalUnit->setVisible(m_pedestalOn != 0);
    // No selection shown in edits the user is not in.
    for (CValueEdit *edit : {m_videoSwing, m_syncSwing, m_gamma, m_pedestal})
        edit->deselect();
    ClearModified();
}

QString CFormatOptions::NameText() const
{
    return m_name ? m_name->text() : QString();
}

void CFormatOptions::ShowName()
{
    if (m_name)
        m_name->setText(m_data->name);
}

void CFormatOptions::NameTyped(const QString &text)
{
    // An emptied name is no name: the format keeps its last one.
    if (!text.isEmpty())
        m_data->name = text;
    SetModified();
    if (m_sheet)
        m_sheet->SetModified(true);
}

void CFormatOptions::ToggleSwitch(int id)
{
    for (const SwitchButton &s : kSwitchButtons) {
        if (s.id != id)
            continue;
        qint32 &value = m_switches[size_t(s.index)];
        value = value ? 0 : 1;
        FindControl<CStateButton>(this, id)->SetState(value);
        SetModified();
    }
}

void CFormatOptions::ToggleGamma()
{
    qint32 &on = m_switches[kGammaSwitch];
    on = on ? 0 : 1;
    m_gammaOn->setChecked(on != 0);
    m_gamma->setVisible(on != 0);
    SetModified();
}

void CFormatOptions::TogglePedestal()
{
    m_pedestalOn = m_pedestalOn ? 0 : 1;
    m_pedestalOnBox->setChecked(m_pedestalOn != 0);
    m_pedestal->setVisible(m_pedestalOn != 0);
    m_pedestalUnit->setVisible(m_pedestalOn != 0);
    SetModified();
}

bool CFormatOptions::TakeNumber(CValueEdit *edit, unsigned field, double &value)
{
    if (!edit->isModified())
        return false;
    edit->setModified(false);
    if (const std::optional<double> number = ParseDouble(edit->text())) {
        value = *number;
        return true;
    }
    MessageBox(this, PromptText(IDS_NOT_A_NUMBER, {LoadString(field), edit->text()}), PromptText(IDS_OPTIONS),
               MB_OK | MB_ICONEXCLAMATION);
    edit->SetReal(value);
    return false;
}

void CFormatOptions::Commit()
{
    if (!IsCreated())
        return;
    if (!m_name->text().isEmpty())
        m_data->name = m_name->text();
    CKindValue *kinds[] = {&m_data->acsKind, &m_data->dcsKind, &m_data->dssKind, &m_data->syncSelect,
                           &m_data->videoKind};
    // A row the value already shows keeps its code (the sync select's 3 and 4 both show "ACS").
    for (size_t k = 0; k < m_kinds.size(); ++k)
        kinds[k]->SetIndex(m_kinds[k]->currentIndex());
    const auto fields = Switches(*m_data);
    for (int i = 0; i < kSwitches; ++i)
        *fields[size_t(i)] = m_switches[size_t(i)];
    m_data->pedestalOn = m_pedestalOn;
    TakeNumber(m_videoSwing, IDS_OPT_VIDEO_SWING, m_data->videoSwing);
    TakeNumber(m_syncSwing, IDS_OPT_SYNC_SWING, m_data->syncSwing);
    TakeNumber(m_gamma, IDS_OPT_GAMMA, m_data->gamma);
    TakeNumber(m_pedestal, IDS_OPT_PEDESTAL, m_data->pedestalLevel);
    ClearModified();
}

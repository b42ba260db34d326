#include "CLutEditDlg.h"

#include "LutEditHost.h"
#include "StandardLutSets.h"

#include "CSpinButtonCtrl.h"
#include "CValueEdit.h"
#include "DialogControls.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QTreeWidget>

#include <algorithm>

namespace {

constexpr int kMaxComponent = 255;
constexpr int kTickEvery = 16;
constexpr int kSetsColumnWidth = 300;
const QColor kEntryBackground(0xFF, 0xFF, 0x80);

struct ChannelIds {
    int slider, edit, spin;
    unsigned label;
};
constexpr ChannelIds kChannelIds[] = {
    {IDC_LUT_RED_SLIDER, IDC_LUT_RED, IDC_LUT_RED_SPIN, IDS_LUT_RED},
    {IDC_LUT_GREEN_SLIDER, IDC_LUT_GREEN, IDC_LUT_GREEN_SPIN, IDS_LUT_GREEN},
    {IDC_LUT_BLUE_SLIDER, IDC_LUT_BLUE, IDC_LUT_BLUE_SPIN, IDS_LUT_BLUE},
};

int Component(std::uint32_t colour, int index)
{
    return int((colour >> (8 * index)) & 0xFF);
}

QColor ColourOf(std::uint32_t colour)
{
    return QColor(Component(colour, 0), Component(colour, 1), Component(colour, 2));
}

QPushButton *PictureButton(QWidget *parent, int id, unsigned captionId, QStyle::StandardPixmap picture)
{
    auto *button = AddControl<QPushButton>(parent, id, 0, 0, 0, 0);
    button->setIcon(parent->style()->standardIcon(picture));
    button->setToolTip(LoadString(captionId));
    button->setAccessibleName(LoadString(captionId));
    return button;
}

} // namespace

CLutEditDlg::CLutEditDlg(LutEditHost &host, QWidget *parent) : QDialog(parent), m_host(host)
{
    setObjectName(ControlName(IDD_LUT_EDITING));
    setWindowTitle(LoadString(IDS_LUT_EDITING_TITLE));
    setModal(false);
    BuildControls();
    UpdateSwatch();
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) {
        if (now == m_applyColour)
            m_focusBefore = old;
    });
}

CLutEditDlg::~CLutEditDlg()
{
    // Controls that change as they go (an edit losing the focus) must not
    // reach this dialog, which has gone by then.
    disconnect(m_focusWatch);
    for (const Channel &c : m_channels) {
        c.slider->disconnect(this);
        c.edit->disconnect(this);
    }
}

void CLutEditDlg::BuildControls()
{
    SetDialogSize(this, 262, 196);
    for (int i = 0; i < 3; ++i)
        BuildChannel(i, 8 + 20 * i);
    m_swatch = AddControl<QLabel>(this, IDC_LUT_SWATCH, 214, 8, 40, 54);
    m_swatch->setFrameShape(QFrame::Box);
    m_swatch->setAutoFillBackground(true);

    auto *prev = PictureButton(this, IDC_LUT_PREV, IDS_LUT_PREV, QStyle::SP_MediaSeekBackward);
    PlaceControl(prev, 7, 72, 24, 14);
    AddControl<QLabel>(this, kNoControlId, 36, 74, 24, 10, LoadString(IDS_LUT_ENTRY));
    m_entry = AddControl<QLabel>(this, IDC_LUT_ENTRY, 62, 72, 30, 14);
    m_entry->setAlignment(Qt::AlignCenter);
    m_entry->setFrameShape(QFrame::Panel);
    SetStaticColours(m_entry, Qt::black, kEntryBackground);
    auto *next = PictureButton(this, IDC_LUT_NEXT, IDS_LUT_NEXT, QStyle::SP_MediaSeekForward);
    PlaceControl(next, 97, 72, 24, 14);
    m_applyColour = AddControl<QPushButton>(this, IDC_LUT_APPLY_COLOR, 140, 72, 70, 14, LoadString(IDS_LUT_APPLY_COLOR));

    BuildSets();
    auto *applyLut = AddControl<QPushButton>(this, IDC_LUT_APPLY_LUT, 204, 94, 50, 14, LoadString(IDS_LUT_APPLY_LUT));
    auto *close = AddControl<QPushButton>(this, IDCANCEL, 204, 174, 50, 14, LoadString(IDS_LUT_CLOSE));

    connect(prev, &QPushButton::clicked, this, [this] { m_host.StepEntry(false); });
    connect(next, &QPushButton::clicked, this, [this] { m_host.StepEntry(true); });
    connect(m_applyColour, &QPushButton::clicked, this, [this] { OnApplyColour(); });
    connect(applyLut, &QPushButton::clicked, this, [this] { OnApplyLut(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

void CLutEditDlg::BuildChannel(int index, int y)
{
    const ChannelIds &ids = kChannelIds[index];
    Channel &c = m_channels[std::size_t(index)];
    AddControl<QLabel>(this, kNoControlId, 7, y + 3, 26, 10, LoadString(ids.label));
    c.slider = AddControl<QSlider>(this, ids.slider, 34, y, 130, 16);
    c.slider->setOrientation(Qt::Horizontal);
    c.slider->setRange(0, kMaxComponent);
    c.slider->setTickInterval(kTickEvery);
    c.slider->setTickPosition(QSlider::TicksBelow);
    c.slider->setValue(kMaxComponent);
    c.edit = AddControl<CValueEdit>(this, ids.edit, 168, y + 1, 28, 13);
    c.edit->m_integerOnly = true;
    c.edit->m_rangeCheck = true;
    c.edit->m_minimum = 0;
    c.edit->m_maximum = kMaxComponent;
    c.edit->SetInt(kMaxComponent);
    c.spin = AddControl<CSpinButtonCtrl>(this, ids.spin, 197, y + 1, 10, 13);
    c.spin->SetRange(0, kMaxComponent);
    c.spin->SetRequest([edit = c.edit](int step) -> std::optional<int> {
        const int value = std::clamp(edit->GetInt() + step, 0, kMaxComponent);
        edit->SetInt(value);
        return value;
    });
    connect(c.slider, &QSlider::valueChanged, this, [this, index](int value) { OnSliderMoved(index, value); });
    connect(c.edit, &QLineEdit::textChanged, this, [this, index] { OnEditChanged(index); });
}

void CLutEditDlg::BuildSets()
{
    m_sets = AddControl<QTreeWidget>(this, IDC_LUT_SETS, 7, 94, 190, 96);
    m_sets->setColumnCount(1);
    m_sets->setHeaderLabels({LoadString(IDS_LUT_SETS_COLUMN)});
    m_sets->setColumnWidth(0, kSetsColumnWidth);
    m_sets->setRootIsDecorated(false);
    for (const LutSet &set : StandardLutSets()) {
        auto *row = new QTreeWidgetItem(m_sets);
        row->setText(0, FormatString(IDS_LUT_SET_ROW, {LoadString(set.nameId), QString::number(set.colours.size())}));
        row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
        row->setCheckState(0, Qt::Unchecked);
    }
}

void CLutEditDlg::ShowEntry(std::uint32_t colour, int index)
{
    for (int i = 0; i < 3; ++i) {
        Channel &c = m_channels[std::size_t(i)];
        const QSignalBlocker blockSlider(c.slider);
        const QSignalBlocker blockEdit(c.edit);
        c.edit->SetInt(Component(colour, i));
        c.slider->setValue(Component(colour, i));
        c.spin->SetPos(Component(colour, i));
    }
    m_entry->setText(QString::number(unsigned(index)));
    UpdateSwatch();
}

void CLutEditDlg::SetSetChecks(std::uint32_t mask)
{
    const auto &sets = StandardLutSets();
    for (int i = 0; i < m_sets->topLevelItemCount(); ++i)
        m_sets->topLevelItem(i)->setCheckState(0, (sets[std::size_t(i)].mask & mask) ? Qt::Checked : Qt::Unchecked);
}

std::uint32_t CLutEditDlg::CheckedSets() const
{
    const auto &sets = StandardLutSets();
    std::uint32_t mask = 0;
    for (int i = 0; i < m_sets->topLevelItemCount(); ++i) {
        if (m_sets->topLevelItem(i)->checkState(0) == Qt::Checked)
            mask |= sets[std::size_t(i)].mask;
    }
    return mask;
}

std::uint32_t CLutEditDlg::EditedColour() const
{
    std::uint32_t colour = 0;
    for (int i = 0; i < 3; ++i)
        colour |= std::uint32_t(std::clamp(m_channels[std::size_t(i)].edit->GetInt(), 0, kMaxComponent)) << (8 * i);
    return colour;
}

void CLutEditDlg::OnApplyColour()
{
    QWidget *before = focusWidget() == m_applyColour ? m_focusBefore.data() : focusWidget();
    m_applyColour->setFocus();
    m_host.SetEntryColour(EditedColour());
    for (const Channel &c : m_channels) {
        if (before == c.edit) {
            c.edit->setFocus();
            c.edit->selectAll();
        }
    }
}

void CLutEditDlg::OnApplyLut()
{
    m_host.ApplyLutSets(CheckedSets());
}

void CLutEditDlg::OnSliderMoved(int index, int value)
{
    if (m_syncing)
        return;
    const Channel &c = m_channels[std::size_t(index)];
    m_syncing = true;
    c.edit->SetInt(value);
    c.spin->SetPos(value);
    m_syncing = false;
    UpdateSwatch();
}

void CLutEditDlg::OnEditChanged(int index)
{
    const Channel &c = m_channels[std::size_t(index)];
    if (!m_syncing) {
        const int value = std::clamp(CValueEdit::LeadingInt(c.edit->text()), 0, kMaxComponent);
        m_syncing = true;
        c.slider->setValue(value);
        c.spin->SetPos(value);
        m_syncing = false;
    }
    UpdateSwatch();
}

void CLutEditDlg::UpdateSwatch()
{
    QPalette colours = m_swatch->palette();
    colours.setColor(QPalette::Window, ColourOf(EditedColour()));
    m_swatch->setPalette(colours);
    m_swatch->update();
}

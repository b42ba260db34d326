#include "CFormatTiming.h"

#include "CGeneralFormatData.h"
#include "CNumericEdit.h"
#include "CStateButton.h"
#include "CValueEdit.h"
#include "DialogControls.h"
#include "FormatEditorBitmaps.h"
#include "Prompts.h"
#include "StringTable.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

using T = TimingModel;

constexpr int kPixelDepths[] = {0, 4, 8, 12, 24};
constexpr int kEditWidth = 72;

const QColor kRowLabelColour(255, 0, 128);
const QColor kHeadingColour(0, 0, 128);

// One cell of the grid: a value control and the unit after it.
struct Cell {
    int id;
    unsigned unit; // text id, 0 for none
};

// Rows "Active" to "Pulse Delay": label, then horizontal count and time,
// the horizontal selector, vertical count and time, the vertical selector.
struct GridRow {
    int label;
    unsigned text;
    Cell hCount, hTime;
    int hSelector;
    unsigned selectorLetter;
    Cell vCount, vTime;
    int vSelector;
};

const GridRow kRows[] = {
    {IDC_LABEL_ACTIVE, IDS_TIMING_ACTIVE, {IDC_H_ACTIVE, IDS_UNIT_PIXELS}, {IDC_H_ACTIVE_TIME, IDS_UNIT_US},
     IDC_H_SELECT_A, IDS_SELECTOR_A, {IDC_V_ACTIVE, IDS_UNIT_LINES}, {IDC_V_ACTIVE_TIME, IDS_UNIT_MS}, IDC_V_SELECT_A},
    {IDC_LABEL_BLANK, IDS_TIMING_BLANK, {IDC_H_BLANK, IDS_UNIT_PIXELS}, {IDC_H_BLANK_TIME, IDS_UNIT_US},
     IDC_H_SELECT_B, IDS_SELECTOR_B, {IDC_V_BLANK, IDS_UNIT_LINES}, {IDC_V_BLANK_TIME, IDS_UNIT_MS}, IDC_V_SELECT_B},
    {IDC_LABEL_PERIOD, IDS_TIMING_PERIOD, {IDC_H_TOTAL, IDS_UNIT_PIXELS}, {IDC_H_PERIOD_TIME, IDS_UNIT_US},
     IDC_H_SELECT_C, IDS_SELECTOR_C, {IDC_V_TOTAL, IDS_UNIT_LINES}, {IDC_V_PERIOD_TIME, IDS_UNIT_MS}, IDC_V_SELECT_C},
    {IDC_LABEL_SIZE, IDS_TIMING_SIZE, {IDC_H_SIZE_IN, IDS_UNIT_IN}, {IDC_H_SIZE_MM, IDS_UNIT_MM}, 0, 0,
     {IDC_V_SIZE_IN, IDS_UNIT_IN}, {IDC_V_SIZE_MM, IDS_UNIT_MM}, 0},
    {IDC_LABEL_WIDTH, IDS_TIMING_PULSE_WIDTH, {IDC_H_WIDTH, IDS_UNIT_PIXELS}, {IDC_H_WIDTH_TIME, IDS_UNIT_US}, 0, 0,
     {IDC_V_WIDTH, IDS_UNIT_LINES}, {IDC_V_WIDTH_TIME, IDS_UNIT_MS}, 0},
    {IDC_LABEL_DELAY, IDS_PULSE_DELAY, {IDC_H_DELAY, IDS_UNIT_PIXELS}, {IDC_H_DELAY_TIME, IDS_UNIT_US}, 0, 0,
     {IDC_V_DELAY, IDS_UNIT_LINES}, {IDC_V_DELAY_TIME, IDS_UNIT_MS}, 0},
};

// Which control shows which of the model's values and selectors.
struct ValueControl {
    int id;
    T::Field field;
};
const ValueControl kValueControls[] = {
    {IDC_PIXEL_RATE, T::kPixelRate}, {IDC_PIXEL_PERIOD, T::kPixelPeriod}, {IDC_LINE_RATE, T::kLineRate},
    {IDC_FIELD_RATE, T::kFieldRate}, {IDC_H_ACTIVE, T::kHActive}, {IDC_H_BLANK, T::kHBlank},
    {IDC_H_TOTAL, T::kHTotal}, {IDC_H_ACTIVE_TIME, T::kHActiveTime}, {IDC_H_BLANK_TIME, T::kHBlankTime},
    {IDC_H_PERIOD_TIME, T::kHPeriodTime}, {IDC_H_DELAY, T::kHDelay}, {IDC_H_WIDTH, T::kHWidth},
    {IDC_H_DELAY_TIME, T::kHDelayTime}, {IDC_H_WIDTH_TIME, T::kHWidthTime}, {IDC_V_ACTIVE, T::kVActive},
    {IDC_V_BLANK, T::kVBlank}, {IDC_V_TOTAL, T::kVTotal}, {IDC_V_ACTIVE_TIME, T::kVActiveTime},
    {IDC_V_BLANK_TIME, T::kVBlankTime}, {IDC_V_PERIOD_TIME, T::kVPeriodTime}, {IDC_V_DELAY, T::kVDelay},
    {IDC_V_WIDTH, T::kVWidth}, {IDC_V_DELAY_TIME, T::kVDelayTime}, {IDC_V_WIDTH_TIME, T::kVWidthTime},
    {IDC_H_SIZE_IN, T::kHSizeIn}, {IDC_V_SIZE_IN, T::kVSizeIn}, {IDC_H_SIZE_MM, T::kHSizeMm},
    {IDC_V_SIZE_MM, T::kVSizeMm}, {IDC_EQ_BEFORE, T::kEqBefore}, {IDC_EQ_AFTER, T::kEqAfter},
};

struct SelectorControl {
    int id;
    T::Selector selector;
};
const SelectorControl kSelectors[] = {
    {IDC_RATE_SELECT_A, T::kRateSelectA}, {IDC_RATE_SELECT_B, T::kRateSelectB}, {IDC_RATE_SELECT_C, T::kRateSelectC},
    {IDC_H_SELECT_A, T::kHSelectA}, {IDC_H_SELECT_B, T::kHSelectB}, {IDC_H_SELECT_C, T::kHSelectC},
    {IDC_V_SELECT_A, T::kVSelectA}, {IDC_V_SELECT_B, T::kVSelectB}, {IDC_V_SELECT_C, T::kVSelectC},
};

T::Field FieldOf(int id)
{
    for (const ValueControl &control : kValueControls) {
        if (control.id == id)
            return control.field;
    }
    return T::kNoField;
}

int ControlOf(T::Field field)
{
    for (const ValueControl &control : kValueControls) {
        if (control.field == field)
            return control.id;
    }
    return 0;
}

T::Selector SelectorOf(int id)
{
    for (const SelectorControl &control : kSelectors) {
        if (control.id == id)
            return control.selector;
    }
    return T::kNoSelector;
}

QLabel *Static(QWidget *parent, int id, const QString &text, const QColor &colour = {})
{
    auto *label = new QLabel(text, parent);
    if (id != kNoControlId)
        SetControlId(label, id);
    if (colour.isValid())
        SetStaticColours(label, colour);
    return label;
}

} // namespace

CFormatTiming::CFormatTiming(CGeneralFormatData *data, FormatSheetLink *sheet)
    : CFormatPage(data, sheet, IDD_FORMAT_TIMING, LoadString(IDS_TIMING)), m_model(*data)
{
}

int CFormatTiming::DepthOfRow(int row)
{
    return row >= 0 && row < int(std::size(kPixelDepths)) ? kPixelDepths[row] : -1;
}

int CFormatTiming::RowOfDepth(int depth)
{
    for (int row = 0; row < int(std::size(kPixelDepths)); ++row) {
        if (kPixelDepths[row] == depth)
            return row;
    }
    return -1;
}

// --- Building -----------------------------------------------------------------------

void CFormatTiming::BuildControls()
{
    RegisterFormatEditorBitmaps();
    auto *page = new QVBoxLayout(this);
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(4);
    page->addLayout(grid);

    const auto addValue = [&](QGridLayout *layout, const Cell &cell, int row, int column) {
        QLineEdit *edit = nullptr;
        if (T::IsGroupMember(FieldOf(cell.id)))
            edit = new CNumericEdit(this);
        else
            edit = new CValueEdit(this);
        SetControlId(edit, cell.id);
        QPalette palette = edit->palette();
        CNumericEdit::SetDisabledLook(palette, {CEntryGroup::kBlack, CEntryGroup::kGreen});
        edit->setPalette(palette);
        edit->setFixedWidth(kEditWidth);
        edit->setAlignment(Qt::AlignRight);
        layout->addWidget(edit, row, column);
        layout->addWidget(new QLabel(LoadString(cell.unit), this), row, column + 1);
    };
    const auto addSelector = [&](QGridLayout *layout, int id, unsigned letterId, int row, int column) {
        const QString letter = LoadString(letterId);
        auto *holder = new QWidget(this);
        auto *box = new QHBoxLayout(holder);
        box->setContentsMargins(0, 0, 0, 0);
        box->setSpacing(2);
        box->addWidget(new QLabel(letter, holder));
        auto *button = new CStateButton(holder);
        SetControlId(button, id);
        button->setFixedSize(kSelectorSize, kSelectorSize);
        button->setFocusPolicy(Qt::NoFocus);
        const bool rate = id >= IDC_RATE_SELECT_C;
        // The lamp shows how the row's member is: entered (142) or calculated (143).
        if (rate)
            button->LoadBitmaps(IDB_SELECT_CALCULATED, IDB_SELECT_ENTERED, IDB_SELECT_CALCULATED, IDB_SELECT_ENTERED,
                                IDB_SELECT_ENTERED);
        else
            button->LoadBitmaps(IDB_SELECT_ENTERED, IDB_SELECT_CALCULATED, IDB_SELECT_ENTERED, IDB_SELECT_CALCULATED,
                                IDB_SELECT_ENTERED);
        button->setToolTip(FormatString(rate ? IDS_ENTERED_RATE_TIP : IDS_CALCULATED_TIP, {letter}));
        connect(button, &QPushButton::clicked, this, [this, id] { OnSelector(id); });
        box->addWidget(button);
        layout->addWidget(holder, row, column);
    };

    grid->addWidget(Static(this, IDC_LABEL_HORIZONTAL, LoadString(IDS_TIMING_HORIZONTAL), kHeadingColour), 0, 1, 1, 5,
                    Qt::AlignCenter);
    grid->addWidget(Static(this, IDC_LABEL_VERTICAL, LoadString(IDS_TIMING_VERTICAL), kHeadingColour), 0, 7, 1, 5,
                    Qt::AlignCenter);
    grid->addWidget(Static(this, IDC_LABEL_RATE, LoadString(IDS_TIMING_RATE), kRowLabelColour), 1, 0);
    addValue(grid, {IDC_LINE_RATE, IDS_UNIT_KHZ}, 1, 3);
    addSelector(grid, IDC_RATE_SELECT_B, IDS_SELECTOR_B, 1, 5);
    addValue(grid, {IDC_FIELD_RATE, IDS_UNIT_HZ}, 1, 9);
    addSelector(grid, IDC_RATE_SELECT_C, IDS_SELECTOR_C, 1, 11);
    for (int r = 0; r < int(std::size(kRows)); ++r) {
        const GridRow &row = kRows[r];
        const int y = r + 2;
        grid->addWidget(Static(this, row.label, LoadString(row.text), kRowLabelColour), y, 0);
        addValue(grid, row.hCount, y, 1);
        addValue(grid, row.hTime, y, 3);
        addValue(grid, row.vCount, y, 7);
        addValue(grid, row.vTime, y, 9);
        if (row.hSelector) {
            addSelector(grid, row.hSelector, row.selectorLetter, y, 5);
            addSelector(grid, row.vSelector, row.selectorLetter, y, 11);
        }
    }
    grid->setColumnMinimumWidth(6, 16);
    grid->setColumnStretch(12, 1);

    auto *lower = new QGridLayout;
    lower->setHorizontalSpacing(6);
    page->addSpacing(8);
    page->addLayout(lower);
    lower->addWidget(Static(this, IDC_LABEL_PIXEL_RATE, LoadString(IDS_TIMING_PIXEL_RATE), kHeadingColour), 0, 0, 1, 3);
    addValue(lower, {IDC_PIXEL_RATE, IDS_UNIT_MHZ}, 1, 0);
    addSelector(lower, IDC_RATE_SELECT_A, IDS_SELECTOR_A, 1, 2);
    addValue(lower, {IDC_PIXEL_PERIOD, IDS_UNIT_NS}, 2, 0);

    const auto addRadio = [&](int id, unsigned text, int row, int column) {
        auto *radio = new QRadioButton(LoadString(text), this);
        SetControlId(radio, id);
        lower->addWidget(radio, row, column);
        return radio;
    };
    auto *units = new QButtonGroup(this);
    lower->addWidget(Static(this, IDC_LABEL_UNITS, LoadString(IDS_TIMING_ENTRY_UNITS), kHeadingColour), 0, 4);
    units->addButton(addRadio(IDC_TIME_UNITS, IDS_TIMING_TIME_UNITS, 1, 4));
    units->addButton(addRadio(IDC_MACHINE_UNITS, IDS_TIMING_MACHINE_UNITS, 2, 4));
    auto *scan = new QButtonGroup(this);
    lower->addWidget(Static(this, IDC_LABEL_SCAN, LoadString(IDS_TIMING_SCAN_TYPE), kHeadingColour), 0, 5);
    scan->addButton(addRadio(IDC_INTERLACED, IDS_TIMING_INTERLACED, 1, 5));
    scan->addButton(addRadio(IDC_PROGRESSIVE, IDS_TIMING_PROGRESSIVE, 2, 5));
    connect(FindControl<QRadioButton>(this, IDC_TIME_UNITS), &QRadioButton::clicked, this, [this] { OnUnits(true); });
    connect(FindControl<QRadioButton>(this, IDC_MACHINE_UNITS), &QRadioButton::clicked, this, [this] { OnUnits(false); });
    connect(FindControl<QRadioButton>(this, IDC_INTERLACED), &QRadioButton::clicked, this, [this] { OnScan(true); });
    connect(FindControl<QRadioButton>(this, IDC_PROGRESSIVE), &QRadioButton::clicked, this,
            [this] { OnScan(false); });

    const auto addCheck = [&](int id, unsigned text, int row) {
        auto *check = new QCheckBox(LoadString(text), this);
        SetControlId(check, id);
        lower->addWidget(check, row, 6);
        return check;
    };
    connect(addCheck(IDC_BACK_PORCH, IDS_TIMING_BACK_PORCH, 0), &QCheckBox::clicked, this, [this] { OnBackPorch(); });
    connect(addCheck(IDC_REPEAT_FIELD, IDS_TIMING_REPEAT_FIELD, 1), &QCheckBox::clicked, this, [this](bool on) {
        m_data->repeatField = on ? 1 : 0;
        SetModified();
    });
    connect(addCheck(IDC_PULSE, IDS_TIMING_PULSE, 2), &QCheckBox::clicked, this, [this](bool on) {
        m_data->pcpg = on ? 1 : 0;
        SetModified();
    });

    lower->addWidget(new QLabel(LoadString(IDS_TIMING_PIXEL_DEPTH), this), 0, 7);
    m_depth = new QComboBox(this);
    SetControlId(m_depth, IDC_PIXEL_DEPTH);
    for (int depth : kPixelDepths)
        m_depth->addItem(QString::number(depth));
    lower->addWidget(m_depth, 0, 8);
    connect(m_depth, &QComboBox::activated, this, [this](int row) {
        m_data->pixelDepth = DepthOfRow(row);
        SetModified();
    });
    lower->addWidget(new QLabel(LoadString(IDS_TIMING_EQ_BEFORE), this), 1, 7);
    addValue(lower, {IDC_EQ_BEFORE, 0}, 1, 8);
    lower->addWidget(new QLabel(LoadString(IDS_TIMING_EQ_AFTER), this), 2, 7);
    addValue(lower, {IDC_EQ_AFTER, 0}, 2, 8);
    FindControl<CValueEdit>(this, IDC_EQ_BEFORE)->m_integerOnly = true;
    FindControl<CValueEdit>(this, IDC_EQ_AFTER)->m_integerOnly = true;

    auto *reject = new QPushButton(LoadString(IDS_REJECT_ENTRY), this);
    SetControlId(reject, IDC_REJECT_ENTRY);
    // Clicking leaves the focus in the entry it rejects.
    reject->setFocusPolicy(Qt::NoFocus);
    connect(reject, &QPushButton::clicked, this, [this] { OnReject(); });
    lower->addWidget(reject, 0, 10);
    auto *entered = Static(this, IDC_LEGEND_ENTERED, LoadString(IDS_LEGEND_ENTERED));
    auto *calculated = Static(this, IDC_LEGEND_CALCULATED, LoadString(IDS_LEGEND_CALCULATED));
    for (QLabel *legend : {entered, calculated}) {
        SetStaticColours(legend, Qt::white, legend == entered ? QColor(CEntryGroup::kDarkGreen) : QColor(CEntryGroup::kDarkRed));
        legend->setAlignment(Qt::AlignCenter);
        legend->setMinimumWidth(56);
    }
    lower->addWidget(entered, 1, 10);
    lower->addWidget(calculated, 2, 10);
    lower->setColumnStretch(9, 1);
    page->addStretch();
}

void CFormatTiming::OnInitDialog()
{
    BuildControls();
    m_model.Init();
    WatchEntries();
    ShowState();
    ClearModified();
}

// --- Showing ------------------------------------------------------------------------

QLineEdit *CFormatTiming::Edit(int id) const
{
    return FindControl<QLineEdit>(this, id);
}

void CFormatTiming::ShowValue(int id)
{
    QLineEdit *edit = Edit(id);
    if (!edit)
        return;
    if (auto *numeric = dynamic_cast<CNumericEdit *>(edit))
        numeric->setText(m_model.Text(FieldOf(id)));
    else
        static_cast<CValueEdit *>(edit)->setText(m_model.Text(FieldOf(id)));
}

void CFormatTiming::ShowColours()
{
    for (const ValueControl &control : kValueControls) {
        if (auto *edit = dynamic_cast<CNumericEdit *>(Edit(control.id)))
            edit->SetColours(
                m_model.EditColours(control.field).value_or(EntryColours{CEntryGroup::kBlack, CEntryGroup::kGreen}));
    }
}

void CFormatTiming::ShowState()
{
    const CGeneralFormatData &d = *m_data;
    for (const ValueControl &control : kValueControls) {
        ShowValue(control.id);
        Edit(control.id)->setEnabled(m_model.IsEnabled(control.field));
    }
    ShowColours();
    for (const SelectorControl &control : kSelectors)
        FindControl<CStateButton>(this, control.id)->SetState(m_model.IsSelectorOn(control.selector) ? 1 : 0);
    FindControl<QLabel>(this, IDC_LABEL_DELAY)->setText(LoadString(m_model.DelayLabelId()));
    FindControl<QRadioButton>(this, d.timeEntryUnits == 1 ? IDC_TIME_UNITS : IDC_MACHINE_UNITS)->setChecked(true);
    FindControl<QRadioButton>(this, d.interlaced ? IDC_INTERLACED : IDC_PROGRESSIVE)->setChecked(true);
    FindControl<QCheckBox>(this, IDC_BACK_PORCH)->setChecked(d.backPorchMode != 0);
    FindControl<QCheckBox>(this, IDC_REPEAT_FIELD)->setChecked(d.repeatField != 0);
    FindControl<QCheckBox>(this, IDC_PULSE)->setChecked(d.pcpg != 0);
    // Another stored depth selects no row and is kept.
    m_depth->setCurrentIndex(RowOfDepth(d.pixelDepth));
}

void CFormatTiming::Redisplay()
{
    if (IsCreated())
        ShowState();
}

void CFormatTiming::Refresh()
{
    if (!IsCreated())
        return;
    ShowState();
    // The counts changed under the page: its commit derives the delays again.
    SetModified();
}

// --- Entries --------------------------------------------------------------------------

void CFormatTiming::OnAccept(int id)
{
    QLineEdit *edit = Edit(id);
    if (!edit || !isVisible())
        return;
    const TimingModel::Outcome outcome = m_model.Enter(FieldOf(id), edit->text());
    if (outcome.kind == TimingModel::Outcome::kRefused)
        MessageBox(this, PromptText(outcome.message), PromptText(IDS_TIMING), MB_OK | MB_ICONEXCLAMATION);
    if (outcome.kind == TimingModel::Outcome::kTaken)
        SetModified();
    ShowState();
    edit->selectAll();
}

void CFormatTiming::OnEditFocus(int id)
{
    if (m_model.FocusEntry(FieldOf(id)))
        ShowColours();
}

void CFormatTiming::OnEditFocusLost(int id)
{
    // Typed and not taken: the stored value again.
    ShowValue(id);
}

void CFormatTiming::OnReject()
{
    QWidget *focus = focusWidget();
    const int id = focus && Edit(IdOf(focus)) ? IdOf(focus) : LastFocused();
    ShowValue(id);
    if (QLineEdit *edit = Edit(id))
        edit->selectAll();
}

// --- Buttons ------------------------------------------------------------------------

void CFormatTiming::Finish(const TimingModel::Outcome &outcome, bool modifies)
{
    if (outcome.kind == TimingModel::Outcome::kRefused)
        MessageBox(this, PromptText(outcome.message), PromptText(IDS_TIMING), MB_OK | MB_ICONEXCLAMATION);
    else if (modifies)
        SetModified();
    ShowState();
    if (QLineEdit *edit = outcome.focus != T::kNoField ? Edit(ControlOf(outcome.focus)) : nullptr) {
        edit->setFocus();
        edit->selectAll();
    }
}

void CFormatTiming::OnSelector(int id)
{
    Finish(m_model.PressSelector(SelectorOf(id)), false);
}

void CFormatTiming::OnUnits(bool time)
{
    if (m_model.IsTimeUnits() == time)
        return;
    Finish(m_model.SetTimeUnits(time), true);
}

void CFormatTiming::OnBackPorch()
{
    // Shows the same timing another way: nothing to save.
    Finish(m_model.SetBackPorch(FindControl<QCheckBox>(this, IDC_BACK_PORCH)->isChecked()), false);
}

void CFormatTiming::OnScan(bool interlaced)
{
    if ((m_data->interlaced != 0) == interlaced)
        return;
    Finish(m_model.SetInterlaced(interlaced), true);
}

void CFormatTiming::Commit()
{
    if (!IsCreated())
        return;
    if (IsModified())
        m_model.Commit();
    ClearModified();
}

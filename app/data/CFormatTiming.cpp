#include "CFormatTiming.h"

#include "CFormatEditor.h"
#include "CGeneralFormatData.h"
#include "CNumericEdit.h"
#include "CStateButton.h"
#include "CValueEdit.h"
#include "DialogControls.h"
#include "FormatEditorBitmaps.h"
#include "Prompts.h"
#include "strings.h"

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
const QColor kEnteredColour(0, 128, 0);
const QColor kCalculatedColour(128, 0, 0);

// One cell of the grid: a value control and the unit after it.
struct Cell {
    int id;
    const char *unit;
};

// Rows "Active" to "Pulse Delay": label, then horizontal count and time,
// the horizontal selector, vertical count and time, the vertical selector.
struct GridRow {
    int label;
    const char *text;
    Cell hCount, hTime;
    int hSelector;
    const char *selectorLetter;
    Cell vCount, vTime;
    int vSelector;
};

const GridRow kRows[] = {
    {T::IDC_LABEL_ACTIVE, "Active", {T::IDC_H_ACTIVE, "pixels"}, {T::IDC_H_ACTIVE_TIME, "us"}, T::IDC_H_SELECT_A, "A",
     {T::IDC_V_ACTIVE, "lines"}, {T::IDC_V_ACTIVE_TIME, "ms"}, T::IDC_V_SELECT_A},
    {T::IDC_LABEL_BLANK, "Blank", {T::IDC_H_BLANK, "pixels"}, {T::IDC_H_BLANK_TIME, "us"}, T::IDC_H_SELECT_B, "B",
     {T::IDC_V_BLANK, "lines"}, {T::IDC_V_BLANK_TIME, "ms"}, T::IDC_V_SELECT_B},
    {T::IDC_LABEL_PERIOD, "Period", {T::IDC_H_TOTAL, "pixels"}, {T::IDC_H_PERIOD_TIME, "us"}, T::IDC_H_SELECT_C, "C",
     {T::IDC_V_TOTAL, "lines"}, {T::IDC_V_PERIOD_TIME, "ms"}, T::IDC_V_SELECT_C},
    {T::IDC_LABEL_SIZE, "Size", {T::IDC_H_SIZE_IN, "in"}, {T::IDC_H_SIZE_MM, "mm"}, 0, nullptr,
     {T::IDC_V_SIZE_IN, "in"}, {T::IDC_V_SIZE_MM, "mm"}, 0},
    {T::IDC_LABEL_WIDTH, "Pulse Width", {T::IDC_H_WIDTH, "pixels"}, {T::IDC_H_WIDTH_TIME, "us"}, 0, nullptr,
     {T::IDC_V_WIDTH, "lines"}, {T::IDC_V_WIDTH_TIME, "ms"}, 0},
    {T::IDC_LABEL_DELAY, "Pulse Delay", {T::IDC_H_DELAY, "pixels"}, {T::IDC_H_DELAY_TIME, "us"}, 0, nullptr,
     {T::IDC_V_DELAY, "lines"}, {T::IDC_V_DELAY_TIME, "ms"}, 0},
};

constexpr int kSelectors[] = {T::IDC_RATE_SELECT_A, T::IDC_RATE_SELECT_B, T::IDC_RATE_SELECT_C,
                              T::IDC_H_SELECT_A,    T::IDC_H_SELECT_B,    T::IDC_H_SELECT_C,
                              T::IDC_V_SELECT_A,    T::IDC_V_SELECT_B,    T::IDC_V_SELECT_C};

constexpr int kValueControls[] = {
    T::IDC_PIXEL_RATE,   T::IDC_PIXEL_PERIOD,  T::IDC_LINE_RATE,     T::IDC_FIELD_RATE,   T::IDC_H_ACTIVE,
    T::IDC_H_BLANK,      T::IDC_H_TOTAL,       T::IDC_H_ACTIVE_TIME, T::IDC_H_BLANK_TIME, T::IDC_H_PERIOD_TIME,
    T::IDC_H_DELAY,      T::IDC_H_WIDTH,       T::IDC_H_DELAY_TIME,  T::IDC_H_WIDTH_TIME, T::IDC_V_ACTIVE,
    T::IDC_V_BLANK,      T::IDC_V_TOTAL,       T::IDC_V_ACTIVE_TIME, T::IDC_V_BLANK_TIME, T::IDC_V_PERIOD_TIME,
    T::IDC_V_DELAY,      T::IDC_V_WIDTH,       T::IDC_V_DELAY_TIME,  T::IDC_V_WIDTH_TIME, T::IDC_H_SIZE_IN,
    T::IDC_V_SIZE_IN,    T::IDC_H_SIZE_MM,     T::IDC_V_SIZE_MM,     T::IDC_EQ_BEFORE,    T::IDC_EQ_AFTER,
};

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

CFormatTiming::CFormatTiming(CGeneralFormatData *data, CFormatEditor *sheet)
    : CFormatPage(data, sheet, T::IDD, QStringLiteral("Timing")), m_model(*data)
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
        if (T::IsGroupMember(cell.id))
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
        layout->addWidget(new QLabel(QString::fromLatin1(cell.unit), this), row, column + 1);
    };
    const auto addSelector = [&](QGridLayout *layout, int id, const char *letter, int row, int column) {
        auto *holder = new QWidget(this);
        auto *box = new QHBoxLayout(holder);
        box->setContentsMargins(0, 0, 0, 0);
        box->setSpacing(2);
        box->addWidget(new QLabel(QString::fromLatin1(letter), holder));
        auto *button = new CStateButton(holder);
        SetControlId(button, id);
        button->setFixedSize(kSelectorSize, kSelectorSize);
        button->setFocusPolicy(Qt::NoFocus);
        const bool rate = id >= T::IDC_RATE_SELECT_C;
        // The lamp shows how the row's member is: entered (142) or calculated (143).
        if (rate)
            button->LoadBitmaps(IDB_SELECT_CALCULATED, IDB_SELECT_ENTERED, IDB_SELECT_CALCULATED, IDB_SELECT_ENTERED,
                                IDB_SELECT_ENTERED);
        else
            button->LoadBitmaps(IDB_SELECT_ENTERED, IDB_SELECT_CALCULATED, IDB_SELECT_ENTERED, IDB_SELECT_CALCULATED,
                                IDB_SELECT_ENTERED);
        button->setToolTip(rate ? QStringLiteral("Entered rate %1").arg(QString::fromLatin1(letter))
                                : QStringLiteral("Calculated %1").arg(QString::fromLatin1(letter)));
        connect(button, &QPushButton::clicked, this, [this, id] { OnSelector(id); });
        box->addWidget(button);
        layout->addWidget(holder, row, column);
    };

    grid->addWidget(Static(this, T::IDC_LABEL_HORIZONTAL, QStringLiteral("Horizontal"), kHeadingColour), 0, 1, 1, 5,
                    Qt::AlignCenter);
    grid->addWidget(Static(this, T::IDC_LABEL_VERTICAL, QStringLiteral("Vertical"), kHeadingColour), 0, 7, 1, 5,
                    Qt::AlignCenter);
    grid->addWidget(Static(this, T::IDC_LABEL_RATE, QStringLiteral("Rate"), kRowLabelColour), 1, 0);
    addValue(grid, {T::IDC_LINE_RATE, "kHz"}, 1, 3);
    addSelector(grid, T::IDC_RATE_SELECT_B, "B", 1, 5);
    addValue(grid, {T::IDC_FIELD_RATE, "Hz"}, 1, 9);
    addSelector(grid, T::IDC_RATE_SELECT_C, "C", 1, 11);
    for (int r = 0; r < int(std::size(kRows)); ++r) {
        const GridRow &row = kRows[r];
        const int y = r + 2;
        grid->addWidget(Static(this, row.label, QString::fromLatin1(row.text), kRowLabelColour), y, 0);
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
    lower->addWidget(Static(this, T::IDC_LABEL_PIXEL_RATE, QStringLiteral("Pixel Rate"), kHeadingColour), 0, 0, 1, 3);
    addValue(lower, {T::IDC_PIXEL_RATE, "MHz"}, 1, 0);
    addSelector(lower, T::IDC_RATE_SELECT_A, "A", 1, 2);
    addValue(lower, {T::IDC_PIXEL_PERIOD, "ns"}, 2, 0);

    const auto addRadio = [&](int id, const char *text, int row, int column) {
        auto *radio = new QRadioButton(QString::fromLatin1(text), this);
        SetControlId(radio, id);
        lower->addWidget(radio, row, column);
        return radio;
    };
    auto *units = new QButtonGroup(this);
    lower->addWidget(Static(this, T::IDC_LABEL_UNITS, QStringLiteral("Entry Units"), kHeadingColour), 0, 4);
    units->addButton(addRadio(T::IDC_TIME, "&Time", 1, 4));
    units->addButton(addRadio(T::IDC_MACHINE, "&Machine", 2, 4));
    auto *scan = new QButtonGroup(this);
    lower->addWidget(Static(this, T::IDC_LABEL_SCAN, QStringLiteral("Scan Type"), kHeadingColour), 0, 5);
    scan->addButton(addRadio(T::IDC_INTERLACED, "&Interlaced", 1, 5));
    scan->addButton(addRadio(T::IDC_PROGRESSIVE, "&Progressive", 2, 5));
    connect(FindControl<QRadioButton>(this, T::IDC_TIME), &QRadioButton::clicked, this, [this] { OnUnits(true); });
    connect(FindControl<QRadioButton>(this, T::IDC_MACHINE), &QRadioButton::clicked, this, [this] { OnUnits(false); });
    connect(FindControl<QRadioButton>(this, T::IDC_INTERLACED), &QRadioButton::clicked, this, [this] { OnScan(true); });
    connect(FindControl<QRadioButton>(this, T::IDC_PROGRESSIVE), &QRadioButton::clicked, this,
            [this] { OnScan(false); });

    const auto addCheck = [&](int id, const char *text, int row) {
        auto *check = new QCheckBox(QString::fromLatin1(text), this);
        SetControlId(check, id);
        lower->addWidget(check, row, 6);
        return check;
    };
    connect(addCheck(T::IDC_BACK_PORCH, "&Back Porch", 0), &QCheckBox::clicked, this, [this] { OnBackPorch(); });
    connect(addCheck(T::IDC_REPEAT_FIELD, "Repeat &Field", 1), &QCheckBox::clicked, this, [this](bool on) {
        m_data->repeatField = on ? 1 : 0;
        SetModified();
    });
    connect(addCheck(T::IDC_PULSE, "Pulse", 2), &QCheckBox::clicked, this, [this](bool on) {
        m_data->pcpg = on ? 1 : 0;
        SetModified();
    });

    lower->addWidget(new QLabel(QStringLiteral("Pixel Depth"), this), 0, 7);
    m_depth = new QComboBox(this);
    SetControlId(m_depth, T::IDC_PIXEL_DEPTH);
    for (int depth : kPixelDepths)
        m_depth->addItem(QString::number(depth));
    lower->addWidget(m_depth, 0, 8);
    connect(m_depth, &QComboBox::activated, this, [this](int row) {
        m_data->pixelDepth = DepthOfRow(row);
        SetModified();
    });
    lower->addWidget(new QLabel(QStringLiteral("Eq. Before"), this), 1, 7);
    addValue(lower, {T::IDC_EQ_BEFORE, ""}, 1, 8);
    lower->addWidget(new QLabel(QStringLiteral("Eq. After"), this), 2, 7);
    addValue(lower, {T::IDC_EQ_AFTER, ""}, 2, 8);
    FindControl<CValueEdit>(this, T::IDC_EQ_BEFORE)->m_integerOnly = true;
    FindControl<CValueEdit>(this, T::IDC_EQ_AFTER)->m_integerOnly = true;

    auto *reject = new QPushButton(QStringLiteral("&Reject Entry"), this);
    SetControlId(reject, T::IDC_REJECT);
    // Clicking leaves the focus in the entry it rejects.
    reject->setFocusPolicy(Qt::NoFocus);
    connect(reject, &QPushButton::clicked, this, [this] { OnReject(); });
    lower->addWidget(reject, 0, 10);
    auto *entered = Static(this, T::IDC_LEGEND_ENTERED, QStringLiteral("Entered"));
    auto *calculated = Static(this, T::IDC_LEGEND_CALCULATED, QStringLiteral("Calc."));
    for (QLabel *legend : {entered, calculated}) {
        SetStaticColours(legend, Qt::white, legend == entered ? kEnteredColour : kCalculatedColour);
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
        numeric->setText(m_model.Text(id));
    else
        static_cast<CValueEdit *>(edit)->setText(m_model.Text(id));
}

void CFormatTiming::ShowColours()
{
    for (int id : kValueControls) {
        if (auto *edit = dynamic_cast<CNumericEdit *>(Edit(id)))
            edit->SetColours(m_model.EditColours(id).value_or(EntryColours{CEntryGroup::kBlack, CEntryGroup::kGreen}));
    }
}

void CFormatTiming::ShowState()
{
    const CGeneralFormatData &d = *m_data;
    for (int id : kValueControls) {
        ShowValue(id);
        Edit(id)->setEnabled(m_model.IsEnabled(id));
    }
    ShowColours();
    for (int id : kSelectors)
        FindControl<CStateButton>(this, id)->SetState(m_model.IsSelectorOn(id) ? 1 : 0);
    FindControl<QLabel>(this, T::IDC_LABEL_DELAY)->setText(LoadString(m_model.DelayLabelId()));
    FindControl<QRadioButton>(this, d.timeEntryUnits == 1 ? T::IDC_TIME : T::IDC_MACHINE)->setChecked(true);
    FindControl<QRadioButton>(this, d.interlaced ? T::IDC_INTERLACED : T::IDC_PROGRESSIVE)->setChecked(true);
    FindControl<QCheckBox>(this, T::IDC_BACK_PORCH)->setChecked(d.backPorchMode != 0);
    FindControl<QCheckBox>(this, T::IDC_REPEAT_FIELD)->setChecked(d.repeatField != 0);
    FindControl<QCheckBox>(this, T::IDC_PULSE)->setChecked(d.pcpg != 0);
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
    const TimingModel::Outcome outcome = m_model.Enter(id, edit->text());
    if (outcome.kind == TimingModel::Outcome::kRefused)
        MessageBox(this, PromptText(outcome.message), PromptText("Timing"), MB_OK | MB_ICONEXCLAMATION);
    if (outcome.kind == TimingModel::Outcome::kTaken)
        SetModified();
    ShowState();
    edit->selectAll();
}

void CFormatTiming::OnEditFocus(int id)
{
    if (m_model.FocusEntry(id))
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
        MessageBox(this, PromptText(outcome.message), PromptText("Timing"), MB_OK | MB_ICONEXCLAMATION);
    else if (modifies)
        SetModified();
    ShowState();
    if (QLineEdit *edit = outcome.focus ? Edit(outcome.focus) : nullptr) {
        edit->setFocus();
        edit->selectAll();
    }
}

void CFormatTiming::OnSelector(int id)
{
    Finish(m_model.PressSelector(id), false);
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
    Finish(m_model.SetBackPorch(FindControl<QCheckBox>(this, T::IDC_BACK_PORCH)->isChecked()), false);
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

#include "CFormatWorksheet1.h"

#include "CFormatTiming.h"
#include "CGeneralFormatData.h"
#include "CNumericEdit.h"
#include "CValueEdit.h"
#include "DialogControls.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

using W = WorksheetCalculation;

// Each control with the calculation's value it shows.
struct InputRow {
    int id;
    W::Value value;
    unsigned label; // text ids
    unsigned unit;
};
const InputRow kInputs[] = {
    {IDC_WS_BLANKING_PERCENT, W::kBlankingPercent, IDS_WS_LINE_BLANKING, IDS_UNIT_PERCENT},
    {IDC_WS_BLANKING_TIME, W::kBlankingTime, IDS_WS_LINE_BLANKING_TIME, IDS_UNIT_US},
    {IDC_WS_FIELD_RATE, W::kFieldRate, IDS_WS_FIELD_RATE, IDS_UNIT_HZ},
    {IDC_WS_FIELD_BLANKING, W::kFieldBlanking, IDS_WS_FIELD_BLANKING_TIME, IDS_UNIT_MS},
    {IDC_WS_H_RESOLUTION, W::kHResolution, IDS_WS_H_RESOLUTION, IDS_UNIT_PIXELS},
    {IDC_WS_V_RESOLUTION, W::kVResolution, IDS_WS_V_RESOLUTION, IDS_UNIT_LINES},
};

struct ResultRow {
    int id;
    W::Value value;
    unsigned label; // text id
};
const ResultRow kResults[] = {
    {IDC_WS_LINE_RATE, W::kLineRate, IDS_WS_LINE_RATE},
    {IDC_WS_VIDEO_RATE, W::kVideoRate, IDS_WS_VIDEO_RATE},
    {IDC_WS_PIXEL_PERIOD, W::kPixelPeriod, IDS_WS_PIXEL_PERIOD},
    {IDC_WS_H_TOTAL, W::kHTotal, IDS_WS_H_TOTAL},
    {IDC_WS_BLANKING_PIXELS, W::kBlankingPixels, IDS_WS_LINE_BLANKING},
    {IDC_WS_TOTAL_PIXELS, W::kTotalPixels, IDS_WS_TOTAL_PIXELS},
    {IDC_WS_V_TOTAL, W::kVTotal, IDS_WS_V_TOTAL},
    {IDC_WS_BLANKING_LINES, W::kBlankingLines, IDS_WS_FIELD_BLANKING},
};

W::Value ValueOf(int id)
{
    for (const InputRow &input : kInputs) {
        if (input.id == id)
            return input.value;
    }
    for (const ResultRow &result : kResults) {
        if (result.id == id)
            return result.value;
    }
    return W::kNoValue;
}

} // namespace

CFormatWorksheet1::CFormatWorksheet1(CGeneralFormatData *data, FormatSheetLink *sheet, CFormatTiming *timing)
    : CFormatPage(data, sheet, IDD_FORMAT_WORKSHEET1, LoadString(IDS_WORKSHEET_1)), m_timing(timing)
{
}

void CFormatWorksheet1::BuildControls()
{
    auto *page = new QVBoxLayout(this);
    auto *columns = new QHBoxLayout;
    page->addLayout(columns);

    auto *inputs = new QGridLayout;
    columns->addLayout(inputs);
    for (int row = 0; row < int(std::size(kInputs)); ++row) {
        const InputRow &input = kInputs[row];
        inputs->addWidget(new QLabel(LoadString(input.label), this), row, 0);
        auto *edit = new CValueEdit(this);
        SetControlId(edit, input.id);
        edit->m_decimals = W::Decimals(input.value);
        edit->m_integerOnly = input.value == W::kHResolution || input.value == W::kVResolution;
        QPalette palette = edit->palette();
        CNumericEdit::SetDisabledLook(palette, {CEntryGroup::kBlack, CEntryGroup::kGreen});
        edit->setPalette(palette);
        edit->setFixedWidth(90);
        edit->setAlignment(Qt::AlignRight);
        inputs->addWidget(edit, row, 1);
        inputs->addWidget(new QLabel(LoadString(input.unit), this), row, 2);
    }
    auto *percent = new QCheckBox(LoadString(IDS_WS_ENTER_PERCENT), this);
    SetControlId(percent, IDC_WS_ENTER_PERCENT);
    connect(percent, &QCheckBox::clicked, this, [this] { OnEnterPercent(); });
    inputs->addWidget(percent, int(std::size(kInputs)), 0, 1, 3);

    auto *results = new QGridLayout;
    columns->addSpacing(16);
    columns->addLayout(results);
    for (int row = 0; row < int(std::size(kResults)); ++row) {
        results->addWidget(new QLabel(LoadString(kResults[row].label), this), row, 0);
        auto *value = new QLabel(this);
        SetControlId(value, kResults[row].id);
        SetStaticColours(value, Qt::white, QColor(CEntryGroup::kDarkRed));
        value->setMinimumWidth(120);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setContentsMargins(4, 1, 4, 1);
        results->addWidget(value, row, 1);
    }
    columns->addStretch();

    auto *buttons = new QHBoxLayout;
    page->addSpacing(8);
    page->addLayout(buttons);
    const std::pair<int, unsigned> buttonRows[] = {{IDC_ACCEPT_ENTRY, IDS_WS_ACCEPT_ENTRY},
                                                   {IDC_REJECT_ENTRY, IDS_REJECT_ENTRY},
                                                   {IDC_APPLY_TO_FORMAT, IDS_WS_APPLY},
                                                   {IDC_GET_FROM_FORMAT, IDS_WS_GET}};
    for (const auto &[id, text] : buttonRows) {
        auto *button = new QPushButton(LoadString(text), this);
        SetControlId(button, id);
        buttons->addWidget(button);
    }
    // Accept and Reject act on the entry being typed: clicking leaves the focus there.
    for (int id : {int(IDC_ACCEPT_ENTRY), int(IDC_REJECT_ENTRY)})
        FindControl<QPushButton>(this, id)->setFocusPolicy(Qt::NoFocus);
    connect(FindControl<QPushButton>(this, IDC_ACCEPT_ENTRY), &QPushButton::clicked, this, [this] { AcceptFocused(); });
    connect(FindControl<QPushButton>(this, IDC_REJECT_ENTRY), &QPushButton::clicked, this, [this] { OnReject(); });
    connect(FindControl<QPushButton>(this, IDC_APPLY_TO_FORMAT), &QPushButton::clicked, this, [this] { OnApply(); });
    connect(FindControl<QPushButton>(this, IDC_GET_FROM_FORMAT), &QPushButton::clicked, this, [this] { OnGet(); });
    buttons->addStretch();
    for (auto [id, text, colour] :
         {std::tuple{int(IDC_LEGEND_ENTERED), unsigned(IDS_LEGEND_ENTERED), QColor(CEntryGroup::kDarkGreen)},
          std::tuple{int(IDC_LEGEND_CALCULATED), unsigned(IDS_LEGEND_CALCULATED), QColor(CEntryGroup::kDarkRed)}}) {
        auto *legend = new QLabel(LoadString(text), this);
        SetControlId(legend, id);
        SetStaticColours(legend, Qt::white, colour);
        legend->setAlignment(Qt::AlignCenter);
        legend->setMinimumWidth(56);
        buttons->addWidget(legend);
    }
    page->addStretch();
}

void CFormatWorksheet1::OnInitDialog()
{
    BuildControls();
    m_calc.LoadInputs(*m_data);
    m_calc.Calculate();
    WatchEntries();
    ShowAll();
    ClearModified();
}

QLineEdit *CFormatWorksheet1::Edit(int id) const
{
    return FindControl<QLineEdit>(this, id);
}

void CFormatWorksheet1::ShowInput(int id, int decimals)
{
    if (auto *edit = FindControl<CValueEdit>(this, id))
        edit->setText(m_calc.Text(ValueOf(id), decimals));
}

void CFormatWorksheet1::ShowAll()
{
    for (const InputRow &input : kInputs)
        ShowInput(input.id);
    for (const ResultRow &result : kResults)
        FindControl<QLabel>(this, result.id)->setText(m_calc.Text(result.value));
    const bool percent = m_calc.In().enterPercent;
    FindControl<QCheckBox>(this, IDC_WS_ENTER_PERCENT)->setChecked(percent);
    Edit(IDC_WS_BLANKING_PERCENT)->setEnabled(percent);
    Edit(IDC_WS_BLANKING_TIME)->setEnabled(!percent);
}

void CFormatWorksheet1::Redisplay()
{
    if (IsCreated())
        ShowAll();
}

void CFormatWorksheet1::Refuse(const QString &why)
{
    MessageBox(this, PromptText(why), PromptText(IDS_WORKSHEET_1), MB_OK | MB_ICONEXCLAMATION);
}

void CFormatWorksheet1::OnAccept(int id)
{
    QLineEdit *edit = Edit(id);
    if (!edit || !W::IsInput(ValueOf(id)) || !isVisible())
        return;
    const WorksheetCalculation::Refusal why = m_calc.Enter(ValueOf(id), edit->text());
    if (why.isEmpty())
        SetModified();
    else
        Refuse(why);
    ShowAll();
    edit->selectAll();
}

void CFormatWorksheet1::OnEditFocusLost(int id)
{
    ShowInput(id);
}

void CFormatWorksheet1::OnReject()
{
    QWidget *focus = focusWidget();
    const int id = focus && W::IsInput(ValueOf(IdOf(focus))) ? IdOf(focus) : LastFocused();
    // The field blanking time comes back with one decimal more.
    ShowInput(id, id == IDC_WS_FIELD_BLANKING ? 4 : -1);
    if (QLineEdit *edit = Edit(id))
        edit->selectAll();
}

void CFormatWorksheet1::OnEnterPercent()
{
    m_calc.In().enterPercent = !m_calc.In().enterPercent;
    ShowAll();
    SetModified();
}

void CFormatWorksheet1::OnGet()
{
    const WorksheetCalculation::Refusal why = m_calc.GetFrom(*m_data);
    if (!why.isEmpty()) {
        Refuse(why);
        return;
    }
    ShowAll();
    SetModified();
}

void CFormatWorksheet1::OnApply()
{
    const WorksheetCalculation::Refusal why = m_calc.ApplyTo(*m_data);
    ShowAll();
    if (!why.isEmpty()) {
        Refuse(why);
        return;
    }
    SetModified();
    if (m_timing)
        m_timing->Refresh();
}

void CFormatWorksheet1::Commit()
{
    // Inputs the user never touched stay as they were read.
    if (IsCreated() && IsModified())
        m_calc.StoreInputs(*m_data);
    ClearModified();
}

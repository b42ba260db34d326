#include "CFontDefinitionDlg.h"

#include "CValueEdit.h"
#include "DialogControls.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QLabel>
#include <QPushButton>

namespace {

struct FontDefinitionField {
    int id;
    unsigned label;
    int minimum, maximum;
};

const FontDefinitionField kFontDefinitionFields[6] = {
    {IDC_FONT_FIELD_1273, IDS_FONT_DEF_FIRST, 0, 255},   {IDC_FONT_FIELD_1274, IDS_FONT_DEF_LAST, 0, 255},
    {IDC_FONT_FIELD_1275, IDS_FONT_DEF_HEIGHT, 1, 1000}, {IDC_FONT_ASCENT, IDS_FONT_DEF_ASCENT, 0, 1000},
    {IDC_FONT_DESCENT, IDS_FONT_DEF_DESCENT, 0, 1000},   {IDC_FONT_LEADING, IDS_FONT_DEF_LEADING, 0, 100},
};

} // namespace

CFontDefinitionDlg::CFontDefinitionDlg(QWidget *parent, const Values &values) : QDialog(parent)
{
    setObjectName(ControlName(IDD_FONT_DEFINITION));
    setWindowTitle(LoadString(IDS_FONT_DEFINITION_TITLE));
    SetDialogSize(this, 170, 124);
    for (std::size_t i = 0; i < m_edits.size(); ++i) {
        const FontDefinitionField &f = kFontDefinitionFields[i];
        const int y = 7 + int(i) * 19;
        AddControl<QLabel>(this, kNoControlId, 7, y + 2, 62, 8, LoadString(f.label));
        CValueEdit *edit = AddControl<CValueEdit>(this, f.id, 70, y, 40, 13);
        edit->m_integerOnly = true;
        edit->m_rangeCheck = true;
        edit->m_minimum = f.minimum;
        edit->m_maximum = f.maximum;
        edit->SetInt(values[i]);
        m_edits[i] = edit;
    }
    auto *ok = AddControl<QPushButton>(this, IDOK, 118, 7, 44, 14, LoadString(IDS_FONT_DEF_OK));
    ok->setDefault(true);
    auto *cancel = AddControl<QPushButton>(this, IDCANCEL, 118, 26, 44, 14, LoadString(IDS_FONT_DEF_CANCEL));
    connect(ok, &QPushButton::clicked, this, &CFontDefinitionDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

CFontDefinitionDlg::Values CFontDefinitionDlg::Result() const
{
    Values values{};
    for (std::size_t i = 0; i < m_edits.size(); ++i)
        values[i] = m_edits[i]->GetInt();
    return values;
}

void CFontDefinitionDlg::accept()
{
    const Values v = Result();
    unsigned refusal = 0;
    if (v[1] < v[0])
        refusal = IDS_FONT_RANGE_INVALID;
    else if (v[2] != v[3] + v[4])
        refusal = IDS_FONT_HEIGHT_INVALID;
    if (refusal != 0) {
        MessageBox(this, PromptText(refusal), PromptText(IDS_DEFINITION_INVALID), MB_OK | MB_ICONSTOP);
        return;
    }
    QDialog::accept();
}

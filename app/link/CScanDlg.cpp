#include "CScanDlg.h"

#include "DialogControls.h"
#include "StringTable.h"

#include <QCheckBox>
#include <QLabel>

const CScanDlg::Row CScanDlg::kRows[kKinds] = {
    {IDC_SCAN_FORMATS_TOTAL, IDC_SCAN_FORMATS_COUNT, IDC_SCAN_FORMATS, IDS_SCAN_FORMATS, 8},
    {IDC_SCAN_IMAGES_TOTAL, IDC_SCAN_IMAGES_COUNT, IDC_SCAN_IMAGES, IDS_SCAN_IMAGES, 20},
    {IDC_SCAN_SEQUENCES_TOTAL, IDC_SCAN_SEQUENCES_COUNT, IDC_SCAN_SEQUENCES, IDS_SCAN_SEQUENCES, 32},
    {IDC_SCAN_KNOB_LISTS_TOTAL, IDC_SCAN_KNOB_LISTS_COUNT, IDC_SCAN_KNOB_LISTS, IDS_SCAN_KNOB_LISTS, 44},
    {IDC_SCAN_FONTS_TOTAL, IDC_SCAN_FONTS_COUNT, IDC_SCAN_FONTS, IDS_SCAN_FONTS, 57},
    {IDC_SCAN_MAPS_TOTAL, IDC_SCAN_MAPS_COUNT, IDC_SCAN_MAPS, IDS_SCAN_MAPS, 70},
    {IDC_SCAN_LUTS_TOTAL, IDC_SCAN_LUTS_COUNT, IDC_SCAN_LUTS, IDS_SCAN_LUTS, 83},
};

CScanDlg::CScanDlg(bool hasFonts, bool hasMaps, bool hasLuts, QWidget *parent)
    : QDialog(parent), m_hasFonts(hasFonts), m_hasMaps(hasMaps), m_hasLuts(hasLuts)
{
    setObjectName(ControlName(IDD));
    setWindowTitle(LoadString(IDS_SCAN_TITLE));
    BuildControls();
    OnInitDialog();
}

void CScanDlg::BuildControls()
{
    SetDialogSize(this, 183, 104);
    for (const Row &row : kRows) {
        for (const auto &[id, x] : {std::pair{row.total, 11}, std::pair{row.running, 51}}) {
            auto *count = AddControl<QLabel>(this, id, x, row.y, 36, 10, QStringLiteral("0"));
            count->setAlignment(Qt::AlignCenter);
        }
        AddControl<QCheckBox>(this, row.check, 95, row.y, 84, 10, LoadString(row.label));
    }
}

void CScanDlg::OnInitDialog()
{
    for (int kind = kFonts; kind < kKinds; ++kind)
        FindControl(this, kRows[kind].check)->setEnabled(RowAvailable(kind));
    ColourRows();
    CenterOnDesktop(this);
}

bool CScanDlg::RowAvailable(int kind) const
{
    switch (kind) {
    case kFonts: return m_hasFonts;
    case kPixelMaps: return m_hasMaps;
    case kLookupTables: return m_hasLuts;
    default: return true;
    }
}

void CScanDlg::ColourRows()
{
    for (int kind = 0; kind < kKinds; ++kind) {
        if (!RowAvailable(kind))
            continue;
        SetStaticColours(FindControl(this, kRows[kind].total), QColor(0, 255, 0), Qt::black);
        SetStaticColours(FindControl(this, kRows[kind].running), Qt::white, Qt::black);
    }
}

void CScanDlg::SetCount(int count, int kind)
{
    if (kind < 0 || kind >= kKinds)
        return;
    FindControl<QLabel>(this, kRows[kind].running)->setText(QString::number(count));
}

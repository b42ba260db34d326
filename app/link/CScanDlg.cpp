#include "CScanDlg.h"

#include "DialogControls.h"

#include <QCheckBox>
#include <QLabel>

const CScanDlg::Row CScanDlg::kRows[kKinds] = {
    {1014, 1028, 1018, "Available Formats", 8},   {1015, 1029, 1019, "Available Images", 20},
    {1016, 1030, 1020, "Available Sequences", 32}, {1017, 1031, 1021, "Available Knob Lists", 44},
    {1022, 1032, 1023, "Available Fonts", 57},     {1024, 1033, 1025, "Available Maps", 70},
    {1026, 1034, 1027, "Available Luts", 83},
};

CScanDlg::CScanDlg(bool hasFonts, bool hasMaps, bool hasLuts, QWidget *parent)
    : QDialog(parent), m_hasFonts(hasFonts), m_hasMaps(hasMaps), m_hasLuts(hasLuts)
{
    setObjectName(ControlName(IDD));
    setWindowTitle(QStringLiteral("Scanning the Generator..."));
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
        AddControl<QCheckBox>(this, row.check, 95, row.y, 84, 10, QString::fromLatin1(row.label));
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

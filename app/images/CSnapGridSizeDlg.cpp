#include "CSnapGridSizeDlg.h"

#include "DialogControls.h"
#include "OptionDialogButtons.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QLabel>
#include <QLineEdit>

CSnapGridSizeDlg::CSnapGridSizeDlg(QWidget *parent, int stepX, int stepY)
    : IntegerFieldsDialog(parent), m_x(stepX), m_y(stepY)
{
    setObjectName(ControlName(IDD_SNAP_GRID_SIZE));
    setWindowTitle(LoadString(IDS_SNAP_GRID_TITLE));
    SetDialogSize(this, 160, 48);
    AddControl<QLabel>(this, kNoControlId, 7, 9, 45, 8, LoadString(IDS_X_SPACING));
    m_editX = AddNumberEdit(IDC_X_SPACING, 55, 7, stepX);
    AddControl<QLabel>(this, kNoControlId, 7, 27, 45, 8, LoadString(IDS_Y_SPACING));
    m_editY = AddNumberEdit(IDC_Y_SPACING, 55, 25, stepY);
    AddOkCancel(this, 160);
}

void CSnapGridSizeDlg::done(int result)
{
    if (result == Accepted && !TakeIntegers(m_editX, m_editY, kMinStep, kMaxStep, m_x, m_y))
        return;
    QDialog::done(result);
}

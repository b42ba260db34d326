#include "CCanvasLimitsDlg.h"

#include "DialogControls.h"
#include "OptionDialogButtons.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

CCanvasLimitsDlg::CCanvasLimitsDlg(QWidget *parent, int width, int height)
    : IntegerFieldsDialog(parent), m_width(width), m_height(height)
{
    setObjectName(ControlName(IDD_CANVAS_LIMITS));
    setWindowTitle(LoadString(IDS_CANVAS_LIMITS_TITLE));
    SetDialogSize(this, 200, 74);
    AddControl<QGroupBox>(this, kNoControlId, 7, 4, 125, 44, LoadString(IDS_NEW_CANVAS_RESOLUTION));
    AddControl<QLabel>(this, kNoControlId, 14, 18, 30, 8, LoadString(IDS_X_RES));
    m_editX = AddNumberEdit(IDC_X_RES, 14, 28, width);
    AddControl<QLabel>(this, kNoControlId, 72, 18, 30, 8, LoadString(IDS_Y_RES));
    m_editY = AddNumberEdit(IDC_Y_RES, 72, 28, height);
    m_scaleBox = AddControl<QCheckBox>(this, IDC_SCALE_PRIMITIVES, 7, 55, 125, 10,
                                       LoadString(IDS_SCALE_PRIMITIVES));
    AddOkCancel(this, 200);
}

void CCanvasLimitsDlg::done(int result)
{
    if (result == Accepted) {
        if (!TakeIntegers(m_editX, m_editY, kMinSide, kMaxSide, m_width, m_height))
            return;
        m_scale = m_scaleBox->isChecked();
    }
    QDialog::done(result);
}

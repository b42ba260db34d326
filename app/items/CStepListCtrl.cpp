#include "CStepListCtrl.h"

#include "ResourceIds.h"

#include <QKeyEvent>
#include <QMouseEvent>

CStepListCtrl::CStepListCtrl(QWidget *parent) : CReportListCtrl(parent, IDC_STEP_LIST)
{
    setAllColumnsShowFocus(true);
}

void CStepListCtrl::mousePressEvent(QMouseEvent *event)
{
    CReportListCtrl::mousePressEvent(event);
    if (onPress)
        onPress(event);
}

void CStepListCtrl::mouseDoubleClickEvent(QMouseEvent *event)
{
    CReportListCtrl::mouseDoubleClickEvent(event);
    if (onDoubleClick)
        onDoubleClick(event);
}

void CStepListCtrl::keyPressEvent(QKeyEvent *event)
{
    if (onKey && onKey(event))
        return;
    CReportListCtrl::keyPressEvent(event);
}

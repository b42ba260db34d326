#pragma once
// The report list of the sequence editor's steps (list 1228); it hands
// clicks, double-clicks, keys and drags to its pane.

#include "CReportListCtrl.h"

#include <functional>

class QKeyEvent;
class QMouseEvent;

class CStepListCtrl : public CReportListCtrl {
public:
    explicit CStepListCtrl(QWidget *parent);

    std::function<void(QMouseEvent *)> onPress;
    std::function<void(QMouseEvent *)> onDoubleClick;
    std::function<bool(QKeyEvent *)> onKey; // true: taken

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

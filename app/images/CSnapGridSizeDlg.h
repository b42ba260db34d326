#pragma once
// IDD 313 "Snap Grid Size": the image editor's snap grid steps. Starts with
// the editor's present steps and gives the new ones after OK.

#include "IntegerFieldsDialog.h"

class CSnapGridSizeDlg : public IntegerFieldsDialog {
public:
    static constexpr int kMinStep = 1;
    static constexpr int kMaxStep = 65535;

    CSnapGridSizeDlg(QWidget *parent, int stepX, int stepY);
    int StepX() const { return m_x; }
    int StepY() const { return m_y; }
    void done(int result) override;

private:
    QLineEdit *m_editX;
    QLineEdit *m_editY;
    int m_x;
    int m_y;
};

#pragma once
// IDD 315 "Canvas Limits": the image editor's canvas size, and whether the
// primitives scale with it. Starts with the present size and scaling off.

#include "IntegerFieldsDialog.h"

class QCheckBox;

class CCanvasLimitsDlg : public IntegerFieldsDialog {
public:
    static constexpr int kMinSide = 2;
    static constexpr int kMaxSide = 65535;

    CCanvasLimitsDlg(QWidget *parent, int width, int height);
    int NewWidth() const { return m_width; }
    int NewHeight() const { return m_height; }
    bool ScalePrimitives() const { return m_scale; }
    void done(int result) override;

private:
    QLineEdit *m_editX;
    QLineEdit *m_editY;
    QCheckBox *m_scaleBox;
    int m_width;
    int m_height;
    bool m_scale = false;
};

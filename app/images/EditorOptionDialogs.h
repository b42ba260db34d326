#pragma once
// The image editor's three options dialogs: the snap grid's steps, the
// canvas's size and the fixed aspect ratio. Each starts with the editor's
// present values and gives the new ones after OK; a step below 1 or a side
// below 2 would make the canvas divide by zero, so OK refuses them with a
// box and the dialog stays open.

#include <QDialog>
#include <QSize>

class QCheckBox;
class QLineEdit;
class QRadioButton;

// A whole number typed into an edit, and the box that refuses one out of
// range.
class IntegerFieldsDialog : public QDialog {
protected:
    explicit IntegerFieldsDialog(QWidget *parent) : QDialog(parent) {}
    // The value of edit into value when it is an integer minimum..maximum;
    // otherwise a box, the edit selected, and false.
    bool TakeInteger(QLineEdit *edit, int minimum, int maximum, int &value);
};

// IDD 313 "Snap Grid Size".
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

// IDD 315 "Canvas Limits".
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

// IDD 322 "Aspect Ratio Selection".
class CAspectRatioDlg : public QDialog {
public:
    struct Ratio {
        int controlId;
        int x;
        int y;
    };
    static const Ratio kRatios[5];

    // The button of the present ratio starts checked (none when it is not
    // one of the five).
    CAspectRatioDlg(QWidget *parent, int x, int y);
    // After OK: the clicked ratio, or the present one when none was clicked.
    QSize Chosen() const { return m_chosen; }

private:
    QSize m_chosen;
};

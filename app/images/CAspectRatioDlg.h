#pragma once
// IDD 322 "Aspect Ratio Selection": the image editor's fixed aspect ratio,
// one of five.

#include <QDialog>
#include <QSize>

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

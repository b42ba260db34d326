#pragma once
// The modal "Icon Definition" dialog: a pixel map's width and height (1 to
// 1024) and its depth, which only the spin changes, through 1, 2, 4 and 8.

#include <QDialog>

class CSpinButtonCtrl;
class CValueEdit;
class QLineEdit;

class CIconDefinitionDlg : public QDialog {
public:
    CIconDefinitionDlg(QWidget *parent, int width, int height, int depth);

    // What OK leaves: the sizes within 1..1024.
    int Width() const;
    int Height() const;
    int Depth() const;

private:
    void ShowDepth();

    CValueEdit *m_width = nullptr;
    CValueEdit *m_height = nullptr;
    QLineEdit *m_depth = nullptr;
    CSpinButtonCtrl *m_spin = nullptr;
};

#pragma once
// An up-down control: two arrow buttons that step a position within a range
// and write it into a buddy label, as the port dialog's number shows it.

#include <QWidget>

class QLabel;
class QToolButton;

class CSpinButtonCtrl : public QWidget {
public:
    explicit CSpinButtonCtrl(QWidget *parent = nullptr);

    void SetBuddy(QLabel *buddy);
    // Bounds in either order; the position is kept inside them.
    void SetRange(int lower, int upper);
    void SetPos(int pos);
    int GetPos() const { return m_pos; }
    int Lower() const { return m_lower; }
    int Upper() const { return m_upper; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Step(int delta);
    void ShowPos();

    QToolButton *m_up;
    QToolButton *m_down;
    QLabel *m_buddy = nullptr;
    int m_lower = 0;
    int m_upper = 100;
    int m_pos = 0;
};

#pragma once
// An up-down control: two arrow buttons that step a position within a range
// and write it into a buddy label, as the port dialog's number shows it.
// An owner that must try each step first (the generator view's image
// version) installs a request that answers with the position taken.

#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QToolButton;

class CSpinButtonCtrl : public QWidget {
public:
    // Given the proposed step; the new position, or nothing to stay.
    using Request = std::function<std::optional<int>(int step)>;

    explicit CSpinButtonCtrl(QWidget *parent = nullptr);

    void SetBuddy(QLabel *buddy);
    // A buddy the user may also type a number into (digits only).
    void SetBuddy(QLineEdit *buddy);
    // Takes the typed number: false, keeping the position, when the text is
    // no number within the range.
    bool TakeTypedPos();
    // Bounds in either order; the position is kept inside them.
    void SetRange(int lower, int upper);
    void SetPos(int pos);
    int GetPos() const { return m_pos; }
    int Lower() const { return m_lower; }
    int Upper() const { return m_upper; }
    void SetRequest(Request request) { m_request = std::move(request); }

    // What an arrow, an arrow key or the wheel does.
    void Step(int delta);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void ShowPos();

    QToolButton *m_up;
    QToolButton *m_down;
    QLabel *m_buddy = nullptr;
    QLineEdit *m_edit = nullptr;
    Request m_request;
    int m_lower = 0;
    int m_upper = 100;
    int m_pos = 0;
};

#pragma once
// The image-version control of a generator view's dialog bar: two arrows
// that ask before they move. Each step is a request to the owner, who tries
// it on the generator and answers with the position the generator took, or
// refuses; the buddy label shows the position in decimal.

#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QToolButton;

class CImageVersionSpin : public QWidget {
public:
    // Given the proposed step; the new position, or nothing to stay.
    using Request = std::function<std::optional<int>(int step)>;

    explicit CImageVersionSpin(QWidget *parent = nullptr);

    void SetBuddy(QLabel *buddy);
    void SetRange(int lower, int upper);
    void SetPos(int pos); // kept inside the range
    int GetPos() const { return m_pos; }
    void SetRequest(Request request) { m_request = std::move(request); }

    // What an arrow, an arrow key or the wheel does.
    void Step(int step);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void ShowPos();

    QToolButton *m_up;
    QToolButton *m_down;
    QLabel *m_buddy = nullptr;
    Request m_request;
    int m_lower = 0;
    int m_upper = 100;
    int m_pos = 0;
};

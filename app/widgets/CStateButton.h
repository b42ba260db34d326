#pragma once
// An owner-drawn toggle: one of five pictures (off, on, off with focus, on
// with focus, disabled) for an integer state that the owner sets.

#include <QPixmap>
#include <QPushButton>

#include <array>

class CStateButton : public QPushButton {
public:
    enum Picture { kOff, kOn, kOffFocus, kOnFocus, kDisabled, kPictures };

    explicit CStateButton(QWidget *parent = nullptr);

    // Replaces the five pictures with those of these bitmap ids; true only
    // when all five exist (the ones that do are kept either way).
    bool LoadBitmaps(unsigned off, unsigned on, unsigned offFocus, unsigned onFocus, unsigned disabled);
    // 0 is off, anything else on; the button is drawn again.
    void SetState(int state);
    int GetState() const { return m_state; }

    // The picture the button shows now.
    Picture CurrentPicture() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::array<QPixmap, kPictures> m_bitmaps;
    int m_state = 0;
};

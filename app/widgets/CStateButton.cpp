#include "CStateButton.h"

#include "BitmapResources.h"

#include <QPainter>

CStateButton::CStateButton(QWidget *parent) : QPushButton(parent) {}

bool CStateButton::LoadBitmaps(unsigned off, unsigned on, unsigned offFocus, unsigned onFocus, unsigned disabled)
{
    const std::array<unsigned, kPictures> ids = {off, on, offFocus, onFocus, disabled};
    bool all = true;
    for (int i = 0; i < kPictures; ++i) {
        m_bitmaps[i] = LoadBitmapResource(ids[i]);
        all = all && !m_bitmaps[i].isNull();
    }
    update();
    return all;
}

void CStateButton::SetState(int state)
{
    m_state = state;
    update();
}

CStateButton::Picture CStateButton::CurrentPicture() const
{
    if (!isEnabled())
        return kDisabled;
    if (m_state != 0)
        return hasFocus() ? kOnFocus : kOn;
    return hasFocus() ? kOffFocus : kOff;
}

void CStateButton::paintEvent(QPaintEvent *)
{
    const QPixmap &picture = m_bitmaps[CurrentPicture()];
    if (picture.isNull())
        return;
    QPainter painter(this);
    painter.drawPixmap(QPoint(0, 0), picture, QRect(QPoint(0, 0), size()));
}

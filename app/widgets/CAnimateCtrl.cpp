#include "CAnimateCtrl.h"

#include <QPainter>
#include <QTimerEvent>

#include <algorithm>
#include <cmath>
#include <numbers>

CAnimateCtrl::CAnimateCtrl(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void CAnimateCtrl::Play()
{
    m_frame = 0;
    m_timer.start(kFrameMs, this);
    update();
}

void CAnimateCtrl::Stop()
{
    m_timer.stop();
}

void CAnimateCtrl::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_timer.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    m_frame = (m_frame + 1) % kFrames;
    update();
}

void CAnimateCtrl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QPointF centre = QRectF(rect()).center();
    const double ring = std::min(width(), height()) * 0.36;
    const double dot = std::max(1.5, ring * 0.22);
    for (int i = 0; i < kFrames; ++i) {
        // Dots fade behind the bright one, so the ring seems to turn.
        const int age = (m_frame - i + kFrames) % kFrames;
        QColor colour(0, 0, 128);
        colour.setAlpha(255 - age * 200 / kFrames);
        painter.setBrush(colour);
        const double angle = 2 * std::numbers::pi * i / kFrames - std::numbers::pi / 2;
        painter.drawEllipse(centre + QPointF(ring * std::cos(angle), ring * std::sin(angle)), dot, dot);
    }
}

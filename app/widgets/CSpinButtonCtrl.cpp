#include "CSpinButtonCtrl.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QWheelEvent>

#include <algorithm>

CSpinButtonCtrl::CSpinButtonCtrl(QWidget *parent)
    : QWidget(parent), m_up(new QToolButton(this)), m_down(new QToolButton(this))
{
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    m_up->setAutoRepeat(true);
    m_down->setAutoRepeat(true);
    connect(m_up, &QToolButton::clicked, this, [this] { Step(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { Step(-1); });
    setFocusPolicy(Qt::StrongFocus);
}

void CSpinButtonCtrl::SetBuddy(QLabel *buddy)
{
    m_buddy = buddy;
    ShowPos();
}

void CSpinButtonCtrl::SetBuddy(QLineEdit *buddy)
{
    m_edit = buddy;
    m_edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), m_edit));
    ShowPos();
}

bool CSpinButtonCtrl::TakeTypedPos()
{
    if (!m_edit)
        return true;
    bool number = false;
    const int typed = m_edit->text().toInt(&number);
    if (!number || typed < m_lower || typed > m_upper)
        return false;
    SetPos(typed);
    return true;
}

void CSpinButtonCtrl::SetRange(int lower, int upper)
{
    m_lower = std::min(lower, upper);
    m_upper = std::max(lower, upper);
    SetPos(m_pos);
}

void CSpinButtonCtrl::SetPos(int pos)
{
    m_pos = std::clamp(pos, m_lower, m_upper);
    ShowPos();
}

void CSpinButtonCtrl::Step(int delta)
{
    TakeTypedPos(); // an arrow steps from what was typed
    // Nothing is asked beyond the ends.
    if (delta == 0 || m_pos + delta < m_lower || m_pos + delta > m_upper)
        return;
    if (!m_request) {
        SetPos(m_pos + delta);
        return;
    }
    if (const std::optional<int> pos = m_request(delta))
        SetPos(*pos);
}

void CSpinButtonCtrl::ShowPos()
{
    if (m_buddy)
        m_buddy->setText(QString::number(m_pos));
    if (m_edit)
        m_edit->setText(QString::number(m_pos));
}

void CSpinButtonCtrl::resizeEvent(QResizeEvent *)
{
    const int half = height() / 2;
    m_up->setGeometry(0, 0, width(), half);
    m_down->setGeometry(0, half, width(), height() - half);
}

void CSpinButtonCtrl::wheelEvent(QWheelEvent *event)
{
    const int dy = event->angleDelta().y();
    if (dy != 0)
        Step(dy > 0 ? 1 : -1);
    event->accept();
}

void CSpinButtonCtrl::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Up: Step(1); break;
    case Qt::Key_Down: Step(-1); break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

#include "RoutineStop.h"

#include <QAbstractButton>

RoutineStop::RoutineStop(std::initializer_list<QAbstractButton*> buttons)
{
    for (QAbstractButton* button : buttons)
        AddButton(button);
}

void RoutineStop::AddButton(QAbstractButton* button)
{
    if (button == nullptr)
        return;
    m_buttons.emplace_back(button);
    QObject::connect(button, &QAbstractButton::clicked, &m_clicks, [this] { Request(); });
}

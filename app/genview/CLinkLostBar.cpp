#include "CLinkLostBar.h"

#include "DialogUnits.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace {

const QColor kLostBarColour(255, 228, 160);

} // namespace

CLinkLostBar::CLinkLostBar(QWidget *parent)
    : QFrame(parent), m_text(new QLabel(this)), m_reconnect(new QPushButton(LoadString(IDS_RECONNECT), this))
{
    SetControlId(this, IDC_LINK_LOST_BAR);
    SetControlId(m_reconnect, IDC_RECONNECT);
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kLostBarColour);
    setPalette(palette);
    auto *icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(16, 16));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 3, 6, 3);
    layout->addWidget(icon);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_reconnect);
    m_reconnect->setAutoDefault(false);
    connect(m_reconnect, &QPushButton::clicked, this, [this] {
        if (onReconnect)
            onReconnect();
    });
}

void CLinkLostBar::SetGenerator(const QString &model, const QString &port)
{
    m_text->setText(FormatString(IDS_LINK_LOST_BAR, {model, port}));
}

QString CLinkLostBar::Text() const
{
    return m_text->text();
}

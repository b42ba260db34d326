#include "CGeneratorDialogBar.h"

#include "BitmapResources.h"
#include "CGeneratorViewRules.h"
#include "CSpinButtonCtrl.h"
#include "CStateButton.h"
#include "DialogUnits.h"
#include "StringTable.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>


namespace {

constexpr int kToggleHeight = 18;

struct ToggleLook {
    unsigned off;
    unsigned on;
    int width;
    const char *onText; // nullptr: a coloured square
    const char *offText;
    QColor offColour;
    QColor onColour;
};

// By control id, from 1176 "R" to 1182 "DSS".
const ToggleLook kLooks[] = {
    {189, 188, 16, nullptr, nullptr, QColor(128, 0, 0), QColor(255, 0, 0)},
    {191, 190, 16, nullptr, nullptr, QColor(0, 128, 0), QColor(0, 255, 0)},
    {193, 192, 16, nullptr, nullptr, QColor(0, 0, 128), QColor(0, 0, 255)},
    {195, 194, 48, "ON", "OFF", QColor(192, 192, 192), QColor(255, 255, 0)},
    {197, 196, 36, "ACS", "ACS", QColor(192, 192, 192), QColor(255, 255, 0)},
    {199, 198, 36, "DCS", "DCS", QColor(192, 192, 192), QColor(255, 255, 0)},
    {200, 201, 36, "DSS", "DSS", QColor(192, 192, 192), QColor(255, 255, 0)},
};

QPixmap PaintToggle(const ToggleLook &look, bool on)
{
    QPixmap picture(look.width, kToggleHeight);
    picture.fill(on ? look.onColour : look.offColour);
    QPainter p(&picture);
    const QRect edge(0, 0, look.width - 1, kToggleHeight - 1);
    // Raised when off, sunken when on.
    p.setPen(on ? Qt::darkGray : Qt::white);
    p.drawLine(edge.topLeft(), edge.topRight());
    p.drawLine(edge.topLeft(), edge.bottomLeft());
    p.setPen(on ? Qt::white : Qt::black);
    p.drawLine(edge.bottomLeft(), edge.bottomRight());
    p.drawLine(edge.topRight(), edge.bottomRight());
    if (look.onText) {
        p.setPen(Qt::black);
        p.drawText(edge, Qt::AlignCenter, QString::fromLatin1(on ? look.onText : look.offText));
    }
    return picture;
}

} // namespace

void RegisterToggleBitmaps()
{
    for (const ToggleLook &look : kLooks) {
        if (LoadBitmapResource(look.off).isNull())
            RegisterBitmapResource(look.off, PaintToggle(look, false));
        if (LoadBitmapResource(look.on).isNull())
            RegisterBitmapResource(look.on, PaintToggle(look, true));
    }
}

CGeneratorDialogBar::CGeneratorDialogBar(QWidget *parent)
    : QWidget(parent), m_spin(new CSpinButtonCtrl(this)), m_version(new QLabel(QStringLiteral("0"), this))
{
    SetControlId(this, IDD_GENERATOR_BAR);
    RegisterToggleBitmaps();
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->setSpacing(2);
    layout->addWidget(AddToggle(IDC_OUTPUT, IDS_TOGGLE_OUTPUT, 48));
    layout->addWidget(AddToggle(IDC_RED, IDS_TOGGLE_RED, 16));
    layout->addWidget(AddToggle(IDC_GREEN, IDS_TOGGLE_GREEN, 16));
    layout->addWidget(AddToggle(IDC_BLUE, IDS_TOGGLE_BLUE, 16));
    layout->addWidget(AddToggle(IDC_ACS, IDS_TOGGLE_ACS, 36));
    layout->addWidget(AddToggle(IDC_DCS, IDS_TOGGLE_DCS, 36));
    layout->addWidget(AddToggle(IDC_DSS, IDS_TOGGLE_DSS, 36));

    SetControlId(m_version, IDC_VERSION);
    m_version->setAlignment(Qt::AlignCenter);
    m_version->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_version->setMinimumWidth(30);
    // The number is drawn in green on black.
    QPalette palette = m_version->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 255, 0));
    palette.setColor(QPalette::Window, Qt::black);
    m_version->setPalette(palette);
    m_version->setAutoFillBackground(true);
    layout->addWidget(m_version);

    SetControlId(m_spin, IDC_VERSION_SPIN);
    m_spin->setFixedSize(14, kToggleHeight);
    m_spin->SetBuddy(m_version);
    m_spin->SetRange(0, 255);
    layout->addWidget(m_spin);

    auto *label = new QLabel(LoadString(IDS_IMAGE_VERSION), this);
    SetControlId(label, IDC_VERSION_LABEL);
    layout->addWidget(label);
    layout->addStretch();
}

CStateButton *CGeneratorDialogBar::AddToggle(int id, unsigned textId, int width)
{
    auto *button = new CStateButton(this);
    SetControlId(button, id);
    button->setText(LoadString(textId));
    button->setToolTip(LoadString(textId));
    button->setFixedSize(width, kToggleHeight);
    const ToggleLook &look = kLooks[id - IDC_RED]; // in the order of the ids
    // Focus does not change the look; a disabled button looks off.
    button->LoadBitmaps(look.off, look.on, look.off, look.on, look.off);
    return button;
}

CStateButton *CGeneratorDialogBar::Toggle(int id) const
{
    return FindControl<CStateButton>(this, id);
}

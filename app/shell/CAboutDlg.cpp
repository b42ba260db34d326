#include "CAboutDlg.h"

#include "CGenerator.h"

#include "BitmapResources.h"
#include "DialogControls.h"
#include "Numbers.h"
#include "Prompts.h"
#include "StringTable.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimerEvent>

namespace {

// A global: the program shows one splash, at start-up, and tests and the
// start-up benchmark shorten it before the start-up they drive.
int g_splashMs = CAboutDlg::kSplashMs;

// The product logo, painted when the program carries no bitmap 307.
QPixmap Logo()
{
    QPixmap logo = LoadBitmapResource(IDB_LOGO);
    if (!logo.isNull())
        return logo;
    logo = QPixmap(32, 32);
    logo.fill(Qt::transparent);
    QPainter painter(&logo);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(30, 90, 170));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(20);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(0, 0, 32, 32), Qt::AlignCenter, QStringLiteral("Z"));
    return logo;
}

} // namespace

CAboutDlg::CAboutDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(ControlName(IDD_ABOUTBOX));
    setWindowTitle(LoadString(IDS_ABOUT_TITLE));
    BuildControls();
}

void CAboutDlg::BuildControls()
{
    SetDialogSize(this, 217, 55);
    auto *picture = AddControl<QLabel>(this, kNoControlId, 11, 17, 20, 20);
    picture->setPixmap(Logo());
    AddControl<QLabel>(this, kNoControlId, 40, 10, 132, 8, LoadString(IDS_ABOUT_VERSION));
    AddControl<QLabel>(this, IDC_MAKER_LINE, 40, 25, 132, 8, LoadString(IDS_ABOUT_MAKER));
    AddControl<QLabel>(this, IDC_LIBRARY_VERSION, 40, 40, 132, 8);
    auto *ok = AddControl<QPushButton>(this, IDOK, 178, 7, 32, 14, LoadString(IDS_OK));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

QString CAboutDlg::LibraryVersionText(double version)
{
    return FormatString(IDS_LIBRARY_VERSION, {FormatFixed(version, 3)});
}

int CAboutDlg::SplashInterval()
{
    return g_splashMs;
}

void CAboutDlg::SetSplashInterval(int ms)
{
    g_splashMs = ms > 0 ? ms : kSplashMs;
}

void CAboutDlg::showEvent(QShowEvent *event)
{
    if (!m_initialised) {
        m_initialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

bool CAboutDlg::OnInitDialog()
{
    FindControl<QLabel>(this, IDC_LIBRARY_VERSION)->setText(LibraryVersionText(CGenerator::LibraryVersion()));
    if (autoClose) {
        m_timerInterval = g_splashMs;
        m_timerId = startTimer(g_splashMs);
    }
    return true;
}

void CAboutDlg::timerEvent(QTimerEvent *event)
{
    OnTimer(event->timerId());
}

void CAboutDlg::OnTimer(int timerId)
{
    if (timerId == 0 || timerId != m_timerId) {
        AfxMessageBox(PromptText(IDS_KILL_TIMER_FAILED), MB_OK);
        return;
    }
    killTimer(timerId);
    m_timerId = 0;
    close(); // like Cancel
}

#include "CProgressDlg.h"

#include "CAnimateCtrl.h"
#include "CGenerator.h"
#include "DialogControls.h"
#include "StringTable.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <QLabel>
#include <QPushButton>
#include <QWindow>

namespace {

// One poll lets through what is pending, but never holds the operation longer.
constexpr int kPumpBoundMs = 10;
constexpr int kFirstPaintBoundMs = 500;

const QColor kLightYellow(255, 255, 128);

CProgressDlg::ExternalCancel &ExternalQuery()
{
    static CProgressDlg::ExternalCancel query;
    return query;
}

quint64 AskExternal()
{
    return ExternalQuery() ? ExternalQuery()() : CGenerator::HaltingFailureCount();
}

} // namespace

CProgressDlg::CProgressDlg(QWidget *parent, bool showCancel)
    : QDialog(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_owner(parent), m_showCancel(showCancel), m_externalAtOpen(AskExternal())
{
    setObjectName(ControlName(IDD_PROGRESS));
    setWindowTitle(LoadString(IDS_PROGRESS_TITLE));
    BuildControls(showCancel);
    OnInitDialog();
    setWindowModality(Qt::ApplicationModal);
    if (m_owner && m_owner->window()->windowHandle()) {
        create();
        windowHandle()->setTransientParent(m_owner->window()->windowHandle());
    }
    show();
    WaitForFirstPaint();
}

// Painted before the operation starts, which may block at once; user input
// waits for the first poll. A screen that never exposes the dialog holds
// the operation no longer than the bound.
void CProgressDlg::WaitForFirstPaint()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (m_painted)
        return;
    QEventLoop loop;
    m_paintWait = &loop;
    QTimer::singleShot(kFirstPaintBoundMs, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    m_paintWait = nullptr;
}

void CProgressDlg::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    m_painted = true;
    if (m_paintWait)
        m_paintWait->quit();
}

CProgressDlg::~CProgressDlg() = default;

void CProgressDlg::BuildControls(bool showCancel)
{
    SetDialogSize(this, 312, 58);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kLightYellow);
    setPalette(palette);
    setAutoFillBackground(true);

    m_cancel = AddControl<QPushButton>(this, IDC_CANCEL, 4, 36, 50, 17, LoadString(IDS_PROGRESS_CANCEL));
    m_cancel->setVisible(showCancel);
    m_cancel->setAutoDefault(false);
    connect(m_cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
    m_animation = AddControl<CAnimateCtrl>(this, IDC_ANIMATE, 4, 4, 52, 33);
    m_status1 = AddControl<QLabel>(this, IDC_STATUS1, 56, 4, 252, 22);
    m_status2 = AddControl<QLabel>(this, IDC_STATUS2, 56, 26, 252, 27);
    for (QLabel *line : {m_status1, m_status2}) {
        line->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        line->setWordWrap(true);
    }
    SetStaticColours(m_status1, Qt::black);
    SetStaticColours(m_status2, QColor(0, 255, 0), Qt::black);
}

void CProgressDlg::OnInitDialog()
{
    m_animation->Play();
    CenterOnDesktop(this);
}

void CProgressDlg::SetStatus(int id, const QString &text)
{
    QLabel *line = id == IDC_STATUS1 ? m_status1 : id == IDC_STATUS2 ? m_status2 : nullptr;
    if (!line)
        return;
    line->setText(text);
    // The operation may not poll for a while; show the step now.
    line->repaint();
}

QString CProgressDlg::GetStatus(int id) const
{
    const QLabel *line = id == IDC_STATUS1 ? m_status1 : id == IDC_STATUS2 ? m_status2 : nullptr;
    return line ? line->text() : QString();
}

bool CProgressDlg::IsCancelled()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents, kPumpBoundMs);
    if (!m_cancelled && ExternallyCancelled())
        MarkCancelled();
    return m_cancelled;
}

bool CProgressDlg::ExternallyCancelled() const
{
    return AskExternal() > m_externalAtOpen;
}

void CProgressDlg::SetExternalCancel(ExternalCancel query)
{
    ExternalQuery() = std::move(query);
}

void CProgressDlg::OnCancel()
{
    if (m_cancelAction && !m_cancelled)
        m_cancelAction();
    // A port hook may press Cancel on the port thread while the GUI thread
    // waits for it in its event loop: the press is handed over, in order.
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(this, [this] { OnCancel(); }, Qt::BlockingQueuedConnection);
        return;
    }
    MarkCancelled();
}

void CProgressDlg::MarkCancelled()
{
    m_cancelled = true;
    m_cancel->setEnabled(false);
    repaint();
}

void CProgressDlg::DestroyWindow()
{
    if (m_closed)
        return;
    m_closed = true;
    m_animation->Stop();
    hide();
}

bool CProgressDlg::IsAnimating() const
{
    return m_animation->IsPlaying();
}

QAbstractButton *CProgressDlg::CancelButton() const
{
    return m_cancel;
}

void CProgressDlg::reject()
{
    // Esc is the Cancel button when there is one; the operation alone closes the dialog.
    if (m_showCancel && m_cancel->isEnabled())
        m_cancel->click();
}

void CProgressDlg::done(int)
{
    // Only DestroyWindow closes the dialog; a stray Enter must not end it.
}

void CProgressDlg::closeEvent(QCloseEvent *event)
{
    if (m_closed) {
        QDialog::closeEvent(event);
        return;
    }
    reject();
    event->ignore();
}

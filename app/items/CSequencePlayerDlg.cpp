#include "CSequencePlayerDlg.h"

#include "CGenerator.h"
#include "CGeneratorView.h"
#include "DialogControls.h"
#include "Prompts.h"
#include "WaitCursor.h"
#include "StringTable.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include <cmath>

namespace {

// Firmware from which the generator reads out a step's delay and number.
constexpr double kReadoutFirmware = 3.0;
constexpr double kKnobSettleSeconds = 1.0;

enum Mode : int { kUnloaded = 0, kStepping = 1, kWrapping = 2, kPlaying = 3 };
enum Overlay : int { kNoOverlay = 0, kStepOverlay = 1, kStatusOverlay = 2 };

QPushButton *PictureButton(QWidget *parent, int id, unsigned captionId, QStyle::StandardPixmap picture)
{
    auto *button = new QPushButton(parent);
    SetControlId(button, id);
    button->setIcon(parent->style()->standardIcon(picture));
    button->setToolTip(LoadString(captionId));
    button->setAccessibleName(LoadString(captionId));
    return button;
}

} // namespace

CSequencePlayerDlg::CSequencePlayerDlg(CGeneratorView *view, CGenerator *generator)
    : CSequencePlayerWindow(view), m_view(view), m_generator(generator), m_saved(generator)
{
    setObjectName(ControlName(IDD_SEQUENCE_PLAYER));
    setWindowTitle(LoadString(IDS_PLAYER_TITLE));
    setWindowFlag(Qt::Window);
    BuildControls();
}

CSequencePlayerDlg::~CSequencePlayerDlg()
{
    Restore();
}

void CSequencePlayerDlg::BuildControls()
{
    auto *grid = new QGridLayout(this);
    auto *transport = new QHBoxLayout;
    m_play = PictureButton(this, IDC_PLAY, IDS_PLAYER_PLAY, QStyle::SP_MediaPlay);
    m_stop = PictureButton(this, IDC_STOP, IDS_PLAYER_STOP, QStyle::SP_MediaStop);
    m_rewind = PictureButton(this, IDC_REWIND, IDS_PLAYER_REWIND, QStyle::SP_MediaSkipBackward);
    m_prev = PictureButton(this, IDC_PREV, IDS_PLAYER_PREV, QStyle::SP_MediaSeekBackward);
    m_next = PictureButton(this, IDC_NEXT, IDS_PLAYER_NEXT, QStyle::SP_MediaSeekForward);
    for (QPushButton *button : {m_play, m_stop, m_rewind, m_prev, m_next})
        transport->addWidget(button);
    grid->addLayout(transport, 0, 0, 1, 4);
    m_stepNumber = new QCheckBox(LoadString(IDS_PLAYER_STEP_NUMBER), this);
    m_status = new QCheckBox(LoadString(IDS_PLAYER_STATUS), this);
    m_wrap = new QCheckBox(LoadString(IDS_PLAYER_WRAP_MODE), this);
    SetControlId(m_stepNumber, IDC_STEP_NUMBER);
    SetControlId(m_status, IDC_STATUS_OVERLAY);
    SetControlId(m_wrap, IDC_WRAP_MODE);
    grid->addWidget(m_stepNumber, 1, 0);
    grid->addWidget(m_status, 1, 1);
    grid->addWidget(m_wrap, 1, 2, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("#"), this), 2, 0, Qt::AlignRight);
    m_stepEdit = new QLineEdit(this);
    SetControlId(m_stepEdit, IDC_STEP_EDIT);
    m_stepEdit->setReadOnly(true);
    grid->addWidget(m_stepEdit, 2, 1);
    grid->addWidget(new QLabel(LoadString(IDS_PLAYER_DELAY), this), 2, 2, Qt::AlignRight);
    m_delay = new QLabel(QStringLiteral("0.0"), this);
    SetControlId(m_delay, IDC_DELAY_TEXT);
    m_delay->setMinimumWidth(110);
    m_delay->setFrameShape(QFrame::Panel);
    m_delay->setFrameShadow(QFrame::Sunken);
    grid->addWidget(m_delay, 2, 3);
    m_unload = new QPushButton(LoadString(IDS_PLAYER_UNLOAD), this);
    SetControlId(m_unload, IDC_UNLOAD);
    grid->addWidget(m_unload, 3, 0, 1, 4);

    connect(m_play, &QPushButton::clicked, this, [this] { OnPlay(); });
    connect(m_stop, &QPushButton::clicked, this, [this] { OnStop(); });
    connect(m_rewind, &QPushButton::clicked, this, [this] { OnRewind(); });
    connect(m_prev, &QPushButton::clicked, this, [this] { OnPrev(); });
    connect(m_next, &QPushButton::clicked, this, [this] { OnNext(); });
    connect(m_stepNumber, &QCheckBox::clicked, this, [this] { OnStepNumber(); });
    connect(m_status, &QCheckBox::clicked, this, [this] { OnStatus(); });
    connect(m_wrap, &QCheckBox::clicked, this, [this] { OnWrapMode(); });
    connect(m_unload, &QPushButton::clicked, this, [this] { Unload(); });
}

void CSequencePlayerDlg::SetTitle(const QString &sequence)
{
    setWindowTitle(FormatString(IDS_PLAYING_ON, {sequence, m_generator->GetPortName()}));
}

// --- Load, attach, unload ------------------------------------------------------------

bool CSequencePlayerDlg::Load(const QString &sequence)
{
    WaitCursor cursor;
    m_holding = true;
    m_saved = m_view->GetState();
    m_generator->CmdSeql(sequence);
    m_generator->CmdSmod(kStepping);
    m_generator->CmdStep(1);
    m_generator->CmdAllu();
    m_view->GetState().Read();
    if (m_view->GetState().sequence.compare(sequence, Qt::CaseInsensitive) != 0) {
        MessageBox(this, PromptText(IDS_SEQUENCE_NOT_LOADED, {sequence}), PromptText(IDS_GENERATOR_ERROR),
                   MB_OK | MB_ICONEXCLAMATION);
        Unload();
        return false;
    }
    m_view->SetPlaying(true);
    m_view->LockDataPane(true);
    SetTitle(sequence);
    m_view->RefreshStatus(CGeneratorView::kRefreshValues);
    m_stop->setEnabled(false);
    m_playing = false;
    ShowOverlay(m_generator->QueryDnum());
    RefreshReadouts();
    UpdateDelayColours();
    return true;
}

void CSequencePlayerDlg::Attach()
{
    WaitCursor cursor;
    m_holding = true;
    m_view->SetPlaying(true);
    m_view->LockDataPane(true);
    m_view->SetSelectionFlags(false, false, false);
    m_saved = m_view->GetState();
    m_saved.sequence.clear();
    SetTitle(m_generator->QuerySequ());
    m_playing = false;
    m_wrap->setChecked(false);
    ShowOverlay(m_generator->QueryDnum());
    switch (m_generator->QuerySmod()) {
    case kStepping:
        ShowStopped();
        break;
    case kWrapping:
        m_wrap->setChecked(true);
        ShowStopped();
        break;
    case kPlaying:
        ShowPlaying();
        break;
    default: break;
    }
    m_view->RefreshStatus(CGeneratorView::kRefreshValues);
    UpdateDelayColours();
}

void CSequencePlayerDlg::Unload()
{
    Restore();
    CSequencePlayerWindow::accept();
}

void CSequencePlayerDlg::Restore()
{
    if (!m_holding)
        return;
    m_holding = false;
    WaitCursor cursor;
    CGenerator::PutBack putBack(m_generator); // also after a failure of an operation under way
    if (m_view) {
        m_view->LockDataPane(false);
        m_view->SetPlaying(false);
    }
    m_generator->CmdSmod(kUnloaded);
    m_generator->CmdSeql(QString());
    m_generator->CmdSequ();
    if (m_view) {
        m_view->GetState() = m_saved;
        m_view->GetState().Apply();
        m_view->RefreshStatus(CGeneratorView::kRefreshAll);
    }
    m_playing = false;
    UpdateDelayColours();
}

void CSequencePlayerDlg::reject()
{
    Unload();
}

// --- States of the controls ----------------------------------------------------------

void CSequencePlayerDlg::ShowOverlay(int dnum)
{
    m_stepNumber->setChecked(dnum == kStepOverlay);
    m_status->setChecked(dnum == kStatusOverlay);
}

void CSequencePlayerDlg::ShowStopped()
{
    m_playing = false;
    m_stop->setEnabled(false);
    RefreshReadouts();
}

void CSequencePlayerDlg::ShowPlaying()
{
    m_playing = true;
    m_stop->setEnabled(true);
    m_play->setEnabled(false);
    m_prev->setEnabled(false);
    m_stepEdit->setEnabled(false);
    m_wrap->setEnabled(false);
    m_stepEdit->setText(QStringLiteral(" "));
    m_delay->setText(QStringLiteral(" "));
}

void CSequencePlayerDlg::ReadState()
{
    if (!m_view)
        return;
    m_view->GetState().Read();
    m_view->RefreshStatus(CGeneratorView::kRefreshValues);
}

void CSequencePlayerDlg::UpdateDelayColours()
{
    if (m_view && m_view->IsPlaying())
        SetStaticColours(m_delay, QColor(255, 255, 0), Qt::black);
    else
        SetStaticColours(m_delay, palette().color(QPalette::WindowText), palette().color(QPalette::Window));
}

// --- Read-outs -----------------------------------------------------------------------

QString CSequencePlayerDlg::DelayText(double seconds)
{
    // Whole milliseconds, three digits after the point: 5.05 s is "5.050s".
    const long long milliseconds = seconds > 0 ? std::llround(seconds * 1000.0) : 0;
    return FormatString(IDS_DELAY_TIME, {QString::number(milliseconds / 3600000),
                                         QString::number(milliseconds % 3600000 / 60000),
                                         QString::number(milliseconds % 60000 / 1000),
                                         QStringLiteral("%1").arg(milliseconds % 1000, 3, 10, QLatin1Char('0'))});
}

void CSequencePlayerDlg::RefreshReadouts()
{
    if (m_generator->GetFirmwareVersion() < kReadoutFirmware) {
        m_delay->setText(LoadString(IDS_NOT_AVAILABLE));
        return;
    }
    m_delay->setText(DelayText(m_generator->QuerySdly()));
    const int step = m_generator->QueryStep();
    const int count = m_generator->QueryNstp();
    m_stepEdit->setText(QStringLiteral("%1/%2").arg(step).arg(count));
}

// --- Handlers ------------------------------------------------------------------------

void CSequencePlayerDlg::OnPlay()
{
    WaitCursor cursor;
    m_generator->CmdSmod(kPlaying);
    m_generator->CmdSequ();
    ShowPlaying();
}

void CSequencePlayerDlg::OnStop()
{
    WaitCursor cursor;
    m_generator->CmdSmod(kStepping);
    m_generator->CmdSequ();
    m_generator->CmdSmod(m_wrap->isChecked() ? kWrapping : kStepping);
    m_generator->CmdSequ();
    m_wrap->setChecked(m_generator->QuerySmod() != kStepping);
    m_playing = false;
    for (QWidget *control : {static_cast<QWidget *>(m_play), static_cast<QWidget *>(m_prev),
                             static_cast<QWidget *>(m_wrap), static_cast<QWidget *>(m_stepEdit)})
        control->setEnabled(true);
    m_stop->setEnabled(false);
    RefreshReadouts();
    ReadState();
}

void CSequencePlayerDlg::OnRewind()
{
    WaitCursor cursor;
    m_generator->CmdStep(1);
    if (m_playing) {
        m_generator->CmdSmod(kStepping);
        m_generator->CmdSequ();
        m_generator->CmdSmod(kPlaying);
        m_generator->CmdSequ();
        return;
    }
    m_generator->CmdSequ();
    ReadState();
    RefreshReadouts();
}

void CSequencePlayerDlg::OnPrev()
{
    WaitCursor cursor;
    m_generator->CmdKnob(2, -1);
    m_generator->Delay(kKnobSettleSeconds);
    ReadState();
    RefreshReadouts();
}

void CSequencePlayerDlg::OnNext()
{
    WaitCursor cursor;
    m_generator->CmdKnob(2, 1);
    m_generator->Delay(kKnobSettleSeconds);
    ReadState();
    RefreshReadouts();
}

void CSequencePlayerDlg::OnStepNumber()
{
    WaitCursor cursor;
    if (m_stepNumber->isChecked())
        m_status->setChecked(false);
    m_generator->CmdDnum(m_stepNumber->isChecked() ? kStepOverlay : kNoOverlay);
    m_generator->CmdSequ();
}

void CSequencePlayerDlg::OnStatus()
{
    WaitCursor cursor;
    if (m_status->isChecked())
        m_stepNumber->setChecked(false);
    m_generator->CmdDnum(m_status->isChecked() ? kStatusOverlay : kNoOverlay);
    m_generator->CmdSequ();
}

void CSequencePlayerDlg::OnWrapMode()
{
    WaitCursor cursor;
    m_generator->CmdSmod(m_wrap->isChecked() ? kWrapping : kStepping);
    m_generator->CmdSequ();
}

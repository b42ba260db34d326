#include "CGenerator.h"

#include "CBaudRateDlg.h"
#include "CProgressDlg.h"
#include "CSelectPortDlg.h"
#include "CommandLog.h"
#include "CommandName.h"
#include "KnobListLink.h"
#include "PortBackend.h"
#include "ReplyNumbers.h"

#include "AppFolders.h"
#include "Prompts.h"
#include "strings.h"

#include <QGuiApplication>

#include <algorithm>
#include <cmath>

CGenerator* g_pCurrentGenerator = nullptr;

namespace {

// Large enough for a full 450-name list with flags; the library stops at
// the buffer's end, so a short buffer silently cut long lists.
constexpr size_t kReplyBufferSize = 32 * 1024;
constexpr int kReplyCharSeconds = 10; // the protocol's limit between reply characters
constexpr int kEchoSeconds = 5;       // the protocol's limit for an echo
constexpr int kCharPollMs = 2;

constexpr unsigned IDS_CONNECTING_ON = 33013;
constexpr unsigned IDS_ATTEMPT_HANDSHAKE = 33014;
constexpr unsigned IDS_CONNECT_ERROR = 33020;
constexpr unsigned IDS_REESTABLISH_FAILED = 33021;
constexpr unsigned IDS_AUTO_DETECT_BAUD = 32988;
constexpr unsigned IDS_CHECKING_RATE = 32989;
constexpr unsigned IDS_COMMAND_ERROR = 33410;
constexpr int kStatusHeading = 1029;
constexpr int kStatusStep = 1030;
constexpr long kFileProgressStep = 2024;

// Connections whose link is lost at the moment, and commands that failed for it.
int g_lostLinks = 0;
quint64 g_linkFailures = 0;

// A silent generator: the echo, the acknowledge or a reply character did
// not come in time, or the bus reported a failed transfer. A refusal by the
// generator ("Command invalid", "Execution error") is an answer, not a loss.
bool IsLinkLossCode(int code)
{
    return code == MORVANE_E_NO_ECHO || code == MORVANE_E_TIMEOUT || code == MORVANE_E_GPIB_STATUS;
}

// Puts up the wait cursor for as long as it lives.
class WaitCursor
{
public:
    WaitCursor()
    {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            m_set = true;
        }
    }
    ~WaitCursor()
    {
        if (m_set)
            QGuiApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    bool m_set = false;
};

} // namespace

CGenerator::CGenerator(QWidget* owner)
    : m_owner(owner)
    , m_reply(kReplyBufferSize, '\0')
{
}

CGenerator::CGenerator(QWidget* owner, PortId port)
    : CGenerator(owner)
{
    m_port = port;
}

CGenerator::~CGenerator()
{
    m_log.reset();
    if (m_port != 0)
        Port().Close(m_port);
    const QList<KnobListLink*> links = m_knobLists;
    m_knobLists.clear();
    for (KnobListLink* link : links)
        link->DetachSource();
    SetLinkLost(false);
    if (g_pCurrentGenerator == this)
        g_pCurrentGenerator = nullptr;
}

// --- Connection ------------------------------------------------------------

QString CGenerator::LibraryErrorText(int code) const
{
    char text[MORVANE_ERROR_TEXT_SIZE + 2] = {};
    Port().GetErrorMsg(code, text);
    text[sizeof text - 1] = '\0';
    return QString::fromLatin1(text);
}

void CGenerator::ShowConnectError(QWidget* parent, const PromptText& text)
{
    MessageBox(parent, text, PromptText(IDS_CONNECT_ERROR), MB_OK | MB_ICONWARNING);
}

bool CGenerator::SearchBaudRate(CProgressDlg* progress)
{
    for (int rate : kBaudRates) {
        if (progress != nullptr)
            progress->SetStatus(kStatusStep, FormatString(IDS_CHECKING_RATE, {QString::number(rate)}));
        Port().SetRate(m_port, rate);
        if (Port().IsShutDown(m_port) == 0)
            return true;
    }
    return false;
}

QString CGenerator::PortSpec(int type, int number)
{
    switch (type) {
    case CSelectPortDlg::kTypeIsa: return QStringLiteral("isa%1").arg(number);
    case CSelectPortDlg::kTypeSerial: return QStringLiteral("com%1").arg(number);
    case CSelectPortDlg::kTypePci: return QStringLiteral("pci%1").arg(number);
    case CSelectPortDlg::kTypeGpib:
        m_gpibAddress = number;
        m_gpibBoard = 0;
        return QStringLiteral("gpib%1:%2").arg(m_gpibAddress).arg(m_gpibBoard);
    default: return QString();
    }
}

bool CGenerator::OpenPort()
{
    CSelectPortDlg dialog(this, m_owner, false);
    if (DoModal(dialog) != IDOK)
        return false;

    const QString spec = PortSpec(dialog.m_portType, dialog.m_portNumber);
    if (spec.isEmpty())
        return false; // nothing usable was chosen (no PCI card)

    auto progress = std::make_unique<CProgressDlg>(m_owner, false);
    progress->SetStatus(kStatusHeading, FormatString(IDS_CONNECTING_ON, {spec}));
    progress->SetStatus(kStatusStep, LoadString(IDS_ATTEMPT_HANDSHAKE));

    m_port = Port().Open(spec.toLatin1().constData());
    if (m_port == 0) {
        const QString text = LibraryErrorText(Port().GetError());
        progress.reset();
        ShowConnectError(nullptr, text);
        return false;
    }
    const int error = Port().GetError();
    bool connected = error == MORVANE_OK;
    if (!connected && error == MORVANE_E_HANDSHAKE && IsSerial()) {
        progress->SetStatus(kStatusHeading, LoadString(IDS_AUTO_DETECT_BAUD));
        connected = SearchBaudRate(progress.get());
    }
    if (!connected) {
        ShowConnectError(nullptr, LibraryErrorText(error));
        Port().Close(m_port);
        m_port = 0;
        progress.reset();
        return false;
    }
    progress.reset();
    SetLinkLost(false);
    SetFirmwareVersion(QueryVerf());
    return true;
}

int CGenerator::ChangeBaudRate(int rate)
{
    if (!IsSerial())
        return 0;
    if (rate == 0) {
        CBaudRateDlg dialog(m_owner, this);
        if (DoModal(dialog) != IDOK || dialog.m_selected < 0 || dialog.m_selected >= int(kBaudRates.size()))
            return 0;
        rate = kBaudRates[size_t(dialog.m_selected)];
    }
    if (rate == GetBaudRate())
        return 2;

    WaitCursor cursor;
    PutString(QStringLiteral("MODE COM1 %1 N 8 1 H").arg(rate));
    // Closing at once can drop the line before the generator has read it;
    // its prompt (still at the old rate) says it took the new rate.
    SkipToPrompt(kEchoSeconds);
    const int comNumber = int(m_port & 0xFFFF) + 1;
    Port().Close(m_port);
    m_port = Port().Open(QStringLiteral("com%1").arg(comNumber).toLatin1().constData());
    if (m_port == 0) {
        ShowConnectError(nullptr, LibraryErrorText(Port().GetError()));
        return 1;
    }
    const int error = Port().GetError();
    bool connected = error == MORVANE_OK;
    if (!connected && error == MORVANE_E_HANDSHAKE) {
        Port().SetRate(m_port, rate);
        connected = Port().IsShutDown(m_port) == 0 || SearchBaudRate(nullptr);
    }
    if (!connected) {
        ShowConnectError(m_owner, PromptText(IDS_REESTABLISH_FAILED));
        Port().Close(m_port);
        m_port = 0;
        return 1;
    }
    SetLinkLost(false);
    return 2;
}

void CGenerator::SetFirmwareVersion(double version)
{
    m_firmwareVersion = version;
    m_extendedLists = version >= 7.011;
    m_fontsSupported = version > 7.02;
    m_pixelMapsSupported = version > 7.02;
    if ((m_port & MORVANE_PORT_TYPE_MASK) == MORVANE_PORT_ISA)
        BuildMemoryMap();
}

void CGenerator::BuildMemoryMap()
{
    // Builds whose version has more than three decimals are test builds with
    // their own table layout.
    const double scaled = m_firmwareVersion * 1000.0;
    m_isaMapBeta = std::fabs(scaled - std::round(scaled)) > 1e-6 ? 1 : 0;
    // The table addresses per firmware build come with the ISA card support;
    // until then no ISA port can be opened and the map stays empty.
    m_isaMap.fill(0);
}

void CGenerator::FlushPort()
{
    if (m_port != 0)
        Port().Flush(m_port);
}

QString CGenerator::GetPortName() const
{
    const unsigned slot = m_port & 0xFFFF;
    switch (m_port & MORVANE_PORT_TYPE_MASK) {
    case MORVANE_PORT_ISA: return QStringLiteral("Isa-%1").arg(slot);
    case MORVANE_PORT_COM: return QStringLiteral("Com-%1").arg(slot + 1);
    case MORVANE_PORT_PCI: return QStringLiteral("Pci-%1").arg(slot + 1);
    case MORVANE_PORT_GPIB: return QStringLiteral("Gpib-%1:%2").arg(m_gpibAddress).arg(m_gpibBoard);
    default: return QStringLiteral("No Port");
    }
}

int CGenerator::CountPciCards()
{
    return Port().CountPciCards();
}

int CGenerator::GetBaudRate()
{
    return Port().GetRate(m_port);
}

double CGenerator::QueryVerf()
{
    m_command = QStringLiteral("VERF?");
    return SendQueryDouble();
}

// --- Send path ---------------------------------------------------------------

QString CGenerator::ReplyText() const
{
    return QString::fromLatin1(m_reply.data());
}

void CGenerator::Transmit(bool expectReply)
{
    if (m_log)
        m_log->WriteLine(m_command.toLatin1());
    ClearReply();
    if (RefuseBadName())
        return;
    if (m_linkLost) {
        // The first failure was shown; the rest of the operation fails quietly.
        m_lastError = MORVANE_E_TIMEOUT;
        ++g_linkFailures;
        LogPortError();
        return;
    }
    const QByteArray command = m_command.toLatin1();
    char* reply = IsGpib() && !expectReply ? nullptr : m_reply.data();
    Port().SendCommand(m_port, command.constData(), reply, int32_t(m_reply.size()));
    m_reply.back() = '\0';
    m_lastError = Port().GetError();
    ReportPortError();
    if (IsLinkLossCode(m_lastError)) {
        SetLinkLost(true);
        ++g_linkFailures;
    }
    if (m_log) {
        m_log->WriteLine(QByteArray(m_reply.data()));
        LogPortError();
    }
}

// A name from a file or a reply that would break the line (a quote, ';',
// '>' or a control character) is never sent: the generator would run
// something else than what was asked.
bool CGenerator::RefuseBadName()
{
    if (m_nameProblem.isEmpty())
        return false;
    m_lastError = MORVANE_E_COMMAND_INVALID;
    MessageBox(nullptr, PromptText(IDS_COMMAND_ERROR, {PrintableName(m_command), m_nameProblem}),
               QStringLiteral("Communication Error"), MB_OK | MB_ICONWARNING);
    m_nameProblem.clear();
    return true;
}

void CGenerator::SendCommand(bool expectReply)
{
    if (m_port == 0) {
        m_nameProblem.clear();
        if (m_log)
            m_log->WriteLine(m_command.toLatin1());
        m_lastError = MORVANE_E_PORT_TYPE; // nothing was stored or changed
        return;
    }
    Transmit(expectReply);
}

void CGenerator::SendCommandText(const QString& line)
{
    m_command = line;
    SendCommand(line.indexOf(QLatin1Char('?'), 1) > 0);
}

bool CGenerator::SendQueryBool()
{
    Transmit(true);
    return m_reply[0] != '0';
}

int CGenerator::SendQueryInt()
{
    Transmit(true);
    return ReplyNumbers::LeadingInt(m_reply.data());
}

double CGenerator::SendQueryDouble()
{
    Transmit(true);
    return ReplyNumbers::LeadingDouble(m_reply.data());
}

void CGenerator::SendQueryRgb(RgbTriple& out)
{
    Transmit(true);
    m_lastReply = ReplyText();
    const QByteArray text = m_lastReply.toLatin1();
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;
    const qsizetype p = text.indexOf(',');
    if (p > 0) {
        r = ReplyNumbers::LeadingDouble(text.left(p).constData());
        const qsizetype q = text.indexOf(',', p + 1);
        if (q > p + 1) {
            g = ReplyNumbers::LeadingDouble(text.mid(p + 1, q - p - 1).constData());
            b = ReplyNumbers::LeadingDouble(text.mid(q + 1).constData());
        }
    }
    out.Set(r, g, b);
}

const QString& CGenerator::SendQueryString()
{
    SendCommand(true);
    const QString reply = ReplyText();
    const qsizetype end = reply.indexOf(QLatin1String("\r\n"));
    m_lastReply = end < 0 ? QString() : reply.left(end);
    return m_lastReply;
}

void CGenerator::GetReplyLines(QStringList& lines)
{
    m_lastReply = ReplyText();
    lines.clear();
    qsizetype start = 0;
    for (qsizetype end; (end = m_lastReply.indexOf(QLatin1String("\r\n"), start)) >= 0; start = end + 2) {
        QString piece = m_lastReply.mid(start, end - start);
        qsizetype keep = piece.size();
        while (keep > 0 && piece.at(keep - 1).isSpace())
            --keep;
        piece.truncate(keep);
        lines.append(piece);
    }
}

QString CGenerator::GetLastReply() const
{
    return ReplyText();
}

bool CGenerator::GetPortErrorText(QString& text)
{
    const int code = Port().GetError();
    if (code == MORVANE_OK) {
        text = QStringLiteral(" ");
        return false;
    }
    text = LibraryErrorText(code);
    return true;
}

void CGenerator::ReportPortError()
{
    if (m_lastError == MORVANE_OK)
        return;
    MessageBox(nullptr, PromptText(IDS_COMMAND_ERROR, {m_command, LibraryErrorText(m_lastError)}),
               QStringLiteral("Communication Error"), MB_OK | MB_ICONWARNING);
}

void CGenerator::LogPortError()
{
    // Only writes: the reply stays for the reader, logging on or off.
    if (m_log && m_lastError != MORVANE_OK)
        m_log->WritePortError(m_lastError, LibraryErrorText(m_lastError).toLatin1());
}

// --- A lost link ---------------------------------------------------------------

void CGenerator::SetLinkLost(bool lost)
{
    if (lost == m_linkLost)
        return;
    m_linkLost = lost;
    g_lostLinks += lost ? 1 : -1;
}

bool CGenerator::CheckLink()
{
    if (m_port == 0 || Port().IsShutDown(m_port) != 0)
        return false;
    SetLinkLost(false);
    return true;
}

bool CGenerator::AnyLinkLost()
{
    return g_lostLinks > 0;
}

quint64 CGenerator::LinkFailureCount()
{
    return g_linkFailures;
}

// --- Command log and raw transfers ---------------------------------------------

QString CGenerator::CommandLogPath() const
{
    return AppDataFile(GetPortName() + QStringLiteral(".txt"));
}

bool CGenerator::EnableCommandLog(bool on)
{
    if (!on) {
        m_log.reset();
        return true;
    }
    if (m_log)
        return true;
    auto log = std::make_unique<CommandLog>();
    if (!log->Open(CommandLogPath()))
        return false;
    m_log = std::move(log);
    return true;
}

void CGenerator::Delay(double seconds)
{
    // A day at most, so the milliseconds always fit an int.
    if (seconds > 0.0)
        Port().Pause(int(std::ceil(std::min(seconds, 86400.0) * 1000.0)));
}

bool CGenerator::PutString(const QString& s)
{
    if (m_port == 0 || IsGpib())
        return false;
    if (m_log)
        m_log->BeginChars("PutString: ");
    const QByteArray bytes = s.toLatin1();
    for (char c : bytes) {
        if (m_log)
            m_log->AppendChars(QByteArray(1, c));
        if (!Port().PutChar(m_port, static_cast<unsigned char>(c)))
            return false;
    }
    if (m_log)
        m_log->AppendRaw("(0xd)\"");
    return Port().PutChar(m_port, '\r') != 0;
}

bool CGenerator::WaitForChar(int seconds)
{
    const int64_t start = Port().NowMs();
    while (Port().IsCharAvailable(m_port) == 0) {
        if (Port().NowMs() - start >= int64_t(seconds) * 1000)
            return false;
        Port().Pause(kCharPollMs);
    }
    return true;
}

bool CGenerator::SkipToPrompt(int seconds)
{
    for (size_t count = 0; count < m_reply.size(); ++count) {
        if (!WaitForChar(seconds))
            return false;
        if ((Port().GetChar(m_port) & 0xFF) == '>')
            return true;
    }
    return false;
}

bool CGenerator::GetString()
{
    if (m_port == 0 || IsGpib())
        return false;
    if (m_log)
        m_log->BeginChars("GetString: ");
    bool ended = false;
    for (size_t count = 0; !ended && count < m_reply.size(); ++count) {
        if (!WaitForChar(kReplyCharSeconds)) {
            m_lastError = MORVANE_E_TIMEOUT;
            break;
        }
        m_reply[0] = char(Port().GetChar(m_port) & 0xFF);
        if (m_log)
            m_log->AppendChars(QByteArray(1, m_reply[0]));
        ended = m_reply[0] == '\n';
    }
    ClearReply();
    if (!ended && m_log) {
        m_log->AppendRaw("\n");
        m_log->WritePortError(MORVANE_E_TIMEOUT, "No line end within 10 s.");
    }
    return ended;
}

bool CGenerator::SendFile(FILE* f, CProgressDlg* progress)
{
    if (f == nullptr || m_port == 0)
        return false;
    long sent = 0;
    for (int c; (c = std::fgetc(f)) != EOF; ++sent) {
        if (sent % kFileProgressStep == 0 && progress != nullptr) {
            progress->SetStatus(kStatusStep, QStringLiteral("Sent: %1 Bytes").arg(sent));
            if (progress->IsCancelled())
                return false;
        }
        if (Port().PutChar(m_port, c) == 0) {
            m_lastError = Port().GetError();
            return false;
        }
    }
    return std::ferror(f) == 0;
}

// --- Knob-list links -------------------------------------------------------------

void CGenerator::AttachKnobList(KnobListLink* list)
{
    m_knobLists.append(list);
}

void CGenerator::DetachKnobList(KnobListLink* list)
{
    m_knobLists.removeAll(list);
}

void CGenerator::NotifyKnobLists()
{
    // A knob list may detach (or be deleted) while it is told; walk a copy
    // and skip what has gone since.
    const QList<KnobListLink*> links = m_knobLists;
    for (KnobListLink* link : links) {
        if (m_knobLists.contains(link))
            link->OnSourceListChanged();
    }
}

#include "GeneratorLink.h"

#include "CProgressDlg.h"
#include "CommandLog.h"
#include "CommandName.h"
#include "PortBackend.h"
#include "PortWorker.h"
#include "ReplyNumbers.h"

#include "AppFolders.h"
#include "ResourceIds.h"
#include "UserAction.h"
#include "StringTable.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// Large enough for a full 450-name list with flags; the library stops at
// the buffer's end, so a short buffer silently cut long lists.
constexpr size_t kReplyBufferSize = 32 * 1024;
constexpr int kReplyCharSeconds = 10; // the protocol's limit between reply characters
constexpr int kCharPollMs = 2;
constexpr long kFileProgressStep = 2024;

// Connections whose link is lost at the moment, and commands that failed and
// halted a link or an operation. Globals: they count over every connection
// of the program, as the progress dialog in front of whichever operation
// runs reads them (a halt on any link stops it).
int g_lostLinks = 0;
quint64 g_haltingFailures = 0;

// A silent generator: the echo, the acknowledge or a reply character did
// not come in time, or the bus reported a failed transfer. A refusal by the
// generator ("Command invalid", "Execution error") is an answer, not a loss.
bool IsLinkLossCode(int code)
{
    return code == MORVANE_E_NO_ECHO || code == MORVANE_E_TIMEOUT || code == MORVANE_E_GPIB_STATUS;
}

} // namespace

// One call of the link on the port thread. A second one begun while the first
// waits (from an event the wait let through) is a program error: refused
// without traffic and logged, never queued behind the first on the same link.
// The calls a job of the link makes on the port thread are part of it.
class GeneratorLink::Call
{
public:
    explicit Call(const GeneratorLink& link)
        : m_link(link)
        , m_inJob(link.m_job != nullptr && PortWorker::OnPortThread())
        , m_refused(!m_inJob && link.m_callInFlight)
    {
        if (m_refused)
            qCritical("Program error: a call on %s began while another was in flight; refused.",
                      qPrintable(link.GetPortName()));
        else if (!m_inJob)
            m_link.m_callInFlight = true;
    }
    ~Call()
    {
        if (!m_refused && !m_inJob)
            m_link.m_callInFlight = false;
    }
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;
    bool Refused() const { return m_refused; }

private:
    const GeneratorLink& m_link;
    bool m_inJob;
    bool m_refused;
};

// What a job keeps for the calling thread: its first failure, told once it is back.
struct GeneratorLink::Job
{
    std::function<bool()> stopped;
    std::optional<CommandFailure> failure;
};

GeneratorLink::GeneratorLink()
    : m_reply(kReplyBufferSize, '\0')
{
}

GeneratorLink::~GeneratorLink()
{
    // Deleted from an event run during its own call: the port thread still
    // writes the reply buffer until that call ends.
    if (m_callInFlight)
        PortWorker::Run([] {});
    m_log.reset();
    Close();
    m_linkChanged = nullptr;
    SetLinkLost(false);
}

// --- The port ----------------------------------------------------------------

void GeneratorLink::Close()
{
    if (m_callInFlight)
        PortWorker::Run([] {}); // the call in flight ends first
    if (m_port != 0)
        Port().Close(m_port);
    m_port = 0;
}

void GeneratorLink::SetGpibAddress(int address, int board)
{
    m_gpibAddress = address;
    m_gpibBoard = board;
}

QString GeneratorLink::GetPortName() const
{
    const int slot = PortSlotOf(m_port);
    switch (Type()) {
    case PortType::Isa: return FormatString(IDS_PORT_NAME_ISA, {QString::number(slot)});
    case PortType::Com: return FormatString(IDS_PORT_NAME_COM, {QString::number(slot + 1)});
    case PortType::Pci: return FormatString(IDS_PORT_NAME_PCI, {QString::number(slot + 1)});
    case PortType::Gpib:
        return FormatString(IDS_PORT_NAME_GPIB, {QString::number(m_gpibAddress), QString::number(m_gpibBoard)});
    default: return LoadString(IDS_PORT_NAME_NONE);
    }
}

int GeneratorLink::GetBaudRate() const
{
    const Call call(*this);
    return call.Refused() ? 0 : Port().GetRate(m_port);
}

void GeneratorLink::FlushPort()
{
    const Call call(*this);
    if (m_port != 0 && !call.Refused())
        Port().Flush(m_port);
}

QString GeneratorLink::LibraryErrorText(int code, PortType type)
{
    char text[MORVANE_ERROR_TEXT_SIZE + 2] = {};
    Port().GetErrorMsg(code, text);
    text[sizeof text - 1] = '\0';
    return WordLibraryError(code, QString::fromLatin1(text), type);
}

QString GeneratorLink::WordLibraryError(int code, const QString& libraryText, PortType type)
{
    // The library speaks of its PCI driver also for an ISA card.
    if (type == PortType::Isa && code == MORVANE_E_PCI_DRIVER)
        return LoadString(IDS_PORT_ERROR_ISA_DRIVER);
    if (type == PortType::Isa && code == MORVANE_E_PCI_DRIVER_VERSION)
        return LoadString(IDS_PORT_ERROR_ISA_DRIVER_VERSION);
    if (type == PortType::Isa && code == MORVANE_E_PCI_REGISTER)
        return LoadString(IDS_PORT_ERROR_ISA_REGISTER);
    if (!libraryText.trimmed().isEmpty())
        return libraryText;
    switch (code) {
    case MORVANE_E_BUFFER_TOO_SMALL: return LoadString(IDS_PORT_ERROR_10006);
    case MORVANE_E_TIMEOUT:
        return LoadString(type == PortType::Isa || type == PortType::Pci ? IDS_PORT_ERROR_10007_CARD : IDS_PORT_ERROR_10007);
    case MORVANE_E_BUFFER_FULL: return LoadString(IDS_PORT_ERROR_10008);
    default: return FormatString(IDS_PORT_ERROR_UNKNOWN, {QString::number(code)});
    }
}

PortType GeneratorLink::PortTypeOfSpec(const QString& spec)
{
    const QString s = spec.trimmed().toLower();
    if (s.startsWith(QLatin1String("isa")))
        return PortType::Isa;
    if (s.startsWith(QLatin1String("pci")))
        return PortType::Pci;
    if (s.startsWith(QLatin1String("com")))
        return PortType::Com;
    if (s.startsWith(QLatin1String("gpib")))
        return PortType::Gpib;
    return PortType::None;
}

// --- Send path ---------------------------------------------------------------

QString GeneratorLink::ReplyText() const
{
    return QString::fromLatin1(m_reply.data());
}

void GeneratorLink::Transmit(const CommandLine& line, bool expectReply)
{
    m_refusal.clear();
    m_lastCommand = line.Text();
    const QByteArray command = m_lastCommand.toLatin1();
    if (m_log)
        m_log->WriteLine(command);
    ClearReply();
    NoteJobStop();
    // A job asks no question on its thread: it was asked before the job began.
    if (IsHalted() && !(m_linkLost && m_job == nullptr && OfferReconnect() && !IsHalted())) {
        if (!m_linkLost && !m_operationFailed) {
            m_lastError = MORVANE_E_PORT_TYPE; // the job was stopped: nothing was sent
            return;
        }
        // The first failure was reported; the rest of the operation fails quietly.
        m_lastError = m_linkLost ? MORVANE_E_TIMEOUT : m_operationError;
        ++g_haltingFailures;
        LogPortError();
        return;
    }
    if (RefuseBadName(line)) {
        NoteFailure();
        return;
    }
    const Call call(*this);
    if (call.Refused()) {
        m_lastError = MORVANE_E_PORT_TYPE; // nothing was sent
        return;
    }
    char* reply = IsGpib() && !expectReply ? nullptr : m_reply.data();
    Port().SendCommand(m_port, command.constData(), reply, int32_t(m_reply.size()));
    m_reply.back() = '\0';
    m_lastError = Port().GetError();
    KeepRefusal();
    // Putting back after a failure reported already: one report is enough.
    if (!m_operationFailed && m_lastError != MORVANE_OK)
        Report(m_lastCommand, LibraryErrorText(m_lastError, Type()));
    NoteFailure();
    if (m_log) {
        m_log->WriteLine(QByteArray(m_reply.data()));
        LogPortError();
    }
}

// The library tells a refusal by its code and blanks only the reply's first
// character; the rest of the generator's words stay behind it.
void GeneratorLink::KeepRefusal()
{
    if (m_lastError != MORVANE_E_COMMAND_INVALID && m_lastError != MORVANE_E_EXECUTION)
        return;
    if (m_reply[0] != '\0' || m_reply[1] == '\0')
        return;
    m_reply[0] = m_lastError == MORVANE_E_COMMAND_INVALID ? 'C' : 'E';
    const QString text = ReplyText();
    m_reply[0] = '\0';
    m_refusal = text.left(text.indexOf(QLatin1String("\r\n"))).trimmed();
}

// A failure just reported halts what follows: the link when the generator went
// silent, else the operation under way, if any.
void GeneratorLink::NoteFailure()
{
    if (m_lastError == MORVANE_OK)
        return;
    if (IsLinkLossCode(m_lastError)) {
        m_actionAsked = UserAction::Current(); // its box was this action's word on the link
        SetLinkLost(true);
        ++g_haltingFailures;
    } else if (m_operationDepth > 0 && !m_operationFailed && !m_quietReports) {
        // A closing kept over a lost link that is refused ends no operation.
        m_operationFailed = true;
        m_operationError = m_lastError;
        ++g_haltingFailures;
    }
}

// A name from a file or a reply that would break the line (a quote, ';',
// '>' or a control character) is never sent: the generator would run
// something else than what was asked.
bool GeneratorLink::RefuseBadName(const CommandLine& line)
{
    if (line.NameProblem().isEmpty())
        return false;
    m_lastError = MORVANE_E_COMMAND_INVALID;
    Report(PrintableName(line.Text()), line.NameProblem());
    return true;
}

void GeneratorLink::Report(const QString& command, const QString& why)
{
    if (m_job != nullptr) {
        if (!m_job->failure)
            m_job->failure = CommandFailure{command, why};
        return;
    }
    if (m_failureReport && !m_quietReports)
        m_failureReport({command, why});
}

void GeneratorLink::SendCommand(const CommandLine& line, bool expectReply)
{
    // A link lost for good (its reopen failed) still asks a user action to reconnect.
    if (m_port == 0 && !m_linkLost) {
        m_refusal.clear();
        m_lastCommand = line.Text();
        if (m_log)
            m_log->WriteLine(m_lastCommand.toLatin1());
        m_lastError = MORVANE_E_PORT_TYPE; // nothing was stored or changed
        return;
    }
    Transmit(line, expectReply);
}

bool GeneratorLink::QueryBool(const CommandLine& line)
{
    Transmit(line, true);
    return m_reply[0] != '0';
}

int GeneratorLink::QueryInt(const CommandLine& line)
{
    Transmit(line, true);
    return ReplyNumbers::LeadingInt(m_reply.data());
}

double GeneratorLink::QueryDouble(const CommandLine& line)
{
    Transmit(line, true);
    return ReplyNumbers::LeadingDouble(m_reply.data());
}

void GeneratorLink::QueryRgb(const CommandLine& line, RgbTriple& out)
{
    Transmit(line, true);
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

const QString& GeneratorLink::QueryString(const CommandLine& line)
{
    SendCommand(line, true);
    const QString reply = ReplyText();
    const qsizetype end = reply.indexOf(QLatin1String("\r\n"));
    m_lastReply = end < 0 ? QString() : reply.left(end);
    return m_lastReply;
}

void GeneratorLink::GetReplyLines(QStringList& lines)
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

bool GeneratorLink::GetPortErrorText(QString& text)
{
    // The library's error as it stands now, asked on the port thread.
    int code = MORVANE_OK;
    PortWorker::Run([&] { code = InstalledPort().GetError(); });
    if (code == MORVANE_OK) {
        text = QStringLiteral(" ");
        return false;
    }
    text = LibraryErrorText(code, Type());
    return true;
}

void GeneratorLink::LogPortError()
{
    // Only writes: the reply stays for the reader, logging on or off.
    if (m_log && m_lastError != MORVANE_OK)
        m_log->WritePortError(m_lastError, LibraryErrorText(m_lastError, Type()).toLatin1());
}

// --- A lost link ---------------------------------------------------------------

void GeneratorLink::SetLinkLost(bool lost)
{
    if (lost == m_linkLost)
        return;
    m_linkLost = lost;
    g_lostLinks += lost ? 1 : -1;
    // A job's listeners hear of it once the job is back on its thread.
    if (m_linkChanged && m_job == nullptr)
        m_linkChanged(lost);
}

// Once per user action: traffic outside actions (refreshes, timers) and the
// rest of an action that was asked already fail quietly.
bool GeneratorLink::OfferReconnect()
{
    const quint64 action = UserAction::Current();
    if (action == 0 || action == m_actionAsked || !m_reconnectOffer)
        return false;
    m_actionAsked = action;
    // The reconnect sends commands of its own; the one waiting goes after them.
    const QString command = m_lastCommand;
    const bool back = m_reconnectOffer();
    m_lastCommand = command;
    ClearReply();
    return back;
}

bool GeneratorLink::CheckLink()
{
    const Call call(*this);
    if (call.Refused() || m_port == 0 || Port().IsShutDown(m_port) != 0)
        return false;
    SetLinkLost(false);
    return true;
}

bool GeneratorLink::AnyLinkLost()
{
    return g_lostLinks > 0;
}

quint64 GeneratorLink::HaltingFailureCount()
{
    return g_haltingFailures;
}

// --- Operations ----------------------------------------------------------------

void GeneratorLink::EndOperation()
{
    if (--m_operationDepth > 0)
        return;
    m_operationFailed = false;
    m_operationError = MORVANE_OK;
}

// --- Jobs ----------------------------------------------------------------------

void GeneratorLink::NoteJobStop() const
{
    if (m_job == nullptr || m_jobStopped || m_putBackDepth > 0 || !m_job->stopped || !PortWorker::OnPortThread())
        return;
    if (m_job->stopped())
        m_jobStopped = true;
}

bool GeneratorLink::RunJob(const std::function<void()>& job, const std::function<bool()>& stopped)
{
    if (m_job != nullptr && PortWorker::OnPortThread()) {
        job(); // a part of the job under way
        return !IsHalted();
    }
    if (m_callInFlight) {
        const Call refused(*this); // an event run during a call of this link: logged
        return false;
    }
    if (m_linkLost)
        OfferReconnect();
    const Call call(*this);
    if (call.Refused())
        return false;
    Job state{stopped, std::nullopt};
    const bool lostBefore = m_linkLost;
    BeginOperation();
    m_job = &state;
    PortWorker::Run(job);
    m_job = nullptr;
    const bool whole = !m_operationFailed && !m_jobStopped && !m_linkLost;
    m_jobStopped = false;
    EndOperation();
    if (m_linkLost != lostBefore && m_linkChanged)
        m_linkChanged(m_linkLost);
    if (state.failure)
        Report(state.failure->command, state.failure->why);
    return whole;
}

// --- Closing after a reconnect --------------------------------------------------

void GeneratorLink::KeepForReconnect(std::function<void()> closing)
{
    m_keptClosings.push_back(std::move(closing));
}

void GeneratorLink::SendKeptClosings()
{
    if (m_keptClosings.empty() || m_linkLost)
        return;
    const std::vector<std::function<void()>> closings = std::move(m_keptClosings);
    m_keptClosings.clear();
    m_quietReports = true;
    BeginPutBack();
    for (const std::function<void()>& closing : closings)
        closing();
    EndPutBack();
    m_quietReports = false;
}

// --- Command log and raw transfers ---------------------------------------------

QString GeneratorLink::CommandLogPath() const
{
    return AppDataFile(GetPortName() + QStringLiteral(".txt"));
}

bool GeneratorLink::EnableCommandLog(bool on)
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

void GeneratorLink::Delay(double seconds)
{
    // A day at most, so the milliseconds always fit an int.
    if (seconds > 0.0)
        Port().Pause(int(std::ceil(std::min(seconds, 86400.0) * 1000.0)));
}

bool GeneratorLink::PutString(const QString& s)
{
    const Call call(*this);
    if (call.Refused() || m_port == 0 || IsGpib())
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

bool GeneratorLink::WaitForChar(int seconds)
{
    const int64_t start = Port().NowMs();
    while (Port().IsCharAvailable(m_port) == 0) {
        if (Port().NowMs() - start >= int64_t(seconds) * 1000)
            return false;
        Port().Pause(kCharPollMs);
    }
    return true;
}

// The raw waits poll the port; each runs whole on the port thread.
bool GeneratorLink::SkipToPrompt(int seconds)
{
    const Call call(*this);
    if (call.Refused())
        return false;
    bool prompted = false;
    PortWorker::Run([&] {
        for (size_t count = 0; !prompted && count < m_reply.size(); ++count) {
            if (!WaitForChar(seconds))
                return;
            prompted = (Port().GetChar(m_port) & 0xFF) == '>';
        }
    });
    return prompted;
}

bool GeneratorLink::GetString()
{
    const Call call(*this);
    if (call.Refused() || m_port == 0 || IsGpib())
        return false;
    if (m_log)
        m_log->BeginChars("GetString: ");
    bool ended = false;
    PortWorker::Run([&] {
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
    });
    ClearReply();
    if (!ended && m_log) {
        m_log->AppendRaw("\n");
        m_log->WritePortError(MORVANE_E_TIMEOUT, "No line end within 10 s.");
    }
    return ended;
}

bool GeneratorLink::SendFile(FILE* f, CProgressDlg* progress)
{
    const Call call(*this);
    if (call.Refused() || f == nullptr || m_port == 0)
        return false;
    long sent = 0;
    for (int c; (c = std::fgetc(f)) != EOF; ++sent) {
        if (sent % kFileProgressStep == 0 && progress != nullptr) {
            progress->SetStatus(IDC_STATUS2, FormatString(IDS_FILE_BYTES_SENT, {QString::number(sent)}));
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

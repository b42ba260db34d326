#pragma once
// The port of one connection and everything that travels over it: the send
// path with its reply buffer and readers, the lost-link latch, the command
// log and the raw character transfers. It shows no window: a command that
// fails is reported up through the failure report (CGenerator shows it), so
// a tool or a test can drive a generator through it alone.

#include "CommandLine.h"
#include "PortType.h"
#include "RgbTriple.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

class CProgressDlg;
class CommandLog;

// How a rate change ended.
enum class BaudChange {
    NotDone,  // not a serial port, or cancelled
    LinkLost, // communication lost: no port is left
    Done,
};

// A command the generator did not take, as the user is told of it.
struct CommandFailure
{
    QString command; // as shown
    QString why;     // the library's text, or why a name cannot go
};

class GeneratorLink
{
public:
    // The serial rates the program offers and searches, fastest first.
    static constexpr std::array<int, 8> kBaudRates = {115200, 57600, 38400, 19200, 9600, 2400, 1200, 300};

    GeneratorLink();
    // Closes the port.
    ~GeneratorLink();
    GeneratorLink(const GeneratorLink&) = delete;
    GeneratorLink& operator=(const GeneratorLink&) = delete;

    // --- The port --------------------------------------------------------
    PortId GetPort() const { return m_port; }
    // Takes an open port (0: none); the link closes it when it goes.
    void SetPort(PortId port)
    {
        m_port = port;
        if (port != 0)
            m_lastPort = port;
    }
    // The port open last, also after it was closed: a reconnect opens it again.
    PortId LastPort() const { return m_lastPort; }
    // Closes the port, if one is open.
    void Close();
    PortType Type() const { return PortTypeOf(m_port); }
    bool IsSerial() const { return Type() == PortType::Com; }
    bool IsGpib() const { return Type() == PortType::Gpib; }
    void SetGpibAddress(int address, int board);
    int GetGpibAddress() const { return m_gpibAddress; }
    int GetGpibBoard() const { return m_gpibBoard; }
    // "Isa-0", "Com-1", "Pci-1", "Gpib-5:0" or "No Port".
    QString GetPortName() const;
    int GetBaudRate() const;
    void FlushPort();
    // The library's text of an error code.
    // The library's text of code, worded by the program where the library
    // leaves it blank or names another port type than type's.
    static QString LibraryErrorText(int code, PortType type = PortType::None);
    // The port type a port spec ("isa0", "com1", "gpib5:0") names.
    static PortType PortTypeOfSpec(const QString& spec);
    // The same wording over a text the library gave for code.
    static QString WordLibraryError(int code, const QString& libraryText, PortType type);

    // --- Commands and replies --------------------------------------------
    // Sends line: on a closed port nothing goes and the result is a port
    // type error; otherwise the reply lands in the reply buffer.
    void SendCommand(const CommandLine& line, bool expectReply);
    // Sends line on the port as it is (a closed one fails with the library's
    // error); a failure goes to the failure report.
    void Transmit(const CommandLine& line, bool expectReply);
    bool QueryBool(const CommandLine& line);
    int QueryInt(const CommandLine& line);
    double QueryDouble(const CommandLine& line);
    void QueryRgb(const CommandLine& line, RgbTriple& out);
    // The first line of the reply.
    const QString& QueryString(const CommandLine& line);
    // The line sent last.
    const QString& LastCommand() const { return m_lastCommand; }
    // The reply's lines, trailing blanks removed.
    void GetReplyLines(QStringList& lines);
    // The raw reply of the last command.
    const char* Reply() const { return m_reply.data(); }
    // The reply buffer itself, at least 1024 bytes: a YMODEM transfer keeps
    // its block there.
    char* ReplyBuffer() { return m_reply.data(); }
    QString ReplyText() const;
    // The library's error of the last command (0: it succeeded).
    int LastError() const { return m_lastError; }
    void SetLastError(int code) { m_lastError = code; }
    bool LastCommandSucceeded() const { return m_lastError == 0; }
    // The text kept from the last string or line reader.
    QString& LastReply() { return m_lastReply; }
    // The generator's refusal of the last command ("Command invalid",
    // "Execution error: 2072"), which the library empties out of the reply;
    // empty when it took the command.
    const QString& RefusalText() const { return m_refusal; }

    // Told of each failed command that the user is to hear of: outside an
    // operation every one, inside one only the first.
    void SetFailureReport(std::function<void(const CommandFailure&)> report) { m_failureReport = std::move(report); }

    bool GetPortErrorText(QString& text);
    void LogPortError();

    // --- A lost link -------------------------------------------------------
    // After a command times out the link counts as lost: the first failure is
    // reported, later commands fail at once without traffic or a report, and a
    // running progress dialog reads as cancelled, until a handshake succeeds.
    bool IsLinkLost() const { return m_linkLost; }
    void SetLinkLost(bool lost);
    // Handshakes with the generator; true (and the link no longer lost) when it answers.
    bool CheckLink();
    static bool AnyLinkLost();
    // Told each time the link is lost (true) or regained (false).
    void SetLinkChangedHook(std::function<void(bool lost)> hook) { m_linkChanged = std::move(hook); }
    // The first command of a user action on a lost link runs this (once per
    // action): true when the link is back and the command may go.
    void SetReconnectOffer(std::function<bool()> offer) { m_reconnectOffer = std::move(offer); }

    // --- Operations ---------------------------------------------------------
    // The commands of one operation (a send, a recall, a copy, a scan, a
    // Send Data pass) lie between Begin and EndOperation. Its first failed
    // command is the one reported and ends it: the commands after it fail at
    // once, without traffic or a report, and a running progress dialog reads
    // as cancelled. Outside operations every failing command is reported.
    // Operations nest; the end of the outermost one clears the failure.
    void BeginOperation() { ++m_operationDepth; }
    void EndOperation();
    // Commands that put the generator back as an operation found it lie
    // between Begin and EndPutBack: sent even when the operation failed,
    // without a report then. A lost link still refuses them.
    void BeginPutBack() { ++m_putBackDepth; }
    void EndPutBack() { --m_putBackDepth; }
    // Commands fail at once: the link is lost, or the operation under way
    // failed or was stopped.
    bool IsHalted() const
    {
        NoteJobStop();
        return m_linkLost || ((m_operationFailed || m_jobStopped) && m_putBackDepth == 0);
    }
    // How many commands have failed so far that halt (the first time-out or
    // failure of an operation and every command refused after it); a
    // progress dialog that sees it grow stops its operation.
    static quint64 HaltingFailureCount();

    // --- Jobs ------------------------------------------------------------------
    // Runs job on the port thread as one unit, so that the commands it makes
    // go out one after the other without a hand-off to the port thread and
    // back for each; the calling thread waits as for any call. A job makes
    // commands and reads their replies only: no window, no box. It is one
    // operation: its first failed command ends it (the commands after it fail
    // at once, without traffic) and is reported once the job is back, on the
    // calling thread. stopped, asked before each command (not while putting
    // back), ends it the same way without a report. A lost link is offered
    // its reconnect before the job starts, as its first command would be.
    // False when a command failed, the link is lost or the job was stopped.
    bool RunJob(const std::function<void()>& job, const std::function<bool()>& stopped);
    // A job of this link runs (any thread).
    bool InJob() const { return m_job != nullptr; }

    // --- Closing after a reconnect ---------------------------------------------
    // The commands that close what an operation opened on the generator (an
    // edit buffer, an upload), kept when the link was lost before they could
    // go: the generator still holds it open. They go, in the order kept, as
    // soon as the link is back (a handshake that answers, a reconnect), before
    // anything else, without a box; a generator that restarted meanwhile
    // refuses them harmlessly.
    void KeepForReconnect(std::function<void()> closing);
    // Sends what was kept; the list is emptied either way.
    void SendKeptClosings();
    int KeptClosingCount() const { return int(m_keptClosings.size()); }

    // --- Command log and raw transfers -----------------------------------
    bool EnableCommandLog(bool on);
    bool IsCommandLogOn() const { return m_log != nullptr; }
    QString CommandLogPath() const;
    void Delay(double seconds);
    bool PutString(const QString& s);
    bool GetString();
    bool SendFile(FILE* f, CProgressDlg* progress);
    // Reads and drops raw characters up to the generator's ">" prompt.
    bool SkipToPrompt(int seconds);

    // A call of this link is on the port thread: an event run while the GUI
    // thread waits for it must not start another on the same link.
    bool IsCallInFlight() const { return m_callInFlight; }

private:
    class Call;
    struct Job;
    void ClearReply() { m_reply[0] = '\0'; }
    bool RefuseBadName(const CommandLine& line);
    void Report(const QString& command, const QString& why);
    void NoteFailure();
    bool OfferReconnect();
    bool WaitForChar(int seconds);
    void KeepRefusal();
    // A job's code sees its stop as soon as it is asked for (port thread).
    void NoteJobStop() const;

    PortId m_port = 0;
    PortId m_lastPort = 0;
    int m_gpibAddress = 0;
    int m_gpibBoard = 0;
    QString m_lastCommand;
    QString m_lastReply;
    QString m_refusal;
    std::vector<char> m_reply; // the library's reply buffer; large enough for any name list
    std::unique_ptr<CommandLog> m_log;
    int m_lastError = 0;
    bool m_linkLost = false;
    int m_operationDepth = 0;
    int m_putBackDepth = 0;
    bool m_operationFailed = false;
    int m_operationError = 0; // the failure that ended the operation
    mutable bool m_callInFlight = false;
    Job* m_job = nullptr;      // the job running, set and cleared by the calling thread
    mutable bool m_jobStopped = false; // the job's stop was seen
    bool m_quietReports = false;
    std::vector<std::function<void()>> m_keptClosings;
    std::function<void(bool lost)> m_linkChanged;
    std::function<bool()> m_reconnectOffer;
    std::function<void(const CommandFailure&)> m_failureReport;
    quint64 m_actionAsked = 0; // the user action that lost the link or was asked already
};

// YMODEM batch transfer on a serial connection: the sender of the files a
// generator takes after "YMDI", and the waits, trace and status both ways
// share (the receiver is in CGeneratorYmodemReceive.cpp). A transfer runs
// whole on the port thread as one routine: blocks go out in one write,
// every wait blocks on the line for its whole time-out, and the progress
// dialog's Cancel ends the wait in progress; its status lines are handed to
// the GUI thread. The reply buffer holds the block.

#include "CGenerator.h"
#include "CGeneratorYmodemScope.h"

#include "CProgressDlg.h"
#include "LinkRoutines.h"
#include "PortBackend.h"
#include "PortWorker.h"
#include "Ymodem.h"

#include "ResourceIds.h"
#include "StringTable.h"

#include <morvane.h>

#include <QFile>

#include <algorithm>
#include <climits>
#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

FILE* g_pYmodemTrace = nullptr;

using namespace Ymodem;

namespace {

constexpr int kAnswerSeconds = 60;   // the sender's every wait
constexpr int kAbortCans = 8;
constexpr int kSendDashes = 52;

// --- What the sender's waits accept and write ------------------------------------

struct WaitTexts
{
    const char* ack; // null: an ACK is just another byte here
    const char* nak;
    const char* crc;
    const char* stream;
    bool abortLine;   // "\nAbort" after the second CAN
    bool otherAsChar; // another byte is also shown as a character
};

// Indexed by CGenerator::YmodemWait.
const WaitTexts kWaitTexts[] = {
    {nullptr, "\nR: NAK = no CRCs", "\nR: C = use CRCs", "\nR: G", true, true},        // the receiver
    {"\nR: ACK = block received", "\nR: NAK = retransmit block", nullptr, nullptr, true, false}, // header
    {nullptr, "\nR: NAK", "\nR: C", "\nR: G", false, false},                           // mode
    {"\nR: ACK block received", "\nR: NAK retransmit", nullptr, nullptr, true, false}, // data block
};

int64_t Deadline(int seconds)
{
    return Port().NowMs() + int64_t(seconds) * 1000;
}

struct FileCloser
{
    void operator()(FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

// Length of an open file, which is left at its start; -1 when unknown.
long FileSize(FILE* file)
{
    if (std::fseek(file, 0, SEEK_END) != 0)
        return -1;
    const long size = std::ftell(file);
    return std::fseek(file, 0, SEEK_SET) == 0 ? size : -1;
}

// A FIFO or a device would block the open or the reads: only a regular file
// is opened, without waiting, and checked again once open.
FilePtr OpenRegularFile(const QByteArray& path)
{
    struct stat info{};
    if (::stat(path.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return nullptr;
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    FilePtr file(::fdopen(fd, "rb"));
    if (!file)
        ::close(fd);
    return file;
}

// Cancel as the transfer's thread may see it: the port thread reads the
// flag alone, the GUI thread also lets the dialog's events through. Its
// press ended the library's waits; they work again for the abort's writes.
bool CancelSeen(CProgressDlg* progress)
{
    if (progress == nullptr)
        return false;
    const bool seen = PortWorker::OnPortThread() ? progress->CancelRequested() : progress->IsCancelled();
    if (seen)
        InstalledPort().CancelWaits(false);
    return seen;
}

} // namespace

// --- Trace ----------------------------------------------------------------------

void CGenerator::TraceText(const char* text) const
{
    if (g_pYmodemTrace == nullptr)
        return;
    std::fputs(text, g_pYmodemTrace);
    if (m_ymodemFlushTrace)
        std::fflush(g_pYmodemTrace);
}

void CGenerator::Trace(const char* format, ...) const
{
    if (g_pYmodemTrace == nullptr)
        return;
    va_list args;
    va_start(args, format);
    std::vfprintf(g_pYmodemTrace, format, args);
    va_end(args);
    if (m_ymodemFlushTrace)
        std::fflush(g_pYmodemTrace);
}

void CGenerator::TraceDashes(int count) const
{
    if (g_pYmodemTrace == nullptr)
        return;
    // Built by append: GCC 12 at -O3 misreads "literal" + std::string as an overflow.
    std::string line(1, '\n');
    line.append(size_t(count), '-');
    TraceText(line.c_str());
}

// The sender breaks the lines before every 16th byte, the receiver after.
void CGenerator::TraceBytes(const uint8_t* data, int length, bool breakBefore) const
{
    if (g_pYmodemTrace == nullptr)
        return;
    for (int i = 0; i < length; ++i) {
        if (breakBefore && i % 16 == 0)
            TraceText("\n");
        Trace("0x%x, ", data[i]);
        if (!breakBefore && (i + 1) % 16 == 0)
            TraceText("\n");
    }
}

// --- Shared ---------------------------------------------------------------------

bool CGenerator::WaitForByteUntil(int64_t deadlineMs, int& byte)
{
    // One wait for the whole time, which Cancel ends at once. Cancel is
    // looked at once the wait passed empty: an answer already on its way is
    // taken first, so the far end, which may purge its input before it
    // answers, hears the abort after it.
    const PortId port = m_link.GetPort();
    while (!m_ymodemCancelled) {
        const int64_t left = deadlineMs - Port().NowMs();
        if (Port().WaitForChar(port, int32_t(std::clamp<int64_t>(left, 0, INT32_MAX))) != 0) {
            byte = Port().GetChar(port) & 0xFF;
            return true;
        }
        // A line that hung up has nothing more to say.
        if (Port().NowMs() >= deadlineMs || Port().GetError() != 0)
            return false;
        if (CancelSeen(m_ymodemProgress))
            m_ymodemCancelled = true;
    }
    return false;
}

bool CGenerator::WaitForByte(int seconds, int& byte)
{
    // A byte the library has read already is taken without a look at the
    // clock: most of a block's bytes are.
    const PortId port = m_link.GetPort();
    if (!m_ymodemCancelled && Port().WaitForChar(port, 0) != 0) {
        byte = Port().GetChar(port) & 0xFF;
        return true;
    }
    return WaitForByteUntil(Deadline(seconds), byte);
}

bool CGenerator::YmodemPut(int byte)
{
    if (m_ymodemPutFailed)
        return false;
    if (Port().PutChar(m_link.GetPort(), byte & 0xFF) == 0)
        m_ymodemPutFailed = true;
    return !m_ymodemPutFailed;
}

void CGenerator::YmodemAbort()
{
    TraceText("\n-> Abort = 8 CANs");
    for (int i = 0; i < kAbortCans; ++i) {
        if (g_pYmodemTrace != nullptr)
            std::fputc(kCan, g_pYmodemTrace);
        YmodemPut(kCan);
    }
    if (m_ymodemFlushTrace && g_pYmodemTrace != nullptr)
        std::fflush(g_pYmodemTrace);
}

bool CGenerator::YmodemShowStatus(int kind, long count, const QString& text, CProgressDlg* progress)
{
    if (progress == nullptr)
        return true;
    const QString number = QString::number(count);
    int line = IDC_STATUS2;
    QString status = text;
    switch (kind) {
    case kYmodemSending:
        line = IDC_STATUS1;
        status = FormatString(IDS_YMODEM_SENDING, {text, number});
        break;
    case kYmodemReceiving:
        line = IDC_STATUS1;
        status = FormatString(IDS_YMODEM_RECEIVING, {text, number});
        break;
    case kYmodemBytesSent: status = FormatString(IDS_YMODEM_BYTES_SENT, {number}); break;
    case kYmodemBytesReceived: status = FormatString(IDS_YMODEM_BYTES_RECEIVED, {number}); break;
    case kYmodemError: status = FormatString(IDS_YMODEM_ERROR_IN_BLOCK, {text, number}); break;
    default: break;
    }
    if (PortWorker::OnPortThread())
        LinkRoutines::PostToGui(progress, [progress, line, status] { progress->SetStatus(line, status); });
    else
        progress->SetStatus(line, status);
    if (CancelSeen(progress))
        m_ymodemCancelled = true;
    return !m_ymodemCancelled;
}

// --- Sending ----------------------------------------------------------------------

bool CGenerator::YmodemSend(const QStringList& paths, CProgressDlg* progress, QString& error)
{
    error.clear();
    if (m_link.GetPort() == 0 || m_link.IsGpib()) {
        error = GeneratorLink::LibraryErrorText(MORVANE_E_PORT_TYPE);
        return false;
    }
    YmodemScope scope(*this, progress, true);
    bool sent = true;
    QString refusal;
    const bool ran = scope.Run(
        [&] {
            for (const QString& path : paths) {
                if (!YmodemSendFile(path, error)) {
                    sent = false;
                    return;
                }
            }
        },
        refusal);
    if (!ran)
        error = refusal;
    return ran && sent;
}

bool CGenerator::YmodemBuildHeader(const QByteArray& name, FILE* file)
{
    const long size = FileSize(file);
    return size >= 0 && BuildHeader(name, size, m_link.ReplyBuffer());
}

bool CGenerator::YmodemReadBlock(int length, FILE* file)
{
    const size_t count = std::fread(m_link.ReplyBuffer(), 1, size_t(length), file);
    if (count == 0)
        return false;
    std::memset(m_link.ReplyBuffer() + count, kSub, size_t(length) - count);
    return true;
}

bool CGenerator::YmodemPutBlock(int length, int number, bool crc, bool header)
{
    const auto* data = reinterpret_cast<const uint8_t*>(m_link.ReplyBuffer());
    if (header) {
        TraceText("\n\n-> SOH sending block");
        TraceText("\n-> 0");
        TraceText("\n-> 0xFF");
        TraceText("\nBlock Data:");
    } else {
        TraceText(length == kShortBlock ? "\n-> SOH = Send 128 byte block" : "\n-> STX = Send large block");
        Trace("\n-> block %d", number);
        Trace("\n-> compliment %d", 255 - number);
        TraceText("\nData Block");
    }
    TraceBytes(data, length, true);
    // The whole block in one write.
    uint8_t block[3 + kLongBlock + 2];
    block[0] = length == kShortBlock ? kSoh : kStx;
    block[1] = uint8_t(number);
    block[2] = uint8_t(255 - number);
    std::memcpy(block + 3, data, size_t(length));
    int size = 3 + length;
    if (crc) {
        const uint16_t value = Crc16(data, size_t(length));
        Trace("\n-> MSB crc = 0x%x", value >> 8);
        Trace("\n-> LSB crc = 0x%x", value & 0xFF);
        block[size++] = uint8_t(value >> 8);
        block[size++] = uint8_t(value & 0xFF);
    } else {
        const uint8_t sum = Checksum(data, size_t(length));
        Trace("\n-> 0x%x (no crc)", sum);
        block[size++] = sum;
    }
    // Every block answers a request or an ACK: it goes after a turnaround.
    // The wait is on the line, not for a byte: one that comes is read by
    // the next wait.
    Port().WaitForChar(m_link.GetPort(), kTurnaroundMs);
    if (!m_ymodemPutFailed && Port().PutBlock(m_link.GetPort(), block, size) == 0)
        m_ymodemPutFailed = true;
    return !m_ymodemPutFailed;
}

CGenerator::YmodemAnswer CGenerator::YmodemAwait(YmodemWait wait, int64_t deadlineMs)
{
    const WaitTexts& texts = kWaitTexts[static_cast<size_t>(wait)];
    bool can = false;
    for (;;) {
        int byte = 0;
        if (!WaitForByteUntil(deadlineMs, byte)) {
            if (m_ymodemCancelled)
                return YmodemAnswer::UserCancelled;
            TraceText("\nTime Out");
            return YmodemAnswer::TimedOut;
        }
        if (byte == kCan) {
            TraceText("\nR: CAN");
            if (can) {
                if (texts.abortLine)
                    TraceText("\nAbort");
                return YmodemAnswer::ReceiverCancelled;
            }
            can = true;
            continue;
        }
        can = false;
        const std::pair<int, const char*> known[] = {
            {kAck, texts.ack}, {kNak, texts.nak}, {kCrcRequest, texts.crc}, {kStreamRequest, texts.stream}};
        const YmodemAnswer answers[] = {YmodemAnswer::Ack, YmodemAnswer::Nak, YmodemAnswer::Crc, YmodemAnswer::Stream};
        for (size_t i = 0; i < std::size(known); ++i) {
            if (byte == known[i].first && known[i].second != nullptr) {
                TraceText(known[i].second);
                return answers[i];
            }
        }
        if (texts.otherAsChar)
            Trace("\nR: Other = 0x%x, %c", byte, byte);
        else
            Trace("\nR: 0x%x", byte);
    }
}

// Every wait ends the same ways but for the answers it waits for.
bool CGenerator::YmodemSendFailed(YmodemAnswer answer, int block, QString& error)
{
    switch (answer) {
    case YmodemAnswer::Stream: error = LoadString(IDS_YMODEM_NO_STREAMING); break;
    case YmodemAnswer::ReceiverCancelled:
        error = LoadString(IDS_YMODEM_CANCELLED_BY_RECEIVER);
        YmodemShowStatus(kYmodemError, block, error, m_ymodemProgress);
        break;
    case YmodemAnswer::UserCancelled: YmodemAbort(); break;
    default: error = LoadString(IDS_YMODEM_TIMED_OUT); break;
    }
    return false;
}

bool CGenerator::YmodemSendFile(const QString& path, QString& error)
{
    const QByteArray pathBytes = QFile::encodeName(path);
    TraceDashes(kSendDashes);
    Trace("\n%s", pathBytes.constData());
    TraceDashes(kSendDashes);

    const YmodemAnswer start = YmodemAwait(YmodemWait::Receiver, Deadline(kAnswerSeconds));
    if (start != YmodemAnswer::Nak && start != YmodemAnswer::Crc)
        return YmodemSendFailed(start, 0, error);

    FilePtr file = OpenRegularFile(pathBytes);
    if (!file) {
        YmodemAbort();
        error = FormatString(IDS_YMODEM_UNABLE_TO_OPEN, {path});
        return false;
    }
    const QByteArray name = LastComponent(pathBytes);
    const long size = FileSize(file.get());
    if (!YmodemShowStatus(kYmodemSending, size, QFile::decodeName(name), m_ymodemProgress)) {
        YmodemAbort();
        return false;
    }
    if (!YmodemBuildHeader(name, file.get())) {
        YmodemAbort();
        error = FormatString(size < 0 ? IDS_YMODEM_READ_FAILED : IDS_YMODEM_HEADER_TOO_LONG, {path});
        return false;
    }

    YmodemAnswer answer = YmodemAnswer::Ack;
    do {
        if (answer == YmodemAnswer::Nak)
            Port().WaitForChar(m_link.GetPort(), kResendRestMs);
        if (!YmodemPutBlock(kShortBlock, 0, true, true))
            return YmodemSendFailed(YmodemAnswer::TimedOut, 0, error);
        answer = YmodemAwait(YmodemWait::Header, Deadline(kAnswerSeconds));
    } while (answer == YmodemAnswer::Nak);
    if (answer != YmodemAnswer::Ack)
        return YmodemSendFailed(answer, 0, error);

    const YmodemAnswer mode = YmodemAwait(YmodemWait::Mode, Deadline(kAnswerSeconds));
    if (mode != YmodemAnswer::Nak && mode != YmodemAnswer::Crc)
        return YmodemSendFailed(mode, 0, error);
    if (!YmodemSendData(file.get(), size, mode == YmodemAnswer::Crc, path, error))
        return false;
    file.reset();
    return YmodemSendEot(error);
}

bool CGenerator::YmodemSendData(FILE* file, long size, bool crc, const QString& path, QString& error)
{
    int block = 1;
    int length = kLongBlock;
    long sent = 0;
    bool resend = false;
    for (;;) {
        if (!resend) {
            const long before = std::ftell(file);
            if (length == kLongBlock && size - before < kLongBlock)
                length = kShortBlock;
            const bool read = YmodemReadBlock(length, file);
            const long after = std::ftell(file);
            // A read error, or a file cut since its size was sent, must not
            // pass for its end.
            if (std::ferror(file) != 0 || (after < size && after - before < length)) {
                YmodemAbort();
                error = FormatString(IDS_YMODEM_READ_FAILED, {path});
                return false;
            }
            if (!read)
                return true;
        }
        if (resend)
            Port().WaitForChar(m_link.GetPort(), kResendRestMs);
        if (!YmodemPutBlock(length, block, crc, false))
            return YmodemSendFailed(YmodemAnswer::TimedOut, block, error);
        const YmodemAnswer answer = YmodemAwait(YmodemWait::Block, Deadline(kAnswerSeconds));
        if (answer == YmodemAnswer::Ack) {
            sent += length;
            resend = false;
            if (!YmodemShowStatus(kYmodemBytesSent, sent, QString(), m_ymodemProgress)) {
                YmodemAbort();
                return false;
            }
            block = (block + 1) % 256;
        } else if (answer == YmodemAnswer::Nak) {
            resend = true;
            if (!YmodemShowStatus(kYmodemError, block, LoadString(IDS_YMODEM_NAK), m_ymodemProgress)) {
                YmodemAbort();
                return false;
            }
        } else {
            return YmodemSendFailed(answer, block, error);
        }
    }
}

bool CGenerator::YmodemSendEot(QString& error)
{
    TraceText("\n-> EOT end of tranfer");
    Port().WaitForChar(m_link.GetPort(), kTurnaroundMs);
    if (!YmodemPut(kEot))
        return YmodemSendFailed(YmodemAnswer::TimedOut, 0, error);
    const int64_t deadline = Deadline(kAnswerSeconds);
    for (;;) {
        int byte = 0;
        if (!WaitForByteUntil(deadline, byte)) {
            if (m_ymodemCancelled)
                return YmodemSendFailed(YmodemAnswer::UserCancelled, 0, error);
            TraceText("\nTime Out");
            return YmodemSendFailed(YmodemAnswer::TimedOut, 0, error);
        }
        if (byte == kAck)
            break;
        Trace("\nR: 0x%x Not ACK", byte);
        TraceText("\n-> EOT");
        if (!YmodemPut(kEot))
            return YmodemSendFailed(YmodemAnswer::TimedOut, 0, error);
    }
    TraceText("\nR: ACK eot");
    YmodemShowStatus(kYmodemText, 0, LoadString(IDS_YMODEM_DONE), m_ymodemProgress);
    return true;
}

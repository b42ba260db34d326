// YMODEM batch transfer on a serial connection: the receiver of the files a
// generator sends after "YMDO", run as one routine on the port thread (see
// CGeneratorYmodem.cpp for the sender and the waits both share).

#include "CGenerator.h"
#include "CGeneratorYmodemScope.h"

#include "CProgressDlg.h"
#include "PortBackend.h"
#include "Ymodem.h"

#include "ResourceIds.h"
#include "StringTable.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <utility>

using namespace Ymodem;

namespace {

constexpr int kFirstByteSeconds = 10; // the receiver's wait for a block
constexpr int kByteSeconds = 1;      // within a block
constexpr int kReadTries = 10;
constexpr int kQuietSeconds = 1;     // before a NAK, so the sender has finished
constexpr int64_t kPurgeLimitMs = 10000;
constexpr int kReceiveDashes = 62;
constexpr int kBackspace = 0x08; // some senders follow their CANs with as many

QByteArray JoinPath(const QByteArray& folder, const QByteArray& name)
{
    if (folder.isEmpty() || folder.endsWith('/'))
        return folder + name;
    return folder + '/' + name;
}

// A received file is written under a name of its own in the destination
// folder and takes its real name only once it is complete, so a cut
// transfer never leaves a file that looks good.
class PartFile
{
public:
    PartFile(const QByteArray& folder, QByteArray path)
        : m_path(std::move(path))
    {
        static unsigned counter = 0;
        for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
            m_temp = JoinPath(folder, ".ymodem-" + QByteArray::number(getpid()) + "-" + QByteArray::number(++counter));
            m_fd = ::open(m_temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (m_fd < 0 && errno != EEXIST)
                break;
        }
        if (m_fd >= 0)
            m_file = ::fdopen(m_fd, "wb");
    }
    ~PartFile()
    {
        if (m_file != nullptr)
            std::fclose(m_file);
        else if (m_fd >= 0)
            ::close(m_fd);
        if (m_fd >= 0 && !m_committed)
            ::unlink(m_temp.constData());
    }
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    bool IsOpen() const { return m_file != nullptr; }

    bool Write(const char* data, long length)
    {
        return length == 0 || std::fwrite(data, 1, size_t(length), m_file) == size_t(length);
    }

    bool Commit()
    {
        FILE* file = std::exchange(m_file, nullptr);
        const bool closed = std::fclose(file) == 0;
        m_committed = closed && std::rename(m_temp.constData(), m_path.constData()) == 0;
        return m_committed;
    }

private:
    QByteArray m_path;
    QByteArray m_temp;
    int m_fd = -1;
    FILE* m_file = nullptr;
    bool m_committed = false;
};

bool IsBlockTaken(int result)
{
    return result == CGenerator::kYmodemShortBlock || result == CGenerator::kYmodemLongBlock
        || result == CGenerator::kYmodemEot;
}

} // namespace

// --- Receiving --------------------------------------------------------------------

int CGenerator::YmodemReceive(const QString& folder, CProgressDlg* progress)
{
    if (m_link.GetPort() == 0 || m_link.IsGpib())
        return 0;
    YmodemScope scope(*this, progress, false);
    const QByteArray dir = QFile::encodeName(folder);
    int files = 0;
    QString refusal;
    if (!scope.Run(
            [&] {
                while (YmodemReceiveFile(dir) == YmodemFile::Received)
                    ++files;
            },
            refusal))
        YmodemShowStatus(kYmodemText, 0, refusal, progress);
    return files;
}

int CGenerator::YmodemReceiveBlock(int expected)
{
    int byte = 0;
    if (!WaitForByte(kFirstByteSeconds, byte)) {
        TraceText("\nR: Timed Out #1");
        return kYmodemNoBlock;
    }
    int length = 0;
    switch (byte) {
    case kSoh: TraceText("\nR: SOH"); length = kShortBlock; break;
    case kStx: TraceText("\nR: STX"); length = kLongBlock; break;
    case kEot: TraceText("\nR: EOT"); return kYmodemEot;
    case kCan:
        TraceText("\nR: CAN");
        if (WaitForByte(kByteSeconds, byte) && byte == kCan) {
            TraceText("\nR: CAN");
            return kYmodemCancelled;
        }
        TraceText("\nR: Timed Out #2");
        return kYmodemNoBlock;
    default: Trace("\nR: Timed Out #3 (%x) %c", byte, byte); return kYmodemNoBlock;
    }

    int number = 0;
    if (!WaitForByte(kByteSeconds, number)) {
        TraceText("\nR: Timed Out #4");
        return kYmodemNoBlock;
    }
    // The sender missed our ACK and sent the block again.
    const bool repeat = number == (expected + 255) % 256;
    if (number != expected && !repeat) {
        Trace("\nR: Bad Block Number %d != %d", number, expected);
        return kYmodemBadNumber;
    }
    Trace("\nR: block = %d", number);
    int complement = 0;
    if (!WaitForByte(kByteSeconds, complement)) {
        TraceText("\nR: Timed Out #5");
        return kYmodemNoBlock;
    }
    Trace("\nR: Compliment = %d", complement);
    if (complement != 255 - number) {
        Trace("\nR: Bad Block %d != %d", complement, 255 - number);
        return kYmodemBadNumber;
    }

    auto* data = reinterpret_cast<uint8_t*>(m_link.ReplyBuffer());
    // A sender that cancels in the middle of a block sends its CANs (some
    // add backspaces) where the block's bytes stop: when they stop after two
    // CANs in a row, the block was cut by a cancel.
    bool cans = false;     // two CANs in a row among the block's bytes
    bool canTail = false;  // and since them nothing but CANs and backspaces
    bool lastCan = false;
    const auto note = [&](int taken) {
        const bool can = taken == kCan;
        if (can && lastCan)
            cans = canTail = true;
        else if (!can && taken != kBackspace)
            canTail = false;
        lastCan = can;
    };
    TraceText("\nR: Block Data:\n");
    for (int i = 0; i < length; ++i) {
        if (!WaitForByte(kByteSeconds, byte)) {
            TraceText("\nR: Timed Out #6");
            return cans ? kYmodemCancelled : kYmodemNoBlock;
        }
        data[i] = uint8_t(byte);
        note(byte);
    }
    TraceBytes(data, length, false);
    int high = 0;
    int low = 0;
    if (!WaitForByte(kByteSeconds, high)) {
        TraceText("\nR: Crc Time Out");
        return cans ? kYmodemCancelled : kYmodemNoBlock;
    }
    note(high);
    Trace("\nR: MSB of crc: 0x%x", high);
    if (!WaitForByte(kByteSeconds, low)) {
        TraceText("\nR: Crc Time Out");
        return cans ? kYmodemCancelled : kYmodemNoBlock;
    }
    note(low);
    Trace("\nR: LSB of crc: 0x%x", low);
    if (Crc16(data, size_t(length)) != ((high << 8) | low)) {
        TraceText("\nCRC Error");
        // Cut so late that the cancel filled the block (or began in its
        // last byte): the rest of it is more of the same, then silence.
        const int64_t limit = Port().NowMs() + kPurgeLimitMs;
        while ((canTail || lastCan) && Port().NowMs() < limit && WaitForByte(kQuietSeconds, byte)) {
            if (byte != kCan && byte != kBackspace) {
                canTail = false;
                break;
            }
            note(byte);
        }
        return canTail && !m_ymodemCancelled ? kYmodemCancelled : kYmodemCrcError;
    }
    m_ymodemLength = length;
    if (repeat)
        return kYmodemRepeat;
    return length == kShortBlock ? kYmodemShortBlock : kYmodemLongBlock;
}

bool CGenerator::YmodemPurge()
{
    const int64_t limit = Port().NowMs() + kPurgeLimitMs;
    bool can = false;
    int byte = 0;
    while (Port().NowMs() < limit && WaitForByte(kQuietSeconds, byte)) {
        if (byte == kCan && can)
            return false;
        can = byte == kCan;
    }
    return true;
}

void CGenerator::YmodemFailStatus(int expected, unsigned textId)
{
    YmodemShowStatus(kYmodemError, expected, LoadString(textId), m_ymodemProgress);
}

bool CGenerator::YmodemReadHeader()
{
    for (int tries = 1;; ++tries) {
        const int result = YmodemReceiveBlock(0);
        if (result == kYmodemShortBlock || result == kYmodemLongBlock)
            return true;
        if (m_ymodemCancelled) {
            YmodemAbort();
            return false;
        }
        if (result == kYmodemCancelled || tries == kReadTries)
            return false;
        if (result == kYmodemEot) {
            // The sender missed our ACK of its EOT.
            TraceText("\n-> ACK EOT");
            if (!YmodemPut(kAck))
                return false;
        } else if (!YmodemPurge()) {
            return false;
        }
        TraceText("\n-> C Nudge");
        if (!YmodemPut(kCrcRequest))
            return false;
    }
}

bool CGenerator::YmodemReadFirstBlock(int& result)
{
    for (int tries = 1;; ++tries) {
        result = YmodemReceiveBlock(1);
        if (IsBlockTaken(result))
            return true;
        if (m_ymodemCancelled) {
            YmodemAbort();
            return false;
        }
        if (result == kYmodemCancelled) {
            YmodemFailStatus(1, IDS_YMODEM_CANCELLED_BY_SENDER);
            return false;
        }
        if (tries == kReadTries)
            return false;
        if (result == kYmodemRepeat) {
            // The header again: our ACK was lost.
            TraceText("\n-> ACK block 0");
            if (!YmodemPut(kAck))
                return false;
        } else if (!YmodemPurge()) {
            YmodemFailStatus(1, IDS_YMODEM_CANCELLED_BY_SENDER);
            return false;
        }
        TraceText("\n-> C Nudge");
        if (!YmodemPut(kCrcRequest))
            return false;
    }
}

bool CGenerator::YmodemReadNextBlock(int expected, int& result)
{
    for (int tries = 1;; ++tries) {
        result = YmodemReceiveBlock(expected);
        if (IsBlockTaken(result))
            return true;
        if (m_ymodemCancelled) {
            YmodemAbort();
            return false;
        }
        if (result == kYmodemCancelled) {
            YmodemFailStatus(expected, IDS_YMODEM_CANCELLED_BY_SENDER);
            return false;
        }
        if (result != kYmodemRepeat) {
            const unsigned text = result == kYmodemBadNumber ? IDS_YMODEM_BAD_BLOCK_NUMBER
                                : result == kYmodemCrcError  ? IDS_YMODEM_CRC_ERROR
                                                             : IDS_YMODEM_SHORT_BLOCK;
            if (!YmodemShowStatus(kYmodemError, expected, LoadString(text), m_ymodemProgress)) {
                YmodemAbort();
                return false;
            }
        }
        if (tries == kReadTries) {
            YmodemAbort();
            return false;
        }
        if (result == kYmodemRepeat) {
            TraceText("\n-> ACK transfer");
            if (!YmodemPut(kAck))
                return false;
            continue;
        }
        // A standard sender resends at once on a NAK; give it the line
        // quiet first, so the NAK answers the whole block.
        if (!YmodemPurge()) {
            YmodemFailStatus(expected, IDS_YMODEM_CANCELLED_BY_SENDER);
            return false;
        }
        if (m_ymodemCancelled) {
            YmodemAbort();
            return false;
        }
        TraceText("\n-> NAK");
        if (!YmodemPut(kNak))
            return false;
    }
}

CGenerator::YmodemFile CGenerator::YmodemReceiveFile(const QByteArray& folder)
{
    // A sender may empty its input once it has read our ACK of the file
    // before: the request goes after a turnaround.
    Port().WaitForChar(m_link.GetPort(), kTurnaroundMs);
    TraceText("\n-> C");
    if (!YmodemPut(kCrcRequest) || !YmodemReadHeader())
        return YmodemFile::Failed;
    if (m_link.ReplyBuffer()[0] == '\0') {
        TraceText("\n-> ACK");
        YmodemPut(kAck);
        return YmodemFile::BatchEnded;
    }
    HeaderFields header;
    QByteArray name;
    if (ParseHeader(m_link.ReplyBuffer(), size_t(m_ymodemLength), header))
        name = SafeName(header.name);
    if (name.isEmpty()) {
        // Nowhere safe to write it: refuse the whole batch.
        YmodemAbort();
        return YmodemFile::Failed;
    }
    const QByteArray path = JoinPath(folder, name);
    TraceDashes(kReceiveDashes);
    Trace("\n%s", path.constData());
    TraceDashes(kReceiveDashes);

    PartFile file(folder, path);
    if (!file.IsOpen()) {
        YmodemAbort();
        return YmodemFile::Failed;
    }
    if (!YmodemShowStatus(kYmodemReceiving, header.size, QFile::decodeName(name), m_ymodemProgress)) {
        YmodemAbort();
        return YmodemFile::Failed;
    }
    TraceText("\n-> ACK block 0");
    TraceText("\n-> C = send first block");
    int result = 0;
    Port().WaitForChar(m_link.GetPort(), kTurnaroundMs);
    if (!YmodemPut(kAck))
        return YmodemFile::Failed;
    Port().WaitForChar(m_link.GetPort(), kTurnaroundMs);
    if (!YmodemPut(kCrcRequest) || !YmodemReadFirstBlock(result))
        return YmodemFile::Failed;

    long received = 0;
    for (int expected = 1;;) {
        if (result == kYmodemEot) {
            // A file that ended before its header's size is not the file sent.
            if (header.size > 0 && received < header.size) {
                YmodemShowStatus(kYmodemText, 0,
                                 FormatString(IDS_YMODEM_FILE_SHORT, {QFile::decodeName(name), QString::number(received),
                                                                      QString::number(header.size)}),
                                 m_ymodemProgress);
                YmodemAbort();
                return YmodemFile::Failed;
            }
            if (!file.Commit()) {
                YmodemAbort();
                return YmodemFile::Failed;
            }
            YmodemShowStatus(kYmodemText, 0, LoadString(IDS_YMODEM_DONE), m_ymodemProgress);
            TraceText("\n-> ACK EOT");
            YmodemPut(kAck);
            return YmodemFile::Received;
        }
        const long length = result == kYmodemShortBlock ? kShortBlock : kLongBlock;
        // A known size drops the padding of the last block.
        const long keep = header.size > 0 ? std::clamp(header.size - received, 0L, length) : length;
        if (!file.Write(m_link.ReplyBuffer(), keep)) {
            YmodemAbort();
            return YmodemFile::Failed;
        }
        received += keep;
        if (!YmodemShowStatus(kYmodemBytesReceived, received, QString(), m_ymodemProgress)) {
            YmodemAbort();
            return YmodemFile::Failed;
        }
        expected = (expected + 1) % 256;
        TraceText("\n-> ACK transfer");
        // A sender may empty its input once its block is out.
        Port().WaitForChar(m_link.GetPort(), kTurnaroundMs);
        if (!YmodemPut(kAck) || !YmodemReadNextBlock(expected, result))
            return YmodemFile::Failed;
    }
}

// The YMODEM transfer against a scripted far end on the fake port, whose
// clock runs only when the program waits: the block sequence of each file
// size, the numbering, both check modes, cancels and time-outs in every
// state, what a receiver may write where, and the trace.

#include "CGenerator.h"

#include "CProgressDlg.h"
#include "StatusRecorder.h"
#include "Ymodem.h"
#include "YmodemPeer.h"

#include "TestPorts.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>

#include <csignal>
#include <cstdio>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

using namespace ymodem_test;

namespace {

const std::string kAckC = std::string(1, kAck) + "C";
using Lines = std::vector<std::string>;

std::string Repeat(const std::string& text, int count)
{
    std::string out;
    for (int i = 0; i < count; ++i)
        out += text;
    return out;
}

std::string Dashes(int count)
{
    std::string dashes(1, '\n');
    dashes.append(size_t(count), '-');
    return dashes;
}

// The bytes of a test file: every value, none of them padding.
std::string Pattern(size_t length)
{
    std::string bytes(length, '\0');
    for (size_t i = 0; i < length; ++i)
        bytes[i] = char((i * 7 + 3) % 251);
    return bytes;
}

class TraceFile
{
public:
    TraceFile() { g_pYmodemTrace = m_file = std::tmpfile(); }
    ~TraceFile()
    {
        g_pYmodemTrace = nullptr;
        std::fclose(m_file);
    }
    TraceFile(const TraceFile&) = delete;
    TraceFile& operator=(const TraceFile&) = delete;

    std::string Text()
    {
        std::fflush(m_file);
        std::rewind(m_file);
        std::string text;
        for (int c; (c = std::fgetc(m_file)) != EOF;)
            text += char(c);
        return text;
    }

private:
    FILE* m_file;
};

class YmodemTest : public PlatformTest
{
protected:
    QString WriteFile(const QString& name, const std::string& bytes)
    {
        const QString path = TempPath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), qint64(bytes.size()));
        return path;
    }

    static std::string ReadFile(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return "<missing>";
        return file.readAll().toStdString();
    }

    // An empty folder for received files; the test's own folder holds nothing else.
    QString Inbox()
    {
        QDir(tempDir.path()).mkdir(QStringLiteral("in"));
        return TempPath(QStringLiteral("in"));
    }

    static QStringList Entries(const QString& folder)
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    // The steps of sending data as the file name.
    static std::vector<Step> SendSteps(const std::string& name, const std::string& data, const std::vector<int>& lengths)
    {
        std::vector<Step> steps = {{"", "C"}, {Header(name + '\0' + std::to_string(data.size()) + " 0"), kAckC}};
        size_t at = 0;
        int number = 1;
        for (int length : lengths) {
            steps.push_back({Block(number++, Padded(data.substr(std::min(at, data.size()), size_t(length)), size_t(length))),
                             std::string(1, kAck)});
            at += size_t(length);
        }
        steps.push_back({std::string(1, kEot), std::string(1, kAck)});
        return steps;
    }

    // The steps of receiving data under a header's fields, in 128-byte blocks.
    static std::vector<Step> ReceiveSteps(const std::string& fields, const std::string& data)
    {
        std::vector<Step> steps;
        std::string ask = "C";
        steps.push_back({ask, Header(fields)});
        ask = kAckC;
        for (size_t at = 0, number = 1; at < data.size(); at += 128, ++number) {
            std::string block(128, kSub);
            data.copy(block.data(), 128, at);
            steps.push_back({ask, Block(int(number), block)});
            ask = std::string(1, kAck);
        }
        steps.push_back({ask, std::string(1, kEot)});
        steps.push_back({kAckC, NullHeader()});
        steps.push_back({std::string(1, kAck), ""});
        return steps;
    }

    FakePort port;
    CGenerator gen{nullptr, kCom1};
};

// --- Framing --------------------------------------------------------------------

TEST(YmodemFraming, BlockChecksGiveTheKnownValues)
{
    struct Row
    {
        std::string data;
        uint16_t crc;
        uint8_t sum;
    };
    const Row rows[] = {
        {"123456789", 0x31C3, 0xDD},
        {"A", 0x58E5, 0x41},
        {"", 0x0000, 0x00},
        {std::string(128, '\0'), 0x0000, 0x00},
        {std::string(3, '\xFF'), BitCrc(std::string(3, '\xFF')), 0xFD},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.data);
        const auto* data = reinterpret_cast<const uint8_t*>(row.data.data());
        EXPECT_EQ(Ymodem::Crc16(data, row.data.size()), row.crc);
        EXPECT_EQ(Ymodem::Checksum(data, row.data.size()), row.sum);
    }
    const std::string pattern = Pattern(1024);
    EXPECT_EQ(Ymodem::Crc16(reinterpret_cast<const uint8_t*>(pattern.data()), pattern.size()), BitCrc(pattern));
}

TEST(YmodemFraming, HeaderFieldsAreReadWithinTheBlock)
{
    struct Row
    {
        std::string block;
        bool ok;
        const char* name;
        long size;
    };
    const Row rows[] = {
        {std::string("a.mem\0" "1025 0", 12), true, "a.mem", 1025},
        {std::string("a.mem\0" "1234 13770 100644", 23), true, "a.mem", 1234},
        {std::string("a.mem\0", 6), true, "a.mem", 0},
        {std::string("x\0" "-5 0", 6), true, "x", 0},
        {std::string("x\0" "abc", 5), true, "x", 0},
        {std::string("x\0" "99999999999999999999999", 25), true, "x", 0},
        {std::string(127, 'n') + '\0', true, "", 0},
        {std::string(128, 'A'), false, "", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.block.substr(0, 20));
        std::string block = row.block;
        if (block.size() < 128)
            block.resize(128, '\0');
        Ymodem::HeaderFields fields;
        EXPECT_EQ(Ymodem::ParseHeader(block.data(), 128, fields), row.ok);
        if (row.ok && row.block.size() < 127) {
            EXPECT_EQ(fields.name.toStdString(), row.name);
            EXPECT_EQ(fields.size, row.size);
        }
    }
    Ymodem::HeaderFields fields;
    ASSERT_TRUE(Ymodem::ParseHeader(rows[6].block.data(), 128, fields));
    EXPECT_EQ(fields.name.size(), 127);
}

TEST(YmodemFraming, ReceivedNamesKeepTheirLastComponentOrAreRefused)
{
    const std::pair<std::string, std::string> rows[] = {
        {"a.mem", "a.mem"},
        {"../x", "x"},
        {"/etc/passwd", "passwd"},
        {"dir\\sub\\y", "y"},
        {"dir/", ""},
        {".", ""},
        {"..", ""},
        {"a/..", ""},
        {std::string("a\x01" "b"), ""},
        {std::string("a\x7F"), ""},
        {std::string(255, 'n'), std::string(255, 'n')},
        {std::string(256, 'n'), ""},
    };
    for (const auto& [sent, kept] : rows) {
        SCOPED_TRACE(sent);
        EXPECT_EQ(Ymodem::SafeName(QByteArray::fromStdString(sent)).toStdString(), kept);
    }
}

TEST(YmodemFraming, AHeaderHoldsNameAndSizeOrIsRefused)
{
    char block[128];
    // name, NUL, "0 0", NUL: a name of 123 bytes is the longest with size 0
    EXPECT_TRUE(Ymodem::BuildHeader(QByteArray(123, 'n'), 0, block));
    EXPECT_EQ(std::string(block + 124, 3), "0 0");
    EXPECT_EQ(block[127], '\0');
    EXPECT_FALSE(Ymodem::BuildHeader(QByteArray(124, 'n'), 0, block));
    EXPECT_FALSE(Ymodem::BuildHeader(QByteArray(110, 'n'), 1234567890123456789L, block));
    EXPECT_FALSE(Ymodem::BuildHeader(QByteArray(), 5, block));
    ASSERT_TRUE(Ymodem::BuildHeader("a.mem", 3000, block));
    EXPECT_EQ(std::string(block, 128), std::string("a.mem\0" "3000 0", 12) + std::string(116, '\0'));
}

// --- Sending ----------------------------------------------------------------------

TEST_F(YmodemTest, EachSizeGoesInItsBlocksWithPaddingAndEot)
{
    struct Row
    {
        size_t size;
        std::vector<int> blocks;
        Lines sentLines;
    };
    const Row rows[] = {
        {0, {}, {}},
        {1024, {1024}, {"1024 bytes sent"}},
        {1025, {1024, 128}, {"1024 bytes sent", "1152 bytes sent"}},
        {3000,
         {1024, 1024, 128, 128, 128, 128, 128, 128, 128, 128},
         {"1024 bytes sent", "2048 bytes sent", "2176 bytes sent", "2304 bytes sent", "2432 bytes sent",
          "2560 bytes sent", "2688 bytes sent", "2816 bytes sent", "2944 bytes sent", "3072 bytes sent"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.size);
        const std::string data = Pattern(row.size);
        const QString path = WriteFile(QStringLiteral("f.bin"), data);
        ScriptedPeer peer(port, SendSteps("f.bin", data, row.blocks));
        CProgressDlg progress(nullptr, true);
        StatusRecorder status;
        QString error = QStringLiteral("old text");

        EXPECT_TRUE(gen.YmodemSend({path}, &progress, error));
        EXPECT_EQ(error, QString());
        EXPECT_TRUE(peer.Finished()) << peer.Mismatch();
        EXPECT_EQ(status.headings, Lines{"Sending: \"f.bin\"  (" + std::to_string(row.size) + " bytes)"});
        Lines steps = row.sentLines;
        steps.push_back("Transfer Successfully Completed");
        EXPECT_EQ(status.steps, steps);
    }
}

TEST_F(YmodemTest, BlockNumbersWrapAfter255)
{
    const std::string data = Pattern(257 * 1024);
    const QString path = WriteFile(QStringLiteral("big.bin"), data);
    std::vector<Step> steps = SendSteps("big.bin", data, std::vector<int>(257, 1024));
    // the 256th and 257th blocks, checked by hand: numbers 0 and 1
    ASSERT_EQ(steps[257].expect.substr(0, 3), std::string("\x02\x00\xFF", 3));
    ASSERT_EQ(steps[258].expect.substr(0, 3), std::string("\x02\x01\xFE", 3));
    ScriptedPeer peer(port, steps);
    QString error;
    EXPECT_TRUE(gen.YmodemSend({path}, nullptr, error));
    EXPECT_TRUE(peer.Finished()) << peer.Mismatch();
}

TEST_F(YmodemTest, NakForTheModeSendsChecksumsAfterACrcHeader)
{
    const std::string data = Pattern(200);
    const QString path = WriteFile(QStringLiteral("s"), data);
    ScriptedPeer peer(port, {{"", "C"},
                             {Header(std::string("s\0" "200 0", 7)), std::string{kAck, kNak}},
                             {Block(1, data.substr(0, 128), false), std::string(1, kAck)},
                             {Block(2, Padded(data.substr(128), 128), false), std::string(1, kAck)},
                             {std::string(1, kEot), std::string(1, kAck)}});
    QString error;
    EXPECT_TRUE(gen.YmodemSend({path}, nullptr, error));
    EXPECT_TRUE(peer.Finished()) << peer.Mismatch();
}

TEST_F(YmodemTest, SenderGoesOnAfterALoneCanAndStopsAtTwo)
{
    const std::string data = Pattern(100);
    const std::string header = Header(std::string("c\0" "100 0", 7));
    const std::string block = Block(1, Padded(data, 128));
    const std::string can1 = std::string(1, kCan) + "x";
    const std::string can2(2, kCan);
    const std::string ack(1, kAck);
    const std::string eot(1, kEot);
    struct Row
    {
        const char* state;
        std::vector<Step> steps;
        bool ok;
        Lines lines;
    };
    const Row rows[] = {
        {"receiver", {{"", can1 + "C"}, {header, kAckC}, {block, ack}, {eot, ack}}, true, {}},
        {"header", {{"", "C"}, {header, can1 + kAckC}, {block, ack}, {eot, ack}}, true, {}},
        {"mode", {{"", "C"}, {header, ack + can1 + "C"}, {block, ack}, {eot, ack}}, true, {}},
        {"block", {{"", "C"}, {header, kAckC}, {block, can1 + ack}, {eot, ack}}, true, {}},
        {"receiver", {{"", can2}}, false, {"Error: Transfer Cancelled by Receiver in block 0"}},
        {"header", {{"", "C"}, {header, can2}}, false, {"Error: Transfer Cancelled by Receiver in block 0"}},
        {"mode", {{"", "C"}, {header, ack + can2}}, false, {"Error: Transfer Cancelled by Receiver in block 0"}},
        {"block", {{"", "C"}, {header, kAckC}, {block, can2}}, false, {"Error: Transfer Cancelled by Receiver in block 1"}},
    };
    const QString path = WriteFile(QStringLiteral("c"), data);
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.state) + (row.ok ? " CAN x" : " CAN CAN"));
        ScriptedPeer peer(port, row.steps);
        CProgressDlg progress(nullptr, true);
        StatusRecorder status;
        QString error;
        EXPECT_EQ(gen.YmodemSend({path}, &progress, error), row.ok);
        EXPECT_TRUE(peer.Finished()) << peer.Mismatch() << " rest " << peer.Rest().size();
        EXPECT_EQ(error, row.ok ? QString() : QStringLiteral("Transfer Cancelled by Receiver"));
        if (!row.ok) {
            EXPECT_EQ(status.steps, row.lines);
        }
    }
}

TEST_F(YmodemTest, AStreamingReceiverIsRefusedWithoutCan)
{
    const QString path = WriteFile(QStringLiteral("g"), "abc");
    for (const std::vector<Step>& steps :
         {std::vector<Step>{{"", "G"}}, std::vector<Step>{{"", "C"}, {Header(std::string("g\0" "3 0", 5)), std::string{kAck, 'G'}}}}) {
        ScriptedPeer peer(port, steps);
        QString error;
        EXPECT_FALSE(gen.YmodemSend({path}, nullptr, error));
        EXPECT_EQ(error, QStringLiteral("The YModem-G Protocol is not implemented."));
        EXPECT_TRUE(peer.Finished()) << peer.Mismatch() << " rest " << peer.Rest().size();
    }
}

TEST_F(YmodemTest, EverySenderWaitEndsAfterSixtySeconds)
{
    const std::string header = Header(std::string("t\0" "0 0", 5));
    const std::string eot(1, kEot);
    // The line rests a turnaround after each request before the answer goes.
    struct Row
    {
        const char* state;
        std::vector<Step> steps;
        int turnarounds;
    };
    const Row rows[] = {
        {"receiver", {}, 0},
        {"header", {{"", "C"}, {header, ""}}, 1},
        {"mode", {{"", "C"}, {header, std::string(1, kAck)}}, 1},
        {"eot", {{"", "C"}, {header, kAckC}, {eot, ""}}, 2},
    };
    const QString path = WriteFile(QStringLiteral("t"), "");
    for (const auto& [state, steps, turnarounds] : rows) {
        SCOPED_TRACE(state);
        ScriptedPeer peer(port, steps);
        port.now = 0;
        QString error;
        EXPECT_FALSE(gen.YmodemSend({path}, nullptr, error));
        EXPECT_EQ(error, QStringLiteral("Transfer Timed Out."));
        EXPECT_TRUE(peer.Finished()) << peer.Mismatch();
        EXPECT_EQ(port.now, turnarounds * Ymodem::kTurnaroundMs + 60000);
    }
    // A block's answer
    const QString full = WriteFile(QStringLiteral("b"), "xyz");
    ScriptedPeer peer(port, {{"", "C"}, {Header(std::string("b\0" "3 0", 5)), kAckC}, {Block(1, Padded("xyz", 128)), ""}});
    port.now = 0;
    QString error;
    EXPECT_FALSE(gen.YmodemSend({full}, nullptr, error));
    EXPECT_EQ(error, QStringLiteral("Transfer Timed Out."));
    EXPECT_EQ(port.now, 2 * Ymodem::kTurnaroundMs + 60000);
}

TEST_F(YmodemTest, EotIsRepeatedUntilAcknowledged)
{
    const QString path = WriteFile(QStringLiteral("e"), "");
    ScriptedPeer peer(port, {{"", "C"},
                             {Header(std::string("e\0" "0 0", 5)), kAckC},
                             {std::string(1, kEot), std::string(1, kNak)},
                             {std::string(1, kEot), "?"},
                             {std::string(1, kEot), std::string(1, kAck)}});
    QString error;
    EXPECT_TRUE(gen.YmodemSend({path}, nullptr, error));
    EXPECT_TRUE(peer.Finished()) << peer.Mismatch();
}

TEST_F(YmodemTest, ANakedBlockIsSentAgainAndShown)
{
    const std::string data = Pattern(128);
    const QString path = WriteFile(QStringLiteral("n"), data);
    const std::string block = Block(1, data);
    ScriptedPeer peer(port, {{"", "C"},
                             {Header(std::string("n\0" "128 0", 7)), kAckC},
                             {block, std::string(1, kNak)},
                             {block, std::string(1, kNak)},
                             {block, std::string(1, kAck)},
                             {std::string(1, kEot), std::string(1, kAck)}});
    CProgressDlg progress(nullptr, true);
    StatusRecorder status;
    QString error;
    EXPECT_TRUE(gen.YmodemSend({path}, &progress, error));
    EXPECT_TRUE(peer.Finished()) << peer.Mismatch();
    EXPECT_EQ(status.steps, (Lines{"Error: NAK in block 1", "128 bytes sent", "Transfer Successfully Completed"}));
}

TEST_F(YmodemTest, SenderFailuresNameTheFile)
{
    // A file that cannot be opened, a folder, a FIFO no one writes to (it
    // must not hold the sender), and a name too long for the header.
    const QString missing = TempPath(QStringLiteral("missing.bin"));
    const QString fifo = TempPath(QStringLiteral("fifo"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString longName = WriteFile(QString(124, QLatin1Char('n')), "");
    const std::pair<QString, QString> rows[] = {
        {missing, QStringLiteral("Unable to open the file \"%1\".").arg(missing)},
        {tempDir.path(), QStringLiteral("Unable to open the file \"%1\".").arg(tempDir.path())},
        {fifo, QStringLiteral("Unable to open the file \"%1\".").arg(fifo)},
        {longName, QStringLiteral("The name and size of the file \"%1\" do not fit the YModem header.").arg(longName)},
    };
    for (const auto& [path, text] : rows) {
        SCOPED_TRACE(path.toStdString());
        ScriptedPeer peer(port, {{"", "C"}, {kAbort, ""}});
        QString error;
        EXPECT_FALSE(gen.YmodemSend({path}, nullptr, error));
        EXPECT_EQ(error, text);
        EXPECT_TRUE(peer.Finished()) << peer.Mismatch() << " rest " << peer.Rest().size();
    }
}

TEST_F(YmodemTest, AFileCutWhileSentIsNotReportedAsSent)
{
    const std::string data = Pattern(20000);
    const QString path = WriteFile(QStringLiteral("cut"), data);
    // Cut to 10000 bytes once the header has gone: nine whole blocks, then the abort.
    std::vector<Step> steps = {{"", "C"}, {Header(std::string("cut\0" "20000 0", 11)), kAckC}};
    for (int block = 1; block <= 9; ++block)
        steps.push_back({Block(block, data.substr(size_t(block - 1) * 1024, 1024)), std::string(1, kAck)});
    steps.push_back({kAbort, ""});
    ScriptedPeer peer(port, steps);
    peer.onAnswered = [&](size_t step) {
        if (step == 1) {
            EXPECT_TRUE(QFile::resize(path, 10000));
        }
    };
    QString error;
    EXPECT_FALSE(gen.YmodemSend({path}, nullptr, error));
    EXPECT_EQ(error, QStringLiteral("Unable to read the file \"%1\".").arg(path));
    EXPECT_TRUE(peer.Finished()) << peer.Mismatch() << " rest " << peer.Rest().size();
}

TEST_F(YmodemTest, ALostLinkEndsTheSendAtTheFirstFailedPut)
{
    const QString path = WriteFile(QStringLiteral("l"), Pattern(5000));
    port.input.push_back('C');
    port.failPutAt = 40; // inside the header
    QString error;
    EXPECT_FALSE(gen.YmodemSend({path}, nullptr, error));
    EXPECT_EQ(error, QStringLiteral("Transfer Timed Out."));
    EXPECT_EQ(port.putAttempts, 41);
    EXPECT_LT(port.now, 100);
}

TEST_F(YmodemTest, GpibPortsTakeNoTransfer)
{
    CGenerator gpib(nullptr, MORVANE_PORT_GPIB);
    const QString path = WriteFile(QStringLiteral("p"), "abc");
    port.input.push_back('C');
    QString error;
    EXPECT_FALSE(gpib.YmodemSend({path}, nullptr, error));
    EXPECT_EQ(error, QString::fromLatin1(FakePort::TextOf(MORVANE_E_PORT_TYPE)));
    EXPECT_EQ(gpib.YmodemReceive(Inbox(), nullptr), 0);
    EXPECT_EQ(port.putAttempts, 0);
    EXPECT_EQ(port.input.size(), 1u);
}

TEST_F(YmodemTest, CancelDuringAWaitAbortsWithinATenthOfASecond)
{
    const std::string data = Pattern(3000);
    const QString path = WriteFile(QStringLiteral("w"), data);
    CProgressDlg progress(nullptr, true);
    ScriptedPeer peer(port, {{"", "C"}, {Header(std::string("w\0" "3000 0", 8)), kAckC}, {Block(1, data.substr(0, 1024)), ""}, {kAbort, ""}});
    int64_t pressedAt = -1;
    peer.onAnswered = [&](size_t step) {
        if (step == 2) {
            progress.OnCancel();
            pressedAt = port.now;
        }
    };
    QString error = QStringLiteral("old");
    EXPECT_FALSE(gen.YmodemSend({path}, &progress, error));
    EXPECT_EQ(error, QString());
    EXPECT_TRUE(peer.Finished()) << peer.Mismatch() << " rest " << peer.Rest().size();
    EXPECT_LE(port.now - pressedAt, 110);
}

// --- Receiving ------------------------------------------------------------------------

TEST_F(YmodemTest, BlockReaderResultsAndWaits)
{
    const std::string good = Block(1, Pattern(128));
    std::string badCrc = good;
    badCrc.back() = char(badCrc.back() ^ 1);
    struct Row
    {
        const char* what;
        std::string input;
        int result;
        int64_t elapsed;
        const char* traceEnd;
    };
    const Row rows[] = {
        {"nothing", "", 3, 10000, "\nR: Timed Out #1"},
        {"start only", std::string(1, kSoh), 3, 1000, "\nR: Timed Out #4"},
        {"no complement", std::string{kSoh, 1}, 3, 1000, "\nR: Timed Out #5"},
        {"data cut", good.substr(0, 13), 3, 1000, "\nR: Timed Out #6"},
        {"cancelled mid-block", good.substr(0, 13) + std::string(10, kCan) + std::string(10, '\b'), 24, 1000,
         "\nR: Timed Out #6"},
        {"cancelled in the check", good.substr(0, 131) + std::string(2, kCan), 24, 1000, "\nCRC Error"},
        {"cancel filling the block", good.substr(0, 125) + std::string(10, kCan) + std::string(10, '\b'), 24, 1000,
         "\nCRC Error"},
        {"CANs ending a block, then more", good.substr(0, 131) + std::string(2, kCan) + "x", 7, 0, "\nCRC Error"},
        {"no check", good.substr(0, 131), 3, 1000, "\nR: Crc Time Out"},
        {"half a check", good.substr(0, 132), 3, 1000, "\nR: Crc Time Out"},
        {"lone CAN", std::string(1, kCan), 3, 1000, "\nR: Timed Out #2"},
        {"CAN and another", std::string(1, kCan) + "x", 3, 0, "\nR: Timed Out #2"},
        {"CAN CAN", std::string(2, kCan), 24, 0, "\nR: CAN\nR: CAN"},
        {"stray", "x", 3, 0, "\nR: Timed Out #3 (78) x"},
        {"EOT", std::string(1, kEot), 4, 0, "\nR: EOT"},
        {"wrong number", Block(2, Pattern(128)), 5, 0, "\nR: Bad Block Number 2 != 1"},
        {"wrong complement", std::string{kSoh, 1, 0}, 5, 0, "\nR: Bad Block 0 != 254"},
        {"bad CRC", badCrc, 7, 0, "\nCRC Error"},
        {"128", good, 1, 0, "\nR: LSB of crc: 0x" },
        {"1024", Block(1, Pattern(1024)), 2, 0, "\nR: LSB of crc: 0x"},
        {"repeat", Block(0, Pattern(128)), 6, 0, "\nR: LSB of crc: 0x"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TraceFile trace;
        port.input.assign(row.input.begin(), row.input.end());
        port.now = 0;
        EXPECT_EQ(gen.YmodemReceiveBlock(1), row.result);
        EXPECT_EQ(port.now, row.elapsed);
        const std::string text = trace.Text();
        EXPECT_NE(text.find(row.traceEnd), std::string::npos) << text;
    }
    // the data of a good block is in the reply buffer
    port.input.assign(good.begin(), good.end());
    ASSERT_EQ(gen.YmodemReceiveBlock(1), 1);
    EXPECT_EQ(gen.GetLastReply().left(5).toLatin1().toStdString(), Pattern(128).substr(0, 5));
}

TEST_F(YmodemTest, AKnownSizeDropsThePadding)
{
    const QString inbox = Inbox();
    const std::string data = Pattern(1000);
    ScriptedPeer peer(port, {{"C", Header(std::string("k.bin\0" "1000 0", 12))},
                             {kAckC, Block(1, Padded(data, 1024))},
                             {std::string(1, kAck), std::string(1, kEot)},
                             {kAckC, NullHeader()},
                             {std::string(1, kAck), ""}});
    CProgressDlg progress(nullptr, true);
    StatusRecorder status;
    EXPECT_EQ(gen.YmodemReceive(inbox, &progress), 1);
    EXPECT_TRUE(peer.Finished()) << peer.Mismatch();
    EXPECT_EQ(ReadFile(inbox + QStringLiteral("/k.bin")), data);
    EXPECT_EQ(Entries(inbox), QStringList{QStringLiteral("k.bin")});
    EXPECT_EQ(status.headings, Lines{"Receiving: \"k.bin\"  (1000 bytes)"});
    EXPECT_EQ(status.steps, (Lines{"1000 bytes received", "Transfer Successfully Completed"}));
}

TEST_F(YmodemTest, AFileIsKeptOnlyWithItsHeadersSize)
{
    // Fewer bytes than the header gives: refused after the EOT, nothing
    // kept; more: cut to the header's size.
    const std::string data = Pattern(3000);
    struct Row
    {
        std::string fields;
        bool kept;
    };
    const Row rows[] = {
        {std::string("big\0" "999999 0", 12), false},
        {std::string("big\0" "3073 0", 10), false},
        {std::string("big\0" "2000 0", 10), true},
        {std::string("big\0" "3000 0", 10), true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fields.substr(4));
        const QString inbox = Inbox();
        std::vector<Step> steps = ReceiveSteps(row.fields, data);
        if (!row.kept) {
            steps.resize(steps.size() - 2);
            steps.push_back({kAbort, ""});
        }
        ScriptedPeer peer(port, steps);
        CProgressDlg progress(nullptr, true);
        StatusRecorder status;
        EXPECT_EQ(gen.YmodemReceive(inbox, &progress), row.kept ? 1 : 0);
        EXPECT_TRUE(peer.Finished()) << peer.Mismatch() << " rest " << peer.Rest().size();
        if (row.kept) {
            const size_t size = size_t(std::stol(row.fields.substr(4)));
            EXPECT_EQ(ReadFile(inbox + QStringLiteral("/big")), data.substr(0, size));
        } else {
            EXPECT_EQ(Entries(inbox), QStringList());
            ASSERT_FALSE(status.steps.empty());
            EXPECT_EQ(status.steps.back(), "The file \"big\" ended after 3072 of its " + row.fields.substr(4, row.fields.size() - 6)
                                               + " bytes.");
        }
        QDir(inbox).removeRecursively();
    }
}

TEST_F(YmodemTest, WithoutASizeEveryByteIsKeptAndTheCountCoversEachFile)
{
    const QString inbox = Inbox() + QLatin1Char('/'); // a trailing separator joins once
    std::vector<Step> steps = ReceiveSteps(std::string("one\0", 4), "abc");
    std::vector<Step> second = ReceiveSteps(std::string("two\0" "300 0", 10), Pattern(300));
    steps.pop_back();
    steps.pop_back(); // no null header after the first file
    steps.push_back({kAckC, second.front().answer});
    steps.insert(steps.end(), second.begin() + 1, second.end());
    ScriptedPeer peer(port, steps);
    EXPECT_EQ(gen.YmodemReceive(inbox, nullptr), 2);
    EXPECT_TRUE(peer.Finished()) << peer.Mismatch();
    EXPECT_EQ(ReadFile(inbox + QStringLiteral("one")), Padded("abc", 128));
    EXPECT_EQ(ReadFile(inbox + QStringLiteral("two")), Pattern(300));
}

TEST_F(YmodemTest, ReceivedNamesStayInTheFolder)
{
    const std::string longest(255, 'm');
    // The name kept; empty: refused.
    const std::pair<std::string, std::string> rows[] = {
        {"../x", "x"},
        {"/tmp/abs", "abs"},
        {"sub\\y", "y"},
        {std::string(200, 'n') + "/" + longest, longest},
        {"dir/", ""},
        {".", ""},
        {"..", ""},
        {"bad\x01name", ""},
        {std::string(200, 'n') + "/" + longest + "m", ""},
    };
    for (const auto& [sent, kept] : rows) {
        SCOPED_TRACE(sent);
        QDir(TempPath(QStringLiteral("in"))).removeRecursively();
        const QString inbox = Inbox(); // no trailing separator: the files go inside it
        const std::string fields = sent + '\0' + "3 0";
        std::vector<Step> steps = !kept.empty() ? ReceiveSteps(fields, "abc")
                                                : std::vector<Step>{{"C", Header(fields)}, {kAbort, ""}};
        ScriptedPeer peer(port, steps);
        EXPECT_EQ(gen.YmodemReceive(inbox, nullptr), kept.empty() ? 0 : 1);
        EXPECT_TRUE(peer.Finished()) << peer.Mismatch() << " rest " << peer.Rest().size();
        EXPECT_EQ(Entries(inbox), kept.empty() ? QStringList() : QStringList{QString::fromStdString(kept)});
        EXPECT_EQ(Entries(tempDir.path()), QStringList{QStringLiteral("in")});
    }
}

TEST_F(YmodemTest, AHeaderWithoutNulIsRefused)
{
    const QString inbox = Inbox();
    ScriptedPeer peer(port, {{"C", Block(0, std::string(128, 'A'))}, {kAbort, ""}});
    EXPECT_EQ(gen.YmodemReceive(inbox, nullptr), 0);
    EXPECT_TRUE(peer.Finished()) << peer.Mismatch();
    EXPECT_EQ(Entries(inbox), QStringList());
}

TEST_F(YmodemTest, ARepeatedBlockIsAcknowledgedNotWritten)
{
    const QString inbox = Inbox();
    const std::string data = Pattern(256);
    const std::string first = Block(1, data.substr(0, 128));
    const std::string ack(1, kAck);
    ScriptedPeer peer(port, {{"C", Header(std::string("r\0" "256 0", 7))},
                             {kAckC, first},
                             {ack, first}, // our ACK was lost
                             {ack, Block(2, data.substr(128))},
                             {ack, std::string(1, kEot)},
                             {kAckC, NullHeader()},
                             {ack, ""}});
    EXPECT_EQ(gen.YmodemReceive(inbox, nullptr), 1);
    EXPECT_TRUE(peer.Finished()) << peer.Mismatch();
    EXPECT_EQ(ReadFile(inbox + QStringLiteral("/r")), data);
}

TEST_F(YmodemTest, ABadBlockIsAnsweredByNakOnceTheLineIsQuiet)
{
    const QString inbox = Inbox();
    const std::string data = Pattern(384);
    std::string bad = Block(2, data.substr(128, 128));
    bad[40] = char(bad[40] ^ 0x10);
    const std::string ack(1, kAck);
    const std::string nak(1, kNak);
    std::string badFirst = Block(1, data.substr(0, 128));
    badFirst[3] = char(badFirst[3] ^ 1);
    ScriptedPeer peer(port, {{"C", Header(std::string("q\0" "384 0", 7))},
                             {kAckC, badFirst},
                             {"C", Block(1, data.substr(0, 128))}, // the first block is asked for again
                             {ack, bad},
                             {nak, Block(2, data.substr(128, 128))},
                             {ack, std::string(1, kCan) + "x"},
                             {nak, Block(3, data.substr(256))},
                             {ack, "junk"},
                             {nak, std::string(1, kEot)},
                             {kAckC, NullHeader()},
                             {ack, ""}});
    CProgressDlg progress(nullptr, true);
    StatusRecorder status;
    EXPECT_EQ(gen.YmodemReceive(inbox, &progress), 1);
    EXPECT_TRUE(peer.Finished()) << peer.Mismatch();
    EXPECT_EQ(ReadFile(inbox + QStringLiteral("/q")), data);
    EXPECT_EQ(status.steps, (Lines{"128 bytes received", "Error: CRC Error in block 2", "256 bytes received",
                                   "Error: Short Block in block 3", "384 bytes received", "Error: Short Block in block 4",
                                   "Transfer Successfully Completed"}));
    EXPECT_GE(port.now, 4000); // a quiet second before each request
}

TEST_F(YmodemTest, AFileCutByTheSenderLeavesNothing)
{
    const QString inbox = Inbox();
    const std::string data = Pattern(3000);
    ScriptedPeer peer(port, {{"C", Header(std::string("cut\0" "3000 0", 10))},
                             {kAckC, Block(1, data.substr(0, 1024))},
                             {std::string(1, kAck), std::string(2, kCan)}});
    CProgressDlg progress(nullptr, true);
    StatusRecorder status;
    EXPECT_EQ(gen.YmodemReceive(inbox, &progress), 0);
    EXPECT_TRUE(peer.Finished()) << peer.Mismatch() << " rest " << peer.Rest().size();
    EXPECT_EQ(Entries(inbox), QStringList());
    EXPECT_EQ(status.steps, (Lines{"1024 bytes received", "Error: Transfer Cancelled by Sender in block 2"}));
}

// A sender killed while its block was on the line: its CANs (lrzsz adds
// ten backspaces) come where the block's bytes stop, wherever that is.
TEST_F(YmodemTest, ACancelInsideABlockEndsTheReceiveAtOnce)
{
    const std::string data = Pattern(3000);
    const std::string second = Block(2, data.substr(1024, 1024)); // 1029 bytes
    const std::string cancel = std::string(10, kCan) + std::string(10, '\b');
    struct Row
    {
        const char* what;
        std::string cut;
    };
    const Row rows[] = {
        {"in the data", second.substr(0, 500) + cancel},
        {"bare CANs in the data", second.substr(0, 500) + std::string(2, kCan)},
        {"in the check", second.substr(0, 1027) + std::string(2, kCan)},
        {"filling the block", second.substr(0, 1020) + cancel},
        {"beginning in its last byte", second.substr(0, 1028) + cancel},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const QString inbox = Inbox();
        ScriptedPeer peer(port, {{"C", Header(std::string("cut\0" "3000 0", 10))},
                                 {kAckC, Block(1, data.substr(0, 1024))},
                                 {std::string(1, kAck), row.cut}});
        CProgressDlg progress(nullptr, true);
        StatusRecorder status;
        port.now = 0;
        EXPECT_EQ(gen.YmodemReceive(inbox, &progress), 0);
        // Nothing answers the cut block: no NAK, no abort of our own.
        EXPECT_TRUE(peer.Finished()) << peer.Mismatch() << " rest " << peer.Rest().size();
        EXPECT_EQ(Entries(inbox), QStringList());
        EXPECT_EQ(status.steps, (Lines{"1024 bytes received", "Error: Transfer Cancelled by Sender in block 2"}));
        // One quiet second after the CANs, not ten reads of ten seconds.
        EXPECT_LE(port.now, 4 * Ymodem::kTurnaroundMs + 1000);
        port.input.clear();
    }
}

// A CRC error that is not a cancel: two CANs in a spoiled block's data, or
// CANs at its end that other bytes follow, get their NAK as any other.
TEST_F(YmodemTest, CansInASpoiledBlockAreNotACancel)
{
    const QString inbox = Inbox();
    std::string withCans = Pattern(128);
    withCans[20] = withCans[21] = char(kCan);
    std::string spoiled = Block(1, withCans);
    spoiled[60] = char(spoiled[60] ^ 0x10);
    // Two CANs for its check, then more bytes.
    const std::string endsInCans = Block(1, withCans).substr(0, 131) + std::string(2, kCan) + "junk";
    ScriptedPeer peer(port, {{"C", Header(std::string("c\0" "128 0", 7))},
                             {kAckC, spoiled},
                             {"C", endsInCans},
                             {"C", Block(1, withCans)},
                             {std::string(1, kAck), std::string(1, kEot)},
                             {kAckC, NullHeader()},
                             {std::string(1, kAck), ""}});
    EXPECT_EQ(gen.YmodemReceive(inbox, nullptr), 1);
    EXPECT_TRUE(peer.Finished()) << peer.Mismatch() << " rest " << peer.Rest().size();
    EXPECT_EQ(ReadFile(inbox + QStringLiteral("/c")), withCans);
}

TEST_F(YmodemTest, TenSilentReadsEndTheReceive)
{
    const QString inbox = Inbox();
    // No header: "C" and nine nudges, no CAN.
    ScriptedPeer none(port, {});
    EXPECT_EQ(gen.YmodemReceive(inbox, nullptr), 0);
    EXPECT_EQ(port.putChars, std::string(10, 'C'));
    // A data block that never comes: ten reads, then the abort.
    port.putChars.clear();
    const std::string ack(1, kAck);
    ScriptedPeer peer(port, {{"C", Header(std::string("s\0" "300 0", 7))},
                             {kAckC, Block(1, Pattern(128))},
                             {ack, ""},
                             {std::string(9, kNak) + kAbort, ""}});
    port.now = 0;
    EXPECT_EQ(gen.YmodemReceive(inbox, nullptr), 0);
    EXPECT_TRUE(peer.Finished()) << peer.Mismatch() << " rest " << peer.Rest().size();
    EXPECT_EQ(Entries(inbox), QStringList());
    // Ten waits and nine quiet seconds, after the turnarounds before both
    // requests and both ACKs.
    EXPECT_EQ(port.now, 4 * Ymodem::kTurnaroundMs + 10 * 10000 + 9 * 1000);
}

TEST_F(YmodemTest, AFailedWriteAbortsAndTheFileDoesNotCount)
{
    const QString inbox = Inbox();
    const std::string data = Pattern(12000);
    ScriptedPeer peer(port, ReceiveSteps(std::string("full\0", 5), data));
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 5000; // the disk is full after 5000 bytes
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int files = gen.YmodemReceive(inbox, nullptr);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(files, 0);
    EXPECT_EQ(peer.Rest().substr(peer.Rest().size() - std::min<size_t>(8, peer.Rest().size())), kAbort);
    EXPECT_EQ(Entries(inbox), QStringList());
}

TEST_F(YmodemTest, CancelWhileReceivingAborts)
{
    const QString inbox = Inbox();
    CProgressDlg progress(nullptr, true);
    ScriptedPeer peer(port, {{"C", Header(std::string("z\0" "300 0", 7))}, {kAckC, ""}, {kAbort, ""}});
    peer.onAnswered = [&](size_t step) {
        if (step == 1)
            progress.OnCancel();
    };
    EXPECT_EQ(gen.YmodemReceive(inbox, &progress), 0);
    EXPECT_TRUE(peer.Finished()) << peer.Mismatch() << " rest " << peer.Rest().size();
    EXPECT_LE(port.now, 110);
    EXPECT_EQ(Entries(inbox), QStringList());
}

// --- Trace --------------------------------------------------------------------------

// Header of the empty file "e": 'e', NUL, "0 0", NULs; its CRC is 0xD0B2.
const std::string kEmptyHeader = std::string("e\0" "0 0", 5);

TEST_F(YmodemTest, TraceOfSendingAnEmptyFile)
{
    const QString path = WriteFile(QStringLiteral("e"), "");
    ScriptedPeer peer(port, SendSteps("e", "", {}));
    TraceFile trace;
    QString error;
    ASSERT_TRUE(gen.YmodemSend({path}, nullptr, error));
    const std::string expected = Dashes(52) + "\n" + path.toStdString() + Dashes(52)
                               + "\nR: C = use CRCs"
                                 "\n\n-> SOH sending block\n-> 0\n-> 0xFF\nBlock Data:"
                                 "\n0x65, 0x0, 0x30, 0x20, 0x30, " + Repeat("0x0, ", 11)
                               + Repeat(std::string(1, '\n').append(Repeat("0x0, ", 16)), 7)
                               + "\n-> MSB crc = 0xd0\n-> LSB crc = 0xb2"
                                 "\nR: ACK = block received"
                                 "\nR: C"
                                 "\n-> EOT end of tranfer"
                                 "\nR: ACK eot";
    EXPECT_EQ(trace.Text(), expected);
}

TEST_F(YmodemTest, TraceOfReceivingAnEmptyFile)
{
    const QString inbox = Inbox();
    ScriptedPeer peer(port, {{"C", Header(kEmptyHeader)},
                             {kAckC, std::string(1, kEot)},
                             {kAckC, NullHeader()},
                             {std::string(1, kAck), ""}});
    TraceFile trace;
    ASSERT_EQ(gen.YmodemReceive(inbox, nullptr), 1);
    const std::string zeroLine = Repeat("0x0, ", 16) + "\n";
    const std::string expected = "\n-> C"
                                 "\nR: SOH\nR: block = 0\nR: Compliment = 255\nR: Block Data:\n"
                                 "0x65, 0x0, 0x30, 0x20, 0x30, " + Repeat("0x0, ", 11) + "\n"
                               + Repeat(zeroLine, 7)
                               + "\nR: MSB of crc: 0xd0\nR: LSB of crc: 0xb2"
                               + Dashes(62) + "\n" + inbox.toStdString() + "/e" + Dashes(62)
                               + "\n-> ACK block 0\n-> C = send first block"
                                 "\nR: EOT"
                                 "\n-> ACK EOT"
                                 "\n-> C"
                                 "\nR: SOH\nR: block = 0\nR: Compliment = 255\nR: Block Data:\n"
                               + Repeat(zeroLine, 8)
                               + "\nR: MSB of crc: 0x0\nR: LSB of crc: 0x0"
                                 "\n-> ACK";
    EXPECT_EQ(trace.Text(), expected);
    EXPECT_EQ(ReadFile(inbox + QStringLiteral("/e")), "");
}

} // namespace

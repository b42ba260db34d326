// The YMODEM transfer against a scripted far end on the fake port, whose
// clock runs only when the program waits: the framing, the block sequence of
// each file size, the numbering, both check modes, the sender's cancels and
// time-outs, and the trace (the receiver: CGeneratorYmodemReceiveTest.cpp).

#include "CGenerator.h"

#include "CProgressDlg.h"
#include "StatusRecorder.h"
#include "Ymodem.h"
#include "YmodemPeer.h"
#include "YmodemTestFixture.h"

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
    std::vector<int64_t> answeredAt;
    peer.onAnswered = [&](size_t) { answeredAt.push_back(port.now); };
    CProgressDlg progress(nullptr, true);
    StatusRecorder status;
    QString error;
    EXPECT_TRUE(gen.YmodemSend({path}, &progress, error));
    EXPECT_TRUE(peer.Finished()) << peer.Mismatch();
    EXPECT_EQ(status.steps, (Lines{"Error: NAK in block 1", "128 bytes sent", "Transfer Successfully Completed"}));
    // A receiver empties its input after its NAK as after its ACK: a block
    // sent again waits a longer rest than the turnaround a first one gets.
    // (The first step was answered before the clock was watched.)
    ASSERT_EQ(answeredAt.size(), 5u);
    EXPECT_LT(answeredAt[1] - answeredAt[0], Ymodem::kResendRestMs);
    EXPECT_GE(answeredAt[2] - answeredAt[1], Ymodem::kResendRestMs);
    EXPECT_GE(answeredAt[3] - answeredAt[2], Ymodem::kResendRestMs);
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

// Cancel pressed before the transfer began, the far end silent: the first
// wait ends at once with the abort, not after its whole time-out.
TEST_F(YmodemTest, CancelPressedBeforeTheTransferEndsItsFirstWaitAtOnce)
{
    const QString path = WriteFile(QStringLiteral("b"), Pattern(300));
    const QString inbox = Inbox();
    struct Row
    {
        const char* what;
        bool sending;
        std::vector<Step> steps;
    };
    const Row rows[] = {
        {"sending", true, {{kAbort, ""}}},
        {"receiving", false, {{"C", ""}, {kAbort, ""}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        port.now = 0;
        CProgressDlg progress(nullptr, true);
        progress.OnCancel();
        ScriptedPeer peer(port, row.steps);
        if (row.sending) {
            QString error = QStringLiteral("old");
            EXPECT_FALSE(gen.YmodemSend({path}, &progress, error));
            EXPECT_EQ(error, QString());
        } else {
            EXPECT_EQ(gen.YmodemReceive(inbox, &progress), 0);
            EXPECT_EQ(Entries(inbox), QStringList());
        }
        EXPECT_TRUE(peer.Finished()) << peer.Mismatch() << " rest " << peer.Rest().size();
        EXPECT_LE(port.now, 110);
        // The waits work again after the transfer.
        EXPECT_FALSE(port.waitsCancelled);
    }
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

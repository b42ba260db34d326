// The YMODEM receiver against a scripted far end on the fake port, whose
// clock runs only when the program waits: each block's results and waits,
// what a received file keeps and where it may be written, bad and repeated
// blocks, cancels from either side and time-outs.

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

} // namespace

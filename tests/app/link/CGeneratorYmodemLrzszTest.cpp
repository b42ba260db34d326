// YMODEM through the real library against lrzsz over socat's linked
// pseudo-terminals: the library opens one end as COM1, the lrzsz program
// starts on the other after the open, so the handshake misses it. Both
// directions, both block sizes, a spoiled block each way, and a cancel
// from either side.

#include "CGenerator.h"

#include "CProgressDlg.h"
#include "LibraryPortHooks.h"
#include "SerialPeers.h"
#include "StatusRecorder.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

std::string RandomBytes(size_t length, unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(length, '\0');
    for (char& c : bytes)
        c = char(random() & 0xFF);
    return bytes;
}

bool StartsAny(const Lines& lines, const std::string& start)
{
    for (const std::string& line : lines)
        if (line.rfind(start, 0) == 0)
            return true;
    return false;
}

class LrzszTest : public PlatformTest
{
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        for (const char* tool : {"socat", "sb", "rb"})
            ASSERT_TRUE(HaveProgram(tool)) << tool << " is missing: ./zot installs lrzsz and socat";
    }

    void TearDown() override
    {
        gen.reset();
        unsetenv("MORVANE_COM1");
        PlatformTest::TearDown();
    }

    std::string Folder(const QString& name)
    {
        QDir(tempDir.path()).mkdir(name);
        return TempPath(name).toStdString();
    }

    // The library's COM1 on terminal; no generator answers its handshake.
    void Connect(const std::string& terminal)
    {
        setenv("MORVANE_COM1", terminal.c_str(), 1);
        const PortId id = XR_PortOpen("com1");
        ASSERT_NE(id, 0u);
        EXPECT_EQ(XR_PortGetError(), MORVANE_E_HANDSHAKE);
        gen = std::make_unique<CGenerator>(nullptr, id);
    }

    void ExpectNextHeaderAsked()
    {
        int byte = 0;
        EXPECT_TRUE(gen->WaitForByte(10, byte) && byte == 'C') << byte;
    }

    static void Write(const std::string& path, const std::string& bytes)
    {
        QFile file(QString::fromStdString(path));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), qint64(bytes.size()));
    }

    // Equal bytes; a difference is told by sizes and where it starts, not by
    // printing the files.
    static ::testing::AssertionResult Same(const std::string& path, const std::string& expected)
    {
        const std::string got = Read(path);
        if (got == expected)
            return ::testing::AssertionSuccess();
        size_t at = 0;
        while (at < got.size() && at < expected.size() && got[at] == expected[at])
            ++at;
        return ::testing::AssertionFailure() << path << ": " << got.size() << " bytes, expected " << expected.size()
                                             << ", first difference at " << at;
    }

    static std::string Read(const std::string& path)
    {
        QFile file(QString::fromStdString(path));
        if (!file.open(QIODevice::ReadOnly))
            return "<missing>";
        return file.readAll().toStdString();
    }

    static QStringList Entries(const std::string& folder)
    {
        return QDir(QString::fromStdString(folder)).entryList(QDir::Files | QDir::Hidden);
    }

    std::unique_ptr<CGenerator> gen;
};

struct NamedFile
{
    std::string name;
    std::string bytes;
};

std::vector<NamedFile> Batch()
{
    return {{"empty.bin", ""},
            {"a.bin", RandomBytes(1025, 1)},
            {"b.bin", RandomBytes(3000, 2)},
            {"random.bin", RandomBytes(200 * 1024, 3)}};
}

TEST_F(LrzszTest, RbReceivesWhatWeSend)
{
    SocatLink link(Folder(QStringLiteral("link")));
    ASSERT_TRUE(link.IsUp());
    Connect(link.A());
    DrainTerminal(link.B());
    const std::string out = Folder(QStringLiteral("out"));
    const std::string in = Folder(QStringLiteral("in"));
    QStringList paths;
    for (const NamedFile& f : Batch()) {
        Write(out + "/" + f.name, f.bytes);
        paths << QString::fromStdString(out + "/" + f.name);
    }
    PeerProcess rb({"rb", "--ymodem"}, link.B(), in, out + "/rb.log");
    ASSERT_TRUE(rb.IsStarted());

    QString error;
    EXPECT_TRUE(gen->YmodemSend(paths, nullptr, error)) << error.toStdString();
    // rb asks for the next header once it has closed the last file; the
    // null header does not come.
    ExpectNextHeaderAsked();
    rb.Stop();
    for (const NamedFile& f : Batch())
        EXPECT_TRUE(Same(in + "/" + f.name, f.bytes));
}

TEST_F(LrzszTest, WeReceiveWhatSbSends)
{
    const std::pair<const char*, std::vector<std::string>> rows[] = {
        {"128-byte blocks", {"sb", "--ymodem"}},
        {"1K blocks", {"sb", "--ymodem", "-k"}},
    };
    int round = 0;
    for (const auto& [what, command] : rows) {
        SCOPED_TRACE(what);
        ++round;
        SocatLink link(Folder(QStringLiteral("link%1").arg(round)));
        ASSERT_TRUE(link.IsUp());
        Connect(link.A());
        DrainTerminal(link.B());
        const std::string out = Folder(QStringLiteral("out%1").arg(round));
        const std::string in = Folder(QStringLiteral("in%1").arg(round));
        std::vector<std::string> argv = command;
        for (const NamedFile& f : Batch()) {
            Write(out + "/" + f.name, f.bytes);
            argv.push_back(f.name);
        }
        PeerProcess sb(argv, link.B(), out, out + "/sb.log");
        ASSERT_TRUE(sb.IsStarted());

        // The count comes back once sb's null header has ended the batch.
        EXPECT_EQ(gen->YmodemReceive(QString::fromStdString(in), nullptr), 4);
        EXPECT_EQ(sb.Wait(10000), 0);
        for (const NamedFile& f : Batch())
            EXPECT_TRUE(Same(in + "/" + f.name, f.bytes));
        gen.reset();
    }
}

TEST_F(LrzszTest, ASpoiledBlockIsSentAgainEachWay)
{
    // Block 3 of one file in 1K blocks: the 128-byte header (133 bytes on
    // the line), two blocks of 1029, then its start, number and complement.
    const long spoiled = 133 + 2 * 1029 + 3 + 100;
    const std::string bytes = RandomBytes(10000, 4);
    const std::string out = Folder(QStringLiteral("out"));
    Write(out + "/s.bin", bytes);
    for (bool sending : {true, false}) {
        SCOPED_TRACE(sending ? "we send" : "we receive");
        SocatLink ours(Folder(sending ? QStringLiteral("ours1") : QStringLiteral("ours2")));
        SocatLink theirs(Folder(sending ? QStringLiteral("theirs1") : QStringLiteral("theirs2")));
        ASSERT_TRUE(ours.IsUp() && theirs.IsUp());
        Connect(ours.A());
        DrainTerminal(ours.B());
        Relay relay(ours.B(), theirs.A(), sending ? spoiled : -1, sending ? -1 : spoiled);
        const std::string in = Folder(sending ? QStringLiteral("in1") : QStringLiteral("in2"));
        CProgressDlg progress(nullptr, true);
        StatusRecorder status;
        if (sending) {
            PeerProcess rb({"rb", "--ymodem"}, theirs.B(), in, out + "/rb.log");
            QString error;
            EXPECT_TRUE(gen->YmodemSend({QString::fromStdString(out + "/s.bin")}, &progress, error))
                << error.toStdString();
            ExpectNextHeaderAsked();
            rb.Stop();
            EXPECT_TRUE(StartsAny(status.steps, "Error: NAK in block 3")) << ::testing::PrintToString(status.steps);
        } else {
            PeerProcess sb({"sb", "--ymodem", "-k", "s.bin"}, theirs.B(), out, out + "/sb.log");
            EXPECT_EQ(gen->YmodemReceive(QString::fromStdString(in), &progress), 1);
            EXPECT_EQ(sb.Wait(10000), 0);
            EXPECT_TRUE(StartsAny(status.steps, "Error: CRC Error in block 3")) << ::testing::PrintToString(status.steps);
        }
        EXPECT_TRUE(relay.Flipped());
        EXPECT_TRUE(Same(in + "/s.bin", bytes));
        gen.reset();
    }
}

TEST_F(LrzszTest, OurCancelStopsRbAndSb)
{
    const std::string bytes = RandomBytes(200 * 1024, 5);
    const std::string out = Folder(QStringLiteral("out"));
    Write(out + "/c.bin", bytes);
    for (bool sending : {true, false}) {
        SCOPED_TRACE(sending ? "we send" : "we receive");
        SocatLink link(Folder(sending ? QStringLiteral("link1") : QStringLiteral("link2")));
        ASSERT_TRUE(link.IsUp());
        Connect(link.A());
        DrainTerminal(link.B());
        const std::string in = Folder(sending ? QStringLiteral("in1") : QStringLiteral("in2"));
        CProgressDlg progress(nullptr, true);
        CountingPort counting;
        counting.onCount = [&](long put, long got) {
            if ((sending ? put : got) == 20000)
                progress.OnCancel();
        };
        std::vector<std::string> argv = sending ? std::vector<std::string>{"rb", "--ymodem"}
                                                : std::vector<std::string>{"sb", "--ymodem", "-k", "c.bin"};
        PeerProcess peer(argv, link.B(), sending ? in : out, out + "/peer.log");
        if (sending) {
            QString error = QStringLiteral("old");
            EXPECT_FALSE(gen->YmodemSend({QString::fromStdString(out + "/c.bin")}, &progress, error));
            EXPECT_EQ(error, QString());
        } else {
            EXPECT_EQ(gen->YmodemReceive(QString::fromStdString(in), &progress), 0);
            EXPECT_EQ(Entries(in), QStringList());
        }
        EXPECT_EQ(counting.lastPut.substr(counting.lastPut.size() - 8), std::string(8, '\x18'));
        const int status = peer.Wait(15000);
        EXPECT_NE(status, 0);
        EXPECT_NE(status, -1) << "the peer did not stop";
        gen.reset();
    }
}

TEST_F(LrzszTest, ACancelClickedDuringABlockWaitAbortsTheSend)
{
    // The far end takes the header and the first block and then stays
    // silent; Cancel is clicked while the sender waits for the block's
    // answer on the port thread.
    SocatLink link(Folder(QStringLiteral("link")));
    ASSERT_TRUE(link.IsUp());
    Connect(link.A());
    DrainTerminal(link.B());
    const std::string out = Folder(QStringLiteral("out"));
    Write(out + "/w.bin", RandomBytes(4096, 7));
    const int far = OpenRawTerminal(link.B());
    ASSERT_GE(far, 0);
    std::atomic<bool> waiting{false};
    std::string heard;
    const auto readUntil = [&](size_t count) {
        char buffer[2048];
        pollfd entry{far, POLLIN, 0};
        while (heard.size() < count && ::poll(&entry, 1, 20000) > 0) {
            const ssize_t n = ::read(far, buffer, sizeof buffer);
            if (n <= 0)
                break;
            heard.append(buffer, size_t(n));
        }
    };
    std::thread receiver([&] {
        const char ackC[] = {0x06, 'C'};
        if (::write(far, "C", 1) != 1)
            return;
        readUntil(133);
        if (::write(far, ackC, 2) != 2)
            return;
        readUntil(133 + 1029);
        waiting = true;
        readUntil(133 + 1029 + 8);
    });
    CProgressDlg progress(nullptr, true);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &progress, [&] {
        if (waiting && progress.CancelButton()->isEnabled())
            progress.CancelButton()->click();
    });
    poll.start(10);
    QString error = QStringLiteral("old");
    EXPECT_FALSE(gen->YmodemSend({QString::fromStdString(out + "/w.bin")}, &progress, error));
    receiver.join();
    ::close(far);
    EXPECT_TRUE(waiting);
    EXPECT_EQ(error, QString());
    ASSERT_EQ(heard.size(), 133u + 1029u + 8u);
    EXPECT_EQ(heard.substr(133 + 1029), std::string(8, '\x18'));
}

TEST_F(LrzszTest, AnInterruptedSbEndsOurReceiveAsCancelled)
{
    // The 128-byte header, then 1 KiB blocks.
    constexpr long kHeaderBlock = 3 + 128 + 2;
    constexpr long kDataBlock = 3 + 1024 + 2;
    struct Row
    {
        const char* what;
        long killAt; // bytes we have read when sb is killed
    };
    const Row rows[] = {
        {"waiting for our answer to a whole block", kHeaderBlock + 19 * kDataBlock},
        // sb has written the block whole: its rest, the cancel and the
        // block once more follow.
        {"while we read a block", kHeaderBlock + 19 * kDataBlock + 316},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const QString run = QString::number(&row - rows);
        SocatLink link(Folder(QStringLiteral("link") + run));
        ASSERT_TRUE(link.IsUp());
        Connect(link.A());
        DrainTerminal(link.B());
        const std::string out = Folder(QStringLiteral("out") + run);
        const std::string in = Folder(QStringLiteral("in") + run);
        Write(out + "/i.bin", RandomBytes(200 * 1024, 6));
        // sb talks through a socket relayed to the terminal: on a terminal it
        // throws away its own unsent output, the cancel included, as it exits.
        int pair[2];
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair), 0);
        Relay relay(OpenRawTerminal(link.B()), pair[1], -1, -1);
        PeerProcess sb({"sb", "--ymodem", "-k", "i.bin"}, pair[0], out, out + "/sb.log");
        ::close(pair[0]);
        CountingPort counting;
        counting.onCount = [&](long, long got) {
            if (got == row.killAt)
                sb.Signal(SIGTERM);
        };
        CProgressDlg progress(nullptr, true);
        StatusRecorder status;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(gen->YmodemReceive(QString::fromStdString(in), &progress), 0);
        // Ended by the cancel, not by ten reads of ten seconds.
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
        EXPECT_TRUE(StartsAny(status.steps, "Error: Transfer Cancelled by Sender in block"))
            << ::testing::PrintToString(status.steps);
        EXPECT_EQ(Entries(in), QStringList());
        gen.reset();
    }
}

} // namespace

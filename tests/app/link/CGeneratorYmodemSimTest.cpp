// YMODEM through the real library against the simulated generator on a
// pseudo-terminal: files go in after "YMDI" and come back after "YMDO", the
// generator takes commands again afterwards, and each fault it can play
// gives the text or the count it should.

#include "CGenerator.h"

#include "CProgressDlg.h"
#include "LibraryPortHooks.h"
#include "StatusRecorder.h"

#include "TestSupport.h"

#include "gensim/Simulator.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;
using Fault = gensim::YmodemFault;
using Kind = gensim::YmodemFault::Kind;

std::string Pattern(size_t length, int seed)
{
    std::string bytes(length, '\0');
    for (size_t i = 0; i < length; ++i)
        bytes[i] = char((i * 13 + size_t(seed)) % 256);
    return bytes;
}

bool Contains(const Lines& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class YmodemSimTest : public PlatformTest
{
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        g = &sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = "21", .baudRate = 115200, .link = ""});
        sim.start();
        setenv("MORVANE_COM1", g->comPath().c_str(), 1);
        // Opens at 2400, where the generator does not answer; then its rate.
        const PortId id = XR_PortOpen("com1");
        ASSERT_NE(id, 0u);
        ASSERT_EQ(XR_PortSetRate(id, 115200), 1);
        gen = std::make_unique<CGenerator>(nullptr, id);
        ASSERT_NEAR(gen->QueryVerf(), 7.011, 1e-9);
    }

    void TearDown() override
    {
        gen.reset();
        unsetenv("MORVANE_COM1");
        PlatformTest::TearDown();
    }

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

    // A new empty folder beside nothing else of the test's.
    QString Inbox(const QString& name)
    {
        QDir(tempDir.path()).mkdir(name);
        return TempPath(name);
    }

    static QStringList Entries(const QString& folder)
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    bool Send(const QStringList& paths, QString& error, CProgressDlg* progress = nullptr)
    {
        gen->FlushPort();
        EXPECT_TRUE(gen->CmdYmdi());
        return gen->YmodemSend(paths, progress, error);
    }

    int Receive(const QString& names, const QString& folder, CProgressDlg* progress = nullptr)
    {
        gen->FlushPort();
        EXPECT_TRUE(gen->CmdYmdo(names));
        return gen->YmodemReceive(folder, progress);
    }

    gensim::Simulator sim;
    gensim::Generator* g = nullptr;
    std::unique_ptr<CGenerator> gen;
};

TEST_F(YmodemSimTest, FilesGoInAndComeBackAndCommandsFollow)
{
    // Files that are none of its memory files: the generator keeps them as they came.
    const std::string format = Pattern(3000, 1);
    const std::string image = Pattern(1025, 2);
    const QString formatPath = WriteFile(QStringLiteral("first.bin"), format);
    const QString imagePath = WriteFile(QStringLiteral("second.bin"), image);
    QString error;
    ASSERT_TRUE(Send({formatPath, imagePath}, error)) << error.toStdString();
    EXPECT_EQ(g->ymodem().file("first.bin"), format);
    EXPECT_EQ(g->ymodem().file("second.bin"), image);

    g->ymodem().put("empty.mem", "");
    const QString inbox = Inbox(QStringLiteral("back"));
    EXPECT_EQ(Receive(QStringLiteral("second.bin empty.mem first.bin"), inbox), 3);
    EXPECT_EQ(ReadFile(inbox + QStringLiteral("/first.bin")), format);
    EXPECT_EQ(ReadFile(inbox + QStringLiteral("/second.bin")), image);
    EXPECT_EQ(ReadFile(inbox + QStringLiteral("/empty.mem")), "");
    EXPECT_EQ(Entries(inbox).size(), 3);

    EXPECT_NEAR(gen->QueryVerf(), 7.011, 1e-9);
    EXPECT_TRUE(gen->LastCommandSucceeded());
}

TEST_F(YmodemSimTest, ReceiverFaultsGiveTheirTexts)
{
    struct Row
    {
        const char* what;
        Fault fault;
        bool ok;
        const char* error;
        const char* line; // a progress line it shows, or null
    };
    const Row rows[] = {
        {"checksums", Fault::at(Kind::ChecksumMode), true, "", nullptr},
        {"NAK three times", Fault::at(Kind::NakBlock, 2, 3), true, "", "Error: NAK in block 2"},
        {"lone CAN", Fault::at(Kind::LoneCan, 2), true, "", nullptr},
        {"stray bytes", Fault::withText(Kind::StrayBytes, "\x55\xAA?", 2), true, "", nullptr},
        {"CAN CAN", Fault::at(Kind::CancelAt, 3), false, "Transfer Cancelled by Receiver",
         "Error: Transfer Cancelled by Receiver in block 3"},
        {"G", Fault::at(Kind::AskStreaming), false, "The YModem-G Protocol is not implemented.", nullptr},
    };
    const std::string data = Pattern(5000, 3);
    const QString path = WriteFile(QStringLiteral("fault.mem"), data);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        g->ymodem().clear();
        g->ymodem().clearFaults();
        g->ymodem().fault(row.fault);
        CProgressDlg progress(nullptr, true);
        StatusRecorder status;
        QString error;
        EXPECT_EQ(Send({path}, error, &progress), row.ok);
        EXPECT_EQ(error.toStdString(), row.error);
        EXPECT_EQ(g->ymodem().file("fault.mem"), row.ok ? std::optional<std::string>(data) : std::nullopt);
        if (row.line != nullptr) {
            EXPECT_TRUE(Contains(status.steps, row.line)) << ::testing::PrintToString(status.steps);
        }
    }
    // The generator answers commands again.
    EXPECT_NEAR(gen->QueryVerf(), 7.011, 1e-9);
}

TEST_F(YmodemSimTest, SenderFaultsGiveTheirTextsAndCounts)
{
    ScaledClock clock(10); // the quiet second before each NAK
    struct Row
    {
        const char* what;
        Fault fault;
        int count;
        const char* file; // the file it leaves, or null
        const char* line;
    };
    const std::string data = Pattern(3000, 4);
    std::string padded = data;
    padded.resize(3072, '\x1A');
    const Row rows[] = {
        {"bad CRC", Fault::at(Kind::BadCrc, 2), 1, "a.mem", "Error: CRC Error in block 2"},
        {"wrong number", Fault::at(Kind::WrongNumber, 2), 1, "a.mem", "Error: Bad Block Number in block 2"},
        {"repeat", Fault::at(Kind::RepeatBlock, 2), 1, "a.mem", nullptr},
        {"lone CAN", Fault::at(Kind::LoneCan, 3), 1, "a.mem", "Error: Short Block in block 3"},
        {"stray bytes", Fault::withText(Kind::StrayBytes, "zz", 3), 1, "a.mem", "Error: Short Block in block 3"},
        {"CAN CAN", Fault::at(Kind::CancelAt, 2), 0, nullptr, "Error: Transfer Cancelled by Sender in block 2"},
        {"header without NUL", Fault::at(Kind::HeaderWithoutNul), 0, nullptr, nullptr},
        {"../x", Fault::withText(Kind::HeaderName, "../x"), 1, "x", nullptr},
        {"size -5", Fault::withText(Kind::HeaderSize, "-5"), 1, "a.mem", nullptr},
    };
    g->ymodem().put("a.mem", data);
    int folder = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        g->ymodem().clearFaults();
        g->ymodem().fault(row.fault);
        const QString inbox = Inbox(QStringLiteral("in%1").arg(++folder));
        CProgressDlg progress(nullptr, true);
        StatusRecorder status;
        EXPECT_EQ(Receive(QStringLiteral("a.mem"), inbox, &progress), row.count);
        const QStringList expected = row.file != nullptr ? QStringList{QString::fromLatin1(row.file)} : QStringList();
        EXPECT_EQ(Entries(inbox), expected);
        if (row.file != nullptr) {
            const bool sizeUnknown = row.fault.kind == Kind::HeaderSize;
            EXPECT_EQ(ReadFile(inbox + QLatin1Char('/') + QLatin1String(row.file)), sizeUnknown ? padded : data);
        }
        if (row.line != nullptr) {
            EXPECT_TRUE(Contains(status.steps, row.line)) << ::testing::PrintToString(status.steps);
        }
    }
    // Nothing landed beside the folders, and the generator takes commands.
    EXPECT_FALSE(QFile::exists(TempPath(QStringLiteral("x"))));
    g->ymodem().clearFaults();
    EXPECT_NEAR(gen->QueryVerf(), 7.011, 1e-9);
}

TEST_F(YmodemSimTest, ASilentReceiverTimesTheSendOut)
{
    ScaledClock clock(60);
    const QString path = WriteFile(QStringLiteral("s.mem"), Pattern(4000, 5));
    g->ymodem().fault(Fault::at(Kind::Silence, 2));
    QString error;
    EXPECT_FALSE(Send({path}, error));
    EXPECT_EQ(error, QStringLiteral("Transfer Timed Out."));
    EXPECT_EQ(g->ymodem().file("s.mem"), std::nullopt);
}

TEST_F(YmodemSimTest, ASilentSenderEndsTheReceiveAfterTenReads)
{
    ScaledClock clock(60);
    g->ymodem().put("a.mem", Pattern(4000, 6));
    g->ymodem().fault(Fault::at(Kind::Silence, 2));
    const QString inbox = Inbox(QStringLiteral("in"));
    CProgressDlg progress(nullptr, true);
    StatusRecorder status;
    EXPECT_EQ(Receive(QStringLiteral("a.mem"), inbox, &progress), 0);
    EXPECT_EQ(Entries(inbox), QStringList());
    EXPECT_TRUE(Contains(status.steps, "Error: Short Block in block 2")) << ::testing::PrintToString(status.steps);
    // The abort gave the line back to commands.
    g->ymodem().clearFaults();
    EXPECT_NEAR(gen->QueryVerf(), 7.011, 1e-9);
}

} // namespace

// The memory files over the ISA host port on a scripted processor memory:
// the walks and their ends, the byte access, the bounds of every table,
// and a restore's unpack line per build with the number base put back.

#include "CGenerator.h"
#include "FakePort.h"
#include "LinkRoutines.h"
#include "ResourceIds.h"
#include "ToolLibrary.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>

#include <sys/stat.h>

namespace {

// Processor memory as words at bit addresses; unwritten words read 0.
class MemoryLibrary : public ToolLibrary
{
public:
    MemoryLibrary() : m_previous(InstallToolLibrary(this)) {}
    ~MemoryLibrary() override { InstallToolLibrary(m_previous); }

    int32_t XR_PortPrepare(PortId) override
    {
        ++prepares;
        SetError(prepareError);
        return prepareError == 0 ? 1 : 0;
    }
    int32_t XR_PortGetError() override { return prepareError; }
    uint16_t GspRead(uint32_t address) override
    {
        ++reads;
        const auto w = words.find(address);
        return w == words.end() ? 0 : w->second;
    }
    int32_t GspWrite(uint32_t address, uint32_t value) override
    {
        ++writes;
        if (address != stuckWord)
            words[address] = uint16_t(value);
        return 1;
    }

    // bytes from address on, low byte of each word first.
    void Put(uint32_t address, const std::string& bytes)
    {
        for (size_t i = 0; i < bytes.size(); ++i) {
            const uint32_t word = address + uint32_t(i / 2) * 16;
            const uint16_t old = words[word];
            words[word] = i % 2 ? uint16_t((old & 0x00FF) | uint8_t(bytes[i]) << 8)
                                : uint16_t((old & 0xFF00) | uint8_t(bytes[i]));
        }
    }

    std::map<uint32_t, uint16_t> words;
    int prepareError = 0;
    uint32_t stuckWord = 0; // writes there are lost
    int prepares = 0;
    int reads = 0;
    int writes = 0;

private:
    ToolLibrary* m_previous;
};

// A literal with its NULs.
template <size_t N>
std::string S(const char (&literal)[N])
{
    return std::string(literal, N - 1);
}

std::string Bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out += char(v);
    return out;
}

class IsaMemoryFilesTest : public PlatformTest
{
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        folder = tempDir.path() + QLatin1Char('/');
        port.Script("BASE?", "10");
    }

    CGenerator& Generator(double version)
    {
        generator.SetFirmwareVersion(version);
        return generator;
    }
    QByteArray File(const char* name) const
    {
        QFile f(folder + QLatin1String(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    }
    void Write(const char* name, const std::string& bytes) const
    {
        QFile f(folder + QLatin1String(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), qint64(bytes.size()));
    }

    FakePort port;
    MemoryLibrary memory;
    CGenerator generator{nullptr, MORVANE_PORT_ISA};
    QString folder;
};

TEST_F(IsaMemoryFilesTest, BytesAreHalvesOfWordsAndAnOddRestoreKeepsItsNeighbours)
{
    memory.words = {{0x1000, 0x2211}, {0x1010, 0x4433}, {0x1020, 0x6655}};
    uint32_t at = 0x1008;
    const bool ran = LinkRoutines::Run(MORVANE_PORT_ISA, [&](ToolLibrary& lib) {
        EXPECT_EQ(CGenerator::ReadByte(lib, at), 0x22);
        EXPECT_EQ(CGenerator::ReadByte(lib, at), 0x33);
        EXPECT_EQ(at, 0x1018u);
        // Three bytes from an odd address: the high half of one word, a whole next word.
        at = 0x1008;
        for (uint8_t b : {0xAA, 0xBB, 0xCC})
            CGenerator::WriteByte(lib, at, b);
    });
    ASSERT_TRUE(ran);
    EXPECT_EQ(memory.words[0x1000], 0xAA11);
    EXPECT_EQ(memory.words[0x1010], 0xCCBB);
    EXPECT_EQ(memory.words[0x1020], 0x6655);
    EXPECT_EQ(memory.words.size(), 3u);
}

TEST_F(IsaMemoryFilesTest, WritesDoNothingOffAnIsaPort)
{
    ASSERT_TRUE(LinkRoutines::Run(MORVANE_PORT_PCI, [&](ToolLibrary& lib) {
        uint32_t at = 0x2000;
        CGenerator::WriteByte(lib, at, 1);
        CGenerator::WriteWord(lib, at, 1, 2);
    }));
    EXPECT_EQ(memory.writes, 0);
}

// The walks' own ends, each table at its 2.898 address.
TEST_F(IsaMemoryFilesTest, WalksStopAtTheirEnds)
{
    CGenerator& g = Generator(2.898);
    const IsaMemoryMap& map = g.GetIsaMemoryMap();
    struct Case {
        const char* what;
        uint32_t address;
        std::string memory;
        bool (CGenerator::*extract)(const QString&, CProgressDlg*);
        const char* file;
        std::string expected;
    };
    const std::string step(24, 'S');
    const Case cases[] = {
        {"an empty sequence store", map.sequenceData, Bytes({0, 'x'}), &CGenerator::ExtractSequenceMemory,
         "sequence.mem", Bytes({0})},
        {"a directory table that ends at once", map.directoryData, Bytes({0xFF, 0, 'x'}),
         &CGenerator::ExtractDirAndPath, "dir.mem", Bytes({0xFF, 0})},
        {"two directories", map.directoryData,
         S("dirA\0\0\0\0entry1\0\0") + Bytes({0xFF}) + S("dirB\0\0\0\0") + Bytes({0xFF, 0, 'x'}),
         &CGenerator::ExtractDirAndPath, "dir.mem",
         S("dirA\0\0\0\0entry1\0\0") + Bytes({0xFF}) + S("dirB\0\0\0\0") + Bytes({0xFF, 0})},
        // Before 2.981 nothing follows a sequence's end mark.
        {"one sequence of one step", map.sequenceData, S("seqA\0\0\0\0") + step + Bytes({0xFF, 0, 'x'}),
         &CGenerator::ExtractSequenceMemory, "sequence.mem", S("seqA\0\0\0\0") + step + Bytes({0xFF, 0})},
    };
    for (const Case& c : cases) {
        memory.words.clear();
        memory.Put(c.address, c.memory);
        EXPECT_TRUE((g.*c.extract)(folder, nullptr)) << c.what;
        EXPECT_EQ(File(c.file), QByteArray::fromStdString(c.expected)) << c.what;
    }
}

TEST_F(IsaMemoryFilesTest, ASequenceEndCarriesThreeBytesFrom2981)
{
    CGenerator& g = Generator(2.981);
    const std::string stored = S("seqA\0\0\0\0") + std::string(24, 'S') + Bytes({0xFF, 1, 2, 3, 0});
    memory.Put(g.GetIsaMemoryMap().sequenceData, stored + "junk");
    ASSERT_TRUE(g.ExtractSequenceMemory(folder, nullptr));
    EXPECT_EQ(File("sequence.mem"), QByteArray::fromStdString(stored));
}

TEST_F(IsaMemoryFilesTest, KnobListsEndWithTheirEmptyRecord)
{
    CGenerator& g = Generator(2.8);
    const IsaMemoryMap& map = g.GetIsaMemoryMap();
    memory.Put(map.formatKnobList, std::string("VGA_m4\0\0", 8) + std::string(8, '\0') + "after");
    memory.Put(map.imageKnobList, std::string(8, '\0'));
    memory.Put(map.sequenceKnobList, std::string(8, '\0'));
    ASSERT_TRUE(g.ExtractKnobFiles(folder, nullptr));
    EXPECT_EQ(File("format.knb"), QByteArray("VGA_m4\0\0", 8) + QByteArray(8, '\0'));
    EXPECT_EQ(File("image.knb"), QByteArray(8, '\0'));
    EXPECT_EQ(File("sequence.knb"), QByteArray(8, '\0'));
}

// Without its end a walk stops at the next table and leaves no file.
TEST_F(IsaMemoryFilesTest, AWalkWithoutItsEndStopsAtItsRegion)
{
    CGenerator& g = Generator(2.8);
    const IsaMemoryMap& map = g.GetIsaMemoryMap();
    // The image knob list lies 1108 bytes below the image store.
    EXPECT_EQ(g.IsaRegionBytes(map.imageKnobList), (map.imageData - map.imageKnobList) / 8);
    EXPECT_EQ(g.IsaRegionBytes(0), 0u);
    memory.Put(map.formatKnobList, std::string(8, '\0'));
    memory.Put(map.imageKnobList, std::string(2000, 'K'));
    prompter.ExpectMessage(PromptMatch::Contains("\"image.knb\" has no end within the 1108 bytes"), IDOK);
    EXPECT_FALSE(g.ExtractKnobFiles(folder, nullptr));
    EXPECT_FALSE(QFile::exists(folder + "image.knb"));
    EXPECT_FALSE(QFile::exists(folder + "sequence.knb"));
    EXPECT_LE(memory.reads, 8 + 1108 + 8); // never read past it

    CGenerator& late = Generator(3.05);
    memory.Put(late.GetIsaMemoryMap().directoryData, std::string(70000, 'D'));
    prompter.ExpectMessage(PromptMatch::Contains("\"dir.mem\" has no end"), IDOK);
    EXPECT_FALSE(late.ExtractDirAndPath(folder, nullptr));
    EXPECT_FALSE(QFile::exists(folder + "dir.mem"));
}

TEST_F(IsaMemoryFilesTest, ATableTheBuildLacksIsRefusedWithoutAFile)
{
    CGenerator& beta = Generator(2.8001); // no layout is known
    EXPECT_FALSE(beta.ExtractImageMemory(folder, nullptr));
    EXPECT_FALSE(beta.ExtractSequenceMemory(folder, nullptr));
    EXPECT_FALSE(beta.ExtractDirAndPath(folder, nullptr));
    EXPECT_FALSE(beta.ExtractKnobFiles(folder, nullptr));
    Write("image.mem", "x");
    EXPECT_FALSE(beta.RestoreMemoryFiles(folder, "image.mem", nullptr));
    EXPECT_EQ(memory.reads + memory.writes, 0);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{"image.mem"});
}

TEST_F(IsaMemoryFilesTest, FixedFilesAreReadWhole)
{
    CGenerator& g = Generator(3.05);
    memory.Put(g.GetIsaMemoryMap().formatData, "fmt");
    memory.Put(0xFF000000, "sys");
    ASSERT_TRUE(g.ExtractFormatMemory(folder, nullptr));
    ASSERT_TRUE(g.ExtractSystemFile(folder, nullptr));
    EXPECT_EQ(File("format.mem").size(), 21600);
    EXPECT_EQ(File("format.mem").left(4), QByteArray("fmt\0", 4));
    EXPECT_EQ(File("system.sys").size(), 144);
    EXPECT_EQ(memory.reads, 10800 + 72); // a read per word
    EXPECT_EQ(memory.prepares, 2);
}

// --- Restore ---------------------------------------------------------------------------

struct UnpackCase {
    double version;
    const char* name;
    std::vector<std::string> commands;
};

TEST_F(IsaMemoryFilesTest, RestoreUnpacksByBuildAndPutsTheBaseBack)
{
    port.Script("UNPK FMT;*OPC? ", "1");
    port.Script("UNPK SEQ;*OPC? ", "1");
    const UnpackCase cases[] = {
        {3.05, "format.mem", {"BASE?", "BASE 16", "UNPK FMT;*OPC? ", "BASE 10"}},
        {3.05, "SEQUENCE.SEQ", {"BASE?", "BASE 16", "UNPK SEQ;*OPC? ", "BASE 10"}},
        {2.8, "format.fmt", {"BASE?", "BASE 16", "CALL FFCDADF0 0", "BASE 10"}},
        {2.8, "IMAGE.IMG", {"BASE?", "BASE 16", "CALL FFC4CC70 0", "BASE 10"}},
        {2.8, "sequence.knb", {}}, // read where it lies
    };
    for (const UnpackCase& c : cases) {
        CGenerator& g = Generator(c.version);
        Write(c.name, "abc");
        port.commands.clear();
        memory.words.clear();
        const int64_t before = port.now;
        EXPECT_TRUE(g.RestoreMemoryFiles(folder, c.name, nullptr)) << c.name;
        EXPECT_EQ(port.commands, c.commands) << c.version << " " << c.name;
        EXPECT_EQ(memory.words.size(), 2u) << c.name;
        if (c.version < 3.0 && !c.commands.empty()) {
            EXPECT_GE(port.now - before, 3000) << "a called routine is given its 3 s";
        }
    }
    Write("font.mem", "abc");
    port.commands.clear();
    EXPECT_FALSE(Generator(3.05).RestoreMemoryFiles(folder, "font.mem", nullptr));
    EXPECT_TRUE(port.commands.empty());
}

TEST_F(IsaMemoryFilesTest, AWordThatDoesNotKeepItsValueSendsNoUnpack)
{
    CGenerator& g = Generator(3.05);
    Write("format.mem", std::string(100, 'F'));
    memory.stuckWord = g.GetIsaMemoryMap().formatData + 3 * 16;
    port.commands.clear();
    prompter.ExpectMessage(PromptMatch::Contains("(byte 6 differs)"), IDOK);
    EXPECT_FALSE(g.RestoreMemoryFiles(folder, "format.mem", nullptr));
    EXPECT_TRUE(port.commands.empty());
}

TEST_F(IsaMemoryFilesTest, RestoreRefusesWhatWouldReachTheNextTable)
{
    CGenerator& g = Generator(3.05);
    // The path table has 1024 bytes below the directory table.
    Write("path.mem", std::string(1025, 'P'));
    prompter.ExpectMessage(PromptMatch::Contains("\"path.mem\" holds 1025 bytes, more than the 1024"), IDOK);
    EXPECT_FALSE(g.RestoreMemoryFiles(folder, "path.mem", nullptr));
    EXPECT_EQ(memory.writes, 0);
}

// What no memory file is: refused before a word is written, without
// waiting on a FIFO or reading a file past its table's region.
TEST_F(IsaMemoryFilesTest, RestoreRefusesWhatIsNoFileOfItsTableAtOnce)
{
    CGenerator& g = Generator(3.05);
    const QString path = folder + QStringLiteral("format.mem");
    struct Case {
        const char* what;
        std::function<void()> make;
        const char* said;
    };
    const Case cases[] = {
        {"a FIFO", [&] { ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0); },
         "format.mem\" is a pipe (FIFO), not a file."},
        {"a folder", [&] { ASSERT_TRUE(QDir().mkdir(path)); }, "format.mem\" is a folder, not a file."},
        {"a sparse file of 5 GiB",
         [&] {
             QFile file(path);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(qint64(5) << 30));
         },
         "\"format.mem\" holds 5368709120 bytes, more than the"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.make();
        port.commands.clear();
        prompter.ExpectMessage(PromptMatch::Contains(c.said), IDOK);
        const auto started = std::chrono::steady_clock::now();
        EXPECT_FALSE(g.RestoreMemoryFiles(folder, "format.mem", nullptr));
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
        EXPECT_EQ(memory.prepares + memory.writes, 0);
        EXPECT_TRUE(port.commands.empty());
        QDir().rmdir(path);
        QFile::remove(path);
    }
}

TEST_F(IsaMemoryFilesTest, ARefusedPortOrUnpackFailsTheRestore)
{
    CGenerator& g = Generator(3.05);
    Write("format.mem", "abc");
    memory.prepareError = MORVANE_E_PORT_TYPE;
    prompter.ExpectMessage(PromptMatch::Contains("ISA port could not be selected"), IDOK);
    EXPECT_FALSE(g.RestoreMemoryFiles(folder, "format.mem", nullptr));
    EXPECT_EQ(memory.writes, 0);

    memory.prepareError = 0;
    port.Script("UNPK FMT;*OPC? ", "0");
    port.commands.clear();
    prompter.ExpectMessage(PromptMatch::Contains("did not unpack \"format.mem\": it answered \"0\""), IDOK);
    EXPECT_FALSE(g.RestoreMemoryFiles(folder, "format.mem", nullptr));
    EXPECT_EQ(port.commands.back(), "BASE 10");

    prompter.ExpectMessage(PromptMatch::Id(IDS_CANNOT_OPEN).AndCaption("DMA Failure..."), IDOK);
    EXPECT_FALSE(g.RestoreMemoryFiles(folder, "image.mem", nullptr));
}

} // namespace

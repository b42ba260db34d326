// The firmware download by port kind against a stand-in library: the PCI
// path's result words and their boxes, its byte order, padding and status
// lines, a failed mailbox write; the GPIB send's format and its failure;
// the ISA identities, both flash part types programmed and verified, and
// each fault's box with the generator left for dead.

#include "CGenerator.h"

#include "CProgressDlg.h"
#include "FakePort.h"
#include "IsaFlashParts.h"
#include "ResourceIds.h"
#include "StatusRecorder.h"
#include "StringTable.h"
#include "ToolLibrary.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>

#include <array>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using driver::IsaFlashParts;

// The card's flash parts as the library's model of the card plays them,
// over a ROM and settings of the test's own.
struct StandInParts {
    explicit StandInParts(int type = 0)
    {
        IsaFlashParts::Fit(settings.data(), type < 0 ? IsaFlashParts::kNoParts : uint16_t(type));
    }
    void Stick(uint32_t word, uint16_t mask)
    {
        settings[IsaFlashParts::kStuckWordLow] = uint16_t(word);
        settings[IsaFlashParts::kStuckWordHigh] = uint16_t(word >> 16);
        settings[IsaFlashParts::kStuckMask] = mask;
    }
    std::vector<uint16_t> flash = std::vector<uint16_t>(IsaFlashParts::kWords, 0xFFFF);
    std::array<uint16_t, IsaFlashParts::kSettingWords> settings{};
    IsaFlashParts model{flash.data(), settings.data()};
};

class FlashLibrary : public ToolLibrary {
public:
    explicit FlashLibrary(FakePort &port) : m_port(port), m_previous(InstallToolLibrary(this)) {}
    ~FlashLibrary() override { InstallToolLibrary(m_previous); }

    int32_t XR_PortPrepare(PortId) override { return Ok(1); }
    int32_t XR_PortPrepareRemoteCall(PortId, RemoteCallContext *, int32_t) override { return Ok(1); }
    char *XR_PortGetErrorMsg(int32_t code, char *text) override
    {
        std::snprintf(text, MORVANE_ERROR_TEXT_SIZE, "library error %d", code);
        return text;
    }

    // PCI
    int32_t PciWriteData(uint32_t value, uint32_t address, int32_t size) override
    {
        EXPECT_EQ(size, 4);
        if (int(pciWrites.size()) == failWriteAt) {
            SetError(MORVANE_E_TIMEOUT);
            return 0;
        }
        pciWrites.push_back({value, address});
        return Ok(1);
    }
    uint32_t XR_FlashFromVMEM() override
    {
        ++flashCalls;
        return uint32_t(Ok(int32_t(flashWord)));
    }
    int32_t PciResetCard(PortId) override { return Ok(++resets); }

    // GPIB
    int32_t GpibSendFlashFile(PortId, const char *file, int32_t size, int32_t mode) override
    {
        gpibFile = file;
        gpibSize = size;
        gpibModes.push_back(mode);
        if (!gpibResult)
            SetError(50007);
        else
            SetError(0);
        return gpibResult;
    }

    // ISA
    uint16_t GspRead(uint32_t address) override
    {
        m_port.now += 1; // each host-port read takes its time
        ++reads;
        SetError(0);
        if (auto it = identity.find(address); it != identity.end())
            return it->second;
        uint16_t value = 0;
        return parts->model.Read(address, value) ? value : 0;
    }
    int32_t GspWrite(uint32_t address, uint32_t value) override
    {
        parts->model.Write(address, uint16_t(value));
        return Ok(1);
    }
    int32_t GspHalt() override { return Ok(++halts); }
    int32_t GspFlush() override { return Ok(1); }
    int32_t GspAutoIncrement(int32_t) override { return Ok(1); }
    int32_t GspLblLow() override { return Ok(1); }
    int32_t GspNmi() override { return Ok(++nmis); }
    int32_t GspRun() override { return Ok(++runs); }
    int32_t IsaInitialize(PortId) override { return Ok(++inits); }

    std::vector<std::pair<uint32_t, uint32_t>> pciWrites;
    int failWriteAt = -1;
    uint32_t flashWord = 0x10000000;
    int flashCalls = 0;
    int resets = 0;
    int32_t gpibResult = 1;
    std::vector<int32_t> gpibModes;
    std::string gpibFile;
    int32_t gpibSize = 0;
    std::map<uint32_t, uint16_t> identity; // host-port word address -> word
    std::unique_ptr<StandInParts> parts = std::make_unique<StandInParts>();
    int reads = 0;
    int halts = 0;
    int nmis = 0;
    int runs = 0;
    int inits = 0;

private:
    int32_t Ok(int32_t result)
    {
        SetError(0);
        return result;
    }
    FakePort &m_port;
    ToolLibrary *m_previous;
};

std::vector<uint8_t> Pattern(size_t size, unsigned seed = 3)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = uint8_t((i * 7 + seed + (i >> 9)) & 0xFF);
    return bytes;
}

class FirmwareDownloadTest : public PlatformTest {
protected:
    void Write(const std::vector<uint8_t> &bytes)
    {
        QFile file(QDir(tempDir.path()).filePath("firmware.bin"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size()));
    }

    bool Download(const char *spec, bool direct = false)
    {
        generator = std::make_unique<CGenerator>(nullptr, port.Open(spec));
        CProgressDlg progress(nullptr, true);
        const bool ok = generator->DownloadFirmware(tempDir.path(), 7.045, &progress, direct);
        progress.DestroyWindow();
        return ok;
    }

    // The card's identity words. A top digit with bit 3 set comes in three
    // words (the first byte holds the top two digits, low nibble first),
    // any other as six nibbles, most significant first.
    void SetIdentity(uint32_t id)
    {
        library.identity.clear();
        const uint32_t top = (id >> 20) & 0xF;
        if (top & 0x8) {
            library.identity[0x6000000] = uint16_t(top | ((id >> 12) & 0xF0));
            library.identity[0x6000010] = uint16_t((id >> 8) & 0xFF);
            library.identity[0x6000020] = uint16_t(id & 0xFF);
            return;
        }
        for (int i = 0; i < 6; ++i)
            library.identity[0x6000000 + 128 * uint32_t(i)] = uint16_t((id >> (20 - 4 * i)) & 0xF);
    }

    FakePort port;
    FlashLibrary library{port};
    std::unique_ptr<CGenerator> generator;
};

TEST_F(FirmwareDownloadTest, PciResultWordsAndTheirBoxes)
{
    const struct {
        uint32_t word;
        unsigned caption;
        unsigned text;
        QString halves; // "even,odd" for the checksum box
    } cases[] = {
        {0, IDS_FIRMWARE_CRITICAL, IDS_FIRMWARE_NOT_COMPLETED, {}},
        {8, IDS_FIRMWARE_ERROR, IDS_FIRMWARE_NO_BOARDS, {}},
        {16, IDS_FIRMWARE_ERROR, IDS_FIRMWARE_BAD_VERSION, {}},
        {32, IDS_FIRMWARE_ERROR, IDS_FIRMWARE_BAD_SIZE, {}},
        {64, IDS_FIRMWARE_ERROR, IDS_FIRMWARE_BAD_ID, {}},
        {0x20000, IDS_FIRMWARE_ERROR, IDS_FIRMWARE_NO_RAM, {}},
        {1, IDS_FIRMWARE_INVALID, IDS_FIRMWARE_CHECKSUM_HALVES, "OK,OK"},
        {3, IDS_FIRMWARE_INVALID, IDS_FIRMWARE_CHECKSUM_HALVES, "BAD,OK"},
        {5, IDS_FIRMWARE_INVALID, IDS_FIRMWARE_CHECKSUM_HALVES, "OK,BAD"},
        {7, IDS_FIRMWARE_INVALID, IDS_FIRMWARE_CHECKSUM_HALVES, "BAD,BAD"},
        {0x100, IDS_FIRMWARE_INVALID, IDS_FIRMWARE_UNKNOWN_ERROR, {}},
    };
    Write(Pattern(4096));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.word);
        library.flashWord = c.word;
        library.resets = 0;
        const QStringList halves = c.halves.isEmpty() ? QStringList() : c.halves.split(',');
        prompter.ExpectMessage(PromptMatch::Text(FormatString(c.text, halves)).AndCaption(LoadString(c.caption)), IDOK,
                               MB_OK | MB_ICONWARNING);
        EXPECT_FALSE(Download("pci1"));
        EXPECT_EQ(library.resets, 0) << "only a good flash resets the card";
        prompter.VerifyAllUsed();
    }
    library.flashWord = 0x10000000;
    EXPECT_TRUE(Download("pci1"));
    EXPECT_EQ(library.resets, 1);
}

TEST_F(FirmwareDownloadTest, PciWritesEachGroupReversedAndPadsTheLastWord)
{
    const std::vector<uint8_t> bytes = Pattern(60002);
    Write(bytes);
    StatusRecorder status;
    ASSERT_TRUE(Download("pci1"));
    ASSERT_EQ(library.pciWrites.size(), (bytes.size() + 3) / 4) << "ceil(n/4) words, nothing beyond the file";
    for (size_t w = 0; w < library.pciWrites.size(); ++w) {
        uint32_t expected = 0;
        for (size_t i = 0; i < 4; ++i)
            expected = expected << 8 | (4 * w + i < bytes.size() ? bytes[4 * w + i] : 0u);
        ASSERT_EQ(library.pciWrites[w].first, expected) << w;
        ASSERT_EQ(library.pciWrites[w].second, 4 * w);
    }
    std::vector<std::string> sent;
    for (const std::string &step : status.steps)
        if (step.rfind("Sent ", 0) == 0)
            sent.push_back(step);
    EXPECT_EQ(sent, (std::vector<std::string>{"Sent 0 Bytes", "Sent 25600 Bytes", "Sent 51200 Bytes"}));
    ASSERT_FALSE(port.commands.empty());
    EXPECT_EQ(port.commands.front(), "OUTG 0");
    EXPECT_EQ(port.commands.back(), "ALLU;*OPC?");
}

TEST_F(FirmwareDownloadTest, AFailedPciWriteStopsBeforeTheFlash)
{
    Write(Pattern(8192));
    library.failWriteAt = 3;
    prompter.ExpectMessage(PromptMatch::Text("library error 10007").AndCaption(LoadString(IDS_FIRMWARE_ERROR)), IDOK);
    EXPECT_FALSE(Download("pci1"));
    EXPECT_EQ(library.pciWrites.size(), 3u);
    EXPECT_EQ(library.flashCalls, 0);
}

TEST_F(FirmwareDownloadTest, DirectPciIsRefusedTouchingNothing)
{
    Write(Pattern(8192));
    prompter.ExpectMessage(PromptMatch::Id(IDS_FIRMWARE_PCI_DIRECT_UNSUPPORTED), IDOK);
    EXPECT_FALSE(Download("pci1", true));
    EXPECT_TRUE(library.pciWrites.empty());
    EXPECT_TRUE(port.commands.empty());
}

TEST_F(FirmwareDownloadTest, GpibSendsTheFileInTheFormOfTheGeneratorsFirmware)
{
    Write(Pattern(5000));
    for (const auto &[version, mode] : {std::pair{7.039, 0}, std::pair{7.04, 1}, std::pair{7.045, 1}}) {
        library.gpibModes.clear();
        generator = std::make_unique<CGenerator>(nullptr, port.Open("gpib5:0"));
        generator->SetFirmwareVersion(version);
        CProgressDlg progress(nullptr, true);
        EXPECT_TRUE(generator->DownloadFirmware(tempDir.path(), 7.045, &progress, false));
        progress.DestroyWindow();
        EXPECT_EQ(library.gpibModes, std::vector<int32_t>{mode}) << version;
    }
    EXPECT_EQ(QString::fromStdString(library.gpibFile), QDir(tempDir.path()).filePath("firmware.bin"));
    EXPECT_EQ(library.gpibSize, 5000);
    EXPECT_FALSE(QFile::exists(QDir(tempDir.path()).filePath("firmware0.bin")));

    library.gpibResult = 0;
    prompter.ExpectMessage(PromptMatch::Text("library error 50007").AndCaption(LoadString(IDS_FIRMWARE_ERROR)), IDOK);
    EXPECT_FALSE(Download("gpib5:0")) << "a failed send is no success";
}

TEST(FirmwareIdentityTest, KindsByDigitAndKey)
{
    const struct {
        uint32_t id;
        int kind;
    } cases[] = {
        {0, 0},
        {0x910596, 1},  // key 0x96105: the first the program can program
        {0x910496, 2},  // key 0x96104
        {0x012345, 2},  // digit 0
        {0x512345, 1},  // another digit
        {0xB00050, 1},  // low byte below 0x70: the key is raised by 0x100000
        {0xD0FFFF, 1},
        {0x900070, 2},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CGenerator::FirmwareIdentityKind(c.id), c.kind) << std::hex << c.id;
}

TEST_F(FirmwareDownloadTest, IsaIdentityInBothForms)
{
    // Kind 1 goes on to look for flash parts: there are none here.
    library.parts = std::make_unique<StandInParts>(-1);
    Write(Pattern(0x80000));
    for (uint32_t id : {0x910596u, 0xB00050u, 0x512345u}) {
        SetIdentity(id);
        prompter.ExpectMessage(PromptMatch::Id(IDS_FIRMWARE_NO_FLASH), IDOK);
        EXPECT_FALSE(Download("isa0")) << std::hex << id;
    }
    for (uint32_t id : {0x910496u, 0x012345u}) {
        SetIdentity(id);
        prompter.ExpectMessage(PromptMatch::Text("ISA with VTOF"), IDOK);
        EXPECT_FALSE(Download("isa0")) << std::hex << id;
    }
    EXPECT_EQ(library.halts, 0);
}

TEST_F(FirmwareDownloadTest, IsaPartsProgrammedAndVerified)
{
    const std::vector<uint8_t> image = Pattern(0x80000, 9);
    Write(image);
    for (int type : {0, 1}) {
        SCOPED_TRACE(type);
        library.parts = std::make_unique<StandInParts>(type);
        library.inits = library.nmis = library.runs = 0;
        SetIdentity(0x910596);
        StatusRecorder status;
        ASSERT_TRUE(Download("isa0"));
        for (uint32_t n = 0; n < IsaFlashParts::kWords; ++n)
            ASSERT_EQ(library.parts->flash[n], uint16_t(image[2 * n] | image[2 * n + 1] << 8)) << n;
        EXPECT_EQ(library.parts->model.Erases(), type == 1 ? 1 : 0);
        EXPECT_EQ(library.nmis, 1);
        EXPECT_EQ(library.runs, 1);
        EXPECT_EQ(library.inits, 1);
        EXPECT_FALSE(generator->FirmwareLeftDead());
        EXPECT_EQ(status.headings.back(), LoadString(type == 0 ? IDS_FIRMWARE_PROGRAMMING_AT : IDS_FIRMWARE_PROGRAMMING_AMD).toStdString());
    }
}

TEST_F(FirmwareDownloadTest, IsaFaultsLeaveTheGeneratorForDead)
{
    const struct {
        const char *name;
        int type;
        int stuckWord;
        uint16_t stuckMask;
        bool endlessErase;
        int busySector;
        unsigned text;
        QString insert;
    } cases[] = {
        {"type 0, stuck bit", 0, 0x1234, 0x0001, false, -1, IDS_FIRMWARE_VERIFY_ERROR, "18"},
        {"type 1, stuck bit 7", 1, 0x2345, 0x0080, false, -1, IDS_FIRMWARE_PROGRAM_ERROR, "2345"},
        {"type 1, endless erase", 1, -1, 0, true, -1, IDS_FIRMWARE_PROGRAM_ERROR, "0"},
        {"type 0, sector never settles", 0, -1, 0, false, 5, IDS_FIRMWARE_PROGRAM_ERROR, "5FF"},
    };
    std::vector<uint8_t> image = Pattern(0x80000, 5);
    for (uint8_t &b : image)
        b |= 0x81; // every word has the stuck bits set, so a stuck one shows
    Write(image);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        library.parts = std::make_unique<StandInParts>(c.type);
        if (c.stuckWord >= 0)
            library.parts->Stick(uint32_t(c.stuckWord), c.stuckMask);
        if (c.endlessErase)
            library.parts->settings[IsaFlashParts::kFaults] = IsaFlashParts::kEndlessErase;
        if (c.busySector >= 0)
            library.parts->settings[IsaFlashParts::kBusySector] = uint16_t(c.busySector);
        library.inits = library.nmis = library.runs = 0;
        SetIdentity(0x910596);
        const int64_t start = port.now;
        prompter.ExpectMessage(PromptMatch::Text(FormatString(c.text, {c.insert})), IDOK);
        prompter.ExpectMessage(PromptMatch::Id(IDS_FIRMWARE_ISA_DEAD), IDOK);
        EXPECT_FALSE(Download("isa0"));
        EXPECT_TRUE(generator->FirmwareLeftDead());
        EXPECT_EQ(library.nmis, 1);
        EXPECT_EQ(library.runs, 1);
        EXPECT_EQ(library.inits, 0);
        if (c.endlessErase) {
            EXPECT_GE(port.now - start, 60000) << "the erase has its minute";
        }
        prompter.VerifyAllUsed();
    }
}

TEST_F(FirmwareDownloadTest, IsaRefusalsProgramNothing)
{
    Write(Pattern(0x40000));
    library.parts = std::make_unique<StandInParts>(0);
    SetIdentity(0x910496); // parts the program cannot program
    prompter.ExpectMessage(PromptMatch::Text("ISA with VTOF").AndCaption(QString()), IDOK);
    EXPECT_FALSE(Download("isa0"));
    SetIdentity(0);
    EXPECT_FALSE(Download("isa0")) << "no identity: nothing to do";
    SetIdentity(0x910596);
    prompter.ExpectMessage(PromptMatch::Id(IDS_FIRMWARE_BAD_SIZE), IDOK);
    EXPECT_FALSE(Download("isa0")) << "the parts take 0x80000 bytes, no fewer";
    EXPECT_EQ(library.halts, 0);
    EXPECT_FALSE(generator->FirmwareLeftDead());
}

} // namespace

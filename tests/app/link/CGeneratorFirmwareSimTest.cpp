// The serial firmware download against the simulated generator: a good
// image is flashed and the generator restarts into its version; a refused
// one flashes nothing and counts an error; a batch the receiver cancels
// keeps the old firmware and the link.

#include "CGenerator.h"

#include "CProgressDlg.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include "TestSupport.h"

#include "gensim/FirmwareImage.h"
#include "gensim/Simulator.h"

#include <morvane.h>

#include <QDir>
#include <QFile>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

namespace fw = gensim::firmware;
constexpr int kRebootMs = 150;

class FirmwareSerialSimTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        g = &sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = "31", .baudRate = 115200,
                               .link = "", .rebootMs = kRebootMs});
        sim.start();
        setenv("MORVANE_COM1", g->comPath().c_str(), 1);
        const PortId id = XR_PortOpen("com1");
        ASSERT_NE(id, 0u);
        ASSERT_EQ(XR_PortSetRate(id, 115200), 1);
        gen = std::make_unique<CGenerator>(nullptr, id);
        gen->SetFirmwareVersion(gen->QueryVerf());
    }
    void TearDown() override
    {
        gen.reset();
        unsetenv("MORVANE_COM1");
        PlatformTest::TearDown();
    }

    bool Download(const fw::Image& image)
    {
        QFile file(QDir(tempDir.path()).filePath("firmware.bin"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(image.data()), qint64(image.size()));
        file.close();
        CProgressDlg progress(nullptr, true);
        const bool ok = gen->DownloadFirmware(tempDir.path(), 7.055, &progress, false);
        progress.DestroyWindow();
        return ok;
    }

    // Past the restart: the generator answers again.
    static void WaitOutReboot() { std::this_thread::sleep_for(std::chrono::milliseconds(kRebootMs + 100)); }

    gensim::Simulator sim;
    gensim::Generator* g = nullptr;
    std::unique_ptr<CGenerator> gen;
};

TEST_F(FirmwareSerialSimTest, AGoodImageRestartsIntoItsVersion)
{
    ASSERT_TRUE(Download(fw::makeHeaderImage(7.055, 20000)));
    EXPECT_EQ(g->flashCount(), 1);
    WaitOutReboot();
    EXPECT_NEAR(gen->QueryVerf(), 7.055, 1e-9);
    EXPECT_EQ(g->firmware(), "7.055");
    EXPECT_EQ(g->errorCount(), 0);
}

TEST_F(FirmwareSerialSimTest, ARefusedImageFlashesNothing)
{
    fw::Image image = fw::makeHeaderImage(7.055, 20000);
    image[3000] ^= 0x40;
    ASSERT_TRUE(Download(image)) << "the transfer itself went through";
    WaitOutReboot();
    EXPECT_NEAR(gen->QueryVerf(), 7.011, 1e-9);
    EXPECT_EQ(g->errorCount(), 1);
    EXPECT_EQ(g->flashCount(), 1);
}

TEST_F(FirmwareSerialSimTest, ACancelledBatchKeepsTheFirmwareAndTheLink)
{
    g->ymodem().fault(gensim::YmodemFault::at(gensim::YmodemFault::Kind::CancelAt, 4));
    prompter.ExpectMessage(PromptMatch::Caption(LoadString(IDS_FIRMWARE_ERROR)), IDOK, MB_OK | MB_ICONERROR);
    EXPECT_FALSE(Download(fw::makeHeaderImage(7.055, 20000)));
    g->ymodem().clearFaults();
    std::this_thread::sleep_for(std::chrono::milliseconds(1200)); // the line settles back to commands
    gen->FlushPort();
    EXPECT_NEAR(gen->QueryVerf(), 7.011, 1e-9);
    EXPECT_TRUE(gen->LastCommandSucceeded());
    EXPECT_EQ(g->flashCount(), 0);
}

} // namespace

// The PCI path against the simulated card: the image goes through video
// memory, the card flashes itself and the reset restarts it into the image.
#include "CardSimulator.h"
#include "ScopedTimeScale.h"
#include "gensim/DriverEndpoint.h"
#include "gensim/PciCard.h"

namespace {

class FirmwarePciSimTest : public PlatformTest {
protected:
    bool Download(const fw::Image& image)
    {
        QFile file(QDir(tempDir.path()).filePath("firmware.bin"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(image.data()), qint64(image.size()));
        file.close();
        CGenerator generator(nullptr, cards.pci);
        CProgressDlg progress(nullptr, true);
        const bool ok = generator.DownloadFirmware(tempDir.path(), 7.055, &progress, false);
        progress.DestroyWindow();
        cards.pci = 0; // the connection closed the card
        return ok;
    }
    gensim::CardDci& Dci() { return cards.sim.driverEndpoint()->pciCard(0)->dci(); }

    CardSimulator cards;
};

TEST_F(FirmwarePciSimTest, TheCardFlashesAndRestartsIntoTheImage)
{
    const fw::Image image = fw::makeHeaderImage(7.055, 10002, 4);
    ASSERT_TRUE(Download(image));
    EXPECT_EQ(Dci().flashedImage(), image);
    std::this_thread::sleep_for(std::chrono::milliseconds(CardSimulator::kRebootMs + 150));
    EXPECT_EQ(cards.sim.generator(1).firmware(), "7.055");
}

TEST_F(FirmwarePciSimTest, AFlashThatNeverFinishesIsCritical)
{
    Dci().setFlashFaults({.neverFinishes = true});
    prompter.ExpectMessage(PromptMatch::Id(IDS_FIRMWARE_NOT_COMPLETED).AndCaption(LoadString(IDS_FIRMWARE_CRITICAL)), IDOK);
    {
        ScopedTimeScale fast("0.05");
        EXPECT_FALSE(Download(fw::makeHeaderImage(7.055, 4096)));
    }
    EXPECT_EQ(cards.sim.generator(1).flashCount(), 0) << "no reset, no restart";
}

TEST_F(FirmwarePciSimTest, ADirectPciPortIsRefusedWithTheCardUntouched)
{
    QFile file(QDir(tempDir.path()).filePath("firmware.bin"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const fw::Image image = fw::makeHeaderImage(7.055, 4096, 6);
    file.write(reinterpret_cast<const char*>(image.data()), qint64(image.size()));
    file.close();
    prompter.ExpectMessage(PromptMatch::Id(IDS_FIRMWARE_PCI_DIRECT_UNSUPPORTED), IDOK);
    {
        CGenerator generator(nullptr, cards.pci);
        CProgressDlg progress(nullptr, true);
        EXPECT_FALSE(generator.DownloadFirmware(tempDir.path(), 7.055, &progress, true));
        progress.DestroyWindow();
        cards.pci = 0;
    }
    prompter.VerifyAllUsed();
    EXPECT_TRUE(Dci().log().empty()) << "no call reached the card";
    EXPECT_TRUE(cards.sim.generator(1).trace().lines().empty()) << "no command either";
    EXPECT_EQ(cards.sim.generator(1).flashCount(), 0);
}

} // namespace

// The ISA path against the simulated card: the program finds the card's
// identity and flash parts through the host port, programs and verifies
// them, and the card boots what the parts hold at the interrupt that ends
// the flash. A part that fails leaves the card silent until a good image
// is flashed over a port opened directly.
#include "DriverSocketPath.h"
#include "IsaFlashParts.h"
#include "PortBackend.h"
#include "gensim/IsaCard.h"

namespace {

// The port's clock runs a thousand times fast: a bound of a minute passes
// in 60 ms, while the library's own waits keep their time.
class FastPortClock : public PortBackend {
public:
    FastPortClock() : m_start(PortBackend::NowMs()), m_previous(InstallPortBackend(this)) {}
    ~FastPortClock() override { InstallPortBackend(m_previous); }
    int64_t NowMs() override { return m_start + (PortBackend::NowMs() - m_start) * 1000; }

protected:
    bool IsLibrary() const override { return true; }

private:
    int64_t m_start;
    PortBackend* m_previous;
};

class FirmwareIsaSimTest : public PlatformTest {
protected:
    void TearDown() override
    {
        Stop();
        PlatformTest::TearDown();
    }
    void Start(uint32_t identity, int part = 0)
    {
        Stop();
        socket = std::make_unique<gensim::test::DriverSocketPath>();
        sim = std::make_unique<gensim::Simulator>();
        sim->openDriver(socket->path());
        g = &sim->addGenerator({.model = "VG-7000", .firmware = "3.05", .serial = "4", .link = "", .pty = false,
                                .isaSlot = 0, .rebootMs = kRebootMs, .isaIdentity = identity, .flashPart = part});
        sim->start();
    }
    void Stop()
    {
        g = nullptr;
        sim.reset();
        socket.reset();
    }
    gensim::IsaCard& Card() { return *sim->driverEndpoint()->isaCard(0); }

    // Opens isa0 as the tool's direct row does and downloads image over it.
    bool Download(const fw::Image& image)
    {
        QFile file(QDir(tempDir.path()).filePath("firmware.bin"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(image.data()), qint64(image.size()));
        file.close();
        const PortId port = IsaOpen("isa0");
        EXPECT_NE(port, 0u) << XR_PortGetError();
        CGenerator generator(nullptr, port); // closes the card when it goes
        CProgressDlg progress(nullptr, true);
        const bool ok = generator.DownloadFirmware(tempDir.path(), 3.06, &progress, true);
        progress.DestroyWindow();
        dead = generator.FirmwareLeftDead();
        return ok;
    }
    bool FlashHolds(const fw::Image& image)
    {
        for (uint32_t n = 0; n < driver::IsaFlashParts::kWords; ++n)
            if (Card().flashWord(n) != uint16_t(image[2 * n] | image[2 * n + 1] << 8))
                return false;
        return true;
    }
    // The generator's answer over the card once its restart is over; 0 when
    // it does not answer.
    double AskedVersion()
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(kRebootMs + 150));
        const PortId port = XR_PortOpen("isa0");
        if (port == 0)
            return 0;
        char reply[64] = {};
        const int n = XR_PortSendCommand(port, "VERF?", reply, sizeof reply);
        XR_PortClose(port);
        return n > 0 ? std::atof(reply) : 0;
    }

    std::unique_ptr<gensim::test::DriverSocketPath> socket;
    std::unique_ptr<gensim::Simulator> sim;
    gensim::Generator* g = nullptr;
    bool dead = false;
};

TEST_F(FirmwareIsaSimTest, BothPartTypesAreProgrammedVerifiedAndBooted)
{
    for (int part : {0, 1}) {
        SCOPED_TRACE(part);
        Start(0x910596, part);
        const fw::Image image = fw::makeIsaImage(3.06, 11 + unsigned(part));
        ASSERT_TRUE(Download(image));
        EXPECT_TRUE(FlashHolds(image));
        EXPECT_FALSE(dead);
        EXPECT_EQ(g->flashCount(), 1);
        EXPECT_NEAR(AskedVersion(), 3.06, 1e-9);
        EXPECT_EQ(g->firmware(), "3.06");
    }
}

TEST_F(FirmwareIsaSimTest, IdentityKindsInBothForms)
{
    const struct {
        uint32_t identity;
        int kind;
    } cases[] = {
        {0x000000, 0},
        {0x910596, 1}, // short form
        {0x512345, 1}, // six nibbles
        {0x910496, 2}, // short form, key below the parts the program knows
        {0x012345, 2}, // six nibbles, digit 0
    };
    const fw::Image image = fw::makeIsaImage(3.06, 5);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.identity));
        Start(c.identity);
        if (c.kind == 2)
            prompter.ExpectMessage(PromptMatch::Text("ISA with VTOF").AndCaption(QString()), IDOK);
        EXPECT_EQ(Download(image), c.kind == 1);
        prompter.VerifyAllUsed();
        EXPECT_EQ(FlashHolds(image), c.kind == 1);
        EXPECT_EQ(g->flashCount(), c.kind == 1 ? 1 : 0);
        EXPECT_FALSE(dead);
    }
}

TEST_F(FirmwareIsaSimTest, AFailedPartLeavesTheCardSilentUntilAGoodFlash)
{
    const struct {
        const char* name;
        int part;
        uint32_t stuckWord;
        uint16_t stuckMask;
        unsigned text;
        QString insert;
    } cases[] = {
        {"type 0, stuck bit 0", 0, 0x1234, 0x0001, IDS_FIRMWARE_VERIFY_ERROR, "18"},
        {"type 1, stuck bit 7", 1, 0x2345, 0x0080, IDS_FIRMWARE_PROGRAM_ERROR, "2345"},
    };
    fw::Image image = fw::makeIsaImage(3.06, 7);
    for (size_t i = 0; i < fw::kIsaVersionAt; ++i)
        image[i] |= 0x81; // every word has the stuck bits set, so a stuck one shows
    fw::resumIsa(image);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Start(0x910596, c.part);
        gensim::CardFaults faults;
        faults.flash.stuckWord = c.stuckWord;
        faults.flash.stuckMask = c.stuckMask;
        Card().setFaults(faults);
        prompter.ExpectMessage(PromptMatch::Text(FormatString(c.text, {c.insert})), IDOK);
        prompter.ExpectMessage(PromptMatch::Id(IDS_FIRMWARE_ISA_DEAD), IDOK);
        EXPECT_FALSE(Download(image));
        prompter.VerifyAllUsed();
        EXPECT_TRUE(dead);
        EXPECT_TRUE(Card().firmwareDead()) << "the parts hold no image the firmware takes";
        EXPECT_EQ(g->errorCount(), 1);
        {
            ScopedTimeScale fast("0.1"); // the silence is what is waited for
            EXPECT_EQ(AskedVersion(), 0) << "the channel is silent";
        }

        // The part mended, a port opened directly flashes it again.
        Card().setFaults({});
        ASSERT_TRUE(Download(image));
        EXPECT_FALSE(Card().firmwareDead());
        EXPECT_NEAR(AskedVersion(), 3.06, 1e-9);
    }
}

TEST_F(FirmwareIsaSimTest, AnEndlessEraseEndsAtItsBound)
{
    Start(0x910596, 1);
    gensim::CardFaults faults;
    faults.flash.endlessErase = true;
    Card().setFaults(faults);
    prompter.ExpectMessage(PromptMatch::Text(FormatString(IDS_FIRMWARE_PROGRAM_ERROR, {"0"})), IDOK);
    prompter.ExpectMessage(PromptMatch::Id(IDS_FIRMWARE_ISA_DEAD), IDOK);
    const auto start = std::chrono::steady_clock::now();
    {
        FastPortClock clock;
        EXPECT_FALSE(Download(fw::makeIsaImage(3.06, 8)));
    }
    const auto waited = std::chrono::steady_clock::now() - start;
    prompter.VerifyAllUsed();
    EXPECT_GE(waited, std::chrono::milliseconds(60)) << "the erase had its minute on the port's clock";
    EXPECT_TRUE(dead);
}

TEST_F(FirmwareIsaSimTest, AnUnknownPartIsNotProgrammed)
{
    Start(0x910596, 0);
    gensim::CardFaults faults;
    faults.flash.unknownId = true;
    Card().setFaults(faults);
    prompter.ExpectMessage(PromptMatch::Id(IDS_FIRMWARE_NO_FLASH), IDOK);
    const fw::Image image = fw::makeIsaImage(3.06, 9);
    EXPECT_FALSE(Download(image));
    EXPECT_FALSE(FlashHolds(image));
    EXPECT_FALSE(dead) << "nothing was touched";
    EXPECT_NEAR(AskedVersion(), 3.05, 1e-9);
}

} // namespace

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

} // namespace

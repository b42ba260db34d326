// The program's own card access through the kernel driver: against the
// simulator's driver, and as a routine reaches it (on the port thread,
// through the one installed).

#include "CardSimulator.h"
#include "KernelDriverAccess.h"
#include "LinkRoutines.h"
#include "PortWorker.h"
#include "ToolLibrary.h"

#include "TestSupport.h"

#include <atomic>

namespace {

class KernelDriverAccessTest : public PlatformTest {};

TEST_F(KernelDriverAccessTest, WithoutADriverNothingOpens)
{
    gensim::test::DriverSocketPath nobodyListens;
    KernelDriverAccess access;
    EXPECT_FALSE(access.WinDriverOpen());
    EXPECT_EQ(access.PciCardOpen(false), 0u);
}

// The simulator's PCI card is a generator card, not the maker's stream card
// the id search looks for; a card held by another holder (the port library
// here) is refused.
TEST_F(KernelDriverAccessTest, OpensTheFirstCardOfTheVendorThatNoOneElseHolds)
{
    CardSimulator cards(false);
    KernelDriverAccess access;
    EXPECT_TRUE(access.WinDriverOpen());
    EXPECT_EQ(access.PciCardOpen(true), 0u);
    const uint32_t card = access.PciCardOpen(false);
    ASSERT_NE(card, 0u);
    EXPECT_EQ(PciOpen("pci1"), 0u);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_PCI_REGISTER);
    EXPECT_EQ(access.PciCardOpen(false), 0u);
    access.PciCardClose(card);
    const PortId port = PciOpen("pci1");
    EXPECT_NE(port, 0u);
    EXPECT_EQ(access.PciCardOpen(false), 0u);
    PciClose(port);
    const uint32_t again = access.PciCardOpen(false);
    EXPECT_NE(again, 0u);
    access.PciCardClose(again);
}

TEST_F(KernelDriverAccessTest, ATransferToACardNotHeldFails)
{
    CardSimulator cards(false);
    KernelDriverAccess access;
    const uint8_t bytes[4] = {1, 2, 3, 4};
    EXPECT_EQ(access.PciCardTransfer(12345, bytes, 4), -1);
}

// Stands in for the driver and notes where it was asked.
class RecordingDriver : public KernelDriverAccess {
public:
    RecordingDriver() : m_previous(InstallKernelDriver(this)) {}
    ~RecordingDriver() override { InstallKernelDriver(m_previous); }
    uint32_t PciCardOpen(bool searchIds) override
    {
        onPortThread = PortWorker::OnPortThread();
        searched = searchIds;
        return 7;
    }
    int PciCardTransfer(uint32_t card, const uint8_t *, int count) override { return card == 7 ? count : -1; }

    std::atomic<bool> onPortThread{false};
    std::atomic<bool> searched{false};

private:
    KernelDriverAccess *m_previous;
};

TEST_F(KernelDriverAccessTest, ARoutineReachesTheInstalledDriverOnThePortThread)
{
    RecordingDriver driver;
    int sent = 0;
    ASSERT_TRUE(LinkRoutines::Run(0, [&](ToolLibrary &lib) {
        const uint8_t block[512] = {};
        const uint32_t card = lib.Driver().PciCardOpen(true);
        sent = lib.Driver().PciCardTransfer(card, block, sizeof block);
    }));
    EXPECT_TRUE(driver.onPortThread);
    EXPECT_TRUE(driver.searched);
    EXPECT_EQ(sent, 512);
}

} // namespace

#pragma once
// The program's own card access through the kernel driver, beside the port
// library: a PCI card registered by the program and fed in large block
// transfers (the Image Download tool's card stream). Like the library it is
// an outside channel: only a routine calls it, on the port thread, through
// ToolLibrary::Driver(). A test installs its own (InstallKernelDriver).
//
// Production talks to the driver itself (driver::DriverClient), one
// connection per card it holds; the program links the driver client here
// and nowhere else.

#include <cstdint>
#include <memory>
#include <string>

class KernelDriverAccess
{
public:
    // The cards' vendor, and the device id of the maker's card the search
    // looks for.
    static constexpr uint32_t kVendorId = 0x1F3A;
    static constexpr uint32_t kCardDeviceId = 0x5C21;
    // The driver's transfer kind of a block to the card.
    static constexpr uint32_t kBlockToCard = 6;

    KernelDriverAccess();
    virtual ~KernelDriverAccess();
    KernelDriverAccess(const KernelDriverAccess&) = delete;
    KernelDriverAccess& operator=(const KernelDriverAccess&) = delete;

    // Whether the driver answers with a version that has the card operations.
    virtual bool WinDriverOpen();
    // Registers the first card the driver finds of the vendor (searchIds:
    // only the maker's card); its handle, 0 when there is none or the driver
    // refused it.
    virtual uint32_t PciCardOpen(bool searchIds);
    // Sends count bytes to card: the bytes it took, -1 on failure.
    virtual int PciCardTransfer(uint32_t card, const uint8_t* bytes, int count);
    // Releases card; nothing for a card not held.
    virtual void PciCardClose(uint32_t card);
    // Why the last PciCardOpen's register step held no card ("Failed opening
    // WinDriver device\n", "Incorrect WinDriver version\n", "Could not open
    // device\n"); empty when it held one or found none to register.
    const std::string& LastErrorText() const { return m_lastError; }

private:
    struct Cards;
    std::unique_ptr<Cards> m_cards; // the connections of the cards held, by handle
    std::string m_lastError;
};

// The driver access in use: the one installed last, else the driver's.
KernelDriverAccess& InstalledKernelDriver();
// Installs access (not owned); nullptr restores the driver's. Returns the one
// installed before (nullptr: the driver's).
KernelDriverAccess* InstallKernelDriver(KernelDriverAccess* access);

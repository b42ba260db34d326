#pragma once
// The library calls of a generator connection, behind one small interface so
// that tests can answer for the port. Production uses the library itself.

#include <morvane.h>

#include <cstdint>

class PortBackend
{
public:
    virtual ~PortBackend() = default;

    virtual PortId Open(const char* spec) { return XR_PortOpen(spec); }
    virtual int32_t Close(PortId id) { return XR_PortClose(id); }
    virtual int32_t IsShutDown(PortId id) { return XR_PortIsShutDown(id); }
    virtual int32_t IsCharAvailable(PortId id) { return XR_PortIsCharAvailable(id); }
    virtual int32_t Flush(PortId id) { return XR_PortFlush(id); }
    virtual int32_t PutChar(PortId id, int32_t c) { return XR_PortPutChar(id, c); }
    virtual int32_t GetChar(PortId id) { return XR_PortGetChar(id); }
    virtual int32_t SendCommand(PortId id, const char* command, char* reply, int32_t length)
    {
        return XR_PortSendCommand(id, command, reply, length);
    }
    virtual int32_t GetError() { return XR_PortGetError(); }
    // text holds at least MORVANE_ERROR_TEXT_SIZE bytes.
    virtual char* GetErrorMsg(int32_t code, char* text) { return XR_PortGetErrorMsg(code, text); }
    virtual int32_t SetRate(PortId id, int32_t rate) { return XR_PortSetRate(id, rate); }
    virtual int32_t GetRate(PortId id) { return XR_PortGetRate(id); }
    virtual int32_t CountPciCards() { return XR_PortCountPciCards(); }
    virtual int32_t ForceInit(uint32_t type, int32_t number) { return XR_PortForceInit(type, number); }
    virtual double LibraryVersion() { return XR_PortLibraryVersion(); }
    // Ends every wait of the library at once, the one of a call in progress
    // included, until called with false. Called on any thread, never
    // through the port thread: the call it ends is running there.
    virtual void CancelWaits(bool on) { XR_PortCancelWaits(on ? 1 : 0); }

    // 1 once a received character waits, 0 after ms. The library blocks on
    // the line (a hung-up line ends the wait with its error); a stand-in
    // that answers characters itself polls them on its own clock.
    virtual int32_t WaitForChar(PortId id, int32_t ms);
    // 1 when all length characters were put; a stand-in puts them one by one.
    virtual int32_t PutBlock(PortId id, const uint8_t* data, int32_t length);

    // The clock of the raw character waits and of CGenerator::Delay.
    virtual int64_t NowMs();
    virtual void Pause(int ms);

protected:
    // True for the library's own backend: it waits and writes in the library.
    virtual bool IsLibrary() const { return false; }
};

// The backend in use (the one installed last, else the library's), each of
// its calls run on the port thread (defined with it, PortWorker.cpp).
PortBackend& Port();
// The backend in use itself, called on the caller's thread.
PortBackend& InstalledPort();
// True while no backend is installed: the library itself answers.
bool LibraryPortInUse();
// Installs backend (not owned); nullptr restores the library's. Returns the
// one installed before (nullptr: the library's).
PortBackend* InstallPortBackend(PortBackend* backend);

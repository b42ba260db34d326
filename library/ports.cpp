// The XR_Port front: spec parsing, the dispatch of an id to its transport,
// and the exports that are neither protocol nor alias.
#include <cstring>
#include <strings.h>

#include "WaitCancel.h"
#include "internal.h"

namespace morvane {

bool HasPrefixNoCase(const char* text, const char* prefix)
{
    return text != nullptr && strncasecmp(text, prefix, std::strlen(prefix)) == 0;
}

Transport* TransportOf(PortId id)
{
    switch (id & MORVANE_PORT_TYPE_MASK) {
    case MORVANE_PORT_ISA:
        return &IsaPort();
    case MORVANE_PORT_COM:
        return &ComPort();
    case MORVANE_PORT_PCI:
        return &PciPort();
    case MORVANE_PORT_GPIB:
        return &GpibPort();
    default:
        SetPortError(MORVANE_E_PORT_TYPE);
        return nullptr;
    }
}

namespace {

// The transports in the order specs are tried, by XR_PortOpen and
// XR_PortIsValidSpec alike. The forms do not overlap; only the PCI test has
// a side effect (it opens the driver connection), and it is reached only
// by a spec of none of the forms before it.
Transport* const kSpecOrder[] = {&IsaPort(), &ComPort(), &PciPort(), &GpibPort()};

Transport* TransportOfSpec(const char* spec)
{
    if (spec == nullptr)
        return nullptr;
    for (Transport* transport : kSpecOrder)
        if (transport->IsSpec(spec))
            return transport;
    return nullptr;
}

// A PCI spec that could not be checked because the driver is missing keeps
// the driver's code instead of "no known form".
bool IsPciSpecWithoutDriver(const char* spec)
{
    return PciHasPrefix(spec)
        && (LastPortError == MORVANE_E_PCI_DRIVER || LastPortError == MORVANE_E_PCI_DRIVER_VERSION);
}

}  // namespace

}  // namespace morvane

using namespace morvane;

extern "C" {

MORVANE_API double XR_PortLibraryVersion(void)
{
    return MORVANE_VERSION;
}

MORVANE_API int32_t XR_PortIsValidSpec(const char* spec)
{
    return TransportOfSpec(spec) != nullptr;
}

MORVANE_API PortId XR_PortOpen(const char* spec)
{
    SetPortError(MORVANE_OK);
    Transport* transport = TransportOfSpec(spec);
    if (transport == nullptr) {
        if (!IsPciSpecWithoutDriver(spec))
            SetPortError(MORVANE_E_PORT_TYPE);
        return 0;
    }
    PortId id = transport->Open(spec);
    if (id == 0)
        return 0;
    // A silent generator still leaves the port open: the caller may retry
    // the handshake at another line speed.
    if (XR_PortIsShutDown(id))
        SetPortError(MORVANE_E_HANDSHAKE);
    return id;
}

MORVANE_API int32_t XR_PortClose(PortId id)
{
    SetPortError(MORVANE_OK);
    Transport* transport = TransportOf(id);
    return transport != nullptr && transport->Close(id);
}

MORVANE_API int32_t XR_PortIsCharAvailable(PortId id)
{
    SetPortError(MORVANE_OK);
    Transport* transport = TransportOf(id);
    return transport != nullptr && transport->IsCharAvailable(id);
}

MORVANE_API int32_t XR_PortFlush(PortId id)
{
    SetPortError(MORVANE_OK);
    Transport* transport = TransportOf(id);
    return transport != nullptr && transport->Flush(id);
}

MORVANE_API int32_t XR_PortPutChar(PortId id, int32_t character)
{
    SetPortError(MORVANE_OK);
    Transport* transport = TransportOf(id);
    return transport != nullptr && transport->PutChar(id, static_cast<uint8_t>(character & 0xFF));
}

MORVANE_API int32_t XR_PortGetChar(PortId id)
{
    SetPortError(MORVANE_OK);
    Transport* transport = TransportOf(id);
    return transport != nullptr ? transport->GetChar(id) : 0;
}

MORVANE_API int32_t XR_PortWaitForChar(PortId id, int32_t milliseconds)
{
    SetPortError(MORVANE_OK);
    Transport* transport = TransportOf(id);
    return transport != nullptr && transport->AwaitChar(id, milliseconds > 0 ? milliseconds : 0);
}

MORVANE_API int32_t XR_PortPutBlock(PortId id, const uint8_t* data, int32_t length)
{
    SetPortError(MORVANE_OK);
    if (length < 0 || (data == nullptr && length > 0)) {
        SetPortError(MORVANE_E_COMMAND_INVALID);
        return 0;
    }
    Transport* transport = TransportOf(id);
    return transport != nullptr && transport->PutBlock(id, data, static_cast<size_t>(length));
}

MORVANE_API void XR_PortCancelWaits(int32_t on)
{
    driver::SetWaitsCancelled(on != 0);
}

MORVANE_API int32_t XR_PortValidateId(PortId id)
{
    SetPortError(MORVANE_OK);
    Transport* transport = TransportOf(id);
    return transport != nullptr && transport->ValidateId(id);
}

MORVANE_API int32_t XR_PortPrepare(PortId id)
{
    SetPortError(MORVANE_OK);
    Transport* transport = TransportOf(id);
    return transport != nullptr && transport->Select(id);
}

MORVANE_API int32_t XR_PortInitialize(PortId id)
{
    SetPortError(MORVANE_OK);
    if ((id & MORVANE_PORT_TYPE_MASK) == MORVANE_PORT_ISA)
        return IsaInitialize(id);
    XR_PortSendCommand(id, "INIT", nullptr, 0);
    return LastPortError == MORVANE_OK;
}

MORVANE_API int32_t XR_PortForceInit(uint32_t type, int32_t n)
{
    SetPortError(MORVANE_OK);
    if (type == MORVANE_PORT_PCI)
        return PciForceInit(n);
    if (type != MORVANE_PORT_ISA) {
        SetPortError(MORVANE_E_PORT_TYPE);
        return 0;
    }
    return IsaForceInit(n);
}

MORVANE_API int32_t XR_PortSetRate(PortId id, int32_t rate)
{
    SetPortError(MORVANE_OK);
    if ((id & MORVANE_PORT_TYPE_MASK) != MORVANE_PORT_COM) {
        SetPortError(MORVANE_E_PORT_TYPE);
        return 0;
    }
    return ComSetRate(id, rate);
}

MORVANE_API int32_t XR_PortGetRate(PortId id)
{
    SetPortError(MORVANE_OK);
    if ((id & MORVANE_PORT_TYPE_MASK) != MORVANE_PORT_COM) {
        SetPortError(MORVANE_E_PORT_TYPE);
        return 0;
    }
    return ComGetRate(id);
}

MORVANE_API int32_t XR_PortCountPciCards(void)
{
    SetPortError(MORVANE_OK);
    return PciFoundCount();
}

}  // extern "C"

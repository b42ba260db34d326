// The old flat exports: one implicit port, results mostly as error codes.
#include <cstring>

#include "internal.h"

namespace morvane {
namespace {

PortId AliasPort = 0;
// Replies are read here first, then copied to the caller.
char AliasBuffer[MORVANE_ALIAS_BUFFER_SIZE];

void CopyReply(char* reply, int32_t stored)
{
    if (stored < 0)
        stored = 0;
    std::memcpy(reply, AliasBuffer, static_cast<size_t>(stored));
    reply[stored] = '\0';
}

}  // namespace
}  // namespace morvane

using namespace morvane;

extern "C" {

MORVANE_API double port_libvers(void)
{
    return XR_PortLibraryVersion();
}

MORVANE_API int32_t port_isportspec(const char* spec)
{
    return XR_PortIsValidSpec(spec);
}

MORVANE_API int32_t port_open(const char* spec)
{
    if (AliasPort != 0 && !XR_PortClose(AliasPort)) {
        AliasPort = 0;
        return LastPortError;
    }
    AliasPort = XR_PortOpen(spec);
    return LastPortError;
}

MORVANE_API int32_t port_close(void)
{
    int32_t closed = XR_PortClose(AliasPort);
    AliasPort = 0;
    return closed;
}

MORVANE_API int32_t port_shutdown(void)
{
    return XR_PortIsShutDown(AliasPort);
}

MORVANE_API int32_t port_init(void)
{
    XR_PortInitialize(AliasPort);
    return LastPortError;
}

MORVANE_API int32_t port_avail(void)
{
    return XR_PortIsCharAvailable(AliasPort);
}

MORVANE_API int32_t port_flush(void)
{
    return XR_PortFlush(AliasPort);
}

MORVANE_API int32_t port_putc(int32_t character)
{
    return XR_PortPutChar(AliasPort, character);
}

MORVANE_API int32_t port_getc(void)
{
    return XR_PortGetChar(AliasPort);
}

MORVANE_API int32_t port_command(const char* command, char* reply)
{
    if (reply == nullptr) {
        XR_PortSendCommand(AliasPort, command, nullptr, 0);
        return LastPortError;
    }
    int32_t stored = XR_PortSendCommand(AliasPort, command, AliasBuffer, sizeof AliasBuffer);
    CopyReply(reply, stored);
    return LastPortError;
}

MORVANE_API int32_t port_response(char* reply)
{
    if (reply == nullptr) {
        SetPortError(MORVANE_E_BUFFER_TOO_SMALL);
        return LastPortError;
    }
    int32_t stored = XR_PortGetResponse(AliasPort, AliasBuffer, sizeof AliasBuffer);
    CopyReply(reply, stored);
    return LastPortError;
}

MORVANE_API int32_t port_geterror(void)
{
    return XR_PortGetError();
}

MORVANE_API int32_t isa_forceinit(int32_t n)
{
    return XR_PortForceInit(MORVANE_PORT_ISA, n);
}

MORVANE_API char* PortErrMsg(char* text)
{
    return XR_PortGetErrorMsg(LastPortError, text);
}

}  // extern "C"

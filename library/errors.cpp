// The error texts and the error code exports.
#include <cstring>

#include "internal.h"

namespace morvane {

int32_t LastPortError = MORVANE_OK;

namespace {

struct ErrorText {
    int32_t code;
    const char* text;
};

// Codes without a row (10006, 10007, 10008 among them) have no text.
constexpr ErrorText kErrorTexts[] = {
    {0, "No error"},
    {1000, "Communication handshake failed. Make sure a generator is connected to the port and that it is powered on."},
    {2000, "The given port ID did not specify a valid port type."},
    {3000, "The Direct Call Interface is not supported on the specified port."},
    {10000, "The port did not echo a sent character in the required minimum time."},
    {10001, "The port echoed a character that was different from the sent character."},
    {10002, "The port did not acknowledge a sent command string."},
    {10003, "The sent command string was invalid."},
    {10004, "An error occured while executing a command."},
    {10005, "The given command string was too long.  Command strings must be less than 256 characters in length."},
    {20000, "The given port ID did not specify a valid ISA port."},
    {20001, "The given port ID specifies a closed ISA port.  The port must be opened before it can be used."},
    {20002, "The specified ISA port is not responding."},
    {20003, "The given port specification does not specify an ISA port."},
    {20004, "The ISA port number in the given spec is out of range."},
    {20005, "Internal ISA hardware mapping failed."},
    {20006, "The specified ISA port is already open."},
    {30000, "The given port specification does not specify a COM port."},
    {30001, "The COM port number in the given spec is out of range."},
    {30002, "Internal COM interface creation failed."},
    {30003, "Unable to change the COM port interface baud rate."},
    {30004, "The given baud rate is not allowed."},
    {30005, "The given port ID does not specify a COM port."},
    {30006, "The given port ID specifies a closed COM port.  The port must be opened before it can be used."},
    {30007, "The specified COM port is already open."},
    {40000, "The given port id does not specify a PCI port."},
    {40001, "The specified PCI port has not been opened yet."},
    {40002, "The PCI kernel driver could not be loaded."},
    {40003, "Invalid PCI kernel driver version detected."},
    {40004, "The given port specification does not specify a PCI port."},
    {40005, "The PCI port number in the given spec is out of range"},
    {40006, "The specified PCI port is already open."},
    {40007, "The maximum number of allowed PCI ports are already open."},
    {40008, "Unable to register the card with the PCI driver."},
    {40009, "Unable to initialize the DMA interface."},
    {40010, "Invalid remap memory Id."},
    {50000, "The given port specification does not specify a GPIB port."},
    {50001, "The given port id does not specify a GPIB port."},
    {50002, "The specified GPIB port has not been opened."},
    {50003, "The specified GPIB port is already open."},
    {50004, "The maximum number of allowed GPIB ports are already open."},
    {50005, "Unable to open the specified GPIB port."},
    {50006, "The GPIB status indicates an error occured."},
    {50007, "Could not initiate or complete a buffer transfer."},
};

const char* TextOf(int32_t code)
{
    for (const ErrorText& row : kErrorTexts)
        if (row.code == code)
            return row.text;
    return "";
}

}  // namespace

}  // namespace morvane

using namespace morvane;

extern "C" {

MORVANE_API int32_t XR_PortGetError(void)
{
    return LastPortError;
}

MORVANE_API char* XR_PortGetErrorMsg(int32_t code, char* text)
{
    if (text == nullptr)
        return nullptr;
    const char* source = TextOf(code);
    size_t length = std::strlen(source);
    if (length > MORVANE_ERROR_TEXT_SIZE - 1)
        length = MORVANE_ERROR_TEXT_SIZE - 1;
    std::memcpy(text, source, length);
    text[length] = '\0';
    return text;
}

}  // extern "C"

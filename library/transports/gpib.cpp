// GPIB devices, reached through the GPIB library loaded on first use.
#include <cstring>

#include "internal.h"

namespace morvane {

namespace {

constexpr uint32_t kGpibDevices = 20;
constexpr int kStatusErr = 0x8000;
constexpr int kMaxAddress = 30;

// Status copies of the last bus call.
struct BusStatus {
    int status = 0;
    int error = 0;
    long count = 0;
};
BusStatus Bus;

// Loads and checks the GPIB library. The binding is not built yet, so
// every bus call fails as it does on a system without the library.
bool GpibBind()
{
    return false;
}

void FailBinding()
{
    Bus.status = kStatusErr;
    Bus.error = 0;
    Bus.count = 0;
}

int IbDev(int /*board*/, int /*address*/)
{
    if (!GpibBind()) {
        FailBinding();
        return -1;
    }
    return -1;
}

int IbWrt(int /*descriptor*/, const void* /*data*/, long /*count*/)
{
    if (!GpibBind())
        FailBinding();
    return Bus.status;
}

int IbRd(int /*descriptor*/, void* /*buffer*/, long /*count*/)
{
    if (!GpibBind())
        FailBinding();
    return Bus.status;
}

bool Failed(int status)
{
    return (status & kStatusErr) != 0;
}

// Reads decimal digits only, so "5x" or "-1" do not pass for numbers.
bool ReadNumber(const char* begin, const char* end, int* value)
{
    if (begin == end || end - begin > 9)
        return false;
    int number = 0;
    for (const char* p = begin; p != end; ++p) {
        if (*p < '0' || *p > '9')
            return false;
        number = number * 10 + (*p - '0');
    }
    *value = number;
    return true;
}

struct GpibDevice {
    bool inUse = false;
    int descriptor = -1;
    int address = 0;
    int board = 0;
};

class GpibTransport final : public Transport {
public:
    bool IsSpec(const char* spec) override
    {
        int address = 0;
        int board = 0;
        return GpibParseSpec(spec, &address, &board);
    }

    PortId Open(const char* spec) override;

    bool Select(PortId id) override
    {
        if (!ValidateId(id))
            return false;
        current_ = devices_[SlotOf(id)].descriptor;
        return true;
    }

    bool ValidateId(PortId id) override
    {
        uint32_t index = SlotOf(id);
        if (index >= kGpibDevices) {
            SetPortError(MORVANE_E_GPIB_BAD_ID);
            return false;
        }
        if (!devices_[index].inUse) {
            SetPortError(MORVANE_E_GPIB_CLOSED);
            return false;
        }
        return true;
    }

    bool Close(PortId id) override
    {
        SetPortError(MORVANE_OK);
        if (!ValidateId(id))
            return false;
        devices_[SlotOf(id)].inUse = false;
        --count_;
        return true;
    }

    bool Flush(PortId id) override
    {
        SetPortError(MORVANE_OK);
        return ValidateId(id);
    }

    // Bus characters cannot be polled.
    bool IsCharAvailable(PortId id) override
    {
        Selected(id);
        return false;
    }

    bool PutChar(PortId id, uint8_t character) override
    {
        if (!Selected(id))
            return false;
        if (Failed(IbWrt(current_, &character, 1))) {
            SetPortError(MORVANE_E_GPIB_STATUS);
            return false;
        }
        return true;
    }

    uint8_t GetChar(PortId id) override
    {
        uint8_t character = 0;
        if (!Selected(id))
            return 0;
        if (Failed(IbRd(current_, &character, 1))) {
            SetPortError(MORVANE_E_GPIB_STATUS);
            return 0;
        }
        return character;
    }

    bool WaitForInput(PortId, int) override { return false; }

    bool Selected(PortId id)
    {
        SetPortError(MORVANE_OK);
        return Select(id);
    }

    int Current() const { return current_; }

private:
    GpibDevice devices_[kGpibDevices];
    uint32_t count_ = 0;
    int current_ = -1;
};

PortId GpibTransport::Open(const char* spec)
{
    SetPortError(MORVANE_OK);
    if (count_ == kGpibDevices) {
        SetPortError(MORVANE_E_GPIB_TOO_MANY);
        return 0;
    }
    int address = 0;
    int board = 0;
    if (!GpibParseSpec(spec, &address, &board)) {
        SetPortError(MORVANE_E_GPIB_BAD_SPEC);
        return 0;
    }
    for (const GpibDevice& device : devices_) {
        if (device.inUse && device.address == address && device.board == board) {
            SetPortError(MORVANE_E_GPIB_OPEN);
            return 0;
        }
    }
    int descriptor = IbDev(board, address);
    if (descriptor < 0) {
        SetPortError(MORVANE_E_GPIB_DEVICE);
        return 0;
    }
    for (uint32_t index = 0; index < kGpibDevices; ++index) {
        GpibDevice& device = devices_[index];
        if (!device.inUse) {
            device = {true, descriptor, address, board};
            ++count_;
            return MORVANE_PORT_GPIB + index;
        }
    }
    return 0;
}

GpibTransport& TheGpibTransport()
{
    static GpibTransport transport;
    return transport;
}

// The reply up to the line end. The reader that joins chunks comes with
// the library binding; until then every read fails, which ends the reply
// with nothing read.
int32_t GpibReadReply(char* reply, uint32_t length)
{
    reply[0] = '\0';
    char chunk[200];
    uint32_t room = length - 2;
    IbRd(TheGpibTransport().Current(), chunk, room < sizeof chunk ? room : sizeof chunk);
    return 0;
}

}  // namespace

Transport& GpibPort()
{
    return TheGpibTransport();
}

bool GpibParseSpec(const char* spec, int* address, int* board)
{
    if (!HasPrefixNoCase(spec, "gpib"))
        return false;
    const char* colon = std::strchr(spec + 4, ':');
    if (colon == nullptr || colon - (spec + 4) > 2)
        return false;
    return ReadNumber(spec + 4, colon, address) && *address <= kMaxAddress
        && ReadNumber(colon + 1, colon + std::strlen(colon), board);
}

int32_t GpibSendCommand(PortId id, const char* command, char* reply, int32_t length)
{
    GpibTransport& gpib = TheGpibTransport();
    if (!gpib.Selected(id))
        return 0;
    if (Failed(IbWrt(gpib.Current(), command, static_cast<long>(std::strlen(command))))) {
        SetPortError(MORVANE_E_GPIB_STATUS);
        return 0;
    }
    if (reply == nullptr)
        return 0;
    if (length < MORVANE_MIN_REPLY_BUFFER) {
        SetPortError(MORVANE_E_BUFFER_TOO_SMALL);
        return 0;
    }
    return GpibReadReply(reply, static_cast<uint32_t>(length));
}

int32_t GpibGetResponse(PortId id, char* reply, uint32_t length)
{
    if (!TheGpibTransport().Selected(id))
        return 0;
    return GpibReadReply(reply, length);
}

bool GpibIsShutDown(PortId id)
{
    GpibTransport& gpib = TheGpibTransport();
    if (!gpib.ValidateId(id) || !gpib.Select(id))
        return true;
    if (Failed(IbWrt(gpib.Current(), "verf?", 5)))
        return true;
    char reply[50];
    return GpibReadReply(reply, sizeof reply) == 0;
}

}  // namespace morvane

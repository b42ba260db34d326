// GPIB devices, reached through the GPIB library loaded on first use.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>

#include "WaitCancel.h"
#include "gpib_reply.h"
#include "internal.h"

namespace morvane {

namespace {

constexpr uint32_t kGpibDevices = 20;
constexpr int kStatusErr = 0x8000;
constexpr int kMaxAddress = 30;
// Time-out codes of the bus library: 300 ms for commands, 1000 s for files.
constexpr int kTimeoutNormal = 10;
constexpr int kTimeoutFile = 17;
constexpr char kHandshakeQuery[] = "verf?";
constexpr uint32_t kHandshakeBuffer = 50;

constexpr char kDefaultLibrary[] = "libgpib32.so";
// The notice of the bus library we support; only its year may differ.
constexpr char kGpibNotice[] = "IEEE 488.2 bus library. Copyright 1998.";

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Where the year stands in our notice: its first run of four digits.
constexpr size_t YearOf(const char* notice)
{
    for (size_t i = 0; notice[i] != '\0'; ++i) {
        size_t run = 0;
        while (notice[i + run] >= '0' && notice[i + run] <= '9')
            ++run;
        if (run == 4)
            return i;
        i += run;
    }
    return 0;
}
constexpr size_t kNoticeYear = YearOf(kGpibNotice);
static_assert(kNoticeYear > 0, "the notice carries a year");

// The exported notice equals ours but for the four digits of the year. It
// is read no further than one byte past our length.
bool IsOurNotice(const char* text)
{
    constexpr size_t length = sizeof kGpibNotice - 1;
    if (strnlen(text, length + 1) != length)
        return false;
    for (size_t i = 0; i < length; ++i) {
        const bool year = i >= kNoticeYear && i < kNoticeYear + 4;
        if (year ? !IsDigit(text[i]) : text[i] != kGpibNotice[i])
            return false;
    }
    return true;
}

// Status copies of the last bus call.
struct BusStatus {
    int status = 0;
    int error = 0;
    long count = 0;
    long countLong = 0;
};
BusStatus Bus;

// A binding failure: ERR, no bus error, and the system's error as counts.
void FailBinding(int systemError)
{
    Bus.status = kStatusErr;
    Bus.error = 0;
    Bus.count = systemError;
    Bus.countLong = systemError;
}

// The loaded bus library and its status variables. Once it passed the
// identity check it stays loaded; a library that fails is unloaded and
// tried again at the next call.
class GpibLibrary {
public:
    bool Load()
    {
        if (handle_ != nullptr)
            return true;
        const char* name = std::getenv("MORVANE_GPIB_LIBRARY");
        void* handle = dlopen(name != nullptr && *name != '\0' ? name : kDefaultLibrary, RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr)
            return false;
        auto* status = static_cast<int*>(dlsym(handle, "user_ibsta"));
        auto* error = static_cast<int*>(dlsym(handle, "user_iberr"));
        auto* count = static_cast<long*>(dlsym(handle, "user_ibcntl"));
        auto* notice = static_cast<const char*>(dlsym(handle, "CopyrightString"));
        if (status == nullptr || error == nullptr || count == nullptr || notice == nullptr || !IsOurNotice(notice)) {
            dlclose(handle);
            return false;
        }
        handle_ = handle;
        status_ = status;
        error_ = error;
        count_ = count;
        return true;
    }

    void* Resolve(const char* name) const { return dlsym(handle_, name); }

    void CopyStatus() const
    {
        Bus.status = *status_;
        Bus.error = *error_;
        Bus.count = *count_;
        Bus.countLong = *count_;
    }

private:
    void* handle_ = nullptr;
    const int* status_ = nullptr;
    const int* error_ = nullptr;
    const long* count_ = nullptr;
};

GpibLibrary TheLibrary;

// One entry point, resolved by its name on first use.
template <typename Function>
struct Entry {
    const char* name;
    Function function = nullptr;
};

// Loads the library and resolves the entry; on failure the status copies
// say ERR and the entry must not be called.
template <typename Function>
bool GpibBind(Entry<Function>& entry)
{
    if (entry.function != nullptr)
        return true;
    errno = 0;
    if (!TheLibrary.Load()) {
        FailBinding(errno);
        return false;
    }
    void* address = TheLibrary.Resolve(entry.name);
    if (address == nullptr) {
        FailBinding(errno);
        return false;
    }
    entry.function = reinterpret_cast<Function>(address);
    return true;
}

using IbDevFunction = int (*)(int, int, int, int, int, int);
using IbWrtFunction = int (*)(int, const void*, long);
using IbRdFunction = int (*)(int, void*, long);
using IbSetFunction = int (*)(int, int);
using IbWrtfFunction = int (*)(int, const char*);

Entry<IbDevFunction> EntryIbDev{"ibdev"};
Entry<IbWrtFunction> EntryIbWrt{"ibwrt"};
Entry<IbRdFunction> EntryIbRd{"ibrd"};
Entry<IbSetFunction> EntryIbTmo{"ibtmo"};
Entry<IbSetFunction> EntryIbEot{"ibeot"};
Entry<IbWrtfFunction> EntryIbWrtfA{"ibwrtfA"};

// The wrappers: bind, call, copy the status. All but IbDev return the
// status word; IbDev the descriptor, -1 when it could not be called.
template <typename Function, typename... Args>
int Call(Entry<Function>& entry, int unbound, Args... args)
{
    if (!GpibBind(entry))
        return unbound;
    int result = entry.function(args...);
    TheLibrary.CopyStatus();
    return result;
}

int IbDev(int board, int address)
{
    // No secondary address, EOI with each write's last byte, no end-of-string.
    return Call(EntryIbDev, -1, board, address, 0, kTimeoutNormal, 1, 0);
}

int IbWrt(int descriptor, const void* data, long count)
{
    return Call(EntryIbWrt, kStatusErr, descriptor, data, count);
}

int IbRd(int descriptor, void* buffer, long count)
{
    return Call(EntryIbRd, kStatusErr, descriptor, buffer, count);
}

int IbTmo(int descriptor, int code)
{
    return Call(EntryIbTmo, kStatusErr, descriptor, code);
}

int IbEot(int descriptor, int on)
{
    return Call(EntryIbEot, kStatusErr, descriptor, on);
}

int IbWrtfA(int descriptor, const char* file)
{
    return Call(EntryIbWrtfA, kStatusErr, descriptor, file);
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

// Chunks of a reply, each one bus read of the current device.
class BusChunks : public GpibChunkSource {
public:
    explicit BusChunks(int descriptor) : descriptor_(descriptor) {}

    bool ReadChunk(char* chunk, long count, long* received) override
    {
        const int status = IbRd(descriptor_, chunk, count);
        *received = Failed(status) ? 0 : Bus.countLong;
        return !Failed(status);
    }

private:
    int descriptor_;
};

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

    // The bus library is not told: the descriptor is simply forgotten.
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

// A reply of the current device. A read that fails before any character
// came is a silent generator, not an empty reply; one that fails before the
// reply's end (a bus stopped between its messages) leaves only its start,
// which stays stored, but is no whole reply either.
int32_t ReadReply(char* reply, uint32_t length)
{
    BusChunks chunks(TheGpibTransport().Current());
    GpibReply result = GpibReadReply(chunks, reply, length);
    if (result.silent || result.cut)
        SetPortError(MORVANE_E_TIMEOUT);
    return result.count;
}

// Files go with the long time-out and without EOI; the normal settings
// come back whatever happened.
class FileSettings {
public:
    explicit FileSettings(int descriptor) : descriptor_(descriptor) {}
    ~FileSettings()
    {
        IbTmo(descriptor_, kTimeoutNormal);
        IbEot(descriptor_, 1);
    }
    FileSettings(const FileSettings&) = delete;
    FileSettings& operator=(const FileSettings&) = delete;

    void Apply()
    {
        IbTmo(descriptor_, kTimeoutFile);
        IbEot(descriptor_, 0);
    }

private:
    int descriptor_;
};

bool WriteText(int descriptor, const char* text)
{
    return !Failed(IbWrt(descriptor, text, static_cast<long>(std::strlen(text))));
}

// "FLSH <size>" with EOI, then the file (the mode of firmware 7.04 on).
bool SendFlashCommandThenFile(int descriptor, const char* file, int32_t size)
{
    FileSettings settings(descriptor);
    char command[32];
    std::snprintf(command, sizeof command, "FLSH %d", size);
    if (!WriteText(descriptor, command))
        return false;
    settings.Apply();
    return !Failed(IbWrtfA(descriptor, file));
}

// "FLSH #<digits><size>", a definite-length block header, then the file
// as the block.
bool SendFlashBlock(int descriptor, const char* file, int32_t size)
{
    FileSettings settings(descriptor);
    settings.Apply();
    char digits[16];
    std::snprintf(digits, sizeof digits, "%d", size);
    char header[32];
    std::snprintf(header, sizeof header, "FLSH #%zu%s", std::strlen(digits), digits);
    return WriteText(descriptor, header) && !Failed(IbWrtfA(descriptor, file));
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
    if (!WriteText(gpib.Current(), command)) {
        SetPortError(MORVANE_E_GPIB_STATUS);
        return 0;
    }
    if (reply == nullptr)
        return 0;
    if (length < MORVANE_MIN_REPLY_BUFFER) {
        SetPortError(MORVANE_E_BUFFER_TOO_SMALL);
        return 0;
    }
    return ReadReply(reply, static_cast<uint32_t>(length));
}

int32_t GpibGetResponse(PortId id, char* reply, uint32_t length)
{
    if (!TheGpibTransport().Selected(id))
        return 0;
    return ReadReply(reply, length);
}

// Stores no error of its own: the open turns a silent device into 1000.
bool GpibIsShutDown(PortId id)
{
    GpibTransport& gpib = TheGpibTransport();
    if (!gpib.ValidateId(id) || !gpib.Select(id))
        return true;
    if (!WriteText(gpib.Current(), kHandshakeQuery))
        return true;
    // The bus library's waits cannot be cut short: a cancel is seen between them.
    if (driver::WaitsCancelled())
        return true;
    char reply[kHandshakeBuffer];
    BusChunks chunks(gpib.Current());
    return GpibReadReply(chunks, reply, sizeof reply).count == 0;
}

}  // namespace morvane

using namespace morvane;

extern "C" {

MORVANE_API int32_t GpibSendFlashFile(PortId id, const char* file, int32_t size, int32_t mode)
{
    GpibTransport& gpib = TheGpibTransport();
    if (!gpib.Select(id))
        return 0;
    // Nothing goes on the bus that the generator could not finish taking.
    if (file == nullptr || size < 0) {
        SetPortError(MORVANE_E_GPIB_TRANSFER);
        return 0;
    }
    const bool sent = mode == 1 ? SendFlashCommandThenFile(gpib.Current(), file, size)
                                : SendFlashBlock(gpib.Current(), file, size);
    if (!sent)
        SetPortError(MORVANE_E_GPIB_TRANSFER);
    return sent;
}

MORVANE_API int32_t GpibSendFile(PortId id, const char* file, int32_t /*ignored*/)
{
    GpibTransport& gpib = TheGpibTransport();
    if (!gpib.Select(id))
        return 0;
    if (file == nullptr) {
        SetPortError(MORVANE_E_GPIB_TRANSFER);
        return 0;
    }
    bool sent = false;
    {
        FileSettings settings(gpib.Current());
        settings.Apply();
        sent = !Failed(IbWrtfA(gpib.Current(), file));
    }
    if (!sent)
        SetPortError(MORVANE_E_GPIB_TRANSFER);
    return sent;
}

}  // extern "C"

// The ISA path: calls and queries through the graphics processor's host
// interface, and the transfers into its memory. The processor has no bound
// of its own on taking a message or finishing a call; ours are kTakeLimitMs
// and kFinishLimitMs.
#include "Dci.h"

#include "IsaHostModel.h"
#include "ProcessorNumbers.h"

#include <chrono>

namespace morvane::dci {

namespace {

using driver::IsaHostModel;

constexpr uint16_t kMessageBits = IsaHostModel::kMessage;
constexpr uint16_t kIntIn = IsaHostModel::kIntIn;
// Also the processor's sign that a call has finished.
constexpr uint16_t kIncrementRead = IsaHostModel::kIncrementRead;
constexpr uint16_t kIncrementWrite = IsaHostModel::kIncrementWrite;

constexpr uint16_t kStartCall = 2;
constexpr uint16_t kRunCall = 3;
constexpr uint16_t kQuery = 7;

uint16_t Control()
{
    return GspReadRegister(IsaHostModel::kControl);
}

void SetControl(uint16_t value)
{
    GspWriteRegister(IsaHostModel::kControl, value);
}

bool WaitControl(Session& session, uint16_t mask, uint16_t wanted, int64_t limitMs)
{
    IsaHostModel* card = CurrentIsaCard();
    const auto deadline = IsaHostModel::Clock::now() + std::chrono::milliseconds(ScaledMs(limitMs));
    if (session.Dead() || card == nullptr || !card->WaitControl(mask, wanted, deadline)) {
        session.Fail();
        return false;
    }
    return true;
}

// Raises the host interrupt with message; true once the processor took it.
bool SendMessage(Session& session, uint16_t message)
{
    SetControl(static_cast<uint16_t>((Control() & ~kMessageBits) | message | kIntIn));
    return WaitControl(session, kIntIn, 0, kTakeLimitMs);
}

void WriteData(uint16_t word)
{
    GspWriteRegister(IsaHostModel::kData, word);
}

uint16_t ReadData()
{
    return GspReadRegister(IsaHostModel::kData);
}

// The two words of one argument (four for a double), in sending order.
int ArgumentWords(char code, const Arg& arg, uint16_t words[4])
{
    const uint32_t v = arg.word;
    auto signHigh = [](int32_t value) { return static_cast<uint16_t>(value < 0 ? 0xFFFF : 0); };
    switch (code) {
    case '1': {
        const int32_t s = static_cast<int8_t>(v & 0xFF);
        words[0] = static_cast<uint16_t>(s);
        words[1] = signHigh(s);
        return 2;
    }
    case '2': words[0] = static_cast<uint16_t>(v & 0xFF); words[1] = 0; return 2;
    case '3': {
        const int32_t s = static_cast<int16_t>(v & 0xFFFF);
        words[0] = static_cast<uint16_t>(s);
        words[1] = signHigh(s);
        return 2;
    }
    case '4': words[0] = static_cast<uint16_t>(v); words[1] = 0; return 2;
    case '9': {
        uint8_t bytes[8];
        PackDouble(arg.real, bytes);
        for (int i = 0; i < 4; ++i)
            words[i] = static_cast<uint16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
        return 4;
    }
    default:  // 5, 6, 7
        words[0] = static_cast<uint16_t>(v);
        words[1] = static_cast<uint16_t>(v >> 16);
        return 2;
    }
}

// The arguments, last first, as the type string says; code 8 takes none.
void SendArguments(const char* types, Args args)
{
    const Arg* next = args.end();
    for (const char* code = types; code != nullptr && *code != '\0'; ++code) {
        if (*code == '8' || next == args.begin())
            continue;
        --next;
        uint16_t words[4];
        const int n = ArgumentWords(*code, *next, words);
        for (int i = 0; i < n; ++i)
            WriteData(words[i]);
    }
}

uint32_t ReadResult(uint8_t kind)
{
    switch (kind) {
    case 0: return 0;
    case 1: return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(ReadData() & 0xFF)));
    case 2: return ReadData() & 0xFFu;
    case 3: return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(ReadData())));
    case 4: return ReadData();
    default: {
        const uint32_t low = ReadData();
        return low | uint32_t{ReadData()} << 16;
    }
    }
}

// Points the address at a word-block transfer; false off a 16-bit boundary.
bool StartWords(uint32_t address)
{
    GspSetAddress(address);
    return (GspGetAddress() & 0xF) == 0;
}

}  // namespace

uint32_t IsaCall(Session& session, uint8_t kind, uint16_t number, const char* types, Args args)
{
    if (!SendMessage(session, kStartCall))
        return 0;
    // An earlier call still running: wait for it, then start again.
    if (!(Control() & kIncrementRead)
        && !(WaitControl(session, kIncrementRead, kIncrementRead, kFinishLimitMs) && SendMessage(session, kStartCall)))
        return 0;
    SendArguments(types, args);
    WriteData(0);
    WriteData(number);
    if (!SendMessage(session, kRunCall) || !WaitControl(session, kIncrementRead, kIncrementRead, kFinishLimitMs))
        return 0;
    return ReadResult(kind);
}

uint64_t IsaQuery(Session& session, uint16_t number, int words)
{
    if (session.Dead())
        return 0;
    GspWriteRegister(IsaHostModel::kAddressLow, number);
    if (!SendMessage(session, kQuery))
        return 0;
    uint64_t value = 0;
    for (int i = 0; i < words; ++i)
        value |= uint64_t{ReadData()} << (16 * i);
    return value;
}

bool IsaWriteBytes(Session& session, uint32_t address, const uint8_t* bytes, std::size_t count)
{
    if (session.Dead())
        return false;
    GspSetAddress(address);
    SetControl(static_cast<uint16_t>((Control() & ~kIncrementRead) | kIncrementWrite));
    std::size_t i = 0;
    // Bit 3 of a bit address is the high byte of its word.
    if ((address & 0x8) != 0 && count > 0) {
        GspSetAddress(address & ~0xFu);
        const uint16_t low = ReadData() & 0xFF;
        WriteData(static_cast<uint16_t>(low | bytes[0] << 8));
        i = 1;
    }
    for (; i + 1 < count; i += 2)
        WriteData(static_cast<uint16_t>(bytes[i] | bytes[i + 1] << 8));
    if (i < count)
        WriteData(bytes[i]);
    return true;
}

bool IsaWriteWords(Session& session, uint32_t address, const uint16_t* words, std::size_t count)
{
    if (session.Dead() || !StartWords(address))
        return false;
    SetControl(static_cast<uint16_t>((Control() & ~kIncrementRead) | kIncrementWrite));
    for (std::size_t i = 0; i < count; ++i)
        WriteData(words[i]);
    return true;
}

bool IsaReadWords(Session& session, uint32_t address, uint16_t* words, std::size_t count)
{
    if (session.Dead() || !StartWords(address))
        return false;
    SetControl(static_cast<uint16_t>((Control() & ~kIncrementWrite) | kIncrementRead));
    GspSetAddress(address);
    for (std::size_t i = 0; i < count; ++i)
        words[i] = ReadData();
    return true;
}

}  // namespace morvane::dci

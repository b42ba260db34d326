// Private interface of the Direct Call Interface: the call descriptors the
// export table makes, the library's one binding, the call paths over ISA
// and PCI, and staging in generator memory.
#pragma once

#include "internal.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <vector>

namespace morvane::dci {

// --- Descriptors -------------------------------------------------------------------

// Where a PCI call puts its words (see DirectCalls.def).
enum class BlockForm : uint8_t { Ctx, Round, TimesDivide, Cpw };
// What a row returns on a port it has no path for.
enum class Elsewhere : uint8_t { Zero, TypeHalf };

struct Descriptor {
    uint16_t ordinal;
    const char* name;
    uint16_t isaCall;      // 0: no ISA path
    const char* isaTypes;  // codes in sending order
    uint8_t isaKind;       // result kind 0-7
    int16_t pciFunction;   // -1: no PCI path
    BlockForm form;
    int8_t variant;        // -1: none
    bool pciResult;
    Elsewhere elsewhere;
    bool ownBody;  // a DCI_STAGED row: its export is written by hand
};

enum Row : uint16_t {
#define DCI(ordinal, name, ...) k_##name,
#define DCI_STAGED(ordinal, name, ...) k_##name,
#define DCI_HOST(...)
#include "DirectCalls.def"
#undef DCI
#undef DCI_STAGED
#undef DCI_HOST
    kRows
};

extern const Descriptor kDescriptors[kRows];

// One argument of a call: a 32-bit word or a double.
struct Arg {
    Arg(int32_t value) : word(static_cast<uint32_t>(value)) {}
    Arg(uint32_t value) : word(value) {}
    Arg(double value) : real(value), isDouble(true) {}
    uint32_t word = 0;
    double real = 0;
    bool isDouble = false;
};
// The arguments of one call, in parameter order; it does not own them.
class Args {
public:
    Args(const Arg* first, std::size_t count) : first_(first), count_(count) {}
    const Arg* begin() const { return first_; }
    const Arg* end() const { return first_ + count_; }
    std::size_t size() const { return count_; }

private:
    const Arg* first_;
    std::size_t count_;
};

// --- Binding -------------------------------------------------------------------------

struct Binding {
    RemoteCallContext* context = nullptr;
    PortId port = 0;
    // PCI: the generator's variables, its call block and its context.
    uint32_t variablesBase = 0;
    uint32_t callBlock = 0;
    uint32_t contextAddress = 0;
};
Binding& Bound();

enum class Path { None, Isa, Pci };
Path BoundPath();
// The bound port's type half.
uint32_t BoundTypeHalf();

// Limits of the waits the generator's processor has no bound for.
constexpr int64_t kTakeLimitMs = 5000;
constexpr int64_t kFinishLimitMs = kFirmwareCallLimitMs;

// One export's traffic: once a wait timed out (10007), nothing more is sent.
class Session {
public:
    // Checks and selects the bound port; false: no call at all.
    bool Open();
    bool Dead() const { return dead_; }
    void Fail();
    // Marks the session dead when a mailbox operation left 10007.
    bool Check();

private:
    bool dead_ = false;
};

// A call refused before any traffic (a null pointer, a count out of range)
// leaves a code, so that its 0 is not taken for a result.
inline bool Accepted(bool ok, int32_t code = MORVANE_E_BUFFER_TOO_SMALL)
{
    if (!ok)
        SetPortError(code);
    return ok;
}

// Has the row a path on the bound port; what it returns where it has none
// (with 3000 left when no port is bound, or the row returns nothing there).
bool HasPath(const Descriptor& d);
uint32_t ElsewhereResult(const Descriptor& d);

// The generic body: one call described by the row, on the bound port.
uint32_t Call(Row row, Args args);
// The same call within a session already open (0 once it is dead).
uint32_t CallIn(Session& session, Row row, Args args);
inline uint32_t CallIn(Session& session, Row row, std::initializer_list<Arg> args)
{
    return CallIn(session, row, Args(args.begin(), args.size()));
}
inline uint32_t Call(Row row, std::initializer_list<Arg> args)
{
    return Call(row, Args(args.begin(), args.size()));
}

// --- ISA -----------------------------------------------------------------------------

// The call of Part "ISA call": message 2, arguments, 0 and the number,
// message 3, then the result of kind. 0 once the session is dead.
uint32_t IsaCall(Session& session, uint8_t kind, uint16_t number, const char* types, Args args);
inline uint32_t IsaCall(Session& session, uint8_t kind, uint16_t number, const char* types,
                        std::initializer_list<Arg> args)
{
    return IsaCall(session, kind, number, types, Args(args.begin(), args.size()));
}
// One value by its query number: words 16-bit reads, low first.
uint64_t IsaQuery(Session& session, uint16_t number, int words);
// Transfers into generator memory; false on a dead session or an address
// a word-block transfer cannot start at.
bool IsaWriteBytes(Session& session, uint32_t address, const uint8_t* bytes, std::size_t count);
bool IsaWriteWords(Session& session, uint32_t address, const uint16_t* words, std::size_t count);
bool IsaReadWords(Session& session, uint32_t address, uint16_t* words, std::size_t count);

// --- PCI -----------------------------------------------------------------------------

// Writes words at the call block from +12, runs function and returns +12
// when wanted: 0 when the call timed out or failed with another code than 0x70.
uint32_t PciCallWords(Session& session, uint32_t function, const uint32_t* words, std::size_t count, bool result);
inline uint32_t PciCall(Session& session, uint32_t function, std::initializer_list<uint32_t> words, bool result)
{
    return PciCallWords(session, function, words.begin(), words.size(), result);
}
// The card address of item (relative to the variables base); nullopt when
// the lookup was not answered.
std::optional<uint32_t> PciItem(Session& session, uint32_t item);
uint32_t PciRead(Session& session, uint32_t address, int32_t size);

// --- Staging -------------------------------------------------------------------------

// Staged sizes above this are refused.
constexpr int64_t kStagingLimit = 16 << 20;

// n bytes of generator memory: its address, 0 when refused or none.
uint32_t Stage(Session& session, int64_t bytes);
// Frees a staged address; the generator's answer (ISA: 0).
uint32_t Release(Session& session, uint32_t address);
// A byte string into staged memory (ISA byte-string write, PCI byte stream).
bool WriteStagedBytes(Session& session, uint32_t address, const uint8_t* bytes, std::size_t count);

// Stages count 16-bit values (ISA word-block write, PCI 16-bit stream);
// 0 when refused or the transfer failed (the block is then released).
uint32_t StageWords(Session& session, const int16_t* values, int64_t count);

// A call whose texts are staged first (each its length + 1 bytes written,
// `extra` more allocated) and released after it, last first. build gets
// the staged addresses and gives the call's arguments. nullopt: no call (a
// null text, a failed staging, no path); its staging is released.
struct TextCall {
    uint32_t result = 0;
    uint32_t release = 0;  // the last release's result
};
std::optional<TextCall> CallWithTexts(Row row, std::initializer_list<const char*> texts, int64_t extra,
                                      const std::function<std::vector<Arg>(const uint32_t*)>& build);

// --- Context -------------------------------------------------------------------------

// Reads the colour words (and with parameters the parameter words) of the
// bound port into block; false when a query or lookup failed.
bool ReadColours(Session& session, RemoteCallContext& block);
bool ReadParameters(Session& session, RemoteCallContext& block);
// Copies the colour words into the colour lists.
void FillColourLists(RemoteCallContext& block);
// Rebuilds ctm, normalwidth and normalheight from the block's values.
void ResetMatrix(RemoteCallContext& block);

double ReadDouble(const RemoteCallContext& block, int word);
void WriteDouble(RemoteCallContext& block, int word, double value);

}  // namespace morvane::dci

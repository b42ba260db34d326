// The library's one binding of a port and a caller's context, the session
// of one export's traffic, and the generic body every table row shares.
#include "Dci.h"

#include <cstring>
#include <memory>

namespace morvane::dci {

namespace {

// The generator's variables, its call block and its context.
constexpr uint32_t kVariablesItem = 2;
constexpr uint32_t kCallBlockItem = 5;
constexpr uint32_t kContextItem = 3;

Path PathOf(PortId port)
{
    switch (port & MORVANE_PORT_TYPE_MASK) {
    case MORVANE_PORT_ISA: return Path::Isa;
    case MORVANE_PORT_PCI: return Path::Pci;
    default: return Path::None;
    }
}

// The three PCI addresses; a lookup that fails leaves the library unbound.
bool LookUpPciAddresses(Binding& binding)
{
    Session session;
    const std::optional<uint32_t> variables = PciItem(session, kVariablesItem);
    const std::optional<uint32_t> block = variables ? PciItem(session, kCallBlockItem) : std::nullopt;
    const std::optional<uint32_t> context = block ? PciItem(session, kContextItem) : std::nullopt;
    if (!context) {
        binding = Binding{};
        SetPortError(MORVANE_E_TIMEOUT);
        return false;
    }
    binding.variablesBase = *variables;
    binding.callBlock = *block + *variables;
    binding.contextAddress = *context + *variables;
    return true;
}

// The snapshot goes into a copy, so a failure part-way leaves the caller's
// block as it was.
bool Fill(RemoteCallContext& context)
{
    auto scratch = std::make_unique<RemoteCallContext>(context);
    Session session;
    if (!ReadParameters(session, *scratch)) {
        SetPortError(MORVANE_E_TIMEOUT);
        return false;
    }
    ResetMatrix(*scratch);
    FillColourLists(*scratch);
    context = *scratch;
    return true;
}

}  // namespace

Binding& Bound()
{
    static Binding binding;
    return binding;
}

Path BoundPath()
{
    return PathOf(Bound().port);
}

uint32_t BoundTypeHalf()
{
    return Bound().port & MORVANE_PORT_TYPE_MASK;
}

bool Session::Open()
{
    return !dead_ && XR_PortPrepare(Bound().port);
}

void Session::Fail()
{
    dead_ = true;
    SetPortError(MORVANE_E_TIMEOUT);
}

bool Session::Check()
{
    if (LastPortError == MORVANE_E_TIMEOUT)
        dead_ = true;
    return !dead_;
}

bool HasPath(const Descriptor& d)
{
    const Path path = BoundPath();
    return (path == Path::Isa && d.isaCall != 0) || (path == Path::Pci && d.pciFunction >= 0);
}

uint32_t ElsewhereResult(const Descriptor& d)
{
    if (Bound().port == 0 || d.elsewhere != Elsewhere::TypeHalf)
        SetPortError(MORVANE_E_NO_DIRECT_CALLS);
    return d.elsewhere == Elsewhere::TypeHalf ? BoundTypeHalf() : 0;
}

uint32_t Call(Row row, Args args)
{
    const Descriptor& d = kDescriptors[row];
    if (!HasPath(d))
        return ElsewhereResult(d);
    Session session;
    if (!session.Open())
        return 0;
    return CallIn(session, row, args);
}

uint32_t CallIn(Session& session, Row row, Args args)
{
    const Descriptor& d = kDescriptors[row];
    if (session.Dead() || !HasPath(d))
        return 0;
    if (BoundPath() == Path::Isa)
        return IsaCall(session, d.isaKind, d.isaCall, d.isaTypes, args);
    const Arg* a = args.begin();
    const uint32_t function = static_cast<uint32_t>(d.pciFunction);
    switch (d.form) {
    case BlockForm::Round: {
        uint64_t bits = 0;
        std::memcpy(&bits, &a[0].real, sizeof bits);
        return PciCall(session, function, {static_cast<uint32_t>(bits >> 32), static_cast<uint32_t>(bits)}, d.pciResult);
    }
    case BlockForm::TimesDivide:
        return PciCall(session, function, {a[0].word, a[1].word, a[2].word}, d.pciResult);
    case BlockForm::Cpw:
        return PciCall(session, function, {Bound().contextAddress, a[0].word << 16 | (a[1].word & 0xFFFF)},
                       d.pciResult);
    case BlockForm::Ctx: break;
    }
    // The context, the parameters in order, then the variant word.
    uint32_t words[16] = {Bound().contextAddress};
    if (args.size() + 2 > std::size(words))
        return 0;
    std::size_t n = 1;
    for (const Arg& arg : args)
        words[n++] = arg.word;
    if (d.variant >= 0)
        words[n++] = static_cast<uint32_t>(d.variant);
    return PciCallWords(session, function, words, n, d.pciResult);
}

}  // namespace morvane::dci

using namespace morvane;
using namespace morvane::dci;

extern "C" {

MORVANE_API int32_t XR_PortPrepareRemoteCall(PortId port, RemoteCallContext* context, int32_t fill)
{
    const Path path = PathOf(port);
    if (path == Path::None) {
        SetPortError(MORVANE_E_NO_DIRECT_CALLS);
        return 0;
    }
    if (fill != 0 && context == nullptr) {
        SetPortError(MORVANE_E_BUFFER_TOO_SMALL);
        return 0;
    }
    if (!XR_PortPrepare(port))
        return 0;
    Binding& binding = Bound();
    binding.context = context;
    binding.port = port;
    if (path == Path::Pci && !LookUpPciAddresses(binding))
        return 0;
    if (fill == 0)
        return 1;
    return Fill(*context) ? 1 : 0;
}

}  // extern "C"

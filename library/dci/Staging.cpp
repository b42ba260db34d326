// Generator memory for the length of one export: allocated and freed by two
// further direct calls, filled and read back by the transfers of the bound
// port's type.
#include "Dci.h"

#include <cstring>

namespace morvane::dci {

namespace {

constexpr uint16_t kIsaAllocate = 32988;
constexpr uint16_t kIsaRelease = 32987;
constexpr uint8_t kAddressResult = 7;
constexpr uint32_t kPciAllocate = 197;
constexpr uint32_t kPciRelease = 196;

}  // namespace

uint32_t Stage(Session& session, int64_t bytes)
{
    if (!Accepted(bytes >= 0 && bytes <= kStagingLimit) || session.Dead())
        return 0;
    const auto n = static_cast<uint32_t>(bytes);
    switch (BoundPath()) {
    case Path::Isa: return IsaCall(session, kAddressResult, kIsaAllocate, "6", {n});
    case Path::Pci: return PciCall(session, kPciAllocate, {n}, true);
    case Path::None: break;
    }
    return 0;
}

uint32_t Release(Session& session, uint32_t address)
{
    if (session.Dead())
        return 0;
    switch (BoundPath()) {
    case Path::Isa: IsaCall(session, 0, kIsaRelease, "7", {address}); return 0;
    case Path::Pci: {
        if (!PciWriteData(address, Bound().callBlock + 12, 4)) {
            session.Fail();
            return 0;
        }
        const int32_t answer = PciCallFunction(kPciRelease);
        session.Check();
        return static_cast<uint32_t>(answer);
    }
    case Path::None: break;
    }
    return 0;
}

bool WriteStagedBytes(Session& session, uint32_t address, const uint8_t* bytes, std::size_t count)
{
    if (BoundPath() == Path::Isa)
        return IsaWriteBytes(session, address, bytes, count);
    if (session.Dead())
        return false;
    PciWriteBuffer(bytes, address, static_cast<int32_t>(count));
    return session.Check();
}

uint32_t StageWords(Session& session, const int16_t* values, int64_t count)
{
    if (!Accepted(values != nullptr && count >= 0 && count <= kStagingLimit / 2))
        return 0;
    const uint32_t staged = Stage(session, 2 * count);
    if (staged == 0)
        return 0;
    bool written = false;
    if (BoundPath() == Path::Isa) {
        written = IsaWriteWords(session, staged, reinterpret_cast<const uint16_t*>(values), static_cast<std::size_t>(count));
    } else {
        PciWriteInt16(values, staged, static_cast<int32_t>(count));
        written = session.Check();
    }
    if (written)
        return staged;
    Release(session, staged);
    return 0;
}

std::optional<TextCall> CallWithTexts(Row row, std::initializer_list<const char*> texts, int64_t extra,
                                      const std::function<std::vector<Arg>(const uint32_t*)>& build)
{
    uint32_t staged[4] = {};
    std::size_t count = 0;
    bool complete = texts.size() <= std::size(staged) && HasPath(kDescriptors[row]);
    for (const char* text : texts)
        complete = complete && text != nullptr;
    Session session;
    complete = complete && session.Open();
    for (const char* text : texts) {
        if (!complete)
            break;
        const std::size_t length = std::strlen(text);
        staged[count] = Stage(session, static_cast<int64_t>(length) + 1 + extra);
        if (staged[count] == 0)
            break;
        ++count;
        complete = WriteStagedBytes(session, staged[count - 1], reinterpret_cast<const uint8_t*>(text), length + 1);
    }
    TextCall call;
    const bool called = complete && count == texts.size();
    if (called) {
        const std::vector<Arg> args = build(staged);
        call.result = CallIn(session, row, Args(args.data(), args.size()));
    }
    while (count > 0)
        call.release = Release(session, staged[--count]);
    if (!called)
        return std::nullopt;
    return call;
}

}  // namespace morvane::dci

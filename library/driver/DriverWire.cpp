#include "DriverWire.h"

#include <cstring>

namespace driver {

namespace {

class Writer {
public:
    void U32(uint32_t value)
    {
        uint8_t word[4];
        std::memcpy(word, &value, sizeof word);
        bytes_.insert(bytes_.end(), word, word + sizeof word);
    }
    template <typename E>
    void Enum(E value)
    {
        U32(static_cast<uint32_t>(value));
    }
    void Text(const std::string& text)
    {
        U32(static_cast<uint32_t>(text.size()));
        bytes_.insert(bytes_.end(), text.begin(), text.end());
    }
    std::vector<uint8_t> Take() { return std::move(bytes_); }

private:
    std::vector<uint8_t> bytes_;
};

// Reads words off a packet; once anything does not fit, every later read
// fails too and Done() answers false.
class Reader {
public:
    Reader(const uint8_t* bytes, std::size_t size) : next_(bytes), left_(bytes == nullptr ? 0 : size) {}

    bool U32(uint32_t& value)
    {
        if (!ok_ || left_ < sizeof value)
            return ok_ = false;
        std::memcpy(&value, next_, sizeof value);
        next_ += sizeof value;
        left_ -= sizeof value;
        return true;
    }
    bool Flag(bool& value)
    {
        uint32_t word = 0;
        if (!U32(word) || word > 1)
            return ok_ = false;
        value = word == 1;
        return true;
    }
    // An enum whose values run from `first` to `last`.
    template <typename E>
    bool Enum(E& value, E first, E last)
    {
        uint32_t word = 0;
        if (!U32(word) || word < static_cast<uint32_t>(first) || word > static_cast<uint32_t>(last))
            return ok_ = false;
        value = static_cast<E>(word);
        return true;
    }
    // A count of items of itemBytes each: within limit and within the packet.
    bool Count(std::size_t& count, std::size_t limit, std::size_t itemBytes)
    {
        uint32_t word = 0;
        if (!U32(word) || word > limit || (itemBytes != 0 && word > left_ / itemBytes))
            return ok_ = false;
        count = word;
        return true;
    }
    bool Text(std::string& text, std::size_t limit)
    {
        std::size_t length = 0;
        if (!Count(length, limit, 1))
            return false;
        text.assign(reinterpret_cast<const char*>(next_), length);
        next_ += length;
        left_ -= length;
        return true;
    }
    bool Done() const { return ok_ && left_ == 0; }

private:
    const uint8_t* next_;
    std::size_t left_;
    bool ok_ = true;
};

// --- Records ------------------------------------------------------------------

void Put(Writer& w, const PciLocation& l)
{
    w.U32(l.bus);
    w.U32(l.slot);
    w.U32(l.function);
}

bool Get(Reader& r, PciLocation& l)
{
    return r.U32(l.bus) && r.U32(l.slot) && r.U32(l.function);
}

void Put(Writer& w, const std::vector<Resource>& resources)
{
    w.U32(static_cast<uint32_t>(resources.size()));
    for (const Resource& item : resources) {
        w.Enum(item.kind);
        w.U32(item.notSharable);
        w.U32(item.base);
        w.U32(item.length);
    }
}

bool Get(Reader& r, std::vector<Resource>& resources)
{
    std::size_t count = 0;
    if (!r.Count(count, kMaxResources, 16))
        return false;
    resources.resize(count);
    for (Resource& item : resources)
        if (!r.Enum(item.kind, ResourceKind::None, ResourceKind::Io) || !r.U32(item.notSharable)
            || !r.U32(item.base) || !r.U32(item.length))
            return false;
    return true;
}

// --- Request payloads ---------------------------------------------------------

void Put(Writer&, const VersionRequest&) {}
bool Get(Reader&, VersionRequest&) { return true; }

void Put(Writer& w, const PciScanRequest& q)
{
    w.U32(q.vendor);
    w.U32(q.device);
}
bool Get(Reader& r, PciScanRequest& q) { return r.U32(q.vendor) && r.U32(q.device); }

void Put(Writer& w, const CardInfoRequest& q) { Put(w, q.location); }
bool Get(Reader& r, CardInfoRequest& q) { return Get(r, q.location); }

void Put(Writer& w, const RegisterRequest& q)
{
    w.U32(q.options);
    Put(w, q.resources);
}
bool Get(Reader& r, RegisterRequest& q) { return r.U32(q.options) && Get(r, q.resources); }

void Put(Writer& w, const ReleaseRequest& q) { w.U32(q.handle); }
bool Get(Reader& r, ReleaseRequest& q) { return r.U32(q.handle); }

void Put(Writer& w, const ConfigReadRequest& q)
{
    Put(w, q.location);
    w.U32(q.offset);
}
bool Get(Reader& r, ConfigReadRequest& q) { return Get(r, q.location) && r.U32(q.offset); }

void Put(Writer& w, const FirmwareEventRequest& q)
{
    w.U32(q.handle);
    w.Enum(q.kind);
    w.U32(static_cast<uint32_t>(q.words.size()));
    for (uint32_t word : q.words)
        w.U32(word);
}
bool Get(Reader& r, FirmwareEventRequest& q)
{
    std::size_t count = 0;
    if (!r.U32(q.handle) || !r.Enum(q.kind, EventKind::HostInterrupt, EventKind::Reset)
        || !r.Count(count, kMaxEventWords, 4))
        return false;
    q.words.resize(count);
    for (uint32_t& word : q.words)
        if (!r.U32(word))
            return false;
    return true;
}

void Put(Writer& w, const BlockTransferRequest& q)
{
    w.U32(q.handle);
    w.U32(q.kind);
    w.Text(q.bytes);
}
bool Get(Reader& r, BlockTransferRequest& q)
{
    return r.U32(q.handle) && r.U32(q.kind) && r.Text(q.bytes, kMaxTransferBytes);
}

// --- Answer payloads ----------------------------------------------------------

void Put(Writer& w, const VersionAnswer& a)
{
    w.U32(a.version);
    w.Text(a.text);
}
bool Get(Reader& r, VersionAnswer& a) { return r.U32(a.version) && r.Text(a.text, kMaxVersionText); }

void Put(Writer& w, const PciScanAnswer& a)
{
    w.U32(static_cast<uint32_t>(a.cards.size()));
    for (const PciCardEntry& card : a.cards) {
        w.U32(card.vendor);
        w.U32(card.device);
        Put(w, card.location);
    }
}
bool Get(Reader& r, PciScanAnswer& a)
{
    std::size_t count = 0;
    if (!r.Count(count, kMaxScanCards, 20))
        return false;
    a.cards.resize(count);
    for (PciCardEntry& card : a.cards)
        if (!r.U32(card.vendor) || !r.U32(card.device) || !Get(r, card.location))
            return false;
    return true;
}

void Put(Writer& w, const CardInfoAnswer& a)
{
    w.U32(a.found ? 1 : 0);
    Put(w, a.resources);
}
bool Get(Reader& r, CardInfoAnswer& a) { return r.Flag(a.found) && Get(r, a.resources); }

void Put(Writer& w, const RegisterAnswer& a)
{
    w.U32(a.handle);
    w.U32(a.hasMemory ? 1 : 0);
    w.U32(a.fileSize);
    w.U32(a.registerBlock);
    w.U32(static_cast<uint32_t>(a.regions.size()));
    for (const MemoryRegion& region : a.regions) {
        w.U32(region.cardAddress);
        w.U32(region.byteLength);
        w.U32(region.fileOffset);
    }
}
bool Get(Reader& r, RegisterAnswer& a)
{
    std::size_t count = 0;
    if (!r.U32(a.handle) || !r.Flag(a.hasMemory) || !r.U32(a.fileSize) || !r.U32(a.registerBlock)
        || !r.Count(count, kMaxRegions, 12))
        return false;
    a.regions.resize(count);
    for (MemoryRegion& region : a.regions)
        if (!r.U32(region.cardAddress) || !r.U32(region.byteLength) || !r.U32(region.fileOffset))
            return false;
    return true;
}

void Put(Writer& w, const ReleaseAnswer& a) { w.U32(a.released ? 1 : 0); }
bool Get(Reader& r, ReleaseAnswer& a) { return r.Flag(a.released); }

void Put(Writer& w, const ConfigReadAnswer& a) { w.U32(a.value); }
bool Get(Reader& r, ConfigReadAnswer& a) { return r.U32(a.value); }

void Put(Writer& w, const FirmwareEventAnswer& a)
{
    w.U32(a.accepted ? 1 : 0);
    w.U32(static_cast<uint32_t>(a.changes.size()));
    for (const Change& change : a.changes) {
        w.U32(change.atMs);
        w.Enum(change.kind);
        w.U32(change.target);
        w.U32(change.value);
    }
    w.U32(static_cast<uint32_t>(a.output.size()));
    for (const OutputChunk& chunk : a.output) {
        w.U32(chunk.atMs);
        w.Text(chunk.bytes);
    }
}
bool Get(Reader& r, FirmwareEventAnswer& a)
{
    std::size_t count = 0;
    if (!r.Flag(a.accepted) || !r.Count(count, kMaxChanges, 16))
        return false;
    a.changes.resize(count);
    for (Change& change : a.changes)
        if (!r.U32(change.atMs) || !r.Enum(change.kind, ChangeKind::ClearBits, ChangeKind::DiscardOutput)
            || !r.U32(change.target) || !r.U32(change.value))
            return false;
    if (!r.Count(count, kMaxOutputChunks, 8))
        return false;
    a.output.resize(count);
    std::size_t total = 0;
    for (OutputChunk& chunk : a.output) {
        if (!r.U32(chunk.atMs) || !r.Text(chunk.bytes, kMaxOutputBytes - total))
            return false;
        total += chunk.bytes.size();
    }
    return true;
}

void Put(Writer& w, const BlockTransferAnswer& a)
{
    w.U32(a.transferred);
    w.U32(a.success ? 1 : 0);
}
bool Get(Reader& r, BlockTransferAnswer& a) { return r.U32(a.transferred) && r.Flag(a.success); }

// The body alternative of an op: its index in the variants, which list the
// ops in order.
template <typename Variant>
std::optional<Variant> EmptyBody(Op op)
{
    switch (op) {
    case Op::Version: return Variant(std::in_place_index<0>);
    case Op::PciScan: return Variant(std::in_place_index<1>);
    case Op::CardInfo: return Variant(std::in_place_index<2>);
    case Op::Register: return Variant(std::in_place_index<3>);
    case Op::Release: return Variant(std::in_place_index<4>);
    case Op::ConfigRead: return Variant(std::in_place_index<5>);
    case Op::FirmwareEvent: return Variant(std::in_place_index<6>);
    case Op::BlockTransfer: return Variant(std::in_place_index<7>);
    }
    return std::nullopt;
}

}  // namespace

Op OpOf(const RequestBody& body)
{
    return static_cast<Op>(body.index() + 1);
}

std::vector<uint8_t> EncodeRequest(const Request& request)
{
    Writer w;
    w.Enum(OpOf(request.body));
    w.U32(request.sequence);
    std::visit([&w](const auto& body) { Put(w, body); }, request.body);
    return w.Take();
}

std::optional<Request> DecodeRequest(const uint8_t* bytes, std::size_t size)
{
    Reader r(bytes, size);
    uint32_t op = 0;
    Request request;
    if (size > kMaxPacket || !r.U32(op) || !r.U32(request.sequence))
        return std::nullopt;
    std::optional<RequestBody> body = EmptyBody<RequestBody>(static_cast<Op>(op));
    if (!body)
        return std::nullopt;
    request.body = std::move(*body);
    bool read = std::visit([&r](auto& b) { return Get(r, b); }, request.body);
    if (!read || !r.Done())
        return std::nullopt;
    return request;
}

std::vector<uint8_t> EncodeAnswer(const Answer& answer)
{
    Writer w;
    w.Enum(answer.op);
    w.U32(answer.sequence);
    w.Enum(answer.status);
    if (answer.status == Status::Ok)
        std::visit([&w](const auto& body) { Put(w, body); }, answer.body);
    return w.Take();
}

std::optional<Answer> DecodeAnswer(Op op, uint32_t sequence, const uint8_t* bytes, std::size_t size)
{
    Reader r(bytes, size);
    uint32_t gotOp = 0;
    Answer answer;
    if (size > kMaxPacket || !r.U32(gotOp) || !r.U32(answer.sequence)
        || !r.Enum(answer.status, Status::Ok, Status::BadRequest))
        return std::nullopt;
    if (gotOp != static_cast<uint32_t>(op) || answer.sequence != sequence)
        return std::nullopt;
    std::optional<AnswerBody> body = EmptyBody<AnswerBody>(op);
    if (!body)
        return std::nullopt;
    answer.op = op;
    answer.body = std::move(*body);
    if (answer.status == Status::BadRequest)
        return r.Done() ? std::optional<Answer>(std::move(answer)) : std::nullopt;
    bool read = std::visit([&r](auto& b) { return Get(r, b); }, answer.body);
    if (!read || !r.Done())
        return std::nullopt;
    return answer;
}

std::optional<uint32_t> SequenceOf(const uint8_t* bytes, std::size_t size)
{
    Reader r(bytes, size);
    uint32_t op = 0;
    uint32_t sequence = 0;
    if (!r.U32(op) || !r.U32(sequence))
        return std::nullopt;
    return sequence;
}

std::vector<uint8_t> EncodeBadRequest(uint32_t sequence, uint32_t op)
{
    Writer w;
    w.U32(op);
    w.U32(sequence);
    w.Enum(Status::BadRequest);
    return w.Take();
}

}  // namespace driver

// The stand-in GPIB library: the entry points, status variables and notice
// that libmorvane loads by name, played against the simulator's bus.
//
// Built in variants for the binding's tests from this one source:
//   GPIB_STANDIN_NOTICE           the notice text exported
//   GPIB_STANDIN_WITHOUT_IBERR    user_iberr is not exported
//   GPIB_STANDIN_WITHOUT_IBWRTFA  ibwrtfA is not exported

#include "BusClient.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#ifndef GPIB_STANDIN_NOTICE
#define GPIB_STANDIN_NOTICE "IEEE 488.2 bus library. Copyright 2003."
#endif

#define GPIB_EXPORT extern "C" __attribute__((visibility("default")))
#define GPIB_DATA __attribute__((visibility("default")))

using namespace gensim::gpib;

extern "C" {
GPIB_DATA int user_ibsta = 0;
#ifdef GPIB_STANDIN_WITHOUT_IBERR
static int user_iberr = 0;
#else
GPIB_DATA int user_iberr = 0;
#endif
GPIB_DATA long user_ibcntl = 0;
GPIB_DATA extern const char CopyrightString[];
const char CopyrightString[] = GPIB_STANDIN_NOTICE;
}

namespace {

// What a device descriptor of ibdev keeps.
struct Descriptor {
    int board = 0;
    int address = 0;
    int secondary = 0;
    int timeoutCode = 10;
    bool eot = true;
};

// An answer the simulator should have sent within this beyond the bus's
// own time-out; past it the bus is taken for hung.
constexpr int kAnswerGraceMs = 1000;

std::mutex g_lock;
std::vector<Descriptor> g_descriptors;
BusClient g_bus;

int Finish(int status, int error, long count)
{
    user_ibsta = status;
    if (status & kErr)
        user_iberr = error;
    user_ibcntl = count;
    return status;
}

// The descriptor of ud, or null with the status of a bad one.
Descriptor* Find(int ud)
{
    if (ud < 1 || static_cast<std::size_t>(ud) > g_descriptors.size()) {
        Finish(kErr, kEdvr, 0);
        return nullptr;
    }
    return &g_descriptors[static_cast<std::size_t>(ud) - 1];
}

int WaitMs(const Descriptor& d)
{
    return timeoutMs(d.timeoutCode) + kAnswerGraceMs;
}

// The bus's answer, or null with the status of a failed exchange.
const Frame* Exchange(BusClient::Result& result, const Frame& request, int waitMs, long count)
{
    result = g_bus.call(request, waitMs);
    switch (result.outcome) {
    case BusClient::Outcome::Answered:
        break;
    case BusClient::Outcome::NoAnswer:
        Finish(kErr | kTimo, kEabo, count);
        return nullptr;
    case BusClient::Outcome::NoBus:
    case BusClient::Outcome::Dropped:
        Finish(kErr, kEdvr, result.systemError);
        return nullptr;
    }
    const Frame& a = result.answer;
    if ((a.status & ~(kErr | kTimo | kEnd | kCmpl)) != 0 || a.count < 0) {
        g_bus.drop();
        Finish(kErr, kEdvr, EPROTO);
        return nullptr;
    }
    return &a;
}

Frame Request(Op op, const Descriptor& d)
{
    Frame f;
    f.op = op;
    f.board = d.board;
    f.address = d.address;
    return f;
}

// One piece of a host write; false with the status set when it failed.
bool WritePiece(const Descriptor& d, std::string piece, std::uint8_t flags, long& sent)
{
    Frame request = Request(Op::Write, d);
    request.flags = flags;
    request.payload = std::move(piece);
    BusClient::Result result;
    const Frame* a = Exchange(result, request, WaitMs(d), sent);
    if (a == nullptr)
        return false;
    if (a->count > static_cast<std::int32_t>(request.payload.size()) || !a->payload.empty()) {
        g_bus.drop();
        Finish(kErr, kEdvr, EPROTO);
        return false;
    }
    sent += a->count;
    if (a->status & kErr) {
        Finish(a->status, a->error, sent);
        return false;
    }
    return true;
}

int Write(const Descriptor& d, const char* data, long count)
{
    long sent = 0;
    long offset = 0;
    do {
        const long n = std::min<long>(count - offset, static_cast<long>(kMaxPayload));
        const bool last = offset + n == count;
        const std::uint8_t flags = last ? std::uint8_t(kCallEnd | (d.eot ? kEoi : 0)) : 0;
        if (!WritePiece(d, std::string(data + offset, static_cast<std::size_t>(n)), flags, sent))
            return user_ibsta;
        offset += n;
    } while (offset < count);
    return Finish(kCmpl, 0, sent);
}

} // namespace

GPIB_EXPORT int ibdev(int board, int pad, int sad, int tmo, int eot, int eos)
{
    std::lock_guard lock(g_lock);
    (void)eos;  // no end-of-string character is ever asked for
    if (board < 0 || pad < 0 || pad > kMaxAddress || tmo < 0 || tmo > kMaxTimeoutCode) {
        Finish(kErr, kEarg, 0);
        return -1;
    }
    Descriptor d{board, pad, sad, tmo, eot != 0};
    BusClient::Result result;
    const Frame* a = Exchange(result, Request(Op::Open, d), WaitMs(d), 0);
    if (a == nullptr)
        return -1;
    if (a->status & kErr) {
        Finish(a->status, a->error, 0);
        return -1;
    }
    // A device opened again gets its descriptor back, so opening and
    // forgetting devices never runs the table full.
    std::size_t index = 0;
    while (index < g_descriptors.size()
           && !(g_descriptors[index].board == board && g_descriptors[index].address == pad
                && g_descriptors[index].secondary == sad))
        ++index;
    if (index == g_descriptors.size())
        g_descriptors.push_back(d);
    else
        g_descriptors[index] = d;
    Finish(kCmpl, 0, 0);
    return static_cast<int>(index) + 1;
}

GPIB_EXPORT int ibwrt(int ud, const void* buffer, long count)
{
    std::lock_guard lock(g_lock);
    Descriptor* d = Find(ud);
    if (d == nullptr)
        return user_ibsta;
    if (count < 0 || (buffer == nullptr && count > 0))
        return Finish(kErr, kEarg, 0);
    return Write(*d, static_cast<const char*>(buffer), count);
}

GPIB_EXPORT int ibrd(int ud, void* buffer, long count)
{
    std::lock_guard lock(g_lock);
    Descriptor* d = Find(ud);
    if (d == nullptr)
        return user_ibsta;
    if (count < 0 || (buffer == nullptr && count > 0))
        return Finish(kErr, kEarg, 0);
    if (count == 0)
        return Finish(kCmpl, 0, 0);
    Frame request = Request(Op::Read, *d);
    request.count = static_cast<std::int32_t>(std::min<long>(count, static_cast<long>(kMaxPayload)));
    request.timeoutMs = timeoutMs(d->timeoutCode);
    BusClient::Result result;
    const Frame* a = Exchange(result, request, WaitMs(*d), 0);
    if (a == nullptr)
        return user_ibsta;
    // Never more than asked for, and the count must say what came.
    if (a->payload.size() > static_cast<std::size_t>(request.count)
        || a->count != static_cast<std::int32_t>(a->payload.size())) {
        g_bus.drop();
        return Finish(kErr, kEdvr, EPROTO);
    }
    a->payload.copy(static_cast<char*>(buffer), a->payload.size());
    return Finish(a->status, a->error, a->count);
}

GPIB_EXPORT int ibtmo(int ud, int code)
{
    std::lock_guard lock(g_lock);
    Descriptor* d = Find(ud);
    if (d == nullptr)
        return user_ibsta;
    if (code < 0 || code > kMaxTimeoutCode)
        return Finish(kErr, kEarg, 0);
    d->timeoutCode = code;
    return Finish(kCmpl, 0, 0);
}

GPIB_EXPORT int ibeot(int ud, int on)
{
    std::lock_guard lock(g_lock);
    Descriptor* d = Find(ud);
    if (d == nullptr)
        return user_ibsta;
    d->eot = on != 0;
    return Finish(kCmpl, 0, 0);
}

#ifndef GPIB_STANDIN_WITHOUT_IBWRTFA
// The file goes in large pieces; the last carries EOI when the descriptor
// asserts it.
GPIB_EXPORT int ibwrtfA(int ud, const char* path)
{
    std::lock_guard lock(g_lock);
    Descriptor* d = Find(ud);
    if (d == nullptr)
        return user_ibsta;
    constexpr std::size_t kFilePiece = kMaxPayload;
    std::FILE* file = path == nullptr ? nullptr : std::fopen(path, "rb");
    if (file == nullptr)
        return Finish(kErr, kEfso, 0);
    std::string piece(kFilePiece, '\0');
    std::string next(kFilePiece, '\0');
    std::size_t n = std::fread(piece.data(), 1, piece.size(), file);
    long sent = 0;
    for (;;) {
        const std::size_t m = n == kFilePiece ? std::fread(next.data(), 1, next.size(), file) : 0;
        if (std::ferror(file)) {
            std::fclose(file);
            return Finish(kErr, kEfso, sent);
        }
        const bool last = m == 0;
        piece.resize(n);
        const std::uint8_t flags = last ? std::uint8_t(kCallEnd | (d->eot ? kEoi : 0)) : 0;
        if (!WritePiece(*d, piece, flags, sent)) {
            std::fclose(file);
            return user_ibsta;
        }
        if (last)
            break;
        piece.swap(next);
        piece.resize(kFilePiece);
        next.resize(kFilePiece);
        n = m;
    }
    std::fclose(file);
    return Finish(kCmpl, 0, sent);
}
#endif

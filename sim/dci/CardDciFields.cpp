// The frame counter and its waits, the format fields, and how a call ends
// (rules in CardBlocks.h).
#include "gensim/CardDci.h"

#include "gensim/Generator.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace gensim {

namespace {

uint32_t fieldsWord(const std::vector<double>& a, std::size_t i)
{
    return i < a.size() && a[i] > -9.2e18 && a[i] < 9.2e18 ? static_cast<uint32_t>(static_cast<int64_t>(a[i])) : 0;
}

int fieldsWaitMs(double seconds)
{
    return static_cast<int>(std::clamp(std::ceil(seconds * 1000.0), 0.0, double{blocks::kLongestWaitMs}));
}

} // namespace

CardDci::CallEnd CardDci::lastEnd() const
{
    std::lock_guard lock(m_mutex);
    return m_end;
}

void CardDci::setFrameRate(double hz)
{
    std::lock_guard lock(m_mutex);
    if (hz > 0 && std::isfinite(hz))
        m_frameRate = hz;
}

uint32_t CardDci::frameNow() const
{
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - m_start;
    return static_cast<uint32_t>(elapsed.count() * m_frameRate);
}

// The call finishes when the counter reaches frame; the firmware goes on
// meanwhile (the card's finish is scheduled, nothing waits here).
void CardDci::finishAtFrame(uint64_t frame)
{
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - m_start;
    m_end.laterMs = std::max(m_end.laterMs, fieldsWaitMs(static_cast<double>(frame) / m_frameRate - elapsed.count()));
}

uint32_t CardDci::waitFrame(const std::vector<double>& a)
{
    const uint32_t frame = fieldsWord(a, 0);
    const uint32_t now = frameNow();
    if (frame <= now)
        return now;
    finishAtFrame(frame);
    return frame;
}

uint32_t CardDci::waitFrames(const std::vector<double>& a)
{
    const auto count = static_cast<int32_t>(fieldsWord(a, 0));
    if (count > 0)
        finishAtFrame(uint64_t{frameNow()} + static_cast<uint64_t>(count));
    return 0;
}

uint32_t CardDci::waitScan(const std::vector<double>& a)
{
    const auto line = static_cast<int32_t>(fieldsWord(a, 0));
    const double lines = std::max(1, heightLocked());
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - m_start;
    // Frames gone by; the fraction is where the beam is.
    const double beam = elapsed.count() * m_frameRate;
    double target = std::floor(beam) + (line >= 0 && line < lines ? line / lines : 0.0);
    if (target <= beam)
        target += 1;
    m_end.laterMs = std::max(m_end.laterMs, fieldsWaitMs(target / m_frameRate - elapsed.count()));
    return 0;
}

// --- Format fields -----------------------------------------------------------------------

namespace {

struct FieldsRow {
    std::string_view routine;
    char form;  // n: a staged name, -: none, d: a double, x: three flags, i: an integer
};

constexpr FieldsRow kFieldsRows[] = {
    {"XR_fmtn", 'n'}, {"XR_name", 'n'}, {"XR_fmta", 'n'}, {"XR_fmtl", 'n'}, {"XR_fmtb", '-'},
    {"XR_fmte", '-'}, {"XR_fmtu", '-'}, {"XR_hrat", 'd'}, {"XR_avss", 'd'}, {"XR_xvsg", 'x'},
};

} // namespace

uint32_t CardDci::formatField(const std::vector<double>& a)
{
    char form = 'i';
    for (const FieldsRow& row : kFieldsRows)
        if (row.routine == m_routine)
            form = row.form;
    std::string line;
    for (char c : m_routine.substr(3))
        line += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    switch (form) {
    case 'n': {
        uint64_t bytes = 0;
        const auto* name = reinterpret_cast<const char*>(staged(fieldsWord(a, 0), bytes));
        if (name == nullptr)
            return 0;
        line.append(" ").append(name, static_cast<std::size_t>(std::find(name, name + bytes, '\0') - name));
        break;
    }
    case 'd': {
        char buffer[64];
        const double v = a.empty() ? 0 : a[0];
        const auto r = std::to_chars(buffer, buffer + sizeof buffer, std::isfinite(v) ? v : 0.0);
        line.append(" ").append(buffer, r.ptr);
        break;
    }
    case 'x': {
        const uint32_t flags = fieldsWord(a, 0);
        for (int bit = 2; bit >= 0; --bit)
            line.append(" ").append(std::to_string(flags >> bit & 1));
        break;
    }
    case 'i': line.append(" ").append(std::to_string(static_cast<int32_t>(fieldsWord(a, 0)))); break;
    default: break;
    }
    m_generator.execute(line);
    return 0;
}

} // namespace gensim

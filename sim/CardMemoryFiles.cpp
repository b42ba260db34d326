#include "gensim/CardMemoryFiles.h"

#include "gensim/Generator.h"
#include "gensim/IsaCard.h"
#include "gensim/MemoryImage.h"
#include "gensim/StoreFiles.h"


namespace gensim {

namespace {

constexpr std::uint32_t kFormatBytes = isa::kFormatStoreWords * 2;
constexpr std::uint32_t kImageBytes = isa::kImageStoreWords * 2;
constexpr std::uint32_t kPathBytes = isa::kPathTableWords * 2;
constexpr std::uint32_t kDirectoryBytes = isa::kDirectoryWords * 2;
constexpr std::uint32_t kKnobBytes = isa::kKnobListWords * 2;

} // namespace

CardMemoryFiles::CardMemoryFiles(IsaCard& card, double firmware)
    : m_card(card), m_firmware(firmware), m_build(isaBuildOf(firmware))
{
}

std::vector<CardMemoryFiles::Place> CardMemoryFiles::places() const
{
    const IsaBuild& b = m_build;
    const MemoryImage image(m_firmware);
    const std::vector<Place> all = {
        {image.formatFileName(), "FMT", b.format, kFormatBytes, false},
        {image.imageFileName(), "IMG", b.image, kImageBytes, false},
        {image.sequenceFileName(), "SEQ", b.sequence, isa::sequenceStoreBytes(m_firmware), true},
        {"dir.mem", "DIR", b.directory, kDirectoryBytes, true},
        {"path.mem", "PTH", b.path, kPathBytes, false},
        {"format.knb", "", b.formatKnobs, kKnobBytes, true},
        {"image.knb", "", b.imageKnobs, kKnobBytes, true},
        {"sequence.knb", "", b.sequenceKnobs, kKnobBytes, true},
    };
    std::vector<Place> out;
    for (const Place& place : all)
        if (place.address != 0)
            out.push_back(place);
    return out;
}

std::string CardMemoryFiles::bytes(std::uint32_t address, std::uint32_t count) const
{
    std::string out;
    out.reserve(count + 1);
    for (std::uint32_t i = 0; i < (count + 1) / 2; ++i) {
        const std::uint16_t word = m_card.word(address + 16 * i);
        out += char(word & 0xFF);
        out += char(word >> 8);
    }
    out.resize(count);
    return out;
}

void CardMemoryFiles::write(std::uint32_t address, const std::string& bytes, std::size_t clear)
{
    std::string all = bytes;
    if (all.size() < clear)
        all.resize(clear, '\0');
    if (all.size() % 2)
        all += char(m_card.word(address + 16 * (all.size() / 2)) >> 8);
    for (std::size_t i = 0; i < all.size() / 2; ++i)
        m_card.setWord(address + 16 * std::uint32_t(i),
                       std::uint16_t(std::uint8_t(all[2 * i]) | std::uint8_t(all[2 * i + 1]) << 8));
}

void CardMemoryFiles::publish(GeneratorState& state, bool always)
{
    const bool endless = faults().missingTerminators;
    for (const Place& place : places()) {
        std::string file = storeFile(state, place.name).value_or(std::string());
        if (endless && place.walked)
            file.assign(place.bytes, 'A');
        if (file.size() > place.bytes)
            file.resize(place.bytes);
        std::string& last = m_published[place.address];
        if (!always && file == last)
            continue;
        write(place.address, file, last.size());
        last = std::move(file);
    }
}

// A table as the memory holds it into its store; false when it is no file
// of the revision's form.
bool CardMemoryFiles::readBack(GeneratorState& state, const Place& place)
{
    return takeStoreFile(state, place.name, bytes(place.address, place.bytes));
}

Outcome CardMemoryFiles::pack(GeneratorState& state)
{
    publish(state, true);
    return Outcome::ok();
}

Outcome CardMemoryFiles::unpack(GeneratorState& state, std::string_view kind)
{
    if (faults().unpackRefused)
        return Outcome::failed(ExecError::OutOfRange);
    for (const Place& place : places())
        if (!place.unpack.empty() && place.unpack == kind)
            return readBack(state, place) ? Outcome::ok() : Outcome::failed(ExecError::OutOfRange);
    return Outcome::failed(ExecError::OutOfRange);
}

Outcome CardMemoryFiles::call(GeneratorState& state, std::uint32_t address)
{
    const IsaBuild& b = m_build;
    const std::pair<std::uint32_t, std::string_view> routines[] = {
        {b.formatUnpack, "FMT"}, {b.imageUnpack, "IMG"}, {b.sequenceUnpack, "SEQ"},
        {b.directoryUnpack, "DIR"}, {b.pathUnpack, "PTH"}};
    for (const auto& [routine, kind] : routines)
        if (routine != 0 && routine == address)
            return unpack(state, kind);
    return Outcome::failed(ExecError::OutOfRange);
}

void CardMemoryFiles::lineDone(GeneratorState& state)
{
    if (m_firmware >= 3.0)
        return;
    for (const Place& place : places()) {
        if (!place.unpack.empty())
            continue;  // only the knob lists are read where they lie
        const std::string& last = m_published[place.address];
        if (!last.empty() && bytes(place.address, std::uint32_t(last.size())) != last)
            readBack(state, place);
    }
    publish(state, false);
}

void CardMemoryFiles::setFaults(MemoryFileFaults faults)
{
    std::lock_guard lock(m_faultMutex);
    m_faults = faults;
}

MemoryFileFaults CardMemoryFiles::faults() const
{
    std::lock_guard lock(m_faultMutex);
    return m_faults;
}

} // namespace gensim

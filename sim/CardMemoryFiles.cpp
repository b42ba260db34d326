#include "gensim/CardMemoryFiles.h"

#include "gensim/Generator.h"
#include "gensim/IsaCard.h"
#include "gensim/MemoryImage.h"

#include <array>

namespace gensim {

namespace {

constexpr std::uint32_t kFormatBytes = isa::kFormatStoreWords * 2;
constexpr std::uint32_t kImageBytes = isa::kImageStoreWords * 2;
constexpr std::uint32_t kPathBytes = isa::kPathTableWords * 2;
constexpr std::uint32_t kDirectoryBytes = isa::kDirectoryWords * 2;
constexpr std::uint32_t kKnobBytes = isa::kKnobListWords * 2;

std::vector<StoredItem> userItems(const Store& store)
{
    std::vector<StoredItem> out;
    for (const StoredItem& item : store.items())
        if (item.user)
            out.push_back(item);
    return out;
}

// The kind's user items become items; its built-in ones stay.
void replaceUserItems(Store& store, std::vector<StoredItem> items)
{
    std::vector<StoredItem> kept;
    for (const StoredItem& item : store.items())
        if (!item.user)
            kept.push_back(item);
    store = Store(std::move(kept));
    for (StoredItem& item : items) {
        item.user = true;
        store.put(std::move(item));
    }
}

ItemKind knobKind(int index)
{
    static constexpr ItemKind kKinds[] = {ItemKind::Format, ItemKind::Image, ItemKind::Sequence};
    return kKinds[index];
}

// The names a kind's knob list steps through: the directory it names.
std::vector<std::string> knobNames(const GeneratorState& state, ItemKind kind)
{
    const StoredItem* list = state.slot(ItemKind::Directory).store.find(state.slot(kind).knobList);
    return list ? list->entries : std::vector<std::string>{};
}

} // namespace

CardMemoryFiles::CardMemoryFiles(IsaCard& card, double firmware)
    : m_card(card), m_firmware(firmware), m_build(isaBuildOf(firmware))
{
}

std::vector<CardMemoryFiles::Place> CardMemoryFiles::places() const
{
    const IsaBuild& b = m_build;
    const std::vector<Place> all = {
        {Table::Format, b.format, kFormatBytes},
        {Table::Image, b.image, kImageBytes},
        {Table::Sequence, b.sequence, isa::sequenceStoreBytes(m_firmware)},
        {Table::Directory, b.directory, kDirectoryBytes},
        {Table::Path, b.path, kPathBytes},
        {Table::FormatKnobs, b.formatKnobs, kKnobBytes},
        {Table::ImageKnobs, b.imageKnobs, kKnobBytes},
        {Table::SequenceKnobs, b.sequenceKnobs, kKnobBytes},
    };
    std::vector<Place> out;
    for (const Place& place : all)
        if (place.address != 0)
            out.push_back(place);
    return out;
}

std::string CardMemoryFiles::fileOf(const GeneratorState& state, Table table) const
{
    const MemoryImage image(m_firmware);
    switch (table) {
    case Table::Format: return image.formatFile(userItems(state.slot(ItemKind::Format).store));
    case Table::Image: return image.imageFile(userItems(state.slot(ItemKind::Image).store));
    case Table::Sequence: return image.sequenceFile(userItems(state.slot(ItemKind::Sequence).store));
    case Table::Directory: return image.directoryFile(userItems(state.slot(ItemKind::Directory).store));
    case Table::Path:
        return image.pathFile({state.slot(ItemKind::Directory).loaded, state.slot(ItemKind::Format).knobList,
                               state.slot(ItemKind::Image).knobList, state.slot(ItemKind::Sequence).knobList});
    case Table::FormatKnobs: return image.knobFile(knobNames(state, ItemKind::Format));
    case Table::ImageKnobs: return image.knobFile(knobNames(state, ItemKind::Image));
    case Table::SequenceKnobs: return image.knobFile(knobNames(state, ItemKind::Sequence));
    }
    return {};
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
        std::string file = fileOf(state, place.table);
        const bool walked = place.table == Table::Sequence || place.table == Table::Directory
                            || place.table >= Table::FormatKnobs;
        if (endless && walked)
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
    const MemoryImage image(m_firmware);
    const std::string file = bytes(place.address, place.bytes);
    switch (place.table) {
    case Table::Format: {
        auto items = image.readFormats(file);
        if (!items)
            return false;
        replaceUserItems(state.slot(ItemKind::Format).store, std::move(*items));
        return true;
    }
    case Table::Image: {
        auto items = image.readImages(file);
        if (!items)
            return false;
        replaceUserItems(state.slot(ItemKind::Image).store, std::move(*items));
        return true;
    }
    case Table::Sequence: {
        auto items = image.readSequences(file);
        if (!items)
            return false;
        replaceUserItems(state.slot(ItemKind::Sequence).store, std::move(*items));
        return true;
    }
    case Table::Directory: {
        auto items = image.readDirectories(file);
        if (!items)
            return false;
        replaceUserItems(state.slot(ItemKind::Directory).store, std::move(*items));
        return true;
    }
    case Table::Path: {
        auto names = image.readPath(file);
        if (!names)
            return false;
        state.slot(ItemKind::Directory).loaded = (*names)[0];
        for (int i = 0; i < 3; ++i)
            state.slot(knobKind(i)).knobList = (*names)[std::size_t(i) + 1];
        return true;
    }
    case Table::FormatKnobs:
    case Table::ImageKnobs:
    case Table::SequenceKnobs: {
        auto names = image.readKnobFile(file);
        if (!names)
            return false;
        // A knob list without a directory of its own gets one.
        static constexpr std::array<const char*, 3> kLists = {"fmtknob", "imgknob", "seqknob"};
        const int index = int(place.table) - int(Table::FormatKnobs);
        std::string& list = state.slot(knobKind(index)).knobList;
        if (list.empty())
            list = kLists[std::size_t(index)];
        StoredItem directory{list};
        directory.entries = std::move(*names);
        state.slot(ItemKind::Directory).store.put(std::move(directory));
        return true;
    }
    }
    return false;
}

Outcome CardMemoryFiles::pack(GeneratorState& state)
{
    publish(state, true);
    return Outcome::ok();
}

Outcome CardMemoryFiles::unpack(GeneratorState& state, std::string_view kind)
{
    static const std::map<std::string_view, Table> kKinds = {{"FMT", Table::Format}, {"IMG", Table::Image},
                                                            {"SEQ", Table::Sequence}, {"DIR", Table::Directory},
                                                            {"PTH", Table::Path}};
    const auto found = kKinds.find(kind);
    if (found == kKinds.end())
        return Outcome::failed(ExecError::OutOfRange);
    if (faults().unpackRefused)
        return Outcome::failed(ExecError::OutOfRange);
    for (const Place& place : places()) {
        if (place.table != found->second)
            continue;
        return readBack(state, place) ? Outcome::ok() : Outcome::failed(ExecError::OutOfRange);
    }
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
        if (place.table < Table::FormatKnobs)
            continue;
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

#include "gensim/StoreFiles.h"

#include "gensim/Generator.h"
#include "gensim/MemoryImage.h"

#include <array>
#include <cctype>

namespace gensim {

namespace {

std::string lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::vector<StoredItem> itemsOf(const Store& store, bool all)
{
    std::vector<StoredItem> out;
    for (const StoredItem& item : store.items())
        if (all || item.user)
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

constexpr std::array<ItemKind, 3> kKnobKinds = {ItemKind::Format, ItemKind::Image, ItemKind::Sequence};
constexpr std::array<const char*, 3> kKnobFiles = {"format.knb", "image.knb", "sequence.knb"};
// A knob list read back without a directory of its own gets one of these.
constexpr std::array<const char*, 3> kKnobDirectories = {"fmtknob", "imgknob", "seqknob"};

int knobIndex(std::string_view name)
{
    for (std::size_t i = 0; i < kKnobFiles.size(); ++i)
        if (name == kKnobFiles[i])
            return int(i);
    return -1;
}

// The names a kind's knob list steps through: the directory it names.
std::vector<std::string> knobNames(const GeneratorState& state, ItemKind kind)
{
    const StoredItem* list = state.slot(ItemKind::Directory).store.find(state.slot(kind).knobList);
    return list ? list->entries : std::vector<std::string>{};
}

// Named objects of a revision-7 file whose bodies the simulator keeps as records.
std::vector<std::pair<std::string, std::string>> objectsOf(const Store& store, bool all)
{
    std::vector<std::pair<std::string, std::string>> out;
    for (const StoredItem& item : itemsOf(store, all))
        out.emplace_back(item.name, item.record);
    return out;
}

struct ObjectFile {
    const char* name;
    MemoryObjectKind kind;
    std::optional<ItemKind> store;  // none: the simulator keeps no such items
    bool all;
};

constexpr ObjectFile kObjectFiles[] = {
    {"font.mem", MemoryObjectKind::Fonts, ItemKind::Font, false},
    {"fontsall.mem", MemoryObjectKind::Fonts, ItemKind::Font, true},
    {"map.mem", MemoryObjectKind::Maps, ItemKind::PixelMap, false},
    {"lut.mem", MemoryObjectKind::Tables, std::nullopt, false},
    {"alias.mem", MemoryObjectKind::Aliases, std::nullopt, false},
    {"firmware.mem", MemoryObjectKind::Firmware, std::nullopt, false},
};

const ObjectFile* objectFile(std::string_view name)
{
    for (const ObjectFile& file : kObjectFiles)
        if (name == file.name)
            return &file;
    return nullptr;
}

} // namespace

std::optional<std::string> storeFile(const GeneratorState& state, std::string_view fileName)
{
    const MemoryImage image(state.firmware);
    const std::string name = lower(fileName);
    if (name == image.formatFileName())
        return image.formatFile(itemsOf(state.slot(ItemKind::Format).store, false));
    if (name == image.imageFileName())
        return image.imageFile(itemsOf(state.slot(ItemKind::Image).store, false));
    if (name == image.sequenceFileName())
        return image.sequenceFile(itemsOf(state.slot(ItemKind::Sequence).store, false));
    if (image.directories()) {
        if (name == "dir.mem")
            return image.directoryFile(itemsOf(state.slot(ItemKind::Directory).store, false));
        if (name == "path.mem")
            return image.pathFile({state.slot(ItemKind::Directory).loaded, state.slot(ItemKind::Format).knobList,
                                   state.slot(ItemKind::Image).knobList, state.slot(ItemKind::Sequence).knobList});
    } else if (const int knob = knobIndex(name); knob >= 0) {
        return image.knobFile(knobNames(state, kKnobKinds[std::size_t(knob)]));
    }
    if (!image.revision7())
        return std::nullopt;
    if (name == "fmtsall.mem")
        return image.formatFile(itemsOf(state.slot(ItemKind::Format).store, true));
    if (const ObjectFile* file = objectFile(name))
        return image.objectFile(file->kind, file->store ? objectsOf(state.slot(*file->store).store, file->all)
                                                        : std::vector<std::pair<std::string, std::string>>{});
    return std::nullopt;
}

bool takeStoreFile(GeneratorState& state, std::string_view fileName, std::string_view bytes)
{
    const MemoryImage image(state.firmware);
    const std::string name = lower(fileName);
    auto take = [&](ItemKind kind, std::optional<std::vector<StoredItem>> items) {
        if (!items)
            return false;
        replaceUserItems(state.slot(kind).store, std::move(*items));
        return true;
    };
    if (name == image.formatFileName())
        return take(ItemKind::Format, image.readFormats(bytes));
    if (name == image.imageFileName())
        return take(ItemKind::Image, image.readImages(bytes));
    if (name == image.sequenceFileName())
        return take(ItemKind::Sequence, image.readSequences(bytes));
    if (image.directories()) {
        if (name == "dir.mem")
            return take(ItemKind::Directory, image.readDirectories(bytes));
        if (name == "path.mem") {
            const auto names = image.readPath(bytes);
            if (!names)
                return false;
            state.slot(ItemKind::Directory).loaded = (*names)[0];
            for (std::size_t i = 0; i < kKnobKinds.size(); ++i)
                state.slot(kKnobKinds[i]).knobList = (*names)[i + 1];
            return true;
        }
    } else if (const int knob = knobIndex(name); knob >= 0) {
        auto names = image.readKnobFile(bytes);
        if (!names)
            return false;
        std::string& list = state.slot(kKnobKinds[std::size_t(knob)]).knobList;
        if (list.empty())
            list = kKnobDirectories[std::size_t(knob)];
        StoredItem directory{list};
        directory.entries = std::move(*names);
        state.slot(ItemKind::Directory).store.put(std::move(directory));
        return true;
    }
    if (!image.revision7())
        return false;
    if (name == "fmtsall.mem")
        return take(ItemKind::Format, image.readFormats(bytes));
    if (const ObjectFile* file = objectFile(name)) {
        const auto objects = MemoryImage::readObjectFile(bytes, file->kind);
        if (!objects)
            return false;
        if (!file->store)
            return true;
        std::vector<StoredItem> items;
        for (const auto& [objectName, body] : *objects) {
            StoredItem item{objectName};
            item.record = body;
            items.push_back(std::move(item));
        }
        return take(*file->store, std::move(items));
    }
    return false;
}

} // namespace gensim

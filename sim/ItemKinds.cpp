#include "gensim/ItemKinds.h"

#include "gensim/Generator.h"
#include "gensim/Fonts.h"
#include "gensim/PixelMaps.h"

#include <stdexcept>

namespace gensim {

namespace {

using Fields = std::map<std::string, std::string, std::less<>>;

// The format's own name travels with it but is no setting.
constexpr std::string_view kOwnName = "NAME";

void beginFormat(GeneratorState& s)
{
    s.formatBuffer = s.registers;
    s.formatOwnName.clear();
}

void fillFormat(const GeneratorState& s, StoredItem& item)
{
    item.fields = s.formatBuffer.formatFields();
    item.fields[std::string(kOwnName)] = s.formatOwnName;
}

// Loading a format makes it the current settings, so every query answers
// its fields. A field the item does not hold reads as the generator's
// default, never as a leftover of the format loaded before.
Outcome loadFormat(GeneratorState& s, const StoredItem* item)
{
    if (!item)
        return Outcome::ok();
    Fields settings = Registers().formatFields();
    for (const auto& [mnemonic, text] : item->fields)
        settings[mnemonic] = text;
    settings.erase(std::string(kOwnName));
    return s.registers.setFormatFields(settings);
}

// DIRN starts a new, empty directory under that name.
void nameDirectory(GeneratorState& s, const std::string& name)
{
    ItemSlot& d = s.slot(ItemKind::Directory);
    d.workspace.emplace();
    d.workspaceName = name;
}

// DIRB edits the directory loaded or named before, or a new unnamed one.
void beginDirectory(GeneratorState& s)
{
    ItemSlot& d = s.slot(ItemKind::Directory);
    if (!d.workspace)
        d.workspace.emplace();
}

void fillDirectory(const GeneratorState& s, StoredItem& item)
{
    const ItemSlot& d = s.slot(ItemKind::Directory);
    item.entries = d.workspace.value_or(std::vector<std::string>{});
}

Outcome loadDirectory(GeneratorState& s, const StoredItem* item)
{
    ItemSlot& d = s.slot(ItemKind::Directory);
    if (item) {
        d.workspace = item->entries;
        d.workspaceName = item->name;
    } else {
        d.workspace.reset();
        d.workspaceName.clear();
    }
    return Outcome::ok();
}

std::array<ItemKindDef, kItemKinds> makeKinds()
{
    using E = ExecError;
    ItemKindDef dir{ItemKind::Directory, false, false, false, false, true, 0,
                    E::InvalidIndexName, E::InvalidIndexName, E::InvalidIndexName, E::NoDirectory, E::InvalidIndexName};
    dir.name = nameDirectory;
    dir.begin = beginDirectory;
    dir.fill = fillDirectory;
    dir.load = loadDirectory;

    ItemKindDef fmt{ItemKind::Format, true, false, true, true, false, 0,
                    E::FormatNotFound, E::KillRomFormat, E::KillRomFormat, E::InvalidFormatName, E::InvalidFormatName};
    fmt.begin = beginFormat;
    fmt.fill = fillFormat;
    fmt.load = loadFormat;

    ItemKindDef img{ItemKind::Image, true, true, true, true, false, 0,
                    E::ImageNotFound, E::KillRomImage, E::RomImage, E::NothingToSave, E::InvalidImageName};
    img.loadedQuerySince = 7.0;  // older firmware names its image with IMGN? only
    img.begin = beginImage;
    img.fill = fillImage;
    img.load = loadImage;
    ItemKindDef seq{ItemKind::Sequence, false, false, true, false, true, 0,
                    E::SequenceNotFound, E::SequenceNotFound, E::SequenceNotFound, E::NoSequenceToSave, E::SequenceNotFound};
    seq.begin = beginSequence;
    seq.end = endSequence;
    seq.fill = fillSequence;
    seq.load = loadSequence;
    ItemKindDef fnt{ItemKind::Font, false, false, false, true, false, 7.02,
                    E::FontNotFound, E::KillRomFont, E::RomFont, E::FontNotFound, E::FontNotFound};
    fnt.begin = beginFont;
    fnt.fill = fillFont;
    fnt.load = loadFont;
    ItemKindDef map{ItemKind::PixelMap, false, false, false, true, false, 7.02,
                    E::MapNotFound, E::KillRomImage, E::RomImage, E::NoMapToSave, E::MapNotFound};
    map.begin = beginPixelMap;
    map.fill = fillPixelMap;
    map.load = loadPixelMap;
    return {dir, fmt, img, seq, fnt, map};
}

StoredItem format(std::string name, const Fields& changes)
{
    static const Fields defaults = Registers().formatFields();
    StoredItem item{std::move(name), false};
    item.fields = defaults;
    for (const auto& [mnemonic, value] : changes) {
        if (!item.fields.count(mnemonic))
            throw std::logic_error("no format field " + mnemonic);
        item.fields[mnemonic] = value;
    }
    item.fields[std::string(kOwnName)] = item.name;
    return item;
}

std::vector<StoredItem> builtInFormats()
{
    return {
        format("VGA_m4", {}),
        format("DMT8075", {{"HRES", "800"}, {"HTOT", "1056"}, {"HSPD", "16"}, {"HSPW", "80"}, {"VRES", "600"},
                           {"VTOT", "625"}, {"VSPD", "1"}, {"VSPW", "3"}, {"HRAT", "46875"}, {"HSPP", "1"},
                           {"VSPP", "1"}}),
        format("DMT1075", {{"HRES", "1024"}, {"HTOT", "1312"}, {"HSPD", "16"}, {"HSPW", "96"}, {"VRES", "768"},
                           {"VTOT", "800"}, {"VSPD", "1"}, {"VSPW", "3"}, {"HRAT", "60023"}, {"HSPP", "1"},
                           {"VSPP", "1"}}),
        format("DMT1275", {{"HRES", "1280"}, {"HTOT", "1688"}, {"HSPD", "16"}, {"HSPW", "144"}, {"VRES", "1024"},
                           {"VTOT", "1066"}, {"VSPD", "1"}, {"VSPW", "3"}, {"HRAT", "79976"}, {"HSPP", "1"},
                           {"VSPP", "1"}}),
        format("NTSC_601", {{"HRES", "720"}, {"HTOT", "858"}, {"HSPD", "16"}, {"HSPW", "64"}, {"VRES", "480"},
                            {"VTOT", "525"}, {"VSPD", "6"}, {"VSPW", "6"}, {"HRAT", "15734.264"}, {"SCAN", "2"}}),
        format("HDTV_2J", {{"HRES", "1920"}, {"HTOT", "2200"}, {"HSPD", "88"}, {"HSPW", "44"}, {"VRES", "1080"},
                           {"VTOT", "1125"}, {"VSPD", "4"}, {"VSPW", "5"}, {"HRAT", "33750"}, {"SCAN", "2"},
                           {"HSPP", "1"}, {"VSPP", "1"}}),
    };
}

std::vector<StoredItem> builtInImages()
{
    std::vector<StoredItem> images;
    int variant = 0;
    for (const char* name : {"Flat", "ColorBar", "SMPTEbar", "Ramp", "Outline0", "Cubes", "SlideG"})
        images.push_back(sampleImage(name, false, variant++));
    for (StoredItem& image : images)
        image.animated = image.name == "Cubes" || image.name == "SlideG";
    return images;
}

// The knob lists of formats and images step through the built-in ones.
StoredItem directoryOf(std::string name, const std::vector<StoredItem>& items)
{
    StoredItem dir{std::move(name), false};
    for (const std::string& entry : Store(items).names())
        dir.entries.push_back(entry);
    return dir;
}

constexpr std::uint64_t kFirmwareBytes = 512u << 10;

} // namespace

const std::array<ItemKindDef, kItemKinds>& itemKinds()
{
    static const std::array<ItemKindDef, kItemKinds> kinds = makeKinds();
    return kinds;
}

const ItemKindDef& itemKind(ItemKind kind)
{
    return itemKinds()[static_cast<std::size_t>(kind)];
}

std::vector<StoredItem> builtInItems(ItemKind kind)
{
    switch (kind) {
    case ItemKind::Directory:
        return {directoryOf("fmt", builtInFormats()), directoryOf("img", builtInImages())};
    case ItemKind::Format:
        return builtInFormats();
    case ItemKind::Image:
        return builtInImages();
    case ItemKind::Sequence:
        return builtInSequences();
    case ItemKind::Font:
        return builtInFonts();
    case ItemKind::PixelMap:
        return builtInPixelMaps();
    }
    return {};
}

std::string_view startItem(ItemKind kind)
{
    switch (kind) {
    case ItemKind::Format:
        return "VGA_m4";
    case ItemKind::Image:
        return "Flat";
    default:
        return "";
    }
}

std::uint64_t itemSize(const StoredItem& item)
{
    std::uint64_t size = 256;
    for (const std::string& e : item.entries)
        size += 16 + e.size();
    for (const auto& [mnemonic, value] : item.fields)
        size += 8 + value.size();
    for (const std::string& line : item.lines)
        size += 8 + line.size();
    size += 4 * item.words.size();
    size += item.font.bytes();
    return size;
}

// Built-in items live in the firmware's own memory.
std::uint64_t memoryUsed(const GeneratorState& state)
{
    std::uint64_t used = kFirmwareBytes;
    for (const ItemSlot& slot : state.items)
        for (const StoredItem& item : slot.store.items())
            if (item.user)
                used += itemSize(item);
    return used;
}

} // namespace gensim

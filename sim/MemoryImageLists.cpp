// Knob lists, directories and path memory in their memory files.
#include "gensim/MemoryImage.h"

#include "MemoryImageBytes.h"

namespace gensim {

using namespace memory;

namespace {

constexpr char kDirectoryEnd = char(0xFF);
constexpr std::size_t kPathEntry = 32;  // before revision 7
constexpr std::size_t kPathName = 9;    // from revision 7: 8 characters and a NUL

} // namespace

std::string MemoryImage::knobFile(const std::vector<std::string>& names) const
{
    const char pad = firmwareAtLeast(m_firmware, 2.179) ? '\0' : ' ';
    std::string out;
    for (const std::string& name : names)
        out += padded(name, pad);
    return out + std::string(8, '\0');
}

std::optional<std::vector<std::string>> MemoryImage::readKnobFile(std::string_view file) const
{
    std::vector<std::string> names;
    for (std::size_t at = 0; at + 8 <= file.size(); at += 8) {
        if (file[at] == '\0')
            return names;
        names.push_back(unpadded(file.substr(at, 8)));
    }
    return std::nullopt;
}

std::string MemoryImage::directoryFile(const std::vector<StoredItem>& directories) const
{
    if (revision7()) {
        std::vector<Object7> objects;
        for (const StoredItem& item : directories) {
            std::string body;
            putBe32(body, std::uint32_t(item.entries.size()));
            for (const std::string& entry : item.entries)
                body += padded(entry, '\0');
            objects.push_back({item.name, body});
        }
        return writeFile7(std::uint32_t(MemoryObjectKind::NameLists), m_firmware, objects);
    }
    std::string out;
    for (const StoredItem& item : directories) {
        out += padded(item.name, '\0');
        for (const std::string& entry : item.entries)
            out += padded(entry, '\0');
        out += kDirectoryEnd;
    }
    return out + '\0';
}

std::optional<std::vector<StoredItem>> MemoryImage::readDirectories(std::string_view file) const
{
    std::vector<StoredItem> directories;
    if (revision7()) {
        const auto objects = readFile7(file, std::uint32_t(MemoryObjectKind::NameLists));
        if (!objects)
            return std::nullopt;
        for (const Object7& object : *objects) {
            const std::string_view body = object.body;
            if (body.size() < 4 || body.size() != 4 + 8 * std::size_t(be32(body, 0)))
                return std::nullopt;
            StoredItem item{object.name};
            for (std::size_t at = 4; at < body.size(); at += 8)
                item.entries.push_back(unpadded(body.substr(at, 8)));
            directories.push_back(std::move(item));
        }
        return directories;
    }
    std::size_t at = 0;
    for (;;) {
        if (at >= file.size())
            return std::nullopt;
        if (file[at] == '\0')
            return directories;
        if (file.size() - at < 8)
            return std::nullopt;
        StoredItem item{unpadded(file.substr(at, 8))};
        at += 8;
        for (;;) {
            if (at >= file.size())
                return std::nullopt;
            if (file[at] == kDirectoryEnd)
                break;
            if (file.size() - at < 8)
                return std::nullopt;
            item.entries.push_back(unpadded(file.substr(at, 8)));
            at += 8;
        }
        ++at;
        directories.push_back(std::move(item));
    }
}

std::string MemoryImage::pathFile(const std::array<std::string, 4>& names) const
{
    std::string out;
    for (const std::string& name : names) {
        std::string entry = padded(name, '\0');
        entry.resize(revision7() ? kPathName : kPathEntry, '\0');
        out += entry;
    }
    return revision7() ? writeFile7(std::uint32_t(MemoryObjectKind::Paths), m_firmware, {}, out) : out;
}

std::optional<std::array<std::string, 4>> MemoryImage::readPath(std::string_view file) const
{
    std::string entries(file);
    if (revision7()) {
        const auto objects = readFile7(file, std::uint32_t(MemoryObjectKind::Paths), &entries);
        if (!objects || !objects->empty())
            return std::nullopt;
    }
    const std::size_t size = revision7() ? kPathName : kPathEntry;
    if (entries.size() != 4 * size)
        return std::nullopt;
    std::array<std::string, 4> names;
    for (std::size_t i = 0; i < 4; ++i)
        names[i] = unpadded(std::string_view(entries).substr(i * size, 8));
    return names;
}

} // namespace gensim

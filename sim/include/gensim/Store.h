// The named items of one kind that a generator keeps in its memory.
#pragma once

#include "gensim/FontTables.h"
#include "gensim/SequenceStep.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace gensim {

struct StoredItem {
    std::string name;
    bool user = true;                      // false: built into the generator
    bool animated = false;                 // images only
    std::vector<std::string> entries{};    // a directory's item names
    std::map<std::string, std::string, std::less<>> fields{};  // a format's settings, setter form
    int width = 0;                         // an image's size in pixels
    int height = 0;
    std::vector<std::string> lines{};      // an image's primitives, as they were sent
    std::vector<SequenceStep> steps{};     // a sequence's steps
    int depth = 0;                         // a pixel map's bits a pixel; its size is width x height
    std::vector<std::uint32_t> words{};    // a pixel map's words, row after row
    FontTables font{};                     // a font's header and tables
    // Its record in the memory files as it was restored (MemoryImage), or
    // empty: the record is then made from the fields above.
    std::string record{};

    bool operator==(const StoredItem&) const = default;
};

// Names are matched without regard to case, as the generator does, and the
// items are kept in that order so list replies come sorted.
class Store {
public:
    Store() = default;
    explicit Store(std::vector<StoredItem> items);

    static bool sameName(std::string_view a, std::string_view b);

    const std::vector<StoredItem>& items() const { return m_items; }
    std::vector<std::string> names() const;
    const StoredItem* find(std::string_view name) const;
    // 1-based position in the list, 0 when not held.
    std::size_t position(std::string_view name) const;

    // Replaces an item of the same name (its spelling then becomes the new one).
    void put(StoredItem item);
    bool remove(std::string_view name);

private:
    std::vector<StoredItem> m_items;
};

} // namespace gensim

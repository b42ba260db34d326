// The six kinds of stored items. One table row per kind says what its
// commands (spelled whole in StoreRows.cpp) do beyond the common part.
#pragma once

#include "gensim/Outcome.h"
#include "gensim/Store.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gensim {

struct GeneratorState;

enum class ItemKind { Directory, Format, Image, Sequence, Font, PixelMap };
constexpr std::size_t kItemKinds = 6;

// What the generator does with one kind, besides keeping its store.
struct ItemSlot {
    Store store;
    std::string named;     // N: the name of what is being built, or the selected image
    std::string loaded;    // L
    std::string inUse;     // U
    // Whether what is in use moves: it stays on show after its stored copy
    // is deleted (a preview), and ANIM? still answers for it.
    bool inUseAnimated = false;
    std::string knobList;  // P: the directory the kind's knob steps through
    bool building = false; // B seen since the last store: there is something to store
    bool editing = false;  // between B and E
    // Directories: the entries being read or edited, and under which name.
    std::optional<std::vector<std::string>> workspace;
    std::string workspaceName;
};

struct ItemKindDef {
    ItemKind kind;
    bool loadedQuery;              // "L?" without a name answers the item loaded
    bool nameSelects;              // "N" names the selected item; loading one selects it
    bool putOut;                   // what is loaded goes to the outputs on "U" and ALLU
    bool flagForm;                 // list queries take " x" from firmware 7.011; older
                                   // firmware refuses it as one argument too many
    bool builtInOverwritable;      // a store may replace a built-in item
    double aboveFirmware;          // the family exists only above this version
    ExecError notFound;
    ExecError killBuiltIn;         // delete of a built-in item
    ExecError overwriteBuiltIn;    // store over a built-in item
    ExecError nothingToSave;
    ExecError invalidName;
    double loadedQuerySince = 0;   // "L?" without a name is known from this version
    // Hooks; null ones do nothing.
    void (*begin)(GeneratorState&) = nullptr;
    void (*end)(GeneratorState&) = nullptr;
    void (*name)(GeneratorState&, const std::string&) = nullptr;
    void (*fill)(const GeneratorState&, StoredItem&) = nullptr;     // the store takes the buffer
    Outcome (*load)(GeneratorState&, const StoredItem*) = nullptr;  // null item: unload
};

const std::array<ItemKindDef, kItemKinds>& itemKinds();
const ItemKindDef& itemKind(ItemKind kind);

// The built-in items a generator starts with.
std::vector<StoredItem> builtInItems(ItemKind kind);
// The item each kind starts with loaded and in use ("" for none).
std::string_view startItem(ItemKind kind);

// Firmware that knows the " x" form of the list queries.
constexpr double kFlagFormFirmware = 7.011;
// Firmware that reports its memory.
constexpr double kMemoryFirmware = 7.01;  // strictly above

// Bytes the generator's memory holds, and what its items take of it.
constexpr std::uint64_t kDefaultMemorySize = 8u << 20;
std::uint64_t itemSize(const StoredItem& item);
std::uint64_t memoryUsed(const GeneratorState& state);

} // namespace gensim

// The generator's pixel-map buffer: what DMAP allocates and MDTA fills
// between MAPB and the store (MAPA), and what MAPL loads for DMAP? and
// MDTA? to read. A map is width x height pixels of 1, 2, 4 or 8 bits,
// packed into 32-bit words, ceil(width * depth / 32) words a row.
#pragma once

#include "gensim/Outcome.h"
#include "gensim/Store.h"

#include <cstdint>
#include <string>
#include <vector>

namespace gensim {

struct GeneratorState;

struct PixelMapBuffer {
    int width = 0;
    int height = 0;
    int depth = 0;
    std::vector<std::uint32_t> words;  // empty: nothing allocated or loaded
};

// Words a row of a map.
int mapPitch32(int width, int depth);

// The MAP family's hooks (ItemKinds): MAPB empties the buffer, MAPA stores
// it, MAPL loads a stored map into it (an empty name empties it).
void beginPixelMap(GeneratorState& state);
void fillPixelMap(const GeneratorState& state, StoredItem& item);
Outcome loadPixelMap(GeneratorState& state, const StoredItem* item);

// A stored map of that size whose words are a fixed function of variant.
StoredItem samplePixelMap(std::string name, bool user, int width, int height, int depth, int variant);
// The maps built into the generator: "Arrow" and "Cursor".
std::vector<StoredItem> builtInPixelMaps();

}  // namespace gensim

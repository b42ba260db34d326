// The generator's font buffer: the header FDTA 0 k sets between FNTB and
// the store (FNTA), the tables FNTG allocates and FDTA t i fills, and what
// FNTL loads for FDTA? to read.
#pragma once

#include "gensim/FontTables.h"
#include "gensim/Outcome.h"
#include "gensim/Store.h"

#include <string>
#include <vector>

namespace gensim {

struct GeneratorState;

struct FontBuffer {
    FontTables font;
    bool allocated = false;  // FNTG went through, or a stored font is loaded
};

// The FNT family's hooks (ItemKinds): FNTB empties the buffer, FNTA stores
// it, FNTL loads a stored font into it (an empty name empties it).
void beginFont(GeneratorState& state);
void fillFont(const GeneratorState& state, StoredItem& item);
Outcome loadFont(GeneratorState& state, const StoredItem* item);

// A font of codes first..last, every image width pixels wide (1..32) and
// height rows, one word column each and a box as the missing glyph; the
// ink is a fixed function of variant.
StoredItem sampleFont(std::string name, bool user, int first, int last, int width, int height, int variant);
// The fonts built into the generator: "Fixed_9" and "Fixed_16".
std::vector<StoredItem> builtInFonts();

}  // namespace gensim

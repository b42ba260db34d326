// The generator's image buffer: what an upload between IMGB and IMGE puts
// there (primitive lines, and the size XRES and YRES give), what IMGL
// loads for reading with ISTP?, and what IMGA stores.
#pragma once

#include "gensim/Outcome.h"
#include "gensim/Store.h"

#include <string>
#include <vector>

namespace gensim {

struct GeneratorState;

struct ImageBuffer {
    int width = 0;   // XRES since IMGB; 0: the current format's
    int height = 0;  // YRES
    std::vector<std::string> lines;
};

// The image buffer as a test reads it.
struct ImageBufferView {
    std::string name;  // IMGN
    bool open = false; // between IMGB and IMGE
    int width = 0;
    int height = 0;
    std::vector<std::string> lines;
    bool operator==(const ImageBufferView&) const = default;
};

// Firmware from which XRES and YRES give an image its own size.
constexpr double kImageSizeFirmware = 3.03119;

// The image family's hooks (ItemKinds): IMGB empties the buffer, IMGA
// stores it, IMGL loads a stored image into it (an empty name empties it).
void beginImage(GeneratorState& state);
void fillImage(const GeneratorState& state, StoredItem& item);
Outcome loadImage(GeneratorState& state, const StoredItem* item);

// Primitive lines of every class the generator draws, among them a render
// map and one of a class the program cannot build ("AROW"); variant moves
// the first line's end so that images differ.
std::vector<std::string> sampleImageLines(int variant);
// A stored image with those lines, 640 x 480.
StoredItem sampleImage(std::string name, bool user, int variant);

// A line as ISTP? gives it back: runs of blanks outside quotes made one.
std::string singleBlanks(const std::string& line);

} // namespace gensim

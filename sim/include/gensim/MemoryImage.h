// The generator's memory files in the form of its firmware revision: what
// an extraction receives from it and what a restoration gives it. Before
// revision 7 the files are the processor's records (little-endian, names
// in 8 bytes); from revision 7 on each is a 32-byte header (big-endian,
// with the file's byte sum) and named objects with their own sums.
//
// Each item written keeps the record it was restored from (StoredItem::
// record) when that has the revision's form, else one is made from its
// name and fields: a format's HRES, VRES, HRAT and SCAN, an image's size,
// a sequence's steps. Readers give the items back with their records and
// say nothing (nullopt) for bytes that are not a file of the form.
#pragma once

#include "gensim/Store.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace gensim {

// Object types of the revision-7 files.
enum class MemoryObjectKind : std::uint32_t {
    Formats = 0,
    Images = 1,
    Sequences = 2,
    NameLists = 3,
    Fonts = 4,
    Tables = 5,
    Maps = 6,
    Aliases = 7,
    Firmware = 8,
    Paths = 900,
};

// Whether a firmware is the given revision or a later one; revisions are
// written with three decimals, so a hair below counts.
inline bool firmwareAtLeast(double firmware, double revision) { return firmware >= revision - 1e-9; }

class MemoryImage {
public:
    explicit MemoryImage(double firmware);

    double firmware() const { return m_firmware; }
    bool revision7() const;
    // "formats.fmt" before 2.349, else "format.mem"; likewise the images
    // ("images.img", "image.mem") and sequences ("sequence.seq", "sequence.mem").
    std::string formatFileName() const;
    std::string imageFileName() const;
    std::string sequenceFileName() const;
    // The knob lists are format.knb, image.knb and sequence.knb before
    // 2.898, then dir.mem and path.mem.
    bool directories() const;

    // system.sys (before revision 7), the record the ISA card's firmware
    // also keeps: the revision as a processor double, the rest zero.
    std::string systemFile() const;
    static std::optional<double> systemRevision(std::string_view file);

    std::string formatFile(const std::vector<StoredItem>& formats) const;
    std::optional<std::vector<StoredItem>> readFormats(std::string_view file) const;
    std::string imageFile(const std::vector<StoredItem>& images) const;
    std::optional<std::vector<StoredItem>> readImages(std::string_view file) const;
    std::string sequenceFile(const std::vector<StoredItem>& sequences) const;
    std::optional<std::vector<StoredItem>> readSequences(std::string_view file) const;

    // A knob list before 2.898: names blank-padded before 2.179, then NUL-padded.
    std::string knobFile(const std::vector<std::string>& names) const;
    std::optional<std::vector<std::string>> readKnobFile(std::string_view file) const;
    // dir.mem: each directory's entries.
    std::string directoryFile(const std::vector<StoredItem>& directories) const;
    std::optional<std::vector<StoredItem>> readDirectories(std::string_view file) const;
    // path.mem: the current path and the format, image and sequence knob lists.
    std::string pathFile(const std::array<std::string, 4>& names) const;
    std::optional<std::array<std::string, 4>> readPath(std::string_view file) const;

    // A revision-7 file of named objects whose bodies it does not look into:
    // fonts, tables, maps, aliases, firmware, the "all" files.
    std::string objectFile(MemoryObjectKind kind, const std::vector<std::pair<std::string, std::string>>& objects) const;
    static std::optional<std::vector<std::pair<std::string, std::string>>> readObjectFile(std::string_view file,
                                                                                       MemoryObjectKind kind);

private:
    double m_firmware;
};

} // namespace gensim

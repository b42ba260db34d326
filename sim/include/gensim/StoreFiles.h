// A generator's stores as its memory files, by file name, in the form of its
// firmware's revision (MemoryImage): what it sends after "YMDO" and lays
// out in an ISA card's memory, and what it takes after "YMDI" or an unpack.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace gensim {

struct GeneratorState;

// The file's bytes; nullopt for a name the firmware does not keep.
std::optional<std::string> storeFile(const GeneratorState& state, std::string_view name);
// The file replaces its kind's user items (a knob or path file, the knob
// lists). False, with the stores unchanged, for a file that is not one of
// the revision's form or a name the firmware does not keep.
bool takeStoreFile(GeneratorState& state, std::string_view name, std::string_view bytes);

} // namespace gensim

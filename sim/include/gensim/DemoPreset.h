// The set of generators `gensim --demo` plays, the one `./zot run` connects
// the program to. A generator joins the set as one more row.
#pragma once

#include "gensim/Generator.h"

#include <optional>
#include <string>
#include <vector>

namespace gensim {

// The set's generators; each COM generator's link is made in `linkFolder`
// ("" for the current folder), or none is made without a folder.
std::vector<GeneratorOptions> demoGenerators(const std::optional<std::string>& linkFolder);

// Writes one folder per firmware family of the set under `folder`, each with
// a "Firmware.bin" newer than the firmware of the generators it suits, and
// returns a line per folder naming them; empty when it cannot write.
std::string writeDemoFirmware(const std::string& folder);

} // namespace gensim

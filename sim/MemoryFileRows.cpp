// The memory-file commands: "PKUP" packs the stores into the card's memory,
// "UNPK <kind>" and "CALL <routine> 0" read a table back into its store.
// Only a generator on an ISA card has such memory; elsewhere PKUP packs
// nothing and the others are refused.
#include "gensim/CommandInterpreter.h"

#include "gensim/Generator.h"

#include <cctype>
#include <string>

namespace gensim {

void CommandInterpreter::addMemoryFileRows()
{
    addRow("PKUP", [](GeneratorState& s, const Command& c) {
        if (!c.words.empty())
            return Outcome::failed(ExecError::ArgumentCount);
        return s.memoryFiles ? s.memoryFiles->pack(s) : Outcome::ok();
    });
    addRow("UNPK", [](GeneratorState& s, const Command& c) {
        if (c.words.size() != 1)
            return Outcome::failed(ExecError::ArgumentCount);
        if (!s.memoryFiles)
            return Outcome::invalid();
        std::string kind = c.words[0];
        for (char& ch : kind)
            ch = char(std::toupper(static_cast<unsigned char>(ch)));
        return s.memoryFiles->unpack(s, kind);
    });
    // The routine's address is hexadecimal, as the firmware's map gives it.
    addRow("CALL", [](GeneratorState& s, const Command& c) {
        if (c.words.empty() || c.words.size() > 2)
            return Outcome::failed(ExecError::ArgumentCount);
        if (!s.memoryFiles)
            return Outcome::invalid();
        std::size_t used = 0;
        unsigned long address = 0;
        try {
            address = std::stoul(c.words[0], &used, 16);
        } catch (const std::exception&) {
            return Outcome::failed(ExecError::NotANumber);
        }
        if (used != c.words[0].size() || address > 0xFFFFFFFFul)
            return Outcome::failed(ExecError::NotANumber);
        return s.memoryFiles->call(s, static_cast<std::uint32_t>(address));
    });
}

} // namespace gensim

// The memory files of a generator on an ISA card as its firmware keeps them
// in the processor's memory: each store in the form of the firmware's
// revision (MemoryImage) at the build's address (IsaCardMap.h). Builds
// before 3.0 keep them current after every command line; from 3.0 on
// "PKUP" packs them. An unpack command reads a table back into its store,
// a changed knob list is read back after the line that follows it.
#pragma once

#include "gensim/IsaCardMap.h"
#include "gensim/MemoryFileHost.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace gensim {

class IsaCard;

struct MemoryFileFaults {
    bool missingTerminators = false;  // the walked tables never end
    bool unpackRefused = false;       // UNPK and CALL fail with an execution error
};

class CardMemoryFiles : public MemoryFileHost {
public:
    CardMemoryFiles(IsaCard& card, double firmware);

    Outcome pack(GeneratorState& state) override;
    Outcome unpack(GeneratorState& state, std::string_view kind) override;
    Outcome call(GeneratorState& state, std::uint32_t address) override;
    void lineDone(GeneratorState& state) override;

    void setFaults(MemoryFileFaults faults);
    MemoryFileFaults faults() const;

    // A table's bytes as the memory holds them, for tests.
    std::string bytes(std::uint32_t address, std::uint32_t count) const;

private:
    struct Place {
        std::string name;     // the memory file (StoreFiles.h)
        std::string unpack;   // its UNPK argument; empty for a knob list
        std::uint32_t address;
        std::uint32_t bytes;  // the region
        bool walked;          // the firmware finds its end by a terminator
    };
    std::vector<Place> places() const;
    bool readBack(GeneratorState& state, const Place& place);
    void publish(GeneratorState& state, bool always);
    void write(std::uint32_t address, const std::string& bytes, std::size_t clear);

    IsaCard& m_card;
    const double m_firmware;
    const IsaBuild m_build;
    std::map<std::uint32_t, std::string> m_published;  // what each table was last written as
    mutable std::mutex m_faultMutex;
    MemoryFileFaults m_faults;
};

} // namespace gensim

// The direct calls the cards' firmware knows: by ISA call number (the
// routine's name, its argument codes in sending order and its result kind)
// and by PCI function (name, parameter words, variant word, where the call
// block puts them).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gensim {

struct IsaCallRow {
    uint16_t number;
    std::string_view name;
    std::string_view types;  // codes in sending order: the last parameter first
    int kind;                // 0 none, 5 signed, 6 unsigned, 7 address
};

enum class PciForm {
    Context,        // +12 the context address, parameters from +16
    Round,          // a double: its high word at +12, its low word at +16
    FirstAtResult,  // parameters from +12
    Packed,         // +16 holds p1 << 16 | p2 & 0xFFFF
    Bare,           // parameters from +12, no context
};

struct PciCallRow {
    uint16_t function;
    std::string_view name;
    int words;    // parameter words
    int variant;  // -1: the function has no variant word
    PciForm form;
};

const IsaCallRow* findIsaCall(uint16_t number);
// The rows of one function: one, or one per variant word.
std::vector<const PciCallRow*> findPciCall(uint16_t function);

// An ISA call as the host left it in processor memory: its arguments from
// `first`, then a 0 word and the call number, the address now at `end`.
struct DecodedIsaCall {
    const IsaCallRow* row = nullptr;  // null: no call of the table
    std::vector<double> args;         // in parameter order
    std::string problem;              // why it is not a call, empty when it is
};
// Decodes back from the call number; word reads a 16-bit word by bit address.
DecodedIsaCall decodeIsaCall(const std::function<uint16_t(uint32_t)>& word, uint32_t first, uint32_t end);

} // namespace gensim

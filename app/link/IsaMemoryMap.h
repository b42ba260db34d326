#pragma once
// Where a generator on an ISA card keeps its memory files in the graphics
// processor's memory, for its firmware build (bit addresses; 0: the build
// has no such table).

#include <cstdint>

struct IsaMemoryMap
{
    bool beta = false; // a test build: the version has more than three decimals
    uint32_t formatData = 0;
    uint32_t imageData = 0;
    uint32_t sequenceData = 0;
    uint32_t directoryData = 0;
    uint32_t pathData = 0;
    uint32_t formatKnobList = 0;
    uint32_t imageKnobList = 0;
    uint32_t sequenceKnobList = 0;
    uint32_t systemRecord = 0;
    uint32_t formatUnpack = 0;
    uint32_t imageUnpack = 0;
    uint32_t sequenceUnpack = 0;
    uint32_t directoryUnpack = 0;
    uint32_t pathUnpack = 0;

    bool operator==(const IsaMemoryMap &) const = default;
};

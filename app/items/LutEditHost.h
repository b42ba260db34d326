#pragma once
// What the LUT pane and the LUT Editing dialog ask of the editor that holds
// the colour table (the pixel map editor).

#include <cstdint>

class LutEditHost {
public:
    // The current entry becomes index.
    virtual void SelectEntry(int index) = 0;
    // The next entry (forward) or the one before; the pane then selects it.
    virtual void StepEntry(bool forward) = 0;
    // The current entry takes colour (0x00BBGGRR).
    virtual void SetEntryColour(std::uint32_t colour) = 0;
    // The table is built anew from the standard sets in mask.
    virtual void ApplyLutSets(std::uint32_t mask) = 0;

protected:
    ~LutEditHost() = default;
};

#pragma once
// The names the conversion between firmware revisions knows: the formats
// and images renamed at 2.179, the formats built into 2.001 and 2.349, and
// the formats and images each revision brought.

#include <span>

struct NameChange {
    const char *from;
    const char *to;
};

// Old name (blank-padded in the files) -> new name.
std::span<const NameChange> FormatRenames();
std::span<const NameChange> ImageRenames();

// 120 names, in order; compared as 8 blank-padded bytes.
std::span<const char *const> BuiltInFormats2001();
// 125 names, in order; the last 35 (RS343A1 to RS412G6) are what the
// format knob list's clean-up of 2.449 drops.
std::span<const char *const> BuiltInFormats2349();
std::span<const char *const> KnobCleanupFormats2449();

// The formats new at 2179, 2800 and 2898, the images new at 2179, 2642,
// 2981, 2983, 2991 and 2994; empty for any other revision.
std::span<const char *const> NewFormats(int revision);
std::span<const char *const> NewImages(int revision);

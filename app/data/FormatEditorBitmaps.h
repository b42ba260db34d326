#pragma once
// The pictures of the format editor's buttons, painted once and registered
// under their bitmap ids: the Timing page's A/B/C selectors (142 the look of
// an entered value, 143 of a calculated one) and the Options page's switches
// (252-257 on and off, 254/255 and 258/259 the sync polarities).

enum : unsigned {
    IDB_SELECT_ENTERED = 142,
    IDB_SELECT_CALCULATED = 143,
    IDB_SWITCH_OFF = 252,
    IDB_SWITCH_ON = 253,
    IDB_POLARITY_POSITIVE = 254,
    IDB_POLARITY_NEGATIVE = 255,
    IDB_SWITCH_OFF_FOCUS = 256,
    IDB_SWITCH_ON_FOCUS = 257,
    IDB_POLARITY_NEGATIVE_FOCUS = 258,
    IDB_POLARITY_POSITIVE_FOCUS = 259,
};

// Sizes of the pictures, in pixels.
inline constexpr int kSelectorSize = 14;
inline constexpr int kSwitchWidth = 26;
inline constexpr int kSwitchHeight = 18;

// Registers every picture that is not there yet.
void RegisterFormatEditorBitmaps();

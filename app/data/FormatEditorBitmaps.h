#pragma once
// The pictures of the format editor's buttons, painted once and registered
// under their bitmap ids: the Timing page's A/B/C selectors (142 the look of
// an entered value, 143 of a calculated one) and the Options page's switches
// (252-257 on and off, 254/255 and 258/259 the sync polarities).



// Sizes of the pictures, in pixels.
inline constexpr int kSelectorSize = 14;
inline constexpr int kSwitchWidth = 26;
inline constexpr int kSwitchHeight = 18;

// Registers every picture that is not there yet.
void RegisterFormatEditorBitmaps();

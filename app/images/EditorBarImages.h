#pragma once
// The image editor's toolbar pictures: bitmap resources 146 (the primitives
// bar) and 204 (the options bar), each a strip of 16-pixel-wide images, one
// per button in the bar's order (separators take none), white the
// transparent colour.

#include <QIcon>
#include <QList>

inline constexpr int kPrimitivesBarImageCount = 25;
inline constexpr int kOptionsBarImageCount = 10;

const QList<QIcon> &PrimitivesBarImages();
const QList<QIcon> &OptionsBarImages();

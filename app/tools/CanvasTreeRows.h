#pragma once
// The Diagnostics window's view of a drawing state: one text per colour word
// and per drawing parameter, each value written as C's printf writes it
// ("%#8X", "%-5d", "%.5lf", "%-3x").

#include "morvane_types.h"

#include <QStringList>

namespace CanvasTreeRows {

// "black =        0", ... one per colour word 0-69.
QStringList Colours(const RemoteCallContext& context);
// "imageversion = 1    ", ... one per parameter, words 70-138.
QStringList Parameters(const RemoteCallContext& context);

// The value forms, as printf gives them.
QString Hex(uint32_t word);         // "%#8X"
QString Int(uint32_t word);         // "%-5d"
QString Double(double value);       // "%.5lf"
QString SmallHex(uint32_t word);    // "%-3x" of the low byte

// The double of two words, low half first.
double DoubleAt(const RemoteCallContext& context, int word);

} // namespace CanvasTreeRows

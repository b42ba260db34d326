#pragma once
// The names a connection without a port offers: the formats, images and
// sequence every generator is shipped with, and the images older firmware
// animates (it cannot be asked which ones are).

#include <QStringList>

namespace BuiltInNames {

const QStringList& Formats();       // 104 names, in the generator's order
const QStringList& Images();        // 131 names
const QStringList& Sequences();     // "NewSeq"
const QStringList& AnimatedImages(); // 11 names

} // namespace BuiltInNames

#pragma once
// The step block a drag carries between sequence editors (or within one):
// a little-endian u32 magic, a u32 record count, then that many 46-byte
// step records in row order. The reader takes the block whole or not at
// all: the magic, a count within 0..kMaxCount, exactly the bytes the count
// needs, and every record a step can hold.

#include "CSequenceStep.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace StepTransferBlock {

constexpr quint32 kMagic = 0x12340001;
constexpr quint32 kMaxCount = 50000;
constexpr qsizetype kHeaderSize = 8;

// The MIME type the block travels under.
QString MimeType();

QByteArray Build(const std::vector<CSequenceStep> &steps);

// The steps, or nothing with why set to the reason.
std::optional<std::vector<CSequenceStep>> Parse(const QByteArray &block, QString *why = nullptr);

} // namespace StepTransferBlock

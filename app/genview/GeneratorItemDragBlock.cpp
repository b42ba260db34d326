#include "GeneratorItemDragBlock.h"

#include <QtEndian>

namespace GeneratorItemDragBlock {

namespace {

bool Writable(const Entry &entry)
{
    if (entry.listNumber < kFirstListNumber || entry.listNumber > kLastListNumber || entry.name.isEmpty())
        return false;
    for (const QChar c : entry.name) {
        if (c.unicode() == 0 || c.unicode() > 0xFF)
            return false;
    }
    return true;
}

quint32 ReadU32(const QByteArray &block, qsizetype at)
{
    return qFromLittleEndian<quint32>(block.constData() + at);
}

void AppendU32(QByteArray &block, quint32 value)
{
    char bytes[4];
    qToLittleEndian<quint32>(value, bytes);
    block.append(bytes, 4);
}

} // namespace

QString MimeType()
{
    return QStringLiteral("application/x-zot-generator-items");
}

QByteArray Build(const std::vector<Entry> &entries)
{
    qsizetype size = kHeaderSize;
    for (const Entry &entry : entries) {
        if (!Writable(entry))
            return {};
        size += entry.name.size() + 2;
    }
    QByteArray block;
    block.reserve(size);
    AppendU32(block, kMagic);
    AppendU32(block, quint32(entries.size()));
    for (const Entry &entry : entries) {
        block.append(char(entry.listNumber));
        block.append(entry.name.toLatin1());
        block.append('\0');
    }
    return block;
}

bool HasMagic(const QByteArray &block)
{
    return block.size() >= 4 && ReadU32(block, 0) == kMagic;
}

std::optional<std::vector<Entry>> Parse(const QByteArray &block)
{
    if (block.size() < kHeaderSize || !HasMagic(block))
        return std::nullopt;
    const quint32 count = ReadU32(block, 4);
    // Every entry takes at least three bytes: no count can ask for more
    // entries than the bytes could hold, so nothing below grows unbounded.
    if (count == 0 || count > quint32((block.size() - kHeaderSize) / 3))
        return std::nullopt;
    std::vector<Entry> entries;
    entries.reserve(count);
    qsizetype at = kHeaderSize;
    for (quint32 i = 0; i < count; ++i) {
        if (at >= block.size())
            return std::nullopt;
        const int listNumber = static_cast<unsigned char>(block.at(at++));
        const qsizetype end = block.indexOf('\0', at);
        if (end < 0 || end == at || listNumber < kFirstListNumber || listNumber > kLastListNumber)
            return std::nullopt;
        entries.push_back({listNumber, QString::fromLatin1(block.constData() + at, end - at)});
        at = end + 1;
    }
    if (at != block.size())
        return std::nullopt;
    return entries;
}

} // namespace GeneratorItemDragBlock

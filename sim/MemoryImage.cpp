#include "gensim/MemoryImage.h"

#include "MemoryImageBytes.h"
#include "gensim/CardDci.h"

#include <cmath>
#include <cstring>

namespace gensim {

namespace memory {

void putLe16(std::string& out, std::uint16_t v)
{
    out += char(v & 0xFF);
    out += char(v >> 8);
}

void putBe16(std::string& out, std::uint16_t v)
{
    out += char(v >> 8);
    out += char(v & 0xFF);
}

void putBe32(std::string& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out += char((v >> shift) & 0xFF);
}

namespace {

std::uint32_t byteAt(std::string_view bytes, std::size_t at) { return static_cast<unsigned char>(bytes[at]); }

} // namespace

std::uint16_t le16(std::string_view b, std::size_t at) { return std::uint16_t(byteAt(b, at) | byteAt(b, at + 1) << 8); }
std::uint16_t be16(std::string_view b, std::size_t at) { return std::uint16_t(byteAt(b, at) << 8 | byteAt(b, at + 1)); }

std::uint32_t le32(std::string_view b, std::size_t at)
{
    return byteAt(b, at) | byteAt(b, at + 1) << 8 | byteAt(b, at + 2) << 16 | byteAt(b, at + 3) << 24;
}

std::uint32_t be32(std::string_view b, std::size_t at)
{
    return byteAt(b, at) << 24 | byteAt(b, at + 1) << 16 | byteAt(b, at + 2) << 8 | byteAt(b, at + 3);
}

std::string padded(std::string_view name, char pad)
{
    std::string out(name.substr(0, 8));
    out.resize(8, pad);
    return out;
}

std::string unpadded(std::string_view name)
{
    std::string out(name.substr(0, name.find('\0')));
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

bool emptyName(std::string_view name) { return name.empty() || name[0] == '\0' || name[0] == ' '; }

std::uint32_t ieeeBits(float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, 4);
    return bits;
}

float fromIeeeBits(std::uint32_t bits)
{
    float value = 0;
    std::memcpy(&value, &bits, 4);
    return value;
}

std::uint32_t processorFloat(float value)
{
    const std::uint32_t bits = ieeeBits(value);
    const std::uint32_t exponent = ((bits >> 23) + 1) & 0xFF;
    const std::uint32_t mantissa = (1u << 22) | ((bits & 0x7FFFFF) >> 1);
    return (bits & 0x80000000u) | exponent << 23 | mantissa;
}

double fromProcessorFloat(std::uint32_t bits)
{
    const int exponent = static_cast<int>((bits >> 23) & 0xFF);
    const double magnitude = std::ldexp(static_cast<double>(bits & 0x7FFFFF), exponent - 127 - 23);
    return bits >> 31 ? -magnitude : magnitude;
}

std::uint16_t formatCrc(std::string_view bytes)
{
    std::uint16_t crc = 0;
    for (char c : bytes) {
        crc = std::uint16_t(crc ^ static_cast<unsigned char>(c));
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? std::uint16_t((crc >> 1) ^ 0xA001) : std::uint16_t(crc >> 1);
    }
    return crc;
}

namespace {

constexpr std::size_t kHeader = 32;

std::uint32_t byteSum(std::string_view bytes)
{
    std::uint32_t sum = 0;
    for (char c : bytes)
        sum += static_cast<unsigned char>(c);
    return sum;
}

void patchBe32(std::string& out, std::size_t at, std::uint32_t v)
{
    std::string field;
    putBe32(field, v);
    out.replace(at, 4, field);
}

std::string revisionBytes(double revision)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &revision, 8);
    std::string out;
    for (int shift = 56; shift >= 0; shift -= 8)
        out += char((bits >> shift) & 0xFF);
    return out;
}

} // namespace

std::string writeFile7(std::uint32_t type, double revision, const std::vector<Object7>& objects, std::string_view tail)
{
    std::string out;
    putBe32(out, 1);
    putBe32(out, type);
    putBe32(out, 0);  // size, below
    out += revisionBytes(revision);
    putBe32(out, std::uint32_t(objects.size()));
    putBe32(out, kHeader);
    putBe32(out, 0);  // sum, below
    for (const Object7& object : objects) {
        std::string header;
        putBe32(header, 1);
        putBe32(header, type);
        putBe32(header, std::uint32_t(kHeader + object.body.size()));
        putBe32(header, 1);
        header += padded(object.name, '\0') + std::string(4, '\0');
        putBe32(header, byteSum(header) + byteSum(object.body));
        out += header + object.body;
    }
    out += tail;
    patchBe32(out, 8, std::uint32_t(out.size()));
    patchBe32(out, 28, byteSum(std::string_view(out).substr(0, 28)) + byteSum(std::string_view(out).substr(32)));
    return out;
}

std::optional<std::vector<Object7>> readFile7(std::string_view file, std::uint32_t type, std::string* tail)
{
    if (file.size() < kHeader || be32(file, 0) != 1 || be32(file, 4) != type || be32(file, 8) != file.size()
        || be32(file, 24) != kHeader)
        return std::nullopt;
    if (be32(file, 28) != byteSum(file.substr(0, 28)) + byteSum(file.substr(32)))
        return std::nullopt;
    std::vector<Object7> objects;
    std::size_t at = kHeader;
    for (std::uint32_t n = be32(file, 20); n > 0; --n) {
        if (file.size() - at < kHeader)
            return std::nullopt;
        const std::uint32_t size = be32(file, at + 8);
        if (size < kHeader || size > file.size() - at)
            return std::nullopt;
        const std::string_view body = file.substr(at + kHeader, size - kHeader);
        if (be32(file, at + 28) != byteSum(file.substr(at, 28)) + byteSum(body))
            return std::nullopt;
        objects.push_back({unpadded(file.substr(at + 16, 8)), std::string(body)});
        at += size;
    }
    if (tail != nullptr)
        *tail = std::string(file.substr(at));
    return objects;
}

} // namespace memory

MemoryImage::MemoryImage(double firmware) : m_firmware(firmware) {}

bool MemoryImage::revision7() const { return firmwareAtLeast(m_firmware, 7.0); }
bool MemoryImage::directories() const { return firmwareAtLeast(m_firmware, 2.898); }

std::string MemoryImage::formatFileName() const
{
    return firmwareAtLeast(m_firmware, 2.349) ? "format.mem" : "formats.fmt";
}

std::string MemoryImage::imageFileName() const { return firmwareAtLeast(m_firmware, 2.349) ? "image.mem" : "images.img"; }

std::string MemoryImage::sequenceFileName() const
{
    return firmwareAtLeast(m_firmware, 2.349) ? "sequence.mem" : "sequence.seq";
}

std::string MemoryImage::systemFile() const
{
    std::string out(144, '\0');
    const std::uint64_t revision = processorDouble(m_firmware);
    for (int i = 0; i < 8; ++i)
        out[std::size_t(i)] = char((revision >> (8 * i)) & 0xFF);
    return out;
}

std::optional<double> MemoryImage::systemRevision(std::string_view file)
{
    if (file.size() < 144 || static_cast<unsigned char>(file[7]) != 0x40)
        return std::nullopt;
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = bits << 8 | static_cast<unsigned char>(file[std::size_t(i)]);
    return fromProcessorDouble(bits);
}

std::string MemoryImage::objectFile(MemoryObjectKind kind, const std::vector<std::pair<std::string, std::string>>& objects) const
{
    std::vector<memory::Object7> list;
    for (const auto& [name, body] : objects)
        list.push_back({name, body});
    return memory::writeFile7(std::uint32_t(kind), m_firmware, list);
}

std::optional<std::vector<std::pair<std::string, std::string>>> MemoryImage::readObjectFile(std::string_view file,
                                                                                          MemoryObjectKind kind)
{
    const auto objects = memory::readFile7(file, std::uint32_t(kind));
    if (!objects)
        return std::nullopt;
    std::vector<std::pair<std::string, std::string>> out;
    for (const memory::Object7& object : *objects)
        out.emplace_back(object.name, object.body);
    return out;
}

} // namespace gensim

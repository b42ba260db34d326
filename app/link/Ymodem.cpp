#include "Ymodem.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

namespace Ymodem {

namespace {

constexpr uint16_t kPolynomial = 0x1021;
constexpr qsizetype kMaxName = 255;

// The remainder of each byte value shifted through the polynomial.
constexpr std::array<uint16_t, 256> MakeCrcTable()
{
    std::array<uint16_t, 256> table{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        unsigned crc = byte << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) != 0 ? (crc << 1) ^ kPolynomial : crc << 1;
        table[byte] = uint16_t(crc);
    }
    return table;
}

constexpr std::array<uint16_t, 256> kCrcTable = MakeCrcTable();

// Each byte enters the low end of the register; what leaves the high end
// selects the remainder to fold back in.
constexpr uint16_t Shift(uint16_t crc, uint8_t byte)
{
    return uint16_t(((crc << 8) | byte) ^ kCrcTable[crc >> 8]);
}

} // namespace

uint16_t Crc16(const uint8_t* data, size_t length)
{
    uint16_t crc = 0;
    for (size_t i = 0; i < length; ++i)
        crc = Shift(crc, data[i]);
    // The augmented form: two zero bytes push the last data byte through.
    return Shift(Shift(crc, 0), 0);
}

uint8_t Checksum(const uint8_t* data, size_t length)
{
    unsigned sum = 0;
    for (size_t i = 0; i < length; ++i)
        sum += data[i];
    return uint8_t(sum);
}

bool ParseHeader(const char* block, size_t length, HeaderFields& out)
{
    out = HeaderFields();
    const void* nul = std::memchr(block, '\0', length);
    if (nul == nullptr)
        return false;
    const size_t nameLength = size_t(static_cast<const char*>(nul) - block);
    out.name = QByteArray(block, qsizetype(nameLength));

    // The size is a decimal number at the start of the NUL-ended text
    // after the name; what follows it (the time, the mode) is not used.
    const char* text = block + nameLength + 1;
    const char* end = block + length;
    if (const void* stop = std::memchr(text, '\0', size_t(end - text)))
        end = static_cast<const char*>(stop);
    while (text < end && (*text == ' ' || *text == '\t'))
        ++text;
    if (text < end && *text == '+')
        ++text;
    long size = 0;
    const auto [ptr, ec] = std::from_chars(text, end, size);
    if (ec == std::errc() && ptr != text && size > 0)
        out.size = size;
    return true;
}

bool BuildHeader(const QByteArray& name, long size, char* block)
{
    if (name.isEmpty() || name.contains('\0'))
        return false;
    const QByteArray sizeText = QByteArray::number(qlonglong(size)) + " 0";
    // name, NUL, size and time, NUL
    if (name.size() + 1 + sizeText.size() + 1 > kHeaderLength)
        return false;
    std::memset(block, 0, kHeaderLength);
    std::memcpy(block, name.constData(), size_t(name.size()));
    std::memcpy(block + name.size() + 1, sizeText.constData(), size_t(sizeText.size()));
    return true;
}

QByteArray LastComponent(const QByteArray& path)
{
    const qsizetype slash = std::max(path.lastIndexOf('/'), path.lastIndexOf('\\'));
    return path.mid(slash + 1);
}

QByteArray SafeName(const QByteArray& sent)
{
    const QByteArray name = LastComponent(sent);
    if (name.isEmpty() || name == "." || name == ".." || name.size() > kMaxName)
        return {};
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return {};
    }
    return name;
}

} // namespace Ymodem

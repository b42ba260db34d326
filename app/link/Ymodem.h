#pragma once
// The framing of a YMODEM batch transfer: control bytes, the two block
// checks and the fields of the file header (block 0). The transfer itself
// is CGenerator's (CGeneratorYmodem.cpp).

#include <QByteArray>

#include <cstddef>
#include <cstdint>

namespace Ymodem {

constexpr uint8_t kSoh = 0x01; // a 128-byte block follows
constexpr uint8_t kStx = 0x02; // a 1024-byte block follows
constexpr uint8_t kEot = 0x04;
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kNak = 0x15;
constexpr uint8_t kCan = 0x18;
constexpr uint8_t kSub = 0x1A; // pads a file's last block
constexpr uint8_t kCrcRequest = 'C';
constexpr uint8_t kStreamRequest = 'G';

// How long the sender lets the line rest after a request before it answers:
// a receiver may empty its input right after it asked, and would lose an
// answer that came at once.
constexpr int kTurnaroundMs = 2;
// The rest before a block sent again after a NAK: a receiver empties its
// input after its NAK too, and on a busy machine later than after an ACK.
// Errors are rare, so it may be long.
constexpr int kResendRestMs = 100;

constexpr int kShortBlock = 128;
constexpr int kLongBlock = 1024;
constexpr int kHeaderLength = kShortBlock;

// CRC-16/XMODEM of the data bytes.
uint16_t Crc16(const uint8_t* data, size_t length);
// The low 8 bits of the sum of the data bytes.
uint8_t Checksum(const uint8_t* data, size_t length);

struct HeaderFields
{
    QByteArray name; // as sent, unchecked
    long size = 0;   // 0: unknown (absent, not a number, or negative)
};

// Reads a received header block of length bytes. False when the name does
// not end (no NUL) within the block.
bool ParseHeader(const char* block, size_t length, HeaderFields& out);

// Writes the 128 header bytes for name and size; false, with nothing
// written, when they do not fit or the name is empty.
bool BuildHeader(const QByteArray& name, long size, char* block);

// The part of a path after its last '/' or '\'.
QByteArray LastComponent(const QByteArray& path);

// The name a received file may be written under: the last component of
// the sent name, or empty when that is empty, "." or "..", longer than 255
// bytes or holds a control character.
QByteArray SafeName(const QByteArray& sent);

} // namespace Ymodem

#pragma once
// The record forms of the memory files before revision 7, as the generator's
// processor stored them (little-endian): knob lists of 8-byte names, images
// of primitive records, sequences of steps, directories, and the format
// records' CRC. Every reader checks each length against the bytes left and
// says false for a file that ends inside a record or lacks its end mark.

#include <QByteArray>

#include <cstdint>
#include <vector>

inline constexpr qsizetype kNameSize = 8;

// --- Names --------------------------------------------------------------------

// name as 8 bytes, NUL-padded (a longer name is cut).
QByteArray PaddedName(const QByteArray &name);
// Blanks turned into NUL.
QByteArray BlanksToNul(QByteArray name);
// Up to the first NUL, trailing blanks dropped.
QByteArray TrimmedName(const QByteArray &name);
// Equal ignoring case and trailing blanks.
bool SameNameNoCase(const QByteArray &a, const QByteArray &b);
// Empty once its blanks are NUL: the first byte is NUL or a blank.
bool IsEmptyName(const QByteArray &name);

// --- Knob lists -----------------------------------------------------------------

struct KnobEntries {
    std::vector<QByteArray> names;  // 8 bytes each
    bool terminated = false;        // an empty entry (first byte 0) ended them
};
// The entries from offset from up to the first empty one; a last entry cut
// short counts as padded with NUL.
KnobEntries ReadKnobEntries(const QByteArray &file, qsizetype from);

// --- Images ---------------------------------------------------------------------

// What follows a primitive's opcode: 16-bit words, then bytes kept as they
// stand. words < 0: an opcode the form does not have.
struct PrimitiveLayout {
    int words = 0;
    int rawBytes = 0;
};
using PrimitiveLayoutFn = PrimitiveLayout (*)(uint16_t opcode);
// Images before 2.179 (the characters primitive without its font word).
PrimitiveLayout PrimitiveLayoutBefore2179(uint16_t opcode);
// The 2.179 form.
PrimitiveLayout PrimitiveLayout2179(uint16_t opcode);
// The form from 2.349 to revision 3, as the revision-7 conversion reads it.
PrimitiveLayout PrimitiveLayoutRevision3(uint16_t opcode);

inline constexpr uint16_t kEndOfImage = 0xFFFF;

struct OldPrimitive {
    uint16_t opcode = 0;
    std::vector<uint16_t> words;
    QByteArray raw;
};

struct OldImage {
    QByteArray name;  // 8 bytes
    std::vector<OldPrimitive> primitives;
};

// Image after image up to a name whose first byte is 0 (or the file's end
// there); false when an image lacks its 0xFFFF or a record is cut short.
bool ReadOldImages(const QByteArray &file, PrimitiveLayoutFn layout, std::vector<OldImage> &images);
// Each image with its 0xFFFF, then the 0 byte that ends the file.
QByteArray WriteOldImages(const std::vector<OldImage> &images);

// --- Sequences ------------------------------------------------------------------

inline constexpr qsizetype kOldSequenceSize = 584;  // before 2.179
inline constexpr int kOldSequenceSteps = 32;
inline constexpr qsizetype kOldStepSize = 18;

struct OldTimedStep {
    QByteArray format;  // 8 bytes
    QByteArray image;   // 8 bytes
    uint16_t tenths = 0;
};

struct OldTimedSequence {
    QByteArray name;  // 8 bytes
    std::vector<OldTimedStep> steps;  // all 32
};

// Sequences before 2.179: false unless the size is a whole number of them.
bool ReadTimedSequences(const QByteArray &file, std::vector<OldTimedSequence> &sequences);

inline constexpr uint8_t kEndOfSteps = 0xFF;
inline constexpr qsizetype kStepTailSize = 3;  // after each 0xFF from 2.981 on

struct OldSequence {
    QByteArray name;                // 8 bytes
    std::vector<QByteArray> steps;  // stepSize bytes each
    QByteArray tail;                // the bytes after the 0xFF
};

// From 2.179 on: sequence after sequence up to a name whose first byte is 0
// (or the file's end there); each step stepSize bytes, each sequence ended
// by 0xFF and tailSize bytes.
bool ReadSequences(const QByteArray &file, qsizetype stepSize, qsizetype tailSize,
                   std::vector<OldSequence> &sequences);
QByteArray WriteSequences(const std::vector<OldSequence> &sequences);

// --- Directories (dir.mem) --------------------------------------------------------

inline constexpr uint8_t kEndOfDirectory = 0xFF;

struct Directory {
    QByteArray name;                   // 8 bytes
    std::vector<QByteArray> entries;  // 8 bytes each
};

// Directory after directory, each ended by 0xFF, up to the 0 byte that ends
// the file; rest gets what follows that byte. False without them.
bool ReadDirectories(const QByteArray &file, std::vector<Directory> &directories, QByteArray *rest = nullptr);
QByteArray WriteDirectories(const std::vector<Directory> &directories, const QByteArray &rest = {});

// --- Format records ---------------------------------------------------------------

// CRC-16/ARC: reflected polynomial 0xA001, initial value 0, no final XOR.
uint16_t Crc16Arc(const uint8_t *bytes, qsizetype count);

#pragma once
// The generator's memory files: their names, the firmware revisions the
// conversion knows, and the headers of the revision-7 files with their sums.

#include <QByteArray>

#include <array>
#include <cstdint>

// Every memory file, in this order; the extraction and the conversion
// delete each of them in a destination folder first.
inline constexpr std::array<const char *, 21> MemoryFileNames{
    "sequence.seq", "sequence.mem", "format.knb", "image.knb", "sequence.knb", "dir.mem",     "path.mem",
    "system.sys",   "formats.fmt",  "format.mem", "images.img", "image.mem",   "fonts.fna",   "font.new",
    "font.mem",     "map.mem",      "alias.mem",  "lut.mem",    "firmware.mem", "fmtsall.mem", "fontsall.mem"};
// The older names of the oldest data's formats and images, which the
// restoration also knows.
inline constexpr const char *kOldFormatFileName = "format.fmt";
inline constexpr const char *kOldImageFileName = "image.img";

// The conversion revisions (revision x 1000) the conversion knows,
// ascending, ended by 0.
inline constexpr std::array<int, 57> RevisionTable{
    2000, 2001, 2179, 2180, 2194, 2198, 2199, 2200, 2299, 2300, 2349, 2350, 2379, 2380, 2397, 2398, 2399, 2400, 2401,
    2402, 2449, 2450, 2451, 2452, 2453, 2605, 2621, 2627, 2642, 2800, 2850, 2884, 2898, 2944, 2945, 2971, 2974, 2975,
    2980, 2981, 2983, 2984, 2985, 2986, 2988, 2989, 2990, 2991, 2992, 2993, 2994, 2995, 2996, 2997, 2998, 2999, 0};

bool IsTableRevision(int conversionRevision);

// A firmware revision as the conversion revision it maps to: a table entry,
// 3000 for 3.x and beyond below 7, 7000 for 7.0 up to 100, else 0. The
// product revision x 1000 is taken as the whole number it lies within 1e-6
// of (2.002 is 2002, not the 2001 a cut would make of its binary value),
// else cut toward zero (2.9875 is 2987, which the table lacks). NaN,
// infinities and products beyond 64 bits map to 0.
int MapRevision(double revision);

enum class MemoryObjectType : uint32_t {
    Formats = 0,
    Images = 1,
    Sequences = 2,
    NameLists = 3,
    PathMemory = 900,
};

inline constexpr qsizetype kMemoryHeaderSize = 32;
inline constexpr qsizetype kObjectHeaderSize = 32;
inline constexpr qsizetype kChecksumOffset = 28;
inline constexpr double kVersion7Revision = 7.0;

// The 32-byte header of a revision-7 file; every field big-endian.
struct MemoryFileHeader {
    uint32_t marker = 1;
    uint32_t type = 0;
    uint32_t size = 0;       // of the whole file
    double revision = 0;     // IEEE binary64
    uint32_t count = 0;      // objects; 0 for path memory
    uint32_t offset = kMemoryHeaderSize;  // of the first object
    uint32_t checksum = 0;   // MemoryFileChecksum

    static MemoryFileHeader Parse(const uint8_t *bytes);  // 32 bytes
    void Store(uint8_t *bytes) const;
};

// The 32-byte header ahead of every object of types 0 to 3.
struct ObjectHeader {
    uint32_t marker = 1;
    uint32_t type = 0;
    uint32_t size = 0;   // this header included
    uint32_t one = 1;
    std::array<char, 12> name{};  // up to 8 characters, NUL after
    uint32_t checksum = 0;

    static ObjectHeader Parse(const uint8_t *bytes);  // 32 bytes
    void Store(uint8_t *bytes) const;
    void SetName(const QByteArray &name);  // the first 8 bytes up to a NUL
    QByteArray Name() const;               // up to the first NUL, at most 8 characters
};

// The sum of every byte of a revision-7 file but those at 28-31.
uint32_t MemoryFileChecksum(const QByteArray &file);
// The sum of the object header's first 28 bytes as stored and of the body.
uint32_t ObjectChecksum(const uint8_t *header, const uint8_t *body, qsizetype bodySize);

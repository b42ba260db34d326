#pragma once
// Folders of generator memory files in the forms of the older firmware
// revisions, built byte by byte from their layouts: the same few formats,
// images, sequences and knob lists in each revision's form, for the
// conversion's tests and benchmark.

#include <QByteArray>
#include <QString>

#include <initializer_list>
#include <map>
#include <vector>

using MemoryFolder = std::map<QString, QByteArray>;

namespace MemoryFixtures {

// name in 8 bytes, padded with pad.
QByteArray Padded(const char *name, char pad = '\0');
// The names, then one empty entry.
QByteArray Knob(std::initializer_list<const char *> names, char pad = '\0');
// 144 bytes: the revision's bytes (a processor double, hex), the calibrate
// flag (byte 14 0x80), the sequence settings (byte 22 0x1E) and byte 100 0x77.
QByteArray SystemFile(const char *revisionHex);
// Records of 84 (before 2.349) or 72 bytes: record p is bytes p + i with
// its name (blank-padded) at 4-11; nullptr is a free record of zeros. 300
// records; a 72-byte record carries its CRC.
QByteArray Formats84(const std::vector<const char *> &names);
QByteArray Formats72(const std::vector<const char *> &names, char pad);
QByteArray FormatRecord84(const char *name, int seed);
// "2179core.fmt": 124 records, "MDA_m7" then "Core001" to "Core123".
QByteArray CoreFormats();

// One primitive record: opcode and words, little-endian.
QByteArray Primitive(uint16_t opcode, std::initializer_list<uint16_t> words);

// The fixtures' images in the forms of 2.000, 2.179 and 2.349 (also the
// form up to revision 3).
QByteArray Images2000();
QByteArray Images2179();
QByteArray Images2349();
// The fixtures' sequences "Seq0" (four steps) and "Empty" in the form of
// 2.179, each step followed by extra, each 0xFF by tail.
QByteArray Sequences(const QByteArray &extra, const QByteArray &tail);
// The four 32-byte entries of path.mem: "R:\", "fmt", "img", "seq".
QByteArray PathMemory();

// The same data in each revision's form: formats, images, sequences, knob
// lists (or directories and path memory) and fonts.
MemoryFolder Folder2000();
MemoryFolder Folder2179();
MemoryFolder Folder2349(const char *revisionHex);  // also 2.453
MemoryFolder Folder2800();
MemoryFolder Folder2898();
MemoryFolder Folder2981(const char *revisionHex);  // also 3.000

// A full folder of 2.000: 300 formats, images and sequences filling their
// files to about bytes each.
MemoryFolder FullFolder2000(int bytes);

void WriteFolder(const QString &folder, const MemoryFolder &files);
// Every file of folder (hidden ones too), by name.
MemoryFolder ReadFolder(const QString &folder);

} // namespace MemoryFixtures

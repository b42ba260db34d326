#include "MemoryFolderFixtures.h"

#include "MemoryRecords.h"

#include <QDir>
#include <QFile>

namespace MemoryFixtures {

QByteArray Padded(const char *name, char pad)
{
    return QByteArray(name).leftJustified(8, pad, true);
}

QByteArray Knob(std::initializer_list<const char *> names, char pad)
{
    QByteArray out;
    for (const char *name : names)
        out += Padded(name, pad);
    return out + QByteArray(8, '\0');
}

QByteArray SystemFile(const char *revisionHex)
{
    QByteArray file = QByteArray::fromHex(revisionHex) + QByteArray(136, '\0');
    file[14] = char(0x80);
    file[22] = char(0x1E);
    file[100] = char(0x77);
    return file;
}

namespace {

QByteArray PatternRecord(const char *name, int seed, int size, char pad)
{
    QByteArray record(size, '\0');
    for (int i = 0; i < size; ++i)
        record[i] = char(seed + i);
    record.replace(4, 8, Padded(name, pad));
    return record;
}

} // namespace

QByteArray FormatRecord84(const char *name, int seed) { return PatternRecord(name, seed, 84, ' '); }

QByteArray Formats84(const std::vector<const char *> &names)
{
    QByteArray out;
    for (int p = 0; p < 300; ++p) {
        const char *name = p < int(names.size()) ? names[size_t(p)] : nullptr;
        out += name ? FormatRecord84(name, p) : QByteArray(84, '\0');
    }
    return out;
}

QByteArray Formats72(const std::vector<const char *> &names, char pad)
{
    QByteArray out;
    for (int p = 0; p < 300; ++p) {
        const char *name = p < int(names.size()) ? names[size_t(p)] : nullptr;
        QByteArray record = name ? PatternRecord(name, p, 72, pad) : QByteArray(72, '\0');
        if (name) {
            const uint16_t crc = Crc16Arc(reinterpret_cast<const uint8_t *>(record.constData()) + 4, 68);
            record[0] = char(crc & 0xFF);
            record[1] = char(crc >> 8);
        }
        out += record;
    }
    return out;
}

QByteArray CoreFormats()
{
    QByteArray out = FormatRecord84("MDA_m7", 200);
    for (int i = 1; i < 124; ++i)
        out += FormatRecord84(("Core" + QByteArray::number(i).rightJustified(3, '0')).constData(), 200 + i);
    return out;
}

QByteArray Primitive(uint16_t opcode, std::initializer_list<uint16_t> words)
{
    QByteArray out;
    out.append(char(opcode & 0xFF)).append(char(opcode >> 8));
    for (uint16_t w : words)
        out.append(char(w & 0xFF)).append(char(w >> 8));
    return out;
}

namespace {

const QByteArray kEndImage = QByteArray::fromHex("FFFF");

QByteArray Img2()
{
    QByteArray grid;
    for (uint16_t w = 0; w < 24; ++w)
        grid.append(char(w)).append('\0');
    return Padded("Img2") + Primitive(10, {1, 2, 3, 4, 5, 6, 7, 0}) + Primitive(15, {}) + grid + kEndImage;
}

QByteArray TimedStep(const char *format, const char *image, uint16_t tenths)
{
    return Padded(format, ' ') + Padded(image, ' ') + QByteArray(1, char(tenths & 0xFF)) + QByteArray(1, char(tenths >> 8));
}

QByteArray TimedSequence(const char *name, const QByteArray &steps)
{
    return Padded(name, ' ') + steps + QByteArray(584 - 8 - steps.size(), '\0');
}

// Durations of 1, 10, 15 and 7 tenths.
QByteArray Sequences2000()
{
    return TimedSequence("S", TimedStep("VGA_m7", "Outline", 1) + TimedStep("MyFmt1", "Img1", 10)
                                  + TimedStep("MyFmt2", "Img2", 15) + TimedStep("MyFmt1", "Sequence", 7))
         + TimedSequence("Empty", {});
}

QByteArray Directories()
{
    const QByteArray end = QByteArray::fromHex("FF");
    return Padded("fmt") + Padded("MyFmt1") + end + Padded("img") + Padded("MyImg") + end + Padded("seq")
         + Padded("Seq0") + end + QByteArray(1, '\0');
}

const QByteArray kFonts("FONTDATA");

} // namespace

// Img1: a filled rectangle, characters, a line, a primitive revision 7 drops.
QByteArray Images2000()
{
    return Padded("Img1") + Primitive(0, {1, 2, 3, 4, 5, 9}) + Primitive(7, {65, 3}) + Primitive(5, {10, 20})
         + Primitive(100, {7}) + kEndImage + Img2() + QByteArray(1, '\0');
}

QByteArray Images2179()
{
    return Padded("Img1") + Primitive(0, {1, 2, 3, 4, 5, 9}) + Primitive(7, {65, 3, 0}) + Primitive(5, {10, 20})
         + Primitive(100, {7}) + kEndImage + Img2() + QByteArray(1, '\0');
}

QByteArray Images2349()
{
    return Padded("Img1") + Primitive(0, {1, 2, 3, 4, 5, 16}) + Primitive(7, {65, 10000, 10000, 0, 0, 0, 3})
         + Primitive(5, {10, 20, 20}) + Primitive(100, {7}) + kEndImage + Img2() + QByteArray(1, '\0');
}

// Steps of the 2.179 form with extra bytes after each, and each sequence's
// 0xFF followed by tail.
QByteArray Sequences(const QByteArray &extra, const QByteArray &tail)
{
    const QByteArray steps = Padded("VGA_m1") + Padded("Outline0") + QByteArray::fromHex("CCCC8C3F") + extra
                           + Padded("MyFmt1") + Padded("Img1") + QByteArray::fromHex("00004040") + extra
                           + Padded("MyFmt2") + Padded("Img2") + QByteArray::fromHex("00006040") + extra
                           + Padded("MyFmt1") + Padded("SeqList") + QByteArray::fromHex("9999D93F") + extra;
    const QByteArray end = QByteArray::fromHex("FF") + tail;
    return Padded("Seq0") + steps + end + Padded("Empty") + end + QByteArray(1, '\0');
}

QByteArray PathMemory()
{
    QByteArray out;
    for (const char *name : {"R:\\", "fmt", "img", "seq"})
        out += QByteArray(name).leftJustified(32, '\0');
    return out;
}


MemoryFolder Folder2000()
{
    return {
        {"system.sys", SystemFile("0000000000001840")},
        {"formats.fmt", Formats84({"MyFmt1", "VGA_m7", nullptr, "HDTV_1J", "MyFmt2"})},
        {"images.img", Images2000()},
        {"sequence.seq", Sequences2000()},
        // An entry after the list's end that no one reads.
        {"format.knb", Knob({"First", "VGA_m7", "MyFmt1", "RS170A"}, ' ') + Padded("Stale", ' ')},
        {"image.knb", Knob({"First", "Outline", "Sequence", "MyImg"}, ' ')},
        {"fonts.fna", kFonts},
    };
}

MemoryFolder Folder2179()
{
    return {
        {"system.sys", SystemFile("9DEFA7C64BB71840")},
        {"formats.fmt", Formats84({"MDA_m7", "MyFmt1", nullptr, "HDTV_1J", "MyFmt2"})},
        {"images.img", Images2179()},
        {"sequence.seq", Sequences({}, {})},
        {"format.knb", Knob({"First", "VGA_m1", "MyFmt1", "SON1276'"})},
        {"image.knb", Knob({"First", "Outline0", "MyImg"})},
        {"sequence.knb", Knob({"NewSeq", "Seq0", "Empty"})},
        {"fonts.fna", kFonts},
    };
}

MemoryFolder Folder2349(const char *revisionHex)
{
    return {
        {"system.sys", SystemFile(revisionHex)},
        {"format.mem", Formats72({"MDA_m7", "MyFmt1", nullptr, "HDTV_1J", "MyFmt2"}, ' ')},
        {"image.mem", Images2349()},
        {"sequence.mem", Sequences(QByteArray(4, '\0'), {})},
        {"format.knb", Knob({"First", "VGA_m1", "MyFmt1"})},
        {"image.knb", Knob({"First", "Outline0", "MyImg"})},
        {"sequence.knb", Knob({"NewSeq", "Seq0", "Empty"})},
        {"font.new", kFonts},
    };
}

MemoryFolder Folder2800()
{
    return {
        {"system.sys", SystemFile("3333333333331B40")},
        {"format.mem", Formats72({"MyFmt1", nullptr, "MyFmt2"}, '\0')},
        {"image.mem", Images2349()},
        {"sequence.mem", Sequences(QByteArray(4, '\0'), {})},
        {"format.knb", Knob({"First", "MyFmt1"})},
        {"image.knb", Knob({"First", "MyImg"})},
        {"sequence.knb", Knob({"NewSeq", "Seq0", "Empty"})},
        {"font.new", kFonts},
    };
}

MemoryFolder Folder2898()
{
    return {
        {"system.sys", SystemFile("643BDF4F8D971B40")},
        {"format.mem", Formats72({"MyFmt1", nullptr, "MyFmt2"}, '\0')},
        {"image.mem", Images2349()},
        {"sequence.mem", Sequences(QByteArray(4, '\0'), {})},
        {"dir.mem", Directories()},
        {"path.mem", PathMemory()},
        {"font.new", kFonts},
    };
}

MemoryFolder Folder2981(const char *revisionHex)
{
    MemoryFolder folder = Folder2898();
    folder["system.sys"] = SystemFile(revisionHex);
    folder["sequence.mem"] = Sequences(QByteArray::fromHex("00070101"), QByteArray::fromHex("AABBCC"));
    return folder;
}

MemoryFolder FullFolder2000(int bytes)
{
    std::vector<QByteArray> names;
    std::vector<const char *> pointers;
    for (int i = 0; i < 300; ++i)
        names.push_back("Fmt" + QByteArray::number(i));
    for (const QByteArray &name : names)
        pointers.push_back(name.constData());
    // A rectangle, a line, a grid, characters, a triangle, a dot and a grill.
    const QByteArray primitives = Primitive(0, {1, 2, 3, 4, 5, 9}) + Primitive(5, {10, 20}) + Primitive(3, {1, 2, 3})
                                + Primitive(7, {65, 3}) + Primitive(2, {1, 2, 3, 4, 5}) + Primitive(8, {1})
                                + Primitive(10, {1, 2, 3, 4, 5, 6, 7, 8});
    QByteArray images;
    for (int i = 0; images.size() < bytes; ++i)
        images += Padded(("I" + QByteArray::number(i)).constData()) + primitives.repeated(20) + kEndImage;
    images += QByteArray(1, '\0');
    QByteArray steps;
    for (int s = 0; s < 32; ++s)
        steps += TimedStep("Fmt1", "Img1", uint16_t(s * 3));
    QByteArray sequences;
    for (int i = 0; sequences.size() + 584 <= bytes; ++i)
        sequences += TimedSequence(("Sq" + QByteArray::number(i)).constData(), steps);
    QByteArray knob;
    for (const QByteArray &name : names)
        knob += Padded(name.constData(), ' ');
    return {
        {"system.sys", SystemFile("0000000000001840")},
        {"formats.fmt", Formats84(pointers)},
        {"images.img", images},
        {"sequence.seq", sequences},
        {"format.knb", knob + QByteArray(8, '\0')},
        {"image.knb", Knob({"First", "Outline", "Sequence", "MyImg"}, ' ')},
        {"fonts.fna", kFonts},
    };
}

void WriteFolder(const QString &folder, const MemoryFolder &files)
{
    QDir().mkpath(folder);
    for (const auto &[name, bytes] : files) {
        QFile file(QDir(folder).filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
}

MemoryFolder ReadFolder(const QString &folder)
{
    MemoryFolder files;
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot)) {
        QFile file(dir.filePath(name));
        files[name] = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<not a file>");
    }
    return files;
}

} // namespace MemoryFixtures

// What the conversion steps write: the logs, the name lists, the records
// and their CRC, the step bytes and the revision-7 objects, against bytes
// worked out by hand from the layouts and the fixtures' records.

#include "MemoryConversionFixture.h"

#include "MemoryFileConverter.h"
#include "MemoryFileReader.h"
#include "MemoryRecords.h"

namespace {

using namespace MemoryFixtures;

QByteArray HexOf(const char *text) { return QByteArray::fromHex(text); }

QByteArray Names(std::initializer_list<const char *> names)
{
    QByteArray out;
    for (const char *name : names)
        out += Padded(name);
    return out;
}

const QStringList kRenameTable = {
    "     Old name        New name", "     ========        ========", "     VGA_m7          VGA_m1",
    "     VGA_m7p         VGA_m2",   "     VGA_m18         VGA_m3",   "     VGA8514A        VGA_m4",
    "     RS170A          RS170Y",   "     RS170B          RS170Yus", "     RS170C          RS170Yos",
    "     PAL_920         PAL_Y",    "     PAL_768         PAL_Yus",  "     PAL_640         PAL_Yos",
    "     RS343A1         RS343A1'", "     RS343A2         RS343A2'", "     RS343B1         RS343B1'",
    "     RS343C1         RS343C1'", "     RS343C2         RS343C2'", "     RS343C3         RS343C3'",
    "     RS343C4         RS343C4'", "     RS343C5         RS343C5'", "     RS343C6         RS343C6'",
};

const QStringList kNewImages2179 = {
    "       Custom",   "       QuartBox", "       CheckBy3", "       Check511", "       Check_11", "       Hatch10i",
    "       Hatch12i", "       Hatch24i", "       Hatch8x8", "       Hatch64W", "       Strokes0", "       Strokes1",
    "       CirclesL", "       CirclesS", "       MEMESony", "       Regulate", "       Outline1",
};

TEST_F(MemoryConversionTest, LogOf2000To2300)
{
    ASSERT_TRUE(Convert(Folder2000(), 2.3));
    QStringList expected = {"--> Version 2.30000000:", "--> Version 2.29900000:", "--> Version 2.17900000:",
                            "   Format Memory"};
    expected << kRenameTable;
    expected << "   Format Knob" << "    Name Padding: space -> NULL" << "  VGA_m7 --> VGA_m1"
             << "  RS170A --> RS170Y" << "    New Formats:" << "       SON1072" << "       SON1274"
             << "       SON1276'" << "       INT1676'" << "   Image Memory"
             << "    Primitive Update:  Add Font to Characters primitive." << "   Image Knob"
             << "    Name Change: Sequence --> SeqList" << "  Outline --> Outline0" << "  Sequence --> SeqList"
             << "    New Images:";
    expected << kNewImages2179;
    expected << "   Sequence Memory" << "    Create a sequence.knb file" << "    Convert sequence file to the new format"
             << "   Format Knob" << "    Truncate" << "   Sys Structure:" << "     - flag.calibrate      = 0"
             << "     - preferences.machine = 1";
    EXPECT_EQ(log, expected);
}

TEST_F(MemoryConversionTest, LogOf2898To7)
{
    ASSERT_TRUE(Convert(Folder2898(), 7.0));
    QStringList expected = {"--> Version 3.00000000:", "--> Version 2.99400000:", "--> Version 2.99100000:",
                            "--> Version 2.98300000:", "--> Version 2.98100000:", "   Image Knob", "    New Images:"};
    for (const char *name : {"Acer1", "Acer2", "Acer3", "Acer4", "Acer5", "Acer6", "Acer7", "Acer8", "Acer9", "P1",
                             "P2", "P3", "P4", "P5", "P6", "P7", "P8", "EMITest1", "EMITest2", "EMITest3", "EMITest4",
                             "Samsung1", "Samsung2", "Hitachi1", "SlideRGB", "SlideG"})
        expected << QStringLiteral("       ") + name;
    expected << "   Sequence Memory" << "    Sequence Structure:" << "        Added xvsg, ssst, and outg"
             << "   Image Knob" << "    New Images:" << "       P9" << "   Image Knob" << "    New Images:"
             << "       Text_11" << "       Apple1" << "   Image Knob" << "    New Images:" << "       Hatch24s"
             << "       Hatch4x3" << "       Hatch5x4" << "--> Version 7+" << "   Converting Formats..."
             << "   Converting Sequences..." << "   Converting Images..." << "   Converting Knob Lists..."
             << "   Converting Paths...";
    EXPECT_EQ(log, expected);
}

// The knob lists' names: renamed and NUL-padded from the second entry, the
// first kept as it stands; the new names take the place of the list's end,
// before the entry no one read.
TEST_F(MemoryConversionTest, NameListsAt2179)
{
    ASSERT_TRUE(Convert(Folder2000(), 2.179));
    EXPECT_EQ(Result("format.knb"), Padded("First", ' ') + Names({"VGA_m1", "MyFmt1", "RS170Y", "SON1072", "SON1274",
                                                                  "SON1276'", "INT1676'"})
                                        + QByteArray(8, '\0'));
    const QByteArray images = Result("image.knb");
    EXPECT_EQ(images.left(32), Padded("First", ' ') + Names({"Outline0", "SeqList", "MyImg"}));
    EXPECT_EQ(images.mid(32, 8), Padded("Custom"));
    EXPECT_EQ(images.right(16), Padded("Outline1") + QByteArray(8, '\0'));
    EXPECT_EQ(Result("sequence.knb"), Names({"NewSeq", "Seq0", "Empty"}) + QByteArray(8, '\0'));
}

// Sequence "S" is named by its number; the durations of 1, 10, 15 and 7
// tenths are CC CC 8C 3F, 00 00 40 40, 00 00 60 40 and 99 99 D9 3F; a
// sequence without steps is its name and 0xFF.
TEST_F(MemoryConversionTest, SequencesAndImagesAt2179)
{
    ASSERT_TRUE(Convert(Folder2000(), 2.179));
    EXPECT_EQ(Result("sequence.seq").toHex(' '), Sequences({}, {}).toHex(' '));
    EXPECT_EQ(Result("images.img").toHex(' '), Images2179().toHex(' '));
}

TEST_F(MemoryConversionTest, SequencesAndImagesAt2349)
{
    ASSERT_TRUE(Convert(Folder2000(), 2.349));
    EXPECT_EQ(Result("sequence.mem").toHex(' '), Sequences(QByteArray(4, '\0'), {}).toHex(' '));
    EXPECT_EQ(Result("image.mem").toHex(' '), Images2349().toHex(' '));
}

// The old record of "MyFmt1" (bytes i, name at 4-11) after the 124 built-in
// formats: bytes 12-15 and 40-47 gone, the CRC-16/ARC of 4-71 in 0-1.
TEST_F(MemoryConversionTest, A2349RecordAndItsCrc)
{
    ASSERT_TRUE(Convert(Folder2000(), 2.349));
    const QByteArray formats = Result("format.mem");
    EXPECT_EQ(formats.mid(124 * 72, 72).toHex(' '),
              HexOf("F6A30203 4D79466D74312020 101112131415161718191A1B1C1D1E1F2021222324252627"
                    "303132333435363738393A3B3C3D3E3F404142434445464748494A4B4C4D4E4F50515253")
                  .toHex(' '));
    EXPECT_EQ(formats.mid(125 * 72 + 4, 8), Padded("HDTV_1J", ' '));
    EXPECT_EQ(formats.mid(127 * 72, 72), QByteArray(72, '\0'));
}

// 2.800 and 2.898 change names and byte 67: every record keeps a CRC that holds.
TEST_F(MemoryConversionTest, FormatRecordsKeepTheirCrcThrough2898)
{
    ASSERT_TRUE(Convert(Folder2000(), 2.898));
    const QByteArray formats = Result("format.mem");
    int named = 0;
    for (int i = 0; i < 300; ++i) {
        const QByteArray record = formats.mid(i * 72, 72);
        const auto *bytes = reinterpret_cast<const uint8_t *>(record.constData());
        EXPECT_EQ(bytes[0] | bytes[1] << 8, Crc16Arc(bytes + 4, 68)) << i;
        EXPECT_EQ(bytes[67] & 1, 0) << i;
        named += record[4] != '\0';
    }
    // 124 built-in and 3 custom formats at 2.179; MDA_m7 (2.449) and HDTV_1J (2.800) left.
    EXPECT_EQ(named, 125);
    EXPECT_EQ(formats.mid(123 * 72 + 4, 8), Padded("MyFmt1"));
}

// Data before 2.981 gets three zero bytes after each 0xFF; data from 2.981
// keeps its own.
TEST_F(MemoryConversionTest, SequenceStepsAt2981)
{
    ASSERT_TRUE(Convert(Folder2898(), 2.999));
    EXPECT_EQ(Result("sequence.mem").toHex(' '), Sequences(HexOf("00070101"), HexOf("000000")).toHex(' '));

    MemoryFixtures::WriteFolder(destination, Folder2981("068195438BEC1B40"));
    MemoryPresence presence;
    presence.sequences = true;
    MemoryFileConverter converter({destination, {}, 2981, presence, core, {}});
    ASSERT_TRUE(converter.ConvertData(2981));
    EXPECT_EQ(Result("sequence.mem").toHex(' '), Sequences(HexOf("00070101"), HexOf("AABBCC")).toHex(' '));
}

TEST_F(MemoryConversionTest, FormatsAtRevision7SkipFreeRecords)
{
    ASSERT_TRUE(Convert(Folder2800(), 7.0));
    MemoryFileReader reader(Result("format.mem"));
    ASSERT_TRUE(reader.ReadHeader());
    EXPECT_EQ(reader.Header().count, 2u);
    MemoryObject object;
    ASSERT_EQ(reader.NextObject(object), MemoryFileReader::Next::Object);
    EXPECT_EQ(object.header.Name(), "MyFmt1");
    EXPECT_EQ(object.header.size, 112u);
    // Seven floats, eight words, 56-62 as stored, nibbles, bits, the rest.
    EXPECT_EQ(object.body.toHex(' '),
              HexOf("0D60D0C0 11908880 15B0A8A0 19D0C8C0 1DF0E8E0 22088480 26189490 "
                    "2928 2B2A 2D2C 2F2E 3130 3332 3534 3736 38393A3B3C3D3E 0F03 0004 0104 "
                    "0001000000000100 0101000000000100 00 01 02 45 46 01 00")
                  .toHex(' '));
    ASSERT_EQ(reader.NextObject(object), MemoryFileReader::Next::Object);
    EXPECT_EQ(object.header.Name(), "MyFmt2");
}

// Names (apostrophes too) cleaned, the duration an IEEE float, big-endian.
TEST_F(MemoryConversionTest, SequencesAndImagesAtRevision7)
{
    ASSERT_TRUE(Convert(Folder2898(), 7.0));
    MemoryFileReader sequences(Result("sequence.mem"));
    ASSERT_TRUE(sequences.ReadHeader());
    MemoryObject object;
    ASSERT_EQ(sequences.NextObject(object), MemoryFileReader::Next::Object);
    EXPECT_EQ(object.header.Name(), "Seq0");
    const QByteArray steps = Padded("VGA_m1") + Padded("Outline0") + HexOf("3DCCCCC0 00070101") + Padded("MyFmt1")
                           + Padded("Img1") + HexOf("3F800000 00070101") + Padded("MyFmt2") + Padded("Img2")
                           + HexOf("3FC00000 00070101") + Padded("MyFmt1") + Padded("SeqList")
                           + HexOf("3F333332 00070101");
    EXPECT_EQ(object.body.toHex(' '), (HexOf("00000001 00 00 00000000 00000004 00000060") + steps).toHex(' '));

    MemoryFileReader images(Result("image.mem"));
    ASSERT_TRUE(images.ReadHeader());
    ASSERT_EQ(images.NextObject(object), MemoryFileReader::Next::Object);
    EXPECT_EQ(object.header.Name(), "Img1");
    EXPECT_EQ(object.body.toHex(' '), HexOf("00000280 000001E0 00000003 00000026"
                                            "0000 0001 0002 0003 0004 0005 0010"
                                            "0007 0041 2710 2710 0000 0000 0000 0003"
                                            "0005 000A 0014 0014")
                                          .toHex(' '));

    EXPECT_EQ(Result("path.mem"), HexOf("00000001 00000384 00000044 401C000000000000 00000000 00000020 000005FD"
                                        "523A5C000000000000 666D74000000000000 696D67000000000000 736571000000000000"));
    MemoryFileReader lists(Result("dir.mem"));
    ASSERT_TRUE(lists.ReadHeader());
    QByteArrayList names;
    while (lists.NextObject(object) == MemoryFileReader::Next::Object)
        names << object.header.Name();
    EXPECT_EQ(names, QByteArrayList({"fmt", "img", "seq"}));
}

TEST_F(MemoryConversionTest, ApostrophesInSequencesAtRevision7)
{
    MemoryFolder folder = Folder2981("0000000000001C40");
    folder["sequence.mem"] = Padded("A'b") + Padded("SON1276'") + Padded("It's") + HexOf("00004040 00070101")
                           + HexOf("FF AABBCC 00");
    ASSERT_TRUE(Convert(folder, 7.0));
    MemoryFileReader reader(Result("sequence.mem"));
    ASSERT_TRUE(reader.ReadHeader());
    MemoryObject object;
    ASSERT_EQ(reader.NextObject(object), MemoryFileReader::Next::Object);
    EXPECT_EQ(object.header.Name(), "A_b");
    EXPECT_EQ(object.body.mid(18, 16), Padded("SON1276_") + Padded("It_s"));
}

TEST_F(MemoryConversionTest, To2198TheSystemRecordSays2299)
{
    ASSERT_TRUE(Convert(Folder2000(), 2.198));
    EXPECT_EQ(VersionLines(), QStringList({"--> Version 2.19800000:", "--> Version 2.17900000:"}));
    EXPECT_EQ(Result("system.sys").left(8), HexOf("1804560E2D321940"));
    EXPECT_EQ(Result("format.knb").size(), 3600);
}

TEST_F(MemoryConversionTest, From2001To2300)
{
    MemoryFolder folder = Folder2000();
    folder["system.sys"] = SystemFile("1A2FDD2406011840");
    ASSERT_TRUE(Convert(folder, 2.3));
    EXPECT_EQ(VersionLines(),
              QStringList({"--> Version 2.30000000:", "--> Version 2.29900000:", "--> Version 2.17900000:"}));
    EXPECT_EQ(Result("system.sys").left(8), HexOf("3333333333331940"));
}

TEST_F(MemoryConversionTest, WithoutFilesOnlyTheSystemRecordChanges)
{
    ASSERT_TRUE(Convert(Folder2000(), 2.349, QStringList()));
    EXPECT_EQ(log, QStringList({"--> Version 2.34900000:", "--> Version 2.29900000:", "--> Version 2.17900000:",
                                "   Sys Structure:", "     - flag.calibrate      = 0",
                                "     - preferences.machine = 1", "   Sys Structure:",
                                "     - lockout = seqmode = seqstep = 0"}));
    EXPECT_EQ(ReadFolder(destination).size(), 1u);
}

TEST_F(MemoryConversionTest, TargetsOutsideThePlan)
{
    MemoryFileConverter converter({destination, {}, 3000, {}, core, [this](const QString &line) { log << line; }});
    EXPECT_FALSE(converter.ConvertData(2500));
    EXPECT_FALSE(converter.ConvertData(7000));
    EXPECT_EQ(log, QStringList({"--> Version 2.50000000:", "Cannot ConvertData files to revision 2.50000000",
                                "--> Version 7.00000000:", "Conversion to 7+ not implemented yet"}));
}

// Only 176 records are left beside the 124 built-in formats of 2.179.
TEST_F(MemoryConversionTest, CustomFormatsBeyondTheFreeRecordsAreNamed)
{
    std::vector<QByteArray> names;
    std::vector<const char *> pointers;
    for (int i = 0; i < 300; ++i)
        names.push_back("C" + QByteArray::number(i).rightJustified(3, '0'));
    for (const QByteArray &name : names)
        pointers.push_back(name.constData());
    MemoryFolder folder = Folder2000();
    folder["formats.fmt"] = Formats84(pointers);
    ASSERT_TRUE(Convert(folder, 2.179, QStringList({"formats.fmt"})));
    const QByteArray formats = Result("formats.fmt");
    ASSERT_EQ(formats.size(), 25200);
    EXPECT_EQ(formats.mid(123 * 84 + 4, 8), Padded("Core123", ' '));
    EXPECT_EQ(formats.mid(124 * 84, 84), FormatRecord84("C000", 0));
    EXPECT_EQ(formats.mid(299 * 84, 84), FormatRecord84("C175", 175));
    const QStringList dropped = log.filter("no free format record");
    ASSERT_EQ(dropped.size(), 124);
    EXPECT_EQ(dropped.front(), "    C176: no free format record, not converted");
    EXPECT_EQ(dropped.back(), "    C299: no free format record, not converted");
}

} // namespace

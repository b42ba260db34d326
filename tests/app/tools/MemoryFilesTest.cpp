// The memory files' number forms, revision map, headers and sums against
// bytes written by hand from their layouts.

#include "MemoryFileReader.h"
#include "MemoryFileWriter.h"
#include "MemoryFiles.h"
#include "MemoryRecords.h"
#include "ProcessorNumbers.h"
#include "SystemRecord.h"

#include "morvane.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include <cmath>
#include <limits>

namespace {

QByteArray HexBytes(const char *text) { return QByteArray::fromHex(text); }

QByteArray Raw(const uint8_t *bytes, int n) { return QByteArray(reinterpret_cast<const char *>(bytes), n); }

// --- Number forms ------------------------------------------------------------------

struct DoubleRow {
    const char *name;
    double value;
    const char *bytes;
    double back;
};

class PackDoubleTable : public ::testing::TestWithParam<DoubleRow> {};

TEST_P(PackDoubleTable, BytesAndBackAsTheLibraryExports)
{
    const DoubleRow &row = GetParam();
    uint8_t packed[8] = {};
    PackDouble(row.value, packed);
    EXPECT_EQ(Raw(packed, 8).toHex(' '), HexBytes(row.bytes).toHex(' '));
    const QByteArray form = HexBytes(row.bytes);
    const auto *in = reinterpret_cast<const uint8_t *>(form.constData());
    EXPECT_EQ(UnpackDouble(in), row.back);

    uint8_t exported[8] = {};
    IEEEtoTMS340(row.value, exported);
    EXPECT_EQ(Raw(exported, 8), Raw(packed, 8));
    EXPECT_EQ(TMS340toIEEE(in), UnpackDouble(in));
}

INSTANTIATE_TEST_SUITE_P(
    MemoryFiles, PackDoubleTable,
    ::testing::Values(DoubleRow{"Three", 3.0, "00 00 00 00 00 00 1C 40", 3.0},
                      DoubleRow{"Seven", 7.0, "00 00 00 00 00 00 2E 40", 7.0},
                      DoubleRow{"Revision2300", 2.3, "33 33 33 33 33 33 19 40", 2.2999999999999998},
                      DoubleRow{"ZeroIsTwoToTheMinus1023", 0.0, "00 00 00 00 00 00 18 00", std::ldexp(1.0, -1023)},
                      DoubleRow{"LowestBitDropped", 1.0 + std::ldexp(1.0, -52), "00 00 00 00 00 00 08 40", 1.0},
                      DoubleRow{"Negative", -2.5, "00 00 00 00 00 00 1A C0", -2.5}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(MemoryFileNumbers, EightZeroBytesUnpackToZero)
{
    const uint8_t zero[8] = {};
    EXPECT_EQ(UnpackDouble(zero), 0.0);
    EXPECT_EQ(UnpackFloat(zero), 0.0);
}

struct FloatRow {
    const char *name;
    float value;
    const char *bytes;
};

class PackFloatTable : public ::testing::TestWithParam<FloatRow> {};

TEST_P(PackFloatTable, BytesAndBackAsTheLibraryExports)
{
    const FloatRow &row = GetParam();
    uint8_t packed[4] = {};
    PackFloat(row.value, packed);
    EXPECT_EQ(Raw(packed, 4).toHex(' '), HexBytes(row.bytes).toHex(' '));
    EXPECT_EQ(UnpackFloat(packed), row.value);
    uint8_t exported[4] = {};
    IEEEtoTMS340F(row.value, exported);
    EXPECT_EQ(Raw(exported, 4), Raw(packed, 4));
    EXPECT_EQ(TMS340toIEEEF(packed), UnpackFloat(packed));
}

INSTANTIATE_TEST_SUITE_P(MemoryFiles, PackFloatTable,
                         ::testing::Values(FloatRow{"One", 1.0f, "00 00 40 40"},
                                           FloatRow{"TwoThousand", 2000.0f, "00 00 7D 45"},
                                           FloatRow{"MinusHalf", -0.5f, "00 00 C0 BF"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(MemoryFileNumbers, SwapBytesReversesTwoFourOrEight)
{
    uint8_t two[2] = {1, 2};
    uint8_t four[4] = {1, 2, 3, 4};
    uint8_t eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    SwapBytes(two, 2);
    SwapBytes(four, 4);
    SwapBytes(eight, 8);
    EXPECT_EQ(Raw(two, 2), HexBytes("0201"));
    EXPECT_EQ(Raw(four, 4), HexBytes("04030201"));
    EXPECT_EQ(Raw(eight, 8), HexBytes("0807060504030201"));
}

// --- Revisions ------------------------------------------------------------------------

struct RevisionRow {
    const char *name;
    double revision;
    int mapped;
};

class MapRevisionTable : public ::testing::TestWithParam<RevisionRow> {};

TEST_P(MapRevisionTable, Maps) { EXPECT_EQ(MapRevision(GetParam().revision), GetParam().mapped); }

INSTANTIATE_TEST_SUITE_P(
    MemoryFiles, MapRevisionTable,
    ::testing::Values(RevisionRow{"TableEntry", 2.179, 2179}, RevisionRow{"FirstEntry", 2.0, 2000},
                      RevisionRow{"NotInTableBetween", 2.9875, 0}, RevisionRow{"ThreeAndAHalf", 3.5, 3000},
                      RevisionRow{"SevenPointTwo", 7.2, 7000}, RevisionRow{"Hundred", 150.0, 3000},
                      // 2.002 x 1000 is 2001.9999999999998: a cut would make it the entry 2001.
                      RevisionRow{"NotCutIntoAnEntry", 2.002, 0}, RevisionRow{"JustBelowAnEntry", 2.17899, 0},
                      RevisionRow{"LastBelowHundred", 99.999, 7000}, RevisionRow{"NaN", std::nan(""), 0},
                      RevisionRow{"Infinity", std::numeric_limits<double>::infinity(), 0},
                      RevisionRow{"Negative", -1.0, 0}, RevisionRow{"Billion", 1e9, 3000},
                      RevisionRow{"Beyond64Bits", 1e300, 0}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(MemoryFiles, TheNamesAndTheRevisionTable)
{
    EXPECT_STREQ(MemoryFileNames.front(), "sequence.seq");
    EXPECT_STREQ(MemoryFileNames[7], "system.sys");
    EXPECT_STREQ(MemoryFileNames.back(), "fontsall.mem");
    EXPECT_EQ(RevisionTable.back(), 0);
    EXPECT_FALSE(IsTableRevision(2987));
    EXPECT_TRUE(IsTableRevision(2999));
}

// --- Revision-7 files ----------------------------------------------------------------

// One name list "fmt" of "A" and "B". Object sum: 1 + 3 + 0x34 + 1 + "fmt"
// (384) and the body 2 + 'A' + 'B' (133) = 0x205; file sum: the header
// without its sum (213), the object header (391) and body (133) = 0x2E1.
const char *const kNameListFile = "00000001 00000003 00000054 401C000000000000 00000001 00000020 000002E1"
                                  "00000001 00000003 00000034 00000001 666D7400000000000000 0000 00000205"
                                  "00000002 4100000000000000 4200000000000000";

TEST(MemoryFileWriter, WritesHeadersAndBothSums)
{
    MemoryFileWriter writer(MemoryObjectType::NameLists);
    writer.BeginObject("fmt");
    writer.AppendU32(2);
    writer.Append(PaddedName("A") + PaddedName("B"));
    writer.EndObject();
    EXPECT_EQ(writer.Finish().toHex(' '), HexBytes(kNameListFile).toHex(' '));
}

TEST(MemoryFileWriter, PathMemoryIs68BytesWithoutObjects)
{
    MemoryFileWriter writer(MemoryObjectType::PathMemory);
    for (const char *name : {"R:\\", "fmt", "img", "seq"}) {
        writer.Append(PaddedName(name));
        writer.AppendByte(0);
    }
    const QByteArray file = writer.Finish();
    // The header bytes 1 + 3 + 0x84 + 0x44 + 0x40 + 0x1C + 0x20 and the names.
    const char *golden = "00000001 00000384 00000044 401C000000000000 00000000 00000020 000005FD"
                         "523A5C000000000000 666D74000000000000 696D67000000000000 736571000000000000";
    EXPECT_EQ(file.toHex(' '), HexBytes(golden).toHex(' '));
}

TEST(MemoryFileWriter, EmptySequenceIs50BytesAndEmptyNameList36)
{
    MemoryFileWriter sequences(MemoryObjectType::Sequences);
    sequences.BeginObject("S");
    sequences.AppendU32(1);
    sequences.AppendByte(0);
    sequences.AppendByte(0);
    sequences.AppendU32(0);
    sequences.AppendU32(0);
    sequences.AppendU32(0);
    sequences.EndObject();
    MemoryFileReader sequenceReader(sequences.Finish());
    ASSERT_TRUE(sequenceReader.ReadHeader());
    MemoryObject object;
    ASSERT_EQ(sequenceReader.NextObject(object), MemoryFileReader::Next::Object);
    EXPECT_EQ(object.header.size, 50u);

    MemoryFileWriter lists(MemoryObjectType::NameLists);
    lists.BeginObject("seq");
    lists.AppendU32(0);
    lists.EndObject();
    MemoryFileReader listReader(lists.Finish());
    ASSERT_TRUE(listReader.ReadHeader());
    ASSERT_EQ(listReader.NextObject(object), MemoryFileReader::Next::Object);
    EXPECT_EQ(object.header.size, 36u);
}

TEST(MemoryFileChecksum, LeavesOutItsOwnBytesOnly)
{
    const QByteArray file = HexBytes(kNameListFile);
    EXPECT_EQ(MemoryFileChecksum(file), 0x2E1u);
    for (int at : {28, 29, 30, 31}) {
        QByteArray changed = file;
        changed[at] = char(changed[at] ^ 0x5A);
        EXPECT_EQ(MemoryFileChecksum(changed), 0x2E1u) << at;
    }
    for (int at : {0, 27, 32, 60, int(file.size()) - 1}) {
        QByteArray changed = file;
        changed[at] = char(changed[at] + 1);
        EXPECT_EQ(MemoryFileChecksum(changed), 0x2E2u) << at;
    }
}

TEST(MemoryFileReader, ReadsTheGoldenFile)
{
    MemoryFileReader reader(HexBytes(kNameListFile));
    ASSERT_TRUE(reader.ReadHeader());
    EXPECT_EQ(reader.Header().type, 3u);
    EXPECT_EQ(reader.Header().revision, 7.0);
    EXPECT_EQ(reader.Header().count, 1u);
    EXPECT_TRUE(reader.ChecksumHolds());
    MemoryObject object;
    ASSERT_EQ(reader.NextObject(object), MemoryFileReader::Next::Object);
    EXPECT_EQ(object.header.Name(), "fmt");
    EXPECT_TRUE(object.checksumHolds);
    EXPECT_EQ(object.body, HexBytes("00000002 4100000000000000 4200000000000000"));
    EXPECT_EQ(reader.NextObject(object), MemoryFileReader::Next::End);
}

TEST(MemoryFileReader, AChangedBodyByteFailsTheObjectSum)
{
    QByteArray file = HexBytes(kNameListFile);
    file[file.size() - 8] = 'C';
    MemoryFileReader reader(file);
    ASSERT_TRUE(reader.ReadHeader());
    EXPECT_FALSE(reader.ChecksumHolds());
    MemoryObject object;
    ASSERT_EQ(reader.NextObject(object), MemoryFileReader::Next::Object);
    EXPECT_FALSE(object.checksumHolds);
}

struct BadFileRow {
    const char *name;
    int at;          // the byte changed (-1: the file cut to `value` bytes)
    uint8_t value;
    bool headerReads;  // else the first object is malformed
};

class MemoryFileReaderRefuses : public ::testing::TestWithParam<BadFileRow> {};

TEST_P(MemoryFileReaderRefuses, AFileItCannotTrust)
{
    const BadFileRow &row = GetParam();
    QByteArray file = HexBytes(kNameListFile);
    if (row.at < 0)
        file.truncate(row.value);
    else
        file[row.at] = char(row.value);
    MemoryFileReader reader(file);
    if (!row.headerReads) {
        EXPECT_FALSE(reader.ReadHeader());
        return;
    }
    ASSERT_TRUE(reader.ReadHeader());
    MemoryObject object;
    EXPECT_EQ(reader.NextObject(object), MemoryFileReader::Next::Malformed);
    EXPECT_EQ(reader.NextObject(object), MemoryFileReader::Next::Malformed);
}

INSTANTIATE_TEST_SUITE_P(
    MemoryFiles, MemoryFileReaderRefuses,
    ::testing::Values(BadFileRow{"Marker", 3, 2, false}, BadFileRow{"Offset", 27, 0x21, false},
                      BadFileRow{"SizeField", 11, 0x55, false}, BadFileRow{"CutShort", -1, 60, false},
                      BadFileRow{"HeaderOnly", -1, 31, false},
                      // (84 - 32) / 32 = 1 object header fits.
                      BadFileRow{"CountBeyondTheBytes", 23, 2, false},
                      BadFileRow{"ObjectBelowItsHeader", 43, 0x1F, true},
                      BadFileRow{"ObjectBeyondTheFile", 43, 0x35, true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(MemoryFileReader, PathNames)
{
    MemoryFileWriter writer(MemoryObjectType::PathMemory);
    for (const char *name : {"R:\\", "fmt", "img", "LongName"}) {
        writer.Append(PaddedName(name));
        writer.AppendByte(0);
    }
    MemoryFileReader reader(writer.Finish());
    ASSERT_TRUE(reader.ReadHeader());
    const auto names = reader.PathNames();
    ASSERT_TRUE(names);
    EXPECT_EQ((*names)[0], "R:\\");
    EXPECT_EQ((*names)[3], "LongName");
    EXPECT_FALSE(MemoryFileReader(HexBytes("00000001")).PathNames());
}

// --- system.sys and the format records' CRC --------------------------------------------

TEST(SystemRecord, RevisionAndSettingsBits)
{
    QByteArray file = HexBytes("9D EF A7 C6 4B B7 18 40") + QByteArray(136, '\0');
    file[14] = char(0x80);
    file[22] = char(0x1E);
    std::optional<SystemRecord> record = SystemRecord::FromBytes(file);
    ASSERT_TRUE(record);
    ASSERT_TRUE(record->Revision());
    EXPECT_DOUBLE_EQ(*record->Revision(), 2.179);  // its lowest fraction bit was dropped
    EXPECT_TRUE(record->Calibrate());
    EXPECT_EQ(record->SequenceSettings(), 0x0F);
    record->SetCalibrate(false);
    record->SetMachinePreference(true);
    record->ClearSequenceSettings();
    record->SetRevision(2.3);
    const QByteArray bytes = record->Bytes();
    EXPECT_EQ(bytes.left(8), HexBytes("33 33 33 33 33 33 19 40"));
    EXPECT_EQ(uint8_t(bytes[14]), 0x00);
    EXPECT_EQ(uint8_t(bytes[22]), 0x01);
    EXPECT_EQ(bytes.size(), 144);
}

TEST(SystemRecord, RefusesAShortFileAndAnUnknownForm)
{
    EXPECT_FALSE(SystemRecord::FromBytes(QByteArray(143, '\0')));
    QByteArray file = HexBytes("00 00 00 00 00 00 1C 41") + QByteArray(136, '\0');
    EXPECT_FALSE(SystemRecord::FromBytes(file)->Revision());
    EXPECT_EQ(SystemRecord::ForRevision(3.0).Bytes(), HexBytes("00 00 00 00 00 00 1C 40") + QByteArray(136, '\0'));
}

TEST(FormatRecordCrc, IsCrc16Arc)
{
    const QByteArray check("123456789");
    EXPECT_EQ(Crc16Arc(reinterpret_cast<const uint8_t *>(check.constData()), check.size()), 0xBB3D);
    EXPECT_EQ(Crc16Arc(nullptr, 0), 0);
}

} // namespace

// One step of a sequence: the SSST codes of its sync rows, the 46-byte
// record that carries it between editors, what Normalize makes of values
// outside their tables, the delay row of a reply's seconds, and equality.

#include "CSequenceStep.h"
#include "ItemsTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// --- SSST codes ---------------------------------------------------------------------

struct CodeRow {
    int code;
    int row; // the sync row a reply of this code gives
};

// From the sync selection list: "None" 0 .. "DPMS ON" 11; the generator
// calls "DCS,DSS" 11, "ACS" 3 (and 4) and "DPMS ON" 13. 12 is no code.
const CodeRow kCodes[] = {{0, 0},  {1, 1}, {2, 2}, {3, 4},  {4, 4},   {5, 5},   {6, 6},
                          {7, 7},  {8, 8}, {9, 9}, {10, 10}, {11, 3}, {12, kUnsetValue}, {13, 11},
                          {-1, kUnsetValue}, {14, kUnsetValue}};

TEST(SequenceStepSync, RowOfEveryCode)
{
    for (const CodeRow &c : kCodes)
        EXPECT_EQ(CSequenceStep::SyncTypeFromCommand(c.code), c.row) << "code " << c.code;
}

TEST(SequenceStepSync, CodeOfEveryRow)
{
    const int codes[] = {0, 1, 2, 11, 3, 5, 6, 7, 8, 9, 10, 13};
    for (int row = 0; row <= CSequenceStep::kMaxSyncRow; ++row) {
        EXPECT_EQ(CSequenceStep::SyncTypeToCommand(row), codes[row]) << "row " << row;
        EXPECT_EQ(CSequenceStep::SyncTypeFromCommand(codes[row]), row) << "row " << row;
    }
    EXPECT_EQ(CSequenceStep::SyncTypeToCommand(kUnsetValue), kUnsetValue);
    EXPECT_EQ(CSequenceStep::SyncTypeToCommand(12), kUnsetValue);
}

// --- Transfer records ---------------------------------------------------------------

using Record = CSequenceStep::TransferRecord;

// Names NUL-filled at 0 and 9, then seven little-endian int32.
Record MakeRecord(const char *format, const char *image, std::initializer_list<qint32> values)
{
    Record r{};
    std::memcpy(r.data(), format, std::strlen(format));
    std::memcpy(r.data() + 9, image, std::strlen(image));
    int at = 18;
    for (qint32 v : values) {
        for (int i = 0; i < 4; ++i)
            r[size_t(at++)] = char((quint32(v) >> (8 * i)) & 0xFF);
    }
    return r;
}

TEST(SequenceStepRecord, PacksNamesThenTheSevenValues)
{
    CSequenceStep step;
    step.formatName = QStringLiteral("DMT1075");
    step.imageName = QStringLiteral("LongImageName"); // only 8 characters travel
    step.red = 1;
    step.green = 0;
    step.blue = 1;
    step.output = 1;
    step.imageVersion = 255;
    step.syncType = 11;
    step.duration = 33;
    Record packed;
    packed.fill('\x55'); // the names' bytes are zeroed first
    step.PackTransferRecord(packed);
    const Record expected = MakeRecord("DMT1075", "LongImag", {1, 0, 1, 1, 255, 11, 33});
    EXPECT_EQ(packed, expected);
    EXPECT_EQ(packed[8], '\0');
    EXPECT_EQ(packed[17], '\0');
}

struct RecordCase {
    const char *what;
    Record record;
    bool taken;   // the names and values were taken at all
    bool valid;   // every value in its table
    const char *format;
    const char *image;
};

Record WithByte(Record r, size_t at, char c)
{
    r[at] = c;
    return r;
}

const RecordCase kRecords[] = {
    {"all set", MakeRecord("VGA_m4", "Flat", {0, 1, 1, 0, 1, 0, 0}), true, true, "VGA_m4", "Flat"},
    {"nothing set", MakeRecord("", "", {-1, -1, -1, -1, -1, -1, -1}), true, true, "", ""},
    {"the name characters", MakeRecord("A&'+@_z9", "B", {-1, -1, -1, -1, -1, -1, -1}), true, true, "A&'+@_z9", "B"},
    {"byte 8 is forced to NUL", WithByte(MakeRecord("ABCDEFGH", "I", {-1, -1, -1, -1, -1, -1, -1}), 8, 'X'), true,
     true, "ABCDEFGH", "I"},
    {"byte 17 is forced to NUL", WithByte(MakeRecord("F", "ABCDEFGH", {-1, -1, -1, -1, -1, -1, -1}), 17, 'Y'), true,
     true, "F", "ABCDEFGH"},
    {"image version 256", MakeRecord("F", "I", {-1, -1, -1, -1, 256, -1, -1}), true, false, "F", "I"},
    {"duration 34 (one past the table)", MakeRecord("F", "I", {-1, -1, -1, -1, -1, -1, 34}), true, false, "F", "I"},
    {"sync row 12", MakeRecord("F", "I", {-1, -1, -1, -1, -1, 12, -1}), true, false, "F", "I"},
    {"a gate of 2", MakeRecord("F", "I", {2, 0, 0, -1, -1, -1, -1}), true, false, "F", "I"},
    {"gates partly set", MakeRecord("F", "I", {1, -1, 0, -1, -1, -1, -1}), true, false, "F", "I"},
    {"output -2", MakeRecord("F", "I", {-1, -1, -1, -2, -1, -1, -1}), true, false, "F", "I"},
    {"a blank in a name", MakeRecord("Two Word", "I", {-1, -1, -1, -1, -1, -1, -1}), false, false, "", ""},
    {"a quote in a name", MakeRecord("F", "I\"", {-1, -1, -1, -1, -1, -1, -1}), false, false, "", ""},
};

TEST(SequenceStepRecord, UnpackTakesWhatAStepCanHold)
{
    for (const RecordCase &c : kRecords) {
        CSequenceStep step;
        step.formatName = QStringLiteral("untouched");
        EXPECT_EQ(step.UnpackTransferRecord(c.record), c.valid) << c.what;
        if (c.taken) {
            EXPECT_EQ(step.formatName, QLatin1String(c.format)) << c.what;
            EXPECT_EQ(step.imageName, QLatin1String(c.image)) << c.what;
        } else {
            EXPECT_EQ(step.formatName, QStringLiteral("untouched")) << c.what;
        }
    }
}

TEST(SequenceStepRecord, RoundTripsEveryField)
{
    CSequenceStep step;
    step.formatName = QStringLiteral("AT&T_SVC");
    step.imageName = QStringLiteral("Focus_@6");
    step.SetGateMask(6);
    step.output = 0;
    step.imageVersion = 0;
    step.syncType = 3;
    step.duration = 17;
    Record record{};
    step.PackTransferRecord(record);
    CSequenceStep back;
    ASSERT_TRUE(back.UnpackTransferRecord(record));
    EXPECT_TRUE(back.IsEqual(step));
}

// --- Normalize ----------------------------------------------------------------------

TEST(SequenceStepNormalize, ValuesOutsideTheirTablesBecomeUnset)
{
    struct Case {
        const char *what;
        std::array<qint32, 7> in;  // red green blue output version sync duration
        std::array<qint32, 7> out;
    };
    const Case cases[] = {
        {"in range", {1, 0, 1, 1, 255, 11, 33}, {1, 0, 1, 1, 255, 11, 33}},
        {"image version 0 is a version", {-1, -1, -1, -1, 0, 0, 0}, {-1, -1, -1, -1, 0, 0, 0}},
        {"above", {2, 0, 1, 2, 256, 12, 34}, {-1, -1, -1, -1, -1, -1, -1}},
        {"below", {-5, 0, 0, -2, -2, -100, INT32_MIN}, {-1, -1, -1, -1, -1, -1, -1}},
        {"one gate unset", {1, 1, -1, 0, 7, 4, 5}, {-1, -1, -1, 0, 7, 4, 5}},
    };
    for (const Case &c : cases) {
        CSequenceStep s;
        qint32 *fields[] = {&s.red, &s.green, &s.blue, &s.output, &s.imageVersion, &s.syncType, &s.duration};
        for (size_t i = 0; i < 7; ++i)
            *fields[i] = c.in[i];
        EXPECT_EQ(s.Normalize(), c.in == c.out) << c.what;
        for (size_t i = 0; i < 7; ++i)
            EXPECT_EQ(*fields[i], c.out[i]) << c.what << " field " << i;
    }
}

// --- Delay rows ---------------------------------------------------------------------

TEST(SequenceStepDelay, RowOfRepliedSeconds)
{
    struct Case {
        double seconds;
        int row;
    };
    // The rows: 0.0, 0.1, 0.2, 0.3, 0.5, 1, 2, ... 30 (17), 60 (18), 90 (19) ... 86400 (33).
    const Case cases[] = {{0.0, 0},   {0.1, 1},     {0.0999, 1}, {0.3004, 3},  {1.0, 5},  {1.0009, 5},
                          {90, 19},   {86400, 33},  {2.5, 0},    {1.002, 0},  {-1.0, kUnsetValue}, {-0.001, kUnsetValue}};
    for (const Case &c : cases)
        EXPECT_EQ(CSequenceStep::DurationFromSeconds(c.seconds), c.row) << c.seconds;
    EXPECT_EQ(CSequenceStep::SecondsOfDuration(5), 1.0);
    EXPECT_EQ(CSequenceStep::SecondsOfDuration(19), 90.0);
    EXPECT_EQ(CSequenceStep::SecondsOfDuration(kUnsetValue), -1.0);
    EXPECT_EQ(CSequenceStep::SecondsOfDuration(34), -1.0);
}

// --- Equality -----------------------------------------------------------------------

TEST(SequenceStepEqual, EveryFieldCounts)
{
    CSequenceStep base;
    base.formatName = QStringLiteral("VGA_m4");
    base.imageName = QStringLiteral("Flat");
    base.SetGateMask(5);
    base.output = 1;
    base.imageVersion = 2;
    base.syncType = 3;
    base.duration = 4;
    CSequenceStep same = base;
    same.formatName = QStringLiteral("vga_M4"); // generators match names without case
    EXPECT_TRUE(base.IsEqual(same));
    auto differs = [&](auto change, const char *what) {
        CSequenceStep other = base;
        change(other);
        EXPECT_FALSE(base.IsEqual(other)) << what;
    };
    differs([](CSequenceStep &s) { s.imageName = QStringLiteral("Ramp"); }, "image");
    differs([](CSequenceStep &s) { s.SetGateMask(4); }, "gates");
    differs([](CSequenceStep &s) { s.output = 0; }, "output");
    differs([](CSequenceStep &s) { s.imageVersion = 3; }, "image version");
    differs([](CSequenceStep &s) { s.syncType = 2; }, "sync");
    differs([](CSequenceStep &s) { s.duration = 5; }, "duration");
}

} // namespace

// The format-list file: its bytes written by hand, a round trip, damaged
// files refused whole, and values outside their tables shown as not set.

#include "CFormatListEntry.h"
#include "FormatListFile.h"
#include "TestSupport.h"

#include <QByteArray>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Little-endian bytes, value by value in the order the file holds them.
class FlsBytes {
public:
    FlsBytes &u8(quint8 v) { return raw(&v, 1); }
    FlsBytes &i16(qint16 v) { return raw(&v, 2); }
    FlsBytes &u16(quint16 v) { return raw(&v, 2); }
    FlsBytes &i32(qint32 v) { return raw(&v, 4); }
    FlsBytes &u32(quint32 v) { return raw(&v, 4); }
    FlsBytes &f64(double v) { return raw(&v, 8); }
    FlsBytes &text(const QByteArray &s) { return raw(s.constData(), s.size()); }
    FlsBytes &header(qint32 count) { return u32(0x1A2B802B).i32(count); }
    // A row after its name: video 2, sync 1, 640 x 480, 31469 Hz, 59.94 Hz, 25.175 MHz, progressive.
    FlsBytes &rest() { return i16(2).u16(1).i32(640).i32(480).f64(31469.0).f64(59.94).f64(25.175).i32(1); }
    FlsBytes &row(const QByteArray &name) { return u8(quint8(name.size())).text(name).rest(); }
    QByteArray data;

private:
    FlsBytes &raw(const void *p, qsizetype n)
    {
        data.append(static_cast<const char *>(p), n); // the test machine is little-endian
        return *this;
    }
};

CFormatListEntry Entry(const char *name, qint16 video, quint16 sync, int hRes, int vRes, double hRate, double vRate,
                       double pixelRate, int scan)
{
    CFormatListEntry e;
    e.name = QString::fromLatin1(name);
    e.videoType = video;
    e.syncType = sync;
    e.hRes = hRes;
    e.vRes = vRes;
    e.hRate = hRate;
    e.vRate = vRate;
    e.pixelRate = pixelRate;
    e.scan = scan;
    return e;
}

bool SameRate(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || a == b;
}

void ExpectSameRows(const QList<CFormatListEntry> &got, const QList<CFormatListEntry> &want)
{
    ASSERT_EQ(got.size(), want.size());
    for (qsizetype i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got[i].name, want[i].name);
        EXPECT_EQ(got[i].videoType, want[i].videoType);
        EXPECT_EQ(got[i].syncType, want[i].syncType);
        EXPECT_EQ(got[i].hRes, want[i].hRes);
        EXPECT_EQ(got[i].vRes, want[i].vRes);
        EXPECT_TRUE(SameRate(got[i].hRate, want[i].hRate)) << got[i].hRate;
        EXPECT_TRUE(SameRate(got[i].vRate, want[i].vRate)) << got[i].vRate;
        EXPECT_TRUE(SameRate(got[i].pixelRate, want[i].pixelRate)) << got[i].pixelRate;
        EXPECT_EQ(got[i].scan, want[i].scan);
        EXPECT_EQ(got[i].icon, 15); // not stored: the loader asks the generator
    }
}

TEST(FormatListFile, AnEmptyListIsItsEightByteHeader)
{
    EXPECT_EQ(FormatListFile::Bytes({}).toHex(), QByteArray("2b802b1a00000000"));
    QList<CFormatListEntry> rows = {Entry("OLD", 0, 0, 1, 1, 1, 1, 1, 1)};
    QString error;
    ASSERT_TRUE(FormatListFile::Read(QByteArray::fromHex("2b802b1a00000000"), rows, error)) << qPrintable(error);
    EXPECT_TRUE(rows.isEmpty());
}

TEST(FormatListFile, OneRowAsWrittenByHand)
{
    CFormatListEntry vga = Entry("VGA_m4", 2, 1, 640, 480, 31469.0, 59.94, 25.175, 1);
    vga.icon = 3; // the mark is not stored
    // magic, count 1, then the row: name, video, sync, resolutions, the
    // rates as IEEE doubles (31469.0, 59.94, 25.175) and the scan.
    const QByteArray expected = QByteArray::fromHex("2b802b1a01000000"
                                                    "06" "5647415f6d34"
                                                    "0200" "0100" "80020000" "e0010000"
                                                    "0000000040bbde40" "b81e85eb51f84d40" "cdcccccccc2c3940"
                                                    "01000000");
    ASSERT_EQ(expected.size(), 8 + 47);
    EXPECT_EQ(FormatListFile::Bytes({vga}).toHex(), expected.toHex());

    QList<CFormatListEntry> rows;
    QString error;
    ASSERT_TRUE(FormatListFile::Read(expected, rows, error)) << qPrintable(error);
    vga.icon = 15;
    ExpectSameRows(rows, {vga});
}

TEST(FormatListFile, ARoundTripKeepsOrderFiguresAndMissingRates)
{
    // As a detailed scan leaves them: a format whose totals the generator
    // did not give keeps its rates missing.
    const QList<CFormatListEntry> scanned = {
        Entry("UF0004", 10, 11, 1280, 1024, 63981.0, 60.02, 108.0, 1),
        Entry("AT&T_SVC", 1, 7, 640, 480, 31469.0, kNaN, kNaN, 1),
        Entry("NTSC 601", 3, 1, 720, 480, 15734.264, 59.94, 13.5, 2),
    };
    QList<CFormatListEntry> rows;
    QString error;
    ASSERT_TRUE(FormatListFile::Read(FormatListFile::Bytes(scanned), rows, error)) << qPrintable(error);
    ExpectSameRows(rows, scanned);
}

TEST(FormatListFile, InfiniteRatesLoadAsMissing)
{
    const QByteArray file = FlsBytes()
                                .header(1)
                                .u8(3)
                                .text("INF")
                                .i16(2)
                                .u16(1)
                                .i32(640)
                                .i32(480)
                                .f64(kInf)
                                .f64(-kInf)
                                .f64(kNaN)
                                .i32(1)
                                .data;
    QList<CFormatListEntry> rows;
    QString error;
    ASSERT_TRUE(FormatListFile::Read(file, rows, error)) << qPrintable(error);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_TRUE(std::isnan(rows[0].hRate));
    EXPECT_TRUE(std::isnan(rows[0].vRate));
    EXPECT_TRUE(std::isnan(rows[0].pixelRate));
    for (int column : {kColHRate, kColVRate, kColPixelRate})
        EXPECT_EQ(FormatListColumnText(rows[0], column), QString()) << column;
    // Missing sorts after every number, and equal to another missing rate.
    const CFormatListEntry number = Entry("N", 2, 1, 640, 480, 1.0, 1.0, 1.0, 1);
    EXPECT_LT(CompareFormatListEntries(number, rows[0], kColHRate), 0);
    EXPECT_EQ(CompareFormatListEntries(rows[0], rows[0], kColVRate), 0);
}

TEST(FormatListFile, DamagedFilesAreRefusedWhole)
{
    const QByteArray longName(256, 'A');
    struct Case {
        const char *what;
        QByteArray bytes;
        const char *reason; // part of the error
    };
    const Case cases[] = {
        {"wrong magic", FlsBytes().u32(0x1A2B802C).i32(0).data, "not a format list"},
        {"shorter than the header", QByteArray::fromHex("2b802b1a0000"), "too short"},
        {"count -1", FlsBytes().header(-1).data, "announces -1 rows"},
        {"count 2^31", FlsBytes().u32(0x1A2B802B).u32(0x80000000u).data, "announces -2147483648 rows"},
        {"count above what the bytes hold", FlsBytes().header(2).row("A").data, "announces 2 rows"},
        {"count of many short rows", FlsBytes().header(1000).text(QByteArray(40 * 1000, '\0')).data,
         "announces 1000 rows"},
        {"a cut row", FlsBytes().header(1).row("VGA_m4").data.left(8 + 20), "announces 1 rows"},
        {"a row cut in its rates", FlsBytes().header(2).row("VGA_m4").u8(1).text("B").i16(2).u16(1).i32(1).text(QByteArray(31, '\0')).data,
         "ends inside row 2"},
        {"name length 0xFF + u16 past the end",
         FlsBytes().header(1).u8(0xFF).u16(0x1000).text(QByteArray(40, 'x')).data, "ends inside row 1"},
        {"name length 0xFF FFFF + u32 past the end",
         FlsBytes().header(1).u8(0xFF).u16(0xFFFF).u32(0x7FFFFFFF).text(QByteArray(40, 'x')).data,
         "ends inside row 1"},
        {"bytes after the last row", FlsBytes().header(1).row("VGA_m4").u8(0).data, "1 bytes after its last row"},
        {"an empty name", FlsBytes().header(1).row("").data, "Row 1 has no name"},
        {"a name of 256 characters", FlsBytes().header(1).u8(0xFF).u16(256).text(longName).rest().data,
         "256 characters"},
        {"a quote in a name", FlsBytes().header(2).row("VGA_m4").row("A\"B").data, "Row 2 is named"},
        {"a semicolon in a name", FlsBytes().header(1).row("A;FMTK X").data, "semicolon"},
        {"a line end in a name", FlsBytes().header(1).row("A\r\nB").data, "carriage return"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QList<CFormatListEntry> before = {Entry("KEPT", 2, 1, 640, 480, 31469.0, 59.94, 25.175, 1)};
        QList<CFormatListEntry> rows = before;
        QString error;
        EXPECT_FALSE(FormatListFile::Read(c.bytes, rows, error));
        EXPECT_TRUE(error.contains(QLatin1String(c.reason))) << qPrintable(error);
        ExpectSameRows(rows, before);
    }
}

TEST(FormatListFile, NamesUpToTheLimitAndOddButSafeCharactersAreTaken)
{
    const QByteArray longest(255, 'Z');
    const QByteArray file =
        FlsBytes().header(2).u8(0xFF).u16(255).text(longest).rest().row("Focus_@6 & \xe9").data;
    QList<CFormatListEntry> rows;
    QString error;
    ASSERT_TRUE(FormatListFile::Read(file, rows, error)) << qPrintable(error);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].name, QString(255, u'Z'));
    EXPECT_EQ(rows[1].name, QString::fromLatin1("Focus_@6 & \xe9"));
    // Written again, byte for byte.
    EXPECT_EQ(FormatListFile::Bytes(rows), file);
}

TEST(FormatListFile, VideoAndSyncOutsideTheirTablesShowAsNotSet)
{
    struct Case {
        qint16 video;
        quint16 sync;
        const char *videoText;
        const char *syncText;
    };
    const Case cases[] = {
        {2, 1, "Analog RGB (color)", "DSS"},
        {0, 0, "None", "None"},
        {20, 13, "DVI YPrPb (ITU-R BT.709)", "DPMS ON"}, // the last rows of both tables
        {-1, 12, "", ""},
        {21, 14, "", ""},
        {32767, 65535, "", ""},
        {-32768, 3, "", "ACS"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.video);
        const CFormatListEntry e = Entry("X", c.video, c.sync, 1, 1, 1, 1, 1, 1);
        EXPECT_EQ(FormatListColumnText(e, kColVideoType), QString::fromLatin1(c.videoText));
        EXPECT_EQ(FormatListColumnText(e, kColSyncType), QString::fromLatin1(c.syncText));
    }
}

} // namespace

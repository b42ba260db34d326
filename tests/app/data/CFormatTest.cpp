#include "Archive.h"
#include "ArchiveBytes.h"
#include "CFormat.h"
#include "CGeneralFormatData.h"
#include "FormatRecord.h"
#include "RoundToCount.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QPointer>
#include <QWidget>

#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <optional>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The values of a format file's body, defaults as a new format has them.
struct GoldenBody {
    qint32 kinds[5] = {2, 2, 1, 1, 2};
    qint32 switches[10] = {0, 1, 0, 1, 1, 1, 0, 0, 0, 0};
    double gamma = 2.2;
    qint32 pedestalOn = 0;
    double levels[7] = {7.5, 0.7, 0.3, 25175000, 1.0 / 25175000, 31469, 59.941};
    double timing[22] = {640,   2.5422e-05, 800,      3.1777e-05, 160,     6.355e-06, 16,   6.36e-07,
                         96,    3.813e-06,  480,      0.015253,   525,     0.016683,  45,   0.00143,
                         10,    0.000318,   2,        6.4e-05,    284.48,  213.36};
    qint32 sizeUnit = 2;
    double sizes[4] = {11.2, 284.48, 8.4, 213.36};
    qint32 modes[5] = {0, 0, 0, 0, 0};
    double backPorch[4] = {0, 0, 0, 0};
    qint32 repeatField = 0;
    qint32 pcpg = 0;
    double worksheet1a[2] = {20.0, 2.1214532};
    qint32 percentSwitch = 1;
    double worksheet1b[4] = {75.0, 0.6, 1600, 1200};
    double worksheet2[9] = {519.1839, 154.152, 72.0, 2568, 2048, 0.27, 0.0065, 1.38, 0.0649};
    qint32 pixelDepth = 0;
    std::optional<qint32> avcs = 0; // nothing: a file from before the field

    QByteArray Encode() const
    {
        Bytes b;
        for (qint32 v : kinds) b.i32(v);
        for (qint32 v : switches) b.i32(v);
        b.f64(gamma).i32(pedestalOn);
        for (double v : levels) b.f64(v);
        for (double v : timing) b.f64(v);
        b.i32(sizeUnit);
        for (double v : sizes) b.f64(v);
        for (qint32 v : modes) b.i32(v);
        for (double v : backPorch) b.f64(v);
        b.i32(repeatField).i32(pcpg);
        for (double v : worksheet1a) b.f64(v);
        b.i32(percentSwitch);
        for (double v : worksheet1b) b.f64(v);
        for (double v : worksheet2) b.f64(v);
        b.i32(pixelDepth);
        if (avcs)
            b.i32(*avcs);
        return b.data;
    }
};

QByteArray FormatFile(const char *name, const GoldenBody &body)
{
    return Bytes().bytes(QByteArray::fromHex("ffff01000700")).text("CFormat").counted(name).bytes(body.Encode()).data;
}

QByteArray Store(CFormat &format, bool legacy = false)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CArchive ar(&buffer, CArchive::store);
    format.StoreObject(ar, legacy);
    return buffer.data();
}

std::unique_ptr<CFormat> Load(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::load);
    return ar.ReadObject<CFormat>();
}

// The older product's record after the kind the data list reads first.
bool ImportLegacy(CFormat &format, const QByteArray &record)
{
    QBuffer buffer;
    buffer.setData(record.mid(9));
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::load);
    return format.ImportLegacyBinary(ar);
}

class CFormatTest : public PlatformTest {};

TEST_F(CFormatTest, ANewFormatIsStoredByteForByte)
{
    CFormat format;
    const QByteArray expected = FormatFile("Format", GoldenBody());
    EXPECT_EQ(expected.left(20).toHex(' '), QByteArray("ff ff 01 00 07 00 43 46 6f 72 6d 61 74 06 46 6f 72 6d 61 74"));
    EXPECT_EQ(expected.size(), 20 + 532);
    EXPECT_EQ(Store(format).toHex(' '), expected.toHex(' '));
}

TEST_F(CFormatTest, ANewFormatIs640By480At31469Hz)
{
    const CFormat format;
    EXPECT_EQ(format.GetName(), QStringLiteral("Format"));
    EXPECT_EQ(format.Data().name, QStringLiteral("Format"));
    EXPECT_EQ(format.GetTypeCode(), 100);
    EXPECT_EQ(format.GetTypeName(), QStringLiteral("Format"));
    EXPECT_EQ(format.GetFileExtension(), QStringLiteral("fmt"));
    EXPECT_EQ(format.GetFileFilter(), QStringLiteral("Format Data (*.fmt)|*.fmt|"));
    EXPECT_FALSE(format.IsModified());
    FormatRecord record;
    ASSERT_TRUE(format.Data().FillRecord(record));
    EXPECT_EQ(record.hActive, 640);
    EXPECT_EQ(record.vActive, 480);
    EXPECT_EQ(record.lineRate, 31469);
    EXPECT_EQ(format.Data().pixelRate, 25175000);
    EXPECT_EQ(format.Data().fieldRate, 59.941);
    EXPECT_EQ(CGeneralFormatData::StaticRuntimeClass()->m_wSchema, 0x80000002u);
    EXPECT_EQ(CFormat::StaticRuntimeClass()->m_wSchema, 0x80000001u);
}

TEST_F(CFormatTest, LoadingReadsEveryFieldAndTheLastOneOnlyWhenTheFileHoldsIt)
{
    GoldenBody body;
    body.kinds[0] = 5;
    body.switches[9] = 1;
    body.gamma = 1.8;
    body.timing[2] = 1056;
    body.sizeUnit = 1;
    body.modes[2] = 1;
    body.repeatField = 1;
    body.pcpg = 1;
    body.worksheet2[8] = 0.5;
    body.pixelDepth = 8;
    struct Case {
        const char *what;
        std::optional<qint32> avcs;
        qint32 expectedAvcs;
    } cases[] = {
        {"with the last field", 7, 7},
        {"from before the last field", std::nullopt, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        body.avcs = c.avcs;
        const auto format = Load(FormatFile("SVGA", body));
        ASSERT_NE(format, nullptr);
        const CGeneralFormatData &d = format->Data();
        EXPECT_EQ(format->GetName(), QStringLiteral("SVGA"));
        EXPECT_EQ(d.name, QStringLiteral("SVGA"));
        EXPECT_EQ(d.acsKind.GetIndex(), 5);
        EXPECT_EQ(d.gammaOn, 1);
        EXPECT_EQ(d.gamma, 1.8);
        EXPECT_EQ(d.hTotal, 1056);
        EXPECT_EQ(d.sizeUnit, 1);
        EXPECT_EQ(d.interlaced, 1);
        EXPECT_EQ(d.repeatField, 1);
        EXPECT_EQ(d.pcpg, 1);
        EXPECT_EQ(d.worksheet2[8], 0.5);
        EXPECT_EQ(d.pixelDepth, 8);
        EXPECT_EQ(d.avcs, c.expectedAvcs);
        EXPECT_FALSE(format->IsModified());
        // What was loaded is stored again unchanged, the last field always included.
        body.avcs = c.expectedAvcs;
        EXPECT_EQ(Store(*format).toHex(' '), FormatFile("SVGA", body).toHex(' '));
    }
}

TEST_F(CFormatTest, AnUnknownKindIndexKeepsTheDefault)
{
    GoldenBody body;
    body.kinds[0] = 99;  // ACS
    body.kinds[3] = 13;  // sync select DPMS ON: a code the list shows
    body.kinds[4] = -1;  // video kind
    const auto format = Load(FormatFile("X", body));
    EXPECT_EQ(format->Data().acsKind.GetIndex(), 2);
    EXPECT_EQ(format->Data().syncSelect.GetCode(), 13);
    EXPECT_EQ(format->Data().videoKind.GetIndex(), 2);
}

TEST_F(CFormatTest, ABadFileIsRefusedWithAReason)
{
    const QByteArray good = FormatFile("VGA", GoldenBody());
    struct Case {
        const char *what;
        std::function<QByteArray()> bytes;
        const char *reason; // part of the message; nullptr: any
    } cases[] = {
        {"empty", [] { return QByteArray(); }, nullptr},
        {"cut in the tag", [&] { return good.left(3); }, nullptr},
        {"cut in the name", [&] { return good.left(16); }, nullptr},
        {"cut in the kinds", [&] { return good.left(30); }, nullptr},
        {"cut in the timing", [&] { return good.left(250); }, nullptr},
        {"cut in the pixel depth", [&] { return good.left(good.size() - 6); }, nullptr},
        {"another class", [&] { QByteArray b = good; b[6] = 'X'; return b; }, nullptr},
        {"a name longer than the file", [] {
             return Bytes().bytes(QByteArray::fromHex("ffff01000700")).text("CFormat")
                 .u8(0xFF).bytes(QByteArray::fromHex("ffff")).u32(0xFFFFFFF0u).text("VGA").data;
         }, nullptr},
        {"gamma not a number", [] { GoldenBody b; b.gamma = kNaN; return FormatFile("VGA", b); }, "gamma"},
        {"infinite size", [] { GoldenBody b; b.sizes[1] = kInf; return FormatFile("VGA", b); }, "horizontal size in mm"},
        {"worksheet not a number", [] { GoldenBody b; b.worksheet2[4] = kNaN; return FormatFile("VGA", b); }, "worksheet"},
        {"pixel rate 0", [] { GoldenBody b; b.levels[3] = 0; return FormatFile("VGA", b); }, "pixel rate"},
        {"negative line rate", [] { GoldenBody b; b.levels[5] = -31469; return FormatFile("VGA", b); }, "line rate"},
        {"a time beyond any count", [] { GoldenBody b; b.timing[3] = 1e300; return FormatFile("VGA", b); }, "horizontal total"},
        {"a count beyond an int", [] { GoldenBody b; b.timing[19] = 1e5; return FormatFile("VGA", b); }, "vertical sync width"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        try {
            Load(c.bytes());
            ADD_FAILURE() << "loaded";
        } catch (const CArchiveException &e) {
            if (c.reason) {
                EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
            }
        }
    }
}

TEST_F(CFormatTest, ALoadIntoAnItemThatRefusesLeavesItUnchanged)
{
    CFormat format;
    format.Data().gamma = 1.5;
    GoldenBody body;
    body.levels[3] = 0;
    QBuffer buffer;
    buffer.setData(FormatFile("VGA", body).mid(13)); // the item's own part
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::load);
    EXPECT_THROW(format.Serialize(ar), CArchiveException);
    EXPECT_EQ(format.Data().gamma, 1.5);
    EXPECT_EQ(format.GetName(), QStringLiteral("Format"));
}

TEST(RoundToCountTest, HalfUpTowardZeroAndRefusedBeyondAnInt)
{
    const struct {
        double x;
        std::optional<int> expected;
    } cases[] = {
        {2.5, 3},
        {2.49, 2},
        {0.49, 0},
        {0.5, 1},
        {0.0, 0},
        {-0.3, 0},
        {-2.5, -2},
        {-2.7, -2},
        {639.9999, 640},
        {2147483646.5, INT_MAX},
        {2147483647.0, INT_MAX},
        {2147483647.5, std::nullopt},
        {-2147483649.0, INT_MIN},
        {-2147483650.0, std::nullopt},
        {1e300, std::nullopt},
        {-1e300, std::nullopt},
        {kInf, std::nullopt},
        {-kInf, std::nullopt},
        {kNaN, std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_EQ(RoundToCount(c.x), c.expected);
    }
}

TEST(FillRecordTest, CountsComeFromTheTimesNotTheStoredCounts)
{
    CGeneralFormatData data;
    data.hActive = 700; // a count edited without its time
    data.vTotal = 600;
    FormatRecord r;
    ASSERT_TRUE(data.FillRecord(r));
    const double counts[] = {r.hActive, r.hTotal, r.hSyncDelay, r.hSyncWidth, r.vActive, r.vTotal, r.vSyncDelay, r.vSyncWidth};
    const double expected[] = {640, 800, 16, 96, 480, 525, 10, 2};
    for (size_t i = 0; i < std::size(counts); ++i)
        EXPECT_EQ(counts[i], expected[i]) << "count " << i;
    EXPECT_EQ(r.name, QStringLiteral("default"));
    EXPECT_EQ(r.syncSelect.GetCode(), 1);

    data.vSyncWidthTime = kNaN;
    QString error;
    FormatRecord untouched = r;
    EXPECT_FALSE(data.FillRecord(r, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("vertical sync width"))) << error.toStdString();
    EXPECT_EQ(r.vSyncWidth, untouched.vSyncWidth);
}

FormatRecord VgaRecord()
{
    FormatRecord r;
    CGeneralFormatData().FillRecord(r);
    r.name = QStringLiteral("VGA");
    return r;
}

TEST(FillFromRecordTest, RatesTimesAndSizesAreDerived)
{
    struct Case {
        const char *what;
        double lineRate, hActive, hTotal, vActive, vTotal;
        qint32 interlaced, sizeUnit;
        double hSize, vSize;
        // expected
        double pixelRate, fieldRate, hBlank, vBlank, hSizeMm, hSizeInches, vSizeMm;
    } cases[] = {
        {"VGA", 31469, 640, 800, 480, 525, 0, 2, 284.48, 213.36,
         25175200, 59.94095238095238, 160, 45, 284.48, 11.1999776000448, 213.36},
        {"interlaced", 15734, 720, 858, 480, 525, 1, 2, 254, 100,
         13499772, 59.93904761904762, 138, 45, 254, 9.99998000004, 100},
        {"inches", 31469, 640, 800, 480, 525, 0, 1, 10, 7.5,
         25175200, 59.94095238095238, 160, 45, 254.000508, 10, 190.500381},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        FormatRecord r = VgaRecord();
        r.lineRate = c.lineRate;
        r.hActive = c.hActive;
        r.hTotal = c.hTotal;
        r.vActive = c.vActive;
        r.vTotal = c.vTotal;
        r.interlaced = c.interlaced;
        r.sizeUnit = c.sizeUnit;
        r.hImageSize = c.hSize;
        r.vImageSize = c.vSize;
        CGeneralFormatData d;
        ASSERT_TRUE(d.FillFromRecord(r));
        EXPECT_EQ(d.name, QStringLiteral("VGA"));
        EXPECT_DOUBLE_EQ(d.pixelRate, c.pixelRate);
        EXPECT_DOUBLE_EQ(d.pixelPeriod, 1 / c.pixelRate);
        EXPECT_NEAR(d.fieldRate, c.fieldRate, 1e-9);
        EXPECT_EQ(d.hBlank, c.hBlank);
        EXPECT_EQ(d.vBlank, c.vBlank);
        EXPECT_DOUBLE_EQ(d.hActiveTime, c.hActive / c.pixelRate);
        EXPECT_DOUBLE_EQ(d.hBlankTime, c.hBlank / c.pixelRate);
        EXPECT_DOUBLE_EQ(d.vTotalTime, c.vTotal / c.lineRate);
        EXPECT_DOUBLE_EQ(d.vBlankTime, c.vBlank / c.lineRate);
        EXPECT_NEAR(d.hSizeMm, c.hSizeMm, 1e-9);
        EXPECT_NEAR(d.hSizeInches, c.hSizeInches, 1e-9);
        EXPECT_NEAR(d.vSizeMm, c.vSizeMm, 1e-9);
        EXPECT_EQ(d.hImageSize, c.hSize);
        EXPECT_EQ(d.sizeUnit, c.sizeUnit);
        // The times give the counts back.
        FormatRecord back;
        ASSERT_TRUE(d.FillRecord(back));
        EXPECT_EQ(back.hTotal, c.hTotal);
        EXPECT_EQ(back.vActive, c.vActive);
    }
}

TEST(FillFromRecordTest, AValueOutsideTheEditorsRangesIsRefusedWhole)
{
    const struct {
        const char *what;
        std::function<void(FormatRecord &)> spoil;
        const char *mnemonic;
    } cases[] = {
        {"line rate 0", [](FormatRecord &r) { r.lineRate = 0; }, "HRAT"},
        {"line rate too high", [](FormatRecord &r) { r.lineRate = 250001; }, "HRAT"},
        {"horizontal total 0", [](FormatRecord &r) { r.hTotal = 0; }, "HTOT"},
        {"vertical total 0", [](FormatRecord &r) { r.vTotal = 0; }, "VTOT"},
        {"negative active", [](FormatRecord &r) { r.hActive = -1; }, "HRES"},
        {"count too large", [](FormatRecord &r) { r.vSyncWidth = 10000; }, "VSPW"},
        {"size too small", [](FormatRecord &r) { r.vImageSize = 0.05; }, "VSIZ"},
        {"gamma not a number", [](FormatRecord &r) { r.gamma = kNaN; }, "GAMA"},
        {"infinite swing", [](FormatRecord &r) { r.syncSwing = kInf; }, "ASSS"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        FormatRecord r = VgaRecord();
        c.spoil(r);
        CGeneralFormatData d;
        d.gamma = 1.0;
        QString error;
        EXPECT_FALSE(d.FillFromRecord(r, &error));
        EXPECT_TRUE(error.contains(QLatin1String(c.mnemonic))) << error.toStdString();
        EXPECT_EQ(d.gamma, 1.0);
        EXPECT_EQ(d.name, QStringLiteral("default"));
    }
}

TEST(SizeUnitsTest, InchesAndMillimetresUseTheFormatsFactors)
{
    const struct {
        double inches, mm;
    } cases[] = {{1, 25.4000508}, {10, 254.000508}, {11.2, 284.48056896}};
    for (const auto &c : cases) {
        EXPECT_NEAR(CGeneralFormatData::InchesToMm(c.inches), c.mm, 1e-9);
        EXPECT_NEAR(CGeneralFormatData::MmToInches(c.mm), c.inches, 1e-9);
    }
    // 25.4 mm is not quite an inch.
    EXPECT_NEAR(CGeneralFormatData::MmToInches(25.4), 0.99999800000400, 1e-12);
}

// --- the older product's record ---

QByteArray LegacyRecord(const char *fileText, const char *name, qint32 version, const QByteArray &body)
{
    return Bytes().bytes(QByteArray::fromHex("3a01010000")).i32(1).legacy(fileText).u8(0x5B)
        .legacy("TGeneralFmtData").i32(version).legacy(name).bytes(body).u8(0x5D).data;
}

TEST_F(CFormatTest, TheLegacyRecordIsWrittenByteForByte)
{
    const struct {
        const char *fileName;
        const char *written;
    } cases[] = {
        {"AB.fmt", "AB"},
        {"AB.FMT", "AB"},
        {"plain", "plain"},
        {"", ""},
        {"averylongfilename.fmt", "averylongf"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fileName);
        CFormat format;
        format.SetName(QStringLiteral("VGA"));
        format.SetFileName(QString::fromLatin1(c.fileName));
        EXPECT_EQ(Store(format, true).toHex(' '), LegacyRecord(c.written, "VGA", 7, GoldenBody().Encode()).toHex(' '));
    }
}

TEST_F(CFormatTest, ALegacyNameLongerThanTenIsRefusedBeforeAnythingIsWritten)
{
    CFormat format;
    format.SetName(QStringLiteral("ABCDEFGHIJK"));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CArchive ar(&buffer, CArchive::store);
    EXPECT_THROW(format.StoreObject(ar, true), CArchiveException);
    EXPECT_TRUE(buffer.data().isEmpty());
    format.SetName(QStringLiteral("ABCDEFGHIJ"));
    EXPECT_NO_THROW(format.StoreObject(ar, true));
}

TEST_F(CFormatTest, ALegacyRecordReadsBackWithItsVersionsFields)
{
    GoldenBody full;
    full.timing[2] = 1056;
    full.repeatField = 1;
    full.pcpg = 1;
    full.worksheet1a[0] = 25;
    full.worksheet2[0] = 1.5;
    full.pixelDepth = 8;
    full.avcs = 3;
    const QByteArray whole = full.Encode();
    const int v1Size = 392; // orders up to the back porch values
    struct Case {
        qint32 version;
        QByteArray body;
        qint32 repeatField, pcpg;
        double lineBlanking, worksheet2;
        qint32 pixelDepth, avcs;
    } cases[] = {
        {1, whole.left(v1Size), 0, 0, 20.0, 519.1839, 0, 0},
        {3, whole.left(v1Size + 8), 1, 1, 20.0, 519.1839, 0, 0},
        {6, whole.left(whole.size() - 4), 1, 1, 25, 1.5, 8, 0},
        {7, whole, 1, 1, 25, 1.5, 8, 3},
        {10, whole, 1, 1, 25, 1.5, 8, 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.version);
        CFormat format;
        ASSERT_TRUE(ImportLegacy(format, LegacyRecord("VGA2", "ignored", c.version, c.body)));
        const CGeneralFormatData &d = format.Data();
        EXPECT_EQ(format.GetName(), QStringLiteral("VGA2"));
        EXPECT_EQ(d.name, QStringLiteral("VGA2"));
        EXPECT_EQ(d.hTotal, 1056);
        EXPECT_EQ(d.repeatField, c.repeatField);
        EXPECT_EQ(d.pcpg, c.pcpg);
        EXPECT_EQ(d.lineBlankingPercent, c.lineBlanking);
        EXPECT_EQ(d.worksheet2[0], c.worksheet2);
        EXPECT_EQ(d.pixelDepth, c.pixelDepth);
        EXPECT_EQ(d.avcs, c.avcs);
    }
}

TEST_F(CFormatTest, ALegacyRecordWritesAndReadsBack)
{
    CFormat written;
    written.SetName(QStringLiteral("NTSC"));
    written.SetFileName(QStringLiteral("NTSC.fmt"));
    written.Data().avcs = 4;
    written.Data().interlaced = 1;
    CFormat read;
    ASSERT_TRUE(ImportLegacy(read, Store(written, true)));
    EXPECT_EQ(read.GetName(), QStringLiteral("NTSC"));
    read.SetFileName(QStringLiteral("NTSC.fmt"));
    EXPECT_EQ(Store(read, true), Store(written, true));
}

TEST_F(CFormatTest, ABadLegacyRecordIsRefusedAndTheItemKeepsItsValues)
{
    const QByteArray body = GoldenBody().Encode();
    GoldenBody zeroRate;
    zeroRate.levels[5] = 0;
    const auto head = [](quint32 nameLength) {
        return Bytes().bytes(QByteArray::fromHex("3a01010000")).i32(1).u32(nameLength).data;
    };
    const struct {
        const char *what;
        QByteArray record;
    } cases[] = {
        {"name of 11", LegacyRecord("ABCDEFGHIJK", "VGA", 7, body)},
        {"negative name length", head(0xFFFFFFFFu) + "VGA"},
        {"huge name length", head(0x7FFFFFFFu) + "VGA"},
        {"type name of 21", Bytes().bytes(head(2)).text("AB").u8(0x5B).legacy("TGeneralFmtDataXXXXXX").data},
        {"negative type length", Bytes().bytes(head(2)).text("AB").u8(0x5B).u32(0x80000000u).data},
        {"version 11", LegacyRecord("AB", "VGA", 11, body)},
        {"format name of 11", LegacyRecord("AB", "ABCDEFGHIJK", 7, body)},
        {"line rate 0", LegacyRecord("AB", "VGA", 7, zeroRate.Encode())},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        CFormat format;
        format.Data().gamma = 1.25;
        EXPECT_FALSE(ImportLegacy(format, c.record));
        EXPECT_FALSE(format.LastError().isEmpty());
        EXPECT_EQ(format.GetName(), QStringLiteral("Format"));
        EXPECT_EQ(format.Data().gamma, 1.25);
    }
    CFormat format;
    EXPECT_THROW(ImportLegacy(format, LegacyRecord("AB", "VGA", 7, body).left(200)), CArchiveException);
    EXPECT_EQ(format.GetName(), QStringLiteral("Format"));
}

// --- the editor as the format sees it ---

class FakeEditor : public QWidget, public FormatEditorLink {
public:
    explicit FakeEditor(CFormat &format) : m_format(format) {}
    QWidget *Window() const override { return const_cast<FakeEditor *>(this); }
    void WriteBack() override
    {
        m_format.Data().gamma = committedGamma;
        ++commits;
    }
    bool HasUnsavedChanges() const override { return unsaved; }
    QString CurrentName() const override { return QStringLiteral("Typed"); }
    void ItemRenamed() override { ++renames; }

    CFormat &m_format;
    double committedGamma = 1.7;
    bool unsaved = false;
    int commits = 0;
    int renames = 0;
};

class CFormatEditorTest : public CFormatTest {
protected:
    void SetUp() override
    {
        CFormatTest::SetUp();
        SetEditorFactory<CFormat>([this](CFormat &f) {
            ++made;
            return last = new FakeEditor(f);
        });
    }
    void TearDown() override
    {
        SetEditorFactory<CFormat>({});
        CFormatTest::TearDown();
    }
    FakeEditor *last = nullptr;
    int made = 0;
};

TEST_F(CFormatEditorTest, StoringCommitsTheOpenEditorFirst)
{
    CFormat format;
    ASSERT_NE(format.OpenEditor(), nullptr);
    EXPECT_EQ(format.OpenEditor(), last->Window());
    EXPECT_EQ(made, 1);
    last->unsaved = true;
    EXPECT_TRUE(format.IsModified());
    EXPECT_EQ(format.GetCurrentName(), QStringLiteral("Typed"));

    GoldenBody body;
    body.gamma = 1.7;
    EXPECT_EQ(Store(format), FormatFile("Format", body));
    EXPECT_EQ(last->commits, 1);
    format.SetName(QStringLiteral("VGA"));
    EXPECT_EQ(last->renames, 1);
    EXPECT_EQ(format.Data().name, QStringLiteral("VGA"));
}

TEST_F(CFormatEditorTest, AnEditorWhoseWindowIsGoneIsReplaced)
{
    CFormat format;
    format.OpenEditor();
    delete last;
    EXPECT_FALSE(format.IsEditorOpen());
    EXPECT_EQ(format.GetEditor(), nullptr);
    EXPECT_EQ(format.GetCurrentName(), QStringLiteral("Format"));
    EXPECT_NE(format.OpenEditor(), nullptr);
    EXPECT_EQ(made, 2);
    format.CloseEditor();
    EXPECT_FALSE(format.IsEditorOpen());
}

} // namespace

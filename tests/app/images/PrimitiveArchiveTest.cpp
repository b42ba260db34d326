// The other primitives in image files: archives written by hand, read into
// lines and written back byte for byte, kinds their classes do not know
// kept and reported once, and the older product's records of each kind.

#include "Archive.h"
#include "ArchiveBytes.h"
#include "CImage.h"
#include "CPrimitive.h"
#include "ImageTestSupport.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QFile>

#include <climits>
#include <memory>
#include <vector>

namespace {

using namespace imagetest;

QByteArray Head(const char *name, quint16 count)
{
    return Bytes().newClass("CImage").counted(name).i32(640).i32(480).u16(count).data;
}

class PrimitiveArchiveTest : public PlatformTest {};

TEST_F(PrimitiveArchiveTest, EachKindLoadsAndStoresByteForByte)
{
    Bytes b;
    b.bytes(Head("Kinds", 9));
    b.newClass("CDot").i32(0).i32(3).i32(4).i32(1);
    b.newClass("CGrid").i32(0).i32(2).i32(10).i32(8).i32(2);
    b.newClass("CGrill").i32(0).i32(0).i32(2).i32(6).i32(7);
    b.newClass("CMarker").i32(0).i32(3).i32(6);
    b.newClass("CImageOption").i32(0).i32(2);
    b.u16(0x8003).i32(0).i32(7).i32(8).i32(0); // a second dot, its class by reference
    b.u16(0x8005).i32(0).i32(3).i32(1).i32(2).i32(4);
    b.u16(0x8009).i32(0).i32(1).i32(2);
    b.newClass("CTriangle").i32(0).i32(1).i32(2).i32(3).i32(4).i32(5).i32(6).i32(3).i32(18);
    const std::unique_ptr<CImage> image = LoadImage(b.data);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Lines(*image), (QStringList{"ADOT Red 3 4", "HATI Green 10 8", "GRIV White 2 6", "LIMI Cyan", "NOGA",
                                          "ADOT Black 7 8", "HATO Blue 1 2", "CENT Green",
                                          "TRIA Yellow  1 2  3 4  5 6  Checker2"}));
    EXPECT_EQ(StoreImage(*image), b.data);
}

// A kind outside its class's range is kept as read and written back; one
// box after the reading says so, and nothing asks again.
TEST_F(PrimitiveArchiveTest, UnknownKindsAreKeptAndReportedOnce)
{
    Bytes b;
    b.bytes(Head("Odd", 5));
    b.newClass("CGrid").i32(0).i32(0).i32(10).i32(8).i32(2);
    b.newClass("CGrill").i32(0).i32(-7).i32(2).i32(6).i32(7);
    b.newClass("CMarker").i32(0).i32(INT_MIN).i32(6);
    b.newClass("CImageOption").i32(0).i32(4);
    b.newClass("CDot").i32(0).i32(3).i32(4).i32(1);
    prompter.ExpectMessage(PromptMatch::Text("The image \"Odd\" holds 4 primitive(s) of a type this program does not "
                                             "know (CGrid::Type: Unknown type.). They are kept as read, but neither "
                                             "drawn nor sent."),
                           IDOK);
    const std::unique_ptr<CImage> image = LoadImage(b.data);
    ASSERT_NE(image, nullptr);
    std::vector<int> types;
    for (const auto &primitive : image->Primitives())
        types.push_back(primitive->Type());
    EXPECT_EQ(types, (std::vector<int>{0, 0, 0, 0, 0}));
    EXPECT_EQ(Lines(*image), (QStringList{"", "", "", "", "ADOT Red 3 4"}));
    EXPECT_EQ(StoreImage(*image), b.data);
}

// One record of the older product's files: kind, a byte, a counted tag,
// four bytes, the fields and the closing byte.
QByteArray LegacyRecord(quint32 kind, const std::vector<qint32> &fields)
{
    Bytes b;
    b.u32(kind).u8(0x5B).legacy("TShape").u32(0);
    for (qint32 v : fields)
        b.i32(v);
    b.u8(0x5D);
    return b.data;
}

bool ImportLegacy(CImage &image, const std::vector<QByteArray> &records)
{
    Bytes b;
    b.legacy("Old").i32(qint32(records.size()));
    for (const QByteArray &r : records)
        b.bytes(r);
    QBuffer buffer;
    buffer.setData(b.data);
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::load);
    return image.ImportLegacyBinary(ar);
}

// The markers and options were numbered from 0, "TOBL" before "NOGA"; a
// grill's vertical kind was 2.
TEST_F(PrimitiveArchiveTest, LegacyRecordsOfTheOtherKinds)
{
    CImage image;
    ASSERT_TRUE(ImportLegacy(image, {
                                        LegacyRecord(0, {3, 4, 1}),
                                        LegacyRecord(4, {2, 0}),
                                        LegacyRecord(4, {7, 2}),
                                        LegacyRecord(6, {6, 3, 4, 5}),
                                        LegacyRecord(7, {7, 1, 10, 40}),
                                        LegacyRecord(7, {7, 2, 10, 40}),
                                        LegacyRecord(10, {0}),
                                        LegacyRecord(10, {1}),
                                        LegacyRecord(10, {2}),
                                        LegacyRecord(2, {1, 2, 3, 4, 5, 6, 1, 18}),
                                        LegacyRecord(9, {7, 8, 2, 1, 3, 0x00E96948}),
                                    }))
        << image.LastError().toStdString();
    EXPECT_EQ(Lines(image), (QStringList{"ADOT Red 3 4", "CENT Green", "LIMI White", "HATO Cyan 4 5",
                                         "GRIH White 10 40", "GRIV White 10 40", "ANTI", "TOBL", "NOGA",
                                         "TRIA Red  1 2  3 4  5 6  Checker2",
                                         QString::fromLatin1("TEXT Green 7 8 opix9 \"Hi\xe9\"")}));
}

TEST_F(PrimitiveArchiveTest, LegacyKindsOutsideTheTablesAreKeptAndReported)
{
    prompter.ExpectMessage(PromptMatch::Contains("holds 3 primitive(s) of a type"), IDOK);
    CImage image;
    ASSERT_TRUE(ImportLegacy(image, {LegacyRecord(4, {7, 5}), LegacyRecord(10, {INT_MAX}),
                                     LegacyRecord(6, {7, 0, 1, 1}), LegacyRecord(0, {1, 1, 7})}));
    EXPECT_EQ(Lines(image), (QStringList{"", "", "", "ADOT White 1 1"}));
}

// A quote in a text from a file is kept, but no command line can carry it:
// the command file is refused with the reason and the old file stays.
TEST_F(PrimitiveArchiveTest, ATextHoldingAQuoteIsKeptButNotWritten)
{
    Bytes b;
    b.bytes(Head("Quoted", 1));
    b.newClass("CText").i32(0).i32(1).i32(2).i32(7).i32(0).counted("say \"hi\"");
    const std::unique_ptr<CImage> image = LoadImage(b.data);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(StoreImage(*image), b.data);
    const QString path = TempPath("quoted.txt");
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("before");
    old.close();
    prompter.ExpectMessage(PromptMatch::Contains("holds a double quote, which a command line cannot carry"), IDOK);
    image->WriteCommandFile(path, "Quoted");
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("before"));
}

TEST_F(PrimitiveArchiveTest, ALegacyTextOver255BytesRefusesTheRecord)
{
    CImage image;
    std::vector<qint32> fields{1, 1, 7, 0, 256};
    fields.resize(5 + 64, 0x41414141);
    EXPECT_FALSE(ImportLegacy(image, {LegacyRecord(9, fields)}));
    EXPECT_TRUE(image.LastError().contains("256")) << image.LastError().toStdString();
    EXPECT_TRUE(image.Primitives().empty());
}

} // namespace

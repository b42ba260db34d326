// The older product's image records, written by hand: the records of the
// kinds read so far, the optional size at the end, and the records and
// lengths the reader refuses.

#include "Archive.h"
#include "ArchiveBytes.h"
#include "CImage.h"
#include "CPrimitive.h"
#include "ImageTestSupport.h"
#include "LegacyPrimitiveReader.h"
#include "TestSupport.h"

#include <QBuffer>

#include <optional>
#include <vector>

namespace {

using namespace imagetest;

// One primitive record: kind, a byte, a counted tag, four bytes, the fields
// and the closing byte.
QByteArray Record(quint32 kind, const std::vector<qint32> &fields, const char *tag = "TShape")
{
    Bytes b;
    b.u32(kind).u8(0x5B).legacy(tag).u32(0xDEADBEEF);
    for (qint32 v : fields)
        b.i32(v);
    b.u8(0x5D);
    return b.data;
}

// The image part of a file: name, count, the records.
QByteArray ImageRecord(const char *name, const std::vector<QByteArray> &records)
{
    Bytes b;
    b.legacy(name).i32(qint32(records.size()));
    for (const QByteArray &r : records)
        b.bytes(r);
    return b.data;
}

struct Imported {
    bool taken = false;
    qint64 left = 0;
};

Imported Import(CImage &image, const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::load);
    Imported result;
    result.taken = image.ImportLegacyBinary(ar);
    result.left = ar.BytesLeft();
    return result;
}


class ImageLegacyTest : public PlatformTest {};

TEST_F(ImageLegacyTest, RecordsOfLinesRectanglesAndOvals)
{
    // Colours and patterns are indexes; one outside the tables keeps White
    // and GrayPat0. A box's width is x2 - x1 + 1: 10 for x1 10 and x2 19.
    const QByteArray file = ImageRecord("Legacy", {
        Record(1, {0, 0, 639, 479, 1}),
        Record(1, {5, 5, 6, 6, 99}),
        Record(3, {10, 20, 19, 29, 2, 0, 0}),
        Record(3, {10, 20, 19, 29, 3, 8, 1}),
        Record(3, {0, 0, 9, 9, 7, 40, 5}),
    });
    CImage image;
    const Imported result = Import(image, file);
    ASSERT_TRUE(result.taken) << image.LastError().toStdString();
    EXPECT_EQ(result.left, 0);
    EXPECT_EQ(image.GetName(), "Legacy");
    EXPECT_EQ(Lines(image), (QStringList{
                                "LINE Red 0 0 639 479",
                                "LINE White 5 5 6 6",
                                "RECT Green  10 10  10 20  GrayPat0",
                                "OVAL Yellow  10 10  10 20  GrayPat50",
                                "OVAL White  9 9  0 0  GrayPat0",
                            }));
    EXPECT_EQ(image.Primitives()[4]->Type(), 5);
    EXPECT_EQ(image.Width(), 640);
    EXPECT_EQ(image.Height(), 480);
}

// What may follow the last record: a size counts only as 2 and two sizes
// of 2..65535; anything else stays unread for whatever comes next.
TEST_F(ImageLegacyTest, TheSizeAtTheEndCountsOnlyWhenWhole)
{
    const QByteArray one = ImageRecord("Sized", {Record(1, {1, 2, 3, 4, 1})});
    const struct {
        const char *what;
        QByteArray trailer;
        int width;
        int height;
        qint64 left;
    } cases[] = {
        {"nothing", {}, 640, 480, 0},
        {"2, 800, 600", Bytes().i32(2).i32(800).i32(600).data, 800, 600, 0},
        {"2, 800, 600 and more", Bytes().i32(2).i32(800).i32(600).i32(7).data, 800, 600, 4},
        {"3, 800, 600", Bytes().i32(3).i32(800).i32(600).data, 640, 480, 12},
        {"2, 1, 600", Bytes().i32(2).i32(1).i32(600).data, 640, 480, 12},
        {"2, 800, 65536", Bytes().i32(2).i32(800).i32(65536).data, 640, 480, 12},
        {"2, 65535, 2", Bytes().i32(2).i32(65535).i32(2).data, 65535, 2, 0},
        {"2, 800 only", Bytes().i32(2).i32(800).data, 640, 480, 8},
        {"2 only", Bytes().i32(2).data, 640, 480, 4},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        CImage image;
        const Imported result = Import(image, one + c.trailer);
        ASSERT_TRUE(result.taken);
        EXPECT_EQ(image.Width(), c.width);
        EXPECT_EQ(image.Height(), c.height);
        EXPECT_EQ(result.left, c.left);
    }
}

TEST_F(ImageLegacyTest, RefusedRecordsLeaveTheImageAsItWas)
{
    const QByteArray line = Record(1, {1, 2, 3, 4, 1});
    QByteArray longTag = Bytes().u32(1).u8(0).i32(1000).data + QByteArray(20, '\0');
    const struct {
        const char *what;
        QByteArray bytes;
        const char *why;
    } cases[] = {
        {"a name of 11 bytes", ImageRecord("ElevenBytes", {line}), "name length 11"},
        {"a negative name length", Bytes().i32(-1).i32(0).data, "name length -1"},
        {"a negative count", Bytes().legacy("N").i32(-1).data, "announces -1 primitives"},
        {"100001 primitives", Bytes().legacy("N").i32(100001).data, "announces 100001 primitives"},
        {"a kind above 11", ImageRecord("K", {Record(12, {})}), "kind 12"},
        {"a kind that reads negative", ImageRecord("K", {Record(0xFFFFFFFF, {})}), "kind 4294967295"},
        {"a negative tag length", ImageRecord("T", {Bytes().u32(1).u8(0).i32(-4).data}), "-4 bytes"},
        {"a tag longer than the file", Bytes().legacy("T").i32(1).bytes(longTag).data, "1000 bytes"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        CImage image;
        EXPECT_FALSE(Import(image, c.bytes).taken);
        EXPECT_TRUE(image.LastError().contains(QLatin1String(c.why))) << image.LastError().toStdString();
        EXPECT_EQ(image.GetName(), "Image");
        EXPECT_TRUE(image.Primitives().empty());
    }
}

// A text record's text is counted: at most 255 characters, never negative.
TEST_F(ImageLegacyTest, TextsAreBoundedBeforeTheyAreRead)
{
    const struct {
        QByteArray bytes;
        bool taken;
        QString text;
    } cases[] = {
        {Bytes().legacy("Hello").data, true, "Hello"},
        {Bytes().i32(255).bytes(QByteArray(255, 'x')).data, true, QString(255, u'x')},
        {Bytes().i32(256).bytes(QByteArray(256, 'x')).data, false, {}},
        {Bytes().i32(-1).data, false, {}},
    };
    for (const auto &c : cases) {
        QBuffer buffer;
        buffer.setData(c.bytes);
        buffer.open(QIODevice::ReadOnly);
        CArchive ar(&buffer, CArchive::load);
        QString text;
        QString error;
        EXPECT_EQ(ReadLegacyText(ar, text, error), c.taken) << c.bytes.left(4).toHex().toStdString();
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(error.isEmpty(), c.taken);
    }
}

TEST_F(ImageLegacyTest, AFileCutInsideARecordRaisesAndChangesNothing)
{
    const QByteArray file = ImageRecord("Cut", {Record(1, {1, 2, 3, 4, 1}), Record(3, {0, 0, 9, 9, 7, 0, 0})});
    for (qsizetype size : {qsizetype(3), qsizetype(10), file.size() - 1}) {
        SCOPED_TRACE(size);
        CImage image;
        EXPECT_THROW(Import(image, file.left(size)), CArchiveException);
        EXPECT_EQ(image.GetName(), "Image");
        EXPECT_TRUE(image.Primitives().empty());
    }
}

} // namespace

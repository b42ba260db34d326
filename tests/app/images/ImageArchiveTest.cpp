// The image file (.img): an archive written by hand, read into fields and
// written back byte for byte; files the reader must refuse whole; the
// editor's part in storing and in the modified state.

#include "Archive.h"
#include "ArchiveBytes.h"
#include "CFormat.h"
#include "CImage.h"
#include "CLine.h"
#include "COval.h"
#include "CRectangle.h"
#include "ImageTestSupport.h"
#include "ItemEditorLink.h"
#include "TestSupport.h"

#include <gmock/gmock.h>

#include <QBuffer>
#include <QPointer>
#include <QWidget>

#include <memory>

namespace {

using namespace imagetest;

// The primitive part of a line object: locked, then x1, y1, x2, y2, colour.
Bytes &LineFields(Bytes &b, qint32 locked, qint32 x1, qint32 y1, qint32 x2, qint32 y2, qint32 colour)
{
    return b.i32(locked).i32(x1).i32(y1).i32(x2).i32(y2).i32(colour);
}

// "Demo", 640 x 480: two lines (the second names its class by reference)
// and a rectangle. Map indexes: 1 CImage, 2 the image, 3 CLine, 4 and 5 the
// lines, 6 CRectangle, 7 the rectangle.
QByteArray DemoFile()
{
    Bytes b;
    b.newClass("CImage").counted("Demo").i32(640).i32(480).u16(3);
    LineFields(b.newClass("CLine"), 0, 0, 0, 639, 479, 1);
    LineFields(b.u16(0x8003), 0, 10, 470, 630, 10, 7);
    b.newClass("CRectangle").i32(0).i32(5).i32(6).i32(14).i32(25).i32(7).i32(0).i32(0);
    return b.data;
}




class ImageArchiveTest : public PlatformTest {};

TEST_F(ImageArchiveTest, HandWrittenFileLoadsAndStoresByteForByte)
{
    const std::unique_ptr<CImage> image = LoadImage(DemoFile());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetName(), "Demo");
    EXPECT_EQ(image->Width(), 640);
    EXPECT_EQ(image->Height(), 480);
    EXPECT_FALSE(image->IsModified());
    EXPECT_EQ(Lines(*image), (QStringList{"LINE Red 0 0 639 479", "LINE White 10 470 630 10",
                                          "RECT White  10 20  5 6  GrayPat0"}));
    EXPECT_EQ(StoreImage(*image), DemoFile());
}

TEST_F(ImageArchiveTest, TheClassDecidesTheOvalFlagAndTopLevelPrimitivesComeUnlocked)
{
    Bytes b;
    b.newClass("CImage").counted("Flags").i32(100).i32(50).u16(2);
    // A rectangle that says it is an oval, locked; an oval that says it is none.
    b.newClass("CRectangle").i32(1).i32(0).i32(0).i32(9).i32(9).i32(7).i32(0).i32(1);
    b.newClass("COval").i32(1).i32(0).i32(0).i32(9).i32(9).i32(7).i32(0).i32(0);
    const std::unique_ptr<CImage> image = LoadImage(b.data);
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->Primitives().size(), 2u);
    EXPECT_EQ(Lines(*image), (QStringList{"RECT White  10 10  0 0  GrayPat0", "OVAL White  9 9  0 0  GrayPat0"}));
    for (const auto &primitive : image->Primitives())
        EXPECT_FALSE(primitive->IsLocked());
    // Written back with the class's own flags and unlocked.
    Bytes expected;
    expected.newClass("CImage").counted("Flags").i32(100).i32(50).u16(2);
    expected.newClass("CRectangle").i32(0).i32(0).i32(0).i32(9).i32(9).i32(7).i32(0).i32(0);
    expected.newClass("COval").i32(0).i32(0).i32(0).i32(9).i32(9).i32(7).i32(0).i32(1);
    EXPECT_EQ(StoreImage(*image), expected.data);
}

TEST_F(ImageArchiveTest, ColourAndPatternOutsideTheTablesKeepTheDefaults)
{
    Bytes b;
    b.newClass("CImage").counted("Odd").i32(640).i32(480).u16(2);
    LineFields(b.newClass("CLine"), 0, 1, 2, 3, 4, 71);
    b.newClass("COval").i32(0).i32(0).i32(0).i32(9).i32(9).i32(-1).i32(31).i32(1);
    const std::unique_ptr<CImage> image = LoadImage(b.data);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Lines(*image), (QStringList{"LINE White 1 2 3 4", "OVAL White  9 9  0 0  GrayPat0"}));
}

// Each file is refused whole: the archive raises its exception and no
// image comes of it.
TEST_F(ImageArchiveTest, DamagedFilesAreRefusedWhole)
{
    const QByteArray demo = DemoFile();
    QByteArray formatInArray = Bytes().newClass("CImage").counted("F").i32(640).i32(480).u16(1).data;
    formatInArray += Bytes().newClass("CFormat").counted("Format").data; // a format where a primitive belongs
    Bytes repeated;
    repeated.newClass("CImage").counted("R").i32(640).i32(480).u16(2);
    LineFields(repeated.newClass("CLine"), 0, 0, 0, 1, 1, 1);
    repeated.u16(0x0004); // the first line's object again
    Bytes nullTag;
    nullTag.newClass("CImage").counted("N").i32(640).i32(480).u16(1).u16(0x0000);
    // The format's class is known to the archive, so the refusal is the array's.
    ASSERT_EQ(CRuntimeClass::FromName("CFormat"), CFormat::StaticRuntimeClass());
    const struct {
        const char *what;
        QByteArray bytes;
        const char *why;
    } cases[] = {
        {"cut inside the last primitive", demo.left(demo.size() - 1), "the file ends before"},
        {"cut inside the count",
         demo.left(Bytes().newClass("CImage").counted("Demo").i32(640).i32(480).data.size() + 1), "the file ends before"},
        {"cut after the class name", demo.left(12), "the file ends before"},
        {"a format object in the array", formatInArray, "found class CFormat where CPrimitive belongs"},
        {"an object read twice", repeated.data, "an object is referenced twice"},
        {"a null primitive", nullTag.data, "A primitive of the image is missing."},
        {"a zero width", Bytes().newClass("CImage").counted("Z").i32(0).i32(480).u16(0).data,
         "The image size 0 x 480 is impossible."},
        {"a negative height", Bytes().newClass("CImage").counted("Z").i32(640).i32(-480).u16(0).data,
         "The image size 640 x -480 is impossible."},
        {"a count beyond the file", Bytes().newClass("CImage").counted("C").i32(640).i32(480).u16(500).data,
         "a count exceeds the rest of the file"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        try {
            LoadImage(c.bytes);
            ADD_FAILURE() << "loaded";
        } catch (const CArchiveException &e) {
            EXPECT_THAT(e.what(), ::testing::HasSubstr(c.why));
        }
    }
}

// A double for the image editor: it answers with its marks and writes a
// size and one line back.
class ImageEditorDouble final : public QWidget, public ItemEditorLink {
public:
    explicit ImageEditorDouble(CImage &image) : m_image(image) {}
    QWidget *Window() const override { return const_cast<ImageEditorDouble *>(this); }
    void WriteBack() override
    {
        m_image.SetSize(320, 200);
        std::vector<std::unique_ptr<CPrimitive>> primitives;
        primitives.push_back(std::make_unique<CLine>(1, 2, 3, 4));
        m_image.SetPrimitives(std::move(primitives));
        marks = false;
        ++writeBacks;
    }
    bool HasUnsavedChanges() const override { return marks; }
    void ItemRenamed() override { ++retitles; }

    bool marks = false;
    int writeBacks = 0;
    int retitles = 0;

private:
    CImage &m_image;
};

class ImageEditorTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        SetEditorFactory<CImage>([this](CImage &image) { return last = new ImageEditorDouble(image); });
    }
    void TearDown() override
    {
        SetEditorFactory<CImage>({});
        PlatformTest::TearDown();
    }
    ImageEditorDouble *last = nullptr;
};

TEST_F(ImageEditorTest, WithoutAnEditorOpenEditorGivesNothing)
{
    SetEditorFactory<CImage>({});
    CImage image;
    EXPECT_EQ(image.OpenEditor(), nullptr);
    EXPECT_FALSE(image.IsEditorOpen());
}

// A recalled image is modified before its editor opens; the editor's marks
// add to the flag, they do not hide it.
TEST_F(ImageEditorTest, ModifiedIsTheFlagOrAnEditorMark)
{
    CImage image;
    ASSERT_NE(image.OpenEditor(), nullptr);
    const struct {
        bool flag;
        bool marks;
        bool modified;
    } cases[] = {{false, false, false}, {true, false, true}, {false, true, true}, {true, true, true}};
    for (const auto &c : cases) {
        image.SetModified(c.flag);
        last->marks = c.marks;
        EXPECT_EQ(image.IsModified(), c.modified) << c.flag << c.marks;
    }
}

TEST_F(ImageEditorTest, StoringTakesTheEditorsStateFirstAndRenamingRetitles)
{
    CImage image;
    image.OpenEditor();
    last->marks = true;
    image.SetModified(true);
    const QByteArray stored = StoreImage(image);
    EXPECT_EQ(last->writeBacks, 1);
    EXPECT_FALSE(image.IsModified());
    Bytes expected;
    expected.newClass("CImage").counted("Image").i32(320).i32(200).u16(1);
    LineFields(expected.newClass("CLine"), 0, 1, 2, 3, 4, 7);
    EXPECT_EQ(stored, expected.data);
    image.SetName("Other");
    EXPECT_EQ(last->retitles, 1);
}

} // namespace

// Groups and render maps: nested groups through the archive and the older
// product's records, their members' lines in order, bounds, ownership of
// the members inside and outside a tree, the Cancel a send asks after
// every tenth member, and render maps that only files make.

#include "Archive.h"
#include "ArchiveBytes.h"
#include "CCanvas.h"
#include "CDot.h"
#include "CGroup.h"
#include "CImage.h"
#include "CRectangle.h"
#include "CRenderMap.h"
#include "ImageTestSupport.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QFile>

#include <memory>
#include <vector>

namespace {

using namespace imagetest;

class GroupAndMapTest : public PlatformTest {};

// "Nest", 640 x 480: a dot, a group of (a rectangle, a group of two dots),
// and a render map. Map indexes: 1 CImage, 2 the image, 3 CDot, 4 the dot,
// 5 CGroup, 6 the outer group, 7 CRectangle, 8 the rectangle, 9 the inner
// group, 10 and 11 its dots, 12 CRenderMap, 13 the map.
QByteArray NestedFile()
{
    Bytes b;
    b.newClass("CImage").counted("Nest").i32(640).i32(480).u16(3);
    b.newClass("CDot").i32(0).i32(1).i32(2).i32(7);
    b.newClass("CGroup").i32(0).i32(5).i32(6).i32(40).i32(41).u16(2);
    b.newClass("CRectangle").i32(1).i32(5).i32(6).i32(14).i32(25).i32(1).i32(0).i32(0);
    b.u16(0x8005).i32(1).i32(30).i32(31).i32(40).i32(41).u16(2);
    b.u16(0x8003).i32(1).i32(30).i32(31).i32(2);
    b.u16(0x8003).i32(1).i32(40).i32(41).i32(3);
    b.newClass("CRenderMap").i32(0).i32(10).i32(20).counted("Arrow").i32(48).i32(16);
    return b.data;
}

TEST_F(GroupAndMapTest, NestedGroupsAndAMapLoadStoreAndGiveTheirMembersLines)
{
    const std::unique_ptr<CImage> image = LoadImage(NestedFile());
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->Primitives().size(), 3u);
    const auto *outer = dynamic_cast<const CGroup *>(image->Primitives()[1].get());
    ASSERT_NE(outer, nullptr);
    EXPECT_EQ(outer->Type(), 19);
    EXPECT_EQ(outer->GetCommandText(), "Group: (5,6) 2 Objects");
    EXPECT_FALSE(outer->IsLocked()) << "a top-level group comes unlocked";
    for (const CPrimitive *member : outer->Members())
        EXPECT_TRUE(member->IsLocked()) << "its members stay frozen";
    EXPECT_EQ(image->Primitives()[2]->GetCommandText(), "RMAP 10 20 Arrow");
    EXPECT_EQ(image->Primitives()[2]->Type(), 3);
    EXPECT_EQ(StoreImage(*image), NestedFile());

    const QString path = TempPath("nest.txt");
    image->WriteCommandFile(path, "Nest");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("IMGB\r\nADOT White 1 2\r\nRECT Red  10 20  5 6  GrayPat0\r\nADOT Green 30 31\r\n"
                              "ADOT Yellow 40 41\r\nRMAP 10 20 Arrow\r\nIMGE\r\n"))
        << text.toStdString();
    // A clone is a deep copy that owns its members.
    const std::unique_ptr<CPrimitive> copy(outer->Clone());
    const auto &members = dynamic_cast<CGroup &>(*copy).Members();
    ASSERT_EQ(members.size(), 2u);
    EXPECT_NE(members[0], outer->Members()[0]);
    EXPECT_EQ(members[0]->GetCommandText(), outer->Members()[0]->GetCommandText());
    EXPECT_TRUE(dynamic_cast<CGroup &>(*copy).OwnsMembers());
}

TEST_F(GroupAndMapTest, AGroupTakesInItsMembersBounds)
{
    CGroup group(QPoint(0, 0), QPoint(0, 0));
    group.AddMember(new CRectangle(10, 10, 20, 20), 0, true);
    group.AddMember(new CRectangle(50, 5, 60, 15), 1, true);
    group.AddMember(new CRectangle(30, 40, 35, 45), 2, true);
    EXPECT_EQ(group.TopLeft(), QPoint(10, 5));
    EXPECT_EQ(group.BottomRight(), QPoint(60, 45));
    EXPECT_EQ(group.GetCommandText(), "Group: (10,5) 3 Objects");
    group.Offset(5, -5);
    EXPECT_EQ(group.Members()[2]->GetCommandText(), "RECT White  6 6  35 35  GrayPat0");
    group.Scale(2.0, 1.0);
    EXPECT_EQ(group.TopLeft(), QPoint(30, 0));
    EXPECT_EQ(group.BottomRight(), QPoint(130, 40));
}

// A dot that counts its deletions.
int g_dotsGone = 0;
class CountedDot : public CDot {
public:
    using CDot::CDot;
    ~CountedDot() override { ++g_dotsGone; }
};

TEST_F(GroupAndMapTest, OutsideATreeAGroupDeletesItsMembersInsideItDoesNot)
{
    CCanvas canvas;
    std::vector<std::unique_ptr<CountedDot>> tree;
    g_dotsGone = 0;
    {
        CGroup free(QPoint(0, 0), QPoint(9, 9));
        free.AddMember(new CountedDot(1, 1), 0, false);
        free.AddMember(new CountedDot(2, 2), 1, false);
    }
    EXPECT_EQ(g_dotsGone, 2);
    {
        CGroup inTree(&canvas);
        for (int i = 0; i < 2; ++i) {
            tree.push_back(std::make_unique<CountedDot>(i, i));
            inTree.AddMember(tree.back().get(), i, true);
        }
        EXPECT_FALSE(inTree.OwnsMembers());
    }
    EXPECT_EQ(g_dotsGone, 2) << "the tree's items still own them";
    tree.clear();
    EXPECT_EQ(g_dotsGone, 4);
}

QByteArray LegacyGroupRecord(quint32 kind, const std::vector<qint32> &fields, const QByteArray &members = {})
{
    Bytes b;
    b.u32(kind).u8(0).legacy("TGroup").u32(0);
    for (qint32 v : fields)
        b.i32(v);
    b.bytes(members);
    b.u8(0);
    return b.data;
}

TEST_F(GroupAndMapTest, LegacyGroupsNestAndRefuseAnEmptyOne)
{
    const QByteArray inner = LegacyGroupRecord(11, {3, 4, 5, 6, 1}, LegacyGroupRecord(0, {5, 6, 1}));
    const QByteArray outer = LegacyGroupRecord(11, {1, 2, 5, 6, 2}, LegacyGroupRecord(0, {1, 2, 7}) + inner);
    const struct {
        const char *what;
        QByteArray record;
        bool taken;
    } cases[] = {
        {"nested", outer, true},
        {"no members", LegacyGroupRecord(11, {0, 0, 1, 1, 0}), false},
        {"65536 members", LegacyGroupRecord(11, {0, 0, 1, 1, 65536}), false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        QBuffer buffer;
        QByteArray bytes = Bytes().legacy("G").i32(1).bytes(c.record).data;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        CArchive ar(&buffer, CArchive::load);
        CImage image;
        EXPECT_EQ(image.ImportLegacyBinary(ar), c.taken) << image.LastError().toStdString();
        if (!c.taken)
            continue;
        std::vector<const CPrimitive *> lines;
        image.Primitives()[0]->AppendLinePrimitives(lines);
        QStringList texts;
        for (const CPrimitive *line : lines)
            texts << line->GetCommandText();
        EXPECT_EQ(texts, (QStringList{"ADOT White 1 2", "ADOT Red 5 6"}));
    }
}

// The name goes into the line bare: a blank or a comma would end it.
TEST_F(GroupAndMapTest, AMapWhoseNameIsNoWordIsNotWritten)
{
    for (const char *name : {"My map", "a,b", "", "x\"y"}) {
        SCOPED_TRACE(name);
        CImage image;
        image.AddPrimitive(std::make_unique<CRenderMap>(1, 2, QString::fromLatin1(name), 8, 8));
        prompter.ExpectMessage(PromptMatch::Contains("was not written: primitive 1 (Render Map): The name"), IDOK);
        image.WriteCommandFile(TempPath("map.txt"), "Maps");
        EXPECT_FALSE(QFile::exists(TempPath("map.txt")));
    }
}

} // namespace

#include "Archive.h"
#include "ArchiveTestClasses.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <functional>

namespace {

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

QByteArray Stored(const std::function<void(CArchive &)> &write)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    CArchive ar(&buffer, CArchive::store);
    write(ar);
    return bytes;
}

// Runs read over bytes and checks that it used all of them.
void Load(const QByteArray &bytes, const std::function<void(CArchive &)> &read)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::load);
    read(ar);
    EXPECT_EQ(ar.BytesLeft(), 0);
}

std::unique_ptr<CTestItem> Item(const char *name, qint32 value)
{
    auto item = std::make_unique<CTestItem>();
    item->name = QString::fromLatin1(name);
    item->value = value;
    return item;
}

const QByteArray kItemClass = Bytes({0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00}) + "CTestItem";

TEST(Archive, NewClassThenClassBackReferenceThenObjectBackReference)
{
    CTestList list;
    list.children.push_back(Item("AB", 0x01020304));
    list.children.push_back(nullptr);
    list.children.push_back(Item("", -2));
    list.alsoWrite.push_back(list.children[0].get());

    const QByteArray expected = Bytes({0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00}) + "CTestList" // class 1, object 2
                                + Bytes({0x04, 0x00})                                  // four entries
                                + kItemClass                                           // class 3, object 4
                                + Bytes({0x02, 'A', 'B', 0x04, 0x03, 0x02, 0x01})
                                + Bytes({0x00, 0x00})                                  // null
                                + Bytes({0x03, 0x80})                                  // class 3 again, object 5
                                + Bytes({0x00, 0xFE, 0xFF, 0xFF, 0xFF})
                                + Bytes({0x04, 0x00});                                 // object 4 again
    EXPECT_EQ(Stored([&](CArchive &ar) { ar.WriteObject(&list); }).toHex(' '), expected.toHex(' '));
}

TEST(Archive, FormatFileHeadIsTagSchemaAndName)
{
    const QByteArray head = Stored([](CArchive &ar) { ar.WriteObject(Item("FMT", 7).get()); }).left(15);
    EXPECT_EQ(head.toHex(' '), kItemClass.toHex(' '));
}

TEST(Archive, ReadsObjectsBackWithNullsAndClassReferences)
{
    const QByteArray bytes = Bytes({0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00}) + "CTestList" + Bytes({0x03, 0x00})
                             + kItemClass + Bytes({0x02, 'A', 'B', 0x04, 0x03, 0x02, 0x01, 0x00, 0x00, 0x03, 0x80,
                                                   0x01, 'z', 0xFF, 0xFF, 0xFF, 0xFF});
    Load(bytes, [](CArchive &ar) {
        const auto list = ar.ReadObject<CTestList>();
        ASSERT_TRUE(list);
        ASSERT_EQ(list->children.size(), 3u);
        const auto *first = dynamic_cast<CTestItem *>(list->children[0].get());
        const auto *third = dynamic_cast<CTestItem *>(list->children[2].get());
        ASSERT_TRUE(first && third);
        EXPECT_EQ(first->name, QStringLiteral("AB"));
        EXPECT_EQ(first->value, 0x01020304);
        EXPECT_EQ(list->children[1], nullptr);
        EXPECT_EQ(third->name, QStringLiteral("z"));
        EXPECT_EQ(third->value, -1);
    });
}

TEST(Archive, SchemaOfTheFileIsSeenByEachObject)
{
    // An item written with schema 5 (the class is versionable), inside a list of schema 1.
    const QByteArray bytes = Bytes({0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00}) + "CTestList" + Bytes({0x01, 0x00})
                             + Bytes({0xFF, 0xFF, 0x05, 0x00, 0x09, 0x00}) + "CTestItem"
                             + Bytes({0x00, 0x00, 0x00, 0x00, 0x00});
    Load(bytes, [](CArchive &ar) {
        EXPECT_EQ(ar.GetObjectSchema(), CArchive::kNoObjectSchema);
        const auto list = ar.ReadObject<CTestList>();
        ASSERT_TRUE(list);
        EXPECT_EQ(static_cast<CTestItem *>(list->children.at(0).get())->loadedSchema, 5u);
        EXPECT_EQ(list->schemaAfterChildren, 1u);
    });
}

struct StringCase {
    qsizetype length;
    QByteArray prefix;
};

TEST(Archive, CountedStringsTakeTheirForms)
{
    const std::vector<StringCase> cases = {
        {0, Bytes({0x00})},
        {254, Bytes({0xFE})},
        {255, Bytes({0xFF, 0xFF, 0x00})},
        {65533, Bytes({0xFF, 0xFD, 0xFF})},
        {65534, Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00})},
        {65535, Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00})},
        {70000, Bytes({0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00})},
    };
    for (const auto &c : cases) {
        const QString text(c.length, u'x');
        const QByteArray bytes = Stored([&](CArchive &ar) { ar << text; });
        EXPECT_EQ(bytes.left(c.prefix.size()).toHex(' '), c.prefix.toHex(' ')) << c.length;
        EXPECT_EQ(bytes.size(), c.prefix.size() + c.length) << c.length;
        Load(bytes, [&](CArchive &ar) { EXPECT_EQ(ar.ReadString(), text) << c.length; });
    }
}

TEST(Archive, ReadsWideStringsAndKeepsSingleByteCharacters)
{
    Load(Bytes({0xFF, 0xFE, 0xFF, 0x02, 'A', 0x00, 0x3A, 0x04}),
         [](CArchive &ar) { EXPECT_EQ(ar.ReadString(), QString::fromUtf8("A\u043A")); });
    const QString latin = QString::fromUtf8("Grün 50\u00B0");
    const QByteArray bytes = Stored([&](CArchive &ar) { ar << latin; });
    EXPECT_EQ(bytes.toHex(' '), (Bytes({0x08}) + "Gr\xFCn 50\xB0").toHex(' '));
    Load(bytes, [&](CArchive &ar) { EXPECT_EQ(ar.ReadString(), latin); });
}

TEST(Archive, CountsAndValuesAreLittleEndian)
{
    const QByteArray bytes = Stored([](CArchive &ar) {
        ar.WriteCount(5);
        ar.WriteCount(0xFFFE);
        ar.WriteCount(0xFFFF);
        ar << double(1.0) << float(-2.0f) << qint16(-2) << quint8(0xAB) << qint32(-31469);
    });
    QByteArray expected = Bytes({0x05, 0x00, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00});
    expected += Bytes({0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 0x00, 0x00, 0x00, 0xC0, 0xFE, 0xFF, 0xAB, 0x13, 0x85, 0xFF, 0xFF});
    EXPECT_EQ(bytes.toHex(' '), expected.toHex(' '));
    // The counts announce more elements than the bytes that follow hold,
    // so only the plain reads are checked here.
    Load(expected.mid(10), [](CArchive &ar) {
        double d = 0;
        float f = 0;
        qint16 s = 0;
        quint8 b = 0;
        qint32 i = 0;
        ar >> d >> f >> s >> b >> i;
        EXPECT_EQ(d, 1.0);
        EXPECT_EQ(f, -2.0f);
        EXPECT_EQ(s, -2);
        EXPECT_EQ(b, 0xAB);
        EXPECT_EQ(i, -31469);
    });
}

TEST(Archive, WideTagsBeyondTheShortIndexes)
{
    CTestList list;
    for (int i = 0; i < 0x7FFD; ++i)
        list.children.push_back(std::make_unique<CTestFixed>());
    list.children.push_back(Item("a", 1));
    list.children.push_back(Item("b", 2));
    list.alsoWrite.push_back(list.children.back().get());
    const QByteArray bytes = Stored([&](CArchive &ar) { ar.WriteObject(&list); });
    // list: class 1, object 2; CTestFixed: class 3, objects 4..0x8000; CTestItem: class 0x8001,
    // object 0x8002; the second item: wide class reference, object 0x8003; then it again.
    const QByteArray tail = kItemClass + Bytes({0x01, 'a', 0x01, 0x00, 0x00, 0x00})
                            + Bytes({0xFF, 0x7F, 0x01, 0x80, 0x00, 0x80})
                            + Bytes({0x01, 'b', 0x02, 0x00, 0x00, 0x00})
                            + Bytes({0xFF, 0x7F, 0x03, 0x80, 0x00, 0x00});
    EXPECT_EQ(bytes.right(tail.size()).toHex(' '), tail.toHex(' '));

    // Reading takes the wide class reference and refuses the second reference to one object.
    QByteArray readable = bytes.left(bytes.size() - 6);
    ASSERT_EQ(readable.mid(15, 2), Bytes({0x00, 0x80}));
    readable[15] = char(0xFF); // count 0x7FFF instead of 0x8000
    readable[16] = char(0x7F);
    Load(readable, [](CArchive &ar) {
        const auto back = ar.ReadObject<CTestList>();
        ASSERT_TRUE(back);
        ASSERT_EQ(back->children.size(), 0x7FFFu);
        EXPECT_EQ(static_cast<CTestItem *>(back->children.back().get())->name, QStringLiteral("b"));
    });
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::load);
    EXPECT_THROW(ar.ReadObject(RUNTIME_CLASS(CObject)), CArchiveException);
}

struct BadInput {
    const char *what;
    QByteArray bytes;
    CArchiveException::Cause cause;
};

QByteArray Nested(int depth)
{
    QByteArray b = Bytes({0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00}) + "CTestList" + Bytes({0x01, 0x00});
    for (int i = 1; i < depth; ++i)
        b += Bytes({0x01, 0x80, 0x01, 0x00});
    return b + Bytes({0x00, 0x00});
}

TEST(Archive, BadInputRaisesTheArchiveError)
{
    const QByteArray list = Bytes({0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00}) + "CTestList";
    const std::vector<BadInput> cases = {
        {"empty", {}, CArchiveException::endOfFile},
        {"half a tag", Bytes({0xFF}), CArchiveException::endOfFile},
        {"no name length", Bytes({0xFF, 0xFF, 0x01, 0x00}), CArchiveException::endOfFile},
        {"short name", Bytes({0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00}) + "CTest", CArchiveException::endOfFile},
        {"empty name", Bytes({0xFF, 0xFF, 0x01, 0x00, 0x00, 0x00}), CArchiveException::badClass},
        {"name too long", Bytes({0xFF, 0xFF, 0x01, 0x00, 0x40, 0x00}) + QByteArray(64, 'C'),
         CArchiveException::badClass},
        {"unknown class", Bytes({0xFF, 0xFF, 0x01, 0x00, 0x05, 0x00}) + "CNope", CArchiveException::badClass},
        {"root class", Bytes({0xFF, 0xFF, 0x00, 0x00, 0x07, 0x00}) + "CObject", CArchiveException::badClass},
        {"fixed schema differs", Bytes({0xFF, 0xFF, 0x03, 0x00, 0x0A, 0x00}) + "CTestFixed",
         CArchiveException::badSchema},
        {"class reference to nothing", Bytes({0x01, 0x80}), CArchiveException::badIndex},
        {"class index 0", Bytes({0x00, 0x80}), CArchiveException::badIndex},
        {"object reference to nothing", Bytes({0x05, 0x00}), CArchiveException::badIndex},
        {"wide tag cut short", Bytes({0xFF, 0x7F, 0x01}), CArchiveException::endOfFile},
        {"wide class reference to nothing", Bytes({0xFF, 0x7F, 0x09, 0x00, 0x00, 0x80}), CArchiveException::badIndex},
        {"class reference to an object", list + Bytes({0x01, 0x00, 0x02, 0x80}), CArchiveException::badIndex},
        {"object reference to itself", list + Bytes({0x01, 0x00, 0x02, 0x00}), CArchiveException::badIndex},
        {"body cut short", kItemClass + Bytes({0x05, 'A'}), CArchiveException::endOfFile},
        {"value cut short", kItemClass + Bytes({0x00, 0x01, 0x02}), CArchiveException::endOfFile},
        {"huge string", kItemClass + Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 'x'}),
         CArchiveException::endOfFile},
        {"huge wide string", kItemClass + Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x00, 'x', 0}),
         CArchiveException::endOfFile},
        {"wide marker twice", kItemClass + Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF, 0x00}),
         CArchiveException::generic},
        {"huge count", list + Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x00, 0x00}), CArchiveException::endOfFile},
        {"count beyond the bytes", list + Bytes({0x03, 0x00, 0x00, 0x00}), CArchiveException::endOfFile},
        {"nested too deeply", Nested(CArchive::kMaxDepth + 1), CArchiveException::generic},
    };
    for (const auto &c : cases) {
        QByteArray bytes = c.bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        CArchive ar(&buffer, CArchive::load);
        try {
            ar.ReadObject(RUNTIME_CLASS(CObject));
            ADD_FAILURE() << c.what << ": read without error";
        } catch (const CArchiveException &e) {
            EXPECT_EQ(e.m_cause, c.cause) << c.what << ": " << e.what();
        }
    }
}

TEST(Archive, NestingUpToTheLimitReads)
{
    Load(Nested(CArchive::kMaxDepth), [](CArchive &ar) { EXPECT_TRUE(ar.ReadObject<CTestList>()); });
}

TEST(Archive, AnObjectOfAnotherClassThanExpectedIsRefused)
{
    const QByteArray bytes = Stored([](CArchive &ar) { ar.WriteObject(Item("A", 1).get()); });
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::load);
    try {
        ar.ReadObject<CTestList>();
        ADD_FAILURE() << "an item was taken for a list";
    } catch (const CArchiveException &e) {
        EXPECT_EQ(e.m_cause, CArchiveException::badClass);
    }
}

TEST(Archive, RawReadsAreBoundedAndModesAreKept)
{
    QByteArray bytes = Bytes({1, 2, 3});
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::load);
    EXPECT_THROW(ar.ReadBytes(4), CArchiveException);
    EXPECT_EQ(ar.ReadBytes(3), Bytes({1, 2, 3}));
    EXPECT_THROW(ar << quint8(1), CArchiveException);
    EXPECT_THROW(Stored([](CArchive &out) {
                     quint8 b;
                     out >> b;
                 }),
                 CArchiveException);
}

// A sequential source of the item's bytes followed by zeros without end
// (as /dev/zero gives them), or of the item alone.
class SequentialSource : public QIODevice {
public:
    SequentialSource(QByteArray head, bool endless) : m_head(std::move(head)), m_endless(endless)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }
    qint64 given = 0;

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        qint64 n = 0;
        for (; n < maxSize && (m_endless || given < m_head.size()); ++n, ++given)
            data[n] = given < m_head.size() ? m_head[given] : '\0';
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_head;
    bool m_endless;
};

TEST(Archive, SequentialSourceIsReadUpToTheLimit)
{
    const QByteArray item = Stored([](CArchive &out) { out.WriteObject(Item("A", 7).get()); });
    SequentialSource finite(item, false);
    CArchive ar(&finite, CArchive::load, 1000);
    auto loaded = ar.ReadObject<CTestItem>();
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->value, 7);

    SequentialSource endless(item, true);
    EXPECT_THROW(CArchive(&endless, CArchive::load, 1000), CArchiveException);
    EXPECT_EQ(endless.given, 1001) << "one byte beyond the limit is enough to refuse";
}

} // namespace

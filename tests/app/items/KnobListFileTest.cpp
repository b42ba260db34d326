// The knob list's files: its archive form, read and rewritten byte for
// byte from bytes written here by hand; the older product's record with
// its bounds; and the token form of a directory (NAMI position name).

#include "CKnobList.h"
#include "ItemsTestSupport.h"

#include "Archive.h"
#include "CCommandReader.h"

#include <QBuffer>

#include <gtest/gtest.h>

namespace {

// "Fmts" with three entries, one holding a character beyond the name rule.
const QByteArray kThreeEntries = Bytes({0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00}) + "CKnobList" + Counted("Fmts") +
                                 Bytes({0x03, 0x00}) + Counted("VGA_m4") + Counted("DMT8075") + Counted("AT&T_SVC");

TEST(KnobListFile, ThreeEntriesReadAndRewrittenByteForByte)
{
    QByteArray in = kThreeEntries;
    QBuffer buffer(&in);
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::load);
    const std::unique_ptr<CKnobList> list = ar.ReadObject<CKnobList>();
    ASSERT_TRUE(list);
    EXPECT_EQ(list->GetName(), QStringLiteral("Fmts"));
    EXPECT_EQ(list->Entries(), (QStringList{"VGA_m4", "DMT8075", "AT&T_SVC"}));
    EXPECT_FALSE(list->IsModified());
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    {
        CArchive store(&out, CArchive::store);
        list->StoreObject(store, false);
        store.Flush();
    }
    EXPECT_EQ(out.data(), kThreeEntries);
}

TEST(KnobListFile, ACountBeyondTheBytesIsRefusedAndChangesNothing)
{
    QByteArray in = Counted("Fmts") + Bytes({0x40, 0x00}) + Counted("A");
    QBuffer buffer(&in);
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::load);
    CKnobList list;
    list.SetEntries({"Kept"});
    EXPECT_THROW(list.Serialize(ar), CArchiveException);
    EXPECT_EQ(list.GetName(), QStringLiteral("KnobList"));
    EXPECT_EQ(list.Entries(), (QStringList{"Kept"}));
}

// --- The older product's record ----------------------------------------------------------

bool ImportKnobLegacy(CKnobList &list, const QByteArray &bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::load);
    return list.ImportLegacyBinary(ar);
}

const QByteArray kLegacyKnobs = LegacyText("Imgs") + U32(3) + LegacyText("Flat") + LegacyText("Ramp") + LegacyText("");

TEST(KnobListLegacy, ReadsItsEntries)
{
    CKnobList list;
    ASSERT_TRUE(ImportKnobLegacy(list, kLegacyKnobs)) << list.LastError().toStdString();
    EXPECT_EQ(list.GetName(), QStringLiteral("Imgs"));
    EXPECT_EQ(list.Entries(), (QStringList{"Flat", "Ramp", ""}));
}

TEST(KnobListLegacy, RefusesWhatItsBoundsOrItsBytesDoNotHold)
{
    struct Case {
        const char *what;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"an 11-byte name", LegacyText("ElevenChars") + U32(0)},
        {"10001 entries", LegacyText("L") + U32(10001)},
        {"a record cut short", kLegacyKnobs.left(kLegacyKnobs.size() - 3)},
        {"more entries than bytes", LegacyText("L") + U32(400) + LegacyText("A")},
        {"an entry length beyond the bytes", LegacyText("L") + U32(1) + U32(0x7FFFFFFF)},
        {"a 9-character entry", LegacyText("L") + U32(1) + LegacyText("NineChars")},
    };
    for (const Case &c : cases) {
        CKnobList list;
        EXPECT_FALSE(ImportKnobLegacy(list, c.bytes)) << c.what;
        EXPECT_FALSE(list.LastError().isEmpty()) << c.what;
        EXPECT_EQ(list.GetName(), QStringLiteral("KnobList")) << c.what;
        EXPECT_TRUE(list.Entries().isEmpty()) << c.what;
    }
}

// --- Tokens ------------------------------------------------------------------------------

TEST(KnobListTokens, NamiPlacesEachNameByItsPosition)
{
    struct Case {
        const char *what;
        const char *text;
        bool ok;
        const char *name;
        QStringList entries;
    };
    const Case cases[] = {
        {"beyond the end, below 1, in the middle",
         "\"Mine\" NAMI 1 \"A\" NAMI 5 B NAMI 0 C NAMI 2 \"D E\"", true, "Mine", {"C", "D E", "A", "B"}},
        {"a plain name and plain entries", "Plain NAMI 1 X NAMI 1 Y", true, "Plain", {"Y", "X"}},
        {"no entries", "Empty", true, "Empty", {}},
        {"no name", "", false, "KnobList", {"old"}},
    };
    for (const Case &c : cases) {
        CKnobList list;
        list.SetEntries({"old"});
        CCommandReader reader;
        reader.SetText(QString::fromLatin1(c.text));
        EXPECT_EQ(list.ImportTokens(reader), c.ok) << c.what;
        EXPECT_EQ(list.GetName(), QLatin1String(c.name)) << c.what;
        EXPECT_EQ(list.Entries(), c.entries) << c.what;
    }
}

} // namespace

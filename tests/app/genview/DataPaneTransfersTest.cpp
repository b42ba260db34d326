// The copy-name rule of the data pane and the generator item drag block,
// without a generator.

#include "CGeneratorDataPane.h"
#include "GeneratorItemDragBlock.h"

#include "TestSupport.h"

#include <QByteArray>

#include <vector>

namespace {

using GeneratorItemDragBlock::Entry;

// --- Copy names ---------------------------------------------------------------------

struct CopyNameCase {
    const char *name;
    const char *result;  // nullptr: refused
    const char *why;     // the refusal's middle line; nullptr: no box
};

class CopyNameTest : public PlatformTest, public ::testing::WithParamInterface<CopyNameCase> {};

TEST_P(CopyNameTest, IncrementsOrRefusesWithItsReason)
{
    const CopyNameCase &c = GetParam();
    QString name = QString::fromLatin1(c.name);
    if (c.why) {
        const QString text = QStringLiteral("Name '%1' can not be incremented for copy.\n%2\nSkipping copy for this object.")
                                 .arg(name, QString::fromLatin1(c.why));
        prompter.ExpectMessage(PromptMatch::Text(text), IDOK);
    }
    EXPECT_EQ(CGeneratorDataPane::IncrementCopyName(name), c.result != nullptr);
    EXPECT_EQ(name, QString::fromLatin1(c.result ? c.result : c.name)) << "a refused name stays as it was";
    EXPECT_EQ(prompter.Messages().size(), c.why ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Names, CopyNameTest,
    ::testing::Values(CopyNameCase{"RED", "RED_1", nullptr}, CopyNameCase{"RED_1", "RED_2", nullptr},
                      CopyNameCase{"LONGNAME", "LONGNA_1", nullptr}, CopyNameCase{"A_9", "A_10", nullptr},
                      CopyNameCase{"A_007", "A_8", nullptr}, CopyNameCase{"A_ 5", "A_6", nullptr},
                      CopyNameCase{"A_-1", "A_0", nullptr}, CopyNameCase{"ABCD_999", nullptr,
                                                                         "Incremented name exceeds 8 characters."},
                      CopyNameCase{"ABCDE_99", nullptr, "Incremented name exceeds 8 characters."},
                      CopyNameCase{"RED_", nullptr, "No characters beyond '_' to interpret as a number."},
                      CopyNameCase{"RED_X", nullptr, "Characters beyond '_' can not be interpreted as a number."},
                      CopyNameCase{"A_B_1", nullptr, "Characters beyond '_' can not be interpreted as a number."},
                      CopyNameCase{"RED_1X", nullptr, "Name contains non-numeric characters beyond '_'."},
                      CopyNameCase{"", nullptr, nullptr}));

// --- Drag block -------------------------------------------------------------------------

// Two entries, written by hand from the block's layout: magic, count, then
// list number, name and NUL per entry.
const QByteArray kTwoEntries("\x10\x00\x34\x12"
                             "\x02\x00\x00\x00"
                             "\x01RED\x00"
                             "\x02Ramp\x00",
                             19);

TEST(DragBlockTest, BuildsTheBytesOfItsLayoutAndReadsThemBack)
{
    const std::vector<Entry> entries = {{1, "RED"}, {2, "Ramp"}};
    EXPECT_EQ(GeneratorItemDragBlock::Build(entries), kTwoEntries);
    EXPECT_TRUE(GeneratorItemDragBlock::HasMagic(kTwoEntries));
    const auto parsed = GeneratorItemDragBlock::Parse(kTwoEntries);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(*parsed, entries);

    const std::vector<Entry> icons = {{6, QString::fromLatin1("Fl\xe8\x63he")}};
    EXPECT_EQ(GeneratorItemDragBlock::Parse(GeneratorItemDragBlock::Build(icons)), icons);
}

TEST(DragBlockTest, RefusesEntriesItCannotWrite)
{
    const std::vector<std::vector<Entry>> refused = {
        {{0, "RED"}}, {{7, "RED"}}, {{1, ""}}, {{1, "RED"}, {2, QStringLiteral("Ab\u0100")}},
        {{1, QStringLiteral("A") + QChar(0) + QStringLiteral("B")}},
    };
    for (const auto &entries : refused)
        EXPECT_TRUE(GeneratorItemDragBlock::Build(entries).isEmpty()) << entries.front().listNumber;
}

struct BadBlock {
    const char *what;
    QByteArray bytes;
};

TEST(DragBlockTest, RefusesBlocksThatAreNotWhatTheirHeaderSays)
{
    auto with = [](qsizetype at, const QByteArray &bytes) {
        QByteArray block = kTwoEntries;
        block.replace(at, bytes.size(), bytes);
        return block;
    };
    const std::vector<BadBlock> cases = {
        {"empty", QByteArray()},
        {"magic alone", kTwoEntries.left(4)},
        {"header cut short", kTwoEntries.left(7)},
        {"header alone", kTwoEntries.left(8)},
        {"wrong magic", with(0, QByteArray("\x11\x00\x34\x12", 4))},
        {"no entries", with(4, QByteArray("\x00\x00\x00\x00", 4)).left(8)},
        {"count of none over entries", with(4, QByteArray("\x00\x00\x00\x00", 4))},
        {"count one higher", with(4, QByteArray("\x03\x00\x00\x00", 4))},
        {"count one lower", with(4, QByteArray("\x01\x00\x00\x00", 4))},
        {"count far past the bytes", with(4, QByteArray("\xff\xff\xff\xff", 4))},
        {"last NUL cut off", kTwoEntries.left(18)},
        {"last entry cut after its list number", kTwoEntries.left(14)},
        {"list number 0", with(8, QByteArray("\x00", 1))},
        {"list number 7", with(13, QByteArray("\x07", 1))},
        {"empty name", with(4, QByteArray("\x01\x00\x00\x00", 4)).left(8) + QByteArray("\x01\x00", 2)},
        {"a byte after the last entry", kTwoEntries + QByteArray("\x00", 1)},
    };
    for (const BadBlock &c : cases)
        EXPECT_FALSE(GeneratorItemDragBlock::Parse(c.bytes).has_value()) << c.what;
}

} // namespace

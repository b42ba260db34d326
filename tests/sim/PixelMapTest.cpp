// The pixel-map buffer: an upload between MAPB and MAPA (DMAP, MDTA), the
// read-back of a loaded map (DMAP?, MDTA? in either sign), the memory the
// generator reports only in its error count, and maps a test seeds.

#include "Scripts.h"

#include "gensim/PixelMaps.h"
#include "gensim/Population.h"

namespace gensim::test {
namespace {

using MapLines = ScriptFixture;

TEST_P(MapLines, AnswerAsTheGeneratorDoes) { runScript(); }

INSTANTIATE_TEST_SUITE_P(Upload, MapLines, ::testing::Values(
    Script{"a 33 x 2 map of depth 1 takes four words, either sign", {
        {"MAPB ;ERRC;MAPN Mine", ""},
        {"DMAP 33 2 1", ""},
        {"NERR?", "0"},
        {"DMAP?", "33,2,1"},
        {"MDTA 0 -1", ""},
        {"MDTA 3 4294967295", ""},
        {"MDTA 1 -2147483648", ""},
        {"MDTA? 0", "-1"},
        {"MDTA? 3", "-1"},
        {"MDTA? 1", "-2147483648"},
        {"MDTA? 2", "0"},
        {"MDTA 4 1", "Execution error: 3"},
        {"MDTA -1 1", "Execution error: 3"},
        {"MDTA 0 4294967296", "Execution error: 3"},
        {"MDTA 0 -2147483649", "Execution error: 3"},
        {"MDTA 0", "Execution error: 1"},
        {"MDTA x 1", "Execution error: 2"},
        {"MAPA Mine", ""},
        {"MAPN ;MAPE ", ""},
        {"MAPL? Mine", "1"},
        {"NERR?", "6"}}, "7.021"},
    Script{"sizes and depths a map cannot have are refused", {
        {"MAPB ", ""},
        {"DMAP 0 1 1", "Execution error: 3"},
        {"DMAP 4 4 3", "Execution error: 3"},
        {"DMAP 65536 1 1", "Execution error: 3"},
        {"DMAP 4 4", "Execution error: 1"},
        {"DMAP 4 x 4", "Execution error: 2"},
        {"DMAP?", "0,0,0"}}, "7.021"},
    Script{"no word and no store without a map", {
        {"MDTA 0 1", "Execution error: 6006"},
        {"MDTA? 0", "Execution error: 6006"},
        {"MAPB ;MAPN Mine", ""},
        {"MAPA Mine", "Execution error: 6006"},
        {"MAPL? Mine", "0"}}, "7.021"},
    Script{"no map commands up to 7.02", {
        {"DMAP 1 1 1", "Command invalid"},
        {"DMAP?", "Command invalid"},
        {"MDTA 0 1", "Command invalid"},
        {"MDTA? 0", "Command invalid"}}, "7.02"}));

INSTANTIATE_TEST_SUITE_P(ReadBack, MapLines, ::testing::Values(
    Script{"a loaded built-in map gives its size and words", {
        {"MAPB ;MAPL Arrow", ""},
        {"DMAP?", "16,16,1"},
        {"MDTA? 0", "-2147483648"},
        {"MDTA? 10", "-2097152"},
        {"MDTA? 15", "0"},
        {"MDTA? 16", "Execution error: 3"},
        {"MAPN ;MAPE ", ""},
        {"MAPL nope", "Execution error: 6020"}}, "7.021"},
    Script{"MAPB empties what was loaded", {
        {"MAPL Cursor", ""},
        {"DMAP?", "8,8,4"},
        {"MAPB ", ""},
        {"DMAP?", "0,0,0"}}, "7.021"}));

class MapStore : public SimFixture {
protected:
    void SetUp() override { openFirmware("7.021"); }
};

TEST_F(MapStore, StoresTheSizeAndEveryWord)
{
    ASSERT_EQ(reply("MAPB ;MAPN Mine;DMAP 3 2 8"), "");
    ASSERT_EQ(reply("MDTA 0 305419896;MDTA 1 -1"), "");
    ASSERT_EQ(reply("MAPA Mine;MAPN ;MAPE "), "");
    const auto stored = generator->item(ItemKind::PixelMap, "Mine");
    ASSERT_TRUE(stored);
    EXPECT_TRUE(stored->user);
    EXPECT_EQ(stored->width, 3);
    EXPECT_EQ(stored->height, 2);
    EXPECT_EQ(stored->depth, 8);
    EXPECT_EQ(stored->words, (std::vector<std::uint32_t>{0x12345678u, 0xFFFFFFFFu}));
    EXPECT_EQ(reply("MAPQ? 1 9 x"), "Arrow,0\r\nCursor,0\r\nMine,1");
}

// DMAP and MAPA answer nothing when the memory is short; NERR? tells.
TEST_F(MapStore, ShortMemoryIsCountedNotRefused)
{
    const std::uint64_t used = std::stoull(reply("MEMU?"));
    // 64 x 64 x 8 is 4096 bytes of words; the store adds its record.
    generator->setMemorySize(used + 4095);
    EXPECT_EQ(reply("MAPB ;ERRC;MAPN Big;DMAP 64 64 8"), "");
    EXPECT_EQ(reply("NERR?"), "1");
    EXPECT_EQ(reply("DMAP?"), "0,0,0") << "nothing allocated";
    generator->setMemorySize(used + 4096);
    EXPECT_EQ(reply("ERRC;DMAP 64 64 8;NERR?"), "0");
    EXPECT_EQ(reply("MAPA Big"), "");
    EXPECT_EQ(reply("NERR?"), "1");
    EXPECT_FALSE(generator->item(ItemKind::PixelMap, "Big")) << "the store took nothing";
    generator->setMemorySize(used + 4096 + 256);
    EXPECT_EQ(reply("ERRC;MAPA Big;NERR?"), "0");
    EXPECT_TRUE(generator->item(ItemKind::PixelMap, "Big"));
}

TEST_F(MapStore, AnUnsignedGeneratorWritesWordsWithoutSign)
{
    GeneratorOptions options;
    options.firmware = "7.021";
    options.unsignedMapWords = true;
    open(options);
    ASSERT_EQ(reply("MAPB ;MAPL Arrow"), "");
    EXPECT_EQ(reply("MDTA? 0"), "2147483648");
    EXPECT_EQ(reply("MDTA? 10"), "4292870144");
}

TEST(MapSamples, SeededMapsComeBackWhole)
{
    Generator g({.firmware = "7.021"});
    const StoredItem map = samplePixelMap("Seeded", true, 33, 2, 1, 3);
    ASSERT_EQ(map.words.size(), 4u);
    g.seed(ItemKind::PixelMap, map);
    EXPECT_EQ(g.item(ItemKind::PixelMap, "seeded"), map);
    populate(g, {.pixelMaps = 2});
    const auto populated = g.item(ItemKind::PixelMap, populationName('M', 1));
    ASSERT_TRUE(populated);
    EXPECT_EQ(populated->words.size(), 16u * 2u) << "16 x 16 at depth 4";
    EXPECT_EQ(g.execute("MAPB ;MAPL " + populated->name + ";DMAP?"), std::vector<std::string>{"16,16,4"});
}

} // namespace
} // namespace gensim::test

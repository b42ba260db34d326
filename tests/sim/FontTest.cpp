// The font buffer: an upload between FNTB and FNTA (FDTA 0 k, FNTG, FDTA t
// i), the read-back of a loaded font (FDTA? t i), the index and range
// checks, and the memory a store takes.

#include "Scripts.h"

#include "gensim/Fonts.h"

namespace gensim::test {
namespace {

using FontLines = ScriptFixture;

TEST_P(FontLines, AnswerAsTheGeneratorDoes) { runScript(); }

INSTANTIATE_TEST_SUITE_P(Upload, FontLines, ::testing::Values(
    Script{"a one-character font: header, tables, each index checked", {
        {"FNTB ;FNTN Mine", ""},
        {"FDTA 0 1 65;FDTA 0 2 65;FDTA 0 7 2;FDTA 0 12 2", ""},
        {"FDTA 0 8 1", "Execution error: 3"},
        {"FDTA 0 13 1", "Execution error: 3"},
        {"FDTA 1 0 5", "Execution error: 10220"},
        {"FNTG ", ""},
        {"FDTA 1 0 -1;FDTA 1 3 -2147483648", ""},
        {"FDTA 1 4 0", "Execution error: 3"},
        {"FDTA 2 2 2;FDTA 3 2 65535;FDTA 4 1 255", ""},
        {"FDTA 2 3 0", "Execution error: 3"},
        {"FDTA 3 0 65536", "Execution error: 3"},
        {"FDTA 4 2 8", "Execution error: 3"},
        {"FDTA 4 0 256", "Execution error: 3"},
        {"FDTA 2 -1 0", "Execution error: 3"},
        {"FDTA 5 0 0", "Execution error: 3"},
        {"FDTA 1 0", "Execution error: 1"},
        {"FDTA 1 x 0", "Execution error: 2"},
        {"FDTA? 1 0", "-1"},
        {"FDTA? 1 3", "-2147483648"},
        {"FDTA? 3 2", "65535"},
        {"FDTA? 0 12", "2"},
        {"FNTA Mine", ""},
        {"FNTN ;FNTE ", ""},
        {"FNTL? Mine", "1"}}, "7.021"},
    Script{"FNTG refuses a header that describes no font", {
        {"FNTB ", ""},
        {"FNTG ", "Execution error: 3"},
        {"FDTA 0 1 66;FDTA 0 2 65;FDTA 0 7 8;FDTA 0 12 1", ""},
        {"FNTG ", "Execution error: 3"},
        {"FDTA 0 2 66;FDTA 0 7 1001", ""},
        {"FNTG ", "Execution error: 3"},
        {"FDTA 0 7 8;FDTA 0 12 17", ""},
        {"FNTG ", "Execution error: 3"},
        {"FDTA 0 12 16", ""},
        {"FNTG ", ""}}, "7.021"},
    Script{"no font commands up to 7.02", {
        {"FDTA 0 1 1", "Command invalid"},
        {"FDTA? 0 1", "Command invalid"},
        {"FNTG ", "Command invalid"}}, "7.02"}));

INSTANTIATE_TEST_SUITE_P(ReadBack, FontLines, ::testing::Values(
    Script{"a loaded built-in font gives its header and tables", {
        {"FNTB ;FNTL Fixed_9", ""},
        {"FDTA? 0 1", "32"},
        {"FDTA? 0 2", "126"},
        {"FDTA? 0 7", "9"},
        {"FDTA? 0 12", "96"},
        {"FDTA? 1 95", "-67108864"},
        {"FDTA? 1 864", "Execution error: 3"},
        {"FDTA? 2 96", "96"},
        {"FDTA? 3 96", "65535"},
        {"FDTA? 3 97", "Execution error: 3"},
        {"FDTA? 4 95", "6"},
        {"FDTA? 4 96", "Execution error: 3"},
        {"FNTN ;FNTE ", ""}}, "7.021"},
    Script{"FNTB empties what was loaded", {
        {"FNTL Fixed_16", ""},
        {"FDTA? 0 7", "16"},
        {"FNTB ", ""},
        {"FDTA? 0 7", "0"},
        {"FDTA? 2 0", "Execution error: 10220"}}, "7.021"}));

class FontStore : public SimFixture {
protected:
    void SetUp() override { openFirmware("7.021"); }
};

TEST_F(FontStore, StoresTheHeaderAndEveryTable)
{
    ASSERT_EQ(reply("FNTB ;FNTN Mine;FDTA 0 1 48;FDTA 0 2 48;FDTA 0 7 1;FDTA 0 12 2;FDTA 0 5 -3;FNTG "), "");
    ASSERT_EQ(reply("FDTA 1 0 -16777216;FDTA 1 1 5;FDTA 2 1 1;FDTA 2 2 2;FDTA 3 0 64776"), "");
    ASSERT_EQ(reply("FDTA 3 2 65535;FDTA 4 0 8;FDTA 4 1 3;FNTA Mine;FNTN ;FNTE "), "");
    const auto stored = generator->item(ItemKind::Font, "Mine");
    ASSERT_TRUE(stored);
    EXPECT_TRUE(stored->user);
    FontTables expected;
    expected.header = {0, 48, 48, 0, 0, -3, 0, 1, 0, 0, 0, 0, 2};
    expected.tables = {std::vector<std::uint32_t>{0xFF000000u, 5u}, {0u, 1u, 2u}, {64776u, 0u, 65535u}, {8u, 3u}};
    EXPECT_EQ(stored->font, expected);
}

TEST_F(FontStore, TheStoreNeedsMemoryForItsTables)
{
    const std::uint64_t used = std::stoull(reply("MEMU?"));
    const StoredItem sample = sampleFont("Big", true, 32, 127, 8, 16, 2);
    const std::uint64_t size = itemSize(sample);
    ASSERT_GT(size, sample.font.bytes());
    EXPECT_EQ(sample.font.bytes(), 4u * 97u * 16u + 2u * 98u * 2u + 97u);
    std::string upload = "FNTB ;FNTN Big";
    for (const int k : {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12})
        upload += ";FDTA 0 " + std::to_string(k) + " " + std::to_string(sample.font.header[std::size_t(k)]);
    ASSERT_EQ(reply(upload + ";FNTG "), "");
    generator->setMemorySize(used + size - 1);
    EXPECT_EQ(reply("FNTA Big"), "Execution error: 2551");
    EXPECT_FALSE(generator->item(ItemKind::Font, "Big"));
    generator->setMemorySize(used + size);
    EXPECT_EQ(reply("FNTA Big"), "");
    EXPECT_TRUE(generator->item(ItemKind::Font, "Big"));
}

TEST(FontSamples, SeededFontsComeBackWhole)
{
    Generator g({.firmware = "7.021"});
    const StoredItem font = sampleFont("Seeded", true, 48, 57, 12, 10, 3);
    g.seed(ItemKind::Font, font);
    EXPECT_EQ(g.item(ItemKind::Font, "seeded"), font);
    EXPECT_EQ(g.execute("FNTB ;FNTL Seeded;FDTA? 0 2;FDTA? 4 3"), (std::vector<std::string>{"57", "12"}));
}

} // namespace
} // namespace gensim::test

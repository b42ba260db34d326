// Directories (knob lists): reading, rewriting and editing them the way the
// program does, and what the generator refuses.

#include "Scripts.h"

namespace gensim::test {
namespace {

using Directories = ScriptFixture;

TEST_P(Directories, AreEditedAsTheGeneratorDoes) { runScript(); }

INSTANTIATE_TEST_SUITE_P(Edit, Directories, ::testing::Values(
    Script{"read, then write anew with new names first", {
        {"DIRL? fmt", "1"},
        {"DIRL fmt", ""},
        {"NAMQ? 1 450", "DMT1075\r\nDMT1275\r\nDMT8075\r\nHDTV_2J\r\nNTSC_601\r\nVGA_m4"},
        {"DIRL ", ""},
        {"DIRN fmt", ""},
        {"DIRB", ""},
        {"NAMI 1 \"X\"", ""},
        {"NAMI 2 \"DMT1075\"", ""},
        {"NAMI 3 \"Two Words\"", ""},
        {"DIRE", ""},
        {"DIRA fmt", ""},
        {"DIRL ", ""},
        {"DIRL fmt;NAMQ? 1 450", "X\r\nDMT1075\r\nTwo Words"},
        {"DIRK? fmt", "0"}}},                         // still the built-in knob list
    Script{"marker entry to test a knob list", {
        {"DIRL img;NAMI 1 \"123456789\";NAMQ? 1 3", "123456789\r\nColorBar\r\nCubes"},
        {"NAMK \"123456789\";DIRL ", ""},
        {"DIRL img;NAMQ? 1 2", "ColorBar\r\nCubes"}}},
    Script{"entry taken out and the loaded directory saved", {
        {"DIRL fmt;DIRB;NAMK vga_m4;DIRE;DIRS;DIRL fmt", ""},
        {"NAMQ? 5 2", "NTSC_601"},
        {"DIRL ;DIRL fmt;NAMQ? 4 450", "HDTV_2J\r\nNTSC_601"}}},
    Script{"a user directory", {
        {"DIRN mine;DIRB;NAMI 1 \"Flat\";NAMI 1 \"Ramp\";DIRE;DIRA mine", ""},
        {"DIRQ? 1 450;DIRK? MINE", "fmt\r\nimg\r\nmine\r\n1"},
        {"DIRL mine;NAMQ? 0 9", "Ramp\r\nFlat"},
        {"DIRK mine;DIRQ? 1 450", "fmt\r\nimg"}}}));

INSTANTIATE_TEST_SUITE_P(Refused, Directories, ::testing::Values(
    Script{"without a directory", {
        {"NAMI 1 \"X\"", "Execution error: 5006"},
        {"NAMK X", "Execution error: 5006"},
        {"NAMQ? 1 450", "Execution error: 5006"},
        {"DIRS", "Execution error: 5006"},
        {"DIRA mine", "Execution error: 5006"},     // nothing begun
        {"DIRL nope", "Execution error: 5010"},
        {"DIRL? nope", "0"}}},
    Script{"bad entries leave the directory as it was", {
        {"DIRL fmt", ""},
        {"NAMI 8 \"X\"", "Execution error: 3"},    // one past the end is the last place
        {"NAMI 0 \"X\"", "Execution error: 3"},
        {"NAMI one \"X\"", "Execution error: 2"},
        {"NAMI 1", "Execution error: 1"},
        {"NAMI 1 \"X", "Execution error: 5010"},
        {"NAMI 1 \"\"", "Execution error: 5010"},
        {"NAMK nope", "Execution error: 5010"},
        {"NAMQ? 1 450 x", "Execution error: 1"},
        {"NAMQ? 6 1", "VGA_m4"},
        {"NAMI 7 \"Last\";NAMQ? 6 450", "VGA_m4\r\nLast"}}}));

using DirectoryStore = SimFixture;

TEST_F(DirectoryStore, RewriteKeepsTheBuiltInMarkAndTheEntries)
{
    host->command("DIRN img;DIRB;NAMI 1 \"Shot\";NAMI 2 \"Flat\";DIRE;DIRA img;DIRL ");
    auto img = generator->item(ItemKind::Directory, "img");
    ASSERT_TRUE(img);
    EXPECT_FALSE(img->user);
    EXPECT_EQ(img->entries, (std::vector<std::string>{"Shot", "Flat"}));
    EXPECT_EQ(reply("DIRK img"), "Execution error: 5010");
}

TEST_F(DirectoryStore, HoldsNoMoreThanOneListReply)
{
    host->command("DIRN big;DIRB");
    for (int i = 1; i <= 450; ++i)
        ASSERT_EQ(generator->execute("NAMI " + std::to_string(i) + " E" + std::to_string(i)),
                  std::vector<std::string>{}) << i;
    EXPECT_EQ(reply("NAMI 451 \"E451\""), "Execution error: 3");
    EXPECT_EQ(reply("DIRE;DIRA big;NAMQ? 450 9"), "E450");
    EXPECT_EQ(generator->item(ItemKind::Directory, "big")->entries.size(), 450u);
}

} // namespace
} // namespace gensim::test

// The stored-item families: lists, existence, user flags, delete, store,
// load, select, apply and knob lists.

#include "Scripts.h"

#include "gensim/Store.h"

namespace gensim::test {
namespace {

using Families = ScriptFixture;

TEST_P(Families, AnswerAsTheGeneratorDoes) { runScript(); }

INSTANTIATE_TEST_SUITE_P(Lists, Families, ::testing::Values(
    Script{"formats sorted without case", {
        {"FMTQ? 1 450", "DMT1075\r\nDMT1275\r\nDMT8075\r\nHDTV_2J\r\nNTSC_601\r\nVGA_m4"},
        {"FMTQ? 2 2 x", "DMT1275,0\r\nDMT8075,0"},
        {"fmtq? 2 2 X", "DMT1275,0\r\nDMT8075,0"},
        {"FMTQ? 0 1", "DMT1075"},
        {"FMTQ? -5 1 x", "DMT1075,0"},
        {"FMTQ? 6 450", "VGA_m4"},
        {"FMTQ? 7 1", ""},
        {"FMTQ? 1 0", ""},
        {"FMTQ? 1 -3", ""}}},
    Script{"other kinds", {
        {"IMGQ? 1 3 x", "ColorBar,0\r\nCubes,0\r\nFlat,0"},
        {"IMGQ? 6 9", "SlideG\r\nSMPTEbar"},
        {"SEQQ? 1 450", "NewSeq"},
        {"DIRQ? 1 450", "fmt\r\nimg"},
        {"FNTQ? 1 450 x", "Fixed_16,0\r\nFixed_9,0"},
        {"MAPQ? 1 2 x", "Arrow,0\r\nCursor,0"}}, "7.021"},
    Script{"list arguments refused", {
        {"FMTQ? a 3", "Execution error: 2"},
        {"FMTQ? 1 2.5", "Execution error: 2"},
        {"FMTQ? 1", "Execution error: 1"},
        {"FMTQ? 1 2 y", "Execution error: 1"},
        {"FMTQ? 1 2 x x", "Execution error: 1"},
        {"SEQQ? 1 450 x", "Execution error: 1"},   // sequences have no flags
        {"DIRQ? 1 450 x", "Execution error: 1"}}},
    Script{"no flag form before 7.011", {
        {"FMTQ? 1 1 x", "Execution error: 1"},
        {"IMGQ? 1 1 x", "Execution error: 1"},
        {"FMTQ? 1 1", "DMT1075"}}, "7.01"}));

INSTANTIATE_TEST_SUITE_P(Existence, Families, ::testing::Values(
    Script{"held or not, any case", {
        {"FMTL? \"vga_m4\"", "6"},                 // formats answer their number
        {"FMTL? \"DMT1075\"", "1"},
        {"FMTL? \"nope\"", "0"},
        {"IMGL? flat", "1"},
        {"IMGL? nope", "0"},
        {"DIRL? FMT", "1"},
        {"SEQL? newseq", "1"},
        {"FNTL? Fixed_9", "1"},
        {"MAPL? Pointer", "0"}}, "7.021"},
    Script{"user flags", {
        {"FMTK? VGA_m4", "0"},
        {"IMGK? Cubes", "0"},
        {"DIRK? img", "0"},
        {"FNTK? fixed_16", "0"},
        {"MAPK? Arrow", "0"},
        {"IMGK? nope", "Execution error: 3025"},
        {"FMTK? nope", "Execution error: 9480"}}, "7.021"}));

INSTANTIATE_TEST_SUITE_P(Delete, Families, ::testing::Values(
    Script{"built-in items stay", {
        {"FMTK \"VGA_m4\"", "Execution error: 9453"},
        {"IMGK Flat", "Execution error: 3020"},
        {"FNTK Fixed_9", "Execution error: 10225"},
        {"DIRK img", "Execution error: 5010"},
        {"FMTQ? 6 1", "VGA_m4"},
        {"DIRQ? 1 450", "fmt\r\nimg"}}, "7.021"},
    Script{"unknown names", {
        {"FMTK \"nope\"", "Execution error: 9480"},
        {"IMGK nope", "Execution error: 3025"},
        {"SEQK nope", "Execution error: 4004"},
        {"MAPK nope", "Execution error: 6020"},
        {"FMTK \"open", "Execution error: 4000"}}, "7.021"},
    Script{"user items go", {
        {"SEQK newseq;SEQQ? 1 450", ""},
        {"SEQL? NewSeq", "0"}}}));

INSTANTIATE_TEST_SUITE_P(Store, Families, ::testing::Values(
    Script{"an image stored under its name", {
        {"IMGN Mine;IMGB;IMGE;IMGA Mine", ""},
        {"IMGQ? 3 2 x", "Flat,0\r\nMine,1"},
        {"IMGK? mine", "1"},
        {"IMGB;IMGA MINE;IMGQ? 4 1", "MINE"},     // replaced, not added
        {"IMGQ? 1 450 x", "ColorBar,0\r\nCubes,0\r\nFlat,0\r\nMINE,1\r\nOutline0,0\r\nRamp,0\r\n"
                          "SlideG,0\r\nSMPTEbar,0"}}},
    Script{"store takes the N name when A has none", {
        {"SEQN Walk;SEQB;SEQE;SEQA ;SEQQ? 1 450", "NewSeq\r\nWalk"},
        {"FNTN Big;FNTB;FNTE;FNTA;FNTN ;FNTQ? 1 1 x", "Big,1"}}, "7.021"},
    Script{"refused stores", {
        {"IMGA Mine", "Execution error: 3006"},              // nothing built
        {"IMGB;IMGA Flat", "Execution error: 3007"},         // built-in
        {"FNTB;FNTA Fixed_9", "Execution error: 10200"},
        {"SEQA Walk", "Execution error: 4006"},              // nothing built
        {"SEQB;SEQA ", "Execution error: 4004"},             // no name at all
        {"IMGB;IMGA \"Mine", "Execution error: 4001"},
        {"IMGB 1", "Execution error: 1"},
        {"IMGQ? 1 450", "ColorBar\r\nCubes\r\nFlat\r\nOutline0\r\nRamp\r\nSlideG\r\nSMPTEbar"}}, "7.021"}));

INSTANTIATE_TEST_SUITE_P(Use, Families, ::testing::Values(
    Script{"images", {
        {"IMGU?;IMGL?;IMGN?", "Flat\r\nFlat\r\nFlat"},
        {"IMGL Cubes;IMGU?", "Flat"},                // loaded, not yet in use
        {"IMGU;IMGU?;IMGL?", "Cubes\r\nCubes"},
        {"IMGL smptebar;IMGU;*OPC?;IMGU?", "1\r\nSMPTEbar"},
        {"IMGL nope", "Execution error: 3025"},
        {"IMGL?", "SMPTEbar"},
        {"IMGN Ramp;IMGN?", "Ramp"},
        {"ANIM? cubes;ANIM? Flat", "1\r\n0"},
        {"ANIM? nope", "Execution error: 3025"},
        // A preview: stored, shown, deleted; what is on show still answers.
        {"IMGB;IMGE;IMGA Preview;IMGL Preview;IMGU;IMGK Preview;IMGU?;ANIM? preview", "Preview\r\n0"},
        {"IMGL Cubes;IMGU;ANIM? Preview", "Execution error: 3025"}}},
    Script{"formats", {
        {"FMTU?;FMTL?", "VGA_m4\r\nVGA_m4"},
        {"FMTL \"DMT1075\";FMTU;*OPC?;FMTU?;HRES?;VRES?", "1\r\nDMT1075\r\n1024\r\n768"},
        {"FMTL ;FMTL?;HRES?", "\r\n1024"}}},      // an empty name unloads; the settings stay
    Script{"sequences", {
        {"SEQU?", ""},
        {"SEQL NewSeq;SEQU;*OPC?;SEQU?", "1\r\nNewSeq"},
        {"SEQL ;SEQU;SEQU?", ""}}},
    Script{"knob lists", {
        {"FMTP?;IMGP?;SEQP?", "fmt\r\nimg\r\n"},
        {"FMTP IMG;FMTP?", "img"},
        {"SEQP fmt;SEQP?", "fmt"},
        {"IMGP ;IMGP?", ""},
        {"FMTP nope", "Execution error: 5010"},
        {"FMTP?", "img"}}}));

INSTANTIATE_TEST_SUITE_P(Firmware, Families, ::testing::Values(
    Script{"no fonts or pixel maps up to 7.02", {
        {"FNTQ? 1 450 x", "Command invalid"},
        {"MAPL? Arrow", "Command invalid"},
        {"FMTQ? 1 1 x", "DMT1075,0"}}, "7.02"},
    Script{"fonts above 7.02", {
        {"FNTQ? 1 1 x", "Fixed_16,0"},
        {"MAPL? Arrow", "1"}}, "7.021"},
    Script{"image loaded is asked by name before 7.0", {
        {"IMGL?", "Command invalid"},
        {"IMGN?", "Flat"},
        {"IMGL? Flat", "1"}}, "6.9"},
    Script{"no animation query before 3.07", {
        {"ANIM? Cubes", "Command invalid"}}, "3.06"},
    Script{"animation query from 3.07", {
        {"ANIM? Cubes", "1"}}, "3.07"}));

TEST(StoreOrder, KeepsNamesSortedWithoutCaseAndReplacesByName)
{
    Store store({{"beta"}, {"Alpha"}, {"gamma", false}});
    EXPECT_EQ(store.names(), (std::vector<std::string>{"Alpha", "beta", "gamma"}));
    store.put({"BETA", true, false, {"x"}});
    EXPECT_EQ(store.names(), (std::vector<std::string>{"Alpha", "BETA", "gamma"}));
    EXPECT_EQ(store.find("beta")->entries, std::vector<std::string>{"x"});
    EXPECT_EQ(store.position("GAMMA"), 3u);
    EXPECT_EQ(store.position("delta"), 0u);
    EXPECT_TRUE(store.remove("alpha"));
    EXPECT_FALSE(store.remove("alpha"));
    EXPECT_EQ(store.names(), (std::vector<std::string>{"BETA", "gamma"}));
}

using SeededItems = SimFixture;

TEST_F(SeededItems, AreListedAndReadBack)
{
    generator->seed(ItemKind::Format, {"Custom", true});
    EXPECT_EQ(reply("FMTQ? 1 2 x"), "Custom,1\r\nDMT1075,0");
    host->command("IMGN Shot;IMGB;IMGE;IMGA Shot");
    EXPECT_EQ(generator->names(ItemKind::Image),
              (std::vector<std::string>{"ColorBar", "Cubes", "Flat", "Outline0", "Ramp", "Shot", "SlideG",
                                        "SMPTEbar"}));
    ASSERT_TRUE(generator->item(ItemKind::Image, "shot"));
    EXPECT_TRUE(generator->item(ItemKind::Image, "shot")->user);
    EXPECT_FALSE(generator->item(ItemKind::Image, "none"));
}

TEST_F(SeededItems, SelectionIsReadable)
{
    host->command("IMGL Ramp;IMGN Cubes;IMGP fmt");
    ItemSelection expected{"Cubes", "Ramp", "Flat", "fmt"};
    EXPECT_EQ(generator->selection(ItemKind::Image), expected);
}

} // namespace
} // namespace gensim::test

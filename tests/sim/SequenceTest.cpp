// Sequences: built step by step between SEQB and SEQE, read back the two
// ways the program reads them, and run (stepping, the knob, playing on the
// step delays), on firmware before and from 3.0.

#include "Scripts.h"

namespace gensim::test {
namespace {

using Sequences = ScriptFixture;

TEST_P(Sequences, AnswerAsTheGeneratorDoes) { runScript(); }

INSTANTIATE_TEST_SUITE_P(Build, Sequences, ::testing::Values(
    Script{"a step's setters and queries inside the buffer", {
        {"SEQN mine;SEQB;STEP 1", ""},
        {"FMTL \"DMT1075\";IMGL Ramp;IVER 3;SDLY 1.5;SSST 11;XVSG 1 0 1;OUTG 0", ""},
        {"FMTL?;IMGL?;IVER?;SDLY?;SSST?;SVSG?;XVSG?;OUTG?", "DMT1075\r\nRamp\r\n3\r\n1.5\r\n11\r\n5\r\n1,0,1\r\n0"},
        {"STEP 2;FMTL?;IVER?;SDLY?;SVSG?;OUTG?", "\r\n-1\r\n-1\r\n-1\r\n-1"},     // a new step sets nothing
        {"FMTL \"DMT1075\"", ""},
        {"FMTL? DMT1075", "1"},                                 // with a name: whether it exists
        {"STEP?;NSTP?", "2\r\n2"},
        {"STEP 4", "Execution error: 3"},                       // only the next step is made
        {"SEQE;SEQA mine;SEQQ? 1 450", "mine\r\nNewSeq"},
        {"FMTL?", "VGA_m4"}}},                                  // outside the buffer: the loaded format
    Script{"read back inside the buffer", {
        {"SEQB;SEQL NewSeq;NSTP?", "3"},
        {"STEP 2;FMTL?;IMGL?;SSST?;SVSG?;OUTG?;SDLY?", "DMT1075\r\nSMPTEbar\r\n7\r\n7\r\n1\r\n5"},
        {"SEQL ;SEQE;SEQE", ""}}},                              // a stray SEQE is harmless
    Script{"refused values leave the step", {
        {"SEQB;STEP 1;IVER 256", "Execution error: 3"},
        {"SSST 12", "Execution error: 3"},
        {"SVSG 8", "Execution error: 3"},
        {"XVSG 1 2 0", "Execution error: 3"},
        {"OUTG 2", "Execution error: 3"},
        {"SDLY x", "Execution error: 2"},
        {"IVER?;SSST?;SVSG?;OUTG?", "-1\r\n-1\r\n-1\r\n-1"},
        {"SEQE;SEQB;IVER 1", "Execution error: 3"}}}));        // no step chosen

INSTANTIATE_TEST_SUITE_P(Run, Sequences, ::testing::Values(
    Script{"stepping applies what a step sets", {
        {"SEQL NewSeq;SMOD 1;STEP 2;SEQU;*OPC?", "1"},
        {"FMTU?;IMGU?;SSST?;OUTG?;XVSG?;SVSG?;SDLY?;SEQU?", "DMT1075\r\nSMPTEbar\r\n7\r\n1\r\n1,1,1\r\n7\r\n5\r\nNewSeq"},
        {"STEP 3;ALLU;IMGU?;FMTU?;IVER?;SVSG?;STEP?;NSTP?", "Ramp\r\nDMT1075\r\n2\r\n4\r\n3\r\n3"},
        {"STEP 4", "Execution error: 3"},
        {"SMOD 0;SEQL ;SEQU;SEQU?;SMOD?", "\r\n0"}}},
    Script{"the knob stops at the ends, or wraps", {
        {"SEQL NewSeq;SMOD 1;KNOB 2 -1;STEP?", "1"},
        {"KNOB 2 5;STEP?;IMGU?", "3\r\nRamp"},
        {"SMOD 2;KNOB 2 1;STEP?", "1"},
        {"KNOB 2 -2;STEP?", "2"},
        {"KNOB 3 1", "Execution error: 3"}}},
    Script{"older firmware holds at the last step and has no count", {
        {"SEQL NewSeq;SMOD 1;STEP 9;STEP?", "3"},
        {"NSTP?", "Command invalid"}}, "2.9"}));

using SequenceRun = SimFixture;

TEST_F(SequenceRun, TheStoredStepsAreWhatWasSent)
{
    host->command("SEQN two;SEQB;STEP 1;FMTL \"DMT8075\";IMGL Flat;IVER -1;SDLY -1;SSST -1;SVSG -1;OUTG -1");
    host->command("STEP 2;FMTL ;IMGL ColorBar;IVER 9;SDLY 0.3;SSST 13;XVSG 0 1 1;OUTG 1 0;SEQE;SEQA two");
    const auto item = generator->item(ItemKind::Sequence, "two");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->steps, (std::vector<SequenceStep>{{"DMT8075", "Flat", -1, -1, -1, -1, -1},
                                                      {"", "ColorBar", 9, 0.3, 13, 3, 1}}));
    EXPECT_FALSE(generator->sequence().editing);
}

TEST_F(SequenceRun, PlayingMovesOnByTheStepDelays)
{
    // NewSeq's steps last 5 s, 5 s and 2 s.
    ASSERT_EQ(reply("SEQL NewSeq;SMOD 3;STEP?"), "1");
    generator->advanceSequenceClock(std::chrono::milliseconds(4900));
    EXPECT_EQ(reply("STEP?"), "1");
    generator->advanceSequenceClock(std::chrono::milliseconds(200));
    EXPECT_EQ(reply("STEP?;IMGU?"), "2\r\nSMPTEbar");
    generator->advanceSequenceClock(std::chrono::milliseconds(7000));
    EXPECT_EQ(reply("STEP?"), "1"); // round again
    EXPECT_EQ(reply("SMOD 1"), "");
    generator->advanceSequenceClock(std::chrono::milliseconds(60000));
    EXPECT_EQ(reply("STEP?"), "1"); // stopped
}

} // namespace
} // namespace gensim::test

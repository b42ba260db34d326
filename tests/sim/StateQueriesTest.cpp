// What the program reads and puts back as a generator's state, its identity,
// its memory, and the commands older firmware does not know.

#include "Scripts.h"

namespace gensim::test {
namespace {

using StateQueries = ScriptFixture;

TEST_P(StateQueries, AnswerInTheirForms) { runScript(); }

INSTANTIATE_TEST_SUITE_P(Record, StateQueries, ::testing::Values(
    Script{"read at start", {
        {"FMTU?;IMGU?;SEQU?;FMTP?;IMGP?;SEQP?", "VGA_m4\r\nFlat\r\n\r\nfmt\r\nimg\r\n"},
        {"XVSG?;SSST?;OUTG?;IVER?", "1,1,1\r\n7\r\n1\r\n0"},
        {"*IDN?", "Veltrane,VG-7000,000001,7.011"},
        {"VERH?", "2A51,3"}}},
    Script{"applied, then read back", {
        {"FMTP img;IMGP fmt;SEQP ;IMGL Cubes;FMTL \"DMT8075\";SEQL ", ""},
        {"XVSG 1 0 1;SSST 3;OUTG 1;IVER 5;ALLU;*OPC?", "1"},
        {"FMTU?;IMGU?;SEQU?;FMTP?;IMGP?;SEQP?", "DMT8075\r\nCubes\r\n\r\nimg\r\nfmt\r\n"},
        {"XVSG?;SSST?;OUTG?;IVER?;HRES?", "1,0,1\r\n3\r\n1\r\n5\r\n800"}}},
    Script{"a running sequence is unloaded by the apply", {
        {"SEQL NewSeq;SEQU;SEQU?", "NewSeq"},
        {"SEQL ;ALLU;SEQU?", ""}}},
    Script{"sync select codes and number forms", {
        {"SSST 11;SSST?", "11"},
        {"SSST 4;SSST?", "4"},
        {"SSST 0;SSST?", "0"},
        {"SSST 13;SSST?", "13"},
        {"SSST 12", "Execution error: 3"},
        {"IVER 1e1;IVER?", "10"},
        {"HRAT 8.64e+04;HRAT?", "86400.0000"},
        {"OUTG 0 0;OUTG?", "0"}}}));

INSTANTIATE_TEST_SUITE_P(Firmware, StateQueries, ::testing::Values(
    Script{"no repeat field before 3", {{"RFLD?", "Command invalid"}, {"RFLD 0", "Command invalid"}}, "2.9"},
    Script{"repeat field from 3", {{"RFLD 1;RFLD?", "1"}}, "3.0"},
    Script{"no board probe before 7.04", {{"VBPR?", "Command invalid"}}, "7.03"},
    Script{"board probe from 7.04", {{"VBPR?", "1,1,1"}}, "7.04"},
    Script{"no image version step before 7.03", {{"ISUB 1", "Command invalid"}}, "7.02"},
    Script{"image version step from 7.03", {{"ISUB 1;IVER 2;IVER?", "2"}}, "7.03"},
    Script{"no memory report at 7.01", {{"MEMU?", "Command invalid"}, {"MEMF?", "Command invalid"}}, "7.01"}));

using Memory = SimFixture;

// 512 KiB of firmware and the user sequence NewSeq (256 bytes) at start.
TEST_F(Memory, UsedAndFreeFollowTheStoredItems)
{
    EXPECT_EQ(reply("MEMU?;MEMF?"), "524544\r\n7864064");
    host->command("IMGN Shot;IMGB;IMGE;IMGA Shot");
    EXPECT_EQ(reply("MEMU?;MEMF?"), "524800\r\n7863808");
    host->command("IMGK Shot;SEQK NewSeq");
    EXPECT_EQ(reply("MEMU?"), "524288");
}

TEST_F(Memory, ReportsSizesBeyond32Bits)
{
    generator->setMemorySize(6ull << 30);
    EXPECT_EQ(reply("MEMF?"), "6441926400");
}

TEST_F(Memory, FullMemoryRefusesAndLosesNothing)
{
    generator->setMemorySize((512 << 10) + 256 + 100);
    EXPECT_EQ(reply("IMGN Shot;IMGB;IMGE;IMGA Shot"), "Execution error: 2551");
    EXPECT_EQ(reply("IMGL? Shot;MEMF?"), "0\r\n100");
    EXPECT_EQ(reply("SEQL? NewSeq"), "1");
}

TEST_F(Memory, HardwareProbeComesFromTheOptions)
{
    GeneratorOptions options;
    options.hardwareId = 0xBEEF;
    options.hardwareRevision = 0x10;
    open(options);
    EXPECT_EQ(reply("VERH?"), "BEEF,10");
}

} // namespace
} // namespace gensim::test

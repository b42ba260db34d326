// Sequence command files: the lines written for a set and an unset step,
// by hand from the command language; and the reader, over files this
// program writes and files older writers left.

#include "CSequence.h"
#include "ItemsTestSupport.h"
#include "CSequenceCommandFile.h"

#include "MessageTarget.h"
#include "TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

CSequenceStep SetStep()
{
    CSequenceStep s;
    s.formatName = QStringLiteral("DMT1075");
    s.imageName = QStringLiteral("Ramp");
    s.SetGateMask(5); // 1 0 1
    s.output = 1;
    s.imageVersion = 3;
    s.syncType = 3; // "DCS,DSS": code 11
    s.duration = 5; // 1 s
    return s;
}

const QStringList kSetAndUnset = {
    "// RARU", "// 2.000", "SEQN Demo", "SEQB",
    "STEP 1", "FMTL \"DMT1075\"", "IMGL Ramp", "IVER 3", "SDLY 1.0", "SSST 11", "XVSG 1 0 1 ", "OUTG 1",
    "STEP 2", "FMTL ", "IMGL ", "IVER -1", "SDLY -1.0", "SSST -1", "SVSG -1", "OUTG -1",
    "SEQE", "SEQA Demo",
};

using SequenceCommandFileTest = PlatformTest;

TEST_F(SequenceCommandFileTest, WritesASetAndAnUnsetStep)
{
    CSequence sequence;
    sequence.SetSteps({SetStep(), CSequenceStep()});
    EXPECT_EQ(SequenceCommandLines(sequence.Steps(), QStringLiteral("Demo")), kSetAndUnset);
    const QString path = TempPath(QStringLiteral("demo.cmd"));
    sequence.WriteCommandFile(path, QStringLiteral("Demo"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), kSetAndUnset.join(QStringLiteral("\r\n")).toLatin1() + "\r\n");
}

TEST_F(SequenceCommandFileTest, ReadsBackWhatItWrites)
{
    QStringList lines = kSetAndUnset;
    lines[0].clear(); // the header's place
    CSequence sequence;
    ASSERT_TRUE(sequence.ImportCommandLines(lines));
    EXPECT_TRUE(lines.isEmpty());
    EXPECT_EQ(sequence.GetName(), QStringLiteral("Demo"));
    ASSERT_EQ(sequence.Steps().size(), 2u);
    EXPECT_TRUE(sequence.Steps()[0].IsEqual(SetStep()));
    EXPECT_TRUE(sequence.Steps()[1].IsEqual(CSequenceStep()));
    EXPECT_TRUE(sequence.IsModified());
}

struct ImportCase {
    const char *what;
    QStringList lines; // from line 1 on
    bool ok;
    QString name;
    std::vector<std::pair<QString, QString>> names; // format, image of each step
    std::vector<StepValueArray> values;
};

StepValueArray WithDuration(qint32 row)
{
    StepValueArray v = kAllUnset;
    v[6] = row;
    return v;
}

const ImportCase kImports[] = {
    {"the name glued to SEQN", {"SEQNOldOne", "SEQB", "STEP 1", "FMTL VGA_m4", "SEQE", "SEQA OldOne"}, true,
     "OldOne", {{"VGA_m4", ""}}, {kAllUnset}},
    {"quoted and plain names",
     {"SEQN \"New 1\"", "SEQB", "STEP 1", "FMTL \"DMT 1075\"", "IMGL Flat", "STEP 2", "FMTL DMT8075", "IMGL \"Ramp\"",
      "SEQE"},
     true, "New 1", {{"DMT 1075", "Flat"}, {"DMT8075", "Ramp"}}, {kAllUnset, kAllUnset}},
    {"no SEQE keeps the last step", {"SEQN S", "SEQB", "STEP 1", "IMGL A", "STEP 2", "IMGL B"}, true, "S",
     {{"", "A"}, {"", "B"}}, {kAllUnset, kAllUnset}},
    {"an early SEQE", {"SEQN S", "SEQB", "STEP 1", "IMGL A", "SEQE", "IMGL Lost", "STEP 2", "IMGL B"}, true, "S",
     {{"", "A"}, {"", "B"}}, {kAllUnset, kAllUnset}},
    {"SDLY as a row (older files)", {"SEQN S", "STEP 1", "SDLY 5", "SEQE"}, true, "S", {{"", ""}}, {WithDuration(5)}},
    {"SDLY in seconds", {"SEQN S", "STEP 1", "SDLY 1.0", "STEP 2", "SDLY 86400.0", "STEP 3", "SDLY 3.6e3", "SEQE"},
     true, "S", {{"", ""}, {"", ""}, {"", ""}}, {WithDuration(5), WithDuration(33), WithDuration(27)}},
    {"SDLY unset", {"SEQN S", "STEP 1", "SDLY -1.0", "STEP 2", "SDLY -1", "SEQE"}, true, "S", {{"", ""}, {"", ""}},
     {kAllUnset, kAllUnset}},
    {"codes and values out of their tables",
     {"SEQN S", "STEP 1", "SSST 13", "XVSG 0 1 1", "STEP 2", "SSST 12", "XVSG 1 2 1", "IVER 256", "OUTG 3", "SDLY 34",
      "SEQE"},
     true, "S", {{"", ""}, {"", ""}}, {{0, 1, 1, kUnsetValue, kUnsetValue, 11, kUnsetValue}, kAllUnset}},
    {"a bad value", {"SEQN S", "STEP 1", "IMGL A", "STEP 2", "IVER three", "STEP 3"}, false, "S",
     {{"", "A"}, {"", ""}}, {kAllUnset, kAllUnset}},
    {"a value missing", {"SEQN S", "STEP 1", "XVSG 1 0"}, false, "S", {{"", ""}}, {kAllUnset}},
};

TEST_F(SequenceCommandFileTest, ImportsEveryFormOfTheFile)
{
    for (const ImportCase &c : kImports) {
        QStringList lines = QStringList{QString()} + c.lines;
        CSequence sequence;
        EXPECT_EQ(sequence.ImportCommandLines(lines), c.ok) << c.what;
        EXPECT_EQ(sequence.LastError().isEmpty(), c.ok) << c.what;
        EXPECT_EQ(sequence.GetName(), c.name) << c.what;
        ASSERT_EQ(sequence.Steps().size(), c.names.size()) << c.what;
        for (size_t i = 0; i < c.names.size(); ++i) {
            EXPECT_EQ(sequence.Steps()[i].formatName, c.names[i].first) << c.what << " step " << i + 1;
            EXPECT_EQ(sequence.Steps()[i].imageName, c.names[i].second) << c.what << " step " << i + 1;
            EXPECT_EQ(StepValues(sequence.Steps()[i]), c.values[i]) << c.what << " step " << i + 1;
        }
    }
}

TEST_F(SequenceCommandFileTest, AFileWithoutStepsChangesNothing)
{
    CSequence sequence;
    sequence.SetSteps({SetStep()});
    QStringList lines = {QString(), "SEQN Other", "SEQB", "SEQE"};
    EXPECT_TRUE(sequence.ImportCommandLines(lines));
    EXPECT_EQ(sequence.GetName(), QStringLiteral("Sequence"));
    EXPECT_EQ(sequence.Steps().size(), 1u);
    EXPECT_FALSE(sequence.IsModified());
}

} // namespace

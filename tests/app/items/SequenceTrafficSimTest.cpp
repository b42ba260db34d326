// Sequences to and from simulated generators through the real library: the
// send heard line by line and the steps stored; the written command file,
// sent line by line, storing the same; the recall on each firmware path;
// Cancel at step 11 leaving every generator as it was; and the copy.

#include "CSequence.h"
#include "ItemsSimFixture.h"
#include "ItemsTestSupport.h"
#include "CSequenceCommandFile.h"

#include "Archive.h"
#include "CProgressDlg.h"
#include "ResourceIds.h"
#include "ScopedTimeScale.h"

#include <QBuffer>

#include <string>
#include <vector>

namespace {

using gensim::ItemKind;
using gensim::SequenceStep;
using Lines = std::vector<std::string>;

CSequenceStep FullStep()
{
    CSequenceStep s;
    s.formatName = QStringLiteral("DMT1075");
    s.imageName = QStringLiteral("Ramp");
    s.SetGateMask(5);
    s.output = 1;
    s.imageVersion = 3;
    s.syncType = 3;
    s.duration = 5;
    return s;
}

// What the generator keeps of FullStep and of a step that sets nothing.
const std::vector<SequenceStep> kStoredDemo = {{"DMT1075", "Ramp", 3, 1.0, 11, 5, 1},
                                               {"", "", -1, -1, -1, -1, -1}};

CSequence NamedSequence(const QString &name, const std::vector<CSequenceStep> &steps)
{
    CSequence sequence;
    sequence.SetName(name);
    sequence.SetSteps(steps);
    return sequence;
}

CSequence Demo()
{
    return NamedSequence(QStringLiteral("Demo"), {FullStep(), CSequenceStep()});
}

class SequenceTrafficSimTest : public ItemsSimTest {
protected:
    std::vector<SequenceStep> Stored(int com, const std::string &name)
    {
        const auto item = Sim(com).item(ItemKind::Sequence, name);
        return item ? item->steps : std::vector<SequenceStep>{};
    }
    bool HasSequence(int com, const std::string &name) { return Sim(com).item(ItemKind::Sequence, name).has_value(); }

    // A stored sequence of count steps, step n showing image "I<n>".
    void SeedLong(int com, int count)
    {
        gensim::StoredItem item{"Long"};
        for (int n = 1; n <= count; ++n) {
            std::string image = "I";
            image += std::to_string(n);
            item.steps.push_back({"DMT8075", image, n, 1.0, -1, n % 8, -1});
        }
        Sim(com).seed(ItemKind::Sequence, item);
    }
};

TEST_F(SequenceTrafficSimTest, SendIsHeardInOrderAndStoresEveryStep)
{
    Start({"7.011"});
    auto gen = Connect(1);
    CSequence demo = Demo();
    Sim(1).trace().clear();
    CProgressDlg progress(nullptr, true);
    ASSERT_TRUE(demo.SendToGenerator(gen.get(), &progress));
    const Lines expected = {"SEQN Demo", "SEQB",
                            "STEP 1", "FMTL \"DMT1075\"", "IMGL Ramp", "IVER 3", "SDLY 1", "SSST 11", "XVSG 1 0 1", "OUTG 1",
                            "STEP 2", "FMTL ", "IMGL ", "IVER -1", "SDLY -1", "SSST -1", "SVSG -1", "OUTG -1",
                            "SEQE", "SEQA Demo"};
    EXPECT_EQ(Sim(1).trace().lines(), expected);
    EXPECT_EQ(Stored(1, "Demo"), kStoredDemo);
    EXPECT_FALSE(Sim(1).sequence().editing);
}

TEST_F(SequenceTrafficSimTest, TheWrittenCommandFileStoresTheSameSteps)
{
    Start({"7.011"});
    auto gen = Connect(1);
    const QStringList lines = SequenceCommandLines(Demo().Steps(), QStringLiteral("Demo"));
    for (qsizetype i = 2; i < lines.size(); ++i) // the two header lines are no commands
        gen->SendCommandText(lines[i]);
    EXPECT_EQ(Stored(1, "Demo"), kStoredDemo);
}

TEST_F(SequenceTrafficSimTest, ARefusedStoreIsNoSend)
{
    Start({"7.011"});
    auto gen = Connect(1);
    Sim(1).fault(gensim::Fault::scriptedReply("SEQA Demo", "Execution error: 4006\r\n>"));
    prompter.ExpectMessage(PromptMatch::Caption(QStringLiteral("Communication Error")), IDOK);
    CSequence demo = Demo();
    CProgressDlg progress(nullptr, true);
    EXPECT_FALSE(demo.SendToGenerator(gen.get(), &progress));
    EXPECT_FALSE(HasSequence(1, "Demo"));
}

// A file's values no step can hold were made unset when it was read: the
// send puts nothing out of range on the line.
TEST_F(SequenceTrafficSimTest, AFileWithWildValuesSendsValidLines)
{
    Start({"7.011"});
    auto gen = Connect(1);
    const QByteArray wild = Bytes({0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00}) + "CSequence" + Counted("Wild") +
                            Bytes({0x01, 0x00}) + Bytes({0xFF, 0xFF, 0x01, 0x00, 0x0D, 0x00}) + "CSequenceStep" +
                            Counted("VGA_m4") + Counted("Flat") + Int32s({2, 0, 1, 7, 300, 12, 99});
    QByteArray copy = wild;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::load);
    const std::unique_ptr<CSequence> sequence = ar.ReadObject<CSequence>();
    ASSERT_TRUE(sequence);
    Sim(1).trace().clear();
    CProgressDlg progress(nullptr, true);
    ASSERT_TRUE(sequence->SendToGenerator(gen.get(), &progress));
    const Lines expected = {"SEQN Wild", "SEQB", "STEP 1", "FMTL \"VGA_m4\"", "IMGL Flat", "IVER -1", "SDLY -1",
                            "SSST -1", "SVSG -1", "OUTG -1", "SEQE", "SEQA Wild"};
    EXPECT_EQ(Sim(1).trace().lines(), expected);
    EXPECT_EQ(Stored(1, "Wild"), (std::vector<SequenceStep>{{"VGA_m4", "Flat", -1, -1, -1, -1, -1}}));
}

// --- Recall ------------------------------------------------------------------------------

struct RecallCase {
    const char *firmware;
    std::vector<int> answers; // to "Identical consecutive steps found..."
    std::vector<std::pair<const char *, const char *>> names;
    std::vector<StepValueArray> values;
};

// NewSeq's steps: DMT8075/ColorBar for 5 s setting nothing else; DMT1075/
// SMPTEbar for 5 s with gates, outputs on and sync 7; Ramp for 2 s with
// red only and image version 2. Below 3.052 each step is applied and read
// from the generator's settings (outputs were turned off, sync 7 and image
// version 0 are the generator's own), from 3.0 the generator counts the
// steps, and below 3.0 the last step repeats until the user ends the read.
const StepValueArray kAppliedFirst = {-1, -1, -1, 0, 0, 7, 9};
const StepValueArray kAppliedSecond = {1, 1, 1, 1, 0, 7, 9};
const StepValueArray kAppliedThird = {1, 0, 0, 1, 2, 7, 6};

const RecallCase kRecalls[] = {
    {"2.9", {IDYES}, {{"DMT8075", "ColorBar"}, {"DMT1075", "SMPTEbar"}, {"DMT1075", "Ramp"}},
     {kAppliedFirst, kAppliedSecond, kAppliedThird}},
    {"2.9", {IDNO, IDYES}, {{"DMT8075", "ColorBar"}, {"DMT1075", "SMPTEbar"}, {"DMT1075", "Ramp"}, {"DMT1075", "Ramp"}},
     {kAppliedFirst, kAppliedSecond, kAppliedThird, kAppliedThird}},
    {"3.0", {}, {{"DMT8075", "ColorBar"}, {"DMT1075", "SMPTEbar"}, {"DMT1075", "Ramp"}},
     {kAppliedFirst, kAppliedSecond, kAppliedThird}},
    {"3.06", {}, {{"DMT8075", "ColorBar"}, {"DMT1075", "SMPTEbar"}, {"", "Ramp"}},
     {{-1, -1, -1, -1, -1, -1, 9}, {1, 1, 1, 1, -1, 7, 9}, {1, 0, 0, -1, 2, -1, 6}}},
};

TEST_F(SequenceTrafficSimTest, RecallReadsEachFirmwareItsWay)
{
    Start({"2.9", "2.9", "3.0", "3.06"});
    int com = 0;
    for (const RecallCase &c : kRecalls) {
        SCOPED_TRACE(QStringLiteral("%1 with %2 answers").arg(QLatin1String(c.firmware)).arg(c.answers.size()).toStdString());
        auto gen = Connect(++com);
        const std::optional<std::string> outputs = Sim(com).setting("OUTG");
        for (int answer : c.answers)
            prompter.ExpectMessage(PromptMatch::Id(IDS_SEQUENCE_END_QUESTION).AndCaption("Possible end of sequence..."),
                                   answer, MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL);
        CSequence sequence;
        CProgressDlg progress(nullptr, true);
        ASSERT_TRUE(sequence.RecallFromGenerator(QStringLiteral("NewSeq"), gen.get(), &progress));
        EXPECT_EQ(sequence.GetName(), QStringLiteral("NewSeq"));
        ASSERT_EQ(sequence.Steps().size(), c.names.size());
        for (size_t i = 0; i < c.names.size(); ++i) {
            EXPECT_EQ(sequence.Steps()[i].formatName, QLatin1String(c.names[i].first)) << "step " << i + 1;
            EXPECT_EQ(sequence.Steps()[i].imageName, QLatin1String(c.names[i].second)) << "step " << i + 1;
            EXPECT_EQ(StepValues(sequence.Steps()[i]), c.values[i]) << "step " << i + 1;
        }
        // Put back: out of the buffer and out of sequence mode, the outputs as they were.
        const gensim::SequenceView after = Sim(com).sequence();
        EXPECT_FALSE(after.editing);
        EXPECT_EQ(after.loaded, "");
        EXPECT_EQ(after.mode, 0);
        EXPECT_EQ(Sim(com).setting("OUTG"), outputs);
        prompter.VerifyAllUsed();
    }
}

TEST_F(SequenceTrafficSimTest, ARecallOfANameTheGeneratorLacksChangesNothing)
{
    Start({"3.0", "7.011"});
    for (int com : {1, 2}) {
        auto gen = Connect(com);
        prompter.ExpectMessage(PromptMatch::Caption(QStringLiteral("Communication Error")), IDOK);
        CSequence sequence;
        sequence.SetSteps({FullStep()});
        EXPECT_FALSE(sequence.RecallFromGenerator(QStringLiteral("Nope"), gen.get(), nullptr));
        EXPECT_EQ(sequence.GetName(), QStringLiteral("Sequence"));
        EXPECT_EQ(sequence.Steps().size(), 1u);
        EXPECT_FALSE(Sim(com).sequence().editing);
        EXPECT_EQ(Sim(com).sequence().mode, 0);
        prompter.VerifyAllUsed();
    }
}

// --- Cancel ------------------------------------------------------------------------------

TEST_F(SequenceTrafficSimTest, CancelAtStepElevenLeavesEachPathClosed)
{
    Start({"3.0", "7.011"});
    for (int com : {1, 2}) {
        SCOPED_TRACE(com == 1 ? "applied path" : "named path");
        SeedLong(com, 15);
        auto gen = Connect(com);
        const std::optional<std::string> outputs = Sim(com).setting("OUTG");
        CProgressDlg progress(nullptr, true);
        CommandHookPort port;
        // The Cancel test before step 11 sees a press made while step 10 was read.
        port.before = [&](const std::string &command) {
            if (command == "STEP 10")
                progress.OnCancel();
        };
        Sim(com).trace().clear();
        CSequence sequence;
        EXPECT_FALSE(sequence.RecallFromGenerator(QStringLiteral("Long"), gen.get(), &progress));
        EXPECT_TRUE(sequence.Steps().empty());
        EXPECT_EQ(sequence.GetName(), QStringLiteral("Sequence"));
        const Lines heard = Sim(com).trace().lines();
        EXPECT_EQ(std::count(heard.begin(), heard.end(), "STEP 11"), 0);
        EXPECT_EQ(gen->QuerySmod(), 0);
        EXPECT_EQ(Sim(com).setting("OUTG"), outputs);
        EXPECT_FALSE(Sim(com).sequence().editing);
        EXPECT_EQ(Sim(com).sequence().loaded, "");
    }
}

TEST_F(SequenceTrafficSimTest, CancelledSendEndsTheUploadUnstored)
{
    Start({"7.011"});
    auto gen = Connect(1);
    CSequence sequence = NamedSequence(QStringLiteral("Many"), std::vector<CSequenceStep>(25, FullStep()));
    CProgressDlg progress(nullptr, true);
    CommandHookPort port;
    port.before = [&](const std::string &command) {
        if (command == "STEP 11")
            progress.OnCancel();
    };
    Sim(1).trace().clear();
    EXPECT_FALSE(sequence.SendToGenerator(gen.get(), &progress));
    const Lines heard = Sim(1).trace().lines();
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard.back(), "SEQE");
    EXPECT_EQ(std::count(heard.begin(), heard.end(), "STEP 12"), 0);
    EXPECT_FALSE(HasSequence(1, "Many"));
    EXPECT_FALSE(Sim(1).sequence().editing);
}

// A link dropped anywhere in a send leaves the generator in its upload while
// the link is down; once a reconnect finds it, the upload is ended first, so
// the generator answers as before: its own settings, no error counted.
TEST_F(SequenceTrafficSimTest, ASendCutByALostLinkIsEndedAtTheReconnect)
{
    Start({"7.011"});
    auto gen = Connect(1);
    CSequence sequence = NamedSequence(QStringLiteral("Cut"), std::vector<CSequenceStep>(12, FullStep()));
    const ScopedTimeScale silentWaits("0.1"); // the echo time-out the drop causes
    for (const size_t cut : {30u, 60u, 250u, 450u, 600u}) {
        SCOPED_TRACE(cut);
        Sim(1).fault(gensim::Fault::dropLink(cut));
        prompter.ExpectMessage(PromptMatch::Caption(QStringLiteral("Communication Error")), IDOK);
        {
            CProgressDlg progress(nullptr, true);
            EXPECT_FALSE(sequence.SendToGenerator(gen.get(), &progress));
        }
        ASSERT_TRUE(gen->IsLinkLost());
        EXPECT_TRUE(Sim(1).sequence().editing) << "the cut falls inside the upload";
        Sim(1).clearFaults();
        ASSERT_TRUE(gen->Reconnect(nullptr, false));

        EXPECT_FALSE(Sim(1).sequence().editing);
        EXPECT_FALSE(HasSequence(1, "Cut"));
        const int errors = Sim(1).errorCount();
        gen->CmdOutg(0);
        EXPECT_EQ(gen->QueryOutg(), 0);
        EXPECT_TRUE(gen->LastCommandSucceeded());
        EXPECT_EQ(Sim(1).setting("OUTG"), "0");
        gen->CmdOutg(1);
        EXPECT_EQ(Sim(1).setting("OUTG"), "1");
        EXPECT_EQ(Sim(1).errorCount(), errors);
        prompter.VerifyAllUsed();
    }
}

// --- Copy --------------------------------------------------------------------------------

TEST_F(SequenceTrafficSimTest, CopyStoresTheSameStepsOnTheTarget)
{
    Start({"7.011", "7.011"});
    auto source = Connect(1);
    auto target = Connect(2);
    SeedLong(1, 12);
    for (const char *name : {"NewSeq", "Long"}) {
        SCOPED_TRACE(name);
        CProgressDlg progress(nullptr, true);
        EXPECT_TRUE(CopySequenceBetweenGenerators(QString::fromLatin1(name), source.get(), target.get(), &progress));
        EXPECT_EQ(Stored(2, name), Stored(1, name));
        EXPECT_FALSE(Sim(1).sequence().editing);
        EXPECT_FALSE(Sim(2).sequence().editing);
    }
}

TEST_F(SequenceTrafficSimTest, CopyStopsUnstoredAtACancelOrARefusedQuery)
{
    Start({"7.011", "7.011"});
    auto source = Connect(1);
    auto target = Connect(2);
    SeedLong(1, 15);
    {
        CProgressDlg progress(nullptr, true);
        CommandHookPort port;
        port.before = [&](const std::string &command) {
            if (command == "STEP 10")
                progress.OnCancel();
        };
        EXPECT_FALSE(CopySequenceBetweenGenerators(QStringLiteral("Long"), source.get(), target.get(), &progress));
    }
    EXPECT_FALSE(HasSequence(2, "Long"));
    Sim(1).fault(gensim::Fault::scriptedReply("IVER?", "Command invalid\r\n>"));
    prompter.ExpectMessage(PromptMatch::Caption(QStringLiteral("Communication Error")), IDOK);
    CProgressDlg progress(nullptr, true);
    EXPECT_FALSE(CopySequenceBetweenGenerators(QStringLiteral("Long"), source.get(), target.get(), &progress));
    EXPECT_FALSE(HasSequence(2, "Long"));
    for (int com : {1, 2}) {
        EXPECT_FALSE(Sim(com).sequence().editing) << com;
        EXPECT_EQ(Sim(com).sequence().loaded, "") << com;
    }
}

} // namespace

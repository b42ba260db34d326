// The sequence's files: its archive form, read and rewritten byte for byte
// from bytes written here by hand, values no step can hold made unset on
// the way in, a damaged file refused with the item untouched; and the
// older product's record with its bounds.

#include "CSequence.h"
#include "ItemsTestSupport.h"

#include "Archive.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// "Demo" with three steps: the first step names the step class (FF FF,
// schema 1, 13 characters), the two after it refer back to it: class index
// 3, after the sequence's class (1) and object (2), as 03 80.
const QByteArray kThreeSteps = Bytes({0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00}) + "CSequence" + Counted("Demo") +
                               Bytes({0x03, 0x00}) +
                               Bytes({0xFF, 0xFF, 0x01, 0x00, 0x0D, 0x00}) + "CSequenceStep" + Counted("DMT8075") +
                               Counted("ColorBar") + Int32s({-1, -1, -1, -1, -1, -1, -1}) +
                               Bytes({0x03, 0x80}) + Counted("") + Counted("Ramp") + Int32s({1, 0, 1, 1, 2, 3, 5}) +
                               Bytes({0x03, 0x80}) + Counted("VGA_m4") + Counted("") +
                               Int32s({-1, -1, -1, 0, 255, 11, 33});

std::unique_ptr<CSequence> Load(const QByteArray &bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::load);
    return ar.ReadObject<CSequence>();
}

QByteArray Store(CSequence &sequence)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        CArchive ar(&buffer, CArchive::store);
        sequence.StoreObject(ar, false);
        ar.Flush();
    }
    return buffer.data();
}

TEST(SequenceFile, ThreeStepsReadAndRewrittenByteForByte)
{
    const std::unique_ptr<CSequence> sequence = Load(kThreeSteps);
    ASSERT_TRUE(sequence);
    EXPECT_EQ(sequence->GetName(), QStringLiteral("Demo"));
    ASSERT_EQ(sequence->Steps().size(), 3u);
    const CSequenceStep &first = sequence->Steps()[0];
    EXPECT_EQ(first.formatName, QStringLiteral("DMT8075"));
    EXPECT_EQ(first.imageName, QStringLiteral("ColorBar"));
    EXPECT_EQ(StepValues(first), (StepValueArray{-1, -1, -1, -1, -1, -1, -1}));
    EXPECT_EQ(sequence->Steps()[1].imageName, QStringLiteral("Ramp"));
    EXPECT_EQ(StepValues(sequence->Steps()[1]), (StepValueArray{1, 0, 1, 1, 2, 3, 5}));
    EXPECT_EQ(StepValues(sequence->Steps()[2]), (StepValueArray{-1, -1, -1, 0, 255, 11, 33}));
    EXPECT_FALSE(sequence->IsModified());
    EXPECT_EQ(Store(*sequence), kThreeSteps);
}

TEST(SequenceFile, ValuesNoStepHoldsOpenUnset)
{
    const QByteArray wild = Bytes({0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00}) + "CSequence" + Counted("Wild") +
                            Bytes({0x01, 0x00}) + Bytes({0xFF, 0xFF, 0x01, 0x00, 0x0D, 0x00}) + "CSequenceStep" +
                            Counted("F") + Counted("I") + Int32s({1, -1, 0, 5, 300, 12, 100});
    const std::unique_ptr<CSequence> sequence = Load(wild);
    ASSERT_TRUE(sequence);
    ASSERT_EQ(sequence->Steps().size(), 1u);
    EXPECT_EQ(StepValues(sequence->Steps()[0]), (StepValueArray{-1, -1, -1, -1, -1, -1, -1}));
}

TEST(SequenceFile, DamagedFilesAreRefusedAndChangeNothing)
{
    struct Case {
        const char *what;
        QByteArray bytes;
        const char *reason; // part of the exception's text
    };
    // The sequence's own part, as its Serialize reads it: here the step's
    // class is index 1 of the archive and the first step's object index 2.
    const QByteArray step = Bytes({0xFF, 0xFF, 0x01, 0x00, 0x0D, 0x00}) + "CSequenceStep" + Counted("A") +
                            Counted("B") + Int32s({-1, -1, -1, -1, -1, -1, -1});
    const Case cases[] = {
        {"cut in a step", Counted("Demo") + Bytes({0x01, 0x00}) + step.left(step.size() - 3), "ends before"},
        {"more steps than bytes", Counted("Demo") + Bytes({0xFF, 0x7F}) + step, "count exceeds"},
        {"a null step", Counted("Demo") + Bytes({0x01, 0x00}) + Bytes({0x00, 0x00}), "missing"},
        {"a step referred to twice", Counted("Demo") + Bytes({0x02, 0x00}) + step + Bytes({0x02, 0x00}),
         "referenced twice"},
    };
    for (const Case &c : cases) {
        CSequence sequence;
        sequence.SetName(QStringLiteral("Kept"));
        QByteArray copy = c.bytes;
        QBuffer buffer(&copy);
        buffer.open(QIODevice::ReadOnly);
        CArchive ar(&buffer, CArchive::load);
        try {
            sequence.Serialize(ar);
            ADD_FAILURE() << c.what << ": taken";
        } catch (const CArchiveException &e) {
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << c.what << ": " << e.what();
        }
        EXPECT_EQ(sequence.GetName(), QStringLiteral("Kept")) << c.what;
        EXPECT_TRUE(sequence.Steps().empty()) << c.what;
    }
}

// --- The older product's record ----------------------------------------------------------

QByteArray LegacyStep(const char *format, const char *image, std::initializer_list<qint32> values)
{
    return Bytes({0x5B}) + LegacyText("TSeqStep") + U32(7) + LegacyText(format) + LegacyText(image) +
           Int32s(values) + Bytes({0x5D});
}

bool ImportLegacy(CSequence &sequence, const QByteArray &bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::load);
    return sequence.ImportLegacyBinary(ar);
}

const QByteArray kLegacyTwoSteps = LegacyText("OldSeq") + U32(2) + LegacyStep("VGA_m4", "Flat", {1, 1, 0, 1, 3, 3, 9}) +
                                   LegacyStep("", "Ramp", {-1, -1, -1, -1, -1, -1, -1});

TEST(SequenceLegacy, ReadsItsSteps)
{
    CSequence sequence;
    ASSERT_TRUE(ImportLegacy(sequence, kLegacyTwoSteps)) << sequence.LastError().toStdString();
    EXPECT_EQ(sequence.GetName(), QStringLiteral("OldSeq"));
    ASSERT_EQ(sequence.Steps().size(), 2u);
    EXPECT_EQ(sequence.Steps()[0].formatName, QStringLiteral("VGA_m4"));
    EXPECT_EQ(StepValues(sequence.Steps()[0]), (StepValueArray{1, 1, 0, 1, 3, 3, 9}));
    EXPECT_EQ(sequence.Steps()[1].imageName, QStringLiteral("Ramp"));
}

TEST(SequenceLegacy, RefusesWhatItsBoundsOrItsBytesDoNotHold)
{
    struct Case {
        const char *what;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"an 11-byte name", LegacyText("ElevenChars") + U32(0)},
        {"10001 steps", LegacyText("S") + U32(10001)},
        {"a record cut short", kLegacyTwoSteps.left(kLegacyTwoSteps.size() - 1)},
        {"more steps than bytes", LegacyText("S") + U32(500) + LegacyStep("A", "B", {-1, -1, -1, -1, -1, -1, -1})},
        {"a name length beyond the bytes", LegacyText("S") + U32(1) + Bytes({0x5B}) + U32(0x7FFFFFFF)},
        {"a 9-character step name", LegacyText("S") + U32(1) + LegacyStep("NineChars", "B", {-1, -1, -1, -1, -1, -1, -1})},
    };
    for (const Case &c : cases) {
        CSequence sequence;
        EXPECT_FALSE(ImportLegacy(sequence, c.bytes)) << c.what;
        EXPECT_FALSE(sequence.LastError().isEmpty()) << c.what;
        EXPECT_EQ(sequence.GetName(), QStringLiteral("Sequence")) << c.what;
        EXPECT_TRUE(sequence.Steps().empty()) << c.what;
    }
}

} // namespace

// Fonts to and from simulated generators through the real library: the
// send heard command by command, the recall and the fonts it refuses,
// Cancel, a refused entry, signed offsets, and the copy from one generator
// to another.

#include "CFontData.h"
#include "ItemsSimFixture.h"

#include "CProgressDlg.h"

#include "SimFontTables.h"

#include "gensim/Fonts.h"

#include <string>
#include <vector>

namespace font_traffic_sim_test {
namespace {

using gensim::ItemKind;
using Lines = std::vector<std::string>;

constexpr const char *kFontFirmware = "7.021"; // fonts above 7.02

bool Heard(const Lines &lines, const std::string &line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Codes 48..50 with the text offsets -1, -128 and 127.
FontData SignedOffsets()
{
    FontData data;
    data.firstChar = 48;
    data.lastChar = 50;
    data.pitch32 = 4;
    data.bitmap.assign(4 * 8, 0x80000001u);
    data.locTable = {0, 1, 2, 3, 4};
    data.owTable = {FontData::OffsetWidth(-1, 8), FontData::OffsetWidth(-128, 9), FontData::OffsetWidth(127, 10), 8,
                    0xFFFF};
    data.imageWidths = {8, 32, 1, 8};
    return data;
}

class FontTrafficSimTest : public ItemsSimTest {
protected:
    std::optional<gensim::StoredItem> Stored(int com, const std::string &name)
    {
        return Sim(com).item(ItemKind::Font, name);
    }
};

TEST_F(FontTrafficSimTest, TheDefaultFontIsSentInFortyOneCommands)
{
    Start({kFontFirmware});
    auto gen = Connect(1);
    CFontData font;
    Sim(1).trace().clear();
    CProgressDlg progress(nullptr, true);
    ASSERT_TRUE(font.SendToGenerator(gen.get(), &progress));
    const Lines expected = {
        "FNTB ", "FNTN Font",
        "FDTA 0 1 0", "FDTA 0 2 0", "FDTA 0 3 8", "FDTA 0 4 0", "FDTA 0 5 -1", "FDTA 0 6 6", "FDTA 0 7 8",
        "FDTA 0 9 8", "FDTA 0 10 0", "FDTA 0 11 7", "FDTA 0 12 2", "FNTG ",
        "FDTA 1 0 0", "FDTA 1 1 -16777216", "FDTA 1 2 0", "FDTA 1 3 -2130706432", "FDTA 1 4 0",
        "FDTA 1 5 -2130706432", "FDTA 1 6 0", "FDTA 1 7 -2130706432", "FDTA 1 8 0", "FDTA 1 9 -2130706432",
        "FDTA 1 10 0", "FDTA 1 11 -2130706432", "FDTA 1 12 0", "FDTA 1 13 -2130706432", "FDTA 1 14 0",
        "FDTA 1 15 -16777216",
        "FDTA 2 0 0", "FDTA 2 1 1", "FDTA 2 2 2",
        "FDTA 3 0 8", "FDTA 3 1 8", "FDTA 3 2 65535",
        "FDTA 4 0 8", "FDTA 4 1 8",
        "FNTA Font", "FNTN ", "FNTE "};
    ASSERT_EQ(expected.size(), 41u);
    EXPECT_EQ(Sim(1).trace().lines(), expected);
    const auto stored = Stored(1, "Font");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->font, SimFontTables(FontData()));
}

TEST_F(FontTrafficSimTest, FirmwareAbove702TakesFontsAndNoOtherDoes)
{
    Start({"7.02", "7.021"});
    auto old = Connect(1);
    auto fresh = Connect(2);
    CFontData font;
    const QString text = QStringLiteral("The %1 does not support font editing.").arg(old->GetPortName());
    prompter.ExpectMessage(PromptMatch::Text(text).AndCaption(QStringLiteral("Transmit Error...")), IDOK,
                           MB_OK | MB_ICONSTOP);
    Sim(1).trace().clear();
    EXPECT_FALSE(font.SendToGenerator(old.get(), nullptr));
    EXPECT_TRUE(Sim(1).trace().lines().empty());
    EXPECT_TRUE(font.SendToGenerator(fresh.get(), nullptr));
    EXPECT_TRUE(Stored(2, "Font"));
}

TEST_F(FontTrafficSimTest, ARecallTakesTheWholeFontAndTellsTheOwner)
{
    Start({kFontFirmware});
    Sim(1).seed(ItemKind::Font, gensim::sampleFont("Tiny", true, 48, 49, 5, 3, 7));
    auto gen = Connect(1);
    ChangedItemOwner owner;
    CFontData font(&owner);
    Sim(1).trace().clear();
    CProgressDlg progress(nullptr, true);
    ASSERT_TRUE(font.RecallFromGenerator(QStringLiteral("Tiny"), gen.get(), &progress));
    const Lines heard = Sim(1).trace().lines();
    ASSERT_GE(heard.size(), 4u);
    EXPECT_EQ(Lines(heard.begin(), heard.begin() + 3), (Lines{"FNTB ", "FNTL Tiny", "FDTA? 0 1"}));
    EXPECT_EQ(heard.size(), 2u + 11u + 9u + 4u + 4u + 3u + 2u) << "header, strike, loc, ow, widths";
    EXPECT_FALSE(Heard(heard, "FDTA? 0 8"));
    EXPECT_EQ(Tail(heard, 2), (Lines{"FNTN ", "FNTE "}));
    EXPECT_EQ(progress.GetStatus(IDC_STATUS1), QStringLiteral("Recalling Font \"Tiny\""));
    EXPECT_EQ(font.GetName(), QStringLiteral("Tiny"));
    EXPECT_TRUE(font.IsModified());
    EXPECT_EQ(owner.changed, std::vector<LPARAM>{ToLParam(&font)});
    EXPECT_EQ(SimFontTables(font.Data()), Stored(1, "Tiny")->font);
}

TEST_F(FontTrafficSimTest, OneCharacterAndSignedOffsetsGoAndComeBack)
{
    Start({kFontFirmware});
    auto gen = Connect(1);
    FontData single;
    single.firstChar = single.lastChar = 65;
    FontData offsets = SignedOffsets();
    for (const FontData &data : {single, offsets}) {
        SCOPED_TRACE(data.firstChar);
        CFontData font;
        font.SetData(data);
        font.SetName(QStringLiteral("Sent"));
        Sim(1).trace().clear();
        ASSERT_TRUE(font.SendToGenerator(gen.get(), nullptr));
        CFontData back;
        ASSERT_TRUE(back.RecallFromGenerator(QStringLiteral("Sent"), gen.get(), nullptr));
        EXPECT_EQ(back.Data(), data);
    }
    const Lines heard = Sim(1).trace().lines();
    EXPECT_TRUE(Heard(heard, "FDTA 3 0 65288")) << "offset -1, width 8";
    EXPECT_TRUE(Heard(heard, "FDTA 3 1 32777")) << "offset -128, width 9";
    EXPECT_TRUE(Heard(heard, "FDTA 1 0 -2147483647"));
}

TEST_F(FontTrafficSimTest, AFontTheGeneratorHoldsBadlyIsRefusedAndTheItemKept)
{
    Start({kFontFirmware});
    auto gen = Connect(1);
    CFontData sent;
    ASSERT_TRUE(sent.SendToGenerator(gen.get(), nullptr));
    const struct {
        const char *what, *query, *reply;
        bool tablesAsked;
    } cases[] = {
        {"last below first", "FDTA? 0 2", "-1", false},
        {"last 256", "FDTA? 0 2", "256", false},
        {"first below 0", "FDTA? 0 1", "-5", false},
        {"height 0", "FDTA? 0 7", "0", false},
        {"height 1001", "FDTA? 0 7", "1001", false},
        {"pitch32 0", "FDTA? 0 12", "0", false},
        {"pitch32 beyond 8 a glyph", "FDTA? 0 12", "17", false},
        {"garbage pitch32", "FDTA? 0 12", "99999999", false},
        {"locations going back", "FDTA? 2 1", "3", true},
        {"locations not ending at pitch32", "FDTA? 2 2", "1", true},
        {"an image wider than its column", "FDTA? 4 0", "33", true},
        {"no end marker", "FDTA? 3 2", "8", true},
        {"an entry beyond its table's range", "FDTA? 3 0", "70000", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Sim(1).fault(gensim::Fault::scriptedReply(c.query, std::string(c.reply) + "\r\n>"));
        prompter.ExpectMessage(PromptMatch::Text(QStringLiteral("The font \"Font\" on the generator is not a font the "
                                                                "program can read; it was not recalled."))
                                   .AndCaption(QStringLiteral("Font Error")),
                               IDOK, MB_OK | MB_ICONWARNING);
        ChangedItemOwner owner;
        CFontData font(&owner);
        font.SetName(QStringLiteral("Mine"));
        Sim(1).trace().clear();
        EXPECT_FALSE(font.RecallFromGenerator(QStringLiteral("Font"), gen.get(), nullptr));
        const Lines heard = Sim(1).trace().lines();
        EXPECT_EQ(Tail(heard, 2), (Lines{"FNTN ", "FNTE "}));
        EXPECT_EQ(Heard(heard, "FDTA? 1 0"), c.tablesAsked);
        EXPECT_TRUE(owner.changed.empty());
        EXPECT_EQ(font.GetName(), QStringLiteral("Mine"));
        EXPECT_EQ(font.Data(), FontData());
        EXPECT_FALSE(font.IsModified());
        Sim(1).clearFaults();
    }
}

TEST_F(FontTrafficSimTest, CancelStopsAtTheNextPollAndEndsTheTransfer)
{
    Start({kFontFirmware});
    auto gen = Connect(1);
    CFontData font;
    CProgressDlg progress(nullptr, true);
    CommandHookPort port;
    port.before = [&](const std::string &command) {
        if (command == "FDTA 1 5 -2130706432")
            progress.OnCancel();
    };
    Sim(1).trace().clear();
    EXPECT_FALSE(font.SendToGenerator(gen.get(), &progress));
    EXPECT_EQ(Tail(Sim(1).trace().lines(), 3), (Lines{"FDTA 1 10 0", "FNTN ", "FNTE "}));
    EXPECT_FALSE(Stored(1, "Font"));
    ASSERT_TRUE(font.SendToGenerator(gen.get(), nullptr));
    ChangedItemOwner owner;
    CFontData back(&owner);
    back.SetName(QStringLiteral("Mine"));
    CProgressDlg recall(nullptr, true);
    port.before = [&](const std::string &command) {
        if (command == "FDTA? 1 1")
            recall.OnCancel();
    };
    Sim(1).trace().clear();
    EXPECT_FALSE(back.RecallFromGenerator(QStringLiteral("Font"), gen.get(), &recall));
    EXPECT_EQ(Tail(Sim(1).trace().lines(), 3), (Lines{"FDTA? 1 10", "FNTN ", "FNTE "}));
    EXPECT_EQ(back.GetName(), QStringLiteral("Mine"));
    EXPECT_TRUE(owner.changed.empty());
}

TEST_F(FontTrafficSimTest, ARefusedEntryShowsOneBoxAndStoresNothing)
{
    Start({kFontFirmware});
    auto gen = Connect(1);
    CFontData font;
    Sim(1).fault(gensim::Fault::scriptedReply("FDTA 1 3 -2130706432", "Execution error: 3\r\n>"));
    prompter.ExpectMessage(PromptMatch::Caption(QStringLiteral("Communication Error")), IDOK);
    Sim(1).trace().clear();
    EXPECT_FALSE(font.SendToGenerator(gen.get(), nullptr));
    const Lines heard = Sim(1).trace().lines();
    EXPECT_EQ(Tail(heard, 3), (Lines{"FDTA 1 3 -2130706432", "FNTN ", "FNTE "}));
    EXPECT_FALSE(Heard(heard, "FNTA Font"));
    EXPECT_FALSE(Stored(1, "Font"));
}

TEST_F(FontTrafficSimTest, ARefusedStoreIsNoSuccess)
{
    Start({kFontFirmware});
    auto gen = Connect(1);
    Sim(1).setMemorySize(std::uint64_t(gen->QueryMemu()));
    CFontData font;
    prompter.ExpectMessage(PromptMatch::Caption(QStringLiteral("Communication Error")), IDOK);
    Sim(1).trace().clear();
    EXPECT_FALSE(font.SendToGenerator(gen.get(), nullptr));
    EXPECT_EQ(Tail(Sim(1).trace().lines(), 3), (Lines{"FNTA Font", "FNTN ", "FNTE "}));
    EXPECT_FALSE(Stored(1, "Font"));
}

TEST_F(FontTrafficSimTest, ACopyFromCom1ToCom2IsEqualWordForWord)
{
    Start({kFontFirmware, kFontFirmware});
    Sim(1).seed(ItemKind::Font, gensim::sampleFont("Copied", true, 48, 57, 12, 4, 9));
    auto source = Connect(1);
    auto target = Connect(2);
    CProgressDlg progress(nullptr, true);
    ASSERT_TRUE(CopyFontBetweenGenerators(QStringLiteral("Copied"), source.get(), target.get(), &progress));
    const auto from = Stored(1, "Copied");
    const auto to = Stored(2, "Copied");
    ASSERT_TRUE(to);
    EXPECT_EQ(to->font, from->font);
    EXPECT_EQ(Tail(Sim(1).trace().lines(), 2), (Lines{"FNTN ", "FNTE "}));
}

} // namespace
} // namespace font_traffic_sim_test

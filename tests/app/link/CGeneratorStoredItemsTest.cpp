#include "CGenerator.h"

#include "FakePort.h"
#include "KnobListLink.h"

#include "TestSupport.h"
#include "TestPorts.h"
#include "FakeKnobList.h"

#include <functional>
#include <string>
#include <vector>

namespace {


using Commands = std::vector<std::string>;
using Flags = QList<unsigned>;

class StoredItemTest : public PlatformTest
{
protected:
    void ExpectCommunicationError()
    {
        prompter.ExpectMessage(PromptMatch::Id(33410).AndCaption(QStringLiteral("Communication Error")), IDOK, kWarningBox);
    }

    // Loads a cache the way a scan does, from a list reply.
    void LoadFormats(CGenerator& gen, const char* reply)
    {
        port.Script(gen.HasExtendedLists() ? "FMTQ? 1 450 x" : "FMTQ? 1 450", reply);
        gen.RefreshFormatList();
        port.commands.clear();
    }

    FakePort port;
};

// --- Command texts --------------------------------------------------------------

struct TextCase
{
    const char* sent;
    std::function<void(CGenerator&)> call;
};

TEST_F(StoredItemTest, EachFamilyMethodSendsItsText)
{
    const QString abc = QStringLiteral("abc");
    const QString none;
    const std::vector<TextCase> cases = {
        // Format names are quoted, except in FMTK? and FMTP; an empty name leaves the blank.
        {"FMTL ", [&](CGenerator& g) { g.CmdFmtl(none); }},
        {"FMTL \"abc\"", [&](CGenerator& g) { g.CmdFmtl(abc); }},
        {"FMTA \"a b\"", [&](CGenerator& g) { g.CmdFmta(QStringLiteral("a b"), false); }},
        {"FMTK \"abc\"", [&](CGenerator& g) { g.CmdFmtk(abc); }},
        {"FMTN \"abc\"", [&](CGenerator& g) { g.CmdFmtn(abc); }},
        {"FMTL? \"abc\"", [&](CGenerator& g) { g.QueryFmtlExists(abc); }},
        {"FMTK? abc", [&](CGenerator& g) { g.QueryFmtk(abc); }},
        {"FMTP abc", [&](CGenerator& g) { g.CmdFmtp(abc); }},
        {"IMGL abc", [&](CGenerator& g) { g.CmdImgl(abc); }},
        {"IMGA abc", [&](CGenerator& g) { g.CmdImga(abc, false); }},
        {"SEQA abc", [&](CGenerator& g) { g.CmdSeqa(abc, false); }},
        {"DIRK abc", [&](CGenerator& g) { g.CmdDirk(abc); }},
        {"DIRK? abc", [&](CGenerator& g) { g.QueryDirk(abc); }},
        {"DIRL? fmt", [&](CGenerator& g) { g.QueryDirl(QStringLiteral("fmt")); }},
        {"IMGL? abc", [&](CGenerator& g) { g.QueryImglExists(abc); }},
        {"SEQL ", [&](CGenerator& g) { g.CmdSeql(none); }},
        {"DIRL ", [&](CGenerator& g) { g.CmdDirl(none); }},
        {"FNTN abc", [&](CGenerator& g) { g.CmdFntn(abc); }},
        {"MAPN ", [&](CGenerator& g) { g.CmdMapn(none); }},
        {"MAPK abc", [&](CGenerator& g) { g.CmdMapk(abc); }},
        {"SEQP abc", [&](CGenerator& g) { g.CmdSeqp(abc); }},
        // Begin and end: a trailing blank for images, fonts and pixel maps.
        {"DIRB", [](CGenerator& g) { g.CmdDirb(); }},
        {"FMTB", [](CGenerator& g) { g.CmdFmtb(); }},
        {"SEQB", [](CGenerator& g) { g.CmdSeqb(); }},
        {"IMGB ", [](CGenerator& g) { g.CmdImgb(); }},
        {"FNTB ", [](CGenerator& g) { g.CmdFntb(); }},
        {"MAPB ", [](CGenerator& g) { g.CmdMapb(); }},
        {"DIRE", [](CGenerator& g) { g.CmdDire(); }},
        {"IMGE ", [](CGenerator& g) { g.CmdImge(); }},
        {"MAPE ", [](CGenerator& g) { g.CmdMape(); }},
        // Queries without a name.
        {"FMTL?", [](CGenerator& g) { g.QueryFmtl(); }},
        {"IMGN?", [](CGenerator& g) { g.QueryImgn(); }},
        {"SEQP?", [](CGenerator& g) { g.QuerySeqp(); }},
        {"IMGU?", [](CGenerator& g) { g.QueryImgu(); }},
        // Lists: clamped except for directories; " x" only where asked for and known.
        {"FMTQ? 1 450 x", [](CGenerator& g) { g.QueryFmtq(0, 1000, true); }},
        {"DIRQ? 0 1000", [](CGenerator& g) { g.QueryDirq(0, 1000); }},
        {"SEQQ? 1 1", [](CGenerator& g) { g.QuerySeqq(-5, 0); }},
        {"FNTQ? 3 20", [](CGenerator& g) { g.QueryFntq(3, 20, false); }},
        {"MAPQ? 1 450 x", [](CGenerator& g) { g.QueryMapq(1, 450, true); }},
        {"IMGQ? 451 450", [](CGenerator& g) { g.QueryImgq(451, 451, false); }},
        {"NAMQ? 1 450", [](CGenerator& g) { g.QueryNamq(0, 451); }},
        // Directory entries.
        {"NAMI 3 \"A b\"", [](CGenerator& g) { g.CmdNami(3, QStringLiteral("A b")); }},
        {"NAMI 1 ", [&](CGenerator& g) { g.CmdNami(1, none); }},
        {"NAMK A", [](CGenerator& g) { g.CmdNamk(QStringLiteral("A")); }},
        {"DIRS", [](CGenerator& g) { g.CmdDirs(); }},
        {"ANIM? P1", [](CGenerator& g) { g.QueryAnim(QStringLiteral("P1")); }},
    };
    for (const TextCase& c : cases) {
        CGenerator gen(nullptr, kCom1);
        gen.SetFirmwareVersion(7.0); // FMTK? asks below 7.011 without a list
        port.commands.clear();
        c.call(gen);
        EXPECT_EQ(port.commands, (Commands{c.sent}));
    }
}

// A name from a file or a reply that would break the command line is never
// sent: ';' would start a second command, a quote end the argument, a CR
// end the line. The box names the reason; the caches stay as they were.
TEST_F(StoredItemTest, NamesThatBreakTheLineAreNotSent)
{
    const std::vector<std::pair<QString, std::function<void(CGenerator&, const QString&)>>> cases = {
        {QStringLiteral("A;FMTK B"), [](CGenerator& g, const QString& n) { g.CmdFmtl(n); }},
        {QStringLiteral("A\"B"), [](CGenerator& g, const QString& n) { g.CmdFmta(n, true); }},
        {QStringLiteral("A>"), [](CGenerator& g, const QString& n) { g.QueryImglExists(n); }},
        {QStringLiteral("A\rB"), [](CGenerator& g, const QString& n) { g.CmdImgk(n); }},
        {QStringLiteral("A;B"), [](CGenerator& g, const QString& n) { g.CmdNami(1, n); }},
        {QStringLiteral("A;B"), [](CGenerator& g, const QString& n) { g.CmdNamk(n); }},
        {QStringLiteral("A;B"), [](CGenerator& g, const QString& n) { g.CmdName(n); }},
    };
    for (const auto& [name, call] : cases) {
        CGenerator gen(nullptr, kCom1);
        port.commands.clear();
        ExpectCommunicationError();
        call(gen, name);
        EXPECT_TRUE(port.commands.empty()) << name.toStdString();
        EXPECT_EQ(gen.LastCommandError(), MORVANE_E_COMMAND_INVALID);
        EXPECT_TRUE(gen.FormatNames().isEmpty());
        // The next command with a good name goes out as usual.
        gen.CmdFmtl(QStringLiteral("AT&T_SVC"));
        EXPECT_EQ(port.commands, (Commands{"FMTL \"AT&T_SVC\""}));
    }
}

TEST_F(StoredItemTest, ExistsQueryOfFormatsReadsAnInteger)
{
    CGenerator gen(nullptr, kCom1);
    port.Script("FMTL? \"abc\"", "2\r\n");
    EXPECT_EQ(gen.QueryFmtlExists(QStringLiteral("abc")), 2);
    port.Script("FMTL? \"none\"", "0\r\n");
    EXPECT_FALSE(gen.HasFormat(QStringLiteral("none")));
}

// --- Apply commands ---------------------------------------------------------------

struct ApplyCase
{
    double firmware;
    std::vector<std::pair<const char*, const char*>> replies;
    std::function<void(CGenerator&)> call;
    Commands sent;
};

TEST_F(StoredItemTest, ApplyCommandsWaitUnlessAnAnimatedImageIsInUse)
{
    const std::vector<ApplyCase> cases = {
        {7.0, {{"IMGU?", "Flat\r\n"}, {"ANIM? Flat", "0\r\n"}}, [](CGenerator& g) { g.CmdFmtu(); },
         {"IMGU?", "ANIM? Flat", "FMTU;*OPC?"}},
        {3.0, {{"IMGU?", "cubes\r\n"}}, [](CGenerator& g) { g.CmdFmtu(); }, {"IMGU?", "FMTU"}},
        {7.0, {{"IMGL?", "P10\r\n"}, {"ANIM? P10", "1\r\n"}}, [](CGenerator& g) { g.CmdImgu(); },
         {"IMGL?", "ANIM? P10", "IMGU"}},
        {3.0, {{"IMGN?", "Flat\r\n"}}, [](CGenerator& g) { g.CmdImgu(); }, {"IMGN?", "IMGU;*OPC?"}},
        {3.0, {{"IMGU?", "Flat\r\n"}, {"IMGN?", "Persist\r\n"}}, [](CGenerator& g) { g.CmdAllu(); },
         {"IMGU?", "IMGN?", "ALLU"}},
        // Both names are tested even when the first is already animated.
        {7.0, {{"IMGU?", "A\r\n"}, {"IMGN?", "B\r\n"}, {"ANIM? A", "1\r\n"}, {"ANIM? B", "0\r\n"}},
         [](CGenerator& g) { g.CmdSequ(); }, {"IMGU?", "IMGN?", "ANIM? A", "ANIM? B", "SEQU"}},
        {3.07, {{"IMGU?", "A\r\n"}, {"IMGN?", "B\r\n"}, {"ANIM? A", "0\r\n"}, {"ANIM? B", "0\r\n"}},
         [](CGenerator& g) { g.CmdAllu(); }, {"IMGU?", "IMGN?", "ANIM? A", "ANIM? B", "ALLU;*OPC?"}},
        // No image selected (an image recall deselects it): nothing to ask about.
        {7.0, {{"IMGU?", "A\r\n"}, {"IMGN?", "\r\n"}, {"ANIM? A", "0\r\n"}}, [](CGenerator& g) { g.CmdAllu(); },
         {"IMGU?", "IMGN?", "ANIM? A", "ALLU;*OPC?"}},
    };
    for (const ApplyCase& c : cases) {
        SCOPED_TRACE(c.sent.back());
        FakePort fresh;
        for (const auto& [command, reply] : c.replies)
            fresh.Script(command, reply);
        CGenerator gen(nullptr, kCom1);
        gen.SetFirmwareVersion(c.firmware);
        c.call(gen);
        EXPECT_EQ(fresh.commands, c.sent);
    }
}

// --- Caches ---------------------------------------------------------------------

TEST_F(StoredItemTest, ExtendedRefreshSplitsTheFlagsOff)
{
    CGenerator gen(nullptr, kCom1);
    gen.SetFirmwareVersion(7.011);
    port.Script("FMTQ? 1 450 x", "ABC,1\r\nDef,0\r\nOdd\r\n");
    gen.RefreshFormatList();
    EXPECT_EQ(port.commands, (Commands{"FMTQ? 1 450 x"}));
    EXPECT_EQ(gen.FormatNames(), (QStringList{"ABC", "Def", "Odd"}));
    EXPECT_EQ(gen.FormatFlags(), (Flags{1, 0, 0}));
}

TEST_F(StoredItemTest, RefreshAsksForFlagsOnlyWhereTheyAreKept)
{
    struct Case
    {
        double firmware;
        std::function<void(CGenerator&)> refresh;
        const char* sent;
        std::function<const QStringList&(const CGenerator&)> names;
        QStringList expected;
    };
    const std::vector<Case> cases = {
        {7.0, [](CGenerator& g) { g.RefreshFormatList(); }, "FMTQ? 1 450",
         [](const CGenerator& g) -> const QStringList& { return g.FormatNames(); }, {"A,1"}},
        {7.0, [](CGenerator& g) { g.RefreshImageList(); }, "IMGQ? 1 450",
         [](const CGenerator& g) -> const QStringList& { return g.ImageNames(); }, {"A,1"}},
        {7.0, [](CGenerator& g) { g.RefreshFontList(); }, "FNTQ? 1 450 x",
         [](const CGenerator& g) -> const QStringList& { return g.FontNames(); }, {"A"}},
        {7.0, [](CGenerator& g) { g.RefreshPixelMapList(); }, "MAPQ? 1 450 x",
         [](const CGenerator& g) -> const QStringList& { return g.PixelMapNames(); }, {"A"}},
        {7.5, [](CGenerator& g) { g.RefreshDirectoryList(); }, "DIRQ? 1 450",
         [](const CGenerator& g) -> const QStringList& { return g.DirectoryNames(); }, {"A,1"}},
        {7.5, [](CGenerator& g) { g.RefreshSequenceList(); }, "SEQQ? 1 450",
         [](const CGenerator& g) -> const QStringList& { return g.SequenceNames(); }, {"A,1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sent);
        FakePort fresh;
        fresh.fallback = {"A,1\r\n", 0};
        CGenerator gen(nullptr, kCom1);
        gen.SetFirmwareVersion(c.firmware);
        c.refresh(gen);
        EXPECT_EQ(fresh.commands, (Commands{c.sent}));
        EXPECT_EQ(c.names(gen), c.expected);
    }
}

TEST_F(StoredItemTest, WithoutAPortTheBuiltInNamesAreUsed)
{
    CGenerator gen(nullptr);
    gen.RefreshFormatList();
    gen.RefreshImageList();
    gen.RefreshSequenceList();
    gen.RefreshFontList();
    gen.RefreshDirectoryList();
    gen.RefreshPixelMapList();
    EXPECT_TRUE(port.commands.empty());

    const QStringList& formats = gen.FormatNames();
    ASSERT_EQ(formats.size(), 104);
    EXPECT_EQ(formats.first(), QStringLiteral("MDA_M7"));
    EXPECT_EQ(formats.at(7), QStringLiteral("AT&T_SVC"));
    EXPECT_EQ(formats.at(64), QStringLiteral("HP1075B"));
    EXPECT_EQ(formats.at(94), QStringLiteral("HP1075B"));
    EXPECT_EQ(formats.at(95), QStringLiteral("HDTV_1J"));
    EXPECT_EQ(formats.at(101), QStringLiteral("HDTV_1J"));
    EXPECT_EQ(formats.last(), QStringLiteral("TEST250"));

    const QStringList& images = gen.ImageNames();
    ASSERT_EQ(images.size(), 131);
    EXPECT_EQ(images.first(), QStringLiteral("Acer1"));
    EXPECT_EQ(images.at(33), QStringLiteral("Focus_@6"));
    EXPECT_EQ(images.at(106), QStringLiteral("BLU_EM+"));
    EXPECT_EQ(images.last(), QStringLiteral("Sony6WLC"));

    EXPECT_EQ(gen.SequenceNames(), QStringList{QStringLiteral("NewSeq")});
    EXPECT_TRUE(gen.FontNames().isEmpty());
    EXPECT_TRUE(gen.DirectoryNames().isEmpty());
    EXPECT_TRUE(gen.PixelMapNames().isEmpty());
}

// A refresh cut short must not pass for the whole list: the existence checks
// would then miss names and overwrite without asking.
TEST_F(StoredItemTest, FailedRefreshLeavesTheListUnloaded)
{
    CGenerator gen(nullptr, kCom1);
    LoadFormats(gen, "Old\r\n");
    port.Script("FMTQ? 1 450", "A\r\nB\r\n", MORVANE_E_TIMEOUT);
    ExpectCommunicationError();
    gen.RefreshFormatList();
    EXPECT_TRUE(gen.FormatNames().isEmpty());
}

TEST_F(StoredItemTest, StoreInsertsTheNameInOrderOnce)
{
    CGenerator gen(nullptr, kCom1);
    LoadFormats(gen, "A\r\nK\r\nZ\r\n");
    gen.CmdFmta(QStringLiteral("M"), true);
    EXPECT_EQ(gen.FormatNames(), (QStringList{"A", "K", "M", "Z"}));
    gen.CmdFmta(QStringLiteral("Zz"), true);
    EXPECT_EQ(gen.FormatNames(), (QStringList{"A", "K", "M", "Z", "Zz"}));
    gen.CmdFmta(QStringLiteral("k"), true);
    gen.CmdFmta(QStringLiteral("B"), false);
    EXPECT_EQ(gen.FormatNames(), (QStringList{"A", "K", "M", "Z", "Zz"}));
    EXPECT_EQ(port.commands, (Commands{"FMTA \"M\"", "FMTA \"Zz\"", "FMTA \"k\"", "FMTA \"B\""}));

    gen.CmdImga(QStringLiteral("X"), true); // an unloaded list stays unloaded
    EXPECT_TRUE(gen.ImageNames().isEmpty());
}

TEST_F(StoredItemTest, StoreKeepsTheFlagsInStep)
{
    CGenerator gen(nullptr, kCom1);
    gen.SetFirmwareVersion(7.5);
    LoadFormats(gen, "A,0\r\nK,1\r\nZ,0\r\n");
    gen.CmdFmta(QStringLiteral("m"), true);
    EXPECT_EQ(gen.FormatNames(), (QStringList{"A", "K", "m", "Z"}));
    EXPECT_EQ(gen.FormatFlags(), (Flags{0, 1, 1, 0}));
    gen.DeleteFormat(QStringLiteral("k"));
    EXPECT_EQ(gen.FormatNames(), (QStringList{"A", "m", "Z"}));
    EXPECT_EQ(gen.FormatFlags(), (Flags{0, 1, 0}));
}

TEST_F(StoredItemTest, RefusedStoreOrDeleteLeavesTheCache)
{
    CGenerator gen(nullptr, kCom1);
    LoadFormats(gen, "A\r\nK\r\n");
    port.fallback = {"Execution error: memory full\r\n", MORVANE_E_EXECUTION};
    ExpectCommunicationError();
    ExpectCommunicationError();
    gen.CmdFmta(QStringLiteral("M"), true);
    gen.DeleteFormat(QStringLiteral("K"));
    EXPECT_EQ(gen.FormatNames(), (QStringList{"A", "K"}));
    EXPECT_EQ(port.commands, (Commands{"FMTA \"M\"", "FMTK \"K\""}));
}

TEST_F(StoredItemTest, DeletingAnUnlistedNameStillSendsTheCommand)
{
    CGenerator gen(nullptr, kCom1);
    LoadFormats(gen, "A\r\nK\r\n");
    gen.DeleteFormat(QStringLiteral("Q"));
    gen.DeleteSequence(QStringLiteral("S"));
    EXPECT_EQ(port.commands, (Commands{"FMTK \"Q\"", "SEQK S"}));
    EXPECT_EQ(gen.FormatNames(), (QStringList{"A", "K"}));
}

TEST_F(StoredItemTest, ExistenceChecksAskOnlyWhenTheListIsEmpty)
{
    CGenerator gen(nullptr, kCom1);
    port.Script("FMTL? \"abc\"", "1\r\n");
    port.Script("IMGL? abc", "0\r\n");
    EXPECT_TRUE(gen.HasFormat(QStringLiteral("abc")));
    EXPECT_FALSE(gen.HasImage(QStringLiteral("abc")));
    EXPECT_EQ(port.commands, (Commands{"FMTL? \"abc\"", "IMGL? abc"}));

    LoadFormats(gen, "ABC\r\n");
    EXPECT_TRUE(gen.HasFormat(QStringLiteral("abc")));
    EXPECT_FALSE(gen.HasFormat(QStringLiteral("abd")));
    EXPECT_TRUE(port.commands.empty());
}

TEST_F(StoredItemTest, UserImageChecksFollowTheFirmware)
{
    struct Case
    {
        double firmware;
        bool loadList;
        const char* name;
        bool expected;
        Commands sent;
    };
    const std::vector<Case> cases = {
        {3.001, false, "Flat", false, {}},
        {3.001, false, "Mine", true, {}},
        {3.0021, false, "flat", false, {}},
        {3.0021, false, "Mine", true, {}},
        {3.0012, false, "Flat", false, {"IMGK? Flat"}},
        {7.0, false, "Flat", false, {"IMGK? Flat"}},
        {7.5, true, "Mine", true, {}},
        {7.5, true, "Flat", false, {}},
        {7.5, true, "Unlisted", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.firmware) + " " + c.name);
        FakePort fresh;
        fresh.Script("IMGK? Flat", "0\r\n");
        fresh.Script("IMGQ? 1 450 x", "Flat,0\r\nMine,1\r\n");
        CGenerator gen(nullptr, kCom1);
        gen.SetFirmwareVersion(c.firmware);
        if (c.loadList) {
            gen.RefreshImageList();
            fresh.commands.clear();
        }
        EXPECT_EQ(gen.QueryImgk(QString::fromLatin1(c.name)), c.expected);
        EXPECT_EQ(fresh.commands, c.sent);
    }
}

TEST_F(StoredItemTest, UserFormatChecksUseTheCacheOrAsk)
{
    CGenerator gen(nullptr, kCom1);
    gen.SetFirmwareVersion(6.0);
    EXPECT_TRUE(gen.QueryFmtk(QStringLiteral("it's mine")));
    EXPECT_TRUE(port.commands.empty());

    port.Script("FMTK? VGA_m1", "0\r\n");
    EXPECT_FALSE(gen.QueryFmtk(QStringLiteral("VGA_m1")));
    EXPECT_EQ(port.commands, (Commands{"FMTK? VGA_m1"}));

    gen.SetFirmwareVersion(7.5);
    LoadFormats(gen, "VGA_m1,0\r\nMine,1\r\n");
    EXPECT_TRUE(gen.QueryFmtk(QStringLiteral("mine")));
    EXPECT_FALSE(gen.QueryFmtk(QStringLiteral("it's new")));
    EXPECT_TRUE(port.commands.empty());
}

TEST_F(StoredItemTest, FontChecksUseTheCachedFlags)
{
    CGenerator gen(nullptr, kCom1);
    port.Script("FNTK? Bold", "1\r\n");
    EXPECT_TRUE(gen.QueryFntk(QStringLiteral("Bold")));
    port.Script("FNTQ? 1 450 x", "Sys,0\r\nBold,1\r\n");
    gen.RefreshFontList();
    port.commands.clear();
    EXPECT_FALSE(gen.QueryFntk(QStringLiteral("Sys")));
    EXPECT_TRUE(gen.QueryFntk(QStringLiteral("BOLD")));
    EXPECT_TRUE(port.commands.empty());
}

// --- Directory rewrite -----------------------------------------------------------

class DirectoryTest : public StoredItemTest
{
protected:
    void SetUp() override
    {
        StoredItemTest::SetUp();
        gen.AttachKnobList(&knobList);
    }

    FakeKnobList knobList; // outlives the connection, which detaches it
    CGenerator gen{nullptr, kCom1};
};

TEST_F(DirectoryTest, NewNamesComeFirstAndOldEntriesFollow)
{
    port.Script("DIRL? fmt", "1\r\n");
    port.Script("NAMQ? 1 450", "A\r\nB\r\n");
    EXPECT_TRUE(gen.AddNamesToDirectory({"B", "X"}, CGenerator::kKindFormat));
    EXPECT_EQ(port.commands, (Commands{"DIRL? fmt", "DIRL fmt", "NAMQ? 1 450", "DIRL ", "DIRN fmt", "DIRB",
                                       "NAMI 1 \"X\"", "NAMI 2 \"A\"", "NAMI 3 \"B\"", "DIRE", "DIRA fmt", "DIRL "}));
    EXPECT_EQ(knobList.changed, 1);
}

TEST_F(DirectoryTest, OnlyFormatAndImageNamesGoIntoADirectory)
{
    EXPECT_TRUE(gen.AddNamesToDirectory({"S"}, 300));
    EXPECT_TRUE(gen.AddNamesToDirectory({}, CGenerator::kKindImage));
    EXPECT_TRUE(port.commands.empty());
}

TEST_F(DirectoryTest, MissingDirectoryStopsAfterTheCheck)
{
    port.Script("DIRL? img", "0\r\n");
    EXPECT_FALSE(gen.AddNamesToDirectory({"X"}, CGenerator::kKindImage));
    port.Script("DIRL? mine", "0\r\n");
    EXPECT_FALSE(gen.RenameInDirectory(QStringLiteral("mine"), QStringLiteral("a"), QStringLiteral("b")));
    EXPECT_EQ(port.commands, (Commands{"DIRL? img", "DIRL? mine"}));
    EXPECT_EQ(knobList.changed, 0);
}

TEST_F(DirectoryTest, RenameMovesTheNewNameToTheEnd)
{
    port.Script("DIRL? mine", "1\r\n");
    port.Script("NAMQ? 1 450", "A\r\nOld\r\nC\r\n");
    EXPECT_TRUE(gen.RenameInDirectory(QStringLiteral("mine"), QStringLiteral("Old"), QStringLiteral("New")));
    const Commands tail(port.commands.end() - 7, port.commands.end());
    EXPECT_EQ(tail, (Commands{"DIRB", "NAMI 1 \"A\"", "NAMI 2 \"C\"", "NAMI 3 \"New\"", "DIRE", "DIRA mine", "DIRL "}));
    EXPECT_EQ(knobList.changed, 1);
}

TEST_F(DirectoryTest, AFullDirectoryKeeps450Entries)
{
    std::string old;
    for (int i = 1; i <= 450; ++i)
        old.append("N").append(std::to_string(i)).append("\r\n");
    port.Script("DIRL? fmt", "1\r\n");
    port.Script("NAMQ? 1 450", old);
    EXPECT_TRUE(gen.AddNamesToDirectory({"X", "Y"}, CGenerator::kKindFormat));
    std::vector<std::string> nami;
    for (const std::string& c : port.commands) {
        if (c.rfind("NAMI ", 0) == 0)
            nami.push_back(c);
    }
    ASSERT_EQ(nami.size(), 450u);
    EXPECT_EQ(nami.front(), "NAMI 1 \"X\"");
    EXPECT_EQ(nami[2], "NAMI 3 \"N1\"");
    EXPECT_EQ(nami.back(), "NAMI 450 \"N448\"");
}

TEST_F(DirectoryTest, RefusedEntryEndsTheEditWithoutStoring)
{
    port.Script("DIRL? fmt", "1\r\n");
    port.Script("NAMQ? 1 450", "A\r\nB\r\n");
    port.Script("NAMI 2 \"A\"", "Execution error: full\r\n", MORVANE_E_EXECUTION);
    ExpectCommunicationError();
    EXPECT_FALSE(gen.AddNamesToDirectory({"X"}, CGenerator::kKindFormat));
    const Commands tail(port.commands.end() - 5, port.commands.end());
    EXPECT_EQ(tail, (Commands{"DIRB", "NAMI 1 \"X\"", "NAMI 2 \"A\"", "DIRE", "DIRL "}));
    EXPECT_EQ(knobList.changed, 0);
}

TEST_F(DirectoryTest, UnreadableEntriesAreNotWrittenOver)
{
    port.Script("DIRL? fmt", "1\r\n");
    port.Script("NAMQ? 1 450", "A\r\n", MORVANE_E_TIMEOUT);
    ExpectCommunicationError();
    EXPECT_FALSE(gen.AddNamesToDirectory({"X"}, CGenerator::kKindFormat));
    EXPECT_EQ(port.commands, (Commands{"DIRL? fmt", "DIRL fmt", "NAMQ? 1 450"}));
    EXPECT_EQ(knobList.changed, 0);
}

} // namespace

// The six stored-item families and the name caches through the real library
// against a simulated generator: what each command does to the generator's
// stores, and that the connection's caches say the same as the generator.

#include "CGenerator.h"

#include "KnobListLink.h"

#include "Profile.h"
#include "TestSupport.h"

#include "gensim/Simulator.h"
#include "TestPorts.h"
#include "PortDialogAnswer.h"

#include <QDialog>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using gensim::ItemKind;
using Family = CGenerator::Family;
using Lines = std::vector<std::string>;

constexpr char kExecutionErrorText[] = "An error occured while executing a command.";

// What differs between the families, from the command tables.
struct FamilyOps
{
    const char* prefix;
    ItemKind kind;
    const char* builtIn; // one of the generator's own items; "" when the kind has none
    const char* quote;   // formats put the name of A, K, L and L? between double quotes
    const char* blank;   // "IMGB ", "IMGE " end in a blank
    void (CGenerator::*refresh)();
    const QStringList& (CGenerator::*names)() const;
    const QList<unsigned>& (CGenerator::*flags)() const; // nullptr: the kind keeps none
    bool (CGenerator::*has)(const QString&);
    bool (CGenerator::*isUser)(const QString&); // nullptr: no K? query
    void (CGenerator::*begin)();
    void (CGenerator::*end)();
    void (CGenerator::*store)(const QString&, bool);
    void (CGenerator::*load)(const QString&);
    void (CGenerator::*remove)(const QString&);
};

// In the order of CGenerator::Family.
const FamilyOps kFamilies[] = {
    {"DIR", ItemKind::Directory, "fmt", "", "", &CGenerator::RefreshDirectoryList, &CGenerator::DirectoryNames, nullptr,
     &CGenerator::HasDirectory, &CGenerator::QueryDirk, &CGenerator::CmdDirb, &CGenerator::CmdDire, &CGenerator::CmdDira,
     &CGenerator::CmdDirl, &CGenerator::DeleteDirectory},
    {"FMT", ItemKind::Format, "VGA_m4", "\"", "", &CGenerator::RefreshFormatList, &CGenerator::FormatNames,
     &CGenerator::FormatFlags, &CGenerator::HasFormat, &CGenerator::QueryFmtk, &CGenerator::CmdFmtb,
     &CGenerator::CmdFmte, &CGenerator::CmdFmta, &CGenerator::CmdFmtl, &CGenerator::DeleteFormat},
    {"IMG", ItemKind::Image, "Flat", "", " ", &CGenerator::RefreshImageList, &CGenerator::ImageNames,
     &CGenerator::ImageFlags, &CGenerator::HasImage, &CGenerator::QueryImgk, &CGenerator::CmdImgb, &CGenerator::CmdImge,
     &CGenerator::CmdImga, &CGenerator::CmdImgl, &CGenerator::DeleteImage},
    {"SEQ", ItemKind::Sequence, "", "", "", &CGenerator::RefreshSequenceList, &CGenerator::SequenceNames, nullptr,
     &CGenerator::HasSequence, nullptr, &CGenerator::CmdSeqb, &CGenerator::CmdSeqe, &CGenerator::CmdSeqa,
     &CGenerator::CmdSeql, &CGenerator::DeleteSequence},
    {"FNT", ItemKind::Font, "Fixed_9", "", " ", &CGenerator::RefreshFontList, &CGenerator::FontNames,
     &CGenerator::FontFlags, &CGenerator::HasFont, &CGenerator::QueryFntk, &CGenerator::CmdFntb, &CGenerator::CmdFnte,
     &CGenerator::CmdFnta, &CGenerator::CmdFntl, &CGenerator::DeleteFont},
    {"MAP", ItemKind::PixelMap, "Arrow", "", " ", &CGenerator::RefreshPixelMapList, &CGenerator::PixelMapNames,
     &CGenerator::PixelMapFlags, &CGenerator::HasPixelMap, &CGenerator::QueryMapk, &CGenerator::CmdMapb,
     &CGenerator::CmdMape, &CGenerator::CmdMapa, &CGenerator::CmdMapl, &CGenerator::DeletePixelMap},
};

const FamilyOps& Ops(Family f)
{
    return kFamilies[static_cast<size_t>(f)];
}

// "FMTL? "Mine"": the mnemonic, a blank and the name as the family writes it.
std::string Named(const FamilyOps& f, const char* op, const std::string& name)
{
    return std::string(f.prefix) + op + " " + f.quote + name + f.quote;
}

QStringList ToQt(const Lines& lines)
{
    QStringList list;
    for (const std::string& line : lines)
        list.append(QString::fromStdString(line));
    return list;
}

class StoredItemsSimTest : public PlatformTest
{
protected:
    // A generator on COM1 with a user item "Mine" of every kind, connected.
    std::unique_ptr<CGenerator> Connect(const char* firmware, bool seedMine = true)
    {
        gensim::Generator& g = sim.addGenerator({.model = "VG-7000", .firmware = firmware, .serial = "4711",
                                                 .baudRate = 2400, .link = ""});
        if (!started) {
            sim.start();
            started = true;
        }
        if (seedMine) {
            for (const FamilyOps& f : kFamilies)
                g.seed(f.kind, {"Mine"});
            g.seed(ItemKind::Directory, {"Mine", true, false, {"DMT8075", "VGA_m4"}});
        }
        generator = &g;
        setenv("MORVANE_COM1", g.comPath().c_str(), 1);
        return ConnectOverCom(prompter, 1);
    }

    void TearDown() override
    {
        unsetenv("MORVANE_COM1");
        PlatformTest::TearDown();
    }

    void ExpectExecutionError(const std::string& command)
    {
        PromptMatch match = PromptMatch::Id(kCommandErrorId).AndCaption(QStringLiteral("Communication Error"));
        match.text = QStringLiteral("Command: \"%1\"\n%2").arg(QString::fromStdString(command), QString::fromLatin1(kExecutionErrorText));
        prompter.ExpectMessage(match, IDOK, MB_OK | MB_ICONWARNING);
    }

    size_t Mark() const { return generator->trace().size(); }

    Lines LinesSince(size_t mark) const
    {
        const Lines lines = generator->trace().lines();
        return Lines(lines.begin() + long(std::min(mark, lines.size())), lines.end());
    }

    QStringList StoredNames(ItemKind kind) const { return ToQt(generator->names(kind)); }

    // The generator's user marks, in the order of its list.
    QList<unsigned> StoredFlags(ItemKind kind) const
    {
        QList<unsigned> flags;
        for (const std::string& name : generator->names(kind))
            flags.append(generator->item(kind, name)->user ? 1 : 0);
        return flags;
    }

    // The connection's cache of a family holds what the generator lists.
    void ExpectCacheMatches(CGenerator& gen, const FamilyOps& f)
    {
        EXPECT_EQ((gen.*f.names)(), StoredNames(f.kind));
        if (f.flags != nullptr) {
            EXPECT_EQ((gen.*f.flags)(), StoredFlags(f.kind));
        }
    }

    gensim::Simulator sim;
    gensim::Generator* generator = nullptr;
    bool started = false;
};

// --- Lists -----------------------------------------------------------------------------

// The " x" form asks for the user flags; the generator knows it from 7.011
// and refuses it before, so older firmware is asked without it.
TEST_F(StoredItemsSimTest, ListsAskForFlagsOnlyWhereTheFirmwareKnowsThem)
{
    struct Case
    {
        const char* firmware;
        Family family;
        const char* query;
        bool flags;
    };
    const Case cases[] = {
        {"7.011", Family::Fmt, "FMTQ? 1 450 x", true},
        {"7.0", Family::Fmt, "FMTQ? 1 450", false},
        {"7.011", Family::Img, "IMGQ? 1 450 x", true},
        {"7.0", Family::Img, "IMGQ? 1 450", false},
        {"7.011", Family::Seq, "SEQQ? 1 450", false},
        {"7.011", Family::Dir, "DIRQ? 1 450", false},
        {"7.03", Family::Fnt, "FNTQ? 1 450 x", true},
        {"7.03", Family::Map, "MAPQ? 1 450 x", true},
    };
    for (const Case& c : cases) {
        const FamilyOps& f = Ops(c.family);
        SCOPED_TRACE(c.query);
        auto gen = Connect(c.firmware);
        const size_t mark = Mark();
        (gen.get()->*f.refresh)();
        EXPECT_TRUE(gen->LastCommandSucceeded());
        EXPECT_EQ(LinesSince(mark), Lines{c.query});
        EXPECT_EQ((gen.get()->*f.names)(), StoredNames(f.kind));
        if (c.flags) {
            EXPECT_EQ((gen.get()->*f.flags)(), StoredFlags(f.kind));
        } else if (f.flags != nullptr) {
            EXPECT_TRUE((gen.get()->*f.flags)().isEmpty());
        }
    }
}

// Lists longer than the 6000 bytes the reply buffer once held arrive
// whole; a store beyond 450 names is cut there.
TEST_F(StoredItemsSimTest, LongListsArriveWholeUpTo450Names)
{
    struct Case
    {
        Family family;
        const char* stem;
        int seeded;
        int cached; // with the generator's own items
    };
    const Case cases[] = {
        {Family::Fmt, "UserFormat_", 400, 406},
        {Family::Img, "UserImage_", 500, 450},
        {Family::Seq, "Sequence_Number_", 300, 301},
        {Family::Dir, "Directory_Number_", 300, 302},
        {Family::Fnt, "User_Font_Number_", 300, 302},
    };
    for (const Case& c : cases) {
        const FamilyOps& f = Ops(c.family);
        SCOPED_TRACE(f.prefix);
        auto gen = Connect("7.03", false);
        char name[64];
        for (int i = 0; i < c.seeded; ++i) {
            std::snprintf(name, sizeof name, "%s%03d", c.stem, i);
            generator->seed(f.kind, {name});
        }
        (gen.get()->*f.refresh)();
        EXPECT_TRUE(gen->LastCommandSucceeded());
        EXPECT_GT(generator->trace().entries().back().reply.size(), 6000u);
        const QStringList stored = StoredNames(f.kind);
        EXPECT_EQ((gen.get()->*f.names)(), stored.mid(0, c.cached));
        if (f.flags != nullptr) {
            EXPECT_EQ((gen.get()->*f.flags)(), StoredFlags(f.kind).mid(0, c.cached));
        }

        // Answered from the list, whatever the case of the name.
        const size_t mark = Mark();
        EXPECT_TRUE((gen.get()->*f.has)(stored.at(c.cached - 1)));
        EXPECT_TRUE((gen.get()->*f.has)(stored.at(0).toLower()));
        EXPECT_FALSE((gen.get()->*f.has)(QStringLiteral("Nowhere")));
        EXPECT_TRUE(LinesSince(mark).empty());
    }
}

// --- Existence and user items --------------------------------------------------------------

TEST_F(StoredItemsSimTest, ExistenceAsksTheGeneratorUntilTheListIsLoaded)
{
    auto gen = Connect("7.03");
    for (const FamilyOps& f : kFamilies) {
        SCOPED_TRACE(f.prefix);
        size_t mark = Mark();
        EXPECT_TRUE((gen.get()->*f.has)(QStringLiteral("Mine")));
        EXPECT_FALSE((gen.get()->*f.has)(QStringLiteral("Nowhere")));
        EXPECT_EQ(LinesSince(mark), (Lines{Named(f, "L?", "Mine"), Named(f, "L?", "Nowhere")}));

        (gen.get()->*f.refresh)();
        mark = Mark();
        EXPECT_TRUE((gen.get()->*f.has)(QStringLiteral("mine")));
        EXPECT_FALSE((gen.get()->*f.has)(QStringLiteral("Nowhere")));
        if (*f.builtIn != '\0') {
            EXPECT_TRUE((gen.get()->*f.has)(QString::fromLatin1(f.builtIn)));
        }
        EXPECT_TRUE(LinesSince(mark).empty());
    }
}

// K? tells a user item from a built-in one: asked of the generator until
// the list with its flags is loaded, then answered from the flags (a
// directory is always asked).
TEST_F(StoredItemsSimTest, UserChecksTellUserItemsFromBuiltInOnes)
{
    auto gen = Connect("7.03");
    for (const FamilyOps& f : kFamilies) {
        if (f.isUser == nullptr)
            continue;
        SCOPED_TRACE(f.prefix);
        const QString builtIn = QString::fromLatin1(f.builtIn);
        const Lines asked = {std::string(f.prefix) + "K? Mine", std::string(f.prefix) + "K? " + f.builtIn};
        size_t mark = Mark();
        EXPECT_TRUE((gen.get()->*f.isUser)(QStringLiteral("Mine")));
        EXPECT_FALSE((gen.get()->*f.isUser)(builtIn));
        EXPECT_EQ(LinesSince(mark), asked);

        (gen.get()->*f.refresh)();
        mark = Mark();
        EXPECT_TRUE((gen.get()->*f.isUser)(QStringLiteral("Mine")));
        EXPECT_FALSE((gen.get()->*f.isUser)(builtIn));
        EXPECT_EQ(LinesSince(mark), f.flags == nullptr ? asked : Lines{});
    }
}

// Without the flags in the lists the generator is asked; firmware before
// 3.00115 cannot be asked about images and goes by the built-in names.
TEST_F(StoredItemsSimTest, UserChecksOfOlderFirmware)
{
    struct Case
    {
        const char* firmware;
        bool image;
        const char* name;
        bool user;
        const char* asked; // "" : answered without asking
    };
    const Case cases[] = {
        {"7.0", false, "Mine", true, "FMTK? Mine"},
        {"7.0", false, "VGA_m4", false, "FMTK? VGA_m4"},
        {"7.0", true, "Mine", true, "IMGK? Mine"},
        {"7.0", true, "Flat", false, "IMGK? Flat"},
        {"3.001", true, "Mine", true, ""},
        {"3.001", true, "Flat", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.firmware) + " " + c.name);
        auto gen = Connect(c.firmware);
        gen->RefreshFormatList();
        gen->RefreshImageList();
        const size_t mark = Mark();
        const QString name = QString::fromLatin1(c.name);
        EXPECT_EQ(c.image ? gen->QueryImgk(name) : gen->QueryFmtk(name), c.user);
        EXPECT_EQ(LinesSince(mark), *c.asked == '\0' ? Lines{} : Lines{c.asked});
    }
}

// --- Delete and store -------------------------------------------------------------------

TEST_F(StoredItemsSimTest, DeleteRemovesAUserItemOnBothSides)
{
    auto gen = Connect("7.03");
    for (const FamilyOps& f : kFamilies) {
        SCOPED_TRACE(f.prefix);
        (gen.get()->*f.refresh)();
        ASSERT_TRUE((gen.get()->*f.names)().contains(QStringLiteral("Mine")));
        const size_t mark = Mark();
        (gen.get()->*f.remove)(QStringLiteral("Mine"));
        EXPECT_EQ(LinesSince(mark), Lines{Named(f, "K", "Mine")});
        EXPECT_FALSE(generator->item(f.kind, "Mine").has_value());
        EXPECT_FALSE((gen.get()->*f.names)().contains(QStringLiteral("Mine")));
        ExpectCacheMatches(*gen, f);
    }
}

// The generator refuses to delete or overwrite its own items (a sequence
// it does not hold): one box, and the cache stays as the generator is.
TEST_F(StoredItemsSimTest, RefusedDeleteOrStoreLeavesTheCache)
{
    auto gen = Connect("7.03");
    for (const FamilyOps& f : kFamilies) {
        SCOPED_TRACE(f.prefix);
        const std::string target = *f.builtIn != '\0' ? f.builtIn : "Nowhere";
        (gen.get()->*f.refresh)();
        const QStringList names = (gen.get()->*f.names)();

        ExpectExecutionError(Named(f, "K", target));
        (gen.get()->*f.remove)(QString::fromStdString(target));
        EXPECT_EQ((gen.get()->*f.names)(), names);
        ExpectCacheMatches(*gen, f);
        EXPECT_EQ(generator->item(f.kind, target).has_value(), *f.builtIn != '\0');
        prompter.VerifyAllUsed();
    }
    // A store over a built-in item, where the kind forbids it.
    for (Family family : {Family::Fmt, Family::Img, Family::Fnt, Family::Map}) {
        const FamilyOps& f = Ops(family);
        SCOPED_TRACE(f.prefix);
        const QStringList names = (gen.get()->*f.names)();
        (gen.get()->*f.begin)();
        (gen.get()->*f.end)();
        ExpectExecutionError(Named(f, "A", f.builtIn));
        (gen.get()->*f.store)(QString::fromLatin1(f.builtIn), true);
        EXPECT_EQ((gen.get()->*f.names)(), names);
        ExpectCacheMatches(*gen, f);
        EXPECT_FALSE(generator->item(f.kind, f.builtIn)->user);
        prompter.VerifyAllUsed();
    }
}

// B, E and A store an item; the name joins the cache where the generator
// lists it, as a user item. Without addToCache only the generator has it.
TEST_F(StoredItemsSimTest, StoreAddsTheNameWhereTheGeneratorListsIt)
{
    auto gen = Connect("7.03");
    for (const FamilyOps& f : kFamilies) {
        SCOPED_TRACE(f.prefix);
        (gen.get()->*f.refresh)();
        size_t mark = Mark();
        (gen.get()->*f.begin)();
        // A map is stored only once it has a buffer to save.
        const bool map = f.kind == ItemKind::PixelMap;
        if (map)
            gen->CmdDmap(1, 1, 1);
        (gen.get()->*f.end)();
        (gen.get()->*f.store)(QStringLiteral("Extra"), true);
        const std::string prefix = f.prefix;
        Lines expected{prefix + "B" + f.blank};
        if (map)
            expected.push_back("DMAP 1 1 1");
        expected.insert(expected.end(), {prefix + "E" + f.blank, Named(f, "A", "Extra")});
        EXPECT_EQ(LinesSince(mark), expected);
        const auto stored = generator->item(f.kind, "Extra");
        ASSERT_TRUE(stored.has_value());
        EXPECT_TRUE(stored->user);
        EXPECT_TRUE((gen.get()->*f.names)().contains(QStringLiteral("Extra")));
        ExpectCacheMatches(*gen, f);

        (gen.get()->*f.begin)();
        if (map)
            gen->CmdDmap(1, 1, 1);
        (gen.get()->*f.end)();
        (gen.get()->*f.store)(QStringLiteral("Aside"), false);
        EXPECT_TRUE(generator->item(f.kind, "Aside").has_value());
        EXPECT_FALSE((gen.get()->*f.names)().contains(QStringLiteral("Aside")));
    }
}

// --- Load, apply and knob lists ---------------------------------------------------------------

TEST_F(StoredItemsSimTest, LoadMakesTheItemCurrent)
{
    struct Case
    {
        Family family;
        const char* name;
    };
    const Case cases[] = {
        {Family::Dir, "Mine"}, {Family::Fmt, "DMT8075"}, {Family::Img, "ColorBar"},
        {Family::Seq, "Mine"}, {Family::Fnt, "Fixed_16"}, {Family::Map, "Cursor"},
    };
    auto gen = Connect("7.03");
    for (const Case& c : cases) {
        const FamilyOps& f = Ops(c.family);
        SCOPED_TRACE(f.prefix);
        const size_t mark = Mark();
        (gen.get()->*f.load)(QString::fromLatin1(c.name));
        EXPECT_EQ(LinesSince(mark), Lines{Named(f, "L", c.name)});
        EXPECT_EQ(generator->selection(f.kind).loaded, c.name);
    }
    EXPECT_EQ(gen->QueryFmtl(), QStringLiteral("DMT8075"));
    EXPECT_EQ(gen->QueryImgl(), QStringLiteral("ColorBar"));
    // A loaded format is what the settings then say.
    EXPECT_EQ(gen->QueryHres(), 800);

    gen->CmdSeql(QString());
    EXPECT_EQ(generator->trace().lines().back(), "SEQL ");
    EXPECT_EQ(generator->selection(ItemKind::Sequence).loaded, "");
}

// Apply waits for "*OPC?" unless an animated image is in use, in which
// case the bare mnemonic goes out; U? names what is in use.
TEST_F(StoredItemsSimTest, ApplyWaitsUnlessAnAnimatedImageIsInUse)
{
    struct Case
    {
        std::function<void(CGenerator&)> load;
        std::function<void(CGenerator&)> apply;
        std::function<QString(CGenerator&)> inUse;
        ItemKind kind;
        const char* name;
        Lines sent; // by the apply
    };
    const Case cases[] = {
        {[](CGenerator& g) { g.CmdFmtl(QStringLiteral("DMT1075")); }, [](CGenerator& g) { g.CmdFmtu(); },
         [](CGenerator& g) { return g.QueryFmtu(); }, ItemKind::Format, "DMT1075",
         {"IMGU?", "ANIM? Flat", "FMTU;*OPC?"}},
        {[](CGenerator& g) { g.CmdImgl(QStringLiteral("ColorBar")); }, [](CGenerator& g) { g.CmdImgu(); },
         [](CGenerator& g) { return g.QueryImgu(); }, ItemKind::Image, "ColorBar",
         {"IMGL?", "ANIM? ColorBar", "IMGU;*OPC?"}},
        {[](CGenerator& g) { g.CmdSeql(QStringLiteral("Mine")); }, [](CGenerator& g) { g.CmdSequ(); },
         [](CGenerator& g) { return g.QuerySequ(); }, ItemKind::Sequence, "Mine",
         {"IMGU?", "IMGN?", "ANIM? ColorBar", "ANIM? Flat", "SEQU;*OPC?"}},
        // Now an animated image.
        {[](CGenerator& g) { g.CmdImgl(QStringLiteral("Cubes")); }, [](CGenerator& g) { g.CmdImgu(); },
         [](CGenerator& g) { return g.QueryImgu(); }, ItemKind::Image, "Cubes", {"IMGL?", "ANIM? Cubes", "IMGU"}},
        {[](CGenerator& g) { g.CmdFmtl(QStringLiteral("DMT8075")); }, [](CGenerator& g) { g.CmdFmtu(); },
         [](CGenerator& g) { return g.QueryFmtu(); }, ItemKind::Format, "DMT8075", {"IMGU?", "ANIM? Cubes", "FMTU"}},
        {[](CGenerator& g) { g.CmdSeql(QStringLiteral("NewSeq")); }, [](CGenerator& g) { g.CmdAllu(); },
         [](CGenerator& g) { return g.QuerySequ(); }, ItemKind::Sequence, "NewSeq",
         {"IMGU?", "IMGN?", "ANIM? Cubes", "ANIM? Flat", "ALLU"}},
    };
    auto gen = Connect("7.03");
    EXPECT_EQ(gen->QueryFmtu(), QStringLiteral("VGA_m4"));
    EXPECT_EQ(gen->QueryImgu(), QStringLiteral("Flat"));
    EXPECT_EQ(gen->QuerySequ(), QString());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sent.back());
        c.load(*gen);
        const size_t mark = Mark();
        c.apply(*gen);
        EXPECT_TRUE(gen->LastCommandSucceeded());
        EXPECT_EQ(LinesSince(mark), c.sent);
        EXPECT_EQ(generator->selection(c.kind).inUse, c.name);
        EXPECT_EQ(c.inUse(*gen), QString::fromLatin1(c.name));
    }
    const auto entries = generator->trace().entries();
    const auto waited = std::find_if(entries.begin(), entries.end(), [](const gensim::TraceEntry& e) { return e.line == "FMTU;*OPC?"; });
    ASSERT_NE(waited, entries.end());
    EXPECT_EQ(waited->reply, "1\r\n");
}

TEST_F(StoredItemsSimTest, KnobListSelectionNamesADirectory)
{
    struct Case
    {
        ItemKind kind;
        std::function<void(CGenerator&, const QString&)> select;
        std::function<QString(CGenerator&)> query;
        const char* prefix;
    };
    const Case cases[] = {
        {ItemKind::Format, [](CGenerator& g, const QString& n) { g.CmdFmtp(n); }, [](CGenerator& g) { return g.QueryFmtp(); }, "FMTP"},
        {ItemKind::Image, [](CGenerator& g, const QString& n) { g.CmdImgp(n); }, [](CGenerator& g) { return g.QueryImgp(); }, "IMGP"},
        {ItemKind::Sequence, [](CGenerator& g, const QString& n) { g.CmdSeqp(n); }, [](CGenerator& g) { return g.QuerySeqp(); }, "SEQP"},
    };
    auto gen = Connect("7.03");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.prefix);
        const size_t mark = Mark();
        c.select(*gen, QStringLiteral("Mine"));
        EXPECT_EQ(LinesSince(mark), Lines{std::string(c.prefix) + " Mine"}); // unquoted, formats too
        EXPECT_EQ(generator->selection(c.kind).knobList, "Mine");
        EXPECT_EQ(c.query(*gen), QStringLiteral("Mine"));

        ExpectExecutionError(std::string(c.prefix) + " Nowhere");
        c.select(*gen, QStringLiteral("Nowhere"));
        EXPECT_EQ(generator->selection(c.kind).knobList, "Mine");
        prompter.VerifyAllUsed();
    }
}

// --- Directory rewrite -------------------------------------------------------------------

struct CountingKnobList : KnobListLink
{
    void DetachSource() override {}
    void OnSourceListChanged() override { ++changed; }
    int changed = 0;
};

TEST_F(StoredItemsSimTest, SentNamesGoFirstInTheirKindsDirectory)
{
    struct Case
    {
        int kind;
        const char* dir;
    };
    const Case cases[] = {{CGenerator::kKindFormat, "fmt"}, {CGenerator::kKindImage, "img"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dir);
        auto gen = Connect("7.03");
        CountingKnobList link;
        gen->AttachKnobList(&link);
        gen->RefreshDirectoryList();
        const Lines old = generator->item(ItemKind::Directory, c.dir)->entries;
        ASSERT_GE(old.size(), 2u);

        EXPECT_TRUE(gen->AddNamesToDirectory({"New1", QString::fromStdString(old[1]), "New2"}, c.kind));
        Lines expected = {"New1", "New2"};
        expected.insert(expected.end(), old.begin(), old.end());
        EXPECT_EQ(generator->item(ItemKind::Directory, c.dir)->entries, expected);
        EXPECT_EQ(link.changed, 1);
        EXPECT_EQ(gen->DirectoryNames(), StoredNames(ItemKind::Directory));
        EXPECT_EQ(generator->selection(ItemKind::Directory).loaded, ""); // nothing left loaded
        gen->DetachKnobList(&link);
    }
}

TEST_F(StoredItemsSimTest, RenameMovesTheNewNameToTheEnd)
{
    auto gen = Connect("7.03");
    Lines expected = generator->item(ItemKind::Directory, "fmt")->entries;
    ASSERT_NE(std::find(expected.begin(), expected.end(), "DMT8075"), expected.end());
    expected.erase(std::find(expected.begin(), expected.end(), "DMT8075"));
    expected.push_back("Renamed");
    EXPECT_TRUE(gen->RenameInDirectory(QStringLiteral("fmt"), QStringLiteral("DMT8075"), QStringLiteral("Renamed")));
    EXPECT_EQ(generator->item(ItemKind::Directory, "fmt")->entries, expected);

    const size_t mark = Mark();
    EXPECT_FALSE(gen->RenameInDirectory(QStringLiteral("Nowhere"), QStringLiteral("A"), QStringLiteral("B")));
    EXPECT_EQ(LinesSince(mark), Lines{"DIRL? Nowhere"});
    EXPECT_FALSE(generator->item(ItemKind::Directory, "Nowhere").has_value());
}

// A directory holds 450 names: the new ones come first, the oldest entries
// at the end fall off rather than the generator refusing the directory.
TEST_F(StoredItemsSimTest, FullDirectoryKeeps450Entries)
{
    auto gen = Connect("7.03");
    gensim::StoredItem fmt{"fmt", false};
    char name[16];
    for (int i = 0; i < 449; ++i) {
        std::snprintf(name, sizeof name, "Entry_%03d", i);
        fmt.entries.push_back(name);
    }
    generator->seed(ItemKind::Directory, fmt);

    EXPECT_TRUE(gen->AddNamesToDirectory({"N1", "N2", "N3"}, CGenerator::kKindFormat));
    Lines expected = {"N1", "N2", "N3"};
    expected.insert(expected.end(), fmt.entries.begin(), fmt.entries.begin() + 447);
    EXPECT_EQ(generator->item(ItemKind::Directory, "fmt")->entries, expected);
    EXPECT_EQ(generator->errorCount(), 0);
}

} // namespace

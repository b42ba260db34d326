// Pixel maps to and from simulated generators through the real library:
// the send heard command by command, the sizes a recall takes and refuses,
// the generator's memory, Cancel, a refused word, both signs of a word
// read back, and the copy from one generator to another.

#include "CPixelMap.h"
#include "ItemsSimFixture.h"

#include "CProgressDlg.h"

#include "gensim/PixelMaps.h"

#include <string>
#include <vector>

namespace {

using gensim::ItemKind;
using Lines = std::vector<std::string>;

constexpr const char *kMapFirmware = "7.021"; // pixel maps above 7.02

class PixelMapTrafficSimTest : public ItemsSimTest {
protected:
    // COM1 writes MDTA? words signed, COM2 unsigned.
    void StartBothSigns()
    {
        for (const bool unsignedWords : {false, true}) {
            gensim::Generator &g =
                sim.addGenerator({.model = "VG-7000", .firmware = kMapFirmware, .serial = std::to_string(sim.size() + 1),
                                  .baudRate = kOpenRate, .link = "", .unsignedMapWords = unsignedWords});
            setenv(ComVariable(sim.size()).c_str(), g.comPath().c_str(), 1);
        }
        sim.start();
    }

    std::optional<gensim::StoredItem> Stored(int com, const std::string &name)
    {
        return Sim(com).item(ItemKind::PixelMap, name);
    }

    static std::vector<std::uint32_t> Words(const CPixelMap &map) { return map.Data().pixels; }

    // A 16 x 16 map of depth 8 (64 words, 256 bytes) whose words count up from 1.
    static CPixelMap &Counting(CPixelMap &map, const QString &name)
    {
        PixelMapData data;
        EXPECT_TRUE(data.Resize(16, 16, 8));
        for (std::size_t i = 0; i < data.pixels.size(); ++i)
            data.pixels[i] = std::uint32_t(i + 1);
        map.SetData(data);
        map.SetName(name);
        return map;
    }
};

TEST_F(PixelMapTrafficSimTest, TheDefaultMapIsSentInEighteenCommands)
{
    Start({kMapFirmware});
    auto gen = Connect(1);
    CPixelMap map;
    Sim(1).trace().clear();
    CProgressDlg progress(nullptr, true);
    ASSERT_TRUE(map.SendToGenerator(gen.get(), &progress));
    const Lines expected = {"MAPB ",    "ERRC",     "MAPN pixmap", "DMAP 8 8 4", "NERR?",    "MDTA 0 0",
                            "MDTA 1 0", "MDTA 2 0", "MDTA 3 0",    "MDTA 4 0",   "MDTA 5 0", "MDTA 6 0",
                            "MDTA 7 0", "ERRC",     "MAPA pixmap", "NERR?",      "MAPN ",    "MAPE "};
    EXPECT_EQ(Sim(1).trace().lines(), expected);
    const auto stored = Stored(1, "pixmap");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->words, std::vector<std::uint32_t>(8, 0u));
    EXPECT_EQ(stored->depth, 4);
}

TEST_F(PixelMapTrafficSimTest, WordsAreSentAsSignedNumbersAndReadBackInEitherForm)
{
    StartBothSigns();
    for (const int com : {1, 2}) {
        SCOPED_TRACE(com == 1 ? "signed" : "unsigned");
        auto gen = Connect(com);
        CPixelMap map;
        PixelMapData data;
        ASSERT_TRUE(data.Resize(3, 2, 8));
        data.pixels = {0xFFFFFFFFu, 0x80000000u};
        map.SetData(data);
        map.SetName(QStringLiteral("Signs"));
        Sim(com).trace().clear();
        ASSERT_TRUE(map.SendToGenerator(gen.get(), nullptr));
        const Lines heard = Sim(com).trace().lines();
        EXPECT_NE(std::find(heard.begin(), heard.end(), "MDTA 0 -1"), heard.end());
        EXPECT_NE(std::find(heard.begin(), heard.end(), "MDTA 1 -2147483648"), heard.end());
        CPixelMap back;
        ASSERT_TRUE(back.RecallFromGenerator(QStringLiteral("Signs"), gen.get(), nullptr));
        EXPECT_EQ(Words(back), data.pixels);
    }
}

TEST_F(PixelMapTrafficSimTest, ARecallTakesTheSizeAndWordsAndBringsTheLutToTheDepth)
{
    Start({kMapFirmware});
    Sim(1).seed(ItemKind::PixelMap, gensim::samplePixelMap("Deep", true, 3, 2, 8, 4));
    Sim(1).seed(ItemKind::PixelMap, gensim::samplePixelMap("Mono", true, 33, 2, 1, 5));
    auto gen = Connect(1);
    ChangedItemOwner owner;
    CPixelMap map(&owner);
    PixelMapData before = map.Data();
    before.lut[15] = 0x123456;
    before.lutSetMask = 0x8000;
    map.SetData(before);
    Sim(1).trace().clear();
    CProgressDlg progress(nullptr, true);
    ASSERT_TRUE(map.RecallFromGenerator(QStringLiteral("Deep"), gen.get(), &progress));
    const Lines expected = {"MAPB ", "MAPL Deep", "DMAP?", "MDTA? 0", "MDTA? 1", "MAPN ", "MAPE "};
    EXPECT_EQ(Sim(1).trace().lines(), expected);
    EXPECT_EQ(progress.GetStatus(IDC_STATUS1), QStringLiteral("Recalling Map \"Deep\""));
    EXPECT_EQ(map.GetName(), QStringLiteral("Deep"));
    EXPECT_TRUE(map.IsModified());
    EXPECT_EQ(owner.changed, std::vector<LPARAM>{ToLParam(&map)});
    const PixelMapData &data = map.Data();
    EXPECT_EQ((std::vector<int>{data.width, data.height, data.depth, data.pitch32}), (std::vector<int>{3, 2, 8, 1}));
    EXPECT_EQ(Words(map), Stored(1, "Deep")->words);
    ASSERT_EQ(data.lut.size(), 256u);
    EXPECT_EQ(std::vector<std::uint32_t>(data.lut.begin(), data.lut.begin() + 16), before.lut) << "the 16 kept";
    EXPECT_EQ(std::count(data.lut.begin() + 16, data.lut.end(), 0u), 240);
    EXPECT_EQ(data.lutSetMask, 0x8000u) << "a recall sets no colours";

    ASSERT_TRUE(map.RecallFromGenerator(QStringLiteral("Mono"), gen.get(), nullptr));
    EXPECT_EQ(map.Data().pitch32, 2);
    EXPECT_EQ(Words(map).size(), 4u);
    EXPECT_EQ(map.Data().lut.size(), 2u);
}

TEST_F(PixelMapTrafficSimTest, SizesUpTo1024AreTakenAndNoOtherIs)
{
    Start({kMapFirmware});
    Sim(1).seed(ItemKind::PixelMap, gensim::samplePixelMap("W1001", true, 1001, 1, 1, 1));
    Sim(1).seed(ItemKind::PixelMap, gensim::samplePixelMap("W1024", true, 1024, 1, 1, 2));
    auto gen = Connect(1);
    for (const char *name : {"W1001", "W1024"}) {
        CPixelMap map;
        ASSERT_TRUE(map.RecallFromGenerator(QString::fromLatin1(name), gen.get(), nullptr)) << name;
        EXPECT_EQ(Words(map), Stored(1, name)->words);
    }
    for (const char *reply : {"33,2,3", "640,480", "", ",,", "1025,1,1", "0,5,1", "99999999999,2,1", "8,8,-4"}) {
        SCOPED_TRACE(reply);
        Sim(1).fault(gensim::Fault::scriptedReply("DMAP?", std::string(reply) + "\r\n>"));
        prompter.ExpectMessage(PromptMatch::Text(QStringLiteral("Invalid Map Dimensions")).AndCaption(QStringLiteral("Map Error")),
                               IDOK, MB_OK | MB_ICONWARNING);
        ChangedItemOwner owner;
        CPixelMap map(&owner);
        Sim(1).trace().clear();
        EXPECT_FALSE(map.RecallFromGenerator(QStringLiteral("W1001"), gen.get(), nullptr));
        EXPECT_TRUE(owner.changed.empty());
        EXPECT_EQ(Sim(1).trace().lines(), (Lines{"MAPB ", "MAPL W1001", "DMAP?", "MAPN ", "MAPE "}));
        EXPECT_EQ(map.GetName(), QStringLiteral("pixmap"));
        EXPECT_EQ(map.Data(), PixelMapData());
        EXPECT_FALSE(map.IsModified());
    }
}

TEST_F(PixelMapTrafficSimTest, TheGeneratorsMemoryRefusesTheSizeOrTheStore)
{
    Start({kMapFirmware});
    auto gen = Connect(1);
    const std::uint64_t used = std::uint64_t(gen->QueryMemu());
    gen->RefreshPixelMapList();
    CPixelMap map;
    Counting(map, QStringLiteral("Big")); // the store adds its record to the words' 256 bytes
    struct Case {
        const char *what;
        std::uint64_t memory;
        Lines tail;
    };
    const Case cases[] = {
        {"no room for the words", used + 255, {"DMAP 16 16 8", "NERR?", "MAPN ", "MAPE "}},
        {"no room for the store", used + 256, {"MAPA Big", "NERR?", "MAPQ? 1 450 x", "MAPN ", "MAPE "}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Sim(1).setMemorySize(c.memory);
        prompter.ExpectMessage(PromptMatch::Text(QStringLiteral("Insufficient Generator memory available to create the Icon."))
                                   .AndCaption(QStringLiteral("Transmit Error...")),
                               IDOK, MB_OK | MB_ICONSTOP);
        Sim(1).trace().clear();
        EXPECT_FALSE(map.SendToGenerator(gen.get(), nullptr));
        EXPECT_EQ(Tail(Sim(1).trace().lines(), c.tail.size()), c.tail);
        EXPECT_FALSE(Stored(1, "Big"));
        EXPECT_FALSE(gen->PixelMapNames().contains(QStringLiteral("Big")));
    }
    Sim(1).setMemorySize(used + 256 + 256);
    EXPECT_TRUE(map.SendToGenerator(gen.get(), nullptr));
    EXPECT_TRUE(Stored(1, "Big"));
    EXPECT_TRUE(gen->PixelMapNames().contains(QStringLiteral("Big")));
}

TEST_F(PixelMapTrafficSimTest, CancelStopsAtTheNextPollAndEndsTheUpload)
{
    Start({kMapFirmware});
    auto gen = Connect(1);
    CPixelMap map;
    Counting(map, QStringLiteral("Cancel"));
    CProgressDlg progress(nullptr, true);
    CommandHookPort port;
    port.before = [&](const std::string &command) {
        if (command == "MDTA 11 12")
            progress.OnCancel();
    };
    Sim(1).trace().clear();
    EXPECT_FALSE(map.SendToGenerator(gen.get(), &progress));
    EXPECT_EQ(Tail(Sim(1).trace().lines(), 3), (Lines{"MDTA 20 21", "MAPN ", "MAPE "}));
    EXPECT_FALSE(Stored(1, "Cancel"));
    // The recall the same: the item keeps what it had.
    ASSERT_TRUE(map.SendToGenerator(gen.get(), nullptr));
    CPixelMap back;
    CProgressDlg recall(nullptr, true);
    port.before = [&](const std::string &command) {
        if (command == "MDTA? 1")
            recall.OnCancel();
    };
    Sim(1).trace().clear();
    EXPECT_FALSE(back.RecallFromGenerator(QStringLiteral("Cancel"), gen.get(), &recall));
    EXPECT_EQ(Tail(Sim(1).trace().lines(), 3), (Lines{"MDTA? 10", "MAPN ", "MAPE "}));
    EXPECT_EQ(back.Data(), PixelMapData());
}

TEST_F(PixelMapTrafficSimTest, ARefusedWordShowsOneBoxAndEndsTheUpload)
{
    Start({kMapFirmware});
    auto gen = Connect(1);
    CPixelMap map;
    Sim(1).fault(gensim::Fault::scriptedReply("MDTA 3 0", "Execution error: 3\r\n>"));
    prompter.ExpectMessage(PromptMatch::Caption(QStringLiteral("Communication Error")), IDOK);
    Sim(1).trace().clear();
    EXPECT_FALSE(map.SendToGenerator(gen.get(), nullptr));
    EXPECT_EQ(Tail(Sim(1).trace().lines(), 3), (Lines{"MDTA 3 0", "MAPN ", "MAPE "}));
    EXPECT_FALSE(Stored(1, "pixmap"));
}

TEST_F(PixelMapTrafficSimTest, AGeneratorWithoutPixelMapsIsToldSoBeforeAnyTraffic)
{
    Start({"7.02"});
    auto gen = Connect(1);
    ASSERT_FALSE(gen->PixelMapsSupported());
    CPixelMap map;
    Sim(1).trace().clear();
    const QString text = QStringLiteral("The generator on %1 does not support pixel maps.").arg(gen->GetPortName());
    prompter.ExpectMessage(PromptMatch::Text(text).AndCaption(QStringLiteral("Transmit Error...")), IDOK,
                           MB_OK | MB_ICONSTOP);
    EXPECT_FALSE(map.SendToGenerator(gen.get(), nullptr));
    prompter.ExpectMessage(PromptMatch::Text(text).AndCaption(QStringLiteral("Map Error")), IDOK, MB_OK | MB_ICONSTOP);
    EXPECT_FALSE(map.RecallFromGenerator(QStringLiteral("Arrow"), gen.get(), nullptr));
    EXPECT_TRUE(Sim(1).trace().lines().empty());
}

TEST_F(PixelMapTrafficSimTest, ACopyFromCom1ToCom2IsEqualWordForWord)
{
    Start({kMapFirmware, kMapFirmware});
    Sim(1).seed(ItemKind::PixelMap, gensim::samplePixelMap("Copied", true, 40, 7, 2, 9));
    auto source = Connect(1);
    auto target = Connect(2);
    CProgressDlg progress(nullptr, true);
    ASSERT_TRUE(CopyPixelMapBetweenGenerators(QStringLiteral("Copied"), source.get(), target.get(), &progress));
    const auto from = Stored(1, "Copied");
    const auto to = Stored(2, "Copied");
    ASSERT_TRUE(to);
    EXPECT_EQ((std::vector<int>{to->width, to->height, to->depth}), (std::vector<int>{40, 7, 2}));
    EXPECT_EQ(to->words, from->words);
    EXPECT_EQ(Tail(Sim(1).trace().lines(), 2), (Lines{"MAPN ", "MAPE "}));
}

} // namespace

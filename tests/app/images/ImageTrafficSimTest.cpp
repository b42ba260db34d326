// Images to and from simulated generators through the real library on
// pseudo-terminals: the round trip of each primitive kind, the send's
// traces by firmware, a recall with a line the program cannot build, the
// copy between two generators, Cancel at each point an operation asks, the
// replies a recall must not trust, and a link that drops mid-send.

#include "ArchiveBytes.h"
#include "CGenerator.h"
#include "CImage.h"
#include "CLine.h"
#include "CProgressDlg.h"
#include "CRectangle.h"
#include "ImageTestSupport.h"
#include "PortDialogAnswer.h"
#include "TestSupport.h"

#include "gensim/Simulator.h"

#include <QDialog>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace imagetest;
using Trace = std::vector<std::string>;

const char kScaleQuestion[] =
    "The image scale (640x480) does not match the current format scale (800x600)!\nContinue anyway?";

class ImageTrafficSimTest : public PlatformTest {
protected:
    void TearDown() override
    {
        CProgressDlg::SetExternalCancel({});
        unsetenv("MORVANE_TIME_SCALE");
        unsetenv("MORVANE_COM1");
        unsetenv("MORVANE_COM2");
        PlatformTest::TearDown();
    }

    // COM1, COM2, ... with these firmware versions.
    void Start(std::initializer_list<const char *> firmwares)
    {
        for (const char *firmware : firmwares) {
            gensim::Generator &g = sim.addGenerator(
                {.model = "VG-7000", .firmware = firmware, .serial = "1", .baudRate = 115200, .link = ""});
            setenv(("MORVANE_COM" + std::to_string(sim.size())).c_str(), g.comPath().c_str(), 1);
        }
        sim.start();
        // The handshake's 1 s at each wrong rate shrinks.
        setenv("MORVANE_TIME_SCALE", "0.25", 1);
    }

    std::unique_ptr<CGenerator> Connect(int com)
    {
        auto gen = ConnectOverCom(prompter, com);
        Sim(com).trace().clear();
        return gen;
    }

    gensim::Generator &Sim(int com) { return sim.generator(size_t(com - 1)); }
    Trace Heard(int com) { return Sim(com).trace().lines(); }
    std::optional<gensim::StoredItem> Stored(int com, const std::string &name)
    {
        return Sim(com).item(gensim::ItemKind::Image, name);
    }
    void Seed(int com, const std::string &name, std::vector<std::string> lines, int width = 640, int height = 480)
    {
        gensim::StoredItem item{name, true};
        item.width = width;
        item.height = height;
        item.lines = std::move(lines);
        Sim(com).seed(gensim::ItemKind::Image, item);
    }

    bool Send(CGenerator &gen, CImage &image)
    {
        CProgressDlg progress(nullptr, true);
        return image.SendToGenerator(&gen, &progress);
    }

    gensim::Simulator sim;
};

// An image named Demo with a line and a rectangle.
std::unique_ptr<CImage> Demo()
{
    auto image = std::make_unique<CImage>();
    image->SetName("Demo");
    image->AddPrimitive(std::make_unique<CLine>(0, 0, 639, 479, 1));
    image->AddPrimitive(std::make_unique<CRectangle>(5, 6, 14, 25));
    return image;
}

// Each row: the primitive object of an archive, written by hand; the line
// it writes; the line the generator keeps after a send; and the archive of
// what a recall gives back (the same bytes unless the row says otherwise).
TEST_F(ImageTrafficSimTest, EachKindSurvivesTheRoundTrip)
{
    Start({"7.011"});
    auto gen = Connect(1);
    const auto head = [] { return Bytes().newClass("CImage").counted("Trip").i32(640).i32(480).u16(1); };
    const struct {
        const char *what;
        QByteArray object;
        QString line;
        std::string stored;
        QByteArray recalled; // empty: the object itself
    } rows[] = {
        {"a red line", Bytes().newClass("CLine").i32(0).i32(0).i32(0).i32(639).i32(479).i32(1).data,
         "LINE Red 0 0 639 479", "LINE Red 0 0 639 479", {}},
        {"a rectangle", Bytes().newClass("CRectangle").i32(0).i32(5).i32(6).i32(14).i32(25).i32(7).i32(0).i32(0).data,
         "RECT White  10 20  5 6  GrayPat0", "RECT White  10 20  5 6  GrayPat0", {}},
        {"a filled oval",
         Bytes().newClass("COval").i32(0).i32(300).i32(200).i32(339).i32(229).i32(6).i32(18).i32(1).data,
         "OVAL Cyan  40 30  300 200  Checker2", "OVAL Cyan  40 30  300 200  Checker2", {}},
        {"an unfilled oval", Bytes().newClass("COval").i32(0).i32(0).i32(0).i32(9).i32(9).i32(7).i32(0).i32(1).data,
         "OVAL White  9 9  0 0  GrayPat0", "OVAL White  9 9  0 0  GrayPat0", {}},
        {"a colour and a pattern the tables lack",
         Bytes().newClass("CRectangle").i32(0).i32(5).i32(6).i32(14).i32(25).i32(99).i32(-3).i32(0).data,
         "RECT White  10 20  5 6  GrayPat0", "RECT White  10 20  5 6  GrayPat0",
         Bytes().newClass("CRectangle").i32(0).i32(5).i32(6).i32(14).i32(25).i32(7).i32(0).i32(0).data},
        {"a dot", Bytes().newClass("CDot").i32(0).i32(320).i32(240).i32(2).data, "ADOT Green 320 240",
         "ADOT Green 320 240", {}},
        {"a hatch", Bytes().newClass("CGrid").i32(0).i32(3).i32(10).i32(8).i32(1).data, "HATO Red 10 8",
         "HATO Red 10 8", {}},
        {"a grill", Bytes().newClass("CGrill").i32(0).i32(0).i32(10).i32(40).i32(7).data, "GRIV White 10 40",
         "GRIV White 10 40", {}},
        {"limit markers", Bytes().newClass("CMarker").i32(0).i32(3).i32(6).data, "LIMI Cyan", "LIMI Cyan", {}},
        {"an option", Bytes().newClass("CImageOption").i32(0).i32(2).data, "NOGA", "NOGA", {}},
        {"a filled triangle",
         Bytes().newClass("CTriangle").i32(0).i32(320).i32(192).i32(256).i32(288).i32(384).i32(288).i32(3).i32(18).data,
         "TRIA Yellow  320 192  256 288  384 288  Checker2", "TRIA Yellow  320 192  256 288  384 288  Checker2", {}},
        // A question mark in a text is no query: nothing is awaited.
        {"a text asking why",
         Bytes().newClass("CText").i32(0).i32(100).i32(50).i32(7).i32(1).counted("Why? \xe9t\xe9").data,
         QString::fromLatin1("TEXT White 100 50 opix9 \"Why? \xe9t\xe9\""), "TEXT White 100 50 opix9 \"Why? \xe9t\xe9\"", {}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        const std::unique_ptr<CImage> image = LoadImage(head().bytes(row.object).data);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(Lines(*image), QStringList{row.line});
        ASSERT_TRUE(Send(*gen, *image));
        const auto stored = Stored(1, "Trip");
        ASSERT_TRUE(stored.has_value());
        EXPECT_EQ(stored->lines, Trace{row.stored});
        EXPECT_EQ((std::pair{stored->width, stored->height}), (std::pair{640, 480}));
        CImage recalled;
        CProgressDlg progress(nullptr, true);
        ASSERT_TRUE(recalled.RecallFromGenerator("Trip", gen.get(), &progress));
        EXPECT_EQ(recalled.LinesLeftOut(), 0);
        EXPECT_EQ(StoreImage(recalled), head().bytes(row.recalled.isEmpty() ? row.object : row.recalled).data);
        EXPECT_FALSE(Sim(1).imageBuffer().open);
    }
}

TEST_F(ImageTrafficSimTest, SendTracesByFirmwareAndTheScaleQuestion)
{
    Start({"3.03119", "3.03"});
    auto recent = Connect(1);
    auto older = Connect(2);
    const Trace lines = {"LINE Red 0 0 639 479", "RECT White  10 20  5 6  GrayPat0"};
    const auto with = [&lines](Trace head, Trace tail) {
        head.insert(head.end(), lines.begin(), lines.end());
        head.insert(head.end(), tail.begin(), tail.end());
        return head;
    };

    // 3.03119 names the image's size and asks nothing.
    Sim(1).execute("HRES 800;VRES 600");
    Sim(1).trace().clear();
    EXPECT_TRUE(Send(*recent, *Demo()));
    EXPECT_EQ(Heard(1), with({"IMGN Demo", "IMGB ", "XRES 640", "YRES 480"}, {"IMGE ", "IMGA Demo"}));
    EXPECT_EQ((std::pair{Stored(1, "Demo")->width, Stored(1, "Demo")->height}), (std::pair{640, 480}));

    // 3.03 compares with the format in use; No sends nothing more.
    Sim(2).execute("HRES 800;VRES 600");
    Sim(2).trace().clear();
    prompter.ExpectMessage(PromptMatch::Text(kScaleQuestion).AndCaption("WARNING: Resolution Conflict"), IDNO,
                           MB_YESNO | MB_ICONEXCLAMATION);
    EXPECT_FALSE(Send(*older, *Demo()));
    EXPECT_EQ(Heard(2), (Trace{"HRES?", "VRES?"}));
    EXPECT_FALSE(Stored(2, "Demo").has_value());

    Sim(2).trace().clear();
    prompter.ExpectMessage(PromptMatch::Text(kScaleQuestion), IDYES);
    EXPECT_TRUE(Send(*older, *Demo()));
    EXPECT_EQ(Heard(2), with({"HRES?", "VRES?", "IMGN Demo", "IMGB "}, {"IMGE ", "IMGA Demo"}));
    EXPECT_EQ(Stored(2, "Demo")->lines, lines);
    EXPECT_EQ((std::pair{Stored(2, "Demo")->width, Stored(2, "Demo")->height}), (std::pair{800, 600}));

    // The same scale asks nothing.
    Sim(2).execute("HRES 640;VRES 480");
    Sim(2).trace().clear();
    EXPECT_TRUE(Send(*older, *Demo()));
    EXPECT_EQ(Heard(2), with({"HRES?", "VRES?", "IMGN Demo", "IMGB "}, {"IMGE ", "IMGA Demo"}));
}

// A line of a class the program cannot build, and an empty one, are left
// out, listed, and counted; sent back, the image holds the rest.
TEST_F(ImageTrafficSimTest, RecallLeavesOutWhatItCannotBuildAndSaysSo)
{
    Start({"7.011"});
    auto gen = Connect(1);
    Seed(1, "Mixed", {"LINE Red 0 0 639 479", "AROW White 1 2 3 4", "", "RECT White  10 20  5 6  GrayPat0"}, 800, 600);
    Sim(1).execute("HRES 800;VRES 600");
    Sim(1).trace().clear();
    OwnerWindow owner;
    CImage image(&owner);
    prompter.ExpectMessage(PromptMatch::Text("The image \"Mixed\" was recalled without 2 line(s) this program cannot "
                                             "build:\nAROW White 1 2 3 4\n(an empty line)"),
                           IDOK);
    CProgressDlg progress(nullptr, true);
    ASSERT_TRUE(image.RecallFromGenerator("Mixed", gen.get(), &progress));
    EXPECT_EQ(Heard(1), (Trace{"IMGB ", "IMGN ", "IMGL Mixed", "HRES?", "VRES?", "ISTP?", "ISTP? 1", "ISTP? 2",
                               "ISTP? 3", "ISTP? 4", "IMGN ", "IMGE "}));
    EXPECT_EQ(progress.GetStatus(IDC_STATUS1), "Recalling Image: \"Mixed\" with 4 Primitives");
    EXPECT_EQ(image.GetName(), "Mixed");
    EXPECT_EQ((std::pair{image.Width(), image.Height()}), (std::pair{800, 600}));
    EXPECT_EQ(Lines(image), (QStringList{"LINE Red 0 0 639 479", "RECT White  10 20  5 6  GrayPat0"}));
    EXPECT_EQ(image.LinesLeftOut(), 2);
    EXPECT_TRUE(image.IsModified());
    EXPECT_EQ(owner.received, (std::vector<OwnerWindow::Message>{{WM_DATA_CHANGED, ToLParam(&image)}}));
    EXPECT_FALSE(Sim(1).imageBuffer().open);

    image.SetName("Back");
    ASSERT_TRUE(Send(*gen, image));
    EXPECT_EQ(Stored(1, "Back")->lines, (Trace{"LINE Red 0 0 639 479", "RECT White  10 20  5 6  GrayPat0"}));
}

// Replies a recall must not trust stop it: false, the block closed, the
// item untouched.
TEST_F(ImageTrafficSimTest, RecallStopsAtRepliesOutOfBounds)
{
    Start({"7.011"});
    auto gen = Connect(1);
    Seed(1, "Two", {"LINE Red 0 0 1 1", "LINE Red 2 2 3 3"});
    const struct {
        const char *command;
        const char *raw;
        const char *message;
    } cases[] = {
        {"ISTP?", "100001\r\n>", "The generator announces 100001 primitives for the image \"Two\"."},
        {"ISTP?", "-1\r\n>", "The generator announces -1 primitives for the image \"Two\"."},
        {"HRES?", "1\r\n>", "The generator gives the image \"Two\" the size 1 x 480, which no image has."},
        {"VRES?", "65536\r\n>", "The generator gives the image \"Two\" the size 640 x 65536, which no image has."},
        {"ISTP? 2", "Execution error: 3\r\n>", nullptr},
        {"IMGL Two", "Execution error: 3025\r\n>", nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.command + std::string(" ") + c.raw);
        Sim(1).fault(gensim::Fault::scriptedReply(c.command, c.raw));
        Sim(1).trace().clear();
        if (c.message)
            prompter.ExpectMessage(PromptMatch::Text(c.message), IDOK);
        else
            prompter.ExpectMessage(PromptMatch::Caption("Communication Error"), IDOK);
        OwnerWindow owner;
        CImage image(&owner);
        CProgressDlg progress(nullptr, true);
        EXPECT_FALSE(image.RecallFromGenerator("Two", gen.get(), &progress));
        const Trace heard = Heard(1);
        ASSERT_GE(heard.size(), 2u);
        EXPECT_EQ(Trace(heard.end() - 2, heard.end()), (Trace{"IMGN ", "IMGE "}));
        EXPECT_FALSE(Sim(1).imageBuffer().open);
        EXPECT_TRUE(image.Primitives().empty());
        EXPECT_EQ(image.GetName(), "Image");
        EXPECT_TRUE(owner.received.empty());
        Sim(1).clearFaults();
    }
}

TEST_F(ImageTrafficSimTest, CopyStoresTheSourcesLinesOnTheTarget)
{
    Start({"7.011", "7.011"});
    auto source = Connect(1);
    auto target = Connect(2);
    const Trace lines = {"RECT White  10 20  5 6  GrayPat0", "TEXT White 20 20 sys16 \"Why  so?\"", "AROW White 1 2 3 4",
                         "RMAP 10 10 Arrow"};
    Seed(1, "Src", lines, 640, 480);
    CProgressDlg progress(nullptr, true);
    EXPECT_EQ(CopyImageBetweenGenerators("Src", source.get(), target.get(), &progress), 1);
    const Trace single = {"RECT White 10 20 5 6 GrayPat0", "TEXT White 20 20 sys16 \"Why  so?\"", "AROW White 1 2 3 4",
                          "RMAP 10 10 Arrow"};
    ASSERT_TRUE(Stored(2, "Src").has_value());
    EXPECT_EQ(Stored(2, "Src")->lines, single);
    EXPECT_EQ(Heard(1), (Trace{"IMGB ", "IMGN ", "IMGL Src", "HRES?", "VRES?", "ISTP?", "ISTP? 1", "ISTP? 2",
                               "ISTP? 3", "ISTP? 4", "IMGN ", "IMGE "}));
    Trace targetHeard = {"IMGN Src", "IMGB ", "XRES 640", "YRES 480"};
    targetHeard.insert(targetHeard.end(), single.begin(), single.end());
    targetHeard.insert(targetHeard.end(), {"IMGA Src", "IMGN ", "IMGE "});
    EXPECT_EQ(Heard(2), targetHeard);
    EXPECT_FALSE(Sim(1).imageBuffer().open);
    EXPECT_FALSE(Sim(2).imageBuffer().open);
    EXPECT_EQ(Stored(1, "Src")->lines, lines) << "the source keeps its image";
}

TEST_F(ImageTrafficSimTest, CopyToOlderFirmwareAsksAboutTheScale)
{
    Start({"7.011", "3.03"});
    auto source = Connect(1);
    auto target = Connect(2);
    Seed(1, "Src", {"LINE Red 0 0 1 1"});
    Sim(2).execute("HRES 800;VRES 600");
    const struct {
        int answer;
        int result;
    } cases[] = {{IDNO, 1}, {IDCANCEL, 0}, {IDYES, 1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.answer);
        Sim(2).trace().clear();
        prompter.ExpectMessage(PromptMatch::Text(kScaleQuestion), c.answer, MB_YESNOCANCEL | MB_ICONEXCLAMATION);
        CProgressDlg progress(nullptr, true);
        EXPECT_EQ(CopyImageBetweenGenerators("Src", source.get(), target.get(), &progress), c.result);
        EXPECT_EQ(Stored(2, "Src").has_value(), c.answer == IDYES);
        if (c.answer != IDYES) {
            EXPECT_EQ(Heard(2), (Trace{"HRES?", "VRES?"}));
        }
        EXPECT_FALSE(Sim(1).imageBuffer().open);
    }
}

// What the source did not give is not stored: a refused count, a refused
// line, an empty line.
TEST_F(ImageTrafficSimTest, CopyStopsBeforeStoringWhatTheSourceDidNotGive)
{
    Start({"7.011", "7.011"});
    auto source = Connect(1);
    auto target = Connect(2);
    Seed(1, "Src", {"LINE Red 0 0 1 1", "", "LINE Red 2 2 3 3"});
    const struct {
        const char *command;
        const char *raw;
        const char *message;
    } cases[] = {
        {"ISTP?", "Command invalid\r\n>", nullptr},
        {"ISTP? 1", "Execution error: 3\r\n>", nullptr},
        {"NONE", "", "The image \"Src\" was not copied: the source gave line 2 empty."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.command);
        Sim(1).fault(gensim::Fault::scriptedReply(c.command, c.raw));
        Sim(2).trace().clear();
        prompter.ExpectMessage(c.message ? PromptMatch::Text(c.message) : PromptMatch::Caption("Communication Error"),
                               IDOK);
        CProgressDlg progress(nullptr, true);
        EXPECT_EQ(CopyImageBetweenGenerators("Src", source.get(), target.get(), &progress), 1);
        EXPECT_FALSE(Stored(2, "Src").has_value());
        const Trace heard = Heard(2);
        EXPECT_EQ(std::count(heard.begin(), heard.end(), "IMGA Src"), 0);
        ASSERT_GE(heard.size(), 2u);
        EXPECT_EQ(Trace(heard.end() - 2, heard.end()), (Trace{"IMGN ", "IMGE "}));
        EXPECT_FALSE(Sim(1).imageBuffer().open);
        EXPECT_FALSE(Sim(2).imageBuffer().open);
        Sim(1).clearFaults();
    }
}

// Cancel where each operation asks: nothing is stored or taken, and every
// block that was opened is closed again.
TEST_F(ImageTrafficSimTest, CancelAtEachCheckPointClosesTheBlocks)
{
    Start({"7.011", "7.011"});
    auto first = Connect(1);
    auto second = Connect(2);
    std::vector<std::string> twelve;
    for (int i = 0; i < 12; ++i)
        twelve.push_back("LINE Red 0 0 " + std::to_string(i) + " 1");
    Seed(1, "Twelve", twelve);
    CImage image;
    image.SetName("Mine");
    for (int i = 0; i < 12; ++i)
        image.AddPrimitive(std::make_unique<CLine>(0, 0, i, 1));

    // When generator com has heard `lines` lines, the dialog reads as cancelled.
    const auto cancelAt = [this](int com, size_t lines) {
        CProgressDlg::SetExternalCancel([this, com, lines] { return quint64(Sim(com).trace().size() >= lines); });
    };
    struct Case {
        const char *what;
        int com;       // the generator whose count of lines cancels
        size_t lines;
        std::function<bool(CProgressDlg &)> run; // true when the operation went through
        size_t heard1; // lines each generator hears in all, closing included
        size_t heard2;
    };
    const Case cases[] = {
        {"send, the block just opened", 2, 4, [&](CProgressDlg &p) { return image.SendToGenerator(second.get(), &p); },
         0, 6},
        {"send, after the first primitive", 2, 5,
         [&](CProgressDlg &p) { return image.SendToGenerator(second.get(), &p); }, 0, 7},
        {"send, after the eleventh primitive", 2, 15,
         [&](CProgressDlg &p) { return image.SendToGenerator(second.get(), &p); }, 0, 17},
        {"recall, after the tenth line", 1, 16,
         [&](CProgressDlg &p) {
             CImage recalled;
             return recalled.RecallFromGenerator("Twelve", first.get(), &p);
         },
         18, 0},
        {"copy, the source loaded", 1, 3,
         [&](CProgressDlg &p) { return CopyImageBetweenGenerators("Twelve", first.get(), second.get(), &p) != 0; }, 5,
         0},
        {"copy, the target's block opened", 2, 4,
         [&](CProgressDlg &p) { return CopyImageBetweenGenerators("Twelve", first.get(), second.get(), &p) != 0; }, 7,
         6},
        {"copy, after a line", 2, 5,
         [&](CProgressDlg &p) { return CopyImageBetweenGenerators("Twelve", first.get(), second.get(), &p) != 0; }, 9,
         7},
        {"copy, before the store", 1, 20,
         [&](CProgressDlg &p) { return CopyImageBetweenGenerators("Twelve", first.get(), second.get(), &p) != 0; }, 20,
         18},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Sim(1).trace().clear();
        Sim(2).trace().clear();
        cancelAt(c.com, c.lines);
        {
            CProgressDlg progress(nullptr, true);
            EXPECT_FALSE(c.run(progress));
        }
        CProgressDlg::SetExternalCancel({});
        for (int com : {1, 2}) {
            SCOPED_TRACE(com);
            const Trace heard = Heard(com);
            EXPECT_EQ(heard.size(), com == 1 ? c.heard1 : c.heard2);
            EXPECT_EQ(std::count_if(heard.begin(), heard.end(), [](const std::string &l) { return l.rfind("IMGA", 0) == 0; }), 0);
            if (!heard.empty()) {
                EXPECT_EQ(Trace(heard.end() - 2, heard.end()), (Trace{"IMGN ", "IMGE "}));
            }
            EXPECT_FALSE(Sim(com).imageBuffer().open);
        }
        EXPECT_FALSE(Stored(2, "Mine").has_value());
        EXPECT_FALSE(Stored(2, "Twelve").has_value());
    }
}

// A link that drops while the lines go: one box, the send stops, nothing
// is stored, and nothing more is sent to close the block; once the link is
// back a new send stores only its own lines.
TEST_F(ImageTrafficSimTest, DroppedLinkMidSendShowsOneBoxAndStoresNothing)
{
    Start({"7.011"});
    auto gen = Connect(1);
    CImage image;
    image.SetName("Long");
    for (int i = 0; i < 20; ++i)
        image.AddPrimitive(std::make_unique<CLine>(0, 0, i, 1));
    Sim(1).fault(gensim::Fault::dropLink(200));
    prompter.ExpectMessage(PromptMatch::Caption("Communication Error"), IDOK);
    EXPECT_FALSE(Send(*gen, image));
    EXPECT_EQ(prompter.Messages().size(), 1u);
    EXPECT_TRUE(gen->IsLinkLost());
    Sim(1).clearFaults();
    EXPECT_FALSE(Stored(1, "Long").has_value());
    const Trace heard = Heard(1);
    ASSERT_GE(heard.size(), 5u);
    EXPECT_EQ(heard.front(), "IMGN Long");
    EXPECT_LT(heard.size(), 24u);
    for (const std::string &line : heard) {
        EXPECT_NE(line, "IMGE ");
        EXPECT_NE(line.rfind("IMGA", 0), 0u) << line;
    }

    ASSERT_TRUE(gen->CheckLink());
    std::unique_ptr<CImage> demo = Demo();
    demo->SetName("Long");
    ASSERT_TRUE(Send(*gen, *demo));
    EXPECT_EQ(Stored(1, "Long")->lines, (Trace{"LINE Red 0 0 639 479", "RECT White  10 20  5 6  GrayPat0"}));
}

} // namespace

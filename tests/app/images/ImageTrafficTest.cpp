// Image traffic against the scripted port: what goes out, in order, when a
// line is refused, when a line holds a "?", and when a line cannot go at
// all.

#include "CGenerator.h"
#include "CImage.h"
#include "CLine.h"
#include "CProgressDlg.h"
#include "CRectangle.h"
#include "FakePort.h"
#include "ResourceIds.h"
#include "ImageTestSupport.h"
#include "TestPorts.h"
#include "TestSupport.h"

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace imagetest;
using Commands = std::vector<std::string>;

Commands JoinCommands(Commands a, const Commands &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The scripted port, with a hook that runs as each command goes out.
class HookedPort : public FakePort {
public:
    int32_t SendCommand(PortId id, const char *command, char *reply, int32_t length) override
    {
        if (onCommand)
            onCommand(command);
        return FakePort::SendCommand(id, command, reply, length);
    }
    std::function<void(const std::string &)> onCommand;
};

class ImageTrafficTest : public PlatformTest {
protected:
    std::unique_ptr<CGenerator> Generator(PortId port, double firmware = 7.011)
    {
        auto generator = std::make_unique<CGenerator>(nullptr, port);
        generator->SetFirmwareVersion(firmware);
        return generator;
    }

    FakePort port;
};

// A refused line ends the send there, with the link's one box, and the
// block is closed unstored.
TEST_F(ImageTrafficTest, ARefusedLineStopsTheSendAndClosesTheBlock)
{
    auto generator = Generator(kCom1);
    CImage image;
    image.SetName("Demo");
    image.AddPrimitive(std::make_unique<CLine>(0, 0, 1, 1));
    image.AddPrimitive(std::make_unique<CRectangle>(5, 6, 14, 25));
    image.AddPrimitive(std::make_unique<CLine>(2, 2, 3, 3));
    port.Script("RECT White  10 20  5 6  GrayPat0", "Execution error: 3011\r\n", MORVANE_E_EXECUTION);
    prompter.ExpectMessage(PromptMatch::Caption("Communication Error"), IDOK);
    CProgressDlg progress(nullptr, true);
    EXPECT_FALSE(image.SendToGenerator(generator.get(), &progress));
    EXPECT_EQ(port.commands, (Commands{"IMGN Demo", "IMGB ", "XRES 640", "YRES 480", "LINE White 0 0 1 1",
                                       "RECT White  10 20  5 6  GrayPat0", "IMGN ", "IMGE "}));
}

// A text's "?" makes no query: on a bus, where a query reads a reply the
// generator never sends, the line goes without a reply buffer.
TEST_F(ImageTrafficTest, ALineHoldingAQuestionMarkAwaitsNoReply)
{
    auto generator = Generator(MORVANE_PORT_GPIB);
    CImage image;
    image.SetName("Ask");
    image.AddPrimitive(std::make_unique<QuotedTextPrimitive>("why?"));
    CProgressDlg progress(nullptr, true);
    EXPECT_TRUE(image.SendToGenerator(generator.get(), &progress));
    ASSERT_EQ(port.commands.size(), 7u);
    EXPECT_EQ(port.commands[4], "TEXT White 1 1 sys16 \"why?\"");
    EXPECT_FALSE(port.replyBufferGiven[4]);
    // The terminal's way keeps its rule.
    generator->SendCommandText("TEXT White 1 1 sys16 \"why?\"");
    EXPECT_TRUE(port.replyBufferGiven.back());
}

TEST_F(ImageTrafficTest, ALineNoCommandLineCarriesSendsNothing)
{
    auto generator = Generator(kCom1);
    const struct {
        const char *what;
        QString name;
        QString text;
        QString message;
    } cases[] = {
        {"a quote in a text", "Q", "a \"b\"",
         "The image \"Q\" was not sent: primitive 2 (Text): The name holds a double quote, which a command line "
         "cannot carry."},
        {"a semicolon in the image's name", "A;B", "fine",
         "The image \"A;B\" was not sent: The name holds a semicolon, which a command line cannot carry."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        CImage image;
        image.SetName(c.name);
        image.AddPrimitive(std::make_unique<CLine>());
        image.AddPrimitive(std::make_unique<QuotedTextPrimitive>(c.text));
        prompter.ExpectMessage(PromptMatch::Text(c.message), IDOK);
        CProgressDlg progress(nullptr, true);
        EXPECT_FALSE(image.SendToGenerator(generator.get(), &progress));
        EXPECT_TRUE(port.commands.empty());
    }
}

// A store and a preview send the same lines; only the last progress text
// says which it was.
TEST_F(ImageTrafficTest, APreviewEndsUpdatingTheDisplayAStoreSaving)
{
    const struct {
        CImage::SendPurpose purpose;
        QString lastStatus;
    } cases[] = {
        {CImage::SendPurpose::Store, "Saving..."},
        {CImage::SendPurpose::Preview, "Updating Display...."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.lastStatus.toStdString());
        port.commands.clear();
        auto generator = Generator(kCom1);
        CImage image;
        image.SetName("Preview");
        image.AddPrimitive(std::make_unique<CLine>(0, 0, 1, 1));
        CProgressDlg progress(nullptr, true);
        EXPECT_TRUE(image.SendToGenerator(generator.get(), &progress, c.purpose));
        EXPECT_EQ(progress.GetStatus(IDC_STATUS2), c.lastStatus);
        EXPECT_EQ(port.commands, (Commands{"IMGN Preview", "IMGB ", "XRES 640", "YRES 480", "LINE White 0 0 1 1",
                                           "IMGE ", "IMGA Preview"}));
    }
}

// A recall that fails at a query closes the block and leaves the item.
TEST_F(ImageTrafficTest, AFailedRecallLeavesTheItemAsItWas)
{
    auto generator = Generator(kCom1);
    port.Script("HRES?", "640\r\n");
    port.Script("VRES?", "480\r\n");
    port.Script("ISTP?", "2\r\n");
    port.Script("ISTP? 1", "LINE Red 0 0 1 1\r\n");
    port.Script("ISTP? 2", "Execution error: 3\r\n", MORVANE_E_EXECUTION);
    prompter.ExpectMessage(PromptMatch::Caption("Communication Error"), IDOK);
    OwnerWindow owner;
    CImage image(&owner);
    image.AddPrimitive(std::make_unique<CRectangle>(1, 1, 2, 2));
    EXPECT_FALSE(image.RecallFromGenerator("Two", generator.get(), nullptr));
    EXPECT_EQ(port.commands, (Commands{"IMGB ", "IMGN ", "IMGL Two", "HRES?", "VRES?", "ISTP?", "ISTP? 1", "ISTP? 2",
                                       "IMGN ", "IMGE "}));
    EXPECT_EQ(image.GetName(), "Image");
    EXPECT_EQ(Lines(image), QStringList{"RECT White  2 2  1 1  GrayPat0"});
    EXPECT_TRUE(owner.received.empty());
}

// A recall whose third line query fails, is cancelled or loses the link:
// no fourth query goes, at most one box, the item stays as it was, and the
// block is closed (after a lost link, as soon as the link is back).
TEST_F(ImageTrafficTest, ARecallEndedAtItsThirdLineLeavesTheItem)
{
    enum class Ending { Refused, Cancelled, LinkLost };
    const struct {
        const char *what;
        Ending ending;
    } cases[] = {{"refused", Ending::Refused}, {"cancelled", Ending::Cancelled}, {"link lost", Ending::LinkLost}};
    const Commands queries = {"IMGB ", "IMGN ", "IMGL Five", "HRES?", "VRES?", "ISTP?", "ISTP? 1", "ISTP? 2",
                              "ISTP? 3"};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        HookedPort hooked;
        auto generator = Generator(kCom1);
        // The failing answer first: a command's answers are used in order.
        if (c.ending == Ending::Refused)
            hooked.Script("ISTP? 3", "Execution error: 3\r\n", MORVANE_E_EXECUTION);
        if (c.ending == Ending::LinkLost)
            hooked.Script("ISTP? 3", "", MORVANE_E_TIMEOUT);
        hooked.Script("HRES?", "640\r\n");
        hooked.Script("VRES?", "480\r\n");
        hooked.Script("ISTP?", "5\r\n");
        for (int i = 1; i <= 5; ++i)
            hooked.Script("ISTP? " + std::to_string(i), "LINE Red 0 0 " + std::to_string(i) + " 1\r\n");
        CProgressDlg progress(nullptr, true);
        if (c.ending == Ending::Cancelled)
            hooked.onCommand = [&progress](const std::string &command) {
                if (command == "ISTP? 3")
                    progress.OnCancel();
            };
        else
            prompter.ExpectMessage(PromptMatch::Caption("Communication Error"), IDOK);
        OwnerWindow owner;
        CImage image(&owner);
        image.AddPrimitive(std::make_unique<CRectangle>(1, 1, 2, 2));
        const size_t boxesBefore = prompter.Messages().size();

        EXPECT_FALSE(image.RecallFromGenerator("Five", generator.get(), &progress));

        const Commands closed = {"IMGN ", "IMGE "};
        EXPECT_EQ(hooked.commands, c.ending == Ending::LinkLost ? queries : JoinCommands(queries, closed));
        EXPECT_EQ(prompter.Messages().size() - boxesBefore, c.ending == Ending::Cancelled ? 0u : 1u);
        prompter.VerifyAllUsed();
        EXPECT_EQ(image.GetName(), "Image");
        EXPECT_EQ(Lines(image), QStringList{"RECT White  2 2  1 1  GrayPat0"});
        EXPECT_TRUE(owner.received.empty());
        if (c.ending == Ending::LinkLost) {
            ASSERT_TRUE(generator->CheckLink());
            EXPECT_EQ(hooked.commands, JoinCommands(queries, closed));
        }
    }
}

} // namespace

// A lost link on a scripted port: the reconnect (a handshake, else the same
// port opened again with the rate search, then the rate it had, "VERF?" and
// "*IDN?"), what the listeners hear, and the one question of a user action.

#include "CGenerator.h"
#include "FakePort.h"
#include "TestPorts.h"
#include "TestSupport.h"
#include "UserAction.h"

#include <QObject>

#include <string>
#include <vector>

namespace {

class ReconnectTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        port.rate = 19200;
        port.generatorRate = 19200;
        port.Script("VERF?", "7.5\r\n");
        port.Script("*IDN?", "Veltrane,VG-9,555,7.5\r\n");
    }

    // A connection on COM2 whose link was lost; heard gets what its listener hears.
    std::unique_ptr<CGenerator> Lost(std::vector<bool> &heard)
    {
        auto gen = std::make_unique<CGenerator>(nullptr, kCom2);
        gen->SetModelName(QStringLiteral("VG-9"));
        gen->AddLinkListener(&context, [&heard](bool lost) { heard.push_back(lost); });
        gen->Link().SetLinkLost(true);
        return gen;
    }

    FakePort port;
    QObject context;
};

TEST_F(ReconnectTest, HandshakeElseReopenThenTheRateAndTheIdentity)
{
    const struct {
        const char *name;
        int generatorRate;                // where the generator answers when asked to come back
        bool back;
        std::vector<std::string> opens;
        const char *mode;                 // a rate change sent, or nullptr
        std::vector<bool> heard;
    } cases[] = {
        {"answers again", 19200, true, {}, nullptr, {true, false}},
        {"restarted at its start-up rate", 9600, true, {"com2", "com2"}, "MODE COM1 19200 N 8 1 H\r", {true, false}},
        {"gone", 0, false, {"com2"}, nullptr, {true}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        FakePort fresh;
        fresh.rate = 19200;
        fresh.generatorRate = c.generatorRate;
        fresh.Script("VERF?", "7.5\r\n");
        fresh.Script("*IDN?", "Veltrane,VG-9,555,7.5\r\n");
        std::vector<bool> heard;
        auto gen = Lost(heard);
        EXPECT_EQ(gen->Reconnect(nullptr, false), c.back);
        EXPECT_EQ(gen->IsLinkLost(), !c.back);
        EXPECT_EQ(fresh.opens, c.opens);
        EXPECT_EQ(heard, c.heard) << "told once, at the end";
        if (c.mode) {
            EXPECT_NE(fresh.putChars.find(c.mode), std::string::npos);
        }
        if (c.back) {
            EXPECT_EQ(gen->GetBaudRate(), 19200);
            EXPECT_EQ(fresh.commands, (std::vector<std::string>{"VERF?", "*IDN?"}));
            QString model, version, serial;
            gen->GetReconnectIdentity(model, version, serial);
            EXPECT_EQ(QStringList({model, version, serial}), QStringList({"VG-9", "7.5", "555"}));
            EXPECT_DOUBLE_EQ(gen->GetFirmwareVersion(), 7.5);
        } else {
            EXPECT_EQ(gen->GetPort(), 0u);
            EXPECT_TRUE(fresh.commands.empty());
        }
    }
}

// Gone for good: no port is left, yet Reconnect tries the same port again,
// and from the bar a failure is told in a box.
TEST_F(ReconnectTest, AFailedReopenKeepsThePortToTryAgain)
{
    port.generatorRate = 0;
    std::vector<bool> heard;
    auto gen = Lost(heard);
    EXPECT_FALSE(gen->Reconnect(nullptr, false));
    ASSERT_EQ(gen->GetPort(), 0u);
    prompter.ExpectMessage(PromptMatch::Text(QString::fromLatin1(FakePort::TextOf(MORVANE_E_HANDSHAKE)))
                               .AndCaption(QStringLiteral("Connect Error")),
                           IDOK, kWarningBox);
    EXPECT_FALSE(gen->Reconnect(nullptr, true));
    EXPECT_EQ(port.opens, (std::vector<std::string>{"com2", "com2"}));
    port.generatorRate = 9600;
    EXPECT_TRUE(gen->Reconnect(nullptr, false));
    EXPECT_EQ(gen->GetPort(), kCom2);
    EXPECT_FALSE(gen->IsLinkLost());
}

// One question per user action; No fails its commands quietly, outside an
// action nothing asks, and Yes reconnects and sends the command.
TEST_F(ReconnectTest, EachUserActionAsksOnce)
{
    std::vector<bool> heard;
    auto gen = Lost(heard);
    const PromptMatch question = PromptMatch::Text(QStringLiteral("The link to the VG-9 on Com-2 is lost.\n\nReconnect now?"))
                                     .AndCaption(QStringLiteral("Link Lost"));
    prompter.ExpectMessage(question, IDNO, MB_YESNO | MB_ICONQUESTION);
    {
        const UserAction action;
        for (int i = 0; i < 3; ++i)
            gen->SendCommandText(QStringLiteral("HRES?"));
    }
    gen->SendCommandText(QStringLiteral("HRES?")); // outside an action
    EXPECT_TRUE(port.commands.empty());
    EXPECT_FALSE(gen->LastCommandSucceeded());

    prompter.ExpectMessage(question, IDYES, MB_YESNO | MB_ICONQUESTION);
    {
        const UserAction action;
        gen->SendCommandText(QStringLiteral("HRES?"));
    }
    EXPECT_EQ(port.commands, (std::vector<std::string>{"VERF?", "*IDN?", "HRES?"}));
    EXPECT_TRUE(gen->LastCommandSucceeded());
    EXPECT_EQ(heard, (std::vector<bool>{true, false}));
}

} // namespace

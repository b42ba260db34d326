// The sequence player of a generator view over a scripted port: what Attach
// makes of each sequence mode, the overlay check boxes, the read-outs, the
// firmware without them, a Load the generator does not take, the knob's
// wait, and the unloads that put the generator back.

#include "CSequencePlayerDlg.h"
#include "TestViewHost.h"

#include "CGenerator.h"
#include "CGeneratorDataPane.h"
#include "CGeneratorView.h"
#include "CGeneratorViewChild.h"
#include "DialogUnits.h"
#include "FakePort.h"
#include "TestPorts.h"
#include "TestSupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <map>

namespace {

class SequencePlayerTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        RegisterViewChildFactory(ViewChildKind::SequencePlayer, [](CGeneratorView *view, CGenerator *generator) {
            return new CSequencePlayerDlg(view, generator);
        });
    }

    void TearDown() override
    {
        delete view;
        RegisterViewChildFactory(ViewChildKind::SequencePlayer, {});
        PlatformTest::TearDown();
    }

    // A view of a generator of that firmware, its frame made; the generator
    // answers as the replies say, else as a generator stepping NewSeq.
    void MakeView(double firmware, std::map<std::string, std::string> replies = {})
    {
        const std::map<std::string, std::string> usual = {{"SEQU?", "NewSeq"}, {"DNUM?", "0"}, {"SDLY?", "5"},
                                                          {"STEP?", "2"},      {"NSTP?", "3"},  {"FMTU?", "DMT1075"},
                                                          {"SMOD?", "1"}};
        replies.insert(usual.begin(), usual.end()); // a test's own reply wins
        for (const auto &[command, reply] : replies)
            port.Script(command, reply + "\r\n");
        auto *generator = new CGenerator(nullptr, kCom1);
        generator->SetFirmwareVersion(firmware);
        view = new CGeneratorView(generator, &host);
        view->CreateFrame();
        view->GetState().format = QStringLiteral("VGA_m4"); // what was shown before the player
    }

    CSequencePlayerDlg *Player() { return dynamic_cast<CSequencePlayerDlg *>(view->findChild<CSequencePlayerWindow *>()); }

    template <class T>
    T *Control(int id)
    {
        return FindControl<T>(Player(), id);
    }

    bool DataPaneLocked() { return !view->DataPane()->NameList(CGeneratorDataPane::kFormats)->isEnabled(); }

    // Whether the commands since from hold these, in this order.
    bool SentInOrder(const std::vector<std::string> &expected, size_t from)
    {
        size_t at = 0;
        for (size_t i = from; i < port.commands.size() && at < expected.size(); ++i)
            at += port.commands[i] == expected[at];
        return at == expected.size();
    }

    // The commands sent since index from that begin with prefix.
    std::vector<std::string> Sent(const std::string &prefix, size_t from = 0)
    {
        std::vector<std::string> out;
        for (size_t i = from; i < port.commands.size(); ++i) {
            if (port.commands[i].rfind(prefix, 0) == 0)
                out.push_back(port.commands[i]);
        }
        return out;
    }

    FakePort port;
    TestViewHost host;
    CGeneratorView *view = nullptr;
};

TEST_F(SequencePlayerTest, AttachTakesOverEachMode)
{
    struct Case {
        int mode;
        bool playing;
        bool wrapChecked;
        const char *stepText;
        const char *delayText;
    };
    const Case cases[] = {
        {1, false, false, "2/3", "0h 0m 5.000s"},
        {2, false, true, "2/3", "0h 0m 5.000s"},
        {3, true, false, " ", " "},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.mode);
        MakeView(7.011, {{"SMOD?", std::to_string(c.mode)}});
        view->OpenSequencePlayer(QString(), true);
        ASSERT_TRUE(Player());
        EXPECT_TRUE(Player()->isVisible());
        EXPECT_EQ(Player()->windowTitle(), QStringLiteral("Playing: \"NewSeq\" on Com-1"));
        EXPECT_EQ(Player()->IsPlaying(), c.playing);
        EXPECT_EQ(Control<QPushButton>(IDC_STOP)->isEnabled(), c.playing);
        EXPECT_EQ(Control<QPushButton>(IDC_PLAY)->isEnabled(), !c.playing);
        EXPECT_EQ(Control<QPushButton>(IDC_PREV)->isEnabled(), !c.playing);
        EXPECT_EQ(Control<QCheckBox>(IDC_WRAP_MODE)->isEnabled(), !c.playing);
        EXPECT_EQ(Control<QCheckBox>(IDC_WRAP_MODE)->isChecked(), c.wrapChecked);
        EXPECT_EQ(Control<QLineEdit>(IDC_STEP_EDIT)->text(), QLatin1String(c.stepText));
        EXPECT_EQ(Control<QLabel>(IDC_DELAY_TEXT)->text(), QLatin1String(c.delayText));
        EXPECT_TRUE(DataPaneLocked());
        EXPECT_TRUE(view->IsPlaying());
        EXPECT_FALSE(view->Flags().usable || view->Flags().recallable || view->Flags().deletable);
        EXPECT_EQ(Player()->SavedState().sequence, QString()); // an attach saves no sequence to put back
        delete view;
        view = nullptr;
    }
}

TEST_F(SequencePlayerTest, TheOverlayBoxesExcludeEachOther)
{
    MakeView(7.011, {{"DNUM?", "1"}});
    view->OpenSequencePlayer(QString(), true);
    QCheckBox *step = Control<QCheckBox>(IDC_STEP_NUMBER);
    QCheckBox *status = Control<QCheckBox>(IDC_STATUS_OVERLAY);
    EXPECT_TRUE(step->isChecked());
    const size_t before = port.commands.size();
    status->click();
    EXPECT_TRUE(status->isChecked());
    EXPECT_FALSE(step->isChecked());
    status->click();
    step->click();
    EXPECT_EQ(Sent("DNUM", before), (std::vector<std::string>{"DNUM 2", "DNUM 0", "DNUM 1"}));
    EXPECT_TRUE(SentInOrder({"DNUM 2", "SEQU;*OPC?", "DNUM 0", "SEQU;*OPC?", "DNUM 1", "SEQU;*OPC?"}, before)); // each applied
}

TEST_F(SequencePlayerTest, TheDelayReadsOutToTheMillisecond)
{
    struct Case {
        double seconds;
        const char *text;
    };
    const Case cases[] = {{0.1, "0h 0m 0.100s"},         {5.05, "0h 0m 5.050s"},    {30.05, "0h 0m 30.050s"},
                          {90, "0h 1m 30.000s"},         {3600.5, "1h 0m 0.500s"},  {-1, "0h 0m 0.000s"},
                          {86399.96, "23h 59m 59.960s"}, {59.9999, "0h 1m 0.000s"}, {0.007, "0h 0m 0.007s"}};
    for (const Case &c : cases)
        EXPECT_EQ(CSequencePlayerDlg::DelayText(c.seconds), QLatin1String(c.text)) << c.seconds;
    MakeView(7.011, {{"SDLY?", "30.05"}});
    view->OpenSequencePlayer(QString(), true);
    EXPECT_EQ(Control<QLabel>(IDC_DELAY_TEXT)->text(), QStringLiteral("0h 0m 30.050s"));
}

TEST_F(SequencePlayerTest, FirmwareBeforeThreeHasNoReadOuts)
{
    MakeView(2.9);
    view->OpenSequencePlayer(QString(), true);
    EXPECT_EQ(Control<QLabel>(IDC_DELAY_TEXT)->text(), QStringLiteral("Not Avail."));
    EXPECT_EQ(Control<QLineEdit>(IDC_STEP_EDIT)->text(), QString());
    EXPECT_TRUE(Sent("SDLY?").empty());
    EXPECT_TRUE(Sent("NSTP?").empty());
}

TEST_F(SequencePlayerTest, ALoadTheGeneratorDoesNotTakeIsUnloadedAgain)
{
    MakeView(7.011, {{"SEQU?", ""}}); // nothing is in use after the load
    const CGeneratorState before = view->GetState();
    prompter.ExpectMessage(PromptMatch::Text(QStringLiteral("Unable to load the sequence \"Gone\"")).AndCaption("Generator Error"),
                           IDOK, MB_OK | MB_ICONEXCLAMATION);
    const size_t from = port.commands.size();
    view->OpenSequencePlayer(QStringLiteral("Gone"), false);
    EXPECT_EQ(Sent("SEQL", from), (std::vector<std::string>{"SEQL Gone", "SEQL ", "SEQL "}));
    EXPECT_EQ(Sent("SMOD ", from), (std::vector<std::string>{"SMOD 1", "SMOD 0"}));
    // Out of sequence mode, then the settings from before put back.
    EXPECT_TRUE(SentInOrder({"SMOD 0", "SEQL ", "SEQU;*OPC?", "IMGL ", "FMTL \"VGA_m4\"", "SEQL ", "ALLU;*OPC?"}, from));
    EXPECT_EQ(view->GetState().format, before.format);
    EXPECT_FALSE(Player()->isVisible());
    EXPECT_FALSE(DataPaneLocked());
    EXPECT_FALSE(view->IsPlaying());
}

TEST_F(SequencePlayerTest, LoadLocksThePaneAndUnloadPutsTheSettingsBack)
{
    MakeView(7.011);
    const size_t from = port.commands.size();
    view->OpenSequencePlayer(QStringLiteral("NewSeq"), false);
    EXPECT_EQ(Sent("SEQL", from), (std::vector<std::string>{"SEQL NewSeq"}));
    EXPECT_EQ(Sent("STEP ", from), (std::vector<std::string>{"STEP 1"}));
    EXPECT_TRUE(DataPaneLocked());
    EXPECT_TRUE(view->IsPlaying());
    EXPECT_FALSE(Control<QPushButton>(IDC_STOP)->isEnabled());
    EXPECT_EQ(view->GetState().format, QStringLiteral("DMT1075")); // read while it plays
    const size_t unload = port.commands.size();
    QTest::mouseClick(Control<QPushButton>(IDC_UNLOAD), Qt::LeftButton);
    EXPECT_EQ(Sent("SMOD ", unload), (std::vector<std::string>{"SMOD 0"}));
    EXPECT_TRUE(SentInOrder({"SMOD 0", "SEQL ", "SEQU;*OPC?", "IMGL ", "FMTL \"VGA_m4\"", "SEQL ", "ALLU;*OPC?"}, unload));
    EXPECT_EQ(view->GetState().format, QStringLiteral("VGA_m4"));
    EXPECT_FALSE(DataPaneLocked());
    EXPECT_FALSE(view->IsPlaying());
    EXPECT_FALSE(Player()->isVisible());
}

TEST_F(SequencePlayerTest, ABusyViewOrAClosedWindowUnloads)
{
    for (bool busy : {true, false}) {
        SCOPED_TRACE(busy ? "busy" : "closed");
        MakeView(7.011);
        view->OpenSequencePlayer(QStringLiteral("NewSeq"), false);
        const size_t from = port.commands.size();
        if (busy)
            view->SetBusy(true);
        else
            Player()->close();
        EXPECT_EQ(Sent("SMOD ", from), (std::vector<std::string>{"SMOD 0"}));
        EXPECT_FALSE(view->IsPlaying());
        EXPECT_FALSE(Player()->isVisible());
        delete view;
        view = nullptr;
    }
}

TEST_F(SequencePlayerTest, TheKnobWaitsASecondOnThePortsClock)
{
    MakeView(7.011);
    view->OpenSequencePlayer(QString(), true);
    const int64_t before = port.now;
    QTest::mouseClick(Control<QPushButton>(IDC_NEXT), Qt::LeftButton);
    EXPECT_EQ(port.now - before, 1000);
    QTest::mouseClick(Control<QPushButton>(IDC_PREV), Qt::LeftButton);
    EXPECT_EQ(port.now - before, 2000);
    EXPECT_EQ(Sent("KNOB"), (std::vector<std::string>{"KNOB 2 1", "KNOB 2 -1"}));
}

TEST_F(SequencePlayerTest, PlayStopAndRewind)
{
    MakeView(7.011);
    view->OpenSequencePlayer(QString(), true);
    const size_t from = port.commands.size();
    QTest::mouseClick(Control<QPushButton>(IDC_PLAY), Qt::LeftButton);
    EXPECT_TRUE(Player()->IsPlaying());
    EXPECT_TRUE(Control<QPushButton>(IDC_STOP)->isEnabled());
    const size_t rewind = port.commands.size();
    QTest::mouseClick(Control<QPushButton>(IDC_REWIND), Qt::LeftButton);
    // Playing, a rewind restarts from step 1 and leaves the read-outs alone.
    EXPECT_EQ(Sent("SMOD ", rewind), (std::vector<std::string>{"SMOD 1", "SMOD 3"}));
    EXPECT_TRUE(Sent("SDLY?", rewind).empty());
    EXPECT_EQ(Control<QLabel>(IDC_DELAY_TEXT)->text(), QStringLiteral(" "));
    QTest::mouseClick(Control<QPushButton>(IDC_STOP), Qt::LeftButton);
    EXPECT_FALSE(Player()->IsPlaying());
    EXPECT_EQ(Sent("SMOD ", from), (std::vector<std::string>{"SMOD 3", "SMOD 1", "SMOD 3", "SMOD 1", "SMOD 1"}));
    EXPECT_EQ(Control<QLabel>(IDC_DELAY_TEXT)->text(), QStringLiteral("0h 0m 5.000s"));
    EXPECT_FALSE(Control<QPushButton>(IDC_STOP)->isEnabled());
}

TEST_F(SequencePlayerTest, ScreenshotOfThePlayer)
{
    MakeView(7.011, {{"SMOD?", "2"}, {"DNUM?", "1"}});
    view->OpenSequencePlayer(QString(), true);
    QCoreApplication::processEvents();
    SaveScreenshot(*Player(), QStringLiteral("sequence_player"));
    EXPECT_TRUE(Player()->isVisible());
}

} // namespace

// The command terminal against the simulated generators: what the console
// shows for each kind of reply on every port type, the lines it refuses to
// send, its cap, the history of lines sent and a lost link.

#include "CCmdTerminalDlg.h"
#include "CommandHistory.h"
#include "GeneratorSet.h"

#include "ScopedTimeScale.h"
#include "TestPorts.h"
#include "TestSupport.h"
#include "UserAction.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <string>
#include <vector>

namespace {

using Port = GeneratorSet::Port;

constexpr char kPrompt[] = "R:\\>";

class CmdTerminalTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        TerminalHistory().Clear();
    }

    // The console's lines from line first on.
    static QStringList Lines(const CCmdTerminalDlg &terminal, int first = 0)
    {
        QStringList lines;
        for (int row = first; row < terminal.Console()->count(); ++row)
            lines.append(terminal.Console()->item(row)->text());
        return lines;
    }

    // Typed and entered, as the user sends a line from the shown window.
    static void Type(CCmdTerminalDlg &terminal, const QString &line)
    {
        if (!terminal.isVisible())
            terminal.show();
        terminal.Edit()->setText(line);
        QTest::keyClick(terminal.Edit(), Qt::Key_Return);
    }

    void ExpectCommunicationError()
    {
        prompter.ExpectMessage(PromptMatch::Id(kCommandErrorId), IDOK, kWarningBox);
    }
};

// What the console shows of one raw reply ("\r\n" line ends, ">" prompt).
struct ReplyCase {
    const char *what;
    std::string raw;
    QStringList shown;     // between the echo's blank line and the closing one
    bool refused = false;  // the generator's refusal: its box comes first
};

TEST_F(CmdTerminalTest, RepliesBecomeConsoleLinesOnComIsaAndPci)
{
    const std::vector<ReplyCase> cases = {
        {"two lines", "A1\r\nB2\r\n>", {"A1", "B2"}},
        {"trailing blanks go", "A1   \t\r\n  B2  \r\n>", {"A1", "  B2"}},
        {"no CR LF before the prompt", "A1\r\nB2>", {"A1", "B2"}},
        {"an empty reply", "\r\n>", {}},
        {"Command invalid", "Command invalid\r\n>", {"*** Command invalid"}, true},
        {"Execution error", "Execution error: 2072\r\n>", {"*** Execution error: 2072"}, true},
    };
    GeneratorSet set;
    for (Port port : {Port::Com1, Port::Isa0, Port::Pci1}) {
        SCOPED_TRACE(GeneratorSet::Name(port));
        auto generator = set.Connect(prompter, port);
        ASSERT_NE(generator, nullptr);
        CCmdTerminalDlg terminal(nullptr, generator.get());
        for (const ReplyCase &c : cases) {
            SCOPED_TRACE(c.what);
            set.Simulated(port).faults().add(gensim::Fault::scriptedReply("TEST? 1", c.raw));
            if (c.refused)
                ExpectCommunicationError();
            const int before = terminal.Console()->count() - 1;
            Type(terminal, QStringLiteral("TEST? 1"));
            QStringList expected = {QStringLiteral("R:\\>TEST? 1"), QStringLiteral(" ")};
            expected << c.shown << QStringLiteral(" ") << QString::fromLatin1(kPrompt);
            EXPECT_EQ(Lines(terminal, before), expected);
            prompter.VerifyAllUsed();
        }
        // The edit keeps the line, selected, so typing replaces it.
        EXPECT_EQ(terminal.Edit()->text(), QStringLiteral("TEST? 1"));
        EXPECT_EQ(terminal.Edit()->selectedText(), QStringLiteral("TEST? 1"));
    }
}

// A reply that stops half-way: what came is shown, then why it ended.
TEST_F(CmdTerminalTest, AReplyThatStallsShowsWhatCameAndWhy)
{
    GeneratorSet set;
    for (Port port : {Port::Com1, Port::Pci1}) {
        SCOPED_TRACE(GeneratorSet::Name(port));
        auto generator = set.Connect(prompter, port);
        ASSERT_NE(generator, nullptr);
        CCmdTerminalDlg terminal(nullptr, generator.get());
        set.Simulated(port).faults().add(gensim::Fault::pauseBeforeChar(4, 3000));
        ExpectCommunicationError();
        {
            const ScopedTimeScale scale("0.05");
            Type(terminal, QStringLiteral("*IDN?"));
        }
        const QStringList lines = Lines(terminal);
        ASSERT_EQ(lines.size(), 6) << lines.join('|').toStdString();
        EXPECT_EQ(lines[2], QStringLiteral("Velt")); // four characters of the identity
        EXPECT_TRUE(lines[3].startsWith(QStringLiteral("*** "))) << lines[3].toStdString();
        EXPECT_GT(lines[3].size(), 4);
        prompter.VerifyAllUsed();
    }
}

// GPIB: one bus reply, its last line without a CR LF; a misspelt command is
// answered as text there.
TEST_F(CmdTerminalTest, GpibRepliesAndAMisspeltCommand)
{
    GeneratorSet set;
    auto generator = set.Connect(prompter, Port::Gpib5);
    ASSERT_NE(generator, nullptr);
    CCmdTerminalDlg terminal(nullptr, generator.get());
    Type(terminal, QStringLiteral("*IDN?"));
    const QStringList identity = Lines(terminal);
    ASSERT_EQ(identity.size(), 5);
    EXPECT_TRUE(identity[2].contains(QStringLiteral("VG-7000"))) << identity[2].toStdString();
    EXPECT_TRUE(identity[2].contains(QStringLiteral("100003"))) << identity[2].toStdString();

    Type(terminal, QStringLiteral("FMTX? 1"));
    EXPECT_EQ(Lines(terminal, 4), (QStringList{"R:\\>FMTX? 1", " ", "Command invalid", " ", "R:\\>"}));
}

TEST_F(CmdTerminalTest, ARealGeneratorAnswersTheDemoLinesOnEachPort)
{
    GeneratorSet set;
    for (Port port : {Port::Com1, Port::Isa0, Port::Pci1, Port::Gpib5}) {
        SCOPED_TRACE(GeneratorSet::Name(port));
        auto generator = set.Connect(prompter, port);
        ASSERT_NE(generator, nullptr);
        CCmdTerminalDlg terminal(nullptr, generator.get());
        Type(terminal, QStringLiteral("FMTQ? 1 450"));
        const QStringList formats = Lines(terminal, 2);
        EXPECT_TRUE(formats.size() > 3 && formats.contains(QStringLiteral("DMT1075"))) << formats.join('|').toStdString();
        if (port != Port::Gpib5) {
            ExpectCommunicationError();
            Type(terminal, QStringLiteral("FMTX 1"));
            EXPECT_EQ(Lines(terminal).mid(terminal.Console()->count() - 3),
                      (QStringList{"*** Command invalid", " ", "R:\\>"}));
            prompter.VerifyAllUsed();
        }
    }
}

// Lines the library would change or refuse are not sent: the console says
// why, the edit keeps them, the generator hears nothing.
TEST_F(CmdTerminalTest, UnsendableLinesStayOffTheLine)
{
    GeneratorSet set;
    auto generator = set.Connect(prompter, Port::Com1);
    ASSERT_NE(generator, nullptr);
    CCmdTerminalDlg terminal(nullptr, generator.get());
    const size_t mark = set.com->trace().lines().size();
    const QString control = QStringLiteral("*IDN?") + QChar(0x01);
    const QString accent = QStringLiteral("FMTL \u00e9t\u00e9");
    const QString tooLong(256, QLatin1Char('A'));
    const QString longest(255, QLatin1Char('B'));
    for (const QString &line : {control, accent, tooLong}) {
        terminal.Edit()->setText(line);
        terminal.OnSend();
        EXPECT_EQ(terminal.Edit()->text(), line);
        const QStringList lines = Lines(terminal);
        ASSERT_GE(lines.size(), 2);
        EXPECT_TRUE(lines[lines.size() - 2].startsWith(QStringLiteral("*** Not sent: "))) << lines.join('|').toStdString();
        EXPECT_EQ(lines.last(), QString::fromLatin1(kPrompt));
    }
    EXPECT_EQ(Lines(terminal).size(), 4);
    EXPECT_EQ(set.com->trace().lines().size(), mark);
    QString why;
    EXPECT_TRUE(CCmdTerminalDlg::IsCommandValid(longest, why));
    EXPECT_FALSE(CCmdTerminalDlg::IsCommandValid(tooLong, why));
    EXPECT_EQ(why, QStringLiteral("Not sent: the line has 256 characters; a command takes at most 255."));
    EXPECT_FALSE(CCmdTerminalDlg::IsCommandValid(accent, why));
    EXPECT_EQ(why, QStringLiteral("Not sent: character 6 of the line is not a printable character."));
}

// Past 3000 lines the oldest go, except the first: the first line sent.
TEST_F(CmdTerminalTest, TheConsoleKeepsItsFirstLineAndTheNewest)
{
    CGenerator closed(nullptr); // every line fails at once, without traffic
    CCmdTerminalDlg terminal(nullptr, &closed);
    for (int i = 0; i < 760; ++i) {
        terminal.Edit()->setText(QStringLiteral("LINE%1?").arg(i));
        terminal.OnSend();
    }
    const QStringList lines = Lines(terminal);
    ASSERT_EQ(lines.size(), CCmdTerminalDlg::kMaxConsoleLines);
    EXPECT_EQ(lines.first(), QStringLiteral("R:\\>LINE0?"));
    EXPECT_EQ(lines.last(), QString::fromLatin1(kPrompt));
    EXPECT_EQ(lines[lines.size() - 5], QStringLiteral("R:\\>LINE759?"));
    EXPECT_EQ(terminal.Console()->currentRow(), CCmdTerminalDlg::kMaxConsoleLines - 1);
}

// Up and Down walk the lines sent, in every terminal of the run.
TEST_F(CmdTerminalTest, UpAndDownRecallTheLinesSentProgramWide)
{
    CGenerator closed(nullptr);
    CCmdTerminalDlg first(nullptr, &closed);
    for (const char *line : {"HRES?", "VRES?", "VRES?"}) {
        first.Edit()->setText(QString::fromLatin1(line));
        first.OnSend();
    }
    CCmdTerminalDlg second(nullptr, &closed);
    QLineEdit &edit = *second.Edit();
    edit.setText(QStringLiteral("draft"));
    const auto press = [&](Qt::Key key) {
        QTest::keyClick(&edit, key);
        return edit.text();
    };
    EXPECT_EQ(press(Qt::Key_Up), QStringLiteral("VRES?"));
    EXPECT_EQ(press(Qt::Key_Up), QStringLiteral("HRES?"));
    EXPECT_EQ(press(Qt::Key_Up), QStringLiteral("HRES?"));
    EXPECT_EQ(press(Qt::Key_Down), QStringLiteral("VRES?"));
    EXPECT_EQ(press(Qt::Key_Down), QStringLiteral("draft"));
    EXPECT_EQ(press(Qt::Key_Down), QStringLiteral("draft"));

    for (int i = 0; i < CommandHistory::kMaxLines + 5; ++i)
        TerminalHistory().Add(QStringLiteral("L%1").arg(i));
    EXPECT_EQ(TerminalHistory().Count(), CommandHistory::kMaxLines);
    EXPECT_EQ(TerminalHistory().At(0), QStringLiteral("L5"));
}

TEST_F(CmdTerminalTest, SelectedConsoleLinesAreCopied)
{
    CGenerator closed(nullptr);
    CCmdTerminalDlg terminal(nullptr, &closed);
    terminal.Edit()->setText(QStringLiteral("HRES?"));
    terminal.OnSend();
    terminal.show();
    terminal.Console()->clearSelection();
    terminal.Console()->item(0)->setSelected(true);
    terminal.Console()->item(2)->setSelected(true);
    const QList<QAction *> actions = terminal.Console()->actions();
    ASSERT_EQ(actions.size(), 1);
    EXPECT_EQ(actions[0]->shortcut(), QKeySequence(QKeySequence::Copy));
    actions[0]->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("R:\\>HRES?\n") + Lines(terminal)[2]);
}

// The first line of a user action on a lost link asks to reconnect; No
// leaves the line unsent and the console says why, Yes sends it.
TEST_F(CmdTerminalTest, ALostLinkAsksOnceAndSaysWhyWhenDeclined)
{
    GeneratorSet set;
    auto generator = set.Connect(prompter, Port::Com1);
    ASSERT_NE(generator, nullptr);
    generator->SetModelName(QStringLiteral("VG-7000"));
    CCmdTerminalDlg terminal(nullptr, generator.get());
    set.com->faults().add(gensim::Fault::dropLink());
    ExpectCommunicationError();
    {
        const ScopedTimeScale scale("0.05");
        Type(terminal, QStringLiteral("*IDN?"));
    }
    prompter.VerifyAllUsed();
    ASSERT_TRUE(generator->IsLinkLost());

    const PromptMatch question = PromptMatch::Caption(QStringLiteral("Link Lost"));
    prompter.ExpectMessage(question, IDNO, MB_YESNO | MB_ICONQUESTION);
    const int before = terminal.Console()->count() - 1;
    Type(terminal, QStringLiteral("HRES?"));
    prompter.VerifyAllUsed();
    const QStringList declined = Lines(terminal, before);
    ASSERT_EQ(declined.size(), 5);
    EXPECT_TRUE(declined[2].startsWith(QStringLiteral("*** "))) << declined[2].toStdString();
    EXPECT_GT(declined[2].size(), 4);

    set.com->faults().clear();
    prompter.ExpectMessage(question, IDYES, MB_YESNO | MB_ICONQUESTION);
    const int again = terminal.Console()->count() - 1;
    Type(terminal, QStringLiteral("*IDN?"));
    prompter.VerifyAllUsed();
    const QStringList answered = Lines(terminal, again);
    ASSERT_EQ(answered.size(), 5);
    EXPECT_TRUE(answered[2].contains(QStringLiteral("100002"))) << answered[2].toStdString();
}

TEST_F(CmdTerminalTest, Screenshot)
{
    GeneratorSet set;
    auto generator = set.Connect(prompter, Port::Pci1);
    ASSERT_NE(generator, nullptr);
    CCmdTerminalDlg terminal(nullptr, generator.get());
    terminal.setWindowTitle(QStringLiteral("CMD Terminal: VG-7000 on Pci-1"));
    terminal.show();
    for (const char *line : {"*IDN?", "FMTQ? 1 6"})
        Type(terminal, QString::fromLatin1(line));
    ExpectCommunicationError();
    Type(terminal, QStringLiteral("FMTX 1"));
    terminal.resize(terminal.width() + 120, terminal.height() + 60);
    QCoreApplication::processEvents();
    EXPECT_EQ(terminal.SendButton()->y() + terminal.SendButton()->height(),
              terminal.height() - terminal.SendButton()->x());
    SaveScreenshot(terminal, QStringLiteral("cmd_terminal"));
}

} // namespace

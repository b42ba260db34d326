// The rule for names that go into command lines: where printable ends, and
// what the generator's own names may hold.
#include "CommandName.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandNameTest, RefusesOnlyWhatBreaksALine)
{
    struct Case {
        QString name;
        const char *problem; // nullptr: accepted
    };
    const Case cases[] = {
        {QStringLiteral("AT&T_SVC"), nullptr},
        {QStringLiteral("Focus_@6"), nullptr},
        {QStringLiteral("PAL 50, 2:1 (x) <~!#$%^*[]{}|\\/?'`>"), "a \">\""},
        {QStringLiteral("PAL 50, 2:1 (x) <~!#$%^*[]{}|\\/?'`"), nullptr},
        {QString(QChar(0x20)) + QChar(0xA0) + QChar(0xC4) + QChar(0xFF), nullptr}, // blank, no-break space, Latin-1 letters
        {QString(QChar(0x1F)), "the control character \\x1F"},
        {QString(QChar(0x7F)), "the control character \\x7F"},
        {QString(QChar(0x80)), "the control character \\x80"},
        {QString(QChar(0x9F)), "the control character \\x9F"},
        {QStringLiteral("A;B\"C"), "a semicolon"}, // the first one counts
        {QStringLiteral("A\"B;C"), "a double quote"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(PrintableName(c.name).toStdString());
        const QString problem = CommandNameProblem(c.name);
        if (!c.problem)
            EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();
        else
            EXPECT_EQ(problem, QStringLiteral("The name holds %1, which a command line cannot carry.")
                                   .arg(QLatin1String(c.problem)));
    }
}

TEST(CommandNameTest, PrintableNameShowsControlCharactersAsHex)
{
    EXPECT_EQ(PrintableName(QString(QLatin1String("A\r\n\0\x1b\x7f" "B", 7))), QStringLiteral("A\\x0D\\x0A\\x00\\x1B\\x7FB"));
    EXPECT_EQ(PrintableName(QStringLiteral("AT&T_SVC")), QStringLiteral("AT&T_SVC"));
}

} // namespace

#include "CNameEdit.h"
#include "TestSupport.h"
#include "TypeKeys.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>

namespace {

class CNameEditTest : public PlatformTest {
protected:
    CNameEdit edit;
};

TEST_F(CNameEditTest, TypedCharactersFollowTheNameRule)
{
    const struct {
        const char *start; // shown by the program
        const char *typed; // UTF-8
        const char *shown;
    } cases[] = {
        {"", "Abc_09", "Abc_09"},
        {"", "ABCDEFGHIJ", "ABCDEFGH"},    // a ninth character is refused
        {"", "a b-c.d", "abcd"},           // blank, hyphen, point
        {"", "Gr\xC3\xB6\xC3\x9F" "e", "Gre"}, // letters outside ASCII
        {"", "\xD0\x96z", "z"},
        {"ABCDEFGH", "x", "ABCDEFGH"},
        {"Format", "_1", "Format_1"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        edit.setText(QString::fromUtf8(c.start));
        edit.end(false);
        Type(&edit, QString::fromUtf8(c.typed));
        EXPECT_EQ(edit.text(), QString::fromUtf8(c.shown));
    }
}

TEST_F(CNameEditTest, PastedTextFollowsTheSameRule)
{
    const struct {
        const char *start;
        const char *pasted;
        const char *shown;
    } cases[] = {
        {"", "NAME_1", "NAME_1"},
        {"ABCD", "EFGH", "ABCDEFGH"},
        {"ABCD", "EFGHI", "ABCD"},    // would make nine: refused whole
        {"", "ab-cd", ""},
        {"", "ab cd", ""},
        {"", "\xC3\x84pfel", ""},
        {"", "ABCDEFGHI", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.pasted);
        edit.setText(QString::fromUtf8(c.start));
        edit.end(false);
        QApplication::clipboard()->setText(QString::fromUtf8(c.pasted));
        edit.paste();
        EXPECT_EQ(edit.text(), QString::fromUtf8(c.shown));
        // Every other way text is inserted goes the same road.
        edit.setText(QString::fromUtf8(c.start));
        edit.end(false);
        edit.insert(QString::fromUtf8(c.pasted));
        EXPECT_EQ(edit.text(), QString::fromUtf8(c.shown));
    }
}

TEST_F(CNameEditTest, ReplacingTheSelectionMayKeepTheLength)
{
    edit.setText(QStringLiteral("ABCDEFGH"));
    edit.setSelection(2, 3);
    Type(&edit, QStringLiteral("x"));
    EXPECT_EQ(edit.text(), QStringLiteral("ABxFGH"));
}

TEST_F(CNameEditTest, ANameThatBreaksTheRuleCanStillBeCorrected)
{
    edit.setText(QStringLiteral("Long-Name10"));
    edit.end(false);
    Type(&edit, QStringLiteral("x"));
    EXPECT_EQ(edit.text(), QStringLiteral("Long-Name10")) << "the program's text unlocked the filter";
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), QStringLiteral("Long-Name1"));
    Type(&edit, QStringLiteral("x-"));
    EXPECT_EQ(edit.text(), QStringLiteral("Long-Name1")) << "a refused character got in";
    EXPECT_FALSE(edit.hasAcceptableInput());
    edit.setSelection(4, 6);
    QTest::keyClick(&edit, Qt::Key_Delete);
    EXPECT_EQ(edit.text(), QStringLiteral("Long"));
    EXPECT_TRUE(edit.hasAcceptableInput());
}

TEST_F(CNameEditTest, AcceptableNames)
{
    const struct {
        const char *name;
        bool valid;
    } cases[] = {
        {"A", true},       {"abcdefgh", true}, {"_09azAZ_", true}, {"", false},
        {"abcdefghi", false}, {"a b", false},  {"a-b", false},     {"\xC3\xA9t\xC3\xA9", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CNameEdit::IsValidName(QString::fromUtf8(c.name)), c.valid) << c.name;
}

TEST_F(CNameEditTest, YellowOnBlack)
{
    EXPECT_EQ(edit.palette().color(QPalette::Text), QColor(255, 255, 0));
    EXPECT_EQ(edit.palette().color(QPalette::Base), QColor(0, 0, 0));
}

} // namespace

#include "StringTable.h"

#include <gtest/gtest.h>

namespace {

struct FormatCase {
    const char *text;
    QStringList inserts;
    const char *expected;
};

TEST(FormatText, ExpandsInsertsAndEscapes)
{
    const std::vector<FormatCase> cases = {
        {"The data \"%1!s!\" has been modified.%nDo you wish to save?", {"FMT1"},
         "The data \"FMT1\" has been modified.\nDo you wish to save?"},
        {"Unable to open the file:%n%n%1!s!", {"/tmp/a b.fmt"}, "Unable to open the file:\n\n/tmp/a b.fmt"},
        {"The image scale (%1!d!x%2!d!) does not match the current format scale (%3!d!x%4!d!)!%nContinue anyway?",
         {"640", "480", "800", "600"},
         "The image scale (640x480) does not match the current format scale (800x600)!\nContinue anyway?"},
        {"Command: \"%1\"%n%2", {"HRES 640", "Time-out"}, "Command: \"HRES 640\"\nTime-out"},
        // inserts out of order and repeated
        {"%2 then %1 and %2", {"a", "b"}, "b then a and b"},
        // "% " is a forced space
        {"Sending: \"%1\"%  (%2!d! bytes)", {"f.bin", "12"}, "Sending: \"f.bin\"  (12 bytes)"},
        {"100%% done%.", {}, "100% done."},
        {"tab%tend%0 ignored", {}, "tab\tend"},
        // an insert's own text is not expanded again
        {"%1", {"%2%n"}, "%2%n"},
        // two-digit insert numbers
        {"%10-%1", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "ten"}, "ten-1"},
        // missing inserts expand to nothing; unknown escapes and a lone % stay
        {"[%3]%q%", {"a"}, "[]%q%"},
        // an unclosed form marker is kept as text
        {"%1!d", {"7"}, "7!d"},
        {"Copy the \" %1 \" \"%2\"?", {"Format", "F_1"}, "Copy the \" Format \" \"F_1\"?"},
        {"Grüße %1", {"ä"}, "Grüße ä"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormatText(QString::fromUtf8(c.text), c.inserts), QString::fromUtf8(c.expected)) << c.text;
}

TEST(StringTable, LoadsRowsAndGivesEmptyForUnknownIds)
{
    EXPECT_EQ(LoadString(IDS_APP_TITLE), QStringLiteral("Zotware"));
    EXPECT_EQ(LoadString(0xE000), QStringLiteral("Zotware"));
    EXPECT_TRUE(LoadString(0).isEmpty());
    EXPECT_TRUE(LoadString(0xFFFFFFFFu).isEmpty());
    EXPECT_EQ(FormatString(IDS_APP_TITLE, {"x"}), QStringLiteral("Zotware"));
}

TEST(StringTable, NoTwoSubsystemsClaimTheSameId)
{
    EXPECT_TRUE(DuplicateStringIds().isEmpty()) << "first duplicate id: "
                                                << (DuplicateStringIds().isEmpty() ? 0 : DuplicateStringIds().first());
}

} // namespace

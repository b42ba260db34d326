#include "CCommandReader.h"

#include <cfloat>
#include <climits>
#include <clocale>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

std::vector<std::string> AllTokens(const QString& line)
{
    CCommandReader reader;
    reader.SetText(line);
    std::vector<std::string> tokens;
    QString token;
    while (reader.NextToken(token))
        tokens.push_back(token.toStdString());
    EXPECT_TRUE(token.isEmpty()) << "a failed read leaves the token empty";
    return tokens;
}

// ---------------------------------------------------------------- tokens

struct TokenCase {
    const char* name;
    QString line;
    std::vector<std::string> tokens;
};

TEST(CCommandReaderTest, SplitsTokensAtBlanksCommasAndLineEnds)
{
    const std::string a255(255, 'A');
    const std::vector<TokenCase> cases = {
        {"blank comma blank", "FMTL , abc", {"FMTL", "abc"}},
        {"runs of separators", "  HRES,,640\r\n VRES ", {"HRES", "640", "VRES"}},
        {"CR and LF alone", "a\rb\nc", {"a", "b", "c"}},
        {"tab is no separator", "a\tb c", {"a\tb", "c"}},
        {"quote is no separator", "NAME \"A B\"", {"NAME", "\"A", "B\""}},
        {"separators only", " ,\r\n, ", {}},
        {"empty line", "", {}},
        {"255 characters kept whole", QString(255, u'A') + " X", {a255, "X"}},
        {"256 characters lose the last", QString(255, u'A') + "B X", {a255, "X"}},
        {"long token at the end", QString(300, u'A'), {a255}},
    };
    for (const TokenCase& c : cases)
        EXPECT_EQ(AllTokens(c.line), c.tokens) << c.name;
}

TEST(CCommandReaderTest, SetTextDropsTheRestOfThePreviousLine)
{
    CCommandReader reader;
    QString token;
    reader.SetText("ONE TWO");
    ASSERT_TRUE(reader.NextToken(token));
    reader.SetText("THREE");
    ASSERT_TRUE(reader.NextToken(token));
    EXPECT_EQ(token, "THREE");
    EXPECT_FALSE(reader.NextToken(token));
}

// ---------------------------------------------------------------- mnemonics

struct MnemonicCase {
    int index;
    const char* text;
};

// Written from the command table; the readers dispatch on these numbers.
const std::vector<MnemonicCase> kKnownMnemonics = {
    {0, "*TRG"},   {8, "RECT"},   {9, "OVAL"},   {10, "LINE"},  {11, "ADOT"},
    {14, "MMAP"},  {21, "TOBL"},  {28, "TEXT"},  {38, "SNUM"},  {49, "SEQU"},
    {50, "STEP"},  {56, "SEQN"},  {65, "NAME"},  {66, "HRAT"},  {67, "HRES"},
    {100, "ASSG"}, {121, "SSST"}, {123, "OUTG"}, {139, "FMTL"}, {148, "IMGE"},
    {153, "IMGL"}, {156, "IVER"}, {163, "NAMI"}, {182, "*IDN"}, {190, "*OPC"},
    {261, "*DDT"}, {278, "ALIQ"},
};

TEST(CCommandReaderTest, MnemonicsSitAtTheirIndexes)
{
    EXPECT_EQ(CCommandReader::kMnemonicCount, 279);
    for (const MnemonicCase& c : kKnownMnemonics) {
        ASSERT_NE(CCommandReader::MnemonicText(c.index), nullptr) << c.index;
        EXPECT_STREQ(CCommandReader::MnemonicText(c.index), c.text) << c.index;
        CCommandReader reader;
        reader.SetText(c.text);
        EXPECT_EQ(reader.NextMnemonic(), c.index) << c.text;
    }
    EXPECT_EQ(CCommandReader::MnemonicText(-1), nullptr);
    EXPECT_EQ(CCommandReader::MnemonicText(279), nullptr);
}

TEST(CCommandReaderTest, EveryMnemonicIsFoundAtItsOwnIndex)
{
    // A duplicate entry would be found at the earlier index.
    for (int i = 0; i < CCommandReader::kMnemonicCount; ++i) {
        const char* text = CCommandReader::MnemonicText(i);
        ASSERT_NE(text, nullptr) << i;
        EXPECT_EQ(std::strlen(text), 4u) << i;
        EXPECT_EQ(CCommandReader::MnemonicIndex(QString::fromLatin1(text)), i) << text;
    }
}

struct NextMnemonicCase {
    const char* name;
    QString line;
    int index;
    std::string after; // the token that follows, "" when none
};

TEST(CCommandReaderTest, NextMnemonicSkipsUnknownTokens)
{
    const std::vector<NextMnemonicCase> cases = {
        {"mnemonic then argument", "FMTL , abc", 139, "abc"},
        {"lower case", "fmtl , abc", 139, "abc"},
        {"mixed case", "ReCt 1", 8, "1"},
        {"unknown word and numbers first", "WXYZ 1 2 HRES 640", 67, "640"},
        {"common command lower case", "*idn", 182, ""},
        {"query form is no mnemonic", "FMTL? x", -1, ""},
        {"query then plain", "FMTL? FMTL x", 139, "x"},
        {"five letters", "RECTX RECT", 8, ""},
        {"leading blank", " STEP 3", 50, "3"},
        {"non-ASCII letter that folds to s", QString::fromUtf8("\u017FTEP"), -1, ""},
        {"separators only", " , \r\n", -1, ""},
        {"empty", "", -1, ""},
    };
    for (const NextMnemonicCase& c : cases) {
        CCommandReader reader;
        reader.SetText(c.line);
        EXPECT_EQ(reader.NextMnemonic(), c.index) << c.name;
        QString token;
        reader.NextToken(token);
        EXPECT_EQ(token.toStdString(), c.after) << c.name;
    }
}

// ---------------------------------------------------------------- numbers

struct IntCase {
    const char* token;
    int value;
};

TEST(CCommandReaderTest, NextIntReadsTheLeadingDecimalNumber)
{
    const std::vector<IntCase> cases = {
        {"640", 640},
        {"-12", -12},
        {"+7", 7},
        {"007", 7},
        {"12abc", 12},
        {"1.9", 1},
        {"1e3", 1},
        {"abc", 0},
        {"-", 0},
        {"+-5", 0},
        {"--5", 0},
        {"0x1F", 0},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"2147483648", INT_MAX},
        {"-2147483649", INT_MIN},
        {"99999999999999999999999", INT_MAX},
        {"-99999999999999999999999x", INT_MIN},
    };
    for (const IntCase& c : cases) {
        CCommandReader reader;
        reader.SetText(QString(" ") + c.token + ",9");
        int value = -777;
        EXPECT_TRUE(reader.NextInt(value)) << c.token;
        EXPECT_EQ(value, c.value) << c.token;
        ASSERT_TRUE(reader.NextInt(value)) << "the next token after " << c.token;
        EXPECT_EQ(value, 9);
    }
}

struct DoubleCase {
    const char* token;
    double value;
};

TEST(CCommandReaderTest, NextDoubleReadsTheLeadingDecimalNumber)
{
    const std::vector<DoubleCase> cases = {
        {"7.03", 7.03},
        {"31469.0000", 31469.0},
        {"-0.5", -0.5},
        {"+2.5", 2.5},
        {".5", 0.5},
        {"-.25", -0.25},
        {"5.", 5.0},
        {"1e3", 1000.0},
        {"1.5E-2", 0.015},
        {"12abc", 12.0},
        {"7,03", 7.0}, // the comma ends the token
        {"abc", 0.0},
        {".", 0.0},
        {"-", 0.0},
        {"+-1", 0.0},
        {"inf", 0.0},
        {"-inf", 0.0},
        {"INFINITY", 0.0},
        {"nan", 0.0},
        {"NaN", 0.0},
        {"0x10", 0.0},
        {"1e999", DBL_MAX},
        {"-1e999", -DBL_MAX},
        {"1e-999", 0.0},
    };
    for (const DoubleCase& c : cases) {
        CCommandReader reader;
        reader.SetText(QString(" ") + c.token);
        double value = -777.0;
        EXPECT_TRUE(reader.NextDouble(value)) << c.token;
        EXPECT_DOUBLE_EQ(value, c.value) << c.token;
    }
}

// A desktop with a comma decimal separator must still read a point.
TEST(CCommandReaderTest, NextDoubleIgnoresTheLocale)
{
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    const char* found = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8"}) {
        if ((found = std::setlocale(LC_NUMERIC, name)))
            break;
    }
    if (!found)
        GTEST_SKIP() << "no comma-decimal locale installed";
    CCommandReader reader;
    reader.SetText("HRAT 7.03 1.5e1");
    double first = 0, second = 0;
    EXPECT_EQ(reader.NextMnemonic(), 66);
    EXPECT_TRUE(reader.NextDouble(first));
    EXPECT_TRUE(reader.NextDouble(second));
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_DOUBLE_EQ(first, 7.03);
    EXPECT_DOUBLE_EQ(second, 15.0);
}

// ---------------------------------------------------------------- quoted text

struct QuotedCase {
    const char* name;
    QString line;
    bool ok;
    std::string text;
    std::string after; // the token that follows, "" when none
};

TEST(CCommandReaderTest, NextQuotedStringReadsBetweenQuotes)
{
    const std::vector<QuotedCase> cases = {
        {"inner blank kept", " \"A B\"", true, "A B", ""},
        {"argument follows", " \"A B\" 12", true, "A B", "12"},
        {"separators inside kept", " \"a,b\r\nc\" x", true, "a,b\r\nc", "x"},
        {"empty quotes", " \"\" x", true, "", "x"},
        {"text before the quote dropped", "NAME junk \"q\" y", true, "q", "y"},
        {"quote first", "\"X\"Y", true, "X", "Y"},
        {"unclosed runs to the end", " \"abc def", true, "abc def", ""},
        {"no quote consumes the line", " abc def", false, "", ""},
        {"separators only", " , ", false, "", ""},
        {"empty line", "", false, "", ""},
    };
    for (const QuotedCase& c : cases) {
        CCommandReader reader;
        reader.SetText(c.line);
        QString text = "stale";
        EXPECT_EQ(reader.NextQuotedString(text), c.ok) << c.name;
        EXPECT_EQ(text.toStdString(), c.text) << c.name;
        QString token;
        reader.NextToken(token);
        EXPECT_EQ(token.toStdString(), c.after) << c.name;
    }
}

TEST(CCommandReaderTest, QuotedNameAfterItsMnemonic)
{
    CCommandReader reader;
    reader.SetText("NAME \"A B\"");
    EXPECT_EQ(reader.NextMnemonic(), 65);
    QString text;
    EXPECT_TRUE(reader.NextQuotedString(text));
    EXPECT_EQ(text, "A B");
}

// ---------------------------------------------------------------- flags

struct FlagsCase {
    const char* line;
    bool ok;
    bool a, b, c;
};

TEST(CCommandReaderTest, NextFlagsReadsThreeZeroOrOneTokens)
{
    const std::vector<FlagsCase> cases = {
        {"1 0 1", true, true, false, true},
        {"1,0,1", true, true, false, true},
        {"0 0 0", true, false, false, false},
        {"1 1 1 9", true, true, true, true},
        {"1 2 1", false, true, false, false},
        {"1 1", false, true, true, false},
        {"10 1 1", false, false, false, false},
        {"x 1 1", false, false, false, false},
        {"", false, false, false, false},
    };
    for (const FlagsCase& c : cases) {
        CCommandReader reader;
        reader.SetText(c.line);
        bool a = true, b = true, cc = true;
        EXPECT_EQ(reader.NextFlags(a, b, cc), c.ok) << c.line;
        EXPECT_EQ(a, c.a) << c.line;
        EXPECT_EQ(b, c.b) << c.line;
        EXPECT_EQ(cc, c.c) << c.line;
    }
}

// ---------------------------------------------------------------- end of text

TEST(CCommandReaderTest, EveryReadFailsAtTheEnd)
{
    CCommandReader reader;
    reader.SetText("RECT 1 ,\r\n");
    ASSERT_EQ(reader.NextMnemonic(), 8);
    int number = 1;
    ASSERT_TRUE(reader.NextInt(number));

    QString token = "stale";
    EXPECT_FALSE(reader.NextToken(token));
    EXPECT_TRUE(token.isEmpty());
    EXPECT_EQ(reader.NextMnemonic(), -1);
    number = 42;
    EXPECT_FALSE(reader.NextInt(number));
    EXPECT_EQ(number, 42);
    double real = 42.0;
    EXPECT_FALSE(reader.NextDouble(real));
    EXPECT_EQ(real, 0.0);
    QString text = "stale";
    EXPECT_FALSE(reader.NextQuotedString(text));
    EXPECT_TRUE(text.isEmpty());
    bool a = true, b = true, c = true;
    EXPECT_FALSE(reader.NextFlags(a, b, c));
    EXPECT_FALSE(a || b || c);
}

TEST(CCommandReaderTest, FreshReaderHasNothingToRead)
{
    CCommandReader reader;
    QString token;
    EXPECT_FALSE(reader.NextToken(token));
    EXPECT_EQ(reader.NextMnemonic(), -1);
}

} // namespace

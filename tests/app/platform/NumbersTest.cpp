#include "Numbers.h"
#include "TestSupport.h"

#include <QLocale>

#include <clocale>
#include <cstdio>
#include <locale>

namespace {

struct FormatCase {
    double value;
    int digits;
    const char *fixed;
    const char *general;
};

void CheckFormats()
{
    const std::vector<FormatCase> cases = {
        {31469.0, 4, "31469.0000", "3.147e+04"},
        {25175000.0, 0, "25175000", "3e+07"},
        {59.94047619, 3, "59.940", "59.9"},
        {-0.5, 1, "-0.5", "-0.5"},
        {0.0001, 6, "0.000100", "0.0001"},
        {0.00001, 2, "0.00", "1e-05"},
        {2.5, 0, "2", "2"},    // halves go to even, as printf
        {1.0 / 3.0, 8, "0.33333333", "0.33333333"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(FormatFixed(c.value, c.digits), QString::fromLatin1(c.fixed)) << c.value;
        EXPECT_EQ(FormatGeneral(c.value, c.digits == 0 ? 1 : c.digits), QString::fromLatin1(c.general)) << c.value;
    }
    EXPECT_EQ(FormatExponent(1234.5, 2), QStringLiteral("1.23e+03"));
    EXPECT_EQ(FormatInt(-2147483648LL), QStringLiteral("-2147483648"));
}

struct ParseCase {
    const char *text;
    std::optional<double> value;
};

void CheckParsing()
{
    const std::vector<ParseCase> cases = {
        {"31469.0000", 31469.0}, {"-12.5", -12.5}, {"+7", 7.0}, {"1e3", 1000.0}, {".5", 0.5},
        {"31469,0000", std::nullopt}, {" 1", std::nullopt}, {"1 ", std::nullopt}, {"", std::nullopt},
        {"+-1", std::nullopt}, {"1.2.3", std::nullopt}, {"nan", std::nullopt}, {"inf", std::nullopt},
        {"1e999", std::nullopt}, {"0x10", std::nullopt}, {"12abc", std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ParseDouble(QString::fromLatin1(c.text)), c.value) << c.text;
    EXPECT_EQ(ParseInt(u"2400"), 2400);
    EXPECT_EQ(ParseInt(u"-30"), -30);
    EXPECT_EQ(ParseInt(u"+30"), 30);
    EXPECT_EQ(ParseInt(u"9223372036854775807"), 9223372036854775807LL);
    EXPECT_EQ(ParseInt(u"9223372036854775808"), std::nullopt);
    EXPECT_EQ(ParseInt(u"12.0"), std::nullopt);
    EXPECT_EQ(ParseInt(u"\u0661"), std::nullopt); // an Arabic-Indic one
}

class NumbersTest : public PlatformTest {};

TEST_F(NumbersTest, FormsAndParsesWithoutLocale)
{
    CheckFormats();
    CheckParsing();
}

TEST_F(NumbersTest, AGermanDesktopChangesNothing)
{
    const QLocale savedQt;
    const std::locale savedStd;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    std::locale::global(std::locale::classic());
    const bool cGerman = std::setlocale(LC_ALL, "de_DE.UTF-8") || std::setlocale(LC_ALL, "de_DE.utf8");
    if (cGerman) {
        char printed[32];
        std::snprintf(printed, sizeof printed, "%.1f", 1.5);
        EXPECT_STREQ(printed, "1,5") << "the German locale has a comma";
    }
    CheckFormats();
    CheckParsing();
    // The program's start-up puts the C library back to the point.
    SetNumericLocale();
    char printed[32];
    std::snprintf(printed, sizeof printed, "%.4f", 31469.0);
    EXPECT_STREQ(printed, "31469.0000");
    std::setlocale(LC_ALL, "C");
    QLocale::setDefault(savedQt);
    std::locale::global(savedStd);
    if (!cGerman)
        GTEST_SKIP() << "no German C locale here; only Qt's and C++'s locales were changed";
}

} // namespace

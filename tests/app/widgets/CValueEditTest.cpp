#include "CValueEdit.h"
#include "TestSupport.h"
#include "TypeKeys.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QLocale>
#include <QTest>

#include <climits>
#include <clocale>
#include <string>

namespace {

void LoseFocus(QWidget *widget)
{
    QFocusEvent event(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(widget, &event);
}

class CValueEditTest : public PlatformTest {
protected:
    CValueEdit edit;
};

TEST_F(CValueEditTest, OnlyDigitsSignsAndThePointMayBeEntered)
{
    const struct {
        bool integerOnly;
        bool readOnly;
        const char *input; // UTF-8
        const char *typed; // what typing leaves
        const char *pasted;
    } cases[] = {
        {false, false, "-12.5", "-12.5", "-12.5"},
        {false, false, "+3", "+3", "+3"},
        {false, false, "1,5", "15", ""},        // a comma is no decimal sign here
        {false, false, "1e5", "15", ""},
        {false, false, " 7", "7", ""},
        {false, false, "\xD9\xA3", "", ""},     // a digit of another script
        {true, false, "12.5", "125", ""},
        {true, false, "-40", "-40", "-40"},
        {false, true, "123", "", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.input);
        edit.m_integerOnly = c.integerOnly;
        edit.m_readOnly = c.readOnly;
        edit.clear();
        Type(&edit, QString::fromUtf8(c.input));
        EXPECT_EQ(edit.text(), QString::fromUtf8(c.typed));
        edit.clear();
        QApplication::clipboard()->setText(QString::fromUtf8(c.input));
        edit.paste();
        EXPECT_EQ(edit.text(), QString::fromUtf8(c.pasted));
    }
}

TEST_F(CValueEditTest, ReadOnlyRefusesDeletingToo)
{
    edit.m_readOnly = true;
    edit.SetInt(42);
    edit.end(false);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_Delete);
    EXPECT_EQ(edit.text(), QStringLiteral("42"));
    edit.SetInt(7); // the program may still show values
    EXPECT_EQ(edit.text(), QStringLiteral("7"));
}

TEST_F(CValueEditTest, AModifiedIntegerIsClampedToItsRangeWhenFocusLeaves)
{
    const struct {
        bool integerOnly;
        bool rangeCheck;
        const char *typed;
        const char *shown;
    } cases[] = {
        {true, true, "250", "100"},
        {true, true, "0", "1"},
        {true, true, "-5", "1"},
        {true, true, "100", "100"},
        {true, true, "1", "1"},
        {true, true, "99999999999", "100"}, // beyond int: the upper limit
        {true, false, "250", "250"},
        {false, true, "250", "250"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        edit.m_integerOnly = c.integerOnly;
        edit.m_rangeCheck = c.rangeCheck;
        edit.m_minimum = 1;
        edit.m_maximum = 100;
        edit.clear();
        Type(&edit, QString::fromLatin1(c.typed));
        LoseFocus(&edit);
        EXPECT_EQ(edit.text(), QString::fromLatin1(c.shown));
    }
}

TEST_F(CValueEditTest, AnUnmodifiedValueIsLeftAsTheProgramSetIt)
{
    edit.m_integerOnly = true;
    edit.m_rangeCheck = true;
    edit.m_minimum = 1;
    edit.m_maximum = 100;
    edit.SetInt(250);
    LoseFocus(&edit);
    EXPECT_EQ(edit.text(), QStringLiteral("250"));
}

// A German desktop must not change how numbers are shown or read.
class CValueEditLocaleTest : public CValueEditTest {
protected:
    void SetUp() override
    {
        CValueEditTest::SetUp();
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        m_previous = std::setlocale(LC_NUMERIC, nullptr);
        std::setlocale(LC_NUMERIC, "de_DE.UTF-8"); // may be missing; the Qt default is set anyway
    }
    void TearDown() override
    {
        std::setlocale(LC_NUMERIC, m_previous.c_str());
        QLocale::setDefault(QLocale::c());
        CValueEditTest::TearDown();
    }

private:
    std::string m_previous;
};

TEST_F(CValueEditLocaleTest, ValuesAreWrittenWithAPoint)
{
    const struct {
        double value;
        int decimals;
        const char *shown;
    } cases[] = {
        {2.5, 3, "2.500"},        {-1234.5678, 2, "-1234.57"}, {31469.0, 4, "31469.0000"},
        {0.25, 0, "0"},           {1.0, -1, "1.000000"},       {1e6, 1, "1000000.0"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.shown);
        edit.m_decimals = c.decimals;
        edit.SetReal(c.value);
        EXPECT_EQ(edit.text(), QString::fromLatin1(c.shown));
        EXPECT_EQ(edit.selectedText(), edit.text());
    }
    for (int value : {0, -42, 1234567, INT_MIN}) {
        edit.SetInt(value);
        EXPECT_EQ(edit.text(), QString::number(value));
        EXPECT_EQ(edit.selectedText(), edit.text());
    }
}

TEST_F(CValueEditLocaleTest, TextIsReadAsTheCLibraryReadsIt)
{
    const struct {
        const char *text;
        double real;
        int integer;
    } cases[] = {
        {"2.5", 2.5, 2},     {"2,5", 2.0, 2},      {"", 0.0, 0},           {"-.5", -0.5, 0},
        {"+3.25", 3.25, 3},  {" 7x", 7.0, 7},      {"1.5.3", 1.5, 1},      {"+-3", 0.0, 0},
        {"--3", 0.0, 0},     {"abc", 0.0, 0},      {"99999999999", 99999999999.0, INT_MAX},
        {"-99999999999", -99999999999.0, INT_MIN}, {"12-3", 12.0, 12},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        edit.setText(QString::fromLatin1(c.text));
        EXPECT_DOUBLE_EQ(edit.GetReal(), c.real);
        EXPECT_EQ(edit.GetInt(), c.integer);
    }
}

TEST_F(CValueEditTest, GreenOnBlack)
{
    EXPECT_EQ(edit.palette().color(QPalette::Text), QColor(0, 255, 0));
    EXPECT_EQ(edit.palette().color(QPalette::Base), QColor(0, 0, 0));
}

} // namespace

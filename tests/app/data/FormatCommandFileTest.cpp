#include "Archive.h"
#include "CCommandReader.h"
#include "CFormat.h"
#include "CGeneralFormatData.h"
#include "FormatCommandFile.h"
#include "FormatRecord.h"
#include "MessageTarget.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QObject>

#include <clocale>
#include <sys/stat.h>
#include <string>
#include <tuple>
#include <vector>

namespace {

class CommandFileOwner : public QObject, public MessageTarget {
public:
    LRESULT OnMessage(unsigned message, WPARAM, LPARAM lParam) override
    {
        received.emplace_back(message, lParam);
        return 0;
    }
    std::vector<std::pair<unsigned, LPARAM>> received;
};

// The lines of a new format's command file under the name VGA.
const char kDefaultFile[] =
    "// RARU\r\n// 2.000\r\nFMTN VGA\r\nFMTB\r\nNAME VGA\r\nHRAT 31469.000\r\n"
    "HRES 640\r\nHTOT 800\r\nHSPD 16\r\nHSPW 96\r\nHSPP 0\r\nHSPG 1\r\n"
    "VRES 480\r\nVTOT 525\r\nVSPD 10\r\nVSPW 2\r\nVSPP 0\r\nVSPG 1\r\n"
    "EQUB 0\r\nEQUA 0\r\nSCAN 1\r\nAVST 2\r\nDVST 0\r\n"
    "AVSS 0.700\r\nAVPS 7.5000\r\nAVPG 0\r\nASSS 0.300\r\nASSG 0,1,0\r\n"
    "ASCT 2\r\nDSCT 2\r\nDSST 1\r\nSSST 1\r\nCSPP 0\r\nCSPG 1\r\n"
    "GAMA 2.20000\r\nGAMC 0\r\nUSIZ 2\r\nHSIZ 284.4800\r\nVSIZ 213.3600\r\n"
    "RFLD 0\r\nPCPG 0\r\nPELD 0\r\nAVCS 0\r\nFMTE\r\nFMTA VGA\r\n";

class FormatCommandFileTest : public PlatformTest {
protected:
    QByteArray Write(CFormat &format, const QString &name)
    {
        const QString path = TempPath(QStringLiteral("out.cmd"));
        format.WriteCommandFile(path, name);
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return file.readAll();
    }

    // The data list's hand-over: a placeholder, then the file's lines.
    bool Import(const std::vector<const char *> &fileLines)
    {
        QStringList lines{QString()};
        for (const char *line : fileLines)
            lines << QString::fromLatin1(line);
        const bool result = format.ImportCommandLines(lines);
        EXPECT_TRUE(lines.isEmpty());
        return result;
    }

    CommandFileOwner owner;
    CFormat format{&owner};
};

TEST_F(FormatCommandFileTest, ANewFormatIsWrittenLineForLine)
{
    EXPECT_EQ(Write(format, QStringLiteral("VGA")).toStdString(), std::string(kDefaultFile));
}

TEST_F(FormatCommandFileTest, FlagsCodesAndPrecisionAreWrittenAsTheGeneratorTakesThem)
{
    CGeneralFormatData &d = format.Data();
    d.videoKind.SetIndex(9); // the first digital kind, DVST 1
    d.syncSelect.SetCode(13);
    d.hSyncPolarity = 5;     // any non-zero flag is 1
    d.interlaced = 1;
    d.syncOnRed = 1;
    d.syncOnGreen = 0;
    d.syncOnBlue = 2;
    d.lineRate = 15734.2656;
    d.hTotalTime = 858 / d.pixelRate;
    d.gamma = 1.0;
    d.pedestalLevel = 7.123456;
    d.sizeUnit = 1;
    d.hImageSize = 11.2;
    d.pixelDepth = 24;
    d.avcs = 3;
    const QStringList lines = QString::fromLatin1(Write(format, QStringLiteral("NTSC"))).split(QStringLiteral("\r\n"));
    for (const char *expected : {"HRAT 15734.266", "HTOT 858", "HSPP 1", "SCAN 2", "AVST 0", "DVST 1", "AVPS 7.1235",
                                 "ASSG 1,0,1", "SSST 13", "GAMA 1.00000", "USIZ 1", "HSIZ 11.2000", "PELD 24", "AVCS 3",
                                 "FMTN NTSC", "FMTA NTSC"}) {
        EXPECT_TRUE(lines.contains(QLatin1String(expected))) << expected;
    }
    EXPECT_EQ(lines.indexOf(QStringLiteral("AVST 0")) + 1, lines.indexOf(QStringLiteral("DVST 1")));
}

TEST_F(FormatCommandFileTest, AFileThatCannotBeCreatedIsReportedAndNothingIsWritten)
{
    const QString path = TempPath(QStringLiteral("missing/out.cmd"));
    prompter.ExpectMessage(PromptMatch::Text(QStringLiteral("Error Creating File\n\n\"%1\" could not be written: No such "
                                                            "file or directory.")
                                                 .arg(path)),
                           IDOK, MB_OK | MB_ICONEXCLAMATION);
    format.WriteCommandFile(path, QStringLiteral("VGA"));
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(FormatCommandFileTest, AWriteTheDiskCutsShortIsReportedAndKeepsTheOldFile)
{
    const QString path = TempPath(QStringLiteral("out.cmd"));
    const QByteArray old = "old\r\n";
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(old);
    }
    // Far less room than the file needs: the write is cut short, not refused.
    for (long long room : {0LL, 100LL}) {
        SCOPED_TRACE(room);
        ScopedFileSizeLimit full(room);
        prompter.ExpectMessage(PromptMatch::Text(QStringLiteral("Error Creating File\n\n\"%1\" could not be written: File too "
                                                                "large. The file already there is unchanged.")
                                                     .arg(path)),
                               IDOK, MB_OK | MB_ICONEXCLAMATION);
        format.WriteCommandFile(path, QStringLiteral("VGA"));
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), old);
    EXPECT_EQ(QDir(tempDir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("out.cmd")})
        << "no temporary file left";
}

TEST_F(FormatCommandFileTest, ADeviceIsNotWrittenTo)
{
    prompter.ExpectMessage(PromptMatch::Text(QStringLiteral("Error Creating File\n\n\"/dev/null\" is a device, not a file.")),
                           IDOK, MB_OK | MB_ICONEXCLAMATION);
    format.WriteCommandFile(QStringLiteral("/dev/null"), QStringLiteral("VGA"));
    struct stat status {};
    ASSERT_EQ(stat("/dev/null", &status), 0);
    EXPECT_TRUE(S_ISCHR(status.st_mode)) << "the device stays a device";
}

TEST_F(FormatCommandFileTest, AFormatWhoseTimesGiveNoCountsIsNotWritten)
{
    format.Data().hTotalTime = 1e300;
    prompter.ExpectMessage(PromptMatch::Contains(QStringLiteral("horizontal total")), IDOK);
    const QString path = TempPath(QStringLiteral("out.cmd"));
    format.WriteCommandFile(path, QStringLiteral("VGA"));
    EXPECT_FALSE(QFile::exists(path));
}

// A new format written and imported again is the same format: the same
// flat record (everything a send or a file carries), the same values the
// editor keeps, and written again the same file.
TEST_F(FormatCommandFileTest, ADefaultFormatSurvivesAFileRoundTrip)
{
    const QByteArray file = Write(format, QStringLiteral("Format"));
    CFormat read;
    QStringList lines = QStringList{QString()} + QString::fromLatin1(file).split(QStringLiteral("\r\n"));
    ASSERT_TRUE(read.ImportCommandLines(lines)) << read.LastError().toStdString();

    FormatRecord a;
    FormatRecord b;
    ASSERT_TRUE(format.Data().FillRecord(a));
    ASSERT_TRUE(read.Data().FillRecord(b));
    const auto ints = [](const FormatRecord &r) {
        return std::vector<int>{r.pcpg, r.eqBefore, r.eqAfter, r.syncOnRed, r.syncOnGreen, r.syncOnBlue,
                                r.hSyncPolarity, r.vSyncPolarity, r.cSyncPolarity, r.hSyncGate, r.vSyncGate,
                                r.cSyncGate, r.pedestalOn, r.gammaOn, r.interlaced, r.acsKind.GetIndex(),
                                r.dcsKind.GetIndex(), r.dssKind.GetIndex(), r.syncSelect.GetCode(),
                                r.videoKind.GetIndex(), r.sizeUnit, r.repeatField, r.pixelDepth, r.avcs};
    };
    const auto doubles = [](const FormatRecord &r) {
        return std::vector<double>{r.lineRate, r.hActive, r.hTotal, r.hSyncDelay, r.hSyncWidth, r.vActive,
                                   r.vTotal, r.vSyncDelay, r.vSyncWidth, r.hImageSize, r.vImageSize,
                                   r.pedestalLevel, r.gamma, r.videoSwing, r.syncSwing};
    };
    EXPECT_EQ(b.name, QStringLiteral("Format"));
    EXPECT_EQ(ints(b), ints(a));
    EXPECT_EQ(doubles(b), doubles(a));

    const CGeneralFormatData &d = read.Data();
    EXPECT_EQ(d.name, QStringLiteral("Format"));
    EXPECT_EQ((std::vector<double>{d.hActive, d.hTotal, d.hBlank, d.vActive, d.vTotal, d.vBlank}),
              (std::vector<double>{640, 800, 160, 480, 525, 45}));
    EXPECT_DOUBLE_EQ(d.pixelRate, 25175200); // 31469 x 800: the counts decide
    EXPECT_NEAR(d.hSizeInches, 11.1999776, 1e-9); // 284.48 mm by the format's factor, not 11.2
    EXPECT_EQ((std::vector<int>{d.timeEntryUnits, d.backPorchMode, d.enterPercentBlanking}), (std::vector<int>{0, 0, 1}));
    EXPECT_EQ(d.worksheet2, format.Data().worksheet2);
    EXPECT_EQ(Write(read, QStringLiteral("Format")), file);
}

// A name is written into lines of its own: one that would end a line or
// break a command is refused and no file is made.
TEST_F(FormatCommandFileTest, ANameThatWouldBreakALineIsNotWritten)
{
    for (const QString &name : {QStringLiteral("VGA\r\nFMTK VGA"), QStringLiteral("A;B"), QStringLiteral("A\"B")}) {
        SCOPED_TRACE(name.toStdString());
        prompter.ExpectMessage(PromptMatch::Contains(QStringLiteral("which a command line cannot carry")), IDOK);
        const QString path = TempPath(QStringLiteral("bad.cmd"));
        format.WriteCommandFile(path, name);
        EXPECT_FALSE(QFile::exists(path));
    }
}

TEST_F(FormatCommandFileTest, WhatIsWrittenIsReadBack)
{
    CGeneralFormatData &d = format.Data();
    d.videoKind.SetIndex(15);
    d.syncSelect.SetCode(11);
    d.dssKind.SetIndex(3);
    d.interlaced = 1;
    d.repeatField = 1;
    d.eqBefore = 3;
    d.pixelDepth = 8;
    d.avcs = 2;
    d.sizeUnit = 1;
    d.hImageSize = 13.5;
    FormatRecord written;
    ASSERT_TRUE(d.FillRecord(written));
    const QStringList file = QString::fromLatin1(Write(format, QStringLiteral("NTSC"))).split(QStringLiteral("\r\n"));

    CFormat read;
    QStringList lines = QStringList{QString()} + file;
    ASSERT_TRUE(read.ImportCommandLines(lines)) << read.LastError().toStdString();
    FormatRecord back;
    ASSERT_TRUE(read.Data().FillRecord(back));
    EXPECT_EQ(read.GetName(), QStringLiteral("NTSC"));
    EXPECT_EQ(back.name, QStringLiteral("NTSC"));
    EXPECT_EQ(back.lineRate, written.lineRate);
    EXPECT_EQ(back.hTotal, written.hTotal);
    EXPECT_EQ(back.vSyncWidth, written.vSyncWidth);
    EXPECT_EQ(back.videoKind.GetIndex(), 15);
    EXPECT_EQ(back.syncSelect.GetCode(), 11);
    EXPECT_EQ(back.dssKind.GetIndex(), 3);
    EXPECT_EQ(back.interlaced, 1);
    EXPECT_EQ(back.repeatField, 1);
    EXPECT_EQ(back.eqBefore, 3);
    EXPECT_EQ(back.pixelDepth, 8);
    EXPECT_EQ(back.avcs, 2);
    EXPECT_EQ(back.sizeUnit, 1);
    EXPECT_EQ(back.hImageSize, 13.5);
    EXPECT_NEAR(read.Data().hSizeMm, 13.5 * 25.4000508, 1e-9);
}

TEST_F(FormatCommandFileTest, HandWrittenFilesThatParse)
{
    struct Case {
        const char *what;
        std::vector<const char *> lines;
        std::function<void(const CGeneralFormatData &)> check;
    } cases[] = {
        {"only the end", {"// RARU", "// 2.000", "FMTE"},
         [](const CGeneralFormatData &d) {
             EXPECT_EQ(d.name, QStringLiteral("Format")); // the item's, so a send stores it under that
             EXPECT_EQ(d.hTotal, 800);
             EXPECT_EQ(d.vActive, 480);
             EXPECT_DOUBLE_EQ(d.pixelRate, 25175200);
         }},
        {"scan 0 is interlaced", {"SCAN 0", "FMTE"}, [](const CGeneralFormatData &d) { EXPECT_EQ(d.interlaced, 1); }},
        {"scan 2 is interlaced", {"SCAN 2", "FMTE"}, [](const CGeneralFormatData &d) { EXPECT_EQ(d.interlaced, 1); }},
        {"scan 1 is progressive", {"SCAN 2", "SCAN 1", "FMTA X"}, [](const CGeneralFormatData &d) { EXPECT_EQ(d.interlaced, 0); }},
        {"sync on red and green", {"ASSG 1,1,0", "FMTE"},
         [](const CGeneralFormatData &d) {
             EXPECT_EQ(d.syncOnRed, 1);
             EXPECT_EQ(d.syncOnGreen, 1);
             EXPECT_EQ(d.syncOnBlue, 0);
         }},
        {"fractions of counts kept", {"HTOT 800.5 VTOT 525", "FMTE"},
         [](const CGeneralFormatData &d) { EXPECT_DOUBLE_EQ(d.pixelRate, 31469 * 800.5); }},
        {"digital video", {"AVST 0", "DVST 9", "FMTE"}, [](const CGeneralFormatData &d) { EXPECT_EQ(d.videoKind.GetIndex(), 15); }},
        {"analog code out of the table", {"AVST 12", "FMTE"}, [](const CGeneralFormatData &d) { EXPECT_EQ(d.videoKind.GetIndex(), 0); }},
        {"unknown kind index keeps the kind", {"ASCT 99 DSST 2", "FMTE"},
         [](const CGeneralFormatData &d) {
             EXPECT_EQ(d.acsKind.GetIndex(), 2);
             EXPECT_EQ(d.dssKind.GetIndex(), 2);
         }},
        {"lower case, commas, queries and comments", {"// a comment", "hres,1024 vres 768 VTOT? 5", "fmte"},
         [](const CGeneralFormatData &d) {
             EXPECT_DOUBLE_EQ(d.hActiveTime, 1024 / d.pixelRate);
             EXPECT_EQ(d.vActive, 768);
             EXPECT_EQ(d.vTotal, 525);
         }},
        {"everything after the end is ignored", {"FMTE", "HRES"}, [](const CGeneralFormatData &d) { EXPECT_EQ(d.hActive, 640); }},
    };
    for (Case &c : cases) {
        SCOPED_TRACE(c.what);
        CFormat fresh(&owner);
        QStringList lines{QString()};
        for (const char *line : c.lines)
            lines << QString::fromLatin1(line);
        EXPECT_TRUE(fresh.ImportCommandLines(lines)) << fresh.LastError().toStdString();
        EXPECT_EQ(fresh.GetName(), QStringLiteral("Format"));
        EXPECT_TRUE(fresh.IsModified());
        c.check(fresh.Data());
    }
}

// The parameter set is named as the item unless the file says otherwise;
// quotes around a name belong to the command line, not to the name.
TEST_F(FormatCommandFileTest, NamesComeFromNameOrTheItem)
{
    struct Case {
        const char *what;
        std::vector<const char *> lines;
        const char *name; // of the item and its parameter set
    } cases[] = {
        {"no NAME keeps a renamed item's name", {"HRES 800", "FMTE"}, "Mine"},
        {"a bare name", {"NAME VGA", "FMTE"}, "VGA"},
        {"a quoted name", {"NAME \"VGA\"", "FMTE"}, "VGA"},
        {"a quoted name with blanks and a mnemonic", {"NAME \"PAL 50 HRES\" HRES 720", "FMTE"}, "PAL 50 HRES"},
        {"a quote left open runs to the line end", {"NAME \"PAL 50", "FMTE"}, "PAL 50"},
        {"FMTN is passed over", {"FMTN \"Other\"", "FMTE"}, "Mine"},
        {"as the send writes it", {"FMTN \"AT&T_SVC\"", "FMTB", "NAME \"AT&T_SVC\"", "FMTE", "FMTA \"AT&T_SVC\""},
         "AT&T_SVC"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        CFormat fresh(&owner);
        fresh.SetName(QStringLiteral("Mine"));
        QStringList lines{QString()};
        for (const char *line : c.lines)
            lines << QString::fromLatin1(line);
        EXPECT_TRUE(fresh.ImportCommandLines(lines)) << fresh.LastError().toStdString();
        EXPECT_EQ(fresh.GetName(), QString::fromLatin1(c.name));
        EXPECT_EQ(fresh.Data().name, QString::fromLatin1(c.name));
    }
    EXPECT_FALSE(Import({"NAME \"\"", "FMTE"}));
    EXPECT_EQ(format.LastError(), QStringLiteral("NAME has no value."));
}

TEST_F(FormatCommandFileTest, AFailedParseIsReportedAndKeepsTheOldValues)
{
    struct Case {
        const char *what;
        std::vector<const char *> lines;
        const char *reason;
    } cases[] = {
        {"a value missing at the line end", {"HRES", "640", "FMTE"}, "HRES"},
        {"a name equal to a mnemonic", {"FMTN HRES", "FMTE"}, "HRES"},
        {"a word for a number", {"HRAT abc", "FMTE"}, "HRAT"},
        {"trailing text after a number", {"HTOT 800x", "FMTE"}, "HTOT"},
        {"a number too large for a double", {"GAMA 1e999", "FMTE"}, "GAMA"},
        {"not a number", {"AVSS nan", "FMTE"}, "AVSS"},
        {"a fraction for a flag", {"HSPP 1.0", "FMTE"}, "HSPP"},
        {"an integer beyond int", {"PELD 4294967296", "FMTE"}, "PELD"},
        {"a flag that is not 0 or 1", {"ASSG 1,2,0", "FMTE"}, "ASSG"},
        {"a total of 0", {"HTOT 0", "FMTE"}, "HTOT"},
        {"a vertical total of 0", {"VTOT 0", "FMTE"}, "VTOT"},
        {"a line rate of 0", {"HRAT 0", "FMTE"}, "HRAT"},
        {"a negative count", {"VSPW -2", "FMTE"}, "VSPW"},
        {"a size of 0", {"HSIZ 0", "FMTE"}, "HSIZ"},
        {"no end", {"HRES 1024"}, "FMTE"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        owner.received.clear();
        format.Data().gamma = 1.5;
        format.Data().hActiveTime = 2.5422e-05;
        format.SetModified(false);
        EXPECT_FALSE(Import(c.lines));
        EXPECT_TRUE(format.LastError().contains(QLatin1String(c.reason))) << format.LastError().toStdString();
        EXPECT_TRUE(format.IsModified());
        ASSERT_EQ(owner.received.size(), 1u);
        EXPECT_EQ(owner.received[0], std::make_pair(WM_DATA_CHANGED, ToLParam(&format)));
    }
}

TEST_F(FormatCommandFileTest, WithoutAnEndTheValuesReadStillCount)
{
    EXPECT_FALSE(Import({"NAME SXGA", "HRES 1280 HTOT 1688 VTOT 1066"}));
    EXPECT_EQ(format.GetName(), QStringLiteral("SXGA"));
    EXPECT_EQ(format.Data().name, QStringLiteral("SXGA"));
    EXPECT_EQ(format.Data().hTotal, 1688);
    EXPECT_DOUBLE_EQ(format.Data().pixelRate, 31469.0 * 1688);
}

TEST_F(FormatCommandFileTest, ARefusedValueKeepsEveryOldValueButTheName)
{
    format.Data().gamma = 1.5;
    EXPECT_FALSE(Import({"NAME BAD", "GAMA 2.0 HTOT 0", "FMTE"}));
    EXPECT_EQ(format.GetName(), QStringLiteral("BAD"));
    EXPECT_EQ(format.Data().name, QStringLiteral("Format"));
    EXPECT_EQ(format.Data().gamma, 1.5);
}

TEST_F(FormatCommandFileTest, TokensAfterFmtn)
{
    struct Case {
        const char *text;
        bool result;
        const char *name;
        double hActive;
    } cases[] = {
        {" VGA2 HRES 800 FMTE", true, "VGA2", 800},
        {" VGA2 NAME OTHER FMTA OTHER", true, "OTHER", 640},
        {" VGA2 HRES 800", false, "VGA2", 800},
        {" VGA2 HRES", false, "VGA2", 640},
        {" \"PAL 50\" HRES 720 FMTE", true, "PAL 50", 720},
        {" \"\" HRES 720 FMTE", false, "Format", 640},
        {" ", false, "Format", 640},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        CFormat fresh;
        CCommandReader reader;
        reader.SetText(QString::fromLatin1(c.text));
        EXPECT_EQ(fresh.ImportTokens(reader), c.result);
        EXPECT_EQ(fresh.GetName(), QString::fromLatin1(c.name));
        FormatRecord r;
        ASSERT_TRUE(fresh.Data().FillRecord(r));
        EXPECT_EQ(r.hActive, c.hActive);
    }
}

// A comma-decimal desktop must neither write nor read "31469,000".
TEST_F(FormatCommandFileTest, NumbersIgnoreAGermanLocale)
{
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    const QLocale savedQt;
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE.utf8"))
        GTEST_SKIP() << "no German locale on this machine";
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

    format.Data().gamma = 2.5;
    const QByteArray text = Write(format, QStringLiteral("VGA"));
    EXPECT_TRUE(text.contains("HRAT 31469.000\r\n"));
    EXPECT_TRUE(text.contains("GAMA 2.50000\r\n"));
    EXPECT_TRUE(text.contains("AVSS 0.700\r\n"));
    EXPECT_TRUE(Import({"HRAT 31469.5", "GAMA 1.8", "FMTE"})) << format.LastError().toStdString();
    EXPECT_EQ(format.Data().lineRate, 31469.5);
    EXPECT_EQ(format.Data().gamma, 1.8);

    QLocale::setDefault(savedQt);
    std::setlocale(LC_ALL, saved.c_str());
}

} // namespace

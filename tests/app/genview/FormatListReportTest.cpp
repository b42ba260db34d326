// The detailed format list as a text report and on paper: the report's
// text written by hand, the pages of the printout, the PDF a printer makes
// of it, and both through the generator view's own commands.

#include "CFormatListEntry.h"
#include "CGenerator.h"
#include "CGeneratorDataPane.h"
#include "CGeneratorView.h"
#include "FakePort.h"
#include "FormatListPrintout.h"
#include "PdfText.h"
#include "Profile.h"
#include "TestPorts.h"
#include "TestSupport.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDevice>

#include <limits>
#include <memory>
#include <optional>

namespace {

CFormatListEntry ReportEntry(const char *name, int hRes, int vRes, int scan, double hRate, double vRate, qint16 video,
                             quint16 sync, int icon)
{
    CFormatListEntry e;
    e.name = QString::fromLatin1(name);
    e.hRes = hRes;
    e.vRes = vRes;
    e.scan = scan;
    e.hRate = hRate;
    e.vRate = vRate;
    e.pixelRate = hRate * 1000 * 0.000001;
    e.videoType = video;
    e.syncType = sync;
    e.icon = icon;
    return e;
}

// A user format and a small built-in interlaced one; sync code 11 shows
// as the row "DCS,DSS", video 10 is "Digital MDA VI".
const QList<CFormatListEntry> kTwoRows = {
    ReportEntry("UF0004", 1280, 1024, 1, 63981.0, 60.02, 10, 11, 3),
    ReportEntry("SMALL", 8, 6, 2, 15734.264, 59.94, 3, 1, 4),
};

QList<CFormatListEntry> Numbered(int count)
{
    QList<CFormatListEntry> entries;
    for (int i = 0; i < count; ++i)
        entries.append(ReportEntry(qPrintable(QStringLiteral("F%1").arg(i + 1, 2, 10, QLatin1Char('0'))), 640, 480, 1,
                                   31469.0, 59.94, 2, 1, i % 2 ? 3 : 4));
    return entries;
}

const QString kRule50(50, u'=');
const QString kRule70(70, u'=');

TEST(FormatListReport, TwoRowsAsWrittenByHand)
{
    const QByteArray expected = "Format List\r\n"
                                "==================================================\r\n"
                                "\r\n"
                                "UF0004: (1280 x 1024), Progressive, User\r\n"
                                "======================================================================\r\n"
                                "    Horz. Rate: 63.981 KHz\r\n"
                                "    Vert. Rate: 60.020 Hz\r\n"
                                "    Video Type: Digital MDA VI\r\n"
                                "     Sync Type: DCS,DSS\r\n"
                                "\r\n"
                                "\r\n"
                                "SMALL:   (8 x 6),   Interlace, Built-in\r\n"
                                "======================================================================\r\n"
                                "    Horz. Rate: 15.734 KHz\r\n"
                                "    Vert. Rate: 59.940 Hz\r\n"
                                "    Video Type: Analog TV Y (grayscale)\r\n"
                                "     Sync Type: DSS\r\n"
                                "\r\n"
                                "\r\n";
    EXPECT_EQ(FormatListReportText(kTwoRows), expected);
}

TEST(FormatListReport, EveryRowIsReportedAndAMissingRateIsBlank)
{
    // The first row is a format like any other.
    QList<CFormatListEntry> one = {ReportEntry("ONLY", 640, 480, 1, 31469.0, 0, 2, 1, 4)};
    one[0].vRate = std::numeric_limits<double>::quiet_NaN();
    const QByteArray text = FormatListReportText(one);
    EXPECT_TRUE(text.contains("ONLY: (640 x 480), Progressive, Built-in\r\n")) << text.constData();
    EXPECT_TRUE(text.contains("    Vert. Rate:  Hz\r\n")) << text.constData();
    EXPECT_EQ(FormatListReportText({}), "Format List\r\n" + kRule50.toLatin1() + "\r\n\r\n");
}

TEST(FormatListPrintout, EightEntriesAPageEachUnderThePageHead)
{
    const FormatListPrintout printout(Numbered(17));
    ASSERT_EQ(printout.PageCount(), 3);
    struct Page {
        int page;
        int entries;
        const char *first;
    };
    for (const Page &p : {Page{0, 8, "F01"}, Page{1, 8, "F09"}, Page{2, 1, "F17"}}) {
        SCOPED_TRACE(p.page);
        const QStringList lines = printout.PageLines(p.page);
        ASSERT_EQ(lines.size(), 6 + 8 * p.entries);
        EXPECT_EQ(lines[0], QString());
        EXPECT_EQ(lines[2], QStringLiteral("Page: %1        Format List").arg(p.page + 1));
        EXPECT_EQ(lines[3], kRule50);
        EXPECT_EQ(lines[4], QString());
        EXPECT_TRUE(lines[6].startsWith(QLatin1String(p.first) + QLatin1String(": (640 x 480), Progressive, ")));
        for (int k = 0; k < p.entries; ++k) {
            const int v = 6 + 8 * k; // each entry 8 lines below the last
            EXPECT_TRUE(lines[v].contains(QLatin1String(": (640 x 480), Progressive, "))) << v;
            EXPECT_EQ(lines[v + 1], kRule70);
            EXPECT_EQ(lines[v + 2], QStringLiteral("    Horz. Rate: 31.469 KHz"));
            EXPECT_EQ(lines[v + 3], QStringLiteral("    Vert. Rate: 59.940 Hz"));
            EXPECT_EQ(lines[v + 4], QStringLiteral("    Video Type: Analog RGB (color)"));
            EXPECT_EQ(lines[v + 5], QStringLiteral("     Sync Type: DSS"));
            EXPECT_EQ(lines[v + 6], QString());
            EXPECT_EQ(lines[v + 7], QString());
        }
    }
}

TEST(FormatListPrintout, AnEmptyListPrintsThePageHeadOnly)
{
    const FormatListPrintout printout({});
    ASSERT_EQ(printout.PageCount(), 1);
    EXPECT_EQ(printout.PageLines(0),
              (QStringList{"", "", "Page: 1        Format List", kRule50, "", ""}));
    EXPECT_EQ(FormatListPrintout(Numbered(1)).PageCount(), 1);
    EXPECT_EQ(FormatListPrintout(Numbered(8)).PageCount(), 1);
    EXPECT_EQ(FormatListPrintout(Numbered(9)).PageCount(), 2);
}

class FormatListPdfTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        port.fallback = {"0", 0};
        port.Script("*IDN?", "Maker,VG-7000,4711,7.011\r\n");
    }
    void TearDown() override
    {
        view.reset();
        PlatformTest::TearDown();
    }

    // A view in detailed mode whose list holds entries (no scan: the
    // question is answered No, the rows are put in as a load does).
    CGeneratorView &ViewWith(const QList<CFormatListEntry> &entries)
    {
        auto *connection = new CGenerator(nullptr, kCom1);
        connection->SetFirmwareVersion(7.011);
        view = std::make_unique<CGeneratorView>(connection, nullptr);
        view->CreateFrame();
        prompter.ExpectMessage(PromptMatch::Id(33394), IDNO);
        view->Router().Execute(ID_LIST_DETAILED);
        for (const CFormatListEntry &entry : entries)
            view->DataPane()->AddFormatListEntry(entry);
        view->Router().Update();
        return *view;
    }

    FakePort port;
    std::unique_ptr<CGeneratorView> view;
};

TEST_F(FormatListPdfTest, SeventeenEntriesOnThreePages)
{
    CGeneratorView &v = ViewWith(Numbered(17));
    ASSERT_TRUE(v.Router().Action(ID_PRINT_FORMAT_LIST)->isEnabled());
    const QString pdf = TempPath(QStringLiteral("list.pdf"));
    prompter.ExpectPrint(ScriptedPrint::Pdf(pdf));
    ASSERT_TRUE(v.Router().Execute(ID_PRINT_FORMAT_LIST));
    EXPECT_EQ(pdf_text::Info(pdf, QStringLiteral("Pages")), QStringLiteral("3"));
    EXPECT_EQ(pdf_text::Info(pdf, QStringLiteral("Title")), QStringLiteral("FormatList"));
    struct Page {
        int number;
        int entries;
        const char *first;
    };
    for (const Page &p : {Page{1, 8, "F01"}, Page{2, 8, "F09"}, Page{3, 1, "F17"}}) {
        SCOPED_TRACE(p.number);
        const QStringList lines = pdf_text::Lines(pdf, pdf_text::kSimplified, p.number, p.number);
        ASSERT_EQ(lines.size(), 2 + 6 * p.entries);
        EXPECT_EQ(lines[0], QStringLiteral("Page: %1 Format List").arg(p.number));
        EXPECT_EQ(lines[1], kRule50);
        EXPECT_TRUE(lines[2].startsWith(QLatin1String(p.first))) << qPrintable(lines[2]);
        EXPECT_EQ(lines.last(), QStringLiteral("Sync Type: DSS"));
    }
    // The pages as pictures, drawn the same way.
    const FormatListPrintout printout(v.DataPane()->FormatListEntries());
    for (int page = 0; page < printout.PageCount(); ++page)
        SaveScreenshot(PrintedPageImage(printout, page, QSize(827, 1169)),
                       QStringLiteral("format_list_page_%1").arg(page + 1));
}

TEST_F(FormatListPdfTest, AnEmptyListPrintsItsPageHeadAndCancelPrintsNothing)
{
    CGeneratorView &v = ViewWith({});
    ASSERT_TRUE(v.Router().Action(ID_PRINT_FORMAT_LIST)->isEnabled());
    prompter.ExpectPrint(ScriptedPrint::Cancel());
    v.Router().Execute(ID_PRINT_FORMAT_LIST);
    const QString pdf = TempPath(QStringLiteral("empty.pdf"));
    prompter.ExpectPrint(ScriptedPrint::Pdf(pdf, QPageSize::Letter, QPageLayout::Landscape));
    v.Router().Execute(ID_PRINT_FORMAT_LIST);
    EXPECT_EQ(pdf_text::Info(pdf, QStringLiteral("Pages")), QStringLiteral("1"));
    EXPECT_EQ(pdf_text::Lines(pdf, pdf_text::kSimplified), (QStringList{"Page: 1 Format List", kRule50}));
    EXPECT_EQ(QDir(tempDir.path()).entryList(QDir::Files), QStringList{"empty.pdf"}); // Cancel left nothing
    ASSERT_EQ(prompter.PrintRequests().size(), 2u);
    EXPECT_EQ(prompter.PrintRequests()[0].parent, &v);
}

TEST_F(FormatListPdfTest, TheReportGoesWhereTheUserSaysAndTheFolderIsRemembered)
{
    CGeneratorView &v = ViewWith(kTwoRows);
    ASSERT_TRUE(v.Router().Action(ID_SAVE_FORMAT_LIST_TEXT)->isEnabled());
    const QString path = TempPath(QStringLiteral("list.txt"));
    prompter.ExpectFile(PromptMatch::Id(10030), FileResult{true, {path}, 1});
    ASSERT_TRUE(v.Router().Execute(ID_SAVE_FORMAT_LIST_TEXT));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), FormatListReportText(kTwoRows));
    EXPECT_EQ(GetProfileString(QStringLiteral("Folders"), QStringLiteral("FileSave")), tempDir.path() + u'/');
    const PromptRecord &dialog = prompter.Records().back();
    EXPECT_EQ(dialog.caption, QStringLiteral("Save Format List as ASCII Text File..."));
    EXPECT_EQ(dialog.text, QStringLiteral("TXT Files (*.txt)|*.txt|"));

    // Cancel writes nothing.
    prompter.ExpectFile(PromptMatch::Id(10030), FileResult{});
    v.Router().Execute(ID_SAVE_FORMAT_LIST_TEXT);
    EXPECT_EQ(QDir(tempDir.path()).entryList(QDir::Files), QStringList{"list.txt"});
}

TEST_F(FormatListPdfTest, AReportThatCannotBeWrittenSaysSoAndKeepsTheOlderFile)
{
    CGeneratorView &v = ViewWith(kTwoRows);
    const QString locked = TempPath(QStringLiteral("locked"));
    const QString full = TempPath(QStringLiteral("full"));
    for (const QString &folder : {locked, full}) {
        ASSERT_TRUE(QDir().mkpath(folder));
        QFile older(folder + QStringLiteral("/older.txt"));
        ASSERT_TRUE(older.open(QIODevice::WriteOnly) && older.write("older") == 5);
    }
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    struct Case {
        const char *what;
        QString path;
        long long diskRoom; // -1: no limit
    };
    const Case cases[] = {
        {"a new file in a read-only folder", locked + QStringLiteral("/list.txt"), -1},
        {"an older file in a read-only folder", locked + QStringLiteral("/older.txt"), -1},
        {"a disk that fills", full + QStringLiteral("/older.txt"), 100},
        {"a device", QStringLiteral("/dev/null"), -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const bool existed = QFileInfo::exists(c.path);
        prompter.ExpectFile(PromptMatch::Id(10030), FileResult{true, {c.path}, 1});
        prompter.ExpectMessage(PromptMatch::Contains(QStringLiteral("Error Creating File")), IDOK,
                               MB_OK | MB_ICONEXCLAMATION);
        {
            ScopedFilePermissions asUser;
            std::optional<ScopedFileSizeLimit> disk;
            if (c.diskRoom >= 0)
                disk.emplace(c.diskRoom);
            v.Router().Execute(ID_SAVE_FORMAT_LIST_TEXT);
        }
        EXPECT_EQ(QFileInfo::exists(c.path), existed);
        if (existed && QFileInfo(c.path).isFile()) {
            QFile kept(c.path);
            ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
            EXPECT_EQ(kept.readAll(), "older");
        }
    }
    EXPECT_FALSE(QFileInfo(QStringLiteral("/dev/null")).isFile());
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(QDir(locked).entryList(QDir::Files | QDir::Hidden), QStringList{"older.txt"});
    EXPECT_EQ(QDir(full).entryList(QDir::Files | QDir::Hidden), QStringList{"older.txt"}); // no temporary left
}

TEST_F(FormatListPdfTest, ANameTakenByAFolderGetsTheErrorAndStaysAFolder)
{
    CGeneratorView &v = ViewWith(kTwoRows);
    const QString path = TempPath(QStringLiteral("taken.txt"));
    ASSERT_TRUE(QDir().mkpath(path));
    prompter.ExpectFile(PromptMatch::Id(10030), FileResult{true, {path}, 1});
    prompter.ExpectMessage(PromptMatch::Contains(QStringLiteral("Error Creating File")), IDOK);
    v.Router().Execute(ID_SAVE_FORMAT_LIST_TEXT);
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_EQ(QDir(tempDir.path()).entryList(QDir::Files), QStringList{});
}

TEST(FormatListRule, MakeRuleGivesCountEquals)
{
    for (int count : {0, 1, 50, 70}) {
        QString rule = QStringLiteral("old");
        CGeneratorView::MakeRule(rule, count);
        EXPECT_EQ(rule, QString(count, u'='));
    }
}

} // namespace

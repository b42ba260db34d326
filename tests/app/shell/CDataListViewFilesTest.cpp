#include "Archive.h"
#include "CDataListCtrl.h"
#include "CDataListView.h"
#include "CFormat.h"
#include "CGeneralFormatData.h"
#include "DataKindRegistry.h"
#include "Profile.h"
#include "ShellImages.h"
#include "ShellTestSupport.h"
#include "TestSupport.h"

#include <QAction>
#include <QBuffer>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTreeWidget>
#include <QScopeGuard>
#include <QUrl>

#include <functional>
#include <optional>
#include <sys/stat.h>

namespace {

// The data file of a CTestItem named "Test" with payload "payload": a new
// class (FF FF, schema 1, name), then the item's two counted strings.
const QByteArray kTestItemFile = QByteArray("\xFF\xFF\x01\x00\x09\x00", 6) + "CTestItem" + '\x04' + "Test" + '\x07'
                                 + "payload";

class DataFilesTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        MakeWindow();
    }

    QByteArray ReadAll(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    FileResult Chosen(const QStringList &paths, int filterIndex = 1) { return {true, paths, filterIndex}; }

    void ExpectSaveDialog(const QString &path)
    {
        prompter.ExpectFile(PromptMatch::Id(33061).AndCaption("Save ZOT Data..."), Chosen({path}));
    }
};

TEST_F(DataFilesTest, SaveWritesTheItemsArchiveAndTheNextSaveReusesTheFile)
{
    WriteProfileString("Folders", "FileSave", tempDir.path() + u'/');
    CGenData *item = List().NewItem(kIconFormat);
    ExpectSaveDialog(TempPath("test.fmt"));
    List().SaveSelected();
    EXPECT_EQ(ReadAll(TempPath("test.fmt")), kTestItemFile);
    EXPECT_FALSE(item->IsModified());
    EXPECT_EQ(List().GetRowText(0, 1), TempPath("test.fmt"));
    EXPECT_EQ(List().GetRowMark(0), 0);
    EXPECT_EQ(GetProfileString("Folders", "FileSave"), tempDir.path() + u'/');

    static_cast<CTestItem *>(item)->payload = "second";
    item->SetModified(true);
    List().SaveSelected(); // no dialog this time
    EXPECT_TRUE(ReadAll(TempPath("test.fmt")).endsWith("\x06second"));
}

TEST_F(DataFilesTest, SaveDialogStartsInTheRememberedFolderForANewItem)
{
    WriteProfileString("Folders", "FileSave", tempDir.path() + u'/');
    List().NewItem(kIconFormat);
    std::optional<FileRequest> seen;
    struct Spy : Prompter {
        Prompter &inner;
        std::optional<FileRequest> &seen;
        Spy(Prompter &p, std::optional<FileRequest> &s) : inner(p), seen(s) {}
        int Message(const MessageRequest &r) override { return inner.Message(r); }
        FileResult File(const FileRequest &r) override { seen = r; return {}; }
        QString Folder(const FolderRequest &r) override { return inner.Folder(r); }
        int Modal(QDialog &d) override { return inner.Modal(d); }
        bool OpenDocument(DocumentKind k, const QString &p) override { return inner.OpenDocument(k, p); }
    } spy(prompter, seen);
    InstallPrompter(&spy);
    List().SaveSelected();
    InstallPrompter(&prompter);
    ASSERT_TRUE(seen.has_value());
    EXPECT_EQ(seen->folder, tempDir.path() + u'/');
    EXPECT_EQ(seen->filter, "Format Data (*.fmt)|*.fmt||");
    EXPECT_EQ(seen->defaultExtension, "fmt");
    EXPECT_EQ(seen->fileName, "Test.fmt") << "a new item suggests its own name";
    EXPECT_TRUE(seen->overwritePrompt);
    EXPECT_TRUE(List().GetRowItem(0)->IsModified()) << "cancelled: nothing written";
}

TEST_F(DataFilesTest, FailedSaveKeepsThePreviousFileAndTheModifiedFlag)
{
    const QByteArray previous = "previous contents";
    const struct {
        const char *name;
        bool failStore;      // the item's writer fails half-way
        bool directoryThere; // a folder stands where the file belongs
        const char *cause;
        long long diskRoom = -1; // bytes a file may take; -1: no limit
    } cases[] = {
        {"writer fails half-way", true, false, "An unspecified error occurred."},
        {"a folder in the file's place", false, true, "is a folder, not a file."},
        {"the disk fills while it is written", false, false, "The disk is full.\n\n\"", 10},
    };
    for (const auto &c : cases) {
        const QString path = TempPath(QStringLiteral("%1.fmt").arg(int(&c - cases)));
        if (c.directoryThere)
            ASSERT_TRUE(QDir().mkpath(path));
        else
            WriteFile(QFileInfo(path).fileName(), previous);
        CGenData *item = List().NewItem(kIconFormat);
        const int row = List().FindRow(item);
        CTestItem::s_failStore = c.failStore;
        ExpectSaveDialog(path);
        prompter.ExpectMessage(PromptMatch::Contains(c.cause).AndCaption("ERROR"), IDOK, MB_OK | MB_ICONEXCLAMATION);
        {
            std::optional<ScopedFileSizeLimit> full;
            if (c.diskRoom >= 0)
                full.emplace(c.diskRoom);
            EXPECT_FALSE(List().FileSave(row, false, false)) << c.name;
        }
        CTestItem::s_failStore = false;
        EXPECT_TRUE(item->IsModified()) << c.name;
        EXPECT_EQ(List().GetRowMark(row), kMarkModified) << c.name;
        if (!c.directoryThere) {
            EXPECT_EQ(ReadAll(path), previous) << c.name;
        }
        // Only the cases' own files, no temporary one.
        for (const QString &name : QDir(tempDir.path()).entryList(QDir::Files | QDir::Hidden))
            EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\.fmt$")).match(name).hasMatch()) << c.name << ": " << name.toStdString();
    }
}

TEST_F(DataFilesTest, OpenReadsTheFileIntoASelectedRow)
{
    const QString path = WriteFile("in.fmt", kTestItemFile);
    List().NewItem(kIconKnobList);
    prompter.ExpectFile(PromptMatch::Id(33066), Chosen({path}, 7));
    EXPECT_TRUE(window->Router().Execute(ID_FILE_OPEN));
    ASSERT_EQ(List().GetRowCount(), 2);
    EXPECT_FALSE(List().IsRowSelected(0)) << "the open deselects the rows before";
    EXPECT_TRUE(List().IsRowSelected(1));
    EXPECT_EQ(List().GetRowText(1, 0), "Test");
    EXPECT_EQ(List().GetRowText(1, 1), path);
    EXPECT_EQ(List().GetRowIcon(1), kIconFormat);
    EXPECT_EQ(List().GetRowMark(1), 0);
    CGenData *item = List().GetRowItem(1);
    EXPECT_EQ(item->GetOwner(), window.get());
    EXPECT_EQ(item->GetFolder(), tempDir.path() + u'/');
    EXPECT_EQ(item->GetFileName(), "in.fmt");
    EXPECT_EQ(GetProfileString("Folders", "FileOpen"), tempDir.path() + u'/');
    EXPECT_EQ(GetProfileInt("Data", "Last type", 1), 7);
    EXPECT_TRUE(window->Router().Action(ID_FILE_SAVE)->isEnabled()) << "controls updated";
}

TEST_F(DataFilesTest, OpenStopsAtTheFirstBadFileButDroppedFilesGoOn)
{
    const QString good1 = WriteFile("a.fmt", kTestItemFile);
    const QString bad = WriteFile("b.fmt", "this is no data file");
    const QString good2 = WriteFile("c.fmt", kTestItemFile);
    prompter.ExpectFile(PromptMatch::Id(33066), Chosen({good1, bad, good2}));
    prompter.ExpectMessage(PromptMatch::Id(33068).AndCaption("Open ZOT Data..."), IDOK, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_TRUE(List().FileOpen());
    EXPECT_EQ(List().GetRowCount(), 1);
    EXPECT_EQ(prompter.Messages().back().text, "Unable to read the file:\n\n" + bad);

    prompter.ExpectMessage(PromptMatch::Id(33068), IDOK);
    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(good1), QUrl::fromLocalFile(bad), QUrl::fromLocalFile(good2)});
    List().OnDropFiles(DroppedFiles(&dropped));
    EXPECT_EQ(List().GetRowCount(), 3);
    EXPECT_TRUE(List().IsRowSelected(0)) << "dropping keeps the existing selection";
}

TEST_F(DataFilesTest, OpenRefusesMissingFilesAndObjectsThatAreNoDataItem)
{
    prompter.ExpectMessage(PromptMatch::Id(33067).AndCaption("Open ZOT Data..."), IDOK, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_FALSE(List().OpenFile(TempPath("missing.fmt")));
    // A data item of kinds the program does not hold.
    DataKinds::Unregister(kIconKnobList);
    DataKinds::Unregister(kIconFormat);
    const QString path = WriteFile("k.knb", QByteArray("\xFF\xFF\x01\x00\x0D\x00", 6) + "CTestKnobList" + '\x01'
                                                + "K" + '\x01' + "p");
    prompter.ExpectMessage(PromptMatch::Text("Un-recognized data type.").AndCaption("Open ZOT Data..."), IDOK);
    EXPECT_FALSE(List().OpenFile(path));
    EXPECT_EQ(List().GetRowCount(), 0);
    EXPECT_EQ(CTestItem::s_alive, 0) << "the object read is deleted";
}

// --- The older product's files ----------------------------------------------

QByteArray LegacyHeader(qint32 kind)
{
    QByteArray bytes("\x3A\x01\x01\x00\x00", 5);
    bytes.append(reinterpret_cast<const char *>(&kind), 4); // little-endian host
    return bytes;
}

QByteArray Int32(qint32 v)
{
    return QByteArray(reinterpret_cast<const char *>(&v), 4);
}

TEST_F(DataFilesTest, OlderProductFilesImportTheirRecordsOrAreRefusedWhole)
{
    const struct {
        const char *name;
        QByteArray bytes;
        QStringList rows; // names of the rows made
        bool refused;     // "Unable to read the file": nothing of it is kept
    } cases[] = {
        {"one format", LegacyHeader(1) + Int32(7), {"L7"}, false},
        {"a list of two", LegacyHeader(6) + Int32(2) + Int32(1) + Int32(3) + Int32(4) + Int32(5), {"L3", "L5"}, false},
        {"a list with a refused record", LegacyHeader(6) + Int32(3) + Int32(1) + Int32(3) + Int32(1) + Int32(-1) + Int32(1) + Int32(9), {}, true},
        {"a list of 10001", LegacyHeader(6) + Int32(10001) + Int32(1) + Int32(3), {}, true},
        {"an unknown kind", LegacyHeader(5) + Int32(1), {}, true},
        {"kind 7", LegacyHeader(7) + Int32(1), {}, true},
        {"a list entry of an unknown kind", LegacyHeader(6) + Int32(2) + Int32(1) + Int32(3) + Int32(9) + Int32(3), {}, true},
        {"cut short in the kind", LegacyHeader(1).left(7), {}, true},
        {"cut short in the record", LegacyHeader(1) + QByteArray("\x07\x00", 2), {}, true},
        {"a count the file cannot hold", LegacyHeader(6) + Int32(9999) + Int32(1) + Int32(3), {}, true},
        {"a list cut inside its second record", LegacyHeader(6) + Int32(2) + Int32(1) + Int32(3) + Int32(1) + QByteArray("\x05", 1), {}, true},
    };
    for (const auto &c : cases) {
        CGenData *before = List().NewItem(kIconKnobList);
        before->SetName("Before");
        List().RefreshItem(before);
        const QString path = WriteFile("old.dir", c.bytes);
        prompter.ExpectFile(PromptMatch::Id(33404), Chosen({path}, 4));
        if (c.refused)
            prompter.ExpectMessage(PromptMatch::Text("Unable to read the file:\n\n" + path).AndCaption("Open ZOT Data..."),
                                   IDOK, MB_OK | MB_ICONEXCLAMATION);
        List().FileImportZot2();
        prompter.VerifyAllUsed();
        ASSERT_GE(List().GetRowCount(), 1) << c.name;
        EXPECT_EQ(List().GetRowItem(0), before) << c.name << ": the rows before the import stay";
        EXPECT_EQ(List().GetRowText(0, 0), "Before") << c.name;
        QStringList names;
        for (int row = 1; row < List().GetRowCount(); ++row) {
            names.append(List().GetRowItem(row)->GetName());
            EXPECT_EQ(List().GetRowText(row, 1), "<no associated file>") << c.name;
            EXPECT_EQ(List().GetRowMark(row), kMarkModified) << c.name;
        }
        EXPECT_EQ(names, c.rows) << c.name;
        List().DeleteAll();
    }
    EXPECT_EQ(GetProfileInt("Data", "Import type", 1), 4);
    EXPECT_EQ(GetProfileString("Folders", "FileImportZot2"), tempDir.path() + u'/');
}

TEST_F(DataFilesTest, OlderProductFormatRecordWithBadLengthsIsRefused)
{
    RegisterProgramDataKinds(); // the real format record reader
    // A format record begins with its name: a 32-bit length, at most 10, and the characters.
    const struct {
        const char *name;
        QByteArray record;
    } cases[] = {
        {"name longer than the file", Int32(8) + "AB"},
        {"name length with the high bit set", Int32(qint32(0x80000000)) + "AB"},
        {"name longer than 10", Int32(11) + "ABCDEFGHIJK"},
    };
    for (const auto &c : cases) {
        const QString path = WriteFile("old.fmt", LegacyHeader(6) + Int32(2) + Int32(1) + c.record);
        const QString next = WriteFile("next.fmt", LegacyHeader(1) + Int32(1) + "A");
        prompter.ExpectFile(PromptMatch::Id(33404), Chosen({path, next}));
        prompter.ExpectMessage(PromptMatch::Text("Unable to read the file:\n\n" + path), IDOK);
        List().FileImportZot2();
        prompter.VerifyAllUsed();
        EXPECT_EQ(List().GetRowCount(), 0) << c.name << ": no row of the refused file, and the import ends";
        List().DeleteAll();
    }
}

// --- Command files ----------------------------------------------------------

TEST(CmdFileClassification, CountsNameAndEndLines)
{
    const struct {
        QStringList lines; // element 0 is the empty one the reader puts first
        int code;
    } cases[] = {
        {{"", "FMTN \"A\"", "HRES 640", "FMTE", ""}, CDataListView::kCmdNothing},
        {{"", "FMTN \"A\"", "HRES 640", ""}, CDataListView::kCmdBadFormat},
        {{"", "IMGN \"I\"", ""}, CDataListView::kCmdBadImage},
        {{"", "SEQN \"S\"", "FMTE", ""}, CDataListView::kCmdBadSequence},
        {{"", "SEQN \"S\"", "SEQN \"T\"", "SEQE", ""}, CDataListView::kCmdMultiple},
        {{"", "FMTN", "FMTE", "IMGE", ""}, CDataListView::kCmdMultiple},
        {{"", "IMGN?", ""}, CDataListView::kCmdNothing},
        {{"", "IMGN?", "IMGN \"I\"", "IMGE", ""}, CDataListView::kCmdNothing},
        // Lines keep their case: mnemonics count in any case.
        {{"", "fmtn a", "Hres 640", ""}, CDataListView::kCmdBadFormat},
        {{"", "Seqn s", "seqn t", "SEQE", ""}, CDataListView::kCmdMultiple},
        {{"", "imgn? x", "imgn I", "ImgE", ""}, CDataListView::kCmdNothing},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CDataListView::ClassifyCmdLines(c.lines), c.code) << c.lines.join(u'|').toStdString();
}

TEST_F(DataFilesTest, CommandFileLinesReachTheItemAsWritten)
{
    const QString path = WriteFile("f.cmd", "// RARU\r\n// 2.000\r\nfmtn Ntsc_m\r\nHRES 640\r\nFmtE\r\n");
    prompter.ExpectFile(PromptMatch::Id(10005).AndCaption("Import CMD Files"), Chosen({path}));
    EXPECT_TRUE(window->Router().Execute(ID_IMPORT_CMD));
    ASSERT_EQ(List().GetRowCount(), 1);
    auto *item = static_cast<CTestItem *>(List().GetRowItem(0));
    EXPECT_EQ(item->importedLines, (QStringList{"", "fmtn Ntsc_m", "HRES 640", "FmtE", ""}));
    EXPECT_EQ(List().GetRowText(0, 0), "Ntsc_m") << "the name keeps its case";
    EXPECT_EQ(List().GetRowMark(0), kMarkModified);
}

TEST_F(DataFilesTest, FormatCommandFileInAnyCaseKeepsItsNameAndShowsWhyParsingFailed)
{
    RegisterProgramDataKinds(); // the real format reader
    const QString good = WriteFile("g.cmd", "// RARU\n// 2.000\nfmtn Mixed_a\nname Mixed_a\nhres 656\nfmte\n");
    const QString bad = WriteFile("b.cmd", "// RARU\n// 2.000\nFMTN Bad\nHRES abc\nFMTE\n");
    prompter.ExpectFile(PromptMatch::Id(10005), Chosen({good, bad}));
    prompter.ExpectMessage(PromptMatch::Text("Format Parsing Failed\r\nThe value of HRES (\"abc\") is not a number."
                                             "\r\nOpen File In NotePad?")
                               .AndCaption("CMD File Error"),
                           IDNO, MB_YESNO | MB_ICONEXCLAMATION);
    List().ImportCmdFile();
    ASSERT_EQ(List().GetRowCount(), 2);
    auto *format = static_cast<CFormat *>(List().GetRowItem(0));
    EXPECT_EQ(format->GetName(), "Mixed_a");
    EXPECT_EQ(List().GetRowText(0, 0), "Mixed_a");
    EXPECT_EQ(format->Data().hActive, 656);
    EXPECT_EQ(List().GetRowMark(1), kMarkModified) << "the failed format keeps its row";
}

TEST_F(DataFilesTest, CommandFileHeaderMustMatchExactly)
{
    const QString lower = WriteFile("l.cmd", "// raru\n// 2.000\nFMTN A\nFMTE\n");
    const QString later = WriteFile("m.cmd", "// RARU\n// 2.000\nFMTN B\nFMTE\n");
    prompter.ExpectFile(PromptMatch::Id(10005), Chosen({lower, later}));
    prompter.ExpectMessage(PromptMatch::Text("Invalid File Type"), IDOK, MB_OK);
    List().ImportCmdFile();
    EXPECT_EQ(List().GetRowCount(), 0) << "the whole import ends";
}

TEST_F(DataFilesTest, CommandFileErrorOffersTheTextEditorAndTheImportGoesOn)
{
    const QString bad = WriteFile("bad.cmd", "// RARU\n// 2.000\nFMTN A\nHRES 640\n");
    const QString failing = WriteFile("fail.cmd", "// RARU\n// 2.000\nFMTN A\nFMTX\nFMTE\n");
    const QString good = WriteFile("good.cmd", "// RARU\n// 2.000\nFMTN C\nFMTE\n");
    prompter.ExpectFile(PromptMatch::Id(10005), Chosen({bad, failing, good}));
    prompter.ExpectMessage(PromptMatch::Text("Invalid Format File\r\nOpen File In NotePad?").AndCaption("CMD File Error"),
                           IDYES, MB_YESNO | MB_ICONEXCLAMATION);
    prompter.ExpectDocument(DocumentKind::TextEditor, PromptMatch::Text(bad));
    prompter.ExpectMessage(PromptMatch::Text("Format Parsing Failed\r\nOpen File In NotePad?"), IDNO);
    List().ImportCmdFile();
    ASSERT_EQ(List().GetRowCount(), 2) << "the failed item keeps its row";
    EXPECT_TRUE(List().IsRowSelected(0));
    EXPECT_EQ(List().GetRowMark(0), kMarkModified);
    EXPECT_EQ(List().GetRowText(1, 0), "C");
}

// A dialog without a folder of its own starts in the last folder the user
// chose, else in an existing Documents folder, else at home; never in a
// folder that does not exist, whose name the dialog would offer as the file's.
TEST_F(DataFilesTest, FileDialogsWithoutAFolderOfTheirOwnStartInAFolderThatExists)
{
    const QByteArray home = qgetenv("HOME");
    const QString fakeHome = TempPath("home");
    ASSERT_TRUE(QDir().mkpath(fakeHome));
    qputenv("HOME", fakeHome.toLocal8Bit());
    const auto restore = qScopeGuard([&] { qputenv("HOME", home); });

    WriteProfileString("Folders", "FileOpen", tempDir.path());
    WriteProfileString("Folders", "FileSave", TempPath("gone/"));
    List().NewItem(kIconFormat);
    prompter.ExpectFile(PromptMatch::Id(10021), FileResult{});
    List().WriteCmdFile(); // no folder of its own, no Documents
    ASSERT_TRUE(QDir().mkpath(fakeHome + "/Documents"));
    prompter.ExpectFile(PromptMatch::Id(10021), FileResult{});
    List().WriteCmdFile(); // Documents now exists
    prompter.ExpectFile(PromptMatch::Id(33066), FileResult{});
    List().FileOpen(); // the profile's folder
    ExpectSaveDialog(TempPath("saved/new.fmt"));
    ASSERT_TRUE(QDir().mkpath(TempPath("saved")));
    List().SaveSelected(); // the remembered folder is gone: Documents
    prompter.ExpectFile(PromptMatch::Id(10021), FileResult{});
    List().WriteCmdFile(); // the folder just chosen

    const std::vector<FileRequest> &requests = prompter.FileRequests();
    ASSERT_EQ(requests.size(), 5u);
    EXPECT_EQ(requests[0].folder, fakeHome);
    EXPECT_EQ(requests[1].folder, fakeHome + "/Documents");
    EXPECT_EQ(requests[2].folder, tempDir.path());
    EXPECT_EQ(requests[3].folder, fakeHome + "/Documents");
    EXPECT_EQ(requests[3].fileName, "Test.fmt");
    EXPECT_EQ(requests[4].folder, TempPath("saved"));
}

TEST_F(DataFilesTest, ATextEditorThatDoesNotStartIsReported)
{
    const QString bad = WriteFile("bad.cmd", "// RARU\n// 2.000\nFMTN A\nHRES 640\n");
    prompter.ExpectFile(PromptMatch::Id(10005), Chosen({bad}));
    prompter.ExpectMessage(PromptMatch::Text("Invalid Format File\r\nOpen File In NotePad?"), IDYES);
    prompter.ExpectDocument(DocumentKind::TextEditor, PromptMatch::Text(bad), false);
    prompter.ExpectMessage(PromptMatch::Text("The file could not be opened in a text editor:\n\n" + bad)
                               .AndCaption("CMD File Error"),
                           IDOK, MB_OK | MB_ICONEXCLAMATION);
    List().ImportCmdFile();
    prompter.VerifyAllUsed();
}

TEST_F(DataFilesTest, LongCommandFileIsTruncatedTo5000Lines)
{
    QByteArray text;
    for (int i = 0; i < 6000; ++i)
        text += "hres 1\n";
    QBuffer buffer(&text);
    buffer.open(QIODevice::ReadOnly);
    prompter.ExpectMessage(PromptMatch::Text("CMD File is Truncated to 5000 lines"), IDOK, MB_OK);
    QStringList lines;
    CDataListView::ReadCmdFileLines(buffer, lines);
    ASSERT_EQ(lines.size(), 5001);
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[5000], "hres 1") << "as written";

    QByteArray exact;
    for (int i = 0; i < 4999; ++i)
        exact += "X\n";
    QBuffer small(&exact);
    small.open(QIODevice::ReadOnly);
    CDataListView::ReadCmdFileLines(small, lines); // no message: nothing was cut
    EXPECT_EQ(lines.size(), 5001);
    EXPECT_EQ(lines.last(), "") << "the read that met the end";
}

TEST_F(DataFilesTest, WriteCmdFileUsesTheFirstSelectedRowsName)
{
    CGenData *item = List().NewItem(kIconFormat);
    item->SetName("PAL");
    List().RefreshItem(item);
    const QString path = TempPath("out.cmd");
    std::optional<FileRequest> seen;
    prompter.ExpectFile(PromptMatch::Id(10021).AndCaption("Save As CMD File"), Chosen({path}));
    EXPECT_TRUE(List().WriteCmdFile());
    EXPECT_EQ(static_cast<CTestItem *>(item)->writtenPath, path);
    EXPECT_EQ(static_cast<CTestItem *>(item)->writtenName, "PAL");
    EXPECT_EQ(GetProfileString("Folders", "FileSave"), tempDir.path() + u'/');
    prompter.ExpectFile(PromptMatch::Id(10021), {});
    EXPECT_FALSE(List().WriteCmdFile()) << "cancelled";
}

} // namespace

namespace {

TEST_F(DataFilesTest, FormatRoundTripsThroughItsDataFile)
{
    RegisterProgramDataKinds();
    CGenData *format = List().NewItem(kIconFormat);
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->GetTypeCode(), CGenData::kFormat);
    format->SetName("RT_1");
    const QString path = TempPath("rt.fmt");
    ExpectSaveDialog(path);
    ASSERT_TRUE(List().FileSave(0, false, false));
    EXPECT_FALSE(format->IsModified());
    ASSERT_TRUE(List().OpenFile(path));
    ASSERT_EQ(List().GetRowCount(), 2);
    EXPECT_EQ(List().GetRowIcon(1), kIconFormat);
    EXPECT_EQ(List().GetRowItem(1)->GetTypeCode(), CGenData::kFormat);
    EXPECT_EQ(List().GetRowText(1, 0), "RT_1");
}

} // namespace

// --- Files that are not files, files without end, writes that fail ----------

namespace {

// The kinds of path that are no regular file, each made in the test folder
// (or the system's own device).
struct NotAFileCase {
    const char *name;
    std::function<QString(const QString &folder)> make;
    const char *kind;
};

const NotAFileCase kNotAFile[] = {
    {"a device", [](const QString &) { return QStringLiteral("/dev/zero"); }, "a device"},
    {"a FIFO without a writer",
     [](const QString &folder) {
         const QString path = folder + QStringLiteral("/fifo.fmt");
         EXPECT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
         return path;
     },
     "a pipe (FIFO)"},
    {"a folder",
     [](const QString &folder) {
         const QString path = folder + QStringLiteral("/folder.fmt");
         EXPECT_TRUE(QDir().mkpath(path));
         return path;
     },
     "a folder"},
};

TEST_F(DataFilesTest, WhatIsNoFileIsRefusedBeforeItIsOpened)
{
    struct Entry {
        const char *name;
        unsigned dialog; // the title of the file dialog that chooses the path; 0: none
        std::function<void(CDataListView &, const QString &)> use;
    };
    const Entry entries[] = {
        {"open", 0, [](CDataListView &list, const QString &path) { list.OpenFile(path); }},
        {"drop", 0, [](CDataListView &list, const QString &path) { list.OnDropFiles({path}); }},
        {"older product's import", 33404, [](CDataListView &list, const QString &) { list.FileImportZot2(); }},
        {"command-file import", 10005, [](CDataListView &list, const QString &) { list.ImportCmdFile(); }},
    };
    for (const NotAFileCase &c : kNotAFile) {
        const QString path = c.make(tempDir.path());
        for (const Entry &entry : entries) {
            SCOPED_TRACE(std::string(c.name) + " by " + entry.name);
            if (entry.dialog != 0)
                prompter.ExpectFile(PromptMatch::Id(entry.dialog), Chosen({path}));
            prompter.ExpectMessage(PromptMatch::Text(QStringLiteral("Unable to open the file:\n\n%1\n\n\"%1\" is %2, not a file.")
                                                         .arg(path, QLatin1String(c.kind)))
                                       .AndCaption("Open ZOT Data..."),
                                   IDOK, MB_OK | MB_ICONEXCLAMATION);
            entry.use(List(), path);
            prompter.VerifyAllUsed();
            EXPECT_EQ(List().GetRowCount(), 0);
        }
    }
}

TEST_F(DataFilesTest, DataFileLargerThanAnyArchiveIsRefusedUnread)
{
    const QString path = TempPath("huge.fmt");
    QFile huge(path);
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.write(kTestItemFile) == kTestItemFile.size());
    ASSERT_TRUE(huge.resize(CArchive::kMaxBytes + 1)); // sparse: no disk is used
    huge.close();
    const QString text = QStringLiteral("The file \"%1\" is larger than 256 MiB; no data file is that large.").arg(path);
    prompter.ExpectMessage(PromptMatch::Text(text).AndCaption("Open ZOT Data..."), IDOK, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_FALSE(List().OpenFile(path));
    prompter.ExpectFile(PromptMatch::Id(33404), Chosen({path}));
    prompter.ExpectMessage(PromptMatch::Text(text), IDOK);
    List().FileImportZot2();
    EXPECT_EQ(List().GetRowCount(), 0);

    // One byte less is read (and is no data item beyond its first object).
    ASSERT_TRUE(QFile::resize(path, CArchive::kMaxBytes));
    EXPECT_TRUE(List().OpenFile(path));
    EXPECT_EQ(List().GetRowCount(), 1);
}

TEST_F(DataFilesTest, CommandFileWithALineBeyondTheLimitIsRefused)
{
    const QByteArray longest(CDataListView::kMaxCmdLineLength, 'A');
    const struct {
        const char *name;
        QByteArray bytes;
        int line; // the line named in the box; 0: the file is imported
    } cases[] = {
        {"a long first line", QByteArray(100000, '/') + "\n// 2.000\nFMTN A\nFMTE\n", 1},
        {"a long second line", "// RARU\n" + QByteArray(5000, 'X') + "\nFMTN A\nFMTE\n", 2},
        {"a long body line", "// RARU\r\n// 2.000\r\nFMTN A\r\n" + longest + "B\r\nFMTE\r\n", 4},
        {"a long last line without a line end", "// RARU\n// 2.000\nFMTN A\nFMTE\n" + longest + 'B', 5},
        {"the longest line allowed", "// RARU\n// 2.000\nFMTN A\n" + longest + "\nFMTE\n", 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = WriteFile("long.cmd", c.bytes);
        prompter.ExpectFile(PromptMatch::Id(10005), Chosen({path}));
        if (c.line != 0)
            prompter.ExpectMessage(
                PromptMatch::Text(QStringLiteral("The file \"%1\" is no command file: its line %2 is longer than 4096 "
                                                 "characters.")
                                      .arg(path)
                                      .arg(c.line)),
                IDOK, MB_OK | MB_ICONEXCLAMATION);
        List().ImportCmdFile();
        prompter.VerifyAllUsed();
        EXPECT_EQ(List().GetRowCount(), c.line == 0 ? 1 : 0);
        List().DeleteAll();
    }
}

TEST_F(DataFilesTest, FailedSaveAsKeepsThePathTheNextSaveUses)
{
    CGenData *item = List().NewItem(kIconFormat);
    const QString first = TempPath("first.fmt");
    ExpectSaveDialog(first);
    ASSERT_TRUE(List().FileSave(0, false, false));
    const QString blocked = TempPath("blocked.fmt");
    ASSERT_TRUE(QDir().mkpath(blocked)); // a folder where the file would go
    ExpectSaveDialog(blocked);
    prompter.ExpectMessage(PromptMatch::Text("\"" + blocked + "\" is a folder, not a file.").AndCaption("ERROR"),
                           IDOK, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_FALSE(List().FileSave(0, true, false));
    EXPECT_EQ(item->GetFilePath(), first);
    EXPECT_EQ(List().GetRowText(0, 1), first);

    static_cast<CTestItem *>(item)->payload = "again";
    item->SetModified(true);
    EXPECT_TRUE(List().FileSave(0, false, false)) << "no dialog: the path that was saved last";
    EXPECT_TRUE(ReadAll(first).endsWith("\x05" "again"));
    EXPECT_TRUE(QFileInfo(blocked).isDir());
}

// The older product's record names its file: the one chosen, while it is written.
TEST_F(DataFilesTest, OlderProductSaveAsNamesTheChosenFile)
{
    RegisterProgramDataKinds();
    CGenData *format = List().NewItem(kIconFormat);
    format->SetName("VGA");
    ExpectSaveDialog(TempPath("first.fmt"));
    ASSERT_TRUE(List().FileSave(0, false, false));
    ExpectSaveDialog(TempPath("second.fmt"));
    ASSERT_TRUE(List().FileSave(0, true, true));
    const QByteArray record = ReadAll(TempPath("second.fmt"));
    // After the five leading bytes and the kind: the file's name without its extension.
    EXPECT_EQ(record.mid(9, 10), QByteArray("\x06\x00\x00\x00second", 10));
    EXPECT_EQ(format->GetFilePath(), TempPath("second.fmt"));
}

TEST_F(DataFilesTest, SaveAsOntoADeviceLeavesTheDevice)
{
    List().NewItem(kIconFormat);
    ExpectSaveDialog("/dev/null");
    prompter.ExpectMessage(PromptMatch::Text("\"/dev/null\" is a device, not a file.").AndCaption("ERROR"), IDOK);
    EXPECT_FALSE(List().FileSave(0, true, false));
    struct stat status {};
    ASSERT_EQ(stat("/dev/null", &status), 0);
    EXPECT_TRUE(S_ISCHR(status.st_mode));
}

// Write CMD File through the menu, with the real format writer.
class CmdFileWriteTest : public DataFilesTest {
protected:
    void SetUp() override
    {
        DataFilesTest::SetUp();
        RegisterProgramDataKinds();
        format = List().NewItem(kIconFormat);
        format->SetName("PAL");
        List().RefreshItem(format);
        ASSERT_TRUE(List().IsRowSelected(0));
    }

    // box: the one box the command shows, with its flags.
    void WriteThroughTheMenu(const QString &path, const std::optional<PromptMatch> &box = {},
                             unsigned flags = MB_OK | MB_ICONEXCLAMATION)
    {
        prompter.ExpectFile(PromptMatch::Id(10021), Chosen({path}));
        if (box)
            prompter.ExpectMessage(*box, IDOK, flags);
        QAction *write = window->findChild<QAction *>(QStringLiteral("cmd10173"));
        ASSERT_NE(write, nullptr);
        window->UpdateControls(); // as the selection change does
        ASSERT_TRUE(write->isEnabled());
        write->trigger();
        prompter.VerifyAllUsed();
    }

    // The program goes on with its items as they were.
    void ExpectStillRunning()
    {
        ASSERT_EQ(List().GetRowCount(), 1);
        EXPECT_EQ(List().GetRowItem(0), format);
        EXPECT_TRUE(format->IsModified());
        EXPECT_EQ(format->GetName(), "PAL");
    }

    CGenData *format = nullptr;
};

TEST_F(CmdFileWriteTest, WritesTheFormatsLines)
{
    const QString path = TempPath("pal.cmd");
    WriteThroughTheMenu(path);
    const QByteArray text = ReadAll(path);
    EXPECT_TRUE(text.startsWith("// RARU\r\n// 2.000\r\nFMTN PAL\r\nFMTB\r\nNAME PAL\r\n")) << text.left(60).data();
    EXPECT_TRUE(text.endsWith("\r\nFMTE\r\nFMTA PAL\r\n"));
}

TEST_F(CmdFileWriteTest, FailedWriteShowsOneBoxKeepsTheOldFileAndTheProgram)
{
    const QByteArray old = "old contents\r\n";

    // A device: refused before anything is written; the device stays.
    WriteThroughTheMenu("/dev/full", PromptMatch::Text("Error Creating File\n\n\"/dev/full\" is a device, not a file."));
    struct stat status {};
    ASSERT_EQ(stat("/dev/full", &status), 0);
    EXPECT_TRUE(S_ISCHR(status.st_mode));
    ExpectStillRunning();

    // A folder the program may not write into.
    const QString locked = TempPath("locked");
    ASSERT_TRUE(QDir().mkpath(locked));
    const QString inLocked = WriteFile("locked/pal.cmd", old);
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    {
        ScopedFilePermissions asUser;
        WriteThroughTheMenu(inLocked, PromptMatch::Text("Error Creating File\n\n\"" + inLocked
                                                        + "\" could not be written: Permission denied. The file already "
                                                          "there is unchanged."));
    }
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(ReadAll(inLocked), old);
    EXPECT_EQ(QDir(locked).entryList(QDir::Files | QDir::Hidden), QStringList{"pal.cmd"});
    ExpectStillRunning();

    // A disk that fills while the file is written.
    ASSERT_TRUE(QDir().mkpath(TempPath("full")));
    const QString onFullDisk = WriteFile("full/pal.cmd", old);
    {
        ScopedFileSizeLimit full(64);
        WriteThroughTheMenu(onFullDisk, PromptMatch::Text(QStringLiteral("Error Creating File\n\n\"%1\" could not be written: "
                                                                         "File too large. The file already there is unchanged.")
                                                              .arg(onFullDisk)));
    }
    EXPECT_EQ(ReadAll(onFullDisk), old);
    EXPECT_EQ(QDir(TempPath("full")).entryList(QDir::Files | QDir::Hidden), QStringList{"pal.cmd"});
    ExpectStillRunning();

    // With room again the same command writes the file.
    WriteThroughTheMenu(onFullDisk);
    EXPECT_TRUE(ReadAll(onFullDisk).startsWith("// RARU\r\n"));
}

} // namespace

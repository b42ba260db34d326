// Format-list files between two simulated generators through the real
// library on pseudo-terminals: the detailed list of one saved, loaded into
// the other's view with each row marked by what that generator holds, the
// queries it takes, and files that are damaged, missing or cannot be
// written.

#include "CGenerator.h"
#include "CGeneratorDataPane.h"
#include "CGeneratorView.h"
#include "FormatListFile.h"
#include "DialogUnits.h"
#include "PortDialogAnswer.h"
#include "Profile.h"
#include "ScopedTimeScale.h"
#include "StatusRecorder.h"
#include "TestSupport.h"

#include "gensim/Population.h"
#include "gensim/Simulator.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTreeWidget>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using Pane = CGeneratorDataPane;
using Lines = std::vector<std::string>;
using gensim::ItemKind;

// A format of the population's timing under another name.
gensim::StoredItem FormatNamed(const char *name, bool user)
{
    gensim::StoredItem item = gensim::populationFormat(1);
    item.name = name;
    item.user = user;
    item.fields["NAME"] = name;
    return item;
}

class FormatListSimTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        // A holds four user formats beside its built-in ones. B holds UF0001
        // as built-in and UF0002 as user data, and neither UF0000 nor UF0003.
        for (const char *serial : {"100001", "100002"})
            sim.addGenerator({.model = "VG-7000", .firmware = "7.021", .serial = serial, .baudRate = 115200, .link = ""});
        gensim::populate(sim.generator(0), {.formats = 4});
        sim.generator(1).seed(ItemKind::Format, FormatNamed("UF0001", false));
        sim.generator(1).seed(ItemKind::Format, FormatNamed("UF0002", true));
        sim.start();
        setenv("MORVANE_COM1", sim.generator(0).comPath().c_str(), 1);
        setenv("MORVANE_COM2", sim.generator(1).comPath().c_str(), 1);
    }

    void TearDown() override
    {
        views[0].reset();
        views[1].reset();
        unsetenv("MORVANE_COM1");
        unsetenv("MORVANE_COM2");
        PlatformTest::TearDown();
    }

    // Generator i's view (frame made, hidden, not scanned).
    CGeneratorView &Open(int i)
    {
        views[i] = std::make_unique<CGeneratorView>(ConnectOverCom(prompter, i + 1).release(), nullptr);
        views[i]->CreateFrame();
        return *views[i];
    }

    // View i, scanned, showing its detailed list after the question.
    Pane &Scanned(int i)
    {
        Open(i).ScanGenerator();
        Pane &pane = *views[i]->DataPane();
        prompter.ExpectMessage(PromptMatch::Id(33394), IDYES);
        pane.ShowList(Pane::kDetailed);
        return pane;
    }

    // The command from the view's menu; then adds what comes after the file dialog.
    void Save(Pane &pane, const QString &path, const std::function<void()> &then = {})
    {
        prompter.ExpectFile(PromptMatch::Caption(QStringLiteral("Save Format List...")), FileResult{true, {path}, 1});
        if (then)
            then();
        pane.GetView()->Router().Update();
        ASSERT_TRUE(pane.GetView()->Router().Action(ID_SAVE_FORMAT_LIST)->isEnabled());
        pane.GetView()->Router().Execute(ID_SAVE_FORMAT_LIST);
    }

    void Load(Pane &pane, const QString &path, const std::function<void()> &then = {})
    {
        prompter.ExpectFile(PromptMatch::Caption(QStringLiteral("Load a Format List...")), FileResult{true, {path}, 1});
        if (then)
            then();
        pane.GetView()->Router().Update();
        ASSERT_TRUE(pane.GetView()->Router().Action(ID_LOAD_FORMAT_LIST)->isEnabled());
        pane.GetView()->Router().Execute(ID_LOAD_FORMAT_LIST);
    }

    // Name and icon of every row, in display order.
    static std::vector<std::pair<QString, int>> Marks(const Pane &pane)
    {
        std::vector<std::pair<QString, int>> rows;
        for (const CFormatListEntry &e : pane.FormatListEntries())
            rows.emplace_back(e.name, e.icon);
        return rows;
    }
    static QStringList Texts(const Pane &pane, int row)
    {
        QStringList texts;
        for (int column = 0; column < kFormatListColumnCount; ++column)
            texts.append(pane.DetailedList()->topLevelItem(row)->text(column));
        return texts;
    }

    size_t Mark(int i) { return sim.generator(size_t(i)).trace().size(); }
    Lines Since(int i, size_t mark)
    {
        const Lines lines = sim.generator(size_t(i)).trace().lines();
        return Lines(lines.begin() + long(std::min(mark, lines.size())), lines.end());
    }
    static QByteArray ReadAll(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    gensim::Simulator sim;
    std::unique_ptr<CGeneratorView> views[2];
};

using Marked = std::vector<std::pair<QString, int>>;

TEST_F(FormatListSimTest, AListSavedFromOneGeneratorLoadsIntoAnotherWithItsMarks)
{
    Pane &a = Scanned(0);
    // The saved order is the shown order: sorted by name, descending.
    a.OnColumnClickFormatList(kColName);
    a.OnColumnClickFormatList(kColName);
    const QList<CFormatListEntry> shown = a.FormatListEntries();
    ASSERT_EQ(shown.size(), 10);
    const QString path = TempPath(QStringLiteral("lists/a.fls"));
    QDir().mkpath(TempPath(QStringLiteral("lists")));
    Save(a, path);
    const QByteArray file = ReadAll(path);
    ASSERT_EQ(file.left(8).toHex(), QByteArray("2b802b1a0a000000")); // magic, 10 rows
    // Rows of 41 bytes and their names: four of six characters, six built-in names.
    EXPECT_EQ(file.size(), 8 + 10 * 41 + 4 * 6 + 6 + 7 + 7 + 7 + 8 + 7);
    EXPECT_EQ(GetProfileString(QStringLiteral("Folders"), QStringLiteral("FmtList")), TempPath(QStringLiteral("lists/")));

    Pane &b = *Open(1).DataPane();
    ASSERT_EQ(b.CurrentList(), Pane::kFormats);
    StatusRecorder status;
    const size_t mark = Mark(1);
    Load(b, path); // no scan question: the list is filled by the load
    // B holds UF0002 as user data, UF0001 and its built-in formats as built-in, not UF0000 and UF0003.
    EXPECT_EQ(Marks(b), (Marked{{"VGA_m4", 4},
                                {"UF0003", 15},
                                {"UF0002", 3},
                                {"UF0001", 4},
                                {"UF0000", 15},
                                {"NTSC_601", 4},
                                {"HDTV_2J", 4},
                                {"DMT8075", 4},
                                {"DMT1275", 4},
                                {"DMT1075", 4}}));
    // One question whether it holds the name, a second whose data it is when it does.
    EXPECT_EQ(Since(1, mark), (Lines{"FMTL? \"VGA_m4\"", "FMTK? VGA_m4", "FMTL? \"UF0003\"", "FMTL? \"UF0002\"",
                                     "FMTK? UF0002", "FMTL? \"UF0001\"", "FMTK? UF0001", "FMTL? \"UF0000\"",
                                     "FMTL? \"NTSC_601\"", "FMTK? NTSC_601", "FMTL? \"HDTV_2J\"", "FMTK? HDTV_2J",
                                     "FMTL? \"DMT8075\"", "FMTK? DMT8075", "FMTL? \"DMT1275\"", "FMTK? DMT1275",
                                     "FMTL? \"DMT1075\"", "FMTK? DMT1075"}));
    EXPECT_EQ(status.headings, std::vector<std::string>{"Loading: \"a.fls\""});
    EXPECT_EQ(status.steps, (std::vector<std::string>{"Loaded: 0%", "Loaded: 10%", "Loaded: 20%", "Loaded: 30%",
                                                      "Loaded: 40%", "Loaded: 50%", "Loaded: 60%", "Loaded: 70%",
                                                      "Loaded: 80%", "Loaded: 90%"}));
    // The figures are the file's, shown as a scan shows them; the list is shown.
    EXPECT_TRUE(b.IsDetailedMode());
    EXPECT_TRUE(b.IsDetailedListFilled());
    EXPECT_TRUE(b.DetailedList()->isVisibleTo(&b));
    for (int row = 0; row < 10; ++row)
        EXPECT_EQ(Texts(b, row), Texts(a, row)) << row;
    b.GetView()->Router().Update();
    EXPECT_TRUE(b.GetView()->Router().Action(ID_SAVE_FORMAT_LIST)->isEnabled());

    // The same file again gives the same rows, not twice as many.
    Load(b, path);
    EXPECT_EQ(b.FormatListRowCount(), 10);
    EXPECT_EQ(Marks(b)[2], (std::pair<QString, int>{"UF0002", 3}));

    // Saved from B, the file is the one A wrote: marks are not stored.
    const QString again = TempPath(QStringLiteral("lists/b.fls"));
    Save(b, again);
    EXPECT_EQ(ReadAll(again), file);
}

// Calls then once, when a progress dialog first paints step as its second line.
class AtStep : public QObject {
public:
    AtStep(QString step, std::function<void()> then) : m_step(std::move(step)), m_then(std::move(then))
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~AtStep() override { QCoreApplication::instance()->removeEventFilter(this); }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *label = qobject_cast<QLabel *>(watched);
        if (m_then && event->type() == QEvent::Paint && label && label->objectName() == ControlName(IDC_STATUS2)
            && label->text() == m_step) {
            m_then();
            m_then = nullptr;
        }
        return false;
    }

private:
    QString m_step;
    std::function<void()> m_then;
};

// The link drops halfway through the marks: no row is marked by a question
// that got no answer, and the list shown stays; after Reconnect the same
// file loads whole.
TEST_F(FormatListSimTest, ALoadCutByALostLinkLeavesTheListAsItWas)
{
    const QString path = TempPath(QStringLiteral("a.fls"));
    Save(Scanned(0), path);
    Pane &b = Scanned(1);
    const Marked before = Marks(b);
    ASSERT_EQ(before.size(), 8u); // its six built-in formats and two of its own
    CGenerator &generator = *b.GetGenerator();
    const size_t mark = Mark(1);
    {
        AtStep cut(QStringLiteral("Loaded: 50%"), [this] { sim.generator(1).fault(gensim::Fault::dropLink()); });
        ScopedTimeScale lost("0.1");
        Load(b, path, [this] {
            prompter.ExpectMessage(PromptMatch::Caption(QStringLiteral("Communication Error")), IDOK);
        });
    }
    EXPECT_TRUE(generator.IsLinkLost());
    EXPECT_EQ(Marks(b), before);
    EXPECT_TRUE(b.IsDetailedMode());
    // The first five rows were asked about; the sixth got no answer and nothing was asked after it.
    const Lines asked = Since(1, mark);
    const auto fmtl = std::count_if(asked.begin(), asked.end(),
                                    [](const std::string &line) { return line.rfind("FMTL? ", 0) == 0; });
    EXPECT_LE(fmtl, 6) << ::testing::PrintToString(asked);
    EXPECT_GE(fmtl, 5) << ::testing::PrintToString(asked);

    // Back again: the load asks once whether to reconnect, then marks every row.
    sim.generator(1).clearFaults();
    Load(b, path, [this] {
        prompter.ExpectMessage(PromptMatch::Id(IDS_LINK_LOST_RECONNECT).AndCaption(QStringLiteral("Link Lost")), IDYES,
                               MB_YESNO | MB_ICONQUESTION);
    });
    EXPECT_FALSE(generator.IsLinkLost());
    const Marked rows = Marks(b);
    const std::map<QString, int> marks(rows.begin(), rows.end());
    EXPECT_EQ(rows.size(), 10u);
    EXPECT_EQ(marks.at("UF0000"), 15);
    EXPECT_EQ(marks.at("UF0001"), 4);
    EXPECT_EQ(marks.at("UF0002"), 3);
    EXPECT_EQ(marks.at("UF0003"), 15);
    EXPECT_EQ(marks.at("NTSC_601"), 4);
}

TEST_F(FormatListSimTest, AScannedGeneratorAnswersTheUserMarkFromItsList)
{
    Pane &a = Scanned(0);
    const QString path = TempPath(QStringLiteral("a.fls"));
    Save(a, path);
    CGeneratorView &viewB = Open(1);
    viewB.ScanGenerator();
    StatusRecorder status;
    const size_t mark = Mark(1);
    Load(*viewB.DataPane(), path);
    Lines queries;
    for (const CFormatListEntry &e : a.FormatListEntries())
        queries.push_back("FMTL? \"" + e.name.toStdString() + "\"");
    EXPECT_EQ(Since(1, mark), queries);
    const Marked rows = Marks(*viewB.DataPane());
    const std::map<QString, int> marks(rows.begin(), rows.end());
    EXPECT_EQ(marks.at("UF0002"), 3);
    EXPECT_EQ(marks.at("UF0001"), 4);
    EXPECT_EQ(marks.at("UF0000"), 15);
}

TEST_F(FormatListSimTest, AnEmptyListIsItsHeaderAndLoadingItEmptiesTheList)
{
    Pane &a = Scanned(0);
    const QString empty = TempPath(QStringLiteral("empty.fls"));
    QFile file(empty);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::fromHex("2b802b1a00000000"));
    file.close();
    StatusRecorder status;
    const size_t mark = Mark(0);
    Load(a, empty);
    EXPECT_EQ(a.FormatListRowCount(), 0);
    EXPECT_TRUE(a.IsDetailedMode());
    EXPECT_EQ(Since(0, mark), Lines{});
    EXPECT_EQ(status.steps, std::vector<std::string>{}); // no rows, no percentage
    const QString saved = TempPath(QStringLiteral("saved.fls"));
    Save(a, saved);
    EXPECT_EQ(ReadAll(saved).toHex(), QByteArray("2b802b1a00000000"));
}

TEST_F(FormatListSimTest, DamagedOrMissingFilesLeaveTheListAsItWas)
{
    Pane &a = Scanned(0);
    const QList<CFormatListEntry> before = a.FormatListEntries();
    const QString good = TempPath(QStringLiteral("good.fls"));
    Save(a, good);
    const QByteArray bytes = ReadAll(good);
    struct Case {
        const char *what;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"wrong magic", QByteArray::fromHex("2c802b1a00000000")},
        {"a count past the bytes", bytes.left(4) + QByteArray::fromHex("0b000000") + bytes.mid(8)},
        {"the last row cut", bytes.left(bytes.size() - 1)},
        {"a byte after the last row", bytes + '\0'},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = TempPath(QStringLiteral("bad.fls"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.bytes);
        file.close();
        const size_t mark = Mark(0);
        Load(a, path, [this] {
            prompter.ExpectMessage(PromptMatch::Id(33320).AndCaption(QStringLiteral("Error")), IDOK,
                                   MB_OK | MB_ICONEXCLAMATION);
        });
        EXPECT_TRUE(prompter.Records().back().text.startsWith(
            QStringLiteral("   *** Corrupted or inaccessable file: ") + path + QStringLiteral("\n\n")));
        EXPECT_EQ(Since(0, mark), Lines{}); // nothing asked of the generator
        EXPECT_EQ(Marks(a).size(), size_t(before.size()));
        EXPECT_EQ(a.FormatListEntries().first().name, before.first().name);
    }

    const QString missing = TempPath(QStringLiteral("missing.fls"));
    Load(a, missing, [this] {
        prompter.ExpectMessage(PromptMatch::Id(33067).AndCaption(QStringLiteral("Open Failed")), IDOK,
                               MB_OK | MB_ICONEXCLAMATION);
    });
    EXPECT_TRUE(prompter.Records().back().text.startsWith(QStringLiteral("Unable to open the file:\n\n") + missing));
    EXPECT_EQ(a.FormatListRowCount(), before.size());

    // What is no file is refused before it is read: a device would give bytes without end.
    Load(a, QStringLiteral("/dev/zero"), [this] {
        prompter.ExpectMessage(PromptMatch::Id(33067).AndCaption(QStringLiteral("Open Failed")), IDOK);
    });
    EXPECT_TRUE(prompter.Records().back().text.contains(QStringLiteral("is a device"))) << qPrintable(prompter.Records().back().text);
    EXPECT_EQ(a.FormatListRowCount(), before.size());

    // Cancel: nothing.
    prompter.ExpectFile(PromptMatch::Caption(QStringLiteral("Load a Format List...")), FileResult{});
    a.LoadFormatList();
    EXPECT_EQ(a.FormatListRowCount(), before.size());
}

TEST_F(FormatListSimTest, ASaveThatCannotBeWrittenSaysSoAndKeepsTheOlderFile)
{
    Pane &a = Scanned(0);
    const QString locked = TempPath(QStringLiteral("locked"));
    const QString full = TempPath(QStringLiteral("full"));
    for (const QString &folder : {locked, full}) {
        ASSERT_TRUE(QDir().mkpath(folder));
        QFile older(folder + QStringLiteral("/older.fls"));
        ASSERT_TRUE(older.open(QIODevice::WriteOnly) && older.write("older") == 5);
    }
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    struct Case {
        const char *what;
        QString path;
        long long diskRoom; // -1: no limit
        const char *cause;
    };
    const Case cases[] = {
        {"a new file in a read-only folder", locked + QStringLiteral("/new.fls"), -1, ""},
        {"an older file in a read-only folder", locked + QStringLiteral("/older.fls"), -1, ""},
        {"a disk that fills", full + QStringLiteral("/older.fls"), 100, ""},
        {"a device", QStringLiteral("/dev/null"), -1, "is a device"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const bool existed = QFileInfo::exists(c.path);
        {
            ScopedFilePermissions asUser;
            std::optional<ScopedFileSizeLimit> disk;
            if (c.diskRoom >= 0)
                disk.emplace(c.diskRoom);
            Save(a, c.path, [this] {
                prompter.ExpectMessage(PromptMatch::Id(33067).AndCaption(QStringLiteral("ERROR")), IDOK,
                                       MB_OK | MB_ICONEXCLAMATION);
            });
        }
        EXPECT_TRUE(prompter.Records().back().text.startsWith(QStringLiteral("Unable to open the file:\n\n") + c.path
                                                              + QStringLiteral("\n\n")));
        EXPECT_TRUE(prompter.Records().back().text.contains(QLatin1String(c.cause)));
        EXPECT_EQ(QFileInfo::exists(c.path), existed);
        if (existed && QFileInfo(c.path).isFile()) {
            EXPECT_EQ(ReadAll(c.path), "older");
        }
    }
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(QDir(locked).entryList(QDir::Files | QDir::Hidden), QStringList{"older.fls"});
    EXPECT_EQ(QDir(full).entryList(QDir::Files | QDir::Hidden), QStringList{"older.fls"});
}

} // namespace

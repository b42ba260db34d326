// The Archive Restoration tool's scan and its rules: which generators may
// take the data, a revision-7 file whose sum fails, and "&Convert" refused
// for the data folder itself, even through a link.

#include "CArchiveRestorationDlg.h"
#include "CGenerator.h"
#include "ShellTestSupport.h"
#include "SystemRecord.h"

#include "gensim/MemoryImage.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QRegularExpression>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

class ArchiveRestorationTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        MakeWindow();
        folder = tempDir.path() + "/data/";
        QDir().mkpath(folder);
    }
    void Put(const QString &name, const QByteArray &bytes)
    {
        QFile f(folder + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QStringList LogLines(const CArchiveRestorationDlg &tool) const
    {
        QStringList lines;
        for (int i = 0; i < tool.Log()->count(); ++i)
            lines << tool.Log()->item(i)->text();
        return lines;
    }
    static QByteArray Std(const std::string &s) { return QByteArray(s.data(), qsizetype(s.size())); }

    QString folder;
};

TEST_F(ArchiveRestorationTest, CompatibilityFollowsTheDataAndTheFirmware)
{
    struct Case {
        double data;    // 0: revision-7 data, no system.sys
        double firmware;
        bool compatible;
    };
    const Case cases[] = {
        {2.5, 2.5, true},     {2.5, 2.5000001, true}, {2.5, 2.51, false}, {3.0, 3.5, true},
        {2.981, 3.05, false}, {0, 7.0, false},        {0, 7.001, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.data << " on " << c.firmware);
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        if (c.data != 0) {
            Put("system.sys", SystemRecord::ForRevision(c.data).Bytes());
            Put("format.mem", Std(gensim::MemoryImage(c.data).formatFile({})));
        } else {
            Put("format.mem", Std(gensim::MemoryImage(7.05).formatFile({})));
        }
        CArchiveRestorationDlg tool(window.get());
        tool.ScanFolder(folder);
        EXPECT_EQ(tool.IsR40(), c.data != 0);
        EXPECT_EQ(tool.IsCompatible(c.firmware), c.compatible);
    }
    CArchiveRestorationDlg empty(window.get());
    EXPECT_FALSE(empty.IsCompatible(7.05)) << "nothing loaded";
}

TEST_F(ArchiveRestorationTest, AChangedByteMarksTheFileCorruptedWithBothSums)
{
    gensim::StoredItem format{"fmtA"};
    format.fields = {{"HRES", "800"}, {"VRES", "600"}, {"HRAT", "46875"}, {"SCAN", "1"}};
    QByteArray file = Std(gensim::MemoryImage(7.05).formatFile({format}));
    ASSERT_GT(file.size(), 40);
    file[40] = char(file[40] + 1); // outside the sum itself
    Put("format.mem", file);
    Put("image.mem", Std(gensim::MemoryImage(7.05).imageFile({})));
    CArchiveRestorationDlg tool(window.get());
    tool.ScanFolder(folder);
    ASSERT_EQ(tool.Tree()->topLevelItemCount(), 2);
    QTreeWidgetItem *corrupted = tool.Tree()->topLevelItem(0);
    ASSERT_EQ(corrupted->childCount(), 1);
    EXPECT_EQ(corrupted->child(0)->text(0), "Data File Corrupted!");
    EXPECT_EQ(corrupted->checkState(0), Qt::Unchecked);
    EXPECT_FALSE(corrupted->flags() & Qt::ItemIsUserCheckable) << "it cannot be checked";
    EXPECT_EQ(tool.Tree()->topLevelItem(1)->checkState(0), Qt::Checked);
    bool logged = false;
    for (const QString &line : LogLines(tool))
        logged = logged || QRegularExpression("^Calc: [0-9A-F]+  File: [0-9A-F]+$").match(line).hasMatch();
    EXPECT_TRUE(logged) << LogLines(tool).join('\n').toStdString();
}

TEST_F(ArchiveRestorationTest, ConvertIsRefusedForTheDataFolderThroughALink)
{
    Put("system.sys", SystemRecord::ForRevision(2.453).Bytes());
    Put("format.mem", Std(gensim::MemoryImage(2.453).formatFile({})));
    const QString link = tempDir.path() + "/link";
    ASSERT_TRUE(QFile::link(tempDir.path() + "/data", link));
    CArchiveRestorationDlg tool(window.get());
    tool.ScanFolder(folder);
    tool.SetConvertTo(7.0);
    tool.SetDestination(link);
    EXPECT_FALSE(tool.ConvertButton()->isEnabled());
    EXPECT_EQ(LogLines(tool).count("srcpath == dstpath not allowed for R40 data conversions."), 1);
    tool.SetDestination(tempDir.path() + "/other");
    EXPECT_TRUE(tool.ConvertButton()->isEnabled());

    // To the revision the data has: nothing is asked or changed.
    tool.SetConvertTo(2.453);
    tool.OnConvert();
    EXPECT_EQ(LogLines(tool).last(), "Nothing to do, data already at desired version!");
    EXPECT_FALSE(QDir(tempDir.path() + "/other").exists());
}

} // namespace

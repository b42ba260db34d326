// The Archive Extraction tool's tree: the rows each kind of generator gets,
// the locks with their reasons, clicks and double clicks, and the refusals
// before anything is sent.

#include "CArchiveExtractionDlg.h"
#include "CGenerator.h"
#include "CGeneratorListView.h"
#include "Profile.h"
#include "ShellTestSupport.h"

#include <QDir>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

constexpr PortId kArchiveCom1 = 0x00020000;
constexpr PortId kArchiveIsa0 = 0x00010000;
constexpr PortId kArchivePci0 = 0x00040000;
constexpr PortId kArchiveGpib = 0x00080000;

class ArchiveExtractionTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        MakeWindow();
    }

    TestGeneratorView *Add(PortId port, double version)
    {
        TestGeneratorView *view = AddGenerator(port, "VG-7000", "port");
        view->GetGenerator()->SetFirmwareVersion(version);
        view->SetIdentity("VG-7000", QString::number(version), "SN1");
        return view;
    }

    // Every row under root, depth first, as "text" or "text [x]" when checked.
    static QStringList Rows(QTreeWidgetItem *root)
    {
        QStringList rows;
        for (int i = 0; i < root->childCount(); ++i) {
            QTreeWidgetItem *row = root->child(i);
            QString text = row->text(0);
            if (row->data(0, Qt::CheckStateRole).isValid())
                text += row->checkState(0) == Qt::Checked ? " [x]" : " [ ]";
            rows << text;
            rows << Rows(row);
        }
        return rows;
    }

    static QTreeWidgetItem *Find(QTreeWidgetItem *root, const QString &text)
    {
        for (int i = 0; i < root->childCount(); ++i) {
            if (root->child(i)->text(0) == text)
                return root->child(i);
            if (QTreeWidgetItem *found = Find(root->child(i), text))
                return found;
        }
        return nullptr;
    }
};

TEST_F(ArchiveExtractionTest, EachGeneratorGetsTheRowsItsFirmwareAndPortAllow)
{
    const QString folder = QDir::toNativeSeparators(tempDir.path() + "/");
    WriteProfileString("Folders", "Extract", tempDir.path() + "/");
    const QStringList head = {"Destination Path", folder, "Files to be extracted", "Format Memory [x]",
                              "Image Memory [x]", "Sequence Memory [x]"};
    struct Case {
        const char *what;
        PortId port;
        double version;
        QStringList rows; // after the version and serial lines
        bool locked;
    };
    const Case cases[] = {
        {"2.897 over COM", kArchiveCom1, 2.897, head + QStringList{"Knob Lists [x]"}, false},
        {"2.898 over COM", kArchiveCom1, 2.898, head + QStringList{"Directory and Path Memory [x]"}, false},
        {"7.05 over COM", kArchiveCom1, 7.05,
         head + QStringList{"Directory and Path Memory [x]", "Font Memory [ ]", "Lookup Table Memory [ ]",
                            "Bitmap Memory [ ]", "Alias Memory [ ]", "Firmware Memory [ ]"},
         false},
        {"a beta build on ISA", kArchiveIsa0, 2.8001, {"Unknown ISA Beta Firmware!"}, true},
        {"a build the map has no row for", kArchiveIsa0, 2.987, {"No memory layout is known for ISA firmware 2.987."}, true},
        {"3.05 on ISA", kArchiveIsa0, 3.05, head + QStringList{"Directory and Path Memory [x]"}, false},
        {"GPIB", kArchiveGpib, 7.011, {"Memory files cannot be extracted from a generator on Gpib0:0."}, true},
        {"PCI", kArchivePci0, 7.045, {"Memory files cannot be extracted from a generator on Pci-1."}, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        CArchiveExtractionDlg tool(window.get());
        TestGeneratorView *view = Add(c.port, c.version);
        tool.AddGenerator(view);
        ASSERT_EQ(tool.Tree()->topLevelItemCount(), 1);
        QTreeWidgetItem *root = tool.Tree()->topLevelItem(0);
        const QStringList expected
            = QStringList{"Firmware Version: " + QString::number(c.version), "Serial Number: SN1"} + c.rows;
        if (c.port == kArchiveGpib || c.port == kArchivePci0) {
            // Only the reason's port name is the link's own.
            ASSERT_EQ(Rows(root).size(), 3);
            EXPECT_TRUE(Rows(root)[2].startsWith("Memory files cannot be extracted from a generator on "));
        } else {
            EXPECT_EQ(Rows(root), expected);
        }
        EXPECT_EQ(root->text(0), "VG-7000 on " + view->GetGenerator()->GetPortName());
        tool.OnClick(root);
        EXPECT_EQ(tool.Items().front()->selected, !c.locked);
        EXPECT_EQ(tool.ArchiveButton()->isEnabled(), !c.locked);
        window->GetGeneratorListView()->RemoveAll();
    }
}

TEST_F(ArchiveExtractionTest, ClicksFlipTheKindsAndDoubleClicksChooseTheFolderAndTheAllFiles)
{
    CArchiveExtractionDlg tool(window.get());
    tool.AddGenerator(Add(kArchiveCom1, 7.05));
    tool.AddGenerator(Add(kArchiveCom1 | 1, 7.04));
    QTreeWidgetItem *late = tool.Tree()->topLevelItem(0);
    QTreeWidgetItem *early = tool.Tree()->topLevelItem(1);
    ExtractItem &item = *tool.Items().front();

    tool.OnClick(Find(late, "Image Memory"));
    tool.OnClick(Find(late, "Font Memory"));
    EXPECT_FALSE(item.images);
    EXPECT_TRUE(item.fonts);
    EXPECT_EQ(Find(late, "Image Memory")->checkState(0), Qt::Unchecked);

    tool.OnDoubleClick(Find(late, "Format Memory"));
    EXPECT_TRUE(item.allFormats);
    ASSERT_NE(Find(late, "All Format Memory"), nullptr);
    tool.OnDoubleClick(Find(late, "Font Memory"));
    EXPECT_NE(Find(late, "All Font Memory"), nullptr);
    tool.OnDoubleClick(Find(early, "Format Memory")); // 7.04: no "all" files
    EXPECT_FALSE(tool.Items().back()->allFormats);
    EXPECT_NE(Find(early, "Format Memory"), nullptr);

    const QString chosen = tempDir.path() + "/late";
    prompter.ExpectFolder(PromptMatch::Caption("Choose a destination folder..."), chosen);
    tool.OnDoubleClick(Find(late, "Destination Path")->child(0));
    EXPECT_EQ(item.folder, chosen + "/");
    EXPECT_EQ(Find(late, "Destination Path")->child(0)->text(0), QDir::toNativeSeparators(chosen + "/"));
    EXPECT_EQ(GetProfileString("Folders", "Extract"), chosen + "/");
}

// Nothing is asked or sent for a generator without a folder of its own.
TEST_F(ArchiveExtractionTest, ArchiveRefusesAMissingOrSharedFolderBeforeTheWarning)
{
    CArchiveExtractionDlg tool(window.get());
    tool.AddGenerator(Add(kArchiveCom1, 7.05));
    tool.AddGenerator(Add(kArchiveCom1 | 1, 7.05));
    tool.OnClick(tool.Tree()->topLevelItem(0));
    tool.OnClick(tool.Tree()->topLevelItem(1));
    for (const auto &item : tool.Items())
        item->folder = tempDir.path() + "/missing/";
    prompter.ExpectMessage(PromptMatch::Contains("Choose an existing destination folder for the VG-7000 on"), IDOK);
    tool.OnArchive();
    for (const auto &item : tool.Items())
        item->folder = tempDir.path() + "/";
    prompter.ExpectMessage(PromptMatch::Contains("have the same destination folder"), IDOK);
    tool.OnArchive(); // the scripted prompter fails on any further box
    EXPECT_FALSE(tool.IsBusyOperating());
}

} // namespace

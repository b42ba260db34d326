// The archive tools the user's way against simulated generators: a COM
// generator of firmware 2.453 and an ISA card of 3.05 extracted into their
// folders, each file what the firmware's codec makes of its stores; then a
// transfer the generator cancels and one that sends another file than asked
// leave the old archive byte for byte, with no staging folder behind.

#include "CArchiveExtractionDlg.h"
#include "CArchiveRestorationDlg.h"
#include "CGenerator.h"
#include "CGeneratorListView.h"
#include "CGeneratorView.h"
#include "CMainWindow.h"
#include "CSelectPortDlg.h"
#include "Profile.h"
#include "ProgramTools.h"

#include "DriverSocketPath.h"
#include "PortDialogAnswer.h"
#include "TestSupport.h"

#include "gensim/MemoryImage.h"
#include "gensim/Simulator.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using gensim::ItemKind;
using gensim::StoredItem;

StoredItem SimFormat(const char *name)
{
    StoredItem item{name};
    item.fields = {{"HRES", "800"}, {"VRES", "600"}, {"HRAT", "46875"}, {"SCAN", "1"}};
    return item;
}

StoredItem SimImage(const char *name)
{
    StoredItem item{name};
    item.record = std::string("\x08\x00\x01\x00", 4);
    return item;
}

std::vector<StoredItem> UserItemsOf(gensim::Generator &g, ItemKind kind)
{
    std::vector<StoredItem> out;
    for (const std::string &name : g.names(kind))
        if (auto item = g.item(kind, name); item && item->user)
            out.push_back(*item);
    return out;
}

QByteArray FileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Every file under folder, hidden ones too, with its content's hash.
QStringList Tree(const QString &folder)
{
    QStringList out;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        out << path.mid(folder.size()) + " "
                   + QCryptographicHash::hash(FileBytes(path), QCryptographicHash::Sha1).toHex();
    }
    out.sort();
    return out;
}

class ArchiveToolsSimTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        RegisterProgramTools();
        sim.openDriver(socket.path());
    }
    void TearDown() override
    {
        window.reset();
        sim.stop();
        UnregisterProgramTools();
        unsetenv("MORVANE_COM1");
        unsetenv("MORVANE_COM2");
        PlatformTest::TearDown();
    }

    CGeneratorListView &Generators() { return *window->GetGeneratorListView(); }

    gensim::test::DriverSocketPath socket;
    gensim::Simulator sim;
    std::unique_ptr<CMainWindow> window;
};

TEST_F(ArchiveToolsSimTest, ExtractionOverComAndIsaWritesTheCodecsFilesAndAFailureKeepsTheOldArchive)
{
    gensim::Generator &com = sim.addGenerator({.model = "VG-7000", .firmware = "2.453", .serial = "100007",
                                               .baudRate = 2400, .link = ""});
    gensim::Generator &card = sim.addGenerator({.model = "VG-7000", .firmware = "3.05", .serial = "100004",
                                                .baudRate = 9600, .link = "", .pty = false, .isaSlot = 0});
    for (gensim::Generator *g : {&com, &card}) {
        g->seed(ItemKind::Format, SimFormat("fmtA"));
        g->seed(ItemKind::Image, SimImage("imgA"));
    }
    gensim::Generator &later = sim.addGenerator({.model = "VG-7000", .firmware = "7.05", .serial = "100001",
                                                 .baudRate = 2400, .link = ""});
    sim.start();
    setenv("MORVANE_COM1", com.comPath().c_str(), 1);
    setenv("MORVANE_COM2", later.comPath().c_str(), 1);
    window = std::make_unique<CMainWindow>();
    window->CreateFrame();
    AnswerPortDialogCom(prompter, 1);
    ASSERT_TRUE(Generators().Connect(false));
    WriteProfileInt("Port", "Type", CSelectPortDlg::kTypeIsa);
    WriteProfileInt("Port", "Isa", 0);
    prompter.ExpectDialog(PromptMatch::Caption("Select a Port..."), [](QDialog &d) { d.accept(); });
    ASSERT_TRUE(Generators().Connect(false));
    AnswerPortDialogCom(prompter, 2);
    ASSERT_TRUE(Generators().Connect(false));
    ASSERT_EQ(Generators().GetRowCount(), 3);

    ASSERT_TRUE(window->ShowTool(ToolSlot::Extraction));
    auto *tool = static_cast<CArchiveExtractionDlg *>(window->Tool(ToolSlot::Extraction));
    ASSERT_EQ(tool->Items().size(), 3u);
    const QString comFolder = tempDir.path() + "/com3/";
    const QString isaFolder = tempDir.path() + "/isa0/";
    ASSERT_TRUE(QDir().mkpath(comFolder) && QDir().mkpath(isaFolder));
    tool->Items()[0]->folder = comFolder;
    tool->Items()[1]->folder = isaFolder;
    tool->OnClick(tool->Tree()->topLevelItem(0));
    tool->OnClick(tool->Tree()->topLevelItem(1));
    // The restoration tool shows the COM folder: the extraction has it scanned again.
    ASSERT_TRUE(window->ShowTool(ToolSlot::Restoration));
    auto *restoration = static_cast<CArchiveRestorationDlg *>(window->Tool(ToolSlot::Restoration));
    prompter.ExpectMessage(PromptMatch::Caption("Locating Data..."), IDOK);
    restoration->ScanFolder(comFolder);
    prompter.ExpectMessage(PromptMatch::Caption("Extract Data..."), IDYES);
    tool->OnArchive();
    prompter.VerifyAllUsed();
    ASSERT_TRUE(restoration->IsR40());
    EXPECT_DOUBLE_EQ(restoration->Revision(), 2.453);
    SaveScreenshot(*tool, QStringLiteral("archive_extraction"));

    const gensim::MemoryImage old(2.453);
    EXPECT_EQ(FileBytes(comFolder + "system.sys"), QByteArray::fromStdString(old.systemFile()));
    EXPECT_EQ(FileBytes(comFolder + "format.mem"),
              QByteArray::fromStdString(old.formatFile(UserItemsOf(com, ItemKind::Format))));
    // Sent without its final 0, which the extraction puts back.
    EXPECT_EQ(FileBytes(comFolder + "image.mem"),
              QByteArray::fromStdString(old.imageFile(UserItemsOf(com, ItemKind::Image))));
    EXPECT_EQ(FileBytes(comFolder + "format.knb"), QByteArray::fromStdString(*com.memoryFile("format.knb")));
    EXPECT_EQ(QDir(comFolder).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"format.knb", "format.mem", "image.knb", "image.mem", "sequence.knb", "sequence.mem",
                           "system.sys"}));

    const gensim::MemoryImage late(3.05);
    EXPECT_EQ(FileBytes(isaFolder + "format.mem"),
              QByteArray::fromStdString(late.formatFile(UserItemsOf(card, ItemKind::Format))));
    EXPECT_EQ(FileBytes(isaFolder + "system.sys"), QByteArray::fromStdString(late.systemFile()));
    EXPECT_EQ(QDir(isaFolder).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"dir.mem", "format.mem", "image.mem", "path.mem", "sequence.mem", "system.sys"}));
    EXPECT_EQ(com.setting("BASE"), "10");

    // The generator cancels in the middle, then sends a file under another
    // name: the folder stays as it was, with nothing left beside it.
    const QStringList before = Tree(comFolder);
    const QStringList beside
        = QDir(tempDir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    tool->OnClick(tool->Tree()->topLevelItem(1)); // the card no more
    for (const gensim::YmodemFault &fault :
         {gensim::YmodemFault::at(gensim::YmodemFault::Kind::CancelAt, 1),
          gensim::YmodemFault::withText(gensim::YmodemFault::Kind::HeaderName, "other.mem", 1)}) {
        com.ymodem().clearFaults();
        com.ymodem().fault(fault);
        prompter.ExpectMessage(PromptMatch::Caption("Extract Data..."), IDYES);
        if (fault.kind == gensim::YmodemFault::Kind::HeaderName)
            prompter.ExpectMessage(PromptMatch::Contains("sent the files"), IDOK);
        prompter.ExpectMessage(PromptMatch::Contains("Extraction Failed! The data at the location"), IDOK);
        tool->OnArchive();
        prompter.VerifyAllUsed();
        EXPECT_EQ(Tree(comFolder), before);
        EXPECT_EQ(QDir(tempDir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), beside);
    }
    com.ymodem().clearFaults();

    // The 2.453 data converted to 7.0 into a second folder, restored into
    // the 7.05 generator: the names arrive.
    const QString converted = tempDir.path() + "/converted/";
    restoration->SetDestination(converted);
    restoration->SetConvertTo(7.0);
    ASSERT_TRUE(restoration->ConvertButton()->isEnabled());
    prompter.ExpectMessage(PromptMatch::Caption("Conversion"), IDYES);
    restoration->OnConvert();
    QStringList log;
    for (int i = 0; i < restoration->Log()->count(); ++i)
        log << restoration->Log()->item(i)->text();
    ASSERT_EQ(log.last(), "Conversion to version 7.00000000 Successful!") << log.join('\n').toStdString();
    restoration->ScanFolder(converted);
    ASSERT_FALSE(restoration->IsR40());
    for (int i = 0; i < restoration->Generators()->topLevelItemCount(); ++i)
        restoration->Generators()->topLevelItem(i)->setSelected(
            restoration->Generators()->topLevelItem(i)->text(0).endsWith("Com-2"));
    ASSERT_TRUE(restoration->RestoreButton()->isEnabled());
    prompter.ExpectMessage(PromptMatch::Caption("Restore Data..."), IDOK);
    restoration->OnRestore();
    prompter.VerifyAllUsed();
    SaveScreenshot(*restoration, QStringLiteral("archive_restoration"));
    EXPECT_TRUE(later.item(ItemKind::Format, "fmtA"));
    EXPECT_TRUE(later.item(ItemKind::Image, "imgA"));
    EXPECT_EQ(later.errorCount(), 0);

    // The card's own archive back into it, after its format went.
    card.execute("FMTK \"fmtA\"");
    ASSERT_FALSE(card.item(ItemKind::Format, "fmtA"));
    restoration->ScanFolder(isaFolder);
    ASSERT_TRUE(restoration->IsR40());
    for (int i = 0; i < restoration->Generators()->topLevelItemCount(); ++i)
        restoration->Generators()->topLevelItem(i)->setSelected(
            restoration->Generators()->topLevelItem(i)->text(0).endsWith("Isa-0"));
    ASSERT_TRUE(restoration->RestoreButton()->isEnabled());
    prompter.ExpectMessage(PromptMatch::Caption("Restore Data..."), IDOK);
    restoration->OnRestore();
    prompter.VerifyAllUsed();
    EXPECT_TRUE(card.item(ItemKind::Format, "fmtA"));
    EXPECT_EQ(card.setting("BASE"), "10");
}

} // namespace

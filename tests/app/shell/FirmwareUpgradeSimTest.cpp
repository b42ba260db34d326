// The Firmware Upgrade tool as a user drives it against simulated
// generators: "&Tools/&Archiver/&Update Firmware...", Browse, the rows'
// states, Flash with its questions, the generators dropped at the run's end
// and the notice; the file that is sent is the one that was checked.

#include "CFirmwareUpgradeDlg.h"
#include "CGenerator.h"
#include "CGeneratorListView.h"
#include "CGeneratorView.h"
#include "CMainWindow.h"
#include "DialogUnits.h"
#include "MainWindowFixture.h"
#include "PortDialogAnswer.h"
#include "DataKindRegistry.h"
#include "ProgramTools.h"
#include "ResourceIds.h"
#include "StringTable.h"
#include "TestSupport.h"

#include "gensim/FirmwareImage.h"
#include "gensim/Simulator.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

namespace fw = gensim::firmware;
constexpr int kRebootMs = 200;

class FirmwareUpgradeSimTest : public ProgramWindowTest {
protected:
    void SetUp() override
    {
        ProgramWindowTest::SetUp();
        for (const char *version : {"7.035", "7.015"}) {
            gensim::Generator &g = sim.addGenerator({.model = "VG-7000", .firmware = version, .serial = "100001",
                                                     .baudRate = 2400, .link = "", .rebootMs = kRebootMs});
            setenv(QStringLiteral("MORVANE_COM%1").arg(sim.size()).toLatin1().constData(), g.comPath().c_str(), 1);
        }
        sim.start();
        window = ShowMainWindow();
        folder = TempPath("images");
        QDir().mkpath(folder + "/a");
        QDir().mkpath(folder + "/b");
    }
    void TearDown() override
    {
        unsetenv("MORVANE_COM1");
        unsetenv("MORVANE_COM2");
        ProgramWindowTest::TearDown();
    }

    void Connect(int com)
    {
        AnswerPortDialogCom(prompter, com);
        ASSERT_TRUE(window->Router().Execute(ID_CONNECT));
    }
    CFirmwareUpgradeDlg *OpenTool()
    {
        EXPECT_TRUE(window->Router().Execute(ID_UPDATE_FIRMWARE));
        QCoreApplication::processEvents();
        return dynamic_cast<CFirmwareUpgradeDlg *>(window->Tool(ToolSlot::Firmware));
    }
    QString WriteImage(const QString &sub, const fw::Image &image)
    {
        const QString path = folder + "/" + sub + "/Firmware.bin";
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char *>(image.data()), qint64(image.size()));
        return path;
    }
    // refusal: the box the choice ends with (0: none).
    void Browse(CFirmwareUpgradeDlg &tool, const QString &path, unsigned refusal = 0)
    {
        prompter.ExpectFile(PromptMatch::Id(IDS_FIRMWARE_SELECT_TITLE), {true, {path}, 1});
        if (refusal)
            prompter.ExpectMessage(PromptMatch::Id(refusal).AndCaption(LoadString(IDS_FIRMWARE_ERROR)), IDOK);
        QTest::mouseClick(FindControl<QPushButton>(&tool, IDC_FIRMWARE_BROWSE), Qt::LeftButton);
    }
    void ClickFlash(CFirmwareUpgradeDlg &tool)
    {
        QPushButton *flash = FindControl<QPushButton>(&tool, IDC_FIRMWARE_FLASH);
        ASSERT_TRUE(flash->isEnabled());
        QTest::mouseClick(flash, Qt::LeftButton);
    }
    static void WaitOutReboot() { std::this_thread::sleep_for(std::chrono::milliseconds(kRebootMs + 150)); }
    int Rows(CFirmwareUpgradeDlg &tool) { return tool.List()->topLevelItemCount(); }

    gensim::Simulator sim;
    QString folder;
};

TEST_F(FirmwareUpgradeSimTest, FlashesTheSelectedGeneratorsAndDropsThemAtTheRunsEnd)
{
    Connect(1);
    Connect(2);
    CFirmwareUpgradeDlg *tool = OpenTool();
    ASSERT_NE(tool, nullptr);
    ASSERT_EQ(Rows(*tool), 2);
    EXPECT_EQ(tool->List()->topLevelItem(0)->text(0), "VG-7000 on Com-1");
    EXPECT_EQ(CFirmwareUpgradeDlg::RowState(tool->List()->topLevelItem(0)), kFirmwareRowUnsuitable) << "no file yet";
    SaveScreenshot(*tool, "firmware-tool-opened");

    const fw::Image image = fw::makeHeaderImage(7.045, 24000, 7);
    Browse(*tool, WriteImage("a", image));
    EXPECT_EQ(FindControl<QLineEdit>(tool, IDC_FIRMWARE_VERSION)->text(), "7.04500000");
    EXPECT_TRUE(FindControl<QLineEdit>(tool, IDC_FIRMWARE_CHECKSUM)->text().contains(','));
    for (int row = 0; row < 2; ++row)
        EXPECT_EQ(CFirmwareUpgradeDlg::RowState(tool->List()->topLevelItem(row)), kFirmwareRowSuits);
    tool->List()->topLevelItem(0)->setSelected(true);
    tool->List()->topLevelItem(1)->setSelected(true);
    SaveScreenshot(*tool, "firmware-tool-chosen");

    prompter.ExpectMessage(PromptMatch::Id(IDS_FIRMWARE_CONFIRM), IDYES, MB_YESNO | MB_ICONEXCLAMATION);
    prompter.ExpectMessage(PromptMatch::Id(IDS_FIRMWARE_FLASH_NOTICE).AndCaption(LoadString(IDS_FIRMWARE_FLASH_CAPTION)),
                           IDOK, MB_OK | MB_ICONINFORMATION);
    ClickFlash(*tool);
    prompter.VerifyAllUsed();
    EXPECT_FALSE(tool->IsBusyOperating());
    EXPECT_EQ(window->GetGeneratorListView()->GetRowCount(), 0) << "both dropped once the run ended";
    EXPECT_EQ(Rows(*tool), 0);
    EXPECT_TRUE(FindControl<QTreeWidget>(tool, IDC_FIRMWARE_LIST)->isEnabled()) << "not busy any more";
    EXPECT_FALSE(FindControl<QPushButton>(tool, IDC_FIRMWARE_FLASH)->isEnabled());
    SaveScreenshot(*tool, "firmware-tool-flashed");

    WaitOutReboot();
    for (size_t g = 0; g < 2; ++g)
        EXPECT_EQ(sim.generator(g).firmware(), "7.045");
    Connect(1);
    EXPECT_EQ(Rows(*tool), 1) << "a new connection joins the tool";
    EXPECT_NEAR(window->GetGeneratorListView()->GetRowView(0)->Connection()->GetFirmwareVersion(), 7.045, 1e-9);
}

TEST_F(FirmwareUpgradeSimTest, TheFileSentIsTheOneChecked)
{
    Connect(1);
    CFirmwareUpgradeDlg *tool = OpenTool();
    ASSERT_NE(tool, nullptr);
    const QString good = WriteImage("a", fw::makeHeaderImage(7.045, 8000, 1));
    fw::Image badImage = fw::makeHeaderImage(7.055, 8000, 2);
    badImage[500] ^= 1;
    const QString bad = WriteImage("b", badImage);

    Browse(*tool, good);
    // A failed Browse keeps the earlier choice.
    Browse(*tool, bad, IDS_FIRMWARE_CHECKSUM_FAILED);
    EXPECT_EQ(tool->FilePath(), good);
    EXPECT_NEAR(tool->FileVersion(), 7.045, 1e-12);

    // A changed file after Browse is refused, nothing sent.
    WriteImage("a", fw::makeHeaderImage(7.055, 8000, 3));
    tool->List()->topLevelItem(0)->setSelected(true);
    prompter.ExpectMessage(PromptMatch::Id(IDS_FIRMWARE_CONFIRM), IDYES);
    prompter.ExpectMessage(PromptMatch::Id(IDS_FIRMWARE_CHANGED), IDOK);
    ClickFlash(*tool);
    prompter.VerifyAllUsed();
    EXPECT_EQ(sim.generator(0).flashCount(), 0);
    EXPECT_EQ(window->GetGeneratorListView()->GetRowCount(), 1);

    // Chosen again, the new file is what goes.
    Browse(*tool, good);
    tool->List()->topLevelItem(0)->setSelected(true);
    prompter.ExpectMessage(PromptMatch::Id(IDS_FIRMWARE_CONFIRM), IDYES);
    prompter.ExpectMessage(PromptMatch::Id(IDS_FIRMWARE_FLASH_NOTICE), IDOK);
    ClickFlash(*tool);
    WaitOutReboot();
    EXPECT_EQ(sim.generator(0).firmware(), "7.055");
}

TEST_F(FirmwareUpgradeSimTest, QuestionsBeforeAnythingIsSent)
{
    Connect(1); // 7.035
    CFirmwareUpgradeDlg *tool = OpenTool();
    ASSERT_NE(tool, nullptr);

    // An older file: a warning row, and the down-grade question.
    Browse(*tool, WriteImage("a", fw::makeHeaderImage(7.025, 8000)));
    QTreeWidgetItem *row = tool->List()->topLevelItem(0);
    EXPECT_EQ(CFirmwareUpgradeDlg::RowState(row), kFirmwareRowWarning);
    for (int answer : {IDNO, IDCANCEL}) {
        row->setSelected(true);
        prompter.ExpectMessage(PromptMatch::Id(IDS_FIRMWARE_CONFIRM), IDYES);
        prompter.ExpectMessage(PromptMatch::Id(IDS_FIRMWARE_DOWNGRADE), answer, MB_YESNOCANCEL | MB_ICONQUESTION);
        ClickFlash(*tool);
        prompter.VerifyAllUsed();
        EXPECT_EQ(row->isSelected(), answer == IDCANCEL) << "No deselects the row";
    }
    // A file of no version: the stronger warning; No sends nothing.
    Browse(*tool, WriteImage("b", fw::makeNoVersionImage()));
    EXPECT_EQ(FindControl<QLineEdit>(tool, IDC_FIRMWARE_VERSION)->text(), LoadString(IDS_FIRMWARE_UNKNOWN));
    EXPECT_EQ(FindControl<QLineEdit>(tool, IDC_FIRMWARE_CHECKSUM)->text(), LoadString(IDS_FIRMWARE_NO_CHECKSUM));
    EXPECT_EQ(CFirmwareUpgradeDlg::RowState(row), kFirmwareRowUnsuitable) << "unknown on 7.035";
    EXPECT_FALSE(FindControl<QPushButton>(tool, IDC_FIRMWARE_FLASH)->isEnabled());
    EXPECT_EQ(sim.generator(0).flashCount(), 0);
    EXPECT_EQ(window->GetGeneratorListView()->GetRowCount(), 1);
}

} // namespace

// Two GPIB generators either side of 7.04: the newer takes "FLSH <n>" and
// the bytes, the older a definite-length block; both restart into the image.
#include "CSelectPortDlg.h"
#include "gensim/Population.h"

namespace {

class FirmwareUpgradeGpibSimTest : public ProgramWindowTest {
protected:
    void SetUp() override
    {
        ProgramWindowTest::SetUp();
        char pattern[] = "/tmp/zot-gpib-firmware-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        const std::string bus = dir + "/bus";
        setenv("MORVANE_GPIB_LIBRARY", GPIB_STANDIN, 1);
        setenv("ZOT_GPIB_BUS", bus.c_str(), 1);
        for (int address : {5, 6})
            sim.addGenerator({.model = "VG-7000", .firmware = address == 5 ? "7.045" : "7.035", .serial = "4711",
                              .pty = false, .gpib = gensim::GpibAddress{address, 0}, .rebootMs = kRebootMs});
        sim.openGpibBus(bus);
        sim.start();
        window = ShowMainWindow(QSize());
    }
    void TearDown() override
    {
        window.reset(); // before the simulator it talks to
        sim.stop();
        unsetenv("ZOT_GPIB_BUS");
        unsetenv("MORVANE_GPIB_LIBRARY");
        QDir(QString::fromStdString(dir)).removeRecursively();
        ProgramWindowTest::TearDown();
    }

    gensim::Simulator sim;
    std::string dir;
};

TEST_F(FirmwareUpgradeGpibSimTest, BothSendFormsFlash)
{
    for (int address : {5, 6}) {
        AnswerPortDialog(prompter, CSelectPortDlg::kTypeGpib, address);
        ASSERT_TRUE(window->Router().Execute(ID_CONNECT));
    }
    ASSERT_TRUE(window->Router().Execute(ID_UPDATE_FIRMWARE));
    auto *tool = dynamic_cast<CFirmwareUpgradeDlg *>(window->Tool(ToolSlot::Firmware));
    ASSERT_NE(tool, nullptr);
    ASSERT_EQ(tool->List()->topLevelItemCount(), 2);
    const fw::Image image = fw::makeHeaderImage(7.055, 12000, 5);
    const QString path = TempPath("Firmware.bin");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char *>(image.data()), qint64(image.size()));
    file.close();
    prompter.ExpectFile(PromptMatch::Id(IDS_FIRMWARE_SELECT_TITLE), {true, {path}, 1});
    tool->OnBrowse();
    for (int row = 0; row < 2; ++row)
        tool->List()->topLevelItem(row)->setSelected(true);
    prompter.ExpectMessage(PromptMatch::Id(IDS_FIRMWARE_CONFIRM), IDYES);
    prompter.ExpectMessage(PromptMatch::Id(IDS_FIRMWARE_FLASH_NOTICE), IDOK);
    tool->OnFlash();
    prompter.VerifyAllUsed();
    EXPECT_EQ(window->GetGeneratorListView()->GetRowCount(), 0);
    const std::vector<std::string> newer = sim.generator(0).trace().lines();
    const std::vector<std::string> older = sim.generator(1).trace().lines();
    EXPECT_NE(std::find(newer.begin(), newer.end(), "FLSH 12000"), newer.end());
    EXPECT_NE(std::find(older.begin(), older.end(), "FLSH #512000"), older.end());
    std::this_thread::sleep_for(std::chrono::milliseconds(kRebootMs + 150));
    for (size_t g = 0; g < 2; ++g)
        EXPECT_EQ(sim.generator(g).firmware(), "7.055") << g;
}

} // namespace

// The Firmware Upgrade tool on the simulated cards, as a user drives it:
// the ISA card's flash parts and the PCI card's flash from video memory
// through connected rows, the direct-connect menu with a row per port, a
// failed ISA flash that drops the row and leaves the card to a direct row,
// and the warning before an image of no version.

#include "CFirmwareUpgradeDlg.h"
#include "CGenerator.h"
#include "CGeneratorListView.h"
#include "CGeneratorView.h"
#include "CMainWindow.h"
#include "CSelectPortDlg.h"
#include "DataKindRegistry.h"
#include "DriverSocketPath.h"
#include "GeneratorViewRegistry.h"
#include "MainWindowFixture.h"
#include "PortDialogAnswer.h"
#include "ProgramTools.h"
#include "ResourceIds.h"
#include "StringTable.h"
#include "TestSupport.h"

#include "IsaFlashParts.h"
#include "gensim/DriverEndpoint.h"
#include "gensim/FirmwareImage.h"
#include "gensim/IsaCard.h"
#include "gensim/Simulator.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace {

namespace fw = gensim::firmware;
constexpr int kCardRebootMs = 200;

// Answers through the test's prompter, noting for each box what look()
// says about the windows while it shows.
class BoxWitness : public Prompter {
public:
    BoxWitness(ScriptedPrompter &inner, std::function<QString()> look) : m_inner(inner), m_look(std::move(look))
    {
        InstallPrompter(this);
    }
    ~BoxWitness() override { InstallPrompter(&m_inner); }
    int Message(const MessageRequest &request) override
    {
        seen.append(QString::number(request.textId) + ": " + m_look());
        return m_inner.Message(request);
    }
    FileResult File(const FileRequest &request) override { return m_inner.File(request); }
    QString Folder(const FolderRequest &request) override { return m_inner.Folder(request); }
    int Modal(QDialog &dialog) override { return m_inner.Modal(dialog); }
    bool OpenDocument(DocumentKind kind, const QString &path) override { return m_inner.OpenDocument(kind, path); }

    QStringList seen;

private:
    ScriptedPrompter &m_inner;
    std::function<QString()> m_look;
};

class FirmwareUpgradeCardsSimTest : public ProgramWindowTest {
protected:
    void SetUp() override
    {
        ProgramWindowTest::SetUp();
        sim.openDriver(socket.path());
        isa = &sim.addGenerator({.model = "VG-7000", .firmware = "3.05", .serial = "100004", .link = "",
                                 .pty = false, .isaSlot = 0, .rebootMs = kCardRebootMs});
        pci = &sim.addGenerator({.model = "VG-7000", .firmware = "7.045", .serial = "100005", .link = "",
                                 .pty = false, .pciCard = true, .rebootMs = kCardRebootMs});
        sim.addGenerator({.model = "VG-7000", .firmware = "7.045", .serial = "100006", .link = "", .pty = false,
                          .pciCard = true});
        sim.start();
        window = ShowMainWindow();
    }

    void Connect(int type, int number)
    {
        AnswerPortDialog(prompter, type, number);
        ASSERT_TRUE(window->Router().Execute(ID_CONNECT));
    }
    CFirmwareUpgradeDlg *OpenTool()
    {
        EXPECT_TRUE(window->Router().Execute(ID_UPDATE_FIRMWARE));
        QCoreApplication::processEvents();
        return dynamic_cast<CFirmwareUpgradeDlg *>(window->Tool(ToolSlot::Firmware));
    }
    void Browse(CFirmwareUpgradeDlg &tool, const QString &sub, const fw::Image &image)
    {
        QDir().mkpath(TempPath(sub));
        const QString path = TempPath(sub + "/Firmware.bin");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char *>(image.data()), qint64(image.size()));
        file.close();
        prompter.ExpectFile(PromptMatch::Id(IDS_FIRMWARE_SELECT_TITLE), {true, {path}, 1});
        tool.OnBrowse();
        prompter.VerifyAllUsed();
    }
    QTreeWidgetItem *Row(CFirmwareUpgradeDlg &tool, const QString &text)
    {
        const QList<QTreeWidgetItem *> rows = tool.List()->findItems(text, Qt::MatchExactly);
        return rows.isEmpty() ? nullptr : rows.front();
    }
    int GeneratorRows() { return window->GetGeneratorListView()->GetRowCount(); }
    double ConnectedVersion(int row) { return window->GetGeneratorListView()->GetRowView(row)->Connection()->GetFirmwareVersion(); }
    // The direct-connect menu's entry for text, triggered as a click does.
    bool ChooseDirect(CFirmwareUpgradeDlg &tool, const QString &text)
    {
        std::unique_ptr<QMenu> popup(tool.BuildDirectMenu());
        QMenu *ports = popup->actions().front()->menu();
        for (QAction *action : ports->actions())
            if (action->text() == text) {
                action->trigger();
                return true;
            }
        return false;
    }
    bool FlashHolds(const fw::Image &image)
    {
        gensim::IsaCard &card = *sim.driverEndpoint()->isaCard(0);
        for (uint32_t n = 0; n < driver::IsaFlashParts::kWords; ++n)
            if (card.flashWord(n) != uint16_t(image[2 * n] | image[2 * n + 1] << 8))
                return false;
        return true;
    }
    // A run the user confirms and that ends with the notice to restart.
    void FlashConfirmed(CFirmwareUpgradeDlg &tool)
    {
        prompter.ExpectMessage(PromptMatch::Id(IDS_FIRMWARE_CONFIRM), IDYES);
        prompter.ExpectMessage(PromptMatch::Id(IDS_FIRMWARE_FLASH_NOTICE), IDOK);
        tool.OnFlash();
        prompter.VerifyAllUsed();
    }
    static void WaitOutReboot() { std::this_thread::sleep_for(std::chrono::milliseconds(kCardRebootMs + 150)); }

    gensim::test::DriverSocketPath socket;
    gensim::Simulator sim;
    gensim::Generator *isa = nullptr;
    gensim::Generator *pci = nullptr;
};

TEST_F(FirmwareUpgradeCardsSimTest, FlashesBothCardsAndOffersEachPortDirectly)
{
    Connect(CSelectPortDlg::kTypeIsa, 0);
    Connect(CSelectPortDlg::kTypePci, 1);
    CFirmwareUpgradeDlg *tool = OpenTool();
    ASSERT_NE(tool, nullptr);
    ASSERT_EQ(tool->List()->topLevelItemCount(), 2);

    // The menu: every ISA slot, a separator, then each PCI card.
    {
        std::unique_ptr<QMenu> popup(tool->BuildDirectMenu());
        ASSERT_EQ(popup->actions().size(), 1);
        EXPECT_EQ(popup->actions().front()->text(), "Direct Connect To");
        QStringList entries;
        for (QAction *action : popup->actions().front()->menu()->actions())
            entries.append(action->isSeparator() ? QStringLiteral("-") : action->text());
        EXPECT_EQ(entries, (QStringList{"Isa-0", "Isa-1", "Isa-2", "Isa-3", "Isa-4", "Isa-5", "Isa-6", "Isa-7", "-",
                                        "PCI-1", "PCI-2"}));
    }

    // The flash parts' layout suits the ISA card below 7.0, not the PCI card.
    const fw::Image isaImage = fw::makeIsaImage(3.06, 21);
    Browse(*tool, "isa", isaImage);
    QTreeWidgetItem *isaRow = Row(*tool, "VG-7000 on Isa-0");
    QTreeWidgetItem *pciRow = Row(*tool, "VG-7000 on Pci-1");
    ASSERT_TRUE(isaRow && pciRow);
    EXPECT_EQ(CFirmwareUpgradeDlg::RowState(isaRow), kFirmwareRowSuits);
    EXPECT_EQ(CFirmwareUpgradeDlg::RowState(pciRow), kFirmwareRowUnsuitable);
    isaRow->setSelected(true);
    SaveScreenshot(*tool, "firmware-tool-cards");
    FlashConfirmed(*tool);
    EXPECT_TRUE(FlashHolds(isaImage));
    EXPECT_EQ(GeneratorRows(), 1) << "the ISA generator went at the run's end";
    EXPECT_EQ(tool->List()->topLevelItemCount(), 1);

    // The PCI card from its own image.
    const fw::Image pciImage = fw::makeHeaderImage(7.055, 40000, 22);
    Browse(*tool, "pci", pciImage);
    pciRow = Row(*tool, "VG-7000 on Pci-1");
    ASSERT_NE(pciRow, nullptr);
    EXPECT_EQ(CFirmwareUpgradeDlg::RowState(pciRow), kFirmwareRowSuits);
    pciRow->setSelected(true);
    FlashConfirmed(*tool);
    EXPECT_EQ(GeneratorRows(), 0);

    // Each comes back with its new version.
    WaitOutReboot();
    Connect(CSelectPortDlg::kTypeIsa, 0);
    Connect(CSelectPortDlg::kTypePci, 1);
    ASSERT_EQ(GeneratorRows(), 2);
    EXPECT_NEAR(ConnectedVersion(0), 3.06, 1e-9);
    EXPECT_NEAR(ConnectedVersion(1), 7.055, 1e-9);
    EXPECT_EQ(tool->List()->topLevelItemCount(), 2) << "both joined the tool again";

    // A direct PCI row is only shown: even the PCI image does not suit it.
    ASSERT_TRUE(ChooseDirect(*tool, "PCI-2"));
    QTreeWidgetItem *direct = Row(*tool, "Pci-2 Direct");
    ASSERT_NE(direct, nullptr);
    EXPECT_EQ(CFirmwareUpgradeDlg::RowState(direct), kFirmwareRowUnsuitable);
    direct->setSelected(true);
    EXPECT_TRUE(tool->List()->selectedItems().isEmpty()) << "the row is deselected";
    EXPECT_FALSE(FindControl<QPushButton>(tool, IDC_FIRMWARE_FLASH)->isEnabled());
    // Picked with a row that suits, only that one is flashed.
    pciRow = Row(*tool, "VG-7000 on Pci-1");
    ASSERT_NE(pciRow, nullptr);
    pciRow->setSelected(true);
    direct->setSelected(true);
    SaveScreenshot(*tool, "firmware-tool-direct-rows");
    FlashConfirmed(*tool);
    EXPECT_EQ(pci->flashCount(), 2);
    EXPECT_EQ(Row(*tool, "Pci-2 Direct"), direct) << "the direct row was not taken";
}

TEST_F(FirmwareUpgradeCardsSimTest, TheRunIsBusyAndEachDownloadMarksItsGenerator)
{
    Connect(CSelectPortDlg::kTypeIsa, 0);
    CFirmwareUpgradeDlg *tool = OpenTool();
    ASSERT_NE(tool, nullptr);
    CGeneratorView *view = window->GetGeneratorListView()->GetRowView(0);
    gensim::CardFaults faults;
    faults.flash.stuckWord = 0x100;
    faults.flash.stuckMask = 0x0001;
    sim.driverEndpoint()->isaCard(0)->setFaults(faults);
    fw::Image image = fw::makeIsaImage(3.06, 25);
    for (size_t i = 0; i < fw::kIsaVersionAt; ++i)
        image[i] |= 0x01;
    fw::resumIsa(image);
    Browse(*tool, "isa", image);
    tool->List()->topLevelItem(0)->setSelected(true);

    prompter.ExpectMessage(PromptMatch::Id(IDS_FIRMWARE_CONFIRM), IDYES);
    prompter.ExpectMessage(PromptMatch::Id(IDS_FIRMWARE_VERIFY_ERROR), IDOK);
    prompter.ExpectMessage(PromptMatch::Id(IDS_FIRMWARE_ISA_DEAD), IDOK);
    prompter.ExpectMessage(PromptMatch::Id(IDS_FIRMWARE_CANCELED), IDOK);
    {
        // run: the tool holds the operation; list: the tool's list takes
        // input; view: the generator's view is marked busy.
        BoxWitness witness(prompter, [&] {
            return QStringLiteral("run %1 list %2 view %3")
                .arg(tool->IsBusyOperating())
                .arg(tool->List()->isEnabled())
                .arg(GeneratorViewRegistry::IsListed(view) && view->IsBusy());
        });
        tool->OnFlash();
        EXPECT_EQ(witness.seen, (QStringList{QString::number(IDS_FIRMWARE_CONFIRM) + ": run 1 list 1 view 0",
                                             QString::number(IDS_FIRMWARE_VERIFY_ERROR) + ": run 1 list 0 view 1",
                                             QString::number(IDS_FIRMWARE_ISA_DEAD) + ": run 1 list 0 view 1",
                                             QString::number(IDS_FIRMWARE_CANCELED) + ": run 1 list 1 view 0"}));
    }
    prompter.VerifyAllUsed();
    EXPECT_FALSE(tool->IsBusyOperating());
    EXPECT_EQ(GeneratorRows(), 0) << "dropped once the run ended";
}

TEST_F(FirmwareUpgradeCardsSimTest, ADirectRowFreesItsCardWhenTheToolGoes)
{
    CFirmwareUpgradeDlg *tool = OpenTool();
    ASSERT_NE(tool, nullptr);
    ASSERT_TRUE(ChooseDirect(*tool, "Isa-0"));
    ASSERT_NE(Row(*tool, "Isa-0 Direct"), nullptr);
    window.reset(); // the tool goes with the main window
    window = std::make_unique<CMainWindow>();
    window->CreateFrame();
    Connect(CSelectPortDlg::kTypeIsa, 0);
    EXPECT_EQ(GeneratorRows(), 1) << "the card is free again";
}

TEST_F(FirmwareUpgradeCardsSimTest, AFailedIsaFlashDropsTheRowAndADirectRowFlashesAgain)
{
    Connect(CSelectPortDlg::kTypeIsa, 0);
    CFirmwareUpgradeDlg *tool = OpenTool();
    ASSERT_NE(tool, nullptr);
    gensim::IsaCard &card = *sim.driverEndpoint()->isaCard(0);
    gensim::CardFaults faults;
    faults.flash.stuckWord = 0x2345;
    faults.flash.stuckMask = 0x0001;
    card.setFaults(faults);

    fw::Image image = fw::makeIsaImage(3.06, 23);
    for (size_t i = 0; i < fw::kIsaVersionAt; ++i)
        image[i] |= 0x01; // every word has the stuck bit set
    fw::resumIsa(image);
    Browse(*tool, "isa", image);
    tool->List()->topLevelItem(0)->setSelected(true);
    prompter.ExpectMessage(PromptMatch::Id(IDS_FIRMWARE_CONFIRM), IDYES);
    prompter.ExpectMessage(PromptMatch::Text(FormatString(IDS_FIRMWARE_VERIFY_ERROR, {"35"})), IDOK);
    prompter.ExpectMessage(PromptMatch::Id(IDS_FIRMWARE_ISA_DEAD), IDOK);
    prompter.ExpectMessage(PromptMatch::Id(IDS_FIRMWARE_CANCELED), IDOK);
    tool->OnFlash();
    prompter.VerifyAllUsed();
    EXPECT_EQ(tool->List()->topLevelItemCount(), 0) << "the row went with its connection";
    EXPECT_EQ(GeneratorRows(), 0);
    EXPECT_TRUE(card.firmwareDead());

    // Mended, the card is flashed again through "Direct Connect To", "Isa-0".
    card.setFaults({});
    ASSERT_TRUE(ChooseDirect(*tool, "Isa-0"));
    QTreeWidgetItem *direct = Row(*tool, "Isa-0 Direct");
    ASSERT_NE(direct, nullptr);
    EXPECT_EQ(direct->text(1), "Unknown");
    EXPECT_EQ(CFirmwareUpgradeDlg::RowState(direct), kFirmwareRowWarning) << "a known version below 7.0";
    direct->setSelected(true);
    SaveScreenshot(*tool, "firmware-tool-isa-direct");
    FlashConfirmed(*tool);
    EXPECT_EQ(tool->List()->topLevelItemCount(), 0) << "a direct row goes as its download starts";
    EXPECT_TRUE(FlashHolds(image));
    EXPECT_FALSE(card.firmwareDead());
    WaitOutReboot();
    Connect(CSelectPortDlg::kTypeIsa, 0);
    ASSERT_EQ(GeneratorRows(), 1);
    EXPECT_NEAR(ConnectedVersion(0), 3.06, 1e-9);
}

TEST_F(FirmwareUpgradeCardsSimTest, AnImageOfNoVersionIsSentOnlyAfterItsWarning)
{
    CFirmwareUpgradeDlg *tool = OpenTool();
    ASSERT_NE(tool, nullptr);
    // The version field names 7.5, which this layout cannot hold: unknown.
    fw::Image image = fw::makeIsaImage(7.5, 24);
    Browse(*tool, "isa", image);
    EXPECT_EQ(FindControl<QLineEdit>(tool, IDC_FIRMWARE_VERSION)->text(), "Unknown");
    ASSERT_TRUE(ChooseDirect(*tool, "Isa-0"));
    QTreeWidgetItem *direct = Row(*tool, "Isa-0 Direct");
    ASSERT_NE(direct, nullptr);
    EXPECT_EQ(CFirmwareUpgradeDlg::RowState(direct), kFirmwareRowWarning);
    direct->setSelected(true);

    prompter.ExpectMessage(PromptMatch::Id(IDS_FIRMWARE_UNIDENTIFIED).AndCaption(LoadString(IDS_FIRMWARE_WARNING)),
                           IDNO, MB_YESNO | MB_ICONEXCLAMATION);
    tool->OnFlash();
    prompter.VerifyAllUsed();
    EXPECT_FALSE(FlashHolds(image)) << "No sends nothing";
    EXPECT_EQ(isa->flashCount(), 0);
    ASSERT_EQ(tool->List()->topLevelItemCount(), 1) << "the direct row stays for another try";

    prompter.ExpectMessage(PromptMatch::Id(IDS_FIRMWARE_UNIDENTIFIED), IDYES);
    prompter.ExpectMessage(PromptMatch::Id(IDS_FIRMWARE_FLASH_NOTICE), IDOK);
    tool->OnFlash();
    prompter.VerifyAllUsed();
    EXPECT_TRUE(FlashHolds(image));
    EXPECT_EQ(isa->flashCount(), 1);
    WaitOutReboot();
    EXPECT_EQ(isa->firmware(), "3.05") << "an image that names no version keeps the generator's own";
}

} // namespace

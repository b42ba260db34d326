// The generator list without generators behind it: disconnecting, forced
// initialisation of a card, Send Data's loop over the selected generators
// and items, removals while an operation runs, and shut-down.

#include "CDataListView.h"
#include "CDataTransferDlg.h"
#include "CGenerator.h"
#include "CGeneratorListView.h"
#include "CMainWindow.h"
#include "FakePort.h"
#include "MessageTarget.h"
#include "Profile.h"
#include "ShellImages.h"
#include "ShellTestSupport.h"

#include "CProgressDlg.h"
#include "TestPorts.h"

#include <QCoreApplication>
#include <QDialog>
#include <QTreeWidget>

#include <functional>
#include <utility>

namespace {

constexpr PortId kPciSlot0 = 0x00040000; // card 1 in the port dialog
constexpr PortId kPciSlot1 = 0x00040001; // card 2
constexpr unsigned kSaveQuestion = 32973;

class GeneratorListTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        MakeWindow();
    }
    void TearDown() override
    {
        CGeneratorListView::s_forceInit = std::exchange(savedForceInit, {});
        ShellTest::TearDown();
    }

    CGeneratorListView &Generators() { return *window->GetGeneratorListView(); }

    // The rows' views are the array's views, in the same order.
    void ExpectInStep()
    {
        ASSERT_EQ(g_generatorViews.size(), Generators().GetRowCount());
        for (int row = 0; row < Generators().GetRowCount(); ++row)
            EXPECT_EQ(g_generatorViews.at(row), Generators().GetRowView(row)) << row;
    }

    QStringList Models() const
    {
        QStringList models;
        for (int row = 0; row < window->GetGeneratorListView()->GetRowCount(); ++row)
            models.append(window->GetGeneratorListView()->GetRowText(row, 0));
        return models;
    }

    // Knob lists: their names join no directory, so the quiet port is not asked.
    CGenData *AddItem(const QString &name, bool modified)
    {
        CGenData *item = List().NewItem(kIconKnobList);
        item->SetName(name);
        item->SetModified(modified);
        return item;
    }

    std::function<int32_t(uint32_t, int32_t)> savedForceInit = CGeneratorListView::s_forceInit;
};

// --- Disconnect ------------------------------------------------------------------------

TEST_F(GeneratorListTest, DisconnectAsksAboutTheFirstSelectedGeneratorOnly)
{
    struct Case {
        const char *what;
        std::vector<int> selected;
        int answer;          // 0: no question expected
        QStringList remaining;
    };
    const Case cases[] = {
        {"nothing selected", {}, 0, {"A", "B", "C"}},
        {"cancelled", {1}, IDCANCEL, {"A", "B", "C"}},
        {"the middle one", {1}, IDOK, {"A", "C"}},
        {"two selected: only the first goes", {1, 2}, IDOK, {"A", "C"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        MakeWindow();
        window->ShowTool(ToolSlot::Firmware);
        AddGenerator(kCom1, "A", "Com-1");
        AddGenerator(kIsa3, "B", "Isa-3");
        AddGenerator(kPciSlot0, "C", "Pci-1");
        for (int row : c.selected)
            Generators().SelectRow(row, true);
        if (c.answer != 0)
            prompter.ExpectMessage(PromptMatch::Text("Disconnect from the B on Isa-3?").AndCaption("Disconnect..."),
                                   c.answer, MB_OKCANCEL | MB_ICONQUESTION);
        journal.clear();
        EXPECT_EQ(Generators().Disconnect(), c.remaining.size() == 2);
        EXPECT_EQ(Models(), c.remaining);
        ExpectInStep();
        EXPECT_EQ(journal, c.remaining.size() == 2 ? QStringList{"firmware remove"} : QStringList{});
        prompter.VerifyAllUsed();
    }
}

// --- Forced initialisation --------------------------------------------------------------

// The generator on the chosen card goes before the library is called (the
// library refuses a card the program holds open), whatever the result.
TEST_F(GeneratorListTest, ForcedInitialisationRemovesOnlyTheGeneratorOnThatCard)
{
    struct Case {
        const char *what;
        int portType;  // the port dialog's choice (profile "Port"/"Type")
        int number;
        std::vector<int> answers; // the two questions; fewer: the later ones are not asked
        int found;     // the library's result; -1: not called
        QString port;  // as the boxes show it
        QStringList remaining;
        int busyRow = -1;  // a row whose generator is busy with a transfer
    };
    const Case cases[] = {
        {"PCI card 1", 3, 1, {IDYES, IDYES}, 1, "PCI-1", {"Com", "Isa3", "Pci2"}},
        {"PCI card 2", 3, 2, {IDYES, IDYES}, 1, "PCI-2", {"Com", "Isa3", "Pci1"}},
        {"ISA slot 3", 1, 3, {IDYES, IDYES}, 1, "ISA-3", {"Com", "Pci1", "Pci2"}},
        {"ISA slot 2: nobody connected there", 1, 2, {IDYES, IDYES}, 1, "ISA-2", {"Com", "Isa3", "Pci1", "Pci2"}},
        {"no generator found: its row goes all the same", 3, 1, {IDYES, IDYES}, 0, "PCI-1", {"Com", "Isa3", "Pci2"}},
        {"first question refused", 3, 1, {IDNO}, -1, "PCI-1", {"Com", "Isa3", "Pci1", "Pci2"}},
        {"second question refused", 1, 3, {IDYES, IDNO}, -1, "ISA-3", {"Com", "Isa3", "Pci1", "Pci2"}},
        {"COM ends after the dialog", 2, 1, {}, -1, "", {"Com", "Isa3", "Pci1", "Pci2"}},
        {"GPIB ends after the dialog", 4, 1, {}, -1, "", {"Com", "Isa3", "Pci1", "Pci2"}},
        {"the generator there is busy: refused", 3, 2, {IDYES, IDYES}, -1, "PCI-2", {"Com", "Isa3", "Pci1", "Pci2"},
         3},
        {"another generator is busy", 3, 2, {IDYES, IDYES}, 1, "PCI-2", {"Com", "Isa3", "Pci1"}, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        MakeWindow();
        FakePort cards;
        cards.pciCards = 2;
        AddGenerator(kCom1, "Com", "Com-1");
        AddGenerator(kIsa3, "Isa3", "Isa-3");
        AddGenerator(kPciSlot0, "Pci1", "Pci-1");
        AddGenerator(kPciSlot1, "Pci2", "Pci-2");
        if (c.busyRow >= 0)
            Generators().GetRowView(c.busyRow)->SetBusy(true);
        const char *numberKey = c.portType == 3 ? "Pci" : c.portType == 1 ? "Isa" : c.portType == 2 ? "Com" : "Gpib";
        WriteProfileInt("Port", "Type", c.portType);
        WriteProfileInt("Port", numberKey, c.number);
        std::vector<std::pair<uint32_t, int32_t>> calls;
        QStringList rowsAtCall;
        CGeneratorListView::s_forceInit = [&](uint32_t type, int32_t number) {
            calls.emplace_back(type, number);
            rowsAtCall = Models();
            return c.found;
        };
        prompter.ExpectDialog(PromptMatch::Caption("Select a Port..."), [](QDialog &d) { d.accept(); });
        const QString sure = QStringLiteral("Are you absolutely sure you want to Re-Initialize a video generator "
                                            "located on port %1?").arg(c.port);
        const QString erases = "This will erase ALL custom data currently stored in the Generator!\n\n"
                               "Do you still wish to continue?";
        if (!c.answers.empty())
            prompter.ExpectMessage(PromptMatch::Text(sure).AndCaption("Forced Initialization..."), c.answers[0],
                                   MB_YESNO | MB_ICONQUESTION);
        if (c.answers.size() > 1)
            prompter.ExpectMessage(PromptMatch::Text(erases).AndCaption("Forced Initialization..."), c.answers[1],
                                   MB_YESNO | MB_ICONQUESTION);
        if (c.found == 1)
            prompter.ExpectMessage(
                PromptMatch::Text(QStringLiteral("A running generator was located on port %1 and an INIT was "
                                                 "triggered.\n\nPlease wait several minutes before trying to "
                                                 "re-connect.").arg(c.port))
                    .AndCaption("Initialization Forced..."),
                IDOK, MB_OK | MB_ICONINFORMATION);
        if (c.found == 0)
            prompter.ExpectMessage(PromptMatch::Text(QStringLiteral("Unable to locate a running generator on port %1.")
                                                         .arg(c.port))
                                       .AndCaption("Generator Not Detected"),
                                   IDOK, MB_OK | MB_ICONWARNING);
        Generators().ForceInit();
        if (c.found < 0) {
            EXPECT_TRUE(calls.empty());
        } else {
            const uint32_t type = c.portType == 3 ? 0x40000u : 0x10000u;
            EXPECT_EQ(calls, (std::vector<std::pair<uint32_t, int32_t>>{{type, c.number}}));
            EXPECT_EQ(rowsAtCall, c.remaining) << "the row went before the call";
        }
        EXPECT_EQ(Models(), c.remaining);
        ExpectInStep();
        prompter.VerifyAllUsed();
    }
}

// --- Send Data ---------------------------------------------------------------------------

// Three generators, the middle one unselected; items A (modified) and B.
class SendDataTest : public GeneratorListTest {
protected:
    void SetUp() override
    {
        GeneratorListTest::SetUp();
        views = {AddGenerator(kCom1, "G0", "Com-1"), AddGenerator(kIsa3, "G1", "Isa-3"),
                 AddGenerator(kPciSlot0, "G2", "Pci-1")};
        Generators().SelectRow(0, true);
        Generators().SelectRow(2, true);
        AddItem("A", true);
        AddItem("B", false);
    }

    void ExpectConfirmation(bool ok)
    {
        prompter.ExpectDialog(PromptMatch::Caption("Data Transfer"), [ok](QDialog &d) { ok ? d.accept() : d.reject(); });
    }

    std::vector<TestGeneratorView *> views;
};

TEST_F(SendDataTest, SaveOfferComesWithTheFirstGeneratorOnly)
{
    ExpectConfirmation(true);
    prompter.ExpectMessage(PromptMatch::Id(kSaveQuestion), IDNO);
    Generators().SendData(true);
    EXPECT_EQ(views[0]->sent, (QStringList{"A", "B"}));
    EXPECT_TRUE(views[1]->sent.isEmpty()) << "not selected";
    EXPECT_EQ(views[2]->sent, (QStringList{"A", "B"}));
    EXPECT_EQ(prompter.Messages().size(), 1u);
}

TEST_F(SendDataTest, WhatStopsTheSend)
{
    struct Case {
        const char *what;
        bool ask;
        bool confirm;
        int save;           // answer to the save offer; 0: none expected
        QString refuseAtG0; // an item the first generator refuses
        QStringList sent0;
        QStringList sent2;
    };
    const Case cases[] = {
        {"confirmation cancelled", true, false, 0, {}, {}, {}},
        {"save offer cancelled", true, true, IDCANCEL, {}, {}, {}},
        {"first generator refuses B", true, true, IDNO, "B", {"A"}, {}},
        {"without asking: no confirmation, no save offer", false, true, 0, {}, {"A", "B"}, {"A", "B"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        for (TestGeneratorView *view : views)
            view->sent.clear();
        views[0]->refuse = c.refuseAtG0;
        if (c.ask)
            ExpectConfirmation(c.confirm);
        if (c.save != 0)
            prompter.ExpectMessage(PromptMatch::Id(kSaveQuestion), c.save);
        Generators().SendData(c.ask);
        EXPECT_EQ(views[0]->sent, c.sent0);
        EXPECT_EQ(views[2]->sent, c.sent2);
        prompter.VerifyAllUsed();
    }
}

// A view whose send runs code while the send pumps messages.
class ReentrantView : public TestGeneratorView {
public:
    using TestGeneratorView::TestGeneratorView;
    bool SendItem(CGenData *item, CProgressDlg *progress) override
    {
        const bool sent = TestGeneratorView::SendItem(item, progress);
        if (duringSend)
            std::exchange(duringSend, {})(progress);
        return sent;
    }
    std::function<void(CProgressDlg *)> duringSend;
};

TEST_F(SendDataTest, RemovalsDuringASendWaitForItsEnd)
{
    auto *busy = new ReentrantView(kCom1, window.get());
    Generators().AppendRow(busy, {"R", "Com-1", "3.10", "SN", "2400"});
    Generators().SelectRow(3, true);
    window->ShowTool(ToolSlot::Extraction);
    bool disconnected = true;
    busy->duringSend = [&](CProgressDlg *) {
        // The user's Disconnect is refused outright (no question); a tool's
        // removal of a generator waits, also of the one being sent to.
        Generators().SelectRow(0, false);
        disconnected = Generators().Disconnect();
        Generators().SelectRow(0, true);
        window->OnMessage(WM_REMOVE_GENERATOR, 0, ToLParam(views[2]));
        window->OnMessage(WM_REMOVE_GENERATOR, 0, ToLParam(static_cast<CGeneratorView *>(busy)));
        EXPECT_EQ(Generators().GetRowCount(), 4) << "nothing removed mid-send";
        EXPECT_EQ(g_generatorViews.size(), 4);
    };
    journal.clear();
    Generators().SendData(false);
    EXPECT_FALSE(disconnected);
    EXPECT_EQ(Models(), (QStringList{"G0", "G1"}));
    ExpectInStep();
    EXPECT_EQ(journal, (QStringList{"extraction remove", "extraction remove"}));
}

TEST_F(SendDataTest, CancelAsAGeneratorsPassEndsStopsTheNextPass)
{
    Generators().SelectRow(0, false);
    Generators().SelectRow(2, false);
    auto *first = new ReentrantView(kCom1, window.get());
    Generators().AppendRow(first, {"R", "Com-1", "3.10", "SN", "2400"});
    Generators().SelectRow(3, true);
    List().SelectRow(0, false); // B alone: Cancel comes after the pass's last item
    first->duringSend = [](CProgressDlg *progress) { progress->OnCancel(); };
    auto *second = new TestGeneratorView(kIsa3, window.get());
    Generators().AppendRow(second, {"S", "Isa-3", "3.10", "SN", "N/A"});
    Generators().SelectRow(4, true);
    Generators().SendData(false);
    EXPECT_EQ(first->sent, QStringList{"B"});
    EXPECT_TRUE(second->sent.isEmpty());
}

TEST_F(SendDataTest, CommandsAreRefusedWhileAToolTransfersToTheGenerator)
{
    views[0]->SetBusy(true);
    Generators().SelectRow(2, false);
    EXPECT_FALSE(Generators().Disconnect()); // no question either
    Generators().SendData(true);             // no confirmation
    EXPECT_TRUE(views[0]->sent.isEmpty());
    EXPECT_EQ(Generators().GetRowCount(), 3);
    views[0]->SetBusy(false);
    prompter.ExpectMessage(PromptMatch::Text("Disconnect from the G0 on Com-1?"), IDOK);
    EXPECT_TRUE(Generators().Disconnect());
}

// --- Shut-down ------------------------------------------------------------------------------

// A view that checks, as it goes, that nothing global names it any more.
class WatchedView : public TestGeneratorView {
public:
    using TestGeneratorView::TestGeneratorView;
    ~WatchedView() override
    {
        listedWhenDeleted = g_generatorViews.contains(this);
        ++deleted;
    }
    static inline bool listedWhenDeleted = false;
    static inline int deleted = 0;
};

TEST_F(GeneratorListTest, ShutDownLeavesNoDestroyedGeneratorBehind)
{
    CGenData *item = AddItem("A", false);
    item->OpenEditor(); // editors outlive the generators at shut-down
    WatchedView::deleted = 0;
    for (PortId port : {kCom1, kIsa3}) {
        auto *view = new WatchedView(port, window.get());
        Generators().AppendRow(view, {"W", "Port", "1", "2", "N/A"});
        view->GetGenerator(); // current
    }
    ASSERT_NE(g_pCurrentGenerator, nullptr);
    window->DestroyWindow();
    EXPECT_EQ(WatchedView::deleted, 2);
    EXPECT_FALSE(WatchedView::listedWhenDeleted);
    EXPECT_TRUE(g_generatorViews.isEmpty());
    EXPECT_EQ(g_pCurrentGenerator, nullptr);
}

// --- Row pictures ----------------------------------------------------------------------------

TEST_F(GeneratorListTest, ComGeneratorsShowAUnitOthersACard)
{
    const std::pair<PortId, int> cases[] = {
        {kCom1, kImageStandAlone}, {kIsa3, kImageCard}, {kPciSlot0, kImageCard}, {0x00080000, kImageCard}, {0, kImageCard},
    };
    for (const auto &[port, icon] : cases) {
        AddGenerator(port, "G", "P");
        EXPECT_EQ(Generators().GetRowIcon(Generators().GetRowCount() - 1), icon) << std::hex << port;
    }
}

// A generator added below the fold of a short list is scrolled into view.
TEST_F(GeneratorListTest, ANewRowBelowTheFoldIsScrolledIntoView)
{
    window->show();
    QTreeWidget *list = Generators().List();
    list->setFixedHeight(list->sizeHintForRow(0) > 0 ? 4 * list->sizeHintForRow(0) : 80);
    for (int i = 0; i < 8; ++i) {
        AddGenerator(kCom1, QStringLiteral("G%1").arg(i), "P");
        QCoreApplication::processEvents();
        QTreeWidgetItem *last = list->topLevelItem(list->topLevelItemCount() - 1);
        const QRect row = list->visualItemRect(last);
        EXPECT_TRUE(list->viewport()->rect().contains(row)) << "row " << i;
    }
    SaveScreenshot(*window, QStringLiteral("GeneratorList-fifth-row"));
}

} // namespace

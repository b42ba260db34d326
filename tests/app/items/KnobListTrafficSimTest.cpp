// Knob lists to and from simulated generators through the real library:
// the recall heard command by command; the send with its Cancel tests, its
// limit and a refused entry; the copy, whole and cancelled; the link of a
// recalled "fmt" list, its offer after a Send Data, and the two orders in
// which a linked list and its connection can go.

#include "CKnobList.h"
#include "CKnobListEditor.h"
#include "CKnobListView.h"
#include "ItemEditorFactories.h"
#include "ItemsSimFixture.h"

#include "CFormat.h"
#include "CProgressDlg.h"

#include <atomic>
#include <string>
#include <vector>

namespace {

using gensim::ItemKind;
using Lines = std::vector<std::string>;

class KnobListTrafficSimTest : public ItemsSimTest {
protected:
    ItemEditorFactories editorFactories; // the editors as the program makes them

    std::vector<std::string> Directory(int com, const std::string &name)
    {
        const auto item = Sim(com).item(ItemKind::Directory, name);
        return item ? item->entries : std::vector<std::string>{};
    }
    bool HasDirectory(int com, const std::string &name) { return Sim(com).item(ItemKind::Directory, name).has_value(); }

    static QStringList Names(int count)
    {
        QStringList names;
        for (int i = 1; i <= count; ++i)
            names << QStringLiteral("N%1").arg(i);
        return names;
    }
    static std::vector<std::string> StdNames(int count)
    {
        std::vector<std::string> names;
        for (const QString &name : Names(count))
            names.push_back(name.toStdString());
        return names;
    }
};

TEST_F(KnobListTrafficSimTest, TheRecallIsHeardInNineCommands)
{
    Start({"7.011"});
    auto gen = Connect(1);
    const std::vector<std::string> fmt = Directory(1, "fmt");
    Sim(1).trace().clear();
    CKnobList list;
    CProgressDlg progress(nullptr, true);
    ASSERT_TRUE(list.RecallFromGenerator(QStringLiteral("fmt"), gen.get(), &progress));
    const Lines expected = {"DIRL? fmt", "DIRL fmt", "NAMI 1 \"123456789\"", "NAMQ? 1 450", "NAMK 123456789",
                            "DIRL fmt",  "NAMQ? 1 450", "DIRL ", "DIRL "};
    EXPECT_EQ(Sim(1).trace().lines(), expected);
    std::vector<std::string> entries;
    for (const QString &entry : list.Entries())
        entries.push_back(entry.toStdString());
    EXPECT_EQ(entries, fmt);
    EXPECT_EQ(Directory(1, "fmt"), fmt) << "the marker is gone again";
}

TEST_F(KnobListTrafficSimTest, AnEmptyDirectoryComesBackEmpty)
{
    Start({"7.011"});
    auto gen = Connect(1);
    gen->SendCommandText(QStringLiteral("DIRN none;DIRB;DIRE;DIRA none"));
    CKnobList list;
    list.SetEntries({"old"});
    ASSERT_TRUE(list.RecallFromGenerator(QStringLiteral("none"), gen.get(), nullptr));
    EXPECT_TRUE(list.Entries().isEmpty());
    EXPECT_TRUE(Directory(1, "none").empty());
}

TEST_F(KnobListTrafficSimTest, AFullDirectoryIsReadWithoutTheMarker)
{
    Start({"7.011"});
    auto gen = Connect(1);
    CKnobList full;
    full.SetName(QStringLiteral("Full"));
    full.SetEntries(Names(450));
    CProgressDlg progress(nullptr, true);
    ASSERT_TRUE(full.SendToGenerator(gen.get(), &progress));
    // The generator refuses a 451st name, the marker too: its box, then the read.
    prompter.ExpectMessage(PromptMatch::Caption(QStringLiteral("Communication Error")), IDOK);
    CKnobList back;
    ASSERT_TRUE(back.RecallFromGenerator(QStringLiteral("Full"), gen.get(), &progress));
    EXPECT_EQ(back.Entries(), Names(450));
    EXPECT_EQ(Directory(1, "Full"), StdNames(450));
}

// The dialog's Cancel stops the send before the next name; a cancel from
// outside the dialog (a link lost elsewhere) is seen where the send polls
// the dialog, after names 1, 11 and 21.
TEST_F(KnobListTrafficSimTest, SendStoresTheEntriesAndStopsAtACancel)
{
    Start({"7.011"});
    auto gen = Connect(1);
    CKnobList list;
    list.SetName(QStringLiteral("Mine"));
    list.SetEntries(Names(25));
    {
        CProgressDlg progress(nullptr, true);
        ASSERT_TRUE(list.SendToGenerator(gen.get(), &progress));
    }
    EXPECT_EQ(Directory(1, "Mine"), StdNames(25));
    struct Case {
        const char *pressedAt; // Cancel pressed as this command goes out
        bool button;           // the dialog's button, else from outside the dialog
        const char *lastName;  // the last entry heard
    };
    for (const Case &c : {Case{"NAMI 1 \"N1\"", false, "NAMI 1 \"N1\""}, Case{"NAMI 2 \"N2\"", false, "NAMI 11 \"N11\""},
                          Case{"NAMI 12 \"N12\"", false, "NAMI 21 \"N21\""},
                          Case{"NAMI 2 \"N2\"", true, "NAMI 2 \"N2\""}, Case{"NAMI 12 \"N12\"", true, "NAMI 12 \"N12\""}}) {
        SCOPED_TRACE(std::string(c.pressedAt) + (c.button ? ", button" : ", outside"));
        list.SetEntries(Names(24)); // a new list under the stored name
        std::atomic<bool> pressed{false};
        CProgressDlg::SetExternalCancel([&pressed] { return quint64(pressed.load() ? 1 : 0); });
        CProgressDlg progress(nullptr, true);
        CommandHookPort port;
        port.before = [&](const std::string &command) {
            if (command != c.pressedAt)
                return;
            if (c.button)
                progress.OnCancel();
            else
                pressed = true;
        };
        Sim(1).trace().clear();
        EXPECT_FALSE(list.SendToGenerator(gen.get(), &progress));
        CProgressDlg::SetExternalCancel({});
        const Lines heard = Sim(1).trace().lines();
        ASSERT_GE(heard.size(), 3u);
        EXPECT_EQ(heard[heard.size() - 3], c.lastName);
        EXPECT_EQ(heard[heard.size() - 2], "DIRE");
        EXPECT_EQ(heard.back(), "DIRL ");
        EXPECT_EQ(Directory(1, "Mine"), StdNames(25)) << "no DIRA: the stored list stays";
    }
}

TEST_F(KnobListTrafficSimTest, MoreThan450NamesAreRefusedBeforeAnyTraffic)
{
    Start({"7.011"});
    auto gen = Connect(1);
    CKnobList list;
    list.SetName(QStringLiteral("Big"));
    list.SetEntries(Names(451));
    prompter.ExpectMessage(PromptMatch::Contains(QStringLiteral("holds 451 names; a generator takes at most 450"))
                               .AndCaption(QStringLiteral("Knob List Error")),
                           IDOK);
    Sim(1).trace().clear();
    CProgressDlg progress(nullptr, true);
    EXPECT_FALSE(list.SendToGenerator(gen.get(), &progress));
    EXPECT_TRUE(Sim(1).trace().lines().empty());
    list.SetEntries(Names(450));
    EXPECT_TRUE(list.SendToGenerator(gen.get(), &progress));
    EXPECT_EQ(Directory(1, "Big").size(), 450u);
}

TEST_F(KnobListTrafficSimTest, ARefusedEntryStopsTheSendUnstored)
{
    Start({"7.011"});
    auto gen = Connect(1);
    const std::vector<std::string> img = Directory(1, "img");
    Sim(1).fault(gensim::Fault::scriptedReply("NAMI 3 \"N3\"", "Execution error: 5010\r\n>"));
    prompter.ExpectMessage(PromptMatch::Caption(QStringLiteral("Communication Error")), IDOK);
    CKnobList list;
    list.SetName(QStringLiteral("img"));
    list.SetEntries(Names(5));
    Sim(1).trace().clear();
    CProgressDlg progress(nullptr, true);
    EXPECT_FALSE(list.SendToGenerator(gen.get(), &progress));
    const Lines heard = Sim(1).trace().lines();
    EXPECT_EQ(Lines(heard.end() - 3, heard.end()), (Lines{"NAMI 3 \"N3\"", "DIRE", "DIRL "}));
    EXPECT_EQ(Directory(1, "img"), img);
}

TEST_F(KnobListTrafficSimTest, CopyStoresOnlyAWholeList)
{
    Start({"7.011", "7.011"});
    auto source = Connect(1);
    auto target = Connect(2);
    source->SendCommandText(QStringLiteral("DIRN L15;DIRB"));
    for (int i = 1; i <= 15; ++i)
        source->SendCommandText(QStringLiteral("NAMI %1 N%1").arg(i));
    source->SendCommandText(QStringLiteral("DIRE;DIRA L15;DIRL "));
    ASSERT_EQ(Directory(1, "L15"), StdNames(15));
    {
        CProgressDlg progress(nullptr, true);
        EXPECT_TRUE(CopyKnobListBetweenGenerators(QStringLiteral("L15"), source.get(), target.get(), &progress));
    }
    EXPECT_EQ(Directory(2, "L15"), StdNames(15));
    // Cancelled midway: the target ends its new directory without storing it.
    CProgressDlg progress(nullptr, true);
    CommandHookPort port;
    port.before = [&](const std::string &command) {
        if (command == "NAMI 5 \"N5\"")
            progress.OnCancel();
    };
    Sim(2).trace().clear();
    EXPECT_FALSE(CopyKnobListBetweenGenerators(QStringLiteral("L15"), source.get(), target.get(), &progress));
    const Lines heard = Sim(2).trace().lines();
    EXPECT_EQ(Lines(heard.end() - 3, heard.end()), (Lines{"NAMI 11 \"N11\"", "DIRE", "DIRL "}));
    EXPECT_EQ(std::count(heard.begin(), heard.end(), "DIRA L15"), 0);
}

// --- The link of "fmt" -----------------------------------------------------------------------

TEST_F(KnobListTrafficSimTest, OnlyFmtLinks)
{
    Start({"7.011"});
    auto gen = Connect(1);
    CKnobList lower;
    ASSERT_TRUE(lower.RecallFromGenerator(QStringLiteral("fmt"), gen.get(), nullptr));
    EXPECT_EQ(lower.Source(), gen.get());
    CKnobList upper;
    ASSERT_TRUE(upper.RecallFromGenerator(QStringLiteral("FMT"), gen.get(), nullptr));
    EXPECT_EQ(upper.Source(), nullptr);
    EXPECT_EQ(upper.Entries(), lower.Entries()) << "the same directory, by the generator's rule";
}

const QString kOffer = QStringLiteral("Source generator knob list for\ndata item 'fmt' has changed.\nRecall the data item "
                                      "again?\nNote, modifications since last recall\nwill be lost.");

// What Send Data does after it stored a format: the name joins "fmt".
void SendNewFormat(CGenerator &gen, const QString &name)
{
    CFormat format;
    format.SetName(name);
    CProgressDlg progress(nullptr, true);
    ASSERT_TRUE(format.SendToGenerator(&gen, &progress));
    ASSERT_TRUE(gen.AddNamesToDirectory({name}, CGenerator::kKindFormat));
}

TEST_F(KnobListTrafficSimTest, ASendDataOffersToRecallTheLinkedList)
{
    Start({"7.011"});
    auto gen = Connect(1);
    CKnobList list;
    ASSERT_TRUE(list.RecallFromGenerator(QStringLiteral("fmt"), gen.get(), nullptr));
    auto *editor = static_cast<CKnobListEditor *>(list.OpenEditor());
    const QStringList before = list.Entries();
    ASSERT_EQ(editor->EntryView()->RowNames(), before);

    prompter.ExpectMessage(PromptMatch::Text(kOffer), IDCANCEL, MB_OKCANCEL);
    SendNewFormat(*gen, QStringLiteral("NEWA"));
    EXPECT_EQ(list.Entries(), before);
    EXPECT_EQ(editor->EntryView()->RowNames(), before);

    prompter.ExpectMessage(PromptMatch::Text(kOffer), IDOK, MB_OKCANCEL);
    SendNewFormat(*gen, QStringLiteral("NEWB"));
    const QStringList after = QStringList{"NEWB", "NEWA"} + before;
    EXPECT_EQ(list.Entries(), after);
    EXPECT_EQ(editor->EntryView()->RowNames(), after) << "the open editor shows the list recalled again";
    EXPECT_EQ(list.Source(), gen.get());
    editor->SetModified(false);
    list.SetModified(false);
}

TEST_F(KnobListTrafficSimTest, ALinkedListAndItsConnectionGoInEitherOrder)
{
    Start({"7.011"});
    for (bool connectionFirst : {true, false}) {
        SCOPED_TRACE(connectionFirst ? "disconnect, then delete" : "delete, then disconnect");
        auto gen = Connect(1);
        auto list = std::make_unique<CKnobList>();
        ASSERT_TRUE(list->RecallFromGenerator(QStringLiteral("fmt"), gen.get(), nullptr));
        if (connectionFirst) {
            gen.reset();
            EXPECT_EQ(list->Source(), nullptr);
            list.reset();
        } else {
            list.reset();
            // The connection no longer tells a list that has gone.
            EXPECT_TRUE(gen->AddNamesToDirectory({QStringLiteral("VGA_m4")}, CGenerator::kKindFormat));
            gen.reset();
        }
    }
}

} // namespace

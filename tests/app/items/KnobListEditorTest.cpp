// The knob list editor offscreen: names taken in from text by the one-kind
// rule, the Part's four edge cases of the name pane and drops, the sort
// that changes only what is shown, drops between editors whose Move is
// answered only when every name went in, the rows written back by their
// positions, and the lookups of a generator without sequences.

#include "CEditorDialogBar.h"
#include "CKnobList.h"
#include "CKnobListEditor.h"
#include "CKnobListView.h"
#include "CNameSelectionView.h"
#include "ItemEditorFactories.h"
#include "ItemsSimFixture.h"
#include "TestViewHost.h"

#include "CGeneratorView.h"
#include "CNameDlg.h"
#include "CNameEdit.h"
#include "DialogUnits.h"
#include "DragDelivery.h"
#include "DragLoop.h"
#include "GeneratorViewRegistry.h"
#include "MessageTarget.h"
#include "TestSupport.h"

#include <QComboBox>
#include <QHeaderView>
#include <QMimeData>
#include <QTest>

#include <set>

namespace {

class KnobOwner : public QWidget, public MessageTarget {
public:
    LRESULT OnMessage(unsigned, WPARAM, LPARAM) override { return 0; }
};

const Qt::DropActions kCopyOrMove = Qt::CopyAction | Qt::MoveAction;

const PromptMatch kMixing = PromptMatch::Text(QStringLiteral("You Cannot Mix Multiple Types On A Knob List"))
                                .AndCaption(QStringLiteral("Multiple Type Error"));

class KnobListEditorTest : public PlatformTest {
protected:
    ItemEditorFactories editorFactories; // the editors as the program makes them

    void TearDown() override
    {
        g_dragHook = nullptr;
        SetKnobNameClipboard({});
        for (auto &list : lists) {
            if (auto *editor = static_cast<CKnobListEditor *>(list->GetEditor()))
                editor->SetModified(false);
        }
        lists.clear();
        PlatformTest::TearDown();
    }

    CKnobListEditor &Open(const QStringList &entries, const QString &name = QStringLiteral("Knobs"))
    {
        lists.push_back(std::make_unique<CKnobList>(&owner));
        lists.back()->SetName(name);
        lists.back()->SetEntries(entries);
        auto *editor = static_cast<CKnobListEditor *>(lists.back()->OpenEditor());
        editor->show();
        QCoreApplication::processEvents();
        return *editor;
    }

    static void SelectEntries(CKnobListEditor &e, const QStringList &names)
    {
        QTreeWidget *list = e.EntryView()->List();
        list->clearSelection();
        for (int row = 0; row < list->topLevelItemCount(); ++row)
            list->topLevelItem(row)->setSelected(names.contains(list->topLevelItem(row)->text(0)));
    }

    static void SelectNames(CKnobListEditor &e, const QStringList &names)
    {
        QTreeWidget *list = e.NameView()->List();
        list->clearSelection();
        for (int row = 0; row < list->topLevelItemCount(); ++row)
            list->topLevelItem(row)->setSelected(names.contains(list->topLevelItem(row)->text(0)));
    }

    // The drag of a source (started as its list starts one, allowing offered)
    // dropped on target's rows (below them).
    Qt::DropAction Drag(std::function<void()> start, Qt::DropActions offered, CKnobListEditor &target,
                        Qt::KeyboardModifiers keys = {})
    {
        Qt::DropAction result = Qt::IgnoreAction;
        dragged = false;
        g_dragHook = [&](QDrag &drag) {
            dragged = true;
            QWidget *viewport = target.EntryView()->List()->viewport();
            result = DeliverDragPass(*viewport, drag.mimeData(),
                                     {QPoint(5, viewport->height() - 5), offered, keys});
            return result;
        };
        start();
        g_dragHook = nullptr;
        return result;
    }

    static void ClickHeader(QTreeWidget *list, int column)
    {
        QHeaderView *header = list->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(header->sectionViewportPosition(column) + 10, header->height() / 2));
    }

    KnobOwner owner;
    std::vector<std::unique_ptr<CKnobList>> lists;
    bool dragged = false;
};

// With "<Virtual Gen>": DMT8075 and VGA_m1 are formats, Flat and Ramp
// images, NewSeq a sequence; Zzz is none of them.
TEST_F(KnobListEditorTest, NamesComeInByTheOneKindRule)
{
    struct Case {
        const char *what;
        QStringList before;
        QString text;
        bool result;
        bool allTaken;
        QStringList after;
        bool mixing; // the warning box
    };
    const Case cases[] = {
        {"nine characters", {}, "ABCDEFGHI", false, false, {}, false},
        {"CR LF", {}, "DMT8075\r\nVGA_m1", true, true, {"DMT8075", "VGA_m1"}, false},
        {"LF", {}, "Flat\nRamp\n", true, true, {"Flat", "Ramp"}, false},
        {"empty names", {}, "\r\r\nFlat\r\n\r\n", true, true, {"Flat"}, false},
        {"a bad character mid-text", {}, "Flat\rRa mp\rRamp", false, false, {"Flat"}, false},
        {"mixed kinds", {}, "Flat\rDMT8075\rRamp", true, false, {"Flat"}, true},
        {"a sequence among images", {"Ramp"}, "NewSeq", true, false, {"Ramp"}, true},
        {"a name of kind 4 joins any list", {"Flat"}, "Zzz\rRamp", true, true, {"Flat", "Zzz", "Ramp"}, false},
        {"a NUL ends the text", {}, QStringLiteral("Flat") + QChar(0) + QStringLiteral("x y"), true, true, {"Flat"},
         false},
        {"after 8 characters only a separator", {}, "VGA_m1\rABCDEFGH\r", true, true, {"VGA_m1", "ABCDEFGH"}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        CKnobListEditor &editor = Open(c.before);
        if (c.mixing)
            prompter.ExpectMessage(kMixing, IDOK);
        bool all = !c.allTaken;
        EXPECT_EQ(editor.EntryView()->InsertNames(c.text, -1, true, &all), c.result);
        EXPECT_EQ(all, c.allTaken);
        EXPECT_EQ(editor.EntryView()->RowNames(), c.after);
        EXPECT_EQ(editor.IsModified(), c.after.size() > c.before.size());
        prompter.VerifyAllUsed();
    }
}

TEST_F(KnobListEditorTest, TheNamePanesDragsAndTheDropsAsThePartTellsThem)
{
    CKnobListEditor &editor = Open({});
    // Two image names dragged from the name pane onto the empty list.
    SelectNames(editor, {"Flat", "Ramp"});
    EXPECT_EQ(Drag([&] { editor.NameView()->OnBeginDrag(); }, Qt::CopyAction, editor), Qt::CopyAction);
    EXPECT_EQ(editor.EntryView()->RowNames(), (QStringList{"Flat", "Ramp"}));
    // A format name dragged after them: the warning.
    SelectNames(editor, {"DMT8075"});
    prompter.ExpectMessage(kMixing, IDOK);
    Drag([&] { editor.NameView()->OnBeginDrag(); }, Qt::CopyAction, editor);
    EXPECT_EQ(editor.EntryView()->RowNames(), (QStringList{"Flat", "Ramp"}));
    // A dropped text of one nine-character name adds nothing, and the drop fails.
    QMimeData nine;
    nine.setText(QStringLiteral("NineChars"));
    QWidget *viewport = editor.EntryView()->List()->viewport();
    EXPECT_EQ(DeliverDragPass(*viewport, &nine, {QPoint(5, 5), Qt::CopyAction | Qt::MoveAction}), Qt::IgnoreAction);
    EXPECT_EQ(editor.EntryView()->RowNames(), (QStringList{"Flat", "Ramp"}));
    // A format and an image selected together: the warning at once, no drag.
    SelectNames(editor, {"DMT8075", "Flat"});
    prompter.ExpectMessage(kMixing, IDOK);
    Drag([&] { editor.NameView()->OnBeginDrag(); }, Qt::CopyAction, editor);
    EXPECT_FALSE(dragged);
}

TEST_F(KnobListEditorTest, AKindShownAgainComesAfterTheOthers)
{
    CKnobListEditor &editor = Open({});
    CNameSelectionView &names = *editor.NameView();
    EXPECT_EQ(names.RowCount(), 104 + 131 + 1);
    EXPECT_EQ(names.KindAt(0), CNameSelectionView::kFormats);
    EXPECT_EQ(names.KindAt(names.RowCount() - 1), CNameSelectionView::kSequences);
    ASSERT_TRUE(editor.Router().Execute(ID_SHOW_IMAGES));
    EXPECT_FALSE(editor.Router().Action(ID_SHOW_IMAGES)->isChecked());
    EXPECT_EQ(names.RowCount(), 104 + 1);
    ASSERT_TRUE(editor.Router().Execute(ID_SHOW_IMAGES));
    EXPECT_TRUE(editor.Router().Action(ID_SHOW_IMAGES)->isChecked());
    ASSERT_EQ(names.RowCount(), 104 + 1 + 131);
    EXPECT_EQ(names.KindAt(104), CNameSelectionView::kSequences);
    EXPECT_EQ(names.KindAt(105), CNameSelectionView::kImages);
    EXPECT_EQ(names.NameAt(105), QStringLiteral("Acer1"));
    EXPECT_EQ(names.List()->topLevelItem(105)->text(1), QStringLiteral("img"));
    EXPECT_FALSE(editor.IsModified());
}

TEST_F(KnobListEditorTest, SortingOnlyShowsUntilACutMakesTheOrderStick)
{
    CKnobListEditor &editor = Open({"b", "C", "a"});
    CKnobList &item = editor.Item();
    ClickHeader(editor.EntryView()->List(), 0);
    EXPECT_EQ(editor.EntryView()->RowNames(), (QStringList{"a", "b", "C"}));
    EXPECT_FALSE(editor.IsModified());
    editor.WriteBack();
    EXPECT_EQ(item.Entries(), (QStringList{"b", "C", "a"})) << "each name back to its place";
    ClickHeader(editor.EntryView()->List(), 0);
    EXPECT_EQ(editor.EntryView()->RowNames(), (QStringList{"C", "b", "a"}));
    SelectEntries(editor, {"b"});
    ASSERT_TRUE(editor.Router().Execute(ID_EDIT_CUT));
    EXPECT_TRUE(editor.IsModified());
    EXPECT_EQ(KnobNameClipboard(), (QStringList{"b"}));
    editor.WriteBack();
    EXPECT_EQ(item.Entries(), (QStringList{"C", "a"}));
    EXPECT_FALSE(editor.IsModified());
}

TEST_F(KnobListEditorTest, EveryNameAddedIsWrittenBack)
{
    CKnobListEditor &editor = Open({"A", "B"});
    prompter.ExpectDialog(PromptMatch::Caption(ControlName(IDD_NAME)), [](QDialog &d) {
        FindControl<CNameEdit>(&d, IDC_NAME)->setText(QStringLiteral("C"));
        d.accept();
    });
    ASSERT_TRUE(editor.Router().Execute(ID_NEW_NAME));
    SelectEntries(editor, {"A"});
    ASSERT_TRUE(editor.Router().Execute(ID_EDIT_COPY));
    ASSERT_TRUE(editor.Router().Execute(ID_EDIT_PASTE));
    QTreeWidget *names = editor.NameView()->List();
    QTreeWidgetItem *flat = names->findItems(QStringLiteral("Flat"), Qt::MatchExactly).value(0);
    ASSERT_TRUE(flat);
    names->scrollToItem(flat);
    QTest::mouseClick(names->viewport(), Qt::LeftButton, Qt::NoModifier, names->visualItemRect(flat).center());
    QTest::mouseDClick(names->viewport(), Qt::LeftButton, Qt::NoModifier, names->visualItemRect(flat).center());
    const QStringList expected = {"A", "B", "C", "A", "Flat"};
    EXPECT_EQ(editor.EntryView()->RowNames(), expected);
    editor.WriteBack();
    EXPECT_EQ(editor.Item().Entries(), expected) << "a duplicate keeps its own place";
    EXPECT_EQ(editor.windowTitle(), QStringLiteral("\"Knobs\"  <no associated file>"));
}

TEST_F(KnobListEditorTest, AMoveIsAnsweredOnlyWhenEveryNameWentIn)
{
    CKnobListEditor &source = Open({"VGA_m1", "Flat"}, QStringLiteral("Src"));
    CKnobListEditor &target = Open({"DMT8075"}, QStringLiteral("Dst"));
    SelectEntries(source, {"VGA_m1", "Flat"});
    prompter.ExpectMessage(kMixing, IDOK);
    EXPECT_EQ(Drag([&] { source.EntryView()->OnBeginDrag(); }, kCopyOrMove, target), Qt::CopyAction);
    EXPECT_EQ(target.EntryView()->RowNames(), (QStringList{"DMT8075", "VGA_m1"}));
    EXPECT_EQ(source.EntryView()->RowNames(), (QStringList{"VGA_m1", "Flat"})) << "the refused name stays";
    SelectEntries(source, {"VGA_m1"});
    EXPECT_EQ(Drag([&] { source.EntryView()->OnBeginDrag(); }, kCopyOrMove, target), Qt::MoveAction);
    EXPECT_EQ(target.EntryView()->RowNames(), (QStringList{"DMT8075", "VGA_m1", "VGA_m1"}));
    EXPECT_EQ(source.EntryView()->RowNames(), (QStringList{"Flat"}));
    // A format refused among images: the source is told a copy and keeps it.
    SelectEntries(target, {"DMT8075"});
    prompter.ExpectMessage(kMixing, IDOK);
    EXPECT_EQ(Drag([&] { target.EntryView()->OnBeginDrag(); }, kCopyOrMove, source), Qt::CopyAction);
    EXPECT_EQ(target.EntryView()->RowNames(), (QStringList{"DMT8075", "VGA_m1", "VGA_m1"}));
    EXPECT_EQ(source.EntryView()->RowNames(), (QStringList{"Flat"}));
    // With Ctrl a copy, here of text another program dropped.
    QMimeData lines;
    lines.setText(QStringLiteral("Ramp\r\nFlat\n"));
    EXPECT_EQ(DeliverDragPass(*source.EntryView()->List()->viewport(), &lines,
                              {QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, Qt::ControlModifier}),
              Qt::CopyAction);
    EXPECT_EQ(source.EntryView()->RowNames(), (QStringList{"Ramp", "Flat", "Flat"})) << "dropped on the first row";
}

TEST_F(KnobListEditorTest, ScreenshotWithBothPanesFilled)
{
    CKnobListEditor &editor = Open({"DMT8075", "DMT1075", "VGA_m4", "Zzz"}, QStringLiteral("fmt"));
    editor.show();
    QCoreApplication::processEvents();
    SaveScreenshot(editor, QStringLiteral("knob_list_editor"));
    EXPECT_EQ(editor.NameView()->RowCount(), 104 + 131 + 1);
}

// --- A chosen generator --------------------------------------------------------------------

class KnobListGeneratorTest : public ItemsSimTest {
protected:
    ItemEditorFactories editorFactories; // the editors as the program makes them

    void TearDown() override
    {
        if (auto *editor = list ? static_cast<CKnobListEditor *>(list->GetEditor()) : nullptr)
            editor->SetModified(false);
        list.reset();
        if (view) {
            GeneratorViewRegistry::Unlist(view);
            delete view;
        }
        ItemsSimTest::TearDown();
    }

    TestViewHost host;
    CGeneratorView *view = nullptr;
    std::unique_ptr<CKnobList> list;
};

// 444 user formats and the 6 built-in ones: 450 names, no sequence. The
// choice of the generator asks each entry's kind once: only the sequence
// lookups reach the generator (its sequence list is empty), one a name.
TEST_F(KnobListGeneratorTest, AChoiceAsksEachNameOnce)
{
    Start({"7.011"});
    gensim::StoredItem base = *Sim(1).item(gensim::ItemKind::Format, "VGA_m4");
    for (int i = 1; i <= 444; ++i) {
        gensim::StoredItem format = base;
        format.name = format.fields["NAME"] = QStringLiteral("F%1").arg(i, 3, 10, QLatin1Char('0')).toStdString();
        format.user = true;
        Sim(1).seed(gensim::ItemKind::Format, format);
    }
    gensim::StoredItem both{"DMT8075"};
    Sim(1).seed(gensim::ItemKind::Image, both); // a format and an image
    auto connection = Connect(1);
    connection->SendCommandText(QStringLiteral("SEQK NewSeq"));
    view = new CGeneratorView(connection.release(), &host);
    view->CreateFrame();
    ASSERT_EQ(view->ScanGenerator(), 1);
    GeneratorViewRegistry::List(view);
    const QStringList formats = view->GetState().generator->FormatNames();
    ASSERT_EQ(formats.size(), 450);

    list = std::make_unique<CKnobList>();
    list->SetEntries(formats);
    Sim(1).trace().clear();
    auto *editor = static_cast<CKnobListEditor *>(list->OpenEditor());
    EXPECT_TRUE(Sim(1).trace().lines().empty()) << "\"<Virtual Gen>\" knows its names";
    QComboBox &combo = *editor->DialogBar()->Combo();
    ASSERT_EQ(combo.count(), 2);
    combo.setCurrentIndex(1);
    emit combo.activated(1);
    const std::vector<std::string> heard = Sim(1).trace().lines();
    std::multiset<std::string> expected;
    for (const QString &name : formats)
        expected.insert("SEQL? " + name.toStdString());
    EXPECT_EQ(std::multiset<std::string>(heard.begin(), heard.end()), expected);
    EXPECT_EQ(editor->NameView()->RowCount(), 450 + int(view->GetState().generator->ImageNames().size()));
    // Names already asked about are not asked again.
    Sim(1).trace().clear();
    SetKnobNameClipboard(formats.mid(0, 50));
    ASSERT_TRUE(editor->Router().Execute(ID_EDIT_PASTE));
    EXPECT_TRUE(Sim(1).trace().lines().empty());
    // DMT8075 is a format and an image (kind 5): it joins any list; an image does not join formats.
    CKnobListView &entries = *editor->EntryView();
    EXPECT_EQ(entries.KindAt(int(formats.indexOf(QStringLiteral("DMT8075")))), 5);
    prompter.ExpectMessage(kMixing, IDOK);
    bool all = true;
    EXPECT_TRUE(entries.InsertNames(QStringLiteral("DMT8075\rFlat"), -1, true, &all));
    EXPECT_FALSE(all);
    EXPECT_EQ(entries.RowNames().mid(500), (QStringList{"DMT8075"}));
}

} // namespace

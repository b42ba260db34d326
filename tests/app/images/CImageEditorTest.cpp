#include "CImageEditor.h"

#include "CCanvas.h"
#include "CColorComboBox.h"
#include "CImage.h"
#include "CInformationBox.h"
#include "CPrimitiveHandle.h"
#include "CLine.h"
#include "CPatternCombo.h"
#include "CPrimitiveListPane.h"
#include "ListPaneForEditor.h"
#include "PrimitiveClipboard.h"
#include "CRectangle.h"
#include "DialogUnits.h"
#include "EditorPaneDouble.h"
#include "ImageTestSupport.h"
#include "MessageTarget.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "TestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QComboBox>
#include <QLabel>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QScreen>
#include <QToolBar>

namespace {

using imagetest::EditorPaneDouble;

// The image's owner: saves by storing the image, as the data list does,
// and hears that the editor closed.
class EditorOwner : public QObject, public MessageTarget {
public:
    LRESULT OnMessage(unsigned message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_DATA_SAVE) {
            saves.push_back(int(wParam));
            CImage *image = FromLParam<CImage>(lParam);
            if (!saveSucceeds || !image)
                return 0;
            stored = imagetest::StoreImage(*image);
            image->SetModified(false);
            return 1;
        }
        if (message == WM_EDITOR_CLOSED)
            ++closed;
        return 0;
    }
    std::vector<int> saves;
    QByteArray stored;
    bool saveSucceeds = true;
    int closed = 0;
};

// A rectangle that says it is a group, and one that has a font.
class GroupDouble : public CRectangle {
public:
    GroupDouble() : CRectangle(1, 1, 5, 5) {}
    bool IsGroup() const override { return true; }
};
class TextDouble : public CRectangle {
public:
    TextDouble() : CRectangle(1, 1, 5, 5) {}
    bool HasFont() const override { return true; }
    int GetFont() const override { return 2; }
};

class CImageEditorTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        CImageEditor::SetFixedAspect(false);
        SetEditorFactory<CImage>([](CImage &image) { return new CImageEditor(image); });
        CImageEditor::SetPaneFactory([this](CImageEditor &editor, CCanvas &canvas) {
            auto pane = std::make_unique<EditorPaneDouble>(editor, canvas);
            this->pane = pane.get();
            return pane;
        });
        image = std::make_unique<CImage>(&owner);
        image->AddPrimitive(std::make_unique<CRectangle>(100, 100, 199, 199, 1, 3));
        editor = static_cast<CImageEditor *>(image->OpenEditor());
        ASSERT_NE(editor, nullptr);
    }
    void TearDown() override
    {
        image.reset();
        SetEditorFactory<CImage>({});
        CImageEditor::SetPaneFactory({});
        CImageEditor::SetFixedAspect(false);
        PlatformTest::TearDown();
    }

    bool Run(int id) { return editor->Router().Execute(id); }
    QAction *Action(int id) { return editor->Router().Action(id); }
    bool Enabled(int id)
    {
        editor->Router().Update();
        return Action(id)->isEnabled();
    }
    bool Checked(int id) { return Action(id)->isChecked(); }

    EditorOwner owner;
    std::unique_ptr<CImage> image;
    CImageEditor *editor = nullptr;
    EditorPaneDouble *pane = nullptr;
};

TEST_F(CImageEditorTest, ANewEditorShowsNoSelectionAndThreeDisabledCombos)
{
    EXPECT_EQ(editor->SelectionPane()->text(), QStringLiteral("No Selection"));
    EXPECT_EQ(pane->statusBar, editor->statusBar());
    for (QComboBox *combo : std::initializer_list<QComboBox *>{editor->ColourCombo(), editor->PatternCombo(),
                                                              editor->FontCombo()}) {
        EXPECT_FALSE(combo->isEnabled());
        EXPECT_EQ(combo->currentIndex(), 0);
    }
    EXPECT_EQ(editor->ColourCombo()->count(), 71);
    EXPECT_EQ(editor->PatternCombo()->count(), 31);
    EXPECT_EQ(editor->FontCombo()->itemText(0), CFontKind().GetText(0));
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Image  <no associated file>"));
    EXPECT_EQ(editor->Canvas()->LargestX(), 639);
    EXPECT_EQ(editor->Canvas()->LargestY(), 479);
    ASSERT_EQ(pane->primitives.size(), 1u); // the tree got copies of the image's primitives
    EXPECT_NE(pane->primitives[0].get(), image->Primitives()[0].get());
    EXPECT_TRUE(Checked(ID_APPEND_MODE));
    EXPECT_FALSE(Checked(ID_INSERT_MODE));
    for (int id : {ID_GROUP, ID_UNGROUP, ID_EDIT_CUT, ID_EDIT_COPY, ID_DELETE, ID_BRING_TO_FRONT, ID_EDIT_PASTE,
                   ID_UNDO_PRIMITIVE, ID_EDIT_SELECT_ALL, ID_VIEW_EDIT_BAR, ID_INSERT_BLOCK_RENDER})
        EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_EQ(editor->Splitter()->widget(0), pane->widget.data());
}

TEST_F(CImageEditorTest, EveryInsertCommandMakesItsTypeInAppendAndInsertMode)
{
    const std::pair<int, int> inserts[] = {
        {10000, 0},  {10001, 2},  {10002, 3},  {10003, 4},  {10004, 5},  {10005, 14}, {10006, 15}, {10007, 16},
        {10008, 11}, {10009, 17}, {10010, 18}, {10011, 12}, {10012, 13}, {10013, 7},  {10014, 9},  {10015, 6},
        {10016, 10}, {10017, 8},  {10018, 20}, {10019, 21}, {10020, 22}, {10125, 25},
    };
    for (bool append : {true, false}) {
        ASSERT_TRUE(Run(append ? ID_APPEND_MODE : ID_INSERT_MODE));
        EXPECT_EQ(Checked(ID_APPEND_MODE), append);
        EXPECT_EQ(Checked(ID_INSERT_MODE), !append);
        pane->created.clear();
        for (const auto &[id, type] : inserts)
            EXPECT_TRUE(Run(id)) << id;
        ASSERT_EQ(pane->created.size(), std::size(inserts));
        for (size_t i = 0; i < std::size(inserts); ++i) {
            EXPECT_EQ(pane->created[i].type, inserts[i].second) << inserts[i].first;
            EXPECT_EQ(pane->created[i].append, append);
        }
    }
}

TEST_F(CImageEditorTest, TheCombosShowTheSelectionAndHandTheUsersChoiceToThePane)
{
    CPrimitive &rectangle = *pane->primitives[0];
    pane->Select(&rectangle, 0);
    EXPECT_TRUE(editor->ColourCombo()->isEnabled());
    EXPECT_TRUE(editor->PatternCombo()->isEnabled());
    EXPECT_FALSE(editor->FontCombo()->isEnabled());
    EXPECT_EQ(editor->ColourCombo()->currentIndex(), 1);
    EXPECT_EQ(editor->PatternCombo()->currentIndex(), 3);
    EXPECT_TRUE(pane->colours.empty()); // showing the selection changes nothing

    emit editor->ColourCombo()->activated(4);
    emit editor->PatternCombo()->activated(7);
    EXPECT_EQ(pane->colours, std::vector<int>{4});
    EXPECT_EQ(pane->patterns, std::vector<int>{7});

    CPrimitive &text = pane->Add(std::make_unique<TextDouble>());
    pane->Select(&text, 0);
    EXPECT_TRUE(editor->FontCombo()->isEnabled());
    EXPECT_EQ(editor->FontCombo()->currentIndex(), 2);
    emit editor->FontCombo()->activated(1);
    EXPECT_EQ(pane->fonts, std::vector<int>{1});

    // The change the pane made is held as its undo record.
    pane->undoHeld = true;
    ASSERT_TRUE(Run(ID_UNDO_PRIMITIVE));
    EXPECT_EQ(pane->undos, 1);
    EXPECT_FALSE(Enabled(ID_UNDO_PRIMITIVE));
}

// Commands follow the last selection change: the current primitive (or
// none) and the number of marked primitives.
TEST_F(CImageEditorTest, CommandsAndCombosFollowTheSelection)
{
    CPrimitive &rectangle = *pane->primitives[0];
    CPrimitive &group = pane->Add(std::make_unique<GroupDouble>());
    CPrimitive &lockedText = pane->Add(std::make_unique<TextDouble>());
    lockedText.SetLocked(true);
    struct Case {
        const char *what;
        CPrimitive *current;
        int marked;
        bool colour, pattern, font;
        bool group, ungroup, reorder, cut, copy;
    };
    const Case cases[] = {
        {"nothing", nullptr, 0, false, false, false, false, false, false, false, false},
        {"a rectangle", &rectangle, 0, true, true, false, false, false, true, true, true},
        {"a group", &group, 1, true, true, false, false, true, true, true, true},
        {"a locked member", &lockedText, 0, true, true, false, false, false, false, false, true},
        {"two marked, one current", &rectangle, 2, false, false, false, true, false, false, true, true},
        {"one marked, none current", nullptr, 1, false, false, false, false, false, false, true, true},
        {"three marked, none current", nullptr, 3, false, false, false, true, false, false, true, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        pane->Select(c.current, c.marked);
        EXPECT_EQ(editor->ColourCombo()->isEnabled(), c.colour);
        EXPECT_EQ(editor->PatternCombo()->isEnabled(), c.pattern);
        EXPECT_EQ(editor->FontCombo()->isEnabled(), c.font);
        EXPECT_EQ(Enabled(ID_GROUP), c.group);
        EXPECT_EQ(Enabled(ID_UNGROUP), c.ungroup);
        EXPECT_EQ(Enabled(ID_BRING_TO_FRONT), c.reorder);
        EXPECT_EQ(Enabled(ID_SEND_TO_BACK), c.reorder);
        EXPECT_EQ(Enabled(ID_EDIT_CUT), c.cut);
        EXPECT_EQ(Enabled(ID_DELETE), c.cut);
        EXPECT_EQ(Enabled(ID_EDIT_COPY), c.copy);
    }
}

TEST_F(CImageEditorTest, PaneCommandsReachThePaneWithTheirModes)
{
    pane->Select(pane->primitives[0].get(), 0);
    pane->clipboardFull = true;
    for (int id : {ID_EDIT_CUT, ID_EDIT_COPY, ID_DELETE, ID_BRING_TO_FRONT, ID_SEND_TO_BACK, ID_EDIT_PASTE})
        EXPECT_TRUE(Run(id)) << id;
    EXPECT_EQ(pane->modes, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(pane->moves, (std::vector<bool>{true, false}));
    EXPECT_EQ(pane->pastes, 1);
    pane->Select(nullptr, 2);
    EXPECT_TRUE(Run(ID_GROUP));
    EXPECT_EQ(pane->groups, 1);
    pane->Add(std::make_unique<GroupDouble>());
    pane->Select(pane->primitives.back().get(), 0);
    EXPECT_TRUE(Run(ID_UNGROUP));
    EXPECT_EQ(pane->ungroups, 1);
}

TEST_F(CImageEditorTest, TheKeysOfTheMenuRunItsCommands)
{
    const std::pair<int, const char *> keys[] = {
        {ID_FILE_SAVE, "Ctrl+S"},     {ID_EDIT_CUT, "Ctrl+X"},       {ID_EDIT_COPY, "Ctrl+C"},
        {ID_EDIT_PASTE, "Ctrl+V"},    {ID_DELETE, "Del"},            {ID_UNDO_PRIMITIVE, "Ctrl+Z"},
        {ID_GROUP, "Ctrl+G"},         {ID_UNGROUP, "Ctrl+K"},        {ID_BRING_TO_FRONT, "Ctrl+F"},
        {ID_SEND_TO_BACK, "Ctrl+B"},  {ID_SELECT_AREA, "Ctrl+R"},    {ID_PROPERTIES, "Ctrl+E"},
        {ID_FULL_SCREEN, "F12"},      {ID_PREVIEW, "F4"},            {ID_SNAP_TO_GRID, "F7"},
        {ID_SNAP_TO_OBJECT, "F8"},    {ID_DISPLAY_GRID, "F9"},       {ID_SET_GRID_SIZE, "F10"},
        {ID_RIGID_OBJECTS, "F11"},    {ID_FIXED_ASPECT, "Ctrl+F11"}, {ID_EDIT_SELECT_ALL, "Ctrl+A"},
    };
    for (const auto &[id, key] : keys)
        EXPECT_EQ(Action(id)->shortcut(), QKeySequence(QString::fromLatin1(key))) << id;
    // Tool tips: the string table's text of the id, the menu text where the row is another's.
    EXPECT_EQ(Action(ID_INSERT_RECTANGLE)->toolTip(), QStringLiteral("Insert a rectangle"));
    EXPECT_EQ(Action(ID_GROUP)->toolTip(), QStringLiteral("Group the marked primitives"));
    EXPECT_EQ(Action(ID_INSERT_CENTER_MARKS)->toolTip(), QStringLiteral("Center Marks"));
}

TEST_F(CImageEditorTest, TogglesChangeTheCanvasAndTheirCheckState)
{
    CCanvas &canvas = *editor->Canvas();
    const struct {
        int id;
        std::function<bool()> state;
    } toggles[] = {
        {ID_SNAP_TO_GRID, [&] { return canvas.GridSnap(); }},
        {ID_SNAP_TO_OBJECT, [&] { return canvas.SnapToObjects(); }},
        {ID_DISPLAY_GRID, [&] { return canvas.ShowGrid(); }},
        {ID_RIGID_OBJECTS, [&] { return canvas.RigidObjects(); }},
        {ID_SELECT_AREA, [&] { return canvas.IsSelectArea(); }},
        {ID_FIXED_ASPECT, [] { return CImageEditor::IsFixedAspect(); }},
    };
    for (const auto &toggle : toggles) {
        SCOPED_TRACE(toggle.id);
        const bool before = toggle.state();
        EXPECT_EQ(Checked(toggle.id), before);
        ASSERT_TRUE(Run(toggle.id));
        EXPECT_EQ(toggle.state(), !before);
        EXPECT_EQ(Checked(toggle.id), !before);
        ASSERT_TRUE(Run(toggle.id));
        EXPECT_EQ(toggle.state(), before);
        EXPECT_EQ(Checked(toggle.id), before);
    }
}

TEST_F(CImageEditorTest, ClosingTheOptionsBarByHandTellsTheUser)
{
    prompter.ExpectMessage(PromptMatch::Text(QStringLiteral("Closing a Toolbar!")), IDOK, MB_OK);
    editor->OptionsBar()->toggleViewAction()->trigger();
    EXPECT_FALSE(editor->OptionsBar()->isVisible());
    EXPECT_FALSE(Checked(ID_VIEW_OPTIONS_BAR));
    ASSERT_TRUE(Run(ID_VIEW_OPTIONS_BAR)); // the menu's own toggle: no box
    EXPECT_TRUE(editor->OptionsBar()->isVisible());
    ASSERT_TRUE(Run(ID_VIEW_OPTIONS_BAR));
    EXPECT_FALSE(editor->OptionsBar()->isVisible());
}

TEST_F(CImageEditorTest, CanvasLimitsScaleTheTopLevelPrimitivesOnlyWhenAsked)
{
    for (bool scale : {false, true}) {
        SCOPED_TRACE(scale);
        editor->Canvas()->SetLimits(639, 479);
        prompter.ExpectDialog(PromptMatch::Caption(QStringLiteral("Canvas Limits")), [scale](QDialog &d) {
            FindControl<QLineEdit>(&d, IDC_X_RES)->setText(QStringLiteral("800"));
            FindControl<QLineEdit>(&d, IDC_Y_RES)->setText(QStringLiteral("600"));
            FindControl<QCheckBox>(&d, IDC_SCALE_PRIMITIVES)->setChecked(scale);
            d.accept();
        });
        const auto &box = static_cast<const CRectangle &>(*pane->primitives[0]);
        const QPoint before = box.TopLeft();
        ASSERT_TRUE(Run(ID_SET_LIMITS));
        EXPECT_EQ(editor->Canvas()->LargestX(), 799);
        EXPECT_EQ(editor->Canvas()->LargestY(), 599);
        if (scale) {
            ASSERT_EQ(pane->scaled.size(), 1u);
            EXPECT_DOUBLE_EQ(pane->scaled[0].first, 1.25);
            EXPECT_DOUBLE_EQ(pane->scaled[0].second, 1.25);
            EXPECT_EQ(box.TopLeft(), before * 1.25);
        } else {
            EXPECT_TRUE(pane->scaled.empty());
            EXPECT_EQ(box.TopLeft(), before);
        }
    }
    // Cancel: nothing changes.
    prompter.ExpectDialog(PromptMatch::Caption(QStringLiteral("Canvas Limits")), [](QDialog &d) { d.reject(); });
    ASSERT_TRUE(Run(ID_SET_LIMITS));
    EXPECT_EQ(editor->Canvas()->LargestX(), 799);
    EXPECT_EQ(pane->scaled.size(), 1u);
}

TEST_F(CImageEditorTest, GridSizeGoesToTheCanvas)
{
    prompter.ExpectDialog(PromptMatch::Caption(QStringLiteral("Snap Grid Size")), [](QDialog &d) {
        FindControl<QLineEdit>(&d, IDC_X_SPACING)->setText(QStringLiteral("10"));
        FindControl<QLineEdit>(&d, IDC_Y_SPACING)->setText(QStringLiteral("20"));
        d.accept();
    });
    ASSERT_TRUE(Run(ID_SET_GRID_SIZE));
    EXPECT_EQ(editor->Canvas()->GridStepX(), 10);
    EXPECT_EQ(editor->Canvas()->GridStepY(), 20);
}

TEST_F(CImageEditorTest, AnAspectRatioResizesTheFrameKeepingItsWidth)
{
    const struct {
        int button;
        QSize size;
    } cases[] = {{IDC_RATIO_4_3, QSize(800, 600)}, {IDC_RATIO_16_9, QSize(800, 450)}, {IDC_RATIO_1_1, QSize(800, 800)}};
    const int sides = editor->frameGeometry().width() - editor->width();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.button);
        editor->resize(800 - sides, 300); // a frame 800 wide
        prompter.ExpectDialog(PromptMatch::Caption(QStringLiteral("Aspect Ratio Selection")), [&](QDialog &d) {
            FindControl<QRadioButton>(&d, c.button)->click();
            d.accept();
        });
        ASSERT_TRUE(Run(ID_SET_ASPECT_RATIO));
        EXPECT_EQ(editor->frameGeometry().size(), c.size);
    }
}

TEST_F(CImageEditorTest, FixedAspectFollowsEveryResizeOfTheCanvas)
{
    const int sides = editor->frameGeometry().width() - editor->width();
    editor->SetAspectRatio(4, 3);
    editor->resize(800 - sides, 300);
    ASSERT_TRUE(Run(ID_FIXED_ASPECT));
    EXPECT_EQ(editor->frameGeometry().size(), QSize(800, 600));
    editor->resize(640 - sides, 300);
    EXPECT_TRUE(QTest::qWaitFor([&] { return editor->frameGeometry().size() == QSize(640, 480); }));
    ASSERT_TRUE(Run(ID_FIXED_ASPECT));
    editor->resize(640 - sides, 300);
    QTest::qWait(20); // the timer's 1 ms, many times over
    EXPECT_EQ(editor->width(), 640 - sides);
    EXPECT_EQ(editor->height(), 300);
}

TEST_F(CImageEditorTest, FullScreenAndBackRestoresTheBarsAndTheColumn)
{
    editor->resize(900, 600);
    EXPECT_TRUE(QTest::qWaitFor([&] { return editor->Splitter()->sizes().value(0) >= CImageEditor::kListColumnWidth; }));
    CImageEditor::SetFixedAspect(true);
    ASSERT_TRUE(Run(ID_FULL_SCREEN));
    EXPECT_TRUE(editor->IsFullScreen());
    EXPECT_FALSE(CImageEditor::IsFixedAspect());
    EXPECT_EQ(editor->Splitter()->sizes().value(0), 0);
    EXPECT_FALSE(editor->OptionsBar()->isVisible());
    EXPECT_FALSE(editor->SelectorsBar()->isVisible());
    EXPECT_FALSE(editor->statusBar()->isVisible());
    EXPECT_TRUE(editor->PrimitivesBar()->isVisible());
    ASSERT_TRUE(Run(ID_FIXED_ASPECT)); // ignored in full screen
    EXPECT_FALSE(CImageEditor::IsFixedAspect());

    ASSERT_TRUE(Run(ID_FULL_SCREEN));
    EXPECT_FALSE(editor->IsFullScreen());
    for (QWidget *bar : std::initializer_list<QWidget *>{editor->OptionsBar(), editor->SelectorsBar(),
                                                         editor->PrimitivesBar(), editor->statusBar()})
        EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(editor->Splitter()->sizes().value(0), CImageEditor::kListColumnWidth);
    EXPECT_EQ(editor->toolBarArea(editor->PrimitivesBar()), Qt::TopToolBarArea);
}

TEST_F(CImageEditorTest, SaveWritesBackAndClearsEveryMark)
{
    auto &box = static_cast<CRectangle &>(*pane->primitives[0]);
    box.Offset(5, 0);
    pane->modified = true;
    editor->SetChanged(false);
    editor->Canvas()->SetModified();
    editor->Canvas()->SetLimits(799, 599);
    EXPECT_TRUE(editor->windowTitle().contains(QStringLiteral(" * ")));
    EXPECT_TRUE(image->IsModified());

    ASSERT_TRUE(Run(ID_FILE_SAVE));
    EXPECT_EQ(owner.saves, std::vector<int>{0});
    EXPECT_FALSE(editor->IsModified());
    EXPECT_FALSE(pane->modified);
    EXPECT_FALSE(editor->Canvas()->IsChanged());
    EXPECT_FALSE(image->IsModified());
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Image  <no associated file>"));
    const std::unique_ptr<CImage> stored = imagetest::LoadImage(owner.stored);
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->Width(), 800);
    EXPECT_EQ(stored->Height(), 600);
    EXPECT_EQ(imagetest::Lines(*stored), QStringList{box.GetCommandText()});
    ASSERT_TRUE(Run(ID_FILE_SAVE_AS));
    EXPECT_EQ(owner.saves, (std::vector<int>{0, 1}));
}

TEST_F(CImageEditorTest, ClosingAChangedEditorAsksAndAFailedSaveKeepsItOpen)
{
    editor->SetChanged(false);
    owner.saveSucceeds = false;
    prompter.ExpectMessage(PromptMatch::Id(IDS_SAVE_QUESTION), IDYES);
    ASSERT_TRUE(Run(ID_FILE_CLOSE));
    EXPECT_FALSE(editor->IsDestroyed());
    EXPECT_TRUE(editor->isVisible());

    prompter.ExpectMessage(PromptMatch::Id(IDS_SAVE_QUESTION), IDCANCEL);
    editor->close();
    EXPECT_FALSE(editor->IsDestroyed());

    prompter.ExpectMessage(PromptMatch::Id(IDS_SAVE_QUESTION), IDNO);
    editor->close();
    EXPECT_TRUE(editor->IsDestroyed());
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(image->GetEditor(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return owner.closed == 1; }));
    image->CloseEditor();
    EXPECT_FALSE(image->IsModified()); // the discarded edits went with the editor
}

TEST_F(CImageEditorTest, APinnedPropertyWindowFollowsTheSelection)
{
    CPrimitive &first = *pane->primitives[0];
    CPrimitive &second = pane->Add(std::make_unique<CLine>(1, 1, 9, 9));
    CPrimitive &locked = pane->Add(std::make_unique<CLine>(2, 2, 8, 8));
    locked.SetLocked(true);
    pane->Select(&first, 0);
    ASSERT_TRUE(Run(ID_PROPERTIES));
    QPointer<QDialog> window = editor->PropertyWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(pane->PropertiesOwner(window), &first);
    EXPECT_TRUE(Checked(ID_PROPERTIES));
    window->move(300, 200);

    pane->Select(&first, 0); // its own primitive: the same window
    EXPECT_EQ(editor->PropertyWindow(), window.data());

    pane->Select(&second, 0); // another primitive: its dialog in the old one's place
    QPointer<QDialog> next = editor->PropertyWindow();
    ASSERT_NE(next, nullptr);
    EXPECT_NE(next.data(), window.data());
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isNull(); }));
    EXPECT_EQ(pane->PropertiesOwner(next), &second);
    EXPECT_EQ(next->pos(), QPoint(300, 200));

    const struct {
        CPrimitive *current;
        int marked;
        int placeholder;
    } placeholders[] = {{&locked, 0, 2}, {&first, 2, 1}, {nullptr, 0, 0}};
    QPointer<QDialog> placeholder;
    for (const auto &c : placeholders) {
        SCOPED_TRACE(c.placeholder);
        pane->Select(c.current, c.marked);
        ASSERT_NE(editor->PropertyWindow(), nullptr);
        EXPECT_EQ(editor->PropertyWindow()->property("case").toInt(), c.placeholder);
        if (placeholder) {
            EXPECT_EQ(editor->PropertyWindow(), placeholder.data()); // only its text changes
        }
        placeholder = editor->PropertyWindow();
    }
    pane->withDialogs = false; // a primitive without a dialog of its own
    pane->Select(&second, 0);
    EXPECT_EQ(editor->PropertyWindow()->property("case").toInt(), 3);

    ASSERT_TRUE(Run(ID_PROPERTIES)); // open: the command closes it
    EXPECT_EQ(editor->PropertyWindow(), nullptr);
    EXPECT_FALSE(Checked(ID_PROPERTIES));
}

TEST_F(CImageEditorTest, AClosingPropertyDialogIsForgottenAndMayReopen)
{
    pane->Select(pane->primitives[0].get(), 0);
    ASSERT_TRUE(Run(ID_PROPERTIES));
    QPointer<QDialog> window = editor->PropertyWindow();
    ASSERT_NE(window, nullptr);
    // Its primitive went: the dialog asks for the properties of what is selected now.
    pane->selected = nullptr;
    ASSERT_TRUE(PostMessage(editor, WM_PROPERTIES_CLOSED, 1,
                            ToLParam(dynamic_cast<imagetest::DialogDouble *>(window.data()))));
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isNull(); }));
    ASSERT_NE(editor->PropertyWindow(), nullptr);
    EXPECT_EQ(editor->PropertyWindow()->property("case").toInt(), 0);
    // A message naming a dialog that has gone deletes nothing.
    EXPECT_EQ(SendMessage(editor, WM_PROPERTIES_CLOSED, 0, 999999), 1);
    EXPECT_NE(editor->PropertyWindow(), nullptr);
}

} // namespace

namespace {

// The editor over the program's own list pane.
class ImageEditorWithPaneTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        SetEditorFactory<CImage>([](CImage &image) { return new CImageEditor(image); });
        ClearPrimitiveClipboard();
        image = std::make_unique<CImage>(&owner);
        image->AddPrimitive(std::make_unique<CRectangle>(100, 100, 199, 199, 1, 3));
        image->AddPrimitive(std::make_unique<CLine>(1, 2, 30, 40));
        editor = static_cast<CImageEditor *>(image->OpenEditor());
        ASSERT_NE(editor, nullptr);
        pane = static_cast<ListPaneForEditor *>(editor->ListPane())->Pane();
        ASSERT_NE(pane, nullptr);
    }
    void TearDown() override
    {
        image.reset();
        ClearPrimitiveClipboard();
        SetEditorFactory<CImage>({});
        PlatformTest::TearDown();
    }
    bool Run(int id) { return editor->Router().Execute(id); }
    bool Marked() const { return editor->windowTitle().contains(QStringLiteral(" * ")); }
    void Save()
    {
        ASSERT_TRUE(Run(ID_FILE_SAVE));
        ASSERT_FALSE(Marked());
    }

    EditorOwner owner;
    std::unique_ptr<CImage> image;
    CImageEditor *editor = nullptr;
    CPrimitiveListPane *pane = nullptr;
};

TEST_F(ImageEditorWithPaneTest, EditsThroughThePaneMarkTheTitleAndSaveStoresThem)
{
    ASSERT_EQ(pane->Children().size(), 2u);
    EXPECT_EQ(editor->Splitter()->widget(0), pane);
    EXPECT_FALSE(Marked());

    ASSERT_TRUE(Run(ID_INSERT_RECTANGLE));
    ASSERT_EQ(pane->Children().size(), 3u);
    EXPECT_TRUE(Marked());
    EXPECT_EQ(pane->SelectedPrimitive()->Type(), 4);
    EXPECT_TRUE(editor->ColourCombo()->isEnabled()); // the pane told the editor
    EXPECT_EQ(editor->SelectionPane()->text(), pane->SelectedPrimitive()->GetTypeName());
    Save();
    std::unique_ptr<CImage> stored = imagetest::LoadImage(owner.stored);
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->Primitives().size(), 3u);

    // Only a paste, or only a reorder, is a change.
    pane->SelectItem(pane->Children()[0]);
    ASSERT_TRUE(Run(ID_EDIT_COPY));
    EXPECT_FALSE(Marked());
    ASSERT_TRUE(Run(ID_EDIT_PASTE));
    EXPECT_TRUE(Marked());
    Save();
    pane->SelectItem(pane->Children()[0]);
    ASSERT_TRUE(Run(ID_BRING_TO_FRONT));
    EXPECT_TRUE(Marked());
    Save();
    stored = imagetest::LoadImage(owner.stored);
    ASSERT_EQ(stored->Primitives().size(), 4u);
    EXPECT_EQ(stored->Primitives().back()->Type(), 4); // the first rectangle is now on top
}

TEST_F(ImageEditorWithPaneTest, TheColourComboChangesTheSelectionWithUndo)
{
    pane->SelectItem(pane->Children()[0]);
    ASSERT_TRUE(editor->ColourCombo()->isEnabled());
    EXPECT_EQ(editor->ColourCombo()->currentIndex(), 1);
    emit editor->ColourCombo()->activated(4);
    EXPECT_EQ(pane->SelectedPrimitive()->GetColour(), 4);
    EXPECT_TRUE(Marked());
    ASSERT_TRUE(Run(ID_UNDO_PRIMITIVE));
    EXPECT_EQ(pane->PrimitiveOf(pane->Children()[0])->GetColour(), 1);
}

TEST_F(ImageEditorWithPaneTest, PreviewCopiesLeaveThePaneMarked)
{
    ASSERT_TRUE(Run(ID_INSERT_OVAL));
    ASSERT_TRUE(pane->IsModified());
    EXPECT_EQ(editor->ListPane()->CopyTopLevel().size(), 3u);
    EXPECT_TRUE(pane->IsModified());
    EXPECT_TRUE(Marked());
}

} // namespace

namespace {

// Pictures for ZOT_SCREENSHOT_DIR: the editor with the kinds of primitive
// the program has, in full screen, and its three dialogs.
TEST_F(ImageEditorWithPaneTest, Screenshots)
{
    editor->resize(900, 600);
    for (int id : {ID_INSERT_RECTANGLE, ID_INSERT_OVAL, ID_INSERT_LINE})
        ASSERT_TRUE(Run(id));
    ASSERT_TRUE(Run(ID_DISPLAY_GRID));
    QCoreApplication::processEvents();
    SaveScreenshot(*editor, QStringLiteral("image_editor"));
    ASSERT_TRUE(Run(ID_FULL_SCREEN));
    QCoreApplication::processEvents();
    SaveScreenshot(*editor, QStringLiteral("image_editor_full_screen"));
    ASSERT_TRUE(Run(ID_FULL_SCREEN));
    const std::pair<int, const char *> dialogs[] = {{ID_SET_GRID_SIZE, "Snap Grid Size"},
                                                    {ID_SET_LIMITS, "Canvas Limits"},
                                                    {ID_SET_ASPECT_RATIO, "Aspect Ratio Selection"}};
    for (const auto &[id, caption] : dialogs) {
        const QString name = QStringLiteral("image_editor_%1").arg(id);
        prompter.ExpectDialog(PromptMatch::Caption(QString::fromLatin1(caption)), [name](QDialog &d) {
            SaveScreenshot(d, name);
            d.reject();
        });
        ASSERT_TRUE(Run(id));
    }
}

} // namespace

namespace {

// What the window shows of the canvas: the pixels painted so far, not a
// fresh rendering of the whole.
QImage WindowPixels(QWidget &window, const QWidget &canvas)
{
    const QImage whole = window.screen()->grabWindow(window.winId()).toImage();
    return whole.copy(QRect(canvas.mapTo(&window, QPoint(0, 0)), canvas.size()));
}

// The bounding box of the pixels within area other than black.
QRect LitWithin(const QImage &picture, const QRect &area)
{
    QRect lit;
    const QRect inside = area & picture.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if (picture.pixel(x, y) != 0xFF000000)
                lit |= QRect(x, y, 1, 1);
    return lit;
}

// An information box inserted, selected and dragged by a handle, as a user
// does it: the box drawn (dotted, its border has no line) is the box its
// handles stand on, its label whole inside it; after the drag the window
// shows the box and the whole label at the new place and nothing at the old.
TEST_F(ImageEditorWithPaneTest, AnInformationBoxFramesWhatItDrawsAndADragKeepsItsLabelWhole)
{
    editor->resize(1200, 800);
    editor->show();
    QCoreApplication::processEvents();
    ASSERT_TRUE(Run(ID_INSERT_INFO_BOX));
    auto *box = dynamic_cast<CInformationBox *>(pane->SelectedPrimitive());
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->GetCommandText(), QStringLiteral("TBOX White 0.500 0.500  0 0"));
    CCanvas &canvas = *editor->Canvas();
    const QRect before = box->GetBoxRect();
    EXPECT_EQ(QRect(box->Handle(9)->Point(), box->Handle(3)->Point()), before) << "handles on the box's corners";
    const QPoint empty(5, canvas.height() - 5);
    QTest::mouseClick(&canvas, Qt::LeftButton, {}, empty);
    ASSERT_EQ(pane->SelectedPrimitive(), nullptr);
    QCoreApplication::processEvents();
    QImage picture = WindowPixels(*editor, canvas);
    EXPECT_EQ(LitWithin(picture, before.adjusted(-8, -8, 8, 8)), before) << "what is drawn spans the handles";
    const QRect label = LitWithin(picture, before.adjusted(1, 1, -1, -1));
    ASSERT_FALSE(label.isEmpty());
    EXPECT_GT(label.width(), 3 * label.height()) << "the whole label, INFO BOX";

    // Selected by a click inside the box, dragged by its bottom-right handle.
    QTest::mouseClick(&canvas, Qt::LeftButton, {}, before.topLeft() + QPoint(12, 12));
    ASSERT_EQ(pane->SelectedPrimitive(), box);
    QCoreApplication::processEvents();
    const QPoint corner = box->Handle(3)->Point();
    QTest::mousePress(&canvas, Qt::LeftButton, {}, corner);
    for (int step = 1; step <= 8; ++step) {
        const QPointF to(corner + QPoint(10 * step, 3 * step));
        QMouseEvent move(QEvent::MouseMove, to, canvas.mapToGlobal(to), Qt::NoButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&canvas, &move);
        QCoreApplication::processEvents();
    }
    QTest::mouseRelease(&canvas, Qt::LeftButton, {}, box->Handle(3)->Point());
    QCoreApplication::processEvents();
    const QRect after = box->GetBoxRect();
    const QPoint moved = after.topLeft() - before.topLeft();
    EXPECT_EQ(after.size(), before.size()) << "every handle moves the box";
    EXPECT_LE((moved - QPoint(80, 24)).manhattanLength(), 2) << "by the drag, to an image pixel";
    EXPECT_NE(box->GetCommandText(), QStringLiteral("TBOX White 0.500 0.500  0 0"));
    EXPECT_EQ(QRect(box->Handle(9)->Point(), box->Handle(3)->Point()), after);
    SaveScreenshot(*editor, QStringLiteral("image_editor_info_box"));

    QTest::mouseClick(&canvas, Qt::LeftButton, {}, empty);
    QCoreApplication::processEvents();
    picture = WindowPixels(*editor, canvas);
    EXPECT_EQ(LitWithin(picture, after.adjusted(-8, -8, 8, 8)), after);
    EXPECT_EQ(LitWithin(picture, after.adjusted(1, 1, -1, -1)), label.translated(moved)) << "the label whole";
    for (const QRect &left : (QRegion(before.adjusted(-8, -8, 8, 8)) - QRegion(after.adjusted(-8, -8, 8, 8))))
        EXPECT_TRUE(LitWithin(picture, left).isEmpty()) << "nothing left at the old place";
}

} // namespace

// A user's way with the image editor, end to end, against a simulated
// generator through the program's own commands, clicks and dialogs: a new
// image from File/New, edited (a rectangle, a text and a grid from the
// primitives bar, the rectangle's colour from the selectors bar), saved
// under a file name, closed, opened again, previewed, sent with Send Data
// and recalled. The recalled image holds what the user built.

#include "CCanvas.h"
#include "CColorComboBox.h"
#include "CDataListView.h"
#include "CGeneratorDataPane.h"
#include "CGeneratorListView.h"
#include "CGeneratorView.h"
#include "CImage.h"
#include "CImageEditor.h"
#include "CMainWindow.h"
#include "CNameEdit.h"
#include "CPrimitive.h"
#include "CPrimitiveListPane.h"
#include "CSelectDataTypeDlg.h"
#include "DataKindRegistry.h"
#include "DialogUnits.h"
#include "ListPaneForEditor.h"
#include "MainWindowFixture.h"
#include "PrimitiveImages.h"
#include "PortDialogAnswer.h"
#include "ResourceIds.h"
#include "TestSupport.h"

#include "gensim/Simulator.h"

#include <QAction>
#include <QDialog>
#include <QImage>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using gensim::ItemKind;
using Pane = CGeneratorDataPane;
using EditorPathLines = std::vector<std::string>;

// What a primitive is, as the user would check it: its type code and its line.
struct EditorPathShape {
    int type;
    QString line;
    bool operator==(const EditorPathShape &) const = default;
};

std::vector<EditorPathShape> ShapesOf(const CGenData *item)
{
    std::vector<EditorPathShape> shapes;
    if (const auto *image = dynamic_cast<const CImage *>(item))
        for (const auto &primitive : image->Primitives())
            shapes.push_back({primitive->Type(), primitive->GetCommandText()});
    return shapes;
}

void PrintTo(const EditorPathShape &shape, std::ostream *os)
{
    *os << shape.type << " \"" << shape.line.toStdString() << '"';
}

class ImageEditorUserPathTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        RegisterProgramDataKinds();
        // At the rate a port opens with: a connection needs no baud search.
        gensim::Generator &g =
            sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = "100001", .baudRate = 2400, .link = ""});
        setenv("MORVANE_COM1", g.comPath().c_str(), 1);
        sim.start();
        window = ShowMainWindow();
    }

    void TearDown() override
    {
        window.reset();
        UnregisterProgramDataKinds();
        unsetenv("MORVANE_COM1");
        PlatformTest::TearDown();
    }

    CGeneratorListView &Generators() { return *window->GetGeneratorListView(); }
    CDataListView &Data() { return *window->GetDataListView(); }
    CGeneratorView &View() { return *Generators().GetRowView(0); }
    gensim::Generator &Gen() { return sim.generator(0); }

    void ClickGenerator(bool twice = false)
    {
        QTreeWidget &list = *Generators().List();
        Click(list, list.visualItemRect(list.topLevelItem(0)), twice);
    }

    void ClickData(int row, bool twice = false)
    {
        Data().DeselectAll();
        QTreeWidget &list = *Data().List();
        Click(list, list.visualItemRect(list.topLevelItem(row)), twice);
    }

    void Connect()
    {
        AnswerPortDialogCom(prompter, 1);
        ASSERT_TRUE(window->Router().Execute(ID_CONNECT));
    }

    // A double click on the data list's row opens its editor.
    CImageEditor *Edit(int row)
    {
        ClickData(row, true);
        auto *editor = dynamic_cast<CImageEditor *>(Data().GetRowItem(row)->GetEditor());
        EXPECT_NE(editor, nullptr);
        if (editor) {
            editor->resize(1000, 640);
            QCoreApplication::processEvents();
        }
        return editor;
    }

    static CPrimitiveListPane &TreeOf(CImageEditor &editor)
    {
        return *static_cast<ListPaneForEditor *>(editor.ListPane())->Pane();
    }

    // A click on the bar's button of command id.
    static void ClickButton(QToolBar &bar, CImageEditor &editor, int id)
    {
        QWidget *button = bar.widgetForAction(editor.Router().Action(id));
        ASSERT_NE(button, nullptr) << id;
        ASSERT_TRUE(button->isVisible()) << id;
        QTest::mouseClick(button, Qt::LeftButton);
        QCoreApplication::processEvents();
    }

    static void CloseEditor(CImageEditor &editor)
    {
        ASSERT_TRUE(editor.Router().Execute(ID_FILE_CLOSE));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }

    gensim::Simulator sim;
    std::unique_ptr<CMainWindow> window;
};

TEST_F(ImageEditorUserPathTest, NewEditSaveReopenPreviewSendAndRecall)
{
    const QString file = TempPath("pattern.img");
    Connect();
    // The generator's view, scanned, shows what it holds.
    ClickGenerator(true);
    ASSERT_EQ(View().IsScanned(), 1);
    ASSERT_TRUE(View().Router().Execute(ID_LIST_IMAGES));
    Pane &pane = *View().DataPane();
    EXPECT_LT(pane.FindRow(Pane::kImages, "Pattern"), 0);

    // File/New, Image; its name by a label edit.
    prompter.ExpectDialog(PromptMatch::Caption("Select a data type"), [](QDialog &dialog) {
        auto &select = static_cast<CSelectDataTypeDlg &>(dialog);
        const QList<QListWidgetItem *> found = select.m_list->findItems(QStringLiteral("Image"), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        select.m_list->setCurrentItem(found.first());
        FindControl<QPushButton>(&select, IDOK)->click();
    });
    ASSERT_TRUE(window->Router().Execute(ID_FILE_NEW));
    ASSERT_EQ(Data().GetRowCount(), 1);
    auto *image = dynamic_cast<CImage *>(Data().GetRowItem(0));
    ASSERT_NE(image, nullptr);
    prompter.ExpectDialog(PromptMatch::Caption("Name..."), [](QDialog &d) {
        FindControl<CNameEdit>(&d, IDC_NAME)->setText("Pattern");
        FindControl<QPushButton>(&d, IDOK)->click();
    });
    Data().List()->editItem(Data().List()->topLevelItem(0), 0);
    QCoreApplication::processEvents();
    ASSERT_EQ(image->GetName(), "Pattern");

    // Edit: a rectangle, a text and a grid from the primitives bar.
    CImageEditor *editor = Edit(0);
    ASSERT_NE(editor, nullptr);
    for (int id : {ID_INSERT_RECTANGLE, ID_INSERT_TEXT, ID_INSERT_CENTERED_GRID})
        ClickButton(*editor->PrimitivesBar(), *editor, id);
    CPrimitiveListPane &tree = TreeOf(*editor);
    ASSERT_EQ(tree.Children().size(), 3u);
    EXPECT_TRUE(editor->windowTitle().contains(" * "));

    // A click on the rectangle's row, then Green from the colour combo.
    QTreeWidget &rows = *tree.Tree();
    Click(rows, rows.visualItemRect(rows.topLevelItem(0)));
    ASSERT_EQ(tree.SelectedPrimitive(), tree.PrimitiveOf(tree.Children()[0]));
    CColorComboBox &colours = *editor->ColourCombo();
    ASSERT_TRUE(colours.isEnabled());
    const int green = colours.findText(QStringLiteral("Green"), Qt::MatchExactly);
    ASSERT_GE(green, 0);
    colours.setCurrentIndex(green);
    emit colours.activated(green);
    EXPECT_EQ(tree.SelectedPrimitive()->GetColour(), green);

    // File/Save As... of the editor; the item and the editor are unmarked.
    prompter.ExpectFile(PromptMatch::Id(33061), {true, {file}, 1});
    ASSERT_TRUE(editor->Router().Execute(ID_FILE_SAVE_AS));
    EXPECT_FALSE(image->IsModified());
    EXPECT_FALSE(editor->windowTitle().contains(" * "));
    EXPECT_TRUE(editor->windowTitle().endsWith(file)) << editor->windowTitle().toStdString();
    const std::vector<EditorPathShape> built = ShapesOf(image);
    ASSERT_EQ(built.size(), 3u);
    EXPECT_EQ(built[0], (EditorPathShape{4, "RECT Green  129 97  256 192  GrayPat0"}));
    EXPECT_EQ(built[1].type, 10);
    EXPECT_TRUE(built[1].line.startsWith("TEXT ") && built[1].line.endsWith(" \"Text\"")) << built[1].line.toStdString();
    EXPECT_EQ(built[2].type, 11);
    EXPECT_TRUE(built[2].line.startsWith("GRID ")) << built[2].line.toStdString();
    SaveScreenshot(*editor, "image_editor_user_path");
    CloseEditor(*editor);
    EXPECT_FALSE(image->IsEditorOpen());

    // File/Open of the saved file: the same primitives as a second row.
    prompter.ExpectFile(PromptMatch::Id(33066), {true, {file}, 1});
    ASSERT_TRUE(window->Router().Execute(ID_FILE_OPEN));
    ASSERT_EQ(Data().GetRowCount(), 2);
    CGenData *reopened = Data().GetRowItem(1);
    EXPECT_EQ(reopened->GetName(), "Pattern");
    EXPECT_EQ(ShapesOf(reopened), built);

    // Its editor's Preview shows it on the generator, which keeps no copy.
    editor = Edit(1);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(TreeOf(*editor).Children().size(), 3u);
    Gen().trace().clear();
    prompter.ExpectMessage(PromptMatch::Text("Preview Now On Com-1"), IDOK);
    ASSERT_TRUE(editor->Router().Execute(ID_PREVIEW));
    const EditorPathLines heard = Gen().trace().lines();
    const auto begin = std::find(heard.begin(), heard.end(), "IMGN Preview");
    ASSERT_NE(begin, heard.end());
    const EditorPathLines sentLines(begin + 1, std::find(begin, heard.end(), "IMGE "));
    ASSERT_GE(sentLines.size(), 3u);
    EXPECT_EQ(EditorPathLines(sentLines.end() - 3, sentLines.end()),
              (EditorPathLines{built[0].line.toStdString(), built[1].line.toStdString(), built[2].line.toStdString()}));
    EXPECT_EQ(Gen().selection(ItemKind::Image).inUse, "Preview");
    EXPECT_FALSE(Gen().item(ItemKind::Image, "Preview").has_value());
    EXPECT_FALSE(reopened->IsModified());
    EXPECT_EQ(reopened->GetName(), "Pattern");
    CloseEditor(*editor);

    // A scan of the generator with the preview on show asks nothing and
    // leaves it on show.
    pane.ScanGenerator();
    EXPECT_GE(pane.FindRow(Pane::kImages, "Flat"), 0);
    EXPECT_EQ(Gen().selection(ItemKind::Image).inUse, "Preview");

    // Send Data of the reopened item to the generator.
    ClickData(1);
    ClickGenerator();
    prompter.ExpectDialog(PromptMatch::Caption("Data Transfer"), [](QDialog &d) { d.accept(); });
    ASSERT_TRUE(window->Router().Execute(ID_SEND_DATA));
    const auto stored = Gen().item(ItemKind::Image, "Pattern");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->lines.size(), 3u);

    // Recall it from the generator's pane, which lists it now, into a new item.
    ClickGenerator(true);
    ASSERT_TRUE(View().Router().Execute(ID_LIST_IMAGES));
    const int row = pane.FindRow(Pane::kImages, "Pattern");
    ASSERT_GE(row, 0);
    QListWidget &names = *pane.NameList(Pane::kImages);
    names.scrollToItem(names.item(row));
    Click(names, names.visualItemRect(names.item(row)));
    ASSERT_EQ(pane.SelectedCount(), 1);
    prompter.ExpectMessage(PromptMatch::Text("Recall the Image \"Pattern\"?"), IDYES);
    ASSERT_TRUE(View().Router().Execute(ID_RECALL_ITEMS));
    ASSERT_EQ(Data().GetRowCount(), 3);
    auto *recalled = dynamic_cast<CImage *>(Data().GetRowItem(2));
    ASSERT_NE(recalled, nullptr);
    EXPECT_EQ(recalled->GetName(), "Pattern");
    EXPECT_EQ((std::pair{recalled->Width(), recalled->Height()}), (std::pair{640, 480}));
    EXPECT_EQ(ShapesOf(recalled), built);

    prompter.AllowMessage(PromptMatch::Id(32973), IDNO);
    EXPECT_TRUE(window->close());
}

// The editor's bars on their own, without the main window.
class ImageEditorBarsTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        SetEditorFactory<CImage>([](CImage &image) { return new CImageEditor(image); });
        editor = static_cast<CImageEditor *>(image.OpenEditor());
        ASSERT_NE(editor, nullptr);
        editor->resize(1000, 640);
        editor->show();
        QCoreApplication::processEvents();
    }
    void TearDown() override
    {
        image.CloseEditor();
        SetEditorFactory<CImage>({});
        PlatformTest::TearDown();
    }

    static QImage Picture(const QAction &action) { return action.icon().pixmap(16, 16).toImage(); }

    CImage image;
    CImageEditor *editor = nullptr;
};

// Each button has a picture, no two the same; an insert button shows the
// tree's picture of the type it makes.
TEST_F(ImageEditorBarsTest, EveryButtonShowsAPictureOfItsOwn)
{
    std::vector<std::pair<int, QImage>> seen;
    for (QToolBar *bar : {editor->PrimitivesBar(), editor->OptionsBar()}) {
        for (QAction *action : bar->actions()) {
            if (action->isSeparator())
                continue;
            const int id = action->objectName().mid(3).toInt();
            const QImage picture = Picture(*action);
            ASSERT_EQ(picture.size(), QSize(16, 16)) << id;
            int drawn = 0;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x)
                    drawn += qAlpha(picture.pixel(x, y)) != 0;
            EXPECT_GE(drawn, 8) << id << ": next to nothing is drawn";
            EXPECT_LE(drawn, 16 * 16 - 8) << id << ": the transparent colour is lost";
            for (const auto &[other, earlier] : seen)
                EXPECT_NE(picture, earlier) << id << " looks like " << other;
            seen.emplace_back(id, picture);
        }
    }
    EXPECT_EQ(seen.size(), 25u + 10u);
    const std::pair<int, int> inserts[] = {{ID_INSERT_DOT, 0},           {ID_INSERT_RECTANGLE, 4},
                                           {ID_INSERT_CENTERED_GRID, 11}, {ID_INSERT_TEXT, 10},
                                           {ID_INSERT_BLOCK_COPY, 25},    {ID_INSERT_BLANKING_REFERENCE, 22}};
    for (const auto &[id, type] : inserts)
        EXPECT_EQ(Picture(*editor->Router().Action(id)), PrimitiveImageList().value(type).pixmap(16, 16).toImage())
            << id;
}

// Every insert button of the primitives bar, clicked in turn, makes its
// kind; the picture of an editor holding one primitive of every kind.
TEST_F(ImageEditorBarsTest, EveryInsertButtonMakesItsKind)
{
    const std::pair<int, int> inserts[] = {
        {10000, 0},  {10001, 2},  {10002, 3},  {10003, 4},  {10004, 5},  {10005, 14}, {10006, 15}, {10007, 16},
        {10008, 11}, {10009, 17}, {10010, 18}, {10011, 12}, {10012, 13}, {10013, 7},  {10014, 9},  {10015, 6},
        {10016, 10}, {10017, 8},  {10018, 20}, {10019, 21}, {10020, 22}, {10125, 25},
    };
    QToolBar &bar = *editor->PrimitivesBar();
    for (const auto &[id, type] : inserts) {
        QWidget *button = bar.widgetForAction(editor->Router().Action(id));
        ASSERT_NE(button, nullptr) << id;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    CPrimitiveListPane &tree = *static_cast<ListPaneForEditor *>(editor->ListPane())->Pane();
    const std::vector<TreeItemId> made = tree.Children();
    ASSERT_EQ(made.size(), std::size(inserts));
    for (size_t i = 0; i < made.size(); ++i)
        EXPECT_EQ(tree.PrimitiveOf(made[i])->Type(), inserts[i].second) << inserts[i].first;
    ASSERT_TRUE(editor->Router().Execute(ID_DISPLAY_GRID));
    QCoreApplication::processEvents();
    SaveScreenshot(*editor, QStringLiteral("image_editor_every_kind"));
    SaveScreenshot(bar, QStringLiteral("image_editor_primitives_bar"));
    SaveScreenshot(*editor->OptionsBar(), QStringLiteral("image_editor_options_bar"));
}

} // namespace

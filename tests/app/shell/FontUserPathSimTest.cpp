// A user's way with a font, end to end, against two simulated generators,
// through the program's own commands, clicks and dialogs: a new font given
// the range 48..57 in Font Definition, two digits painted with the mouse, a
// negative text offset set in Character Properties, saved, opened again,
// sent to COM1, recalled, dragged to COM2's pane and written as assembler
// source. The generators' stores are checked after every step.

#include "CDataListView.h"
#include "CGeneratorDataPane.h"
#include "CGeneratorListView.h"
#include "CGeneratorView.h"
#include "CCharPropertiesDlg.h"
#include "CFontData.h"
#include "CFontDataPane.h"
#include "CFontEditPane.h"
#include "CFontEditor.h"
#include "CFontViewPane.h"
#include "CMainWindow.h"
#include "CNameEdit.h"
#include "CSelectDataTypeDlg.h"
#include "CValueEdit.h"
#include "DataKindRegistry.h"
#include "DialogUnits.h"
#include "DragDelivery.h"
#include "DragLoop.h"
#include "PortDialogAnswer.h"
#include "TestSupport.h"

#include "gensim/Simulator.h"

#include <QDialog>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <cstdlib>

namespace font_user_path_sim_test {
namespace {

using gensim::ItemKind;
using Pane = CGeneratorDataPane;

class FontUserPathSimTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        RegisterProgramDataKinds();
        // Above 7.02, so they take fonts; at the rate a port opens with.
        for (const char *serial : {"100001", "100002"}) {
            gensim::Generator &g =
                sim.addGenerator({.model = "VG-7000", .firmware = "7.05", .serial = serial, .baudRate = 2400, .link = ""});
            setenv(QStringLiteral("MORVANE_COM%1").arg(sim.size()).toLatin1().constData(), g.comPath().c_str(), 1);
        }
        sim.start();
        window = std::make_unique<CMainWindow>();
        window->CreateFrame();
        window->resize(760, 520);
        window->show();
        QCoreApplication::processEvents();
    }

    void TearDown() override
    {
        g_dragHook = nullptr;
        window.reset();
        UnregisterProgramDataKinds();
        unsetenv("MORVANE_COM1");
        unsetenv("MORVANE_COM2");
        PlatformTest::TearDown();
    }

    CGeneratorListView &Generators() { return *window->GetGeneratorListView(); }
    CDataListView &Data() { return *window->GetDataListView(); }
    CGeneratorView &View(int i) { return *Generators().GetRowView(i); }
    std::optional<gensim::StoredItem> Stored(int i, const std::string &name)
    {
        return sim.generator(size_t(i)).item(ItemKind::Font, name);
    }

    static void Click(QAbstractItemView &view, const QRect &cell, bool twice = false)
    {
        ASSERT_TRUE(cell.isValid());
        QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        if (twice)
            QTest::mouseDClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        QCoreApplication::processEvents();
    }
    void ClickGenerator(int row, bool twice = false)
    {
        QTreeWidget &list = *Generators().List();
        Click(list, list.visualItemRect(list.topLevelItem(row)), twice);
    }
    void ClickData(int row, bool twice = false)
    {
        Data().DeselectAll();
        QTreeWidget &list = *Data().List();
        Click(list, list.visualItemRect(list.topLevelItem(row)), twice);
    }
    void Connect(int com)
    {
        AnswerPortDialogCom(prompter, com);
        ASSERT_TRUE(window->Router().Execute(ID_CONNECT));
    }

    // View i's font list with name selected.
    void SelectFont(int i, const QString &name)
    {
        ASSERT_TRUE(View(i).Router().Execute(ID_LIST_FONTS));
        Pane &pane = *View(i).DataPane();
        const int row = pane.FindRow(Pane::kFonts, name);
        ASSERT_GE(row, 0) << qPrintable(name);
        QListWidget &list = *pane.NameList(Pane::kFonts);
        Click(list, list.visualItemRect(list.item(row)));
    }

    // A press on the selected font of view from and a move: the drag runs
    // and is dropped on view to's pane.
    void DragToOtherPane(int from, const QString &name, int to)
    {
        QListWidget &list = *View(from).DataPane()->NameList(Pane::kFonts);
        const QPoint at = list.visualItemRect(list.item(View(from).DataPane()->FindRow(Pane::kFonts, name))).center();
        bool dragged = false;
        g_dragHook = [&](QDrag &drag) {
            dragged = true;
            return DeliverDrag(*View(to).DataPane(), drag);
        };
        prompter.ExpectDialog(PromptMatch::Caption("Data Transfer"), [](QDialog &d) { d.accept(); });
        QTest::mousePress(list.viewport(), Qt::LeftButton, Qt::NoModifier, at);
        for (const QPoint &point : {at + QPoint(2, 0), at + QPoint(40, 0)}) {
            QMouseEvent move(QEvent::MouseMove, point, list.viewport()->mapToGlobal(point), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(list.viewport(), &move);
        }
        QTest::mouseRelease(list.viewport(), Qt::LeftButton, Qt::NoModifier, at + QPoint(40, 0));
        g_dragHook = nullptr;
        ASSERT_TRUE(dragged);
    }

    // File/New of a Font, named by a label edit.
    CFontData *NewFont(const QString &name)
    {
        prompter.ExpectDialog(PromptMatch::Caption("Select a data type"), [](QDialog &dialog) {
            auto &select = static_cast<CSelectDataTypeDlg &>(dialog);
            const QList<QListWidgetItem *> icon = select.m_list->findItems(QStringLiteral("Font"), Qt::MatchExactly);
            ASSERT_EQ(icon.size(), 1);
            select.m_list->setCurrentItem(icon.first());
            FindControl<QPushButton>(&select, IDOK)->click();
        });
        EXPECT_TRUE(window->Router().Execute(ID_FILE_NEW));
        const int last = Data().GetRowCount() - 1;
        auto *font = dynamic_cast<CFontData *>(Data().GetRowItem(last));
        EXPECT_NE(font, nullptr);
        prompter.ExpectDialog(PromptMatch::Caption("Name..."), [name](QDialog &d) {
            FindControl<CNameEdit>(&d, IDC_NAME)->setText(name);
            FindControl<QPushButton>(&d, IDOK)->click();
        });
        Data().List()->editItem(Data().List()->topLevelItem(last), 0);
        QCoreApplication::processEvents();
        return font;
    }

    gensim::Simulator sim;
    std::unique_ptr<CMainWindow> window;
};

// The simulator's form of a font, to compare with what it stored.
gensim::FontTables TablesOf(const FontData &f)
{
    gensim::FontTables t;
    const auto header = f.Header();
    const int headerSlots[] = {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12};
    for (std::size_t k = 0; k < header.size(); ++k)
        t.header[std::size_t(headerSlots[k])] = header[k];
    t.tables[0] = f.bitmap;
    t.tables[1].assign(f.locTable.begin(), f.locTable.end());
    t.tables[2].assign(f.owTable.begin(), f.owTable.end());
    t.tables[3].assign(f.imageWidths.begin(), f.imageWidths.end());
    return t;
}

// Presses on one cell of the grid, drags to another and lets go.
void PaintStroke(CFontEditPane &grid, QPoint from, QPoint to)
{
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(from.x(), from.y()).center());
    const QPoint end = grid.CellRect(to.x(), to.y()).center();
    QMouseEvent move(QEvent::MouseMove, end, grid.viewport()->mapToGlobal(end), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(grid.viewport(), &move);
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, end);
}

TEST_F(FontUserPathSimTest, MakePaintSaveSendRecallCopyAndGenerateSource)
{
    const QString fntFile = TempPath("digits.fnt");
    const QString sFile = TempPath("Digits.s");
    Connect(1);
    Connect(2);
    CFontData *font = NewFont("Digits");
    ASSERT_NE(font, nullptr);
    ClickData(0, true);
    auto *editor = dynamic_cast<CFontEditor *>(font->GetEditor());
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(editor));

    // The range 48..57 in Font Definition.
    prompter.ExpectDialog(PromptMatch::Caption("Font Definition"), [](QDialog &dialog) {
        FindControl<CValueEdit>(&dialog, IDC_FONT_FIELD_1273)->SetInt(48);
        FindControl<CValueEdit>(&dialog, IDC_FONT_FIELD_1274)->SetInt(57);
        FindControl<QPushButton>(&dialog, IDOK)->click();
    });
    ASSERT_TRUE(editor->Router().Execute(ID_FONT_DEFINITION));
    ASSERT_EQ(editor->Chars().size(), 10u);
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Digits * <no associated file>"));

    // "1" and "7" painted: each chosen by a click in the row above the grid.
    CFontViewPane &row = *editor->ViewPane();
    CFontEditPane &grid = *editor->EditPane();
    QTest::mouseClick(row.viewport(), Qt::LeftButton, {}, row.CharRect(1).center());
    ASSERT_EQ(editor->CurrentCode(), 49);
    PaintStroke(grid, {4, 0}, {4, 7});
    PaintStroke(grid, {3, 1}, {3, 1});
    QTest::mouseClick(row.viewport(), Qt::LeftButton, {}, row.CharRect(7).center());
    ASSERT_EQ(editor->CurrentCode(), 55);
    PaintStroke(grid, {0, 0}, {6, 0});
    PaintStroke(grid, {6, 1}, {3, 7});
    EXPECT_EQ(editor->Char(49)->bits[0], 0x08000000u);
    EXPECT_EQ(editor->Char(49)->bits[1], 0x18000000u);
    EXPECT_EQ(editor->Char(55)->bits[0], 0xFE000000u);

    // Text offset -2 for "1" in Character Properties, opened from the tree.
    QTreeWidget &tree = *editor->DataPane();
    Click(tree, tree.visualItemRect(editor->DataPane()->CharNode(49)), true);
    CCharPropertiesDlg *properties = editor->CharPropertiesDialog();
    ASSERT_TRUE(properties && properties->isVisible());
    EXPECT_EQ(properties->Code(), 49);
    FindControl<CValueEdit>(properties, IDC_FONT_FIELD_1274)->SetInt(-2);
    QTest::mouseClick(FindControl<QPushButton>(properties, IDC_APPLY_TO_FORMAT), Qt::LeftButton);
    EXPECT_EQ(editor->Char(49)->textOffset, -2);
    QCoreApplication::processEvents();
    SaveScreenshot(*editor, "font_editor_user_path");
    SaveScreenshot(*properties, "font_char_properties_user_path");

    // Save, close, open the file again.
    prompter.ExpectFile(PromptMatch::Id(IDS_SAVE_TITLE), {true, {fntFile}, 1});
    ASSERT_TRUE(editor->Router().Execute(ID_FILE_SAVE));
    const FontData saved = font->Data();
    EXPECT_TRUE(saved.Valid());
    EXPECT_EQ(FontData::TextOffsetOf(saved.owTable[1]), -2);
    EXPECT_EQ(saved.bitmap[1 * std::size_t(saved.pitch32) + 1], 0x18000000u) << "row 1 of \"1\"";
    ASSERT_TRUE(editor->Router().Execute(ID_FILE_CLOSE));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    prompter.ExpectFile(PromptMatch::Id(IDS_OPEN_TITLE), {true, {fntFile}, 1});
    ASSERT_TRUE(window->Router().Execute(ID_FILE_OPEN));
    auto *reopened = dynamic_cast<CFontData *>(Data().GetRowItem(1));
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(reopened->GetName(), "Digits");
    EXPECT_EQ(reopened->Data(), saved);

    // Send Data of it to COM1.
    ClickData(1);
    ClickGenerator(0);
    prompter.ExpectDialog(PromptMatch::Caption("Data Transfer"), [](QDialog &d) { d.accept(); });
    ASSERT_TRUE(window->Router().Execute(ID_SEND_DATA));
    const auto sent = Stored(0, "Digits");
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->font, TablesOf(saved));

    // Recall it into a new item.
    ClickGenerator(0, true);
    SelectFont(0, "Digits");
    prompter.ExpectMessage(PromptMatch::Text("Recall the Font \"Digits\"?"), IDYES);
    ASSERT_TRUE(View(0).Router().Execute(ID_RECALL_ITEMS));
    auto *recalled = dynamic_cast<CFontData *>(Data().GetRowItem(2));
    ASSERT_NE(recalled, nullptr);
    EXPECT_EQ(recalled->Data(), saved);

    // Drag it to COM2's pane: copied table for table.
    ClickGenerator(1, true);
    SelectFont(0, "Digits");
    DragToOtherPane(0, "Digits", 1);
    const auto copied = Stored(1, "Digits");
    ASSERT_TRUE(copied);
    EXPECT_EQ(copied->font, TablesOf(saved));

    // Its assembler source from the recalled item's editor.
    ClickData(2, true);
    auto *recalledEditor = dynamic_cast<CFontEditor *>(recalled->GetEditor());
    ASSERT_NE(recalledEditor, nullptr);
    prompter.ExpectFile(PromptMatch::Caption("Generate Source File..."), {true, {sFile}, 1});
    ASSERT_TRUE(recalledEditor->Router().Execute(ID_MAP_GENERATE_SOURCE));
    QFile source(sFile);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray text = source.readAll();
    EXPECT_TRUE(text.contains("    .globl  digits\ndigits:\n\n    .word  0x90000030, 0x00390008,")) << text.constData();
    EXPECT_TRUE(text.endsWith("\n    .end\n"));
}

} // namespace
} // namespace font_user_path_sim_test

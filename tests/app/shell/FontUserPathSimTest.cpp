// A user's way with a font, end to end, against two simulated generators,
// through the program's own commands, clicks and dialogs: a new font given
// the range 48..57 in Font Definition, two digits painted with the mouse, a
// negative text offset set in Character Properties, saved, opened again,
// sent to COM1, recalled, dragged to COM2's pane and written as assembler
// source. The generators' stores are checked after every step.

#include "CCharPropertiesDlg.h"
#include "CFontData.h"
#include "CFontDataPane.h"
#include "CFontEditPane.h"
#include "CFontEditor.h"
#include "CFontViewPane.h"
#include "CValueEdit.h"
#include "SimFontTables.h"
#include "StoredItemUserPath.h"

#include <QFile>

namespace font_user_path_sim_test {
namespace {

class FontUserPathSimTest : public StoredItemUserPath {
protected:
    FontUserPathSimTest() : StoredItemUserPath({gensim::ItemKind::Font, ID_LIST_FONTS, Pane::kFonts, "Font"}) {}

    CFontData *NewFont(const QString &name) { return dynamic_cast<CFontData *>(NewItem(name)); }
    void SelectFont(int i, const QString &name) { SelectStored(i, name); }
};

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
    EXPECT_EQ(sent->font, SimFontTables(saved));

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
    EXPECT_EQ(copied->font, SimFontTables(saved));

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

// A user's way with a pixel map, end to end, against two simulated
// generators, through the program's own commands, clicks and dialogs: a new
// pixel map made 16 x 16 x 4 in Icon Definition, its colour table built from
// two standard sets in LUT Editing, pixels painted, a bitmap imported, saved,
// opened again, sent to COM1, recalled, dragged to COM2's pane and written
// as C++ source. The generators' stores are checked after every step.

#include "CLutEditDlg.h"
#include "CLutEditPane.h"
#include "CMapEditPane.h"
#include "CPixelMap.h"
#include "CPixelMapEditor.h"
#include "CSpinButtonCtrl.h"
#include "CValueEdit.h"
#include "StoredItemUserPath.h"

#include <QFile>

namespace {

// A 16 x 16 bitmap of 4 bits a pixel, bottom-up, whose pixel (x, y) is
// (x + y) mod 16, with 16 shades of grey.
QByteArray Grey16x16()
{
    auto u16 = [](QByteArray &out, unsigned v) { out.append(char(v & 0xFF)).append(char(v >> 8)); };
    auto u32 = [&](QByteArray &out, unsigned v) { u16(out, v & 0xFFFF), u16(out, v >> 16); };
    QByteArray info, table, pixels;
    for (unsigned v : {40u, 16u, 16u})
        u32(info, v);
    u16(info, 1);
    u16(info, 4);
    for (unsigned v : {0u, 128u, 2835u, 2835u, 0u, 0u})
        u32(info, v);
    for (unsigned i = 0; i < 16; ++i)
        u32(table, 0x111111u * i);
    for (int row = 15; row >= 0; --row)
        for (int x = 0; x < 16; x += 2)
            pixels.append(char(((x + row) % 16) << 4 | ((x + 1 + row) % 16)));
    QByteArray file("BM");
    u32(file, unsigned(14 + info.size() + table.size() + pixels.size()));
    u32(file, 0);
    u32(file, unsigned(14 + info.size() + table.size()));
    return file + info + table + pixels;
}

class PixelMapUserPathSimTest : public StoredItemUserPath {
protected:
    PixelMapUserPathSimTest() : StoredItemUserPath({gensim::ItemKind::PixelMap, ID_LIST_ICONS, Pane::kIcons, "Icon"}) {}

    CPixelMap *NewPixelMap(const QString &name) { return dynamic_cast<CPixelMap *>(NewItem(name)); }
    void SelectIcon(int i, const QString &name) { SelectStored(i, name); }
};

TEST_F(PixelMapUserPathSimTest, MakePaintImportSaveSendRecallCopyAndGenerateSource)
{
    const QString pmpFile = TempPath("mymap.pmp");
    const QString bmpFile = TempPath("grey.bmp");
    const QString ccFile = TempPath("MyMap.cc");
    QFile bitmap(bmpFile);
    ASSERT_TRUE(bitmap.open(QIODevice::WriteOnly));
    bitmap.write(Grey16x16());
    bitmap.close();
    Connect(1);
    Connect(2);
    CPixelMap *map = NewPixelMap("MyMap");
    ASSERT_NE(map, nullptr);
    ClickData(0, true);
    auto *editor = dynamic_cast<CPixelMapEditor *>(map->GetEditor());
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(editor));

    // 16 x 16 x 4 in Icon Definition.
    prompter.ExpectDialog(PromptMatch::Caption("Icon Definition"), [](QDialog &dialog) {
        FindControl<CValueEdit>(&dialog, IDC_ICON_WIDTH)->SetInt(16);
        FindControl<CValueEdit>(&dialog, IDC_ICON_HEIGHT)->SetInt(16);
        FindControl<QPushButton>(&dialog, IDOK)->click();
    });
    ASSERT_TRUE(editor->Router().Execute(ID_MAP_DEFINITION));
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("MyMap (16x16x4) * <no associated file>"));

    // Its colour table from Decade Grays and RGB Hues.
    ASSERT_TRUE(editor->Router().Execute(ID_COLOR_SELECTOR));
    CLutEditDlg *lutDialog = editor->LutDialog();
    ASSERT_NE(lutDialog, nullptr);
    lutDialog->SetSetChecks(0x200 | 0x10000);
    QTest::mouseClick(FindControl<QPushButton>(lutDialog, IDC_LUT_APPLY_LUT), Qt::LeftButton);
    EXPECT_EQ(editor->Working().lut[11], 0xFF0000u) << "blue after the eleven greys";
    EXPECT_EQ(editor->Working().lutSetMask, 0x10200u);

    // Paints a row with entry 12 (green).
    editor->LutPane()->SelectEntry(12);
    CMapEditPane &grid = *editor->EditPane();
    PaintStroke(grid, {0, 2}, {9, 2});
    for (int x = 0; x <= 9; ++x)
        EXPECT_EQ(editor->Working().Pixel(x, 2), 12u) << x;
    SaveScreenshot(*editor, "pixel_map_editor_user_path");
    SaveScreenshot(*lutDialog, "lut_editing_dialog_user_path");

    // Imports the grey bitmap: its colours and pixels replace the painting.
    prompter.ExpectFile(PromptMatch::Caption("Select an Image File"), {true, {bmpFile}, 1});
    ASSERT_TRUE(editor->Router().Execute(ID_MAP_IMPORT));
    const PixelMapData imported = editor->Working();
    EXPECT_EQ(imported.Pixel(3, 5), 8u);
    EXPECT_EQ(imported.lut[15], 0xFFFFFFu);
    EXPECT_EQ(imported.lutSetMask, 0u);

    // Save, close, open the file again.
    prompter.ExpectFile(PromptMatch::Id(IDS_SAVE_TITLE), {true, {pmpFile}, 1});
    ASSERT_TRUE(editor->Router().Execute(ID_FILE_SAVE));
    EXPECT_EQ(map->Data(), imported);
    ASSERT_TRUE(editor->Router().Execute(ID_FILE_CLOSE));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    prompter.ExpectFile(PromptMatch::Id(IDS_OPEN_TITLE), {true, {pmpFile}, 1});
    ASSERT_TRUE(window->Router().Execute(ID_FILE_OPEN));
    auto *reopened = dynamic_cast<CPixelMap *>(Data().GetRowItem(1));
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(reopened->GetName(), "MyMap");
    EXPECT_EQ(reopened->Data(), imported);

    // Send Data of it to COM1.
    ClickData(1);
    ClickGenerator(0);
    prompter.ExpectDialog(PromptMatch::Caption("Data Transfer"), [](QDialog &d) { d.accept(); });
    ASSERT_TRUE(window->Router().Execute(ID_SEND_DATA));
    const auto sent = Stored(0, "MyMap");
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->words, imported.pixels);
    EXPECT_EQ((std::vector<int>{sent->width, sent->height, sent->depth}), (std::vector<int>{16, 16, 4}));

    // Recall it into a new item: the words and size; the LUT only its size.
    ClickGenerator(0, true);
    SelectIcon(0, "MyMap");
    prompter.ExpectMessage(PromptMatch::Text("Recall the Icon \"MyMap\"?"), IDYES);
    ASSERT_TRUE(View(0).Router().Execute(ID_RECALL_ITEMS));
    auto *recalled = dynamic_cast<CPixelMap *>(Data().GetRowItem(2));
    ASSERT_NE(recalled, nullptr);
    EXPECT_EQ(recalled->Data().pixels, imported.pixels);
    EXPECT_EQ(recalled->Data().lut.size(), 16u);

    // Drag it to COM2's pane: copied word for word.
    ClickGenerator(1, true);
    SelectIcon(0, "MyMap");
    DragToOtherPane(0, "MyMap", 1);
    const auto copied = Stored(1, "MyMap");
    ASSERT_TRUE(copied);
    EXPECT_EQ(copied->words, imported.pixels);
    EXPECT_TRUE(View(1).DataPane()->FindRow(Pane::kIcons, "MyMap") >= 0 || !View(1).IsScanned());

    // Its C++ source from the recalled item's editor.
    ClickData(2, true);
    auto *recalledEditor = dynamic_cast<CPixelMapEditor *>(recalled->GetEditor());
    ASSERT_NE(recalledEditor, nullptr);
    prompter.ExpectFile(PromptMatch::Caption("Generate Source File..."), {true, {ccFile}, 1});
    ASSERT_TRUE(recalledEditor->Router().Execute(ID_MAP_GENERATE_SOURCE));
    QFile source(ccFile);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray text = source.readAll();
    EXPECT_TRUE(text.contains("const uint32 mymap_icon[ 16 ][ 2 ] =\n{\n  0x01234567, 0x89ABCDEF,\n"))
        << text.constData();
    EXPECT_TRUE(text.endsWith("};\n"));
}

} // namespace

// A user's way with a pixel map, end to end, against two simulated
// generators, through the program's own commands, clicks and dialogs: a new
// pixel map made 16 x 16 x 4 in Icon Definition, its colour table built from
// two standard sets in LUT Editing, pixels painted, a bitmap imported, saved,
// opened again, sent to COM1, recalled, dragged to COM2's pane and written
// as C++ source. The generators' stores are checked after every step.

#include "CDataListView.h"
#include "CGeneratorDataPane.h"
#include "CGeneratorListView.h"
#include "CGeneratorView.h"
#include "CLutEditDlg.h"
#include "CLutEditPane.h"
#include "CMainWindow.h"
#include "CMapEditPane.h"
#include "CNameEdit.h"
#include "CPixelMap.h"
#include "CPixelMapEditor.h"
#include "CSelectDataTypeDlg.h"
#include "CSpinButtonCtrl.h"
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

namespace {

using gensim::ItemKind;
using Pane = CGeneratorDataPane;

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

class PixelMapUserPathSimTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        RegisterProgramDataKinds();
        // Above 7.02, so they take pixel maps; at the rate a port opens with.
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
        return sim.generator(size_t(i)).item(ItemKind::PixelMap, name);
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

    // View i's icon list with name selected.
    void SelectIcon(int i, const QString &name)
    {
        ASSERT_TRUE(View(i).Router().Execute(ID_LIST_ICONS));
        Pane &pane = *View(i).DataPane();
        const int row = pane.FindRow(Pane::kIcons, name);
        ASSERT_GE(row, 0) << qPrintable(name);
        QListWidget &list = *pane.NameList(Pane::kIcons);
        Click(list, list.visualItemRect(list.item(row)));
    }

    // A press on the selected icon of view from and a move: the drag runs
    // and is dropped on view to's pane.
    void DragToOtherPane(int from, const QString &name, int to)
    {
        QListWidget &list = *View(from).DataPane()->NameList(Pane::kIcons);
        const QPoint at = list.visualItemRect(list.item(View(from).DataPane()->FindRow(Pane::kIcons, name))).center();
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

    // File/New of an Icon, named by a label edit.
    CPixelMap *NewPixelMap(const QString &name)
    {
        prompter.ExpectDialog(PromptMatch::Caption("Select a data type"), [](QDialog &dialog) {
            auto &select = static_cast<CSelectDataTypeDlg &>(dialog);
            const QList<QListWidgetItem *> icon = select.m_list->findItems(QStringLiteral("Icon"), Qt::MatchExactly);
            ASSERT_EQ(icon.size(), 1);
            select.m_list->setCurrentItem(icon.first());
            FindControl<QPushButton>(&select, IDOK)->click();
        });
        EXPECT_TRUE(window->Router().Execute(ID_FILE_NEW));
        const int last = Data().GetRowCount() - 1;
        auto *map = dynamic_cast<CPixelMap *>(Data().GetRowItem(last));
        EXPECT_NE(map, nullptr);
        prompter.ExpectDialog(PromptMatch::Caption("Name..."), [name](QDialog &d) {
            FindControl<CNameEdit>(&d, IDC_NAME)->setText(name);
            FindControl<QPushButton>(&d, IDOK)->click();
        });
        Data().List()->editItem(Data().List()->topLevelItem(last), 0);
        QCoreApplication::processEvents();
        return map;
    }

    gensim::Simulator sim;
    std::unique_ptr<CMainWindow> window;
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
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(0, 2).center());
    QMouseEvent move(QEvent::MouseMove, grid.CellRect(9, 2).center(), grid.viewport()->mapToGlobal(grid.CellRect(9, 2).center()),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(grid.viewport(), &move);
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(9, 2).center());
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

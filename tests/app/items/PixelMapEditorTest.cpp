// The pixel map editor over its working copy: the title and commands, a new
// size and depth, painting with the mouse, the LUT Editing dialog's colour
// and sets, and the copy going back into the map only when it is stored.

#include "CLutEditDlg.h"
#include "CLutEditPane.h"
#include "CLutListBox.h"
#include "CMapEditPane.h"
#include "CMapViewPane.h"
#include "CPixelMap.h"
#include "CPixelMapEditor.h"
#include "PixelMapSource.h"
#include "SourceExportRefusals.h"
#include "ItemEditorFactories.h"

#include "Archive.h"
#include "CSpinButtonCtrl.h"
#include "CValueEdit.h"
#include "DialogUnits.h"
#include "ResourceIds.h"
#include "TestSupport.h"
#include "TypeKeys.h"

#include <QAction>
#include <QBuffer>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTest>

namespace {

using Words = std::vector<std::uint32_t>;

// An 8 x 8 map of depth 4 whose pixel (x, y) is (x + 3y) mod 16.
PixelMapData Counting8x8()
{
    PixelMapData map;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            map.SetPixel(x, y, std::uint32_t(x + 3 * y));
    return map;
}

class PixelMapEditorTest : public PlatformTest {
protected:
    CPixelMapEditor *Open()
    {
        editor = static_cast<CPixelMapEditor *>(map.OpenEditor());
        return editor;
    }
    QAction *Action(int id) { return editor->Router().Action(id); }
    void Execute(int id) { ASSERT_TRUE(editor->Router().Execute(id)) << id; }

    // The Icon Definition dialog answered with a size and spin steps.
    void ExpectDefinition(int width, int height, int depthSteps)
    {
        prompter.ExpectDialog(PromptMatch::Caption(QStringLiteral("Icon Definition")), [=](QDialog &dialog) {
            FindControl<CValueEdit>(&dialog, IDC_ICON_WIDTH)->SetInt(width);
            FindControl<CValueEdit>(&dialog, IDC_ICON_HEIGHT)->SetInt(height);
            auto *spin = FindControl<CSpinButtonCtrl>(&dialog, IDC_ICON_DEPTH_SPIN);
            for (int i = 0; i < std::abs(depthSteps); ++i)
                spin->Step(depthSteps > 0 ? 1 : -1);
            FindControl<QPushButton>(&dialog, IDOK)->click();
        });
    }

    // The map as its file would hold it now.
    void Store()
    {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        CArchive ar(&out, CArchive::store);
        map.Serialize(ar);
    }

    ItemEditorFactories factories;
    CPixelMap map;
    CPixelMapEditor *editor = nullptr;
};

TEST_F(PixelMapEditorTest, OpensOnACopyWithTheTitleAndCommands)
{
    ASSERT_TRUE(Open());
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("pixmap (8x8x4)  <no associated file>"));
    EXPECT_EQ(editor->LutPane()->List()->count(), 16);
    EXPECT_EQ(editor->LutPane()->List()->Entry(4), 0xFF0000u);
    for (int id : {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_DELETE})
        EXPECT_FALSE(Action(id)->isEnabled()) << id;
    editor->UpdateCommands();
    EXPECT_TRUE(Action(ID_MAP_ZOOM_1)->isChecked());
    EXPECT_FALSE(Action(ID_MAP_ZOOM_4)->isChecked());
    EXPECT_FALSE(Action(ID_COLOR_SELECTOR)->isChecked());
    Execute(ID_MAP_ZOOM_4);
    EXPECT_EQ(editor->ViewPane()->Zoom(), 4);
    EXPECT_TRUE(Action(ID_MAP_ZOOM_4)->isChecked());
    EXPECT_FALSE(Action(ID_MAP_ZOOM_1)->isChecked());
}

TEST_F(PixelMapEditorTest, ANewSizeAndDepthKeepThePixelsCutToTheDepth)
{
    map.SetData(Counting8x8());
    ASSERT_TRUE(Open());
    ExpectDefinition(4, 4, -1); // depth 4 -> 2
    Execute(ID_MAP_DEFINITION);
    const PixelMapData &working = editor->Working();
    EXPECT_EQ((std::vector<int>{working.width, working.height, working.depth, working.pitch32}),
              (std::vector<int>{4, 4, 2, 1}));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(working.Pixel(x, y), std::uint32_t(x + 3 * y) & 3) << x << "," << y;
    EXPECT_EQ(working.lut, (Words{0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00}));
    EXPECT_EQ(editor->LutPane()->List()->count(), 4);
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("pixmap (4x4x2) * <no associated file>"));
    EXPECT_EQ(map.Data(), Counting8x8()) << "the map changes only when it is stored";
    Store();
    EXPECT_EQ(map.Data(), working);
    EXPECT_FALSE(map.IsModified());

    // The same size and depth again: nothing changes.
    ExpectDefinition(4, 4, 0);
    Execute(ID_MAP_DEFINITION);
    EXPECT_FALSE(map.IsModified());
}

TEST_F(PixelMapEditorTest, GrowingDepthOneToEightAddsBlackEntries)
{
    PixelMapData mono;
    ASSERT_TRUE(mono.Resize(8, 8, 1));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            mono.SetPixel(x, y, std::uint32_t(x + y) & 1);
    map.SetData(mono);
    ASSERT_TRUE(Open());
    ExpectDefinition(8, 8, 3); // 1 -> 2 -> 4 -> 8
    Execute(ID_MAP_DEFINITION);
    const PixelMapData &working = editor->Working();
    ASSERT_EQ(working.depth, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(working.Pixel(x, y), std::uint32_t(x + y) & 1);
    ASSERT_EQ(working.lut.size(), 256u);
    EXPECT_EQ(Words(working.lut.begin(), working.lut.begin() + 2), (Words{0x000000, 0xFFFFFF}));
    EXPECT_EQ(std::count(working.lut.begin() + 2, working.lut.end(), 0u), 254);
}

TEST_F(PixelMapEditorTest, DraggingPaintsEveryCellPassedWithTheCurrentEntry)
{
    ASSERT_TRUE(Open());
    editor->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(editor));
    editor->LutPane()->SelectEntry(3);
    CMapEditPane *pane = editor->EditPane();
    QWidget *grid = pane->viewport();
    QTest::mousePress(grid, Qt::LeftButton, {}, pane->CellRect(1, 1).center());
    // One move across five cells, then one down three.
    QMouseEvent across(QEvent::MouseMove, pane->CellRect(6, 1).center(), grid->mapToGlobal(pane->CellRect(6, 1).center()),
                       Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid, &across);
    QMouseEvent down(QEvent::MouseMove, pane->CellRect(6, 4).center(), grid->mapToGlobal(pane->CellRect(6, 4).center()),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid, &down);
    QTest::mouseRelease(grid, Qt::LeftButton, {}, pane->CellRect(6, 4).center());
    const PixelMapData &working = editor->Working();
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const bool passed = (y == 1 && x >= 1 && x <= 6) || (x == 6 && y >= 1 && y <= 4);
            EXPECT_EQ(working.Pixel(x, y), passed ? 3u : 0u) << x << "," << y;
        }
    }
    EXPECT_EQ(editor->ViewPane()->Picture().pixelIndex(6, 4), 3);
    EXPECT_TRUE(editor->windowTitle().contains(QStringLiteral(" * ")));
    // A move without the button paints nothing.
    QTest::mouseMove(grid, pane->CellRect(0, 7).center());
    EXPECT_EQ(working.Pixel(0, 7), 0u);
}

TEST_F(PixelMapEditorTest, TheColourSelectorShowsTheEntryAndAppliesAColour)
{
    ASSERT_TRUE(Open());
    editor->show();
    editor->LutPane()->SelectEntry(2);
    Execute(ID_COLOR_SELECTOR);
    CLutEditDlg *dialog = editor->LutDialog();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(Action(ID_COLOR_SELECTOR)->isChecked());
    EXPECT_EQ(FindControl<CValueEdit>(dialog, IDC_LUT_RED)->text(), QStringLiteral("255")) << "entry 2 is red";
    EXPECT_EQ(dialog->CheckedSets(), PixelMapData::kDefaultSetMask);
    FindControl<CValueEdit>(dialog, IDC_LUT_GREEN)->SetInt(128);
    dialog->OnApplyColour();
    EXPECT_EQ(editor->Working().lut[2], 0x0080FFu);
    EXPECT_EQ(editor->LutPane()->List()->Entry(2), 0x0080FFu);
    EXPECT_EQ(editor->ViewPane()->Picture().color(2), qRgb(255, 128, 0));
    // NEXT, PREV and their ends.
    QTest::mouseClick(FindControl<QPushButton>(dialog, IDC_LUT_NEXT), Qt::LeftButton);
    EXPECT_EQ(editor->CurrentEntry(), 3);
    EXPECT_EQ(FindControl<QLabel>(dialog, IDC_LUT_ENTRY)->text(), QStringLiteral("3"));
    editor->LutPane()->SelectEntry(15);
    editor->StepEntry(true);
    EXPECT_EQ(editor->CurrentEntry(), 15);
    editor->LutPane()->SelectEntry(0);
    editor->StepEntry(false);
    EXPECT_EQ(editor->CurrentEntry(), 0);
    // The command again: the visible dialog goes.
    QPointer<CLutEditDlg> shown = dialog;
    Execute(ID_COLOR_SELECTOR);
    EXPECT_TRUE(shown.isNull());
    EXPECT_FALSE(Action(ID_COLOR_SELECTOR)->isChecked());
}

TEST_F(PixelMapEditorTest, ApplyLutBuildsTheTableFromTheCheckedSets)
{
    ASSERT_TRUE(Open());
    editor->show();
    Execute(ID_COLOR_SELECTOR);
    CLutEditDlg *dialog = editor->LutDialog();
    ASSERT_TRUE(dialog);
    dialog->SetSetChecks(0x10000 | 0x20000);
    QTest::mouseClick(FindControl<QPushButton>(dialog, IDC_LUT_APPLY_LUT), Qt::LeftButton);
    Words expected = {0, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF};
    expected.resize(16, 0u);
    EXPECT_EQ(editor->Working().lut, expected);
    EXPECT_EQ(editor->Working().lutSetMask, 0x30000u);
    EXPECT_EQ(editor->LutPane()->List()->Entry(6), 0x00FFFFu);
    EXPECT_EQ(editor->CurrentEntry(), 0);
    dialog->SetSetChecks(0);
    dialog->OnApplyLut();
    EXPECT_EQ(editor->Working().lut, Words(16, 0u));
    EXPECT_EQ(editor->Working().lutSetMask, 0u);
}

TEST_F(PixelMapEditorTest, ARecallReplacesTheCopyAndItsEdits)
{
    ASSERT_TRUE(Open());
    editor->PaintPixel(2, 2);
    PixelMapData recalled;
    ASSERT_TRUE(recalled.Resize(3, 2, 8));
    map.SetData(recalled);
    editor->ItemReloaded();
    EXPECT_EQ(editor->Working(), recalled);
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("pixmap (3x2x8)  <no associated file>"));
    EXPECT_EQ(editor->LutPane()->List()->count(), 256);
}

TEST_F(PixelMapEditorTest, GenerateSourceWritesTheWorkingCopyOrSaysItFailed)
{
    map.SetName(QStringLiteral("Logo"));
    map.SetFilePath(TempPath(QStringLiteral("Logo.pmp")));
    ASSERT_TRUE(Open());
    editor->PaintPixel(7, 7); // the working copy, not the map, is written
    const QString path = TempPath(QStringLiteral("Logo.cc"));
    prompter.ExpectFile(PromptMatch::Caption(QStringLiteral("Generate Source File...")), FileResult{true, {path}, 1});
    Execute(ID_MAP_GENERATE_SOURCE);
    const FileRequest &asked = prompter.FileRequests().back();
    EXPECT_TRUE(asked.save);
    EXPECT_EQ(asked.fileName, QStringLiteral("Logo"));
    EXPECT_EQ(asked.defaultExtension, QStringLiteral("cc"));
    EXPECT_EQ(asked.filter, QStringLiteral("Diab C++ (*.cc)|*.cc||"));
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), PixelMapSource::Text(editor->Working(), QStringLiteral("Logo.cc"),
                                                      QDate::currentDate().toString(QStringLiteral("MM/dd/yy"))));
    written.close();

    // A file that cannot be written: the box, and the old file as it was.
    ExpectSourceExportRefused(prompter, TempPath(QStringLiteral(".")), QStringLiteral(".cc"),
                              [this] { Execute(ID_MAP_GENERATE_SOURCE); });
}

} // namespace

// The font editor over its characters: a character's image and its box,
// the missing glyph, the range and heights of the Font Definition dialog,
// the Character Properties dialog and its steps, painting with the mouse,
// and the characters going back into the font only when it is stored.

#include "CCharPropertiesDlg.h"
#include "CFontChar.h"
#include "CFontData.h"
#include "CFontDataPane.h"
#include "CFontEditPane.h"
#include "CFontEditor.h"
#include "CFontViewPane.h"
#include "ItemEditorFactories.h"

#include "Archive.h"
#include "CValueEdit.h"
#include "DialogUnits.h"
#include "ResourceIds.h"
#include "TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

namespace font_editor_test {
namespace {

using Words = std::vector<std::uint32_t>;

// A character of rows rows whose words are given.
CFontChar Character(int imageWidth, int rows, Words bits)
{
    CFontChar c;
    c.imageWidth = imageWidth;
    c.pitch32 = (imageWidth + 31) / 32;
    c.SetHeight(rows);
    c.bits = std::move(bits);
    return c;
}

TEST(FontChar, ImageWidthsRepackEveryRow)
{
    CFontChar c = Character(32, 2, {0xFFFFFFFF, 0x80000001});
    c.textWidth = 32;
    c.textOffset = -3;
    c.SetImageWidth(33);
    EXPECT_EQ(c.pitch32, 2);
    EXPECT_EQ(c.bits, (Words{0xFFFFFFFF, 0, 0x80000001, 0}));
    c.SetPixel(32, 1, true);
    EXPECT_EQ(c.bits[3], 0x80000000u);
    c.SetImageWidth(0);
    EXPECT_EQ((std::vector<int>{c.imageWidth, c.pitch32, c.textWidth, c.textOffset}), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_TRUE(c.bits.empty());
    EXPECT_EQ(c.Rows(), 2) << "the height stays with no words";
    c.imageWidth = 1;
    c.pitch32 = 1;
    c.bits.assign(1, 0u);
    c.SetHeight(2);
    c.SetImageWidth(8);
    EXPECT_EQ(c.pitch32, 1);
    EXPECT_EQ(c.bits, (Words{0, 0}));
    CFontChar cut = Character(32, 1, {0xFFFFFFFF});
    cut.SetImageWidth(8);
    EXPECT_EQ(cut.bits, (Words{0xFF000000})) << "the bits beyond the width go";
}

TEST(FontChar, ABoxIsItsOutline)
{
    const struct {
        int width, rows;
        Words box;
    } cases[] = {
        {8, 1, {0xFF000000}},
        {8, 2, {0xFF000000, 0xFF000000}},
        {8, 3, {0xFF000000, 0x81000000, 0xFF000000}},
        {1, 3, {0x80000000, 0x80000000, 0x80000000}},
        {33, 3, {0xFFFFFFFF, 0x80000000, 0x80000000, 0x80000000, 0xFFFFFFFF, 0x80000000}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.rows);
        CFontChar ch = Character(c.width, c.rows, Words(std::size_t(c.rows * ((c.width + 31) / 32)), 0x12345678u));
        ch.MakeBox();
        EXPECT_EQ(ch.bits, c.box);
    }
}

class FontEditorTest : public PlatformTest {
protected:
    CFontEditor *Open()
    {
        editor = static_cast<CFontEditor *>(font.OpenEditor());
        return editor;
    }
    QAction *Action(int id) { return editor->Router().Action(id); }
    void Execute(int id) { ASSERT_TRUE(editor->Router().Execute(id)) << id; }

    // The Font Definition dialog answered with six values (first, last,
    // height, ascent, descent, leading).
    void ExpectDefinition(const CFontEditor::DefinitionValues &values)
    {
        prompter.ExpectDialog(PromptMatch::Caption(QStringLiteral("Font Definition")), [=](QDialog &dialog) {
            const int ids[] = {IDC_FONT_FIELD_1273, IDC_FONT_FIELD_1274, IDC_FONT_FIELD_1275,
                               IDC_FONT_ASCENT,     IDC_FONT_DESCENT,    IDC_FONT_LEADING};
            for (std::size_t i = 0; i < 6; ++i)
                FindControl<CValueEdit>(&dialog, ids[i])->SetInt(values[i]);
            FindControl<QPushButton>(&dialog, IDOK)->click();
            if (dialog.result() != QDialog::Accepted)
                FindControl<QPushButton>(&dialog, IDCANCEL)->click();
        });
    }

    QByteArray Store()
    {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        CArchive ar(&out, CArchive::store);
        font.Serialize(ar);
        ar.Flush();
        return out.data();
    }

    // A mouse event on the edit pane's viewport at the cell's centre.
    void Mouse(QEvent::Type type, QPoint cell, Qt::MouseButtons buttons)
    {
        QWidget *viewport = editor->EditPane()->viewport();
        const QPointF at = editor->EditPane()->CellRect(cell.x(), cell.y()).center();
        QMouseEvent event(type, at, viewport->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          buttons, Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    }

    ItemEditorFactories factories;
    CFontData font;
    CFontEditor *editor = nullptr;
};

TEST_F(FontEditorTest, OpensOnTheFontsCharactersWithTheTitleAndCommands)
{
    ASSERT_TRUE(Open());
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Font  <no associated file>"));
    ASSERT_EQ(editor->Chars().size(), 1u);
    EXPECT_EQ(editor->Chars()[0]->imageWidth, 8);
    EXPECT_EQ(editor->Chars()[0]->textWidth, 8);
    EXPECT_EQ(editor->MissingGlyph().imageWidth, 8) << "the mean of the characters";
    EXPECT_EQ(editor->DataPane()->CharactersNode()->childCount(), 1);
    EXPECT_EQ(editor->DataPane()->CharNode(0)->text(0), QStringLiteral("Code: 0"));
    EXPECT_EQ(editor->DataPane()->DefinitionNode()->child(2)->text(0), QStringLiteral("  8  Character Height"));
    for (int id : {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_DELETE})
        EXPECT_FALSE(Action(id)->isEnabled()) << id;
    editor->UpdateCommands();
    EXPECT_TRUE(Action(ID_MAP_ZOOM_1)->isChecked());
    Execute(ID_MAP_ZOOM_4);
    EXPECT_EQ(editor->ViewPane()->Zoom(), 4);
    EXPECT_TRUE(Action(ID_MAP_ZOOM_4)->isChecked());
    EXPECT_FALSE(Action(ID_MAP_ZOOM_1)->isChecked());
    EXPECT_FALSE(Action(ID_VIEW_CHAR_PROPERTIES)->isChecked());
}

// Codes 48..50: a 3-pixel and a 40-pixel image and one with none (but a
// column), the missing glyph 2 pixels wide and not a box, three rows.
FontData Irregular()
{
    FontData f;
    f.firstChar = 48;
    f.lastChar = 50;
    f.charHeight = 3;
    f.ascent = 2;
    f.descent = 1;
    f.pitch32 = 5;
    f.bitmap = {0xE0000000, 0xFFFFFFFF, 0xFF000000, 0, 0xC0000000, 0xA0000000, 0x80000000, 0x00800000, 0, 0,
                0x40000000, 0x00000001, 0x01000000, 0, 0x40000000};
    f.locTable = {0, 1, 3, 4, 5};
    f.owTable = {FontData::OffsetWidth(-1, 3), 40, FontData::OffsetWidth(127, 0), 2, 0xFFFF};
    f.imageWidths = {3, 40, 0, 2};
    return f;
}

TEST_F(FontEditorTest, AnUnchangedEditorLeavesTheTablesByteForByte)
{
    ASSERT_TRUE(Irregular().Valid());
    font.SetData(Irregular());
    const QByteArray before = Store();
    ASSERT_TRUE(Open());
    EXPECT_EQ(editor->Chars()[1]->pitch32, 2);
    EXPECT_EQ(editor->Chars()[2]->pitch32, 0) << "no column for no image";
    EXPECT_EQ(editor->Chars()[0]->textOffset, -1);
    EXPECT_EQ(Store(), before);
    EXPECT_EQ(font.Data(), Irregular());
}

TEST_F(FontEditorTest, AStoredEditPacksTheCharactersAndAMissingBoxOfTheMeanWidth)
{
    font.SetData(Irregular());
    ASSERT_TRUE(Open());
    EXPECT_EQ(editor->MissingGlyph().imageWidth, 21) << "(3 + 40) / 2";
    editor->ApplyCharProperties(48, 3, 3, -128);
    ASSERT_TRUE(editor->IsModified());
    Store();
    EXPECT_FALSE(editor->IsModified());
    const FontData &f = font.Data();
    EXPECT_TRUE(f.Valid());
    EXPECT_EQ(f.pitch32, 1 + 2 + 0 + 1);
    EXPECT_EQ(f.locTable, (std::vector<std::uint16_t>{0, 1, 3, 3, 4}));
    EXPECT_EQ(f.owTable, (std::vector<std::uint16_t>{0x8003, 40, FontData::OffsetWidth(127, 0), 21, 0xFFFF}));
    EXPECT_EQ(f.imageWidths, (std::vector<std::uint8_t>{3, 40, 0, 21}));
    EXPECT_EQ(f.wideMax, 40);
    EXPECT_EQ(f.rectWidth, 40);
    EXPECT_EQ(f.kernMax, 0);
    EXPECT_EQ(f.negDescent, -1);
    EXPECT_EQ(f.bitmap, (Words{0xE0000000, 0xFFFFFFFF, 0xFF000000, 0xFFFFF800, 0xA0000000, 0x80000000, 0x00800000,
                               0x80000800, 0x40000000, 0x00000001, 0x01000000, 0xFFFFF800}));

    // Reopened: the character keeps its offset through the file.
    CFontData back;
    QByteArray bytes = Store();
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    CArchive ar(&in, CArchive::load);
    back.Serialize(ar);
    EXPECT_EQ(FontData::TextOffsetOf(back.Data().owTable[0]), -128);
}

TEST_F(FontEditorTest, TheMissingGlyphIsTheMeanImageWidthAtLeastFive)
{
    font.SetData(Irregular());
    ASSERT_TRUE(Open());
    editor->ApplyCharProperties(49, 4, 40, 0);
    EXPECT_EQ(editor->MissingGlyph().imageWidth, 5) << "(3 + 4) / 2, raised to 5";
    EXPECT_EQ(editor->MissingGlyph().textWidth, 5);
    EXPECT_EQ(editor->MissingGlyph().Rows(), 3);
    editor->ApplyCharProperties(48, 0, 0, 0);
    editor->ApplyCharProperties(49, 0, 0, 0);
    EXPECT_EQ(editor->MissingGlyph().imageWidth, 5) << "none with an image";
    editor->ApplyCharProperties(50, 12, 12, 0);
    EXPECT_EQ(editor->MissingGlyph().imageWidth, 12);
    EXPECT_EQ(editor->MissingGlyph().bits, (Words{0xFFF00000, 0x80100000, 0xFFF00000}));
}

TEST_F(FontEditorTest, TheRangeKeepsTheCharactersItStillHolds)
{
    ASSERT_TRUE(Open());
    ExpectDefinition({32, 127, 8, 8, 0, 7});
    Execute(ID_FONT_DEFINITION);
    ASSERT_EQ(editor->Chars().size(), 96u);
    EXPECT_EQ(editor->DataPane()->CharactersNode()->childCount(), 96);
    for (int code = 48; code <= 57; ++code) {
        CFontChar *c = editor->Char(code);
        c->SetPixel(code - 48, 0, true);
    }
    ExpectDefinition({48, 57, 8, 8, 0, 7});
    Execute(ID_FONT_DEFINITION);
    ASSERT_EQ(editor->Chars().size(), 10u);
    for (int code = 48; code <= 57; ++code)
        EXPECT_TRUE(editor->Char(code)->Pixel(code - 48, 0)) << code;
    ExpectDefinition({32, 127, 8, 8, 0, 7});
    Execute(ID_FONT_DEFINITION);
    ASSERT_EQ(editor->Chars().size(), 96u);
    EXPECT_TRUE(editor->Char(57)->Pixel(9, 0));
    const CFontChar *blank = editor->Char(32);
    EXPECT_EQ((std::vector<int>{blank->imageWidth, blank->textWidth, blank->textOffset, blank->pitch32, blank->Rows()}),
              (std::vector<int>{8, 8, 0, 1, 8}));
    EXPECT_EQ(blank->bits, Words(8, 0u));
    EXPECT_TRUE(editor->IsModified());
    Store();
    EXPECT_EQ(font.Data().firstChar, 32);
    EXPECT_EQ(font.Data().lastChar, 127);
    EXPECT_EQ(font.Data().pitch32, 97);
}

TEST_F(FontEditorTest, TheDefinitionsChecksKeepTheDialogOpen)
{
    ASSERT_TRUE(Open());
    ExpectDefinition({0, 0, 10, 8, 1, 7});
    prompter.ExpectMessage(PromptMatch::Text(QStringLiteral("The character height must equal the sum of the ascent and descent."))
                               .AndCaption(QStringLiteral("Definition Invalid...")),
                           IDOK, MB_OK | MB_ICONSTOP);
    Execute(ID_FONT_DEFINITION);
    ExpectDefinition({66, 65, 10, 8, 1, 7});
    prompter.ExpectMessage(PromptMatch::Text(QStringLiteral("The first character must be less than or equal to the last character."))
                               .AndCaption(QStringLiteral("Definition Invalid...")),
                           IDOK, MB_OK | MB_ICONSTOP);
    Execute(ID_FONT_DEFINITION);
    prompter.VerifyAllUsed();
    EXPECT_FALSE(editor->IsModified());
    EXPECT_EQ(editor->WorkingDefinition(), (CFontEditor::DefinitionValues{0, 0, 8, 8, 0, 7}));
    ExpectDefinition({0, 0, 10, 8, 2, 9});
    Execute(ID_FONT_DEFINITION);
    EXPECT_EQ(editor->Chars()[0]->Rows(), 10);
    EXPECT_EQ(editor->MissingGlyph().Rows(), 10);
    EXPECT_TRUE(editor->IsModified());
}

TEST_F(FontEditorTest, ADragAfterAPressOnASetPixelClearsEveryPixelPassed)
{
    FontData f;
    f.bitmap[0] = 0xFF000000; // row 0 of character 0 inked
    font.SetData(f);
    ASSERT_TRUE(Open());
    editor->show();
    editor->SelectChar(0);
    const CFontChar &c = *editor->Chars()[0];
    Mouse(QEvent::MouseButtonPress, {0, 0}, Qt::LeftButton);
    EXPECT_FALSE(c.Pixel(0, 0));
    Mouse(QEvent::MouseMove, {6, 0}, Qt::LeftButton); // a fast move passes 1..5 too
    EXPECT_EQ(c.bits[0], 0x01000000u);
    Mouse(QEvent::MouseButtonRelease, {6, 0}, Qt::NoButton);
    Mouse(QEvent::MouseMove, {7, 0}, Qt::NoButton);
    EXPECT_TRUE(c.Pixel(7, 0)) << "no button, no paint";
    EXPECT_TRUE(editor->IsModified());
    // A press on a clear pixel inks, and so does the drag after it.
    Mouse(QEvent::MouseButtonPress, {0, 2}, Qt::LeftButton);
    Mouse(QEvent::MouseMove, {0, 4}, Qt::LeftButton);
    EXPECT_TRUE(c.Pixel(0, 2) && c.Pixel(0, 3) && c.Pixel(0, 4));
    Mouse(QEvent::MouseButtonRelease, {0, 4}, Qt::NoButton);
}

TEST_F(FontEditorTest, TheCharacterPropertiesDialogAppliesAndSteps)
{
    font.SetData(Irregular());
    ASSERT_TRUE(Open());
    editor->show();
    Execute(ID_VIEW_CHAR_PROPERTIES);
    CCharPropertiesDlg *dialog = editor->CharPropertiesDialog();
    ASSERT_TRUE(dialog && dialog->isVisible());
    EXPECT_TRUE(Action(ID_VIEW_CHAR_PROPERTIES)->isChecked());
    EXPECT_EQ(dialog->Code(), FontEditHost::kNoChar);
    auto click = [&](int id) { FindControl<QPushButton>(dialog, id)->click(); };
    click(IDC_FONT_FIELD_1275); // NEXT with none: the first
    EXPECT_EQ(dialog->Code(), 48);
    EXPECT_EQ(editor->ViewPane()->Selected(), 48);
    EXPECT_EQ(FindControl<CValueEdit>(dialog, IDC_FONT_FIELD_1274)->GetInt(), -1);
    click(IDC_CHAR_PREV); // 47 lies outside the range
    EXPECT_EQ(dialog->Code(), 48);
    // A text width below the image width changes nothing.
    FindControl<CValueEdit>(dialog, IDC_PICK_OUTPUT)->SetInt(9);
    FindControl<CValueEdit>(dialog, IDC_FONT_FIELD_1273)->SetInt(5);
    prompter.ExpectMessage(PromptMatch::Text(QStringLiteral("The text width must be greater than or equal to the image width."))
                               .AndCaption(QStringLiteral("Definition Invalid...")),
                           IDOK, MB_OK | MB_ICONSTOP);
    click(IDC_APPLY_TO_FORMAT);
    EXPECT_EQ(editor->Char(48)->imageWidth, 3);
    EXPECT_FALSE(editor->IsModified());
    // Offsets at both ends of the byte.
    for (const int offset : {-128, 127}) {
        FindControl<CValueEdit>(dialog, IDC_PICK_OUTPUT)->SetInt(3);
        FindControl<CValueEdit>(dialog, IDC_FONT_FIELD_1273)->SetInt(3);
        FindControl<CValueEdit>(dialog, IDC_FONT_FIELD_1274)->SetInt(offset);
        click(IDC_APPLY_TO_FORMAT);
        EXPECT_EQ(editor->Char(48)->textOffset, offset);
        EXPECT_EQ(editor->Packed().owTable[0], FontData::OffsetWidth(offset, 3));
    }
    // Image width 0 empties the character; the grid says so.
    FindControl<CValueEdit>(dialog, IDC_PICK_OUTPUT)->SetInt(0);
    click(IDC_APPLY_TO_FORMAT);
    const CFontChar *empty = editor->Char(48);
    EXPECT_EQ((std::vector<int>{empty->imageWidth, empty->textWidth, empty->textOffset, empty->pitch32}),
              (std::vector<int>{0, 0, 0, 0}));
    const FontData packed = editor->Packed();
    EXPECT_EQ(packed.locTable[0], packed.locTable[1]) << "no column";
    EXPECT_EQ(editor->DataPane()->CharNode(48)->child(0)->text(0), QStringLiteral("  0  Image Width"));
    EXPECT_EQ(editor->EditPane()->Char(), empty);
    SaveScreenshot(*editor, QStringLiteral("font_editor_not_defined"));
    Execute(ID_VIEW_CHAR_PROPERTIES);
    EXPECT_FALSE(editor->CharPropertiesDialog());
    EXPECT_FALSE(Action(ID_VIEW_CHAR_PROPERTIES)->isChecked());
}

TEST_F(FontEditorTest, PrevAtCodeZeroStaysAndTheRowSelectsByClick)
{
    FontData f;
    f.lastChar = 1;
    f.pitch32 = 3;
    f.bitmap.assign(3 * 8, 0u);
    f.locTable = {0, 1, 2, 3};
    f.owTable = {8, 8, 8, 0xFFFF};
    f.imageWidths = {8, 8, 8};
    font.SetData(f);
    ASSERT_TRUE(Open());
    editor->show();
    editor->ShowCharProperties(0);
    CCharPropertiesDlg *dialog = editor->CharPropertiesDialog();
    ASSERT_TRUE(dialog);
    editor->StepChar(0, false);
    EXPECT_EQ(editor->CurrentCode(), 0);
    editor->StepChar(0, true);
    EXPECT_EQ(dialog->Code(), 1);
    // The gap after character 0 belongs to character 1.
    CFontViewPane *row = editor->ViewPane();
    int code = -1;
    ASSERT_TRUE(row->CodeAt(row->CharRect(0).topLeft(), code));
    EXPECT_EQ(code, 0);
    ASSERT_TRUE(row->CodeAt(row->CharRect(0).topRight() + QPoint(1, 0), code));
    EXPECT_EQ(code, 1);
    EXPECT_FALSE(row->CodeAt(row->CharRect(0).topLeft() - QPoint(0, 1), code));
    QTest::mouseClick(row->viewport(), Qt::LeftButton, {}, row->CharRect(0).center());
    EXPECT_EQ(editor->CurrentCode(), 0);
    EXPECT_EQ(dialog->Code(), 0);
}

TEST_F(FontEditorTest, PicturesOfTheEditorAndItsDialogs)
{
    font.SetName(QStringLiteral("Digits"));
    ASSERT_TRUE(Open());
    editor->ApplyDefinition({48, 57, 8, 7, 1, 9});
    CFontChar *one = editor->Char(49);
    for (int y = 1; y < 7; ++y)
        one->SetPixel(4, y, true);
    one->SetPixel(3, 2, true);
    editor->ApplyCharProperties(49, 8, 8, -1);
    editor->show();
    editor->resize(640, 480);
    editor->ShowCharProperties(49);
    QApplication::processEvents();
    SaveScreenshot(*editor, QStringLiteral("font_editor"));
    SaveScreenshot(*editor->CharPropertiesDialog(), QStringLiteral("font_char_properties"));
    prompter.ExpectDialog(PromptMatch::Caption(QStringLiteral("Font Definition")), [](QDialog &dialog) {
        SaveScreenshot(dialog, QStringLiteral("font_definition"));
        FindControl<QPushButton>(&dialog, IDCANCEL)->click();
    });
    Execute(ID_FONT_DEFINITION);
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Digits * <no associated file>"));
}

} // namespace
} // namespace font_editor_test

// The primitive property dialogs offscreen: each template's fields and
// ranges, the shared pin, applying on Return and on losing activation,
// the text field's filter, the information box's combos, and the message
// to the editor when a primitive goes with its dialog open.

#include "CCanvas.h"
#include "CKindValue.h"
#include "COval.h"
#include "CLine.h"
#include "CPropertiesDlg.h"
#include "CRectangle.h"
#include "CStateButton.h"
#include "CValueEdit.h"
#include "DialogUnits.h"
#include "ListPaneDoubles.h"
#include "PrimitiveTypes.h"
#include "ResourceIds.h"
#include "StringTable.h"
#include "TestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <array>
#include <memory>

namespace {

using namespace listpanetest;

// A primitive that shows the information box's dialog and counts what it takes.
class InfoProbe : public CPrimitive {
public:
    CPropertiesDlg *OpenProperties(QWidget *parent) override
    {
        auto *dialog = new CPropertiesDlg(parent, this, IDD_INFO_BOX_PROPERTIES);
        SetPropertyDialog(dialog);
        return dialog;
    }
    void ApplyProperties() override
    {
        ++applied;
        info = GetPropertyDialog()->GetInfo();
    }
    int applied = 0;
    int info = -1;
};

class PropertiesDlgTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        CPropertiesDlg::SetPinned(true);
        canvas.SetLimits(639, 479);
        canvas.resize(640, 480);
        editor.resize(200, 100);
        editor.show();
    }
    void TearDown() override
    {
        CPropertiesDlg::SetPinned(true);
        PlatformTest::TearDown();
    }

    // Shown and activated as the editor shows a dialog, then sent 0x511.
    static void ShowActive(CPropertiesDlg *dialog)
    {
        dialog->show();
        QApplication::setActiveWindow(dialog);
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
        dialog->OnMessage(WM_PROPERTIES_SHOWN, 0, 0);
    }

    static CValueEdit *Edit(QWidget *dialog, int id)
    {
        return dynamic_cast<CValueEdit *>(dialog->findChild<QLineEdit *>(ControlName(id)));
    }

    // The user replaces a field's text.
    static void Type(QLineEdit *edit, const QString &text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }

    CCanvas canvas;
    EditorDouble editor;
};

// Each template: caption, its value fields and their ranges.
TEST_F(PropertiesDlgTest, TemplatesHaveTheirFieldsAndRanges)
{
    struct Field {
        int id;
        bool integer;
        int minimum;
        int maximum;
    };
    struct Case {
        int templateId;
        const char *caption;
        std::vector<Field> fields;
        std::vector<int> others; // combos, text and statics
    };
    const int lo = -32768;
    const int hi = 32767;
    const Case cases[] = {
        {236, "Properties", {}, {1030}},
        {243, "Triangle Properties",
         {{1205, true, lo, hi}, {1206, true, lo, hi}, {1207, true, lo, hi}, {1208, true, lo, hi}, {1209, true, lo, hi},
          {1210, true, lo, hi}},
         {}},
        {244, "Dot Properties", {{1205, true, lo, hi}, {1208, true, lo, hi}}, {}},
        {245, "Line Properties", {{1205, true, lo, hi}, {1206, true, lo, hi}, {1208, true, lo, hi}, {1209, true, lo, hi}},
         {}},
        {246, "Rectangle Properties",
         {{1205, true, lo, hi}, {1208, true, lo, hi}, {1214, true, 1, hi}, {1215, true, 1, hi}}, {}},
        {247, "Grill Properties", {{1205, true, 1, hi}, {1208, true, 0, hi}}, {}},
        {248, "Grid Properties", {{1205, true, 1, hi}, {1208, true, 1, hi}}, {}},
        {249, "Text Properties", {{1205, true, lo, hi}, {1208, true, lo, hi}}, {1217}},
        {250, "Character Box Properties",
         {{1205, true, lo, hi}, {1208, true, lo, hi}, {1214, true, 1, hi}, {1215, true, 1, hi}, {1218, true, 0, 255}}, {}},
        {251, "Information Box Properties", {{1205, false, 0, 0}, {1208, false, 0, 0}}, {1220, 1219, 1221}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.templateId);
        CPropertiesDlg dialog(&editor, nullptr, c.templateId);
        EXPECT_EQ(dialog.windowTitle(), QString::fromLatin1(c.caption));
        const auto edits = dialog.findChildren<QLineEdit *>();
        EXPECT_EQ(std::count_if(edits.begin(), edits.end(), [](QLineEdit *e) { return dynamic_cast<CValueEdit *>(e); }),
                  qsizetype(c.fields.size()));
        for (const Field &field : c.fields) {
            const CValueEdit *edit = Edit(&dialog, field.id);
            ASSERT_NE(edit, nullptr) << field.id;
            EXPECT_EQ(edit->m_integerOnly, field.integer) << field.id;
            EXPECT_EQ(edit->m_rangeCheck, field.integer) << field.id;
            if (field.integer) {
                EXPECT_EQ(edit->m_minimum, field.minimum) << field.id;
                EXPECT_EQ(edit->m_maximum, field.maximum) << field.id;
            }
        }
        for (int id : c.others)
            EXPECT_NE(dialog.findChild<QWidget *>(ControlName(id)), nullptr) << id;
        for (int id : {1203, 1204, 1063})
            EXPECT_NE(dialog.findChild<QWidget *>(ControlName(id)), nullptr) << id;
        // Enter is the default button, out of sight but shown.
        auto *enter = dialog.findChild<QPushButton *>(ControlName(1063));
        EXPECT_TRUE(enter->isDefault());
        EXPECT_EQ(enter->geometry(), QRect(999, 999, 30, 30));
        EXPECT_FALSE(enter->isHidden());
    }
}

// The three retitles and the placeholder's four cases.
TEST_F(PropertiesDlgTest, RetitlesAndPlaceholderCases)
{
    COval oval(&canvas);
    std::unique_ptr<CPropertiesDlg> dialog(oval.OpenProperties(&editor));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Oval Properties"));
    EXPECT_EQ(LoadString(IDS_GROUP_PROPERTIES), QStringLiteral("Group Properties"));
    EXPECT_EQ(LoadString(IDS_HATCH_PROPERTIES), QStringLiteral("Hatch Properties"));

    CPropertiesDlg placeholder(&editor, nullptr, IDD_PROPERTIES);
    const auto *text = placeholder.findChild<QLabel *>(ControlName(1030));
    const char *expected[] = {"No Selection", "Multiple Selections", "Frozen within a Group.", "No Properties Available"};
    for (int which = 0; which < 4; ++which) {
        placeholder.SetCase(which);
        EXPECT_EQ(text->text(), QString::fromLatin1(expected[which]));
    }
}

// Unpinned, losing activation applies the typed value and closes; the
// editor gets 0x510 with wParam 0 and deletes the dialog.
TEST_F(PropertiesDlgTest, UnpinnedAppliesAndClosesOnDeactivation)
{
    CRectangle box(&canvas);
    QPointer<CPropertiesDlg> dialog = box.OpenProperties(&editor);
    ShowActive(dialog);
    dialog->findChild<CStateButton *>(ControlName(1203))->click();
    EXPECT_FALSE(CPropertiesDlg::IsPinned());
    Type(Edit(dialog, 1214), QStringLiteral("50"));

    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    QTRY_VERIFY(dialog.isNull());
    EXPECT_EQ(box.BottomRight().x() - box.TopLeft().x() + 1, 50);
    ASSERT_EQ(editor.messages.size(), 2u);
    EXPECT_EQ(editor.messages[0].message, WM_PROPERTIES_TO_TOP);
    EXPECT_EQ(editor.messages[1].message, WM_PROPERTIES_CLOSED);
    EXPECT_EQ(editor.messages[1].wParam, 0u);
    EXPECT_EQ(box.GetPropertyDialog(), nullptr);
}

TEST_F(PropertiesDlgTest, PinnedStaysOnDeactivation)
{
    CLine line(&canvas);
    std::unique_ptr<CPropertiesDlg> dialog(line.OpenProperties(&editor));
    ShowActive(dialog.get());
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    QCoreApplication::processEvents();
    EXPECT_FALSE(dialog->IsDestroyed());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(editor.messages.size(), 1u);
}

// Return applies what was typed as leaving the field would clamp it: a
// width of 0 is 1, not an inverted box; a value the program set stays.
TEST_F(PropertiesDlgTest, ReturnAppliesTheClampedValue)
{
    CRectangle box(10, 20, 109, 119);
    box.SetCanvas(&canvas);
    std::unique_ptr<CPropertiesDlg> dialog(box.OpenProperties(&editor));
    ShowActive(dialog.get());
    EXPECT_EQ(Edit(dialog.get(), 1214)->text(), QStringLiteral("100"));
    CValueEdit *width = Edit(dialog.get(), 1214);
    Type(width, QStringLiteral("0"));
    QTest::keyClick(width, Qt::Key_Return);
    EXPECT_EQ(box.BottomRight(), QPoint(10, 119));
    EXPECT_FALSE(dialog->IsModified());

    dialog->SetSize({0, 5}); // the program's own value is not clamped
    EXPECT_EQ(Edit(dialog.get(), 1214)->GetInt(), 0);
}

// The text field refuses what would break the command line, typed or
// pasted, and a 33rd character.
TEST_F(PropertiesDlgTest, TextFieldRefusesBreakingCharactersAndA33rd)
{
    CPropertiesDlg dialog(&editor, nullptr, IDD_TEXT_PROPERTIES);
    auto *text = dialog.findChild<QLineEdit *>(ControlName(1217));
    dialog.show();
    text->setFocus();
    QTest::keyClicks(text, QStringLiteral("a\"b;c>d"));
    EXPECT_EQ(text->text(), QStringLiteral("abcd"));
    text->insert(QStringLiteral("x;y"));
    EXPECT_EQ(text->text(), QStringLiteral("abcd"));
    text->insert(QStringLiteral("\tz"));
    EXPECT_EQ(text->text(), QStringLiteral("abcd"));
    QTest::keyClicks(text, QString(28, u'e'));
    EXPECT_EQ(text->text().size(), 32);
    QTest::keyClicks(text, QStringLiteral("f"));
    EXPECT_EQ(text->text().size(), 32);
}

// Another "Info" entry shows its lines at once and applies; setting the
// combos from the primitive applies nothing.
TEST_F(PropertiesDlgTest, InfoEntryUpdatesDescriptionAndApplies)
{
    InfoProbe probe;
    std::unique_ptr<CPropertiesDlg> dialog(probe.OpenProperties(&editor));
    auto *info = dialog->findChild<QComboBox *>(ControlName(1220));
    auto *style = dialog->findChild<QComboBox *>(ControlName(1219));
    auto *description = dialog->findChild<QLabel *>(ControlName(1221));
    EXPECT_EQ(info->count(), CInfoBoxContents().GetCount());
    EXPECT_EQ(style->count(), CTextBoxBorder().GetCount());
    EXPECT_EQ(description->palette().color(QPalette::Window), QColor(255, 255, 128));
    // Its caption shows over it, left-aligned with the box.
    const auto labels = dialog->findChildren<QLabel *>();
    const auto caption = std::find_if(labels.begin(), labels.end(),
                                      [](const QLabel *l) { return l->text() == QStringLiteral("Description"); });
    ASSERT_NE(caption, labels.end());
    EXPECT_EQ((*caption)->geometry().left(), description->geometry().left());
    EXPECT_LE((*caption)->geometry().bottom(), description->geometry().top());

    dialog->SetInfo(0);
    dialog->SetStyle(1);
    EXPECT_EQ(probe.applied, 0);
    EXPECT_FALSE(dialog->IsModified());

    const int last = info->count() - 1;
    info->setCurrentIndex(last);
    EXPECT_EQ(probe.applied, 1);
    EXPECT_EQ(probe.info, last);
    CInfoBoxContents contents;
    contents.SetIndex(last);
    std::array<unsigned, CInfoBoxContents::kMaxLines> ids{};
    const int count = contents.GetLineIds(ids);
    ASSERT_GT(count, 0);
    EXPECT_TRUE(description->text().startsWith(LoadString(ids[0])));
    EXPECT_EQ(description->text().count(QStringLiteral(", ")), count - 1);
    style->setCurrentIndex(2);
    EXPECT_EQ(probe.applied, 2);
}

// Deleting the primitive closes its dialog and tells the editor to open
// the properties of what is selected now (wParam 1).
TEST_F(PropertiesDlgTest, DeletingThePrimitiveClosesItsDialog)
{
    auto line = std::make_unique<CLine>(&canvas);
    QPointer<CPropertiesDlg> dialog = line->OpenProperties(&editor);
    ShowActive(dialog);
    line.reset();
    QTRY_VERIFY(dialog.isNull());
    ASSERT_EQ(editor.messages.size(), 2u);
    EXPECT_EQ(editor.messages[1].message, WM_PROPERTIES_CLOSED);
    EXPECT_EQ(editor.messages[1].wParam, 1u);
}

// The pin is one for all dialogs and outlives them.
TEST_F(PropertiesDlgTest, PinIsSharedByAllDialogs)
{
    CPropertiesDlg first(&editor, nullptr, IDD_DOT_PROPERTIES);
    first.findChild<CStateButton *>(ControlName(1203))->click();
    EXPECT_EQ(first.findChild<CStateButton *>(ControlName(1203))->GetState(), 0);
    CPropertiesDlg second(&editor, nullptr, IDD_GRID_PROPERTIES);
    EXPECT_EQ(second.findChild<CStateButton *>(ControlName(1203))->GetState(), 0);
    EXPECT_FALSE(CPropertiesDlg::IsPinned());
}

// Pictures of every dialog for a person to look at.
TEST_F(PropertiesDlgTest, Screenshots)
{
    CRectangle box(10, 20, 109, 119);
    box.SetCanvas(&canvas);
    std::unique_ptr<CPropertiesDlg> boxDialog(box.OpenProperties(&editor));
    boxDialog->show();
    SaveScreenshot(*boxDialog, QStringLiteral("properties-246-rectangle"));
    for (int id : {236, 243, 244, 245, 247, 248, 249, 250, 251}) {
        CPropertiesDlg dialog(&editor, nullptr, id);
        if (id == IDD_PROPERTIES)
            dialog.SetCase(CPropertiesDlg::kFrozen);
        if (id == IDD_INFO_BOX_PROPERTIES)
            dialog.SetInfo(5);
        dialog.show();
        EXPECT_GT(dialog.width(), 100);
        SaveScreenshot(dialog, QStringLiteral("properties-%1").arg(id));
    }
}

// Each primitive class's dialog as the insert command makes it: its
// caption, the values typed (Return applies, clamped to the field), and the
// line the primitive writes afterwards; markers, image options and block
// copies have none.
TEST_F(PropertiesDlgTest, EachPrimitiveTakesItsTypedValues)
{
    struct Typed {
        int id;
        const char *text;
    };
    struct Case {
        int type;
        const char *caption;
        std::vector<Typed> typed;
        const char *line;
    };
    const Case cases[] = {
        {0, "Dot Properties", {{1205, "100"}, {1208, "50"}}, "ADOT White 100 50"},
        {2, "Line Properties", {{1205, "1"}, {1208, "2"}, {1206, "3"}, {1209, "-4"}}, "LINE White 1 2 3 -4"},
        {3, "Triangle Properties", {{1205, "1"}, {1208, "2"}, {1206, "3"}, {1209, "4"}, {1207, "5"}, {1210, "6"}},
         "TRIA White  1 2  3 4  5 6  GrayPat0"},
        {4, "Rectangle Properties", {{1205, "5"}, {1208, "6"}, {1214, "10"}, {1215, "99999"}},
         "RECT White  10 32767  5 6  GrayPat0"},
        {5, "Oval Properties", {{1205, "5"}, {1208, "6"}, {1214, "10"}, {1215, "20"}}, "OVAL White  9 19  5 6  GrayPat0"},
        {10, "Text Properties", {{1205, "100"}, {1208, "50"}, {1217, "AB"}}, "TEXT White 100 50 sys16 \"AB\""},
        {11, "Grid Properties", {{1205, "4"}, {1208, "0"}}, "GRID White 4 1"},
        {13, "Hatch Properties", {{1205, "4"}, {1208, "7"}}, "HATO White 4 7"},
        {17, "Grill Properties", {{1205, "0"}, {1208, "0"}}, "GRIH White 1 0"},
        {18, "Grill Properties", {{1205, "12"}, {1208, "3"}}, "GRIV White 12 3"},
        {6, "Dot Properties", {{1205, "100"}, {1208, "50"}}, "FORM White 100 50"},
        {7, "Dot Properties", {{1205, "-3"}, {1208, "4"}}, "SNUM White -3 4"},
        {8, "Information Box Properties", {{1205, "0.25"}, {1208, "0.125"}}, "TBOX White 0.250 0.125  0 0"},
        {9, "Character Box Properties", {{1205, "5"}, {1208, "6"}, {1214, "10"}, {1215, "20"}, {1218, "65"}},
         "PAGE White 10 20 5 6 sys16 65"},
        {14, nullptr, {}, nullptr},
        {20, nullptr, {}, nullptr},
        {25, nullptr, {}, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.type);
        std::unique_ptr<CPrimitive> primitive = MakePrimitive(c.type, &canvas);
        ASSERT_NE(primitive, nullptr);
        std::unique_ptr<CPropertiesDlg> dialog(primitive->OpenProperties(&editor));
        if (!c.caption) {
            EXPECT_EQ(dialog, nullptr);
            continue;
        }
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QString::fromLatin1(c.caption));
        ShowActive(dialog.get());
        QLineEdit *edit = nullptr;
        for (const Typed &typed : c.typed) {
            edit = dialog->findChild<QLineEdit *>(ControlName(typed.id));
            ASSERT_NE(edit, nullptr) << typed.id;
            Type(edit, QString::fromLatin1(typed.text));
        }
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_EQ(primitive->GetCommandText(), QString::fromLatin1(c.line));
        EXPECT_FALSE(dialog->IsModified());
        dialog.reset();
    }
}

} // namespace

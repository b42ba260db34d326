// The property dialogs of the character box, the information boxes and
// the group, on a canvas whose client pixels are image pixels: what each
// shows, what it writes back on Return (and the canvas's change mark),
// the limits of its fields, the information box's ratios, combos and
// description, the values shown while a handle is dragged, and the
// primitives that have no dialog.

#include "CBlockCopy.h"
#include "CCanvas.h"
#include "CCharacterBox.h"
#include "CDot.h"
#include "CGroup.h"
#include "CInformationBox.h"
#include "CPrimitiveHandle.h"
#include "CPropertiesDlg.h"
#include "CRectangle.h"
#include "CRenderMap.h"
#include "CValueEdit.h"
#include "CanvasDoubles.h"
#include "DialogUnits.h"
#include "ListPaneDoubles.h"
#include "PrimitiveTypes.h"
#include "TestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>

#include <climits>
#include <functional>
#include <memory>
#include <vector>

namespace {

class PrimitivePropertiesTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        CPropertiesDlg::SetPinned(true);
        canvas.SetLimits(639, 479);
        canvas.SetEditor(&canvasEditor);
        canvas.resize(640, 480);
        canvas.show();
        editor.resize(200, 100);
        editor.show();
        QCoreApplication::processEvents();
    }
    void TearDown() override
    {
        CPropertiesDlg::SetPinned(true);
        PlatformTest::TearDown();
    }

    template <class T>
    T &Put(std::unique_ptr<T> primitive)
    {
        T &added = pane.Add(std::move(primitive));
        added.Select();
        return added;
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

    static QLineEdit *Field(QWidget *dialog, int id) { return dialog->findChild<QLineEdit *>(ControlName(id)); }
    static QString Text(QWidget *dialog, int id)
    {
        const QLineEdit *edit = Field(dialog, id);
        return edit ? edit->text() : QStringLiteral("<none>");
    }

    // The user replaces a field's text (or empties it).
    static void Type(QLineEdit *edit, const QString &text)
    {
        edit->setFocus();
        edit->selectAll();
        if (text.isEmpty())
            QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }

    // Presses the handle at its centre and moves it to a client point.
    void Press(CPrimitiveHandle &handle, const QPoint &to)
    {
        ASSERT_TRUE(handle.IsShown());
        ASSERT_EQ(canvas.HandleAt(handle.Point()), &handle);
        QTest::mousePress(&canvas, Qt::LeftButton, {}, handle.Point());
        QMouseEvent move(QEvent::MouseMove, QPointF(to), canvas.mapToGlobal(QPointF(to)), Qt::NoButton,
                         Qt::LeftButton, {});
        QCoreApplication::sendEvent(&canvas, &move);
    }

    CCanvas canvas;
    imagetest::ListPaneDouble pane{canvas};
    imagetest::CanvasEditorDouble canvasEditor;
    listpanetest::EditorDouble editor;
};

TEST_F(PrimitivePropertiesTest, CharacterBoxShowsAndTakesItsValues)
{
    CCharacterBox &box = Put(std::make_unique<CCharacterBox>(10, 20, 109, 69, CNamedColour::kWhite, 0, 65));
    std::unique_ptr<CPropertiesDlg> dialog(box.OpenProperties(&editor));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(box.GetPropertyDialog(), dialog.get());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Character Box Properties"));
    EXPECT_EQ(Text(dialog.get(), 1205), QStringLiteral("10"));
    EXPECT_EQ(Text(dialog.get(), 1208), QStringLiteral("20"));
    EXPECT_EQ(Text(dialog.get(), 1214), QStringLiteral("100"));
    EXPECT_EQ(Text(dialog.get(), 1215), QStringLiteral("50"));
    EXPECT_EQ(Text(dialog.get(), 1218), QStringLiteral("65"));
    EXPECT_FALSE(dialog->IsModified());

    ShowActive(dialog.get());
    Type(Field(dialog.get(), 1205), QStringLiteral("5"));
    Type(Field(dialog.get(), 1208), QStringLiteral("6"));
    Type(Field(dialog.get(), 1214), QStringLiteral("1"));
    Type(Field(dialog.get(), 1215), QStringLiteral("20"));
    Type(Field(dialog.get(), 1218), QStringLiteral("66"));
    EXPECT_EQ(canvasEditor.changed, 0) << "nothing is taken before Return";
    QTest::keyClick(Field(dialog.get(), 1218), Qt::Key_Return);
    // Width 1 is a box one pixel wide: x2 = x1.
    EXPECT_EQ(box.TopLeft(), QPoint(5, 6));
    EXPECT_EQ(box.BottomRight(), QPoint(5, 25));
    EXPECT_EQ(box.Code(), 66);
    EXPECT_TRUE(box.GetCommandText().startsWith(QStringLiteral("PAGE White 1 20 5 6 ")));
    EXPECT_TRUE(box.GetCommandText().endsWith(QStringLiteral(" 66")));
    EXPECT_TRUE(canvas.IsChanged());
    EXPECT_EQ(canvasEditor.changed, 1);
    EXPECT_FALSE(dialog->IsModified());
    EXPECT_EQ(Text(dialog.get(), 1214), QStringLiteral("1"));
}

// The code field takes digits only and 0..255: a typed value beyond it is
// the nearest limit, whether Return comes in the field or after leaving it.
TEST_F(PrimitivePropertiesTest, CharacterCodeKeepsToItsRange)
{
    const struct {
        const char *typed;
        bool leaveFirst; // the focus moves to X before Return
        int code;
        const char *shown;
    } rows[] = {
        {"300", false, 255, "300"}, {"300", true, 255, "255"}, {"-5", false, 0, "-5"},
        {"-5", true, 0, "0"},       {"6a5", false, 65, "65"},  {"255", false, 255, "255"},
        {"0", true, 0, "0"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.typed);
        SCOPED_TRACE(row.leaveFirst);
        pane.primitives.clear();
        CCharacterBox &box = Put(std::make_unique<CCharacterBox>(10, 20, 109, 69, CNamedColour::kWhite, 0, 35));
        std::unique_ptr<CPropertiesDlg> dialog(box.OpenProperties(&editor));
        ShowActive(dialog.get());
        QLineEdit *code = Field(dialog.get(), 1218);
        Type(code, QString::fromLatin1(row.typed));
        QLineEdit *x = Field(dialog.get(), 1205);
        if (row.leaveFirst)
            x->setFocus();
        EXPECT_EQ(code->text(), QString::fromLatin1(row.shown));
        QTest::keyClick(row.leaveFirst ? x : code, Qt::Key_Return);
        EXPECT_EQ(box.Code(), row.code);
        EXPECT_EQ(box.TopLeft(), QPoint(10, 20)) << "untouched fields stay";
        EXPECT_FALSE(dialog->IsModified());
    }
}

// A code beyond the field's range (from a line) is shown as it is and
// stays when only another field changes.
TEST_F(PrimitivePropertiesTest, CharacterCodeFromALineIsKeptWhenAnotherFieldChanges)
{
    CCharacterBox &box = Put(std::make_unique<CCharacterBox>(10, 20, 109, 69, CNamedColour::kWhite, 0, 300));
    std::unique_ptr<CPropertiesDlg> dialog(box.OpenProperties(&editor));
    EXPECT_EQ(Text(dialog.get(), 1218), QStringLiteral("300"));
    ShowActive(dialog.get());
    Type(Field(dialog.get(), 1205), QStringLiteral("7"));
    QTest::keyClick(Field(dialog.get(), 1205), Qt::Key_Return);
    EXPECT_EQ(box.TopLeft(), QPoint(7, 20));
    EXPECT_EQ(box.BottomRight(), QPoint(106, 69));
    EXPECT_EQ(box.Code(), 300);
}

// The format and step boxes show their anchor in the dot's dialog; the
// information box its ratios, contents and border.
TEST_F(PrimitivePropertiesTest, InformationBoxesShowTheirValues)
{
    const struct {
        std::function<std::unique_ptr<CInformationBox>()> make;
        const char *caption;
        const char *x;
        const char *y;
        int info;  // -1: no combos
        int style;
        const char *description;
    } rows[] = {
        {[] { return std::make_unique<CInformationBox>(CInformationBox::kFormatBox, 256, 223); }, "Dot Properties", "256",
         "223", -1, -1, nullptr},
        {[] { return std::make_unique<CInformationBox>(CInformationBox::kStepBox, -4, 70000); }, "Dot Properties", "-4",
         "70000", -1, -1, nullptr},
        {[] { return std::make_unique<CInformationBox>(0.25, 0.75, 14, 3); }, "Information Box Properties", "0.2500",
         "0.7500", 14, 3,
         "Current Format Name, Current Image Name, Horizontal Rate, Vertical Rate, Current Sequence Name, "
         "Current Sequence Step Number"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.caption);
        pane.primitives.clear();
        CInformationBox &box = Put(row.make());
        std::unique_ptr<CPropertiesDlg> dialog(box.OpenProperties(&editor));
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QString::fromLatin1(row.caption));
        EXPECT_EQ(Text(dialog.get(), 1205), QString::fromLatin1(row.x));
        EXPECT_EQ(Text(dialog.get(), 1208), QString::fromLatin1(row.y));
        auto *info = dialog->findChild<QComboBox *>(ControlName(1220));
        auto *style = dialog->findChild<QComboBox *>(ControlName(1219));
        auto *description = dialog->findChild<QLabel *>(ControlName(1221));
        if (row.info < 0) {
            EXPECT_EQ(info, nullptr);
            EXPECT_EQ(style, nullptr);
        } else {
            ASSERT_NE(info, nullptr);
            ASSERT_NE(style, nullptr);
            ASSERT_NE(description, nullptr);
            EXPECT_EQ(info->currentIndex(), row.info);
            EXPECT_EQ(style->currentIndex(), row.style);
            EXPECT_EQ(description->text(), QString::fromLatin1(row.description));
        }
        EXPECT_FALSE(dialog->IsModified());
        EXPECT_EQ(canvasEditor.changed, 0);
    }
}

// Typed ratios place the box at round(width x ratio), half up, on the
// canvas's image (640 x 480 without a canvas); ratios far beyond any image
// are cut as a line's are; what is no number is 0.
TEST_F(PrimitivePropertiesTest, InformationBoxRatiosPlaceItRoundedHalfUp)
{
    const struct {
        int largestX; // -1: no canvas
        int largestY;
        const char *x;
        const char *y;
        QPoint anchor;
        const char *line;
    } rows[] = {
        {639, 479, "0.5", "0.5", {320, 240}, "TBOX White 0.500 0.500  0 0"},
        {639, 479, "0.25", "0.1", {160, 48}, "TBOX White 0.250 0.100  0 0"},
        // 1024 x 768: 0.5 and 1.5 pixels go up, 0.4999 and -1.5 towards zero.
        {1023, 767, "0.00048828125", "0.001953125", {1, 2}, "TBOX White 0.000 0.002  0 0"},
        {1023, 767, "0.0004882", "-0.001953125", {0, -1}, "TBOX White 0.000 -0.002  0 0"},
        {799, 599, "1", "+1", {800, 600}, "TBOX White 1.000 1.000  0 0"},
        {-1, -1, "0.5", "0.5", {320, 240}, "TBOX White 0.500 0.500  0 0"},
        {-1, -1, "0.9999", "0.001", {640, 0}, "TBOX White 1.000 0.001  0 0"},
        {639, 479, "99999999999", "-99999999999", {INT_MAX, INT_MIN},
         "TBOX White 16777216.000 -16777216.000  0 0"},
        {639, 479, "", "-", {0, 0}, "TBOX White 0.000 0.000  0 0"},
        {639, 479, ".", "1-2", {0, 480}, "TBOX White 0.000 1.000  0 0"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(QStringLiteral("%1 x %2: %3, %4").arg(row.largestX).arg(row.largestY).arg(row.x, row.y).toStdString());
        pane.primitives.clear();
        std::unique_ptr<CInformationBox> loose;
        CInformationBox *box = nullptr;
        if (row.largestX < 0) {
            loose = std::make_unique<CInformationBox>(0.3, 0.3, 0, 0);
            box = loose.get();
        } else {
            canvas.SetLimits(row.largestX, row.largestY);
            box = &Put(std::make_unique<CInformationBox>(&canvas, CInformationBox::kInfoBox));
        }
        std::unique_ptr<CPropertiesDlg> dialog(box->OpenProperties(&editor));
        ShowActive(dialog.get());
        Type(Field(dialog.get(), 1205), QString::fromLatin1(row.x));
        Type(Field(dialog.get(), 1208), QString::fromLatin1(row.y));
        QTest::keyClick(Field(dialog.get(), 1208), Qt::Key_Return);
        EXPECT_EQ(box->Anchor(), row.anchor);
        EXPECT_EQ(box->GetCommandText(), QString::fromLatin1(row.line));
        EXPECT_FALSE(dialog->IsModified());
    }
    canvas.SetLimits(639, 479);
    EXPECT_EQ(canvasEditor.changed, 1) << "the first change marks the canvas";
}

// Another "Info" entry shows its lines and is taken at once, with a ratio
// typed before it; the box takes the size of its contents. "Style" is
// taken at once too.
TEST_F(PrimitivePropertiesTest, InformationBoxCombosAreTakenAtOnce)
{
    const struct {
        int info;
        QPoint half;
        const char *description;
    } rows[] = {
        {0, {114, 17}, "Current Format Name, Current Image Name, Horizontal Rate, Vertical Rate"},
        {4, {58, 13}, "Current Sequence Step Number"},
        {8, {57, 17}, "Pixel Rate, ??? AHV ???"},
        {11, {114, 17}, "Horizontal Rate, Vertical Rate, Current Sequence Name, Current Sequence Step Number"},
        {15, {114, 24},
         "Current Format Name, Current Image Name, Pixel Rate, ??? AHV ???, Current Sequence Name, Current Sequence Step "
         "Number"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.info);
        pane.primitives.clear();
        canvas.ClearChanged();
        CInformationBox &box = Put(std::make_unique<CInformationBox>(0.5, 0.5, 1, 0));
        std::unique_ptr<CPropertiesDlg> dialog(box.OpenProperties(&editor));
        ShowActive(dialog.get());
        Type(Field(dialog.get(), 1205), QStringLiteral("0.25"));
        auto *info = dialog->findChild<QComboBox *>(ControlName(1220));
        info->setCurrentIndex(row.info);
        EXPECT_EQ(dialog->findChild<QLabel *>(ControlName(1221))->text(), QString::fromLatin1(row.description));
        EXPECT_EQ(box.Contents(), row.info);
        EXPECT_EQ(box.HalfSize(), row.half);
        EXPECT_EQ(box.Anchor(), QPoint(160, 240));
        EXPECT_EQ(box.GetCommandText(), QStringLiteral("TBOX White 0.250 0.500  %1 0").arg(row.info));
        EXPECT_TRUE(canvas.IsChanged());
        EXPECT_FALSE(dialog->IsModified());

        dialog->findChild<QComboBox *>(ControlName(1219))->setCurrentIndex(3);
        EXPECT_EQ(box.Border(), 3);
        EXPECT_EQ(box.GetCommandText(), QStringLiteral("TBOX White 0.250 0.500  %1 3").arg(row.info));
        EXPECT_EQ(info->currentIndex(), row.info);
    }
}

TEST_F(PrimitivePropertiesTest, FormatAndStepBoxesTakeTheirAnchor)
{
    for (int type : {CInformationBox::kFormatBox, CInformationBox::kStepBox}) {
        SCOPED_TRACE(type);
        pane.primitives.clear();
        CInformationBox &box = Put(std::make_unique<CInformationBox>(&canvas, type));
        std::unique_ptr<CPropertiesDlg> dialog(box.OpenProperties(&editor));
        ShowActive(dialog.get());
        Type(Field(dialog.get(), 1205), QStringLiteral("-40000"));
        Type(Field(dialog.get(), 1208), QStringLiteral("50"));
        QTest::keyClick(Field(dialog.get(), 1208), Qt::Key_Return);
        EXPECT_EQ(box.Anchor(), QPoint(-32768, 50)) << "the field's range";
        EXPECT_EQ(box.GetCommandText(),
                  QStringLiteral("%1 White -32768 50").arg(type == CInformationBox::kFormatBox ? "FORM" : "SNUM"));
        EXPECT_EQ(box.Handle(1)->Point(), QPoint(-32768, 50)) << "handle 1 stands on the anchor";
    }
}

// Entering X 100, Y 100 moves the group's top-left corner there and every
// member by as much.
TEST_F(PrimitivePropertiesTest, GroupMovesWholeToTheCornerEntered)
{
    auto made = std::make_unique<CGroup>(QPoint(0, 0), QPoint(0, 0));
    made->AddMember(new CRectangle(50, 60, 70, 80), 0, true);
    made->AddMember(new CDot(90, 100), 1, true);
    CGroup &group = Put(std::move(made));
    std::unique_ptr<CPropertiesDlg> dialog(group.OpenProperties(&editor));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Group Properties"));
    EXPECT_EQ(dialog->TemplateId(), 244);
    // A dot's bounds reach a pixel around it.
    EXPECT_EQ(Text(dialog.get(), 1205), QStringLiteral("50"));
    EXPECT_EQ(Text(dialog.get(), 1208), QStringLiteral("60"));

    ShowActive(dialog.get());
    Type(Field(dialog.get(), 1205), QStringLiteral("100"));
    Type(Field(dialog.get(), 1208), QStringLiteral("100"));
    QTest::keyClick(Field(dialog.get(), 1208), Qt::Key_Return);
    EXPECT_EQ(group.TopLeft(), QPoint(100, 100));
    EXPECT_EQ(group.BottomRight(), QPoint(141, 141));
    EXPECT_EQ(group.Members()[0]->GetCommandText(), QStringLiteral("RECT White  21 21  100 100  GrayPat0"));
    EXPECT_EQ(group.Members()[1]->GetCommandText(), QStringLiteral("ADOT White 140 140"));
    EXPECT_EQ(group.GetCommandText(), QStringLiteral("Group: (100,100) 2 Objects"));
    EXPECT_TRUE(canvas.IsChanged());
    EXPECT_EQ(canvasEditor.changed, 1);
}

// While a handle is dragged the dialog shows what the drag would give, and
// after it the primitive's new values; nothing is applied from the dialog.
TEST_F(PrimitivePropertiesTest, DialogFollowsAHandleDrag)
{
    const struct {
        const char *what;
        std::function<CPrimitive &()> put;
        int handle;
        QPoint by;
        std::vector<std::pair<int, const char *>> fields;
    } rows[] = {
        {"character box, centre",
         [this]() -> CPrimitive & { return Put(std::make_unique<CCharacterBox>(100, 100, 199, 149)); }, 9, {10, 5},
         {{1205, "110"}, {1208, "105"}, {1214, "100"}, {1215, "50"}, {1218, "35"}}},
        {"information box", [this]() -> CPrimitive & { return Put(std::make_unique<CInformationBox>(0.5, 0.5, 0, 2)); }, 1,
         {64, 48}, {{1205, "0.6000"}, {1208, "0.6000"}}},
        {"step box", [this]() -> CPrimitive & {
             return Put(std::make_unique<CInformationBox>(CInformationBox::kStepBox, 200, 100));
         },
         5, {-7, 3}, {{1205, "193"}, {1208, "103"}}},
        {"group",
         [this]() -> CPrimitive & {
             auto group = std::make_unique<CGroup>(QPoint(0, 0), QPoint(0, 0));
             group->AddMember(new CRectangle(50, 60, 70, 80), 0, true);
             return Put(std::move(group));
         },
         9, {7, 3}, {{1205, "57"}, {1208, "63"}}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        pane.primitives.clear();
        canvas.ClearChanged();
        canvasEditor.changed = 0;
        CPrimitive &primitive = row.put();
        std::unique_ptr<CPropertiesDlg> dialog(primitive.OpenProperties(&editor));
        CPrimitiveHandle &handle = *primitive.Handle(row.handle);
        Press(handle, handle.Point() + row.by);
        ASSERT_TRUE(primitive.IsTracking());
        for (const auto &[id, text] : row.fields)
            EXPECT_EQ(Text(dialog.get(), id), QString::fromLatin1(text)) << "during the drag, field " << id;
        QTest::mouseRelease(&canvas, Qt::LeftButton, {}, handle.Point());
        ASSERT_FALSE(primitive.IsTracking());
        for (const auto &[id, text] : row.fields)
            EXPECT_EQ(Text(dialog.get(), id), QString::fromLatin1(text)) << "after the drag, field " << id;
        EXPECT_FALSE(dialog->IsModified());
        EXPECT_EQ(canvasEditor.changed, 1);
    }
}

// No dialog: the editor shows its placeholder. The block copy does not
// take its rectangle's.
TEST_F(PrimitivePropertiesTest, PrimitivesWithoutADialog)
{
    const struct {
        const char *what;
        std::function<std::unique_ptr<CPrimitive>()> make;
    } rows[] = {
        {"block copy", [this] { return MakePrimitive(25, &canvas); }},
        {"render map", [] { return std::make_unique<CRenderMap>(10, 10, QStringLiteral("Arrow"), 32, 32); }},
        {"centre mark", [this] { return MakePrimitive(14, &canvas); }},
        {"limit markers", [this] { return MakePrimitive(16, &canvas); }},
        {"no gamma correction", [this] { return MakePrimitive(21, &canvas); }},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        std::unique_ptr<CPrimitive> primitive = row.make();
        ASSERT_NE(primitive, nullptr);
        EXPECT_EQ(primitive->OpenProperties(&editor), nullptr);
        EXPECT_EQ(primitive->GetPropertyDialog(), nullptr);
        EXPECT_TRUE(editor.findChildren<QDialog *>().isEmpty());
    }
}

} // namespace

#include "CNameDlg.h"
#include "CNameEdit.h"
#include "DialogUnits.h"
#include "TestSupport.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

class CNameDlgTest : public PlatformTest {
protected:
    // Runs the dialog on name; fill plays the user.
    int Run(CNameDlg &dialog, std::function<void(QDialog &)> fill)
    {
        prompter.ExpectDialog(PromptMatch::Caption(QStringLiteral("Name...")), std::move(fill));
        return DoModal(dialog);
    }
};

CNameEdit *Edit(QDialog &d) { return FindControl<CNameEdit>(&d, IDC_NAME); }
QPushButton *Button(QDialog &d, int id) { return FindControl<QPushButton>(&d, id); }

TEST_F(CNameDlgTest, ShowsTheNameAndItsRule)
{
    CNameDlg dialog(nullptr, QStringLiteral("Format"));
    EXPECT_EQ(dialog.objectName(), QStringLiteral("id134"));
    EXPECT_EQ(Run(dialog,
                  [](QDialog &d) {
                      ASSERT_NE(Edit(d), nullptr);
                      EXPECT_EQ(Edit(d)->text(), QStringLiteral("Format"));
                      EXPECT_EQ(Edit(d)->selectedText(), QStringLiteral("Format"));
                      EXPECT_EQ(FindControl<QLabel>(&d, 1026)->text(),
                                QStringLiteral("Enter a name, up to 8 characters."));
                      EXPECT_EQ(FindControl<QLabel>(&d, 1027)->text(), QStringLiteral("Valid:  0-9  a-z  A-Z _"));
                      QTest::mouseClick(Button(d, IDOK), Qt::LeftButton);
                  }),
              IDOK);
    EXPECT_EQ(dialog.GetName(), QStringLiteral("Format"));
}

TEST_F(CNameDlgTest, OkTakesTheTypedName)
{
    CNameDlg dialog(nullptr, QStringLiteral("Format"));
    EXPECT_EQ(Run(dialog,
                  [](QDialog &d) {
                      QTest::keyClicks(Edit(d), QStringLiteral("VGA_640x480")); // replaces the selection
                      EXPECT_EQ(Edit(d)->text(), QStringLiteral("VGA_640x"));
                      QTest::keyClick(Edit(d), Qt::Key_Return); // the default button
                  }),
              IDOK);
    EXPECT_EQ(dialog.GetName(), QStringLiteral("VGA_640x"));
}

TEST_F(CNameDlgTest, AnEmptyNameCannotBeTaken)
{
    CNameDlg dialog(nullptr, QStringLiteral("Format"));
    EXPECT_EQ(Run(dialog,
                  [](QDialog &d) {
                      QTest::keyClick(Edit(d), Qt::Key_Delete);
                      EXPECT_FALSE(Button(d, IDOK)->isEnabled());
                      d.accept();
                      ASSERT_TRUE(d.isVisible()) << "an empty name was taken";
                      QTest::keyClicks(Edit(d), QStringLiteral("A"));
                      EXPECT_TRUE(Button(d, IDOK)->isEnabled());
                      QTest::mouseClick(Button(d, IDOK), Qt::LeftButton);
                  }),
              IDOK);
    EXPECT_EQ(dialog.GetName(), QStringLiteral("A"));
}

TEST_F(CNameDlgTest, ANameThatBreaksTheRuleMustBeCorrectedFirst)
{
    CNameDlg dialog(nullptr, QStringLiteral("Bad-Name"));
    EXPECT_EQ(Run(dialog,
                  [](QDialog &d) {
                      EXPECT_FALSE(Button(d, IDOK)->isEnabled());
                      Edit(d)->setSelection(3, 1);
                      QTest::keyClicks(Edit(d), QStringLiteral("_"));
                      EXPECT_EQ(Edit(d)->text(), QStringLiteral("Bad_Name"));
                      QTest::mouseClick(Button(d, IDOK), Qt::LeftButton);
                  }),
              IDOK);
    EXPECT_EQ(dialog.GetName(), QStringLiteral("Bad_Name"));
}

TEST_F(CNameDlgTest, CancelEndsWithCancel)
{
    CNameDlg dialog(nullptr, QStringLiteral("Format"));
    EXPECT_EQ(Run(dialog,
                  [](QDialog &d) {
                      QTest::keyClicks(Edit(d), QStringLiteral("Other"));
                      QTest::mouseClick(Button(d, IDCANCEL), Qt::LeftButton);
                  }),
              IDCANCEL);
}

} // namespace

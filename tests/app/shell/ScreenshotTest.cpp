// Pictures of the main window, the about box and the data-type dialog as
// they come up, saved to $ZOT_SCREENSHOT_DIR when it is set (for a person to
// look at; nothing depends on them). Each also checks what a look would
// catch: text cut off, a missing picture, start-up text left standing.
#include "CAboutDlg.h"
#include "CDataListView.h"
#include "CMainWindow.h"
#include "CSelectDataTypeDlg.h"
#include "DataKindRegistry.h"
#include "DialogUnits.h"
#include "ShellImages.h"
#include "ShellTestSupport.h"

#include <QAction>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

namespace {

class ScreenshotTest : public ShellTest {
protected:

    // Every label shows its whole text.
    static void ExpectLabelsFit(const QWidget &dialog)
    {
        for (const QLabel *label : dialog.findChildren<QLabel *>()) {
            if (label->text().isEmpty())
                continue;
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
                << qPrintable(label->text());
        }
    }
};

TEST_F(ScreenshotTest, MainWindow)
{
    RegisterProgramDataKinds();
    MakeWindow();
    window->show();
    List().NewItem(kIconFormat);
    List().NewItem(kIconKnobList);
    window->UpdateControls();
    QCoreApplication::processEvents();
    EXPECT_EQ(window->findChild<QLabel *>(QStringLiteral("id105"))->text(), "") << "start-up is over";
    EXPECT_EQ(window->statusBar()->currentMessage(), "Ready.");
    for (QAction *action : window->findChild<QToolBar *>(QStringLiteral("id202"))->actions()) {
        if (!action->isSeparator()) {
            EXPECT_FALSE(action->icon().isNull()) << qPrintable(action->objectName());
        }
    }
    EXPECT_FALSE(List().List()->topLevelItem(0)->icon(0).isNull()) << "kind icon and mark";
    SaveScreenshot(*window, QStringLiteral("main-window"));
}

TEST_F(ScreenshotTest, AboutBox)
{
    CAboutDlg about;
    about.show();
    EXPECT_EQ(FindControl<QLabel>(&about, IDC_LIBRARY_VERSION)->text(), "DLL Vers 3.530");
    ExpectLabelsFit(about);
    SaveScreenshot(about, QStringLiteral("about-box"));
    about.accept();
}

TEST_F(ScreenshotTest, DataTypeDialog)
{
    MakeWindow();
    prompter.ExpectDialog(PromptMatch::Caption("Select a data type"), [](QDialog &dialog) {
        auto &select = static_cast<CSelectDataTypeDlg &>(dialog);
        ASSERT_EQ(select.m_list->count(), 2);
        for (int row = 0; row < select.m_list->count(); ++row)
            EXPECT_FALSE(select.m_list->item(row)->icon().isNull()) << row;
        ExpectLabelsFit(dialog);
        SaveScreenshot(dialog, QStringLiteral("data-type-dialog"));
        dialog.reject();
    });
    List().OnFileNew();
}

} // namespace

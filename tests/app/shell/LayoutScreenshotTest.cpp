// What a look at the windows would catch, checked and saved to
// $ZOT_SCREENSHOT_DIR: the data list's name column cutting names short, a
// generator view opening off the screen or giving a wider window to its
// status rows, and captions cut short by a narrow dialog or box.
#include "CBaudRateDlg.h"
#include "CDataListView.h"
#include "CGeneratorDataPane.h"
#include "CGeneratorStatusPane.h"
#include "CMainWindow.h"
#include "Profile.h"
#include "ShellImages.h"
#include "ShellTestSupport.h"
#include "WindowCaption.h"

#include <QAbstractItemDelegate>
#include <QApplication>
#include <QHeaderView>
#include <QMessageBox>
#include <QScreen>
#include <QSplitter>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace {

class LayoutScreenshotTest : public ShellTest {};

TEST_F(LayoutScreenshotTest, NameColumnHoldsTheMarkTheIconAndEightCharacters)
{
    MakeWindow();
    window->show();
    CGenData *item = List().NewItem(kIconFormat);
    item->SetName("WWWWWWWW");
    List().RefreshItem(item);
    QTreeWidget *list = List().List();
    QStyleOptionViewItem option;
    option.initFrom(list->viewport());
    option.font = list->font();
    option.decorationSize = list->iconSize();
    option.features = QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration;
    const QModelIndex index = list->model()->index(0, 0);
    const int needed = list->itemDelegate()->sizeHint(option, index).width();
    EXPECT_GE(list->header()->sectionSize(0), needed) << "the name is not cut short";
    EXPECT_EQ(list->topLevelItem(0)->toolTip(0), "Changed since it was last saved") << "the mark says what it means";
    SaveScreenshot(*window, QStringLiteral("data-list-name-column"));
}

TEST_F(LayoutScreenshotTest, GeneratorViewOpensOnTheScreenAndWideningGrowsOnlyTheDataPane)
{
    MakeWindow();
    // A size saved on a larger screen.
    WriteProfileInt("Window", "GenView W", 5000);
    WriteProfileInt("Window", "GenView H", 4000);
    WriteProfileInt("Window", "GenView SP", 180);
    TestGeneratorView *view = AddGenerator(0x00020001, "VG-7000", "Com-1");
    view->CreateFrame();
    view->show();
    QCoreApplication::processEvents();
    const QRect screen = view->screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(view->frameGeometry())) << "on a screen of " << screen.width() << " x "
                                                        << screen.height();
    SaveScreenshot(*view, QStringLiteral("generator-view-on-screen"));

    const QList<int> before = view->Splitter()->sizes();
    view->resize(view->width() - 150, view->height());
    QCoreApplication::processEvents();
    const QList<int> narrower = view->Splitter()->sizes();
    view->resize(view->width() + 150, view->height());
    QCoreApplication::processEvents();
    const QList<int> wider = view->Splitter()->sizes();
    EXPECT_EQ(narrower.value(0), before.value(0)) << "the status pane keeps its width";
    EXPECT_EQ(wider.value(0), before.value(0));
    EXPECT_EQ(wider.value(1) - narrower.value(1), 150) << "the data pane takes the room";
    SaveScreenshot(*view, QStringLiteral("generator-view-widened"));
}

TEST_F(LayoutScreenshotTest, TheBaudRateDialogIsAsWideAsItsCaption)
{
    prompter.ExpectDialog(PromptMatch::Caption("Baud Rate Selection"), [](QDialog &dialog) {
        EXPECT_GE(dialog.width(), CaptionWidth(dialog));
        dialog.show();
        SaveScreenshot(dialog, QStringLiteral("baud-rate-dialog"));
        dialog.reject();
    });
    CBaudRateDlg dialog(nullptr, nullptr);
    DoModal(dialog);
}

TEST_F(LayoutScreenshotTest, AShortBoxIsAsWideAsItsCaption)
{
    // The program's own boxes, not the scripted ones: the box is looked at
    // and closed once it shows.
    InstallPrompter(nullptr);
    int width = 0;
    int needed = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        closer.stop();
        width = box->width();
        needed = CaptionWidth(*box);
        SaveScreenshot(*box, QStringLiteral("invalid-file-type-box"));
        box->button(QMessageBox::Ok)->click();
    });
    closer.start(10);
    AfxMessageBox(PromptText("Invalid File Type"), MB_OK);
    InstallPrompter(&prompter);
    EXPECT_GT(needed, 0) << "the box showed";
    EXPECT_GE(width, needed);
}

} // namespace

#include "CProgressDlg.h"

#include "DialogUnits.h"
#include "TestSupport.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

class ProgressDlgTest : public PlatformTest {
protected:
    void TearDown() override
    {
        CProgressDlg::SetExternalCancel({});
        PlatformTest::TearDown();
    }

    static QPushButton *CancelButton(CProgressDlg &dlg) { return FindControl<QPushButton>(&dlg, 1227); }
};

TEST_F(ProgressDlgTest, ShowsStatusLinesOnYellow)
{
    CProgressDlg dlg(nullptr, false);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Veltrane Zotware"));
    dlg.SetStatus(1029, QStringLiteral("Connecting on com1..."));
    dlg.SetStatus(1030, QStringLiteral("Attempting to handshake."));
    dlg.SetStatus(1227, QStringLiteral("not a status line"));
    EXPECT_EQ(FindControl<QLabel>(&dlg, 1029)->text(), QStringLiteral("Connecting on com1..."));
    EXPECT_EQ(FindControl<QLabel>(&dlg, 1030)->text(), QStringLiteral("Attempting to handshake."));
    EXPECT_EQ(CancelButton(dlg)->text(), QStringLiteral("&Cancel"));

    const QImage picture = dlg.grab().toImage();
    const QLabel *step = FindControl<QLabel>(&dlg, 1030);
    EXPECT_EQ(picture.pixelColor(dlg.width() - 2, 1), QColor(255, 255, 128)); // the dialog's background
    EXPECT_EQ(picture.pixelColor(step->geometry().bottomRight() - QPoint(1, 1)), QColor(Qt::black));
    EXPECT_EQ(step->palette().color(QPalette::WindowText), QColor(0, 255, 0));
    EXPECT_TRUE(dlg.IsAnimating());
    SaveScreenshot(dlg, QStringLiteral("Progress"));

    dlg.DestroyWindow();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_FALSE(dlg.IsAnimating());
}

enum class Action { ClickCancel, ClickCancelTwice, Escape, CloseWindow, None };

TEST_F(ProgressDlgTest, OnlyTheCancelButtonOrEscWithItCancels)
{
    const struct {
        const char *name;
        bool showCancel;
        Action action;
        bool cancelled;
    } cases[] = {
        {"click", true, Action::ClickCancel, true},
        {"click twice", true, Action::ClickCancelTwice, true},
        {"esc with cancel", true, Action::Escape, true},
        {"esc without cancel", false, Action::Escape, false},
        {"close without cancel", false, Action::CloseWindow, false},
        {"nothing", true, Action::None, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        CProgressDlg dlg(nullptr, c.showCancel);
        QPushButton *cancel = CancelButton(dlg);
        EXPECT_EQ(cancel->isVisible(), c.showCancel);
        switch (c.action) {
        case Action::ClickCancelTwice: QTest::mouseClick(cancel, Qt::LeftButton); [[fallthrough]];
        case Action::ClickCancel: QTest::mouseClick(cancel, Qt::LeftButton); break;
        case Action::Escape: QTest::keyClick(&dlg, Qt::Key_Escape); break;
        case Action::CloseWindow: dlg.close(); break;
        case Action::None: break;
        }
        EXPECT_EQ(dlg.IsCancelled(), c.cancelled);
        EXPECT_EQ(cancel->isEnabled(), !c.cancelled);
        EXPECT_EQ(cancel->isVisible(), c.showCancel); // never appears without showCancel
        EXPECT_TRUE(dlg.isVisible()); // the operation closes it, nothing else
    }
}

TEST_F(ProgressDlgTest, PollLetsPendingEventsThrough)
{
    CProgressDlg dlg(nullptr, true);
    bool ran = false;
    QTimer::singleShot(0, &dlg, [&] { ran = true; });
    EXPECT_FALSE(dlg.IsCancelled());
    EXPECT_TRUE(ran);
    // A click waiting in the queue is seen by the next poll.
    QMetaObject::invokeMethod(CancelButton(dlg), &QPushButton::click, Qt::QueuedConnection);
    EXPECT_TRUE(dlg.IsCancelled());
}

TEST_F(ProgressDlgTest, BlocksOtherWindowsWhileOpen)
{
    QWidget main;
    main.resize(200, 100);
    auto *start = new QPushButton(QStringLiteral("Start"), &main);
    start->setGeometry(10, 10, 100, 30);
    int starts = 0;
    QObject::connect(start, &QPushButton::clicked, [&] { ++starts; });
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    const auto clickStart = [&] {
        QTest::mouseClick(main.windowHandle(), Qt::LeftButton, {}, start->geometry().center());
    };

    auto dlg = std::make_unique<CProgressDlg>(&main, true);
    EXPECT_EQ(QApplication::activeModalWidget(), dlg.get());
    clickStart();
    dlg->IsCancelled();
    EXPECT_EQ(starts, 0);
    QTest::mouseClick(CancelButton(*dlg), Qt::LeftButton);
    EXPECT_TRUE(dlg->IsCancelled());

    dlg->DestroyWindow();
    clickStart();
    EXPECT_EQ(starts, 1);
}

TEST_F(ProgressDlgTest, OwnerGoingAwayLeavesTheDialogToTheOperation)
{
    auto owner = std::make_unique<QWidget>();
    owner->show();
    CProgressDlg dlg(owner.get(), true);
    owner.reset();
    EXPECT_EQ(dlg.Owner(), nullptr);
    EXPECT_FALSE(dlg.IsCancelled());
    dlg.SetStatus(1030, QStringLiteral("Saving..."));
    EXPECT_TRUE(dlg.isVisible());
}

TEST_F(ProgressDlgTest, ExternalCancelCountsOnlyWhatHappensWhileOpen)
{
    const struct {
        const char *name;
        quint64 atOpen;
        quint64 later;
        bool cancelled;
    } cases[] = {
        {"nothing happens", 0, 0, false},
        {"link lost meanwhile", 0, 1, true},
        {"lost before it opened", 1, 1, false},
        {"another loss meanwhile", 3, 4, true},
        {"loss cleared", 1, 0, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        quint64 value = c.atOpen;
        CProgressDlg::SetExternalCancel([&] { return value; });
        CProgressDlg dlg(nullptr, false);
        EXPECT_FALSE(dlg.IsCancelled());
        value = c.later;
        EXPECT_EQ(dlg.IsCancelled(), c.cancelled);
        value = c.atOpen;
        EXPECT_EQ(dlg.IsCancelled(), c.cancelled); // once cancelled, it stays so
    }
}

// The operation under the dialog may block at once: the constructor returns
// only after the dialog itself has been painted.
TEST_F(ProgressDlgTest, IsPaintedBeforeTheConstructorReturns)
{
    struct PaintSeen : QObject {
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            if (event->type() == QEvent::Paint && dynamic_cast<CProgressDlg *>(watched))
                painted = true;
            return false;
        }
        bool painted = false;
    } seen;
    QCoreApplication::instance()->installEventFilter(&seen);
    CProgressDlg dlg(nullptr, false);
    const bool painted = seen.painted;
    QCoreApplication::instance()->removeEventFilter(&seen);
    EXPECT_TRUE(painted);
    dlg.DestroyWindow();
}

} // namespace

#pragma once
// Two generators on COM1 and COM2 at the rate a port opens with, so a
// connection needs no baud search, and the program's shown main window.

#include "CDataListView.h"
#include "CGeneratorListView.h"
#include "CGeneratorView.h"
#include "CMainWindow.h"
#include "CGeneratorDataPane.h"
#include "DataKindRegistry.h"
#include "DragDelivery.h"
#include "DragLoop.h"
#include "MainWindowFixture.h"
#include "PortDialogAnswer.h"
#include "ResourceIds.h"
#include "TestSupport.h"

#include "gensim/Simulator.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QDialog>
#include <QListWidget>
#include <QMouseEvent>
#include <QString>
#include <QTest>
#include <QTreeWidget>

#include <cstdlib>
#include <memory>

class TwoComGenerators : public PlatformTest {
protected:
    explicit TwoComGenerators(const char *firmware) : m_firmware(firmware) {}

    void SetUp() override
    {
        PlatformTest::SetUp();
        RegisterProgramDataKinds();
        for (const char *serial : {"100001", "100002"}) {
            gensim::Generator &g =
                sim.addGenerator({.model = "VG-7000", .firmware = m_firmware, .serial = serial, .baudRate = 2400, .link = ""});
            setenv(QStringLiteral("MORVANE_COM%1").arg(sim.size()).toLatin1().constData(), g.comPath().c_str(), 1);
        }
        sim.start();
        window = ShowMainWindow();
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

    void ClickGenerator(int row, bool twice = false)
    {
        QTreeWidget &list = *Generators().List();
        Click(list, list.visualItemRect(list.topLevelItem(row)), twice);
    }
    // A press on the selected row of view from's list and a move: the drag
    // runs and is dropped on view to's pane.
    void DragToOtherPane(int from, int listNumber, const QString &name, int to)
    {
        QListWidget &list = *View(from).DataPane()->NameList(listNumber);
        const QPoint at = list.visualItemRect(list.item(View(from).DataPane()->FindRow(listNumber, name))).center();
        bool dragged = false;
        g_dragHook = [&](QDrag &drag) {
            dragged = true;
            return DeliverDrag(*View(to).DataPane(), drag);
        };
        prompter.ExpectDialog(PromptMatch::Caption("Data Transfer"), [](QDialog &d) { d.accept(); });
        QTest::mousePress(list.viewport(), Qt::LeftButton, Qt::NoModifier, at);
        const QPoint end = at + QPoint(40, 0);
        for (const QPoint &point : {at + QPoint(2, 0), end}) {
            QMouseEvent move(QEvent::MouseMove, point, list.viewport()->mapToGlobal(point), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(list.viewport(), &move);
        }
        QTest::mouseRelease(list.viewport(), Qt::LeftButton, Qt::NoModifier, end);
        g_dragHook = nullptr;
        ASSERT_TRUE(dragged);
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

    gensim::Simulator sim;
    std::unique_ptr<CMainWindow> window;

private:
    const char *m_firmware;
};

#pragma once
// Two generators on COM1 and COM2 at the rate a port opens with, so a
// connection needs no baud search, and the program's shown main window.

#include "CDataListView.h"
#include "CGeneratorListView.h"
#include "CGeneratorView.h"
#include "CMainWindow.h"
#include "DataKindRegistry.h"
#include "DragLoop.h"
#include "MainWindowFixture.h"
#include "PortDialogAnswer.h"
#include "ResourceIds.h"
#include "TestSupport.h"

#include "gensim/Simulator.h"

#include <QAbstractItemView>
#include <QCoreApplication>
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

    gensim::Simulator sim;
    std::unique_ptr<CMainWindow> window;

private:
    const char *m_firmware;
};

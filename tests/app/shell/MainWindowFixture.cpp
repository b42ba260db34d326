#include "MainWindowFixture.h"

#include "DataKindRegistry.h"
#include "ProgramTools.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

std::unique_ptr<CMainWindow> ShowMainWindow(QSize size)
{
    auto window = std::make_unique<CMainWindow>();
    window->CreateFrame();
    if (size.isValid())
        window->resize(size);
    window->show();
    QCoreApplication::processEvents();
    return window;
}

void ProgramWindowTest::SetUp()
{
    PlatformTest::SetUp();
    RegisterProgramDataKinds();
    RegisterProgramTools();
}

void ProgramWindowTest::TearDown()
{
    window.reset();
    UnregisterProgramTools();
    UnregisterProgramDataKinds();
    PlatformTest::TearDown();
}

void Click(QAbstractItemView &view, const QRect &cell, bool twice)
{
    ASSERT_TRUE(cell.isValid());
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    if (twice)
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    QCoreApplication::processEvents();
}

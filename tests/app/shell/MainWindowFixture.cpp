#include "MainWindowFixture.h"

#include "DataKindRegistry.h"
#include "ProgramTools.h"

#include <QCoreApplication>

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

#pragma once
// The shown main window the shell's user-path tests start from, and a
// fixture base that registers the program's data kinds and tools around it.

#include "CMainWindow.h"
#include "TestSupport.h"

#include <QAbstractItemView>
#include <QRect>
#include <QSize>

#include <memory>

// A framed main window, shown and painted once; an invalid size keeps the
// frame's own.
std::unique_ptr<CMainWindow> ShowMainWindow(QSize size = QSize(760, 520));

// A click on a cell of a list or tree, as the user makes it; twice adds the
// double click.
void Click(QAbstractItemView &view, const QRect &cell, bool twice = false);

// The program's own data kinds and tools around a main window that the test
// makes (ShowMainWindow) once what it talks to is running.
class ProgramWindowTest : public PlatformTest {
protected:
    void SetUp() override;
    void TearDown() override;

    std::unique_ptr<CMainWindow> window;
};

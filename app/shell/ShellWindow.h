#pragma once
// What the main window's two lists ask of the window around them, beyond
// what a generator view asks: the connected generators to announce, the
// saved baud rate, the generator pane that runs a drag. The lists talk
// upward only through this; CMainWindow implements it.

#include "GeneratorViewHost.h"

#include <QtGlobal>

class CGeneratorDataPane;
class CGeneratorView;
class QWidget;

class ShellWindow : public GeneratorViewHost
{
public:
    // The main window itself: it owns the data items and places dialogs.
    virtual QWidget* Frame() = 0;
    // A generator joined or left the generator list: the tools hear of it.
    virtual void GeneratorAdded(CGeneratorView* view) = 0;
    virtual void GeneratorRemoved(CGeneratorView* view) = 0;
    // The rate a new serial connection is switched to (0: none).
    virtual int PersistentBaudRate() = 0;
    virtual void PersistentBaudRate(quint32 rate) = 0;
    // The data pane that is the source of the running drag, or null.
    virtual CGeneratorDataPane* FindDraggingDataPane() const = 0;

protected:
    ~ShellWindow() = default;
};

#pragma once
// What the panes of a generator view (the status pane, the data pane) need
// of their view; the view implements it.

#include "CGeneratorViewRules.h"

#include <QString>

class CGenerator;
class CGeneratorView;
class GeneratorViewHost;
class QMenu;
class CGeneratorState;

class GeneratorViewPaneLink {
public:
    // What RefreshStatus refreshes.
    enum : int { kRefreshAll = 1, kRefreshValues = 2, kRefreshMemory = 3 };

    virtual ~GeneratorViewPaneLink() = default;

    // The view itself, for whoever keeps it.
    virtual CGeneratorView *View() = 0;
    virtual GeneratorViewHost *Host() const = 0;
    // The connection, after making it the current generator.
    virtual CGenerator *GetGenerator() = 0;
    virtual CGeneratorState &GetState() = 0;
    virtual GeneratorViewFlags Flags() const = 0;
    // A tool transfers to the generator.
    virtual bool IsBusy() const = 0;
    virtual bool IsPlaying() const = 0;

    // kRefreshAll, kRefreshValues or kRefreshMemory; anything else: nothing.
    virtual void RefreshStatus(int what) = 0;
    // The toggles and the image-version spin take the state record's values.
    virtual void ShowSignalState() = 0;
    // The image-version spin alone shows version.
    virtual void ShowImageVersion(int version) = 0;
    // Written by the data pane's selection update.
    virtual void SetSelectionFlags(bool deletable, bool recallable, bool usable) = 0;
    // The commands' rules anew.
    virtual void UpdateCommands() = 0;
    // Menu 301, for the data pane to track with the view's commands.
    virtual QMenu *ContextMenu() const = 0;
    virtual void OpenSequencePlayer(const QString &sequence, bool attach) = 0;

    // The data pane's drag of generator items starts (true) or ends.
    virtual void SetDragSource(bool dragging) = 0;
    // The listed view, other than this one, whose data pane runs the drag;
    // nullptr when there is none.
    virtual GeneratorViewPaneLink *OtherDragSource() = 0;

    // Whether every command of the operation under way on generator
    // succeeded: only then does an action change the view's state.
    static bool Succeeded(const CGenerator &generator);
};

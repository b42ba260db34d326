#pragma once
// What the undo records ask of the list pane they run against. The pane
// implements it and holds the records; a record never includes the pane.

#include "CPrimitive.h"

#include <QtGlobal>

class CanvasListLink;

class UndoPaneLink {
public:
    virtual ~UndoPaneLink() = default;
    // The pane as its primitives reach it: a record's copy goes back through it.
    virtual CanvasListLink &PrimitivesLink() = 0;
    virtual bool HasItem(TreeItemId item) const = 0;
    // The group of item gives its members back to the top level.
    virtual void Ungroup(TreeItemId item) = 0;
    // The item goes and its primitive (with its members) is deleted; false
    // when the item has gone.
    virtual bool DestroyPrimitive(TreeItemId item) = 0;
    // The live primitive on the copy's item takes the copy's values.
    virtual bool RestorePrimitive(const CPrimitive &copy) = 0;
    virtual bool RestoreItemPosition(TreeItemId item, TreeItemId parent, TreeItemId predecessor) = 0;
    virtual bool RemoveClipboardEntry(int index, quint64 generation) = 0;
    // Many rows at once: inside a batch the item to select is only
    // remembered; the last one is selected and told once as the outermost
    // batch ends.
    virtual void BeginBatch() = 0;
    virtual void EndBatch() = 0;
};

// A batch for as long as it lives.
class UndoBatch {
public:
    explicit UndoBatch(UndoPaneLink &pane) : m_pane(pane) { m_pane.BeginBatch(); }
    ~UndoBatch() { m_pane.EndBatch(); }
    UndoBatch(const UndoBatch &) = delete;
    UndoBatch &operator=(const UndoBatch &) = delete;

private:
    UndoPaneLink &m_pane;
};

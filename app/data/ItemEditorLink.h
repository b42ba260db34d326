#pragma once
// What a data item needs of its open editor; every kind's editor window
// implements it. The item makes its editor through the factory the program
// set for its kind (CGenData::SetEditorFactory) and holds the window weakly:
// a parentless window that deletes itself once it has closed; the item
// deletes one still there when it drops the editor or goes itself.

class QWidget;

class ItemEditorLink {
public:
    virtual ~ItemEditorLink() = default;
    // The editor's window; nullptr once it has closed.
    virtual QWidget *Window() const = 0;
    // What the editor holds goes into the item (before the item is stored).
    virtual void WriteBack() = 0;
    // The editor holds changes the item has not taken.
    virtual bool HasUnsavedChanges() const = 0;
    // The item's name, or whether it is modified, changed: the title anew.
    virtual void ItemRenamed() = 0;
    // A generator was connected (hint 0) or disconnected (hint 1).
    virtual void OnGeneratorsChanged(int /*hint*/) {}
    // The item's contents were replaced (recalled again): shown anew.
    virtual void ItemReloaded() {}
};

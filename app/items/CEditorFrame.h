#pragma once
// The frame every item editor window stands on: a main window without a
// parent over one data item, its commands through a CommandRouter (Save,
// Save As and Close in the File menu), the title (the name as the editor
// shows it, " * " while modified, the item's file), a splitter for its
// panes, and where wanted the generator bar and a size the profile keeps.
//
// Closing asks the item's save question. A closed editor tells the item's
// owner (WM_EDITOR_CLOSED) and deletes itself, unless the item deletes it
// first (CGenData: the item holds its editor weakly).

#include "CommandRouter.h"
#include "EditorPlacement.h"
#include "ItemEditorLink.h"

#include <QMainWindow>

#include <functional>
#include <initializer_list>
#include <optional>
#include <span>

class CEditorDialogBar;
class CGenData;
class QSplitter;
class QToolBar;

// A command of an editor: its id, menu text (the key after a tab) and
// accelerator (nullptr: none).
struct EditorCommand {
    int id;
    unsigned text; // text id
    const char *keys;
};

class CEditorFrame : public QMainWindow, public ItemEditorLink {
public:
    // Keeps the window's size when the profile keeps it.
    ~CEditorFrame() override;

    // --- ItemEditorLink -----------------------------------------------------------
    QWidget *Window() const override;
    bool HasUnsavedChanges() const override { return IsModified(); }
    void ItemRenamed() override { SetTitle(); }
    // The generator bar lists the generators anew.
    void OnGeneratorsChanged(int hint) override;

    // The editor's change mark: it holds what the item has not taken.
    virtual bool IsModified() const { return m_modified; }
    // Sets the mark; the title and the commands' rules follow.
    void SetModified(bool modified = true);

    CommandRouter &Router() { return m_router; }
    // Re-evaluates the commands' rules (after a selection or a change).
    void UpdateCommands() { m_router.Update(); }
    // The generator bar; nullptr for an editor without one.
    CEditorDialogBar *DialogBar() const { return m_bar; }
    QSplitter *Splitter() const { return m_splitter; }
    // The title anew: TitleName, " * " when TitleModified, the item's file.
    void SetTitle();
    // The save question agreed and the window closed: the item's owner has
    // been told and the window goes.
    bool IsDestroyed() const { return m_destroyed; }

protected:
    // firstTitle stands until the first SetTitle; menuId names the menu bar.
    CEditorFrame(CGenData &item, const QString &objectName, const QString &firstTitle, int menuId);

    // The name as the title shows it.
    virtual QString TitleName() const = 0;
    // Whether the title carries the mark; by default while the item is
    // modified (its own flag, or the editor's mark).
    virtual bool TitleModified() const;
    // The window is closing for good: what it must end before it goes.
    virtual void OnDestroyWindow() {}

    // Each command's status and tool tip.
    using TipRule = std::function<QString(const EditorCommand &command)>;
    // Save, Save As and Close, then the commands of rows; each key works in
    // the whole window, also with the menu bar hidden. Without tip a
    // command's tip is the string-table text of its id.
    void AddCommands(std::span<const EditorCommand> rows, const TipRule &tip = {});
    // What Cut, Copy, Paste and Delete do to the editor's selection; a
    // command without a handler is offered disabled.
    struct ClipboardCommands {
        CommandRouter::Handler cut, copy, paste, remove;
        CommandRouter::Rule hasSelection; // Cut, Copy and Delete
        CommandRouter::Rule canPaste;
    };
    // Cu&t, &Copy, &Paste and &Delete with the keys Ctrl-X, -C, -V and Delete.
    void AddClipboardCommands(const ClipboardCommands &commands);
    // A menu of the menu bar with the commands of ids (0: a separator).
    QMenu *AddMenu(const QString &title, std::initializer_list<int> ids);
    // "&File": Save, Save As, a separator, Close.
    QMenu *AddFileMenu();
    // A fixed toolbar with 16-pixel pictures, named by its resource id.
    QToolBar *AddToolBar(int id, std::span<const ToolButton> buttons);
    // The generator bar in a row of its own; chosen runs after each choice.
    void AddGeneratorBar(std::function<void()> chosen);
    // The splitter's two panes at their first sizes.
    void SetPanes(QWidget *left, QSize leftSize, QWidget *right, QSize rightSize);
    // Sizes the window from the profile now and splits it at its first
    // showing; the size goes back to the profile when the window goes.
    void KeepPlacement(const EditorSizeKeys &keys, QSize firstSize, int firstSplit);

    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

    CommandRouter m_router;

private:
    void AddRows(std::span<const EditorCommand> rows, const TipRule &tip);

    CGenData &m_item;
    QSplitter *m_splitter = nullptr;
    CEditorDialogBar *m_bar = nullptr;
    std::optional<EditorPlacement> m_placement;
    bool m_modified = false;
    bool m_destroyed = false;
};

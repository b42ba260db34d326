#pragma once
// What the image editor asks of its primitive list pane: the operations
// behind its commands and combos, the write-back of the primitives, and the
// property windows of the selection. The pane implements it (tests put a
// double in its place); the canvas reaches the same pane through
// CanvasListLink.

#include "CanvasLinks.h"
#include "ListPaneEditorLink.h"

#include <memory>
#include <vector>

class CPrimitive;
class QDialog;
class QStatusBar;
class QWidget;

class ImageEditorPaneLink : public CanvasListLink {
public:
    // Placeholder texts of the property window.
    enum PlaceholderCase { kNoSelection = 0, kSeveral = 1, kLocked = 2, kNoProperties = 3 };
    // The cut, copy and delete modes.
    enum Mode { kCut = 1, kCopy = 2, kDelete = 3 };

    // The pane's window, for the splitter's left column.
    virtual QWidget *Widget() = 0;
    // Shown status texts go to the editor's bar; its label named
    // "selectionPane" is pane 1, which shows the selection ("No Selection").
    virtual void SetStatusBar(QStatusBar *statusBar) = 0;
    // Copies of primitives at the end of the top level (the image's at the start).
    virtual void InsertCopies(const std::vector<std::unique_ptr<CPrimitive>> &primitives) = 0;
    // Fresh deselected copies of the top-level primitives in tree order.
    virtual std::vector<std::unique_ptr<CPrimitive>> CopyTopLevel() const = 0;
    virtual bool IsModified() const = 0;
    virtual void ClearModified() = 0;

    virtual void CreatePrimitive(int typeCode, bool append) = 0;
    virtual void GroupMarked() = 0;
    virtual void Ungroup() = 0;
    virtual void MoveToFrontOrBack(bool front) = 0;
    virtual void CutCopyDelete(int mode) = 0;
    virtual void Paste() = 0;
    virtual bool CanPaste() const = 0;
    virtual void UndoLast() = 0;
    virtual bool IsUndoEmpty() const = 0;
    virtual void SetSelectedColour(int index) = 0;
    virtual void SetSelectedPattern(int index) = 0;
    virtual void SetSelectedFont(int index) = 0;
    // The selection and the number of marked primitives, as last told to the editor.
    virtual CPrimitive *Selected() const = 0;
    virtual int MarkedCount() const = 0;

    // --- Property windows ------------------------------------------------------------
    // The program-wide pinned flag of the property windows.
    virtual bool PropertiesPinned() const = 0;
    // The primitive's own dialog, with parent; nullptr when it has none.
    virtual QDialog *OpenProperties(CPrimitive &primitive, QWidget *parent) = 0;
    // A new placeholder window of that case.
    virtual QDialog *OpenPlaceholder(int placeholderCase, QWidget *parent) = 0;
    // When window is a placeholder: it shows that case now, and true.
    virtual bool SetPlaceholderCase(QDialog *window, int placeholderCase) = 0;
    // The primitive whose dialog window is; nullptr for a placeholder.
    virtual CPrimitive *PropertiesOwner(QDialog *window) const = 0;
    // The window goes (a dialog first applies what it holds).
    virtual void DestroyPropertyWindow(QDialog *window) = 0;
};

#pragma once
// What the primitive list pane and the property dialogs ask of the image
// editor that owns them. The editor implements it (and takes the dialogs'
// messages as a MessageTarget); tests put a double in its place.

#include "MessageTarget.h"

class CPrimitive;
class QWidget;

// Property dialog -> editor, posted: the dialog is gone (wParam 1 when its
// primitive went first), lParam the dialog's handle.
inline constexpr unsigned WM_PROPERTIES_CLOSED = WM_USER + 0x110;   // 0x510
// Editor -> dialog, sent after the editor showed it.
inline constexpr unsigned WM_PROPERTIES_SHOWN = WM_USER + 0x111;    // 0x511
// Dialog -> editor, sent: bring the dialog to the top.
inline constexpr unsigned WM_PROPERTIES_TO_TOP = WM_USER + 0x112;   // 0x512

class ListPaneEditorLink {
public:
    virtual ~ListPaneEditorLink() = default;
    // After every change of selection or marking: the selected primitive
    // (or none) and the number of marked primitives.
    virtual void OnSelectionChanged(CPrimitive *current, int markedCount) = 0;
    // The pane changed the image; force: retitle even when already marked.
    virtual void SetChanged(bool force) = 0;
    // A double-click in the tree: the property window of the selection.
    virtual void OpenSelectedProperties(CPrimitive *current, int markedCount) = 0;
    // The window the property dialogs belong to and post their messages to
    // (a MessageTarget).
    virtual QWidget *EditorWindow() = 0;
};

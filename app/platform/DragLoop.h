#pragma once
// Every drag the program starts runs through RunDrag. Inside the program
// the drop targets call their source directly while the drag runs, so the
// source keeps its "dragging" state for exactly the length of this call.

#include <Qt>

#include <functional>

class QDrag;

// Runs in place of Qt's drag loop when set, and gives the action the drop
// took. The offscreen platform has no drag loop: tests set it and deliver
// the enter, move and drop events to a target of their choice from inside it.
using DragHook = std::function<Qt::DropAction(QDrag &drag)>;
extern DragHook g_dragHook;

// Runs the drag and deletes it; returns the action taken (IgnoreAction when
// nothing took the drop).
Qt::DropAction RunDrag(QDrag *drag, Qt::DropActions actions);

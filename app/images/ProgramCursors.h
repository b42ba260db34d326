#pragma once
// The cursors the image editor draws itself: the rubber band's (145), a
// handle being dragged (149), a handle that moves a whole primitive (150)
// and a handle on a line's or triangle's point (151).

#include <QCursor>

// The cursor of resource id; the arrow for an id without one.
QCursor ProgramCursor(int id);

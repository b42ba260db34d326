#pragma once
// The pictures of the knob list editor, painted in place of bitmaps 288
// (an entry's kind) and 289 (a name's kind in the name pane).

#include <QIcon>

// Kind 1 format, 2 image, 3 sequence, 4 none, 5 several.
QIcon KindPicture(int kind);

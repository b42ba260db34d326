#pragma once
// The pictures of the generator data pane's rows: the shell's image list,
// with the user, built-in and not-held marks painted when the program
// carries no bitmap for them.

#include <QIcon>

// Image index of the shell's image list (a kind code, or a mark 3, 4, 15).
QIcon DataPaneImage(int index);
// A name-list row: its user or built-in mark left of its kind icon, 32 x 16.
QIcon DataPaneRowIcon(bool user, int kind);

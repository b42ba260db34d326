#pragma once
// The Diagnostics window's seven 16 x 16 images, drawn by the program: the
// tree's group and value rows, the list's row kinds and its row states.

#include <QIcon>
#include <QPixmap>

enum DiagnosticsImage : int {
    kImageDocument = 0, // tree group rows
    kImageClock = 1,
    kImageRunning = 2,  // red dot: the row runs
    kImageIdle = 3,     // blue dash: tree value rows; the row is idle
    kImageFunction = 4, // an ordinary demonstration
    kImageCamera = 5,   // an animated demonstration
    kImageColourBars = 6, // "Smpte133"
    kImageCount = 7,
};

const QPixmap& DiagnosticsPixmap(int image);
// A list row's icon: its state image beside its own image.
QIcon DiagnosticsRowIcon(int state, int image);

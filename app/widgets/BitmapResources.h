#pragma once
// Bitmaps by resource id, for the controls that load pictures by number.
// Pictures come from the Qt resource ":/bitmaps/<id>.png" when the program
// carries one, else from the table of pictures registered (or painted) here.

#include "ResourceIds.h"

#include <QPixmap>

// The picture of id; a null pixmap when there is none.
QPixmap LoadBitmapResource(unsigned id);
// Adds or replaces the picture of id.
void RegisterBitmapResource(unsigned id, const QPixmap &picture);


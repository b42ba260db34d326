#pragma once
// A window's caption is shown whole: a dialog sized in dialog units, or a
// message box sized to its text, can be narrower than its title bar needs
// ("Baud Rate Selection", "Invalid File Type"), and the window manager then
// cuts the caption short.

class QWidget;

// The width a window needs for its caption, the title bar's icon and
// buttons included.
int CaptionWidth(const QWidget &window);

// Widens window (a fixed width too) to its CaptionWidth; a narrower one is
// left as it is. A message box keeps the width through its layout.
void FitCaption(QWidget &window);

#pragma once
// OK and Cancel of the image editor's option dialogs.

class QDialog;

// OK (the default) and Cancel on the right of a dialog of width dialog units.
void AddOkCancel(QDialog *dialog, int width);

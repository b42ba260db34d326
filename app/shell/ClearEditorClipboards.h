#pragma once
// Empties the clipboards the image and sequence editors share; the main
// window runs it once when it goes.
void ClearEditorClipboards();

#pragma once
// The tool windows the program offers: each registers its factory, and the
// main window's command for it is enabled.

void RegisterProgramTools();
// Takes every factory back (tests).
void UnregisterProgramTools();

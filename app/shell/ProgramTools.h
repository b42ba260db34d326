#pragma once
// The generator tools the program offers: each tool's factory, so that the
// main window can make it on demand.

void RegisterProgramTools();

#pragma once
// When each command of a generator view may run. The view gathers what
// the rules read (its own flags and its data pane's) into one record, so
// that the rules live in one table and read the same for menu, toolbar,
// context menu and dialog bar.

#include "ResourceIds.h"

// What the enable rules read.
struct GeneratorViewFlags {
    bool busy = false;
    bool playing = false;
    bool controlsEnabled = true;
    bool deletable = false;
    bool recallable = false;
    bool usable = false;
    bool knobListMode = false;
    bool detailedMode = false;
    bool detailedListFilled = false;
    bool selectionRecallable = false;
    int currentListRows = 0;
    bool fontsSupported = false;
    bool pixelMapsSupported = false;
};

// Whether command id may run now. Ids without a rule are always enabled;
// whether an id has a handler at all is the router's business.
bool IsGeneratorViewCommandEnabled(int id, const GeneratorViewFlags &flags);

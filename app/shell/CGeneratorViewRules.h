#pragma once
// When each command of a generator view may run. The view gathers what
// the rules read (its own flags and its data pane's) into one record, so
// that the rules live in one table and read the same for menu, toolbar,
// context menu and dialog bar.

namespace GeneratorViewCommand {
enum : int {
    ID_LOAD_FORMAT_LIST = 10142,
    ID_SAVE_FORMAT_LIST = 10143,
    ID_SAVE_FORMAT_LIST_TEXT = 10176,
    ID_PRINT_FORMAT_LIST = 10175,
    ID_CLOSE_VIEW = 10085,
    ID_SELECT_ALL = 10156,
    ID_USE_ITEM = 10068,
    ID_RECALL_ITEMS = 10065,
    ID_SCAN_FORMATS = 10145,
    ID_COPY = 10157,
    ID_RENAME = 10061,
    ID_ERASE = 10066,
    ID_DELETE = 10067,
    ID_CMD_TERMINAL = 10100,
    ID_DIAGNOSTICS = 10117,
    ID_HELP_OPEN = 10169,
    ID_LIST_FORMATS = 10146,
    ID_LIST_IMAGES = 10147,
    ID_LIST_SEQUENCES = 10148,
    ID_LIST_KNOB_LISTS = 10149,
    ID_LIST_FONTS = 10150,
    ID_LIST_ICONS = 10151,
    ID_LIST_DETAILED = 10141,
    ID_RECALL_AND_EDIT = 10154,
    ID_LOAD_INTO_GENERATOR = 10155,
    ID_CONTEXT_OPEN = 10162,
    ID_CONTEXT_EDIT = 10166,
    ID_CONTEXT_COPY = 10167,
    ID_CONTEXT_RENAME = 10168,
    ID_CONTEXT_PROPERTIES = 10164,
    IDC_RED = 1176,
    IDC_GREEN = 1177,
    IDC_BLUE = 1178,
    IDC_OUTPUT = 1179,
    IDC_ACS = 1180,
    IDC_DCS = 1181,
    IDC_DSS = 1182,
};
} // namespace GeneratorViewCommand

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

#pragma once
// The numbers of a generator data pane that its rows, pictures and rules
// share: the lists it shows, the kind codes of generator items, the icons
// and state images, and the record each name-list row carries.

#include <cstdint>

struct DataPaneKinds {
    // The lists the pane shows: 0 formats, 1 images, 2 sequences, 3 knob
    // lists, 4 fonts, 5 icons, 7 the detailed format list.
    enum : int { kFormats = 0, kImages, kSequences, kKnobLists, kFonts, kIcons, kNameLists, kDetailed = 7 };

    // Kind codes of generator items: a row's kind and its icon. In the knob
    // list list 12, 13 and 14 mean a knob list of formats, images, sequences.
    enum ItemKind : int {
        kKindKnobList = 10,      // a knob list before its entries are classified
        kKindFormat = 12,
        kKindImage = 13,
        kKindSequence = 14,
        kKindMixedKnobList = 15, // mixed, unmatched or no entries
        kKindFont = 20,
        kKindIcon = 21,
    };

    // Icons of the detailed list and the state images of the name lists.
    enum : int { kIconUserFormat = 3, kIconBuiltInFormat = 4, kIconFormatNotHeld = 15 };
    enum : int { kStateUser = 4, kStateBuiltIn = 5 };
};

// The data of one row of a name list. A default record is a knob list of
// mixed entries whose flags are all set.
struct CGeneratorItemState {
    uint32_t kind = 15;       // also the row's icon
    uint32_t firstFlag = 1;   // nothing reads the two flags; kept as the rows get them
    uint32_t secondFlag = 1;
    uint32_t userFlag = 1;    // 0: built into the generator, never deleted or overwritten
};

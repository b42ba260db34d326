#pragma once
// The sequence, knob list, pixel map and font editors, made by the factories the program
// sets at start-up, while an object of this class lives (a fixture member).

#include "CFontData.h"
#include "CFontEditor.h"
#include "CKnobList.h"
#include "CKnobListEditor.h"
#include "CPixelMap.h"
#include "CPixelMapEditor.h"
#include "CSequence.h"
#include "CSequenceEditor.h"

class ItemEditorFactories {
public:
    ItemEditorFactories()
    {
        SetEditorFactory<CSequence>([](CSequence &sequence) { return new CSequenceEditor(sequence); });
        SetEditorFactory<CKnobList>([](CKnobList &list) { return new CKnobListEditor(list); });
        SetEditorFactory<CPixelMap>([](CPixelMap &map) { return new CPixelMapEditor(map); });
        SetEditorFactory<CFontData>([](CFontData &font) { return new CFontEditor(font); });
    }
    ~ItemEditorFactories()
    {
        SetEditorFactory<CSequence>({});
        SetEditorFactory<CKnobList>({});
        SetEditorFactory<CPixelMap>({});
        SetEditorFactory<CFontData>({});
    }
    ItemEditorFactories(const ItemEditorFactories &) = delete;
    ItemEditorFactories &operator=(const ItemEditorFactories &) = delete;
};

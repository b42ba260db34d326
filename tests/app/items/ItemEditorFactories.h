#pragma once
// The sequence and knob list editors, made by the factories the program
// sets at start-up, while an object of this class lives (a fixture member).

#include "CKnobList.h"
#include "CKnobListEditor.h"
#include "CSequence.h"
#include "CSequenceEditor.h"

class ItemEditorFactories {
public:
    ItemEditorFactories()
    {
        SetEditorFactory<CSequence>([](CSequence &sequence) { return new CSequenceEditor(sequence); });
        SetEditorFactory<CKnobList>([](CKnobList &list) { return new CKnobListEditor(list); });
    }
    ~ItemEditorFactories()
    {
        SetEditorFactory<CSequence>({});
        SetEditorFactory<CKnobList>({});
    }
    ItemEditorFactories(const ItemEditorFactories &) = delete;
    ItemEditorFactories &operator=(const ItemEditorFactories &) = delete;
};

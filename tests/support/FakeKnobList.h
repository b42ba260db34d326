#pragma once
// A knob list that only counts what its source generator tells it.

#include "KnobListLink.h"

struct FakeKnobList : KnobListLink
{
    void DetachSource() override { ++detached; }
    void OnSourceListChanged() override { ++changed; }
    int detached = 0;
    int changed = 0;
};

#pragma once
// The row of the sync-selection list that shows a generator's sync code.

class CSyncCodeMap {
public:
    // 3 -> 4, 11 -> 3, 13 -> 11; any other code is its own row.
    static int IndexFromCode(int code);
};

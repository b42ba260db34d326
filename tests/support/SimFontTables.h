#pragma once
// A font in the simulator's form, to compare with what a generator stored:
// the header values in their FDTA 0 slots (8 is none) and the four tables.

#include "FontData.h"

#include "gensim/Fonts.h"

inline gensim::FontTables SimFontTables(const FontData &f)
{
    gensim::FontTables t;
    const auto header = f.Header();
    const int headerSlots[] = {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12};
    for (std::size_t k = 0; k < header.size(); ++k)
        t.header[std::size_t(headerSlots[k])] = header[k];
    t.tables[0] = f.bitmap;
    t.tables[1].assign(f.locTable.begin(), f.locTable.end());
    t.tables[2].assign(f.owTable.begin(), f.owTable.end());
    t.tables[3].assign(f.imageWidths.begin(), f.imageWidths.end());
    return t;
}

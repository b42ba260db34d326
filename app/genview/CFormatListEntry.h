#pragma once
// One row of a generator's detailed format list: the figures of one stored
// format, what the list shows of them, and the order the list sorts by.
// The first nine fields are the row record of a format-list file.

#include <QString>

#include <cstdint>

struct CFormatListEntry {
    QString name;
    int16_t videoType = 0;   // index of the video-type kind value
    uint16_t syncType = 0;   // the generator's SSST code
    int32_t hRes = 0;
    int32_t vRes = 0;
    double hRate = 0;        // Hz
    double vRate = 0;        // Hz
    double pixelRate = 0;    // MHz
    int32_t scan = 1;        // 1 progressive
    int32_t icon = 15;       // 3 user, 4 built-in, 15 not held by the generator

    // The rates from what the generator reports of a format.
    void SetTiming(double horizontalRate, int hTotal, int vTotal);
};

// The columns of the detailed list.
enum FormatListColumn : int {
    kColName, kColPixelRate, kColScan, kColHRes, kColVRes, kColHRate, kColVRate, kColVideoType, kColSyncType,
    kFormatListColumnCount
};

struct FormatListColumnDef {
    unsigned heading; // text id
    int width;
};
extern const FormatListColumnDef kFormatListColumns[kFormatListColumnCount];

// What a column shows of an entry.
QString FormatListColumnText(const CFormatListEntry &entry, int column);

// Three-way comparison of two entries by a column (negative: a first when
// ascending). A strict weak order on every column: equal rates compare
// equal, and a rate that is not a number sorts after every number.
int CompareFormatListEntries(const CFormatListEntry &a, const CFormatListEntry &b, int column);
// The comparison the list sorts with: ascending when the direction is set,
// else descending.
int CompareFormatListEntries(const CFormatListEntry &a, const CFormatListEntry &b, int column, bool ascending);

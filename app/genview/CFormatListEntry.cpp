#include "CFormatListEntry.h"

#include "CKindValue.h"
#include "CSyncCodeMap.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <cmath>

namespace {

QString Fixed3(double value)
{
    // A rate the generator did not give shows nothing rather than "nan".
    return std::isfinite(value) ? QString::asprintf("%.3lf", value) : QString();
}

// By value, not by difference: a difference of two codes can overflow.
template <class T>
int CompareValues(T a, T b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

// A rate that is not a number sorts after every number and equal to
// another such rate, so the order stays strict and weak.
int CompareRates(double a, double b)
{
    const bool aMissing = std::isnan(a);
    const bool bMissing = std::isnan(b);
    if (aMissing || bMissing)
        return int(aMissing) - int(bMissing);
    return CompareValues(a, b);
}

} // namespace

void CFormatListEntry::SetTiming(double horizontalRate, int hTotal, int vTotal)
{
    hRate = horizontalRate;
    // A total the generator did not give (0) leaves its rate missing, not infinite.
    vRate = vTotal > 0 ? horizontalRate / vTotal * scan : std::nan("");
    pixelRate = hTotal > 0 ? horizontalRate * hTotal * 0.000001 : std::nan("");
}

const FormatListColumnDef kFormatListColumns[kFormatListColumnCount] = {
    {IDS_COLUMN_NAME, 100},   {IDS_COLUMN_PIXEL_RATE, 100}, {IDS_SCAN_TYPE, 100},
    {IDS_COLUMN_H_RES, 50},   {IDS_COLUMN_V_RES, 50},       {IDS_COLUMN_H_RATE, 100},
    {IDS_COLUMN_V_RATE, 100}, {IDS_COLUMN_VIDEO_TYPE, 200}, {IDS_COLUMN_SYNC_TYPE, 100},
};

QString FormatListColumnText(const CFormatListEntry &entry, int column)
{
    switch (column) {
    case kColName: return entry.name;
    case kColPixelRate: return Fixed3(entry.pixelRate);
    case kColScan: return LoadString(entry.scan == 1 ? IDS_PROGRESSIVE : IDS_INTERLACE);
    case kColHRes: return QString::number(entry.hRes);
    case kColVRes: return QString::number(entry.vRes);
    case kColHRate: return Fixed3(entry.hRate * 0.001);
    case kColVRate: return Fixed3(entry.vRate);
    case kColVideoType: return CVideoKind(entry.videoType).GetText(); // outside the table: not set, no text
    case kColSyncType: {
        // A code without a row of the list (from a file) shows as not set.
        CSyncSelect sync(CKindValue::kNotSet);
        sync.SetIndex(CSyncCodeMap::IndexFromCode(entry.syncType));
        return sync.GetText();
    }
    default: return QString();
    }
}

int CompareFormatListEntries(const CFormatListEntry &a, const CFormatListEntry &b, int column)
{
    switch (column) {
    case kColName: return CompareValues(a.name.compare(b.name, Qt::CaseInsensitive), 0);
    case kColPixelRate: return CompareRates(a.pixelRate, b.pixelRate);
    case kColScan: return CompareValues(a.scan, b.scan);
    case kColHRes: return CompareValues(a.hRes, b.hRes);
    case kColVRes: return CompareValues(a.vRes, b.vRes);
    case kColHRate: return CompareRates(a.hRate, b.hRate);
    case kColVRate: return CompareRates(a.vRate, b.vRate);
    case kColVideoType: return CompareValues(a.videoType, b.videoType);
    case kColSyncType: return CompareValues(a.syncType, b.syncType);
    default: return 0;
    }
}

int CompareFormatListEntries(const CFormatListEntry &a, const CFormatListEntry &b, int column, bool ascending)
{
    const int order = CompareFormatListEntries(a, b, column);
    return ascending ? order : -order;
}

#include "CGenerator.h"

#include <cmath>

namespace {

constexpr uint32_t kSystemRecord = 0xFF000000;
constexpr uint32_t kFormatData = 0xFF1C8000;
// Builds from 3.0 on share one layout.
constexpr double kNewestKey = 3000;

// One firmware build's addresses; a second key shares the row.
struct MapRow
{
    int key;
    int alsoKey;
    uint32_t image, sequence, directory, path;
    uint32_t formatKnob, imageKnob, sequenceKnob;
    uint32_t formatUnpack, imageUnpack, sequenceUnpack, directoryUnpack, pathUnpack;
    uint32_t formatData = kFormatData;
};

const MapRow kRows[] = {
    {2800, 0, 0xFF0077C0, 0xFF0389E0, 0, 0, 0xFF0789E0, 0xFF005520, 0xFF074A40,
     0xFFCDADF0, 0xFFC4CC70, 0xFFC91640, 0, 0},
    {2850, 0, 0xFF0077C0, 0xFF0389E0, 0, 0, 0xFF0789E0, 0xFF005520, 0xFF074A40,
     0xFFCDC830, 0xFFC4D740, 0xFFC926B0, 0, 0},
    {2884, 0, 0xFF0077C0, 0xFF0389E0, 0, 0, 0xFF0789E0, 0xFF005520, 0xFF074A40,
     0xFFCDC890, 0xFFC4D7A0, 0xFFC92710, 0, 0},
    {2898, 0, 0xFF015940, 0xFF046B60, 0xFF005560, 0xFF0D6BE0, 0, 0, 0,
     0xFFCE73E0, 0xFFC56FE0, 0xFFC9CBC0, 0xFFC529C0, 0xFFC531E0},
    {2944, 0, 0xFF0462E0, 0xFF077500, 0xFF005600, 0xFF107140, 0, 0, 0,
     0xFFCF8950, 0xFFC67C40, 0xFFCADDB0, 0xFFC56420, 0xFFC56C40},
    {2945, 0, 0xFF0462E0, 0xFF077500, 0xFF005600, 0xFF107140, 0, 0, 0,
     0xFFCF89A0, 0xFFC67C60, 0xFFCADDD0, 0xFFC56440, 0xFFC56C60},
    {2971, 0, 0xFF0462E0, 0xFF077500, 0xFF005600, 0xFF0EFCC0, 0, 0, 0,
     0xFFCFB0C0, 0xFFC69000, 0xFFCAF980, 0xFFC57550, 0xFFC57D70},
    {2974, 0, 0xFF0462E0, 0xFF077500, 0xFF005600, 0xFF0EFCC0, 0, 0, 0,
     0xFFCFB680, 0xFFC69440, 0xFFCAFE80, 0xFFC57990, 0xFFC581B0},
    {2975, 0, 0xFF0462E0, 0xFF077500, 0xFF005600, 0xFF0EFCC0, 0, 0, 0,
     0xFFCFB6B0, 0xFFC69440, 0xFFCAFE80, 0xFFC57990, 0xFFC581B0},
    {2980, 0, 0xFF0462E0, 0xFF077680, 0xFF005600, 0, 0, 0, 0,
     0, 0, 0, 0, 0},
    {2981, 0, 0xFF0462E0, 0xFF077680, 0xFF005600, 0xFF118440, 0, 0, 0,
     0xFFCFF210, 0xFFC6A160, 0xFFCB36E0, 0xFFC58250, 0xFFC58A70},
    {2983, 0, 0xFF0462E0, 0xFF077680, 0xFF005600, 0xFF1184C0, 0, 0, 0,
     0xFFCFF810, 0xFFC6A680, 0xFFCB3CE0, 0xFFC58890, 0xFFC590B0},
    {2984, 0, 0xFF0462E0, 0xFF077680, 0xFF005600, 0xFF1184C0, 0, 0, 0,
     0xFFCFF7E0, 0xFFC6A680, 0xFFCB3CE0, 0xFFC58890, 0xFFC590B0},
    {2985, 0, 0xFF0462E0, 0xFF077680, 0xFF005600, 0xFF118500, 0, 0, 0,
     0xFFD00990, 0xFFC6B570, 0xFFCB4B80, 0xFFC595D0, 0xFFC59DF0},
    {2986, 0, 0xFF0462E0, 0xFF077680, 0xFF005600, 0xFF118500, 0, 0, 0,
     0xFFD00A10, 0xFFC6B570, 0xFFCB4B80, 0xFFC595D0, 0xFFC59DF0},
    {2988, 0, 0xFF0462E0, 0xFF077680, 0xFF005600, 0xFF118500, 0, 0, 0,
     0xFFD00B70, 0xFFC6B720, 0xFFCB4D30, 0xFFC59780, 0xFFC59FA0},
    {2989, 0, 0xFF015940, 0xFF046B60, 0xFF005560, 0xFF0D6BE0, 0, 0, 0,
     0xFFD00B40, 0xFFC6B720, 0xFFCB4D30, 0xFFC59780, 0xFFC5A140},
    {2990, 0, 0xFF0462E0, 0xFF077680, 0xFF005600, 0xFF118500, 0, 0, 0,
     0xFFD00B70, 0xFFC6B720, 0xFFCB4D30, 0xFFC59C50, 0xFFC59FA0},
    {2991, 2993, 0xFF0462E0, 0xFF077680, 0xFF005600, 0xFF118520, 0, 0, 0,
     0xFFD00B40, 0xFFC6B720, 0xFFCB4D30, 0xFFC59780, 0xFFC59FA0},
    {2992, 2994, 0xFF0462E0, 0xFF077680, 0xFF005600, 0xFF118520, 0, 0, 0,
     0xFFD00B70, 0xFFC6B720, 0xFFCB4D30, 0xFFC59780, 0xFFC59FA0},
    {2995, 0, 0xFF0462C0, 0xFF077660, 0xFF0055E0, 0xFF118500, 0, 0, 0,
     0xFFD008D0, 0xFFC6B4B0, 0xFFCB4AC0, 0xFFC59510, 0xFFC59D30},
    {2996, 0, 0xFF0462C0, 0xFF077660, 0xFF0055E0, 0xFF118500, 0, 0, 0,
     0xFFD00900, 0xFFC6B4B0, 0xFFCB4AC0, 0xFFC59510, 0xFFC59D30},
    {2997, 0, 0xFF046460, 0xFF077800, 0xFF005780, 0xFF118940, 0, 0, 0,
     0xFFD15410, 0xFFC71F00, 0xFFCC9600, 0xFFC5FBD0, 0xFFC603F0},
    {2998, 0, 0xFF046460, 0xFF077800, 0xFF005780, 0xFF118940, 0, 0, 0,
     0xFFD15440, 0xFFC71F00, 0xFFCC9600, 0xFFC5FBD0, 0xFFC603F0},
    {2999, 0, 0xFF046460, 0xFF077800, 0xFF005780, 0xFF118B80, 0, 0, 0,
     0xFFD17F40, 0xFFC749A0, 0xFFCCC0A0, 0xFFC62670, 0xFFC62E90},
    {3000, 0, 0xFF1A0D00, 0xFF13CD00, 0xFF0C8D00, 0xFF0C6D00, 0, 0, 0,
     0, 0, 0, 0, 0, 0xFF1D0D00},
};

const MapRow *RowOf(double key)
{
    for (const MapRow &row : kRows)
        if (key == row.key || key == row.alsoKey)
            return &row;
    return nullptr;
}

} // namespace

void CGenerator::BuildMemoryMap()
{
    IsaMemoryMap &map = m_isaMap;
    map = IsaMemoryMap{};
    map.systemRecord = kSystemRecord;
    map.formatData = kFormatData;

    // Every key of the table is exact in double precision: 2.898 * 1000 is
    // 2898, not 2897.999...
    const double scaled = m_firmwareVersion * 1000.0;
    const double key = scaled >= kNewestKey ? kNewestKey : std::trunc(scaled);
    if ((scaled - key) * 100000.0 >= 1.0) {
        map.beta = true;
        // A test build before 3.0 has a layout of its own, which nobody knows.
        if (key < kNewestKey)
            return;
    }
    const MapRow *row = RowOf(key);
    if (row == nullptr)
        return;
    map.formatData = row->formatData;
    map.imageData = row->image;
    map.sequenceData = row->sequence;
    map.directoryData = row->directory;
    map.pathData = row->path;
    map.formatKnobList = row->formatKnob;
    map.imageKnobList = row->imageKnob;
    map.sequenceKnobList = row->sequenceKnob;
    map.formatUnpack = row->formatUnpack;
    map.imageUnpack = row->imageUnpack;
    map.sequenceUnpack = row->sequenceUnpack;
    map.directoryUnpack = row->directoryUnpack;
    map.pathUnpack = row->pathUnpack;
}

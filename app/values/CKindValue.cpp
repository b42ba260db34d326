#include "CKindValue.h"

#include "StringTable.h"

#include <iterator>

namespace {

// ACS and DCS kinds share one table; the "Reserved" rows share one text.
constexpr unsigned kSyncKindIds[] = {
    32777, 32778, 32779, 32780, 32781, 32778, 32782, 32778,
    32783, 32778, 32784, 32778, 32785, 32778, 32778, 32786,
};

constexpr unsigned kDssKindIds[] = {32777, 32787, 32788, 32789, 32790, 32791};

constexpr unsigned kSyncSelectIds[] = {
    32777, 32792, 32793, 32794, 32795, 32796,
    32797, 32798, 32799, 32800, 32801, 32802,
};

constexpr unsigned kVideoKindIds[] = {
    32777, 32803, 32804, 32805, 32806, 32807, 32808, 32809, 32810, 32811, 32812,
    32813, 32814, 32815, 32816, 32972, 32994, 33001, 33305, 33306, 33307,
};

constexpr unsigned kInfoBoxIds[] = {
    33022, 33023, 33024, 33025, 33026, 33027, 33028, 33029,
    33030, 33031, 33032, 33033, 33034, 33035, 33036, 33037,
};

constexpr unsigned kTextBoxBorderIds[] = {33038, 33039, 33040, 33041};

constexpr unsigned kRgbMaskIds[] = {33213, 33214, 33215, 33216, 33217, 33218, 33219, 33220};

template <typename T, std::size_t N>
constexpr int CountOf(const T (&)[N])
{
    return static_cast<int>(N);
}

struct FontRow {
    unsigned textId;
    int width;
    int height;
    int ascent;
    int descent;
};

constexpr FontRow kFonts[] = {
    {32848, 8, 16, 0, 16},  {32849, 7, 11, 7, 2},   {32850, 5, 6, 5, 0},
    {32851, 8, 12, 9, 0},   {32852, 16, 18, 16, 0}, {32853, 22, 24, 22, 0},
    {32854, 6, 16, 9, 0},   {32855, 8, 16, 7, 0},   {32856, 8, 16, 8, 0},
    {32857, 11, 16, 11, 0}, {32858, 44, 51, 49, 0}, {32859, 19, 18, 16, 0},
    {32860, 7, 7, 5, 0},    {32861, 8, 9, 7, 0},    {32862, 12, 14, 10, 0},
    {32863, 13, 16, 11, 0}, {32864, 9, 12, 9, 2},   {32865, 26, 26, 24, 0},
    {32866, 8, 9, 7, 0},
};

struct DelayRow {
    unsigned textId;
    double seconds;
};

constexpr DelayRow kDelays[] = {
    {32867, 0},    {32868, 0.1},  {32869, 0.2},   {32870, 0.3},   {32871, 0.5},
    {32872, 1},    {32873, 2},    {32874, 3},     {32875, 4},     {32876, 5},
    {32877, 6},    {32878, 7},    {32879, 8},     {32880, 9},     {32881, 10},
    {32882, 15},   {32883, 20},   {32884, 30},    {32885, 60},    {32886, 90},
    {32887, 120},  {32888, 180},  {32889, 300},   {32890, 600},   {32891, 900},
    {32892, 1200}, {32893, 1800}, {32894, 3600},  {32895, 5400},  {32896, 7200},
    {32897, 10800}, {32898, 21600}, {32899, 43200}, {32900, 86400},
};

// Lines of the information box, by contents; 0 ends a row.
constexpr unsigned kFormatName = 33042, kImageName = 33043, kSequenceName = 33044,
                   kHRate = 33045, kVRate = 33046, kStep = 33047, kPixelRate = 33048,
                   kAhv = 33049;
constexpr unsigned kInfoLines[][CInfoBoxContents::kMaxLines] = {
    {kFormatName, kImageName, kHRate, kVRate},
    {kFormatName},
    {kImageName},
    {kSequenceName},
    {kStep},
    {kFormatName, kImageName},
    {kSequenceName, kStep},
    {kHRate, kAhv},
    {kPixelRate, kAhv},
    {kFormatName, kImageName, kSequenceName, kStep},
    {kFormatName, kImageName, kPixelRate, kAhv},
    {kHRate, kVRate, kSequenceName, kStep},
    {kPixelRate, kAhv, kSequenceName, kStep},
    {kHRate, kVRate, kPixelRate, kAhv},
    {kFormatName, kImageName, kHRate, kVRate, kSequenceName, kStep},
    {kFormatName, kImageName, kPixelRate, kAhv, kSequenceName, kStep},
};
static_assert(std::size(kInfoLines) == std::size(kInfoBoxIds));

} // namespace

// --- CKindValue ---

CKindValue::CKindValue(int count, const unsigned *textIds, int index)
    : m_index(kNotSet), m_count(count), m_textIds(textIds)
{
    SetIndex(index);
}

bool CKindValue::SetIndex(int index)
{
    if (!InRange(index))
        return false;
    m_index = index;
    return true;
}

int CKindValue::GetIndex() const { return m_index; }

int CKindValue::GetCount() const { return m_count; }

QString CKindValue::GetText(int index) const
{
    const int option = Resolve(index);
    if (m_textIds == nullptr || option == kNotSet)
        return QString();
    return LoadString(m_textIds[option]);
}

// --- Table-only kinds ---

CAcsKind::CAcsKind(int index) : CKindValue(CountOf(kSyncKindIds), kSyncKindIds, index) {}

CDcsKind::CDcsKind(int index) : CKindValue(CountOf(kSyncKindIds), kSyncKindIds, index) {}

CDssKind::CDssKind(int index) : CKindValue(CountOf(kDssKindIds), kDssKindIds, index) {}

CTextBoxBorder::CTextBoxBorder(int index)
    : CKindValue(CountOf(kTextBoxBorderIds), kTextBoxBorderIds, index)
{
}

CRgbMask::CRgbMask(int index) : CKindValue(CountOf(kRgbMaskIds), kRgbMaskIds, index) {}

// --- CSyncSelect ---

CSyncSelect::CSyncSelect(int index)
    : CKindValue(CountOf(kSyncSelectIds), kSyncSelectIds, index),
      m_code(IsSet() ? CodeFromRow(GetIndex()) : kNotSet)
{
}

bool CSyncSelect::SetIndex(int row)
{
    if (!InRange(row))
        return false;
    // Code 4 also shows as "ACS"; re-choosing the row must not rewrite it.
    if (row != GetIndex())
        m_code = CodeFromRow(row);
    return CKindValue::SetIndex(row);
}

bool CSyncSelect::SetCode(int code)
{
    if (!CKindValue::SetIndex(RowFromCode(code)))
        return false;
    m_code = code;
    return true;
}

int CSyncSelect::GetCode() const { return m_code; }

int CSyncSelect::RowFromCode(int code)
{
    switch (code) {
    case kCodeAcs: return 4;
    case kCodeDcsDss: return 3;
    case kCodeDpmsOn: return 11;
    default: return code;
    }
}

int CSyncSelect::CodeFromRow(int row)
{
    switch (row) {
    case 3: return kCodeDcsDss;
    case 4: return kCodeAcs;
    case 11: return kCodeDpmsOn;
    default: return row;
    }
}

// --- CVideoKind ---

namespace {
// Digital kinds in index order 9..20 with their DVST codes; 0: none (index 14
// is the analog "Euro. Analog YPrPb").
constexpr int kFirstDigitalIndex = 9;
constexpr int kDigitalCodes[] = {1, 2, 5, 6, 7, 0, 9, 10, 13, 14, 15, 16};
constexpr int kEuroAnalogIndex = 14;
constexpr int kEuroAnalogCode = 6;
constexpr int kLastPlainAnalogIndex = 8;
} // namespace

CVideoKind::CVideoKind(int index) : CKindValue(CountOf(kVideoKindIds), kVideoKindIds, index) {}

bool CVideoKind::IsAnalog() const
{
    const int index = GetIndex();
    return (index >= 0 && index <= kLastPlainAnalogIndex) || index == kEuroAnalogIndex;
}

int CVideoKind::GetAnalogCode() const
{
    const int index = GetIndex();
    if (index >= 0 && index <= kLastPlainAnalogIndex)
        return index;
    return index == kEuroAnalogIndex ? kEuroAnalogCode : 0;
}

int CVideoKind::GetDigitalCode() const
{
    const int slot = GetIndex() - kFirstDigitalIndex;
    if (slot < 0 || slot >= CountOf(kDigitalCodes))
        return 0;
    return kDigitalCodes[slot];
}

void CVideoKind::SetFromAnalogCode(int code)
{
    SetIndex(code >= 0 && code <= kLastPlainAnalogIndex ? code : 0);
}

void CVideoKind::SetFromDigitalCode(int code)
{
    for (int slot = 0; slot < CountOf(kDigitalCodes); ++slot) {
        if (code != 0 && kDigitalCodes[slot] == code) {
            SetIndex(kFirstDigitalIndex + slot);
            return;
        }
    }
    SetIndex(0);
}

// --- CFontKind ---

CFontKind::CFontKind(int index) : CKindValue(CountOf(kFonts), nullptr, index) {}

QString CFontKind::GetText(int index) const
{
    const int option = Resolve(index);
    return option == kNotSet ? QString() : LoadString(kFonts[option].textId);
}

void CFontKind::SetByName(const QString &name)
{
    for (int i = 0; i < GetCount(); ++i) {
        if (GetText(i).compare(name, Qt::CaseInsensitive) == 0) {
            SetIndex(i);
            return;
        }
    }
    SetIndex(0);
}

QSize CFontKind::GetCellSize() const
{
    if (!IsSet())
        return QSize(0, 0);
    const FontRow &row = kFonts[GetIndex()];
    return QSize(row.width, row.height);
}

int CFontKind::GetAscent() const { return IsSet() ? kFonts[GetIndex()].ascent : 0; }

int CFontKind::GetDescent() const { return IsSet() ? kFonts[GetIndex()].descent : 0; }

// --- CDelayKind ---

CDelayKind::CDelayKind(int index) : CKindValue(CountOf(kDelays), nullptr, index) {}

QString CDelayKind::GetText(int index) const
{
    const int option = Resolve(index);
    return option == kNotSet ? QString() : LoadString(kDelays[option].textId);
}

double CDelayKind::GetSeconds(int index) const
{
    const int option = Resolve(index);
    return option == kNotSet ? kNotSetSeconds : kDelays[option].seconds;
}

void CDelayKind::SetBySeconds(double seconds)
{
    for (int i = 0; i < GetCount(); ++i) {
        if (kDelays[i].seconds == seconds) {
            SetIndex(i);
            return;
        }
    }
    SetIndex(0);
}

// --- CInfoBoxContents ---

CInfoBoxContents::CInfoBoxContents(int index)
    : CKindValue(CountOf(kInfoBoxIds), kInfoBoxIds, index)
{
}

int CInfoBoxContents::GetLineIds(std::array<unsigned, kMaxLines> &ids) const
{
    if (!IsSet())
        return 0;
    int count = 0;
    for (unsigned id : kInfoLines[GetIndex()]) {
        if (id == 0)
            break;
        ids[count++] = id;
    }
    return count;
}

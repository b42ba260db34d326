#include "CKindValue.h"

#include "StringTable.h"

#include <iterator>

namespace {

// ACS and DCS kinds share one table; the "Reserved" rows share one text.
constexpr unsigned kSyncKindIds[] = {
    IDS_KIND_NONE,
    IDS_KIND_RESERVED,
    IDS_SYNC_AMERICAN_ORED,
    IDS_SYNC_AMERICAN_SERRATED,
    IDS_SYNC_AMERICAN_SERR_EQ,
    IDS_KIND_RESERVED,
    IDS_SYNC_EUROPEAN_ORED,
    IDS_KIND_RESERVED,
    IDS_SYNC_EUROPEAN_SERR_EQ,
    IDS_KIND_RESERVED,
    IDS_SYNC_AMERICAN_HDTV_SERR_EQ,
    IDS_KIND_RESERVED,
    IDS_SYNC_EUROPEAN_HDTV_SERR_EQ,
    IDS_KIND_RESERVED,
    IDS_KIND_RESERVED,
    IDS_SYNC_JAPANESE_HDTV_SERR_EQ,
};

constexpr unsigned kDssKindIds[] = {
    IDS_KIND_NONE,         IDS_DSS_AMERICAN,      IDS_DSS_AMERICAN_HDTV,
    IDS_DSS_EUROPEAN_HDTV, IDS_DSS_JAPANESE_HDTV, IDS_DSS_EUROPEAN,
};

constexpr unsigned kSyncSelectIds[] = {
    IDS_KIND_NONE,       IDS_SELECT_DSS,         IDS_SELECT_DCS,          IDS_SELECT_DCS_DSS,
    IDS_SELECT_ACS,      IDS_SELECT_ACS_DSS,     IDS_SELECT_ACS_DCS,      IDS_SELECT_ACS_DCS_DSS,
    IDS_SELECT_DPMS_OFF, IDS_SELECT_DPMS_SUSPEND, IDS_SELECT_DPMS_STANDBY, IDS_SELECT_DPMS_ON,
};

constexpr unsigned kVideoKindIds[] = {
    IDS_KIND_NONE,
    IDS_VIDEO_ANALOG_Y,
    IDS_VIDEO_ANALOG_RGB,
    IDS_VIDEO_ANALOG_TV_Y,
    IDS_VIDEO_ANALOG_TV_EYC,
    IDS_VIDEO_ANALOG_YPRPB_240M,
    IDS_VIDEO_ANALOG_YCRCB_601,
    IDS_VIDEO_ANALOG_YRRPB_RP177,
    IDS_VIDEO_ANALOG_YPRPB_709,
    IDS_VIDEO_MDA_V,
    IDS_VIDEO_MDA_VI,
    IDS_VIDEO_CGA_RGB,
    IDS_VIDEO_CGA_RGBI,
    IDS_VIDEO_EGA_RRGGBB,
    IDS_VIDEO_EURO_YPRPB,
    IDS_VIDEO_DVI_Y,
    IDS_VIDEO_DVI_RGB,
    IDS_VIDEO_DVI_YPRPB_240M,
    IDS_VIDEO_DVI_YCRCB_601,
    IDS_VIDEO_DVI_YPRPB_RP177,
    IDS_VIDEO_DVI_YPRPB_709,
};

// The ids of a run of rows: first, first + 1, ...
template <unsigned First, std::size_t N>
constexpr std::array<unsigned, N> IdRun()
{
    std::array<unsigned, N> ids{};
    for (std::size_t i = 0; i < N; ++i)
        ids[i] = First + unsigned(i);
    return ids;
}

constexpr auto kInfoBoxIds = IdRun<IDS_INFO_CONTENTS_FIRST, 16>();

constexpr auto kTextBoxBorderIds = IdRun<IDS_TEXT_BOX_BORDER_FIRST, 4>();

constexpr auto kRgbMaskIds = IdRun<IDS_RGB_MASK_FIRST, 8>();

template <typename T, std::size_t N>
constexpr int CountOf(const T (&)[N])
{
    return static_cast<int>(N);
}

template <typename T, std::size_t N>
constexpr int CountOf(const std::array<T, N> &)
{
    return static_cast<int>(N);
}

// The fonts, in the order of their names (IDS_FONT_FIRST + index).
struct FontRow {
    int width;
    int height;
    int ascent;
    int descent;
};

constexpr FontRow kFonts[] = {
    {8, 16, 0, 16},  {7, 11, 7, 2},   {5, 6, 5, 0},
    {8, 12, 9, 0},   {16, 18, 16, 0}, {22, 24, 22, 0},
    {6, 16, 9, 0},   {8, 16, 7, 0},   {8, 16, 8, 0},
    {11, 16, 11, 0}, {44, 51, 49, 0}, {19, 18, 16, 0},
    {7, 7, 5, 0},    {8, 9, 7, 0},    {12, 14, 10, 0},
    {13, 16, 11, 0}, {9, 12, 9, 2},   {26, 26, 24, 0},
    {8, 9, 7, 0},
};

// The delays in seconds, in the order of their texts (IDS_DELAY_FIRST + index).
constexpr double kDelays[] = {
    0,    0.1,  0.2,  0.3,  0.5,  1,    2,    3,     4,     5,     6,     7,
    8,    9,    10,   15,   20,   30,   60,   90,    120,   180,   300,   600,
    900,  1200, 1800, 3600, 5400, 7200, 10800, 21600, 43200, 86400,
};

// Lines of the information box, by contents; 0 ends a row.
constexpr unsigned kFormatName = IDS_INFO_LINE_FORMAT_NAME, kImageName = IDS_INFO_LINE_IMAGE_NAME,
                   kSequenceName = IDS_INFO_LINE_SEQUENCE_NAME, kHRate = IDS_INFO_LINE_HRATE,
                   kVRate = IDS_INFO_LINE_VRATE, kStep = IDS_INFO_LINE_STEP, kPixelRate = IDS_INFO_LINE_PIXEL_RATE,
                   kAhv = IDS_INFO_LINE_AHV;
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
    : CKindValue(CountOf(kTextBoxBorderIds), kTextBoxBorderIds.data(), index)
{
}

CRgbMask::CRgbMask(int index) : CKindValue(CountOf(kRgbMaskIds), kRgbMaskIds.data(), index) {}

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
    return option == kNotSet ? QString() : LoadString(IDS_FONT_FIRST + unsigned(option));
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
    return option == kNotSet ? QString() : LoadString(IDS_DELAY_FIRST + unsigned(option));
}

double CDelayKind::GetSeconds(int index) const
{
    const int option = Resolve(index);
    return option == kNotSet ? kNotSetSeconds : kDelays[option];
}

void CDelayKind::SetBySeconds(double seconds)
{
    for (int i = 0; i < GetCount(); ++i) {
        if (kDelays[i] == seconds) {
            SetIndex(i);
            return;
        }
    }
    SetIndex(0);
}

// --- CInfoBoxContents ---

CInfoBoxContents::CInfoBoxContents(int index)
    : CKindValue(CountOf(kInfoBoxIds), kInfoBoxIds.data(), index)
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

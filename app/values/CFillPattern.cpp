#include "CFillPattern.h"

#include "ResourceIds.h"

#include <array>
#include <memory>

namespace {

constexpr unsigned kFirstTextId = IDS_PATTERN_FIRST;
const unsigned *PatternIds()
{
    static const auto ids = [] {
        std::array<unsigned, CFillPattern::kPatternCount> a{};
        for (int i = 0; i < CFillPattern::kPatternCount; ++i)
            a[i] = kFirstTextId + static_cast<unsigned>(i);
        return a;
    }();
    return ids.data();
}

// Indexes of the pattern families in the list.
constexpr int kFirstGray = 0;
constexpr int kFirstChecker = 17;
constexpr int kFirstBarsV = 21;
constexpr int kFirstBarsH = 25;
constexpr int kMeme = 29;
constexpr int kFccEmi = 30;
constexpr int kGrayPercent[] = {0, 7, 13, 19, 25, 31, 38, 44, 50, 56, 63, 69, 75, 81, 88, 94, 100};

// The tile holds one period of the widest pattern (8-pixel checkers and bars).
constexpr int kTile = 16;
constexpr uint kColourBit = 0; // painted in the drawing colour
constexpr uint kBlackBit = 1;

// Ordered dither: a pixel is coloured when its threshold lies below the level.
constexpr int kBayer8[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
    {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
    {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21},
};

bool IsColoured(int pattern, int x, int y)
{
    if (pattern < kFirstChecker) {
        const int level = (kGrayPercent[pattern - kFirstGray] * 64 + 50) / 100;
        return kBayer8[y % 8][x % 8] < level;
    }
    if (pattern < kFirstBarsV) {
        const int size = 1 << (pattern - kFirstChecker);
        return (x / size + y / size) % 2 == 0;
    }
    if (pattern < kFirstBarsH) {
        const int size = 1 << (pattern - kFirstBarsV);
        return (x / size) % 2 == 0;
    }
    if (pattern < kMeme) {
        const int size = 1 << (pattern - kFirstBarsH);
        return (y / size) % 2 == 0;
    }
    if (pattern == kMeme) // diagonal stripes, two pixels wide
        return (x + y) % 4 < 2;
    // FCC_EMI: a field of "H" letters, one per tile.
    const bool stem = (x == 3 || x == 4 || x == 11 || x == 12) && y >= 2 && y <= 13;
    const bool bar = (y == 7 || y == 8) && x >= 3 && x <= 12;
    return pattern == kFccEmi && (stem || bar);
}

QImage MakeBitmap(int pattern)
{
    QImage image(kTile, kTile, QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    for (int y = 0; y < kTile; ++y)
        for (int x = 0; x < kTile; ++x)
            image.setPixel(x, y, IsColoured(pattern, x, y) ? kColourBit : kBlackBit);
    return image;
}

using Bitmaps = std::array<QImage, CFillPattern::kPatternCount>;
std::unique_ptr<Bitmaps> g_bitmaps;
int g_liveCount = 0;

} // namespace

CFillPattern::CFillPattern(int index) : CKindValue(kPatternCount, PatternIds(), index)
{
    AddInstance();
}

CFillPattern::CFillPattern(const CFillPattern &other) : CKindValue(other)
{
    AddInstance();
}

CFillPattern::~CFillPattern()
{
    if (--g_liveCount == 0)
        g_bitmaps.reset();
}

void CFillPattern::AddInstance()
{
    if (g_liveCount++ > 0)
        return;
    g_bitmaps = std::make_unique<Bitmaps>();
    for (int i = 0; i < kPatternCount; ++i)
        (*g_bitmaps)[i] = MakeBitmap(i);
}

bool CFillPattern::BitmapsLoaded() { return g_bitmaps != nullptr; }

void CFillPattern::SetByName(const QString &name)
{
    for (int i = 0; i < GetCount(); ++i) {
        if (GetText(i).compare(name, Qt::CaseInsensitive) == 0) {
            SetIndex(i);
            return;
        }
    }
    SetIndex(0);
}

const QImage &CFillPattern::GetBitmap(int index) const
{
    if (index < 0)
        index = GetIndex();
    if (index < 0 || index >= kPatternCount)
        index = 0;
    return (*g_bitmaps)[index];
}

#include "CFillPattern.h"
#include "CKindValue.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

// --- Option tables: count, default, texts -------------------------------

struct TextRow {
    int index;
    const char *text;
};

struct KindTable {
    const char *name;
    std::function<std::unique_ptr<CKindValue>()> make; // default-constructed
    int count;
    std::vector<TextRow> rows;
};

template <typename T>
std::function<std::unique_ptr<CKindValue>()> Maker()
{
    return [] { return std::make_unique<T>(); };
}

const std::vector<KindTable> &Tables()
{
    static const std::vector<KindTable> tables = {
        {"CAcsKind", Maker<CAcsKind>(), 16,
         {{0, "None"}, {1, "Reserved"}, {2, "American ORed"}, {4, "American Serr. & Eq."},
          {6, "European  ORed"}, {10, "American HDTV Serr & Eq."}, {14, "Reserved"},
          {15, "Japanese HDTV Serr. & Eq."}}},
        {"CDcsKind", Maker<CDcsKind>(), 16,
         {{0, "None"}, {3, "American Serrated"}, {8, "European Serr. & Eq."},
          {12, "European HDTV Serr. & Eq."}, {15, "Japanese HDTV Serr. & Eq."}}},
        {"CDssKind", Maker<CDssKind>(), 6,
         {{0, "None"}, {1, "American Separate"}, {4, "Japanese HDTV Separate"}, {5, "European Separate"}}},
        {"CSyncSelect", Maker<CSyncSelect>(), 12,
         {{0, "None"}, {3, "DCS,DSS"}, {4, "ACS"}, {7, "ACS,DCS,DSS"}, {10, "DPMS Stand-By"}, {11, "DPMS ON"}}},
        {"CVideoKind", Maker<CVideoKind>(), 21,
         {{0, "None"}, {1, "Analog Y (grayscale)"}, {4, "Analog TV EYC (color Subcarrier)"},
          {7, "Analog YRrPb (SMPTE RP177)"}, {14, "Euro. Analog YPrPb"}, {15, "DVI Y (grayscale)"},
          {16, "DVI RGB (color)"}, {17, "DVI YPrPb (SMPTE 240M)"}, {18, "DVI YCrCb (ITU-R BT.601)"},
          {20, "DVI YPrPb (ITU-R BT.709)"}}},
        {"CFillPattern", Maker<CFillPattern>(), 31,
         {{0, "GrayPat0"}, {8, "GrayPat50"}, {16, "GrayPat100"}, {17, "Checker1"}, {20, "Checker8"},
          {21, "bars_V1"}, {28, "bars_H8"}, {29, "meme"}, {30, "FCC_EMI"}}},
        {"CFontKind", Maker<CFontKind>(), 19,
         {{0, "sys16"}, {1, "opix9"}, {5, "kanjikan"}, {10, "memplus"}, {17, "china24"}, {18, "focushp7"}}},
        {"CDelayKind", Maker<CDelayKind>(), 34,
         {{0, "0.0 sec"}, {4, "0.5 sec"}, {17, "30.0 sec"}, {18, "1.0 min"}, {27, "1.0 hour"},
          {33, "24.0 hour"}}},
        {"CInfoBoxContents", Maker<CInfoBoxContents>(), 16,
         {{0, "F-I-HR-VR"}, {6, "Sequence and Step"}, {10, "F, I, AHV, and PRate"}, {11, "HR, VR S and ST"},
          {15, "F, I, AHV, PR, S and ST"}}},
        {"CTextBoxBorder", Maker<CTextBoxBorder>(), 4,
         {{0, "Transparent with No Border"}, {1, "Transparent with a Line Border"},
          {3, "Opaque with a Line Border"}}},
        {"CRgbMask", Maker<CRgbMask>(), 8, {{0, " - - -"}, {3, " - G B"}, {5, " R - B"}, {7, " R G B"}}},
    };
    return tables;
}

TEST(KindValue, TablesGiveTheirTexts)
{
    for (const KindTable &t : Tables()) {
        SCOPED_TRACE(t.name);
        const auto kind = t.make();
        EXPECT_EQ(kind->GetCount(), t.count);
        EXPECT_EQ(kind->GetIndex(), 0);
        for (const TextRow &row : t.rows)
            EXPECT_EQ(kind->GetText(row.index), QString::fromUtf8(row.text)) << "index " << row.index;
    }
}

TEST(KindValue, SetIndexAcceptsOnlyTheTable)
{
    for (const KindTable &t : Tables()) {
        SCOPED_TRACE(t.name);
        const auto kind = t.make();
        EXPECT_TRUE(kind->SetIndex(t.count - 1));
        EXPECT_EQ(kind->GetIndex(), t.count - 1);
        for (int bad : {t.count, -1, 1000}) {
            EXPECT_FALSE(kind->SetIndex(bad)) << bad;
            EXPECT_EQ(kind->GetIndex(), t.count - 1);
        }
        EXPECT_TRUE(kind->SetIndex(1));
        // -1 and any index past the table mean the current option.
        EXPECT_EQ(kind->GetText(-1), kind->GetText(1));
        EXPECT_EQ(kind->GetText(t.count), kind->GetText(1));
    }
}

TEST(KindValue, CurrentTextOfDssKind)
{
    CDssKind dss(5);
    EXPECT_EQ(dss.GetText(-1), "European Separate");
    EXPECT_EQ(dss.GetText(), "European Separate");
}

TEST(KindValue, SyncSelectRefusesTwelve)
{
    CSyncSelect sync(7);
    EXPECT_FALSE(sync.SetIndex(12));
    EXPECT_EQ(sync.GetIndex(), 7);
}

// A stored index from a damaged file must not read past the tables.
TEST(KindValue, InitialIndexOutsideTheTableIsNotSet)
{
    CAcsKind acs(16);
    EXPECT_FALSE(acs.IsSet());
    EXPECT_EQ(acs.GetIndex(), CKindValue::kNotSet);
    EXPECT_EQ(acs.GetText(-1), "");
    EXPECT_EQ(acs.GetText(2), "American ORed"); // explicit options still have texts
    EXPECT_EQ(acs.GetArchiveValue(), -1);

    CFontKind font(-5);
    EXPECT_EQ(font.GetText(), "");
    EXPECT_EQ(font.GetCellSize(), QSize(0, 0));
    EXPECT_EQ(font.GetAscent(), 0);
    EXPECT_EQ(font.GetDescent(), 0);

    CDelayKind delay(34);
    EXPECT_EQ(delay.GetText(), "");
    EXPECT_EQ(delay.GetSeconds(-1), CDelayKind::kNotSetSeconds);
    EXPECT_EQ(delay.GetSeconds(5), 1.0);

    CVideoKind video(21);
    EXPECT_FALSE(video.IsAnalog());
    EXPECT_EQ(video.GetAnalogCode(), 0);
    EXPECT_EQ(video.GetDigitalCode(), 0);

    CInfoBoxContents info(99);
    std::array<unsigned, CInfoBoxContents::kMaxLines> ids{};
    EXPECT_EQ(info.GetLineIds(ids), 0);

    CSyncSelect sync(12);
    EXPECT_EQ(sync.GetCode(), CKindValue::kNotSet);
    EXPECT_EQ(sync.GetText(), "");

    // A valid index makes the value set again.
    EXPECT_TRUE(acs.SetIndex(3));
    EXPECT_TRUE(acs.IsSet());
    EXPECT_EQ(acs.GetText(), "American Serrated");
}

TEST(KindValue, ArchiveValueIsTheIndex)
{
    CTextBoxBorder border(2);
    EXPECT_EQ(border.GetArchiveValue(), 2);
    EXPECT_TRUE(border.SetArchiveValue(3));
    EXPECT_EQ(border.GetIndex(), 3);
    EXPECT_FALSE(border.SetArchiveValue(4));
    EXPECT_EQ(border.GetIndex(), 3);
}

// --- Sync select: generator codes against list rows ---------------------

struct SyncCase {
    int code;
    int row;
    const char *text;
};

const std::vector<SyncCase> kSyncCodes = {
    {0, 0, "None"},        {1, 1, "DSS"},          {2, 2, "DCS"},           {11, 3, "DCS,DSS"},
    {3, 4, "ACS"},         {5, 5, "ACS,DSS"},      {6, 6, "ACS,DCS"},       {7, 7, "ACS,DCS,DSS"},
    {8, 8, "DPMS OFF"},    {9, 9, "DPMS Suspend"}, {10, 10, "DPMS Stand-By"}, {13, 11, "DPMS ON"},
};

TEST(SyncSelect, CodesAndRows)
{
    for (const SyncCase &c : kSyncCodes) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CSyncSelect::RowFromCode(c.code), c.row);
        EXPECT_EQ(CSyncSelect::CodeFromRow(c.row), c.code);

        CSyncSelect byCode;
        EXPECT_TRUE(byCode.SetCode(c.code));
        EXPECT_EQ(byCode.GetCode(), c.code);
        EXPECT_EQ(byCode.GetIndex(), c.row);
        EXPECT_EQ(byCode.GetText(-1), c.text);

        CSyncSelect byRow;
        EXPECT_TRUE(byRow.SetIndex(c.row));
        EXPECT_EQ(byRow.GetCode(), c.code);
    }
}

TEST(SyncSelect, DpmsOnIsStoredAndSentAsThirteen)
{
    CSyncSelect sync(1);
    EXPECT_TRUE(sync.SetArchiveValue(13));
    EXPECT_EQ(sync.GetArchiveValue(), 13);
    EXPECT_EQ(sync.GetCode(), 13);
    EXPECT_EQ(sync.GetText(), "DPMS ON");
}

TEST(SyncSelect, CodeFourStaysFourUntilAnotherRowIsChosen)
{
    CSyncSelect sync;
    EXPECT_TRUE(sync.SetCode(4));
    EXPECT_EQ(sync.GetIndex(), 4);
    EXPECT_EQ(sync.GetText(), "ACS");
    EXPECT_TRUE(sync.SetIndex(4));
    EXPECT_EQ(sync.GetCode(), 4);
    EXPECT_TRUE(sync.SetIndex(5));
    EXPECT_TRUE(sync.SetIndex(4));
    EXPECT_EQ(sync.GetCode(), 3);
}

TEST(SyncSelect, CodesWithoutARowAreRefused)
{
    CSyncSelect sync(6);
    for (int code : {12, 14, -1, 255}) {
        EXPECT_FALSE(sync.SetCode(code)) << code;
        EXPECT_FALSE(sync.SetArchiveValue(code)) << code;
        EXPECT_EQ(sync.GetCode(), 6);
    }
}

// --- Video kind: analog and digital codes -------------------------------

struct VideoCase {
    int index;
    bool analog;
    int analogCode;
    int digitalCode;
};

TEST(VideoKind, CodesOfEachKind)
{
    const std::vector<VideoCase> cases = {
        {0, true, 0, 0},   {1, true, 1, 0},    {2, true, 2, 0},    {8, true, 8, 0},
        {9, false, 0, 1},  {10, false, 0, 2},  {11, false, 0, 5},  {12, false, 0, 6},
        {13, false, 0, 7}, {14, true, 6, 0},   {15, false, 0, 9},  {16, false, 0, 10},
        {17, false, 0, 13}, {18, false, 0, 14}, {19, false, 0, 15}, {20, false, 0, 16},
    };
    for (const VideoCase &c : cases) {
        CVideoKind video(c.index);
        SCOPED_TRACE(c.index);
        EXPECT_EQ(video.IsAnalog(), c.analog);
        EXPECT_EQ(video.GetAnalogCode(), c.analogCode);
        EXPECT_EQ(video.GetDigitalCode(), c.digitalCode);
        if (c.digitalCode != 0) {
            CVideoKind back(2);
            back.SetFromDigitalCode(c.digitalCode);
            EXPECT_EQ(back.GetIndex(), c.index);
        }
    }
}

TEST(VideoKind, UnknownCodesSelectNone)
{
    CVideoKind video(2);
    video.SetFromDigitalCode(3);
    EXPECT_EQ(video.GetText(), "None");
    for (int code : {0, 4, 8, 11, 12, 17, -1}) {
        video.SetIndex(5);
        video.SetFromDigitalCode(code);
        EXPECT_EQ(video.GetIndex(), 0) << code;
    }
    for (int code : {9, 14, -1}) {
        video.SetIndex(5);
        video.SetFromAnalogCode(code);
        EXPECT_EQ(video.GetIndex(), 0) << code;
    }
    video.SetFromAnalogCode(8);
    EXPECT_EQ(video.GetIndex(), 8);
}

TEST(VideoKind, EuroAnalogComesBackAsCodeSix)
{
    CVideoKind euro(14);
    CVideoKind back;
    back.SetFromAnalogCode(euro.GetAnalogCode());
    EXPECT_EQ(back.GetIndex(), 6);
    EXPECT_EQ(back.GetText(), "Analog YCrCb (ITU-R BT.601)");
}

TEST(VideoKind, DigitalMdaViRoundTrips)
{
    CVideoKind mda;
    mda.SetFromDigitalCode(2);
    EXPECT_EQ(mda.GetText(), "Digital MDA VI");
    EXPECT_EQ(mda.GetDigitalCode(), 2);
}

// --- Fonts ---------------------------------------------------------------

struct FontCase {
    int index;
    int width;
    int height;
    int ascent;
    int descent;
};

TEST(FontKind, Metrics)
{
    const std::vector<FontCase> cases = {
        {0, 8, 16, 0, 16}, {1, 7, 11, 7, 2},   {2, 5, 6, 5, 0},    {6, 6, 16, 9, 0},
        {10, 44, 51, 49, 0}, {11, 19, 18, 16, 0}, {16, 9, 12, 9, 2}, {17, 26, 26, 24, 0},
        {18, 8, 9, 7, 0},
    };
    for (const FontCase &c : cases) {
        CFontKind font(c.index);
        SCOPED_TRACE(c.index);
        EXPECT_EQ(font.GetCellSize(), QSize(c.width, c.height));
        EXPECT_EQ(font.GetAscent(), c.ascent);
        EXPECT_EQ(font.GetDescent(), c.descent);
    }
}

// --- Name and seconds lookups -------------------------------------------

struct NameCase {
    const char *name;
    int index;
};

TEST(FontKind, SetByName)
{
    const std::vector<NameCase> cases = {
        {"SYS16", 0}, {"opix9", 1}, {"FocusHP7", 18}, {"memplus", 10}, {"arial", 0}, {"", 0}, {"sys1", 0},
    };
    for (const NameCase &c : cases) {
        CFontKind font(5);
        font.SetByName(c.name);
        EXPECT_EQ(font.GetIndex(), c.index) << c.name;
    }
}

TEST(FillPattern, SetByName)
{
    const std::vector<NameCase> cases = {
        {"checker4", 19}, {"GRAYPAT50", 8}, {"Bars_H2", 26}, {"fcc_emi", 30}, {"GrayPat51", 0}, {"", 0},
    };
    for (const NameCase &c : cases) {
        CFillPattern pattern(3);
        pattern.SetByName(c.name);
        EXPECT_EQ(pattern.GetIndex(), c.index) << c.name;
    }
}

struct SecondsCase {
    int index;
    double seconds;
};

TEST(DelayKind, Seconds)
{
    const std::vector<SecondsCase> cases = {
        {0, 0.0},   {1, 0.1},     {3, 0.3},     {4, 0.5},      {14, 10.0},    {17, 30.0},
        {18, 60.0}, {19, 90.0},   {26, 1800.0}, {28, 5400.0},  {32, 43200.0}, {33, 86400.0},
    };
    CDelayKind delay(7);
    for (const SecondsCase &c : cases) {
        EXPECT_EQ(delay.GetSeconds(c.index), c.seconds) << c.index;
        CDelayKind set(5);
        set.SetBySeconds(c.seconds);
        EXPECT_EQ(set.GetIndex(), c.index) << c.seconds;
    }
    // Outside the table: the current option.
    EXPECT_EQ(delay.GetSeconds(-1), 3.0);
    EXPECT_EQ(delay.GetSeconds(34), 3.0);
}

TEST(DelayKind, UnknownSecondsSelectTheFirstOption)
{
    for (double seconds : {45.0, -1.0, 0.25, 86401.0}) {
        CDelayKind delay(10);
        delay.SetBySeconds(seconds);
        EXPECT_EQ(delay.GetText(), "0.0 sec") << seconds;
    }
}

// --- Information box lines ----------------------------------------------

struct InfoCase {
    int contents;
    std::vector<unsigned> lines;
};

TEST(InfoBoxContents, LineIds)
{
    const std::vector<InfoCase> cases = {
        {0, {33042, 33043, 33045, 33046}},
        {1, {33042}},
        {4, {33047}},
        {7, {33045, 33049}},
        {11, {33045, 33046, 33044, 33047}},
        {12, {33048, 33049, 33044, 33047}},
        {14, {33042, 33043, 33045, 33046, 33044, 33047}},
        {15, {33042, 33043, 33048, 33049, 33044, 33047}},
    };
    for (const InfoCase &c : cases) {
        CInfoBoxContents info(c.contents);
        std::array<unsigned, CInfoBoxContents::kMaxLines> ids{};
        const int n = info.GetLineIds(ids);
        ASSERT_EQ(n, static_cast<int>(c.lines.size())) << c.contents;
        EXPECT_EQ(std::vector<unsigned>(ids.begin(), ids.begin() + n), c.lines) << c.contents;
    }
}

// --- Fill-pattern pictures ----------------------------------------------

TEST(FillPattern, PicturesLiveAsLongAsAnyPattern)
{
    ASSERT_FALSE(CFillPattern::BitmapsLoaded());
    {
        auto first = std::make_unique<CFillPattern>();
        EXPECT_TRUE(CFillPattern::BitmapsLoaded());
        CFillPattern copy(*first);
        first.reset();
        EXPECT_TRUE(CFillPattern::BitmapsLoaded());
        EXPECT_FALSE(copy.GetBitmap(8).isNull());
    }
    EXPECT_FALSE(CFillPattern::BitmapsLoaded());
    CFillPattern again;
    EXPECT_TRUE(CFillPattern::BitmapsLoaded());
}

// Share of pixels painted in the drawing colour (0 bits).
double ColouredShare(const QImage &image)
{
    int coloured = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            coloured += image.pixelIndex(x, y) == 0;
    return double(coloured) / (image.width() * image.height());
}

TEST(FillPattern, GetBitmapPicksTheOption)
{
    CFillPattern pattern(16); // GrayPat100
    EXPECT_EQ(ColouredShare(pattern.GetBitmap(-1)), 1.0);
    EXPECT_EQ(ColouredShare(pattern.GetBitmap(0)), 0.0);
    EXPECT_EQ(ColouredShare(pattern.GetBitmap(8)), 0.5);
    EXPECT_EQ(ColouredShare(pattern.GetBitmap(4)), 0.25);
    // Out of range: pattern 0.
    EXPECT_EQ(ColouredShare(pattern.GetBitmap(31)), 0.0);

    const QImage &checker1 = pattern.GetBitmap(17);
    EXPECT_NE(checker1.pixelIndex(0, 0), checker1.pixelIndex(1, 0));
    EXPECT_NE(checker1.pixelIndex(0, 0), checker1.pixelIndex(0, 1));
    const QImage &barsV2 = pattern.GetBitmap(22);
    EXPECT_EQ(barsV2.pixelIndex(0, 0), barsV2.pixelIndex(1, 5));
    EXPECT_NE(barsV2.pixelIndex(1, 0), barsV2.pixelIndex(2, 0));
    const QImage &barsH8 = pattern.GetBitmap(28);
    EXPECT_EQ(barsH8.pixelIndex(3, 7), barsH8.pixelIndex(9, 0));
    EXPECT_NE(barsH8.pixelIndex(0, 7), barsH8.pixelIndex(0, 8));
    // The last two are pictures, not fills: neither empty nor solid.
    for (int index : {29, 30}) {
        const double share = ColouredShare(pattern.GetBitmap(index));
        EXPECT_GT(share, 0.0) << index;
        EXPECT_LT(share, 1.0) << index;
    }
    EXPECT_NE(pattern.GetBitmap(29).pixelIndex(0, 0), pattern.GetBitmap(29).pixelIndex(2, 0));
}

} // namespace

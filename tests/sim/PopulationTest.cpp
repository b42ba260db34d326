// A populated generator: its stores hold the items asked for beside the
// built-in ones, and the figures of each format read back as the detailed
// format list queries them.

#include "gensim/Generator.h"
#include "gensim/Population.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gensim::test {
namespace {

using Lines = std::vector<std::string>;

TEST(Population, StoresHoldTheItemsBesideTheBuiltInOnes)
{
    Generator g({});
    populate(g, {.formats = 450, .images = 131, .sequences = 50, .directories = 2, .fonts = 3, .pixelMaps = 4});
    EXPECT_EQ(g.names(ItemKind::Format).size(), 450u + 6u);
    EXPECT_EQ(g.names(ItemKind::Image).size(), 131u + 7u);
    EXPECT_EQ(g.names(ItemKind::Sequence).size(), 50u + 1u);
    EXPECT_EQ(g.names(ItemKind::Directory).size(), 2u + 2u);
    EXPECT_EQ(g.names(ItemKind::Font).size(), 3u + 2u);
    EXPECT_EQ(g.names(ItemKind::PixelMap).size(), 4u + 2u);
    EXPECT_EQ(g.execute("FMTK? UF0449"), Lines{"1"});
    EXPECT_EQ(g.execute("IMGK? UI0130"), Lines{"1"});
    EXPECT_EQ(g.item(ItemKind::Directory, "UK0001")->entries, (Lines{"UF0001", "UF0002", "UF0003"}));
    // One list query answers at most 450 names.
    EXPECT_EQ(g.execute("FMTQ? 1 450").size(), 450u);
}

struct Figures {
    const char *load;
    Lines replies; // HRES? VRES? SCAN? HTOT? VTOT? HRAT? SSST? AVST? DVST?
};

TEST(Population, FormatFiguresReadBackAfterALoad)
{
    Generator g({});
    populate(g, {.formats = 9});
    const Figures cases[] = {
        {"FMTL \"UF0000\"", {"640", "480", "1", "800", "525", "31469.0000", "7", "1", "0"}},
        {"FMTL \"UF0004\"", {"1280", "1024", "1", "1688", "1066", "63981.0000", "11", "0", "2"}},
        {"FMTL \"UF0005\"", {"1920", "1080", "2", "2200", "1125", "33750.0000", "5", "0", "9"}},
        // The eighth timing repeats the first one's line rate.
        {"FMTL \"UF0007\"", {"640", "350", "1", "800", "449", "31469.0000", "3", "1", "0"}},
        // The timings repeat.
        {"FMTL \"UF0008\"", {"640", "480", "1", "800", "525", "31469.0000", "7", "1", "0"}},
        // A built-in format that holds no timing of its own reads the
        // generator's defaults, not the figures of the format before it.
        {"FMTL \"VGA_m4\"", {"640", "480", "1", "800", "525", "31469.0000", "7", "1", "0"}},
    };
    for (const Figures &c : cases) {
        SCOPED_TRACE(c.load);
        g.execute("FMTL \"UF0005\"");
        EXPECT_EQ(g.execute(c.load), Lines{});
        Lines replies;
        for (const char *query : {"HRES?", "VRES?", "SCAN?", "HTOT?", "VTOT?", "HRAT?", "SSST?", "AVST?", "DVST?"})
            replies.push_back(g.execute(query).at(0));
        EXPECT_EQ(replies, c.replies);
    }
}

} // namespace
} // namespace gensim::test

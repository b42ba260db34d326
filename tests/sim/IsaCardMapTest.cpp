// The ISA card's memory map per firmware build: which build a version runs,
// and that nothing the card, its host or its firmware keeps shares a word
// with anything else in any build.

#include "gensim/IsaCardMap.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace gensim::test {
namespace {

std::string hex(uint64_t value)
{
    char text[24];
    std::snprintf(text, sizeof text, "%llX", static_cast<unsigned long long>(value));
    return text;
}

std::string describe(const IsaRegion& r)
{
    return std::string(r.name) + " " + hex(r.first) + "-" + hex(r.end() - 16);
}

// Every build of the table, and the map of a version without a row.
std::vector<IsaBuild> everyBuild()
{
    std::vector<IsaBuild> builds = isaBuilds();
    builds.push_back(isaBuildOf(2.8001));
    return builds;
}

TEST(IsaCardMap, NoTwoRegionsOverlapInAnyBuild)
{
    for (const IsaBuild& build : everyBuild()) {
        const std::vector<IsaRegion> regions = isaRegions(build);
        for (std::size_t i = 0; i < regions.size(); ++i)
            for (std::size_t j = i + 1; j < regions.size(); ++j)
                EXPECT_FALSE(regions[i].overlaps(regions[j]))
                    << "build " << build.key << ": " << describe(regions[i]) << " and " << describe(regions[j]);
    }
}

// The card backs its RAM, the heap and video memory; the stores, the
// system record and the host-interface words lie in the RAM.
TEST(IsaCardMap, TheFirmwaresWordsLieInItsRam)
{
    for (const IsaBuild& build : everyBuild())
        for (const IsaRegion& r : isaRegions(build)) {
            const bool inRam = isa::kRam.contains(r.first) && r.end() <= isa::kRam.end();
            const bool elsewhere = r.first == isa::kVideo.first || r.first == isa::kIdentity.first
                                || r.first == isa::kIoRegisters.first || r.first == isa::kStagingHeap.first
                                || r.first == isa::kFlashWrite.first || r.first == isa::kFlashRom.first;
            EXPECT_TRUE(inRam != elsewhere) << "build " << build.key << ": " << describe(r);
        }
}

// The flash parts are unlocked inside the write window and identified
// through the ROM; each unpack routine is code in the ROM.
TEST(IsaCardMap, FlashAddressesAndRoutinesLieInTheFlashWindows)
{
    for (uint32_t unlock : {0xFF855550u, 0xFF82AAA0u, 0xFF800000u})
        EXPECT_TRUE(isa::kFlashWrite.contains(unlock)) << hex(unlock);
    EXPECT_TRUE(isa::kFlashRom.contains(0xFFC00010));
    // The last word programmed (0x3FFFF) and read back.
    EXPECT_TRUE(isa::kFlashWrite.contains((0x3FFFF + 0xFF80000u) * 16));
    EXPECT_TRUE(isa::kFlashRom.contains((0x3FFFF + 0xFFC0000u) * 16));
    for (const IsaBuild& b : isaBuilds())
        for (uint32_t routine : {b.formatUnpack, b.imageUnpack, b.sequenceUnpack, b.directoryUnpack, b.pathUnpack}) {
            EXPECT_TRUE(routine == 0 || isa::kFlashRom.contains(routine)) << "build " << b.key << ": " << hex(routine);
        }
}

TEST(IsaCardMap, AVersionRunsTheBuildOfItsKey)
{
    struct Row {
        double firmware;
        int key;
        uint32_t format;
        uint32_t image;
        uint32_t directory;
    };
    const Row rows[] = {
        {2.8, 2800, 0xFF1C8000, 0xFF0077C0, 0},
        {2.898, 2898, 0xFF1C8000, 0xFF015940, 0xFF005560},
        {2.981, 2981, 0xFF1C8000, 0xFF0462E0, 0xFF005600},
        {2.993, 2993, 0xFF1C8000, 0xFF0462E0, 0xFF005600},
        {3.0, 3000, 0xFF1D0D00, 0xFF1A0D00, 0xFF0C8D00},
        {3.05, 3000, 0xFF1D0D00, 0xFF1A0D00, 0xFF0C8D00},
        {7.045, 3000, 0xFF1D0D00, 0xFF1A0D00, 0xFF0C8D00},
        // A beta of a build, and a version without a row: the reset map.
        {2.8001, 0, 0xFF1C8000, 0, 0},
        {2.987, 0, 0xFF1C8000, 0, 0},
        {2.453, 0, 0xFF1C8000, 0, 0},
    };
    for (const Row& r : rows) {
        const IsaBuild b = isaBuildOf(r.firmware);
        EXPECT_EQ(b.key, r.key) << r.firmware;
        EXPECT_EQ(b.format, r.format) << r.firmware;
        EXPECT_EQ(b.image, r.image) << r.firmware;
        EXPECT_EQ(b.directory, r.directory) << r.firmware;
    }
}

// Build 3000 packs its stores end to end, the format store up to the
// character words.
TEST(IsaCardMap, Build3000PacksItsStores)
{
    const IsaBuild b = isaBuildOf(3.0);
    EXPECT_EQ(b.path + 16 * isa::kPathTableWords, 0xFF0C7100u);
    EXPECT_EQ(b.sequence + 8 * isa::sequenceStoreBytes(3.0), b.image);
    EXPECT_EQ(b.image + 16 * isa::kImageStoreWords, b.format);
    EXPECT_EQ(b.format + 16 * isa::kFormatStoreWords, isa::kCharacters.first);
}

TEST(IsaCardMap, TheSequenceStoreGrowsWithTheFirmware)
{
    const std::pair<double, uint32_t> rows[] = {{2.604, 10240}, {2.605, 30720}, {2.979, 30720}, {2.98, 51200}};
    for (const auto& [firmware, bytes] : rows)
        EXPECT_EQ(isa::sequenceStoreBytes(firmware), bytes) << firmware;
}

} // namespace
} // namespace gensim::test

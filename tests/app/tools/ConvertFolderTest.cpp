// The folder conversion from each older revision's form to the later ones:
// the chain of revisions it runs, the files it leaves and their sizes, and
// the system record; sizes worked out by hand from the fixtures' records.

#include "MemoryConversionFixture.h"

#include "MemoryFileReader.h"

#include <QCryptographicHash>

namespace {

using namespace MemoryFixtures;

struct ConversionRow {
    const char *name;
    MemoryFolder (*source)();
    double target;
    std::vector<int> chain;  // the "--> Version" lines, in order
    std::map<QString, int> sizes;  // every file the destination holds
    const char *revision;  // system.sys bytes 0-7; nullptr: no system.sys
    uint8_t byte14;
    uint8_t byte22;
};

void PrintTo(const ConversionRow &row, std::ostream *os) { *os << row.name; }

QString VersionLine(int revision)
{
    return QStringLiteral("--> Version %1.%2").arg(revision / 1000).arg(revision % 1000, 3, 10, QChar('0'))
         + QStringLiteral("00000:");
}

MemoryFolder From2349() { return Folder2349("4C37894160651940"); }
MemoryFolder From2453() { return Folder2349("1C5A643BDFCF1940"); }
MemoryFolder From2981() { return Folder2981("068195438BEC1B40"); }
MemoryFolder From3000() { return Folder2981("0000000000001C40"); }

const std::vector<int> kTo2999From2898 = {2999, 2994, 2991, 2983, 2981};
const std::vector<int> kFrom2179To2898 = {2800, 2642, 2453, 2349, 2299};

std::vector<int> Chain(std::initializer_list<int> head, const std::vector<int> &tail = {},
                       std::initializer_list<int> end = {})
{
    std::vector<int> chain(head);
    chain.insert(chain.end(), tail.begin(), tail.end());
    chain.insert(chain.end(), end);
    return chain;
}

// Sizes: formats 25200 (300 x 84) and 21600 (300 x 72), 32 + 112 per format
// object; images 119, 121 and 131 in the forms of 2.000, 2.179 and 2.349,
// 234 at revision 7; sequences 1168, 99, 115, 121 (0xFF and its three
// bytes) and 228; knob lists and directories 8 bytes a name.
const ConversionRow kRows[] = {
    {"From2000To2179", Folder2000, 2.179, {2179},
     {{"system.sys", 144}, {"formats.fmt", 25200}, {"format.knb", 72}, {"images.img", 121}, {"image.knb", 176},
      {"sequence.seq", 99}, {"sequence.knb", 32}, {"fonts.fna", 8}},
     "9DEFA7C64BB71840", 0x80, 0x1E},
    {"From2000To2300", Folder2000, 2.300, {2300, 2299, 2179},
     {{"system.sys", 144}, {"formats.fmt", 25200}, {"format.knb", 3600}, {"images.img", 121}, {"image.knb", 176},
      {"sequence.seq", 99}, {"sequence.knb", 32}, {"fonts.fna", 8}},
     "3333333333331940", 0x00, 0x1F},
    {"From2000To2349", Folder2000, 2.349, {2349, 2299, 2179},
     {{"system.sys", 144}, {"format.mem", 21600}, {"format.knb", 2408}, {"image.mem", 131}, {"image.knb", 176},
      {"sequence.mem", 115}, {"sequence.knb", 32}, {"font.new", 8}},
     "4C37894160651940", 0x00, 0x01},
    {"From2000To2605", Folder2000, 2.605, {2605, 2453, 2349, 2299, 2179},
     {{"system.sys", 144}, {"format.mem", 21600}, {"format.knb", 56}, {"image.mem", 131}, {"image.knb", 176},
      {"sequence.mem", 115}, {"sequence.knb", 32}, {"font.new", 8}},
     "EB51B81E856B1A40", 0x00, 0x01},
    {"From2000To2898", Folder2000, 2.898, Chain({2898}, kFrom2179To2898, {2179}),
     {{"system.sys", 144}, {"format.mem", 21600}, {"dir.mem", 772}, {"path.mem", 128}, {"image.mem", 131},
      {"sequence.mem", 115}, {"font.new", 8}},
     "643BDF4F8D971B40", 0x00, 0x01},
    {"From2000To2999", Folder2000, 2.999, Chain({}, kTo2999From2898, {2898, 2800, 2642, 2453, 2349, 2299, 2179}),
     {{"system.sys", 144}, {"format.mem", 21600}, {"dir.mem", 1028}, {"path.mem", 128}, {"image.mem", 131},
      {"sequence.mem", 121}, {"font.new", 8}},
     "E5D022DBF9FE1B40", 0x00, 0x01},
    {"From2000To7", Folder2000, 7.0, Chain({3000, 2994, 2991, 2983, 2981, 2898}, kFrom2179To2898, {2179}),
     {{"format.mem", 14032}, {"dir.mem", 1140}, {"path.mem", 68}, {"image.mem", 234}, {"sequence.mem", 228},
      {"font.new", 8}},
     nullptr, 0, 0},

    {"From2179To2300", Folder2179, 2.300, {2300, 2299},
     {{"system.sys", 144}, {"formats.fmt", 25200}, {"format.knb", 3600}, {"images.img", 121}, {"image.knb", 32},
      {"sequence.seq", 99}, {"sequence.knb", 32}, {"fonts.fna", 8}},
     "3333333333331940", 0x00, 0x1F},
    {"From2179To2349", Folder2179, 2.349, {2349, 2299},
     {{"system.sys", 144}, {"format.mem", 21600}, {"format.knb", 2408}, {"image.mem", 131}, {"image.knb", 32},
      {"sequence.mem", 115}, {"sequence.knb", 32}, {"font.new", 8}},
     "4C37894160651940", 0x00, 0x01},
    {"From2179To2605", Folder2179, 2.605, {2605, 2453, 2349, 2299},
     {{"system.sys", 144}, {"format.mem", 21600}, {"format.knb", 32}, {"image.mem", 131}, {"image.knb", 32},
      {"sequence.mem", 115}, {"sequence.knb", 32}, {"font.new", 8}},
     "EB51B81E856B1A40", 0x00, 0x01},
    {"From2179To2898", Folder2179, 2.898, Chain({2898}, kFrom2179To2898),
     {{"system.sys", 144}, {"format.mem", 21600}, {"dir.mem", 604}, {"path.mem", 128}, {"image.mem", 131},
      {"sequence.mem", 115}, {"font.new", 8}},
     "643BDF4F8D971B40", 0x00, 0x01},
    {"From2179To2999", Folder2179, 2.999, Chain({}, kTo2999From2898, {2898, 2800, 2642, 2453, 2349, 2299}),
     {{"system.sys", 144}, {"format.mem", 21600}, {"dir.mem", 860}, {"path.mem", 128}, {"image.mem", 131},
      {"sequence.mem", 121}, {"font.new", 8}},
     "E5D022DBF9FE1B40", 0x00, 0x01},
    {"From2179To7", Folder2179, 7.0, Chain({3000, 2994, 2991, 2983, 2981, 2898}, kFrom2179To2898),
     {{"format.mem", 256}, {"dir.mem", 972}, {"path.mem", 68}, {"image.mem", 234}, {"sequence.mem", 228},
      {"font.new", 8}},
     nullptr, 0, 0},

    {"From2349To2605", From2349, 2.605, {2605, 2453},
     {{"system.sys", 144}, {"format.mem", 21600}, {"format.knb", 40}, {"image.mem", 131}, {"image.knb", 32},
      {"sequence.mem", 115}, {"sequence.knb", 32}, {"font.new", 8}},
     "EB51B81E856B1A40", 0x80, 0x1E},
    {"From2349To2898", From2349, 2.898, {2898, 2800, 2642, 2453},
     {{"system.sys", 144}, {"format.mem", 21600}, {"dir.mem", 604}, {"path.mem", 128}, {"image.mem", 131},
      {"sequence.mem", 115}, {"font.new", 8}},
     "643BDF4F8D971B40", 0x80, 0x1E},
    {"From2349To2999", From2349, 2.999, Chain({}, kTo2999From2898, {2898, 2800, 2642, 2453}),
     {{"system.sys", 144}, {"format.mem", 21600}, {"dir.mem", 860}, {"path.mem", 128}, {"image.mem", 131},
      {"sequence.mem", 121}, {"font.new", 8}},
     "E5D022DBF9FE1B40", 0x80, 0x1E},
    {"From2349To7", From2349, 7.0, {3000, 2994, 2991, 2983, 2981, 2898, 2800, 2642, 2453},
     {{"format.mem", 256}, {"dir.mem", 972}, {"path.mem", 68}, {"image.mem", 234}, {"sequence.mem", 228},
      {"font.new", 8}},
     nullptr, 0, 0},

    // Data already at 2.453 runs the 2.453 steps again first.
    {"From2453To2605", From2453, 2.605, {2605, 2453},
     {{"system.sys", 144}, {"format.mem", 21600}, {"format.knb", 40}, {"image.mem", 131}, {"image.knb", 32},
      {"sequence.mem", 115}, {"sequence.knb", 32}, {"font.new", 8}},
     "EB51B81E856B1A40", 0x80, 0x1E},
    {"From2453To2898", From2453, 2.898, {2898, 2800, 2642, 2453},
     {{"system.sys", 144}, {"format.mem", 21600}, {"dir.mem", 604}, {"path.mem", 128}, {"image.mem", 131},
      {"sequence.mem", 115}, {"font.new", 8}},
     "643BDF4F8D971B40", 0x80, 0x1E},
    {"From2453To2999", From2453, 2.999, Chain({}, kTo2999From2898, {2898, 2800, 2642, 2453}),
     {{"system.sys", 144}, {"format.mem", 21600}, {"dir.mem", 860}, {"path.mem", 128}, {"image.mem", 131},
      {"sequence.mem", 121}, {"font.new", 8}},
     "E5D022DBF9FE1B40", 0x80, 0x1E},
    {"From2453To7", From2453, 7.0, {3000, 2994, 2991, 2983, 2981, 2898, 2800, 2642, 2453},
     {{"format.mem", 256}, {"dir.mem", 972}, {"path.mem", 68}, {"image.mem", 234}, {"sequence.mem", 228},
      {"font.new", 8}},
     nullptr, 0, 0},

    {"From2800To2898", Folder2800, 2.898, {2898},
     {{"system.sys", 144}, {"format.mem", 21600}, {"dir.mem", 260}, {"path.mem", 128}, {"image.mem", 131},
      {"sequence.mem", 115}, {"font.new", 8}},
     "643BDF4F8D971B40", 0x80, 0x1E},
    {"From2800To2999", Folder2800, 2.999, Chain({}, kTo2999From2898, {2898}),
     {{"system.sys", 144}, {"format.mem", 21600}, {"dir.mem", 516}, {"path.mem", 128}, {"image.mem", 131},
      {"sequence.mem", 121}, {"font.new", 8}},
     "E5D022DBF9FE1B40", 0x80, 0x1E},
    {"From2800To7", Folder2800, 7.0, {3000, 2994, 2991, 2983, 2981, 2898},
     {{"format.mem", 256}, {"dir.mem", 628}, {"path.mem", 68}, {"image.mem", 234}, {"sequence.mem", 228},
      {"font.new", 8}},
     nullptr, 0, 0},

    {"From2898To2999", Folder2898, 2.999, kTo2999From2898,
     {{"system.sys", 144}, {"format.mem", 21600}, {"dir.mem", 308}, {"path.mem", 128}, {"image.mem", 131},
      {"sequence.mem", 121}, {"font.new", 8}},
     "E5D022DBF9FE1B40", 0x80, 0x1E},
    {"From2898To7", Folder2898, 7.0, {3000, 2994, 2991, 2983, 2981},
     {{"format.mem", 256}, {"dir.mem", 420}, {"path.mem", 68}, {"image.mem", 234}, {"sequence.mem", 228},
      {"font.new", 8}},
     nullptr, 0, 0},

    {"From2981To2999", From2981, 2.999, {2999, 2994, 2991, 2983},
     {{"system.sys", 144}, {"format.mem", 21600}, {"dir.mem", 100}, {"path.mem", 128}, {"image.mem", 131},
      {"sequence.mem", 121}, {"font.new", 8}},
     "E5D022DBF9FE1B40", 0x80, 0x1E},
    {"From2981To7", From2981, 7.0, {3000, 2994, 2991, 2983},
     {{"format.mem", 256}, {"dir.mem", 212}, {"path.mem", 68}, {"image.mem", 234}, {"sequence.mem", 228},
      {"font.new", 8}},
     nullptr, 0, 0},
    {"From3000To7", From3000, 7.0, {3000},
     {{"format.mem", 256}, {"dir.mem", 164}, {"path.mem", 68}, {"image.mem", 234}, {"sequence.mem", 228},
      {"font.new", 8}},
     nullptr, 0, 0},
};

class FolderConversionTable : public MemoryConversionTest, public ::testing::WithParamInterface<ConversionRow> {};

TEST_P(FolderConversionTable, RunsTheChainAndLeavesTheTargetsFiles)
{
    const ConversionRow &row = GetParam();
    const MemoryFolder source = row.source();
    ASSERT_TRUE(Convert(source, row.target)) << log.join('\n').toStdString();

    QStringList expectedVersions;
    for (int revision : row.chain)
        expectedVersions << VersionLine(revision);
    if (row.target >= 7.0)
        expectedVersions << "--> Version 7+";
    EXPECT_EQ(VersionLines(), expectedVersions);

    const MemoryFolder result = ReadFolder(destination);
    std::map<QString, int> sizes;
    for (const auto &[name, bytes] : result)
        sizes[name] = int(bytes.size());
    EXPECT_EQ(sizes, row.sizes);
    EXPECT_EQ(ReadFolder(data), source) << "the data folder is only read";

    if (row.revision != nullptr) {
        const QByteArray system = result.at("system.sys");
        EXPECT_EQ(system.left(8).toHex().toUpper(), QByteArray(row.revision));
        EXPECT_EQ(uint8_t(system[14]), row.byte14);
        EXPECT_EQ(uint8_t(system[22]), row.byte22);
        EXPECT_EQ(uint8_t(system[100]), 0x77) << "the rest is kept";
        return;
    }
    for (const char *name : {"format.mem", "image.mem", "sequence.mem", "dir.mem", "path.mem"}) {
        MemoryFileReader reader(result.at(name));
        ASSERT_TRUE(reader.ReadHeader()) << name;
        EXPECT_TRUE(reader.ChecksumHolds()) << name;
        EXPECT_EQ(reader.Header().revision, 7.0);
        MemoryObject object;
        MemoryFileReader::Next next;
        while ((next = reader.NextObject(object)) == MemoryFileReader::Next::Object)
            EXPECT_TRUE(object.checksumHolds) << name << " " << object.header.Name().constData();
        EXPECT_EQ(next, MemoryFileReader::Next::End) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(MemoryFiles, FolderConversionTable, ::testing::ValuesIn(kRows),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace

// A conversion that cannot be done, or fails on the way, leaves the
// destination as it was and reads the data folder only: same folders
// spelled differently, unknown revisions, a failing step, and files that
// lie about their own lengths.

#include "AppFolders.h"
#include "MemoryConversionFixture.h"

#include <QCryptographicHash>
#include <QFile>

namespace {

using namespace MemoryFixtures;

// What the destination held before the conversion: older memory files and
// a file of the user's.
const MemoryFolder kEarlierDestination = {
    {"format.mem", QByteArray(100, 'x')},
    {"system.sys", QByteArray(144, 'y')},
    {"notes.txt", QByteArray("mine")},
};

// Each file's SHA-1, for failures that print.
std::map<QString, std::string> Digests(const MemoryFolder &folder)
{
    std::map<QString, std::string> digests;
    for (const auto &[name, bytes] : folder)
        digests[name] = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().toStdString();
    return digests;
}

class FailedConversionTest : public MemoryConversionTest {
protected:
    void SetUp() override
    {
        MemoryConversionTest::SetUp();
        WriteFolder(destination, kEarlierDestination);
    }

    // The conversion failed with last as its last log line and changed nothing.
    void ExpectNothingChanged(const MemoryFolder &source, const QString &last)
    {
        EXPECT_EQ(Digests(ReadFolder(destination)), Digests(kEarlierDestination))
            << "no file, .tmp or staging folder left";
        EXPECT_EQ(Digests(ReadFolder(data)), Digests(source));
        ASSERT_FALSE(log.isEmpty());
        EXPECT_EQ(log.back(), last);
    }

    QString Shown(const QString &name) const { return destination + "/" + name; }
};

TEST_F(FailedConversionTest, AnUnknownOpcodeAtRevision7)
{
    MemoryFolder source = Folder2981("0000000000001C40");
    source["image.mem"] = Padded("Bad") + Primitive(23, {1, 2}) + QByteArray::fromHex("FFFF00");
    EXPECT_FALSE(Convert(source, 7.0));
    ExpectNothingChanged(source, "   *** Corrupted or inaccessable file: " + Shown("image.mem"));
}

TEST_F(FailedConversionTest, AWriteThatFails)
{
    const MemoryFolder source = Folder2000();
    WriteFolder(data, source);
    {
        // The copies (at most 144 bytes) fit; the list of 450 names does not.
        ScopedFileSizeLimit limit(1000);
        EXPECT_FALSE(ConvertFolder(data, destination, {"format.knb", "image.knb"}, 2.3,
                                   [this](const QString &line) { log << line; }, core));
    }
    ExpectNothingChanged(source, "   *** Unable to write file: " + Shown("format.knb"));
}

TEST_F(FailedConversionTest, WithoutTheBuiltInFormatsOf2179)
{
    const MemoryFolder source = Folder2000();
    core = TempPath("elsewhere/2179core.fmt");
    EXPECT_FALSE(Convert(source, 2.179));
    ExpectNothingChanged(source, "   *** Unable to open file: " + core);
}

TEST_F(FailedConversionTest, ByDefaultTheBuiltInFormatsLieBesideTheProgram)
{
    const MemoryFolder source = Folder2000();
    core.clear();
    if (QFile::exists(AssetFile("2179core.fmt")))
        GTEST_SKIP() << "a 2179core.fmt lies beside the test program";
    EXPECT_FALSE(Convert(source, 2.179));
    ExpectNothingChanged(source, "   *** Unable to open file: " + AssetFile("2179core.fmt"));
}

TEST_F(FailedConversionTest, AnUnknownSourceRevision)
{
    MemoryFolder source = Folder2349("0000000000001A40");  // 2.5: no entry of the table
    EXPECT_FALSE(Convert(source, 7.0));
    ExpectNothingChanged(source, "Cannot convert data from version 2.50000000");
    EXPECT_EQ(log.size(), 1);
}

struct TargetRow {
    const char *name;
    double target;
    const char *line;
};

class RefusedTarget : public FailedConversionTest, public ::testing::WithParamInterface<TargetRow> {};

TEST_P(RefusedTarget, WritesNothing)
{
    const MemoryFolder source = Folder2898();
    EXPECT_FALSE(Convert(source, GetParam().target));
    ExpectNothingChanged(source, GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(MemoryFiles, RefusedTarget,
                         ::testing::Values(TargetRow{"Older", 2.8, "Cannot convert to an older version."},
                                           TargetRow{"Same", 2.898, "Nothing to do, data already at desired version!"},
                                           TargetRow{"Unknown", 2.5, "Cannot convert data to version 2.50000000"}),
                         [](const auto &info) { return std::string(info.param.name); });

// One folder under two spellings would be read and rewritten at once.
TEST_F(FailedConversionTest, TheSameFolderSpelledDifferently)
{
    const MemoryFolder source = Folder2898();
    WriteFolder(data, source);
    const QString link = TempPath("link");
    ASSERT_TRUE(QFile::link(data, link));
    const QString upper = TempPath("DATA");
    QDir().mkpath(upper);
    for (const QString &same : {data + "/", data + "/./", link, upper}) {
        log.clear();
        EXPECT_FALSE(ConvertFolder(data, same, {"format.mem"}, 2.999, [this](const QString &l) { log << l; }, core))
            << same.toStdString();
        EXPECT_EQ(log, QStringList({"srcpath == dstpath not allowed for R40 data conversions."}));
    }
    EXPECT_EQ(Digests(ReadFolder(data)), Digests(source));
    EXPECT_TRUE(ReadFolder(upper).empty());
}

// A checked name is a file of the data folder, nothing beside or above it.
TEST_F(FailedConversionTest, ANameOutsideTheDataFolder)
{
    const MemoryFolder source = Folder2898();
    WriteFolder(tempDir.path(), {{"outside.mem", QByteArray("x")}});
    EXPECT_FALSE(Convert(source, 2.999, QStringList({"format.mem", "../outside.mem"})));
    ExpectNothingChanged(source, "   *** Unable to copy file " + data + "/../outside.mem to " + Shown("../outside.mem"));
}

struct CorruptRow {
    const char *name;
    MemoryFolder (*source)();
    double target;
    const char *file;
    QByteArray bytes;
};

void PrintTo(const CorruptRow &row, std::ostream *os) { *os << row.name; }

class CorruptFile : public FailedConversionTest, public ::testing::WithParamInterface<CorruptRow> {};

TEST_P(CorruptFile, IsNamedAndStopsTheConversion)
{
    const CorruptRow &row = GetParam();
    MemoryFolder source = row.source();
    source[row.file] = row.bytes;
    EXPECT_FALSE(Convert(source, row.target));
    ExpectNothingChanged(source, "   *** Corrupted or inaccessable file: " + Shown(row.file));
}

MemoryFolder Revision3Folder() { return Folder2981("0000000000001C40"); }

const QByteArray kDirectoryWithoutEnd = Padded("fmt") + Padded("MyFmt1") + Padded("img");

INSTANTIATE_TEST_SUITE_P(
    MemoryFiles, CorruptFile,
    ::testing::Values(
        CorruptRow{"ImageWithoutEnd", Folder2000, 2.179, "images.img", Padded("Img1") + Primitive(0, {1, 2, 3, 4, 5, 6})},
        CorruptRow{"ImageRecordCutShort", Folder2000, 2.179, "images.img", Padded("Img1") + Primitive(10, {1, 2})},
        CorruptRow{"ImageNameCutShort", Revision3Folder, 7.0, "image.mem", QByteArray("Img")},
        CorruptRow{"TimedSequencesNotWhole", Folder2000, 2.179, "sequence.seq", QByteArray(1000, 'S')},
        CorruptRow{"StepsWithoutEnd", Folder2898, 2.999, "sequence.mem", Padded("Seq0") + QByteArray(24, 'a')},
        CorruptRow{"StepTailCutShort", Revision3Folder, 7.0, "sequence.mem", Padded("Seq0") + QByteArray::fromHex("FFAA")},
        CorruptRow{"DirectoryWithoutFF", Folder2898, 2.999, "dir.mem", kDirectoryWithoutEnd},
        CorruptRow{"DirectoriesWithout0", Revision3Folder, 7.0, "dir.mem", Padded("fmt") + QByteArray::fromHex("FF")},
        CorruptRow{"ShortFormatFile", Folder2000, 2.349, "formats.fmt", QByteArray(25199, '\0')},
        CorruptRow{"FormatsNotWholeRecords", Revision3Folder, 7.0, "format.mem", QByteArray(21601, '\0')},
        CorruptRow{"KnobListWithoutEnd", Folder2800, 2.898, "format.knb", Padded("MyFmt1")},
        CorruptRow{"ShortPathMemory", Revision3Folder, 7.0, "path.mem", QByteArray(127, '\0')}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(FailedConversionTest, AShortSystemRecord)
{
    MemoryFolder source = Folder2898();
    source["system.sys"] = QByteArray::fromHex("643BDF4F8D971B40") + QByteArray(135, '\0');
    EXPECT_FALSE(Convert(source, 2.999));
    ExpectNothingChanged(source, "   *** Corrupted or inaccessable file: " + data + "/system.sys");
}

} // namespace

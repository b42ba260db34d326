// The simulator's memory files and the program's reader, writer and
// conversion read each other's: a revision-7 generator's files hold their
// sums for the program, the program's converted files give the simulator
// back the names, fields and steps, and an old generator's files come
// through the whole conversion with their fields where the scan reads them.

#include "MemoryConversionFixture.h"

#include "MemoryFileReader.h"

#include "gensim/MemoryImage.h"

namespace {

using namespace MemoryFixtures;
using gensim::MemoryImage;
using gensim::StoredItem;

QByteArray Bytes(const std::string &s) { return QByteArray(s.data(), qsizetype(s.size())); }
std::string Text(const QByteArray &b) { return std::string(b.constData(), size_t(b.size())); }

StoredItem SimFormat(std::string name, const char *hres, const char *vres, const char *hrat, const char *scan)
{
    StoredItem item{std::move(name)};
    item.fields = {{"HRES", hres}, {"VRES", vres}, {"HRAT", hrat}, {"SCAN", scan}};
    return item;
}

gensim::SequenceStep SimStep(std::string format, std::string image, double delay)
{
    gensim::SequenceStep step;
    step.format = std::move(format);
    step.image = std::move(image);
    step.delay = delay;
    return step;
}

TEST(MemoryImageCodec, TheSimulatorsRevision7FilesHoldTheirSums)
{
    const MemoryImage memory(7.011);
    StoredItem directory{"fmt"};
    directory.entries = {"DMT8075"};
    StoredItem sequence{"Seq1"};
    sequence.steps = {SimStep("DMT8075", "Flat", 1.5)};
    const std::vector<std::pair<const char *, std::string>> files = {
        {"format.mem", memory.formatFile({SimFormat("DMT8075", "800", "600", "46875", "1")})},
        {"image.mem", memory.imageFile({StoredItem{"Flat"}})},
        {"sequence.mem", memory.sequenceFile({sequence})},
        {"dir.mem", memory.directoryFile({directory})},
        {"path.mem", memory.pathFile({"R:\\", "fmt", "img", "seq"})},
        {"font.mem", memory.objectFile(gensim::MemoryObjectKind::Fonts, {{"Fixed_9", "glyphs"}})},
    };
    for (const auto &[name, file] : files) {
        MemoryFileReader reader(Bytes(file));
        ASSERT_TRUE(reader.ReadHeader()) << name;
        EXPECT_TRUE(reader.ChecksumHolds()) << name;
        EXPECT_EQ(reader.Header().revision, 7.011) << name;
        MemoryObject object;
        while (reader.NextObject(object) == MemoryFileReader::Next::Object)
            EXPECT_TRUE(object.checksumHolds) << name;
    }
    // Where the restoration's scan reads a format: active 800 x 600 at
    // body 28 and 32, the line rate at 24, progressive at 46.
    MemoryFileReader formats(Bytes(files[0].second));
    ASSERT_TRUE(formats.ReadHeader());
    MemoryObject format;
    ASSERT_EQ(formats.NextObject(format), MemoryFileReader::Next::Object);
    EXPECT_EQ(format.header.Name(), "DMT8075");
    EXPECT_EQ(format.body.mid(24, 10).toHex(' '), QByteArray::fromHex("47371B00 0320 0000 0258").toHex(' '));
    EXPECT_EQ(format.body[46], 1);
}

TEST_F(MemoryConversionTest, TheSimulatorReadsTheConvertedFiles)
{
    ASSERT_TRUE(Convert(Folder2000(), 7.0));
    const MemoryImage memory(7.0);
    const auto formats = memory.readFormats(Text(Result("format.mem")));
    ASSERT_TRUE(formats);
    EXPECT_EQ(formats->size(), 125u);
    EXPECT_EQ(formats->back().name, "MyFmt2");
    const auto images = memory.readImages(Text(Result("image.mem")));
    ASSERT_TRUE(images);
    ASSERT_EQ(images->size(), 2u);
    EXPECT_EQ(images->front().width, 640);
    const auto sequences = memory.readSequences(Text(Result("sequence.mem")));
    ASSERT_TRUE(sequences);
    ASSERT_EQ(sequences->size(), 2u);
    const std::vector<gensim::SequenceStep> &steps = sequences->front().steps;
    ASSERT_EQ(steps.size(), 4u);
    EXPECT_EQ(steps[0].format, "VGA_m1");
    EXPECT_NEAR(steps[0].delay, 0.1, 1e-6);
    EXPECT_EQ(steps[2].delay, 1.5);
    EXPECT_EQ(steps[2].gates, 7);
    EXPECT_EQ(steps[2].sync, 1);
    EXPECT_EQ(steps[2].output, 1);
    const auto directories = memory.readDirectories(Text(Result("dir.mem")));
    ASSERT_TRUE(directories);
    ASSERT_EQ(directories->size(), 3u);
    EXPECT_EQ((*directories)[2].entries, std::vector<std::string>({"NewSeq", "Seq0", "Empty"}));
    const std::array<std::string, 4> paths{"R:\\", "fmt", "img", "seq"};
    EXPECT_EQ(memory.readPath(Text(Result("path.mem"))), paths);
}

// An old generator's own files, from 2.000 through every step to 7.0: the
// fields stay where each form keeps them.
TEST_F(MemoryConversionTest, AnOldGeneratorsFilesComeThroughToRevision7)
{
    const MemoryImage old(2.0);
    StoredItem sequence{"Demo"};
    sequence.steps = {SimStep("MyNTSC", "Flat", 2.0), SimStep("MyHD", "Flat", 0.5)};
    StoredItem image{"Flat"};
    image.record = Text(Primitive(8, {3}));
    const MemoryFolder folder = {
        {"system.sys", Bytes(old.systemFile())},
        {"formats.fmt", Bytes(old.formatFile({SimFormat("MyNTSC", "720", "480", "15734.264", "2"),
                                              SimFormat("MyHD", "1920", "1080", "33750", "1")}))},
        {"images.img", Bytes(old.imageFile({image}))},
        {"sequence.seq", Bytes(old.sequenceFile({sequence}))},
        {"format.knb", Bytes(old.knobFile({"First", "MyNTSC", "MyHD"}))},
        {"image.knb", Bytes(old.knobFile({"First", "Flat"}))},
    };
    ASSERT_TRUE(Convert(folder, 7.0)) << log.join('\n').toStdString();

    const MemoryImage seven(7.0);
    const auto formats = seven.readFormats(Text(Result("format.mem")));
    ASSERT_TRUE(formats);
    ASSERT_GE(formats->size(), 2u);
    const StoredItem &hd = formats->back();
    EXPECT_EQ(hd.name, "MyHD");
    EXPECT_EQ(hd.fields.at("HRES"), "1920");
    EXPECT_EQ(hd.fields.at("VRES"), "1080");
    EXPECT_EQ(hd.fields.at("HRAT"), "33750");
    EXPECT_EQ(hd.fields.at("SCAN"), "1");
    const StoredItem &ntsc = (*formats)[formats->size() - 2];
    EXPECT_EQ(ntsc.name, "MyNTSC");
    EXPECT_EQ(ntsc.fields.at("HRAT"), "15734.264");
    EXPECT_EQ(ntsc.fields.at("SCAN"), "2");

    const auto sequences = seven.readSequences(Text(Result("sequence.mem")));
    ASSERT_TRUE(sequences);
    ASSERT_EQ(sequences->size(), 1u);
    ASSERT_EQ(sequences->front().steps.size(), 2u);
    EXPECT_EQ(sequences->front().steps[0].delay, 2.0);
    EXPECT_EQ(sequences->front().steps[1].format, "MyHD");
    EXPECT_EQ(sequences->front().steps[1].delay, 0.5);

    const auto images = seven.readImages(Text(Result("image.mem")));
    ASSERT_TRUE(images);
    ASSERT_EQ(images->size(), 1u);
    EXPECT_EQ(QByteArray::fromStdString(images->front().record).toHex(' '),
              QByteArray::fromHex("00000280 000001E0 00000001 00000004 0008 0003").toHex(' '));
    const auto directories = seven.readDirectories(Text(Result("dir.mem")));
    ASSERT_TRUE(directories);
    EXPECT_EQ((*directories)[2].entries, std::vector<std::string>({"NewSeq", "Demo"}));
}

} // namespace

// The simulator's memory files in each firmware revision's form: records
// made from an item's fields against bytes written by hand from the
// layouts, every kind read back as written, and bytes that are no file of
// the form refused.

#include "gensim/Generator.h"
#include "gensim/IsaCard.h"
#include "gensim/MemoryImage.h"

#include <gtest/gtest.h>

namespace gensim::test {
namespace {

std::string Hex(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i + 1 < text.size();) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        out += char(std::stoi(std::string(text.substr(i, 2)), nullptr, 16));
        i += 2;
    }
    return out;
}

std::string Zeros(std::size_t n) { return std::string(n, '\0'); }

StoredItem Format(std::string name)
{
    StoredItem item{std::move(name)};
    item.fields = {{"HRES", "800"}, {"VRES", "600"}, {"HRAT", "46875"}, {"SCAN", "1"}};
    return item;
}

SequenceStep Step(std::string format, std::string image, double delay)
{
    SequenceStep step;
    step.format = std::move(format);
    step.image = std::move(image);
    step.delay = delay;
    return step;
}

TEST(MemoryImage, SystemFileIsTheIsaCardsRecord)
{
    const std::string system = MemoryImage(2.179).systemFile();
    EXPECT_EQ(system, Hex("9D EF A7 C6 4B B7 18 40") + Zeros(136));
    EXPECT_DOUBLE_EQ(*MemoryImage::systemRevision(system), 2.179);
    EXPECT_FALSE(MemoryImage::systemRevision(system.substr(0, 143)));

    Generator generator{GeneratorOptions{.firmware = "2.179", .pty = false, .isaSlot = 0}};
    IsaCard card(0, generator);
    std::string record;
    for (uint32_t i = 0; i < IsaCard::kSystemRecordWords; ++i) {
        const uint16_t word = card.word(IsaCard::kSystemRecord + 16 * i);
        record += char(word & 0xFF);
        record += char(word >> 8);
    }
    EXPECT_EQ(record, system);
}

// The line rate a processor float (46875: 80 8D DB 47), the active pixels
// and lines, the scan; names blank-padded before 2.800.
TEST(MemoryImage, FormatRecordsMadeFromTheirFields)
{
    const std::string old = MemoryImage(2.0).formatFile({Format("DMT8075")});
    ASSERT_EQ(old.size(), 300u * 84);
    EXPECT_EQ(old.substr(0, 84), Zeros(4) + "DMT8075 " + Zeros(36) + Hex("808DDB47 2003 0000 5802") + Zeros(12)
                                     + Hex("01") + Zeros(13));

    const std::string record = MemoryImage(2.8).formatFile({Format("DMT8075")}).substr(0, 72);
    EXPECT_EQ(record.substr(2), Zeros(2) + std::string("DMT8075", 8) + Zeros(24) + Hex("808DDB47 2003 0000 5802")
                                    + Zeros(12) + Hex("01") + Zeros(13));

    const std::string file = MemoryImage(7.011).formatFile({Format("DMT8075")});
    EXPECT_EQ(file.substr(32 + 32), Zeros(24) + Hex("47371B00 0320 0000 0258") + Zeros(12) + Hex("01") + Zeros(33));
}

TEST(MemoryImage, SequenceStepsByRevision)
{
    StoredItem sequence{"Seq1"};
    sequence.steps = {Step("DMT8075", "Flat", 1.5)};
    const std::string step = std::string("DMT8075", 8) + std::string("Flat", 4) + Zeros(4) + Hex("00006040");
    EXPECT_EQ(MemoryImage(2.179).sequenceFile({sequence}), std::string("Seq1", 4) + Zeros(4) + step + Hex("FF 00"));
    EXPECT_EQ(MemoryImage(2.349).sequenceFile({sequence}),
              std::string("Seq1", 4) + Zeros(4) + step + Zeros(4) + Hex("FF 00"));
    EXPECT_EQ(MemoryImage(2.981).sequenceFile({sequence}),
              std::string("Seq1", 4) + Zeros(4) + step + Hex("00 07 01 01 FF 000000 00"));
    const std::string timed = MemoryImage(2.0).sequenceFile({sequence});
    ASSERT_EQ(timed.size(), 584u);
    EXPECT_EQ(timed.substr(0, 26), "Seq1    DMT8075 Flat    " + Hex("0F00"));
}

TEST(MemoryImage, KnobListsAndPaths)
{
    EXPECT_EQ(MemoryImage(2.0).knobFile({"VGA_m7", "Flat"}), "VGA_m7  Flat    " + Zeros(8));
    EXPECT_EQ(MemoryImage(2.179).knobFile({"VGA_m1"}), std::string("VGA_m1", 6) + Zeros(10));
    const std::array<std::string, 4> names{"R:\\", "fmt", "img", "seq"};
    EXPECT_EQ(MemoryImage(2.898).pathFile(names).size(), 128u);
    EXPECT_EQ(MemoryImage(7.0).pathFile(names),
              Hex("00000001 00000384 00000044 401C000000000000 00000000 00000020 000005FD"
                  "523A5C000000000000 666D74000000000000 696D67000000000000 736571000000000000"));
}

class EveryRevision : public ::testing::TestWithParam<double> {};

TEST_P(EveryRevision, ReadsBackWhatItWrites)
{
    const MemoryImage memory(GetParam());
    const auto formats = memory.readFormats(memory.formatFile({Format("DMT8075"), Format("HDTV_2J")}));
    ASSERT_TRUE(formats);
    ASSERT_EQ(formats->size(), 2u);
    EXPECT_EQ((*formats)[1].name, "HDTV_2J");
    EXPECT_EQ((*formats)[1].fields.at("HRES"), "800");
    EXPECT_EQ((*formats)[1].fields.at("HRAT"), "46875");
    EXPECT_EQ((*formats)[1].fields.at("SCAN"), "1");
    EXPECT_EQ(memory.formatFile(*formats), memory.formatFile({Format("DMT8075"), Format("HDTV_2J")}));

    StoredItem image{"Flat"};
    image.record = memory.revision7() ? Hex("00000320 00000258 00000001 00000004 0008 0001")
                                      : Hex("0800 0100");  // a dot
    const auto images = memory.readImages(memory.imageFile({image}));
    ASSERT_TRUE(images);
    ASSERT_EQ(images->size(), 1u);
    EXPECT_EQ(images->front().record, image.record);

    StoredItem sequence{"Seq1"};
    sequence.steps = {Step("DMT8075", "Flat", 1.5), Step("HDTV_2J", "Flat", 0.5)};
    const auto sequences = memory.readSequences(memory.sequenceFile({sequence}));
    ASSERT_TRUE(sequences);
    ASSERT_EQ(sequences->size(), 1u);
    ASSERT_EQ(sequences->front().steps.size(), 2u);
    EXPECT_EQ(sequences->front().steps[1].format, "HDTV_2J");
    EXPECT_EQ(sequences->front().steps[1].delay, 0.5);

    StoredItem directory{"fmt"};
    directory.entries = {"DMT8075", "HDTV_2J"};
    const auto directories = memory.readDirectories(memory.directoryFile({directory, StoredItem{"img"}}));
    ASSERT_TRUE(directories);
    ASSERT_EQ(directories->size(), 2u);
    EXPECT_EQ(directories->front().entries, directory.entries);
    EXPECT_EQ(memory.readKnobFile(memory.knobFile({"A", "B"})), std::vector<std::string>({"A", "B"}));
    const std::array<std::string, 4> names{"R:\\", "fmt", "img", "seq"};
    EXPECT_EQ(memory.readPath(memory.pathFile(names)), names);
}

INSTANTIATE_TEST_SUITE_P(MemoryImage, EveryRevision, ::testing::Values(2.0, 2.179, 2.349, 2.8, 2.898, 2.981, 3.0, 7.011));

TEST(MemoryImage, RefusesWhatIsNoFileOfTheForm)
{
    const MemoryImage seven(7.011);
    std::string file = seven.formatFile({Format("DMT8075")});
    file[40] = 'x';
    EXPECT_FALSE(seven.readFormats(file));
    EXPECT_FALSE(seven.readFormats(file.substr(0, 20)));
    EXPECT_FALSE(MemoryImage(2.349).readFormats(std::string(21599, '\0')));
    EXPECT_FALSE(MemoryImage(2.349).readImages("Flat" + Zeros(4) + Hex("0000 0100")));
    EXPECT_FALSE(MemoryImage(2.0).readSequences(std::string(583, '\0')));
    EXPECT_FALSE(MemoryImage(2.981).readSequences("Seq1" + Zeros(4) + Hex("FF 00")));
    EXPECT_FALSE(MemoryImage(2.898).readDirectories("fmt" + Zeros(5) + "DMT8075 "));
    EXPECT_FALSE(MemoryImage(2.179).readKnobFile("VGA_m1"));
    const std::string opaque = seven.objectFile(MemoryObjectKind::Fonts, {{"Fixed_9", "glyphs"}});
    const auto fonts = MemoryImage::readObjectFile(opaque, MemoryObjectKind::Fonts);
    ASSERT_TRUE(fonts);
    EXPECT_EQ(fonts->front().second, "glyphs");
    EXPECT_FALSE(MemoryImage::readObjectFile(opaque, MemoryObjectKind::Maps));
}

} // namespace
} // namespace gensim::test

// The image buffer: primitive lines between IMGB and IMGE checked by
// their rows, the image's own size from 3.03119, storing, loading and the
// read-back with ISTP?.

#include "Scripts.h"

#include "gensim/ImageBuffer.h"
#include "gensim/Population.h"

namespace gensim::test {
namespace {

using ImageLines = ScriptFixture;

TEST_P(ImageLines, AnswerAsTheGeneratorDoes) { runScript(); }

INSTANTIATE_TEST_SUITE_P(Upload, ImageLines, ::testing::Values(
    Script{"a line of each kind of argument is taken", {
        {"IMGN Mine", ""},
        {"IMGB", ""},
        {"RECT White  10 20  5 6  GrayPat0", ""},
        {"oval yellow 9 9 0 0 graypat0", ""},
        {"LINE Red 0 0 639 479", ""},
        {"TEXT White 20 20 sys16 \"two  blanks and a ?\"", ""},
        {"TBOX White 0.500 0.250  1 1", ""},
        {"PAGE White 80 32 400 40 opix9 65", ""},
        {"RMAP 10 10 Arrow", ""},
        {"AROW White 1 2 3 4", ""},
        {"ANTI", ""},
        {"ISTP?", "9"},
        {"IMGE", ""},
        {"IMGA Mine", ""},
        {"NERR?", "0"}}},
    Script{"bad arguments are counted", {
        {"ERRC", ""},
        {"IMGB", ""},
        {"RECT Mauve 10 20 5 6 GrayPat0", "Execution error: 3011"},
        {"RECT White 10 20 5 6 Stripes", "Execution error: 3012"},
        {"TEXT White 1 2 courier \"a\"", "Execution error: 3013"},
        {"RECT White 10 20 5 GrayPat0", "Execution error: 1"},
        {"LINE Red 0 0 639 479 1", "Execution error: 1"},
        {"LINE Red 0 x 639 479", "Execution error: 2"},
        {"LINE Red 0 0.5 639 479", "Execution error: 2"},
        {"TBOX White half 0.5 1 1", "Execution error: 2"},
        {"TEXT White 1 2 sys16 unquoted", "Execution error: 3"},
        {"QQQQ 1 2", "Command invalid"},
        {"ISTP?", "0"},
        {"NERR?", "10"}}},
    Script{"no primitive outside a block", {
        {"LINE Red 0 0 1 1", "Execution error: 3001"},
        {"IMGB;IMGE", ""},
        {"LINE Red 0 0 1 1", "Execution error: 3001"}}},
    Script{"the image's own size from 3.03119", {
        {"XRES 800", ""},
        {"YRES 600", ""}}, "3.03119"},
    Script{"no image size before 3.03119", {
        {"XRES 800", "Command invalid"},
        {"YRES 600", "Command invalid"}}, "3.03"}));

INSTANTIATE_TEST_SUITE_P(ReadBack, ImageLines, ::testing::Values(
    Script{"a loaded image gives its lines with single blanks", {
        {"IMGB;IMGN;IMGL Flat", ""},
        {"ISTP?", "18"},
        {"ISTP? 2", "RECT White 10 20 5 6 GrayPat0"},
        {"ISTP? 7", "TEXT White 20 20 sys16 \"Sample  text\""},
        {"ISTP? 17", "AROW White 100 100 200 200"},
        {"ISTP? 18", "RMAP 10 10 Arrow"},
        {"ISTP? 0", "Execution error: 3"},
        {"ISTP? 19", "Execution error: 3"},
        {"ISTP? x", "Execution error: 2"},
        {"IMGN;IMGE", ""}}},
    Script{"IMGE alone stores nothing; IMGL of nothing empties", {
        {"IMGN Mine;IMGB;ADOT Red 1 1;IMGN;IMGE", ""},
        {"IMGL? Mine", "0"},
        {"IMGL", ""},
        {"ISTP?", "0"},
        {"IMGL nope", "Execution error: 3025"}}}));

class ImageStore : public SimFixture {};

// What IMGA stores: the lines as sent, the size XRES and YRES gave, else
// the current format's.
TEST_F(ImageStore, StoresLinesAsSentAndTheSize)
{
    struct Case {
        const char* firmware;
        std::vector<std::string> head;
        int bufferWidth; // 0: none given
        int bufferHeight;
        int width;
        int height;
    };
    const Case cases[] = {
        {"3.03119", {"IMGN Mine", "IMGB", "XRES 800", "YRES 600"}, 800, 600, 800, 600},
        {"3.03", {"IMGN Mine", "IMGB"}, 0, 0, 640, 480},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.firmware);
        openFirmware(c.firmware);
        for (const std::string& line : c.head)
            ASSERT_EQ(reply(line), "") << line;
        ASSERT_EQ(reply("RECT White  10 20  5 6  GrayPat0"), "");
        ASSERT_EQ(reply("ADOT Red 1 2"), "");
        EXPECT_EQ(generator->imageBuffer(),
                  (ImageBufferView{"Mine", true, c.bufferWidth, c.bufferHeight, {"RECT White  10 20  5 6  GrayPat0", "ADOT Red 1 2"}}));
        ASSERT_EQ(reply("IMGE"), "");
        ASSERT_EQ(reply("IMGA Mine"), "");
        const auto stored = generator->item(ItemKind::Image, "Mine");
        ASSERT_TRUE(stored);
        EXPECT_TRUE(stored->user);
        EXPECT_EQ(stored->width, c.width);
        EXPECT_EQ(stored->height, c.height);
        EXPECT_EQ(stored->lines, (std::vector<std::string>{"RECT White  10 20  5 6  GrayPat0", "ADOT Red 1 2"}));
        EXPECT_FALSE(generator->imageBuffer().open);
    }
}

TEST_F(ImageStore, VerbatimReadBackWhenATestAsks)
{
    ASSERT_EQ(reply("IMGN Mine;IMGB;RECT White  10 20  5 6  GrayPat0;IMGE;IMGA Mine"), "");
    ASSERT_EQ(reply("IMGB;IMGN;IMGL Mine"), "");
    EXPECT_EQ(reply("ISTP? 1"), "RECT White 10 20 5 6 GrayPat0");
    generator->setVerbatimImageLines(true);
    EXPECT_EQ(reply("ISTP? 1"), "RECT White  10 20  5 6  GrayPat0");
}

TEST(ImageSamples, PopulatedImagesHoldLinesOfEveryClass)
{
    Generator g({});
    populate(g, {.images = 2});
    const auto image = g.item(ItemKind::Image, populationName('I', 1));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->lines, sampleImageLines(1));
    EXPECT_EQ(image->lines.front(), "LINE Red 0 0 638 479");
    EXPECT_EQ(g.item(ItemKind::Image, "Cubes")->lines, sampleImageLines(5));
    EXPECT_TRUE(g.item(ItemKind::Image, "Cubes")->animated);
}

TEST(ImageSamples, SingleBlanksKeepQuotedText)
{
    const struct {
        const char* line;
        const char* single;
    } cases[] = {
        {"RECT White  10 20  5 6  GrayPat0", "RECT White 10 20 5 6 GrayPat0"},
        {"  TEXT White 1 2 sys16 \"a  b\"  ", "TEXT White 1 2 sys16 \"a  b\""},
        {"TEXT White 1 2 sys16 \"open  end ", "TEXT White 1 2 sys16 \"open  end "},
        {"ANTI", "ANTI"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(singleBlanks(c.line), c.single) << c.line;
}

} // namespace
} // namespace gensim::test

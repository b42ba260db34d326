#include "CWordSourceFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

struct WordSourceCase {
    const char *what;
    bool assemblerStyle;
    int wordsPerLine; // 0: as constructed
    int lineCount;
    std::vector<std::uint16_t> words;
    bool swap;
    const char *text;
};

class WordSourceTable : public ::testing::TestWithParam<WordSourceCase> {};

TEST_P(WordSourceTable, WritesItsWordsAsTheExportsRead)
{
    const WordSourceCase &c = GetParam();
    CWordSourceFile file(c.assemblerStyle);
    if (c.wordsPerLine > 0)
        file.SetWordsPerLine(c.wordsPerLine);
    file.SetLineCount(c.lineCount);
    for (std::uint16_t w : c.words)
        file.PutWord(w, c.swap);
    file.Flush();
    EXPECT_EQ(file.Text(), QByteArray(c.text)) << c.what;
}

const WordSourceCase kWordSourceCases[] = {
    {"font header starts 9000 then first char, swapped", true, 0, 0, {0x9000, 32}, true, "\n    .word  0x90000020"},
    {"eight words make one full assembler line", true, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8}, true,
     "\n    .word  0x00010002, 0x00030004, 0x00050006, 0x00070008"},
    {"a ninth word starts a second line", true, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8, 9}, true,
     "\n    .word  0x00010002, 0x00030004, 0x00050006, 0x00070008\n    .word  0x00090000"},
    {"unswapped words read low byte first", true, 0, 0, {0x1234, 0xABCD}, false, "\n    .word  0x3412CDAB"},
    {"a lone last word is padded with 0000", true, 0, 0, {0x0102, 0x0304, 0x0506}, true,
     "\n    .word  0x01020304, 0x05060000"},
    {"an odd last width byte reads 00 then the byte", true, 0, 0, {0x4100}, false, "\n    .word  0x00410000"},
    {"pixel word halves high then low, swapped", false, 1, 1, {0x1234, 0x5678}, true, "\n  0x12345678"},
    {"C style: comma after every line but the last", false, 1, 2, {0x1111, 0x2222, 0x3333, 0x4444}, true,
     "\n  0x11112222,\n  0x33334444"},
    {"C style: two words per line pair up", false, 2, 1, {0x0001, 0x0002, 0x0003, 0x0004}, true,
     "\n  0x00010002, 0x00030004"},
    {"nothing buffered writes nothing", true, 0, 0, {}, true, ""},
};

INSTANTIATE_TEST_SUITE_P(Words, WordSourceTable, ::testing::ValuesIn(kWordSourceCases));

TEST(WordSourceFile, PlainTextStandsBetweenLines)
{
    CWordSourceFile file(true);
    file.Write("label:\n");
    file.PutWord(0x9000, true);
    file.Flush();
    file.Write("\n    .end\n");
    EXPECT_EQ(file.Text(), QByteArray("label:\n\n    .word  0x90000000\n    .end\n"));
}

} // namespace

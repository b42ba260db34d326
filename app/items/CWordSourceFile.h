#pragma once
// Collects 16-bit words and writes them as hexadecimal constants, a line of
// pairs at a time, for the font (assembler) and pixel-map (C) source
// exports. The text is built in memory; the exporting editor writes it out
// whole through the program's safe writer, so a failed export never leaves
// half a file.

#include <QByteArray>

#include <cstdint>
#include <vector>

class CWordSourceFile {
public:
    explicit CWordSourceFile(bool assemblerStyle);

    // Words per line are 2 x wordsPerLine; the buffer follows.
    void SetWordsPerLine(int wordsPerLine);
    // C style: the line number that ends without a comma.
    void SetLineCount(int lineCount) { m_lineCount = lineCount; }

    // Appends a word, its two bytes exchanged when swap is true; a full
    // buffer is written as one line.
    void PutWord(std::uint16_t word, bool swap);
    // Writes the buffered words as one line, if any.
    void Flush();
    // Plain text, written as it stands.
    void Write(const QByteArray &text) { m_text += text; }

    const QByteArray &Text() const { return m_text; }

private:
    bool m_assemblerStyle;
    int m_wordsPerLine = 4;
    int m_last = -1;
    std::vector<std::uint16_t> m_words = std::vector<std::uint16_t>(8);
    int m_lineNumber = 0;
    int m_lineCount = 0;
    QByteArray m_text;
};

#include "CWordSourceFile.h"

namespace {

// A word as its low byte's digits, then its high byte's: a word put with
// its bytes exchanged reads in its natural order.
void AppendWordDigits(QByteArray &text, std::uint16_t word)
{
    static const char kDigits[] = "0123456789ABCDEF";
    const unsigned low = word & 0xFFu;
    const unsigned high = word >> 8;
    text += kDigits[low >> 4];
    text += kDigits[low & 0xFu];
    text += kDigits[high >> 4];
    text += kDigits[high & 0xFu];
}

} // namespace

CWordSourceFile::CWordSourceFile(bool assemblerStyle) : m_assemblerStyle(assemblerStyle) {}

void CWordSourceFile::SetWordsPerLine(int wordsPerLine)
{
    Flush();
    m_wordsPerLine = wordsPerLine > 0 ? wordsPerLine : 1;
    m_words.assign(static_cast<std::size_t>(2 * m_wordsPerLine), 0);
}

void CWordSourceFile::PutWord(std::uint16_t word, bool swap)
{
    if (swap)
        word = static_cast<std::uint16_t>((word << 8) | (word >> 8));
    m_words[static_cast<std::size_t>(++m_last)] = word;
    if (m_last + 1 >= 2 * m_wordsPerLine)
        Flush();
}

void CWordSourceFile::Flush()
{
    if (m_last < 0)
        return;
    m_text += m_assemblerStyle ? "\n    .word  " : "\n  "; // resource-rule-ok: the exported source's lines
    for (int i = 0; i <= m_last; i += 2) {
        if (i > 0)
            m_text += ", ";
        m_text += "0x"; // resource-rule-ok: a C constant's prefix
        AppendWordDigits(m_text, m_words[static_cast<std::size_t>(i)]);
        if (i + 1 <= m_last)
            AppendWordDigits(m_text, m_words[static_cast<std::size_t>(i + 1)]);
        else
            m_text += "0000";
    }
    if (!m_assemblerStyle && ++m_lineNumber != m_lineCount)
        m_text += ',';
    m_last = -1;
}

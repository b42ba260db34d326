#pragma once

#include <QString>
#include <QStringView>

// Reads one line of the generator's command language: a mnemonic and its
// arguments, separated by blanks, CR, LF or commas, names between double
// quotes. Readers of command files and of image recalls hand it one line at a
// time, ask for the next mnemonic and dispatch on its index.
//
// Numbers are read without the locale, so "7.03" is 7.03 on any desktop.
class CCommandReader
{
public:
    static constexpr int kMnemonicCount = 279;
    static constexpr qsizetype kMaxTokenLength = 255;

    CCommandReader() = default;

    // The line becomes the text to read; what was left of the previous line is dropped.
    void SetText(const QString& line);

    // The next token, at most kMaxTokenLength characters (the rest of a longer
    // one is dropped). False, with an empty token, when none is left.
    bool NextToken(QString& token);

    // Skips tokens until one is a mnemonic (case does not matter) and returns
    // its index 0..278; -1 when the text runs out first.
    int NextMnemonic();

    // The next token as a decimal integer; a token that does not begin with a
    // number reads as 0, values beyond the int range clamp to it. False, value
    // unchanged, when no token is left.
    bool NextInt(int& value);

    // value := 0, then the next token as a decimal number. "inf", "nan" and
    // hex forms are not numbers and read as 0; magnitudes beyond the double
    // range clamp to the largest finite double. False when no token is left.
    bool NextDouble(double& value);

    // The text between the next pair of double quotes; an unclosed quote runs
    // to the end of the line. With no opening quote: false, an empty text, and
    // the rest of the line is consumed.
    bool NextQuotedString(QString& text);

    // Three tokens, each exactly "0" or "1". False at the first token that is
    // missing or not a flag; flags read before it keep their values.
    bool NextFlags(bool& a, bool& b, bool& c);

    // The mnemonic at index, nullptr outside 0..kMnemonicCount-1.
    static const char* MnemonicText(int index);
    // The index of the first mnemonic equal to token without regard to case, -1 if none.
    static int MnemonicIndex(QStringView token);

private:
    QString m_text;     // the line
    qsizetype m_pos = 0; // everything before it has been read
};

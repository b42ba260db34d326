#pragma once
// What the Character Properties dialog asks of the font editor: a
// character by its code, the three values applied, and a step to the
// previous or next character.

class CFontChar;

class FontEditHost {
public:
    // The character of code, or nullptr when the font has none.
    virtual const CFontChar *FindChar(int code) const = 0;
    virtual void ApplyCharProperties(int code, int imageWidth, int textWidth, int textOffset) = 0;
    // PREV (forward false) or NEXT from code (kNoChar: none shown).
    virtual void StepChar(int code, bool forward) = 0;

    // The code of no character.
    static constexpr int kNoChar = int(0x80000000u);

protected:
    ~FontEditHost() = default;
};

#pragma once
// One of the generator's 71 named colours: the name written into image
// command lines, the name shown in lists, and the colour drawn on the PC.

#include <QColor>
#include <QString>

#include <cstdint>

class CNamedColour
{
public:
    static constexpr int kCount = 71;
    static constexpr int kBlack = 0;
    static constexpr int kWhite = 7;

    // An index outside the table leaves the colour White.
    explicit CNamedColour(int index = kWhite);

    // Accepts 0..70; anything else returns false and keeps the colour.
    bool SetIndex(int index);
    int GetIndex() const { return m_index; }
    // The first colour whose display name matches without regard to case;
    // none selects White.
    void SetByName(const QString &name);

    QString GetCommandName() const;
    QString GetDisplayName() const;
    // The row's colour as drawn here: white while the white-to-black switch
    // is on, and any other non-black colour that the screen would show as
    // black is drawn white so it stays visible on the black canvas.
    QColor GetScreenColour() const;

    // Images store the index.
    std::int32_t GetArchiveValue() const { return m_index; }
    bool SetArchiveValue(std::int32_t value) { return SetIndex(value); }

    // The colour of the first row with that display-name string id; black
    // when none.
    static QColor RgbOfStringId(unsigned id);

    // Program-wide: while on, white is drawn as black.
    static void SetWhiteToBlack(bool on);
    static bool IsWhiteToBlack();

    // Whether the nearest colour a screen of that depth (bits per pixel)
    // can show is black. On a true-colour screen only black itself is.
    static bool ShowsAsBlack(const QColor &colour, int screenDepth);

private:
    int m_index;
};

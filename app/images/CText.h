#pragma once
// One string in one of the generator's fonts, placed at an anchor: one
// "TEXT" line of the image language. The editor shows the text's cells as
// a frame in the text colour with the text inside in a fitted PC font. On a
// canvas it has one handle, on the anchor, that moves it. The text is
// 8-bit (Latin-1) everywhere it is kept or sent.

#include "CKindValue.h"
#include "Coloured.h"
#include "MovedWholeKind.h"

class CText : public MovedWholeKind<CText, Coloured<CPrimitive>> {
    DECLARE_SERIAL(CText)
    friend PrimitiveKind<CText, Coloured<CPrimitive>>;
    friend PlacedKind<CText, Coloured<CPrimitive>>;
    friend MovedWholeKind<CText, Coloured<CPrimitive>>;

public:
    // (10, 10), White, font 0 ("sys16"), no text.
    CText();
    CText(int x, int y, const QString &text, int colour = CNamedColour::kWhite, int font = 0);
    // "Text" in font 0 in the middle of the canvas's image, with its handle:
    // (316, 232) on 640 x 480.
    explicit CText(CCanvas *canvas);
    ~CText() override;

    void Serialize(CArchive &ar) override;
    int Type() const override { return 10; }
    QString GetTypeName() const override;
    // "TEXT White 100 50 sys16 "AB""; while dragged, the handle's image point.
    QString GetCommandText() const override;
    // colour name, x, y, font name, the text between quotes
    void SetFromCommand(CCommandReader &reader) override;
    QStringList NamesInLine() const override { return {m_text}; }
    QPoint Anchor() const { return {m_x, m_y}; }
    QString Text() const { return m_text; }
    void SetText(const QString &text) { m_text = text; }
    bool HasFont() const override { return true; }
    int GetFont() const override { return m_font.GetIndex(); }
    // The old box is repainted first.
    void SetFont(int index) override;

    // --- On the canvas: the text's cells, which clicks hit ---------------------------
    // The cells in client pixels (image pixels without a canvas).
    QRect GetTextRect() const;
    void Invalidate() override;
    void GetBounds(QPoint &topLeft, QPoint &bottomRight) const override;
    // Snapped and kept in the image when snapping is on.
    void EndTrack(int index, bool moved) override;

    // The "Text Properties" dialog: X, Y and the text (during a drag the
    // handle's image point).
    CPropertiesDlg *OpenProperties(QWidget *parent) override;
    void UpdateProperties() override;
    void ApplyProperties() override;

protected:
    CText(const CText &other);

private:
    struct ClientCells {
        int width;   // of all the cells
        int ascent;  // above the anchor row
        int descent; // below it
    };
    static constexpr auto Values()
    {
        return std::tuple(&CText::m_x, &CText::m_y, &CText::m_colour, &CText::m_font, &CText::m_text);
    }
    template <class F> void ForEachPoint(F f) { f(m_x, m_y); }
    std::array<QPoint, 1> HandlePoints() const { return {ToClient(Anchor())}; }
    QRect HitRect() const { return GetTextRect(); }
    // The frame with the text in it.
    void Paint(QPainter &painter, const QRect &update);
    // The cells' corners, the middles of their edges, their centre.
    std::vector<QPoint> SnapKeys() const;
    ClientCells Cells() const;
    QRect TextRectAt(const QPoint &client) const;
    // The frame's pixels with the anchor at client.
    QRect FrameAt(const QPoint &client) const;
    void ShowOutline();

    std::int32_t m_x = 10;
    std::int32_t m_y = 10;
    CFontKind m_font{0};
    QString m_text;
};

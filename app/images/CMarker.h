#pragma once
// One of three fixed alignment marks drawn relative to the whole image: a
// small cross at the centre ("CENT"), full-width and full-height lines
// through the centre ("CROS"), and marks at the corners and edge middles
// with the centre cross ("LIMI"). Only a kind and a colour: the geometry
// follows the image's size; no handles, no place, no hit.

#include "Coloured.h"
#include "KindedPrimitive.h"
#include "PrimitiveKind.h"

class CMarker : public PrimitiveKind<CMarker, Coloured<KindedPrimitive>> {
    DECLARE_SERIAL(CMarker)
    friend PrimitiveKind<CMarker, Coloured<KindedPrimitive>>;

public:
    enum Kind { kCentreMark = 1, kCentredCross = 2, kLimitMarkers = 3 };

    // A centre mark, White.
    CMarker();
    explicit CMarker(int kind, int colour = CNamedColour::kWhite);
    // kind outside 1..3: a centre mark.
    CMarker(CCanvas *canvas, int kind);
    ~CMarker() override;

    // Types 14, 15, 16 by kind.
    void Serialize(CArchive &ar) override;
    // "CENT White" ("CROS", "LIMI"); nothing for an unknown kind.
    QString GetCommandText() const override;
    // colour name
    void SetFromCommand(CCommandReader &reader) override;
    // On every repaint, whatever the update rectangle; nothing for an unknown kind.
    void Draw(QPainter &painter, const QRect &update) override;
    // The whole canvas.
    void Invalidate() override;

protected:
    CMarker(const CMarker &other);

private:
    static constexpr auto Values() { return std::tuple(&CMarker::m_kind, &CMarker::m_colour); }

};

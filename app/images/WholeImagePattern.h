#pragma once
// What the grid and the grill share, the two patterns across the whole
// image: a kind, two values and a colour, kept and written alike ("GRID
// White 10 10", "GRIH White 10 40"), a repaint of the whole canvas and a
// property dialog of the two values. They have no place of their own: no
// handles, no bounds, no hit; offset, scale and drags leave them be.

#include "Coloured.h"
#include "KindedPrimitive.h"

#include "CNamedColour.h"

#include <vector>

class WholeImagePattern : public Coloured<KindedPrimitive> {
public:
    // Kind, the two values and the colour index, int32 each.
    void Serialize(CArchive &ar) override;
    // The mnemonic of the kind, the colour and the two values; nothing for an unknown kind.
    QString GetCommandText() const override;
    // colour name, the two values
    void SetFromCommand(CCommandReader &reader) override;
    // The whole canvas.
    void Invalidate() override;
    // The two values in the dialog's two fields.
    void UpdateProperties() override;
    void ApplyProperties() override;

protected:
    WholeImagePattern(const KindTable &kinds, int kind, int first, int second, int colour);
    WholeImagePattern(const KindTable &kinds, CCanvas *canvas, int kind, int first, int second);
    WholeImagePattern(const WholeImagePattern &other);

    static constexpr auto Values()
    {
        return std::tuple(&WholeImagePattern::m_kind, &WholeImagePattern::m_first, &WholeImagePattern::m_second,
                          &WholeImagePattern::m_colour);
    }
    // The client columns (vertical) or rows of image positions, in order,
    // each once and only those on the canvas: a pattern of more lines than
    // the canvas has pixels draws no more than it can show.
    static std::vector<int> ClientLines(const CCanvas &canvas, const std::vector<int> &positions, bool vertical);

    std::int32_t m_first;
    std::int32_t m_second;
};

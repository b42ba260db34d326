#pragma once
// A box in which the generator writes live information: the format box
// ("FORM"), the sequence step box ("SNUM") and the configurable
// information box ("TBOX"), whose contents and border come from fixed lists
// and whose place is given as fractions of the image's size. The editor
// shows a labelled box of the generator's size (dotted where the border has
// no line), the label whole inside it. All nine handles move it.

#include "CKindValue.h"
#include "Coloured.h"
#include "KindedPrimitive.h"
#include "MovedWholeKind.h"

#include <QPointF>

#include <array>

class CInformationBox : public MovedWholeKind<CInformationBox, Coloured<KindedPrimitive>> {
    DECLARE_SERIAL(CInformationBox)
    friend PrimitiveKind<CInformationBox, Coloured<KindedPrimitive>>;
    friend PlacedKind<CInformationBox, Coloured<KindedPrimitive>>;
    friend MovedWholeKind<CInformationBox, Coloured<KindedPrimitive>>;

public:
    enum Kind { kFormatBox = 0, kStepBox = 1, kInfoBox = 2 };
    static constexpr int kHandles = 9;
    // The size lines are read into: a line's box is placed on 640 x 480.
    static constexpr int kLineWidth = 640;
    static constexpr int kLineHeight = 480;

    // A format box at (10, 10), White, contents 0, border 0.
    CInformationBox();
    CInformationBox(int type, int x, int y, int colour = CNamedColour::kWhite);
    // A box of ratios, placed on 640 x 480.
    CInformationBox(double xRatio, double yRatio, int contents, int border, int colour = CNamedColour::kWhite);
    // Of type kind mod 3 in the middle of the canvas's image (a format
    // box's middle: (256, 223) on 640 x 480), with its handles.
    CInformationBox(CCanvas *canvas, int kind);
    ~CInformationBox() override;

    // Types 6, 7, 8 by kind. Ratios that are no numbers refuse the file.
    void Serialize(CArchive &ar) override;
    // "FORM White 256 223", "SNUM ...", "TBOX White 0.500 0.500  1 0";
    // nothing for an unknown type.
    QString GetCommandText() const override;
    // By the type: colour name, x, y; or colour name, the ratios, contents, border.
    void SetFromCommand(CCommandReader &reader) override;
    QPoint Anchor() const { return {m_x, m_y}; }
    double XRatio() const { return m_xRatio; }
    double YRatio() const { return m_yRatio; }
    int Contents() const { return m_contents.GetIndex(); }
    int Border() const { return m_border.GetIndex(); }

    // --- On the canvas: the labelled box, which clicks hit (an unknown type has
    // none); offset and scale move an information box's ratios with its place ----------
    // The box's half width and height by type and contents (a format box's
    // whole size); zero for an unknown type.
    QPoint HalfSize() const;
    // The box in image pixels, both corners inside.
    QRect ImageBox() const;
    // The box in client pixels (image pixels without a canvas).
    QRect GetBoxRect() const;
    void Invalidate() override;
    void GetBounds(QPoint &topLeft, QPoint &bottomRight) const override;
    // Handle 1's place, neither snapped nor kept in the image.
    void EndTrack(int index, bool moved) override;

    // An information box: the "Information Box Properties" dialog with the
    // ratios, contents and border; the other boxes: the "Dot Properties"
    // dialog with the anchor. During a drag, handle 1's place.
    CPropertiesDlg *OpenProperties(QWidget *parent) override;
    void UpdateProperties() override;
    // The ratios typed are cut as a line's are, then place the box on the
    // canvas's image: round(width x ratio), half up.
    void ApplyProperties() override;

protected:
    CInformationBox(const CInformationBox &other);

private:
    // In archive order: every box's, then what only an information box keeps.
    static constexpr auto BoxValues()
    {
        return std::tuple(&CInformationBox::m_kind, &CInformationBox::m_x, &CInformationBox::m_y,
                          &CInformationBox::m_colour);
    }
    static constexpr auto Values()
    {
        return std::tuple_cat(BoxValues(), std::tuple(&CInformationBox::m_xRatio, &CInformationBox::m_yRatio,
                                                      &CInformationBox::m_contents, &CInformationBox::m_border));
    }
    template <class F> void ForEachPoint(F f) { f(m_x, m_y); }
    void PointsMoved();
    // The width and height ratios are measured against.
    QPoint Extent() const;
    void PlaceByRatios(int width, int height);
    // The ratios of an image place; those shown, during a drag handle 1's.
    QPointF RatiosAt(const QPoint &place) const;
    QPointF ShownRatios() const;
    void RatiosFromPlace();
    QRect BoxAt(const QPoint &client) const;
    std::array<QPoint, kHandles> HandlePoints() const;
    QRect HitRect() const { return KnownKind() ? GetBoxRect() : QRect(); }
    void Paint(QPainter &painter, const QRect &update);
    std::vector<QPoint> SnapKeys() const;
    void ShowOutline();

    std::int32_t m_x = 10;
    std::int32_t m_y = 10;
    double m_xRatio = 0.5;
    double m_yRatio = 0.5;
    CInfoBoxContents m_contents{0};
    CTextBoxBorder m_border{0};
};

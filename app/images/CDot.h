#pragma once
// A single pixel of a named colour at one image point: one "ADOT" line of
// the image language. On a canvas it has one handle, on the dot, that
// moves it.

#include "Coloured.h"
#include "PlacedKind.h"

class CDot : public PlacedKind<CDot, Coloured<CPrimitive>> {
    DECLARE_SERIAL(CDot)
    friend PrimitiveKind<CDot, Coloured<CPrimitive>>;
    friend PlacedKind<CDot, Coloured<CPrimitive>>;

public:
    // (10, 10), White.
    CDot();
    CDot(int x, int y, int colour = CNamedColour::kWhite);
    // In the middle of the canvas's image, White, with its handle: (320, 240) on 640 x 480.
    explicit CDot(CCanvas *canvas);
    ~CDot() override;

    void Serialize(CArchive &ar) override;
    int Type() const override { return 0; }
    QString GetTypeName() const override;
    // "ADOT White 320 240"; while dragged, the handle's image point.
    QString GetCommandText() const override;
    // colour name, x, y
    void SetFromCommand(CCommandReader &reader) override;
    QPoint Position() const { return {m_x, m_y}; }

    // --- On the canvas: 2 client pixels left and above, 1 right and below hit it ---
    bool HitTest(const QPoint &client) const override;
    bool IntersectsRect(const QRect &client) const override;
    void Invalidate() override;
    void GetBounds(QPoint &topLeft, QPoint &bottomRight) const override;
    // The drag shows the handle alone; the end snaps and keeps the dot in the image.
    bool BeginTrack(int index) override;
    bool Track(int index, QPoint &point, bool test) override;
    void EndTrack(int index, bool moved) override;

    // The "Dot Properties" dialog: X and Y (during a drag the handle's image point).
    CPropertiesDlg *OpenProperties(QWidget *parent) override;
    void UpdateProperties() override;
    void ApplyProperties() override;

protected:
    CDot(const CDot &other);

private:
    static constexpr auto Values() { return std::tuple(&CDot::m_x, &CDot::m_y, &CDot::m_colour); }
    template <class F> void ForEachPoint(F f) { f(m_x, m_y); }
    std::vector<QPoint> SnapKeys() const { return {Position()}; }
    void CreateHandles();
    void PlaceHandles();
    void Paint(QPainter &painter, const QRect &update);

    std::int32_t m_x = 10;
    std::int32_t m_y = 10;
};

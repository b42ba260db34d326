#pragma once
// A single pixel of a named colour at one image point: one "ADOT" line of
// the image language. On a canvas it has one handle, on the dot, that
// moves it.

#include "CPrimitive.h"

#include "CNamedColour.h"

class CDot : public CPrimitive {
    DECLARE_SERIAL(CDot)

public:
    // (10, 10), White.
    CDot();
    CDot(int x, int y, int colour = CNamedColour::kWhite);
    // In the middle of the canvas's image, White, with its handle: (320, 240) on 640 x 480.
    explicit CDot(CCanvas *canvas);
    ~CDot() override;

    void Serialize(CArchive &ar) override;
    CPrimitive *Clone() const override;
    int Type() const override { return 0; }
    void Select() override;
    void Draw(QPainter &painter, const QRect &update) override;
    void Invalidate() override;
    bool BeginTrack(int index) override;
    bool Track(int index, QPoint &point, bool test) override;
    void EndTrack(int index, bool moved) override;
    // "ADOT White 320 240"; while dragged, the handle's image point.
    QString GetCommandText() const override;
    bool HasColour() const override { return true; }
    int GetColour() const override { return m_colour.GetIndex(); }
    void SetColour(int index) override { m_colour.SetIndex(index); }
    QString GetTypeName() const override;
    // Within 2 client pixels left and above, 1 right and below.
    bool HitTest(const QPoint &client) const override;
    bool IntersectsRect(const QRect &client) const override;
    void GetBounds(QPoint &topLeft, QPoint &bottomRight) const override;
    void Offset(int dx, int dy) override;
    void Scale(double sx, double sy) override;
    void SetCanvas(CCanvas *canvas) override;
    bool SnapPoint(QPoint &image) override;
    void VirtualAssign(const CPrimitive &other) override;
    // colour name, x, y
    void SetFromCommand(CCommandReader &reader) override;

    QPoint Position() const { return {m_x, m_y}; }

protected:
    CDot(const CDot &other);

private:
    QPoint ClientPoint() const;
    void PlaceHandle();

    std::int32_t m_x = 10;
    std::int32_t m_y = 10;
    CNamedColour m_colour{CNamedColour::kWhite};
};

#include "CMarker.h"

#include "Archive.h"
#include "CCanvas.h"
#include "CCommandReader.h"
#include "PrimitivePainting.h"
#include "KindTable.h"
#include "ResourceIds.h"

IMPLEMENT_SERIAL(CMarker, CPrimitive, VERSIONABLE_SCHEMA | 1)

namespace {

const KindRow kMarkerRows[] = {
    {CMarker::kCentreMark, 14, "CENT", IDS_TYPE_CENTRE_MARK},
    {CMarker::kCentredCross, 15, "CROS", IDS_TYPE_CENTRED_CROSS},
    {CMarker::kLimitMarkers, 16, "LIMI", IDS_TYPE_LIMIT_MARKERS},
};
constexpr KindTable kMarkerKinds("CMarker::Type: Unknown type.", kMarkerRows);

// The marks in image pixels on a canvas, each segment with both end pixels.
class MarkerPainter {
public:
    MarkerPainter(QPainter &painter, const CCanvas &canvas, const QColor &colour)
        : m_painter(painter), m_canvas(canvas), m_colour(colour), m_maxX(canvas.LargestX()),
          m_maxY(canvas.LargestY()), m_tx((5 * m_maxX + 5) / 200), m_ty((5 * m_maxY + 5) / 200), m_cx(m_maxX / 2),
          m_cy(m_maxY / 2), m_doubleX((m_maxX + 1) % 2 == 0), m_doubleY((m_maxY + 1) % 2 == 0)
    {
    }

    void CentreCross()
    {
        Horizontal(m_cx - m_tx, m_cx + m_tx, m_cy);
        Vertical(m_cx, m_cy - m_ty, m_cy + m_ty);
    }

    void Cross()
    {
        Horizontal(0, m_maxX, m_cy);
        Vertical(m_cx, 0, m_maxY);
    }

    void Limits()
    {
        // The corners: two ticks along the edges from each.
        Segment(0, 0, m_tx, 0);
        Segment(0, 0, 0, m_ty);
        Segment(m_maxX, 0, m_maxX - m_tx, 0);
        Segment(m_maxX, 0, m_maxX, m_ty);
        Segment(0, m_maxY, 0, m_maxY - m_ty);
        Segment(0, m_maxY, m_tx, m_maxY);
        Segment(m_maxX, m_maxY, m_maxX - m_tx, m_maxY);
        Segment(m_maxX, m_maxY, m_maxX, m_maxY - m_ty);
        // The edge middles: a bar along the edge and a tick inwards.
        for (int edge : {0, m_maxY}) {
            Segment(m_cx - m_tx, edge, m_cx + m_tx, edge);
            Vertical(m_cx, edge, edge == 0 ? m_ty : m_maxY - m_ty);
        }
        for (int edge : {0, m_maxX}) {
            Segment(edge, m_cy - m_ty, edge, m_cy + m_ty);
            Horizontal(edge, edge == 0 ? m_tx : m_maxX - m_tx, m_cy);
        }
        CentreCross();
    }

private:
    void Segment(int x1, int y1, int x2, int y2)
    {
        DrawLinePixels(m_painter, m_canvas.ImageToClient(x1, y1), m_canvas.ImageToClient(x2, y2), m_colour);
    }
    // Through the centre row: twice when the image's height is even.
    void Horizontal(int x1, int x2, int y)
    {
        Segment(x1, y, x2, y);
        if (m_doubleY)
            Segment(x1, y + 1, x2, y + 1);
    }
    // Through the centre column: twice when the image's width is even.
    void Vertical(int x, int y1, int y2)
    {
        Segment(x, y1, x, y2);
        if (m_doubleX)
            Segment(x + 1, y1, x + 1, y2);
    }

    QPainter &m_painter;
    const CCanvas &m_canvas;
    QColor m_colour;
    int m_maxX;
    int m_maxY;
    int m_tx;
    int m_ty;
    int m_cx;
    int m_cy;
    bool m_doubleX;
    bool m_doubleY;
};

} // namespace

CMarker::CMarker() : CMarker(kCentreMark) {}

CMarker::CMarker(int kind, int colour) : PrimitiveKind(kMarkerKinds, kind)
{
    m_colour.SetIndex(colour);
}

CMarker::CMarker(CCanvas *canvas, int kind)
    : PrimitiveKind(kMarkerKinds, canvas, kMarkerKinds.Knows(kind) ? kind : kCentreMark)
{
}

CMarker::CMarker(const CMarker &other) = default;

CMarker::~CMarker() = default;

void CMarker::Serialize(CArchive &ar)
{
    CPrimitive::Serialize(ar);
    TransferValues(ar);
}

QString CMarker::GetCommandText() const
{
    return KnownKind() ? QStringLiteral("%1 %2").arg(Mnemonic(), m_colour.GetCommandName()) : QString();
}

void CMarker::SetFromCommand(CCommandReader &reader)
{
    m_colour.SetByName(NextWord(reader));
}

void CMarker::Invalidate()
{
    if (CCanvas *canvas = GetCanvas())
        canvas->update();
}

void CMarker::Draw(QPainter &painter, const QRect &)
{
    CCanvas *canvas = GetCanvas();
    if (!canvas || !KnownKind())
        return;
    MarkerPainter marks(painter, *canvas, m_colour.GetScreenColour());
    switch (m_kind) {
    case kCentreMark: marks.CentreCross(); break;
    case kCentredCross: marks.Cross(); break;
    default: marks.Limits(); break;
    }
}

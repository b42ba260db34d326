#include "CText.h"

#include "Archive.h"
#include "CCanvas.h"
#include "CCommandReader.h"
#include "CPropertiesDlg.h"
#include "PrimitivePainting.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QPainter>

IMPLEMENT_SERIAL(CText, CPrimitive, VERSIONABLE_SCHEMA | 1)

namespace {

// How far around its cells a text's repaint reaches: left and top, right and bottom.
constexpr int kTextReachBefore = 3;
constexpr int kTextReachAfter = 2;

} // namespace

CText::CText() = default;

CText::CText(int x, int y, const QString &text, int colour, int font) : m_x(x), m_y(y), m_text(text)
{
    m_colour.SetIndex(colour);
    m_font.SetIndex(font);
}

CText::CText(CCanvas *canvas) : MovedWholeKind(canvas), m_text(QStringLiteral("Text"))
{
    const QSize cell = m_font.GetCellSize();
    m_x = (canvas->LargestX() + 1) / 2 - cell.width() / 2;
    m_y = (canvas->LargestY() + 1) / 2 - cell.height() / 2;
    SetCanvas(canvas);
}

CText::CText(const CText &other) = default;

CText::~CText() = default;

void CText::Serialize(CArchive &ar)
{
    CPrimitive::Serialize(ar);
    TransferValues(ar);
}

QString CText::GetTypeName() const { return LoadString(IDS_TYPE_TEXT); }

QString CText::GetCommandText() const
{
    const QPoint p = TrackedPoint(Anchor());
    return QStringLiteral("TEXT %1 %2 %3 %4 ").arg(m_colour.GetCommandName()).arg(p.x()).arg(p.y()).arg(m_font.GetText())
        + QLatin1Char('"') + m_text + QLatin1Char('"');
}

void CText::SetFont(int index)
{
    Invalidate();
    m_font.SetIndex(index);
}

void CText::SetFromCommand(CCommandReader &reader)
{
    m_colour.SetByName(NextWord(reader));
    m_x = NextLineValue(reader);
    m_y = NextLineValue(reader);
    m_font.SetByName(NextWord(reader));
    m_text.clear();
    reader.NextQuotedString(m_text);
}

// --- Geometry --------------------------------------------------------------------------------

CText::ClientCells CText::Cells() const
{
    const QSize cell = m_font.GetCellSize();
    const int width = Saturate(std::int64_t(cell.width()) * m_text.size());
    CCanvas *canvas = GetCanvas();
    if (!canvas)
        return {width, m_font.GetAscent(), m_font.GetDescent()};
    return {canvas->ImageToClient(width, 0).x(), canvas->ImageToClient(0, m_font.GetAscent()).y(),
            canvas->ImageToClient(0, m_font.GetDescent()).y()};
}

QRect CText::TextRectAt(const QPoint &client) const
{
    const ClientCells c = Cells();
    return QRect(QPoint(client.x(), client.y() - c.ascent),
                 QPoint(Saturate(std::int64_t(client.x()) + c.width), client.y() + c.descent));
}

QRect CText::FrameAt(const QPoint &client) const
{
    const ClientCells c = Cells();
    return QRect(QPoint(client.x(), client.y() - c.ascent + 1),
                 QPoint(Saturate(std::int64_t(client.x()) + c.width + 1), client.y() + c.descent + 1));
}

QRect CText::GetTextRect() const
{
    return TextRectAt(ToClient(Anchor()));
}

void CText::GetBounds(QPoint &topLeft, QPoint &bottomRight) const
{
    ImageBounds(GetTextRect(), topLeft, bottomRight);
}

std::vector<QPoint> CText::SnapKeys() const
{
    const QSize cell = m_font.GetCellSize();
    const std::int64_t left = m_x;
    const std::int64_t top = std::int64_t(m_y) - m_font.GetAscent();
    const std::int64_t w = std::int64_t(cell.width()) * m_text.size();
    const std::int64_t h = std::int64_t(m_font.GetAscent()) + m_font.GetDescent();
    const auto key = [](std::int64_t x, std::int64_t y) { return QPoint(Saturate(x), Saturate(y)); };
    return {key(left, top),          key(left, top + h),         key(left + w, top),
            key(left + w, top + h),  key(left, top + h / 2),     key(left + w, top + h / 2),
            key(left + w / 2, top),  key(left + w / 2, top + h), key(left + w / 2, top + h / 2)};
}

// --- On the canvas ----------------------------------------------------------------------

void CText::Invalidate()
{
    if (CCanvas *canvas = GetCanvas())
        canvas->RepaintArea(GetTextRect().adjusted(-kTextReachBefore, -kTextReachBefore, kTextReachAfter, kTextReachAfter));
}

void CText::Paint(QPainter &painter, const QRect &)
{
    const QPoint p = ToClient(Anchor());
    const QColor colour = m_colour.GetScreenColour();
    DrawBoxOutline(painter, FrameAt(p), colour);
    const ClientCells c = Cells();
    if (const std::optional<QFont> font = FitTextFont(m_text, c.width - 2, c.descent + c.ascent - 1))
        DrawTextAt(painter, QPoint(p.x() + 1, p.y() - c.ascent + 2), m_text, *font, colour);
}

// --- Dragging -----------------------------------------------------------------------------

void CText::ShowOutline()
{
    if (CCanvas *canvas = GetCanvas()) {
        const QRect frame = FrameAt(HandlePoint(1));
        canvas->SetDragFeedback(
            {{FeedbackShape::Frame, frame.topLeft(), frame.bottomRight(), m_colour.GetScreenColour()}});
    }
}

void CText::EndTrack(int, bool moved)
{
    EndDrag(moved, [this](CCanvas &canvas) {
        QPoint p = DropPoint(1);
        if (DropSnaps())
            canvas.ClampToImage(p);
        m_x = p.x();
        m_y = p.y();
    });
}

// --- Properties ------------------------------------------------------------------------

CPropertiesDlg *CText::OpenProperties(QWidget *parent)
{
    return OpenPropertyDialog(parent, IDD_TEXT_PROPERTIES);
}

void CText::UpdateProperties()
{
    ShowInDialog([this](CPropertiesDlg &dialog) {
        dialog.SetText(m_text);
        dialog.SetPosition(TrackedPoint(Anchor()));
    });
}

void CText::ApplyProperties()
{
    TakeFromDialog([this](CPropertiesDlg &dialog) {
        const QPoint position = dialog.GetPosition();
        m_x = position.x();
        m_y = position.y();
        m_text = dialog.GetText();
        PlaceHandles();
    });
}

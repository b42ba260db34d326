#include "CInformationBox.h"

#include "Archive.h"
#include "BoxRules.h"
#include "CCanvas.h"
#include "CCommandReader.h"
#include "CPropertiesDlg.h"
#include "KindTable.h"
#include "PrimitivePainting.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <utility>

IMPLEMENT_SERIAL(CInformationBox, CPrimitive, VERSIONABLE_SCHEMA | 1)

namespace {

constexpr int kBoxReachBefore = 3;
constexpr int kBoxReachAfter = 2;
// A format box's size less one, from its top-left corner.
constexpr int kFormatWidth = 129;
constexpr int kFormatHeight = 34;
constexpr int kStepHalfWidth = 33;
constexpr int kStepHalfHeight = 6;

const KindRow kBoxRows[] = {
    {CInformationBox::kFormatBox, 6, "FORM", IDS_TYPE_FORMAT_BOX},
    {CInformationBox::kStepBox, 7, "SNUM", IDS_TYPE_STEP_BOX},
    {CInformationBox::kInfoBox, 8, "TBOX", IDS_TYPE_INFO_BOX},
};
constexpr KindTable kBoxKinds("CInformationBox::Type: Unknown type.", kBoxRows);
// What each kind's box says in the editor.
const char *const kBoxLabels[] = {"FORM BOX", "STEP #", "INFO BOX"};

// Half sizes of an information box by its contents.
QPoint ContentsHalfSize(int contents)
{
    if (contents >= 1 && contents <= 4)
        return {58, 13};
    if (contents >= 5 && contents <= 8)
        return {57, 17};
    if (contents == 14 || contents == 15)
        return {114, 24};
    return {114, 17};
}

// The three-decimal form of a ratio, whatever the locale; a small negative
// ratio writes 0.000, as its line reads back.
QString RatioText(double ratio)
{
    QString text = QString::number(ratio, 'f', 3);
    if (text.startsWith(QLatin1Char('-')) && text.mid(1) == QLatin1String("0.000"))
        text.remove(0, 1);
    return text;
}

} // namespace

CInformationBox::CInformationBox() : MovedWholeKind(kBoxKinds, kFormatBox) {}

CInformationBox::CInformationBox(int type, int x, int y, int colour)
    : MovedWholeKind(kBoxKinds, type), m_x(x), m_y(y)
{
    m_colour.SetIndex(colour);
}

CInformationBox::CInformationBox(double xRatio, double yRatio, int contents, int border, int colour)
    : MovedWholeKind(kBoxKinds, kInfoBox), m_xRatio(xRatio), m_yRatio(yRatio)
{
    m_colour.SetIndex(colour);
    m_contents.SetIndex(contents);
    m_border.SetIndex(border);
    PlaceByRatios(kLineWidth, kLineHeight);
}

CInformationBox::CInformationBox(CCanvas *canvas, int kind)
    : MovedWholeKind(kBoxKinds, canvas, ((kind % 3) + 3) % 3)
{
    m_x = (canvas->LargestX() + 1) / 2;
    m_y = (canvas->LargestY() + 1) / 2;
    if (m_kind == kFormatBox) {
        m_x -= (kFormatWidth - 1) / 2;
        m_y -= kFormatHeight / 2;
    }
    SetCanvas(canvas);
}

CInformationBox::CInformationBox(const CInformationBox &other) = default;

CInformationBox::~CInformationBox() = default;

void CInformationBox::Serialize(CArchive &ar)
{
    CPrimitive::Serialize(ar);
    CPrimitive::TransferValues(ar, *this, BoxValues());
    if (m_kind != kInfoBox)
        return;
    if (ar.IsStoring()) {
        ar << m_xRatio << m_yRatio;
    } else {
        double xRatio = 0;
        double yRatio = 0;
        ar >> xRatio >> yRatio;
        if (!std::isfinite(xRatio) || !std::isfinite(yRatio))
            throw CArchiveException(CArchiveException::generic, LoadString(IDS_IMAGE_INFO_BOX_PLACE));
        m_xRatio = xRatio;
        m_yRatio = yRatio;
    }
    Transfer(ar, m_contents);
    Transfer(ar, m_border);
}

QPoint CInformationBox::Extent() const
{
    CCanvas *canvas = GetCanvas();
    return canvas ? QPoint(canvas->LargestX() + 1, canvas->LargestY() + 1) : QPoint(kLineWidth, kLineHeight);
}

void CInformationBox::PlaceByRatios(int width, int height)
{
    m_x = RoundHalfUp((width - 1) * m_xRatio);
    m_y = RoundHalfUp((height - 1) * m_yRatio);
}

QPointF CInformationBox::RatiosAt(const QPoint &place) const
{
    const QPoint extent = Extent();
    return QPointF(double(place.x()) / std::max(extent.x(), 1), double(place.y()) / std::max(extent.y(), 1));
}

QPointF CInformationBox::ShownRatios() const
{
    return IsTracking() && HandleCount() == kHandles ? RatiosAt(HandleImagePoint(1)) : QPointF(m_xRatio, m_yRatio);
}

void CInformationBox::RatiosFromPlace()
{
    if (m_kind != kInfoBox)
        return;
    const QPointF ratios = RatiosAt(Anchor());
    m_xRatio = ratios.x();
    m_yRatio = ratios.y();
}

QString CInformationBox::GetCommandText() const
{
    if (!KnownKind())
        return {};
    const QString head = QStringLiteral("%1 %2 ").arg(Mnemonic(), m_colour.GetCommandName());
    if (m_kind != kInfoBox) {
        const QPoint p = TrackedPoint(Anchor());
        return head + QStringLiteral("%1 %2").arg(p.x()).arg(p.y());
    }
    const QPointF ratios = ShownRatios();
    return head + QStringLiteral("%1 %2  %3 %4")
                      .arg(RatioText(ratios.x()), RatioText(ratios.y()))
                      .arg(Contents())
                      .arg(Border());
}

void CInformationBox::PointsMoved()
{
    RatiosFromPlace();
    PlaceHandles();
}

void CInformationBox::SetFromCommand(CCommandReader &reader)
{
    m_colour.SetByName(NextWord(reader));
    if (m_kind != kInfoBox) {
        m_x = NextLineValue(reader);
        m_y = NextLineValue(reader);
        return;
    }
    // Ratios far beyond any image are cut as the line's integers are: a
    // longer number than a token holds would not read back the same.
    const double limit = kLineValueLimit;
    reader.NextDouble(m_xRatio);
    reader.NextDouble(m_yRatio);
    m_xRatio = std::clamp(m_xRatio, -limit, limit);
    m_yRatio = std::clamp(m_yRatio, -limit, limit);
    int contents = 0;
    int border = 0;
    reader.NextInt(contents);
    reader.NextInt(border);
    m_contents.SetIndex(contents);
    m_border.SetIndex(border);
    PlaceByRatios(kLineWidth, kLineHeight);
}

// --- Geometry ---------------------------------------------------------------------------

QPoint CInformationBox::HalfSize() const
{
    switch (m_kind) {
    case kFormatBox: return {kFormatWidth, kFormatHeight};
    case kStepBox: return {kStepHalfWidth, kStepHalfHeight};
    case kInfoBox: return ContentsHalfSize(Contents());
    default: return {0, 0};
    }
}

QRect CInformationBox::ImageBox() const
{
    const QPoint h = HalfSize();
    const auto at = [](std::int64_t x, std::int64_t y) { return QPoint(Saturate(x), Saturate(y)); };
    if (m_kind == kFormatBox)
        return QRect(Anchor(), at(std::int64_t(m_x) + h.x(), std::int64_t(m_y) + h.y()));
    return QRect(at(std::int64_t(m_x) - h.x(), std::int64_t(m_y) - h.y()),
                 at(std::int64_t(m_x) + h.x(), std::int64_t(m_y) + h.y()));
}

QRect CInformationBox::BoxAt(const QPoint &client) const
{
    CCanvas *canvas = GetCanvas();
    const QPoint h = canvas ? canvas->ImageToClient(HalfSize()) : HalfSize();
    if (m_kind == kFormatBox)
        return QRect(client, client + h);
    return QRect(client - h, client + h);
}

QRect CInformationBox::GetBoxRect() const
{
    return BoxAt(ToClient(Anchor()));
}

void CInformationBox::GetBounds(QPoint &topLeft, QPoint &bottomRight) const
{
    ImageBounds(GetBoxRect(), topLeft, bottomRight);
}

std::vector<QPoint> CInformationBox::SnapKeys() const
{
    if (!KnownKind())
        return {};
    const QRect box = ImageBox();
    return BoxRules::SnapKeys(box.topLeft(), box.bottomRight());
}

// --- On the canvas ----------------------------------------------------------------------

std::array<QPoint, CInformationBox::kHandles> CInformationBox::HandlePoints() const
{
    const QRect box = GetBoxRect();
    auto points = BoxRules::Layout(box.topLeft(), box.bottomRight());
    // Handle 1 is the anchor: a centred box's centre.
    if (m_kind != kFormatBox)
        std::swap(points[0], points[8]);
    return points;
}

void CInformationBox::Invalidate()
{
    if (CCanvas *canvas = GetCanvas())
        canvas->RepaintArea(GetBoxRect().adjusted(-kBoxReachBefore, -kBoxReachBefore, kBoxReachAfter, kBoxReachAfter));
}

void CInformationBox::Paint(QPainter &painter, const QRect &)
{
    const QRect box = GetBoxRect();
    const QColor colour = m_colour.GetScreenColour();
    const QString label = QString::fromLatin1(kBoxLabels[m_kind]);
    const int border = Border();
    const bool opaque = m_kind != kInfoBox || border == 2 || border == 3;
    if (opaque)
        painter.fillRect(box, Qt::black);
    if (m_kind != kInfoBox || border == 1 || border == 3)
        DrawBoxOutline(painter, box, colour);
    else
        // No line of its own: the box the generator writes in shows dotted,
        // so that its handles frame what is drawn.
        DrawDottedBoxOutline(painter, box, colour);
    if (const std::optional<QFont> font = FitTextFont(label, box.width() - 3, box.height() - 3)) {
        if (m_kind != kInfoBox) {
            DrawTextAt(painter, box.topLeft() + QPoint(1, 1), label, *font, colour);
        } else {
            const QFontMetrics metrics(*font);
            const QPoint p = ToClient(Anchor());
            const QPoint at(p.x() - metrics.horizontalAdvance(label) / 2 + 1, p.y() - metrics.height() / 2 + 1);
            DrawTextAt(painter, at, label, *font, colour, opaque ? std::optional<QColor>(Qt::black) : std::nullopt);
        }
    }
}

// --- Dragging: every handle moves the box --------------------------------------------------

void CInformationBox::ShowOutline()
{
    if (CCanvas *canvas = GetCanvas()) {
        const QRect box = BoxAt(HandlePoint(1));
        canvas->SetDragFeedback({{FeedbackShape::Frame, box.topLeft(), box.bottomRight(), m_colour.GetScreenColour()}});
    }
}

void CInformationBox::EndTrack(int, bool moved)
{
    EndDrag(moved, [this](CCanvas &) {
        const QPoint p = HandleImagePoint(1);
        m_x = p.x();
        m_y = p.y();
        RatiosFromPlace();
    });
}

// --- Properties ------------------------------------------------------------------------

CPropertiesDlg *CInformationBox::OpenProperties(QWidget *parent)
{
    return OpenPropertyDialog(parent, m_kind == kInfoBox ? IDD_INFO_BOX_PROPERTIES : IDD_DOT_PROPERTIES);
}

void CInformationBox::UpdateProperties()
{
    ShowInDialog([this](CPropertiesDlg &dialog) {
        if (m_kind != kInfoBox) {
            dialog.SetPosition(TrackedPoint(Anchor()));
            return;
        }
        const QPointF ratios = ShownRatios();
        dialog.SetRatios(ratios.x(), ratios.y());
        dialog.SetInfo(Contents());
        dialog.SetStyle(Border());
    });
}

void CInformationBox::ApplyProperties()
{
    TakeFromDialog([this](CPropertiesDlg &dialog) {
        if (m_kind != kInfoBox) {
            const QPoint p = dialog.GetPosition();
            m_x = p.x();
            m_y = p.y();
        } else {
            m_contents.SetIndex(dialog.GetInfo());
            m_border.SetIndex(dialog.GetStyle());
            double xRatio = 0;
            double yRatio = 0;
            dialog.GetRatios(xRatio, yRatio);
            const double limit = kLineValueLimit;
            m_xRatio = std::clamp(xRatio, -limit, limit);
            m_yRatio = std::clamp(yRatio, -limit, limit);
            const QPoint extent = Extent();
            m_x = RoundHalfUp(extent.x() * m_xRatio);
            m_y = RoundHalfUp(extent.y() * m_yRatio);
        }
        PlaceHandles();
    });
}

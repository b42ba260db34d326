#include "CPrimitive.h"

#include "Archive.h"
#include "CCanvas.h"
#include "CCommandReader.h"
#include "CGenerator.h"
#include "CKindValue.h"
#include "CNamedColour.h"
#include "CPrimitiveHandle.h"
#include "CProgressDlg.h"
#include "CanvasLinks.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QStatusBar>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

IMPLEMENT_SERIAL(CPrimitive, CObject, VERSIONABLE_SCHEMA | 1)

namespace {

constexpr int kNearPoint = 4;
constexpr int kLargestFontPixels = 24;
constexpr int kSmallestFontPixels = 4;
constexpr int kFontPixelStep = 2;
// Enough fitted fonts for every text of an editor; the whole cache goes when full.
constexpr qsizetype kMaxFittedFonts = 1024;

// Onto the nearest multiple of step, halves away from zero only for
// positive values: the remainder keeps the sign of the value.
int SnapToStep(int value, int step)
{
    const int rest = value % step;
    return value - rest + (rest >= step / 2 ? step : 0);
}

} // namespace

CPrimitive::CPrimitive() = default;

CPrimitive::CPrimitive(CCanvas *canvas) : m_canvas(canvas) {}

CPrimitive::CPrimitive(const CPrimitive &other)
    : CObject(other),
      m_locked(other.m_locked),
      m_treeItem(other.m_treeItem),
      m_parentItem(other.m_parentItem),
      m_insertAfter(other.m_insertAfter)
{
}

CPrimitive::~CPrimitive()
{
    m_handles.clear();
    ReleasePropertyDialog();
}

void CPrimitive::Transfer(CArchive &ar, std::int32_t &value)
{
    if (ar.IsStoring())
        ar << qint32(value);
    else {
        qint32 read = 0;
        ar >> read;
        value = read;
    }
}

void CPrimitive::Transfer(CArchive &ar, QString &text)
{
    if (ar.IsStoring())
        ar << text;
    else
        ar >> text;
}

void CPrimitive::Transfer(CArchive &ar, QPoint &point)
{
    std::int32_t x = point.x();
    std::int32_t y = point.y();
    Transfer(ar, x);
    Transfer(ar, y);
    point = QPoint(x, y);
}

void CPrimitive::Transfer(CArchive &ar, CNamedColour &colour)
{
    std::int32_t number = colour.GetArchiveValue();
    Transfer(ar, number);
    if (ar.IsLoading())
        colour.SetArchiveValue(number);
}

void CPrimitive::Transfer(CArchive &ar, CKindValue &value)
{
    std::int32_t number = value.GetArchiveValue();
    Transfer(ar, number);
    if (ar.IsLoading())
        value.SetArchiveValue(number);
}

void CPrimitive::Serialize(CArchive &ar)
{
    Transfer(ar, m_locked);
}

CPrimitive *CPrimitive::Clone() const { return nullptr; }
int CPrimitive::Type() const { return 3; }

bool CPrimitive::SendToGenerator(CGenerator *generator, CProgressDlg *progress, int)
{
    const QString line = GetCommandText();
    if (line.trimmed().isEmpty())
        return true; // nothing to send
    if (progress)
        progress->SetStatus(IDC_STATUS2, line);
    // A line is never a query, whatever characters its text holds.
    generator->SendCommandLine(line);
    return generator->LastCommandSucceeded();
}

QString CPrimitive::GetCommandText() const { return QStringLiteral(" "); }
bool CPrimitive::HasColour() const { return false; }
bool CPrimitive::HasPattern() const { return false; }
bool CPrimitive::HasFont() const { return false; }
int CPrimitive::GetColour() const { return 0; }
int CPrimitive::GetPattern() const { return 0; }
int CPrimitive::GetFont() const { return 0; }
void CPrimitive::SetColour(int) {}
void CPrimitive::SetPattern(int) {}
void CPrimitive::SetFont(int) {}
QString CPrimitive::GetTypeName() const { return LoadString(IDS_TYPE_UNDEFINED); }
void CPrimitive::Draw(QPainter &, const QRect &) {}
void CPrimitive::Invalidate() {}
bool CPrimitive::BeginTrack(int) { return false; }
bool CPrimitive::Track(int, QPoint &, bool) { return false; }
void CPrimitive::EndTrack(int, bool) {}
bool CPrimitive::HitTest(const QPoint &) const { return false; }
bool CPrimitive::IntersectsRect(const QRect &) const { return true; }
void CPrimitive::GetBounds(QPoint &, QPoint &) const {}
void CPrimitive::Offset(int, int) {}
void CPrimitive::Scale(double, double) {}
bool CPrimitive::SnapPoint(QPoint &) { return false; }
bool CPrimitive::IsGroup() const { return false; }
void CPrimitive::ApplyProperties() {}
void CPrimitive::UpdateProperties() {}
CPropertiesDlg *CPrimitive::OpenProperties(QWidget *) { return nullptr; }
int CPrimitive::MemberCount() const { return 0; }
CPrimitive *CPrimitive::Member(int) const { return nullptr; }
void CPrimitive::AddMember(CPrimitive *, int, bool) {}
void CPrimitive::ReleaseMembers() {}
void CPrimitive::RecomputeBounds() {}
void CPrimitive::SetOwnsMembers(bool) {}

bool CPrimitive::InsertPrimitive()
{
    return m_listPane && m_listPane->InsertPrimitive(*this);
}

void CPrimitive::SetFromCommand(CCommandReader &) {}
QStringList CPrimitive::NamesInLine() const { return {}; }
QStringList CPrimitive::WordsInLine() const { return {}; }
QString CPrimitive::KindProblem() const { return {}; }

void CPrimitive::VirtualAssign(const CPrimitive &)
{
    AfxMessageBox(PromptText(IDS_VIRTUAL_ASSIGN));
}

void CPrimitive::AssignBase(const CPrimitive &other)
{
    m_locked = other.m_locked;
    m_treeItem = other.m_treeItem;
    m_parentItem = other.m_parentItem;
    m_insertAfter = other.m_insertAfter;
}

void CPrimitive::AppendLinePrimitives(std::vector<const CPrimitive *> &lines) const
{
    lines.push_back(this);
}

// --- Selection, marks and status -------------------------------------------------------

void CPrimitive::Select()
{
    if (!m_canvas || m_handles.empty())
        return;
    m_selected = true;
    for (const auto &handle : m_handles) {
        handle->SetSelected(true);
        handle->Show(*m_canvas);
        handle->Repaint();
    }
}

void CPrimitive::Deselect()
{
    if (!m_canvas)
        return;
    m_selected = false;
    if (!HandlesShown())
        return;
    for (const auto &handle : m_handles) {
        handle->SetSelected(false);
        if (handle->IsMarked())
            handle->Repaint();
        else
            handle->Hide();
    }
}

void CPrimitive::SetMarked(bool on)
{
    if (!m_canvas)
        return;
    m_marked = on ? 1 : 0;
    if (on) {
        for (const auto &handle : m_handles) {
            handle->SetMarked(true);
            handle->Show(*m_canvas);
            handle->Repaint();
        }
        m_selected = true;
        return;
    }
    for (const auto &handle : m_handles) {
        if (!handle->IsShown())
            return;
        handle->SetMarked(false);
        if (handle->IsSelected()) {
            handle->Repaint();
        } else {
            m_selected = false;
            handle->Hide();
        }
    }
}

void CPrimitive::RepaintHandles()
{
    if (!m_canvas || !HandlesShown())
        return;
    for (const auto &handle : m_handles)
        handle->Repaint();
}

void CPrimitive::DestroyHandles()
{
    m_handles.clear();
    m_selected = false;
}

void CPrimitive::ClearTracking()
{
    for (const auto &handle : m_handles)
        handle->SetDragging(false);
    m_tracking = false;
}

CCanvas *CPrimitive::GetCanvas() const { return m_canvas; }
QStatusBar *CPrimitive::GetStatusBar() const { return m_statusBar; }

void CPrimitive::SetStatusBar(QStatusBar *statusBar)
{
    m_statusBar = statusBar;
}

void CPrimitive::ShowStatus()
{
    if (m_statusBar) {
        m_statusBar->showMessage(GetCommandText());
        m_statusBar->repaint();
    }
    UpdateProperties();
}

void CPrimitive::SetCanvas(CCanvas *canvas)
{
    m_canvas = canvas;
    if (!canvas) {
        DestroyHandles();
        return;
    }
    // Shown handles go with the primitive.
    for (const auto &handle : m_handles) {
        if (handle->IsShown())
            handle->Show(*canvas);
    }
}

// --- Handles -------------------------------------------------------------------------------

CPrimitiveHandle *CPrimitive::Handle(int index) const
{
    return index >= 1 && index <= HandleCount() ? m_handles[size_t(index - 1)].get() : nullptr;
}

void CPrimitive::AddHandle(const QPoint &client, int cursor, bool system)
{
    auto handle = std::make_unique<CPrimitiveHandle>(HandleCount() + 1, this, client.x(), client.y());
    handle->SetCursor(cursor, system);
    m_handles.push_back(std::move(handle));
}

void CPrimitive::MoveHandle(int index, const QPoint &client)
{
    if (CPrimitiveHandle *handle = Handle(index))
        handle->MoveTo(client);
}

QPoint CPrimitive::HandlePoint(int index) const
{
    const CPrimitiveHandle *handle = Handle(index);
    return handle ? handle->Point() : QPoint();
}

bool CPrimitive::HandlesShown() const
{
    return !m_handles.empty() && m_handles.front()->IsShown();
}

QPoint CPrimitive::HandleImagePoint(int index) const
{
    return ToImage(HandlePoint(index));
}

QPoint CPrimitive::NewBoxStart(const CCanvas &canvas)
{
    const int cx = (canvas.LargestX() + 1) / 2;
    const int cy = (canvas.LargestY() + 1) / 2;
    return QPoint(RoundHalfUp(0.8 * cx), RoundHalfUp(0.8 * cy));
}

QPoint CPrimitive::NewBoxEnd(const CCanvas &canvas)
{
    const int cx = (canvas.LargestX() + 1) / 2;
    const int cy = (canvas.LargestY() + 1) / 2;
    return QPoint(RoundHalfUp(1.2 * cx), RoundHalfUp(1.2 * cy));
}

QPoint CPrimitive::TrackedPoint(const QPoint &place) const
{
    return m_tracking && !m_handles.empty() ? HandleImagePoint(1) : place;
}

bool CPrimitive::DropSnaps() const
{
    return m_snapped || (m_canvas && m_canvas->GridSnap());
}

QPoint CPrimitive::DropPoint(int index)
{
    QPoint point = HandleImagePoint(index);
    if (DropSnaps())
        SnapTrackPoint(point, false, m_snapped);
    return point;
}

QPoint CPrimitive::ToClient(const QPoint &image) const
{
    return m_canvas ? m_canvas->ImageToClient(image) : image;
}

QPoint CPrimitive::ToImage(const QPoint &client) const
{
    return m_canvas ? m_canvas->ClientToImage(client) : client;
}

void CPrimitive::ImageBounds(const QRect &client, QPoint &topLeft, QPoint &bottomRight) const
{
    topLeft = ToImage(client.topLeft());
    bottomRight = ToImage(client.bottomRight());
}

void CPrimitive::KeepHandleStarts()
{
    m_handleStarts.clear();
    for (const auto &handle : m_handles)
        m_handleStarts.push_back(handle->Point());
}

QPoint CPrimitive::HandleStart(int index) const
{
    return index >= 1 && index <= int(m_handleStarts.size()) ? m_handleStarts[size_t(index - 1)] : HandlePoint(index);
}

void CPrimitive::FollowHandle(int index)
{
    const QPoint way = HandlePoint(index) - HandleStart(index);
    for (int i = 1; i <= HandleCount(); ++i) {
        if (i != index)
            MoveHandle(i, HandleStart(i) + way);
    }
}

void CPrimitive::FollowStep(int index, int handles)
{
    if (!m_canvas)
        return;
    // None before the first move.
    const QPoint step = HandlePoint(index) - m_canvas->Anchor();
    for (int i = 1; i <= handles; ++i) {
        if (i != index)
            MoveHandle(i, HandlePoint(i) + step);
    }
}

QPoint CPrimitive::DropWholePoint(int index)
{
    QPoint end = HandlePoint(index);
    if (DropSnaps())
        SnapTrackPoint(end, true, m_snapped);
    QPoint image = ToImage(end);
    if (m_canvas)
        m_canvas->ClampToImage(image);
    return image;
}

// --- A handle's drag, driven by the canvas ---------------------------------------------------

bool CPrimitive::HandleDragBegins(int index)
{
    if (!m_canvas || !BeginTrack(index))
        return false;
    CanvasListLink *pane = m_listPane ? m_listPane : m_canvas->ListPane();
    if (pane)
        pane->HoldModifyUndo(*this);
    m_snapped = false;
    return true;
}

bool CPrimitive::HandleDragSnaps(QPoint &client, bool toPoints)
{
    m_snapped = SnapTrackPoint(client, true, toPoints);
    return m_snapped;
}

bool CPrimitive::HandleDragTracks(int index, QPoint &client, bool test)
{
    return Track(index, client, test);
}

void CPrimitive::HandleDragEnds(int index, bool moved)
{
    EndTrack(index, moved);
}

// --- Snapping ------------------------------------------------------------------------------

bool CPrimitive::SnapTrackPoint(QPoint &point, bool client, bool toPoints)
{
    if (!m_canvas)
        return false;
    if (toPoints && m_canvas->SnapToPoints(point, client))
        return true;
    // A step below 1 would divide by zero: no grid to snap to.
    const int stepX = m_canvas->GridStepX();
    const int stepY = m_canvas->GridStepY();
    if (!m_canvas->GridSnap() || stepX < 1 || stepY < 1)
        return false;
    QPoint image = client ? m_canvas->ClientToImage(point) : point;
    image = QPoint(SnapToStep(image.x(), stepX), SnapToStep(image.y(), stepY));
    point = client ? m_canvas->ImageToClient(image) : image;
    return true;
}

bool CPrimitive::SnapToNearPoint(QPoint &point, const QPoint &key)
{
    if (std::abs(std::int64_t(point.x()) - key.x()) > kNearPoint || std::abs(std::int64_t(point.y()) - key.y()) > kNearPoint)
        return false;
    point = key;
    return true;
}

std::optional<QFont> CPrimitive::FitTextFont(const QString &text, int width, int height)
{
    // It runs at every paint of a text: one measurement per text and box.
    // Kept to the end of the process: fonts must not be destroyed after the GUI.
    static auto &fitted = *new QHash<QString, std::optional<QFont>>;
    const QString key = QStringLiteral("%1x%2:").arg(width).arg(height) + text;
    const auto known = fitted.constFind(key);
    if (known != fitted.constEnd())
        return *known;
    std::optional<QFont> found;
    for (int pixels = kLargestFontPixels; pixels >= kSmallestFontPixels; pixels -= kFontPixelStep) {
        QFont font(QStringLiteral("Courier New"));
        font.setStyleHint(QFont::Monospace);
        font.setStyleStrategy(QFont::NoAntialias);
        font.setWeight(QFont::Normal);
        font.setPixelSize(pixels);
        const QFontMetrics metrics(font);
        if (metrics.horizontalAdvance(text) <= width && metrics.height() <= height) {
            found = font;
            break;
        }
    }
    if (fitted.size() >= kMaxFittedFonts)
        fitted.clear();
    fitted.insert(key, found);
    return found;
}

// --- Numbers -----------------------------------------------------------------------------

int CPrimitive::RoundHalfUp(double value)
{
    return CCanvas::RoundHalfUp(value);
}

int CPrimitive::NextLineValue(CCommandReader &reader)
{
    int value = 0;
    reader.NextInt(value);
    return std::clamp(value, -kLineValueLimit, kLineValueLimit);
}

QString CPrimitive::NextWord(CCommandReader &reader)
{
    QString word;
    reader.NextToken(word);
    return word;
}

int CPrimitive::NextLineSize(CCommandReader &reader)
{
    int value = 0;
    reader.NextInt(value);
    return std::clamp(value, 2 - kLineValueLimit, kLineValueLimit);
}

void CPrimitive::OffsetPoint(std::int32_t &x, std::int32_t &y, int dx, int dy)
{
    x = Saturate(std::int64_t(x) + dx);
    y = Saturate(std::int64_t(y) + dy);
}

void CPrimitive::ScalePoint(std::int32_t &x, std::int32_t &y, double sx, double sy)
{
    x = RoundHalfUp(x * sx);
    y = RoundHalfUp(y * sy);
}

int CPrimitive::Saturate(std::int64_t value)
{
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return int(value);
}

#include "CGroup.h"

#include "Archive.h"
#include "BoxRules.h"
#include "CCanvas.h"
#include "CProgressDlg.h"
#include "CPropertiesDlg.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QPainter>

#include <algorithm>
#include <climits>

IMPLEMENT_SERIAL(CGroup, CPrimitive, VERSIONABLE_SCHEMA | 1)

namespace {

constexpr int kGroupReach = 3;
constexpr int kGroupCancelEvery = 10;
constexpr int kNewGroupSide = 20;
const QColor kGroupOutline(192, 192, 192);

} // namespace

CGroup::CGroup() = default;

CGroup::CGroup(const QPoint &topLeft, const QPoint &bottomRight)
    : m_x1(topLeft.x()), m_y1(topLeft.y()), m_x2(bottomRight.x()), m_y2(bottomRight.y()), m_ownsMembers(true)
{
}

CGroup::CGroup(CCanvas *canvas) : MovedWholeKind(canvas), m_x2(kNewGroupSide), m_y2(kNewGroupSide)
{
    SetCanvas(canvas);
}

CGroup::CGroup(const CGroup &other)
    : MovedWholeKind(other), m_x1(other.m_x1), m_y1(other.m_y1), m_x2(other.m_x2), m_y2(other.m_y2), m_ownsMembers(true)
{
    m_members.reserve(other.m_members.size());
    for (const CPrimitive *member : other.m_members)
        m_members.push_back(member->Clone());
}

CGroup::~CGroup()
{
    DeleteMembers();
}

void CGroup::DeleteMembers()
{
    if (!GetCanvas() || m_ownsMembers) {
        for (CPrimitive *member : m_members)
            delete member;
    }
    m_members.clear();
}

void CGroup::ReleaseMembers()
{
    m_members.clear();
}

bool CGroup::InsertPrimitive()
{
    if (!CPrimitive::InsertPrimitive())
        return false;
    // The members go back under the group's item, in order; from then on
    // the tree's items own them.
    TreeItemId previous = kNoTreeItem;
    for (CPrimitive *member : m_members) {
        member->SetParentItem(GetTreeItem());
        member->SetInsertAfter(previous);
        member->SetListPane(GetListPane());
        if (!member->InsertPrimitive())
            return false;
        previous = member->GetTreeItem();
    }
    m_ownsMembers = false;
    return true;
}

void CGroup::Serialize(CArchive &ar)
{
    CPrimitive::Serialize(ar);
    TransferValues(ar);
    if (ar.IsStoring()) {
        ar.WriteCount(quint32(m_members.size()));
        for (const CPrimitive *member : m_members)
            ar.WriteObject(member);
        return;
    }
    const quint32 count = ar.ReadCount();
    std::vector<std::unique_ptr<CPrimitive>> read;
    for (quint32 i = 0; i < count; ++i) {
        std::unique_ptr<CPrimitive> member = ar.ReadObject<CPrimitive>();
        if (!member)
            throw CArchiveException(CArchiveException::badIndex, LoadString(IDS_IMAGE_GROUP_MEMBER_MISSING));
        read.push_back(std::move(member));
    }
    DeleteMembers();
    m_ownsMembers = true;
    for (std::unique_ptr<CPrimitive> &member : read) {
        member->SetLocked(true); // frozen while in the group
        m_members.push_back(member.release());
    }
}

QString CGroup::GetTypeName() const { return LoadString(IDS_TYPE_GROUP); }

QString CGroup::GetCommandText() const
{
    const QPoint p = TrackedPoint(TopLeft());
    return FormatString(IDS_GROUP_DESCRIPTION, {QString::number(p.x()), QString::number(p.y()), QString::number(m_members.size())});
}

void CGroup::AppendLinePrimitives(std::vector<const CPrimitive *> &lines) const
{
    for (const CPrimitive *member : m_members)
        member->AppendLinePrimitives(lines);
}

void CGroup::AddMember(CPrimitive *member, int index, bool extend)
{
    if (!member)
        return;
    member->SetLocked(true);
    if (index >= 0 && size_t(index) < m_members.size()) {
        if (m_ownsMembers && m_members[size_t(index)] != member)
            delete m_members[size_t(index)];
        m_members[size_t(index)] = member;
    } else {
        m_members.push_back(member);
    }
    if (!extend)
        return;
    QPoint tl(INT_MAX, INT_MAX);
    QPoint br(INT_MIN, INT_MIN);
    member->GetBounds(tl, br);
    if (tl.x() > br.x())
        return; // no bounds of its own
    if (index == 0) {
        m_x1 = tl.x();
        m_y1 = tl.y();
        m_x2 = br.x();
        m_y2 = br.y();
    } else {
        m_x1 = std::min(m_x1, tl.x());
        m_y1 = std::min(m_y1, tl.y());
        m_x2 = std::max(m_x2, br.x());
        m_y2 = std::max(m_y2, br.y());
    }
}

bool CGroup::MembersBounds(QPoint &topLeft, QPoint &bottomRight) const
{
    bool any = false;
    for (const CPrimitive *member : m_members) {
        QPoint tl(INT_MAX, INT_MAX);
        QPoint br(INT_MIN, INT_MIN);
        member->GetBounds(tl, br);
        if (tl.x() > br.x())
            continue;
        if (!any) {
            topLeft = tl;
            bottomRight = br;
            any = true;
            continue;
        }
        topLeft = QPoint(std::min(topLeft.x(), tl.x()), std::min(topLeft.y(), tl.y()));
        bottomRight = QPoint(std::max(bottomRight.x(), br.x()), std::max(bottomRight.y(), br.y()));
    }
    return any;
}

void CGroup::RecomputeBounds()
{
    QPoint tl;
    QPoint br;
    if (!MembersBounds(tl, br))
        return;
    m_x1 = tl.x();
    m_y1 = tl.y();
    m_x2 = br.x();
    m_y2 = br.y();
}

void CGroup::GetBounds(QPoint &topLeft, QPoint &bottomRight) const
{
    topLeft = TopLeft();
    bottomRight = BottomRight();
    MembersBounds(topLeft, bottomRight);
}

void CGroup::Offset(int dx, int dy)
{
    for (CPrimitive *member : m_members)
        member->Offset(dx, dy);
    MovedWholeKind::Offset(dx, dy);
}

void CGroup::Scale(double sx, double sy)
{
    for (CPrimitive *member : m_members)
        member->Scale(sx, sy);
    RecomputeBounds();
    PlaceHandles();
}

void CGroup::TakeValues(const CGroup &other)
{
    CopyValues(*this, other, Values());
    const size_t common = std::min(m_members.size(), other.m_members.size());
    for (size_t i = 0; i < common; ++i)
        m_members[i]->VirtualAssign(*other.m_members[i]);
}

bool CGroup::SendToGenerator(CGenerator *generator, CProgressDlg *progress, int flag)
{
    for (size_t i = 0; i < m_members.size(); ++i) {
        if (!m_members[i]->SendToGenerator(generator, progress, flag))
            return false;
        if (i % kGroupCancelEvery == 0 && progress && progress->IsCancelled())
            return false;
    }
    return true;
}

// --- On the canvas ----------------------------------------------------------------------

QRect CGroup::ClientBox() const
{
    if (IsTracking() && HandleCount() == kHandles)
        return QRect(HandlePoint(1), HandlePoint(3));
    CCanvas *canvas = GetCanvas();
    if (!canvas)
        return QRect(TopLeft(), BottomRight());
    return QRect(canvas->ImageToClient(TopLeft()), canvas->ImageToClient(BottomRight()));
}

std::array<QPoint, CGroup::kHandles> CGroup::HandlePoints() const
{
    return BoxRules::Layout(ToClient(TopLeft()), ToClient(BottomRight()));
}

void CGroup::SetCanvas(CCanvas *canvas)
{
    for (CPrimitive *member : m_members)
        member->SetCanvas(canvas);
    MovedWholeKind::SetCanvas(canvas);
}

void CGroup::SetStatusBar(QStatusBar *statusBar)
{
    CPrimitive::SetStatusBar(statusBar);
    for (CPrimitive *member : m_members)
        member->SetStatusBar(statusBar);
}

void CGroup::Select()
{
    MovedWholeKind::Select();
    Invalidate();
}

void CGroup::Deselect()
{
    CPrimitive::Deselect();
    Invalidate();
}

void CGroup::Invalidate()
{
    PlaceHandles();
    if (CCanvas *canvas = GetCanvas())
        canvas->RepaintArea(ClientBox().adjusted(-kGroupReach, -kGroupReach, kGroupReach + 1, kGroupReach + 1));
}

void CGroup::Paint(QPainter &painter, const QRect &update)
{
    for (CPrimitive *member : m_members)
        member->Draw(painter, update);
    if (IsSelected()) {
        painter.save();
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(kGroupOutline, 0, Qt::DotLine));
        const QRect box = ClientBox();
        painter.drawRect(box.adjusted(0, 0, -1, -1).normalized());
        painter.restore();
    }
}

bool CGroup::SnapPoint(QPoint &image)
{
    if (IsTracking())
        return false;
    for (auto it = m_members.rbegin(); it != m_members.rend(); ++it) {
        if ((*it)->SnapPoint(image))
            return true;
    }
    return !IsLocked() && MovedWholeKind::SnapPoint(image);
}

// --- Dragging: every handle moves the whole group -------------------------------------------

void CGroup::ShowOutline()
{
    if (CCanvas *canvas = GetCanvas()) {
        FeedbackShape frame{FeedbackShape::Frame, HandlePoint(1), HandlePoint(3), kGroupOutline};
        frame.dotted = true;
        canvas->SetDragFeedback({frame});
    }
}

void CGroup::EndTrack(int, bool moved)
{
    EndDrag(moved, [this](CCanvas &canvas) {
        // In image pixels: the members and the bounds.
        const QPoint delta = canvas.ClientToImage(HandlePoint(1)) - canvas.ClientToImage(HandleStart(1));
        Offset(delta.x(), delta.y());
        RecomputeBounds();
    });
}

// --- Properties ------------------------------------------------------------------------

CPropertiesDlg *CGroup::OpenProperties(QWidget *parent)
{
    return OpenPropertyDialog(parent, IDD_DOT_PROPERTIES, LoadString(IDS_GROUP_PROPERTIES));
}

void CGroup::UpdateProperties()
{
    ShowInDialog([this](CPropertiesDlg &dialog) { dialog.SetPosition(TrackedPoint(TopLeft())); });
}

void CGroup::ApplyProperties()
{
    TakeFromDialog([this](CPropertiesDlg &dialog) {
        const QPoint position = dialog.GetPosition();
        Offset(Saturate(std::int64_t(position.x()) - m_x1), Saturate(std::int64_t(position.y()) - m_y1));
    });
}

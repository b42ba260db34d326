#pragma once
// Primitives bound into one unit: moved, drawn, sent and saved together.
// The image language has no group: its lines are its members' lines. The
// members are locked while in a group. A group outside an editor's tree
// (in an image, the clipboard, an undo record) owns its members; in a tree
// the tree owns them (see SetOwnsMembers). Its nine handles all move it;
// nothing resizes it.

#include "MovedWholeKind.h"

#include "BoxRules.h"

#include <vector>

class CGroup : public MovedWholeKind<CGroup> {
    DECLARE_SERIAL(CGroup)
    friend PrimitiveKind<CGroup>;
    friend PlacedKind<CGroup>;
    friend MovedWholeKind<CGroup>;

public:
    static constexpr int kHandles = 9;

    // Empty, owning nothing yet (the loader fills it, and then owns it).
    CGroup();
    // Empty with these bounds, owning what it is given.
    CGroup(const QPoint &topLeft, const QPoint &bottomRight);
    // Empty on a canvas, bounds (0, 0)-(20, 20), with its handles.
    explicit CGroup(CCanvas *canvas);
    // Deletes the members when it owns them or has no canvas.
    ~CGroup() override;

    void Serialize(CArchive &ar) override;
    int Type() const override { return 19; }
    // Invalidates the group too.
    void Select() override;
    void Deselect() override;
    void SetStatusBar(QStatusBar *statusBar) override;
    // Each member's send in order; false at the first that fails, or when
    // Cancel is asked after members 0, 10, 20, ...
    bool SendToGenerator(CGenerator *generator, CProgressDlg *progress, int flag) override;
    // Its box, and the members within.
    void Invalidate() override;
    // The members move as far as handle 1 did; the bounds follow them.
    void EndTrack(int index, bool moved) override;
    // "Group: (10,5) 3 Objects".
    QString GetCommandText() const override;
    QString GetTypeName() const override;
    // The bounds of the members.
    void GetBounds(QPoint &topLeft, QPoint &bottomRight) const override;
    // The members move and scale; scaled, the bounds follow them.
    void Offset(int dx, int dy) override;
    void Scale(double sx, double sy) override;
    void SetCanvas(CCanvas *canvas) override;
    // The members' points, the last member first; then, when the group is
    // not itself frozen, its box's corners, the middles of its edges and its centre.
    bool SnapPoint(QPoint &image) override;
    bool IsGroup() const override { return true; }
    // The "Dot Properties" dialog titled "Group Properties": the top-left
    // corner (during a drag handle 1's image point); a new corner moves
    // the whole group.
    CPropertiesDlg *OpenProperties(QWidget *parent) override;
    void UpdateProperties() override;
    void ApplyProperties() override;
    // The members' lines, nested groups' members in turn.
    void AppendLinePrimitives(std::vector<const CPrimitive *> &lines) const override;

    // Locks member and puts it at index (an index past the end appends; one
    // inside replaces the member there, deleted when the group owns it);
    // with extend the bounds take in its bounds (at index 0 they become them).
    void AddMember(CPrimitive *member, int index, bool extend) override;
    // The smallest box holding the members' bounds; members without bounds
    // (whole-image patterns, options) and an empty group leave them as they are.
    void RecomputeBounds() override;
    const std::vector<CPrimitive *> &Members() const { return m_members; }
    int MemberCount() const override { return static_cast<int>(m_members.size()); }
    CPrimitive *Member(int index) const override
    {
        return index >= 0 && index < MemberCount() ? m_members[static_cast<size_t>(index)] : nullptr;
    }
    bool OwnsMembers() const { return m_ownsMembers; }
    // Cleared when the group goes into a tree, whose items then own the members.
    void SetOwnsMembers(bool owns) override { m_ownsMembers = owns; }
    // Forgets the members without deleting them (un-grouping).
    void ReleaseMembers() override;
    // Back into the list pane with its members as its child items.
    bool InsertPrimitive() override;
    QPoint TopLeft() const { return {m_x1, m_y1}; }
    QPoint BottomRight() const { return {m_x2, m_y2}; }

protected:
    // Every member cloned; the copy owns them.
    CGroup(const CGroup &other);

private:
    // The bounds; the members follow them in the archive form.
    static constexpr auto Values() { return std::tuple(&CGroup::m_x1, &CGroup::m_y1, &CGroup::m_x2, &CGroup::m_y2); }
    // The bounds, and each member takes the values of the other's member at its index.
    void TakeValues(const CGroup &other);
    template <class F> void ForEachPoint(F f)
    {
        f(m_x1, m_y1);
        f(m_x2, m_y2);
    }
    bool MembersBounds(QPoint &topLeft, QPoint &bottomRight) const;
    QRect ClientBox() const;
    std::array<QPoint, kHandles> HandlePoints() const;
    QRect HitRect() const { return ClientBox(); }
    // The members, and a selected group's dotted box.
    void Paint(QPainter &painter, const QRect &update);
    std::vector<QPoint> SnapKeys() const { return BoxRules::SnapKeys(TopLeft(), BottomRight()); }
    void ShowOutline();
    void DeleteMembers();

    std::int32_t m_x1 = 0;
    std::int32_t m_y1 = 0;
    std::int32_t m_x2 = 0;
    std::int32_t m_y2 = 0;
    std::vector<CPrimitive *> m_members;
    bool m_ownsMembers = false;
};

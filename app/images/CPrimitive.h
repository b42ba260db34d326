#pragma once
// The base of the image primitives: one object per line of the image
// language (dot, line, rectangle, oval, text, ...) and the group. It fixes
// the operations that the image, its readers and writers, the canvas, the
// editor's tree and the property dialogs call on every primitive, the
// fields all primitives share, the part of the archive they share, and the
// handles by which the user drags a primitive's points on the canvas.

#include "CObject.h"
#include "HandleLinks.h"

#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <tuple>
#include <vector>

class CArchive;
class CCanvas;
class CCommandReader;
class CGenerator;
class CKindValue;
class CNamedColour;
class CPrimitiveHandle;
class CProgressDlg;
class CanvasListLink;
class CPropertiesDlg;
class QFont;
class QPainter;
class QStatusBar;
class QWidget;

// A tree item of the list pane by its number, which the pane never reuses:
// a remembered item that has gone is found gone, never mistaken for another.
// 0 is none (for a parent: the top level; for a predecessor: first).
using TreeItemId = int;
inline constexpr TreeItemId kNoTreeItem = 0;

class CPrimitive : public CObject, public HandleOwnerLink {
    DECLARE_SERIAL(CPrimitive)

public:
    CPrimitive();
    // On a canvas (the editor's insert commands); the classes make their handles.
    explicit CPrimitive(CCanvas *canvas);
    // Destroys the handles and an open property dialog.
    ~CPrimitive() override;
    CPrimitive &operator=(const CPrimitive &) = delete;

    // The common archive part: locked, int32.
    void Serialize(CArchive &ar) override;
    // A detached copy holding every value: no canvas, pane, status bar,
    // shown handles or property dialog; the remembered tree item and
    // positions stay. The base has none to give (null).
    virtual CPrimitive *Clone() const;
    // Type code, also the primitive's icon in the tree.
    virtual int Type() const;
    // Handles shown for the selection (made when missing).
    virtual void Select();
    virtual void Deselect();
    virtual void SetStatusBar(QStatusBar *statusBar);
    // The command text into the status bar, then UpdateProperties.
    virtual void ShowStatus();
    // Shows the line on the progress dialog and sends it; false when the
    // generator refused it or the link failed (the link showed why). A
    // primitive without a line sends nothing.
    virtual bool SendToGenerator(CGenerator *generator, CProgressDlg *progress, int flag);
    // Paints the primitive in client pixels; update is the part repainted.
    virtual void Draw(QPainter &painter, const QRect &update);
    // Asks the canvas to repaint where the primitive lies.
    virtual void Invalidate();
    // The drag of handle index (a number from 1) begins; false: no drag.
    virtual bool BeginTrack(int index);
    // The handle moves to point (client pixels): first with test true,
    // before the handle's window moves (the class may correct the point),
    // then with test false, after. False refuses the point.
    virtual bool Track(int index, QPoint &point, bool test);
    virtual void EndTrack(int index, bool moved);
    // The primitive's line of the image language.
    virtual QString GetCommandText() const;
    virtual bool HasColour() const;
    virtual bool HasPattern() const;
    virtual bool HasFont() const;
    // Indexes of the named colour, fill pattern and font.
    virtual int GetColour() const;
    virtual int GetPattern() const;
    virtual int GetFont() const;
    virtual void SetColour(int index);
    virtual void SetPattern(int index);
    virtual void SetFont(int index);
    virtual QString GetTypeName() const;
    // A client point on the primitive.
    virtual bool HitTest(const QPoint &client) const;
    // Whether the primitive meets a client rectangle (the base meets every one).
    virtual bool IntersectsRect(const QRect &client) const;
    virtual void GetBounds(QPoint &topLeft, QPoint &bottomRight) const;
    virtual void Offset(int dx, int dy);
    virtual void Scale(double sx, double sy);
    // The canvas the primitive is shown on; null takes its handles away.
    virtual void SetCanvas(CCanvas *canvas);
    // An image point onto one of the primitive's key points (within 4
    // pixels both ways); false when none is near.
    virtual bool SnapPoint(QPoint &image);
    virtual bool IsGroup() const;
    // The property dialog's values into the primitive.
    virtual void ApplyProperties();
    // The primitive's values into its open property dialog.
    virtual void UpdateProperties();
    // The primitive's modeless property dialog (parent: the editor), filled;
    // null when the class has none.
    virtual CPropertiesDlg *OpenProperties(QWidget *parent);
    // Takes every value of another primitive of the same class; what it is
    // attached to (canvas, pane, status bar, shown handles) stays its own.
    virtual void VirtualAssign(const CPrimitive &other);
    // Back into the list pane under the remembered parent after the
    // remembered predecessor; true when the pane took it.
    virtual bool InsertPrimitive();

    // --- The group side the tree uses (a group's members in order) ---------------
    virtual int MemberCount() const;
    virtual CPrimitive *Member(int index) const;
    // Stores member at index (locking it); extend widens the bounds to it.
    virtual void AddMember(CPrimitive *member, int index, bool extend);
    // Empties the member array without deleting the members.
    virtual void ReleaseMembers();
    virtual void RecomputeBounds();
    // Whether deleting the group deletes its members (false in a tree).
    virtual void SetOwnsMembers(bool owns);

    // The arguments of the primitive's line, the reader standing after its
    // mnemonic; missing values read as 0.
    virtual void SetFromCommand(CCommandReader &reader);
    // Names the line carries between quotes or as a word (a text, a map's
    // name): each must be one a command line can hold.
    virtual QStringList NamesInLine() const;
    // Words the line carries bare, between blanks (a map's name): each must
    // be one word a command line can hold.
    virtual QStringList WordsInLine() const;
    // The primitives whose lines stand for this one, in sending order: the
    // primitive itself, a group its members.
    virtual void AppendLinePrimitives(std::vector<const CPrimitive *> &lines) const;
    // A kind or type outside the class's range, as a file may give it: the
    // class's message ("CGrid::Type: Unknown type."), empty for a known one.
    // Such a primitive keeps the value, writes no line and draws nothing;
    // its Type is 0.
    virtual QString KindProblem() const;

    // --- Handles and marks ------------------------------------------------------
    // Marked primitives show their handles in black (multiple selection).
    void SetMarked(bool on);
    void RepaintHandles();
    void DestroyHandles();
    // Ends every handle's drag and the tracking.
    void ClearTracking();
    int HandleCount() const { return int(m_handles.size()); }
    // Handle index (a number from 1), or null.
    CPrimitiveHandle *Handle(int index) const;

    // What the canvas asks while it drags one of the primitive's handles:
    // BeginTrack, the pane's undo record of the state before; snapping
    // (SnapTrackPoint in client pixels, remembered); Track; EndTrack.
    bool HandleDragBegins(int index) final;
    bool HandleDragSnaps(QPoint &client, bool toPoints) final;
    bool HandleDragTracks(int index, QPoint &client, bool test) final;
    void HandleDragEnds(int index, bool moved) final;

    // A drag point onto another primitive's key point (toPoints) or else the
    // grid (when the canvas snaps to it); client: the point is in client
    // pixels. True when it was snapped.
    bool SnapTrackPoint(QPoint &point, bool client, bool toPoints);
    // point := key when both coordinates are within 4 pixels of it.
    static bool SnapToNearPoint(QPoint &point, const QPoint &key);

    // The largest "Courier New" (24, 22, ... 4 pixels high, no
    // antialiasing) in which text fits width x height; none when none fits.
    static std::optional<QFont> FitTextFont(const QString &text, int width, int height);

    // The integer part (towards zero), plus 1 when the fraction left is 0.5
    // or more; beyond the int range the nearest end, not-a-number 0.
    static int RoundHalfUp(double value);
    // A sum or product of coordinates kept within the int range.
    static int Saturate(std::int64_t value);
    // A line's coordinates and sizes are cut to this: far beyond any image,
    // and near enough to zero that their sums and sizes stay within an int,
    // so every line a primitive writes reads back to the same line.
    static constexpr int kLineValueLimit = 1 << 24;
    // The next integer of a line, cut to the limit above; 0 when missing.
    static int NextLineValue(CCommandReader &reader);
    // The next word of a line (a colour's, pattern's or font's name); empty when missing.
    static QString NextWord(CCommandReader &reader);
    // The next size of a line: down to 2 - the limit, as a box written back
    // from a size below 1 is 2 less that size wide.
    static int NextLineSize(CCommandReader &reader);

    bool IsLocked() const { return m_locked != 0; }
    void SetLocked(bool locked) { m_locked = locked ? 1 : 0; }
    bool IsSelected() const { return m_selected; }
    bool IsMarked() const { return m_marked != 0; }
    bool IsTracking() const { return m_tracking; }
    bool IsSnapped() const { return m_snapped; }
    void SetSnapped(bool snapped) { m_snapped = snapped; }
    CCanvas *GetCanvas() const;
    QStatusBar *GetStatusBar() const;

    CanvasListLink *GetListPane() const { return m_listPane; }
    void SetListPane(CanvasListLink *pane) { m_listPane = pane; }
    // The tree item of the primitive and where it stood, remembered for
    // re-insertion; an insert-after of none stands for the first position.
    TreeItemId GetTreeItem() const { return m_treeItem; }
    void SetTreeItem(TreeItemId item) { m_treeItem = item; }
    TreeItemId GetParentItem() const { return m_parentItem; }
    void SetParentItem(TreeItemId item) { m_parentItem = item; }
    TreeItemId GetInsertAfter() const { return m_insertAfter; }
    void SetInsertAfter(TreeItemId item) { m_insertAfter = item; }

    // The open property dialog, which the primitive's end closes
    // (CPrimitiveProperties.cpp holds what concerns the dialog).
    CPropertiesDlg *GetPropertyDialog() const;
    void SetPropertyDialog(CPropertiesDlg *dialog);

protected:
    // The detached copy Clone makes: values and remembered tree positions only.
    CPrimitive(const CPrimitive &other);

    // The values every primitive shares, taken from another (each class's
    // VirtualAssign starts with it): the lock and the remembered tree
    // positions, never what the other is attached to.
    void AssignBase(const CPrimitive &other);

    // Both archive directions of an int32 field, a counted string, and a
    // colour's or kind value's number (one out of range read leaves the
    // value as it was).
    static void Transfer(CArchive &ar, std::int32_t &value);
    static void Transfer(CArchive &ar, QString &text);
    static void Transfer(CArchive &ar, CNamedColour &colour);
    static void Transfer(CArchive &ar, CKindValue &value);
    // An image point, x then y.
    static void Transfer(CArchive &ar, QPoint &point);
    template <std::size_t N>
    static void Transfer(CArchive &ar, std::array<QPoint, N> &points)
    {
        for (QPoint &point : points)
            Transfer(ar, point);
    }
    // The values a kind lists (members: a tuple of pointers to its value
    // members, in archive order): each taken from another, and each kept in
    // both archive directions.
    template <class Object, class Members>
    static void CopyValues(Object &to, const Object &from, const Members &members)
    {
        std::apply([&to, &from](auto... member) { ((to.*member = from.*member), ...); }, members);
    }
    template <class Object, class Members>
    static void TransferValues(CArchive &ar, Object &object, const Members &members)
    {
        std::apply([&ar, &object](auto... member) { (Transfer(ar, object.*member), ...); }, members);
    }
    // An image point moved, or scaled with each coordinate rounded half
    // up, kept within the int range.
    static void OffsetPoint(std::int32_t &x, std::int32_t &y, int dx, int dy);
    static void ScalePoint(std::int32_t &x, std::int32_t &y, double sx, double sy);

    // A new handle at a client point; cursor a system cursor id (the
    // 0x7F.. numbers) or, with system false, a program cursor resource.
    void AddHandle(const QPoint &client, int cursor, bool system);
    // Moves handle index (from 1) to a client point.
    void MoveHandle(int index, const QPoint &client);
    QPoint HandlePoint(int index) const;
    // Whether the handles are shown (the primitive is selected or marked).
    bool HandlesShown() const;
    // Where a new line or box goes on a canvas: from 0.8 to 1.2 of the
    // image's centre, rounded half up; (256, 192) and (384, 288) on 640 x 480.
    static QPoint NewBoxStart(const CCanvas &canvas);
    static QPoint NewBoxEnd(const CCanvas &canvas);
    // The image point of handle index's client point.
    QPoint HandleImagePoint(int index) const;
    // Handle 1's image point while a drag runs, else place.
    QPoint TrackedPoint(const QPoint &place) const;
    // Whether the end of a drag snaps: the grid is on, or the drag snapped
    // to another primitive's point.
    bool DropSnaps() const;
    // Handle index's image point at the end of a drag, snapped when DropSnaps.
    QPoint DropPoint(int index);
    // An image point in client pixels, and back; unchanged without a canvas.
    QPoint ToClient(const QPoint &image) const;
    QPoint ToImage(const QPoint &client) const;
    // A client rectangle's corners in image pixels.
    void ImageBounds(const QRect &client, QPoint &topLeft, QPoint &bottomRight) const;
    void SetTracking(bool tracking) { m_tracking = tracking; }
    // Where every handle stands as a drag that moves the whole begins, and
    // every other handle following handle index's way from its start.
    void KeepHandleStarts();
    void FollowHandle(int index);
    QPoint HandleStart(int index) const;
    // Every other handle of the first handles moves by the dragged handle's
    // step since the last move (from the canvas's anchor).
    void FollowStep(int index, int handles);
    // Where a move of the whole ends: the dragged handle's point, snapped in
    // client pixels when DropSnaps, in image pixels and kept in the image.
    QPoint DropWholePoint(int index);

    // --- The property dialog (CPrimitiveProperties.cpp) --------------------------------
    // The dialog of template templateId (titled title, when one is given)
    // for the primitive, filled, its child window of parent.
    CPropertiesDlg *OpenPropertyDialog(QWidget *parent, int templateId, const QString &title = QString());
    // The primitive's values into its open dialog; during a drag the dialog
    // repaints at once.
    void ShowInDialog(const std::function<void(CPropertiesDlg &)> &show);
    // The open dialog's values into the primitive, repainted before and
    // after, its line shown and the canvas told of the change.
    void TakeFromDialog(const std::function<void(CPropertiesDlg &)> &take);

private:
    // The primitive is going: its open dialog goes without applying.
    void ReleasePropertyDialog();

    std::vector<QPoint> m_handleStarts;
    bool m_snapped = false;
    QPointer<CCanvas> m_canvas;
    std::vector<std::unique_ptr<CPrimitiveHandle>> m_handles;
    QPointer<QStatusBar> m_statusBar;
    QPointer<CPropertiesDlg> m_propertyDialog;
    bool m_selected = false;
    bool m_tracking = false;
    std::int32_t m_locked = 0;
    std::int32_t m_marked = 0;
    CanvasListLink *m_listPane = nullptr;
    TreeItemId m_treeItem = kNoTreeItem;
    TreeItemId m_parentItem = kNoTreeItem;
    TreeItemId m_insertAfter = kNoTreeItem;
};

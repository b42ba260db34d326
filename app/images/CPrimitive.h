#pragma once
// The base of the image primitives: one object per line of the image
// language (dot, line, rectangle, oval, text, ...) and the group. It fixes
// the operations that the image, its readers and writers, the canvas, the
// editor's tree and the property dialogs call on every primitive, the
// fields all primitives share and the part of the archive they share.

#include "CObject.h"

#include <QPoint>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

class CArchive;
class CCommandReader;
class CGenerator;
class CProgressDlg;
class QTreeWidgetItem;

class CPrimitive : public CObject {
    DECLARE_SERIAL(CPrimitive)

public:
    CPrimitive();
    ~CPrimitive() override;
    CPrimitive &operator=(const CPrimitive &) = delete;

    // The common archive part: locked, int32.
    void Serialize(CArchive &ar) override;
    // A detached copy holding every value: no canvas, pane, status bar,
    // handle windows or property dialog; the remembered tree item and
    // positions stay. The base has none to give (null).
    virtual CPrimitive *Clone() const;
    // Type code, also the primitive's icon in the tree.
    virtual int Type() const;
    // Shows the line on the progress dialog and sends it; false when the
    // generator refused it or the link failed (the link showed why).
    virtual bool SendToGenerator(CGenerator *generator, CProgressDlg *progress, int flag);
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
    virtual void GetBounds(QPoint &topLeft, QPoint &bottomRight) const;
    virtual void Offset(int dx, int dy);
    virtual void Scale(double sx, double sy);
    virtual bool IsGroup() const;
    // Takes every value of another primitive of the same class.
    virtual void VirtualAssign(const CPrimitive &other);

    // The arguments of the primitive's line, the reader standing after its
    // mnemonic; missing values read as 0.
    virtual void SetFromCommand(CCommandReader &reader);
    // Names the line carries between quotes or as a word (a text, a map's
    // name): each must be one a command line can hold.
    virtual QStringList NamesInLine() const;
    // The primitives whose lines stand for this one, in sending order: the
    // primitive itself, a group its members.
    virtual void AppendLinePrimitives(std::vector<const CPrimitive *> &lines) const;

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

    bool IsLocked() const { return m_locked != 0; }
    void SetLocked(bool locked) { m_locked = locked ? 1 : 0; }

    // The tree item of the primitive and where it stood, remembered for
    // re-insertion; an insert-after of null stands for the first position.
    QTreeWidgetItem *GetTreeItem() const { return m_treeItem; }
    void SetTreeItem(QTreeWidgetItem *item) { m_treeItem = item; }
    QTreeWidgetItem *GetParentItem() const { return m_parentItem; }
    void SetParentItem(QTreeWidgetItem *item) { m_parentItem = item; }
    QTreeWidgetItem *GetInsertAfter() const { return m_insertAfter; }
    void SetInsertAfter(QTreeWidgetItem *item) { m_insertAfter = item; }

protected:
    // The detached copy Clone makes: values and remembered tree positions only.
    CPrimitive(const CPrimitive &other);

    // The values every primitive shares, taken from another (each class's
    // VirtualAssign starts with it).
    void AssignBase(const CPrimitive &other);

    // Both archive directions of an int32 field.
    static void Transfer(CArchive &ar, std::int32_t &value);

private:
    std::int32_t m_locked = 0;
    QTreeWidgetItem *m_treeItem = nullptr;
    QTreeWidgetItem *m_parentItem = nullptr;
    QTreeWidgetItem *m_insertAfter = nullptr;
};

#pragma once
// The image editor's one-level undo: each operation that can be undone
// leaves a record that knows how to reverse it. The list pane holds the
// latest (a VirtualCopy of the caller's local record) and runs it against
// itself: a record never reaches a pane of its own accord. Tree items are
// named by id and looked up when the record runs; one that has gone is
// reported and the tree and the primitives are left as they are.

#include "CPrimitive.h"

#include <QtGlobal>

#include <memory>
#include <vector>

class UndoPaneLink;

class imeUndo {
public:
    imeUndo() = default;
    virtual ~imeUndo();
    // Reverses the recorded operation in pane.
    virtual void Undo(UndoPaneLink &pane) = 0;
    // A heap copy; null (after a message) when it cannot be made.
    virtual std::unique_ptr<imeUndo> VirtualCopy() const = 0;
    virtual const char *ClassName() const = 0;

protected:
    imeUndo(const imeUndo &) = default;
    imeUndo &operator=(const imeUndo &) = default;
};

class imeUndoCopy : public imeUndo {
public:
    // Entry index of the clipboard's filling generation.
    imeUndoCopy(int index, quint64 generation) : m_index(index), m_generation(generation) {}
    void Undo(UndoPaneLink &pane) override;
    std::unique_ptr<imeUndo> VirtualCopy() const override;
    const char *ClassName() const override { return "imeUndoCopy"; }

private:
    int m_index;
    quint64 m_generation;
};

class imeUndoCreate : public imeUndo {
public:
    explicit imeUndoCreate(TreeItemId item) : m_item(item) {}
    void Undo(UndoPaneLink &pane) override;
    std::unique_ptr<imeUndo> VirtualCopy() const override;
    const char *ClassName() const override { return "imeUndoCreate"; }

private:
    TreeItemId m_item;
};

class imeUndoDelete : public imeUndo {
public:
    // Holds a deselected clone of primitive.
    explicit imeUndoDelete(const CPrimitive &primitive);
    imeUndoDelete(const imeUndoDelete &other);
    ~imeUndoDelete() override;
    void Undo(UndoPaneLink &pane) override;
    std::unique_ptr<imeUndo> VirtualCopy() const override;
    const char *ClassName() const override { return "imeUndoDelete"; }

private:
    std::unique_ptr<CPrimitive> m_copy;
};

class imeUndoCut : public imeUndo {
public:
    // The cut primitive (a clone goes back into the tree) and its entry.
    imeUndoCut(const CPrimitive &primitive, int index, quint64 generation)
        : m_delete(primitive), m_copy(index, generation)
    {
    }
    void Undo(UndoPaneLink &pane) override;
    std::unique_ptr<imeUndo> VirtualCopy() const override;
    const char *ClassName() const override { return "imeUndoCut"; }

private:
    imeUndoDelete m_delete;
    imeUndoCopy m_copy;
};

class imeUndoGroup : public imeUndo {
public:
    explicit imeUndoGroup(TreeItemId item) : m_item(item) {}
    void Undo(UndoPaneLink &pane) override;
    std::unique_ptr<imeUndo> VirtualCopy() const override;
    const char *ClassName() const override { return "imeUndoGroup"; }

private:
    TreeItemId m_item;
};

class imeUndoModify : public imeUndo {
public:
    // Holds a deselected clone of primitive as it is before the change.
    explicit imeUndoModify(const CPrimitive &primitive);
    imeUndoModify(const imeUndoModify &other);
    ~imeUndoModify() override;
    void Undo(UndoPaneLink &pane) override;
    std::unique_ptr<imeUndo> VirtualCopy() const override;
    const char *ClassName() const override { return "imeUndoModify"; }

private:
    std::unique_ptr<CPrimitive> m_copy;
};

class imeUndoMove : public imeUndo {
public:
    imeUndoMove(TreeItemId item, TreeItemId oldParent, TreeItemId oldPredecessor)
        : m_item(item), m_parent(oldParent), m_predecessor(oldPredecessor)
    {
    }
    void Undo(UndoPaneLink &pane) override;
    std::unique_ptr<imeUndo> VirtualCopy() const override;
    const char *ClassName() const override { return "imeUndoMove"; }

private:
    TreeItemId m_item;
    TreeItemId m_parent;
    TreeItemId m_predecessor;
};

class imeUndoMultiple : public imeUndo {
public:
    imeUndoMultiple() = default;
    imeUndoMultiple(const imeUndoMultiple &other);
    ~imeUndoMultiple() override;
    // A VirtualCopy of record at the end of the list.
    void Add(const imeUndo &record);
    int Count() const { return int(m_records.size()); }
    // Each listed record, the last added first.
    void Undo(UndoPaneLink &pane) override;
    std::unique_ptr<imeUndo> VirtualCopy() const override;
    const char *ClassName() const override { return "imeUndoMultiple"; }

private:
    std::vector<std::unique_ptr<imeUndo>> m_records;
};

class imeUndoPaste : public imeUndo {
public:
    explicit imeUndoPaste(std::vector<TreeItemId> items) : m_items(std::move(items)) {}
    void Undo(UndoPaneLink &pane) override;
    std::unique_ptr<imeUndo> VirtualCopy() const override;
    const char *ClassName() const override { return "imeUndoPaste"; }

private:
    std::vector<TreeItemId> m_items;
};

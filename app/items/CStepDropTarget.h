#pragma once
// The step table's drop target: takes step blocks from any sequence editor
// (this one too). Over the table it highlights the row a drop goes before
// (below the last row: the end), scrolls at the edges, and on the drop
// inserts the whole block there or nothing; only a block taken whole
// answers a move, so the source never removes steps that did not arrive.

#include "CDropTarget.h"
#include "CSequenceStep.h"
#include "ListDropRow.h"

#include <vector>

// What the drop target needs of the step table; the table implements it.
class StepDropPane : public ListDropPane {
public:
    // A dropped block's steps go in before row (-1: at the end); the editor is modified.
    virtual void DropSteps(const std::vector<CSequenceStep> &steps, int row) = 0;
};

class CStepDropTarget : public CDropTarget {
public:
    explicit CStepDropTarget(StepDropPane *view) : m_view(view) {}

    Qt::DropAction OnDragEnter(QWidget *window, const QMimeData *data, Qt::KeyboardModifiers keys,
                               QPoint point) override;
    Qt::DropAction OnDragOver(QWidget *window, const QMimeData *data, Qt::KeyboardModifiers keys,
                              QPoint point) override;
    bool OnDrop(QWidget *window, const QMimeData *data, Qt::DropAction action, QPoint point) override;
    void OnDragLeave(QWidget *window) override;

    // Where a drop would go: a row, or -1 (with Append true) for the end.
    int Row() const { return m_row; }
    bool Append() const { return m_append; }
    // Why the last drop was refused; empty after one that was taken.
    QString LastError() const { return m_lastError; }

private:
    void Track(QPoint point);

    StepDropPane *m_view;
    bool m_append = false;
    int m_row = -1;
    QString m_lastError;
};

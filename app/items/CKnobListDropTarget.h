#pragma once
// The entry pane's drop target: takes text (names separated by CR, LF or
// CR LF) from this or another editor, the name pane or another program.
// The row a drop goes before is found as in the sequence editor. A move is
// answered only when every name went in, so a source never removes names
// the list refused.

#include "CDropTarget.h"

class CKnobListView;

class CKnobListDropTarget : public CDropTarget {
public:
    explicit CKnobListDropTarget(CKnobListView *view) : m_view(view) {}

    Qt::DropAction OnDragEnter(QWidget *window, const QMimeData *data, Qt::KeyboardModifiers keys,
                               QPoint point) override;
    Qt::DropAction OnDragOver(QWidget *window, const QMimeData *data, Qt::KeyboardModifiers keys,
                              QPoint point) override;
    bool OnDrop(QWidget *window, const QMimeData *data, Qt::DropAction action, QPoint point) override;
    void OnDragLeave(QWidget *window) override;

private:
    CKnobListView *m_view;
    int m_row = -1;
    bool m_append = false;
};

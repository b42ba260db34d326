#pragma once
// The entry pane's drop target: takes text (names separated by CR, LF or
// CR LF) from this or another editor, the name pane or another program.
// The row a drop goes before is found as in the sequence editor. A move is
// answered only when every name went in, so a source never removes names
// the list refused.

#include "CDropTarget.h"
#include "ListDropRow.h"

#include <QString>

// What the drop target needs of the entry list; the list implements it.
class NameDropPane : public ListDropPane {
public:
    // The names of text at row, or appended; false when the text holds
    // something that is no name. allTaken: every name went in.
    virtual bool InsertNames(const QString &text, int row, bool append, bool *allTaken = nullptr) = 0;
};

class CKnobListDropTarget : public CDropTarget {
public:
    explicit CKnobListDropTarget(NameDropPane *view) : m_view(view) {}

    Qt::DropAction OnDragEnter(QWidget *window, const QMimeData *data, Qt::KeyboardModifiers keys,
                               QPoint point) override;
    Qt::DropAction OnDragOver(QWidget *window, const QMimeData *data, Qt::KeyboardModifiers keys,
                              QPoint point) override;
    bool OnDrop(QWidget *window, const QMimeData *data, Qt::DropAction action, QPoint point) override;
    void OnDragLeave(QWidget *window) override;

private:
    NameDropPane *m_view;
    int m_row = -1;
    bool m_append = false;
};

#pragma once
// A window's drop target: the window's drag events turned into four
// callbacks. A target registers on one widget (an event filter) and sees
// its drags first; a drag it refuses on entry goes on to the widget's own
// handling (the data list's dropped files), and one it took on entry stays
// its own until the drop or the leave.

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QWidget>

class QMimeData;

class CDropTarget : public QObject {
public:
    CDropTarget() = default;
    ~CDropTarget() override;

    // Takes the drags of widget; false when there is none or another is registered.
    bool RegisterOn(QWidget *widget);
    void Revoke();
    QWidget *RegisteredWidget() const { return m_widget; }

    // The effect offered: CopyAction, or IgnoreAction to refuse.
    virtual Qt::DropAction OnDragEnter(QWidget *window, const QMimeData *data, Qt::KeyboardModifiers keys,
                                       QPoint point) = 0;
    virtual Qt::DropAction OnDragOver(QWidget *window, const QMimeData *data, Qt::KeyboardModifiers keys,
                                      QPoint point) = 0;
    // True when the drop was taken; the source learns a copy unless OnDrop
    // set another effect with SetDropEffect.
    virtual bool OnDrop(QWidget *window, const QMimeData *data, Qt::DropAction action, QPoint point) = 0;
    virtual void OnDragLeave(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // The effect a taken drop answers (a move lets the source remove what moved).
    void SetDropEffect(Qt::DropAction effect) { m_dropEffect = effect; }

private:
    QPointer<QWidget> m_widget;
    bool m_entered = false; // this target took the running drag on entry
    Qt::DropAction m_dropEffect = Qt::CopyAction;
};

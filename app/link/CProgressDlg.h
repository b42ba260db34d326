#pragma once
// The feedback and cancel device of every long operation: a small dialog
// with a looping animation, two status lines the operation rewrites, and an
// optional Cancel button. The operation runs on the GUI thread and polls
// IsCancelled between its steps.
//
// The dialog is application-modal while it is open, so nothing else can be
// started (or delete what the operation uses) while events are let through.

#include "ResourceIds.h"

#include <QDialog>
#include <QPointer>

#include <atomic>
#include <functional>

class CAnimateCtrl;
class QAbstractButton;
class QLabel;
class QPushButton;

class CProgressDlg : public QDialog {
public:

    // Shown and painted before it returns. The owner only places the dialog;
    // it does not own it, so the owner going away mid-operation cannot
    // delete a dialog the operation still holds.
    CProgressDlg(QWidget *parent, bool showCancel);
    ~CProgressDlg() override;

    // Writes a status line (IDC_STATUS1 or IDC_STATUS2) and paints it at once.
    void SetStatus(int id, const QString &text);
    QString GetStatus(int id) const;

    // Lets pending events through (a bounded pump) and says whether the
    // operation should stop.
    bool IsCancelled();
    // Whether Cancel was pressed, from any thread and without the pump: a
    // routine on the port thread polls it.
    bool CancelRequested() const { return m_cancelled.load(); }

    // Runs at once when Cancel is pressed, on the thread that pressed it,
    // before the operation next polls: it ends a wait the operation is in
    // (a library call on the port thread). Empty: none.
    void SetCancelAction(std::function<void()> action) { m_cancelAction = std::move(action); }

    // Closes the dialog; the object may live on until its owner deletes it.
    virtual void DestroyWindow();
    virtual void OnCancel();

    bool IsAnimating() const;
    // Cancel (Esc clicks it too): a routine's RoutineStop can take its clicks.
    QAbstractButton *CancelButton() const;
    // Shown and not closed by its operation yet.
    bool IsOpen() const { return isVisible() && !m_closed; }
    QWidget *Owner() const { return m_owner; }

    // A source of cancellation outside the dialog, such as a link that was
    // lost. A dialog cancels once the query answers more than it did when
    // the dialog opened: a "link lost" flag or a count of lost links both
    // fit. An empty query restores the default, the count of commands that
    // failed for a lost generator link or in a failed operation.
    using ExternalCancel = std::function<quint64()>;
    static void SetExternalCancel(ExternalCancel query);

protected:
    void reject() override; // Esc
    void done(int result) override;
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void BuildControls(bool showCancel);
    void OnInitDialog();
    void WaitForFirstPaint();
    void MarkCancelled();
    bool ExternallyCancelled() const;

    QPointer<QWidget> m_owner;
    CAnimateCtrl *m_animation = nullptr;
    QLabel *m_status1 = nullptr;
    QLabel *m_status2 = nullptr;
    QPushButton *m_cancel = nullptr;
    std::atomic<bool> m_cancelled{false};
    bool m_showCancel;
    bool m_closed = false;
    quint64 m_externalAtOpen = 0;
    bool m_painted = false;
    std::function<void()> m_cancelAction;
    class QEventLoop *m_paintWait = nullptr;
};

#include "CFormatPage.h"

#include "DialogUnits.h"
#include "ResourceIds.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

CFormatPage::CFormatPage(CGeneralFormatData *data, FormatSheetLink *sheet, int dialogId, const QString &title)
    : m_data(data), m_sheet(sheet), m_title(title)
{
    SetControlId(this, dialogId);
}

void CFormatPage::EnsureCreated()
{
    if (m_created)
        return;
    m_created = true;
    OnInitDialog();
}

void CFormatPage::showEvent(QShowEvent *event)
{
    EnsureCreated();
    // What another page changed (Worksheet 1's Apply), and no entry left half typed.
    Redisplay();
    QWidget::showEvent(event);
}

void CFormatPage::SetModified()
{
    m_modified = true;
    if (m_sheet)
        m_sheet->SetModified(false);
}

int CFormatPage::IdOf(const QObject *w)
{
    if (!w)
        return 0;
    const QString name = w->objectName();
    return name.startsWith(QLatin1String("id")) ? name.mid(2).toInt() : 0;
}

void CFormatPage::WatchEntries()
{
    for (QWidget *child : findChildren<QWidget *>()) {
        if (qobject_cast<QLineEdit *>(child) || qobject_cast<QAbstractButton *>(child))
            child->installEventFilter(this);
    }
}

void CFormatPage::AcceptFocused()
{
    QWidget *focus = QApplication::focusWidget();
    if (!focus || !isAncestorOf(focus))
        focus = focusWidget();
    if (!focus)
        return;
    int id = IdOf(focus);
    if (!qobject_cast<QLineEdit *>(focus)) {
        if (id != IDC_REJECT_ENTRY && id != IDC_ACCEPT_ENTRY)
            return;
        id = m_lastFocused;
    }
    if (id != 0)
        OnAccept(id);
}

bool CFormatPage::eventFilter(QObject *watched, QEvent *event)
{
    const bool edit = qobject_cast<QLineEdit *>(watched) != nullptr;
    switch (event->type()) {
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Escape)
            return true;
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            AcceptFocused();
        break;
    }
    case QEvent::FocusIn:
        if (edit) {
            m_lastFocused = IdOf(watched);
            OnEditFocus(m_lastFocused);
        }
        break;
    case QEvent::FocusOut:
        if (edit && isVisible())
            OnEditFocusLost(IdOf(watched));
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

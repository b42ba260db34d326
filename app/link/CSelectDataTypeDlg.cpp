#include "CSelectDataTypeDlg.h"

#include "DialogControls.h"
#include "Prompts.h"
#include "StringTable.h"

#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>

CSelectDataTypeDlg::CSelectDataTypeDlg(QWidget *parent, int count, const QList<QIcon> *images,
                                       const int *imageIndexes, const unsigned *stringIds)
    : QDialog(parent), m_count(count), m_images(images), m_imageIndexes(imageIndexes), m_stringIds(stringIds)
{
    setObjectName(ControlName(IDD_SELECT_DATA_TYPE));
    setWindowTitle(LoadString(IDS_SELECT_DATA_TYPE_TITLE));
    BuildControls();
}

void CSelectDataTypeDlg::BuildControls()
{
    SetDialogSize(this, 111, 98);
    m_list = AddControl<QListWidget>(this, IDC_TYPE_LIST, 3, 3, 104, 73);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setIconSize(QSize(16, 16));
    m_list->viewport()->installEventFilter(this);
    connect(m_list, &QListWidget::itemSelectionChanged, this, [this] { OnListClick(); });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { OnDblclkList(); });
    auto *create = AddControl<QPushButton>(this, IDOK, 3, 80, 50, 14, LoadString(IDS_NEW));
    auto *cancel = AddControl<QPushButton>(this, IDCANCEL, 57, 80, 50, 14, LoadString(IDS_CANCEL));
    create->setDefault(true);
    connect(create, &QPushButton::clicked, this, &CSelectDataTypeDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CSelectDataTypeDlg::reject);
}

void CSelectDataTypeDlg::showEvent(QShowEvent *event)
{
    if (!m_initialised) {
        m_initialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CSelectDataTypeDlg::OnInitDialog()
{
    for (int i = 0; i < m_count; ++i) {
        auto *item = new QListWidgetItem(m_stringIds ? LoadString(m_stringIds[i]) : QString(), m_list);
        const int image = m_imageIndexes ? m_imageIndexes[i] : -1;
        if (m_images && image >= 0 && image < m_images->size())
            item->setIcon(m_images->at(image));
    }
    if (m_list->count() > 0)
        m_list->setCurrentRow(0);
    OnListClick();
}

int CSelectDataTypeDlg::SelectedRow() const
{
    const QList<QListWidgetItem *> chosen = m_list->selectedItems();
    return chosen.isEmpty() ? -1 : m_list->row(chosen.first());
}

void CSelectDataTypeDlg::accept()
{
    m_selection = SelectedRow();
    QDialog::accept();
}

void CSelectDataTypeDlg::OnDblclkList()
{
    if (SelectedRow() >= 0)
        accept();
}

void CSelectDataTypeDlg::OnListClick()
{
    FindControl(this, IDOK)->setEnabled(SelectedRow() >= 0);
}

bool CSelectDataTypeDlg::eventFilter(QObject *watched, QEvent *event)
{
    // A click beside the items clears the choice, as the list does elsewhere.
    if (watched == m_list->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (!m_list->itemAt(mouse->position().toPoint()))
            m_list->clearSelection();
    }
    return QDialog::eventFilter(watched, event);
}

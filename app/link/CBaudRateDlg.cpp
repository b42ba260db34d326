#include "CBaudRateDlg.h"

#include "CGenerator.h"
#include "DialogControls.h"
#include "Prompts.h"
#include "StringTable.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

CBaudRateDlg::CBaudRateDlg(QWidget *parent, CGenerator *generator) : QDialog(parent), m_pGenerator(generator)
{
    setObjectName(ControlName(IDD_BAUD_RATE));
    setWindowTitle(LoadString(IDS_BAUD_RATE_TITLE));
    BuildControls();
}

void CBaudRateDlg::BuildControls()
{
    SetDialogSize(this, 130, 100);
    AddControl<QLabel>(this, kNoControlId, 7, 7, 116, 8, LoadString(IDS_SELECT_BAUD_RATE));
    m_list = AddControl<QListWidget>(this, IDC_RATE_LIST, 7, 18, 68, 75);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { OnDblclkList(); });
    auto *ok = AddControl<QPushButton>(this, IDOK, 82, 18, 41, 14, LoadString(IDS_OK));
    auto *cancel = AddControl<QPushButton>(this, IDCANCEL, 82, 36, 41, 14, LoadString(IDS_CANCEL));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CBaudRateDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CBaudRateDlg::reject);
}

void CBaudRateDlg::showEvent(QShowEvent *event)
{
    if (!m_initialised) {
        m_initialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CBaudRateDlg::OnInitDialog()
{
    const int current = m_pGenerator ? m_pGenerator->GetBaudRate() : 0;
    for (int rate : CGenerator::kBaudRates) {
        m_list->addItem(QString::number(rate));
        if (rate == current)
            m_list->setCurrentRow(m_list->count() - 1);
    }
    CenterOnDesktop(this);
}

void CBaudRateDlg::OnDblclkList()
{
    accept();
}

void CBaudRateDlg::done(int result)
{
    const QList<QListWidgetItem *> chosen = m_list->selectedItems();
    m_selected = chosen.isEmpty() ? -1 : m_list->row(chosen.first());
    QDialog::done(result);
}

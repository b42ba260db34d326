#include "CDataTransferDlg.h"

#include "DialogControls.h"
#include "Prompts.h"
#include "ShellImages.h"
#include "StringTable.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

namespace {

QList<QTreeWidgetItem *> SelectedRowsInOrder(const QTreeWidget *list)
{
    QList<QTreeWidgetItem *> rows;
    for (int row = 0; list && row < list->topLevelItemCount(); ++row) {
        if (list->topLevelItem(row)->isSelected())
            rows.append(list->topLevelItem(row));
    }
    return rows;
}

int IconOfRow(const QTreeWidgetItem *row)
{
    const QVariant icon = row->data(0, CDataTransferDlg::kIconRole);
    return icon.isValid() ? icon.toInt() : -1;
}

} // namespace

int CDataTransferDlg::IconOfKind(int kind)
{
    switch (kind) {
    case 1: return kIconFormat;
    case 2: return kIconImage;
    case 3: return kIconSequence;
    case 4: return kIconKnobList;
    case 5: return kIconFont;
    case 6: return kIconPixelMap;
    default: return -1; // no picture rather than a wrong one
    }
}

CDataTransferDlg::CDataTransferDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(ControlName(IDD_DATA_TRANSFER));
    setWindowTitle(LoadString(IDS_DATA_TRANSFER_TITLE));
    BuildControls();
}

CDataTransferDlg::CDataTransferDlg(QWidget *parent, QTreeWidget *dataList, QTreeWidget *generatorList)
    : CDataTransferDlg(parent)
{
    sourceDataList = dataList;
    sourceGeneratorList = generatorList;
    m_mode = 1;
}

CDataTransferDlg::CDataTransferDlg(QWidget *parent, const QStringList *names, const QByteArray *kinds,
                                   const QString &destination, int iconFlag, const QString &source)
    : CDataTransferDlg(parent)
{
    itemNames = names;
    itemKinds = kinds;
    destinationText = destination;
    destinationIconFlag = iconFlag;
    sourceText = source;
    m_mode = 2;
}

void CDataTransferDlg::BuildControls()
{
    SetDialogSize(this, 220, 200);
    AddControl<QLabel>(this, kNoControlId, 7, 7, 150, 8, LoadString(IDS_DATA_TO_TRANSFER));
    m_itemList = AddControl<QTreeWidget>(this, IDC_ITEM_LIST, 7, 17, 206, 70);
    AddControl<QLabel>(this, kNoControlId, 7, 92, 150, 8, LoadString(IDS_DESTINATION_GENERATORS));
    m_destinationList = AddControl<QTreeWidget>(this, IDC_DESTINATION_LIST, 7, 102, 206, 50);
    AddControl<QLabel>(this, kNoControlId, 7, 158, 30, 8, LoadString(IDS_SOURCE));
    m_source = AddControl<QLabel>(this, IDC_SOURCE, 40, 158, 173, 8, LoadString(IDS_SOURCE_DATA_LIST));
    for (QTreeWidget *list : {m_itemList, m_destinationList}) {
        list->setColumnCount(1);
        list->setHeaderHidden(true);
        list->setRootIsDecorated(false);
        list->setSelectionMode(QAbstractItemView::NoSelection);
        list->setIconSize(QSize(16, 16));
    }
    auto *ok = AddControl<QPushButton>(this, IDOK, 106, 178, 50, 14, LoadString(IDS_OK));
    auto *cancel = AddControl<QPushButton>(this, IDCANCEL, 163, 178, 50, 14, LoadString(IDS_CANCEL));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CDataTransferDlg::showEvent(QShowEvent *event)
{
    if (!m_initialised) {
        m_initialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CDataTransferDlg::OnInitDialog()
{
    if (m_mode == 2)
        FillFromNames();
    else
        FillFromLists();
}

void CDataTransferDlg::AppendRow(QTreeWidget *list, const QString &text, int icon)
{
    auto *row = new QTreeWidgetItem(list, {text});
    row->setData(0, kIconRole, icon);
    if (icon >= 0)
        row->setIcon(0, ShellImageList().value(icon));
}

void CDataTransferDlg::FillFromLists()
{
    for (const QTreeWidgetItem *row : SelectedRowsInOrder(sourceDataList))
        AppendRow(m_itemList, row->text(0), IconOfRow(row));
    for (const QTreeWidgetItem *row : SelectedRowsInOrder(sourceGeneratorList))
        AppendRow(m_destinationList, FormatString(IDS_GENERATOR_ON_PORT, {row->text(0), row->text(1)}), IconOfRow(row));
}

void CDataTransferDlg::FillFromNames()
{
    m_source->setText(sourceText);
    const qsizetype count = itemNames ? itemNames->size() : 0;
    for (qsizetype i = 0; i < count; ++i) {
        // A name without a kind gets no picture rather than another's.
        const int kind = itemKinds && i < itemKinds->size() ? quint8(itemKinds->at(i)) : 0;
        AppendRow(m_itemList, itemNames->at(i), IconOfKind(kind));
    }
    AppendRow(m_destinationList, destinationText, destinationIconFlag == 1 ? kImageCard : kImageStandAlone);
}

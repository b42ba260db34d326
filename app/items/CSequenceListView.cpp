#include "CSequenceListView.h"

#include "StepColumns.h"

#include "CGenerator.h"
#include "DialogUnits.h"
#include "StringTable.h"

#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QVBoxLayout>

namespace {

constexpr int kPickerIds[StepColumns::kCount] = {0,           IDC_PICK_FORMAT,  IDC_PICK_IMAGE, IDC_PICK_GATES,
                                                 IDC_PICK_OUTPUT, IDC_PICK_VERSION, IDC_PICK_SYNC, IDC_PICK_DURATION};

// One small picture per picker, in place of bitmap 273.
QIcon PickerIcon(int column)
{
    static const QColor kColours[StepColumns::kCount] = {
        Qt::gray, QColor(30, 100, 180), QColor(180, 60, 140), QColor(200, 40, 40),
        QColor(40, 140, 60), QColor(120, 90, 30), QColor(90, 90, 160), QColor(60, 140, 140)};
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setBrush(kColours[column]);
    painter.setPen(kColours[column].darker());
    painter.drawEllipse(3, 3, 10, 10);
    return QIcon(pixmap);
}

} // namespace

CSequenceListView::CSequenceListView(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_noSelection = new QLabel(LoadString(IDS_NO_SELECTION), this);
    SetControlId(m_noSelection, IDC_NO_SELECTION);
    m_noSelection->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_noSelection);
    for (int column = StepColumns::kFirstField; column <= StepColumns::kLastField; ++column) {
        auto *picker = new QListWidget(this);
        SetControlId(picker, kPickerIds[column]);
        picker->setSelectionMode(QAbstractItemView::SingleSelection);
        picker->setEditTriggers(QAbstractItemView::NoEditTriggers);
        picker->hide();
        layout->addWidget(picker);
        m_pickers[size_t(column)] = picker;
        connect(picker, &QListWidget::itemDoubleClicked, this, [this, picker](QListWidgetItem *item) {
            if (m_onPick)
                m_onPick(picker->row(item), item->text());
        });
        FillPicker(column, StepColumns::FixedItems(column));
    }
}

QListWidget *CSequenceListView::Picker(int column) const
{
    if (column < StepColumns::kFirstField || column > StepColumns::kLastField)
        return nullptr;
    return m_pickers[size_t(column)];
}

void CSequenceListView::FillPicker(int column, const QStringList &items)
{
    QListWidget *picker = Picker(column);
    picker->clear();
    const QIcon icon = PickerIcon(column);
    picker->addItem(new QListWidgetItem(icon, StepColumns::NoChange()));
    for (const QString &text : items)
        picker->addItem(new QListWidgetItem(icon, text));
}

void CSequenceListView::Fill(CGenerator &generator, bool namesOnly)
{
    FillPicker(StepColumns::kFormat, generator.FormatNames());
    FillPicker(StepColumns::kImage, generator.ImageNames());
    if (namesOnly)
        return;
    for (int column = StepColumns::kGates; column <= StepColumns::kLastField; ++column)
        FillPicker(column, StepColumns::FixedItems(column));
}

void CSequenceListView::ShowCell(int row, int column, const QString &text)
{
    QListWidget *shown = row < 0 ? nullptr : Picker(column);
    if (!shown) {
        for (QListWidget *picker : m_pickers) {
            if (picker)
                picker->hide();
        }
        m_noSelection->show();
        m_shownColumn = 0;
        return;
    }
    shown->clearSelection();
    const QList<QListWidgetItem *> matches = shown->findItems(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (!matches.isEmpty()) {
        matches.first()->setSelected(true);
        shown->setCurrentItem(matches.first());
        shown->scrollToItem(matches.first());
    }
    m_noSelection->hide();
    if (column != m_shownColumn) {
        for (QListWidget *picker : m_pickers) {
            if (picker && picker != shown)
                picker->hide();
        }
    }
    shown->show();
    m_shownColumn = column;
}

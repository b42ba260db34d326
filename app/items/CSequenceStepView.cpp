#include "CSequenceStepView.h"

#include "CSequenceListView.h"
#include "StepColumns.h"
#include "StepTransferBlock.h"

#include "CNameDlg.h"
#include "DialogUnits.h"
#include "DragLoop.h"
#include "Prompts.h"
#include "StringTable.h"

#include <QDrag>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <algorithm>
#include <new>

namespace {

constexpr int kColumnWidth = 100;
const QColor kSelectedRow(0, 255, 255);

// A row of the table and the step it owns.
class StepRow : public QTreeWidgetItem {
public:
    explicit StepRow(const CSequenceStep &s) : step(s) {}
    CSequenceStep step;
};

StepRow *RowItem(const QTreeWidget *list, int row)
{
    return static_cast<StepRow *>(list->topLevelItem(row));
}

QIcon StepIcon()
{
    static const QIcon icon = [] {
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setBrush(QColor(60, 140, 140));
        painter.setPen(QColor(30, 70, 70));
        painter.drawRect(1, 3, 13, 10);
        painter.setPen(Qt::white);
        painter.drawLine(4, 8, 11, 8);
        painter.drawLine(8, 5, 11, 8);
        painter.drawLine(8, 11, 11, 8);
        return QIcon(pixmap);
    }();
    return icon;
}

} // namespace

// Selected rows other than the current cell's: black on cyan. The current
// cell itself: drawn inverted over its row. The drop row: highlighted.
class CSequenceStepView::StepDelegate : public QStyledItemDelegate {
public:
    explicit StepDelegate(CSequenceStepView *view) : QStyledItemDelegate(view), m_view(view) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const int row = index.row();
        const int column = index.column();
        const bool selected = option.state & QStyle::State_Selected;
        if (row == m_view->DropRow()) {
            Plain(painter, option, index, option.palette.highlight().color(),
                  option.palette.highlightedText().color());
        } else if (row == m_view->CurrentRow() && column == m_view->CurrentColumn()) {
            Plain(painter, option, index, option.palette.text().color(), option.palette.base().color());
        } else if (selected && row != m_view->CurrentRow()) {
            Plain(painter, option, index, kSelectedRow, Qt::black);
        } else {
            QStyledItemDelegate::paint(painter, option, index);
        }
    }

private:
    static void Plain(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index,
                      const QColor &background, const QColor &text)
    {
        painter->save();
        painter->fillRect(option.rect, background);
        QRect area = option.rect.adjusted(3, 0, -3, 0);
        const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
        if (!icon.isNull()) {
            icon.paint(painter, QRect(area.left(), area.top() + (area.height() - 16) / 2, 16, 16));
            area.setLeft(area.left() + 20);
        }
        painter->setPen(text);
        painter->drawText(area, Qt::AlignVCenter | Qt::AlignLeft, index.data(Qt::DisplayRole).toString());
        painter->restore();
    }

    CSequenceStepView *m_view;
};

// --- The pane ---------------------------------------------------------------------

CSequenceStepView::CSequenceStepView(StepTableEditorLink *editor, QWidget *parent)
    : QWidget(parent), m_editor(editor), m_dropTarget(std::make_unique<CStepDropTarget>(this))
{
    m_list = new CStepListCtrl(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    QStringList titles;
    for (int column = 0; column < StepColumns::kCount; ++column)
        titles << StepColumns::Title(column);
    m_list->setHeaderLabels(titles);
    for (int column = 0; column < StepColumns::kCount; ++column)
        m_list->setColumnWidth(column, kColumnWidth);
    m_list->setItemDelegate(new StepDelegate(this));
    m_list->onPress = [this](QMouseEvent *e) { OnPress(e); };
    m_list->onDoubleClick = [this](QMouseEvent *e) { OnDoubleClick(e); };
    m_list->onKey = [this](QKeyEvent *e) { return OnKey(e); };
    m_list->onBeginDrag = [this] { OnBeginDrag(); };
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, [this] { m_editor->OnCellChanged(); });
    m_dropTarget->RegisterOn(m_list->viewport());
}

CSequenceStepView::~CSequenceStepView()
{
    m_dropTarget->Revoke();
}

// --- Rows -------------------------------------------------------------------------

int CSequenceStepView::RowCount() const
{
    return m_list->topLevelItemCount();
}

const CSequenceStep &CSequenceStepView::StepAt(int row) const
{
    return RowItem(m_list, row)->step;
}

CSequenceStep &CSequenceStepView::MutableStep(int row)
{
    return RowItem(m_list, row)->step;
}

std::vector<CSequenceStep> CSequenceStepView::Steps() const
{
    std::vector<CSequenceStep> steps;
    steps.reserve(size_t(RowCount()));
    for (int row = 0; row < RowCount(); ++row)
        steps.push_back(StepAt(row));
    return steps;
}

QList<int> CSequenceStepView::SelectedRows() const
{
    QList<int> rows;
    for (int row = 0; row < RowCount(); ++row) {
        if (m_list->topLevelItem(row)->isSelected())
            rows << row;
    }
    return rows;
}

std::vector<CSequenceStep> CSequenceStepView::SelectedSteps() const
{
    std::vector<CSequenceStep> steps;
    for (int row : SelectedRows())
        steps.push_back(StepAt(row));
    return steps;
}

QString CSequenceStepView::CellText(int row, int column) const
{
    const QTreeWidgetItem *item = m_list->topLevelItem(row);
    return item ? item->text(column) : QString();
}

QTreeWidgetItem *CSequenceStepView::MakeRow(const CSequenceStep &step, int row) const
{
    auto *item = new StepRow(step);
    item->setIcon(0, StepIcon());
    item->setText(StepColumns::kStep, StepColumns::NumberText(row));
    for (int column = StepColumns::kFirstField; column <= StepColumns::kLastField; ++column)
        item->setText(column, StepColumns::Text(step, column));
    return item;
}

void CSequenceStepView::RefreshRow(int row)
{
    QTreeWidgetItem *item = m_list->topLevelItem(row);
    if (!item)
        return;
    const CSequenceStep &step = StepAt(row);
    for (int column = StepColumns::kFirstField; column <= StepColumns::kLastField; ++column)
        item->setText(column, StepColumns::Text(step, column));
}

void CSequenceStepView::InsertSteps(const std::vector<CSequenceStep> &steps, bool append)
{
    InsertStepsAt(steps, append || m_currentRow < 0 ? -1 : m_currentRow);
}

void CSequenceStepView::InsertStepsAt(const std::vector<CSequenceStep> &steps, int row)
{
    const int at = row < 0 || row > RowCount() ? RowCount() : row;
    QList<QTreeWidgetItem *> rows;
    rows.reserve(qsizetype(steps.size()));
    for (const CSequenceStep &step : steps)
        rows.append(MakeRow(step, at + int(rows.size())));
    // The tree inserts amid its rows one at a time, moving all that follow
    // each time: the rows after the place come off the end and go back
    // behind the new ones, all in one append, their selection kept.
    QList<QTreeWidgetItem *> after;
    QList<bool> selected;
    after.reserve(RowCount() - at);
    selected.reserve(RowCount() - at);
    while (RowCount() > at) {
        QTreeWidgetItem *item = m_list->topLevelItem(RowCount() - 1);
        selected.append(item->isSelected());
        after.append(m_list->takeTopLevelItem(RowCount() - 1));
    }
    std::reverse(after.begin(), after.end());
    std::reverse(selected.begin(), selected.end());
    rows.append(after);
    m_list->addTopLevelItems(rows);
    for (qsizetype i = 0; i < after.size(); ++i)
        if (selected[i])
            after[i]->setSelected(true);
    Renumber(at + int(steps.size()));
}

void CSequenceStepView::RemoveSelectedRows()
{
    const QList<int> rows = SelectedRows();
    for (auto it = rows.crbegin(); it != rows.crend(); ++it)
        delete m_list->takeTopLevelItem(*it);
    Renumber(rows.isEmpty() ? RowCount() : rows.first());
}

void CSequenceStepView::Renumber(int first)
{
    {
        // A changed text tells the view its row, which the tree finds by a
        // search from the end once rows have moved: quiet, and one repaint.
        const QSignalBlocker quiet(m_list->model());
        for (int row = std::max(first, 0); row < RowCount(); ++row)
            m_list->topLevelItem(row)->setText(StepColumns::kStep, StepColumns::NumberText(row));
    }
    if (m_currentRow >= RowCount())
        m_currentRow = m_previousRow = -1;
    ShowCurrentCell();
}

// --- The current cell ---------------------------------------------------------------

void CSequenceStepView::SetCurrentCell(int row, int column)
{
    if (RowCount() == 0)
        return;
    m_previousRow = m_currentRow;
    m_previousColumn = m_currentColumn;
    m_currentRow = std::clamp(row, 0, RowCount() - 1);
    m_currentColumn = std::clamp(column, int(StepColumns::kFirstField), int(StepColumns::kLastField));
    ShowCurrentCell();
}

void CSequenceStepView::ShowCurrentCell()
{
    if (m_pickers)
        m_pickers->ShowCell(m_currentRow, m_currentColumn, CellText(m_currentRow, m_currentColumn));
    if (QTreeWidgetItem *item = m_list->topLevelItem(m_currentRow))
        m_list->scrollToItem(item);
    m_list->viewport()->update();
    m_editor->OnCellChanged();
}

bool CSequenceStepView::IsNameCell() const
{
    return m_currentRow >= 0 && m_currentRow < RowCount() && StepColumns::IsNameColumn(m_currentColumn);
}

std::pair<int, int> CSequenceStepView::CellAt(QPoint point) const
{
    QModelIndex index = m_list->indexAt(point);
    if (!index.isValid())
        index = m_list->indexAt(QPoint(5, point.y())); // right of the last column
    const int row = index.isValid() ? index.row() : RowCount() - 1;
    const int column = m_list->header()->logicalIndexAt(point.x() + m_list->header()->offset());
    if (column < 0)
        return {row, StepColumns::kLastField};
    return {row, std::max(column, int(StepColumns::kFirstField))};
}

void CSequenceStepView::OnPress(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || RowCount() == 0)
        return;
    const auto [row, column] = CellAt(event->position().toPoint());
    SetCurrentCell(row, column);
}

void CSequenceStepView::OnDoubleClick(QMouseEvent *event)
{
    const auto [row, column] = CellAt(event->position().toPoint());
    if (row >= 0 && StepColumns::IsNameColumn(column))
        EditItemName();
}

bool CSequenceStepView::OnKey(QKeyEvent *event)
{
    const int column = m_currentColumn < 0 ? int(StepColumns::kFirstField) : m_currentColumn;
    const int row = std::max(m_currentRow, 0);
    switch (event->key()) {
    case Qt::Key_Left: SetCurrentCell(row, column - 1); return true;
    case Qt::Key_Right: SetCurrentCell(row, column + 1); return true;
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const int next = m_currentRow < 0 ? 0 : row + (event->key() == Qt::Key_Up ? -1 : 1);
        SetCurrentCell(next, column);
        if (QTreeWidgetItem *item = m_list->topLevelItem(m_currentRow))
            m_list->setCurrentItem(item); // the selection follows, as in a list control
        return true;
    }
    default: return false;
    }
}

void CSequenceStepView::OnPick(int item, const QString &text)
{
    if (m_currentRow < 0 || m_currentRow >= RowCount() || m_currentColumn < StepColumns::kFirstField)
        return;
    StepColumns::Pick(MutableStep(m_currentRow), m_currentColumn, item, text);
    RefreshRow(m_currentRow);
    m_editor->SetModified();
    AutoAdvance();
}

void CSequenceStepView::AutoAdvance()
{
    int row = m_currentRow;
    int column = m_currentColumn;
    if (m_editor->AutoAdvanceRows()) {
        if (++row >= RowCount()) {
            row = 0;
            if (++column > StepColumns::kLastField)
                column = StepColumns::kFirstField;
        }
    } else if (m_editor->AutoAdvanceColumns()) {
        if (++column > StepColumns::kLastField) {
            column = StepColumns::kFirstField;
            if (++row >= RowCount())
                row = 0;
        }
    }
    SetCurrentCell(row, column);
}

void CSequenceStepView::EditItemName()
{
    if (!IsNameCell())
        return;
    CSequenceStep &step = MutableStep(m_currentRow);
    QString &name = m_currentColumn == StepColumns::kFormat ? step.formatName : step.imageName;
    CNameDlg dialog(this, name);
    if (DoModal(dialog) != IDOK || dialog.GetName().isEmpty())
        return;
    name = dialog.GetName();
    RefreshRow(m_currentRow);
    ShowCurrentCell();
    m_editor->SetModified();
}

// --- Drags -------------------------------------------------------------------------

void CSequenceStepView::DropSteps(const std::vector<CSequenceStep> &steps, int row)
{
    InsertStepsAt(steps, row);
    m_editor->SetModified();
}

void CSequenceStepView::SetDropRow(int row)
{
    if (row == m_dropRow)
        return;
    m_dropRow = row;
    m_list->viewport()->update();
}

void CSequenceStepView::OnBeginDrag()
{
    const std::vector<CSequenceStep> steps = SelectedSteps();
    if (steps.empty())
        return;
    QByteArray block;
    try {
        block = StepTransferBlock::Build(steps);
    } catch (const std::bad_alloc &) {
        MessageBox(this, PromptText(IDS_NO_MEMORY), PromptText(IDS_NO_MEMORY_CAPTION), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    auto *drag = new QDrag(this);
    auto *data = new QMimeData;
    data->setData(StepTransferBlock::MimeType(), block);
    drag->setMimeData(data);
    if (RunDrag(drag, Qt::CopyAction | Qt::MoveAction) != Qt::MoveAction)
        return;
    RemoveSelectedRows();
    m_editor->SetModified();
}

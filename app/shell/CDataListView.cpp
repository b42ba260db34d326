#include "CDataListView.h"

#include "CDataListCtrl.h"
#include "CDataListDropTarget.h"
#include "CDataListRow.h"
#include "CGenData.h"
#include "CGenerator.h"
#include "CGeneratorDataPane.h"
#include "CGeneratorView.h"
#include "ShellWindow.h"
#include "TreeRows.h"
#include "CProgressDlg.h"
#include "CSelectDataTypeDlg.h"
#include "DataKindRegistry.h"
#include "DialogUnits.h"
#include "DragLoop.h"
#include "Prompts.h"
#include "ShellImages.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QApplication>
#include <QDrag>
#include <QHeaderView>
#include <QMimeData>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kIconRole = Qt::UserRole + 1;
constexpr int kMarkRole = Qt::UserRole + 2;

constexpr int kMaxCascaded = 3;

// The data list's drag carries only this marker: targets in the program ask
// the main window who is dragging.
const char kDragMime[] = "application/x-zot-data-list";

CGenData *ItemOf(const QTreeWidgetItem *row)
{
    return CDataListRow::ItemOf(row);
}

// Column 0 holds the mark and the icon and a name of up to 8 characters;
// at the original 100 pixels a wide name was cut short.
int NameColumnWidth(const QTreeWidget *list)
{
    constexpr int kOriginalWidth = 100;
    const int margins = 4 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1) + 8;
    const int name = list->fontMetrics().horizontalAdvance(QString(8, u'W'));
    return std::max(kOriginalWidth, list->iconSize().width() + margins + name);
}

void CascadeWindows(const QList<QWidget *> &windows)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QPoint origin = screen->availableGeometry().topLeft();
    const int step = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight) + 4;
    int placed = 0;
    for (QWidget *window : windows) {
        if (!window->isEnabled())
            continue;
        window->move(origin + QPoint(step * placed, step * placed));
        ++placed;
    }
}

} // namespace

CDataListView::CDataListView(QWidget *parent)
    : QWidget(parent), m_dropTarget(new CDataListDropTarget)
{
    auto *list = new CDataListCtrl(this);
    m_list = list;
    connect(list, &CDataListCtrl::labelEditRequested, this, &CDataListView::OnBeginLabelEdit);
    connect(list, &CDataListCtrl::dragRequested, this, &CDataListView::OnBeginDrag);
    connect(list, &CDataListCtrl::filesDropped, this, &CDataListView::OnDropFiles);
    connect(list, &CDataListCtrl::listClicked, this, &CDataListView::OnClickList);
    m_dropTarget->setParent(this);
    m_dropTarget->Register(list, [this](CGeneratorDataPane *pane) { RecallFromPane(pane); });
    SetControlId(m_list, IDC_DATA_LIST);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setIconSize(QSize(32, 16));
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({LoadString(IDS_DATA_NAME), LoadString(IDS_DATA_FILE)});
    m_list->setColumnWidth(0, NameColumnWidth(m_list));
    m_list->setColumnWidth(1, 300);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] { EditSelected(); });
}

CDataListView::~CDataListView()
{
    DeleteAll();
}

void CDataListView::SetShellWindow(ShellWindow *mainWindow)
{
    m_mainWindow = mainWindow;
    m_dropTarget->SetShellWindow(mainWindow);
}

// --- Rows -------------------------------------------------------------------

int CDataListView::GetRowCount() const
{
    return TreeRows::Count(m_list);
}

CGenData *CDataListView::GetRowItem(int row) const
{
    return ItemOf(m_list->topLevelItem(row));
}

QString CDataListView::GetRowText(int row, int column) const
{
    return TreeRows::Text(m_list, row, column);
}

int CDataListView::GetRowIcon(int row) const
{
    return TreeRows::Data(m_list, row, kIconRole, -1);
}

int CDataListView::GetRowMark(int row) const
{
    return TreeRows::Data(m_list, row, kMarkRole, 0);
}

bool CDataListView::IsRowSelected(int row) const
{
    return TreeRows::IsSelected(m_list, row);
}

void CDataListView::SelectRow(int row, bool selected)
{
    TreeRows::Select(m_list, row, selected);
}

int CDataListView::GetSelectedCount() const
{
    return int(SelectedRows().size());
}

int CDataListView::FindRow(const CGenData *item) const
{
    for (int row = 0; row < GetRowCount(); ++row) {
        if (GetRowItem(row) == item)
            return row;
    }
    return -1;
}

QTreeWidgetItem *CDataListView::RowOf(const CGenData *item) const
{
    const int row = item ? FindRow(item) : -1;
    return row < 0 ? nullptr : m_list->topLevelItem(row);
}

QList<QTreeWidgetItem *> CDataListView::SelectedRows() const
{
    QList<QTreeWidgetItem *> rows;
    for (int row = 0; row < GetRowCount(); ++row) {
        if (QTreeWidgetItem *item = m_list->topLevelItem(row); item->isSelected())
            rows.append(item);
    }
    return rows;
}

QTreeWidgetItem *CDataListView::AppendRow(std::unique_ptr<CGenData> item, int icon, const QString &name,
                                          const QString &file)
{
    auto *row = new CDataListRow(m_list, std::move(item), {name, file});
    row->setFlags(row->flags() | Qt::ItemIsEditable | Qt::ItemIsDragEnabled);
    row->setData(0, kIconRole, icon);
    SetMark(row, 0);
    return row;
}

void CDataListView::SetMark(QTreeWidgetItem *row, int mark)
{
    row->setData(0, kMarkRole, mark);
    row->setIcon(0, RowIcon(mark, row->data(0, kIconRole).toInt()));
    row->setToolTip(0, MarkTip(mark));
}

void CDataListView::DeselectAll()
{
    m_list->clearSelection();
}

bool CDataListView::AllSelectedAreFormats() const
{
    const QList<QTreeWidgetItem *> rows = SelectedRows();
    if (rows.isEmpty())
        return false;
    for (const QTreeWidgetItem *row : rows) {
        if (ItemOf(row)->GetTypeCode() != CGenData::kFormat)
            return false;
    }
    return true;
}

void CDataListView::OnClickList()
{
    if (m_mainWindow)
        m_mainWindow->UpdateControls();
}

void CDataListView::OnBeginLabelEdit(QTreeWidgetItem *row)
{
    // The item posts WM_DATA_CHANGED on OK, which refreshes the row.
    if (CGenData *item = ItemOf(row))
        item->Rename();
}

// --- Items ------------------------------------------------------------------

void CDataListView::OnFileNew()
{
    const std::vector<const DataKindEntry *> kinds = DataKinds::Offered();
    std::vector<int> icons;
    std::vector<unsigned> names;
    for (const DataKindEntry *kind : kinds) {
        icons.push_back(kind->icon);
        names.push_back(kind->nameId);
    }
    CSelectDataTypeDlg dialog(this, int(kinds.size()), &ShellImageList(), icons.data(), names.data());
    if (DoModal(dialog) != IDOK || dialog.m_selection < 0 || dialog.m_selection >= int(kinds.size()))
        return;
    NewItem(icons[size_t(dialog.m_selection)]);
}

CGenData *CDataListView::NewItem(int icon)
{
    const DataKindEntry *kind = DataKinds::ByIcon(icon);
    if (!kind || !kind->create)
        return nullptr;
    CGenData *item = kind->create(m_mainWindow ? m_mainWindow->Frame() : nullptr);
    if (!item)
        return nullptr;
    const QString file = item->GetFileText();
    QTreeWidgetItem *row = AppendRow(std::unique_ptr<CGenData>(item), icon, LoadString(kind->nameId), file);
    row->setSelected(true);
    item->SetModified(true);
    SetMark(row, kMarkModified);
    return item;
}

void CDataListView::EditSelected()
{
    QList<QWidget *> editors;
    for (QTreeWidgetItem *row : SelectedRows()) {
        CGenData *item = ItemOf(row);
        QWidget *editor = item->OpenEditor();
        if (!editor) {
            // A kind without an editor: the row gets no editor mark, the user a reason.
            MessageBox(this, PromptText(IDS_NO_EDITOR, {item->GetName()}), PromptText(IDS_EDIT_CAPTION),
                       MB_OK | MB_ICONINFORMATION);
            continue;
        }
        editor->show();
        editor->raise();
        editor->activateWindow();
        if (editors.size() < kMaxCascaded && editor->isWindow())
            editors.append(editor);
        SetMark(row, kMarkEditorOpen);
    }
    CascadeWindows(editors);
}

void CDataListView::RefreshItem(CGenData *item)
{
    QTreeWidgetItem *row = RowOf(item);
    if (!row)
        return;
    row->setText(0, item->GetName());
    if (!item->GetFolder().isEmpty())
        row->setText(1, item->GetFilePath());
    if (item->IsModified())
        SetMark(row, kMarkModified);
}

void CDataListView::EditorClosed(CGenData *item)
{
    QTreeWidgetItem *row = RowOf(item);
    if (!row)
        return;
    item->CloseEditor();
    SetMark(row, item->IsModified() ? kMarkModified : 0);
}

void CDataListView::DeleteSelected(bool ask)
{
    const int count = GetSelectedCount();
    if (ask) {
        if (count == 0)
            return;
        const int answer = MessageBox(this, PromptText(IDS_DELETE_QUESTION, {QString::number(count)}),
                                      PromptText(IDS_DELETE_DATA_CAPTION), MB_YESNO | MB_ICONQUESTION);
        if (answer != IDYES)
            return;
    }
    for (int i = 0; i < count; ++i) {
        const QList<QTreeWidgetItem *> rows = SelectedRows();
        if (rows.isEmpty())
            return;
        if (!ItemOf(rows.first())->SaveModified())
            return; // this row and the rest stay
        delete rows.first();
    }
}

bool CDataListView::SendSelectedTo(CGeneratorView *destination, bool askSave, CProgressDlg *progress)
{
    // One pass is one operation: its first failed command ends it.
    CGenerator::Operation operation(destination->GetGenerator());
    // Each name goes to the directory of its own kind.
    QStringList formats;
    QStringList images;
    for (QTreeWidgetItem *row : SelectedRows()) {
        CGenData *item = ItemOf(row);
        if (askSave && !item->SaveModified())
            return false;
        if (progress)
            progress->raise();
        if (!destination->SendItem(item, progress))
            return false;
        if (item->GetTypeCode() == CGenData::kFormat)
            formats.append(item->GetName());
        else if (item->GetTypeCode() == CGenData::kImage)
            images.append(item->GetName());
    }
    CGenerator *generator = destination->GetGenerator();
    if (generator && generator->IsHalted())
        return false; // the failure was shown; the directories stay as they are
    bool updated = true;
    if (generator && !formats.isEmpty())
        updated = generator->AddNamesToDirectory(formats, CGenData::kFormat) && updated;
    if (generator && !images.isEmpty())
        updated = generator->AddNamesToDirectory(images, CGenData::kImage) && updated;
    if (!updated)
        AfxMessageBox(PromptText(IDS_UPDATE_KNOB_LIST_FAILED), MB_OK);
    return true;
}

void CDataListView::RecallFromPane(CGeneratorDataPane *pane)
{
    if (pane)
        pane->RecallSelected();
}

void CDataListView::SelectItems(const QList<CGenData *> &items)
{
    for (int row = 0; row < GetRowCount(); ++row)
        SelectRow(row, items.contains(GetRowItem(row)));
}

void CDataListView::DeleteItems(const QList<CGenData *> &items)
{
    for (CGenData *item : items) {
        const int row = FindRow(item);
        if (row < 0)
            continue;
        delete m_list->topLevelItem(row);
    }
}

void CDataListView::NotifyEditors(int hint)
{
    for (int row = 0; row < GetRowCount(); ++row)
        GetRowItem(row)->NotifyEditor(hint);
}

void CDataListView::OnBeginDrag()
{
    m_dragging = 1;
    auto *drag = new QDrag(this);
    auto *data = new QMimeData;
    data->setData(QString::fromLatin1(kDragMime), QByteArray());
    drag->setMimeData(data);
    RunDrag(drag, Qt::CopyAction);
    m_dragging = 0;
}

void CDataListView::DeleteAll()
{
    while (GetRowCount() > 0) {
        delete m_list->topLevelItem(0);
    }
}

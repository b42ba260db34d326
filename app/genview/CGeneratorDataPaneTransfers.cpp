// The generator data pane's transfers: storing a data item in the
// generator, recalling selected items into the data list (also under an
// incremented name, as a copy), renaming and deleting items in the
// generator, dragging selected items out of the pane, and taking another
// pane's items as a copy between two generators.

#include "CGeneratorDataPane.h"
#include "WaitCursor.h"

#include "CDataTransferDlg.h"
#include "CFormat.h"
#include "CFormatTraffic.h"
#include "CGenData.h"
#include "CGenerator.h"
#include "CGeneratorPaneDropTarget.h"
#include "CGeneratorState.h"
#include "GeneratorViewPaneLink.h"
#include "CProgressDlg.h"
#include "DragLoop.h"
#include "GeneratorItemDragBlock.h"
#include "GeneratorViewHost.h"
#include "DataKindRegistry.h"
#include "MessageTarget.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

namespace {

constexpr int kMaxCopyName = 8;
constexpr double kSettleBeforeCopy = 0.25;
constexpr double kSettleAfterCopy = 0.5;

// Held while an operation pumps messages: a generator removal (a lost link,
// a tool's restart) waits for its end instead of deleting what it uses.
using OperationGuard = HostOperation;

std::map<int, CGeneratorDataPane::CopyOperation> &CopyOperations()
{
    static std::map<int, CGeneratorDataPane::CopyOperation> operations = {
        {CGeneratorDataPane::kKindFormat,
         [](const QString &name, CGenerator *source, CGenerator *target, CProgressDlg *progress) {
             return CopyFormatBetweenGenerators(name, source, target, progress);
         }},
    };
    return operations;
}

bool HasCopyOperation(int kind)
{
    const auto it = CopyOperations().find(kind);
    return it != CopyOperations().end() && it->second;
}

void SetStatus1(CProgressDlg &progress, unsigned id, const QStringList &inserts)
{
    progress.SetStatus(IDC_STATUS1, FormatString(id, inserts));
}

void NotIncremented(const QString &name, unsigned whyId)
{
    AfxMessageBox(PromptText(IDS_NOT_INCREMENTED, {name, LoadString(whyId)}));
}

// Whether the knob list selected in the generator names the item; names
// match without regard to case, as the generator matches them.
bool FormatKnobListNames(CGenerator &generator, const QString &name)
{
    QStringList entries;
    generator.QueryNamqList(1, CGenerator::kMaxListEntries, entries);
    return generator.LastCommandSucceeded() && entries.contains(name, Qt::CaseInsensitive);
}

bool IsCardPort(const CGenerator *generator)
{
    const PortType type = generator->GetPortType();
    return type == PortType::Isa || type == PortType::Pci;
}

// What storing an item of one kind means: how the generator says it holds
// one of that name and whether it may be replaced (null: always), and the
// list and kind of its row. The list number of a drag block is list + 1.
struct StoreRule {
    int typeCode;
    bool (CGenerator::*exists)(const QString &);
    bool (CGenerator::*overwritable)(const QString &);
    int list;
    int kind;
};

const StoreRule kStoreRules[] = {
    {CGenData::kFormat, &CGenerator::HasFormat, &CGenerator::QueryFmtk, CGeneratorDataPane::kFormats,
     CGeneratorDataPane::kKindFormat},
    {CGenData::kImage, &CGenerator::HasImage, &CGenerator::QueryImgk, CGeneratorDataPane::kImages,
     CGeneratorDataPane::kKindImage},
    {CGenData::kSequence, &CGenerator::HasSequence, nullptr, CGeneratorDataPane::kSequences,
     CGeneratorDataPane::kKindSequence},
    {CGenData::kKnobList, &CGenerator::HasDirectory, nullptr, CGeneratorDataPane::kKnobLists,
     CGeneratorDataPane::kKindKnobList},
    {CGenData::kPixelMap, &CGenerator::HasPixelMap, &CGenerator::QueryMapk, CGeneratorDataPane::kIcons,
     CGeneratorDataPane::kKindIcon},
    {CGenData::kFont, &CGenerator::HasFont, &CGenerator::QueryFntk, CGeneratorDataPane::kFonts,
     CGeneratorDataPane::kKindFont},
};

const StoreRule *RuleOfType(int typeCode)
{
    for (const StoreRule &rule : kStoreRules) {
        if (rule.typeCode == typeCode)
            return &rule;
    }
    return nullptr;
}

const StoreRule *RuleOfList(int list)
{
    for (const StoreRule &rule : kStoreRules) {
        if (rule.list == list)
            return &rule;
    }
    return nullptr;
}

} // namespace

void CGeneratorDataPane::SetCopyOperation(int kind, CopyOperation operation)
{
    CopyOperations()[kind] = std::move(operation);
}

// --- Helpers ------------------------------------------------------------------------

GeneratorViewHost *CGeneratorDataPane::Host() const
{
    return m_view ? m_view->Host() : nullptr;
}

bool CGeneratorDataPane::IsKnobListMode() const
{
    return m_view && m_view->Flags().knobListMode;
}

QString CGeneratorDataPane::GeneratorText(GeneratorViewPaneLink *view) const
{
    CGenerator *generator = view->GetGenerator();
    return FormatString(IDS_GENERATOR_ON_PORT, {view->GetState().model, generator ? generator->GetPortName() : QString()});
}

void CGeneratorDataPane::DiscardNewItem(CGenData *item)
{
    if (GeneratorViewHost *host = Host()) {
        host->DeleteDataItems({item});
        host->UpdateControls();
    }
}

bool CGeneratorDataPane::RecallInto(CGenData *item, const QString &name, CProgressDlg *progress)
{
    CGenerator::Operation operation(m_generator);
    if (item->RecallFromGenerator(name, m_generator, progress))
        return true;
    DiscardNewItem(item); // the item reported why; an empty row would only mislead
    return false;
}

// --- Send ------------------------------------------------------------------------------

bool CGeneratorDataPane::SendItem(CGenData *item, CProgressDlg *progress)
{
    return StoreItem(item, progress, true);
}

bool CGeneratorDataPane::StoreItem(CGenData *item, CProgressDlg *progress, bool askOverwrite)
{
    if (!item || !m_generator)
        return false;
    CGenerator::Operation operation(m_generator);
    const QString name = item->GetName();
    if (progress) {
        const QString model = m_view ? m_view->GetState().model : QString();
        SetStatus1(*progress, IDS_SENDING_ITEM, {name, model, m_generator->GetPortName()});
        if (progress->IsCancelled())
            return false;
    }
    const StoreRule *rule = RuleOfType(item->GetTypeCode());
    const bool existed = rule && (m_generator->*rule->exists)(name);
    if (existed && askOverwrite) {
        QWidget *owner = progress ? static_cast<QWidget *>(progress) : this;
        if (!rule->overwritable || (m_generator->*rule->overwritable)(name)) {
            if (MessageBox(owner, PromptText(IDS_REPLACE, {name}), PromptText(IDS_OVERWRITE_CAPTION),
                           MB_YESNOCANCEL | MB_ICONQUESTION) != IDYES)
                return false;
        } else {
            MessageBox(owner, PromptText(IDS_NOT_OVERWRITABLE, {name}), PromptText(IDS_OVERWRITE_CAPTION),
                       MB_OK | MB_ICONWARNING);
            return false;
        }
    }
    if (!item->SendToGenerator(m_generator, progress))
        return false;
    if (rule && m_scanned && !existed) {
        const int knobClass = rule->kind == kKindKnobList ? ClassifyKnobList(name) : 0;
        AddItem(name, rule->list, rule->kind, knobClass);
    }
    // The detailed list holds formats too: its row shows what was sent.
    if (rule && rule->kind == kKindFormat)
        RefreshFormatListEntry(name);
    if (m_view)
        m_view->RefreshStatus(GeneratorViewPaneLink::kRefreshMemory);
    return true;
}

void CGeneratorDataPane::SendDataListSelection()
{
    GeneratorViewHost *host = Host();
    if (!host || !m_view)
        return;
    OperationGuard guard(host);
    CProgressDlg progress(this, true);
    host->SendDataListSelectionTo(m_view->View(), &progress);
    progress.DestroyWindow();
}

// --- Recall ----------------------------------------------------------------------------

bool CGeneratorDataPane::SelectionRecallable() const
{
    switch (m_currentList) {
    case kFormats:
    case kSequences: return SelectedCount() > 0;
    case kImages: {
        const QList<SelectedItem> items = SelectedItems();
        return !items.isEmpty() && std::all_of(items.begin(), items.end(), [](const SelectedItem &i) { return i.user; });
    }
    case kKnobLists:
    case kFonts:
    case kIcons:
    case kDetailed: return false;
    default:
        AfxMessageBox(PromptText(IDS_UNKNOWN_LIST_TYPE));
        return false;
    }
}

void CGeneratorDataPane::RecallSelected()
{
    if (!m_generator)
        return;
    const QList<SelectedItem> items = SelectedItems();
    if (m_currentList == kDetailed) {
        if (!items.isEmpty())
            RecallItem(items.first().name, LoadString(IDS_FORMAT), kKindFormat);
        return;
    }
    const bool knobLists = IsKnobListMode();
    const QString typeText = knobLists ? LoadString(IDS_KNOB_LIST) : TypeText(m_currentList);
    GeneratorViewHost *window = Host();
    if (window)
        window->DeselectAllData();
    if (items.size() == 1) {
        RecallItem(items.first().name, typeText, knobLists ? int(kKindKnobList) : items.first().kind);
        return;
    }
    if (items.isEmpty() || !window)
        return;
    const QString count = QString::number(items.size());
    if (MessageBox(this, PromptText(IDS_RECALL_SEVERAL, {count, typeText}), PromptText(IDS_RECALL_CAPTION),
                   MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    OperationGuard guard(window);
    CProgressDlg progress(this, true);
    SetStatus1(progress, IDS_RECALLING_ITEM, {count, typeText});
    WaitCursor wait;
    for (const SelectedItem &row : items) {
        if (progress.IsCancelled())
            break;
        CGenData *item = window->NewDataItem(knobLists ? int(kKindKnobList) : row.kind);
        if (!item || !RecallInto(item, row.name, &progress))
            break;
    }
    progress.DestroyWindow();
}

void CGeneratorDataPane::RecallItem(const QString &name, const QString &typeText, int kind)
{
    if (MessageBox(this, PromptText(IDS_RECALL_ONE, {typeText, name}), PromptText(IDS_RECALL_CAPTION), MB_YESNO) !=
        IDYES)
        return;
    GeneratorViewHost *window = Host();
    if (!window || !m_generator)
        return;
    OperationGuard guard(window);
    CGenData *item = window->NewDataItem(kind);
    if (!item)
        return;
    WaitCursor wait;
    CProgressDlg progress(this, false);
    progress.setWindowTitle(windowTitle());
    RecallInto(item, name, &progress);
    progress.DestroyWindow();
}

// --- Copy ------------------------------------------------------------------------------

bool CGeneratorDataPane::IncrementCopyName(QString &name)
{
    if (name.isEmpty())
        return false;
    const qsizetype underscore = name.indexOf(QLatin1Char('_'));
    if (underscore < 0) {
        name = name.left(6) + QStringLiteral("_1");
        return true;
    }
    if (underscore == name.size() - 1) {
        NotIncremented(name, IDS_NOTHING_BEYOND_UNDERSCORE);
        return false;
    }
    // Read as a stream reads an int: leading blanks and a sign are taken.
    std::istringstream tail(name.mid(underscore + 1).toStdString());
    int number = 0;
    if (!(tail >> number)) {
        NotIncremented(name, IDS_NOT_A_NUMBER_BEYOND_UNDERSCORE);
        return false;
    }
    if (tail.peek() != std::char_traits<char>::eof()) {
        NotIncremented(name, IDS_NON_NUMERIC_BEYOND_UNDERSCORE);
        return false;
    }
    const QString incremented = name.left(underscore + 1) + QString::number(qint64(number) + 1);
    if (incremented.size() > kMaxCopyName) {
        NotIncremented(name, IDS_INCREMENTED_TOO_LONG);
        return false;
    }
    name = incremented;
    return true;
}

bool CGeneratorDataPane::FinishCopy(CGenData *item, const QString &name, const QString &copyName,
                                    CProgressDlg *progress)
{
    if (!RecallInto(item, name, progress))
        return false;
    item->SetName(copyName);
    SendMessage(Host() ? Host()->MessageWindow() : nullptr, WM_DATA_CHANGED, 0, ToLParam(item));
    item->SetModified(false);
    return true;
}

QList<CGenData *> CGeneratorDataPane::CopySelected()
{
    QList<CGenData *> copies;
    const QList<SelectedItem> items = SelectedItems();
    if (m_currentList == kDetailed) {
        if (!items.isEmpty()) {
            if (CGenData *copy = CopyItem(LoadString(IDS_FORMAT), items.first().name, kKindFormat))
                copies.append(copy);
        }
        return copies;
    }
    if (m_currentList < kFormats || m_currentList > kSequences) {
        AfxMessageBox(PromptText(IDS_INVALID_OBJECT_TYPE));
        return copies;
    }
    const QString typeText = TypeText(m_currentList);
    GeneratorViewHost *window = Host();
    if (window)
        window->DeselectAllData();
    if (items.size() == 1) {
        if (CGenData *copy = CopyItem(typeText, items.first().name, items.first().kind))
            copies.append(copy);
        return copies;
    }
    if (items.isEmpty() || !window || !m_generator)
        return copies;
    int count = int(items.size());
    if (MessageBox(this, PromptText(IDS_COPY_SEVERAL, {QString::number(count), typeText}),
                   PromptText(IDS_COPY_CAPTION), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return copies;
    OperationGuard guard(window);
    CProgressDlg progress(this, true);
    SetStatus1(progress, IDS_COPYING, {QString::number(count), typeText});
    WaitCursor wait;
    for (const SelectedItem &row : items) {
        QString copyName = row.name;
        if (!IncrementCopyName(copyName)) {
            SetStatus1(progress, IDS_COPYING, {QString::number(--count), typeText});
            continue;
        }
        // Asked before the row is made: a cancel leaves no empty row behind.
        if (progress.IsCancelled())
            break;
        CGenData *item = window->NewDataItem(row.kind);
        if (!item)
            break;
        if (FinishCopy(item, row.name, copyName, &progress))
            copies.append(item);
    }
    progress.DestroyWindow();
    return copies;
}

CGenData *CGeneratorDataPane::CopyItem(const QString &typeText, const QString &name, int kind)
{
    QString copyName = name;
    if (!IncrementCopyName(copyName))
        return nullptr;
    if (MessageBox(this, PromptText(IDS_COPY_ONE, {typeText, name}), PromptText(IDS_COPY_CAPTION), MB_YESNO) != IDYES)
        return nullptr;
    GeneratorViewHost *window = Host();
    if (!window || !m_generator)
        return nullptr;
    OperationGuard guard(window);
    CGenData *item = window->NewDataItem(kind);
    if (!item)
        return nullptr;
    WaitCursor wait;
    CProgressDlg progress(this, false);
    progress.setWindowTitle(windowTitle());
    SetStatus1(progress, IDS_COPYING_ONE, {typeText});
    progress.SetStatus(IDC_STATUS2, LoadString(IDS_COPYING_STEP));
    const bool copied = FinishCopy(item, name, copyName, &progress);
    progress.DestroyWindow();
    return copied ? item : nullptr;
}

// --- Delete ----------------------------------------------------------------------------

bool CGeneratorDataPane::DeleteInGenerator(const SelectedItem &row)
{
    CGenerator &g = *m_generator;
    const QString &name = row.name;
    if (IsKnobListMode() || row.kind == kKindKnobList) {
        g.DeleteDirectory(name);
        return g.LastCommandSucceeded();
    }
    switch (row.kind) {
    case kKindFormat:
        g.DeleteFormat(name);
        if (!g.LastCommandSucceeded())
            return false; // still held: its directory entry stays too
        g.CmdDirl(QStringLiteral("fmt"));
        // Only Send Data lists a format in the format knob list: one that came
        // another way (a copy between generators) is not named there, and the
        // generator refuses to take out a name it does not hold.
        if (FormatKnobListNames(g, name)) {
            g.CmdDirb();
            g.CmdNamk(name);
            g.CmdDire();
            g.CmdDirs();
            g.CmdDirl(QStringLiteral("fmt"));
        }
        return true;
    case kKindImage: g.DeleteImage(name); break;
    case kKindSequence: g.DeleteSequence(name); break;
    case kKindFont: g.DeleteFont(name); break;
    case kKindIcon: g.DeletePixelMap(name); break;
    case kKindMixedKnobList: return true; // nothing to send
    default: return false;
    }
    return g.LastCommandSucceeded();
}

void CGeneratorDataPane::DeleteSelected()
{
    if (!m_generator || m_currentList == kDetailed)
        return;
    const QList<SelectedItem> items = SelectedItems();
    if (items.isEmpty())
        return;
    const int list = m_currentList;
    const bool knobLists = IsKnobListMode();
    const QString typeText = TypeText(list);
    if (items.size() == 1) {
        if (MessageBox(this, PromptText(IDS_DELETE_ONE, {typeText, items.first().name}),
                       PromptText(IDS_DELETE_ITEMS_CAPTION), MB_YESNO) != IDYES)
            return;
    }
    std::unique_ptr<CProgressDlg> progress;
    if (items.size() >= 2) {
        const QString count = QString::number(items.size());
        if (MessageBox(this, PromptText(IDS_DELETE_SEVERAL, {count, typeText}), PromptText(IDS_DELETE_ITEMS_CAPTION),
                       MB_YESNO | MB_ICONQUESTION) != IDYES)
            return;
        progress = std::make_unique<CProgressDlg>(this, false);
        SetStatus1(*progress, IDS_DELETING, {count});
    }
    OperationGuard guard(Host());
    WaitCursor wait;
    bool formatDeleted = false;
    for (const SelectedItem &row : items) {
        // A refused delete (a built-in item, a lost link) keeps its row.
        if (!DeleteInGenerator(row))
            continue;
        RemoveItem(list, row.name);
        formatDeleted = formatDeleted || (!knobLists && row.kind == kKindFormat);
    }
    if (progress)
        progress->DestroyWindow();
    if (m_view)
        m_view->RefreshStatus(GeneratorViewPaneLink::kRefreshMemory);
    if (formatDeleted) {
        if (SelectedCount() != 1)
            UseFormatRow(0);
        UseDetailedSelection();
    }
}

// --- Rename ----------------------------------------------------------------------------

void CGeneratorDataPane::RenameSelected()
{
    if (!m_generator)
        return;
    const QList<SelectedItem> items = SelectedItems();
    OperationGuard guard(Host());
    WaitCursor wait;
    for (const SelectedItem &row : items) {
        const bool renamable = row.kind == kKindFormat || row.kind == kKindImage || row.kind == kKindSequence;
        const DataKindEntry *kind = renamable ? DataKinds::ByIcon(row.kind) : nullptr;
        if (!kind || !kind->create) {
            AfxMessageBox(PromptText(IDS_ILLEGAL_RENAME_TYPE));
            return;
        }
        RenameOne(row);
    }
}

void CGeneratorDataPane::RenameOne(const SelectedItem &row)
{
    std::unique_ptr<CGenData> item(DataKinds::ByIcon(row.kind)->create(this));
    // A failure anywhere ends the rename before the old item is deleted.
    CGenerator::Operation operation(m_generator);
    const QString oldName = row.name;
    if (!item->RecallFromGenerator(oldName, m_generator, nullptr)) {
        AfxMessageBox(PromptText(IDS_RENAME_NOT_FOUND));
        return;
    }
    if (!item->Rename())
        return;
    const QString newName = item->GetName();
    // The same name again is no rename: storing it and deleting the old
    // name would delete the item itself.
    if (newName == oldName)
        return;
    // The generator matches names without regard to case: storing the new
    // spelling replaces the item, so there is nothing to ask and nothing to delete.
    const bool caseOnly = newName.compare(oldName, Qt::CaseInsensitive) == 0;
    const int list = m_currentList;
    // An item read without some of its lines is less than the old one: it
    // may be stored anew, but the old one stays, and a new spelling, which
    // would replace it, is not stored at all.
    const bool partial = item->LinesLeftOut() > 0;
    if (partial && caseOnly) {
        MessageBox(this, PromptText(IDS_NOT_RENAMED_PARTIAL, {oldName}), PromptText(TypeText(list)),
                   MB_OK | MB_ICONINFORMATION);
        return;
    }
    CProgressDlg progress(this, true);
    const bool stored = StoreItem(item.get(), &progress, !caseOnly);
    if (stored && partial) {
        MessageBox(&progress, PromptText(IDS_KEPT_PARTIAL, {oldName, newName}), PromptText(TypeText(list)),
                   MB_OK | MB_ICONINFORMATION);
    } else if (stored) {
        bool oldGone = caseOnly;
        switch (row.kind) {
        case kKindFormat:
            m_generator->RenameInDirectory(QStringLiteral("fmt"), oldName, newName);
            if (!caseOnly) {
                m_generator->DeleteFormat(oldName);
                oldGone = m_generator->LastCommandSucceeded();
            }
            break;
        case kKindImage:
            m_generator->RenameInDirectory(QStringLiteral("img"), oldName, newName);
            if (!caseOnly) {
                m_generator->DeleteImage(oldName);
                oldGone = m_generator->LastCommandSucceeded();
            }
            break;
        default:
            if (!caseOnly) {
                m_generator->DeleteSequence(oldName);
                oldGone = m_generator->LastCommandSucceeded();
            }
            break;
        }
        if (caseOnly)
            RenameItem(list, oldName, newName);
        else if (oldGone)
            RemoveItem(list, oldName);
    }
    progress.DestroyWindow();
}

// --- Drag out --------------------------------------------------------------------------

void CGeneratorDataPane::OnBeginDrag()
{
    // Declared first, so it ends last: a removal that waited for the drag
    // runs only when nothing here is used any more.
    OperationGuard guard(Host());
    if (!m_view || m_currentList < kFormats || m_currentList >= kNameLists || !m_view->Flags().recallable)
        return;
    const QList<SelectedItem> items = SelectedItems();
    if (items.isEmpty())
        return;
    std::vector<GeneratorItemDragBlock::Entry> entries;
    for (const SelectedItem &row : items)
        entries.push_back({m_currentList + 1, row.name});
    const QByteArray block = GeneratorItemDragBlock::Build(entries);
    if (block.isEmpty()) {
        MessageBox(this, PromptText(IDS_NO_MEMORY), PromptText(IDS_NO_MEMORY_CAPTION), MB_OK | MB_ICONWARNING);
        return;
    }
    auto *data = new QMimeData;
    data->setData(GeneratorItemDragBlock::MimeType(), block);
    auto *drag = new QDrag(this);
    drag->setMimeData(data);
    m_view->SetDragSource(true);
    SetDragging(true);
    RunDrag(drag, Qt::CopyAction);
    m_view->SetDragSource(false);
    SetDragging(false);
}

bool CGeneratorDataPane::IsViewBusy() const
{
    return m_view && m_view->IsBusy();
}

bool CGeneratorDataPane::MayTakeBlock() const
{
    return m_view && !m_view->IsBusy() && !m_view->IsPlaying() && !IsDragging();
}

void CGeneratorDataPane::RegisterDropTarget(GeneratorViewHost *host)
{
    if (!m_dropTarget) {
        m_dropTarget = new CGeneratorPaneDropTarget;
        m_dropTarget->setParent(this);
    }
    m_dropTarget->Register(this, host);
}

// --- Copy between generators -----------------------------------------------------------

bool CGeneratorDataPane::RefuseUncopyable(const QList<int> &listNumbers)
{
    // Fonts and icons need a generator that takes them, and every kind a
    // copy operation: refused before anything moves, rather than skipped
    // without a word.
    auto refused = [&](int listNumber) {
        MessageBox(this, PromptText(IDS_UNACCEPTABLE, {GeneratorText(m_view), TypeText(listNumber - 1)}),
                   PromptText(IDS_UNACCEPTABLE_CAPTION), MB_OK | MB_ICONWARNING);
        return true;
    };
    constexpr int kFontList = kFonts + 1;
    constexpr int kIconList = kIcons + 1;
    if (listNumbers.contains(kFontList) && !m_generator->FontsSupported())
        return refused(kFontList);
    if (listNumbers.contains(kIconList) && !m_generator->PixelMapsSupported())
        return refused(kIconList);
    for (const int listNumber : listNumbers) {
        const StoreRule *rule = RuleOfList(listNumber - 1);
        if (!rule || !HasCopyOperation(rule->kind))
            return refused(listNumber);
    }
    return false;
}

bool CGeneratorDataPane::CopyFromGenerator(const QByteArray &block)
{
    GeneratorViewPaneLink *sourceView = m_view ? m_view->OtherDragSource() : nullptr;
    if (!sourceView)
        return false;
    const std::optional<std::vector<GeneratorItemDragBlock::Entry>> entries = GeneratorItemDragBlock::Parse(block);
    if (!entries)
        return false;
    QStringList names;
    QByteArray kinds;
    QList<int> listNumbers;
    for (const GeneratorItemDragBlock::Entry &entry : *entries) {
        names.append(entry.name);
        kinds.append(char(entry.listNumber));
        listNumbers.append(entry.listNumber);
    }
    CGenerator *target = m_view->GetGenerator();
    if (!target || RefuseUncopyable(listNumbers))
        return false;
    const QString targetText = GeneratorText(m_view);
    CGenerator *source = sourceView->GetGenerator(); // the source is the current generator from here on
    if (!source)
        return false;
    const QString sourceText = GeneratorText(sourceView);
    CDataTransferDlg confirm(this, &names, &kinds, targetText, IsCardPort(target) ? 1 : 0, sourceText);
    if (DoModal(confirm) != IDOK)
        return false;
    OperationGuard guard(Host());
    CGenerator::Operation sourceOperation(source);
    CGenerator::Operation targetOperation(target);
    CProgressDlg progress(this, true);
    for (CGenerator *generator : {source, target}) {
        generator->CmdOutgOn(false, true);
        generator->CmdAllu();
    }
    target->Delay(kSettleBeforeCopy);
    for (qsizetype i = 0; i < names.size(); ++i) {
        SetStatus1(progress, IDS_TRANSFERRING, {names[i], targetText});
        if (!CopyItemFromGenerator(names[i], listNumbers[i], source, &progress))
            break;
    }
    {
        CGenerator::PutBack putBackSource(source);
        CGenerator::PutBack putBackTarget(target);
        sourceView->GetState().Apply();
        m_view->GetState().Apply();
    }
    target->Delay(kSettleAfterCopy);
    progress.DestroyWindow();
    m_view->RefreshStatus(GeneratorViewPaneLink::kRefreshMemory);
    return true;
}

bool CGeneratorDataPane::CopyItemFromGenerator(const QString &name, int listNumber, CGenerator *source,
                                               CProgressDlg *progress)
{
    if ((progress && progress->IsCancelled()) || !m_generator || !source)
        return false;
    const StoreRule *rule = RuleOfList(listNumber - 1);
    if (!rule)
        return false;
    CGenerator *target = m_generator;
    const bool existed = (target->*rule->exists)(name);
    if (existed) {
        QWidget *owner = progress ? static_cast<QWidget *>(progress) : this;
        if (!rule->overwritable || (target->*rule->overwritable)(name)) {
            const int answer = MessageBox(owner, PromptText(IDS_REPLACE, {name}), PromptText(IDS_OVERWRITE_CAPTION),
                                          MB_YESNOCANCEL | MB_ICONQUESTION);
            if (answer != IDYES)
                return answer == IDNO; // No skips the item, Cancel ends the copy
        } else {
            return MessageBox(owner, PromptText(IDS_NOT_OVERWRITABLE, {name}), PromptText(IDS_OVERWRITE_CAPTION),
                              MB_OKCANCEL | MB_ICONWARNING) == IDOK;
        }
    }
    const auto it = CopyOperations().find(rule->kind);
    if (it == CopyOperations().end() || !it->second)
        return true; // refused before the copy began; nothing to add
    // Only an item the target stored gets a row; a cancel shows at the next item.
    if (!it->second(name, source, target, progress))
        return true;
    if (m_scanned && !existed) {
        const int knobClass = rule->kind == kKindKnobList ? ClassifyKnobList(name) : 0;
        AddItem(name, rule->list, rule->kind, knobClass);
    }
    return true;
}

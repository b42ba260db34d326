#include "imeUndo.h"

#include "CanvasLinks.h"
#include "Prompts.h"
#include "StringTable.h"
#include "UndoPaneLink.h"

#include <new>

namespace {

template <class Record>
std::unique_ptr<imeUndo> CopyRecord(const Record &record)
{
    try {
        return std::make_unique<Record>(record);
    } catch (const std::bad_alloc &) {
        AfxMessageBox(PromptText(IDS_VIRTUAL_COPY_FAILED, {QLatin1String(record.ClassName())}));
        return nullptr;
    }
}

std::unique_ptr<CPrimitive> DeselectedClone(const CPrimitive &primitive)
{
    std::unique_ptr<CPrimitive> copy(primitive.Clone());
    if (copy)
        copy->Deselect();
    return copy;
}

// The record's tree item has gone (a drop rebuilt it): nothing is touched.
void ReportGone(const char *record)
{
    AfxMessageBox(PromptText(IDS_UNDO_ITEM_GONE, {QLatin1String(record)}));
}

} // namespace

imeUndo::~imeUndo() = default;

// --- imeUndoCopy -------------------------------------------------------------------

void imeUndoCopy::Undo(UndoPaneLink &pane)
{
    pane.RemoveClipboardEntry(m_index, m_generation);
}

std::unique_ptr<imeUndo> imeUndoCopy::VirtualCopy() const { return CopyRecord(*this); }

// --- imeUndoCreate ------------------------------------------------------------------

void imeUndoCreate::Undo(UndoPaneLink &pane)
{
    if (!pane.DestroyPrimitive(m_item)) {
        AfxMessageBox(PromptText(IDS_UNDO_CREATE_FAILED));
        return;
    }
    m_item = kNoTreeItem;
}

std::unique_ptr<imeUndo> imeUndoCreate::VirtualCopy() const { return CopyRecord(*this); }

// --- imeUndoDelete ------------------------------------------------------------------

imeUndoDelete::imeUndoDelete(const CPrimitive &primitive) : m_copy(DeselectedClone(primitive)) {}

imeUndoDelete::imeUndoDelete(const imeUndoDelete &other)
    : imeUndo(other), m_copy(other.m_copy ? other.m_copy->Clone() : nullptr)
{
}

imeUndoDelete::~imeUndoDelete() = default;

void imeUndoDelete::Undo(UndoPaneLink &pane)
{
    if (!m_copy)
        return;
    m_copy->SetListPane(&pane.PrimitivesLink());
    if (!m_copy->InsertPrimitive()) {
        m_copy->SetListPane(nullptr);
        AfxMessageBox(PromptText(IDS_UNDO_DELETE_FAILED));
        return;
    }
    (void)m_copy.release(); // the tree owns it now
}

std::unique_ptr<imeUndo> imeUndoDelete::VirtualCopy() const { return CopyRecord(*this); }

// --- imeUndoCut ------------------------------------------------------------------------

void imeUndoCut::Undo(UndoPaneLink &pane)
{
    m_delete.Undo(pane);
    m_copy.Undo(pane);
}

std::unique_ptr<imeUndo> imeUndoCut::VirtualCopy() const { return CopyRecord(*this); }

// --- imeUndoGroup ------------------------------------------------------------------------

void imeUndoGroup::Undo(UndoPaneLink &pane)
{
    if (!pane.HasItem(m_item)) {
        ReportGone(ClassName());
        return;
    }
    pane.Ungroup(m_item);
}

std::unique_ptr<imeUndo> imeUndoGroup::VirtualCopy() const { return CopyRecord(*this); }

// --- imeUndoModify -------------------------------------------------------------------------

imeUndoModify::imeUndoModify(const CPrimitive &primitive) : m_copy(DeselectedClone(primitive)) {}

imeUndoModify::imeUndoModify(const imeUndoModify &other)
    : imeUndo(other), m_copy(other.m_copy ? other.m_copy->Clone() : nullptr)
{
}

imeUndoModify::~imeUndoModify() = default;

void imeUndoModify::Undo(UndoPaneLink &pane)
{
    if (m_copy && !pane.RestorePrimitive(*m_copy))
        ReportGone(ClassName());
}

std::unique_ptr<imeUndo> imeUndoModify::VirtualCopy() const { return CopyRecord(*this); }

// --- imeUndoMove ----------------------------------------------------------------------------

void imeUndoMove::Undo(UndoPaneLink &pane)
{
    if (!pane.RestoreItemPosition(m_item, m_parent, m_predecessor))
        ReportGone(ClassName());
}

std::unique_ptr<imeUndo> imeUndoMove::VirtualCopy() const { return CopyRecord(*this); }

// --- imeUndoMultiple -------------------------------------------------------------------------

imeUndoMultiple::imeUndoMultiple(const imeUndoMultiple &other) : imeUndo(other)
{
    for (const auto &record : other.m_records) {
        if (auto copy = record->VirtualCopy())
            m_records.push_back(std::move(copy));
    }
}

imeUndoMultiple::~imeUndoMultiple() = default;

void imeUndoMultiple::Add(const imeUndo &record)
{
    if (auto copy = record.VirtualCopy())
        m_records.push_back(std::move(copy));
}

void imeUndoMultiple::Undo(UndoPaneLink &pane)
{
    // Removed one after another from one level, they come back in reverse
    // order, each after the predecessor it had when it went.
    UndoBatch batch(pane);
    for (auto it = m_records.rbegin(); it != m_records.rend(); ++it)
        (*it)->Undo(pane);
}

std::unique_ptr<imeUndo> imeUndoMultiple::VirtualCopy() const { return CopyRecord(*this); }

// --- imeUndoPaste ------------------------------------------------------------------------------

void imeUndoPaste::Undo(UndoPaneLink &pane)
{
    UndoBatch batch(pane);
    while (!m_items.empty()) {
        if (!pane.DestroyPrimitive(m_items.front())) {
            AfxMessageBox(PromptText(IDS_UNDO_PASTE_FAILED));
            return;
        }
        m_items.erase(m_items.begin());
    }
}

std::unique_ptr<imeUndo> imeUndoPaste::VirtualCopy() const { return CopyRecord(*this); }

// Cut, copy, delete and paste through the primitive clipboard.

#include "CPrimitiveListPane.h"

#include "CPrimitiveListPaneTree.h"
#include "ListPaneEditorLink.h"
#include "imeUndo.h"

void CPrimitiveListPane::CutCopyDelete(int mode)
{
    if (mode != kCut && mode != kCopy && mode != kDelete)
        return;
    PrimitiveClipboard &clipboard = PrimitiveClipboard::Instance();
    std::vector<TreeItemId> handled;
    if (m_marking) {
        for (TreeItemId id : Children()) {
            const CPrimitive *primitive = PrimitiveOf(id);
            if (primitive && primitive->IsMarked())
                handled.push_back(id);
        }
    } else if (CPrimitive *selected = SelectedPrimitive()) {
        // A frozen member can be copied, never cut or deleted.
        if (mode != kCopy && selected->IsLocked())
            return;
        handled.push_back(SelectedItem());
    } else {
        return;
    }
    const bool wasMarking = m_marking;
    if (mode != kDelete)
        ClearPrimitiveClipboard();
    if (mode == kDelete)
        m_marking = false;
    imeUndoMultiple multiple;
    std::unique_ptr<imeUndo> single;
    for (TreeItemId id : handled) {
        Item *item = Find(id);
        CPrimitive *primitive = item->primitive;
        std::unique_ptr<imeUndo> record;
        RememberPlace(item);
        if (mode == kCut) {
            primitive->SetMarked(false);
            primitive->Invalidate();
            RemoveItem(id);
            const int index = clipboard.Append(std::unique_ptr<CPrimitive>(primitive));
            record = std::make_unique<imeUndoCut>(*primitive, index, clipboard.Generation());
            // Detached: the clipboard outlives this pane and its canvas.
            primitive->Deselect();
            primitive->SetCanvas(nullptr);
            primitive->SetStatusBar(nullptr);
            primitive->SetListPane(nullptr);
        } else if (mode == kCopy) {
            std::unique_ptr<CPrimitive> clone(primitive->Clone());
            if (!clone)
                continue;
            const int index = clipboard.Append(std::move(clone));
            record = std::make_unique<imeUndoCopy>(index, clipboard.Generation());
        } else {
            primitive->SetMarked(false);
            record = std::make_unique<imeUndoDelete>(*primitive);
            DeleteItem(id);
        }
        m_modified = true;
        if (wasMarking)
            multiple.Add(*record);
        else
            single = std::move(record);
    }
    if (single)
        SetUndo(*single);
    else if (multiple.Count() > 0)
        SetUndo(multiple);
    if (m_editor && mode != kCopy)
        m_editor->SetChanged(false);
    RepaintTree();
    UpdateEditorSelection();
}

void CPrimitiveListPane::Paste()
{
    const PrimitiveClipboard &clipboard = PrimitiveClipboard::Instance();
    if (clipboard.IsEmpty())
        return;
    std::vector<TreeItemId> items = InsertCopies(clipboard.Entries());
    SetUndo(imeUndoPaste(std::move(items)));
    Changed();
    UpdateEditorSelection();
}

bool CPrimitiveListPane::RemoveClipboardEntry(int index, quint64 generation)
{
    return PrimitiveClipboard::Instance().Remove(index, generation);
}

#include "ListPaneForEditor.h"

#include "CPrimitive.h"
#include "CPrimitiveListPane.h"
#include "CPropertiesDlg.h"
#include "PrimitiveClipboard.h"
#include "ResourceIds.h"

ListPaneForEditor::ListPaneForEditor(ListPaneEditorLink &editor, CCanvas &canvas) : m_pane(new CPrimitiveListPane)
{
    m_pane->SetCanvas(&canvas);
    m_pane->SetEditor(&editor);
}

ListPaneForEditor::~ListPaneForEditor()
{
    delete m_pane;
}

void ListPaneForEditor::DrawAll(QPainter &painter, const QRect &update) { m_pane->DrawAll(painter, update); }
void ListPaneForEditor::SelectAtPoint(const QPoint &client, bool ctrl) { m_pane->SelectAtPoint(client, ctrl); }
void ListPaneForEditor::MarkInRect(const QRect &client) { m_pane->MarkInRect(client); }
void ListPaneForEditor::NudgeSelected(int dx, int dy) { m_pane->NudgeSelected(dx, dy); }
bool ListPaneForEditor::SnapToPrimitives(QPoint &image) { return m_pane->SnapToPrimitives(image); }
void ListPaneForEditor::ScaleAll(double sx, double sy) { m_pane->ScaleAll(sx, sy); }
void ListPaneForEditor::HoldModifyUndo(const CPrimitive &primitive) { m_pane->HoldModifyUndo(primitive); }
bool ListPaneForEditor::InsertPrimitive(CPrimitive &primitive) { return m_pane->InsertPrimitive(primitive); }

QWidget *ListPaneForEditor::Widget() { return m_pane; }
void ListPaneForEditor::SetStatusBar(QStatusBar *statusBar) { m_pane->SetStatusBar(statusBar); }

void ListPaneForEditor::InsertCopies(const std::vector<std::unique_ptr<CPrimitive>> &primitives)
{
    m_pane->InsertCopies(primitives);
}

std::vector<std::unique_ptr<CPrimitive>> ListPaneForEditor::CopyTopLevel() const
{
    PrimitiveArray copies;
    m_pane->CopyTopLevel(copies);
    return copies;
}

bool ListPaneForEditor::IsModified() const { return m_pane->IsModified(); }
void ListPaneForEditor::ClearModified() { m_pane->ClearModified(); }
void ListPaneForEditor::CreatePrimitive(int typeCode, bool append) { m_pane->CreatePrimitive(typeCode, append); }
void ListPaneForEditor::GroupMarked() { m_pane->GroupMarked(); }
void ListPaneForEditor::Ungroup() { m_pane->Ungroup(); }
void ListPaneForEditor::MoveToFrontOrBack(bool front) { m_pane->MoveToFrontOrBack(front); }
void ListPaneForEditor::CutCopyDelete(int mode) { m_pane->CutCopyDelete(mode); }
void ListPaneForEditor::Paste() { m_pane->Paste(); }
bool ListPaneForEditor::CanPaste() const { return !PrimitiveClipboard::Instance().IsEmpty(); }
void ListPaneForEditor::UndoLast() { m_pane->UndoLast(); }
bool ListPaneForEditor::IsUndoEmpty() const { return m_pane->IsUndoEmpty(); }
void ListPaneForEditor::SetSelectedColour(int index) { m_pane->SetSelectedColour(index); }
void ListPaneForEditor::SetSelectedPattern(int index) { m_pane->SetSelectedPattern(index); }
void ListPaneForEditor::SetSelectedFont(int index) { m_pane->SetSelectedFont(index); }
CPrimitive *ListPaneForEditor::Selected() const { return m_pane->SelectedPrimitive(); }
int ListPaneForEditor::MarkedCount() const { return m_pane->MarkedCount(); }

bool ListPaneForEditor::PropertiesPinned() const { return CPropertiesDlg::IsPinned(); }

QDialog *ListPaneForEditor::OpenProperties(CPrimitive &primitive, QWidget *parent)
{
    return primitive.OpenProperties(parent);
}

QDialog *ListPaneForEditor::OpenPlaceholder(int placeholderCase, QWidget *parent)
{
    auto *dialog = new CPropertiesDlg(parent, nullptr, IDD_PROPERTIES);
    dialog->SetCase(placeholderCase);
    return dialog;
}

bool ListPaneForEditor::SetPlaceholderCase(QDialog *window, int placeholderCase)
{
    auto *dialog = dynamic_cast<CPropertiesDlg *>(window);
    if (!dialog || dialog->Primitive() || dialog->IsDestroyed())
        return false;
    dialog->SetCase(placeholderCase);
    return true;
}

CPrimitive *ListPaneForEditor::PropertiesOwner(QDialog *window) const
{
    auto *dialog = dynamic_cast<CPropertiesDlg *>(window);
    return dialog ? dialog->Primitive() : nullptr;
}

void ListPaneForEditor::DestroyPropertyWindow(QDialog *window)
{
    // A dialog applies its values, then posts that it closed; the editor deletes it then.
    if (auto *dialog = dynamic_cast<CPropertiesDlg *>(window))
        dialog->DestroyWindow();
    else
        delete window;
}

#pragma once
// The image editor's hold on its primitive list pane: the pane's own
// operations and the property dialogs under the editor's link. Owns the
// pane window (a child of the editor's splitter), which goes first when the
// editor goes, while the canvas its primitives draw on still exists.

#include "CPrimitiveListPane.h"
#include "ImageEditorPaneLink.h"

#include <QPointer>

class CCanvas;
class ListPaneEditorLink;

class ListPaneForEditor final : public ImageEditorPaneLink {
public:
    ListPaneForEditor(ListPaneEditorLink &editor, CCanvas &canvas);
    ~ListPaneForEditor() override;

    CPrimitiveListPane *Pane() const { return m_pane; }

    void DrawAll(QPainter &painter, const QRect &update) override;
    void SelectAtPoint(const QPoint &client, bool ctrl) override;
    void MarkInRect(const QRect &client) override;
    void NudgeSelected(int dx, int dy) override;
    bool SnapToPrimitives(QPoint &image) override;
    void ScaleAll(double sx, double sy) override;
    void HoldModifyUndo(const CPrimitive &primitive) override;
    bool InsertPrimitive(CPrimitive &primitive) override;

    QWidget *Widget() override;
    void SetStatusBar(QStatusBar *statusBar) override;
    void InsertCopies(const std::vector<std::unique_ptr<CPrimitive>> &primitives) override;
    std::vector<std::unique_ptr<CPrimitive>> CopyTopLevel() const override;
    bool IsModified() const override;
    void ClearModified() override;
    void CreatePrimitive(int typeCode, bool append) override;
    void GroupMarked() override;
    void Ungroup() override;
    void MoveToFrontOrBack(bool front) override;
    void CutCopyDelete(int mode) override;
    void Paste() override;
    bool CanPaste() const override;
    void UndoLast() override;
    bool IsUndoEmpty() const override;
    void SetSelectedColour(int index) override;
    void SetSelectedPattern(int index) override;
    void SetSelectedFont(int index) override;
    CPrimitive *Selected() const override;
    int MarkedCount() const override;

    bool PropertiesPinned() const override;
    QDialog *OpenProperties(CPrimitive &primitive, QWidget *parent) override;
    QDialog *OpenPlaceholder(int placeholderCase, QWidget *parent) override;
    bool SetPlaceholderCase(QDialog *window, int placeholderCase) override;
    CPrimitive *PropertiesOwner(QDialog *window) const override;
    void DestroyPropertyWindow(QDialog *window) override;

private:
    QPointer<CPrimitiveListPane> m_pane;
};

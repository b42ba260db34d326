#pragma once
// A double of the primitive list pane for image editor tests: it holds the
// top-level primitives in drawing order, records what the editor asks of
// it, and hands out plain dialogs as property windows.

#include "CImageEditor.h"
#include "CPrimitive.h"
#include "ImageEditorPaneLink.h"

#include <QDialog>
#include <QLabel>
#include <QPointer>

#include <map>
#include <memory>
#include <vector>

namespace imagetest {

// A property window the editor can name by handle.
class DialogDouble : public QDialog, public Handled {
public:
    using QDialog::QDialog;
};

class EditorPaneDouble : public ImageEditorPaneLink {
public:
    EditorPaneDouble(CImageEditor &editor, CCanvas &canvas) : editor(editor), canvas(canvas) {}
    ~EditorPaneDouble() override { delete widget; }

    // --- CanvasListLink ----------------------------------------------------------------
    void DrawAll(QPainter &painter, const QRect &update) override
    {
        for (const auto &primitive : primitives)
            primitive->Draw(painter, update);
    }
    void SelectAtPoint(const QPoint &, bool) override {}
    void MarkInRect(const QRect &) override {}
    void NudgeSelected(int, int) override {}
    bool SnapToPrimitives(QPoint &) override { return false; }
    void ScaleAll(double sx, double sy) override
    {
        scaled.push_back({sx, sy});
        for (const auto &primitive : primitives)
            primitive->Scale(sx, sy);
    }
    void HoldModifyUndo(const CPrimitive &) override {}

    // --- ImageEditorPaneLink -----------------------------------------------------------
    QWidget *Widget() override { return widget; }
    void SetStatusBar(QStatusBar *bar) override { statusBar = bar; }
    void InsertCopies(const std::vector<std::unique_ptr<CPrimitive>> &copies) override
    {
        for (const auto &primitive : copies)
            Add(std::unique_ptr<CPrimitive>(primitive->Clone()));
    }
    std::vector<std::unique_ptr<CPrimitive>> CopyTopLevel() const override
    {
        std::vector<std::unique_ptr<CPrimitive>> copies;
        for (const auto &primitive : primitives)
            copies.emplace_back(primitive->Clone());
        return copies;
    }
    bool IsModified() const override { return modified; }
    void ClearModified() override { modified = false; }
    void CreatePrimitive(int typeCode, bool append) override { created.push_back({typeCode, append}); }
    void GroupMarked() override { ++groups; }
    void Ungroup() override { ++ungroups; }
    void MoveToFrontOrBack(bool front) override { moves.push_back(front); }
    void CutCopyDelete(int mode) override { modes.push_back(mode); }
    void Paste() override { ++pastes; }
    bool CanPaste() const override { return clipboardFull; }
    void UndoLast() override
    {
        ++undos;
        undoHeld = false;
    }
    bool IsUndoEmpty() const override { return !undoHeld; }
    void SetSelectedColour(int index) override { colours.push_back(index); }
    void SetSelectedPattern(int index) override { patterns.push_back(index); }
    void SetSelectedFont(int index) override { fonts.push_back(index); }
    CPrimitive *Selected() const override { return selected; }
    int MarkedCount() const override { return marked; }

    bool PropertiesPinned() const override { return pinned; }
    QDialog *OpenProperties(CPrimitive &primitive, QWidget *parent) override
    {
        if (!withDialogs)
            return nullptr;
        auto *dialog = new DialogDouble(parent);
        dialog->setObjectName(QStringLiteral("properties"));
        owners[dialog] = &primitive;
        return dialog;
    }
    QDialog *OpenPlaceholder(int placeholderCase, QWidget *parent) override
    {
        auto *dialog = new DialogDouble(parent);
        dialog->setObjectName(QStringLiteral("placeholder"));
        dialog->setProperty("case", placeholderCase);
        return dialog;
    }
    bool SetPlaceholderCase(QDialog *window, int placeholderCase) override
    {
        if (window->objectName() != QStringLiteral("placeholder"))
            return false;
        window->setProperty("case", placeholderCase);
        return true;
    }
    void DestroyPropertyWindow(QDialog *window) override
    {
        ++destroyedWindows;
        delete window;
    }
    CPrimitive *PropertiesOwner(QDialog *window) const override
    {
        const auto it = owners.find(window);
        return it == owners.end() ? nullptr : it->second;
    }

    // --- The test's side ---------------------------------------------------------------
    CPrimitive &Add(std::unique_ptr<CPrimitive> primitive)
    {
        primitive->SetCanvas(&canvas);
        primitive->SetListPane(this);
        primitives.push_back(std::move(primitive));
        return *primitives.back();
    }
    // The pane's selection as the real pane reports it.
    void Select(CPrimitive *primitive, int markedCount)
    {
        selected = primitive;
        marked = markedCount;
        editor.OnSelectionChanged(primitive, markedCount);
    }

    struct Created {
        int type;
        bool append;
    };
    CImageEditor &editor;
    CCanvas &canvas;
    QPointer<QLabel> widget = new QLabel(QStringLiteral("tree"));
    QStatusBar *statusBar = nullptr;
    std::vector<std::unique_ptr<CPrimitive>> primitives;
    std::vector<Created> created;
    std::vector<std::pair<double, double>> scaled;
    std::vector<bool> moves;
    std::vector<int> modes, colours, patterns, fonts;
    std::map<const QDialog *, CPrimitive *> owners;
    int groups = 0, ungroups = 0, pastes = 0, undos = 0, destroyedWindows = 0;
    bool modified = false;
    bool undoHeld = false;
    bool clipboardFull = false;
    bool pinned = true;
    bool withDialogs = true;
    CPrimitive *selected = nullptr;
    int marked = 0;
};

} // namespace imagetest

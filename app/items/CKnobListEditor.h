#pragma once
// The knob list editor: a top-level window per open knob list, its entries
// on the left and the chosen generator's names on the right, with the
// generator choice along the top. It edits its own rows and writes them
// back into the knob list when the item is stored.

#include "ResourceIds.h"

#include "CommandRouter.h"
#include "EditorPlacement.h"
#include "NameKinds.h"

#include <QMainWindow>
#include <QStringList>

class CEditorDialogBar;
class CKnobList;
class CKnobListView;
class CNameSelectionView;
class QSplitter;

class CKnobListEditor : public QMainWindow {
public:
    // Shows the list's entries; the window deletes itself when it closes.
    explicit CKnobListEditor(CKnobList &item);
    // Tells the item its editor has gone and keeps its size.
    ~CKnobListEditor() override;

    CKnobList &Item() const { return m_item; }
    CommandRouter &Router() { return m_router; }
    CKnobListView *EntryView() const { return m_entries; }
    CNameSelectionView *NameView() const { return m_names; }
    CEditorDialogBar *DialogBar() const { return m_bar; }
    QSplitter *Splitter() const { return m_splitter; }

    bool IsModified() const { return m_modified; }
    void SetModified(bool modified = true);
    // The rows' names go back into the item, each to its record's position.
    void WriteBack();
    // The rows anew from the item's entries (after it was recalled again).
    void Rebuild();
    void UpdateTitle();
    void OnGeneratorsChanged(int hint);
    void UpdateCommands();
    // The kind of a name in the chosen generator, asked once per choice.
    int KindOf(const QString &name) { return m_kinds.KindOf(name); }

    bool ShowsFormats() const { return m_show[1]; }
    bool ShowsImages() const { return m_show[2]; }
    bool ShowsSequences() const { return m_show[3]; }

    void OnNewName();
    void OnCut();
    void OnCopy();
    void OnPaste();
    void OnDelete();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void BuildCommands();
    void BuildMenus();
    void BuildBars();
    void OnGeneratorChosen();
    void ToggleKind(int kind);

    CKnobList &m_item;
    CommandRouter m_router;
    NameKinds m_kinds;
    CEditorDialogBar *m_bar = nullptr;
    QSplitter *m_splitter = nullptr;
    CKnobListView *m_entries = nullptr;
    CNameSelectionView *m_names = nullptr;
    bool m_show[4] = {false, true, true, true}; // by kind: formats, images, sequences
    bool m_modified = false;
    EditorPlacement m_placement;
};

// The name clipboard every knob list editor shares.
const QStringList &KnobNameClipboard();
void SetKnobNameClipboard(const QStringList &names);

#pragma once
// The knob list editor: a top-level window per open knob list, its entries
// on the left and the chosen generator's names on the right, with the
// generator choice along the top. It edits its own rows and writes them
// back into the knob list when the item is stored.

#include "CEditorFrame.h"
#include "CKnobListView.h"
#include "NameKinds.h"
#include "ResourceIds.h"

#include <QStringList>

class CKnobList;
class CNameSelectionView;

class CKnobListEditor : public CEditorFrame, public KnobEntriesEditorLink {
public:
    // Shows the list's entries.
    explicit CKnobListEditor(CKnobList &item);

    CKnobList &Item() const { return m_item; }
    CKnobListView *EntryView() const { return m_entries; }
    CNameSelectionView *NameView() const { return m_names; }

    // The rows' names go back into the item, each to its record's position.
    void WriteBack() override;
    // The rows anew from the item's entries (after it was recalled again).
    void Rebuild();
    void ItemReloaded() override { Rebuild(); }

    // --- KnobEntriesEditorLink ------------------------------------------------------
    void SetModified(bool modified = true) override { CEditorFrame::SetModified(modified); }
    void OnSelectionChanged() override { UpdateCommands(); }
    // The kind of a name in the chosen generator, asked once per choice.
    int KindOf(const QString &name) override { return m_kinds.KindOf(name); }

    bool ShowsFormats() const { return m_show[1]; }
    bool ShowsImages() const { return m_show[2]; }
    bool ShowsSequences() const { return m_show[3]; }

    void OnNewName();
    void OnCut();
    void OnCopy();
    void OnPaste();
    void OnDelete();

protected:
    // "name", in double quotes.
    QString TitleName() const override;

private:
    void BuildCommands();
    void OnGeneratorChosen();
    void ToggleKind(int kind);

    CKnobList &m_item;
    NameKinds m_kinds;
    CKnobListView *m_entries = nullptr;
    CNameSelectionView *m_names = nullptr;
    bool m_show[4] = {false, true, true, true}; // by kind: formats, images, sequences
};

// The name clipboard every knob list editor shares.
const QStringList &KnobNameClipboard();
void SetKnobNameClipboard(const QStringList &names);

#pragma once
// The left-hand pane of the knob list editor: the list's entries in knob
// order (list 114), each with the icon of its kind. A click on the header
// sorts the rows for display only; names come in by drops of text, the
// editor's commands and the name pane, and go out by text drags.

#include "CKnobListDropTarget.h"
#include "CKnobListEntry.h"
#include "CReportListCtrl.h"
#include "ResourceIds.h"

#include <QStringList>
#include <QTreeWidget>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

// What the entry list needs of its editor; the knob list editor implements it.
class KnobEntriesEditorLink {
public:
    virtual ~KnobEntriesEditorLink() = default;
    // The entries changed: the editor is modified.
    virtual void SetModified(bool modified = true) = 0;
    // The selection changed: the commands' rules anew.
    virtual void OnSelectionChanged() = 0;
    // The kind of a name in the chosen generator.
    virtual int KindOf(const QString &name) = 0;
};

class CKnobListView : public QWidget, public NameDropPane {
public:
    CKnobListView(KnobEntriesEditorLink *editor, QWidget *parent);
    ~CKnobListView() override;

    CReportListCtrl *List() const { return m_list; }
    CKnobListDropTarget *DropTarget() const { return m_dropTarget.get(); }
    KnobEntriesEditorLink *Editor() const { return m_editor; }

    // Rows for the item's entries: record i is entry i.
    void Fill(const QStringList &entries);
    int RowCount() const;
    QString NameAt(int row) const;
    int KindAt(int row) const;
    CKnobListEntry RecordAt(int row) const;
    QStringList RowNames() const; // in row order
    QStringList SelectedNames() const;
    bool HasSelection() const { return !SelectedNames().isEmpty(); }

    // Names from text (separated by CR, LF or CR LF) at row, each after the
    // one before, or appended. False when the text holds something that is
    // no name (the names before it are in). A name of a kind the rows do not
    // mix with ends it with the warning box; allTaken says whether every
    // name went in.
    bool InsertNames(const QString &text, int row, bool append, bool *allTaken = nullptr) override;
    // Appended without the kind rule (New Name, Paste, the name pane).
    void AppendNames(const QStringList &names);
    void RemoveSelectedRows();
    // Writes every row's position into its record.
    void Renumber();
    // The kind icons anew, after the generator choice changed.
    void RefreshKinds();
    // The header's click: sorts the rows by name, up then down, alternately.
    void SortRows();
    bool SortDescending() const { return m_sortDescending; }

    void OnBeginDrag();
    int DropRow() const { return m_dropRow; }
    // --- NameDropPane
    QTreeWidget *DropList() const override { return m_list; }
    void SetDropRow(int row) override;

private:
    class EntryDelegate;

    QTreeWidgetItem *MakeRow(const QString &name, int index);

    KnobEntriesEditorLink *m_editor;
    CReportListCtrl *m_list = nullptr;
    std::unique_ptr<CKnobListDropTarget> m_dropTarget;
    bool m_sortDescending = true; // the first click sorts up
    int m_dropRow = -1;
};

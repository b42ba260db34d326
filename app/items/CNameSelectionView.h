#pragma once
// The right-hand pane of the knob list editor: the format, image and
// sequence names the chosen generator holds (list 113, "Name" and "Type"),
// each kind shown or hidden by its toolbar button. A double-click adds a
// name to the list; a drag takes the selected names, of one kind only.

#include "CReportListCtrl.h"
#include "ResourceIds.h"

#include <QStringList>
#include <QTreeWidget>
#include <QWidget>

#include <functional>

class CGenerator;
class CKnobListView;

class CNameSelectionView : public QWidget {
public:
    // The kinds of the rows, also their pictures and "Type" texts.
    enum Kind : int { kFormats = 1, kImages = 2, kSequences = 3 };

    // A double-click appends the row's name to entries.
    CNameSelectionView(CKnobListView *entries, QWidget *parent);

    CReportListCtrl *List() const { return m_list; }

    // The names of every shown kind of generator, formats first.
    void Fill(CGenerator &generator, bool formats, bool images, bool sequences);
    // Appends the kind's names, or takes its rows out.
    void ShowKind(int kind, bool show);
    // A header's click: that column sorts, up then down, alternately.
    void SortBy(int column);

    int RowCount() const;
    QString NameAt(int row) const;
    int KindAt(int row) const; // 1 format, 2 image, 3 sequence
    QStringList SelectedNames() const;

    void OnBeginDrag();

private:
    void AddRows(int kind);
    const QStringList &NamesOf(int kind) const;

    CKnobListView *m_entries;
    CReportListCtrl *m_list = nullptr;
    CGenerator *m_generator = nullptr;
    int m_sortColumn = -1;
    bool m_sortDescending = true; // the first click sorts up
};

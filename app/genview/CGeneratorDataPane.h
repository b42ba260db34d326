#pragma once
// The right-hand pane of a generator view: what the generator holds. Six
// name lists (formats, images, sequences, knob lists, fonts, icons) filled
// by a scan, and the detailed format list filled on request; which commands
// the selection allows; using a selected item; sorting the detailed list.
// The transfers of the items (send, recall, copy, rename, delete, drag and
// drop) live in CGeneratorDataPaneTransfers.cpp.

#include "ResourceIds.h"

#include "CFormatListEntry.h"
#include "CGeneratorSendDropTarget.h"
#include "DataPaneKinds.h"

#include <QList>
#include <QString>
#include <QWidget>

#include <functional> // the transfers' copy operations

class CGenData;
class CGenerator;
class CGeneratorNameList;
class CGeneratorPaneDropTarget;
class CGeneratorView;
class GeneratorViewHost;
class GeneratorViewPaneLink;
class CProgressDlg;
class CScanDlg;
class QByteArray;
class QListWidget;
class QListWidgetItem;
class QTreeWidget;
class QTreeWidgetItem;

// The lists, kinds and icons are those of DataPaneKinds.
class CGeneratorDataPane : public QWidget, public DataPaneKinds, public GeneratorDropPane {
public:
    // Control ids: the detailed list, then the six name lists in list order.

    // One selected row, as the transfers read it.
    struct SelectedItem {
        int kind;     // the row's kind code (12 for a row of the detailed list)
        QString name;
        bool user;    // the generator reports it as user data
        int row;      // the row in its list
    };

    explicit CGeneratorDataPane(QWidget *parent = nullptr);
    ~CGeneratorDataPane() override;

    // Set by the view right after it made the pane.
    void SetView(GeneratorViewPaneLink *view, CGenerator *generator);
    CGeneratorView *GetView() const;
    CGenerator *GetGenerator() const { return m_generator; }

    // --- Scan --------------------------------------------------------------
    // Fills the six name lists from the generator and reads its state; 1
    // when the generator was scanned.
    int ScanGenerator();
    bool IsScanned() const { return m_scanned; }
    bool FontsScanned() const { return m_fontsSupported; }
    bool IconsScanned() const { return m_iconsSupported; }
    // 1 formats only, 2 images only, 3 sequences only, -1 anything else,
    // 0 when the generator does not hold the knob list.
    int CheckKnobList(const QString &name);
    // The row kind of a knob list: 12, 13, 14 by CheckKnobList, else 15
    // (also when the check failed, so the row is never kind 0).
    int ClassifyKnobList(const QString &name);

    // --- Lists -------------------------------------------------------------
    void ShowList(int list);
    int CurrentList() const { return m_currentList; }
    bool IsDetailedMode() const { return m_currentList == kDetailed; }
    bool IsDetailedListFilled() const { return m_detailedListFilled; }
    int CurrentListRowCount() const;
    void EnableLists(bool enable);
    QListWidget *NameList(int list) const;
    QTreeWidget *DetailedList() const { return m_detailedList; }
    // The type text of a list in questions ("Format", ... "Icon"); empty
    // for any other list.
    static QString TypeText(int list);

    // Rows of the name lists; the lists stay sorted by name. AddItem makes
    // the row's record by its kind and asks the generator whether the item
    // is user data. A knob list, kind 10, takes knobClass (12 to 15, as
    // ClassifyKnobList gives it) as its kind; any other class makes it 15.
    void AddItem(const QString &name, int list, int kind, int knobClass);
    // The row of that name (without regard to case), or -1.
    int FindRow(int list, const QString &name) const;
    const CGeneratorItemState *ItemState(int list, int row) const;
    QString RowName(int list, int row) const;
    // Removes the row and its record; false when there is no such row.
    bool RemoveRow(int list, int row);
    bool RemoveItem(int list, const QString &name);
    // Gives a row its new name and moves it to its sorted place.
    bool RenameItem(int list, const QString &oldName, const QString &newName);
    void ClearList(int list);

    // --- Selection -----------------------------------------------------------
    // The selected rows of the current list (name list or detailed list),
    // from the first row down.
    QList<SelectedItem> SelectedItems() const;
    int SelectedCount() const;
    // Writes what the selection allows into the view's flags.
    void UpdateSelectionState();
    void SelectAll();
    // Clears the current list's selection and selects the given row.
    void SelectRow(int list, int row);

    // --- Use -----------------------------------------------------------------
    void UseSelected();
    void OnDblclkList();
    void UseFormatRow(int row);
    void UseFormat(const QString &name);
    void UseImageRow(int row);
    void UseSequenceRow(int row);
    void UseFontRow(int row);
    void UseDetailedSelection();

    // --- Detailed format list -------------------------------------------------
    void ScanFormats();
    void ScanFormatDetails();
    // After a reconnect: the lists and the filled detailed list read again,
    // whatever failed to read while the link was down.
    void ReadAgain();
    // The row of one format read again from the generator (after a send),
    // when the detailed list has been filled.
    void RefreshFormatListEntry(const QString &name);
    void FreeFormatListEntries();
    // Adds a row for an entry, or rows for entries in one insert.
    void AddFormatListEntry(const CFormatListEntry &entry);
    void AddFormatListEntries(const QList<CFormatListEntry> &entries);
    const CFormatListEntry *FormatListEntry(int row) const;
    int FormatListRowCount() const;
    // Every entry of the detailed list, in display order.
    QList<CFormatListEntry> FormatListEntries() const;
    void OnColumnClickFormatList(int column);
    // Whether the scan of count formats shows its percentage at position:
    // every tenth of the list, and only at the first row of a shorter list.
    static bool ShowsScanPercentage(int position, int count);
    int SortColumn() const { return m_sortColumn; }
    bool SortDirection() const { return m_sortDirection; }

    // --- Format-list files (CGeneratorDataPaneFormatList.cpp) ---
    // Writes the detailed list to a .fls file the user picks.
    void SaveFormatList();
    // Replaces the detailed list by the rows of a .fls file, each marked by
    // whether this generator holds it (3 user, 4 built-in, 15 not held),
    // and shows it. A file that is not whole, or a generator that stops
    // answering before every row is marked, changes nothing.
    void LoadFormatList();
    // The icon of a format by what this generator holds under its name;
    // false, icon untouched, when the generator did not answer.
    bool HeldFormatIcon(const QString &name, int &icon);

    // --- Drag state -----------------------------------------------------------
    bool IsDragging() const { return m_dragging; }
    void SetDragging(bool dragging) { m_dragging = dragging; }

    // --- Transfers (CGeneratorDataPaneTransfers.cpp) ---
    // Stores one data item in the generator, asking before it replaces an
    // item of that name; false stops the caller's send loop.
    bool SendItem(CGenData *item, CProgressDlg *progress);
    bool SelectionRecallable() const;
    // Reads the selected items into new data-list rows; an item whose
    // recall failed leaves no row.
    void RecallSelected();
    void RecallItem(const QString &name, const QString &typeText, int kind);
    // Recalls the selected items into new data-list rows under incremented
    // names and returns exactly those items (none when nothing was copied).
    QList<CGenData *> CopySelected();
    CGenData *CopyItem(const QString &typeText, const QString &name, int kind);
    // The name of a copy: RED gives RED_1, RED_1 gives RED_2; false (after
    // saying why) when the name cannot be incremented.
    static bool IncrementCopyName(QString &name);
    void DeleteSelected();
    void RenameSelected();
    // A drag starts on the selected rows of a name list.
    void OnBeginDrag();

    // --- GeneratorDropPane
    QWidget *DropWidget() override { return this; }
    bool IsViewBusy() const override;
    bool MayTakeBlock() const override;
    // A drop of another pane's generator item drag block: copies its items
    // from that pane's generator to this one.
    bool CopyFromGenerator(const QByteArray &block) override;
    // False stops the copy; an item skipped or not copied is true but gets no row.
    bool CopyItemFromGenerator(const QString &name, int listNumber, CGenerator *source, CProgressDlg *progress);
    // A drop from the data list: its selection goes to this generator
    // without the offer to save.
    void SendDataListSelection() override;
    // Made by the view once it has its host.
    void RegisterDropTarget(GeneratorViewHost *host);
    CGeneratorPaneDropTarget *DropTarget() const { return m_dropTarget; }

    // How a kind of stored item (12 format, 13 image, 14 sequence, 10 knob
    // list) is copied from one generator to another; true when the target
    // stored it. Formats are built in; the other kinds join as they land.
    using CopyOperation = std::function<bool(const QString &name, CGenerator *source, CGenerator *target,
                                             CProgressDlg *progress)>;
    static void SetCopyOperation(int kind, CopyOperation operation);

private:
    bool StoreItem(CGenData *item, CProgressDlg *progress, bool askOverwrite);
    bool IsKnobListMode() const;
    GeneratorViewHost *Host() const;
    QString GeneratorText(GeneratorViewPaneLink *view) const;
    // Drops an item this pane put into the data list whose recall failed.
    void DiscardNewItem(CGenData *item);
    bool RecallInto(CGenData *item, const QString &name, CProgressDlg *progress);
    bool FinishCopy(CGenData *item, const QString &name, const QString &copyName, CProgressDlg *progress);
    bool RefuseUncopyable(const QList<int> &listNumbers);
    bool DeleteInGenerator(const SelectedItem &item);
    void RenameOne(const SelectedItem &row);

    CGeneratorPaneDropTarget *m_dropTarget = nullptr; // a child object of the pane
public:
    // --- end Transfers ---

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void CreateLists();
    void CreateDetailedList();
    void OnRightClick(QListWidget *list, const QPoint &pos);
    void FillList(const QStringList &names, int kind, CScanDlg *dialog, int line);
    void RestoreSequence();
    CGeneratorItemState MakeItemState(const QString &name, int kind, int knobClass);
    int SortedRow(int list, const QString &name) const;
    void SetRowItem(QListWidgetItem *item, const QString &name, const CGeneratorItemState &state);
    void SortFormatList();
    bool AskScanFormats();
    static CFormatListEntry ReadFormatListEntry(CGenerator &generator, const QString &name);

    GeneratorViewPaneLink *m_view = nullptr;
    CGenerator *m_generator = nullptr;
    CGeneratorNameList *m_lists[kNameLists] = {};
    QTreeWidget *m_detailedList = nullptr;
    int m_currentList = kFormats;
    bool m_dragging = false;
    bool m_scanned = false;
    bool m_fontsSupported = false;
    bool m_iconsSupported = false;
    bool m_detailedListFilled = false;
    bool m_sortDirection = false;
    int m_sortColumn = 0;
};

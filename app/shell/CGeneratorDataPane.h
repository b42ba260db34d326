#pragma once
// The right-hand pane of a generator view: what the generator holds (its
// formats, images, sequences, knob lists, fonts and icons) and the
// transfers of those items. This is the part the view relies on; the lists,
// the scan of the names and the transfers are the pane's own work and come
// with it.

#include <QWidget>

class CGenData;
class CGenerator;
class CGeneratorView;
class CProgressDlg;

class CGeneratorDataPane : public QWidget {
public:
    // The lists the pane shows: 0 formats, 1 images, 2 sequences, 3 knob
    // lists, 4 fonts, 5 icons, 7 the detailed format list.
    enum : int { kFormats = 0, kImages, kSequences, kKnobLists, kFonts, kIcons, kDetailed = 7 };

    explicit CGeneratorDataPane(QWidget *parent = nullptr);

    // Set by the view right after it made the pane.
    void SetView(CGeneratorView *view, CGenerator *generator);

    // Reads what the generator is doing into the view's state and shows it;
    // 1 when the generator was scanned.
    int ScanGenerator();
    bool IsScanned() const { return m_scanned; }
    bool IsDragging() const { return m_dragging; }

    void ShowList(int list);
    int CurrentList() const { return m_currentList; }
    bool IsDetailedMode() const { return m_currentList == kDetailed; }
    bool IsDetailedListFilled() const { return m_detailedListFilled; }
    int CurrentListRowCount() const { return 0; }
    void EnableLists(bool enable);

    // Writes what the selection allows into the view's flags.
    void UpdateSelectionState();
    bool SelectionRecallable() const { return false; }

    // The view's commands on the selection. Copy returns whether it made
    // new data-list rows: only then are there copies to pass on.
    void SelectAll() {}
    void UseSelected() {}
    void OnDblclkList() {}
    void RecallSelected() {}
    bool CopySelected() { return false; }
    void RenameSelected() {}
    void DeleteSelected() {}
    void ScanFormats() {}
    void LoadFormatList() {}
    void SaveFormatList() {}
    void SaveFormatListAsText() {}
    void PrintFormatList() {}

    // Stores one data item in the generator; false stops the caller's send loop.
    bool SendItem(CGenData *item, CProgressDlg *progress);

private:
    CGeneratorView *m_view = nullptr;
    CGenerator *m_generator = nullptr;
    int m_currentList = kFormats;
    bool m_scanned = false;
    bool m_dragging = false;
    bool m_detailedListFilled = false;
};

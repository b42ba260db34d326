#pragma once
// The upper pane of the main window: one row per data item the user holds
// on the PC (name, file, kind icon, a mark for modified or editor open).
// Each row owns its item. The file side (open, save, imports, command
// files) is in CDataListViewFiles.cpp.

#include "ResourceIds.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class CArchive;
class CDataListDropTarget;
class CGenData;
class CGeneratorDataPane;
class CGeneratorView;
class ShellWindow;
class CProgressDlg;
class QIODevice;
class QTreeWidget;
class QTreeWidgetItem;

class CDataListView : public QWidget {
public:
    // Results of a command file's classification and import.
    enum CmdFileCode : int {
        kCmdNothing = 0, kCmdFormat = 1, kCmdImage = 2, kCmdSequence = 3,
        kCmdFormatFailed = -1, kCmdImageFailed = -2, kCmdSequenceFailed = -3,
        kCmdMultiple = -4, kCmdBadFormat = -5, kCmdBadImage = -6, kCmdBadSequence = -7,
    };
    static constexpr int kMaxCmdLines = 5000;
    // Longer lines make a file no command file (a command is below 256).
    static constexpr int kMaxCmdLineLength = 4096;

    explicit CDataListView(QWidget *parent = nullptr);
    ~CDataListView() override;

    // The main window, also for the list's drop target.
    void SetShellWindow(ShellWindow *mainWindow);
    CDataListDropTarget *DropTarget() const { return m_dropTarget; }

    // --- Rows and items ---------------------------------------------------
    void OnFileNew();
    // An empty item of the kind of icon in a new, selected, modified row; nullptr for an unknown kind.
    CGenData *NewItem(int icon);
    void DeselectAll();
    bool AllSelectedAreFormats() const;
    void EditSelected();
    void RefreshItem(CGenData *item);
    void EditorClosed(CGenData *item);
    void DeleteSelected(bool ask);
    bool SendSelectedTo(CGeneratorView *destination, bool askSave, CProgressDlg *progress);
    // A drop of a generator pane's rows: the pane recalls them into new rows.
    void RecallFromPane(CGeneratorDataPane *pane);
    // Exactly these items are selected, or deleted with their rows without
    // asking; items that have no row are passed over.
    void SelectItems(const QList<CGenData *> &items);
    void DeleteItems(const QList<CGenData *> &items);
    int IsDragging() const { return m_dragging; }
    void NotifyEditors(int hint);
    void OnBeginDrag();
    // Deletes every item and row (shut-down: nothing is offered for saving).
    void DeleteAll();

    int GetRowCount() const;
    CGenData *GetRowItem(int row) const;
    QString GetRowText(int row, int column) const;
    int GetRowIcon(int row) const;
    int GetRowMark(int row) const; // 0 none, 6 modified, 7 editor open
    bool IsRowSelected(int row) const;
    void SelectRow(int row, bool selected);
    int GetSelectedCount() const;
    int FindRow(const CGenData *item) const;
    QTreeWidget *List() const { return m_list; }

    // --- Files ------------------------------------------------------------
    // True when the item was written to its file.
    bool FileSave(int row, bool saveAs, bool legacy);
    void SaveSelected();
    void SaveSelectedAs(bool legacy);
    bool SaveItem(CGenData *item, bool saveAs);
    bool FileOpen();
    bool OpenFile(const QString &path);
    void OnDropFiles(const QStringList &paths);
    void FileImportZot2();
    void ImportCmdFile();
    bool WriteCmdFile();

    // Reads the rest of a command file: element 0 empty, each line as
    // written (names keep their case; readers match mnemonics without case),
    // the empty value of the read that meets the end; at most kMaxCmdLines
    // appended (then the truncation message). False at a line longer than
    // kMaxCmdLineLength, with the lines before it.
    static bool ReadCmdFileLines(QIODevice &file, QStringList &lines);
    // The error codes of the line counts (-4..-7), else 0 (import). Mnemonics
    // count in any case.
    static int ClassifyCmdLines(const QStringList &lines);

private:
    QTreeWidgetItem *RowOf(const CGenData *item) const;
    // The row takes the item.
    QTreeWidgetItem *AppendRow(std::unique_ptr<CGenData> item, int icon, const QString &name, const QString &file);
    void SetMark(QTreeWidgetItem *row, int mark);
    QList<QTreeWidgetItem *> SelectedRows() const;
    void OnClickList();
    void OnBeginLabelEdit(QTreeWidgetItem *row);

    bool ImportLegacyFile(const QString &path); // false ends the whole import
    bool ImportOneCmdFile(const QString &path); // false ends the whole import
    int ImportCmdLines(QStringList &lines, QString &detail);
    // detail: why the item's parser failed, shown below the code's message.
    void ReportCmdFileError(int code, const QString &path, const QString &detail);

    QTreeWidget *m_list = nullptr;
    ShellWindow *m_mainWindow = nullptr;
    CDataListDropTarget *m_dropTarget; // a child object of the view
    int m_dragging = 0;
};

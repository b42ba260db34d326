#pragma once
// The Archive Extraction tool (dialog 262): a tree of the connected
// generators, each with its destination folder and the kinds of memory
// files to copy there, and "&Archive", which extracts every selected
// generator in tree order (CArchiveExtractionDlgExtract.cpp). A generator
// whose memory layout is unknown, or whose port carries no memory files,
// is locked with a line that says why.
//
// An extraction never leaves a half-written archive: the files go to a
// fresh staging folder inside the destination first, and only once all of
// them arrived are the old memory files there replaced.

#include "CToolWindow.h"

#include <QPointer>
#include <QString>

#include <memory>
#include <vector>

class CGenerator;
class CProgressDlg;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// One generator's choices; each of its rows finds it through its root row.
struct ExtractItem
{
    QPointer<CGeneratorView> view;
    bool selected = false;
    bool locked = false; // the generator cannot be chosen
    bool formats = true;
    bool images = true;
    bool sequences = true;
    bool knobs = true; // knob lists, or directory and path memory
    bool fonts = false;
    bool luts = false;
    bool bitmaps = false;
    bool aliases = false;
    bool firmware = false;
    bool allFormats = false; // "fmtsall.mem" instead of "format.mem"
    bool allFonts = false;   // "fontsall.mem" instead of "font.mem"
    QString folder;          // ends with the separator; empty: none chosen
    QTreeWidgetItem* root = nullptr;
};

class CArchiveExtractionDlg : public CToolWindow
{
public:
    // Row kinds, as the tree's pictures tell them.
    enum Picture {
        kFormatRow = 0,
        kComRow = 3,
        kCardRow = 4,
        kImageRow = 5,
        kSequenceRow = 6,
        kKnobRow = 7,
        kFolderRow = 8,
        kInfoRow = 9,
        kFontRow = 12,
        kLutRow = 13,
        kBitmapRow = 14,
        kAliasRow = 15,
        kFirmwareRow = 16,
        kUnknownRow = 17,
    };

    explicit CArchiveExtractionDlg(CMainWindow* owner);
    ~CArchiveExtractionDlg() override;

    void AddGenerator(CGeneratorView* view) override;
    void RemoveGenerator(CGeneratorView* view) override;
    void SetBusy(int busy) override;
    void SetRestorationLink(CToolWindow* restoration) override { m_restoration = restoration; }
    bool IsBusyOperating() const override { return m_operating; }

    // "&Archive".
    void OnArchive();
    // One generator's files into its folder; false when they did not all come.
    bool Extract(ExtractItem& item, CProgressDlg& progress);

    // A click and a double click on a row, as the tree's signals give them.
    void OnClick(QTreeWidgetItem* row);
    void OnDoubleClick(QTreeWidgetItem* row);

    QTreeWidget* Tree() const { return m_tree; }
    QPushButton* ArchiveButton() const { return m_archive; }
    const std::vector<std::unique_ptr<ExtractItem>>& Items() const { return m_items; }
    static int PictureOf(const QTreeWidgetItem* row);

private:
    ExtractItem* ItemOf(QTreeWidgetItem* row) const;
    QTreeWidgetItem* AddRow(QTreeWidgetItem* parent, const QString& text, int picture);
    QTreeWidgetItem* AddCheckRow(QTreeWidgetItem* parent, unsigned textId, int picture, bool checked);
    void UpdateArchive();
    // Why the item cannot be extracted now (its folder); empty: it can.
    bool CheckFolders(const std::vector<ExtractItem*>& chosen);
    bool ExtractOverCard(ExtractItem& item, CGenerator& generator, const QString& staging, CProgressDlg& progress);
    bool ExtractOverCom(ExtractItem& item, CGenerator& generator, const QString& staging, CProgressDlg& progress);
    bool PlaceFiles(const QString& staging, const QString& folder);
    void showEvent(QShowEvent* event) override;

    QTreeWidget* m_tree = nullptr;
    QPushButton* m_archive = nullptr;
    QPushButton* m_close = nullptr;
    std::vector<std::unique_ptr<ExtractItem>> m_items;
    QPointer<CToolWindow> m_restoration;
    bool m_operating = false;
};

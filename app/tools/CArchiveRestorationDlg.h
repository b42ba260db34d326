#pragma once
// The Archive Restoration tool (dialog 266): the memory files of a data
// folder with their integrity (CArchiveRestorationDlgScan.cpp), their
// conversion to a later revision into a second folder, and their restore
// into the selected compatible generators (CArchiveRestorationDlgRestore.cpp),
// with a log of all of it.

#include "CToolWindow.h"

#include <QPointer>
#include <QString>

class CGenerator;
class CProgressDlg;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class CArchiveRestorationDlg : public CToolWindow
{
public:
    explicit CArchiveRestorationDlg(CMainWindow* owner);
    ~CArchiveRestorationDlg() override;

    void AddGenerator(CGeneratorView* view) override;
    void RemoveGenerator(CGeneratorView* view) override;
    void SetBusy(int busy) override;
    void RescanIfFolder(const QString& folder) override;
    bool IsBusyOperating() const override { return m_operating; }

    // The data folder (ending with the separator) is scanned into the tree.
    void ScanFolder(const QString& folder);
    void OnConvert();
    void OnRestore();
    // One generator's checked files; false when one did not arrive whole.
    bool Restore(CGeneratorView* view, CProgressDlg& progress);
    void SetDestination(const QString& folder);
    void SetConvertTo(double revision);

    QTreeWidget* Tree() const { return m_tree; }
    QTreeWidget* Generators() const { return m_generators; }
    QListWidget* Log() const { return m_log; }
    QPushButton* RestoreButton() const { return m_restore; }
    QPushButton* ConvertButton() const { return m_convert; }
    bool IsR40() const { return m_r40; }
    double Revision() const { return m_revision; }
    // Whether a generator of firmware f may take the loaded data.
    bool IsCompatible(double firmware) const;

private:
    void AddLog(const QString& line);
    void ScanFile(QTreeWidgetItem* row, const QString& path);
    QStringList CheckedFiles() const;
    CGeneratorView* ViewOf(const QTreeWidgetItem* row) const;
    void UpdateGenerators();
    void UpdateButtons();
    void OnSelectionChanged();
    bool RestoreOverCard(CGenerator& generator, const QString& rowText, const QStringList& names,
                         CProgressDlg& progress);
    bool RestoreOverCom(CGenerator& generator, const QString& rowText, const QStringList& names,
                        CProgressDlg& progress);
    bool SumsStillHold(const QStringList& names);
    void showEvent(QShowEvent* event) override;

    QLineEdit* m_dataFolderEdit = nullptr;
    QLineEdit* m_destinationEdit = nullptr;
    QLineEdit* m_convertTo = nullptr;
    QTreeWidget* m_tree = nullptr;
    QTreeWidget* m_generators = nullptr;
    QListWidget* m_log = nullptr;
    QPushButton* m_dataBrowse = nullptr;
    QPushButton* m_destinationBrowse = nullptr;
    QPushButton* m_convert = nullptr;
    QPushButton* m_restore = nullptr;
    QPushButton* m_close = nullptr;

    bool m_loaded = false;
    bool m_r40 = false;
    double m_revision = 0;
    QString m_dataFolder;
    QString m_sameFolderLogged; // the destination that was logged as the data folder
    bool m_operating = false;
    bool m_busy = false;
};

#pragma once
// The Firmware Upgrade tool: the user picks a "Firmware.bin", the tool
// checks it by its layout, shows for each connected generator (and each
// card opened directly) whether it suits, and flashes the selected ones in
// turn. A flashed generator restarts, so the main window is asked to drop
// it. The main window reaches the tool as a CToolWindow; the tool reaches
// the main window only through GeneratorViewHost.

#include "CToolWindow.h"
#include "FirmwareFile.h"
#include "FirmwareRowState.h"
#include "PortType.h"

#include <QString>

class CGeneratorView;
class GeneratorViewHost;
class QLineEdit;
class QMenu;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class CFirmwareUpgradeDlg : public CToolWindow {
public:
    explicit CFirmwareUpgradeDlg(GeneratorViewHost *host);
    ~CFirmwareUpgradeDlg() override;

    void AddGenerator(CGeneratorView *view) override;
    void RemoveGenerator(CGeneratorView *view) override;
    void SetBusy(int busy) override;
    bool IsBusyOperating() const override { return m_operating; }

    // The buttons' and menu's handlers.
    void OnBrowse();
    void OnFlash();
    void OnDirectConnect();
    // The popup of the direct-connect button (built afresh each time).
    QMenu *BuildDirectMenu();
    void OnIsaDirect(int command);
    void OnPciDirect(int command);

    // What the chosen file holds; fileChosen false until a Browse succeeded.
    bool FileChosen() const { return m_fileChosen; }
    double FileVersion() const { return m_check.version; }
    QString FilePath() const { return m_path; }
    QTreeWidget *List() const { return m_list; }
    // The row's state picture number (FirmwareRowState).
    static int RowState(const QTreeWidgetItem *row);

protected:
    void showEvent(QShowEvent *event) override;

private:
    enum class RowKind { Generator, IsaDirect, PciDirect };
    void BuildControls();
    QTreeWidgetItem *AddRow(const QString &text, const QString &firmware, int image, RowKind kind);
    bool RowSelected(const QTreeWidgetItem *row) const;
    void EvaluateRows();
    void EvaluateRow(QTreeWidgetItem *row);
    void UpdateFlashButton();
    void AddDirectRow(RowKind kind, int number);
    // The accepted file copied into folder as "firmware.bin" and checked
    // again; false after the box that says why.
    bool PrepareCopy(const QString &folder);
    // One row's download; false ends the run. flashed counts the successes.
    bool FlashRow(QTreeWidgetItem *row, const QString &folder, class CProgressDlg &progress, int &flashed);

    GeneratorViewHost *m_host;
    QLineEdit *m_pathField = nullptr;
    QPushButton *m_browse = nullptr;
    QLineEdit *m_version = nullptr;
    QLineEdit *m_checksum = nullptr;
    QTreeWidget *m_list = nullptr;
    QPushButton *m_flash = nullptr;
    QPushButton *m_direct = nullptr;
    QPushButton *m_close = nullptr;
    bool m_fileChosen = false;
    FirmwareFileCheck m_check;
    QString m_path;
    qint64 m_size = 0;
    bool m_operating = false;
    bool m_sized = false;
};

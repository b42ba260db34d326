#pragma once
// The editor window of one format: four pages (Options, Timing, Worksheet 1,
// Worksheet 2) over a private working copy of the format's parameter set,
// with a menu for Save, Save As, Close, Print and Check. The working copy
// reaches the item only when the item is stored; the title shows the name,
// a mark while there are unsaved changes, and the file.
//
// The window has no parent and no OK or Cancel: closing asks whether to save
// the changes; a closed editor tells the item's owner (WM_EDITOR_CLOSED) and
// deletes itself, unless the item deletes it first.

#include "CFormat.h"
#include "CFormatPage.h"
#include "CommandRouter.h"
#include "ResourceIds.h"

#include <QWidget>

#include <functional>
#include <memory>

class CFormatOptions;
class CFormatTiming;
class CFormatWorksheet1;
class CFormatWorksheet2;
class CGeneralFormatData;
class CGenerator;
class QMenuBar;
class QTabWidget;

class CFormatEditor : public QWidget, public FormatEditorLink, public FormatSheetLink {
public:
    enum Page : int { kOptions, kTiming, kWorksheet1, kWorksheet2 };

    // What holds a generator while a check runs on it. A check runs only
    // when the gate gives a lease; the shell's gate refuses a generator a
    // tool is busy with (whyNot then says so) and keeps the generator from
    // being removed until the lease goes.
    class GeneratorLease {
    public:
        virtual ~GeneratorLease() = default;
    };
    using GeneratorGate = std::function<std::unique_ptr<GeneratorLease>(CGenerator &generator, QString &whyNot)>;
    static void SetGeneratorGate(GeneratorGate gate);

    // Prints the working copy (the format printout); set by the program.
    // Without it Print is offered but disabled.
    using Printer = std::function<void(CFormatEditor &editor)>;
    static void SetPrinter(Printer printer);

    // The editor of item, shown with the Timing page selected.
    explicit CFormatEditor(CFormat &item);
    ~CFormatEditor() override;

    // --- FormatEditorLink --------------------------------------------------
    QWidget *Window() const override;
    void WriteBack() override { Commit(); }
    bool HasUnsavedChanges() const override { return m_modified; }
    QString CurrentName() const override;
    void ItemRenamed() override;

    // The pages into the working copy, the copy into the item; unmarked.
    void Commit();
    // The pages into the working copy, not into the item (a check, a print).
    void CommitPages();
    // A commit for the printout: the item takes the working copy but stays
    // modified while the edits are not stored.
    void CommitForPrint();

    // --- FormatSheetLink ----------------------------------------------------
    void SetModified(bool retitleAlways) override;
    bool IsModified() const { return m_modified; }
    void UpdateTitle();
    QString TitleText() const;

    // The save question agreed and the window closed: the item's owner has
    // been told and the window goes.
    bool IsDestroyed() const { return m_destroyed; }

    // Commands, as the menu and the keys run them.
    void OnSave();
    void OnSaveAs();
    void OnClose();
    void OnCheck();

    CFormat &Item() const { return m_item; }
    CGeneralFormatData &WorkingCopy() const { return *m_copy; }
    CommandRouter &Router() { return m_router; }
    QTabWidget *Tabs() const { return m_tabs; }
    CFormatOptions *Options() const { return m_options; }
    CFormatTiming *Timing() const { return m_timing; }
    CFormatWorksheet1 *Worksheet1() const { return m_worksheet1; }
    CFormatWorksheet2 *Worksheet2() const { return m_worksheet2; }
    void ShowPage(Page page);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void BuildMenu(QMenuBar *bar);

    CFormat &m_item;
    std::unique_ptr<CGeneralFormatData> m_copy;
    CommandRouter m_router;
    bool m_modified = false;
    bool m_destroyed = false;
    QTabWidget *m_tabs = nullptr;
    CFormatOptions *m_options = nullptr;
    CFormatTiming *m_timing = nullptr;
    CFormatWorksheet1 *m_worksheet1 = nullptr;
    CFormatWorksheet2 *m_worksheet2 = nullptr;
};

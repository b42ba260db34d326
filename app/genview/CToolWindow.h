#pragma once
// What the main window needs of a generator tool window (archive
// extraction and restoration, firmware upgrade, image download): a modeless
// dialog on the desktop that lists the connected generators. Its Close only
// hides it; the main window is its only owner and deletes it.

#include <QDialog>

#include <functional>

class CGeneratorView;
class CMainWindow;

class CToolWindow : public QDialog {
public:
    CToolWindow() : QDialog(nullptr) {}

    virtual void AddGenerator(CGeneratorView *view) = 0;
    virtual void RemoveGenerator(CGeneratorView *view) = 0;
    // Some tool transfers to a generator (1) or is done (0). Tools that
    // transfer themselves disable their controls meanwhile.
    virtual void SetBusy(int busy) { (void)busy; }
    // The extraction tool refreshes the restoration tool's folder after an
    // extraction; nullptr clears the link. Other tools have no such link.
    virtual void SetRestorationLink(CToolWindow *restoration) { (void)restoration; }
    // The restoration tool scans its data folder again when it is folder.
    virtual void RescanIfFolder(const QString &folder) { (void)folder; }
    // True while the tool's own transfer runs (its progress dialog is up).
    // The main window does not delete a busy tool, even a hidden one.
    virtual bool IsBusyOperating() const { return false; }
};

// The four tools of the main window, in the order it reaps them.
enum class ToolSlot { Extraction = 0, Restoration = 1, Firmware = 2, ImageDownload = 3 };
inline constexpr int kToolSlotCount = 4;

// Makes a tool for its owner. A tool joins the program by registering its
// factory; a command whose tool has none is shown disabled.
using ToolFactory = std::function<CToolWindow *(CMainWindow *owner)>;
void RegisterToolFactory(ToolSlot slot, ToolFactory factory); // an empty one removes it
const ToolFactory &FindToolFactory(ToolSlot slot);

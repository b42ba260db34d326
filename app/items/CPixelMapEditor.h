#pragma once
// The pixel map editor: a top-level window per open pixel map, working on a
// copy of the map. The colour table's entries in a list at the left, the
// whole map at the top right, a zoomed grid at the bottom right where the
// left button paints pixels with the current entry. It changes the size
// and depth (Icon Definition), edits the colour table (LUT Editing),
// imports a Windows bitmap and writes the map as C++ source; the copy goes
// back into the map when the map is stored.

#include "CEditorFrame.h"
#include "LutEditHost.h"
#include "PixelMapData.h"

#include <QPointer>

class CLutEditDlg;
class CLutEditPane;
class CMapEditPane;
class CMapViewPane;
class CPixelMap;
class QSplitter;

class CPixelMapEditor : public CEditorFrame, public LutEditHost {
public:
    explicit CPixelMapEditor(CPixelMap &map);
    ~CPixelMapEditor() override;

    // --- ItemEditorLink -------------------------------------------------------------
    void WriteBack() override { ApplyToItem(); }
    // The map was recalled again: its copy anew, the edits gone.
    void ItemReloaded() override;

    // The copy goes into the map when it holds changes; false (the memory
    // box shown, the map as it was) when the memory cannot be had.
    bool ApplyToItem();

    // --- LutEditHost ----------------------------------------------------------------
    void SelectEntry(int index) override;
    void StepEntry(bool forward) override;
    void SetEntryColour(std::uint32_t colour) override;
    void ApplyLutSets(std::uint32_t mask) override;

    // The size and depth of the Icon Definition dialog; nothing when all stay.
    void OnDefinition();
    // A new size and depth (see PixelMapData::Resize); false, with the memory
    // box, when it cannot be had.
    bool Resize(int width, int height, int depth);
    // Shows the LUT Editing dialog anew, or destroys a visible one.
    void OnColorSelector();
    void SetZoom(int zoom);
    // The pixel takes the current entry.
    void PaintPixel(int x, int y);

    // ===== Bitmap import (CPixelMapEditorImport.cpp) =================================
    // Asks for a bitmap file and imports it.
    void OnImport();
    // The bitmap's size, depth, colour table and pixels become the map's,
    // with no set mask; false, with a box saying why and the map as it was,
    // when the file is no bitmap the map can take or cannot be read whole.
    bool ImportBitmap(const QString &path);

    // ===== Source export (CPixelMapEditorSource.cpp) =================================
    // Asks for a ".cc" file and writes the map's constant array into it.
    void GenerateSource();

    const PixelMapData &Working() const { return m_working; }
    int CurrentEntry() const { return m_current; }
    CLutEditPane *LutPane() const { return m_lutPane; }
    CMapViewPane *ViewPane() const { return m_view; }
    CMapEditPane *EditPane() const { return m_edit; }
    // The LUT Editing dialog, shown or hidden; nullptr when none.
    CLutEditDlg *LutDialog() const;

protected:
    // The name and " (width x height x depth)".
    QString TitleName() const override;
    void OnDestroyWindow() override;

private:
    void BuildCommands();
    void BuildMenus();
    void BuildPanes();
    // After the whole map changed: the LUT pane refilled (entry 0 current),
    // both panes redrawn, the title anew.
    void ShowWholeMap();
    // After the LUT changed.
    void ShowColours();

    CPixelMap &m_map;
    PixelMapData m_working;
    int m_current = 0;
    QSplitter *m_inner = nullptr;
    CLutEditPane *m_lutPane = nullptr;
    CMapViewPane *m_view = nullptr;
    CMapEditPane *m_edit = nullptr;
    QPointer<CLutEditDlg> m_lutDialog;
};

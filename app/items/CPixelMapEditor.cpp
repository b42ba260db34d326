#include "CPixelMapEditor.h"

#include "CIconDefinitionDlg.h"
#include "CLutEditDlg.h"
#include "CLutEditPane.h"
#include "CMapEditPane.h"
#include "CMapViewPane.h"
#include "CPixelMap.h"
#include "StandardLutSets.h"

#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QSplitter>

#include <new>

namespace {

constexpr QSize kLutPaneSize(150, 300);
constexpr QSize kViewPaneSize(300, 100);
constexpr QSize kEditPaneSize(300, 300);

// The editor's own commands (menu 277), besides the File and clipboard ones.
constexpr EditorCommand kMapCommands[] = {
    {ID_MAP_IMPORT, IDS_MAP_MENU_IMPORT, nullptr},
    {ID_MAP_GENERATE_SOURCE, IDS_MAP_MENU_GENERATE_SOURCE, nullptr},
    {ID_MAP_DEFINITION, IDS_MAP_MENU_DEFINITION, nullptr},
    {ID_COLOR_SELECTOR, IDS_MAP_MENU_COLOR_SELECTOR, nullptr},
    {ID_MAP_ZOOM_1, IDS_MAP_MENU_ZOOM_1, nullptr},
    {ID_MAP_ZOOM_2, IDS_MAP_MENU_ZOOM_2, nullptr},
    {ID_MAP_ZOOM_4, IDS_MAP_MENU_ZOOM_4, nullptr},
};
// Tips of the commands whose numbers the font editor shares.
constexpr std::pair<int, unsigned> kSharedTips[] = {
    {ID_MAP_ZOOM_1, IDS_MAP_TIP_ZOOM_1},
    {ID_MAP_ZOOM_2, IDS_MAP_TIP_ZOOM_2},
    {ID_MAP_ZOOM_4, IDS_MAP_TIP_ZOOM_4},
    {ID_MAP_GENERATE_SOURCE, IDS_MAP_TIP_GENERATE_SOURCE},
};
constexpr std::pair<int, int> kZooms[] = {{ID_MAP_ZOOM_1, 1}, {ID_MAP_ZOOM_2, 2}, {ID_MAP_ZOOM_4, 4}};

QString TipOf(const EditorCommand &command)
{
    for (const auto &[id, tip] : kSharedTips) {
        if (id == command.id)
            return LoadString(tip);
    }
    return LoadString(unsigned(command.id));
}

void ShowNoMapMemory(QWidget *parent)
{
    MessageBox(parent, PromptText(IDS_NO_MEMORY), PromptText(IDS_NO_MEMORY_CAPTION), MB_OK | MB_ICONWARNING);
}

} // namespace

CPixelMapEditor::CPixelMapEditor(CPixelMap &map)
    : CEditorFrame(map, QStringLiteral("CPixelMapEditor"), LoadString(IDS_MAP_EDITOR_TITLE), IDR_PIXMAP_EDITOR),
      m_map(map), m_working(map.Data())
{
    BuildPanes();
    BuildCommands();
    BuildMenus();
    m_lutPane->Fill(m_working.lut);
    SetTitle();
    UpdateCommands();
}

CPixelMapEditor::~CPixelMapEditor() = default;

CLutEditDlg *CPixelMapEditor::LutDialog() const
{
    return m_lutDialog.data();
}

// --- Building ----------------------------------------------------------------------

void CPixelMapEditor::BuildPanes()
{
    m_lutPane = new CLutEditPane(*this, Splitter());
    m_inner = new QSplitter(Qt::Vertical, Splitter());
    m_view = new CMapViewPane(m_working, m_inner);
    m_edit = new CMapEditPane(m_working, [this](int x, int y) { PaintPixel(x, y); }, m_inner);
    m_view->resize(kViewPaneSize);
    m_edit->resize(kEditPaneSize);
    m_inner->addWidget(m_view);
    m_inner->addWidget(m_edit);
    m_inner->setSizes({kViewPaneSize.height(), kEditPaneSize.height()});
    SetPanes(m_lutPane, kLutPaneSize, m_inner, QSize(kEditPaneSize.width(), kViewPaneSize.height() + kEditPaneSize.height()));
    Splitter()->setSizes({kLutPaneSize.width(), kEditPaneSize.width()});
    resize(kLutPaneSize.width() + kEditPaneSize.width() + 60, kViewPaneSize.height() + kEditPaneSize.height() + 60);
}

void CPixelMapEditor::BuildCommands()
{
    AddCommands(kMapCommands, TipOf);
    AddClipboardCommands({}); // a pixel map has no selection: offered, always disabled
    m_router.SetHandler(ID_MAP_IMPORT, [this] { OnImport(); });
    m_router.SetHandler(ID_MAP_GENERATE_SOURCE, [this] { GenerateSource(); });
    m_router.SetHandler(ID_MAP_DEFINITION, [this] { OnDefinition(); });
    m_router.SetHandler(ID_COLOR_SELECTOR, [this] { OnColorSelector(); });
    m_router.SetCheckRule(ID_COLOR_SELECTOR, [this] { return m_lutDialog && m_lutDialog->isVisible(); });
    for (const auto &[id, zoom] : kZooms) {
        m_router.SetHandler(id, [this, zoom = zoom] { SetZoom(zoom); });
        m_router.SetCheckRule(id, [this, zoom = zoom] { return m_view->Zoom() == zoom; });
    }
}

void CPixelMapEditor::BuildMenus()
{
    AddMenu(LoadString(IDS_MAP_MENU_FILE),
            {ID_FILE_SAVE, ID_FILE_SAVE_AS, 0, ID_MAP_IMPORT, ID_MAP_GENERATE_SOURCE, 0, ID_FILE_CLOSE});
    AddMenu(LoadString(IDS_MAP_MENU_EDIT), {ID_MAP_DEFINITION, 0, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_DELETE});
    AddMenu(LoadString(IDS_MAP_MENU_VIEW), {ID_COLOR_SELECTOR, 0, ID_MAP_ZOOM_1, ID_MAP_ZOOM_2, ID_MAP_ZOOM_4});
}

// --- The item ----------------------------------------------------------------------

QString CPixelMapEditor::TitleName() const
{
    return FormatString(IDS_MAP_TITLE_NAME, {m_map.GetName(), QString::number(m_working.width),
                                             QString::number(m_working.height), QString::number(m_working.depth)});
}

bool CPixelMapEditor::ApplyToItem()
{
    if (!IsModified())
        return true;
    try {
        m_map.SetData(m_working);
    } catch (const std::bad_alloc &) {
        ShowNoMapMemory(this);
        return false;
    }
    SetModified(false);
    return true;
}

void CPixelMapEditor::ItemReloaded()
{
    m_working = m_map.Data();
    ShowWholeMap();
    SetModified(false);
}

void CPixelMapEditor::OnDestroyWindow()
{
    delete m_lutDialog.data();
}

void CPixelMapEditor::ShowWholeMap()
{
    m_current = 0;
    m_lutPane->Fill(m_working.lut);
    if (m_lutDialog && m_lutDialog->isVisible())
        m_lutDialog->ShowEntry(m_working.lut[0], 0);
    m_view->Rebuild();
    m_edit->Rebuild();
    SetTitle();
}

void CPixelMapEditor::ShowColours()
{
    m_view->UpdateColours();
    m_edit->Rebuild();
}

// --- Colour table ------------------------------------------------------------------

void CPixelMapEditor::SelectEntry(int index)
{
    if (index < 0 || std::size_t(index) >= m_working.lut.size())
        return;
    m_current = index;
    if (m_lutDialog && m_lutDialog->isVisible())
        m_lutDialog->ShowEntry(m_working.lut[std::size_t(index)], index);
}

void CPixelMapEditor::StepEntry(bool forward)
{
    const int last = int(m_working.lut.size()) - 1;
    if (forward ? m_current >= last : m_current <= 0)
        return;
    m_lutPane->SelectEntry(m_current + (forward ? 1 : -1));
}

void CPixelMapEditor::SetEntryColour(std::uint32_t colour)
{
    m_working.lut[std::size_t(m_current)] = colour;
    m_lutPane->UpdateEntry(m_current, colour);
    ShowColours();
    SetModified();
}

void CPixelMapEditor::ApplyLutSets(std::uint32_t mask)
{
    m_working.lutSetMask = mask;
    ::ApplyLutSets(mask, m_working.lut);
    m_current = 0;
    m_lutPane->Fill(m_working.lut);
    ShowColours();
    SetModified();
}

void CPixelMapEditor::OnColorSelector()
{
    const bool visible = m_lutDialog && m_lutDialog->isVisible();
    delete m_lutDialog.data();
    if (!visible) {
        m_lutDialog = new CLutEditDlg(*this, this);
        m_lutDialog->show();
        m_lutDialog->ShowEntry(m_working.lut[std::size_t(m_current)], m_current);
        m_lutDialog->SetSetChecks(m_working.lutSetMask);
    }
    UpdateCommands();
}

// --- Size, depth, pixels and view --------------------------------------------------

void CPixelMapEditor::OnDefinition()
{
    CIconDefinitionDlg dialog(this, m_working.width, m_working.height, m_working.depth);
    if (DoModal(dialog) != IDOK)
        return;
    const int width = dialog.Width(), height = dialog.Height(), depth = dialog.Depth();
    if (width == m_working.width && height == m_working.height && depth == m_working.depth)
        return;
    if (!Resize(width, height, depth))
        return;
    ShowWholeMap();
    SetModified();
}

bool CPixelMapEditor::Resize(int width, int height, int depth)
{
    if (!PixelMapData::IsGeometry(width, height, depth))
        return false;
    if (m_working.Resize(width, height, depth))
        return true;
    ShowNoMapMemory(this);
    return false;
}

void CPixelMapEditor::SetZoom(int zoom)
{
    m_view->SetZoom(zoom);
}

void CPixelMapEditor::PaintPixel(int x, int y)
{
    m_working.SetPixel(x, y, std::uint32_t(m_current));
    m_edit->UpdatePixel(x, y);
    m_view->UpdatePixel(x, y);
    if (!IsModified())
        SetModified();
}

#include "CImageEditor.h"

#include "CAspectRatioDlg.h"
#include "CCanvas.h"
#include "CCanvasLimitsDlg.h"
#include "CColorComboBox.h"
#include "CGenerator.h"
#include "CKindValue.h"
#include "CPatternCombo.h"
#include "CPrimitive.h"
#include "CProgressDlg.h"
#include "CSnapGridSizeDlg.h"
#include "DialogUnits.h"
#include "EditorBarImages.h"
#include "ImageEditorPaneLink.h"
#include "ListPaneForEditor.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTimerEvent>
#include <QToolBar>

namespace {

bool g_fixedAspect = false;

CImageEditor::PaneFactory &PaneFactoryHook()
{
    static CImageEditor::PaneFactory factory;
    return factory;
}

CImageEditor::GeneratorGate &PreviewGate()
{
    static CImageEditor::GeneratorGate gate;
    return gate;
}

const QString kPreviewName = QStringLiteral("Preview");

// Menu 144 with the keys of table 312, after the File commands; Ctrl-S, -X,
// -C and -V run the menu's Save, Cut, Copy and Paste.
const EditorCommand kCommands[] = {
    {ID_EDIT_CUT, IDS_EDITOR_MENU_CUT, "Ctrl+X"},
    {ID_EDIT_COPY, IDS_EDITOR_MENU_COPY, "Ctrl+C"},
    {ID_EDIT_PASTE, IDS_EDITOR_MENU_PASTE, "Ctrl+V"},
    {ID_DELETE, IDS_IMAGE_MENU_DELETE, "Del"},
    {ID_EDIT_SELECT_ALL, IDS_IMAGE_MENU_SELECT_ALL, "Ctrl+A"},
    {ID_UNDO_PRIMITIVE, IDS_IMAGE_MENU_UNDO, "Ctrl+Z"},
    {ID_GROUP, IDS_IMAGE_MENU_GROUP, "Ctrl+G"},
    {ID_UNGROUP, IDS_IMAGE_MENU_UNGROUP, "Ctrl+K"},
    {ID_BRING_TO_FRONT, IDS_IMAGE_MENU_BRING_TO_FRONT, "Ctrl+F"},
    {ID_SEND_TO_BACK, IDS_IMAGE_MENU_SEND_TO_BACK, "Ctrl+B"},
    {ID_SELECT_AREA, IDS_IMAGE_MENU_SELECT_AREA, "Ctrl+R"},
    {ID_PROPERTIES, IDS_IMAGE_MENU_PROPERTIES, "Ctrl+E"},
    {ID_FULL_SCREEN, IDS_IMAGE_MENU_FULL_SCREEN, "F12"},
    {ID_PREVIEW, IDS_IMAGE_MENU_PREVIEW, "F4"},
    {ID_VIEW_PRIMITIVES_BAR, IDS_IMAGE_MENU_PRIMITIVES_BAR, nullptr},
    {ID_VIEW_SELECTORS_BAR, IDS_IMAGE_MENU_SELECTORS_BAR, nullptr},
    {ID_VIEW_OPTIONS_BAR, IDS_IMAGE_MENU_OPTIONS_BAR, nullptr},
    {ID_VIEW_EDIT_BAR, IDS_IMAGE_MENU_EDIT_BAR, nullptr},
    {ID_APPEND_MODE, IDS_IMAGE_MENU_APPEND_MODE, nullptr},
    {ID_INSERT_MODE, IDS_IMAGE_MENU_INSERT_MODE, nullptr},
    {ID_DISPLAY_GRID, IDS_IMAGE_MENU_DISPLAY_GRID, "F9"},
    {ID_SNAP_TO_GRID, IDS_IMAGE_MENU_SNAP_TO_GRID, "F7"},
    {ID_SNAP_TO_OBJECT, IDS_IMAGE_MENU_SNAP_TO_OBJECT, "F8"},
    {ID_SET_GRID_SIZE, IDS_IMAGE_MENU_SET_GRID_SIZE, "F10"},
    {ID_RIGID_OBJECTS, IDS_IMAGE_MENU_RIGID_OBJECTS, "F11"},
    {ID_FIXED_ASPECT, IDS_IMAGE_MENU_FIXED_ASPECT, "Ctrl+F11"},
    {ID_SET_ASPECT_RATIO, IDS_IMAGE_MENU_SET_ASPECT_RATIO, nullptr},
    {ID_SET_LIMITS, IDS_IMAGE_MENU_SET_LIMITS, nullptr},
};

struct InsertCommand {
    int id;
    unsigned text; // text id
    int typeCode;
};

const InsertCommand kInserts[] = {
    {ID_INSERT_DOT, IDS_INSERT_MENU_DOT, 0},
    {ID_INSERT_LINE, IDS_INSERT_MENU_LINE, 2},
    {ID_INSERT_TRIANGLE, IDS_INSERT_MENU_TRIANGLE, 3},
    {ID_INSERT_RECTANGLE, IDS_INSERT_MENU_RECTANGLE, 4},
    {ID_INSERT_OVAL, IDS_INSERT_MENU_OVAL, 5},
    {ID_INSERT_CENTER_MARKS, IDS_INSERT_MENU_CENTER_MARKS, 14},
    {ID_INSERT_CENTERED_CROSS, IDS_INSERT_MENU_CENTERED_CROSS, 15},
    {ID_INSERT_LIMITS, IDS_INSERT_MENU_LIMITS, 16},
    {ID_INSERT_CENTERED_GRID, IDS_INSERT_MENU_CENTERED_GRID, 11},
    {ID_INSERT_HORIZONTAL_GRILL, IDS_INSERT_MENU_HORIZONTAL_GRILL, 17},
    {ID_INSERT_VERTICAL_GRILL, IDS_INSERT_MENU_VERTICAL_GRILL, 18},
    {ID_INSERT_IO_HATCH, IDS_INSERT_MENU_IO_HATCH, 12},
    {ID_INSERT_OI_HATCH, IDS_INSERT_MENU_OI_HATCH, 13},
    {ID_INSERT_SEQ_STEP, IDS_INSERT_MENU_SEQ_STEP, 7},
    {ID_INSERT_PAGE, IDS_INSERT_MENU_PAGE, 9},
    {ID_INSERT_FORMAT_BOX, IDS_INSERT_MENU_FORMAT_BOX, 6},
    {ID_INSERT_TEXT, IDS_INSERT_MENU_TEXT, 10},
    {ID_INSERT_INFO_BOX, IDS_INSERT_MENU_INFO_BOX, 8},
    {ID_INSERT_ANTI_ALIAS, IDS_INSERT_MENU_ANTI_ALIAS, 20},
    {ID_INSERT_NO_GAMMA, IDS_INSERT_MENU_NO_GAMMA, 21},
    {ID_INSERT_BLANKING_REFERENCE, IDS_INSERT_MENU_BLANKING_REFERENCE, 22},
    {ID_INSERT_BLOCK_COPY, IDS_INSERT_MENU_BLOCK_COPY, 25},
};

// The ids whose tool tip is the string-table text of the same id.
bool HasTableTip(int id)
{
    if (id == ID_INSERT_CENTER_MARKS)
        return false; // that row belongs to the data list's import
    return (id >= ID_INSERT_DOT && id <= ID_INSERT_BLANKING_REFERENCE) || (id >= ID_INSERT_MODE && id <= ID_FULL_SCREEN)
        || (id >= ID_FIXED_ASPECT && id <= ID_SELECT_AREA) || id == ID_INSERT_BLOCK_COPY || id == ID_INSERT_BLOCK_RENDER;
}

// Resource 146.
const ToolButton kPrimitivesBar[] = {
    {ID_APPEND_MODE, QStyle::SP_ArrowDown},
    {ID_INSERT_MODE, QStyle::SP_ArrowRight},
    {0, {}},
    {ID_INSERT_DOT, QStyle::SP_DialogApplyButton},
    {ID_INSERT_LINE, QStyle::SP_DialogApplyButton},
    {ID_INSERT_TRIANGLE, QStyle::SP_DialogApplyButton},
    {ID_INSERT_RECTANGLE, QStyle::SP_DialogApplyButton},
    {ID_INSERT_OVAL, QStyle::SP_DialogApplyButton},
    {0, {}},
    {ID_INSERT_CENTER_MARKS, QStyle::SP_DialogApplyButton},
    {ID_INSERT_CENTERED_CROSS, QStyle::SP_DialogApplyButton},
    {ID_INSERT_LIMITS, QStyle::SP_DialogApplyButton},
    {0, {}},
    {ID_INSERT_CENTERED_GRID, QStyle::SP_DialogApplyButton},
    {ID_INSERT_HORIZONTAL_GRILL, QStyle::SP_DialogApplyButton},
    {ID_INSERT_VERTICAL_GRILL, QStyle::SP_DialogApplyButton},
    {ID_INSERT_IO_HATCH, QStyle::SP_DialogApplyButton},
    {ID_INSERT_OI_HATCH, QStyle::SP_DialogApplyButton},
    {0, {}},
    {ID_INSERT_SEQ_STEP, QStyle::SP_DialogApplyButton},
    {ID_INSERT_PAGE, QStyle::SP_DialogApplyButton},
    {ID_INSERT_FORMAT_BOX, QStyle::SP_DialogApplyButton},
    {ID_INSERT_TEXT, QStyle::SP_DialogApplyButton},
    {ID_INSERT_INFO_BOX, QStyle::SP_DialogApplyButton},
    {0, {}},
    {ID_INSERT_BLOCK_COPY, QStyle::SP_DialogApplyButton},
    {ID_INSERT_BLOCK_RENDER, QStyle::SP_DialogApplyButton},
    {0, {}},
    {ID_INSERT_ANTI_ALIAS, QStyle::SP_DialogApplyButton},
    {ID_INSERT_NO_GAMMA, QStyle::SP_DialogApplyButton},
    {ID_INSERT_BLANKING_REFERENCE, QStyle::SP_DialogApplyButton},
};

// Resource 204.
const ToolButton kOptionsBar[] = {
    {ID_DISPLAY_GRID, QStyle::SP_FileDialogListView},
    {ID_SNAP_TO_GRID, QStyle::SP_FileDialogDetailedView},
    {ID_SNAP_TO_OBJECT, QStyle::SP_FileDialogContentsView},
    {ID_SET_GRID_SIZE, QStyle::SP_FileDialogInfoView},
    {ID_RIGID_OBJECTS, QStyle::SP_DriveHDIcon},
    {0, {}},
    {ID_FIXED_ASPECT, QStyle::SP_TitleBarNormalButton},
    {ID_FULL_SCREEN, QStyle::SP_TitleBarMaxButton},
    {0, {}},
    {ID_GROUP, QStyle::SP_DirClosedIcon},
    {ID_UNGROUP, QStyle::SP_DirOpenIcon},
    {ID_SELECT_AREA, QStyle::SP_DialogResetButton},
};

// The command's text without its key and accelerator mark.
QString PlainText(unsigned textId)
{
    return LoadString(textId).section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&'));
}

} // namespace

void CImageEditor::SetPaneFactory(PaneFactory factory)
{
    PaneFactoryHook() = std::move(factory);
}

void CImageEditor::SetGeneratorGate(GeneratorGate gate)
{
    PreviewGate() = std::move(gate);
}

bool CImageEditor::IsFixedAspect()
{
    return g_fixedAspect;
}

void CImageEditor::SetFixedAspect(bool on)
{
    g_fixedAspect = on;
}

CImageEditor::CImageEditor(CImage &image)
    : CEditorFrame(image, QStringLiteral("CImageEditor"), LoadString(IDS_IMAGE_EDITOR_TITLE), IDR_IMAGE_EDITOR),
      m_image(image)
{
    BuildCommands();
    BuildClient();
    BuildBars();
    BuildToggles();
    BuildMenus();
    BuildStatusBar();
    m_canvas->SetLimits(image.Width() - 1, image.Height() - 1);
    if (m_pane)
        m_pane->InsertCopies(image.Primitives());
    SetTitle();
    m_router.Update();
    show();
}

CImageEditor::~CImageEditor()
{
    if (m_aspectTimer)
        killTimer(m_aspectTimer);
    delete m_propertyWindow;
    m_pane.reset(); // the pane's primitives go while the canvas they draw on exists
}

// --- Commands ---------------------------------------------------------------------

void CImageEditor::AddPaneCommand(int id, std::function<void(ImageEditorPaneLink &)> run, std::function<bool()> enable)
{
    m_router.SetHandler(id, [this, run] {
        if (m_pane)
            run(*m_pane);
    });
    m_router.SetEnableRule(id, [this, enable] { return m_pane && (!enable || enable()); });
}

void CImageEditor::BuildCommands()
{
    AddCommands(kCommands, [](const EditorCommand &command) {
        return HasTableTip(command.id) ? LoadString(unsigned(command.id)) : PlainText(command.text);
    });
    for (const InsertCommand &insert : kInserts) {
        const QString tip = HasTableTip(insert.id) ? LoadString(unsigned(insert.id)) : PlainText(insert.text);
        m_router.Add(insert.id, LoadString(insert.text), tip);
        const int type = insert.typeCode;
        AddPaneCommand(insert.id, [this, type](ImageEditorPaneLink &pane) { pane.CreatePrimitive(type, m_appendMode); });
    }
    m_router.Add(ID_INSERT_BLOCK_RENDER, LoadString(IDS_INSERT_MENU_BLOCK_RENDER), LoadString(ID_INSERT_BLOCK_RENDER));

    m_router.SetHandler(ID_GROUP, [this] {
        if (m_pane)
            m_pane->GroupMarked();
    });
    m_router.SetEnableRule(ID_GROUP, [this] { return m_pane && m_canGroup; });
    AddPaneCommand(ID_UNGROUP, [](ImageEditorPaneLink &pane) { pane.Ungroup(); }, [this] { return m_canUngroup; });
    AddPaneCommand(ID_BRING_TO_FRONT, [](ImageEditorPaneLink &pane) { pane.MoveToFrontOrBack(true); },
                   [this] { return m_canReorder; });
    AddPaneCommand(ID_SEND_TO_BACK, [](ImageEditorPaneLink &pane) { pane.MoveToFrontOrBack(false); },
                   [this] { return m_canReorder; });
    AddPaneCommand(ID_EDIT_CUT, [](ImageEditorPaneLink &pane) { pane.CutCopyDelete(ImageEditorPaneLink::kCut); },
                   [this] { return m_canCut; });
    AddPaneCommand(ID_EDIT_COPY, [](ImageEditorPaneLink &pane) { pane.CutCopyDelete(ImageEditorPaneLink::kCopy); },
                   [this] { return m_canCopy; });
    AddPaneCommand(ID_DELETE, [](ImageEditorPaneLink &pane) { pane.CutCopyDelete(ImageEditorPaneLink::kDelete); },
                   [this] { return m_canCut; });
    AddPaneCommand(ID_EDIT_PASTE, [](ImageEditorPaneLink &pane) { pane.Paste(); },
                   [this] { return m_pane->CanPaste(); });
    AddPaneCommand(ID_UNDO_PRIMITIVE, [](ImageEditorPaneLink &pane) { pane.UndoLast(); },
                   [this] { return !m_pane->IsUndoEmpty(); });
    m_router.SetHandler(ID_PROPERTIES, [this] { OnProperties(); });
    m_router.SetCheckRule(ID_PROPERTIES, [this] { return !m_propertyWindow.isNull(); });
    m_router.SetHandler(ID_FULL_SCREEN, [this] { OnFullScreen(); });
    m_router.SetHandler(ID_PREVIEW, [this] { OnPreview(); });
    m_router.SetHandler(ID_SET_GRID_SIZE, [this] { OnGridSize(); });
    m_router.SetHandler(ID_SET_ASPECT_RATIO, [this] { OnAspectRatio(); });
    m_router.SetHandler(ID_SET_LIMITS, [this] { OnCanvasLimits(); });
    m_router.SetHandler(ID_APPEND_MODE, [this] { m_appendMode = true; });
    m_router.SetCheckRule(ID_APPEND_MODE, [this] { return m_appendMode; });
    m_router.SetHandler(ID_INSERT_MODE, [this] { m_appendMode = false; });
    m_router.SetCheckRule(ID_INSERT_MODE, [this] { return !m_appendMode; });
}

// The toggles of the options bar and the view menu: each shows its state as
// a check on its menu item and its button.
void CImageEditor::BuildToggles()
{
    struct Toggle {
        int id;
        std::function<bool()> get;
        std::function<void()> flip;
    };
    const Toggle toggles[] = {
        {ID_SNAP_TO_GRID, [this] { return m_canvas->GridSnap(); },
         [this] { m_canvas->SetGridSnap(!m_canvas->GridSnap()); }},
        {ID_SNAP_TO_OBJECT, [this] { return m_canvas->SnapToObjects(); },
         [this] { m_canvas->SetSnapToObjects(!m_canvas->SnapToObjects()); }},
        {ID_DISPLAY_GRID, [this] { return m_canvas->ShowGrid(); },
         [this] { m_canvas->SetShowGrid(!m_canvas->ShowGrid()); }},
        {ID_RIGID_OBJECTS, [this] { return m_canvas->RigidObjects(); },
         [this] { m_canvas->SetRigidObjects(!m_canvas->RigidObjects()); }},
        {ID_SELECT_AREA, [this] { return m_canvas->IsSelectArea(); },
         [this] { m_canvas->SetSelectArea(!m_canvas->IsSelectArea()); }},
        {ID_FIXED_ASPECT, [] { return g_fixedAspect; }, [this] { OnFixedAspect(); }},
        {ID_VIEW_PRIMITIVES_BAR, [this] { return m_primitivesBar->isVisible(); },
         [this] { m_primitivesBar->setVisible(!m_primitivesBar->isVisible()); }},
        {ID_VIEW_SELECTORS_BAR, [this] { return m_selectorsBar->isVisible(); },
         [this] { m_selectorsBar->setVisible(!m_selectorsBar->isVisible()); }},
        {ID_VIEW_OPTIONS_BAR, [this] { return m_optionsBar->isVisible(); },
         [this] {
             m_barsByProgram = true;
             m_optionsBar->setVisible(!m_optionsBar->isVisible());
             m_barsByProgram = false;
         }},
    };
    for (const Toggle &toggle : toggles) {
        m_router.SetHandler(toggle.id, toggle.flip);
        m_router.SetCheckRule(toggle.id, toggle.get);
    }
}

void CImageEditor::BuildMenus()
{
    AddFileMenu();
    AddMenu(LoadString(IDS_EDITOR_MENU_EDIT),
            {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_DELETE, 0, ID_EDIT_SELECT_ALL, ID_SELECT_AREA, 0, ID_GROUP,
             ID_UNGROUP, 0, ID_BRING_TO_FRONT, ID_SEND_TO_BACK, 0, ID_PROPERTIES});
    QMenu *view = AddMenu(LoadString(IDS_IMAGE_MENU_VIEW), {ID_FULL_SCREEN, ID_PREVIEW});
    m_router.FillMenu(view->addMenu(LoadString(IDS_IMAGE_MENU_TOOLBARS)),
                      {ID_VIEW_PRIMITIVES_BAR, ID_VIEW_SELECTORS_BAR, ID_VIEW_OPTIONS_BAR, ID_VIEW_EDIT_BAR});
    QMenu *insert = AddMenu(LoadString(IDS_IMAGE_MENU_INSERT), {});
    for (const InsertCommand &command : kInserts)
        if (command.id != ID_INSERT_BLOCK_COPY)
            insert->addAction(m_router.Action(command.id));
    m_router.FillMenu(insert->addMenu(LoadString(IDS_IMAGE_MENU_BLOCK)), {ID_INSERT_BLOCK_COPY, ID_INSERT_BLOCK_RENDER});
    AddMenu(LoadString(IDS_IMAGE_MENU_OPTIONS), {ID_DISPLAY_GRID, ID_SNAP_TO_GRID, ID_SNAP_TO_OBJECT, ID_SET_GRID_SIZE,
                                                 ID_RIGID_OBJECTS, 0, ID_FIXED_ASPECT, ID_SET_ASPECT_RATIO, ID_SET_LIMITS});
}

void CImageEditor::BuildClient()
{
    m_canvas = new CCanvas;
    m_canvas->SetEditor(this);
    if (PaneFactoryHook())
        m_pane = PaneFactoryHook()(*this, *m_canvas);
    else
        m_pane = std::make_unique<ListPaneForEditor>(*this, *m_canvas);
    QWidget *left = m_pane->Widget();
    left->setObjectName(QStringLiteral("listPane"));
    m_canvas->SetListPane(m_pane.get());
    left->setMinimumWidth(kListColumnWidth);
    SetPanes(left, QSize(kListColumnWidth, 300), m_canvas, QSize(300, 300));
    Splitter()->setStretchFactor(1, 1);
    Splitter()->setSizes({kListColumnWidth, 300});
}

void CImageEditor::BuildBars()
{
    BuildSelectors();
    // Each bar's strip holds one picture a button, in the bar's order.
    const auto setPictures = [this](std::span<const ToolButton> buttons, const QList<QIcon> &pictures) {
        qsizetype next = 0;
        for (const ToolButton &button : buttons)
            if (button.id != 0 && next < pictures.size())
                m_router.Action(button.id)->setIcon(pictures[next++]);
    };
    setPictures(kPrimitivesBar, PrimitivesBarImages());
    setPictures(kOptionsBar, OptionsBarImages());
    m_primitivesBar = AddToolBar(IDR_PRIMITIVES_BAR, kPrimitivesBar);
    m_primitivesBar->setWindowTitle(LoadString(IDS_PRIMITIVES_BAR));
    insertToolBar(m_selectorsBar, m_primitivesBar);
    insertToolBarBreak(m_selectorsBar);
    m_optionsBar = AddToolBar(IDR_OPTIONS_BAR, kOptionsBar);
    m_optionsBar->setWindowTitle(LoadString(IDS_OPTIONS_BAR));
    insertToolBar(m_selectorsBar, m_optionsBar);
    for (QToolBar *bar : {m_primitivesBar, m_optionsBar, m_selectorsBar})
        bar->setMovable(true);
    // A user who closes the options bar is told; the program's own hiding is not.
    connect(m_optionsBar->toggleViewAction(), &QAction::triggered, this, [this](bool shown) {
        if (!shown && !m_barsByProgram)
            MessageBox(this, PromptText(IDS_CLOSING_TOOLBAR), PromptText(), MB_OK);
        m_router.Update();
    });
    for (QToolBar *bar : {m_primitivesBar, m_selectorsBar})
        connect(bar->toggleViewAction(), &QAction::triggered, this, [this] { m_router.Update(); });
}

void CImageEditor::BuildSelectors()
{
    m_selectorsBar = new QToolBar(LoadString(IDS_SELECTORS_BAR), this);
    m_selectorsBar->setObjectName(ControlName(IDD_SELECTORS_BAR));
    m_selectorsBar->setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
    addToolBar(Qt::TopToolBarArea, m_selectorsBar);
    m_colourCombo = new CColorComboBox(m_selectorsBar);
    SetControlId(m_colourCombo, IDC_COLOUR_COMBO);
    m_colourCombo->FillColors();
    m_colourCombo->setToolTip(LoadString(IDS_COLOUR_TIP));
    m_patternCombo = new CPatternCombo(m_selectorsBar);
    SetControlId(m_patternCombo, IDC_PATTERN_COMBO);
    m_patternCombo->FillList();
    m_patternCombo->setToolTip(LoadString(IDS_PATTERN_TIP));
    m_fontCombo = new QComboBox(m_selectorsBar);
    SetControlId(m_fontCombo, IDC_FONT_COMBO);
    const CFontKind fonts;
    for (int i = 0; i < fonts.GetCount(); ++i)
        m_fontCombo->addItem(fonts.GetText(i));
    m_fontCombo->setToolTip(LoadString(IDS_FONT_TIP));
    for (QComboBox *combo : std::initializer_list<QComboBox *>{m_colourCombo, m_patternCombo, m_fontCombo}) {
        combo->setMinimumWidth(130);
        combo->setCurrentIndex(0);
        combo->setEnabled(false);
        m_selectorsBar->addWidget(combo);
    }
    // Only the user's choice changes a primitive; the editor's own showing does not.
    connect(m_colourCombo, &QComboBox::activated, this, [this](int index) {
        if (m_pane)
            m_pane->SetSelectedColour(index);
    });
    connect(m_patternCombo, &QComboBox::activated, this, [this](int index) {
        if (m_pane)
            m_pane->SetSelectedPattern(index);
    });
    connect(m_fontCombo, &QComboBox::activated, this, [this](int index) {
        if (m_pane)
            m_pane->SetSelectedFont(index);
    });
}

void CImageEditor::BuildStatusBar()
{
    QStatusBar *bar = statusBar();
    m_selectionPane = new QLabel(LoadString(IDS_NO_SELECTION), bar);
    m_selectionPane->setObjectName(QStringLiteral("selectionPane"));
    m_selectionPane->setMinimumWidth(fontMetrics().horizontalAdvance(LoadString(IDS_NO_SELECTION)) + 40);
    bar->addPermanentWidget(m_selectionPane);
    if (m_pane)
        m_pane->SetStatusBar(bar);
}

// --- Title and change marks ---------------------------------------------------------

bool CImageEditor::IsModified() const
{
    return CEditorFrame::IsModified() || (m_pane && m_pane->IsModified()) || m_canvas->IsChanged();
}

QString CImageEditor::TitleName() const
{
    return FormatString(IDS_FORMAT_EDITOR_TITLE, {m_image.GetName()});
}

void CImageEditor::SetChanged(bool force)
{
    if (CEditorFrame::IsModified() && !force)
        return;
    SetModified(true);
}

void CImageEditor::WriteBack()
{
    m_image.SetSize(m_canvas->LargestX() + 1, m_canvas->LargestY() + 1);
    if (m_pane) {
        m_image.SetPrimitives(m_pane->CopyTopLevel());
        m_pane->ClearModified();
    }
    m_canvas->ClearChanged();
    SetModified(false);
}

// --- Selection ----------------------------------------------------------------------

void CImageEditor::OnSelectionChanged(CPrimitive *primitive, int marked)
{
    for (QComboBox *combo : std::initializer_list<QComboBox *>{m_colourCombo, m_patternCombo, m_fontCombo})
        combo->setEnabled(false);
    m_canGroup = m_canUngroup = m_canReorder = m_canCut = m_canCopy = false;
    if (primitive) {
        if (marked > 1) {
            m_canGroup = true;
            m_canCut = true;
        } else {
            const bool locked = primitive->IsLocked();
            if (primitive->HasColour()) {
                m_colourCombo->setEnabled(true);
                m_colourCombo->setCurrentIndex(primitive->GetColour());
            }
            if (primitive->HasPattern()) {
                m_patternCombo->setEnabled(true);
                m_patternCombo->setCurrentIndex(primitive->GetPattern());
            }
            if (primitive->HasFont() && !locked) {
                m_fontCombo->setEnabled(true);
                m_fontCombo->setCurrentIndex(primitive->GetFont());
            }
            if (!locked) {
                m_canReorder = true;
                m_canCut = true;
                m_canUngroup = primitive->IsGroup();
            }
        }
        m_canCopy = true;
    } else if (marked > 0) {
        m_canCut = true;
        m_canCopy = true;
        m_canGroup = marked > 1;
    }
    // Pane 1 names the selection.
    if (primitive)
        m_selectionPane->setText(primitive->GetTypeName());
    else
        m_selectionPane->setText(marked > 0 ? QString() : LoadString(IDS_NO_SELECTION));
    m_router.Update();
    FollowSelection(primitive, marked);
}

// --- Property windows -------------------------------------------------------------

QDialog *CImageEditor::MakePropertyWindow(CPrimitive *primitive, int marked)
{
    int placeholder = ImageEditorPaneLink::kNoSelection;
    if (marked > 1)
        placeholder = ImageEditorPaneLink::kSeveral;
    else if (primitive && primitive->IsLocked())
        placeholder = ImageEditorPaneLink::kLocked;
    else if (primitive) {
        if (QDialog *dialog = m_pane->OpenProperties(*primitive, this))
            return dialog;
        placeholder = ImageEditorPaneLink::kNoProperties;
    }
    if (m_propertyWindow && m_pane->SetPlaceholderCase(m_propertyWindow, placeholder))
        return m_propertyWindow;
    return m_pane->OpenPlaceholder(placeholder, this);
}

void CImageEditor::ShowPropertyWindow(QDialog *window, bool activate)
{
    window->setAttribute(Qt::WA_ShowWithoutActivating, !activate);
    window->show();
    if (activate) {
        window->raise();
        window->activateWindow();
    }
    SendMessage(window, WM_PROPERTIES_SHOWN, 0, 0);
}

void CImageEditor::ReplacePropertyWindow(QDialog *window)
{
    if (window == m_propertyWindow) {
        ShowPropertyWindow(window, true);
        return;
    }
    if (m_propertyWindow) {
        window->move(m_propertyWindow->pos());
        m_pane->DestroyPropertyWindow(m_propertyWindow);
    }
    m_propertyWindow = window;
    ShowPropertyWindow(window, true);
}

void CImageEditor::FollowSelection(CPrimitive *primitive, int marked)
{
    if (!m_pane || !m_propertyWindow || !m_pane->PropertiesPinned())
        return;
    if (primitive && marked <= 1 && !primitive->IsLocked() && m_pane->PropertiesOwner(m_propertyWindow) == primitive) {
        ShowPropertyWindow(m_propertyWindow, true);
        return;
    }
    if (QDialog *window = MakePropertyWindow(primitive, marked))
        ReplacePropertyWindow(window);
    m_router.Update();
}

void CImageEditor::OpenSelectedProperties(CPrimitive *primitive, int marked)
{
    if (!m_pane)
        return;
    if (m_propertyWindow) {
        if (QDialog *window = MakePropertyWindow(primitive, marked))
            ReplacePropertyWindow(window);
    } else if (QDialog *window = MakePropertyWindow(primitive, marked)) {
        m_propertyWindow = window;
        ShowPropertyWindow(window, true);
    }
    m_router.Update();
}

void CImageEditor::OnProperties()
{
    if (m_propertyWindow) {
        CloseProperties();
        return;
    }
    if (!m_pane)
        return;
    QDialog *window = MakePropertyWindow(m_pane->Selected(), m_pane->MarkedCount());
    if (!window)
        return;
    m_propertyWindow = window;
    ShowPropertyWindow(window, false);
}

void CImageEditor::CloseProperties()
{
    if (m_pane && m_propertyWindow)
        m_pane->DestroyPropertyWindow(m_propertyWindow);
    m_propertyWindow = nullptr;
    m_router.Update();
}

LRESULT CImageEditor::OnMessage(unsigned message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PROPERTIES_CLOSED) {
        // The dialog is named by its handle: one that has gone meanwhile is not touched.
        if (auto *dialog = FromLParam<QDialog>(lParam)) {
            if (dialog == m_propertyWindow)
                m_propertyWindow = nullptr;
            dialog->deleteLater();
        }
        if (wParam == 1)
            OnProperties();
        m_router.Update();
        return 1;
    }
    if (message == WM_PROPERTIES_TO_TOP && m_propertyWindow) {
        m_propertyWindow->raise();
        return 1;
    }
    return 0;
}

// --- Options ------------------------------------------------------------------------

void CImageEditor::SelectAreaEnded()
{
    m_router.Update();
}

void CImageEditor::OnGridSize()
{
    CSnapGridSizeDlg dialog(this, m_canvas->GridStepX(), m_canvas->GridStepY());
    if (DoModal(dialog) != IDOK)
        return;
    m_canvas->SetGridSteps(dialog.StepX(), dialog.StepY());
    m_canvas->update();
}

void CImageEditor::OnCanvasLimits()
{
    const int oldWidth = m_canvas->LargestX() + 1;
    const int oldHeight = m_canvas->LargestY() + 1;
    CCanvasLimitsDlg dialog(this, oldWidth, oldHeight);
    if (DoModal(dialog) != IDOK)
        return;
    if (dialog.ScalePrimitives())
        m_canvas->ScaleAll(double(dialog.NewWidth()) / oldWidth, double(dialog.NewHeight()) / oldHeight);
    m_canvas->SetLimits(dialog.NewWidth() - 1, dialog.NewHeight() - 1);
    m_canvas->repaint();
}

void CImageEditor::OnAspectRatio()
{
    CAspectRatioDlg dialog(this, m_aspectX, m_aspectY);
    if (DoModal(dialog) == IDOK)
        SetAspectRatio(dialog.Chosen().width(), dialog.Chosen().height());
    ApplyAspectRatio();
}

void CImageEditor::SetAspectRatio(int x, int y)
{
    m_aspectX = x;
    m_aspectY = y;
}

void CImageEditor::ApplyAspectRatio()
{
    // The frame's width where the platform gives one; the client's otherwise.
    const int frameWidth = frameGeometry().width();
    const int decorationHeight = frameGeometry().height() - height();
    const int frameHeight = m_aspectY * (frameWidth / m_aspectX);
    m_canvas->SetFixedAspect(false);
    resize(width(), std::max(1, frameHeight - decorationHeight));
    m_canvas->SetFixedAspect(true);
}

void CImageEditor::OnFixedAspect()
{
    if (m_fullScreen)
        return;
    g_fixedAspect = !g_fixedAspect;
    m_canvas->SetFixedAspect(g_fixedAspect);
    if (g_fixedAspect)
        ApplyAspectRatio();
}

void CImageEditor::StartFixedAspectTimer()
{
    if (!g_fixedAspect || m_aspectTimer)
        return;
    m_aspectTimer = startTimer(1);
}

void CImageEditor::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_aspectTimer) {
        QMainWindow::timerEvent(event);
        return;
    }
    killTimer(m_aspectTimer);
    m_aspectTimer = 0;
    ApplyAspectRatio();
}

void CImageEditor::SetBarsVisible(bool visible)
{
    m_barsByProgram = true;
    for (QToolBar *bar : {m_optionsBar, m_selectorsBar, m_primitivesBar})
        bar->setVisible(visible);
    statusBar()->setVisible(visible);
    m_barsByProgram = false;
}

// A program cannot float a toolbar here: in full screen the primitives bar
// stays docked along the top and the other bars go.
void CImageEditor::OnFullScreen()
{
    g_fixedAspect = false;
    m_canvas->SetFixedAspect(false);
    QWidget *column = Splitter()->widget(0);
    if (m_fullScreen) {
        column->setMinimumWidth(kListColumnWidth);
        SetBarsVisible(true);
        addToolBar(Qt::TopToolBarArea, m_primitivesBar);
        m_fullScreen = false;
        showNormal();
        if (m_normalFrame.isValid())
            setGeometry(m_normalFrame);
        Splitter()->setSizes({kListColumnWidth, std::max(1, Splitter()->width() - kListColumnWidth)});
        return;
    }
    m_normalFrame = geometry();
    column->setMinimumWidth(0);
    Splitter()->setSizes({0, Splitter()->width()});
    m_fullScreen = true;
    if (const QScreen *screen = this->screen())
        setGeometry(screen->geometry());
    showMaximized();
    SetBarsVisible(false);
    m_barsByProgram = true;
    m_primitivesBar->setVisible(true);
    m_barsByProgram = false;
}

// --- Preview ------------------------------------------------------------------------

// The editor's state goes out as a temporary image named "Preview": the item,
// its name and every change mark stay as they are.
void CImageEditor::OnPreview()
{
    CProgressDlg progress(this, true);
    progress.SetStatus(IDC_STATUS1, LoadString(IDS_PREVIEW_IN_PROGRESS));
    progress.SetStatus(IDC_STATUS2, LoadString(IDS_SENDING_IMAGE_DATA));
    CGenerator *generator = g_pCurrentGenerator;
    if (!generator) {
        progress.DestroyWindow();
        MessageBox(this, PromptText(IDS_SELECT_GENERATOR_FIRST), PromptText(), MB_OK);
        return;
    }
    std::unique_ptr<GeneratorLease> lease;
    if (PreviewGate()) {
        QString whyNot;
        lease = PreviewGate()(*generator, whyNot);
        if (!lease) {
            progress.DestroyWindow();
            MessageBox(this, PromptText(whyNot), PromptText(IDS_PREVIEW_CAPTION), MB_OK | MB_ICONEXCLAMATION);
            return;
        }
    }
    if (generator->HasImage(kPreviewName)
        && MessageBox(this, PromptText(IDS_PREVIEW_REPLACES), PromptText(IDS_PREVIEW_CAPTION),
                      MB_YESNO | MB_ICONQUESTION) != IDYES) {
        progress.DestroyWindow();
        return;
    }
    CImage preview;
    preview.SetName(kPreviewName);
    preview.SetSize(m_canvas->LargestX() + 1, m_canvas->LargestY() + 1);
    if (m_pane) {
        preview.SetPrimitives(m_pane->CopyTopLevel());
    } else {
        for (const auto &primitive : m_image.Primitives())
            if (CPrimitive *copy = primitive->Clone())
                preview.AddPrimitive(std::unique_ptr<CPrimitive>(copy));
    }
    const bool sent = preview.SendToGenerator(generator, &progress, CImage::SendPurpose::Preview);
    progress.DestroyWindow();
    if (!sent) {
        // The send has said why (or the user chose to stop): no second box.
        statusBar()->showMessage(LoadString(IDS_PREVIEW_FAILED));
        return;
    }
    generator->CmdImgl(kPreviewName);
    generator->CmdImgu();
    generator->DeleteImage(kPreviewName);
    QStringList first;
    generator->QueryImgqList(1, 1, first, false);
    MessageBox(this, PromptText(IDS_PREVIEW_NOW_ON, {generator->GetPortName()}), PromptText(), MB_OK);
}

// --- Closing ------------------------------------------------------------------------

void CImageEditor::OnDestroyWindow()
{
    if (m_aspectTimer) {
        killTimer(m_aspectTimer);
        m_aspectTimer = 0;
    }
    CloseProperties();
    g_fixedAspect = false; // an editor's end turns the shared switch off
}

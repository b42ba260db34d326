#pragma once
// The editor window of one image: the primitive list pane and the canvas
// side by side, the primitives, options and selectors bars, the status bar
// (pane 1 the selection), the menu and keys of the editor, the options
// dialogs, the fixed aspect ratio, full screen, and Preview, which shows
// the edited image on the current generator at once.
//
// Its frame (CEditorFrame) asks the image's save question on closing and
// tells the image's owner.

#include "CEditorFrame.h"
#include "CImage.h"
#include "CanvasLinks.h"
#include "ListPaneEditorLink.h"
#include "MessageTarget.h"

#include <QDialog>
#include <QPointer>
#include <QRect>
#include <QSize>

#include <functional>
#include <memory>

class CCanvas;
class CColorComboBox;
class CGenerator;
class CPatternCombo;
class CPrimitive;
class ImageEditorPaneLink;
class QComboBox;
class QLabel;
class QToolBar;

class CImageEditor : public CEditorFrame,
                     public CanvasEditorLink,
                     public ListPaneEditorLink,
                     public MessageTarget {
public:
    static constexpr int kListColumnWidth = 150;
    static constexpr int kAspectTimerId = 1;

    // Makes the list pane of an editor in place of the program's own
    // (tests put a double there).
    using PaneFactory = std::function<std::unique_ptr<ImageEditorPaneLink>(CImageEditor &editor, CCanvas &canvas)>;
    static void SetPaneFactory(PaneFactory factory);

    // What holds a generator while Preview sends to it; the shell's lease
    // keeps the generator list from removing it. No lease (whyNot says why):
    // no Preview.
    class GeneratorLease {
    public:
        virtual ~GeneratorLease() = default;
    };
    using GeneratorGate = std::function<std::unique_ptr<GeneratorLease>(CGenerator &generator, QString &whyNot)>;
    static void SetGeneratorGate(GeneratorGate gate);

    // The "Fixed Aspect Ratio" switch every image editor shares.
    static bool IsFixedAspect();
    static void SetFixedAspect(bool on);

    explicit CImageEditor(CImage &image);
    ~CImageEditor() override;

    // --- ItemEditorLink -----------------------------------------------------------
    // Puts the editor's size and primitives into the image, clears the
    // change marks of the editor, its tree and its canvas, and retitles.
    void WriteBack() override;

    // --- CanvasEditorLink ---------------------------------------------------------
    void SetChanged(bool force) override;
    void StartFixedAspectTimer() override;
    void SelectAreaEnded() override;

    LRESULT OnMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;

    // The editor's, the pane's or the canvas's change mark.
    bool IsModified() const override;
    // --- ListPaneEditorLink: the current primitive (or none) and how many are marked.
    void OnSelectionChanged(CPrimitive *primitive, int marked) override;
    void OpenSelectedProperties(CPrimitive *primitive, int marked) override;
    QWidget *EditorWindow() override { return this; }
    // Resizes the frame to the fixed ratio, keeping its width.
    void ApplyAspectRatio();
    QSize AspectRatio() const { return QSize(m_aspectX, m_aspectY); }
    void SetAspectRatio(int x, int y);
    bool IsFullScreen() const { return m_fullScreen; }
    bool AppendMode() const { return m_appendMode; }

    CImage &Image() const { return m_image; }
    CCanvas *Canvas() const { return m_canvas; }
    ImageEditorPaneLink *ListPane() const { return m_pane.get(); }
    CColorComboBox *ColourCombo() const { return m_colourCombo; }
    CPatternCombo *PatternCombo() const { return m_patternCombo; }
    QComboBox *FontCombo() const { return m_fontCombo; }
    QToolBar *PrimitivesBar() const { return m_primitivesBar; }
    QToolBar *OptionsBar() const { return m_optionsBar; }
    QToolBar *SelectorsBar() const { return m_selectorsBar; }
    QLabel *SelectionPane() const { return m_selectionPane; }
    QDialog *PropertyWindow() const { return m_propertyWindow; }

protected:
    // The image's name in the title's form of the string table; the mark
    // while the editor holds a change.
    QString TitleName() const override;
    bool TitleModified() const override { return IsModified(); }
    // Ends the aspect timer and the property window; the shared fixed
    // aspect goes off.
    void OnDestroyWindow() override;
    void timerEvent(QTimerEvent *event) override;

private:
    void BuildCommands();
    void BuildToggles();
    void BuildMenus();
    void BuildClient();
    void BuildBars();
    void BuildSelectors();
    void BuildStatusBar();
    void AddPaneCommand(int id, std::function<void(ImageEditorPaneLink &)> run, std::function<bool()> enable = {});

    void OnFullScreen();
    void OnFixedAspect();
    void OnGridSize();
    void OnCanvasLimits();
    void OnAspectRatio();
    void OnProperties();
    void OnPreview();
    void FollowSelection(CPrimitive *primitive, int marked);
    void ShowPropertyWindow(QDialog *window, bool activate);
    void ReplacePropertyWindow(QDialog *window);
    QDialog *MakePropertyWindow(CPrimitive *primitive, int marked);
    void CloseProperties();
    void SetBarsVisible(bool visible);

    CImage &m_image;
    bool m_fullScreen = false;
    int m_aspectX = 16;
    int m_aspectY = 9;
    CCanvas *m_canvas = nullptr;
    std::unique_ptr<ImageEditorPaneLink> m_pane;
    QPointer<QDialog> m_propertyWindow;
    QToolBar *m_primitivesBar = nullptr;
    QToolBar *m_optionsBar = nullptr;
    QToolBar *m_selectorsBar = nullptr;
    QLabel *m_selectionPane = nullptr;
    CColorComboBox *m_colourCombo = nullptr;
    CPatternCombo *m_patternCombo = nullptr;
    QComboBox *m_fontCombo = nullptr;
    bool m_canGroup = false;
    bool m_canUngroup = false;
    bool m_canReorder = false;
    bool m_canCut = false;
    bool m_canCopy = false;
    bool m_appendMode = true;
    bool m_barsByProgram = false; // bars hidden by the program, not by the user
    QRect m_normalFrame;
    int m_aspectTimer = 0;
};

#pragma once
// The font editor: a top-level window per open font. It unpacks the font's
// strike into one CFontChar per character and works on them: a tree of the
// definition and characters at the left, the whole font in a row at the top
// right, the current character's pixels in a zoomed grid below it. The
// modeless Character Properties dialog changes a character's widths and
// offset, the Font Definition dialog the range and heights. The characters
// are packed back into the font's tables when the font is stored, and the
// font is written as assembler source.

#include "CEditorFrame.h"
#include "FontEditHost.h"

#include "CFontChar.h"

#include <QPointer>

#include <array>
#include <memory>
#include <vector>

class CCharPropertiesDlg;
class CFontData;
class CFontDataPane;
class CFontEditPane;
class CFontViewPane;
struct FontData;
class QSplitter;

class CFontEditor : public CEditorFrame, public FontEditHost {
public:
    // The six values the Font Definition dialog and the tree show together.
    enum Definition { kFirst, kLast, kHeight, kAscent, kDescent, kLeading };
    using DefinitionValues = std::array<int, 6>;

    explicit CFontEditor(CFontData &font);
    ~CFontEditor() override;

    // --- ItemEditorLink -------------------------------------------------------------
    void WriteBack() override { ApplyToFont(); }
    // The font was recalled again: its characters anew, the edits gone.
    void ItemReloaded() override;

    // The characters go into the font's tables when the editor holds changes.
    void ApplyToFont();
    // The characters packed as the font's tables would hold them.
    FontData Packed() const;

    // --- FontEditHost ---------------------------------------------------------------
    const CFontChar *FindChar(int code) const override;
    void ApplyCharProperties(int code, int imageWidth, int textWidth, int textOffset) override;
    void StepChar(int code, bool forward) override;

    // The character of code to the dialog, the grid and the row (kNoChar: none).
    void SelectChar(int code);
    int CurrentCode() const { return m_current; }
    // The missing glyph anew: the mean image width (at least 5), the height.
    void UpdateMissingGlyph();
    // The Font Definition dialog, and what its values change.
    void OnDefinition();
    void ApplyDefinition(const DefinitionValues &values);
    // Shows the Character Properties dialog with the tree's character, or
    // destroys a visible one.
    void OnCharProperties();
    // Opens (or raises) the dialog on code.
    void ShowCharProperties(int code);
    void SetZoom(int zoom);

    // ===== Source export (CFontEditorSource.cpp) =====================================
    // Saves a modified font first, asks for a ".s" file and writes the font's
    // assembler source into it.
    void GenerateSource();

    const DefinitionValues &WorkingDefinition() const { return m_definition; }
    const std::vector<std::unique_ptr<CFontChar>> &Chars() const { return m_chars; }
    const CFontChar &MissingGlyph() const { return m_missing; }
    CFontChar *Char(int code);
    CFontDataPane *DataPane() const { return m_dataPane; }
    CFontViewPane *ViewPane() const { return m_view; }
    CFontEditPane *EditPane() const { return m_edit; }
    // The Character Properties dialog, shown or hidden; nullptr when none.
    CCharPropertiesDlg *CharPropertiesDialog() const;

protected:
    QString TitleName() const override;
    void OnDestroyWindow() override;

private:
    void BuildCommands();
    void BuildMenus();
    void BuildPanes();
    // The characters and the definition from the font.
    void Unpack();
    // After the whole font changed: tree, row, grid and title anew.
    void ShowWholeFont();
    void CharPainted();

    CFontData &m_font;
    DefinitionValues m_definition{};
    std::vector<std::unique_ptr<CFontChar>> m_chars;
    CFontChar m_missing;
    int m_current;
    QSplitter *m_inner = nullptr;
    CFontDataPane *m_dataPane = nullptr;
    CFontViewPane *m_view = nullptr;
    CFontEditPane *m_edit = nullptr;
    QPointer<CCharPropertiesDlg> m_charDialog;
};

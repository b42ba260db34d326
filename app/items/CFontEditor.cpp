#include "CFontEditor.h"

#include "CCharPropertiesDlg.h"
#include "CFontData.h"
#include "CFontDataPane.h"
#include "CFontDefinitionDlg.h"
#include "CFontEditPane.h"
#include "CFontViewPane.h"

#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QSplitter>

#include <algorithm>

namespace {

constexpr QSize kFontDataPaneSize(150, 300);
constexpr QSize kFontViewPaneSize(300, 100);
constexpr QSize kFontEditPaneSize(300, 300);
// The missing glyph is never narrower.
constexpr int kMinMissingGlyphWidth = 5;
// What a character new to the range starts with.
constexpr int kNewFontCharWidth = 8;

// The editor's own commands (menu 276), besides the File and clipboard ones;
// the zooms and the export share their numbers with the pixel map editor's.
constexpr EditorCommand kFontCommands[] = {
    {ID_MAP_GENERATE_SOURCE, IDS_FONT_MENU_GENERATE_SOURCE, nullptr},
    {ID_FONT_DEFINITION, IDS_FONT_MENU_DEFINITION, nullptr},
    {ID_VIEW_CHAR_PROPERTIES, IDS_FONT_MENU_CHAR_PROPERTIES, nullptr},
    {ID_MAP_ZOOM_1, IDS_FONT_MENU_ZOOM_1, nullptr},
    {ID_MAP_ZOOM_2, IDS_FONT_MENU_ZOOM_2, nullptr},
    {ID_MAP_ZOOM_4, IDS_FONT_MENU_ZOOM_4, nullptr},
};
constexpr std::pair<int, int> kFontZooms[] = {{ID_MAP_ZOOM_1, 1}, {ID_MAP_ZOOM_2, 2}, {ID_MAP_ZOOM_4, 4}};

// The font editor answers tool-tip requests with no text.
QString NoFontTip(const EditorCommand &)
{
    return QString();
}

int FontWordsFor(int imageWidth)
{
    return (imageWidth + 31) / 32;
}

} // namespace

CFontEditor::CFontEditor(CFontData &font)
    : CEditorFrame(font, QStringLiteral("CFontEditor"), LoadString(IDS_FONT_EDITOR_TITLE), IDR_FONT_EDITOR),
      m_font(font), m_current(kNoChar)
{
    Unpack();
    BuildPanes();
    BuildCommands();
    BuildMenus();
    ShowWholeFont();
    UpdateCommands();
}

CFontEditor::~CFontEditor() = default;

CCharPropertiesDlg *CFontEditor::CharPropertiesDialog() const
{
    return m_charDialog.data();
}

// --- Building ----------------------------------------------------------------------

void CFontEditor::BuildPanes()
{
    m_dataPane = new CFontDataPane([this](int code) { SelectChar(code); },
                                   [this](int code) { ShowCharProperties(code); }, Splitter());
    m_inner = new QSplitter(Qt::Vertical, Splitter());
    m_view = new CFontViewPane(m_chars, m_missing, [this](int code) { SelectChar(code); }, m_inner);
    m_edit = new CFontEditPane([this] { CharPainted(); }, m_inner);
    m_view->resize(kFontViewPaneSize);
    m_edit->resize(kFontEditPaneSize);
    m_inner->addWidget(m_view);
    m_inner->addWidget(m_edit);
    m_inner->setSizes({kFontViewPaneSize.height(), kFontEditPaneSize.height()});
    SetPanes(m_dataPane, kFontDataPaneSize, m_inner,
             QSize(kFontEditPaneSize.width(), kFontViewPaneSize.height() + kFontEditPaneSize.height()));
    Splitter()->setSizes({kFontDataPaneSize.width(), kFontEditPaneSize.width()});
    resize(kFontDataPaneSize.width() + kFontEditPaneSize.width() + 60, kFontViewPaneSize.height() + kFontEditPaneSize.height() + 60);
}

void CFontEditor::BuildCommands()
{
    AddCommands(kFontCommands, NoFontTip);
    AddClipboardCommands({}); // a font has no selection to cut or paste: offered, always disabled
    m_router.SetHandler(ID_MAP_GENERATE_SOURCE, [this] { GenerateSource(); });
    m_router.SetHandler(ID_FONT_DEFINITION, [this] { OnDefinition(); });
    m_router.SetHandler(ID_VIEW_CHAR_PROPERTIES, [this] { OnCharProperties(); });
    m_router.SetCheckRule(ID_VIEW_CHAR_PROPERTIES, [this] { return m_charDialog && m_charDialog->isVisible(); });
    for (const auto &[id, zoom] : kFontZooms) {
        m_router.SetHandler(id, [this, zoom = zoom] { SetZoom(zoom); });
        m_router.SetCheckRule(id, [this, zoom = zoom] { return m_view->Zoom() == zoom; });
    }
}

void CFontEditor::BuildMenus()
{
    AddMenu(LoadString(IDS_FONT_MENU_FILE), {ID_FILE_SAVE, ID_FILE_SAVE_AS, 0, ID_MAP_GENERATE_SOURCE, 0, ID_FILE_CLOSE});
    AddMenu(LoadString(IDS_FONT_MENU_EDIT), {ID_FONT_DEFINITION, 0, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_DELETE});
    AddMenu(LoadString(IDS_FONT_MENU_VIEW), {ID_VIEW_CHAR_PROPERTIES, 0, ID_MAP_ZOOM_1, ID_MAP_ZOOM_2, ID_MAP_ZOOM_4});
}

// --- The font ----------------------------------------------------------------------

void CFontEditor::Unpack()
{
    const FontData &f = m_font.Data();
    m_definition = {f.firstChar, f.lastChar, f.charHeight, f.ascent, f.descent, f.leading};
    m_chars.clear();
    for (int code = f.firstChar; code <= f.lastChar; ++code) {
        const std::size_t i = std::size_t(code - f.firstChar);
        auto c = std::make_unique<CFontChar>();
        c->code = code;
        c->textOffset = FontData::TextOffsetOf(f.owTable[i]);
        c->textWidth = FontData::TextWidthOf(f.owTable[i]);
        const int column = f.locTable[i], columns = f.locTable[i + 1] - column;
        // An image no wider than its columns, and no column it does not use.
        c->imageWidth = std::min(int(f.imageWidths[i]), 32 * columns);
        c->pitch32 = std::min(columns, FontWordsFor(c->imageWidth));
        c->SetHeight(f.charHeight);
        for (int row = 0; row < f.charHeight; ++row)
            for (int word = 0; word < c->pitch32; ++word)
                c->bits[std::size_t(row * c->pitch32 + word)] =
                    f.bitmap[std::size_t(row) * std::size_t(f.pitch32) + std::size_t(column + word)];
        m_chars.push_back(std::move(c));
    }
    // The missing glyph is made, not read.
    m_missing = CFontChar();
    m_missing.code = kNoChar;
    m_missing.imageWidth = m_missing.textWidth = kMinMissingGlyphWidth;
    m_missing.pitch32 = 1;
    m_missing.SetHeight(1);
    UpdateMissingGlyph();
    m_current = kNoChar;
}

FontData CFontEditor::Packed() const
{
    FontData d = m_font.Data(); // kernMax and negDescent stay
    d.firstChar = m_definition[kFirst];
    d.lastChar = m_definition[kLast];
    d.charHeight = m_definition[kHeight];
    d.ascent = m_definition[kAscent];
    d.descent = m_definition[kDescent];
    d.leading = m_definition[kLeading];
    int widest = 0, pitch32 = m_missing.pitch32;
    for (const auto &c : m_chars) {
        widest = std::max(widest, c->textWidth);
        pitch32 += c->pitch32;
    }
    d.wideMax = d.rectWidth = widest;
    d.pitch32 = pitch32;
    const std::size_t glyphs = d.Glyphs();
    d.locTable.assign(glyphs + 1, 0);
    d.owTable.assign(glyphs + 1, 0);
    d.imageWidths.assign(glyphs, 0);
    d.bitmap.assign(d.BitmapWords(), 0u);
    int column = 0;
    for (std::size_t i = 0; i < glyphs; ++i) {
        const CFontChar &c = i < m_chars.size() ? *m_chars[i] : m_missing;
        d.locTable[i] = std::uint16_t(column);
        d.owTable[i] = FontData::OffsetWidth(c.textOffset, c.textWidth);
        d.imageWidths[i] = std::uint8_t(c.imageWidth);
        const int rows = std::min(c.Rows(), d.charHeight);
        for (int row = 0; row < rows; ++row)
            for (int word = 0; word < c.pitch32; ++word)
                d.bitmap[std::size_t(row) * std::size_t(pitch32) + std::size_t(column + word)] =
                    c.bits[std::size_t(row * c.pitch32 + word)];
        column += c.pitch32;
    }
    d.locTable[glyphs] = std::uint16_t(column);
    d.owTable[glyphs] = FontData::kEndMarker;
    return d;
}

void CFontEditor::ApplyToFont()
{
    if (!IsModified())
        return;
    m_font.SetData(Packed());
    SetModified(false);
    SetTitle();
}

void CFontEditor::ItemReloaded()
{
    delete m_charDialog.data();
    Unpack();
    ShowWholeFont();
    SetModified(false);
}

QString CFontEditor::TitleName() const
{
    return m_font.GetName();
}

void CFontEditor::OnDestroyWindow()
{
    delete m_charDialog.data();
}

void CFontEditor::ShowWholeFont()
{
    m_dataPane->ShowDefinition(m_definition);
    m_dataPane->ListCharacters(m_chars);
    m_view->Rebuild();
    SelectChar(m_current);
    SetTitle();
}

// --- Characters --------------------------------------------------------------------

CFontChar *CFontEditor::Char(int code)
{
    if (code < m_definition[kFirst] || code > m_definition[kLast])
        return nullptr;
    return m_chars[std::size_t(code - m_definition[kFirst])].get();
}

const CFontChar *CFontEditor::FindChar(int code) const
{
    return const_cast<CFontEditor *>(this)->Char(code);
}

void CFontEditor::SelectChar(int code)
{
    m_current = FindChar(code) ? code : kNoChar;
    if (m_charDialog && m_charDialog->isVisible())
        m_charDialog->ShowChar(m_current);
    m_edit->SetChar(Char(m_current), m_definition[kAscent]);
    m_view->SetSelected(m_current);
}

void CFontEditor::StepChar(int code, bool forward)
{
    int target = m_definition[kFirst];
    if (code != kNoChar) {
        if (!forward && code == 0)
            return;
        target = code + (forward ? 1 : -1);
    }
    if (target < m_definition[kFirst] || target > m_definition[kLast])
        return;
    SelectChar(target);
}

void CFontEditor::ApplyCharProperties(int code, int imageWidth, int textWidth, int textOffset)
{
    CFontChar *c = Char(code);
    if (!c || (c->imageWidth == imageWidth && c->textWidth == textWidth && c->textOffset == textOffset))
        return;
    c->textOffset = textOffset;
    c->textWidth = textWidth;
    const bool imageChanged = c->imageWidth != imageWidth;
    if (c->imageWidth == 0) {
        c->imageWidth = 1;
        c->pitch32 = 1;
        c->bits.assign(1, 0u);
        c->SetHeight(m_definition[kHeight]);
    }
    c->SetImageWidth(imageWidth);
    m_dataPane->UpdateChar(*c);
    if (imageChanged) {
        UpdateMissingGlyph();
        m_view->Rebuild();
        m_edit->SetChar(Char(m_current), m_definition[kAscent]);
    }
    SetModified();
}

void CFontEditor::UpdateMissingGlyph()
{
    int sum = 0, count = 0;
    for (const auto &c : m_chars) {
        if (c->imageWidth != 0) {
            sum += c->imageWidth;
            ++count;
        }
    }
    const int wanted = std::max(count ? sum / count : kMinMissingGlyphWidth, kMinMissingGlyphWidth);
    bool changed = false;
    if (m_missing.Rows() != m_definition[kHeight]) {
        m_missing.SetHeight(m_definition[kHeight]);
        changed = true;
    }
    if (wanted != m_missing.imageWidth) {
        m_missing.SetImageWidth(wanted);
        m_missing.textWidth = wanted;
        m_missing.textOffset = 0;
        changed = true;
    }
    if (changed)
        m_missing.MakeBox();
}

void CFontEditor::CharPainted()
{
    if (!IsModified())
        SetModified();
    m_view->viewport()->update();
}

// --- Definition --------------------------------------------------------------------

void CFontEditor::OnDefinition()
{
    CFontDefinitionDlg dialog(this, m_definition);
    if (DoModal(dialog) != IDOK)
        return;
    ApplyDefinition(dialog.Result());
}

void CFontEditor::ApplyDefinition(const DefinitionValues &v)
{
    bool changed = false;
    if (v[kAscent] != m_definition[kAscent] || v[kDescent] != m_definition[kDescent] ||
        v[kLeading] != m_definition[kLeading]) {
        m_definition[kAscent] = v[kAscent];
        m_definition[kDescent] = v[kDescent];
        m_definition[kLeading] = v[kLeading];
        changed = true;
    }
    const bool newHeight = v[kHeight] != m_definition[kHeight];
    m_definition[kHeight] = v[kHeight];
    if (v[kFirst] == m_definition[kFirst] && v[kLast] == m_definition[kLast]) {
        if (newHeight) {
            for (const auto &c : m_chars)
                c->SetHeight(v[kHeight]);
            changed = true;
        }
    } else {
        std::vector<std::unique_ptr<CFontChar>> chars;
        for (int code = v[kFirst]; code <= v[kLast]; ++code) {
            std::unique_ptr<CFontChar> c;
            if (code >= m_definition[kFirst] && code <= m_definition[kLast]) {
                c = std::move(m_chars[std::size_t(code - m_definition[kFirst])]);
                if (newHeight)
                    c->SetHeight(v[kHeight]);
            } else {
                c = std::make_unique<CFontChar>();
                c->code = code;
                c->textWidth = c->imageWidth = kNewFontCharWidth;
                c->pitch32 = 1;
                c->SetHeight(v[kHeight]);
            }
            chars.push_back(std::move(c));
        }
        m_chars = std::move(chars);
        m_definition[kFirst] = v[kFirst];
        m_definition[kLast] = v[kLast];
        m_dataPane->ListCharacters(m_chars);
        changed = true;
    }
    if (!changed)
        return;
    UpdateMissingGlyph();
    m_dataPane->ShowDefinition(m_definition);
    m_view->Rebuild();
    SelectChar(m_current);
    SetModified();
}

// --- Views and the dialog ----------------------------------------------------------

void CFontEditor::OnCharProperties()
{
    const bool visible = m_charDialog && m_charDialog->isVisible();
    delete m_charDialog.data();
    if (!visible) {
        m_charDialog = new CCharPropertiesDlg(*this, this);
        m_charDialog->show();
        SelectChar(m_dataPane->CurrentCode());
    }
    UpdateCommands();
}

void CFontEditor::ShowCharProperties(int code)
{
    if (!m_charDialog)
        m_charDialog = new CCharPropertiesDlg(*this, this);
    m_charDialog->show();
    m_charDialog->raise();
    SelectChar(code);
    UpdateCommands();
}

void CFontEditor::SetZoom(int zoom)
{
    m_view->SetZoom(zoom);
}

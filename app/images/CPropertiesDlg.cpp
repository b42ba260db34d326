#include "CPropertiesDlg.h"

#include "CKindValue.h"
#include "CPrimitive.h"
#include "CStateButton.h"
#include "CValueEdit.h"
#include "DialogControls.h"
#include "ListPaneEditorLink.h"
#include "InsertFilter.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <array>
#include <climits>

namespace {

bool g_pinned = true;

enum class FieldKind { None, Int, Real, Text, Combo };

struct Field {
    int id = 0;
    FieldKind kind = FieldKind::None;
    int minimum = 0;
    int maximum = 0;
};

constexpr int kCoordMin = -32768;
constexpr int kCoordMax = 32767;
constexpr Field kNoField{};
constexpr Field X(int id) { return {id, FieldKind::Int, kCoordMin, kCoordMax}; }
constexpr Field Count(int id, int minimum) { return {id, FieldKind::Int, minimum, kCoordMax}; }

// One line of a template: its label and one or two fields (X and Y).
struct Row {
    unsigned label; // text id; 0 ends the rows
    Field first;
    Field second;
};

struct Template {
    int id;
    unsigned caption; // text id
    std::array<Row, 5> rows;
    bool pointColumns; // the rows are points: an "X" and a "Y" column
};

constexpr Row kEnd{0, kNoField, kNoField};

const std::array<Template, 9> kTemplates{{
    {IDD_TRIANGLE_PROPERTIES, IDS_TRIANGLE_PROPERTIES,
     {{{IDS_PROPERTY_POINT_1, X(IDC_PROPERTY_X1), X(IDC_PROPERTY_Y1)},
       {IDS_PROPERTY_POINT_2, X(IDC_PROPERTY_X2), X(IDC_PROPERTY_Y2)},
       {IDS_PROPERTY_POINT_3, X(IDC_PROPERTY_X3), X(IDC_PROPERTY_Y3)}, kEnd, kEnd}},
     true},
    {IDD_DOT_PROPERTIES, IDS_DOT_PROPERTIES,
     {{{IDS_PROPERTY_X, X(IDC_PROPERTY_X1), kNoField}, {IDS_PROPERTY_Y, X(IDC_PROPERTY_Y1), kNoField}, kEnd, kEnd, kEnd}}, false},
    {IDD_LINE_PROPERTIES, IDS_LINE_PROPERTIES,
     {{{IDS_PROPERTY_POINT_1, X(IDC_PROPERTY_X1), X(IDC_PROPERTY_Y1)},
       {IDS_PROPERTY_POINT_2, X(IDC_PROPERTY_X2), X(IDC_PROPERTY_Y2)}, kEnd, kEnd, kEnd}},
     true},
    {IDD_RECTANGLE_PROPERTIES, IDS_RECTANGLE_PROPERTIES,
     {{{IDS_PROPERTY_X, X(IDC_PROPERTY_X1), kNoField},
       {IDS_PROPERTY_Y, X(IDC_PROPERTY_Y1), kNoField},
       {IDS_PROPERTY_WIDTH, Count(IDC_PROPERTY_WIDTH, 1), kNoField},
       {IDS_PROPERTY_HEIGHT, Count(IDC_PROPERTY_HEIGHT, 1), kNoField}, kEnd}},
     false},
    {IDD_GRILL_PROPERTIES, IDS_GRILL_PROPERTIES,
     {{{IDS_PROPERTY_BAR_THICKNESS, Count(IDC_PROPERTY_X1, 1), kNoField},
       {IDS_PROPERTY_BAR_SPACE, Count(IDC_PROPERTY_Y1, 0), kNoField}, kEnd, kEnd, kEnd}},
     false},
    {IDD_GRID_PROPERTIES, IDS_GRID_PROPERTIES,
     {{{IDS_PROPERTY_HORZ_BOXES, Count(IDC_PROPERTY_X1, 1), kNoField},
       {IDS_PROPERTY_VERT_BOXES, Count(IDC_PROPERTY_Y1, 1), kNoField}, kEnd, kEnd, kEnd}},
     false},
    {IDD_TEXT_PROPERTIES, IDS_TEXT_PROPERTIES,
     {{{IDS_PROPERTY_X, X(IDC_PROPERTY_X1), kNoField},
       {IDS_PROPERTY_Y, X(IDC_PROPERTY_Y1), kNoField},
       {IDS_PROPERTY_TEXT, {IDC_PROPERTY_TEXT, FieldKind::Text, 0, 0}, kNoField}, kEnd, kEnd}},
     false},
    {IDD_CHARACTER_BOX_PROPERTIES, IDS_CHARACTER_BOX_PROPERTIES,
     {{{IDS_PROPERTY_X, X(IDC_PROPERTY_X1), kNoField},
       {IDS_PROPERTY_Y, X(IDC_PROPERTY_Y1), kNoField},
       {IDS_PROPERTY_WIDTH, Count(IDC_PROPERTY_WIDTH, 1), kNoField},
       {IDS_PROPERTY_HEIGHT, Count(IDC_PROPERTY_HEIGHT, 1), kNoField},
       {IDS_PROPERTY_CHARACTER_CODE, {IDC_PROPERTY_CODE, FieldKind::Int, 0, 255}, kNoField}}},
     false},
    {IDD_INFO_BOX_PROPERTIES, IDS_INFO_BOX_PROPERTIES,
     {{{IDS_PROPERTY_X, {IDC_PROPERTY_X1, FieldKind::Real, 0, 0}, kNoField},
       {IDS_PROPERTY_Y, {IDC_PROPERTY_Y1, FieldKind::Real, 0, 0}, kNoField},
       {IDS_PROPERTY_INFO, {IDC_PROPERTY_INFO, FieldKind::Combo, 0, 0}, kNoField},
       {IDS_PROPERTY_STYLE, {IDC_PROPERTY_STYLE, FieldKind::Combo, 0, 0}, kNoField}, kEnd}},
     false},
}};

const Template *FindTemplate(int id)
{
    const auto it = std::find_if(kTemplates.begin(), kTemplates.end(), [id](const Template &t) { return t.id == id; });
    return it == kTemplates.end() ? nullptr : &*it;
}

// The text field: what a command line cannot hold between quotes is
// refused, typed or pasted, and so is a 33rd character.
class PropertyTextFilter final : public InsertFilter {
public:
    explicit PropertyTextFilter(QLineEdit *edit) : InsertFilter(edit) {}

protected:
    bool AcceptsChar(QChar c) const override
    {
        return c.unicode() >= 0x20 && c.unicode() != 0x7F && c != u'"' && c != u';' && c != u'>' && c.isPrint();
    }
    int MaxLength() const override { return CPropertiesDlg::kMaxText; }
};

// Dialog units of the templates.
constexpr int kLabelX = 7;
constexpr int kLabelWidth = 80;
constexpr int kFirstX = 90;
constexpr int kSecondX = 140;
constexpr int kEditWidth = 45;
constexpr int kWideEdit = 130;
constexpr int kRowTop = 7;
constexpr int kRowStep = 16;
constexpr int kEditHeight = 12;
constexpr int kDialogWidth = 235;
constexpr int kButtonX = 215;
constexpr int kButtonSize = 14;

} // namespace

CPropertiesDlg::CPropertiesDlg(QWidget *editor, CPrimitive *primitive, int templateId)
    : QDialog(editor), m_editor(editor), m_primitive(primitive), m_templateId(templateId)
{
    setModal(false);
    Build();
}

CPropertiesDlg::~CPropertiesDlg()
{
    if (m_primitive && m_primitive->GetPropertyDialog() == this)
        m_primitive->SetPropertyDialog(nullptr);
}

bool CPropertiesDlg::IsPinned() { return g_pinned; }
void CPropertiesDlg::SetPinned(bool pinned) { g_pinned = pinned; }

void CPropertiesDlg::Build()
{
    const Template *shape = FindTemplate(m_templateId);
    setWindowTitle(LoadString(shape ? shape->caption : unsigned(IDS_PROPERTIES)));
    int y = kRowTop;
    if (!shape) {
        m_case = AddControl<QLabel>(this, IDC_PROPERTY_CASE, kLabelX, y, kButtonX - 2 * kLabelX, kEditHeight);
        y += kRowStep;
    } else {
        if (shape->pointColumns) {
            AddControl<QLabel>(this, kNoControlId, kFirstX, y, kEditWidth, kEditHeight, LoadString(IDS_PROPERTY_X));
            AddControl<QLabel>(this, kNoControlId, kSecondX, y, kEditWidth, kEditHeight, LoadString(IDS_PROPERTY_Y));
            y += kRowStep - 4;
        }
        for (const Row &row : shape->rows) {
            if (row.label == 0)
                break;
            AddControl<QLabel>(this, kNoControlId, kLabelX, y, kLabelWidth, kEditHeight, LoadString(row.label));
            for (const Field *field : {&row.first, &row.second}) {
                const int x = field == &row.first ? kFirstX : kSecondX;
                switch (field->kind) {
                case FieldKind::None:
                    break;
                case FieldKind::Int:
                case FieldKind::Real: {
                    auto *edit = AddControl<CValueEdit>(this, field->id, x, y, kEditWidth, kEditHeight);
                    edit->m_integerOnly = field->kind == FieldKind::Int;
                    edit->m_rangeCheck = field->kind == FieldKind::Int;
                    edit->m_minimum = field->minimum;
                    edit->m_maximum = field->maximum;
                    edit->m_decimals = 4;
                    break;
                }
                case FieldKind::Text:
                    m_text = AddControl<QLineEdit>(this, field->id, x, y, kWideEdit - (x - kFirstX), kEditHeight);
                    m_textFilter = new PropertyTextFilter(m_text);
                    m_text->setValidator(m_textFilter);
                    break;
                case FieldKind::Combo: {
                    auto *combo = AddControl<QComboBox>(this, field->id, x, y, kWideEdit - (x - kFirstX), kEditHeight + 2);
                    (field->id == IDC_PROPERTY_INFO ? m_info : m_style) = combo;
                    break;
                }
                }
            }
            y += kRowStep;
        }
    }
    if (m_info) {
        const CInfoBoxContents contents;
        for (int i = 0; i < contents.GetCount(); ++i)
            m_info->addItem(contents.GetText(i));
        const CTextBoxBorder border;
        for (int i = 0; i < border.GetCount(); ++i)
            m_style->addItem(border.GetText(i));
        // The box's caption stands over it: the box itself shows the contents' items.
        AddControl<QLabel>(this, kNoControlId, kLabelX, y, kLabelWidth, kEditHeight, LoadString(IDS_PROPERTY_DESCRIPTION));
        y += kEditHeight;
        m_description = AddControl<QLabel>(this, IDC_PROPERTY_DESCRIPTION, kLabelX, y, kButtonX - 2 * kLabelX, 3 * kEditHeight);
        m_description->setWordWrap(true);
        m_description->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        SetStaticColours(m_description, Qt::black, QColor(255, 255, 128));
        y += 3 * kEditHeight + 4;
        connect(m_info, &QComboBox::currentIndexChanged, this, [this] { OnComboChanged(true); });
        connect(m_style, &QComboBox::currentIndexChanged, this, [this] { OnComboChanged(false); });
        RefreshDescription();
    }
    m_pin = AddControl<CStateButton>(this, IDC_PROPERTY_PIN, kButtonX, kRowTop, kButtonSize, kButtonSize);
    m_pin->setToolTip(LoadString(IDS_PIN_TIP));
    m_pin->LoadBitmaps(IDB_PIN_OUT, IDB_PIN_IN, IDB_PIN_OUT, IDB_PIN_IN, IDB_PIN_OUT);
    m_pin->SetState(g_pinned ? 1 : 0);
    connect(m_pin, &QPushButton::clicked, this, [this] { OnPin(); });
    auto *help = AddControl<QPushButton>(this, IDC_PROPERTY_HELP, kButtonX, kRowTop + kButtonSize + 2, kButtonSize, kButtonSize,
                                         QStringLiteral("?"));
    help->setToolTip(LoadString(IDS_PROPERTY_HELP_TIP));
    help->setAutoDefault(false);
    m_pin->setAutoDefault(false);
    // Out of sight but shown, so that Return in any field applies.
    auto *enter = new QPushButton(LoadString(IDS_PROPERTY_ENTER), this);
    SetControlId(enter, IDC_PROPERTY_ENTER);
    enter->setDefault(true);
    enter->setGeometry(999, 999, 30, 30);
    connect(enter, &QPushButton::clicked, this, [this] { Apply(); });
    SetDialogSize(this, kDialogWidth, std::max(y, kRowTop + 2 * kButtonSize + 6) + 4);
}

CValueEdit *CPropertiesDlg::Edit(int id) const
{
    // The edit has no meta-object of its own: find the line edit, then check.
    return dynamic_cast<CValueEdit *>(findChild<QLineEdit *>(ControlName(id)));
}

int CPropertiesDlg::ReadInt(int id)
{
    CValueEdit *edit = Edit(id);
    if (!edit)
        return 0;
    const int value = edit->GetInt();
    edit->setModified(false);
    return value;
}

void CPropertiesDlg::WriteInt(int id, int value)
{
    if (CValueEdit *edit = Edit(id))
        edit->SetInt(value);
}

QPoint CPropertiesDlg::GetPosition()
{
    const int x = ReadInt(IDC_PROPERTY_X1);
    return {x, ReadInt(IDC_PROPERTY_Y1)};
}

void CPropertiesDlg::SetPosition(const QPoint &point)
{
    WriteInt(IDC_PROPERTY_X1, point.x());
    WriteInt(IDC_PROPERTY_Y1, point.y());
}

QSize CPropertiesDlg::GetSize()
{
    const int width = ReadInt(IDC_PROPERTY_WIDTH);
    return {width, ReadInt(IDC_PROPERTY_HEIGHT)};
}

void CPropertiesDlg::SetSize(const QSize &size)
{
    WriteInt(IDC_PROPERTY_WIDTH, size.width());
    WriteInt(IDC_PROPERTY_HEIGHT, size.height());
}

int CPropertiesDlg::GetCharacterCode() { return ReadInt(IDC_PROPERTY_CODE); }
void CPropertiesDlg::SetCharacterCode(int code) { WriteInt(IDC_PROPERTY_CODE, code); }

QPoint CPropertiesDlg::GetPoint(int index)
{
    const int x = ReadInt(IDC_PROPERTY_X1 + index);
    return {x, ReadInt(IDC_PROPERTY_Y1 + index)};
}

void CPropertiesDlg::SetPoint(int index, const QPoint &point)
{
    WriteInt(IDC_PROPERTY_X1 + index, point.x());
    WriteInt(IDC_PROPERTY_Y1 + index, point.y());
}

QString CPropertiesDlg::GetText()
{
    if (!m_text)
        return {};
    m_text->setModified(false);
    return m_text->text();
}

void CPropertiesDlg::SetText(const QString &text)
{
    if (!m_text)
        return;
    // The program's own text is shown as it is; only the user's input is judged.
    m_textFilter->SetBaseline(text);
    m_text->setText(text);
}

void CPropertiesDlg::GetRatios(double &x, double &y)
{
    CValueEdit *ex = Edit(IDC_PROPERTY_X1);
    CValueEdit *ey = Edit(IDC_PROPERTY_Y1);
    x = ex ? ex->GetReal() : 0.0;
    y = ey ? ey->GetReal() : 0.0;
    if (ex)
        ex->setModified(false);
    if (ey)
        ey->setModified(false);
}

void CPropertiesDlg::SetRatios(double x, double y)
{
    if (CValueEdit *ex = Edit(IDC_PROPERTY_X1))
        ex->SetReal(x);
    if (CValueEdit *ey = Edit(IDC_PROPERTY_Y1))
        ey->SetReal(y);
}

int CPropertiesDlg::GetInfo()
{
    m_comboChanged = false;
    return m_info ? m_info->currentIndex() : 0;
}

int CPropertiesDlg::GetStyle()
{
    m_comboChanged = false;
    return m_style ? m_style->currentIndex() : 0;
}

void CPropertiesDlg::SetInfo(int index)
{
    if (!m_info)
        return;
    m_settingCombos = true;
    m_info->setCurrentIndex(index);
    m_settingCombos = false;
    m_comboChanged = false;
    RefreshDescription();
}

void CPropertiesDlg::SetStyle(int index)
{
    if (!m_style)
        return;
    m_settingCombos = true;
    m_style->setCurrentIndex(index);
    m_settingCombos = false;
    m_comboChanged = false;
    RefreshDescription();
}

void CPropertiesDlg::SetCase(int which)
{
    static constexpr std::array<unsigned, 4> kCaseTexts{IDS_NO_SELECTION, IDS_MULTIPLE_SELECTIONS, IDS_FROZEN_IN_GROUP,
                                                        IDS_NO_PROPERTIES};
    if (m_case && which >= 0 && which < int(kCaseTexts.size()))
        m_case->setText(LoadString(kCaseTexts[size_t(which)]));
}

void CPropertiesDlg::RefreshDescription()
{
    if (!m_description || !m_info)
        return;
    CInfoBoxContents contents;
    contents.SetIndex(m_info->currentIndex());
    std::array<unsigned, CInfoBoxContents::kMaxLines> ids{};
    const int count = contents.GetLineIds(ids);
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << LoadString(ids[size_t(i)]);
    m_description->setText(lines.join(QStringLiteral(", ")));
}

void CPropertiesDlg::OnComboChanged(bool info)
{
    if (m_settingCombos)
        return;
    m_comboChanged = true;
    if (info)
        RefreshDescription();
    Apply();
}

bool CPropertiesDlg::IsModified() const
{
    const auto edits = findChildren<QLineEdit *>();
    return m_comboChanged || std::any_of(edits.begin(), edits.end(), [](const QLineEdit *e) { return e->isModified(); });
}

void CPropertiesDlg::Apply()
{
    if (m_primitive && !m_destroyed && IsModified())
        m_primitive->ApplyProperties();
}

void CPropertiesDlg::OnPin()
{
    g_pinned = !g_pinned;
    m_pin->SetState(g_pinned ? 1 : 0);
}

void CPropertiesDlg::DestroyWindow()
{
    if (m_destroyed)
        return;
    Apply();
    m_destroyed = true;
    if (m_primitive && m_primitive->GetPropertyDialog() == this)
        m_primitive->SetPropertyDialog(nullptr);
    m_primitive = nullptr;
    hide();
    if (!PostMessage(m_editor, WM_PROPERTIES_CLOSED, m_primitiveGone ? 1 : 0, ToLParam(this)))
        deleteLater(); // no editor to delete it
}

void CPropertiesDlg::PrimitiveGone()
{
    // The primitive is in its destructor: nothing of it may be called now.
    m_primitive = nullptr;
    m_primitiveGone = true;
    m_closing = true;
    DestroyWindow();
}

LRESULT CPropertiesDlg::OnMessage(unsigned message, WPARAM, LPARAM)
{
    if (message != WM_PROPERTIES_SHOWN)
        return 0;
    m_activated = true;
    SendMessage(m_editor, WM_PROPERTIES_TO_TOP, 0, ToLParam(this));
    return 1;
}

void CPropertiesDlg::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || isActiveWindow())
        return;
    if (m_activated && !g_pinned && !m_closing) {
        m_closing = true;
        DestroyWindow();
    }
}

void CPropertiesDlg::closeEvent(QCloseEvent *event)
{
    event->ignore();
    m_closing = true;
    DestroyWindow();
}

void CPropertiesDlg::reject()
{
    m_closing = true;
    DestroyWindow();
}

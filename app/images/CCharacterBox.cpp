#include "CCharacterBox.h"

#include "Archive.h"
#include "CCanvas.h"
#include "CCommandReader.h"
#include "CPropertiesDlg.h"
#include "PrimitivePainting.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QFontMetrics>
#include <QPainter>

IMPLEMENT_SERIAL(CCharacterBox, CRectangle, VERSIONABLE_SCHEMA | 1)

CCharacterBox::CCharacterBox() : PlacedKind(0, 0, 0, 0, CNamedColour::kBlack) {}

CCharacterBox::CCharacterBox(int x1, int y1, int x2, int y2, int colour, int font, int code)
    : PlacedKind(x1, y1, x2, y2, colour), m_code(code)
{
    m_font.SetIndex(font);
}

CCharacterBox::CCharacterBox(CCanvas *canvas) : PlacedKind(canvas) {}

CCharacterBox::CCharacterBox(const CCharacterBox &other) = default;

CCharacterBox::~CCharacterBox() = default;

void CCharacterBox::Serialize(CArchive &ar)
{
    CPrimitive::Serialize(ar);
    TransferValues(ar);
}

QString CCharacterBox::GetTypeName() const { return LoadString(IDS_TYPE_CHARACTER_BOX); }

QString CCharacterBox::GetCommandText() const
{
    const LineBox box = BoxForLine();
    return QStringLiteral("PAGE %1 %2 %3 %4 %5 %6 %7")
        .arg(m_colour.GetCommandName())
        .arg(box.w)
        .arg(box.h)
        .arg(box.x)
        .arg(box.y)
        .arg(m_font.GetText())
        .arg(m_code);
}

void CCharacterBox::SetFromCommand(CCommandReader &reader)
{
    m_colour.SetByName(NextWord(reader));
    const LineBox box = NextLineBox(reader);
    m_font.SetByName(NextWord(reader));
    m_code = 0;
    reader.NextInt(m_code);
    SetLineBox(box);
}

void CCharacterBox::Paint(QPainter &painter, const QRect &)
{
    const QRect box = ClientBox();
    const QColor colour = m_colour.GetScreenColour();
    DrawBoxOutline(painter, box, colour);
    const QString label = QStringLiteral("PAGE: %1").arg(m_code);
    const int width = box.width() - 1;
    const int height = box.height() - 1;
    if (const std::optional<QFont> font = FitTextFont(label, width, height)) {
        const QFontMetrics metrics(*font);
        const QPoint at(box.left() + (width - metrics.horizontalAdvance(label)) / 2,
                        box.top() + (height - metrics.height()) / 2);
        DrawTextAt(painter, at, label, *font, colour);
    }
}

// --- Properties ------------------------------------------------------------------------

CPropertiesDlg *CCharacterBox::OpenProperties(QWidget *parent)
{
    return OpenPropertyDialog(parent, IDD_CHARACTER_BOX_PROPERTIES);
}

void CCharacterBox::UpdateProperties()
{
    ShowInDialog([this](CPropertiesDlg &dialog) {
        dialog.SetCharacterCode(m_code);
        ShowBox(dialog);
    });
}

void CCharacterBox::ApplyProperties()
{
    TakeFromDialog([this](CPropertiesDlg &dialog) {
        m_code = dialog.GetCharacterCode();
        TakeBox(dialog);
    });
}

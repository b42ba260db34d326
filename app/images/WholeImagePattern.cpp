#include "WholeImagePattern.h"

#include "Archive.h"
#include "CCanvas.h"
#include "CCommandReader.h"
#include "CPropertiesDlg.h"

#include <algorithm>

WholeImagePattern::WholeImagePattern(const KindTable &kinds, int kind, int first, int second, int colour)
    : Coloured(kinds, kind), m_first(first), m_second(second)
{
    m_colour.SetIndex(colour);
}

WholeImagePattern::WholeImagePattern(const KindTable &kinds, CCanvas *canvas, int kind, int first, int second)
    : Coloured(kinds, canvas, kind), m_first(first), m_second(second)
{
}

WholeImagePattern::WholeImagePattern(const WholeImagePattern &other) = default;

void WholeImagePattern::Serialize(CArchive &ar)
{
    CPrimitive::Serialize(ar);
    TransferValues(ar, *this, Values());
}

QString WholeImagePattern::GetCommandText() const
{
    if (!KnownKind())
        return {};
    return QStringLiteral("%1 %2 %3 %4")
        .arg(Mnemonic(), m_colour.GetCommandName())
        .arg(m_first)
        .arg(m_second);
}

void WholeImagePattern::SetFromCommand(CCommandReader &reader)
{
    m_colour.SetByName(NextWord(reader));
    m_first = NextLineValue(reader);
    m_second = NextLineValue(reader);
}

std::vector<int> WholeImagePattern::ClientLines(const CCanvas &canvas, const std::vector<int> &positions, bool vertical)
{
    const int extent = vertical ? canvas.width() : canvas.height();
    std::vector<bool> taken(size_t(std::max(extent, 0)), false);
    std::vector<int> lines;
    for (int position : positions) {
        const QPoint client = vertical ? canvas.ImageToClient(position, 0) : canvas.ImageToClient(0, position);
        const int at = vertical ? client.x() : client.y();
        if (at < 0 || at >= extent || taken[size_t(at)])
            continue;
        taken[size_t(at)] = true;
        lines.push_back(at);
    }
    return lines;
}

void WholeImagePattern::Invalidate()
{
    if (CCanvas *canvas = GetCanvas())
        canvas->update();
}

void WholeImagePattern::UpdateProperties()
{
    ShowInDialog([this](CPropertiesDlg &dialog) { dialog.SetPosition({m_first, m_second}); });
}

void WholeImagePattern::ApplyProperties()
{
    TakeFromDialog([this](CPropertiesDlg &dialog) {
        const QPoint values = dialog.GetPosition();
        m_first = values.x();
        m_second = values.y();
    });
}

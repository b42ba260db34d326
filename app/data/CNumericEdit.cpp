#include "CNumericEdit.h"

#include "InsertFilter.h"

#include <QPalette>

namespace {

class NumericFilter final : public InsertFilter {
public:
    using InsertFilter::InsertFilter;

protected:
    bool AcceptsChar(QChar c) const override { return CNumericEdit::IsNumericChar(c); }
};

// Half way to grey: a disabled edit keeps its colours, faded.
QColor Faded(QRgb colour, int grey)
{
    return QColor((qRed(colour) + grey) / 2, (qGreen(colour) + grey) / 2, (qBlue(colour) + grey) / 2);
}

} // namespace

CNumericEdit::CNumericEdit(QWidget *parent) : QLineEdit(parent), m_filter(new NumericFilter(this))
{
    setValidator(m_filter);
    SetColours(m_colours);
}

bool CNumericEdit::IsNumericChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || u == u'.';
}

void CNumericEdit::setText(const QString &text)
{
    m_filter->SetBaseline(text);
    QLineEdit::setText(text);
}

void CNumericEdit::SetColours(const EntryColours &colours)
{
    m_colours = colours;
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, QColor(colours.background));
    palette.setColor(QPalette::Text, QColor(colours.text));
    SetDisabledLook(palette, colours);
    setPalette(palette);
}

void CNumericEdit::SetDisabledLook(QPalette &palette, const EntryColours &colours)
{
    palette.setColor(QPalette::Disabled, QPalette::Base, Faded(colours.background, 112));
    palette.setColor(QPalette::Disabled, QPalette::Text, Faded(colours.text, 160));
}

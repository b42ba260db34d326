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

// A disabled edit keeps its colours, its text dimmed to half.
QColor Dimmed(QRgb text)
{
    return QColor(qRed(text) / 2 + 64, qGreen(text) / 2 + 64, qBlue(text) / 2 + 64);
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
    palette.setColor(QPalette::Disabled, QPalette::Base, QColor(colours.background));
    palette.setColor(QPalette::Disabled, QPalette::Text, Dimmed(colours.text));
    setPalette(palette);
}

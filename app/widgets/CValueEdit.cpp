#include "CValueEdit.h"

#include "InsertFilter.h"
#include "Numbers.h"

#include <QPalette>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>

namespace {

class ValueFilter final : public InsertFilter {
public:
    explicit ValueFilter(CValueEdit *edit) : InsertFilter(edit), m_edit(edit) {}

protected:
    bool IsLocked() const override { return m_edit->m_readOnly; }
    bool AcceptsChar(QChar c) const override { return CValueEdit::IsValueChar(c, m_edit->m_integerOnly); }

private:
    const CValueEdit *m_edit;
};

bool IsCSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

QStringView SkipSpace(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && IsCSpace(text[i]))
        ++i;
    return text.mid(i);
}

} // namespace

CValueEdit::CValueEdit(QWidget *parent) : QLineEdit(parent), m_filter(new ValueFilter(this))
{
    setValidator(m_filter);
    QPalette colours = palette();
    colours.setColor(QPalette::Text, QColor(0, 255, 0));
    colours.setColor(QPalette::Base, Qt::black);
    setPalette(colours);
}

bool CValueEdit::IsValueChar(QChar c, bool integerOnly)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || u == u'+' || u == u'-' || (u == u'.' && !integerOnly);
}

int CValueEdit::LeadingInt(QStringView text)
{
    text = SkipSpace(text);
    bool negative = false;
    if (!text.isEmpty() && (text[0] == u'+' || text[0] == u'-')) {
        negative = text[0] == u'-';
        text = text.mid(1);
    }
    long long value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            break;
        value = std::min(value * 10 + (c.unicode() - u'0'), static_cast<long long>(INT_MAX) + 1);
    }
    value = negative ? -value : value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

double CValueEdit::LeadingReal(QStringView text)
{
    text = SkipSpace(text);
    // from_chars takes no '+', strtod does (but not "+-1").
    if (text.size() > 1 && text[0] == u'+' && text[1] != u'-')
        text = text.mid(1);
    const QByteArray bytes = text.toLatin1();
    double value = 0;
    const auto result =
        std::from_chars(bytes.constData(), bytes.constData() + bytes.size(), value, std::chars_format::general);
    return result.ec == std::errc() && std::isfinite(value) ? value : 0.0;
}

void CValueEdit::setText(const QString &text)
{
    m_filter->SetBaseline(text);
    QLineEdit::setText(text);
}

void CValueEdit::SetInt(int value)
{
    setText(FormatInt(value));
    selectAll(); // leaves the caret at the end, in view
}

int CValueEdit::GetInt() const
{
    const int value = LeadingInt(text());
    // A typed value reads as leaving the field would clamp it, so that
    // Return before the focus moves gives the same; a value the program set
    // stays as set.
    if (m_integerOnly && m_rangeCheck && isModified())
        return std::clamp(value, m_minimum, std::max(m_minimum, m_maximum));
    return value;
}

void CValueEdit::SetReal(double value)
{
    // printf treats a negative precision as none given, which means 6.
    setText(FormatFixed(value, m_decimals < 0 ? 6 : m_decimals));
    selectAll();
}

double CValueEdit::GetReal() const
{
    return LeadingReal(text());
}

void CValueEdit::focusOutEvent(QFocusEvent *event)
{
    if (m_integerOnly && m_rangeCheck && isModified()) {
        const int value = LeadingInt(text());
        if (value < m_minimum)
            SetInt(m_minimum);
        else if (value > m_maximum)
            SetInt(m_maximum);
        setModified(true); // the limit is the user's change, still to be applied
    }
    QLineEdit::focusOutEvent(event);
}

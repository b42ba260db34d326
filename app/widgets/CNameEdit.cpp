#include "CNameEdit.h"

#include "InsertFilter.h"

#include <QPalette>

#include <algorithm>

namespace {

class NameFilter final : public InsertFilter {
public:
    using InsertFilter::InsertFilter;

protected:
    bool AcceptsChar(QChar c) const override { return CNameEdit::IsNameChar(c); }
    int MaxLength() const override { return CNameEdit::kMaxLength; }
    bool IsAcceptable(const QString &text) const override { return CNameEdit::IsValidName(text); }
};

} // namespace

CNameEdit::CNameEdit(QWidget *parent) : QLineEdit(parent), m_filter(new NameFilter(this))
{
    setValidator(m_filter);
    QPalette colours = palette();
    colours.setColor(QPalette::Text, QColor(255, 255, 0));
    colours.setColor(QPalette::Base, Qt::black);
    setPalette(colours);
}

bool CNameEdit::IsNameChar(QChar c)
{
    // ASCII only: generators take no other letters in names.
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || u == u'_';
}

bool CNameEdit::IsValidName(const QString &name)
{
    return !name.isEmpty() && name.size() <= kMaxLength && std::all_of(name.begin(), name.end(), IsNameChar);
}

void CNameEdit::setText(const QString &text)
{
    m_filter->SetBaseline(text);
    QLineEdit::setText(text);
}

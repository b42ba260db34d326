#include "InsertFilter.h"

#include <QLineEdit>

#include <algorithm>

InsertFilter::InsertFilter(QLineEdit *edit) : QValidator(edit), m_baseline(edit->text())
{
    // textChanged comes after a change was accepted, so it is the next change's start.
    connect(edit, &QLineEdit::textChanged, this, [this](const QString &text) { m_baseline = text; });
}

void InsertFilter::SetBaseline(const QString &text)
{
    m_baseline = text;
}

QString InsertFilter::InsertedPart(const QString &before, const QString &after)
{
    const qsizetype shorter = std::min(before.size(), after.size());
    qsizetype prefix = 0;
    while (prefix < shorter && before[prefix] == after[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    return after.mid(prefix, after.size() - prefix - suffix);
}

QValidator::State InsertFilter::validate(QString &input, int &) const
{
    // A refused change must never be Invalid for the text already shown:
    // the edit stops undoing refused changes once its text is invalid.
    if (input != m_baseline) {
        if (IsLocked())
            return Invalid;
        const QString inserted = InsertedPart(m_baseline, input);
        if (!inserted.isEmpty()) {
            if (!std::all_of(inserted.begin(), inserted.end(), [this](QChar c) { return AcceptsChar(c); }))
                return Invalid;
            if (MaxLength() >= 0 && input.size() > MaxLength())
                return Invalid;
        }
    }
    return IsAcceptable(input) ? Acceptable : Intermediate;
}

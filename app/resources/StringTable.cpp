#include "StringTable.h"

#include <algorithm>
#include <vector>

namespace {

struct StringRow {
    unsigned id;
    const char *text; // UTF-8
};

// Each subsystem keeps its rows in its own strings_<name>.inc; the build
// gathers them all, so none has to edit this file.
const StringRow kRows[] = {
#define STRING(name, id, text) {id, text},
#define TEXT(id, text) {id, text},
#define RESOURCE_ID(name, id)
#include "resource_rows.inc"
#undef STRING
#undef TEXT
#undef RESOURCE_ID
};

// Sorted once so lookups are a binary search; a duplicate id keeps its first row.
const std::vector<StringRow> &SortedRows()
{
    static const std::vector<StringRow> rows = [] {
        std::vector<StringRow> v(std::begin(kRows), std::end(kRows));
        std::stable_sort(v.begin(), v.end(),
                         [](const StringRow &a, const StringRow &b) { return a.id < b.id; });
        return v;
    }();
    return rows;
}

bool IsDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Skips a "!...!" form marker after an insert number; returns the new position.
qsizetype SkipFormMarker(const QString &text, qsizetype pos)
{
    if (pos >= text.size() || text[pos] != u'!')
        return pos;
    const qsizetype close = text.indexOf(u'!', pos + 1);
    return close < 0 ? pos : close + 1;
}

} // namespace

QString LoadString(unsigned id)
{
    const auto &rows = SortedRows();
    const auto it = std::lower_bound(rows.begin(), rows.end(), id,
                                     [](const StringRow &r, unsigned key) { return r.id < key; });
    if (it == rows.end() || it->id != id)
        return {};
    return QString::fromUtf8(it->text);
}

QString FormatText(const QString &text, const QStringList &inserts)
{
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c != u'%' || i + 1 >= text.size()) {
            out += c;
            ++i;
            continue;
        }
        const QChar k = text[i + 1];
        if (IsDigit(k) && k != u'0') {
            qsizetype end = i + 2;
            int number = k.unicode() - u'0';
            if (end < text.size() && IsDigit(text[end]))
                number = number * 10 + (text[end++].unicode() - u'0');
            if (number <= inserts.size())
                out += inserts[number - 1];
            i = SkipFormMarker(text, end);
            continue;
        }
        i += 2;
        switch (k.unicode()) {
        case u'0': return out;
        case u'n': out += u'\n'; break;
        case u't': out += u'\t'; break;
        case u'%': case u' ': case u'.': case u'!': out += k; break;
        default: out += c; out += k; break;
        }
    }
    return out;
}

QList<unsigned> DuplicateStringIds()
{
    QList<unsigned> ids;
    const auto &rows = SortedRows();
    for (size_t i = 1; i < rows.size(); ++i) {
        if (rows[i].id == rows[i - 1].id && (ids.isEmpty() || ids.last() != rows[i].id))
            ids.append(rows[i].id);
    }
    return ids;
}

QString FormatString(unsigned id, const QStringList &inserts)
{
    return FormatText(LoadString(id), inserts);
}

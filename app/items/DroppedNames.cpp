#include "DroppedNames.h"

namespace {

constexpr int kLongestName = 8;

bool IsDroppedNameChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || u == u'_' ||
           u == u'&' || u == u'\'' || u == u'+' || u == u'@';
}

} // namespace

DroppedNames ReadDroppedNames(const QString &text)
{
    DroppedNames read;
    QString name;
    for (const QChar c : text) {
        if (c == u'\0')
            break;
        if (c == u'\r' || c == u'\n') {
            if (!name.isEmpty())
                read.names.append(name);
            name.clear();
            continue;
        }
        if (!IsDroppedNameChar(c) || name.size() == kLongestName) {
            read.whole = false;
            return read;
        }
        name += c;
    }
    if (!name.isEmpty())
        read.names.append(name);
    return read;
}

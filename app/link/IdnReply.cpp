#include "IdnReply.h"

IdnReply ParseIdnReply(const QString& reply)
{
    IdnReply idn;
    const qsizetype first = reply.indexOf(QLatin1Char(','));
    if (first <= 0)
        return idn; // no maker: not an identity reply
    const qsizetype second = reply.indexOf(QLatin1Char(','), first + 1);
    if (second < 0)
        return idn;
    idn.model = reply.mid(first + 1, second - first - 1);
    const qsizetype third = reply.indexOf(QLatin1Char(','), second + 1);
    if (third < 0)
        return idn;
    idn.serial = reply.mid(second + 1, third - second - 1);
    // Generator replies end in CR LF; take a bare LF or the end as well.
    qsizetype end = reply.indexOf(QLatin1Char('\r'), third + 1);
    if (end < 0)
        end = reply.indexOf(QLatin1Char('\n'), third + 1);
    if (end < 0)
        end = reply.size();
    idn.version = reply.mid(third + 1, end - third - 1);
    return idn;
}

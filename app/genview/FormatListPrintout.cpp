#include "FormatListPrintout.h"

#include "DataPaneKinds.h"

#include <algorithm>

namespace {

QString ListColumn(const CFormatListEntry &entry, int column)
{
    return FormatListColumnText(entry, column);
}

} // namespace

QString FormatListRule(int count)
{
    return QString(count, QLatin1Char('='));
}

QStringList FormatListEntryLines(const CFormatListEntry &e)
{
    const QString resolution = QStringLiteral("(") + ListColumn(e, kColHRes) + QStringLiteral(" x ") + ListColumn(e, kColVRes)
                               + QStringLiteral("), ");
    const bool user = e.icon == DataPaneKinds::kIconUserFormat;
    return {
        ListColumn(e, kColName) + QStringLiteral(": ") + resolution.rightJustified(11) + ListColumn(e, kColScan).rightJustified(11)
            + QStringLiteral(", ") + (user ? QStringLiteral("User") : QStringLiteral("Built-in")),
        FormatListRule(70),
        QStringLiteral("    Horz. Rate: ") + ListColumn(e, kColHRate) + QStringLiteral(" KHz"),
        QStringLiteral("    Vert. Rate: ") + ListColumn(e, kColVRate) + QStringLiteral(" Hz"),
        QStringLiteral("    Video Type: ") + ListColumn(e, kColVideoType),
        QStringLiteral("     Sync Type: ") + ListColumn(e, kColSyncType),
    };
}

QByteArray FormatListReportText(const QList<CFormatListEntry> &entries)
{
    const QString end = QStringLiteral("\r\n");
    // resource-rule-ok: the text report's heading, a line of the file as its printout's
    QString text = QStringLiteral("Format List") + end + FormatListRule(50) + end + end;
    for (const CFormatListEntry &entry : entries)
        text += FormatListEntryLines(entry).join(end) + end + end + end;
    return text.toLatin1();
}

int FormatListPrintout::PageCount() const
{
    return std::max(1, int((m_entries.size() + kEntriesPerPage - 1) / kEntriesPerPage));
}

QStringList FormatListPrintout::PageLines(int page) const
{
    const int first = page * kEntriesPerPage;
    const int last = std::min(int(m_entries.size()), first + kEntriesPerPage);
    QStringList lines(kFirstEntryLine + std::max(0, last - first) * kEntryLines);
    lines[kHeadLine] = QStringLiteral("Page: %1        Format List").arg(page + 1);
    lines[kHeadLine + 1] = FormatListRule(50);
    for (int i = first; i < last; ++i) {
        const QStringList entry = FormatListEntryLines(m_entries[i]);
        const int at = kFirstEntryLine + (i - first) * kEntryLines;
        for (int k = 0; k < entry.size(); ++k)
            lines[at + k] = entry[k];
    }
    return lines;
}

void FormatListPrintout::DrawPage(QPainter &painter, int page) const
{
    DrawPrintLines(painter, PageLines(page));
}

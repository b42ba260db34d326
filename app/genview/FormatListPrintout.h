#pragma once
// A generator's detailed format list as a text report and on paper. Each
// row is an entry of six lines: a head (name, resolution, scan type, and
// whether the generator holds it as user data), a rule of 70 "=", the
// horizontal and vertical rates, the video type and the sync type, in the
// texts the list shows.

#include "CFormatListEntry.h"
#include "PreparePrintPage.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

// A rule of count "=".
QString FormatListRule(int count);

// The six lines of an entry, without line ends.
QStringList FormatListEntryLines(const CFormatListEntry &entry);

// The report: a title and a rule, then every entry followed by two empty
// lines; CR LF line ends.
QByteArray FormatListReportText(const QList<CFormatListEntry> &entries);

// The printout: a page head on every page, eight entries a page.
class FormatListPrintout final : public PrintedDocument {
public:
    static constexpr int kEntriesPerPage = 8;
    // Lines of the page head and of the first entry, and lines from one
    // entry to the next.
    static constexpr int kHeadLine = 2;
    static constexpr int kFirstEntryLine = 6;
    static constexpr int kEntryLines = 8;

    explicit FormatListPrintout(QList<CFormatListEntry> entries) : m_entries(std::move(entries)) {}
    // An empty list still prints its page head.
    int PageCount() const override;
    void DrawPage(QPainter &painter, int page) const override;
    // What page (from 0) holds, by line number; gaps are empty lines.
    QStringList PageLines(int page) const;

private:
    QList<CFormatListEntry> m_entries;
};

#pragma once
// The printed summary of a format: a boxed table of its timing and a boxed
// list of its options on one page, as the format editor's Print gives it.

#include "PreparePrintPage.h"

#include <QStringList>

class CFormatEditor;
class CGeneralFormatData;
class QWidget;

class FormatPrintout final : public PrintedDocument {
public:
    // Lines 0 to 43 of the page; a gap in the table is an empty line.
    static constexpr int kLineCount = 44;
    static QStringList Lines(const CGeneralFormatData &format);

    explicit FormatPrintout(const CGeneralFormatData &format);
    int PageCount() const override { return 1; }
    // Line n at x 0 and y n x the line height.
    void DrawPage(QPainter &painter, int page) const override;
    // The format's name: a single format is no format list.
    QString DocumentName() const override { return m_name; }

private:
    QStringList m_lines;
    QString m_name;
};

// The print dialog, then the summary of format on the printer chosen; a
// printer that fails says so. False when nothing was printed.
bool PrintFormatSummary(QWidget *parent, const CGeneralFormatData &format);

// The editor's Print: the pages into the item (it stays marked as long as
// the edits are not saved), then the summary of the working copy.
void PrintFromFormatEditor(CFormatEditor &editor);

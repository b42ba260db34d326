#pragma once
// The edit of one value of a linked entry group: only digits, '.' and
// backspace may be typed or pasted (no sign, no exponent), and it shows the
// colours its group gives it (entered or calculated, plain or highlighted).

#include "CEntryGroup.h"

#include <QLineEdit>
#include <QPalette>

class InsertFilter;

class CNumericEdit : public QLineEdit {
public:
    explicit CNumericEdit(QWidget *parent = nullptr);

    static bool IsNumericChar(QChar c);

    // The program's text, which the filter does not judge.
    void setText(const QString &text);

    void SetColours(const EntryColours &colours);
    EntryColours Colours() const { return m_colours; }
    // What a disabled edit of these colours shows: faded, so it stands out.
    static void SetDisabledLook(QPalette &palette, const EntryColours &colours);

private:
    InsertFilter *m_filter;
    EntryColours m_colours{CEntryGroup::kBlack, CEntryGroup::kGreen};
};

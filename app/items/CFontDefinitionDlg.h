#pragma once
// The modal "Font Definition" dialog: the font's first and last character
// (0..255), character height (1..1000), ascent and descent (0..1000) and
// leading (0..100). OK refuses, with a box and the dialog left open, a last
// character below the first and a height other than ascent + descent.

#include <QDialog>

#include <array>

class CValueEdit;

class CFontDefinitionDlg : public QDialog {
public:
    // The six values in this order: first, last, height, ascent, descent, leading.
    using Values = std::array<int, 6>;

    CFontDefinitionDlg(QWidget *parent, const Values &values);

    // What OK leaves, each within its range.
    Values Result() const;

    void accept() override;

private:
    std::array<CValueEdit *, 6> m_edits{};
};

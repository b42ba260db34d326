#pragma once
// The combo box of the 71 named colours: each entry shows its screen colour
// as a swatch beside the colour's name, on a black row. Serves the image
// editor's selectors bar.

#include <QComboBox>

#include <cstdint>

class QPainter;

class CColorComboBox : public QComboBox {
public:
    static constexpr int kSwatchWidth = 21;     // from the row's left edge
    static constexpr int kSelectionIndent = 22; // the selection grey starts here
    static constexpr int kTextIndent = 24;

    explicit CColorComboBox(QWidget *parent = nullptr);

    // One entry per named colour in index order: its display name, with its
    // screen colour (0x00BBGGRR) as the entry's data word.
    void FillColors();
    std::uint32_t ItemColour(int index) const;

    // Draws entry itemId (-1: none) into rect; selected is the row's
    // selection (the closed box: its own field while it has the focus).
    void DrawItem(QPainter &painter, const QRect &rect, int itemId, bool selected) const;
    // The popup list is showing.
    bool IsDroppedDown() const;

protected:
    void paintEvent(QPaintEvent *event) override;
};

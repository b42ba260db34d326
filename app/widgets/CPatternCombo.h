#pragma once
// The combo box of fill patterns: each entry shows its pattern as a small
// swatch, white on black, beside the pattern's name.

#include "CFillPattern.h"

#include <QComboBox>
#include <QImage>

class QPainter;

class CPatternCombo : public QComboBox {
public:
    static constexpr int kSwatchSize = 18;     // pixels, at the entry's top-left corner
    static constexpr int kSelectionIndent = 22; // the selection grey starts here
    static constexpr int kTextIndent = 24;

    explicit CPatternCombo(QWidget *parent = nullptr);

    // One entry per fill pattern: its name, with its bitmap as item data.
    void FillList();
    // The bitmap of entry index (a null image when there is none).
    QImage GetItemBitmap(int index) const;

    // Draws entry itemId (-1: none) into rect.
    void DrawItem(QPainter &painter, const QRect &rect, int itemId, bool selected) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor TextColour(bool selected) const;

    CFillPattern m_pattern; // keeps the shared pattern bitmaps alive
};

#pragma once
// The list of a pixel map's colour lookup table: each row shows its entry
// as a swatch and as the red, green and blue values in three columns on a
// tab stop. The rows carry no text of their own, only the entry's data word.

#include <QListWidget>

#include <cstdint>

class QFontMetrics;
class QPainter;

class CLutListBox : public QListWidget {
public:
    static constexpr int kSwatchWidth = 21;
    static constexpr int kSelectionIndent = 22;
    static constexpr int kTextIndent = 24;
    static constexpr int kTabOrigin = 21;

    explicit CLutListBox(QWidget *parent = nullptr);

    // A row for one entry (0x00BBGGRR).
    void AddEntry(std::uint32_t entry);
    std::uint32_t Entry(int row) const;
    // The row shows entry from now on; no row, nothing.
    void SetEntry(int row, std::uint32_t entry);

    // "%3u,\t%3u,\t%3u" of red, green and blue.
    static QString EntryText(std::uint32_t entry);
    // Where each tab-separated run of text starts when it is drawn from x,
    // with tab stops every "###,  " from origin.
    static QList<int> RunPositions(const QFontMetrics &metrics, const QString &text, int x, int origin);

    void DrawItem(QPainter &painter, const QRect &rect, int itemId, bool selected) const;
};

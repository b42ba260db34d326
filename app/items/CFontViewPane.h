#pragma once
// The font editor's row of all characters, from (20, 20), each at its image
// width times the zoom (the missing glyph stands in for a character without
// an image), one pixel apart, each in a grey frame, the selected one red.
// A click in the row selects the character under it.

#include <QAbstractScrollArea>

#include <functional>
#include <memory>
#include <vector>

class CFontChar;

class CFontViewPane : public QAbstractScrollArea {
public:
    static constexpr int kMargin = 20;

    // chars and missing must outlive the pane; select hears a clicked code.
    CFontViewPane(const std::vector<std::unique_ptr<CFontChar>> &chars, const CFontChar &missing,
                  std::function<void(int code)> select, QWidget *parent = nullptr);

    int Zoom() const { return m_zoom; }
    void SetZoom(int zoom);
    // The red frame moves to code (none when no character has it).
    void SetSelected(int code);
    int Selected() const { return m_selected; }
    // After characters, widths or the height changed.
    void Rebuild();

    // Where the character at index lies in the viewport (its pixels).
    QRect CharRect(std::size_t index) const;
    // The code under a viewport point; false outside the row.
    bool CodeAt(QPoint point, int &code) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    const CFontChar &Shown(std::size_t index) const;
    int Height() const;
    void UpdateScrollBars();

    const std::vector<std::unique_ptr<CFontChar>> &m_chars;
    const CFontChar &m_missing;
    std::function<void(int code)> m_select;
    int m_zoom = 1;
    int m_selected;
};

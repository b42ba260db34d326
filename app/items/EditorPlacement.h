#pragma once
// The size the sequence and knob list editors keep in the profile section
// "Window": width, height and the width of the splitter's left column. A
// saved width up to 20 is no size; the window then takes firstSize.

#include <QSize>

class QMainWindow;
class QSplitter;

struct EditorSizeKeys {
    const char *width;  // default -1
    const char *height; // default 100
    const char *split;  // default 100
};

class EditorPlacement {
public:
    EditorPlacement(const EditorSizeKeys &keys, QSize firstSize, int firstSplit)
        : m_keys(keys), m_firstSize(firstSize), m_firstSplit(firstSplit)
    {
    }

    // Sizes the window; the split waits until the splitter has its width.
    void Apply(QMainWindow &window);
    // From the window's first showing.
    void ApplySplit(QSplitter &splitter);
    void Save(const QMainWindow &window, const QSplitter &splitter) const;

private:
    EditorSizeKeys m_keys;
    QSize m_firstSize;
    int m_firstSplit;
    int m_pendingSplit = -1;
};

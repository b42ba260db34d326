#pragma once
// The left pane of a generator view: what the generator is doing now. Its
// identity, the format, image and sequence in use, the resolution, scan
// type and pixel rate of the format in use, the format's and the image's
// knob lists and, on firmware above 7.01, the memory used and free. Most
// values come from the view's state record; the format's figures and the
// memory are asked of the generator at every refresh.

#include "ResourceIds.h"

#include <QIcon>
#include <QList>
#include <QWidget>

class CGenerator;
class GeneratorViewPaneLink;
class QTreeWidget;

class CGeneratorStatusPane : public QWidget {
public:
    // Rows of the list; the empty ones are separators.
    enum Row : int {
        kRowFirmware = 0,
        kRowSerial = 1,
        kRowFormat = 3,
        kRowImage = 4,
        kRowSequence = 5,
        kRowResolution = 7,
        kRowScanType = 8,
        kRowPixelRate = 9,
        kRowFormatKnob = 11,
        kRowImageKnob = 12,
        kRowMemoryUsed = 14,
        kRowMemoryFree = 15,
    };
    // Pictures of bitmap 299.
    enum Picture : int { kBlank, kOval, kMonitor, kColourBars, kFrames, kMemoryChip, kScroll, kPictureCount };

    explicit CGeneratorStatusPane(QWidget *parent = nullptr);

    // Set by the view right after it made the pane.
    void SetView(GeneratorViewPaneLink *view, CGenerator *generator);

    // Rows 0 to 12 and the view's toggles and image-version spin.
    void RefreshValues();
    // Adds the memory rows once (firmware above 7.01) and fills them.
    void RefreshMemory();
    // While the link is lost the pane keeps its values, greyed, and asks nothing.
    void SetLinkLost(bool lost);
    bool IsGreyed() const;

    // Room for every row and both columns whole.
    QSize sizeHint() const override;

    QTreeWidget *List() const { return m_list; }
    int RowCount() const;
    QString RowLabel(int row) const;
    QString RowValue(int row) const;
    bool HasMemoryRows() const { return m_memoryRowsPresent; }

    // Bitmap 299 when the program carries it, else pictures painted here.
    static const QList<QIcon> &Pictures();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void AddRow(unsigned labelId, Picture picture);
    void SetValue(int row, const QString &text);
    void RefreshFormatFigures();

    QTreeWidget *m_list;
    bool m_memoryCheckPending = true;
    GeneratorViewPaneLink *m_view = nullptr;
    CGenerator *m_generator = nullptr;
    bool m_memoryRowsPresent = false;
};

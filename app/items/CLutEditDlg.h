#pragma once
// The modeless "LUT Editing" dialog of the pixel map editor: red, green and
// blue of the current colour-table entry on sliders, edits and spins, with a
// swatch of the colour, the entry's number and PREV and NEXT to step
// through the entries; "Apply Color" gives the entry the colour, "Apply Lut"
// builds the whole table from the checked standard colour sets.

#include <QDialog>
#include <QPointer>

#include <array>
#include <cstdint>

class CSpinButtonCtrl;
class CValueEdit;
class LutEditHost;
class QLabel;
class QPushButton;
class QSlider;
class QTreeWidget;

class CLutEditDlg : public QDialog {
public:
    CLutEditDlg(LutEditHost &host, QWidget *parent);
    ~CLutEditDlg() override;

    // The edits, sliders and swatch take colour (0x00BBGGRR); the number
    // shows index.
    void ShowEntry(std::uint32_t colour, int index);
    // Checks each set whose mask bit is in mask, unchecks the others.
    void SetSetChecks(std::uint32_t mask);
    // The OR of the checked sets' mask bits.
    std::uint32_t CheckedSets() const;
    // RGB of the three edits, each within 0..255.
    std::uint32_t EditedColour() const;

    // What the buttons do.
    void OnApplyColour();
    void OnApplyLut();

private:
    struct Channel {
        QSlider *slider = nullptr;
        CValueEdit *edit = nullptr;
        CSpinButtonCtrl *spin = nullptr;
    };

    void BuildControls();
    void BuildChannel(int index, int y);
    void BuildSets();
    void OnSliderMoved(int index, int value);
    void OnEditChanged(int index);
    void UpdateSwatch();

    LutEditHost &m_host;
    std::array<Channel, 3> m_channels;
    QLabel *m_swatch = nullptr;
    QLabel *m_entry = nullptr;
    QPushButton *m_applyColour = nullptr;
    QTreeWidget *m_sets = nullptr;
    // The widget that had the focus before Apply Color took it.
    QPointer<QWidget> m_focusBefore;
    QMetaObject::Connection m_focusWatch;
    bool m_syncing = false; // an edit and its slider follow each other once
};

#pragma once
// The sequence player of one generator view: plays, stops, rewinds and
// steps a sequence the generator holds, chooses the overlay it shows (step
// number or status) and wrap mode, and reads out the step and its delay.
// While it holds the generator in sequence mode the view's data pane is
// locked; Unload puts back the settings saved when it loaded or attached.

#include "ResourceIds.h"

#include "CGeneratorState.h"
#include "CGeneratorViewChild.h"

#include <QPointer>
#include <QString>

class CGenerator;
class CGeneratorView;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class CSequencePlayerDlg : public CSequencePlayerWindow {
public:
    CSequencePlayerDlg(CGeneratorView *view, CGenerator *generator);
    // A player that still holds the generator puts it back as it goes.
    ~CSequencePlayerDlg() override;

    bool Load(const QString &sequence) override;
    void Attach() override;
    void Unload() override;

    // The controls' handlers.
    void OnPlay();
    void OnStop();
    void OnRewind();
    void OnPrev();
    void OnNext();
    void OnStepNumber();
    void OnStatus();
    void OnWrapMode();

    // The step and delay read-outs from the generator.
    void RefreshReadouts();
    // The delay read-out of seconds: hours, minutes and seconds to a tenth.
    static QString DelayText(double seconds);

    bool IsPlaying() const { return m_playing; }
    const CGeneratorState &SavedState() const { return m_saved; }

protected:
    // Closing the window unloads: the generator never stays in sequence
    // mode behind a locked data pane.
    void reject() override;

private:
    void BuildControls();
    void SetTitle(const QString &sequence);
    void ShowOverlay(int dnum);
    void ShowStopped();
    void ShowPlaying();
    void ReadState();
    void UpdateDelayColours();
    // Leaves sequence mode and puts the saved settings back.
    void Restore();

    QPointer<CGeneratorView> m_view;
    CGenerator *m_generator;
    bool m_playing = false;
    bool m_holding = false; // loaded or attached, not unloaded since
    CGeneratorState m_saved;
    QPushButton *m_play = nullptr;
    QPushButton *m_stop = nullptr;
    QPushButton *m_rewind = nullptr;
    QPushButton *m_prev = nullptr;
    QPushButton *m_next = nullptr;
    QPushButton *m_unload = nullptr;
    QCheckBox *m_stepNumber = nullptr;
    QCheckBox *m_status = nullptr;
    QCheckBox *m_wrap = nullptr;
    QLineEdit *m_stepEdit = nullptr;
    QLabel *m_delay = nullptr;
};

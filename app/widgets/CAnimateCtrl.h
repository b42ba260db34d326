#pragma once
// A small looping animation: a ring of dots with a bright one going round,
// painted on a timer. Stands in for the progress dialog's clip.

#include <QBasicTimer>
#include <QWidget>

class CAnimateCtrl : public QWidget {
public:
    static constexpr int kFrames = 12;
    static constexpr int kFrameMs = 80;

    explicit CAnimateCtrl(QWidget *parent = nullptr);

    void Play(); // from the first frame, repeating without end
    void Stop();
    bool IsPlaying() const { return m_timer.isActive(); }
    int Frame() const { return m_frame; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    QBasicTimer m_timer;
    int m_frame = 0;
};

#pragma once
// "About ZOT": the product, the library's version, OK. As the start-up
// splash it closes itself after three seconds.

#include "ResourceIds.h"

#include <QDialog>

class CAboutDlg : public QDialog {
public:
    static constexpr int kSplashTimer = 1;
    static constexpr int kSplashMs = 3000;

    explicit CAboutDlg(QWidget *parent = nullptr);

    // "DLL Vers 3.530" for library version 3.53.
    static QString LibraryVersionText(double version);
    // The splash's interval: kSplashMs unless tests or the start-up
    // benchmark shorten it (ms <= 0 puts kSplashMs back).
    static int SplashInterval();
    static void SetSplashInterval(int ms);

    void OnTimer(int timerId);
    // The running splash timer (0: none) and its interval.
    int TimerId() const { return m_timerId; }
    int TimerInterval() const { return m_timerInterval; }

    bool autoClose = false; // set by the splash before it runs

protected:
    void showEvent(QShowEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    void BuildControls();
    bool OnInitDialog();

    bool m_initialised = false;
    int m_timerId = 0;
    int m_timerInterval = 0;
};

#pragma once
// The application object: prepares the platform and the profile, shows the
// about box as a splash, names the help file, creates and shows the main
// window. The command line is ignored.

#include <QString>

#include <memory>

class CMainWindow;

class CManagerApp {
public:
    static constexpr char kHelpFile[] = "VERSION 3 HELP.hlp";

    CManagerApp();
    virtual ~CManagerApp();
    CManagerApp(const CManagerApp &) = delete;
    CManagerApp &operator=(const CManagerApp &) = delete;

    // Call with the QApplication made. False: the program ends.
    bool InitInstance();

    CMainWindow *MainWindow() const { return m_mainWindow.get(); }
    const QString &HelpFilePath() const { return m_helpFile; }

protected:
    // What drag and drop and the windows need of the desktop; false ends the start-up.
    virtual bool InitPlatform();
    // The about box that closes itself.
    virtual void ShowSplash();

private:
    std::unique_ptr<CMainWindow> m_mainWindow;
    QString m_helpFile;
};

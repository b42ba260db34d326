#pragma once
// The window of one connected generator. It owns the connection. This is
// the part the main window and the data list use: identity, busy state,
// sending an item, the current generator; the view's own window, panes and
// commands come with the generator list.

#include <QString>
#include <QWidget>

#include <memory>

class CGenData;
class CGenerator;
class CGeneratorDataPane;
class CMainWindow;
class CProgressDlg;

class CGeneratorView : public QWidget {
public:
    // Takes the connection (it closes its port when the view goes).
    CGeneratorView(CGenerator *connection, CMainWindow *mainWindow);
    ~CGeneratorView() override;

    // The connection, after making it the current generator.
    CGenerator *GetGenerator();
    static CGenerator *SetCurrentGenerator(CGenerator *generator);

    void GetIdentity(QString &model, QString &firmware, QString &serial) const;
    void SetIdentity(const QString &model, const QString &firmware, const QString &serial);

    // A tool transfers to the generator: the view's own transfers wait.
    virtual void SetBusy(bool busy);
    bool IsBusy() const { return m_busy; }

    // Stores one data item in the generator; false stops the caller's send loop.
    virtual bool SendItem(CGenData *item, CProgressDlg *progress);
    // The data pane that is the source of a running drag, or nullptr.
    virtual CGeneratorDataPane *GetDraggingDataPane() const { return nullptr; }

protected:
    CMainWindow *m_mainWindow;
    std::unique_ptr<CGenerator> m_connection;
    bool m_busy = false;
    bool m_controlsEnabled = true;
    QString m_model;
    QString m_firmware;
    QString m_serial;
};

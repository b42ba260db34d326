#pragma once
// The connect flows of a connection, the only part of it that shows
// windows: the port dialog, the baud search with its progress dialog, the
// rate change with its dialog, and their error boxes.

#include "GeneratorLink.h"

#include <QString>

class CGenerator;
class CProgressDlg;
class QWidget;
struct PromptText;

class GeneratorConnectFlow
{
public:
    // generator is the connection the dialogs describe, link its port; owner
    // places them.
    GeneratorConnectFlow(CGenerator& generator, GeneratorLink& link, QWidget* owner);

    // Asks for a port and opens it, searching the serial rates when the
    // handshake fails; false after Cancel or a failure shown in a box.
    bool OpenPort();
    // After a failed OpenPort: a box has said why, or the user cancelled, so
    // the caller has nothing more to show.
    bool FailureTold() const { return m_failureTold; }
    // 0 asks for the rate in a dialog.
    BaudChange ChangeBaudRate(int rate);
    // Closes the port and opens the same one again, searching the serial
    // rates, under progress (a dialog of its own when null). false leaves no
    // port and the library's text in failure, or an empty failure when a box
    // has said why (a stalled card offered Forced Init).
    bool Reopen(CProgressDlg* progress, QString& failure);

private:
    struct OpenResult {
        bool opened;    // the library gave a port
        bool connected; // and the generator answered on it
        int error;      // the library's error when not connected
        QString portName; // as a row shows it, once the library gave a port
    };
    OpenResult OpenSpec(const QString& spec, CProgressDlg* progress);
    // OpenSpec under a progress dialog of its own with a Cancel.
    OpenResult OpenUnderProgress(const QString& spec, bool& cancelled);
    // The card number of the port last open, as the port dialog counts it.
    int CardNumberOfPort() const;
    // The library's spec of the port that is open.
    QString SpecOfPort() const;
    // The library's spec of a port dialog choice; empty when none is usable.
    QString PortSpec(int type, int number);
    bool SearchBaudRate(CProgressDlg* progress);
    static void ShowConnectError(QWidget* parent, const PromptText& text);

    CGenerator& m_generator;
    GeneratorLink& m_link;
    QWidget* m_owner;
    bool m_failureTold = false;
};

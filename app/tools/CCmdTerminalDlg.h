#pragma once
// The command terminal of one generator view: a line typed in the edit goes
// to the generator as it stands, and the console below shows the line and
// the generator's reply, green on black, under the "R:\>" prompt. Up and
// Down recall the lines sent (TerminalHistory); console lines can be
// selected and copied.

#include "CGeneratorViewChild.h"

#include <QPointer>
#include <QString>

class CGenerator;
class CGeneratorView;
class QLineEdit;
class QListWidget;
class QPushButton;

class CCmdTerminalDlg : public CGeneratorViewChild {
public:
    // The most lines the console keeps; its first line always stays.
    static constexpr int kMaxConsoleLines = 3000;

    CCmdTerminalDlg(CGeneratorView *view, CGenerator *generator);

    // Sends the edit's line and shows the reply (Send, Enter).
    void OnSend();
    // A line the library can send as the user sees it: printable characters
    // only (others would go as "?") and fewer than 256; else why not.
    static bool IsCommandValid(const QString &line, QString &whyNot);
    // The reply's lines as the console shows them: cut at each CR LF,
    // trailing blanks removed, the text after the last CR LF kept.
    static QStringList ReplyLines(const QString &reply);

    QListWidget *Console() const { return m_console; }
    QLineEdit *Edit() const { return m_edit; }
    QPushButton *SendButton() const { return m_send; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildControls();
    void AddLine(const QString &text);
    void AddFailure(const QString &text);
    void ShowCommandFailure();
    void CapConsole();
    void CopySelection();
    void Recall(int step);
    void OnSize();

    QPointer<CGeneratorView> m_view;
    CGenerator *m_generator;
    QLineEdit *m_edit = nullptr;
    QListWidget *m_console = nullptr;
    QPushButton *m_send = nullptr;
    QPushButton *m_close = nullptr;
    bool m_initialised = false;
    int m_recall = 0;   // history line shown by Up and Down; Count(): the draft
    QString m_draft;    // what was typed before Up
};

#pragma once
// The bar above a generator view's panes while its link is lost: what
// happened, and Reconnect.

#include <QFrame>

#include <functional>

class QLabel;
class QPushButton;

class CLinkLostBar : public QFrame {
public:
    explicit CLinkLostBar(QWidget *parent = nullptr);

    // "The link to the <model> on <port> is lost."
    void SetGenerator(const QString &model, const QString &port);
    QString Text() const;
    QPushButton *ReconnectButton() const { return m_reconnect; }
    std::function<void()> onReconnect;

private:
    QLabel *m_text;
    QPushButton *m_reconnect;
};

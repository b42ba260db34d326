#pragma once
// Command ids in place of the menu and toolbar plumbing: one QAction per id
// (object name "cmd<id>"), a handler and an enable/check rule per id. The
// rules are re-evaluated when a watched menu opens and after every command.
// An id without a handler is shown disabled, as a command nobody answers.

#include <QHash>
#include <QObject>
#include <QString>
#include <QStyle>

#include <functional>
#include <initializer_list>
#include <span>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

// A button of a toolbar: its command, and the standard picture it shows
// when the program carries none of its own.
struct ToolButton {
    int id; // 0: a separator
    QStyle::StandardPixmap picture;
};

class CommandRouter : public QObject {
public:
    using Handler = std::function<void()>;
    using Rule = std::function<bool()>;
    using TextRule = std::function<QString()>;

    explicit CommandRouter(QObject *parent = nullptr);
    // The actions made from now on belong to owner (the window that shows
    // them, so that it finds them by name); by default to the router.
    void SetActionOwner(QObject *owner) { m_actionOwner = owner; }

    // The action of id, created on first use with text; prompt is the status
    // tip and the tool tip (the string-table text of the id).
    QAction *Add(int id, const QString &text, const QString &prompt = {});
    QAction *Action(int id) const; // nullptr when id is unknown
    bool Has(int id) const { return m_commands.contains(id); }
    QList<int> Ids() const;

    void SetHandler(int id, Handler handler);
    bool HasHandler(int id) const;
    // No rule: enabled whenever a handler exists.
    void SetEnableRule(int id, Rule rule);
    // A check rule makes the action checkable.
    void SetCheckRule(int id, Rule rule);
    // Text computed at each update (the system menu's generator item).
    void SetTextRule(int id, TextRule rule);

    // Runs the handler of an enabled command, then updates every rule.
    // False when id is unknown, has no handler or is disabled. A handler
    // that throws (a file that cannot be written, no memory) ends with a
    // box naming the command and the cause; the program goes on.
    bool Execute(int id);
    // Re-evaluates every rule.
    void Update();
    // Updates before menu shows.
    void Watch(QMenu *menu);
    // Adds the actions of ids to menu (0: a separator) and watches it.
    QMenu *FillMenu(QMenu *menu, std::initializer_list<int> ids);
    // A fixed toolbar of window with the actions of buttons, named objectName.
    QToolBar *AddToolBar(QMainWindow *window, const QString &objectName, std::span<const ToolButton> buttons);

    static QString ObjectName(int id); // "cmd10028"

private:
    struct Command {
        QAction *action = nullptr;
        Handler handler;
        Rule enable;
        Rule check;
        TextRule text;
    };

    void UpdateOne(Command &command);
    static void RunGuarded(int id, const QString &text, const Handler &handler);

    QHash<int, Command> m_commands;
    QObject *m_actionOwner = nullptr;
};

#include "CommandRouter.h"

#include "UserAction.h"

#include "Archive.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QToolBar>

#include <algorithm>
#include <exception>
#include <new>

CommandRouter::CommandRouter(QObject *parent) : QObject(parent) {}

QString CommandRouter::ObjectName(int id)
{
    return QStringLiteral("cmd%1").arg(id);
}

QAction *CommandRouter::Add(int id, const QString &text, const QString &prompt)
{
    Command &command = m_commands[id];
    if (!command.action) {
        command.action = new QAction(text, m_actionOwner ? m_actionOwner : this);
        command.action->setObjectName(ObjectName(id));
        connect(command.action, &QAction::triggered, this, [this, id] { Execute(id); });
    }
    command.action->setText(text);
    command.action->setStatusTip(prompt);
    command.action->setToolTip(prompt.isEmpty() ? QString(text).remove(u'&') : prompt);
    UpdateOne(command);
    return command.action;
}

QAction *CommandRouter::Action(int id) const
{
    const auto it = m_commands.constFind(id);
    return it == m_commands.constEnd() ? nullptr : it->action;
}

QList<int> CommandRouter::Ids() const
{
    QList<int> ids = m_commands.keys();
    std::sort(ids.begin(), ids.end());
    return ids;
}

void CommandRouter::SetHandler(int id, Handler handler)
{
    Command &command = m_commands[id];
    command.handler = std::move(handler);
    UpdateOne(command);
}

bool CommandRouter::HasHandler(int id) const
{
    const auto it = m_commands.constFind(id);
    return it != m_commands.constEnd() && bool(it->handler);
}

void CommandRouter::SetEnableRule(int id, Rule rule)
{
    Command &command = m_commands[id];
    command.enable = std::move(rule);
    UpdateOne(command);
}

void CommandRouter::SetCheckRule(int id, Rule rule)
{
    Command &command = m_commands[id];
    command.check = std::move(rule);
    if (command.action)
        command.action->setCheckable(bool(command.check));
    UpdateOne(command);
}

void CommandRouter::SetTextRule(int id, TextRule rule)
{
    Command &command = m_commands[id];
    command.text = std::move(rule);
    UpdateOne(command);
}

void CommandRouter::UpdateOne(Command &command)
{
    if (!command.action)
        return;
    const bool enabled = command.handler && (!command.enable || command.enable());
    command.action->setEnabled(enabled);
    if (command.check) {
        command.action->setCheckable(true);
        command.action->setChecked(command.check());
    }
    if (command.text)
        command.action->setText(command.text());
}

void CommandRouter::Update()
{
    for (Command &command : m_commands)
        UpdateOne(command);
}

bool CommandRouter::Execute(int id)
{
    auto it = m_commands.find(id);
    if (it == m_commands.end() || !it->handler)
        return false;
    UpdateOne(*it);
    if (it->action && !it->action->isEnabled())
        return false;
    // A copy: the handler may replace its own entry.
    const Handler handler = it->handler;
    const QAction *action = it->action;
    {
        const UserAction userAction;
        RunGuarded(id, action ? action->text() : QString(), handler);
    }
    Update();
    return true;
}

void CommandRouter::RunGuarded(int id, const QString &text, const Handler &handler)
{
    QString cause;
    try {
        handler();
        return;
    } catch (const CArchiveException &e) {
        cause = QString::fromUtf8(e.what());
    } catch (const std::bad_alloc &) {
        cause = LoadString(IDS_NOT_ENOUGH_MEMORY);
    } catch (const std::exception &e) {
        cause = QString::fromUtf8(e.what());
    }
    // The command ends here; the program and what it holds go on.
    QString name = QString(text).remove(u'&');
    if (name.endsWith(QLatin1String("...")))
        name.chop(3);
    if (name.isEmpty())
        name = QString::number(id);
    MessageBox(nullptr, PromptText(IDS_COMMAND_NOT_COMPLETED, {name, cause}),
               PromptText(IDS_APP_TITLE), MB_OK | MB_ICONSTOP);
}

void CommandRouter::Watch(QMenu *menu)
{
    connect(menu, &QMenu::aboutToShow, this, &CommandRouter::Update);
}

QMenu *CommandRouter::FillMenu(QMenu *menu, std::initializer_list<int> ids)
{
    for (int id : ids) {
        if (id == 0)
            menu->addSeparator();
        else
            menu->addAction(Action(id));
    }
    Watch(menu);
    return menu;
}

QToolBar *CommandRouter::AddToolBar(QMainWindow *window, const QString &objectName, std::span<const ToolButton> buttons)
{
    QToolBar *bar = window->addToolBar(LoadString(IDS_TOOLBAR));
    bar->setObjectName(objectName);
    bar->setMovable(false);
    for (const ToolButton &button : buttons) {
        if (button.id == 0) {
            bar->addSeparator();
            continue;
        }
        QAction *action = Action(button.id);
        if (action->icon().isNull())
            action->setIcon(window->style()->standardIcon(button.picture));
        bar->addAction(action);
    }
    return bar;
}

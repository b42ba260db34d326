#pragma once
// One thing the user did: a command, a drop, a double-click, a toggle, a
// step of a spin. The generator link asks at most one question per action
// (a lost link's "Reconnect now?"); traffic outside any action never asks.
// Actions nest: an action begun inside another is part of it.

#include <QtGlobal>

class UserAction
{
public:
    UserAction();
    ~UserAction();
    UserAction(const UserAction&) = delete;
    UserAction& operator=(const UserAction&) = delete;

    // The number of the action under way, different for each; 0 outside any.
    static quint64 Current();
};

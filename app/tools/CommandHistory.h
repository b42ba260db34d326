#pragma once
// The lines sent from the command terminals, newest last, for Up and Down
// to recall. A global: the program keeps one history for all terminals for
// the length of the run; it is never saved.

#include <QString>
#include <QStringList>

class CommandHistory
{
public:
    static constexpr int kMaxLines = 100;

    // A line sent; the oldest goes once there are more than kMaxLines. A line
    // equal to the newest is not kept twice.
    void Add(const QString& line);
    int Count() const { return int(m_lines.size()); }
    const QString& At(int index) const { return m_lines.at(index); }
    void Clear() { m_lines.clear(); }

private:
    QStringList m_lines;
};

CommandHistory& TerminalHistory();

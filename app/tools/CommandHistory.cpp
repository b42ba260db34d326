#include "CommandHistory.h"

void CommandHistory::Add(const QString& line)
{
    if (!m_lines.isEmpty() && m_lines.constLast() == line)
        return;
    m_lines.append(line);
    while (m_lines.size() > kMaxLines)
        m_lines.removeFirst();
}

CommandHistory& TerminalHistory()
{
    static CommandHistory history;
    return history;
}

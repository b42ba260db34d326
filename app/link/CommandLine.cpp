#include "CommandLine.h"

#include "CommandName.h"

void CommandLine::AppendName(const QString& name)
{
    Check(name);
    m_text += name;
}

void CommandLine::AppendQuotedName(const QString& name)
{
    Check(name);
    if (!name.isEmpty())
        m_text += QLatin1Char('"') + name + QLatin1Char('"');
}

void CommandLine::Check(const QString& name)
{
    if (m_nameProblem.isEmpty())
        m_nameProblem = CommandNameProblem(name);
}

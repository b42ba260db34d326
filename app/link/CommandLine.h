#pragma once
// One command line on its way to a generator, built by the command methods
// and handed to the send path as it stands. A name from a file or a reply
// goes in through AppendName, which notes the first one that would break
// the line (CommandName.h): the send path then refuses the whole line.

#include <QString>

#include <utility>

class CommandLine
{
public:
    CommandLine() = default;
    // A line without names: a mnemonic and numbers, or a line as typed.
    CommandLine(QString text) : m_text(std::move(text)) {}

    CommandLine& operator+=(const QString& text)
    {
        m_text += text;
        return *this;
    }
    // The name as it is.
    void AppendName(const QString& name);
    // A non-empty name between double quotes; an empty one adds nothing.
    void AppendQuotedName(const QString& name);

    const QString& Text() const { return m_text; }
    // Why a name in the line cannot go into it; empty when every name can.
    const QString& NameProblem() const { return m_nameProblem; }

private:
    void Check(const QString& name);

    QString m_text;
    QString m_nameProblem;
};

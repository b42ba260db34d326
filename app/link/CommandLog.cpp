#include "CommandLog.h"

bool CommandLog::Open(const QString& path)
{
    m_file.setFileName(path);
    return m_file.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

void CommandLog::Write(const QByteArray& bytes)
{
    m_file.write(bytes);
    m_file.flush();
}

void CommandLog::WriteLine(const QByteArray& text)
{
    Write(text + '\n');
}

void CommandLog::WritePortError(int code, const QByteArray& text)
{
    Write("Port Error: " + QByteArray::number(code) + '\n' + text + '\n');
}

QByteArray CommandLog::CharForm(unsigned char c)
{
    // Only ASCII letters and digits: the log must read the same on any locale.
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')
        return QByteArray(1, char(c));
    return "(" + QByteArray::number(c, 16) + ")";
}

void CommandLog::BeginChars(const char* heading)
{
    Write("\n" + QByteArray(heading) + "\"");
}

void CommandLog::AppendRaw(const char* text)
{
    Write(QByteArray(text));
}

void CommandLog::AppendChars(const QByteArray& bytes)
{
    QByteArray out;
    for (char c : bytes)
        out += CharForm(static_cast<unsigned char>(c));
    Write(out);
}

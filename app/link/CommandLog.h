#pragma once
// The command log of one connection: every command and reply as sent and
// received, port errors, and the raw character transfers. Written as bytes,
// without line-end translation, and flushed after every entry so that a
// crash or a hung generator still leaves the traffic up to that point.

#include <QByteArray>
#include <QFile>
#include <QString>

class CommandLog
{
public:
    // Opens path for writing, replacing an existing file.
    bool Open(const QString& path);

    // text and a line feed.
    void WriteLine(const QByteArray& text);
    // "Port Error: " code, line feed, text, line feed.
    void WritePortError(int code, const QByteArray& text);
    // Starts a raw transfer: a line feed, heading and a double quote.
    void BeginChars(const char* heading);
    // Characters of the transfer, each in the log's character form.
    void AppendChars(const QByteArray& bytes);
    // Text as it is.
    void AppendRaw(const char* text);

    // Letters, digits and "_" as themselves, anything else as "(%x)".
    static QByteArray CharForm(unsigned char c);

private:
    void Write(const QByteArray& bytes);

    QFile m_file;
};

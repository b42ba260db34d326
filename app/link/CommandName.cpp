#include "CommandName.h"

namespace {

bool IsControl(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

QString Hex(char16_t c)
{
    return QStringLiteral("\\x") + QString::number(unsigned(c), 16).toUpper().rightJustified(2, u'0');
}

QString Describe(char16_t c)
{
    switch (c) {
    case u'"': return QStringLiteral("a double quote");
    case u';': return QStringLiteral("a semicolon");
    case u'>': return QStringLiteral("a \">\"");
    case u'\r': return QStringLiteral("a carriage return");
    case u'\n': return QStringLiteral("a line feed");
    case 0: return QStringLiteral("a NUL character");
    default: return QStringLiteral("the control character ") + Hex(c);
    }
}

} // namespace

QString CommandNameProblem(const QString& name)
{
    for (const QChar ch : name) {
        const char16_t c = ch.unicode();
        if (c == u'"' || c == u';' || c == u'>' || IsControl(c))
            return QStringLiteral("The name holds %1, which a command line cannot carry.").arg(Describe(c));
    }
    return {};
}

QString PrintableName(const QString& name)
{
    QString shown;
    shown.reserve(name.size());
    for (const QChar ch : name) {
        if (IsControl(ch.unicode()))
            shown += Hex(ch.unicode());
        else
            shown += ch;
    }
    return shown;
}

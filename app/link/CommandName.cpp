#include "CommandName.h"

#include "StringTable.h"

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
    case u'"': return LoadString(IDS_NAME_CHAR_QUOTE);
    case u';': return LoadString(IDS_NAME_CHAR_SEMICOLON);
    case u'>': return LoadString(IDS_NAME_CHAR_GREATER);
    case u'\r': return LoadString(IDS_NAME_CHAR_CR);
    case u'\n': return LoadString(IDS_NAME_CHAR_LF);
    case 0: return LoadString(IDS_NAME_CHAR_NUL);
    default: return FormatString(IDS_NAME_CHAR_CONTROL, {Hex(c)});
    }
}

} // namespace

QString CommandNameProblem(const QString& name)
{
    for (const QChar ch : name) {
        const char16_t c = ch.unicode();
        if (c == u'"' || c == u';' || c == u'>' || IsControl(c))
            return LoadString(IDS_NAME_HOLDS_CHAR).arg(Describe(c));
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

#include "SourceExport.h"

#include "SafeFile.h"


#include <QDate>

namespace {

// The date the exports show; one per program, set only by tests.
std::function<QString()> &SourceDateHook()
{
    static std::function<QString()> hook;
    return hook;
}

} // namespace

namespace SourceExport {

QString Label(const QString &fileName)
{
    QString label = fileName.section(QLatin1Char('.'), 0, 0).toLower();
    for (QChar &c : label) {
        const bool plain = (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_';
        if (!plain)
            c = u'_';
    }
    if (label.isEmpty() || label.front().isDigit())
        label.prepend(u'_');
    return label;
}

QString Today()
{
    if (SourceDateHook())
        return SourceDateHook()();
    return QDate::currentDate().toString(QStringLiteral("MM/dd/yy"));
}

void SetDateHook(std::function<QString()> hook)
{
    SourceDateHook() = std::move(hook);
}

bool WriteFile(const QString &path, const QByteArray &text, QString *why)
{
    return SafeFile::WriteWhole(path, text, why);
}

} // namespace SourceExport

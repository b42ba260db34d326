// A format's command file: reading one into the item and writing the item
// as one (the lines themselves are FormatCommandFile's).

#include "CFormat.h"

#include "Archive.h"
#include "CCommandReader.h"
#include "CGeneralFormatData.h"
#include "CommandName.h"
#include "FormatCommandFile.h"
#include "FormatCommandParser.h"
#include "MessageTarget.h"
#include "Prompts.h"
#include "RegularFile.h"
#include "StringTable.h"

#include <QSaveFile>

bool CFormat::TakeParsedRecord(const FormatRecord &record, bool ended, const QString &parseError)
{
    if (!parseError.isEmpty()) {
        m_lastError = parseError;
        return false;
    }
    // Values read before a missing end still count, as long as they are usable.
    if (!m_data->FillFromRecord(record, &m_lastError))
        return false;
    if (!ended) {
        m_lastError = QStringLiteral("The format ends without FMTE or FMTA.");
        return false;
    }
    m_lastError.clear();
    return true;
}

bool CFormat::ImportTokens(CCommandReader &reader)
{
    QString name;
    if (!ReadNameArgument(reader, name)) {
        m_lastError = QStringLiteral("The format has no name.");
        return false;
    }
    m_name = name;
    FormatRecord record;
    CGeneralFormatData().FillRecord(record);
    record.name = name;
    FormatCommandParser parser(record);
    const FormatCommandParser::Result result = parser.Read(reader);
    if (parser.NameSeen())
        m_name = record.name;
    return TakeParsedRecord(record, result == FormatCommandParser::Result::Ended, parser.Error());
}

bool CFormat::ImportCommandLines(QStringList &lines)
{
    FormatRecord record;
    CGeneralFormatData().FillRecord(record);
    record.name = m_name; // a file without NAME keeps the item's name throughout
    FormatCommandParser parser(record);
    CCommandReader reader;
    FormatCommandParser::Result result = FormatCommandParser::Result::TextUsed;
    for (qsizetype i = 1; i < lines.size() && result == FormatCommandParser::Result::TextUsed; ++i) {
        reader.SetText(u' ' + lines[i]);
        result = parser.Read(reader);
    }
    lines.clear();
    if (parser.NameSeen())
        m_name = record.name;
    const bool parsed = TakeParsedRecord(record, result == FormatCommandParser::Result::Ended, parser.Error());
    m_modified = true;
    SendMessage(m_owner, WM_DATA_CHANGED, 0, ToLParam(this));
    return parsed;
}

void CFormat::WriteCommandFile(const QString &path, const QString &name)
{
    FormatRecord record;
    // The name goes into command lines of its own; a line end in it would add lines.
    QString error = CommandNameProblem(name);
    if (!error.isEmpty() || !m_data->FillRecord(record, &error)) {
        AfxMessageBox(PromptText(IDS_FORMAT_CANNOT_BE_WRITTEN, {error}), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    QByteArray text;
    for (const QString &line : FormatCommandLines(record, name))
        text += line.toLatin1() + "\r\n";
    // The rename that ends a save would put the file in place of a device.
    const QString notAFile = RegularFile::NotAFileToReplace(path);
    if (!notAFile.isEmpty()) {
        AfxMessageBox(PromptText(IDS_ERROR_CREATING_FILE_WHY, {notAFile}), MB_OK);
        return;
    }
    // Written beside the old file and renamed over it only when complete;
    // a failed write leaves the old file as it was and no temporary file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        AfxMessageBox(PromptText(IDS_ERROR_CREATING_FILE), MB_OK);
        return;
    }
    const QString failed = QStringLiteral("\"%1\" could not be written: ").arg(path);
    // Unbuffered and checked: a buffered write that the disk cuts short is
    // still committed, truncated.
    const qint64 written = file.write(text);
    if (written != text.size())
        throw CArchiveException(CArchiveException::generic,
                                (failed + QStringLiteral("only %1 of its %2 bytes went to the disk (is it full?).")
                                              .arg(qMax<qint64>(written, 0))
                                              .arg(text.size()))
                                    .toStdString());
    if (!file.commit())
        throw CArchiveException(CArchiveException::generic, (failed + file.errorString()).toStdString());
}

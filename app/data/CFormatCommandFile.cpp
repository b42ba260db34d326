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
#include "SafeFile.h"
#include "StringTable.h"


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
        m_lastError = LoadString(IDS_CMDFILE_FORMAT_NOT_ENDED);
        return false;
    }
    m_lastError.clear();
    return true;
}

bool CFormat::ImportTokens(CCommandReader &reader)
{
    QString name;
    if (!ReadNameArgument(reader, name)) {
        m_lastError = LoadString(IDS_CMDFILE_FORMAT_NO_NAME);
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
    QString why;
    if (!SafeFile::WriteWhole(path, text, &why))
        AfxMessageBox(PromptText(IDS_ERROR_CREATING_FILE_WHY, {why}), MB_OK | MB_ICONEXCLAMATION);
}

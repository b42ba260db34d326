#include "FormatCommandFile.h"

#include "Archive.h"
#include "CCommandReader.h"
#include "CFormat.h"
#include "CGeneralFormatData.h"
#include "CommandName.h"
#include "MessageTarget.h"
#include "Numbers.h"
#include "Prompts.h"
#include "RegularFile.h"
#include "RoundToCount.h"
#include "StringTable.h"

#include <QSaveFile>

#include <cstring>

namespace {

const char kHeader1[] = "// RARU";
const char kHeader2[] = "// 2.000";

struct DoubleArgument {
    const char *mnemonic;
    double FormatRecord::*field;
};

const DoubleArgument kDoubleArguments[] = {
    {"HRAT", &FormatRecord::lineRate},   {"HRES", &FormatRecord::hActive},
    {"HTOT", &FormatRecord::hTotal},     {"HSPD", &FormatRecord::hSyncDelay},
    {"HSPW", &FormatRecord::hSyncWidth}, {"VRES", &FormatRecord::vActive},
    {"VTOT", &FormatRecord::vTotal},     {"VSPD", &FormatRecord::vSyncDelay},
    {"VSPW", &FormatRecord::vSyncWidth}, {"HSIZ", &FormatRecord::hImageSize},
    {"VSIZ", &FormatRecord::vImageSize}, {"AVSS", &FormatRecord::videoSwing},
    {"AVPS", &FormatRecord::pedestalLevel}, {"ASSS", &FormatRecord::syncSwing},
    {"GAMA", &FormatRecord::gamma},
};

struct IntArgument {
    const char *mnemonic;
    qint32 FormatRecord::*field;
};

const IntArgument kIntArguments[] = {
    {"HSPP", &FormatRecord::hSyncPolarity}, {"HSPG", &FormatRecord::hSyncGate},
    {"VSPP", &FormatRecord::vSyncPolarity}, {"VSPG", &FormatRecord::vSyncGate},
    {"CSPP", &FormatRecord::cSyncPolarity}, {"CSPG", &FormatRecord::cSyncGate},
    {"EQUB", &FormatRecord::eqBefore},      {"EQUA", &FormatRecord::eqAfter},
    {"AVPG", &FormatRecord::pedestalOn},    {"GAMC", &FormatRecord::gammaOn},
    {"RFLD", &FormatRecord::repeatField},   {"PCPG", &FormatRecord::pcpg},
    {"PELD", &FormatRecord::pixelDepth},    {"AVCS", &FormatRecord::avcs},
    {"USIZ", &FormatRecord::sizeUnit},
};

struct KindArgument {
    const char *mnemonic;
    CKindValue &(*kind)(FormatRecord &);
};

const KindArgument kKindArguments[] = {
    {"ASCT", [](FormatRecord &r) -> CKindValue & { return r.acsKind; }},
    {"DSCT", [](FormatRecord &r) -> CKindValue & { return r.dcsKind; }},
    {"DSST", [](FormatRecord &r) -> CKindValue & { return r.dssKind; }},
    {"SSST", [](FormatRecord &r) -> CKindValue & { return r.syncSelect; }},
};

bool Is(const char *mnemonic, const char *name)
{
    return std::strcmp(mnemonic, name) == 0;
}

QString Flag(const char *mnemonic, qint32 value)
{
    return QString::fromLatin1(mnemonic) + (value ? QLatin1String(" 1") : QLatin1String(" 0"));
}

QString Line(const char *mnemonic, const QString &argument)
{
    return QString::fromLatin1(mnemonic) + u' ' + argument;
}

// The record's counts are whole and fit an int (FillRecord makes them so);
// the helper keeps any other value from an undefined conversion.
QString Count(const char *mnemonic, double count)
{
    return Line(mnemonic, FormatInt(RoundToCount(count).value_or(0)));
}

} // namespace

QStringList FormatCommandLines(const FormatRecord &r, const QString &name)
{
    const bool analog = r.videoKind.IsAnalog();
    return {
        QString::fromLatin1(kHeader1),
        QString::fromLatin1(kHeader2),
        Line("FMTN", name),
        QStringLiteral("FMTB"),
        Line("NAME", name),
        Line("HRAT", FormatFixed(r.lineRate, 3)),
        Count("HRES", r.hActive),
        Count("HTOT", r.hTotal),
        Count("HSPD", r.hSyncDelay),
        Count("HSPW", r.hSyncWidth),
        Flag("HSPP", r.hSyncPolarity),
        Flag("HSPG", r.hSyncGate),
        Count("VRES", r.vActive),
        Count("VTOT", r.vTotal),
        Count("VSPD", r.vSyncDelay),
        Count("VSPW", r.vSyncWidth),
        Flag("VSPP", r.vSyncPolarity),
        Flag("VSPG", r.vSyncGate),
        Count("EQUB", r.eqBefore),
        Count("EQUA", r.eqAfter),
        r.interlaced ? QStringLiteral("SCAN 2") : QStringLiteral("SCAN 1"),
        Count("AVST", analog ? r.videoKind.GetAnalogCode() : 0),
        Count("DVST", analog ? 0 : r.videoKind.GetDigitalCode()),
        Line("AVSS", FormatFixed(r.videoSwing, 3)),
        Line("AVPS", FormatFixed(r.pedestalLevel, 4)),
        Flag("AVPG", r.pedestalOn),
        Line("ASSS", FormatFixed(r.syncSwing, 3)),
        QStringLiteral("ASSG %1,%2,%3").arg(r.syncOnRed ? 1 : 0).arg(r.syncOnGreen ? 1 : 0).arg(r.syncOnBlue ? 1 : 0),
        Count("ASCT", r.acsKind.GetIndex()),
        Count("DSCT", r.dcsKind.GetIndex()),
        Count("DSST", r.dssKind.GetIndex()),
        Count("SSST", r.syncSelect.GetCode()),
        Flag("CSPP", r.cSyncPolarity),
        Flag("CSPG", r.cSyncGate),
        Line("GAMA", FormatFixed(r.gamma, 5)),
        Flag("GAMC", r.gammaOn),
        Count("USIZ", r.sizeUnit),
        Line("HSIZ", FormatFixed(r.hImageSize, 4)),
        Line("VSIZ", FormatFixed(r.vImageSize, 4)),
        Flag("RFLD", r.repeatField),
        Flag("PCPG", r.pcpg),
        Count("PELD", r.pixelDepth),
        Count("AVCS", r.avcs),
        QStringLiteral("FMTE"),
        Line("FMTA", name),
    };
}

bool ReadNameArgument(CCommandReader &reader, QString &name)
{
    CCommandReader ahead = reader;
    QString token;
    name.clear();
    if (!ahead.NextToken(token))
        return false;
    if (token.startsWith(u'"')) {
        // The quotes are the command line's, not the name's: FMTN "PAL 50".
        reader.NextQuotedString(name);
        name.truncate(CCommandReader::kMaxTokenLength);
    } else {
        reader = ahead;
        name = token;
    }
    return !name.isEmpty();
}

FormatCommandParser::Result FormatCommandParser::Read(CCommandReader &reader)
{
    for (int index = reader.NextMnemonic(); index >= 0; index = reader.NextMnemonic()) {
        const char *mnemonic = CCommandReader::MnemonicText(index);
        if (Is(mnemonic, "FMTA") || Is(mnemonic, "FMTE"))
            return Result::Ended;
        if (!ReadArgument(mnemonic, reader))
            return Result::Failed;
    }
    return Result::TextUsed;
}

bool FormatCommandParser::Fail(const QString &error)
{
    m_error = error;
    return false;
}

bool FormatCommandParser::ReadDouble(const char *mnemonic, CCommandReader &reader, double &value)
{
    QString token;
    if (!reader.NextToken(token))
        return Fail(QStringLiteral("%1 has no value.").arg(QLatin1String(mnemonic)));
    // Whole token, without the locale: "7,5" or "1e999" is no number here.
    const std::optional<double> number = ParseDouble(token);
    if (!number)
        return Fail(QStringLiteral("The value of %1 (\"%2\") is not a number.").arg(QLatin1String(mnemonic), token));
    value = *number;
    return true;
}

bool FormatCommandParser::ReadInt(const char *mnemonic, CCommandReader &reader, qint32 &value)
{
    QString token;
    if (!reader.NextToken(token))
        return Fail(QStringLiteral("%1 has no value.").arg(QLatin1String(mnemonic)));
    const std::optional<long long> number = ParseInt(token);
    if (!number || *number < INT32_MIN || *number > INT32_MAX)
        return Fail(QStringLiteral("The value of %1 (\"%2\") is not a whole number.").arg(QLatin1String(mnemonic), token));
    value = qint32(*number);
    return true;
}

bool FormatCommandParser::ReadArgument(const char *mnemonic, CCommandReader &reader)
{
    for (const DoubleArgument &argument : kDoubleArguments) {
        if (Is(mnemonic, argument.mnemonic))
            return ReadDouble(mnemonic, reader, m_record.*argument.field);
    }
    for (const IntArgument &argument : kIntArguments) {
        if (Is(mnemonic, argument.mnemonic))
            return ReadInt(mnemonic, reader, m_record.*argument.field);
    }
    qint32 value = 0;
    for (const KindArgument &argument : kKindArguments) {
        if (!Is(mnemonic, argument.mnemonic))
            continue;
        if (!ReadInt(mnemonic, reader, value))
            return false;
        argument.kind(m_record).SetArchiveValue(value); // an unknown value keeps the kind
        return true;
    }
    if (Is(mnemonic, "NAME")) {
        if (!ReadNameArgument(reader, m_record.name))
            return Fail(QStringLiteral("NAME has no value."));
        m_nameSeen = true;
        return true;
    }
    if (Is(mnemonic, "SCAN")) {
        if (!ReadInt(mnemonic, reader, value))
            return false;
        m_record.interlaced = value != 1;
        return true;
    }
    if (Is(mnemonic, "AVST") || Is(mnemonic, "DVST")) {
        if (!ReadInt(mnemonic, reader, value))
            return false;
        if (value != 0 && Is(mnemonic, "AVST"))
            m_record.videoKind.SetFromAnalogCode(value);
        else if (value != 0)
            m_record.videoKind.SetFromDigitalCode(value);
        return true;
    }
    if (Is(mnemonic, "ASSG")) {
        bool red = false, green = false, blue = false;
        if (!reader.NextFlags(red, green, blue))
            return Fail(QStringLiteral("ASSG needs three flags, each 0 or 1."));
        m_record.syncOnRed = red;
        m_record.syncOnGreen = green;
        m_record.syncOnBlue = blue;
        return true;
    }
    return true; // every other mnemonic is not a format's
}

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

#include "FormatCommandParser.h"

#include "CCommandReader.h"
#include "FormatCommandFile.h"
#include "Numbers.h"
#include "StringTable.h"

#include <cstring>

namespace {

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

} // namespace

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
        return Fail(LoadString(IDS_CMDFILE_NO_VALUE).arg(QLatin1String(mnemonic)));
    // Whole token, without the locale: "7,5" or "1e999" is no number here.
    const std::optional<double> number = ParseDouble(token);
    if (!number)
        return Fail(LoadString(IDS_CMDFILE_NOT_A_NUMBER).arg(QLatin1String(mnemonic), token));
    value = *number;
    return true;
}

bool FormatCommandParser::ReadInt(const char *mnemonic, CCommandReader &reader, qint32 &value)
{
    QString token;
    if (!reader.NextToken(token))
        return Fail(LoadString(IDS_CMDFILE_NO_VALUE).arg(QLatin1String(mnemonic)));
    const std::optional<long long> number = ParseInt(token);
    if (!number || *number < INT32_MIN || *number > INT32_MAX)
        return Fail(LoadString(IDS_CMDFILE_NOT_A_WHOLE_NUMBER).arg(QLatin1String(mnemonic), token));
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
            // resource-rule-ok: the mnemonic, inserted as it is
            return Fail(FormatString(IDS_CMDFILE_NO_VALUE, {QStringLiteral("NAME")}));
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
            return Fail(LoadString(IDS_CMDFILE_ASSG_FLAGS));
        m_record.syncOnRed = red;
        m_record.syncOnGreen = green;
        m_record.syncOnBlue = blue;
        return true;
    }
    return true; // every other mnemonic is not a format's
}

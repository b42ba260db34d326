#include "FormatCommandFile.h"

#include "CCommandReader.h"
#include "Numbers.h"
#include "RoundToCount.h"

namespace {

const char kHeader1[] = "// RARU";
const char kHeader2[] = "// 2.000";

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

// The generator's setting and query commands: one mnemonic per setting of
// the signal, per step of an upload and per query of the generator's state.
// Settings that share a shape share a table row (clamps, number form); the
// named methods are thin wrappers over a few generic steps.
//
// Numbers go out and come back without the locale: a desktop whose decimal
// sign is a comma still sends "HRAT 31469.0000" and reads "7.03" as 7.03.

#include "CGenerator.h"

#include "IdnReply.h"
#include "ReplyNumbers.h"

#include "CKindValue.h"
#include "Numbers.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr int kIntMax = std::numeric_limits<int>::max();
constexpr double kNoLow = -std::numeric_limits<double>::infinity();
constexpr double kNoHigh = std::numeric_limits<double>::infinity();

struct IntRow
{
    const char* mnemonic;
    int low;
    int high;
};

// Integer settings and their clamps; a mnemonic not listed is sent as given.
const IntRow kIntSettings[] = {
    {"AVCS", 0, 4},       {"BASE", -36, 36},     {"DNUM", 0, 2},        {"DVST", 0, kIntMax},
    {"EQUA", 0, kIntMax}, {"EQUB", 0, kIntMax},  {"HRES", 16, kIntMax}, {"HSPD", 1, kIntMax},
    {"HSPW", 1, kIntMax}, {"HTOT", 2, 65536},    {"SCAN", 1, 2},        {"SMOD", 0, 3},
    {"STEP", 1, kIntMax}, {"USIZ", 0, 2},        {"VRES", 1, kIntMax},  {"VSPD", 0, kIntMax},
    {"VTOT", 2, kIntMax}, {"XRES", 0, kIntMax},  {"YRES", 0, kIntMax},
};

enum class Form { Fixed, General };

struct RealRow
{
    const char* mnemonic;
    Form form;
    int digits; // decimals of a fixed form, significant digits of a general one
    double low; // also what not-a-number becomes, where there is a low bound
    double high;
};

const RealRow kRealSettings[] = {
    {"ASSS", Form::Fixed, 3, 0.0, 0.307},
    {"AVPS", Form::Fixed, 4, 0.0, 100.0},
    {"AVSS", Form::Fixed, 3, 0.0, 1.0},
    {"GAMA", Form::Fixed, 5, kNoLow, kNoHigh},
    {"HRAT", Form::Fixed, 4, 10.0, kNoHigh},
    {"HSIZ", Form::Fixed, 4, kNoLow, kNoHigh},
    {"VSIZ", Form::Fixed, 4, kNoLow, kNoHigh},
    {"SDLY", Form::General, 3, kNoLow, kNoHigh},
};

template <typename Row, size_t N>
const Row* FindRow(const Row (&rows)[N], const char* mnemonic)
{
    for (const Row& row : rows) {
        if (std::strcmp(row.mnemonic, mnemonic) == 0)
            return &row;
    }
    return nullptr;
}

int ClampInt(const char* mnemonic, int n)
{
    const IntRow* row = FindRow(kIntSettings, mnemonic);
    if (row == nullptr)
        return n;
    n = std::clamp(n, row->low, row->high);
    // The generator has no number base -1, 0 or 1.
    if (std::strcmp(mnemonic, "BASE") == 0 && n >= -1 && n <= 1)
        n = -2;
    return n;
}

QString RealText(const char* mnemonic, double v)
{
    const RealRow* row = FindRow(kRealSettings, mnemonic);
    if (row == nullptr)
        return FormatGeneral(v);
    const bool hasLow = row->low != kNoLow;
    // "<=" also turns -0.0 into the bound, so no "-0.000" goes out.
    if ((std::isnan(v) && hasLow) || v <= row->low)
        v = row->low;
    else if (v > row->high)
        v = row->high;
    return row->form == Form::Fixed ? FormatFixed(v, row->digits) : FormatGeneral(v, row->digits);
}

// "HRES?" of "HRES".
QString QueryOf(const char* mnemonic)
{
    return QLatin1String(mnemonic) + QLatin1Char('?');
}

QString Flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

// The reply's leading decimal number as 64 bits, as atoll reads it; beyond
// the range it stays at the nearest end.
qint64 LeadingInt64(const char* text)
{
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        ++text;
    const bool negative = *text == '-';
    if (*text == '+' || *text == '-')
        ++text;
    const qint64 limit = std::numeric_limits<qint64>::max();
    qint64 value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        const int digit = *text - '0';
        if (value > (limit - digit) / 10)
            return negative ? std::numeric_limits<qint64>::min() : limit;
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A hexadecimal number as strtoul reads it (blanks, an optional "0x");
// returns where it ends, or text itself when there is none. Values beyond
// 32 bits stay at 0xFFFFFFFF.
const char* ReadHex(const char* text, unsigned& value)
{
    value = 0;
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && HexDigit(p[2]) >= 0)
        p += 2;
    if (HexDigit(*p) < 0)
        return text;
    unsigned long long wide = 0;
    for (int d; (d = HexDigit(*p)) >= 0; ++p)
        wide = std::min<unsigned long long>(wide * 16 + unsigned(d), 0xFFFFFFFFull);
    value = unsigned(wide);
    return p;
}

} // namespace

// --- Generic steps ---------------------------------------------------------------

void CGenerator::SendSwitch(const char* mnemonic, bool on)
{
    SendCommand(QLatin1String(mnemonic) + QLatin1Char(' ') + Flag(on), false);
}

void CGenerator::SendIntSetting(const char* mnemonic, int n)
{
    SendCommand(QLatin1String(mnemonic) + QLatin1Char(' ') + QString::number(ClampInt(mnemonic, n)), false);
}

void CGenerator::SendRealSetting(const char* mnemonic, double v)
{
    SendCommand(QLatin1String(mnemonic) + QLatin1Char(' ') + RealText(mnemonic, v), false);
}

bool CGenerator::QuerySwitch(const char* mnemonic)
{
    return SendQueryBool(QueryOf(mnemonic));
}

int CGenerator::QueryIntSetting(const char* mnemonic)
{
    return SendQueryInt(QueryOf(mnemonic));
}

double CGenerator::QueryRealSetting(const char* mnemonic)
{
    return SendQueryDouble(QueryOf(mnemonic));
}

void CGenerator::QueryTripleFlags(const char* mnemonic, double threshold, bool& r, bool& g, bool& b)
{
    RgbTriple triple;
    SendQueryRgb(QueryOf(mnemonic), triple);
    r = triple.r > threshold;
    g = triple.g > threshold;
    b = triple.b > threshold;
}

qint64 CGenerator::QueryInt64(const char* mnemonic)
{
    m_link.Transmit(QueryOf(mnemonic), true);
    return LeadingInt64(m_link.Reply());
}

bool CGenerator::SendRaw(const QString& text)
{
    // The generator answers these with two lines of its own, not a prompt.
    if (!PutString(text))
        return false;
    return GetString() && GetString();
}

// --- On/off switches --------------------------------------------------------------

void CGenerator::CmdAvpg(bool on) { SendSwitch("AVPG", on); }
void CGenerator::CmdCspg(bool on) { SendSwitch("CSPG", on); }
void CGenerator::CmdHspg(bool on) { SendSwitch("HSPG", on); }
void CGenerator::CmdVspg(bool on) { SendSwitch("VSPG", on); }
void CGenerator::CmdCspp(bool on) { SendSwitch("CSPP", on); }
void CGenerator::CmdHspp(bool on) { SendSwitch("HSPP", on); }
void CGenerator::CmdVspp(bool on) { SendSwitch("VSPP", on); }
void CGenerator::CmdGamc(bool on) { SendSwitch("GAMC", on); }
void CGenerator::CmdIsub(bool on) { SendSwitch("ISUB", on); }
void CGenerator::CmdPcpg(bool on) { SendSwitch("PCPG", on); }
void CGenerator::CmdRfld(bool on) { SendSwitch("RFLD", on); }

bool CGenerator::QueryAvpg() { return QuerySwitch("AVPG"); }
bool CGenerator::QueryCspg() { return QuerySwitch("CSPG"); }
bool CGenerator::QueryHspg() { return QuerySwitch("HSPG"); }
bool CGenerator::QueryVspg() { return QuerySwitch("VSPG"); }
bool CGenerator::QueryCspp() { return QuerySwitch("CSPP"); }
bool CGenerator::QueryHspp() { return QuerySwitch("HSPP"); }
bool CGenerator::QueryVspp() { return QuerySwitch("VSPP"); }
bool CGenerator::QueryGamc() { return QuerySwitch("GAMC"); }
bool CGenerator::QueryPcpg() { return QuerySwitch("PCPG"); }
bool CGenerator::QueryRfld() { return QuerySwitch("RFLD"); }

// --- Integer settings --------------------------------------------------------------

void CGenerator::CmdAvcs(int n) { SendIntSetting("AVCS", n); }
void CGenerator::CmdAvst(int n) { SendIntSetting("AVST", n); }
void CGenerator::CmdBase(int n) { SendIntSetting("BASE", n); }
void CGenerator::CmdDnum(int n) { SendIntSetting("DNUM", n); }
void CGenerator::CmdDvst(int n) { SendIntSetting("DVST", n); }
void CGenerator::CmdEqua(int n) { SendIntSetting("EQUA", n); }
void CGenerator::CmdEqub(int n) { SendIntSetting("EQUB", n); }
void CGenerator::CmdHres(int n) { SendIntSetting("HRES", n); }
void CGenerator::CmdHspd(int n) { SendIntSetting("HSPD", n); }
void CGenerator::CmdHspw(int n) { SendIntSetting("HSPW", n); }
void CGenerator::CmdHtot(int n) { SendIntSetting("HTOT", n); }
void CGenerator::CmdIver(int n) { SendIntSetting("IVER", n); }
void CGenerator::CmdLmax(int n) { SendIntSetting("LMAX", n); }
void CGenerator::CmdPeld(int bits) { SendIntSetting("PELD", bits); }
void CGenerator::CmdScan(int n) { SendIntSetting("SCAN", n); }
void CGenerator::CmdSize(int n) { SendIntSetting("SIZE", n); }
void CGenerator::CmdSlut(int n) { SendIntSetting("SLUT", n); }
void CGenerator::CmdSmod(int n) { SendIntSetting("SMOD", n); }
void CGenerator::CmdSsst(int code) { SendIntSetting("SSST", code); }
void CGenerator::CmdStep(int n) { SendIntSetting("STEP", n); }
void CGenerator::CmdSvsg(int n) { SendIntSetting("SVSG", n); }
void CGenerator::CmdUsiz(int n) { SendIntSetting("USIZ", n); }
void CGenerator::CmdVres(int n) { SendIntSetting("VRES", n); }
void CGenerator::CmdVspd(int n) { SendIntSetting("VSPD", n); }
void CGenerator::CmdVspw(int n) { SendIntSetting("VSPW", n); }
void CGenerator::CmdVtot(int n) { SendIntSetting("VTOT", n); }
void CGenerator::CmdXres(int n) { SendIntSetting("XRES", n); }
void CGenerator::CmdYres(int n) { SendIntSetting("YRES", n); }

int CGenerator::QueryAvcs() { return QueryIntSetting("AVCS"); }
int CGenerator::QueryAvst() { return QueryIntSetting("AVST"); }
int CGenerator::QueryBase() { return QueryIntSetting("BASE"); }
int CGenerator::QueryDnum() { return QueryIntSetting("DNUM"); }
int CGenerator::QueryDvst() { return QueryIntSetting("DVST"); }
int CGenerator::QueryEqua() { return QueryIntSetting("EQUA"); }
int CGenerator::QueryEqub() { return QueryIntSetting("EQUB"); }
int CGenerator::QueryHres() { return QueryIntSetting("HRES"); }
int CGenerator::QueryHspd() { return QueryIntSetting("HSPD"); }
int CGenerator::QueryHspw() { return QueryIntSetting("HSPW"); }
int CGenerator::QueryHtot() { return QueryIntSetting("HTOT"); }
int CGenerator::QueryIver() { return QueryIntSetting("IVER"); }
int CGenerator::QueryScan() { return QueryIntSetting("SCAN"); }
int CGenerator::QuerySize() { return QueryIntSetting("SIZE"); }
int CGenerator::QuerySmod() { return QueryIntSetting("SMOD"); }
int CGenerator::QuerySsst() { return QueryIntSetting("SSST"); }
int CGenerator::QueryStep() { return QueryIntSetting("STEP"); }
int CGenerator::QuerySvsg() { return QueryIntSetting("SVSG"); }
int CGenerator::QueryUsiz() { return QueryIntSetting("USIZ"); }
int CGenerator::QueryVres() { return QueryIntSetting("VRES"); }
int CGenerator::QueryVspd() { return QueryIntSetting("VSPD"); }
int CGenerator::QueryVspw() { return QueryIntSetting("VSPW"); }
int CGenerator::QueryVtot() { return QueryIntSetting("VTOT"); }

int CGenerator::QueryPeld(bool ofGenerator)
{
    return SendQueryInt(ofGenerator ? QStringLiteral("PELD? GE") : QStringLiteral("PELD?"));
}

// --- Floating-point settings -----------------------------------------------------------

void CGenerator::CmdAsss(double v) { SendRealSetting("ASSS", v); }
void CGenerator::CmdAvps(double v) { SendRealSetting("AVPS", v); }
void CGenerator::CmdAvss(double v) { SendRealSetting("AVSS", v); }
void CGenerator::CmdGama(double v) { SendRealSetting("GAMA", v); }
void CGenerator::CmdHrat(double v) { SendRealSetting("HRAT", v); }
void CGenerator::CmdHsiz(double v) { SendRealSetting("HSIZ", v); }
void CGenerator::CmdVsiz(double v) { SendRealSetting("VSIZ", v); }
void CGenerator::CmdSdly(double seconds) { SendRealSetting("SDLY", seconds); }

double CGenerator::QueryAsss() { return QueryRealSetting("ASSS"); }
double CGenerator::QueryAvps() { return QueryRealSetting("AVPS"); }
double CGenerator::QueryAvss() { return QueryRealSetting("AVSS"); }
double CGenerator::QueryGama() { return QueryRealSetting("GAMA"); }
double CGenerator::QueryHrat() { return QueryRealSetting("HRAT"); }
double CGenerator::QueryHsiz() { return QueryRealSetting("HSIZ"); }
double CGenerator::QueryVsiz() { return QueryRealSetting("VSIZ"); }
double CGenerator::QuerySdly() { return QueryRealSetting("SDLY"); }

// --- Sync kinds ---------------------------------------------------------------------

void CGenerator::CmdAsct(int index) { CmdAsctKind(CAcsKind(index)); }
void CGenerator::CmdDsct(int index) { CmdDsctKind(CDcsKind(index)); }
void CGenerator::CmdDsst(int index) { CmdDsstKind(CDssKind(index)); }

// A kind built from an index it lacks (another generator's reply) is not
// set; sending its -1 would only be refused, so the generator keeps its own.
void CGenerator::CmdAsctKind(const CAcsKind& kind)
{
    if (kind.IsSet())
        SendIntSetting("ASCT", kind.GetIndex());
}

void CGenerator::CmdDsctKind(const CDcsKind& kind)
{
    if (kind.IsSet())
        SendIntSetting("DSCT", kind.GetIndex());
}

void CGenerator::CmdDsstKind(const CDssKind& kind)
{
    if (kind.IsSet())
        SendIntSetting("DSST", kind.GetIndex());
}

int CGenerator::QueryAsct() { return QueryIntSetting("ASCT"); }
int CGenerator::QueryDsct() { return QueryIntSetting("DSCT"); }
int CGenerator::QueryDsst() { return QueryIntSetting("DSST"); }

// --- Sync selection -------------------------------------------------------------------

int CGenerator::SsstCodeOfFlags(bool acs, bool dcs, bool dss)
{
    // Indexed by acs * 4 + dcs * 2 + dss.
    static constexpr int kCodes[8] = {0, 1, 2, 11, 3, 5, 6, 7};
    return kCodes[(acs ? 4 : 0) + (dcs ? 2 : 0) + (dss ? 1 : 0)];
}

void CGenerator::DecodeSsstCode(int code, bool& acs, bool& dcs, bool& dss)
{
    acs = dcs = dss = false;
    switch (code) {
    case 1: dss = true; break;
    case 2: dcs = true; break;
    case 3:
    case 4: acs = true; break;
    case 5: acs = dss = true; break;
    case 6: acs = dcs = true; break;
    case 7: acs = dcs = dss = true; break;
    case 11: dcs = dss = true; break;
    default: break;
    }
}

void CGenerator::CmdSsstFlags(bool acs, bool dcs, bool dss)
{
    SendIntSetting("SSST", SsstCodeOfFlags(acs, dcs, dss));
}

void CGenerator::QuerySsstFlags(bool& acs, bool& dcs, bool& dss)
{
    DecodeSsstCode(QuerySsst(), acs, dcs, dss);
}

// --- Gates, sync on colour, video boards ----------------------------------------------------

void CGenerator::CmdAssg(bool r, bool g, bool b)
{
    SendCommand(QStringLiteral("ASSG ") + Flag(r) + QLatin1Char(',') + Flag(g) + QLatin1Char(',') + Flag(b), false);
}

void CGenerator::QueryAssg(bool& r, bool& g, bool& b)
{
    QueryTripleFlags("ASSG", 0.5, r, g, b);
}

void CGenerator::CmdXvsg(bool r, bool g, bool b)
{
    SendCommand(QStringLiteral("XVSG ") + Flag(r) + QLatin1Char(' ') + Flag(g) + QLatin1Char(' ') + Flag(b), false);
}

void CGenerator::CmdXvsgValues(int r, int g, int b)
{
    SendCommand(QStringLiteral("XVSG %1 %2 %3").arg(r).arg(g).arg(b), false);
}

void CGenerator::QueryXvsg(bool& r, bool& g, bool& b)
{
    QueryTripleFlags("XVSG", 0.0, r, g, b);
}

void CGenerator::QueryVbpr(bool& r, bool& g, bool& b)
{
    if (m_firmwareVersion < 7.04) {
        r = g = b = false;
        return;
    }
    QueryTripleFlags("VBPR", 0.0, r, g, b);
}

// --- Outputs ------------------------------------------------------------------------

void CGenerator::CmdOutgOn(bool on, bool second)
{
    SendCommand(QStringLiteral("OUTG ") + Flag(on) + (second ? QString() : QStringLiteral(" 0")), false);
}

void CGenerator::CmdOutg(int value) { SendIntSetting("OUTG", value); }
bool CGenerator::QueryOutgOn() { return QuerySwitch("OUTG"); }
int CGenerator::QueryOutg() { return QueryIntSetting("OUTG"); }

// --- Uploads and recalls ----------------------------------------------------------------

void CGenerator::CmdBdma(int offset, int length, int rows, int board)
{
    SendCommand(QStringLiteral("BDMA %1 %2 %3 %4").arg(offset).arg(length).arg(rows).arg(board), false);
}

void CGenerator::CmdDmap(int width, int height, int depth)
{
    const bool depthOk = depth == 1 || depth == 2 || depth == 4 || depth == 8;
    if (width > 0 && height > 0 && depthOk)
        SendCommand(QStringLiteral("DMAP %1 %2 %3").arg(width).arg(height).arg(depth), false);
}

void CGenerator::QueryDmap(int& width, int& height, int& depth)
{
    width = height = depth = 0;
    m_link.Transmit(QStringLiteral("DMAP?"), true);
    const char* text = m_link.Reply();
    const char* first = std::strchr(text, ',');
    if (first == nullptr || first == text)
        return;
    width = ReplyNumbers::LeadingInt(text);
    const char* second = std::strchr(first + 1, ',');
    if (second == nullptr || second == first + 1)
        return;
    height = ReplyNumbers::LeadingInt(first + 1);
    depth = ReplyNumbers::LeadingInt(second + 1);
}

void CGenerator::CmdFdta(int table, int index, int value)
{
    SendCommand(QStringLiteral("FDTA %1 %2 %3").arg(table).arg(index).arg(value), false);
}

int CGenerator::QueryFdta(int table, int index)
{
    return SendQueryInt(QStringLiteral("FDTA? %1 %2").arg(table).arg(index));
}

void CGenerator::CmdFntg() { SendCommand(QStringLiteral("FNTG "), false); }
void CGenerator::CmdLute() { SendCommand(QStringLiteral("LUTE"), false); }

void CGenerator::CmdMdta(int index, int word)
{
    SendCommand(QStringLiteral("MDTA %1 %2").arg(index).arg(word), false);
}

uint32_t CGenerator::QueryMdta(int index)
{
    // A word reads the same whether the generator writes it signed or not.
    m_link.Transmit(QStringLiteral("MDTA? %1").arg(index), true);
    return uint32_t(LeadingInt64(m_link.Reply()));
}

void CGenerator::CmdRgbw(int index, int r, int g, int b)
{
    SendCommand(QStringLiteral("RGBW %1 %2 %3 %4").arg(index).arg(r).arg(g).arg(b), false);
}

void CGenerator::CmdRgbwColor(int index, uint32_t colour)
{
    CmdRgbw(index, int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

void CGenerator::CmdSbnk() { SendCommand(QStringLiteral("SBNK"), false); }
void CGenerator::CmdSerm(int) { SendCommand(QStringLiteral("SERM DMA"), false); }

// --- State, errors, identity ------------------------------------------------------------

void CGenerator::CmdErrc() { SendCommand(QStringLiteral("ERRC"), false); }
int CGenerator::QueryNerr() { return QueryIntSetting("NERR"); }
int CGenerator::QueryFmtg() { return QueryIntSetting("FMTG"); }
int CGenerator::QueryIstp() { return QueryIntSetting("ISTP"); }
int CGenerator::QueryNstp() { return QueryIntSetting("NSTP"); }

const QString& CGenerator::QueryIstpLine(int n)
{
    return SendQueryString(QStringLiteral("ISTP? %1").arg(n));
}

qint64 CGenerator::QueryMemu() { return QueryInt64("MEMU"); }
qint64 CGenerator::QueryMemf() { return QueryInt64("MEMF"); }

void CGenerator::CmdName(const QString& name)
{
    CommandLine line(QStringLiteral("NAME "));
    line.AppendQuotedName(name);
    SendCommand(line, false);
}

void CGenerator::CmdKnob(int knob, int clicks)
{
    SendCommand(QStringLiteral("KNOB %1 %2").arg(std::clamp(knob, 1, 2)).arg(clicks), false);
}

void CGenerator::CmdPkup() { SendCommand(QStringLiteral("PKUP"), false); }
void CGenerator::CmdScal() { SendCommand(QStringLiteral("SCAL 1"), true); }

void CGenerator::QueryVerh(int& first, int& second)
{
    SendCommand(QStringLiteral("VERH?"), true);
    const char* text = m_link.Reply();
    unsigned a = 0;
    unsigned b = 0;
    const char* end = ReadHex(text, a);
    // The second number starts one character past the first; a reply that
    // ends with the first has none.
    if (*end != '\0')
        ReadHex(end + 1, b);
    first = int(a);
    second = int(b);
}

void CGenerator::QueryIdn(QString& model, QString& version, QString& serial)
{
    SendCommand(QStringLiteral("*IDN?"), true);
    // Without a port nothing was read; the buffer holds an older reply.
    const IdnReply idn = ParseIdnReply(GetPort() != 0 ? ReplyText() : QString());
    model = idn.model;
    version = idn.version;
    serial = idn.serial;
}

bool CGenerator::CmdYmdi() { return SendRaw(QStringLiteral("YMDI ")); }
bool CGenerator::CmdYmdo(const QString& files) { return SendRaw(QStringLiteral("YMDO ") + files); }

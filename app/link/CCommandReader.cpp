#include "CCommandReader.h"

#include <charconv>
#include <cfloat>
#include <climits>
#include <cstring>

#include <QByteArray>

namespace {

// Indexes are what the readers dispatch on: never reorder or insert.
const char* const kMnemonics[CCommandReader::kMnemonicCount] = {
    "*TRG", "GETR", "PUTR", "GETA", "PUTA", "ADDR", "JTAG", "NOTU", "RECT", "OVAL",
    "LINE", "ADOT", "AROW", "AMAP", "MMAP", "RMAP", "TRAN", "OPAQ", "PPOP", "SLUT",
    "FRGB", "TOBL", "NOGA", "ANTI", "GRID", "GRIH", "GRIV", "PAGE", "TEXT", "LIMI",
    "CENT", "TRIA", "FORM", "TBOX", "TBXG", "HATI", "HATO", "CROS", "SNUM", "ISTP",
    "ANIM", "XRES", "YRES", "LEVR", "LEVG", "LEVB", "SEQL", "SEQR", "SEQQ", "SEQU",
    "STEP", "NSTP", "SMOD", "SDLY", "SEQB", "SEQE", "SEQN", "SEQA", "SEQS", "SEQK",
    "BASE", "SIZE", "KNOB", "KEYY", "ALLU", "NAME", "HRAT", "HRES", "HTOT", "HSPD",
    "HSPW", "HSPP", "HSPG", "HSIZ", "HSRS", "HVSA", "VRES", "VTOT", "VSPD", "VSPW",
    "VSPP", "VSPG", "VSIZ", "EQUB", "EQUA", "EQUF", "SCAN", "AVST", "AVSB", "AVSS",
    "AVSC", "ASSC", "AVCO", "AVCM", "AVCS", "AVPS", "AVPG", "RFLD", "PCPG", "ASSS",
    "ASSG", "ASRG", "ASGG", "ASBG", "ASCT", "DSST", "DSCT", "DVST", "DVSP", "CSPP",
    "CSPG", "FSPG", "FSPP", "FSPD", "FSPW", "PSPG", "PSPP", "PSHD", "PSVD", "PSPW",
    "SBNK", "SSST", "PELD", "OUTG", "REDG", "GRNG", "BLUG", "SVSG", "XVSG", "GAMA",
    "GAMC", "DCEX", "DCBM", "DCRD", "USIZ", "MSIZ", "FMTA", "FMTS", "FMTN", "FMTL",
    "FMTB", "FMTE", "FMTK", "FMTG", "FMTU", "FMTJ", "FMTQ", "IMGB", "IMGE", "IMGN",
    "IMGK", "IMGA", "IMGS", "IMGL", "IMGU", "IMGQ", "IVER", "DIRA", "DIRN", "DIRL",
    "DIRB", "DIRE", "DIRS", "NAMI", "NAMY", "NAMK", "NAMF", "NAMQ", "DIRK", "DIRP",
    "DIRQ", "UIDN", "VERF", "VERH", "RATC", "JRAT", "MODE", "INIT", "BOOT", "BOIT",
    "CALF", "CACH", "*IDN", "*CLS", "*ESE", "*ESR", "*SRE", "*STB", "*RST", "*TST",
    "*OPC", "*WAI", "*OPT", "GPIB", "YMDI", "YMDO", "LLOS", "GTLS", "SCAL", "DNUM",
    "FMTP", "IMGP", "SEQP", "LEDS", "LCDS", "FNTB", "FNTE", "FNTS", "FNTA", "FNTL",
    "FNTQ", "FDTA", "FNTK", "FNTG", "FNTU", "FNTN", "PENW", "PENH", "DWEL", "OFFX",
    "OFFY", "SPAX", "SPAY", "DELX", "DELY", "NCYC", "SLIP", "HSSC", "MAPN", "MAPB",
    "DMAP", "MAPE", "MAPL", "MAPA", "MAPS", "MAPK", "MAPQ", "MDTA", "ROWI", "ROWY",
    "ROWQ", "GMAP", "GLUT", "LMAX", "LUTA", "LUTB", "LUTE", "LUTK", "LUTL", "LUTN",
    "LUTQ", "LUTS", "LUTU", "RGBW", "RGBQ", "SDIR", "ALLE", "VTOF", "IDET", "PKUP",
    "UNPK", "*DDT", "NERR", "ERRC", "ERRQ", "OERR", "ERRY", "EDID", "DDCV", "MEMF",
    "MEMU", "MEMS", "MEML", "MEMC", "MEMT", "FLSH", "ALIN", "ALIK", "ALIQ"
};

bool IsSeparator(QChar c)
{
    return c == u' ' || c == u'\r' || c == u'\n' || c == u',';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Like the C library's atoi, but locale-free and clamped to the int range.
int LeadingInt(const QByteArray& bytes)
{
    const char* p = bytes.constData();
    const char* end = p + bytes.size();
    if (p != end && *p == '+') {
        ++p;
        if (p == end || !IsDigit(*p))
            return 0;
    }
    int value = 0;
    const auto [next, ec] = std::from_chars(p, end, value);
    if (ec == std::errc::result_out_of_range)
        return *p == '-' ? INT_MIN : INT_MAX;
    return ec == std::errc() ? value : 0;
}

// Out of range always has an exponent: 255 plain digits stay within range.
// A negative exponent means the value is too small, else too large.
double OutOfRange(const char* begin, const char* end)
{
    const bool negative = *begin == '-';
    const char* e = begin;
    while (e != end && *e != 'e' && *e != 'E')
        ++e;
    const bool tiny = e != end && e + 1 != end && e[1] == '-';
    const double magnitude = tiny ? 0.0 : DBL_MAX;
    return negative ? -magnitude : magnitude;
}

// Like the C library's atof, but locale-free; inf, nan and hex forms read as 0
// so that no non-finite value reaches a format or a primitive.
double LeadingDouble(const QByteArray& bytes)
{
    const char* p = bytes.constData();
    const char* end = p + bytes.size();
    const char* digits = p;
    if (p != end && *p == '+')
        digits = ++p;
    else if (p != end && *p == '-')
        digits = p + 1;
    const bool startsNumber = digits != end
        && (IsDigit(*digits) || (*digits == '.' && digits + 1 != end && IsDigit(digits[1])));
    if (!startsNumber)
        return 0.0;
    double value = 0.0;
    const auto [next, ec] = std::from_chars(p, end, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range)
        return OutOfRange(p, next);
    return ec == std::errc() ? value : 0.0;
}

} // namespace

void CCommandReader::SetText(const QString& line)
{
    m_text = line;
    m_pos = 0;
}

bool CCommandReader::NextToken(QString& token)
{
    const qsizetype size = m_text.size();
    while (m_pos < size && IsSeparator(m_text[m_pos]))
        ++m_pos;
    const qsizetype start = m_pos;
    while (m_pos < size && !IsSeparator(m_text[m_pos]))
        ++m_pos;
    token = m_text.mid(start, qMin(m_pos - start, kMaxTokenLength));
    return !token.isEmpty();
}

int CCommandReader::NextMnemonic()
{
    QString token;
    while (NextToken(token)) {
        const int index = MnemonicIndex(token);
        if (index >= 0)
            return index;
    }
    return -1;
}

bool CCommandReader::NextInt(int& value)
{
    QString token;
    if (!NextToken(token))
        return false;
    value = LeadingInt(token.toLatin1());
    return true;
}

bool CCommandReader::NextDouble(double& value)
{
    value = 0.0;
    QString token;
    if (!NextToken(token))
        return false;
    value = LeadingDouble(token.toLatin1());
    return true;
}

bool CCommandReader::NextQuotedString(QString& text)
{
    text.clear();
    const qsizetype size = m_text.size();
    if (m_pos >= size)
        return false;
    const qsizetype open = m_text.indexOf(u'"', m_pos);
    if (open < 0) {
        m_pos = size;
        return false;
    }
    const qsizetype close = m_text.indexOf(u'"', open + 1);
    const qsizetype stop = close < 0 ? size : close;
    text = m_text.mid(open + 1, stop - open - 1);
    m_pos = close < 0 ? size : close + 1;
    return true;
}

bool CCommandReader::NextFlags(bool& a, bool& b, bool& c)
{
    a = b = c = false;
    for (bool* flag : {&a, &b, &c}) {
        QString token;
        if (!NextToken(token) || token.size() != 1)
            return false;
        if (token[0] != u'0' && token[0] != u'1')
            return false;
        *flag = token[0] == u'1';
    }
    return true;
}

const char* CCommandReader::MnemonicText(int index)
{
    if (index < 0 || index >= kMnemonicCount)
        return nullptr;
    return kMnemonics[index];
}

int CCommandReader::MnemonicIndex(QStringView token)
{
    // ASCII case only: a letter that merely folds to one (long s, Kelvin sign)
    // is not the command the generator knows.
    if (token.size() != 4)
        return -1;
    char upper[4];
    for (int i = 0; i < 4; ++i) {
        const char16_t u = token[i].unicode();
        if (u > 0x7F)
            return -1;
        upper[i] = (u >= 'a' && u <= 'z') ? char(u - 'a' + 'A') : char(u);
    }
    for (int index = 0; index < kMnemonicCount; ++index) {
        if (std::memcmp(upper, kMnemonics[index], 4) == 0)
            return index;
    }
    return -1;
}

// Random replies through every reader of the connection: no crash, no read
// outside the reply, and every result within what the reader promises.
#include "CGenerator.h"
#include "CGeneratorState.h"

#include "FakePort.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

bool InUnitRange(double v)
{
    return v >= 0.0 && v <= 1.0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FakePort port;
    // The library hands over a NUL-terminated reply.
    std::string reply(reinterpret_cast<const char*>(data), size);
    reply = reply.substr(0, reply.find('\0'));
    port.fallback = {reply, 0};

    CGenerator gen(nullptr, MORVANE_PORT_COM);
    gen.SetFirmwareVersion(7.5);
    gen.SendQueryBool(QStringLiteral("AVPG?"));
    gen.SendQueryInt(QStringLiteral("HRES?"));
    gen.SendQueryDouble(QStringLiteral("HRAT?"));
    RgbTriple rgb;
    gen.SendQueryRgb(QStringLiteral("ASSG?"), rgb);
    Check(InUnitRange(rgb.r) && InUnitRange(rgb.g) && InUnitRange(rgb.b));
    const QString line = gen.SendQueryString(QStringLiteral("FMTU?"));
    Check(!line.contains(QLatin1String("\r\n")));
    QStringList lines;
    gen.QueryFmtqList(1, 450, lines, true);
    for (const QString& l : lines)
        Check(!l.contains(QLatin1String("\r\n")) && (l.isEmpty() || !l.back().isSpace()));
    int width = -1;
    int height = -1;
    int depth = -1;
    gen.QueryDmap(width, height, depth);
    int first = 0;
    int second = 0;
    gen.QueryVerh(first, second);
    Check(gen.QueryMemu() == gen.QueryMemf());
    bool acs = false;
    bool dcs = false;
    bool dss = false;
    gen.QuerySsstFlags(acs, dcs, dss);
    QString model;
    QString version;
    QString serial;
    gen.QueryIdn(model, version, serial);
    Check(!model.contains(QLatin1Char(',')) && !serial.contains(QLatin1Char(',')) && !version.contains(QLatin1Char('\r')));
    CGeneratorState state(&gen);
    state.Read();
    for (int32_t flag : {state.red, state.green, state.blue, state.output, state.acs, state.dcs, state.dss})
        Check(flag == 0 || flag == 1);
    const int code = state.SyncCodeToSend();
    Check((code >= 0 && code <= 11) || code == 13);
    gen.RefreshFontList();
    Check(gen.FontFlags().size() == gen.FontNames().size());
    for (unsigned flag : gen.FontFlags())
        Check(flag <= 1);
    return 0;
}

#include "FormatRecord.h"

#include "Numbers.h"
#include "StringTable.h"

#include <cmath>

namespace {

struct Limit {
    const char *mnemonic;
    double FormatRecord::*value;
    double low;  // -HUGE_VAL: finite is enough
    double high;
};

constexpr double kAny = HUGE_VAL;

const Limit kLimits[] = {
    {"HRAT", &FormatRecord::lineRate, FormatLimits::kMinLineRate, FormatLimits::kMaxLineRate},
    {"HRES", &FormatRecord::hActive, 0, FormatLimits::kMaxCount},
    {"HTOT", &FormatRecord::hTotal, 1, FormatLimits::kMaxCount},
    {"HSPD", &FormatRecord::hSyncDelay, 0, FormatLimits::kMaxCount},
    {"HSPW", &FormatRecord::hSyncWidth, 0, FormatLimits::kMaxCount},
    {"VRES", &FormatRecord::vActive, 0, FormatLimits::kMaxCount},
    {"VTOT", &FormatRecord::vTotal, 1, FormatLimits::kMaxCount},
    {"VSPD", &FormatRecord::vSyncDelay, 0, FormatLimits::kMaxCount},
    {"VSPW", &FormatRecord::vSyncWidth, 0, FormatLimits::kMaxCount},
    {"HSIZ", &FormatRecord::hImageSize, FormatLimits::kMinSize, FormatLimits::kMaxSize},
    {"VSIZ", &FormatRecord::vImageSize, FormatLimits::kMinSize, FormatLimits::kMaxSize},
    {"AVPS", &FormatRecord::pedestalLevel, -kAny, kAny},
    {"GAMA", &FormatRecord::gamma, -kAny, kAny},
    {"AVSS", &FormatRecord::videoSwing, -kAny, kAny},
    {"ASSS", &FormatRecord::syncSwing, -kAny, kAny},
};

} // namespace

QString CheckFormatRecord(const FormatRecord &record)
{
    for (const Limit &limit : kLimits) {
        const double value = record.*limit.value;
        const QString mnemonic = QString::fromLatin1(limit.mnemonic);
        if (!std::isfinite(value))
            return LoadString(IDS_FORMAT_MNEMONIC_NOT_A_NUMBER).arg(mnemonic);
        if (value < limit.low || value > limit.high)
            return LoadString(IDS_FORMAT_MNEMONIC_OUTSIDE)
                .arg(mnemonic, FormatGeneral(value, 10), FormatGeneral(limit.low, 10), FormatGeneral(limit.high, 10));
    }
    return {};
}

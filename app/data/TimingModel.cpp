#include "TimingModel.h"

#include "CGeneralFormatData.h"
#include "Numbers.h"
#include "ResourceIds.h"
#include "RoundToCount.h"
#include "StringTable.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

using T = TimingModel;

// When a typed entry is taken.
enum class Editable { kAlways, kPixelRate, kPixelPeriod, kLineRate, kFieldRate };

// One value: what it is called, its unit (stored = shown x unit), decimals
// shown, the bounds of the stored value and whether it is a count.
struct ValueRow {
    T::Field field;
    unsigned name; // text id
    double unit;
    int decimals;
    double minimum;
    double maximum;
    bool integer;
    Editable editable;
};

constexpr double kMaxHTime = 0.0005;
constexpr double kMaxVTime = 1.0;
constexpr double kMinSize = 0.1;
constexpr double kMaxSize = 9999.999;

const ValueRow kValues[] = {
    {T::kPixelRate, IDS_FIELD_PIXEL_RATE, 1e6, 3, 1e6, 999999000, false, Editable::kPixelRate},
    {T::kPixelPeriod, IDS_FIELD_PIXEL_PERIOD, 1e-9, 3, 1.000001000001e-09, 1e-06, false, Editable::kPixelPeriod},
    {T::kLineRate, IDS_FIELD_LINE_RATE, 1e3, 3, 2000, 250000, false, Editable::kLineRate},
    {T::kFieldRate, IDS_FIELD_FIELD_RATE, 1, 3, 1.0, 999.999, false, Editable::kFieldRate},
    {T::kHActive, IDS_FIELD_H_ACTIVE, 1, 0, 0, 9999, true, Editable::kAlways},
    {T::kHBlank, IDS_FIELD_H_BLANK, 1, 0, 0, 9999, true, Editable::kAlways},
    {T::kHTotal, IDS_FIELD_H_TOTAL, 1, 0, 0, 9999, true, Editable::kAlways},
    {T::kHActiveTime, IDS_FIELD_H_ACTIVE_TIME, 1e-6, 3, 0, kMaxHTime, false, Editable::kAlways},
    {T::kHBlankTime, IDS_FIELD_H_BLANK_TIME, 1e-6, 3, 0, kMaxHTime, false, Editable::kAlways},
    {T::kHPeriodTime, IDS_FIELD_H_PERIOD_TIME, 1e-6, 3, T::kMinHPeriod, kMaxHTime, false, Editable::kAlways},
    {T::kHDelay, IDS_FIELD_H_DELAY, 1, 0, 0, 9999, true, Editable::kAlways},
    {T::kHWidth, IDS_FIELD_H_WIDTH, 1, 0, 0, 9999, true, Editable::kAlways},
    {T::kHDelayTime, IDS_FIELD_H_DELAY_TIME, 1e-6, 3, 0, kMaxHTime, false, Editable::kAlways},
    {T::kHWidthTime, IDS_FIELD_H_WIDTH_TIME, 1e-6, 3, 0, kMaxHTime, false, Editable::kAlways},
    {T::kVActive, IDS_FIELD_V_ACTIVE, 1, 0, 0, 9999, true, Editable::kAlways},
    {T::kVBlank, IDS_FIELD_V_BLANK, 1, 0, 0, 9999, true, Editable::kAlways},
    {T::kVTotal, IDS_FIELD_V_TOTAL, 1, 0, 0, 9999, true, Editable::kAlways},
    {T::kVActiveTime, IDS_FIELD_V_ACTIVE_TIME, 1e-3, 3, 0, kMaxVTime, false, Editable::kAlways},
    {T::kVBlankTime, IDS_FIELD_V_BLANK_TIME, 1e-3, 3, 0, kMaxVTime, false, Editable::kAlways},
    {T::kVPeriodTime, IDS_FIELD_V_PERIOD_TIME, 1e-3, 3, 0, kMaxVTime, false, Editable::kAlways},
    {T::kVDelay, IDS_FIELD_V_DELAY, 1, 0, 0, 9999, true, Editable::kAlways},
    {T::kVWidth, IDS_FIELD_V_WIDTH, 1, 0, 0, 9999, true, Editable::kAlways},
    {T::kVDelayTime, IDS_FIELD_V_DELAY_TIME, 1e-3, 3, 0, kMaxVTime, false, Editable::kAlways},
    // Not 1 s as the other vertical times.
    {T::kVWidthTime, IDS_FIELD_V_WIDTH_TIME, 1e-3, 3, 0, kMaxHTime, false, Editable::kAlways},
    {T::kHSizeIn, IDS_FIELD_H_SIZE_IN, 1, 3, kMinSize, kMaxSize, false, Editable::kAlways},
    {T::kVSizeIn, IDS_FIELD_V_SIZE_IN, 1, 3, kMinSize, kMaxSize, false, Editable::kAlways},
    {T::kHSizeMm, IDS_FIELD_H_SIZE_MM, 1, 3, kMinSize, kMaxSize, false, Editable::kAlways},
    {T::kVSizeMm, IDS_FIELD_V_SIZE_MM, 1, 3, kMinSize, kMaxSize, false, Editable::kAlways},
    {T::kEqBefore, IDS_TIMING_EQ_BEFORE, 1, 0, 0, 9999, true, Editable::kAlways},
    {T::kEqAfter, IDS_TIMING_EQ_AFTER, 1, 0, 0, 9999, true, Editable::kAlways},
};

const ValueRow *FindValue(T::Field field)
{
    for (const ValueRow &row : kValues) {
        if (row.field == field)
            return &row;
    }
    return nullptr;
}

// Values enabled only in Time units; the counts of kMachineOnly only in Machine units.
constexpr T::Field kTimeOnly[] = {T::kHActiveTime, T::kHBlankTime, T::kHPeriodTime, T::kHDelayTime,
                             T::kHWidthTime,  T::kVActiveTime, T::kVBlankTime, T::kVPeriodTime,
                             T::kVDelayTime,  T::kVWidthTime};
constexpr T::Field kMachineOnly[] = {T::kHBlank, T::kHTotal, T::kHDelay, T::kHWidth,
                                T::kVBlank, T::kVTotal, T::kVDelay, T::kVWidth};

bool Contains(const T::Field *first, const T::Field *last, T::Field field)
{
    return std::find(first, last, field) != last;
}

// The count of a time and back, for the last entries.
struct CountTime {
    T::Field count;
    T::Field time;
};
constexpr CountTime kCountTime[] = {
    {T::kHActive, T::kHActiveTime}, {T::kHBlank, T::kHBlankTime},
    {T::kHTotal, T::kHPeriodTime},  {T::kVActive, T::kVActiveTime},
    {T::kVBlank, T::kVBlankTime},   {T::kVTotal, T::kVPeriodTime},
};

T::Field ToTime(T::Field field)
{
    for (const CountTime &pair : kCountTime) {
        if (pair.count == field)
            return pair.time;
    }
    return field;
}

T::Field ToCount(T::Field field)
{
    for (const CountTime &pair : kCountTime) {
        if (pair.time == field)
            return pair.count;
    }
    return field;
}

// Values above the bound take the bound; below it, or not comparable, the lower bound.
double Clamp(double value, double minimum, double maximum)
{
    if (value > maximum)
        return maximum;
    if (!(value >= minimum))
        return minimum;
    return value;
}

// One step of a typed rate toward its period: the whole pixels (lines) the
// period changes by, at least one in the direction of the difference.
double PeriodStep(double difference, double rate)
{
    const double step = std::trunc(difference * rate);
    if (step != 0)
        return step;
    return difference > 0 ? 1 : difference < 0 ? -1 : 0;
}

} // namespace

TimingModel::TimingModel(CGeneralFormatData &data) : m_data(data) {}

bool TimingModel::IsTimeUnits() const
{
    return m_data.timeEntryUnits == 1;
}

void TimingModel::Init()
{
    G(kHPixels).Init(kHActive, kHBlank, kHTotal);
    G(kHTimes).Init(kHActiveTime, kHBlankTime, kHPeriodTime);
    G(kVLines).Init(kVActive, kVBlank, kVTotal);
    G(kVTimes).Init(kVActiveTime, kVBlankTime, kVPeriodTime);
    G(kRates).Init(kLineRate, kFieldRate, kPixelRate, kPixelPeriod);
    G(kRates).MakeOneEntered();
    for (CEntryGroup &group : m_state.groups)
        group.Colour();
    m_state.lastH = IsTimeUnits() ? kHActiveTime : kHActive;
    m_state.lastV = IsTimeUnits() ? kVActiveTime : kVActive;
    m_state.rateRow = kRateSelectB;
    m_state.hRow = kHSelectB;
    m_state.vRow = kVSelectB;
    G(kHPixels).Select(kHBlank);
    G(kHTimes).Select(kHBlankTime);
    G(kVLines).Select(kVBlank);
    G(kVTimes).Select(kVBlankTime);
    // Time units enter the pixel rate: with the line rate entered it could not be typed.
    if (IsTimeUnits()) {
        G(kRates).Select(kPixelRate);
        m_state.rateRow = kRateSelectA;
    }
}

// --- Values -------------------------------------------------------------------------

bool TimingModel::IsGroupMember(Field field)
{
    // The rates and the active, blank and period counts and times.
    return (field >= kPixelRate && field <= kHPeriodTime) || (field >= kVActive && field <= kVPeriodTime);
}

double *TimingModel::Value(Field field)
{
    CGeneralFormatData &d = m_data;
    const bool porch = d.backPorchMode != 0;
    switch (field) {
    case kPixelRate: return &d.pixelRate;
    case kPixelPeriod: return &d.pixelPeriod;
    case kLineRate: return &d.lineRate;
    case kFieldRate: return &d.fieldRate;
    case kHActive: return &d.hActive;
    case kHBlank: return &d.hBlank;
    case kHTotal: return &d.hTotal;
    case kHActiveTime: return &d.hActiveTime;
    case kHBlankTime: return &d.hBlankTime;
    case kHPeriodTime: return &d.hTotalTime;
    case kHDelay: return porch ? &d.hBackPorchPixels : &d.hSyncDelay;
    case kHDelayTime: return porch ? &d.hBackPorchTime : &d.hSyncDelayTime;
    case kHWidth: return &d.hSyncWidth;
    case kHWidthTime: return &d.hSyncWidthTime;
    case kVActive: return &d.vActive;
    case kVBlank: return &d.vBlank;
    case kVTotal: return &d.vTotal;
    case kVActiveTime: return &d.vActiveTime;
    case kVBlankTime: return &d.vBlankTime;
    case kVPeriodTime: return &d.vTotalTime;
    case kVDelay: return porch ? &d.vBackPorchLines : &d.vSyncDelay;
    case kVDelayTime: return porch ? &d.vBackPorchTime : &d.vSyncDelayTime;
    case kVWidth: return &d.vSyncWidth;
    case kVWidthTime: return &d.vSyncWidthTime;
    case kHSizeIn: return &d.hSizeInches;
    case kVSizeIn: return &d.vSizeInches;
    case kHSizeMm: return &d.hSizeMm;
    case kVSizeMm: return &d.vSizeMm;
    default: return nullptr;
    }
}

QString TimingModel::Text(Field field) const
{
    const ValueRow *row = FindValue(field);
    if (!row)
        return {};
    if (field == kEqBefore)
        return FormatInt(m_data.eqBefore);
    if (field == kEqAfter)
        return FormatInt(m_data.eqAfter);
    return FormatFixed(*Value(field) / row->unit, row->decimals);
}

QString TimingModel::FieldName(Field field) const
{
    const ValueRow *row = FindValue(field);
    if (!row)
        return {};
    return FormatString(row->name, {LoadString(m_data.backPorchMode ? IDS_BACK_PORCH : IDS_PULSE_DELAY)});
}

bool TimingModel::IsEnabled(Field field) const
{
    if (Contains(std::begin(kTimeOnly), std::end(kTimeOnly), field))
        return IsTimeUnits();
    if (Contains(std::begin(kMachineOnly), std::end(kMachineOnly), field))
        return !IsTimeUnits();
    return true;
}

bool TimingModel::IsEditable(Field field) const
{
    const ValueRow *row = FindValue(field);
    if (!row)
        return false;
    const int entered = G(kRates).CalculatedId();
    switch (row->editable) {
    case Editable::kAlways: return true;
    case Editable::kPixelRate: return entered == kPixelRate;
    case Editable::kPixelPeriod: return entered == kPixelRate || entered == kPixelPeriod;
    case Editable::kLineRate: return entered == kLineRate || IsTimeUnits();
    case Editable::kFieldRate: return entered == kFieldRate || IsTimeUnits();
    }
    return false;
}

unsigned TimingModel::DelayLabelId() const
{
    return m_data.backPorchMode ? IDS_BACK_PORCH : IDS_PULSE_DELAY;
}

// --- Entries ----------------------------------------------------------------------

TimingModel::Outcome TimingModel::Enter(Field field, const QString &text)
{
    const ValueRow *row = FindValue(field);
    if (!row || !IsEditable(field))
        return {};
    const std::optional<double> typed = ParseDouble(text);
    if (!typed) {
        return {Outcome::kRefused, FormatString(IDS_NOT_A_NUMBER, {FieldName(field), text})};
    }
    const bool size = field == kHSizeIn || field == kVSizeIn || field == kHSizeMm || field == kVSizeMm;
    // A size is taken only when it differs from the one shown: the other
    // unit's size would otherwise become the unit of the format.
    if (size && ParseDouble(Text(field)) == typed)
        return {};
    const double shown = row->integer ? std::trunc(*typed) : *typed;
    const double value = Clamp(shown * row->unit, row->minimum, row->maximum);
    return Transact(FieldName(field), [&] { Apply(field, value); });
}

TimingModel::Outcome TimingModel::Transact(const QString &field, const std::function<void()> &change)
{
    const CGeneralFormatData data = m_data;
    const State state = m_state;
    m_failed = false;
    change();
    QString problem = m_data.CheckValues();
    if (m_failed && problem.isEmpty())
        problem = LoadString(IDS_VALUE_NOT_CALCULATED);
    if (problem.isEmpty())
        return {Outcome::kTaken, {}};
    m_data = data;
    m_state = state;
    return {Outcome::kRefused, FormatString(IDS_TIMING_UNUSABLE, {field, problem})};
}

void TimingModel::Apply(Field field, double value)
{
    if (field == kEqBefore || field == kEqAfter)
        (field == kEqBefore ? m_data.eqBefore : m_data.eqAfter) = qint32(value);
    else if (field >= kHSizeIn)
        ApplySize(field, value);
    else if (field >= kVActive)
        ApplyVertical(field, value);
    else if (field >= kHActive)
        ApplyHorizontal(field, value);
    else
        ApplyRate(field, value);
}

void TimingModel::ApplyRate(Field field, double value)
{
    CGeneralFormatData &d = m_data;
    const bool time = IsTimeUnits();
    if (field == kPixelRate || field == kPixelPeriod) {
        *Value(field) = value;
        if (field == kPixelPeriod)
            d.pixelRate = Div(1, value);
        Rates();
        H(m_state.lastH);
        V(m_state.lastV);
    } else if (field == kLineRate) {
        d.lineRate = value;
        if (time) {
            d.hTotalTime += Div(PeriodStep(Div(1, d.lineRate) - d.hTotalTime, d.pixelRate), d.pixelRate);
            d.hTotalTime = Clamp(d.hTotalTime, kMinHPeriod, kMaxHTime);
            H(kHPeriodTime);
        } else {
            Rates();
            H(m_state.lastH);
        }
        V(m_state.lastV);
    } else if (field == kFieldRate) {
        d.fieldRate = value;
        if (time) {
            d.vTotalTime += Div(PeriodStep(Div(1, d.fieldRate) - d.vTotalTime, d.lineRate), d.lineRate);
            d.vTotalTime = Clamp(d.vTotalTime, kMinVPeriod, kMaxVTime);
            V(kVPeriodTime);
        } else {
            Rates();
            H(m_state.lastH);
            V(m_state.lastV);
        }
    }
}

// The sync delay and width take their count and time together; the others
// rebalance their row.
void TimingModel::ApplyHorizontal(Field field, double value)
{
    CGeneralFormatData &d = m_data;
    *Value(field) = value;
    switch (field) {
    case kHDelay:
    case kHWidth:
        *Value(field == kHDelay ? kHDelayTime : kHWidthTime) = Div(value, d.pixelRate);
        H(m_state.lastH);
        return;
    case kHDelayTime:
    case kHWidthTime:
        *Value(field == kHDelayTime ? kHDelay : kHWidth) = value * d.pixelRate;
        H(m_state.lastH);
        return;
    case kHActive:
        if (IsTimeUnits()) {
            d.pixelRate = Clamp(Div(d.hActive, d.hActiveTime), 1e6, 999999000);
            Rates();
        }
        break;
    case kHPeriodTime: d.lineRate = Div(1, value); break;
    default: break;
    }
    H(field);
    V(m_state.lastV);
    m_state.lastH = field;
}

void TimingModel::ApplyVertical(Field field, double value)
{
    CGeneralFormatData &d = m_data;
    *Value(field) = value;
    switch (field) {
    case kVDelay:
    case kVWidth:
        *Value(field == kVDelay ? kVDelayTime : kVWidthTime) = Div(value, d.lineRate);
        V(m_state.lastV);
        return;
    case kVDelayTime:
    case kVWidthTime:
        *Value(field == kVDelayTime ? kVDelay : kVWidth) = value * d.lineRate;
        V(m_state.lastV);
        return;
    case kVActive:
        if (IsTimeUnits()) {
            d.lineRate = Div(d.vActive, d.vActiveTime);
            d.pixelRate = Clamp(d.hTotal * d.lineRate, 1e6, 999999000);
            Rates();
            H(m_state.lastH);
            V(field);
        } else {
            V(field);
            H(m_state.lastH);
        }
        break;
    case kVBlank:
    case kVTotal:
        V(field);
        H(m_state.lastH);
        break;
    default: // the times
        V(field);
        break;
    }
    m_state.lastV = field;
}

void TimingModel::ApplySize(Field field, double value)
{
    CGeneralFormatData &d = m_data;
    const bool inches = field == kHSizeIn || field == kVSizeIn;
    const bool horizontal = field == kHSizeIn || field == kHSizeMm;
    d.sizeUnit = inches ? CGeneralFormatData::kUnitInches : CGeneralFormatData::kUnitMm;
    (horizontal ? d.hImageSize : d.vImageSize) = value;
    (horizontal ? d.hSizeInches : d.vSizeInches) = inches ? value : CGeneralFormatData::MmToInches(value);
    (horizontal ? d.hSizeMm : d.vSizeMm) = inches ? CGeneralFormatData::InchesToMm(value) : value;
}

// --- Recalculation ----------------------------------------------------------------

double TimingModel::Div(double a, double b)
{
    if (b == 0 || !std::isfinite(b)) {
        m_failed = true;
        return std::numeric_limits<double>::quiet_NaN();
    }
    return a / b;
}

double TimingModel::R0(double x)
{
    const std::optional<int> count = RoundToCount(x);
    if (!count) {
        m_failed = true;
        return std::numeric_limits<double>::quiet_NaN();
    }
    return *count;
}

double TimingModel::R(double x)
{
    return std::min(R0(x), double(kMaxCount));
}

void TimingModel::Rates()
{
    CGeneralFormatData &d = m_data;
    const double k = d.interlaced ? 2 : 1;
    if (IsTimeUnits()) {
        const double n = R0(d.hTotalTime * d.pixelRate);
        d.lineRate = Div(d.pixelRate, n);
        const double m = R0(d.vTotalTime * d.lineRate);
        d.fieldRate = Div(d.lineRate, m) * k;
    } else {
        const double ht = std::trunc(d.hTotal);
        const double vt = std::trunc(d.vTotal);
        switch (G(kRates).CalculatedId()) {
        case kFieldRate:
            d.pixelRate = vt * ht * d.fieldRate / k;
            d.lineRate = vt * d.fieldRate / k;
            break;
        case kLineRate:
            d.pixelRate = ht * d.lineRate;
            d.fieldRate = Div(d.lineRate, vt) * k;
            break;
        default: // the pixel rate or its period
            d.lineRate = Div(d.pixelRate, ht);
            d.fieldRate = Div(Div(d.pixelRate, ht), vt) * k;
            break;
        }
    }
    d.pixelPeriod = Div(1, d.pixelRate);
}

void TimingModel::HorizontalTimesFromCounts()
{
    CGeneralFormatData &d = m_data;
    const double p = d.pixelRate;
    d.hActiveTime = Div(d.hActive, p);
    d.hBlankTime = Div(d.hBlank, p);
    d.hTotalTime = Div(d.hTotal, p);
    d.hSyncDelayTime = Div(d.hSyncDelay, p);
    d.hSyncWidthTime = Div(d.hSyncWidth, p);
    d.hBackPorchTime = Div(d.hBackPorchPixels, p);
}

void TimingModel::VerticalTimesFromCounts()
{
    CGeneralFormatData &d = m_data;
    const double l = d.lineRate;
    d.vActiveTime = Div(d.vActive, l);
    d.vBlankTime = Div(d.vBlank, l);
    d.vTotalTime = Div(d.vTotal, l);
    d.vSyncDelayTime = Div(d.vSyncDelay, l);
    d.vSyncWidthTime = Div(d.vSyncWidth, l);
    d.vBackPorchTime = Div(d.vBackPorchLines, l);
}

namespace {

// active + blank = total, by which of the three is calculated; e is the
// member just entered (ids of a times group or of a count group).
struct Triple {
    int active, blank, total;
};

void Balance(const Triple &ids, int calculated, int e, double &active, double &blank, double &total)
{
    if (calculated == ids.total) {
        total = blank + active;
    } else if (calculated == ids.active) {
        if (blank > total) {
            if (e == ids.total)
                blank = total;
            else if (e == ids.blank)
                total = blank;
        }
        active = total - blank;
    } else if (calculated == ids.blank) {
        if (active > total) {
            if (e == ids.active)
                total = active;
            else if (e == ids.total)
                active = total;
        }
        blank = total - active;
    }
}

} // namespace

void TimingModel::H(Field e)
{
    CGeneralFormatData &d = m_data;
    if (IsTimeUnits()) {
        Balance({kHActiveTime, kHBlankTime, kHPeriodTime}, G(kHTimes).CalculatedId(), e, d.hActiveTime,
                d.hBlankTime, d.hTotalTime);
        if (d.hTotalTime < kMinHPeriod) {
            d.hTotalTime = kMinHPeriod;
            if (e == kHActiveTime)
                d.hBlankTime = d.hTotalTime - d.hActiveTime;
            else
                d.hActiveTime = d.hTotalTime - d.hBlankTime;
        }
        const double p = d.pixelRate;
        d.hActive = R(d.hActiveTime * p);
        d.hBlank = R(d.hBlankTime * p);
        d.hTotal = R(d.hTotalTime * p);
        d.hSyncDelay = R(d.hSyncDelayTime * p);
        d.hSyncWidth = R(d.hSyncWidthTime * p);
        d.hBackPorchPixels = R(d.hBackPorchTime * p);
        Rates();
        return;
    }
    Balance({kHActive, kHBlank, kHTotal}, G(kHPixels).CalculatedId(), e, d.hActive, d.hBlank, d.hTotal);
    if (!(d.hTotal > 0)) {
        d.hTotal = 1;
        (e == kHActive ? d.hBlank : d.hActive) = 1;
    }
    Rates();
    HorizontalTimesFromCounts();
}

void TimingModel::V(Field e)
{
    CGeneralFormatData &d = m_data;
    if (IsTimeUnits()) {
        Balance({kVActiveTime, kVBlankTime, kVPeriodTime}, G(kVTimes).CalculatedId(), e, d.vActiveTime,
                d.vBlankTime, d.vTotalTime);
        if (d.vTotalTime < kMinVPeriod) {
            d.vTotalTime = kMinVPeriod;
            if (e == kVActiveTime)
                d.vBlankTime = d.vTotalTime - d.vActiveTime;
            else
                d.vActiveTime = d.vTotalTime - d.vBlankTime;
        }
        const double l = d.lineRate;
        d.vActive = R(d.vActiveTime * l);
        d.vBlank = R(d.vBlankTime * l);
        d.vTotal = R(d.vTotalTime * l);
        d.vSyncDelay = R(d.vSyncDelayTime * l);
        d.vSyncWidth = R(d.vSyncWidthTime * l);
        d.vBackPorchLines = R(d.vBackPorchTime * l);
        Rates();
        return;
    }
    Balance({kVActive, kVBlank, kVTotal}, G(kVLines).CalculatedId(), e, d.vActive, d.vBlank, d.vTotal);
    if (!(d.vTotal > 0)) {
        d.vTotal = 1;
        (e == kVActive ? d.vBlank : d.vActive) = 1;
    }
    Rates();
    VerticalTimesFromCounts();
}

// --- Buttons ----------------------------------------------------------------------

bool TimingModel::IsSelectorOn(Selector selector) const
{
    return selector == m_state.rateRow || selector == m_state.hRow || selector == m_state.vRow;
}

TimingModel::Outcome TimingModel::PressSelector(Selector selector)
{
    // Each selector names the member of its row's groups it makes entered
    // (rate row) or calculated (the others).
    struct SelectorRow {
        Selector selector;
        Field count; // the member of the rate group or of the count group
        Field time;  // the member of the times group; none in the rate row
    };
    static constexpr SelectorRow kSelectors[] = {
        {kRateSelectA, kPixelRate, kNoField},
        {kRateSelectB, kLineRate, kNoField},
        {kRateSelectC, kFieldRate, kNoField},
        {kHSelectA, kHActive, kHActiveTime},
        {kHSelectB, kHBlank, kHBlankTime},
        {kHSelectC, kHTotal, kHPeriodTime},
        {kVSelectA, kVActive, kVActiveTime},
        {kVSelectB, kVBlank, kVBlankTime},
        {kVSelectC, kVTotal, kVPeriodTime},
    };
    const auto it = std::find_if(std::begin(kSelectors), std::end(kSelectors),
                                 [selector](const SelectorRow &row) { return row.selector == selector; });
    if (it == std::end(kSelectors))
        return {};
    Outcome outcome;
    if (it->time == kNoField) {
        // Time units always enter the pixel rate.
        if (IsTimeUnits()) {
            m_state.rateRow = kRateSelectA;
            return outcome;
        }
        m_state.rateRow = selector;
        G(kRates).Select(it->count);
        outcome.focus = it->count;
        return outcome;
    }
    const bool horizontal = selector >= kHSelectA && selector <= kHSelectC;
    (horizontal ? m_state.hRow : m_state.vRow) = selector;
    G(horizontal ? kHPixels : kVLines).Select(it->count);
    G(horizontal ? kHTimes : kVTimes).Select(it->time);
    outcome.focus = IsTimeUnits() ? it->time : it->count;
    return outcome;
}

TimingModel::Outcome TimingModel::SetTimeUnits(bool time)
{
    Outcome outcome = Transact(LoadString(time ? IDS_FIELD_TIME : IDS_FIELD_MACHINE), [&] {
        m_data.timeEntryUnits = time ? 1 : 0;
        m_state.lastH = time ? ToTime(m_state.lastH) : ToCount(m_state.lastH);
        m_state.lastV = time ? ToTime(m_state.lastV) : ToCount(m_state.lastV);
        const std::pair<GroupIndex, GroupIndex> pairs[] = {{kHPixels, kHTimes}, {kVLines, kVTimes}};
        for (const auto &[counts, times] : pairs) {
            CEntryGroup &to = G(time ? times : counts);
            CEntryGroup &from = G(time ? counts : times);
            to.Colour();
            if (from.IsEditing())
                to.SetLastEnteredId(time ? ToTime(Field(from.LastEnteredId())) : ToCount(Field(from.LastEnteredId())));
            // Times take over plain; counts take over the editing state.
            to.SetEditing(!time && from.IsEditing());
            from.SetEditing(false);
            from.Uncolour();
        }
        if (time) {
            G(kRates).Select(kPixelRate);
            m_state.rateRow = kRateSelectA;
            Rates();
        } else {
            G(kRates).Select(kLineRate);
            m_state.rateRow = kRateSelectB;
            Rates();
            H(m_state.lastH);
            V(m_state.lastV);
        }
    });
    if (outcome.kind == Outcome::kTaken)
        outcome.focus = time ? kPixelRate : kLineRate;
    return outcome;
}

TimingModel::Outcome TimingModel::SetBackPorch(bool on)
{
    return Transact(LoadString(IDS_BACK_PORCH), [&] {
        CGeneralFormatData &d = m_data;
        d.backPorchMode = on ? 1 : 0;
        if (on) {
            d.hBackPorchPixels = d.hTotal - d.hActive - d.hSyncDelay - d.hSyncWidth;
            d.hBackPorchTime = Div(d.hBackPorchPixels, d.pixelRate);
            d.vBackPorchLines = d.vTotal - d.vActive - d.vSyncDelay - d.vSyncWidth;
            d.vBackPorchTime = Div(d.vBackPorchLines, d.lineRate);
        } else {
            d.hSyncDelay = d.hTotal - d.hActive - d.hBackPorchPixels - d.hSyncWidth;
            d.hSyncDelayTime = Div(d.hSyncDelay, d.pixelRate);
            d.vSyncDelay = d.vTotal - d.vActive - d.vBackPorchLines - d.vSyncWidth;
            d.vSyncDelayTime = Div(d.vSyncDelay, d.lineRate);
        }
    });
}

TimingModel::Outcome TimingModel::SetInterlaced(bool interlaced)
{
    return Transact(LoadString(interlaced ? IDS_FIELD_INTERLACED : IDS_FIELD_PROGRESSIVE), [&] {
        m_data.interlaced = interlaced ? 1 : 0;
        Rates();
        H(m_state.lastH);
        V(m_state.lastV);
    });
}

void TimingModel::Commit()
{
    CGeneralFormatData &d = m_data;
    m_failed = false;
    if (d.backPorchMode) {
        const CGeneralFormatData before = d;
        d.hSyncDelay = d.hTotal - d.hActive - d.hBackPorchPixels - d.hSyncWidth;
        d.hSyncDelayTime = Div(d.hSyncDelay, d.pixelRate);
        d.vSyncDelay = d.vTotal - d.vActive - d.vBackPorchLines - d.vSyncWidth;
        d.vSyncDelayTime = Div(d.vSyncDelay, d.lineRate);
        if (m_failed)
            d = before;
    }
    const bool inches = d.sizeUnit == CGeneralFormatData::kUnitInches;
    d.hImageSize = inches ? d.hSizeInches : d.hSizeMm;
    d.vImageSize = inches ? d.vSizeInches : d.vSizeMm;
}

// --- Groups -----------------------------------------------------------------------

std::optional<EntryColours> TimingModel::EditColours(Field field) const
{
    for (const CEntryGroup &group : m_state.groups) {
        if (std::optional<EntryColours> colours = group.EditColours(field))
            return colours;
    }
    return std::nullopt;
}

bool TimingModel::FocusEntry(Field field)
{
    bool changed = false;
    for (GroupIndex index : {kHTimes, kHPixels, kVTimes, kVLines, kRates})
        changed = G(index).FocusEntry(field) || changed;
    return changed;
}

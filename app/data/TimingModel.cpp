#include "TimingModel.h"

#include "CGeneralFormatData.h"
#include "Numbers.h"
#include "RoundToCount.h"
#include "StringTable.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

using T = TimingModel;

// When a typed entry is taken.
enum class Editable { kAlways, kPixelRate, kPixelPeriod, kLineRate, kFieldRate };

// One value control: what it is called, its unit (stored = shown x unit),
// decimals shown, the bounds of the stored value and whether it is a count.
struct ValueControl {
    int id;
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

const ValueControl kControls[] = {
    {IDC_PIXEL_RATE, IDS_FIELD_PIXEL_RATE, 1e6, 3, 1e6, 999999000, false, Editable::kPixelRate},
    {IDC_PIXEL_PERIOD, IDS_FIELD_PIXEL_PERIOD, 1e-9, 3, 1.000001000001e-09, 1e-06, false, Editable::kPixelPeriod},
    {IDC_LINE_RATE, IDS_FIELD_LINE_RATE, 1e3, 3, 2000, 250000, false, Editable::kLineRate},
    {IDC_FIELD_RATE, IDS_FIELD_FIELD_RATE, 1, 3, 1.0, 999.999, false, Editable::kFieldRate},
    {IDC_H_ACTIVE, IDS_FIELD_H_ACTIVE, 1, 0, 0, 9999, true, Editable::kAlways},
    {IDC_H_BLANK, IDS_FIELD_H_BLANK, 1, 0, 0, 9999, true, Editable::kAlways},
    {IDC_H_TOTAL, IDS_FIELD_H_TOTAL, 1, 0, 0, 9999, true, Editable::kAlways},
    {IDC_H_ACTIVE_TIME, IDS_FIELD_H_ACTIVE_TIME, 1e-6, 3, 0, kMaxHTime, false, Editable::kAlways},
    {IDC_H_BLANK_TIME, IDS_FIELD_H_BLANK_TIME, 1e-6, 3, 0, kMaxHTime, false, Editable::kAlways},
    {IDC_H_PERIOD_TIME, IDS_FIELD_H_PERIOD_TIME, 1e-6, 3, T::kMinHPeriod, kMaxHTime, false, Editable::kAlways},
    {IDC_H_DELAY, IDS_FIELD_H_DELAY, 1, 0, 0, 9999, true, Editable::kAlways},
    {IDC_H_WIDTH, IDS_FIELD_H_WIDTH, 1, 0, 0, 9999, true, Editable::kAlways},
    {IDC_H_DELAY_TIME, IDS_FIELD_H_DELAY_TIME, 1e-6, 3, 0, kMaxHTime, false, Editable::kAlways},
    {IDC_H_WIDTH_TIME, IDS_FIELD_H_WIDTH_TIME, 1e-6, 3, 0, kMaxHTime, false, Editable::kAlways},
    {IDC_V_ACTIVE, IDS_FIELD_V_ACTIVE, 1, 0, 0, 9999, true, Editable::kAlways},
    {IDC_V_BLANK, IDS_FIELD_V_BLANK, 1, 0, 0, 9999, true, Editable::kAlways},
    {IDC_V_TOTAL, IDS_FIELD_V_TOTAL, 1, 0, 0, 9999, true, Editable::kAlways},
    {IDC_V_ACTIVE_TIME, IDS_FIELD_V_ACTIVE_TIME, 1e-3, 3, 0, kMaxVTime, false, Editable::kAlways},
    {IDC_V_BLANK_TIME, IDS_FIELD_V_BLANK_TIME, 1e-3, 3, 0, kMaxVTime, false, Editable::kAlways},
    {IDC_V_PERIOD_TIME, IDS_FIELD_V_PERIOD_TIME, 1e-3, 3, 0, kMaxVTime, false, Editable::kAlways},
    {IDC_V_DELAY, IDS_FIELD_V_DELAY, 1, 0, 0, 9999, true, Editable::kAlways},
    {IDC_V_WIDTH, IDS_FIELD_V_WIDTH, 1, 0, 0, 9999, true, Editable::kAlways},
    {IDC_V_DELAY_TIME, IDS_FIELD_V_DELAY_TIME, 1e-3, 3, 0, kMaxVTime, false, Editable::kAlways},
    // Not 1 s as the other vertical times.
    {IDC_V_WIDTH_TIME, IDS_FIELD_V_WIDTH_TIME, 1e-3, 3, 0, kMaxHTime, false, Editable::kAlways},
    {IDC_H_SIZE_IN, IDS_FIELD_H_SIZE_IN, 1, 3, kMinSize, kMaxSize, false, Editable::kAlways},
    {IDC_V_SIZE_IN, IDS_FIELD_V_SIZE_IN, 1, 3, kMinSize, kMaxSize, false, Editable::kAlways},
    {IDC_H_SIZE_MM, IDS_FIELD_H_SIZE_MM, 1, 3, kMinSize, kMaxSize, false, Editable::kAlways},
    {IDC_V_SIZE_MM, IDS_FIELD_V_SIZE_MM, 1, 3, kMinSize, kMaxSize, false, Editable::kAlways},
    {IDC_EQ_BEFORE, IDS_TIMING_EQ_BEFORE, 1, 0, 0, 9999, true, Editable::kAlways},
    {IDC_EQ_AFTER, IDS_TIMING_EQ_AFTER, 1, 0, 0, 9999, true, Editable::kAlways},
};

const ValueControl *FindValueControl(int id)
{
    for (const ValueControl &control : kControls) {
        if (control.id == id)
            return &control;
    }
    return nullptr;
}

// Controls enabled only in Time units; the counts of kMachineOnly only in Machine units.
constexpr int kTimeOnly[] = {IDC_H_ACTIVE_TIME, IDC_H_BLANK_TIME, IDC_H_PERIOD_TIME, IDC_H_DELAY_TIME,
                             IDC_H_WIDTH_TIME,  IDC_V_ACTIVE_TIME, IDC_V_BLANK_TIME, IDC_V_PERIOD_TIME,
                             IDC_V_DELAY_TIME,  IDC_V_WIDTH_TIME};
constexpr int kMachineOnly[] = {IDC_H_BLANK, IDC_H_TOTAL, IDC_H_DELAY, IDC_H_WIDTH,
                                IDC_V_BLANK, IDC_V_TOTAL, IDC_V_DELAY, IDC_V_WIDTH};

bool Contains(const int *first, const int *last, int id)
{
    return std::find(first, last, id) != last;
}

// The count control of a time control and back, for the last entries.
struct CountTime {
    int count;
    int time;
};
constexpr CountTime kCountTime[] = {
    {IDC_H_ACTIVE, IDC_H_ACTIVE_TIME}, {IDC_H_BLANK, IDC_H_BLANK_TIME},
    {IDC_H_TOTAL, IDC_H_PERIOD_TIME},  {IDC_V_ACTIVE, IDC_V_ACTIVE_TIME},
    {IDC_V_BLANK, IDC_V_BLANK_TIME},   {IDC_V_TOTAL, IDC_V_PERIOD_TIME},
};

int ToTime(int id)
{
    for (const CountTime &pair : kCountTime) {
        if (pair.count == id)
            return pair.time;
    }
    return id;
}

int ToCount(int id)
{
    for (const CountTime &pair : kCountTime) {
        if (pair.time == id)
            return pair.count;
    }
    return id;
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
    G(kHPixels).Init(IDC_H_ACTIVE, IDC_H_BLANK, IDC_H_TOTAL);
    G(kHTimes).Init(IDC_H_ACTIVE_TIME, IDC_H_BLANK_TIME, IDC_H_PERIOD_TIME);
    G(kVLines).Init(IDC_V_ACTIVE, IDC_V_BLANK, IDC_V_TOTAL);
    G(kVTimes).Init(IDC_V_ACTIVE_TIME, IDC_V_BLANK_TIME, IDC_V_PERIOD_TIME);
    G(kRates).Init(IDC_LINE_RATE, IDC_FIELD_RATE, IDC_PIXEL_RATE, IDC_PIXEL_PERIOD);
    G(kRates).MakeOneEntered();
    for (CEntryGroup &group : m_state.groups)
        group.Colour();
    m_state.lastH = IsTimeUnits() ? IDC_H_ACTIVE_TIME : IDC_H_ACTIVE;
    m_state.lastV = IsTimeUnits() ? IDC_V_ACTIVE_TIME : IDC_V_ACTIVE;
    m_state.rateRow = IDC_RATE_SELECT_B;
    m_state.hRow = IDC_H_SELECT_B;
    m_state.vRow = IDC_V_SELECT_B;
    G(kHPixels).Select(IDC_H_BLANK);
    G(kHTimes).Select(IDC_H_BLANK_TIME);
    G(kVLines).Select(IDC_V_BLANK);
    G(kVTimes).Select(IDC_V_BLANK_TIME);
    // Time units enter the pixel rate: with the line rate entered it could not be typed.
    if (IsTimeUnits()) {
        G(kRates).Select(IDC_PIXEL_RATE);
        m_state.rateRow = IDC_RATE_SELECT_A;
    }
}

// --- Value controls ---------------------------------------------------------------

bool TimingModel::IsValueControl(int id)
{
    return FindValueControl(id) != nullptr;
}

bool TimingModel::IsGroupMember(int id)
{
    return (id >= IDC_PIXEL_RATE && id <= IDC_H_PERIOD_TIME) || (id >= IDC_V_ACTIVE && id <= IDC_V_PERIOD_TIME) ||
           id == IDC_H_ACTIVE_TIME || id == IDC_H_BLANK_TIME || id == IDC_V_ACTIVE_TIME || id == IDC_V_BLANK_TIME;
}

double *TimingModel::Field(int id)
{
    CGeneralFormatData &d = m_data;
    const bool porch = d.backPorchMode != 0;
    switch (id) {
    case IDC_PIXEL_RATE: return &d.pixelRate;
    case IDC_PIXEL_PERIOD: return &d.pixelPeriod;
    case IDC_LINE_RATE: return &d.lineRate;
    case IDC_FIELD_RATE: return &d.fieldRate;
    case IDC_H_ACTIVE: return &d.hActive;
    case IDC_H_BLANK: return &d.hBlank;
    case IDC_H_TOTAL: return &d.hTotal;
    case IDC_H_ACTIVE_TIME: return &d.hActiveTime;
    case IDC_H_BLANK_TIME: return &d.hBlankTime;
    case IDC_H_PERIOD_TIME: return &d.hTotalTime;
    case IDC_H_DELAY: return porch ? &d.hBackPorchPixels : &d.hSyncDelay;
    case IDC_H_DELAY_TIME: return porch ? &d.hBackPorchTime : &d.hSyncDelayTime;
    case IDC_H_WIDTH: return &d.hSyncWidth;
    case IDC_H_WIDTH_TIME: return &d.hSyncWidthTime;
    case IDC_V_ACTIVE: return &d.vActive;
    case IDC_V_BLANK: return &d.vBlank;
    case IDC_V_TOTAL: return &d.vTotal;
    case IDC_V_ACTIVE_TIME: return &d.vActiveTime;
    case IDC_V_BLANK_TIME: return &d.vBlankTime;
    case IDC_V_PERIOD_TIME: return &d.vTotalTime;
    case IDC_V_DELAY: return porch ? &d.vBackPorchLines : &d.vSyncDelay;
    case IDC_V_DELAY_TIME: return porch ? &d.vBackPorchTime : &d.vSyncDelayTime;
    case IDC_V_WIDTH: return &d.vSyncWidth;
    case IDC_V_WIDTH_TIME: return &d.vSyncWidthTime;
    case IDC_H_SIZE_IN: return &d.hSizeInches;
    case IDC_V_SIZE_IN: return &d.vSizeInches;
    case IDC_H_SIZE_MM: return &d.hSizeMm;
    case IDC_V_SIZE_MM: return &d.vSizeMm;
    default: return nullptr;
    }
}

QString TimingModel::Text(int id) const
{
    const ValueControl *control = FindValueControl(id);
    if (!control)
        return {};
    if (id == IDC_EQ_BEFORE)
        return FormatInt(m_data.eqBefore);
    if (id == IDC_EQ_AFTER)
        return FormatInt(m_data.eqAfter);
    return FormatFixed(*Field(id) / control->unit, control->decimals);
}

QString TimingModel::FieldName(int id) const
{
    const ValueControl *control = FindValueControl(id);
    if (!control)
        return {};
    return FormatString(control->name, {LoadString(m_data.backPorchMode ? IDS_BACK_PORCH : IDS_PULSE_DELAY)});
}

bool TimingModel::IsEnabled(int id) const
{
    if (Contains(std::begin(kTimeOnly), std::end(kTimeOnly), id))
        return IsTimeUnits();
    if (Contains(std::begin(kMachineOnly), std::end(kMachineOnly), id))
        return !IsTimeUnits();
    return true;
}

bool TimingModel::IsEditable(int id) const
{
    const ValueControl *control = FindValueControl(id);
    if (!control)
        return false;
    const int entered = G(kRates).CalculatedId();
    switch (control->editable) {
    case Editable::kAlways: return true;
    case Editable::kPixelRate: return entered == IDC_PIXEL_RATE;
    case Editable::kPixelPeriod: return entered == IDC_PIXEL_RATE || entered == IDC_PIXEL_PERIOD;
    case Editable::kLineRate: return entered == IDC_LINE_RATE || IsTimeUnits();
    case Editable::kFieldRate: return entered == IDC_FIELD_RATE || IsTimeUnits();
    }
    return false;
}

unsigned TimingModel::DelayLabelId() const
{
    return m_data.backPorchMode ? IDS_BACK_PORCH : IDS_PULSE_DELAY;
}

// --- Entries ----------------------------------------------------------------------

TimingModel::Outcome TimingModel::Enter(int id, const QString &text)
{
    const ValueControl *control = FindValueControl(id);
    if (!control || !IsEditable(id))
        return {};
    const std::optional<double> typed = ParseDouble(text);
    if (!typed) {
        return {Outcome::kRefused, FormatString(IDS_NOT_A_NUMBER, {FieldName(id), text}), 0};
    }
    const bool size = id == IDC_H_SIZE_IN || id == IDC_V_SIZE_IN || id == IDC_H_SIZE_MM || id == IDC_V_SIZE_MM;
    // A size is taken only when it differs from the one shown: the other
    // unit's size would otherwise become the unit of the format.
    if (size && ParseDouble(Text(id)) == typed)
        return {};
    const double shown = control->integer ? std::trunc(*typed) : *typed;
    const double value = Clamp(shown * control->unit, control->minimum, control->maximum);
    return Transact(FieldName(id), [&] { Apply(id, value); });
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
        return {Outcome::kTaken, {}, 0};
    m_data = data;
    m_state = state;
    return {Outcome::kRefused, FormatString(IDS_TIMING_UNUSABLE, {field, problem}), 0};
}

void TimingModel::Apply(int id, double value)
{
    CGeneralFormatData &d = m_data;
    const bool time = IsTimeUnits();
    switch (id) {
    case IDC_PIXEL_RATE:
        d.pixelRate = value;
        Rates();
        H(m_state.lastH);
        V(m_state.lastV);
        break;
    case IDC_PIXEL_PERIOD:
        d.pixelPeriod = value;
        d.pixelRate = Div(1, value);
        Rates();
        H(m_state.lastH);
        V(m_state.lastV);
        break;
    case IDC_LINE_RATE:
        d.lineRate = value;
        if (time) {
            d.hTotalTime += Div(PeriodStep(Div(1, d.lineRate) - d.hTotalTime, d.pixelRate), d.pixelRate);
            d.hTotalTime = Clamp(d.hTotalTime, kMinHPeriod, kMaxHTime);
            H(IDC_H_PERIOD_TIME);
        } else {
            Rates();
            H(m_state.lastH);
        }
        V(m_state.lastV);
        break;
    case IDC_FIELD_RATE:
        d.fieldRate = value;
        if (time) {
            d.vTotalTime += Div(PeriodStep(Div(1, d.fieldRate) - d.vTotalTime, d.lineRate), d.lineRate);
            d.vTotalTime = Clamp(d.vTotalTime, kMinVPeriod, kMaxVTime);
            V(IDC_V_PERIOD_TIME);
        } else {
            Rates();
            H(m_state.lastH);
            V(m_state.lastV);
        }
        break;
    case IDC_H_ACTIVE:
        d.hActive = value;
        if (time) {
            d.pixelRate = Clamp(Div(d.hActive, d.hActiveTime), 1e6, 999999000);
            Rates();
        }
        H(id);
        V(m_state.lastV);
        m_state.lastH = id;
        break;
    case IDC_H_BLANK:
    case IDC_H_TOTAL:
    case IDC_H_ACTIVE_TIME:
    case IDC_H_BLANK_TIME:
        *Field(id) = value;
        H(id);
        V(m_state.lastV);
        m_state.lastH = id;
        break;
    case IDC_H_PERIOD_TIME:
        d.hTotalTime = value;
        d.lineRate = Div(1, value);
        H(id);
        V(m_state.lastV);
        m_state.lastH = id;
        break;
    case IDC_H_DELAY:
    case IDC_H_WIDTH:
        *Field(id) = value;
        *Field(id == IDC_H_DELAY ? IDC_H_DELAY_TIME : IDC_H_WIDTH_TIME) = Div(value, d.pixelRate);
        H(m_state.lastH);
        break;
    case IDC_H_DELAY_TIME:
    case IDC_H_WIDTH_TIME:
        *Field(id) = value;
        *Field(id == IDC_H_DELAY_TIME ? IDC_H_DELAY : IDC_H_WIDTH) = value * d.pixelRate;
        H(m_state.lastH);
        break;
    case IDC_V_ACTIVE:
        d.vActive = value;
        if (time) {
            d.lineRate = Div(d.vActive, d.vActiveTime);
            d.pixelRate = Clamp(d.hTotal * d.lineRate, 1e6, 999999000);
            Rates();
            H(m_state.lastH);
            V(id);
        } else {
            V(id);
            H(m_state.lastH);
        }
        m_state.lastV = id;
        break;
    case IDC_V_BLANK:
    case IDC_V_TOTAL:
        *Field(id) = value;
        V(id);
        H(m_state.lastH);
        m_state.lastV = id;
        break;
    case IDC_V_ACTIVE_TIME:
    case IDC_V_BLANK_TIME:
    case IDC_V_PERIOD_TIME:
        *Field(id) = value;
        V(id);
        m_state.lastV = id;
        break;
    case IDC_V_DELAY:
    case IDC_V_WIDTH:
        *Field(id) = value;
        *Field(id == IDC_V_DELAY ? IDC_V_DELAY_TIME : IDC_V_WIDTH_TIME) = Div(value, d.lineRate);
        V(m_state.lastV);
        break;
    case IDC_V_DELAY_TIME:
    case IDC_V_WIDTH_TIME:
        *Field(id) = value;
        *Field(id == IDC_V_DELAY_TIME ? IDC_V_DELAY : IDC_V_WIDTH) = value * d.lineRate;
        V(m_state.lastV);
        break;
    case IDC_H_SIZE_IN:
        d.sizeUnit = CGeneralFormatData::kUnitInches;
        d.hImageSize = d.hSizeInches = value;
        d.hSizeMm = CGeneralFormatData::InchesToMm(value);
        break;
    case IDC_V_SIZE_IN:
        d.sizeUnit = CGeneralFormatData::kUnitInches;
        d.vImageSize = d.vSizeInches = value;
        d.vSizeMm = CGeneralFormatData::InchesToMm(value);
        break;
    case IDC_H_SIZE_MM:
        d.sizeUnit = CGeneralFormatData::kUnitMm;
        d.hImageSize = d.hSizeMm = value;
        d.hSizeInches = CGeneralFormatData::MmToInches(value);
        break;
    case IDC_V_SIZE_MM:
        d.sizeUnit = CGeneralFormatData::kUnitMm;
        d.vImageSize = d.vSizeMm = value;
        d.vSizeInches = CGeneralFormatData::MmToInches(value);
        break;
    case IDC_EQ_BEFORE: d.eqBefore = qint32(value); break;
    case IDC_EQ_AFTER: d.eqAfter = qint32(value); break;
    default: break;
    }
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
        case IDC_FIELD_RATE:
            d.pixelRate = vt * ht * d.fieldRate / k;
            d.lineRate = vt * d.fieldRate / k;
            break;
        case IDC_LINE_RATE:
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

void TimingModel::H(int e)
{
    CGeneralFormatData &d = m_data;
    if (IsTimeUnits()) {
        Balance({IDC_H_ACTIVE_TIME, IDC_H_BLANK_TIME, IDC_H_PERIOD_TIME}, G(kHTimes).CalculatedId(), e, d.hActiveTime,
                d.hBlankTime, d.hTotalTime);
        if (d.hTotalTime < kMinHPeriod) {
            d.hTotalTime = kMinHPeriod;
            if (e == IDC_H_ACTIVE_TIME)
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
    Balance({IDC_H_ACTIVE, IDC_H_BLANK, IDC_H_TOTAL}, G(kHPixels).CalculatedId(), e, d.hActive, d.hBlank, d.hTotal);
    if (!(d.hTotal > 0)) {
        d.hTotal = 1;
        (e == IDC_H_ACTIVE ? d.hBlank : d.hActive) = 1;
    }
    Rates();
    HorizontalTimesFromCounts();
}

void TimingModel::V(int e)
{
    CGeneralFormatData &d = m_data;
    if (IsTimeUnits()) {
        Balance({IDC_V_ACTIVE_TIME, IDC_V_BLANK_TIME, IDC_V_PERIOD_TIME}, G(kVTimes).CalculatedId(), e, d.vActiveTime,
                d.vBlankTime, d.vTotalTime);
        if (d.vTotalTime < kMinVPeriod) {
            d.vTotalTime = kMinVPeriod;
            if (e == IDC_V_ACTIVE_TIME)
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
    Balance({IDC_V_ACTIVE, IDC_V_BLANK, IDC_V_TOTAL}, G(kVLines).CalculatedId(), e, d.vActive, d.vBlank, d.vTotal);
    if (!(d.vTotal > 0)) {
        d.vTotal = 1;
        (e == IDC_V_ACTIVE ? d.vBlank : d.vActive) = 1;
    }
    Rates();
    VerticalTimesFromCounts();
}

// --- Buttons ----------------------------------------------------------------------

bool TimingModel::IsSelectorOn(int id) const
{
    return id == m_state.rateRow || id == m_state.hRow || id == m_state.vRow;
}

TimingModel::Outcome TimingModel::PressSelector(int id)
{
    // Each selector names the member of its row's groups it makes entered
    // (rate row) or calculated (the others).
    struct Selector {
        int id;
        int count; // the member of the rate group or of the count group
        int time;  // the member of the times group; 0 in the rate row
    };
    static constexpr Selector kSelectors[] = {
        {IDC_RATE_SELECT_A, IDC_PIXEL_RATE, 0},
        {IDC_RATE_SELECT_B, IDC_LINE_RATE, 0},
        {IDC_RATE_SELECT_C, IDC_FIELD_RATE, 0},
        {IDC_H_SELECT_A, IDC_H_ACTIVE, IDC_H_ACTIVE_TIME},
        {IDC_H_SELECT_B, IDC_H_BLANK, IDC_H_BLANK_TIME},
        {IDC_H_SELECT_C, IDC_H_TOTAL, IDC_H_PERIOD_TIME},
        {IDC_V_SELECT_A, IDC_V_ACTIVE, IDC_V_ACTIVE_TIME},
        {IDC_V_SELECT_B, IDC_V_BLANK, IDC_V_BLANK_TIME},
        {IDC_V_SELECT_C, IDC_V_TOTAL, IDC_V_PERIOD_TIME},
    };
    const auto it = std::find_if(std::begin(kSelectors), std::end(kSelectors), [id](const Selector &s) { return s.id == id; });
    if (it == std::end(kSelectors))
        return {};
    Outcome outcome;
    if (it->time == 0) {
        // Time units always enter the pixel rate.
        if (IsTimeUnits()) {
            m_state.rateRow = IDC_RATE_SELECT_A;
            return outcome;
        }
        m_state.rateRow = id;
        G(kRates).Select(it->count);
        outcome.focus = it->count;
        return outcome;
    }
    const bool horizontal = id >= IDC_H_SELECT_C;
    (horizontal ? m_state.hRow : m_state.vRow) = id;
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
                to.SetLastEnteredId(time ? ToTime(from.LastEnteredId()) : ToCount(from.LastEnteredId()));
            // Times take over plain; counts take over the editing state.
            to.SetEditing(!time && from.IsEditing());
            from.SetEditing(false);
            from.Uncolour();
        }
        if (time) {
            G(kRates).Select(IDC_PIXEL_RATE);
            m_state.rateRow = IDC_RATE_SELECT_A;
            Rates();
        } else {
            G(kRates).Select(IDC_LINE_RATE);
            m_state.rateRow = IDC_RATE_SELECT_B;
            Rates();
            H(m_state.lastH);
            V(m_state.lastV);
        }
    });
    if (outcome.kind == Outcome::kTaken)
        outcome.focus = time ? IDC_PIXEL_RATE : IDC_LINE_RATE;
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

std::optional<EntryColours> TimingModel::EditColours(int id) const
{
    for (const CEntryGroup &group : m_state.groups) {
        if (std::optional<EntryColours> colours = group.EditColours(id))
            return colours;
    }
    return std::nullopt;
}

bool TimingModel::FocusEntry(int id)
{
    bool changed = false;
    for (GroupIndex index : {kHTimes, kHPixels, kVTimes, kVLines, kRates})
        changed = G(index).FocusEntry(id) || changed;
    return changed;
}

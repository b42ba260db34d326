#include "WorksheetCalculation.h"

#include "CGeneralFormatData.h"
#include "Numbers.h"
#include "RoundToCount.h"
#include "StringTable.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

using W = WorksheetCalculation;

struct Field {
    W::Value value;
    unsigned name; // text id
    int decimals;
    unsigned unit; // text id of the unit after the number, or 0
};

const Field kFields[] = {
    {W::kBlankingPercent, IDS_WS_LINE_BLANKING_PERCENT, 2, 0},
    {W::kBlankingTime, IDS_WS_LINE_BLANKING_TIME_US, 7, 0},
    {W::kFieldRate, IDS_WS_FIELD_RATE_HZ, 3, 0},
    {W::kFieldBlanking, IDS_WS_FIELD_BLANKING_TIME_MS, 3, 0},
    {W::kHResolution, IDS_WS_H_RESOLUTION, 0, 0},
    {W::kVResolution, IDS_WS_V_RESOLUTION, 0, 0},
    {W::kLineRate, IDS_WS_LINE_RATE, 3, IDS_UNIT_KHZ_RESULT},
    {W::kBlankingPixels, IDS_WS_BLANKING_PIXELS, 0, IDS_UNIT_PIXELS_RESULT},
    {W::kBlankingLines, IDS_WS_BLANKING_LINES, 0, IDS_UNIT_LINES_RESULT},
    {W::kHTotal, IDS_WS_H_TOTAL, 0, IDS_UNIT_TOTAL_RESULT},
    {W::kTotalPixels, IDS_WS_TOTAL_PIXELS, 0, 0},
    {W::kVTotal, IDS_WS_V_TOTAL, 0, 0},
    {W::kVideoRate, IDS_WS_VIDEO_RATE, 4, IDS_UNIT_MHZ},
    {W::kPixelPeriod, IDS_WS_PIXEL_PERIOD, 7, IDS_UNIT_NS},
};

const Field *FindField(W::Value value)
{
    for (const Field &field : kFields) {
        if (field.value == value)
            return &field;
    }
    return nullptr;
}

double NotANumber()
{
    return std::numeric_limits<double>::quiet_NaN();
}

} // namespace

void WorksheetCalculation::LoadInputs(const CGeneralFormatData &data)
{
    m_in.blankingPercent = data.lineBlankingPercent;
    m_in.blankingTime = data.lineBlankingTime;
    m_in.fieldRate = data.worksheetFieldRate;
    m_in.fieldBlanking = data.fieldBlankingTime;
    m_in.hResolution = data.hResolution;
    m_in.vResolution = data.vResolution;
    m_in.enterPercent = data.enterPercentBlanking != 0;
}

void WorksheetCalculation::StoreInputs(CGeneralFormatData &data) const
{
    data.lineBlankingPercent = m_in.blankingPercent;
    data.lineBlankingTime = m_in.blankingTime;
    data.worksheetFieldRate = m_in.fieldRate;
    data.fieldBlankingTime = m_in.fieldBlanking;
    data.hResolution = m_in.hResolution;
    data.vResolution = m_in.vResolution;
    data.enterPercentBlanking = m_in.enterPercent ? 1 : 0;
}

bool WorksheetCalculation::Calculate()
{
    m_failed = false;
    const auto div = [this](double a, double b) {
        if (b == 0 || !std::isfinite(b)) {
            m_failed = true;
            return NotANumber();
        }
        return a / b;
    };
    const auto round = [this](double x) {
        const std::optional<int> count = RoundToCount(x);
        if (!count)
            m_failed = true;
        return count ? double(*count) : NotANumber();
    };
    Inputs &in = m_in;
    Results &out = m_out;
    out.lineRate = div(in.vResolution, div(1, in.fieldRate) - in.fieldBlanking * 0.001) * 0.001;
    // A part line is a whole line more.
    out.vTotal = round(std::ceil(out.lineRate * in.fieldBlanking + in.vResolution));
    out.lineRate = out.vTotal * in.fieldRate * 0.001;
    if (in.enterPercent) {
        out.hTotal = round(div(in.hResolution, 1 - in.blankingPercent * 0.01));
        out.videoRate = out.hTotal * out.lineRate * 0.001;
        out.pixelPeriod = div(1000, out.videoRate);
        out.blankingPixels = round(in.blankingPercent * out.hTotal * 0.01);
        in.blankingTime = out.blankingPixels * out.pixelPeriod * 0.001;
    } else {
        out.hTotal = round(div(in.hResolution, 1 - out.lineRate * in.blankingTime * 0.001));
        out.videoRate = out.hTotal * out.lineRate * 0.001;
        out.pixelPeriod = div(1000, out.videoRate);
        out.blankingPixels = round(in.blankingTime * out.videoRate);
        in.blankingPercent = div(out.blankingPixels, out.hTotal) * 100;
    }
    out.blankingLines = out.vTotal - in.vResolution;
    out.totalPixels = in.hResolution + out.blankingPixels;
    return ResultsUsable();
}

bool WorksheetCalculation::ResultsUsable() const
{
    const Results &out = m_out;
    const auto positive = [](double x) { return std::isfinite(x) && x > 0; };
    const auto usable = [](double x) { return std::isfinite(x) && x >= 0; };
    return !m_failed && positive(out.vTotal) && positive(out.lineRate) && positive(out.hTotal) &&
           positive(out.videoRate) && positive(out.pixelPeriod) && usable(out.blankingPixels) &&
           usable(out.blankingLines) && std::isfinite(m_in.blankingPercent) && std::isfinite(m_in.blankingTime);
}

bool WorksheetCalculation::IsInput(Value value)
{
    return value >= kBlankingPercent && value <= kVResolution;
}

bool WorksheetCalculation::IsResult(Value value)
{
    return FindField(value) && !IsInput(value);
}

int WorksheetCalculation::Decimals(Value value)
{
    const Field *field = FindField(value);
    return field ? field->decimals : 0;
}

QString WorksheetCalculation::FieldName(Value value)
{
    const Field *field = FindField(value);
    return field ? LoadString(field->name) : QString();
}

double *WorksheetCalculation::Input(Value value)
{
    switch (value) {
    case kBlankingPercent: return &m_in.blankingPercent;
    case kBlankingTime: return &m_in.blankingTime;
    case kFieldRate: return &m_in.fieldRate;
    case kFieldBlanking: return &m_in.fieldBlanking;
    case kHResolution: return &m_in.hResolution;
    case kVResolution: return &m_in.vResolution;
    default: return nullptr;
    }
}

QString WorksheetCalculation::Text(Value shown, int decimals) const
{
    const Field *field = FindField(shown);
    if (!field)
        return {};
    const int places = decimals >= 0 ? decimals : field->decimals;
    if (IsInput(shown))
        return FormatFixed(*const_cast<WorksheetCalculation *>(this)->Input(shown), places);
    double value = 0;
    switch (shown) {
    case kLineRate: value = m_out.lineRate; break;
    case kVideoRate: value = m_out.videoRate; break;
    case kHTotal: value = m_out.hTotal; break;
    case kPixelPeriod: value = m_out.pixelPeriod; break;
    case kBlankingPixels: value = m_out.blankingPixels; break;
    case kBlankingLines: value = m_out.blankingLines; break;
    case kTotalPixels: value = m_out.totalPixels; break;
    case kVTotal: value = m_out.vTotal; break;
    default: break;
    }
    const QString number = FormatFixed(value, places);
    return field->unit ? number + u' ' + LoadString(field->unit) : number;
}

WorksheetCalculation::Refusal WorksheetCalculation::Enter(Value entered, const QString &text)
{
    double *input = Input(entered);
    if (!input)
        return {};
    const std::optional<double> typed = ParseDouble(text);
    if (!typed)
        return FormatString(IDS_NOT_A_NUMBER, {FieldName(entered), text});
    double value = *typed; // a number: the clamps need not order a NaN
    switch (entered) {
    case kBlankingPercent: value = std::clamp(value, 0.0, 100.0); break;
    case kBlankingTime: value = std::max(value, 0.0); break;
    case kFieldRate: value = std::clamp(value, 1.0, 999.999); break;
    case kFieldBlanking: value = std::clamp(value, 0.0, 1000.0); break;
    default: value = std::clamp(std::trunc(value), 1.0, 9999.0); break; // the resolutions
    }
    const WorksheetCalculation before = *this;
    *input = value;
    if (Calculate())
        return {};
    *this = before;
    return FormatString(IDS_WS_NO_RASTER, {FieldName(entered), text});
}

WorksheetCalculation::Refusal WorksheetCalculation::GetFrom(const CGeneralFormatData &data)
{
    const WorksheetCalculation before = *this;
    m_in.blankingPercent = data.hBlank / data.hTotal * 100;
    m_in.blankingTime = data.hBlankTime * 1e6;
    m_in.fieldRate = data.fieldRate;
    m_in.fieldBlanking = data.vBlankTime * 1e3;
    m_in.hResolution = data.hActive;
    m_in.vResolution = data.vActive;
    if (data.hTotal != 0 && Calculate())
        return {};
    *this = before;
    return LoadString(IDS_WS_FORMAT_GIVES_NO_RASTER);
}

WorksheetCalculation::Refusal WorksheetCalculation::ApplyTo(CGeneralFormatData &data)
{
    if (!Calculate())
        return LoadString(IDS_WS_RASTER_NOT_CALCULATED);
    CGeneralFormatData d = data;
    StoreInputs(d);
    const Results &out = m_out;
    d.hActive = m_in.hResolution;
    d.hBlank = out.blankingPixels;
    d.hTotal = out.hTotal;
    if (d.hTotal == 1) {
        d.hActive = 1;
        d.hBlank = 0;
    }
    const double k = d.interlaced ? 2 : 1;
    const double ht = std::trunc(d.hTotal);
    const double vt = std::trunc(out.vTotal);
    d.fieldRate = m_in.fieldRate;
    d.pixelRate = ht * vt * d.fieldRate / k;
    d.lineRate = vt * d.fieldRate / k;
    d.pixelPeriod = 1 / d.pixelRate;
    const double p = d.pixelRate;
    d.hActiveTime = d.hActive / p;
    d.hBlankTime = d.hBlank / p;
    d.hTotalTime = d.hTotal / p;
    d.hSyncDelayTime = d.hSyncDelay / p;
    d.hSyncWidthTime = d.hSyncWidth / p;
    d.hBackPorchTime = d.hBackPorchPixels / p;
    d.vActive = m_in.vResolution;
    d.vBlank = out.blankingLines;
    d.vTotal = out.vTotal;
    if (d.vTotal == 1) {
        d.vActive = 1;
        d.vBlank = 0;
    }
    const double l = d.lineRate;
    d.vActiveTime = d.vActive / l;
    d.vBlankTime = d.vBlank / l;
    d.vTotalTime = d.vTotal / l;
    d.vSyncDelayTime = d.vSyncDelay / l;
    d.vSyncWidthTime = d.vSyncWidth / l;
    d.vBackPorchTime = d.vBackPorchLines / l;
    const QString problem = d.CheckValues();
    if (!problem.isEmpty())
        return FormatString(IDS_WS_RASTER_UNUSABLE, {problem});
    data = d;
    return {};
}

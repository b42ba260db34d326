#pragma once
// What Worksheet 1 of the format editor computes, without its widgets: a
// complete raster from six design inputs (line blanking as a percentage or
// a time, field rate, field blanking time, horizontal and vertical
// resolution), and the format timing that raster gives. An input whose
// raster cannot be computed (100 % blanking, a blanking time at or above its
// period) is refused and changes nothing.

#include <QString>

class CGeneralFormatData;

class WorksheetCalculation {
public:
    // The six inputs, then the results.
    enum Value : int {
        kNoValue = 0,
        kBlankingPercent, kBlankingTime, kFieldRate, kFieldBlanking, kHResolution, kVResolution,
        kLineRate, kBlankingPixels, kBlankingLines, kHTotal, kTotalPixels, kVTotal, kVideoRate, kPixelPeriod,
    };

    struct Inputs {
        double blankingPercent = 20.0;
        double blankingTime = 2.1214532; // us
        double fieldRate = 75.0;         // Hz
        double fieldBlanking = 0.6;      // ms
        double hResolution = 1600;
        double vResolution = 1200;
        bool enterPercent = true;
    };

    struct Results {
        double vTotal = 0;          // lines
        double lineRate = 0;        // kHz
        double hTotal = 0;          // pixels
        double videoRate = 0;       // MHz
        double pixelPeriod = 0;     // ns
        double blankingPixels = 0;
        double blankingLines = 0;
        double totalPixels = 0;     // resolution + blanking pixels
    };

    // Why a step was refused; empty when it was taken.
    using Refusal = QString;

    // The inputs the format keeps, and back.
    void LoadInputs(const CGeneralFormatData &data);
    void StoreInputs(CGeneralFormatData &data) const;

    // Computes the results from the inputs; the blanking input of the other
    // mode is derived. False when a result is not finite and positive (the
    // results then hold what was computed).
    bool Calculate();

    static bool IsInput(Value value);
    static bool IsResult(Value value);
    QString Text(Value value, int decimals = -1) const; // an input's or a result's text
    static int Decimals(Value value);
    static QString FieldName(Value value);

    // Takes the text typed for input value: read, clamped, recalculated.
    Refusal Enter(Value input, const QString &text);
    // The inputs from the format's timing, recalculated.
    Refusal GetFrom(const CGeneralFormatData &data);
    // The format's timing from the raster.
    Refusal ApplyTo(CGeneralFormatData &data);

    const Inputs &In() const { return m_in; }
    Inputs &In() { return m_in; }
    const Results &Out() const { return m_out; }

private:
    double *Input(Value value);
    bool ResultsUsable() const;

    Inputs m_in;
    Results m_out;
    bool m_failed = false;
};

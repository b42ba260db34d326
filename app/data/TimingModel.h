#pragma once
// What the Timing page of the format editor does, without its widgets: the
// values it shows, which of them may be typed into, and what an accepted
// entry changes. Values and selectors are named by the working copy's
// fields they stand for; the page knows which control shows which. Rates, counts and times of a group are kept
// consistent by recalculating the calculated members from the entered ones,
// in Machine units (counts entered, times follow) or in Time units (times
// entered, counts follow). Values are written into the working copy at full
// precision when an entry is accepted; an entry whose result cannot be used
// changes nothing.

#include "CEntryGroup.h"

#include <QString>

#include <array>

#include <functional>
#include <optional>

class CGeneralFormatData;

class TimingModel {
public:
    // The values the page shows: the rates, the horizontal and vertical
    // counts and times (the delay is the back porch in back-porch mode), the
    // sizes and the equalisation counts, in that order (the model goes by
    // these ranges).
    enum Field : int {
        kNoField = 0,
        kPixelRate, kPixelPeriod, kLineRate, kFieldRate,
        kHActive, kHBlank, kHTotal, kHActiveTime, kHBlankTime, kHPeriodTime,
        kHDelay, kHWidth, kHDelayTime, kHWidthTime,
        kVActive, kVBlank, kVTotal, kVActiveTime, kVBlankTime, kVPeriodTime,
        kVDelay, kVWidth, kVDelayTime, kVWidthTime,
        kHSizeIn, kVSizeIn, kHSizeMm, kVSizeMm,
        kEqBefore, kEqAfter,
    };
    // The A/B/C selectors of the rate row (which rate is entered) and of the
    // horizontal and vertical rows (which of active, blank and period is
    // calculated).
    enum Selector : int {
        kNoSelector = 0,
        kRateSelectA, kRateSelectB, kRateSelectC,
        kHSelectA, kHSelectB, kHSelectC,
        kVSelectA, kVSelectB, kVSelectC,
    };

    // Shortest horizontal and vertical periods.
    static constexpr double kMinHPeriod = 4e-06;
    static constexpr double kMinVPeriod = 0.001000001000001;
    // Largest count the page derives from a time.
    static constexpr int kMaxCount = 10000;

    // What became of an entry or a switch.
    struct Outcome {
        enum Kind { kRedisplayed, kTaken, kRefused };
        Kind kind = kRedisplayed;
        QString message;          // why it was refused
        Field focus = kNoField;   // the value that gets the focus
    };

    explicit TimingModel(CGeneralFormatData &data);

    // Groups, selectors and last entries as the page opens.
    void Init();
    CGeneralFormatData &Data() { return m_data; }
    bool IsTimeUnits() const;

    // The values: their text, whether they are enabled in the current
    // units, and whether a typed entry is taken now. A member of a linked
    // group shows the group's colours.
    static bool IsGroupMember(Field field);
    QString Text(Field field) const;
    QString FieldName(Field field) const;
    bool IsEnabled(Field field) const;
    bool IsEditable(Field field) const;

    // Takes the text typed for field: read, clamped, recalculated. Text
    // that is no number, or an entry whose result is not finite, is refused
    // and changes nothing.
    Outcome Enter(Field field, const QString &text);

    // The A/B/C selectors: which of each row is on, and pressing one.
    bool IsSelectorOn(Selector selector) const;
    Outcome PressSelector(Selector selector);
    Outcome SetTimeUnits(bool time);
    Outcome SetBackPorch(bool on);
    Outcome SetInterlaced(bool interlaced);
    // Derives what the page keeps implicit: the pulse delays from the back
    // porch, the image sizes in their unit.
    void Commit();

    // The colours of a group member; nothing for other values.
    std::optional<EntryColours> EditColours(Field field) const;
    // The focus went to field (kNoField: to no value); true when colours changed.
    bool FocusEntry(Field field);
    const CEntryGroup &Group(int index) const { return m_state.groups[size_t(index)]; }

    Field LastH() const { return m_state.lastH; }
    Field LastV() const { return m_state.lastV; }
    // The label of the delay row: "Back Porch" or "Pulse Delay".
    unsigned DelayLabelId() const;

private:
    enum GroupIndex { kHTimes, kHPixels, kVTimes, kVLines, kRates, kGroups };

    // The groups work on the fields' numbers.
    struct State {
        std::array<CEntryGroup, kGroups> groups;
        Field lastH = kHActive;
        Field lastV = kVActive;
        Selector rateRow = kRateSelectB;
        Selector hRow = kHSelectB;
        Selector vRow = kVSelectB;
    };

    CEntryGroup &G(GroupIndex index) { return m_state.groups[size_t(index)]; }
    const CEntryGroup &G(GroupIndex index) const { return m_state.groups[size_t(index)]; }
    // The stored value behind a field (by back porch mode).
    double *Value(Field field);
    const double *Value(Field field) const { return const_cast<TimingModel *>(this)->Value(field); }
    // Runs change; when a result is not finite everything is put back.
    Outcome Transact(const QString &field, const std::function<void()> &change);
    // The entry's value into its field, and what follows from it.
    void Apply(Field field, double value);
    void ApplyRate(Field field, double value);
    void ApplyHorizontal(Field field, double value);
    void ApplyVertical(Field field, double value);
    void ApplySize(Field field, double value);
    void H(Field e);
    void V(Field e);
    void Rates();
    void HorizontalTimesFromCounts();
    void VerticalTimesFromCounts();
    double Div(double a, double b);
    double R(double x);
    double R0(double x);

    CGeneralFormatData &m_data;
    State m_state;
    bool m_failed = false; // a division or rounding had no result
};

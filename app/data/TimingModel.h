#pragma once
// What the Timing page of the format editor does, without its widgets: the
// values its controls show, which of them may be typed into, and what an
// accepted entry changes. Rates, counts and times of a group are kept
// consistent by recalculating the calculated members from the entered ones,
// in Machine units (counts entered, times follow) or in Time units (times
// entered, counts follow). Values are written into the working copy at full
// precision when an entry is accepted; an entry whose result cannot be used
// changes nothing.

#include "CEntryGroup.h"
#include "ResourceIds.h"

#include <QString>

#include <array>

#include <functional>
#include <optional>

class CGeneralFormatData;

class TimingModel {
public:
    // Shortest horizontal and vertical periods.
    static constexpr double kMinHPeriod = 4e-06;
    static constexpr double kMinVPeriod = 0.001000001000001;
    // Largest count the page derives from a time.
    static constexpr int kMaxCount = 10000;

    // What became of an entry or a switch.
    struct Outcome {
        enum Kind { kRedisplayed, kTaken, kRefused };
        Kind kind = kRedisplayed;
        QString message; // why it was refused
        int focus = 0;   // the control that gets the focus, 0: none
    };

    explicit TimingModel(CGeneralFormatData &data);

    // Groups, selectors and last entries as the page opens.
    void Init();
    CGeneralFormatData &Data() { return m_data; }
    bool IsTimeUnits() const;

    // The value controls: their text, whether they are enabled in the
    // current units, and whether a typed entry is taken now.
    static bool IsValueControl(int id);
    static bool IsGroupMember(int id);
    QString Text(int id) const;
    QString FieldName(int id) const;
    bool IsEnabled(int id) const;
    bool IsEditable(int id) const;

    // Takes the text typed into control id: read, clamped, recalculated.
    // Text that is no number, or an entry whose result is not finite, is
    // refused and changes nothing.
    Outcome Enter(int id, const QString &text);

    // The A/B/C selectors: which of each row is on, and pressing one.
    bool IsSelectorOn(int id) const;
    Outcome PressSelector(int id);
    Outcome SetTimeUnits(bool time);
    Outcome SetBackPorch(bool on);
    Outcome SetInterlaced(bool interlaced);
    // Derives what the page keeps implicit: the pulse delays from the back
    // porch, the image sizes in their unit.
    void Commit();

    // The colours of a numeric edit; nothing for other controls.
    std::optional<EntryColours> EditColours(int id) const;
    // The focus entered control id (an edit); true when colours changed.
    bool FocusEntry(int id);
    const CEntryGroup &Group(int index) const { return m_state.groups[size_t(index)]; }

    int LastH() const { return m_state.lastH; }
    int LastV() const { return m_state.lastV; }
    // The label of the delay row: "Back Porch" or "Pulse Delay".
    unsigned DelayLabelId() const;

private:
    enum GroupIndex { kHTimes, kHPixels, kVTimes, kVLines, kRates, kGroups };

    struct State {
        std::array<CEntryGroup, kGroups> groups;
        int lastH = IDC_H_ACTIVE;
        int lastV = IDC_V_ACTIVE;
        int rateRow = IDC_RATE_SELECT_B;
        int hRow = IDC_H_SELECT_B;
        int vRow = IDC_V_SELECT_B;
    };

    CEntryGroup &G(GroupIndex index) { return m_state.groups[size_t(index)]; }
    const CEntryGroup &G(GroupIndex index) const { return m_state.groups[size_t(index)]; }
    // The stored value behind a value control (by back porch mode).
    double *Field(int id);
    const double *Field(int id) const { return const_cast<TimingModel *>(this)->Field(id); }
    // Runs change; when a result is not finite everything is put back.
    Outcome Transact(const QString &field, const std::function<void()> &change);
    void Apply(int id, double value);
    void H(int e);
    void V(int e);
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

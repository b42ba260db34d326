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

#include <QString>

#include <array>

#include <functional>
#include <optional>

class CGeneralFormatData;

class TimingModel {
public:
    // Controls of the Timing page (dialog 107).
    enum : int {
        IDD = 107,
        IDC_PIXEL_RATE = 1031, IDC_PIXEL_PERIOD = 1032, IDC_FIELD_RATE = 1033, IDC_LINE_RATE = 1034,
        IDC_H_ACTIVE = 1035, IDC_H_BLANK = 1036, IDC_H_TOTAL = 1037, IDC_H_PERIOD_TIME = 1038,
        IDC_H_SIZE_IN = 1039, IDC_H_DELAY = 1040, IDC_H_WIDTH = 1041,
        IDC_V_ACTIVE = 1042, IDC_V_BLANK = 1043, IDC_V_TOTAL = 1044, IDC_V_PERIOD_TIME = 1045,
        IDC_V_SIZE_IN = 1046, IDC_V_DELAY = 1047, IDC_V_WIDTH = 1048,
        IDC_H_ACTIVE_TIME = 1049, IDC_H_BLANK_TIME = 1050, IDC_H_SIZE_MM = 1051, IDC_H_DELAY_TIME = 1052,
        IDC_H_WIDTH_TIME = 1053, IDC_V_ACTIVE_TIME = 1054, IDC_V_BLANK_TIME = 1055, IDC_V_SIZE_MM = 1056,
        IDC_V_DELAY_TIME = 1057, IDC_V_WIDTH_TIME = 1058,
        IDC_PIXEL_DEPTH = 1059, IDC_EQ_AFTER = 1060, IDC_EQ_BEFORE = 1061, IDC_REJECT = 1062,
        IDC_TIME = 1064, IDC_MACHINE = 1065, IDC_INTERLACED = 1066, IDC_PROGRESSIVE = 1067,
        IDC_BACK_PORCH = 1068,
        IDC_LABEL_RATE = 1069, IDC_LABEL_ACTIVE = 1070, IDC_LABEL_BLANK = 1071, IDC_LABEL_PERIOD = 1072,
        IDC_LABEL_SIZE = 1073, IDC_LABEL_WIDTH = 1074, IDC_LABEL_DELAY = 1075,
        IDC_LABEL_PIXEL_RATE = 1076, IDC_LABEL_UNITS = 1077, IDC_LABEL_SCAN = 1078,
        IDC_LABEL_HORIZONTAL = 1079, IDC_LABEL_VERTICAL = 1080,
        IDC_REPEAT_FIELD = 1081, IDC_PULSE = 1082,
        IDC_V_SELECT_C = 1083, IDC_V_SELECT_B = 1084, IDC_V_SELECT_A = 1085,
        IDC_H_SELECT_C = 1086, IDC_H_SELECT_B = 1087, IDC_H_SELECT_A = 1088,
        IDC_RATE_SELECT_C = 1089, IDC_RATE_SELECT_B = 1090, IDC_RATE_SELECT_A = 1091,
        IDC_LEGEND_ENTERED = 1171, IDC_LEGEND_CALCULATED = 1172,
    };
    static constexpr unsigned IDS_BACK_PORCH = 32999;
    static constexpr unsigned IDS_PULSE_DELAY = 33000;

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

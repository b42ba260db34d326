#pragma once
// Three or four linked numeric entries of the Timing page (active, blank,
// total; or line, field and pixel rate with the pixel period), of which some
// are entered by the user and the rest calculated from them. The group
// knows which member is calculated (or, in its one-entered form, which one
// is entered) and what colours each member shows: plain or highlighted
// while the focus is inside the group. It works on control ids and flags
// alone; the page gives each numeric edit the colours the group names.

#include <QRgb>

#include <array>
#include <optional>

struct EntryColours {
    QRgb background;
    QRgb text;
    bool operator==(const EntryColours &) const = default;
};

class CEntryGroup {
public:
    static constexpr QRgb kBlack = 0xFF000000;
    static constexpr QRgb kGreen = 0xFF00FF00;     // plain, entered
    static constexpr QRgb kRed = 0xFFFF0000;       // plain, calculated
    static constexpr QRgb kDarkGreen = 0xFF008000; // highlighted, entered
    static constexpr QRgb kDarkRed = 0xFF800000;   // highlighted, calculated
    static constexpr QRgb kWhite = 0xFFFFFFFF;

    // What one numeric edit shows.
    struct Member {
        int id = 0;
        bool entered = false;
        QRgb background = kBlack;
        QRgb text = kGreen;

        void Highlight(bool isEntered);
        void Plain();
        void Rehighlight() { Highlight(entered); }
        void SetEntered(bool isEntered);
    };

    // m3 == 0: a group of three. Members 0 and 1 entered, 2 calculated.
    void Init(int m0, int m1, int m2, int m3 = 0);
    // Only member 0 entered; from now on the group names its entered member.
    void MakeOneEntered();
    // The calculated member; in the one-entered form the first entered one
    // (0 when none is).
    int CalculatedId() const;
    // The colours of member id; nothing when id is no member.
    std::optional<EntryColours> EditColours(int id) const;
    bool Holds(int id) const { return IndexOf(id) >= 0; }
    // The focus went to control id: members highlight while it is one of
    // them and turn plain when it leaves. True when the colours changed.
    bool FocusEntry(int id);
    // Every member plain; the group shows green on black from now on.
    void Uncolour();
    // The group shows entered and calculated colours again.
    void Colour() { m_coloured = true; }
    // Makes id the calculated member (the entered one in the one-entered
    // form); an id that is no member is ignored.
    void Select(int id);
    // Starting at member k (3 counts as 2) round the first three: entered,
    // then entered (one-entered form: calculated), then calculated.
    void Rotate(int k);

    // The editing state moves between groups when the entry units change.
    bool IsEditing() const { return m_editing; }
    void SetEditing(bool editing);
    bool IsColoured() const { return m_coloured; }
    bool IsOneEntered() const { return m_oneEntered; }
    int LastEnteredId() const { return m_lastEntered; }
    void SetLastEnteredId(int id) { m_lastEntered = id; }
    int Count() const { return m_count; }
    const Member &At(int index) const { return m_members[size_t(index)]; }
    bool IsEntered(int id) const;

private:
    int IndexOf(int id) const;
    void Set(Member &member, bool entered);

    std::array<Member, 4> m_members{};
    int m_count = 0;
    int m_calculated = 0;
    int m_lastEntered = 0;
    bool m_editing = false;
    bool m_coloured = false;
    bool m_oneEntered = false;
};

#include "CEntryGroup.h"

void CEntryGroup::Member::Highlight(bool isEntered)
{
    background = isEntered ? kDarkGreen : kDarkRed;
    text = kWhite;
    entered = isEntered;
}

void CEntryGroup::Member::Plain()
{
    background = kBlack;
    text = entered ? kGreen : kRed;
}

void CEntryGroup::Member::SetEntered(bool isEntered)
{
    entered = isEntered;
    Plain();
}

void CEntryGroup::Init(int m0, int m1, int m2, int m3)
{
    m_count = m3 != 0 ? 4 : 3;
    m_editing = m_coloured = m_oneEntered = false;
    const int ids[] = {m0, m1, m2, m3};
    for (int i = 0; i < 4; ++i) {
        m_members[size_t(i)] = Member{};
        m_members[size_t(i)].id = ids[i];
        m_members[size_t(i)].SetEntered(i < 2);
    }
    m_calculated = m2;
    m_lastEntered = m0;
}

void CEntryGroup::MakeOneEntered()
{
    m_oneEntered = true;
    m_lastEntered = m_members[0].id;
    for (int i = 0; i < m_count; ++i)
        m_members[size_t(i)].SetEntered(i == 0);
}

int CEntryGroup::CalculatedId() const
{
    if (!m_oneEntered)
        return m_calculated;
    for (int i = 0; i < m_count; ++i) {
        if (m_members[size_t(i)].entered)
            return m_members[size_t(i)].id;
    }
    return 0;
}

int CEntryGroup::IndexOf(int id) const
{
    for (int i = 0; i < m_count; ++i) {
        if (m_members[size_t(i)].id == id)
            return i;
    }
    return -1;
}

bool CEntryGroup::IsEntered(int id) const
{
    const int index = IndexOf(id);
    return index >= 0 && m_members[size_t(index)].entered;
}

std::optional<EntryColours> CEntryGroup::EditColours(int id) const
{
    const int index = IndexOf(id);
    if (index < 0)
        return std::nullopt;
    if (!m_coloured)
        return EntryColours{kBlack, kGreen};
    const Member &member = m_members[size_t(index)];
    return EntryColours{member.background, member.text};
}

bool CEntryGroup::FocusEntry(int id)
{
    if (!m_coloured)
        return false;
    const int index = IndexOf(id);
    if (index < 0) {
        if (!m_editing)
            return false;
        SetEditing(false);
        return true;
    }
    const bool changed = !m_editing;
    SetEditing(true);
    // A member the user types into becomes the last entry of the group.
    if (m_members[size_t(index)].entered != m_oneEntered)
        m_lastEntered = id;
    return changed;
}

void CEntryGroup::SetEditing(bool editing)
{
    m_editing = editing;
    for (int i = 0; i < m_count; ++i) {
        Member &member = m_members[size_t(i)];
        if (editing)
            member.Rehighlight();
        else
            member.Plain();
    }
}

void CEntryGroup::Uncolour()
{
    for (int i = 0; i < m_count; ++i)
        m_members[size_t(i)].Plain();
    m_coloured = false;
}

void CEntryGroup::Select(int id)
{
    const int index = IndexOf(id);
    if (index < 0)
        return;
    // Three members: rotate so that id itself ends calculated.
    Rotate(m_oneEntered ? index : (index + 1) % 3);
}

void CEntryGroup::Set(Member &member, bool entered)
{
    if (m_editing)
        member.Highlight(entered);
    else
        member.SetEntered(entered);
}

void CEntryGroup::Rotate(int k)
{
    if (k == 3)
        k = 2;
    for (int step = 0; step < 3; ++step) {
        Member &member = m_members[size_t((k + step) % 3)];
        const bool entered = step == 0 || (step == 1 && !m_oneEntered);
        if (!entered)
            m_calculated = member.id;
        Set(member, entered);
    }
    if (m_count == 4)
        Set(m_members[3], (!m_oneEntered && k != 0) || k >= 2);
}

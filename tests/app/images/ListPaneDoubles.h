#pragma once
// Doubles for the list pane's tests: the editor it tells of selections and
// changes (which also takes the property dialogs' messages), and a group
// primitive with the members, ownership and re-insertion the tree relies on.

#include "CCanvas.h"
#include "CPrimitive.h"
#include "CPropertiesDlg.h"
#include "ListPaneEditorLink.h"
#include "MessageTarget.h"

#include <QWidget>

#include <memory>
#include <vector>

namespace listpanetest {

class EditorDouble : public QWidget, public MessageTarget, public ListPaneEditorLink {
public:
    void OnSelectionChanged(CPrimitive *current, int markedCount) override
    {
        selected = current;
        marked = markedCount;
        ++selections;
    }
    void SetChanged(bool) override { ++changes; }
    void OpenSelectedProperties(CPrimitive *current, int) override { propertiesAskedFor.push_back(current); }
    QWidget *EditorWindow() override { return this; }

    LRESULT OnMessage(unsigned message, WPARAM wParam, LPARAM lParam) override
    {
        messages.push_back({message, wParam});
        if (message == WM_PROPERTIES_CLOSED)
            delete FromLParam<CPropertiesDlg>(lParam); // as the editor deletes the dialog object
        return 0;
    }

    struct Message {
        unsigned message;
        WPARAM wParam;
    };
    CPrimitive *selected = nullptr;
    int marked = 0;
    int selections = 0;
    int changes = 0;
    std::vector<CPrimitive *> propertiesAskedFor;
    std::vector<Message> messages;
};

// The group as the tree sees it: members in order, frozen while members,
// owned when the group stands outside a tree.
class GroupDouble : public CPrimitive {
public:
    explicit GroupDouble(CCanvas *canvas) : CPrimitive(canvas) {}
    ~GroupDouble() override
    {
        if (m_owns || !GetCanvas()) {
            for (CPrimitive *member : m_members)
                delete member;
        }
    }

    CPrimitive *Clone() const override { return new GroupDouble(*this); }
    int Type() const override { return 19; }
    QString GetTypeName() const override { return QStringLiteral("Group"); }
    bool IsGroup() const override { return true; }
    QString GetCommandText() const override { return QStringLiteral("Group: %1 Objects").arg(m_members.size()); }
    int MemberCount() const override { return int(m_members.size()); }
    CPrimitive *Member(int index) const override { return m_members.at(size_t(index)); }
    void AddMember(CPrimitive *member, int index, bool) override
    {
        member->SetLocked(true);
        if (size_t(index) >= m_members.size())
            m_members.resize(size_t(index) + 1, nullptr);
        m_members[size_t(index)] = member;
    }
    void ReleaseMembers() override { m_members.clear(); }
    void SetOwnsMembers(bool owns) override { m_owns = owns; }
    void SetCanvas(CCanvas *canvas) override
    {
        CPrimitive::SetCanvas(canvas);
        for (CPrimitive *member : m_members)
            member->SetCanvas(canvas);
    }
    void SetStatusBar(QStatusBar *bar) override
    {
        CPrimitive::SetStatusBar(bar);
        for (CPrimitive *member : m_members)
            member->SetStatusBar(bar);
    }
    void VirtualAssign(const CPrimitive &other) override { AssignBase(other); }
    bool InsertPrimitive() override
    {
        if (!CPrimitive::InsertPrimitive())
            return false;
        TreeItemId previous = kNoTreeItem;
        for (CPrimitive *member : m_members) {
            member->SetParentItem(GetTreeItem());
            member->SetInsertAfter(previous);
            member->SetListPane(GetListPane());
            if (!member->InsertPrimitive())
                return false;
            previous = member->GetTreeItem();
        }
        m_owns = false;
        return true;
    }

private:
    GroupDouble(const GroupDouble &other) : CPrimitive(other), m_owns(true)
    {
        for (const CPrimitive *member : other.m_members)
            m_members.push_back(member->Clone());
    }

    std::vector<CPrimitive *> m_members;
    bool m_owns = false;
};

} // namespace listpanetest

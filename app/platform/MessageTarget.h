#pragma once
// The private messages between the data items, editors, tools and the main
// window. A window that takes them implements MessageTarget; a message is
// sent (a direct call, its result returned) or posted (delivered later from
// the event loop, and dropped when the target is gone by then).

#include <QtGlobal>

class QObject;

inline constexpr unsigned WM_USER = 0x400;
inline constexpr unsigned WM_DATA_CHANGED = WM_USER + 0x101;     // 0x501; lParam the data item
inline constexpr unsigned WM_DATA_SAVE = WM_USER + 0x102;        // 0x502; wParam 0 Save, 1 Save As
inline constexpr unsigned WM_EDITOR_CLOSED = WM_USER + 0x108;    // 0x508; lParam the data item
inline constexpr unsigned WM_REMOVE_GENERATOR = WM_USER + 0x109; // 0x509; lParam the generator view
inline constexpr unsigned WM_GENERATOR_BUSY = WM_USER + 0x113;   // 0x513; wParam 1 busy, 0 free

using WPARAM = quintptr;
using LPARAM = qintptr;
using LRESULT = qintptr;

class MessageTarget {
public:
    virtual ~MessageTarget() = default;
    virtual LRESULT OnMessage(unsigned message, WPARAM wParam, LPARAM lParam) = 0;
};

// Direct call; 0 when target is null or takes no messages.
LRESULT SendMessage(QObject *target, unsigned message, WPARAM wParam, LPARAM lParam);
// Queued; false when target is null or takes no messages.
bool PostMessage(QObject *target, unsigned message, WPARAM wParam, LPARAM lParam);

// An object that messages name (a data item, a generator view). A message
// carries its handle, never its address: a posted message that arrives after
// the object has gone finds nothing. Handles are never reused; a copy of an
// object is a new object with a handle of its own.
class Handled {
public:
    Handled();
    Handled(const Handled &);
    Handled &operator=(const Handled &);
    virtual ~Handled();

    LPARAM Handle() const { return m_handle; }
    // The object of handle while it exists; null once it is gone (or for 0).
    static Handled *Find(LPARAM handle);

private:
    LPARAM m_handle;
};

// An object as lParam and back: its handle, and the object of a handle when
// it still exists and is a T.
inline LPARAM ToLParam(const Handled *object)
{
    return object ? object->Handle() : 0;
}
template <class T>
T *FromLParam(LPARAM l)
{
    return dynamic_cast<T *>(Handled::Find(l));
}

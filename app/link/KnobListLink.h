#pragma once
// What a generator connection asks of a knob list recalled from it. The knob
// list item implements it; the connection only keeps the links.

class KnobListLink
{
public:
    // The connection goes: forget it as the knob list's source.
    virtual void DetachSource() = 0;
    // A directory on the source generator was written anew; the knob list may
    // offer to recall itself. It must not attach itself again from here.
    virtual void OnSourceListChanged() = 0;

protected:
    ~KnobListLink() = default;
};

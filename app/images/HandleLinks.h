#pragma once
// The two small interfaces a primitive's handle stands between: the layer
// that shows it (the canvas paints the shown handles, finds the one under
// the mouse and drives its drag) and the owner whose point it drags (the
// primitive). Neither side includes the other's header.

class CPrimitiveHandle;
class QPoint;
class QRect;

class HandleLayer {
public:
    virtual ~HandleLayer() = default;
    // The handle is shown, over every handle shown before it.
    virtual void ShowHandle(CPrimitiveHandle &handle) = 0;
    // The handle goes; a drag of it ends without a word to its owner.
    virtual void HideHandle(CPrimitiveHandle &handle) = 0;
    // Pixels a shown handle covered or now covers are painted again.
    virtual void RepaintHandleBox(const QRect &box) = 0;
};

class HandleOwnerLink {
public:
    virtual ~HandleOwnerLink() = default;
    // The drag of handle index begins; false: the owner refuses it (the
    // handle stays as it is). Taken, the owner's state before it is the
    // editor's undo record and nothing is snapped yet.
    virtual bool HandleDragBegins(int index) = 0;
    // A drag point (client pixels) onto another primitive's key point
    // (toPoints) or the grid; true when it was snapped, as the owner keeps.
    virtual bool HandleDragSnaps(QPoint &client, bool toPoints) = 0;
    // The handle goes to point: first with test (the owner may correct or
    // refuse the point), then, after it moved, without.
    virtual bool HandleDragTracks(int index, QPoint &client, bool test) = 0;
    virtual void HandleDragEnds(int index, bool moved) = 0;
};

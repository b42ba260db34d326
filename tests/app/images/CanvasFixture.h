#pragma once
// A shown 640 x 480 canvas whose client pixels are image pixels, with the
// list-pane and editor doubles behind it, for the tests that press, drag
// and paint on it.

#include "CCanvas.h"
#include "CanvasDoubles.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QMouseEvent>

#include <memory>

namespace imagetest {

class ShownCanvasTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        canvas.SetLimits(639, 479);
        canvas.SetEditor(&editor);
        canvas.resize(640, 480);
        canvas.show();
        QCoreApplication::processEvents();
    }

    // Adds the primitive to the pane, selected, so that its handles show.
    template <class T>
    T &Put(std::unique_ptr<T> primitive)
    {
        T &added = pane.Add(std::move(primitive));
        added.Select();
        return added;
    }

    // The mouse moves over the canvas with the buttons held.
    void MoveHeld(const QPoint &client, Qt::KeyboardModifiers keys = {}, Qt::MouseButtons buttons = Qt::LeftButton)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(client), canvas.mapToGlobal(QPointF(client)), Qt::NoButton,
                         buttons, keys);
        QCoreApplication::sendEvent(&canvas, &move);
    }

    CCanvas canvas;
    ListPaneDouble pane{canvas};
    CanvasEditorDouble editor;
};

} // namespace imagetest

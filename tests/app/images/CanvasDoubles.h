#pragma once
// Doubles of the list pane and the editor for canvas tests: the pane holds
// the primitives in drawing order and answers as the real one is asked to
// (the topmost hit, snapping from the last primitive to the first), and
// both record what the canvas asked of them.

#include "CCanvas.h"
#include "CPrimitive.h"
#include "CanvasLinks.h"

#include <QPainter>
#include <QRect>

#include <memory>
#include <vector>

namespace imagetest {

class ListPaneDouble : public CanvasListLink {
public:
    explicit ListPaneDouble(CCanvas &canvas) : m_canvas(canvas) { canvas.SetListPane(this); }
    ~ListPaneDouble() override { m_canvas.SetListPane(nullptr); }

    // Puts a primitive on the canvas at the end of the drawing order.
    template <class T>
    T &Add(std::unique_ptr<T> primitive)
    {
        T &added = *primitive;
        added.SetCanvas(&m_canvas);
        added.SetListPane(this);
        primitives.push_back(std::move(primitive));
        m_canvas.update();
        return added;
    }

    void DrawAll(QPainter &painter, const QRect &update) override
    {
        for (const auto &primitive : primitives)
            primitive->Draw(painter, update);
    }
    void SelectAtPoint(const QPoint &client, bool ctrl) override
    {
        clicks.push_back({client, ctrl});
        selected = nullptr;
        for (auto it = primitives.rbegin(); it != primitives.rend(); ++it) {
            if ((*it)->HitTest(client)) {
                selected = it->get();
                break;
            }
        }
    }
    void MarkInRect(const QRect &client) override
    {
        bands.push_back(client);
        for (const auto &primitive : primitives) {
            if (primitive->IntersectsRect(client))
                primitive->SetMarked(true);
        }
    }
    void NudgeSelected(int dx, int dy) override
    {
        if (!selected || selected->IsLocked())
            return;
        selected->Invalidate();
        selected->Offset(dx, dy);
        selected->Invalidate();
    }
    bool SnapToPrimitives(QPoint &image) override
    {
        for (auto it = primitives.rbegin(); it != primitives.rend(); ++it) {
            if ((*it)->SnapPoint(image))
                return true;
        }
        return false;
    }
    void ScaleAll(double sx, double sy) override
    {
        for (const auto &primitive : primitives)
            primitive->Scale(sx, sy);
    }
    void HoldModifyUndo(const CPrimitive &primitive) override { undoHeld.push_back(&primitive); }

    struct Click {
        QPoint point;
        bool ctrl;
    };
    std::vector<std::unique_ptr<CPrimitive>> primitives;
    std::vector<Click> clicks;
    std::vector<QRect> bands;
    std::vector<const CPrimitive *> undoHeld;
    CPrimitive *selected = nullptr;

private:
    CCanvas &m_canvas;
};

class CanvasEditorDouble : public CanvasEditorLink {
public:
    void SetChanged(bool) override { ++changed; }
    void StartFixedAspectTimer() override { ++timers; }
    void SelectAreaEnded() override { ++bandsEnded; }

    int changed = 0;
    int timers = 0;
    int bandsEnded = 0;
};

} // namespace imagetest

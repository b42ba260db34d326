#pragma once
// The one owner of the program's lists of generator views: the views the
// generator list shows (g_generatorViews, in row order) and the view whose
// data pane runs a drag (g_pDragSourceView). Only the registry changes
// them; a view leaves both when it is destroyed, so neither ever names a
// view that has gone. Callers that keep a view beyond a call take a QPointer.
// They are globals because the program has one generator list and at most
// one drag at a time; the shell, the tools and the editors read them.

#include <QList>

class CGeneratorView;

class GeneratorViewRegistry
{
public:
    // A view joins the list when the generator list shows its row.
    static void List(CGeneratorView* view);
    static void Unlist(CGeneratorView* view);
    static void Clear();
    static bool IsListed(const CGeneratorView* view);

    // For the length of a drag out of view's data pane.
    static void SetDragSource(CGeneratorView* view);

    // The view is being destroyed: it leaves every list.
    static void Forget(CGeneratorView* view);
};

// Every listed view, in the generator list's row order.
extern const QList<CGeneratorView*>& g_generatorViews;
// The view whose data pane is the source of the running drag, or null.
extern CGeneratorView* const& g_pDragSourceView;

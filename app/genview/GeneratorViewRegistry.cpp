#include "GeneratorViewRegistry.h"

namespace {

QList<CGeneratorView*>& ListedViews()
{
    static QList<CGeneratorView*> views;
    return views;
}

CGeneratorView*& DragSource()
{
    static CGeneratorView* view = nullptr;
    return view;
}

} // namespace

const QList<CGeneratorView*>& g_generatorViews = ListedViews();
CGeneratorView* const& g_pDragSourceView = DragSource();

void GeneratorViewRegistry::List(CGeneratorView* view)
{
    if (view && !ListedViews().contains(view))
        ListedViews().append(view);
}

void GeneratorViewRegistry::Unlist(CGeneratorView* view)
{
    ListedViews().removeOne(view);
}

void GeneratorViewRegistry::Clear()
{
    ListedViews().clear();
}

bool GeneratorViewRegistry::IsListed(const CGeneratorView* view)
{
    return ListedViews().contains(view);
}

void GeneratorViewRegistry::SetDragSource(CGeneratorView* view)
{
    DragSource() = view;
}

void GeneratorViewRegistry::Forget(CGeneratorView* view)
{
    Unlist(view);
    if (DragSource() == view)
        DragSource() = nullptr;
}

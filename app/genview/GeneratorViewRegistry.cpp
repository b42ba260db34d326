#include "GeneratorViewRegistry.h"

#include "CGeneratorView.h"

namespace {

QList<CGeneratorView*>& ListedViews()
{
    static QList<CGeneratorView*> views;
    return views;
}

QPointer<CGeneratorView>& DragSource()
{
    static QPointer<CGeneratorView> view;
    return view;
}

} // namespace

const QList<CGeneratorView*>& g_generatorViews = ListedViews();
const QPointer<CGeneratorView>& g_pDragSourceView = DragSource();

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

QList<QPointer<CGeneratorView>> GeneratorViewRegistry::Views()
{
    QList<QPointer<CGeneratorView>> views;
    for (CGeneratorView* view : ListedViews())
        views.append(view);
    return views;
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

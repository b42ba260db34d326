#include "CGeneratorViewChild.h"

#include <array>

namespace {

std::array<ViewChildFactory, 3> &Factories()
{
    static std::array<ViewChildFactory, 3> factories;
    return factories;
}

} // namespace

void RegisterViewChildFactory(ViewChildKind kind, ViewChildFactory factory)
{
    Factories()[size_t(kind)] = std::move(factory);
}

const ViewChildFactory &FindViewChildFactory(ViewChildKind kind)
{
    return Factories()[size_t(kind)];
}

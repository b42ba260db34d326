#include "CToolWindow.h"

#include <array>

namespace {

std::array<ToolFactory, kToolSlotCount> &Factories()
{
    static std::array<ToolFactory, kToolSlotCount> factories;
    return factories;
}

} // namespace

void RegisterToolFactory(ToolSlot slot, ToolFactory factory)
{
    Factories()[size_t(slot)] = std::move(factory);
}

const ToolFactory &FindToolFactory(ToolSlot slot)
{
    return Factories()[size_t(slot)];
}

#include "GeneratorViewPaneLink.h"

#include "CGenerator.h"

bool GeneratorViewPaneLink::Succeeded(const CGenerator &generator)
{
    return !generator.IsHalted() && generator.LastCommandSucceeded();
}

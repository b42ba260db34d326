#include "StepClipboard.h"

namespace {

std::vector<CSequenceStep> &Held()
{
    static std::vector<CSequenceStep> steps;
    return steps;
}

} // namespace

void ClearStepClipboard()
{
    Held().clear();
}

void SetStepClipboard(std::vector<CSequenceStep> steps)
{
    Held() = std::move(steps);
}

const std::vector<CSequenceStep> &StepClipboard()
{
    return Held();
}

#pragma once
// The step clipboard every sequence editor shares: Cut and Copy fill it,
// Paste copies from it, and the main window empties it when it goes.

#include "CSequenceStep.h"

#include <vector>

// Empties the clipboard.
void ClearStepClipboard();
// Replaces what the clipboard holds.
void SetStepClipboard(std::vector<CSequenceStep> steps);
const std::vector<CSequenceStep> &StepClipboard();

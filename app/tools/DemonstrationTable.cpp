#include "DemonstrationTable.h"

// The rows join here with their routines.
std::span<const DemonstrationRow> DiagnosticsMethods()
{
    return {};
}

#include "DataPaneSelectionRules.h"

#include "DataPaneKinds.h"

namespace {

// Firmware from which the generator lets user images be read back.
constexpr double kImageRecallFirmware = 3.0;

using Pane = DataPaneKinds;

// Applies one row's kind rule; false ends the walk.
bool ApplyKindRule(const DataPaneSelectionInput &in, const DataPaneSelectionRow &row, DataPaneSelectionFlags &f)
{
    switch (row.kind) {
    case Pane::kKindKnobList:
    case Pane::kKindFont:
    case Pane::kKindIcon:
        if (!row.user)
            f.deletable = false;
        f.usable = false;
        return true;
    case Pane::kKindFormat:
        if (!row.user)
            f.deletable = false;
        return true;
    case Pane::kKindImage: {
        const bool newFirmware = in.firmware >= kImageRecallFirmware;
        if (!(newFirmware && row.user)) {
            f.recallable = false;
            if (!row.user)
                f.deletable = false;
        }
        if (in.knobListMode && newFirmware)
            f.recallable = true;
        return true;
    }
    case Pane::kKindMixedKnobList:
        f = {};
        f.recallable = in.knobListMode;
        return false;
    default:
        return true;
    }
}

} // namespace

DataPaneSelectionFlags ComputeSelectionFlags(const DataPaneSelectionInput &in,
                                             const QList<DataPaneSelectionRow> &rows)
{
    if (in.list == Pane::kDetailed)
        return in.detailedListFilled ? DataPaneSelectionFlags{false, true, true} : DataPaneSelectionFlags{};
    if (rows.isEmpty() || in.playing)
        return {};
    DataPaneSelectionFlags f{true, true, true};
    for (const DataPaneSelectionRow &row : rows) {
        // A knob list of mixed entries decides for the whole selection.
        if (!ApplyKindRule(in, row, f))
            break;
        // The item in use cannot be deleted.
        if (f.deletable && !in.inUse.isEmpty() && row.name.compare(in.inUse, Qt::CaseInsensitive) == 0)
            f.deletable = false;
    }
    return f;
}

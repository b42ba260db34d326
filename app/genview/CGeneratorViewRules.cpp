#include "CGeneratorViewRules.h"

#include <iterator>


namespace {

using Rule = bool (*)(const GeneratorViewFlags &);

struct RuleRow {
    int id;
    Rule rule;
};

bool Free(const GeneratorViewFlags &f)
{
    return !f.busy && !f.playing;
}

// Every command that sends to the generator or lets a pane operation send
// waits while a tool transfers to it: copying, renaming, editing and
// loading into the generator included, and so is the detailed list, whose
// first showing offers a scan of every format.
const RuleRow kRules[] = {
    {ID_LOAD_FORMAT_LIST, [](const GeneratorViewFlags &f) { return Free(f); }},
    {ID_SAVE_FORMAT_LIST, [](const GeneratorViewFlags &f) { return f.detailedListFilled && Free(f); }},
    {ID_SAVE_FORMAT_LIST_TEXT, [](const GeneratorViewFlags &f) { return f.detailedMode && Free(f); }},
    {ID_PRINT_FORMAT_LIST, [](const GeneratorViewFlags &f) { return f.detailedMode && Free(f); }},
    {ID_SELECT_ALL, [](const GeneratorViewFlags &f) { return !f.detailedMode && f.currentListRows > 0; }},
    {ID_USE_ITEM,
     [](const GeneratorViewFlags &f) { return (f.detailedMode || f.usable || f.knobListMode) && Free(f); }},
    {ID_RECALL_ITEMS, [](const GeneratorViewFlags &f) { return (f.detailedMode || f.recallable) && Free(f); }},
    {ID_SCAN_FORMATS, [](const GeneratorViewFlags &f) { return f.detailedMode && Free(f); }},
    {ID_COPY, [](const GeneratorViewFlags &f) { return f.selectionRecallable && !f.busy; }},
    {ID_CONTEXT_COPY, [](const GeneratorViewFlags &f) { return f.selectionRecallable && !f.busy; }},
    {ID_RENAME, [](const GeneratorViewFlags &f) { return f.selectionRecallable && f.deletable && !f.busy; }},
    {ID_DELETE, [](const GeneratorViewFlags &f) { return !f.detailedMode && f.deletable && Free(f); }},
    {ID_LIST_FONTS, [](const GeneratorViewFlags &f) { return f.fontsSupported; }},
    {ID_LIST_ICONS, [](const GeneratorViewFlags &f) { return f.pixelMapsSupported; }},
    {ID_LIST_DETAILED, [](const GeneratorViewFlags &f) { return !f.busy; }},
    {ID_RECALL_AND_EDIT, [](const GeneratorViewFlags &f) { return f.selectionRecallable && !f.busy; }},
    {ID_CONTEXT_EDIT, [](const GeneratorViewFlags &f) { return f.selectionRecallable && !f.busy; }},
    {ID_LOAD_INTO_GENERATOR, [](const GeneratorViewFlags &f) { return !f.busy; }},
    {ID_CONTEXT_OPEN, [](const GeneratorViewFlags &f) { return !f.busy; }},
    {ID_CONTEXT_RENAME, [](const GeneratorViewFlags &) { return false; }},
    {ID_CONTEXT_PROPERTIES, [](const GeneratorViewFlags &) { return false; }},
    {ID_ERASE, [](const GeneratorViewFlags &) { return false; }},
    {IDC_RED, [](const GeneratorViewFlags &f) { return f.controlsEnabled && !f.busy; }},
    {IDC_GREEN, [](const GeneratorViewFlags &f) { return f.controlsEnabled && !f.busy; }},
    {IDC_BLUE, [](const GeneratorViewFlags &f) { return f.controlsEnabled && !f.busy; }},
    {IDC_OUTPUT, [](const GeneratorViewFlags &f) { return f.controlsEnabled && !f.busy; }},
    {IDC_ACS, [](const GeneratorViewFlags &f) { return f.controlsEnabled && !f.busy; }},
    {IDC_DCS, [](const GeneratorViewFlags &f) { return f.controlsEnabled && !f.busy; }},
    {IDC_DSS, [](const GeneratorViewFlags &f) { return f.controlsEnabled && !f.busy; }},
};

} // namespace

bool IsGeneratorViewCommandEnabled(int id, const GeneratorViewFlags &flags)
{
    for (const RuleRow &row : kRules) {
        if (row.id == id)
            return row.rule(flags);
    }
    return true;
}

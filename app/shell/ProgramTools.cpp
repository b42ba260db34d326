#include "ProgramTools.h"

#include "CArchiveExtractionDlg.h"
#include "CArchiveRestorationDlg.h"
#include "CToolWindow.h"

void RegisterProgramTools()
{
    RegisterToolFactory(ToolSlot::Extraction, [](CMainWindow* owner) { return new CArchiveExtractionDlg(owner); });
    RegisterToolFactory(ToolSlot::Restoration, [](CMainWindow* owner) { return new CArchiveRestorationDlg(owner); });
}

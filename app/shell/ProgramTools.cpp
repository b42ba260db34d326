#include "ProgramTools.h"

#include "CArchiveExtractionDlg.h"
#include "CToolWindow.h"

void RegisterProgramTools()
{
    RegisterToolFactory(ToolSlot::Extraction, [](CMainWindow* owner) { return new CArchiveExtractionDlg(owner); });
}

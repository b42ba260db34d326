#include "ProgramTools.h"

#include "CImageDownloadDlg.h"
#include "CMainWindow.h"
#include "CToolWindow.h"

void RegisterProgramTools()
{
    RegisterToolFactory(ToolSlot::ImageDownload,
                        [](CMainWindow *owner) -> CToolWindow * { return new CImageDownloadDlg(owner); });
}

#include "ProgramTools.h"

#include "CArchiveExtractionDlg.h"
#include "CArchiveRestorationDlg.h"
#include "CFirmwareUpgradeDlg.h"
#include "CImageDownloadDlg.h"
#include "CMainWindow.h"
#include "CToolWindow.h"

void RegisterProgramTools()
{
    RegisterToolFactory(ToolSlot::ImageDownload,
                        [](CMainWindow *owner) -> CToolWindow * { return new CImageDownloadDlg(owner); });
    RegisterToolFactory(ToolSlot::Extraction,
                        [](CMainWindow *owner) -> CToolWindow * { return new CArchiveExtractionDlg(owner); });
    RegisterToolFactory(ToolSlot::Restoration,
                        [](CMainWindow *owner) -> CToolWindow * { return new CArchiveRestorationDlg(owner); });
    RegisterToolFactory(ToolSlot::Firmware,
                        [](CMainWindow *owner) -> CToolWindow * { return new CFirmwareUpgradeDlg(owner); });
}

void UnregisterProgramTools()
{
    for (ToolSlot slot : {ToolSlot::ImageDownload, ToolSlot::Extraction, ToolSlot::Restoration, ToolSlot::Firmware})
        RegisterToolFactory(slot, {});
}

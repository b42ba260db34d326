#include "CManagerApp.h"

#include "ProgramTools.h"

#include "CAboutDlg.h"
#include "CMainWindow.h"
#include "DataKindRegistry.h"
#include "Numbers.h"
#include "Profile.h"
#include "ProgramTools.h"
#include "Prompts.h"
#include "StringTable.h"

#include <QGuiApplication>
#include <QScreen>

CManagerApp::CManagerApp() = default;

CManagerApp::~CManagerApp() = default;

bool CManagerApp::InitPlatform()
{
    // Qt's drag and drop needs nothing beyond a desktop to show windows on.
    return QGuiApplication::primaryScreen() != nullptr;
}

void CManagerApp::ShowSplash()
{
    CAboutDlg splash;
    splash.autoClose = true;
    DoModal(splash);
}

bool CManagerApp::InitInstance()
{
    if (!InitPlatform()) {
        AfxMessageBox(PromptText(IDS_OLE_INIT_FAILED), MB_OK);
        return false;
    }
    SetApplicationIdentity(); // the profile lives under "Veltrane"/"Zotware"
    SetNumericLocale();
    RegisterProgramDataKinds();
    RegisterProgramTools();
    ShowSplash();
    m_helpFile = QString::fromLatin1(kHelpFile);
    m_mainWindow = std::make_unique<CMainWindow>();
    m_mainWindow->SetHelpFile(m_helpFile);
    m_mainWindow->CreateFrame();
    m_mainWindow->show();
    m_mainWindow->update();
    return true;
}

#include "app/CipherApp.h"

#include "app/CipherDlg.h"

BEGIN_MESSAGE_MAP(CCipherApp, CWinApp)
    ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()

CCipherApp::CCipherApp() = default;

// The one application object.
CCipherApp theApp;

BOOL CCipherApp::InitInstance() {
    AfxEnableControlContainer();
    Enable3dControls();
    CCipherDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    // The dialog has ended: the program ends instead of starting a message loop.
    return FALSE;
}

// The application object: runs the main window as a modal dialog and ends with it.
#pragma once

#include "platform/ui/Dialog.h"

class CCipherApp : public CWinApp {
public:
    CCipherApp();
    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};

extern CCipherApp theApp;

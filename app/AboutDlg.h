// The about box, opened from the main window's system menu.
#pragma once

#include "platform/ui/Dialog.h"
#include "res/Resource.h"

class CAboutDlg : public CDialog {
public:
    enum { IDD = IDD_ABOUTBOX };
    CAboutDlg() : CDialog(res::Dialog(IDD)) {}
};

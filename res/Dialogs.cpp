// Dialog templates and the string table.
#include <stdexcept>

#include "res/Resource.h"

namespace {

using ui::ControlClass;

constexpr DWORD kDialogStyle = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

const ui::IconImage& MainIcon() { return res::Icon(IDR_MAINFRAME); }

// The main window.
const ui::DialogItem kCipherItems[] = {
    {IDC_LOAD, ControlClass::Button, "载入图象...", kChild | BS_PUSHBUTTON | WS_TABSTOP, 233, 12, 50, 14, nullptr},
    {IDC_ENCRYPT, ControlClass::Button, "加密图象", kChild | BS_PUSHBUTTON | WS_TABSTOP, 233, 58, 50, 14, nullptr},
    {IDC_SAVE, ControlClass::Button, "保存图象...", kChild | BS_PUSHBUTTON | WS_TABSTOP, 233, 104, 50, 14, nullptr},
    {IDC_SPEEDTEST, ControlClass::Button, "测试速度...", kChild | BS_PUSHBUTTON | WS_TABSTOP, 233, 127, 50, 14, nullptr},
    {2, ControlClass::Button, "退出", kChild | BS_PUSHBUTTON | WS_TABSTOP, 233, 150, 50, 14, nullptr},
    {IDC_SHOW_ORIGINAL, ControlClass::Button, "显示原图", kChild | BS_AUTORADIOBUTTON | WS_GROUP, 234, 177, 48, 10, nullptr},
    {IDC_SHOW_CIPHER, ControlClass::Button, "显示密图", kChild | BS_AUTORADIOBUTTON, 234, 198, 48, 10, nullptr},
    {IDC_DISPLAY_FRAME, ControlClass::Button, "图象显示区", kChild | BS_GROUPBOX | WS_GROUP, 7, 7, 212, 201, nullptr},
    {IDC_INITKEY, ControlClass::Button, "初始化", kChild | BS_PUSHBUTTON | WS_TABSTOP, 233, 35, 50, 14, nullptr},
    {IDC_ENCRYPT2, ControlClass::Button, "加密图象2", kChild | BS_PUSHBUTTON | WS_TABSTOP, 233, 81, 50, 14, nullptr},
};

const ui::DialogTemplate kCipherDialog = {
    IDD_CIPHER_DIALOG, "MORO", kDialogStyle | WS_VISIBLE, WS_EX_APPWINDOW, "宋体", 9, 290, 215,
    kCipherItems, int(sizeof kCipherItems / sizeof kCipherItems[0]),
};

// The about box.  Its icon is filled in on first use (the icon lives in another source).
ui::DialogItem kAboutItems[] = {
    {IDC_STATIC, ControlClass::Static, nullptr, kChild | SS_ICON, 11, 17, 20, 20, nullptr},
    {IDC_STATIC, ControlClass::Static, "MORO 1.0 版", kChild | SS_LEFT | SS_NOPREFIX, 40, 10, 119, 8, nullptr},
    {IDC_STATIC, ControlClass::Static, "混沌图像加密实验工具", kChild | SS_LEFT, 40, 25, 119, 8, nullptr},
    {IDOK, ControlClass::Button, "确定", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 178, 7, 50, 14, nullptr},
};

const ui::DialogTemplate kAboutDialog = {
    IDD_ABOUTBOX, "关于 MORO", kDialogStyle, 0, "宋体", 9, 235, 55,
    kAboutItems, int(sizeof kAboutItems / sizeof kAboutItems[0]),
};

// The speed-test dialog.
const ui::DialogItem kSpeedItems[] = {
    {IDC_WHOLE_SYSTEM, ControlClass::Button, "整个系统", kChild | BS_AUTORADIOBUTTON | WS_GROUP, 7, 28, 48, 10, nullptr},
    {IDC_STREAM_PART, ControlClass::Button, "流密码部分", kChild | BS_AUTORADIOBUTTON, 61, 28, 56, 10, nullptr},
    {IDOK, ControlClass::Button, "确定(O)", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 129, 7, 50, 14, nullptr},
    {IDCANCEL, ControlClass::Button, "取消(C)", kChild | BS_PUSHBUTTON | WS_TABSTOP, 129, 24, 50, 14, nullptr},
    {IDC_STATIC, ControlClass::Static, "加密图象帧数：", kChild | SS_LEFT | SS_CENTERIMAGE | WS_GROUP, 7, 7, 57, 12, nullptr},
    {IDC_FRAMES, ControlClass::Edit, nullptr, kChild | ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 63, 7, 40, 12, nullptr},
};

const ui::DialogTemplate kSpeedDialog = {
    IDD_SPEEDTEST, "测试速度类型", kDialogStyle, 0, "System", 10, 186, 45,
    kSpeedItems, int(sizeof kSpeedItems / sizeof kSpeedItems[0]),
};

// The security analysis: the histogram charts in the group box (drawn by the dialog), the table
// and the key's diagnosis under it.
const ui::DialogItem kAnalysisItems[] = {
    {IDC_ANALYSIS_CHARTS, ControlClass::Button, "直方图", kChild | BS_GROUPBOX | WS_GROUP, 7, 7, 606, 220, nullptr},
    {IDC_ANALYSIS_TEXT, ControlClass::Edit, nullptr,
     kChild | ES_LEFT | ES_MULTILINE | ES_READONLY | WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP, 7, 232, 606, 160, nullptr},
    {IDOK, ControlClass::Button, "关闭", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 563, 398, 50, 14, nullptr},
};

const ui::DialogTemplate kAnalysisDialog = {
    IDD_ANALYSIS, "安全性分析", kDialogStyle, 0, "宋体", 9, 620, 419,
    kAnalysisItems, int(sizeof kAnalysisItems / sizeof kAnalysisItems[0]),
};

}  // namespace

namespace res {

const ui::DialogTemplate& Dialog(UINT nID) {
    switch (nID) {
        case IDD_ABOUTBOX:
            kAboutItems[0].pIcon = &MainIcon();
            return kAboutDialog;
        case IDD_CIPHER_DIALOG: return kCipherDialog;
        case IDD_SPEEDTEST: return kSpeedDialog;
        case IDD_ANALYSIS: return kAnalysisDialog;
    }
    throw std::out_of_range("no dialog template with this id");
}

const char* String(UINT nID) { return nID == IDS_ABOUTBOX ? "关于 MORO(&A)..." : ""; }

}  // namespace res

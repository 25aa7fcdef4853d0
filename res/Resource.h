// The program's resources: dialog templates 100, 102, 129 and 130, string 101 and icon 128.
#pragma once

#include "platform/MessageBox.h"
#include "platform/ui/Resources.h"

#define IDR_MAINFRAME 128
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_CIPHER_DIALOG 102
#define IDD_SPEEDTEST 129
#define IDD_ANALYSIS 130

#define IDC_ENCRYPT 1000
#define IDC_LOAD 1001
#define IDC_SAVE 1002
#define IDC_SPEEDTEST 1003
#define IDC_DISPLAY_FRAME 1004
#define IDC_SHOW_ORIGINAL 1005
#define IDC_SHOW_CIPHER 1006
#define IDC_INITKEY 1007
#define IDC_ENCRYPT2 1008
#define IDC_WHOLE_SYSTEM 1008
#define IDC_STREAM_PART 1009
#define IDC_FRAMES 1010
#define IDC_ANALYSIS_CHARTS 1011
#define IDC_ANALYSIS_TEXT 1012
#define IDC_STATIC (-1)

#define IDM_ABOUTBOX 0x0010
#define IDM_SAVEKEY 0x0020
#define IDM_DECRYPTWITHKEY 0x0030
#define IDM_ANALYSIS 0x0040

namespace res {
const ui::DialogTemplate& Dialog(UINT nID);
const char* String(UINT nID);
const ui::IconImage& Icon(UINT nID);
}  // namespace res

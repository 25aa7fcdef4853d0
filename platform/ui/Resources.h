// Resource types of the window classes: dialog templates and icons, described as data.  The
// program's own resources (res/) are written with these types and handed to CDialog and
// CWinApp::LoadIcon; this layer knows no resource of any program.  Free of Qt.
#pragma once

#include "platform/Types.h"

// ---- window and control styles ----
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_VSCROLL = 0x00200000;
constexpr DWORD WS_HSCROLL = 0x00100000;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_EX_APPWINDOW = 0x00040000;
constexpr DWORD DS_MODALFRAME = 0x80;
constexpr DWORD DS_SETFONT = 0x40;

constexpr DWORD BS_PUSHBUTTON = 0x0;
constexpr DWORD BS_DEFPUSHBUTTON = 0x1;
constexpr DWORD BS_GROUPBOX = 0x7;
constexpr DWORD BS_AUTORADIOBUTTON = 0x9;
constexpr DWORD BS_TYPEMASK = 0xF;
constexpr DWORD SS_LEFT = 0x0;
constexpr DWORD SS_ICON = 0x3;
constexpr DWORD SS_TYPEMASK = 0x1F;
constexpr DWORD SS_NOPREFIX = 0x80;
constexpr DWORD SS_CENTERIMAGE = 0x200;
constexpr DWORD ES_LEFT = 0x0;
constexpr DWORD ES_MULTILINE = 0x4;
constexpr DWORD ES_AUTOHSCROLL = 0x80;
constexpr DWORD ES_READONLY = 0x800;

namespace ui {

// An icon as 32-bit pixels, 0xAARRGGBB, rows top-down.
struct IconImage {
    int nWidth;
    int nHeight;
    const DWORD* lpPixels;
};

enum class ControlClass { Button, Static, Edit };

// One control of a dialog template; the rectangle is in dialog units.
struct DialogItem {
    int nID;                  // -1 for controls without an id (IDC_STATIC)
    ControlClass nClass;
    const char* lpszText;     // caption; null for none
    DWORD dwStyle;
    int x, y, cx, cy;
    const IconImage* pIcon;   // the picture of an SS_ICON static
};

struct DialogTemplate {
    UINT nID;
    const char* lpszCaption;
    DWORD dwStyle;
    DWORD dwExStyle;
    const char* lpszFontFace;
    int nPointSize;
    int cx, cy;               // client size in dialog units
    const DialogItem* pItems; // in template order (the tab and group order)
    int nItems;
};

}  // namespace ui

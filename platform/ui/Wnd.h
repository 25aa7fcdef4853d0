// The window classes the program's dialogs are made of: command targets with message maps,
// windows over Qt widgets, buttons, menus and wait cursors.  No Qt type appears here; the
// widgets are reached through CWnd::GetWidget in this layer's own sources.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Gdi.h"
#include "platform/MessageBox.h"
#include "platform/Object.h"
#include "platform/String.h"
#include "platform/Types.h"
#include "platform/ui/Resources.h"

class QWidget;
class CWnd;

typedef intptr_t LPARAM;
typedef uintptr_t WPARAM;
typedef intptr_t LRESULT;
typedef intptr_t INT_PTR;

// An icon made from an IconImage; the application keeps it for the whole run.
struct HICON__ {
    int nWidth = 0;
    int nHeight = 0;
    std::vector<DWORD> pixels;  // 0xAARRGGBB, rows top-down
};
typedef HICON__* HICON;
typedef HICON HCURSOR;

// The files of a drop onto a window that accepts them (DragAcceptFiles); the window owns it for
// the handler's call.
struct HDROP__ {
    std::vector<CString> files;
};
typedef HDROP__* HDROP;
// The number of files when iFile is 0xFFFFFFFF; otherwise copies file iFile's path into
// lpszFile (at most cch bytes with the terminating zero; null asks for the length) and returns
// its length without the zero.
UINT DragQueryFile(HDROP hDrop, UINT iFile, LPTSTR lpszFile, UINT cch);

// ---- messages ----
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUERYDRAGICON = 0x0037;
constexpr UINT WM_ICONERASEBKGND = 0x0027;
constexpr UINT WM_DROPFILES = 0x0233;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT BN_CLICKED = 0;
constexpr UINT SC_CLOSE = 0xF060;
constexpr UINT ID_HELP = 0xE146;
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
constexpr BOOL ICON_BIG = 1;
constexpr BOOL ICON_SMALL = 0;

// ---- menus ----
constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_SEPARATOR = 0x0800;

// ---- message maps ----
class CCmdTarget;
typedef void (CCmdTarget::*AFX_PMSG)();

enum AfxSig {
    AfxSig_end = 0,
    AfxSig_vv,   // void ()
    AfxSig_vwl,  // void (UINT, LPARAM)
    AfxSig_hv,   // HCURSOR ()
    AfxSig_vD,   // void (HDROP)
};

// The handler of an entry, in the member its signature names.
union AfxHandler {
    AFX_PMSG pfn;                               // AfxSig_vv
    void (CCmdTarget::*pfnVwl)(UINT, LPARAM);   // AfxSig_vwl
    HCURSOR (CCmdTarget::*pfnHv)();             // AfxSig_hv
    void (CCmdTarget::*pfnVD)(HDROP);           // AfxSig_vD
};

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nCode;
    UINT nID;
    int nSig;
    AfxHandler handler;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                         \
public:                                               \
    static const AFX_MSGMAP* GetThisMessageMap();     \
    const AFX_MSGMAP* GetMessageMap() const override; \
                                                      \
private:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                          \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }   \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                   \
        typedef theClass ThisClass;                                                     \
        typedef baseClass TheBaseClass;                                                 \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {
#define END_MESSAGE_MAP()                                                               \
    {0, 0, 0, AfxSig_end, {nullptr}}                                                    \
    };                                                                                  \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
    return &messageMap;                                                                 \
    }

#define ON_COMMAND(id, memberFxn)                  \
    {WM_COMMAND, BN_CLICKED, UINT(id), AfxSig_vv, \
     {.pfn = static_cast<AFX_PMSG>(static_cast<void (ThisClass::*)()>(&memberFxn))}},
#define ON_BN_CLICKED(id, memberFxn)               \
    {WM_COMMAND, BN_CLICKED, UINT(id), AfxSig_vv, \
     {.pfn = static_cast<AFX_PMSG>(static_cast<void (ThisClass::*)()>(&ThisClass::memberFxn))}},
#define ON_WM_PAINT()              \
    {WM_PAINT, 0, 0, AfxSig_vv, \
     {.pfn = static_cast<AFX_PMSG>(static_cast<void (ThisClass::*)()>(&ThisClass::OnPaint))}},
#define ON_WM_SYSCOMMAND()                                                       \
    {WM_SYSCOMMAND, 0, 0, AfxSig_vwl,                                            \
     {.pfnVwl = static_cast<void (CCmdTarget::*)(UINT, LPARAM)>(                 \
          static_cast<void (ThisClass::*)(UINT, LPARAM)>(&ThisClass::OnSysCommand))}},
#define ON_WM_QUERYDRAGICON()                                                    \
    {WM_QUERYDRAGICON, 0, 0, AfxSig_hv,                                          \
     {.pfnHv = static_cast<HCURSOR (CCmdTarget::*)()>(                           \
          static_cast<HCURSOR (ThisClass::*)()>(&ThisClass::OnQueryDragIcon))}},
#define ON_WM_DROPFILES()                                                        \
    {WM_DROPFILES, 0, 0, AfxSig_vD,                                              \
     {.pfnVD = static_cast<void (CCmdTarget::*)(HDROP)>(                         \
          static_cast<void (ThisClass::*)(HDROP)>(&ThisClass::OnDropFiles))}},

class CCmdTarget : public CObject {
public:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

    // Finds the handler of a message in this class's map or its bases' and runs it.  False
    // when no map has one.
    bool DispatchMessage(UINT nMessage, UINT nCode, UINT nID, WPARAM wParam = 0, LPARAM lParam = 0,
                         LRESULT* pResult = nullptr);

    // The wait cursor over the whole application, nested.
    void BeginWaitCursor();
    void EndWaitCursor();
    void RestoreWaitCursor() {}
};

// Shows the wait cursor for its lifetime.
class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
};

class CMenu {
public:
    struct Item {
        UINT nFlags;
        UINT nID;
        CString text;
    };
    BOOL AppendMenu(UINT nFlags, UINT nIDNewItem = 0, LPCTSTR lpszNewItem = nullptr);
    const std::vector<Item>& Items() const { return m_items; }

private:
    std::vector<Item> m_items;
};

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The child control with this id, as a CWnd of this window (the same object every time);
    // null if there is none.
    virtual CWnd* GetDlgItem(int nID) const { return nullptr; }
    int GetDlgCtrlID() const { return m_nID; }
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowEnabled() const;
    void GetWindowRect(LPRECT lpRect) const;
    void GetClientRect(LPRECT lpRect) const;
    void ScreenToClient(LPRECT lpRect) const;
    void ClientToScreen(LPRECT lpRect) const;
    void SetWindowText(LPCTSTR lpszString);
    CString GetWindowText() const;
    BOOL IsIconic() const;
    void Invalidate(BOOL bErase = TRUE);
    void UpdateWindow();
    CWnd* SetFocus();
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // A DC over the window's client area; draw, then give it back with ReleaseDC, which puts
    // the pixels on screen.
    CDC* GetDC();
    int ReleaseDC(CDC* pDC);

    // Message box owned by this window; a null caption is the application's name.
    int MessageBox(LPCTSTR lpszText, LPCTSTR lpszCaption = nullptr, UINT nType = MB_OK);

    // The window's system menu; on this platform its entries make the window's context menu.
    CMenu* GetSystemMenu(BOOL bRevert);
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    HICON GetIcon(BOOL bBigIcon) const { return bBigIcon ? m_hIconBig : m_hIconSmall; }
    // Files dropped on the window reach its WM_DROPFILES handler (ON_WM_DROPFILES).
    void DragAcceptFiles(BOOL bAccept = TRUE);

    // Runs a system command as the window's system menu would.
    void SendSysCommand(UINT nID, LPARAM lParam = 0);
    // Default processing of a system command: SC_CLOSE closes the window.
    void OnSysCommand(UINT nID, LPARAM lParam);

    QWidget* GetWidget() const { return m_pWidget; }
    // Binds this object to a widget (a control of a dialog or the dialog itself).
    void AttachWidget(QWidget* pWidget, int nID);
    void DetachWidget();

protected:
    // Window procedure defaults.
    virtual void OnClose();
    LRESULT Default() { return 0; }

    QWidget* m_pWidget = nullptr;
    int m_nID = 0;
    HICON m_hIconBig = nullptr;
    HICON m_hIconSmall = nullptr;
    CMenu m_sysMenu;
    bool m_bSysMenuMade = false;
    // The client area's pixels and the DC over them (made with the window).
    HDC m_hSurfaceDC = nullptr;
    CDC m_windowDC;
    int m_nDCsOut = 0;
    bool m_bInPaint = false;

    friend class CDialog;
    friend class CPaintDC;
    friend class DialogWidget;
};

// The DC of WM_PAINT: draws into the window's client area like GetDC.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;

private:
    CWnd* m_pWnd;
};

class CButton : public CWnd {
public:
    // For radio and check buttons: 1 checked, 0 not.
    int GetCheck() const;
    void SetCheck(int nCheck);
};

class CEdit : public CWnd {};

// Modal dialogs made from templates, dialog data exchange, the file dialogs and the application
// object.  Dialog units become pixels from the dialog's font as the system's dialog manager
// does: horizontal units are a quarter of the font's average character width, vertical units
// an eighth of its height.
#pragma once

#include <functional>
#include <map>
#include <memory>

#include "platform/ui/Wnd.h"

constexpr UINT OFN_OVERWRITEPROMPT = 0x00000002;
constexpr UINT OFN_HIDEREADONLY = 0x00000004;

// Keyboard accelerators: a key with modifiers that runs a command of the dialog, as a click on
// that control does.
constexpr BYTE FVIRTKEY = 0x01;
constexpr BYTE FSHIFT = 0x04;
constexpr BYTE FCONTROL = 0x08;
constexpr BYTE FALT = 0x10;
struct ACCEL {
    BYTE fVirt;
    WORD key;  // a virtual key: a letter is its upper-case character, a digit its character
    WORD cmd;
};

class CDialog;
class QMenu;

class CDataExchange {
public:
    CDataExchange(CDialog* pDlgWnd, BOOL bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
    // Moves the focus to the control and stops the exchange (UpdateData returns FALSE).
    [[noreturn]] void Fail();
    void PrepareCtrl(int nIDC) { m_idLastControl = nIDC; }

    BOOL m_bSaveAndValidate;
    CDialog* m_pDlgWnd;
    int m_idLastControl = 0;
};

// Binds a control of the dialog to a member object.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
// The index of the checked radio button in the group that starts at nIDC; -1 when none.
void DDX_Radio(CDataExchange* pDX, int nIDC, int& value);
// An unsigned integer in an edit box; text that is not one keeps the dialog open with a message.
void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value);

class CDialog : public CWnd {
public:
    explicit CDialog(const ui::DialogTemplate& dlgTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Builds the window from the template, runs OnInitDialog and the dialog until EndDialog;
    // returns the value given to EndDialog (IDOK, IDCANCEL), or -1 if the window cannot be made.
    virtual INT_PTR DoModal();
    void EndDialog(int nResult);
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    const ui::DialogTemplate& GetTemplate() const { return m_template; }
    // Pixels of a rectangle given in this dialog's units (the dialog must be made).
    void MapDialogRect(LPRECT lpRect) const;
    // The dialog base units in pixels: average character width and character height.
    CSize GetBaseUnits() const { return m_baseUnits; }
    // A control's command, as if it had been clicked: the message map's handler, or for IDOK
    // and IDCANCEL the virtual OnOK and OnCancel.
    void OnCommand(UINT nID);
    // True while the dialog runs.
    bool IsRunning() const { return m_bRunning; }
    // Accelerators for this run of the dialog (from OnInitDialog on).
    void SetAccelerators(const ACCEL* lpAccel, int nCount);
    // The group of radio buttons that starts at nIDC, in template order.
    std::vector<CButton*> RadioGroup(int nIDC) const;
    CWnd* Control(int nID) const;
    CWnd* GetDlgItem(int nID) const override { return Control(nID); }

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    static const AFX_MSGMAP* GetThisMessageMap();
    const AFX_MSGMAP* GetMessageMap() const override;

protected:
    virtual void DoDataExchange(CDataExchange* pDX) {}
    void OnPaint() {}
    void OnClose() override { OnCancel(); }

    CWnd* m_pParentWnd;

private:
    friend class DialogWidget;
    friend void DDX_Control(CDataExchange*, int, CWnd&);
    friend class CDataExchange;
    bool CreateWidgets();
    void DestroyWidgets();

    const ui::DialogTemplate& m_template;
    CSize m_baseUnits;
    int m_nResult = 0;
    bool m_bRunning = false;
    std::vector<std::unique_ptr<CWnd>> m_ownedControls;  // in template order
    std::map<int, CWnd*> m_controls;                     // by id; bound members replace owned ones
    std::vector<int> m_order;                            // ids in template order

    friend class CWnd;
};

class CFileDialog : public CDialog {
public:
    struct OPENFILENAME {
        const char* lpstrInitialDir = nullptr;
        DWORD Flags = 0;
        DWORD nFilterIndex = 0;  // the filter shown first, from 1; 0 is the first as well
    };

    CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt = nullptr, LPCTSTR lpszFileName = nullptr,
                DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCTSTR lpszFilter = nullptr,
                CWnd* pParentWnd = nullptr);
    INT_PTR DoModal() override;
    CString GetPathName() const { return m_strPathName; }
    CString GetFileName() const;
    BOOL IsOpenDialog() const { return m_bOpenFileDialog; }
    const CString& GetDefExt() const { return m_strDefExt; }
    const CString& GetFilter() const { return m_strFilter; }
    // The chosen path; for handlers that stand in for the user.
    void SetPathName(const CString& path) { m_strPathName = path; }

    OPENFILENAME m_ofn;

private:
    BOOL m_bOpenFileDialog;
    CString m_strDefExt;
    CString m_strFilter;
    CString m_strPathName;
};

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(LPCTSTR lpszAppName = nullptr);
    ~CWinApp() override;
    virtual BOOL InitInstance() { return TRUE; }
    HICON LoadIcon(const ui::IconImage& icon) const;
    void OnHelp() {}

    CWnd* m_pMainWnd = nullptr;
    CString m_pszAppName;

    static const AFX_MSGMAP* GetThisMessageMap();
    const AFX_MSGMAP* GetMessageMap() const override;
};

CWinApp* AfxGetApp();
void AfxEnableControlContainer();
BOOL Enable3dControls();
int GetSystemMetrics(int nIndex);
BOOL DrawIcon(HDC hDC, int x, int y, HICON hIcon);

// Starts Qt, shows message boxes as Qt message boxes and runs the application object's
// InitInstance.  Returns the process's exit status.
int AfxWinMain(int argc, char** argv);

namespace ui {
// Stand-ins for the user, for tests and scripted runs.  A file-dialog handler decides instead
// of the user: it sets the path and returns IDOK, or returns IDCANCEL.  A modal hook runs once
// a modal dialog is on screen and its OnInitDialog has run (it may click buttons, type text or
// end the dialog); it is called for every dialog, nested ones included.
void SetFileDialogHandler(std::function<INT_PTR(CFileDialog&)> handler);
void SetModalHook(std::function<void(CDialog&)> hook);
// Chooses from the window's context menu instead of the user: returns the command id of the
// entry to run, or -1 for none.
void SetPopupMenuHook(std::function<int(QMenu&)> hook);
// How often the wait cursor has been shown, and whether it is shown now.
int WaitCursorCount();
bool WaitCursorShown();
// The message box of the window: a Qt message box with the icon the style asks for.
int QtMessageBox(const char* lpszText, const char* lpszCaption, UINT nType);
// The message DDX_Text shows for a frame count that is not an unsigned integer.
extern const char kMsgParseUnsigned[];
// Qt's own texts (the file dialogs, the buttons of message boxes) in Simplified Chinese, like
// the program's dialogs; false when the translations are not installed.
bool InstallTranslations();
}  // namespace ui

// The main window: a loaded image, its working copy that the cipher encrypts, and the key.
#pragma once

#include "cipher/Cipher.h"
#include "dib/Dib.h"
#include "platform/ui/Dialog.h"
#include "res/Resource.h"

class CCipherDlg : public CDialog {
public:
    enum { IDD = IDD_CIPHER_DIALOG };
    explicit CCipherDlg(CWnd* pParent = nullptr);
    ~CCipherDlg() override;

    CDib m_dibOriginal;   // as loaded; the cipher never changes it
    CDib m_dibCipher;     // the working copy, encrypted in place
    CPoint m_ptOrigin;    // top-left of the 256 x 256 display area, client coordinates
    KeyState m_key;
    CButton m_ctlDisplayFrame;
    int m_nShow;          // 0 the loaded image, 1 the encrypted copy, -1 none
    HICON m_hIcon;

    // Draws the selected image into the display area.
    void RedrawImage();
    // The display area's corner for a group box with this client rectangle: centred, and 5
    // pixels lower to clear the box's title.
    static CPoint DisplayOrigin(const CRect& frame);

    BOOL OnInitDialog() override;
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnLoadImage();
    void OnSaveImage();
    void OnEncrypt();
    void OnInitKey();
    void OnShowChanged();
    void OnEncrypt2();
    void OnSpeedTest();

protected:
    void DoDataExchange(CDataExchange* pDX) override;

    DECLARE_MESSAGE_MAP()
};

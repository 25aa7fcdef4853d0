// The main window: a loaded image, its working copy that the cipher encrypts, and the key.
#pragma once

#include "cipher/Cipher.h"
#include "cipher/KeyFile.h"
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
    CString m_strFolder;  // where the file dialogs open: the folder of the last file chosen
    CString m_strLoaded;  // the loaded file's name, without its folder; empty before a load
    // The working copy's run: the key and generator state when it started (its load, or the
    // last decryption into it) and the steps since, for its key file.
    KeyFile m_run;

    // One entry of the window's context menu (its system menu): the command, a multiple of 16
    // below 0xF000, its text, and what it runs.  New entries are rows of the table in
    // CipherDlg.cpp.
    struct MenuEntry {
        UINT nCommand;
        const char* lpszText;
        void (CCipherDlg::*pfnRun)();
    };

    // Draws the selected image into the display area.
    void RedrawImage();
    // The display area's corner for a group box with this client rectangle: centred, and 5
    // pixels lower to clear the box's title.
    static CPoint DisplayOrigin(const CRect& frame);
    // Makes a file the loaded image and its working copy and shows it.  A file that does not
    // load changes nothing; the library, or for a file that cannot be opened the window, says
    // why.
    BOOL LoadImageFile(const char* lpszPath);
    // Writes an image as a BMP file, or a PNG file when the name ends in .png; says so in a
    // message box when it cannot.
    BOOL SaveImageFile(CDib& dib, const char* lpszPath);
    // The image the show selection names, or null.
    CDib* SelectedImage();
    // The name the save dialog proposes for the selected image.
    CString ProposedSaveName() const;

    BOOL OnInitDialog() override;
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnDropFiles(HDROP hDropInfo);
    void OnLoadImage();
    void OnSaveImage();
    void OnEncrypt();
    void OnInitKey();
    void OnShowChanged();
    void OnEncrypt2();
    void OnSpeedTest();
    void OnAbout();
    void OnSaveKey();
    void OnDecryptWithKey();
    // The security analysis of the loaded image under the current key, in a dialog.
    void OnAnalysis();

protected:
    void DoDataExchange(CDataExchange* pDX) override;

private:
    // Runs an encryption mode on the working copy, shows the result, and warns when it left
    // most of the picture as it was.
    void Encrypt(void (*pfnMode)(KeyState&, CDib&), const char* lpszUnchanged);
    // Remembers the folder of a chosen file for the next file dialog.
    void RememberFolder(const char* lpszPath);
    // The working copy's run starts now from its current pixels; each step on it is recorded.
    void StartRun();
    void RecordStep(CipherStep step);

    DECLARE_MESSAGE_MAP()
};

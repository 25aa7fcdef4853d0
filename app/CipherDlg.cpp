#include "app/CipherDlg.h"

#include <cstdio>
#include <ctime>

#include "app/AboutDlg.h"
#include "app/SpeedTestDlg.h"
#include "platform/Rand.h"

namespace {
const char kBmpFilter[] = "Bmp Files(*.bmp)|*.bmp|All Files(*.*)|*.*||";
constexpr int kDisplaySize = 256;
}  // namespace

BEGIN_MESSAGE_MAP(CCipherDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_BN_CLICKED(IDC_LOAD, OnLoadImage)
    ON_BN_CLICKED(IDC_SAVE, OnSaveImage)
    ON_BN_CLICKED(IDC_ENCRYPT, OnEncrypt)
    ON_BN_CLICKED(IDC_INITKEY, OnInitKey)
    ON_BN_CLICKED(IDC_SHOW_CIPHER, OnShowChanged)
    ON_BN_CLICKED(IDC_SHOW_ORIGINAL, OnShowChanged)
    ON_BN_CLICKED(IDC_ENCRYPT2, OnEncrypt2)
    ON_BN_CLICKED(IDC_SPEEDTEST, OnSpeedTest)
END_MESSAGE_MAP()

CCipherDlg::CCipherDlg(CWnd* pParent)
    : CDialog(res::Dialog(IDD), pParent), m_nShow(-1), m_hIcon(AfxGetApp()->LoadIcon(res::Icon(IDR_MAINFRAME))) {}

CCipherDlg::~CCipherDlg() = default;

void CCipherDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DISPLAY_FRAME, m_ctlDisplayFrame);
    DDX_Radio(pDX, IDC_SHOW_ORIGINAL, m_nShow);
}

BOOL CCipherDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    if (CMenu* pSysMenu = GetSystemMenu(FALSE)) {
        CString strAboutMenu = res::String(IDS_ABOUTBOX);
        if (!strAboutMenu.IsEmpty()) {
            pSysMenu->AppendMenu(MF_SEPARATOR);
            pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, strAboutMenu);
        }
    }
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    // The display area: 256 x 256 pixels centred in the group box, a little below its title.
    CRect rect;
    m_ctlDisplayFrame.GetWindowRect(&rect);
    ScreenToClient(&rect);
    m_ptOrigin = DisplayOrigin(rect);

    crt::srand(unsigned(time(nullptr)));
    GetDlgItem(IDC_SHOW_ORIGINAL)->EnableWindow(FALSE);
    GetDlgItem(IDC_SHOW_CIPHER)->EnableWindow(FALSE);
    InitKey(m_key);
    return TRUE;
}

void CCipherDlg::OnSysCommand(UINT nID, LPARAM lParam) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout;
        dlgAbout.DoModal();
    } else {
        CDialog::OnSysCommand(nID, lParam);
    }
}

void CCipherDlg::OnPaint() {
    if (IsIconic()) {
        CPaintDC dc(this);
        SendMessage(WM_ICONERASEBKGND, WPARAM(dc.GetSafeHdc()), 0);
        int cxIcon = GetSystemMetrics(SM_CXICON);
        int cyIcon = GetSystemMetrics(SM_CYICON);
        CRect rect;
        GetClientRect(&rect);
        int x = (rect.Width() - cxIcon + 1) / 2;
        int y = (rect.Height() - cyIcon + 1) / 2;
        DrawIcon(dc.GetSafeHdc(), x, y, m_hIcon);
    } else {
        RedrawImage();
        CDialog::OnPaint();
    }
}

CPoint CCipherDlg::DisplayOrigin(const CRect& frame) {
    return CPoint(frame.left + (frame.Width() - kDisplaySize) / 2, frame.top + (frame.Height() - kDisplaySize) / 2 + 5);
}

HCURSOR CCipherDlg::OnQueryDragIcon() { return HCURSOR(m_hIcon); }

void CCipherDlg::RedrawImage() {
    CDC* pDC = GetDC();
    if (!pDC) return;
    CRect rect(m_ptOrigin, CSize(kDisplaySize, kDisplaySize));
    if (m_nShow == 0 && m_dibOriginal.m_lpBuf) m_dibOriginal.Draw(pDC, rect);
    else if (m_nShow == 1 && m_dibCipher.m_lpBuf) m_dibCipher.Draw(pDC, rect);
    ReleaseDC(pDC);
}

void CCipherDlg::OnLoadImage() {
    CFileDialog dlg(TRUE, "bmp", nullptr, 0, kBmpFilter, this);
    dlg.m_ofn.lpstrInitialDir = ".";
    if (dlg.DoModal() == IDCANCEL) return;
    // A failed load has shown its message; the image then is whatever the object holds.
    m_dibOriginal.LoadBmp(dlg.GetPathName());
    m_dibCipher.Copy(m_dibOriginal);
    m_nShow = 0;
    UpdateData(FALSE);
    RedrawImage();
    GetDlgItem(IDC_SHOW_ORIGINAL)->EnableWindow(TRUE);
    GetDlgItem(IDC_SHOW_CIPHER)->EnableWindow(TRUE);
}

void CCipherDlg::OnSaveImage() {
    CFileDialog dlg(FALSE, "bmp", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kBmpFilter, this);
    dlg.m_ofn.lpstrInitialDir = ".";
    if (dlg.DoModal() == IDCANCEL) return;
    UpdateData(TRUE);
    if (m_nShow == 0) m_dibOriginal.SaveBmp(dlg.GetPathName());
    else if (m_nShow == 1) m_dibCipher.SaveBmp(dlg.GetPathName());
}

void CCipherDlg::OnShowChanged() {
    UpdateData(TRUE);
    RedrawImage();
}

void CCipherDlg::OnEncrypt() {
    EncryptStream(m_key, m_dibCipher);
    m_nShow = 1;
    UpdateData(FALSE);
    RedrawImage();
}

void CCipherDlg::OnEncrypt2() {
    EncryptSubst(m_key, m_dibCipher);
    m_nShow = 1;
    UpdateData(FALSE);
    RedrawImage();
}

void CCipherDlg::OnInitKey() { InitKey(m_key); }

void CCipherDlg::OnSpeedTest() {
    CSpeedTestDlg dlg(this);
    if (dlg.DoModal() == IDCANCEL) return;
    bool bStreamOnly = dlg.m_nTestType != 0;
    UINT nFrames = dlg.m_nFrames;
    double dSpeed;
    {
        // The window is blocked for the whole measurement.
        CWaitCursor wait;
        dSpeed = MeasureSpeed(m_key, m_dibCipher, bStreamOnly, nFrames);
    }
    char szText[128];
    std::snprintf(szText, sizeof szText, "The average encryption speed is about %g Mbps.", dSpeed);
    MessageBox(szText, nullptr, MB_OK);
}

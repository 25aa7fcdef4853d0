#include "app/CipherDlg.h"

#include <ctime>
#include <vector>

#include "app/AboutDlg.h"
#include "app/WindowTexts.h"
#include "platform/Rand.h"

namespace {
constexpr int kDisplaySize = 256;

// The window's context menu after its separator.
const CCipherDlg::MenuEntry kMenuEntries[] = {
    {IDM_SAVEKEY, texts::kSaveKeyEntry, &CCipherDlg::OnSaveKey},
    {IDM_DECRYPTWITHKEY, texts::kDecryptWithKeyEntry, &CCipherDlg::OnDecryptWithKey},
    {IDM_ANALYSIS, texts::kAnalysisEntry, &CCipherDlg::OnAnalysis},
    {IDM_ABOUTBOX, res::String(IDS_ABOUTBOX), &CCipherDlg::OnAbout},
};

const ACCEL kAccelerators[] = {
    {FVIRTKEY | FCONTROL, 'O', IDC_LOAD},
    {FVIRTKEY | FCONTROL, 'S', IDC_SAVE},
    {FVIRTKEY | FCONTROL, 'E', IDC_ENCRYPT},
};

bool IsIdentity(const BYTE (&sbox)[256]) {
    for (int i = 0; i < 256; ++i)
        if (sbox[i] != i) return false;
    return true;
}
}  // namespace

BEGIN_MESSAGE_MAP(CCipherDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_WM_DROPFILES()
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
    : CDialog(res::Dialog(IDD), pParent),
      m_nShow(-1),
      m_hIcon(AfxGetApp()->LoadIcon(res::Icon(IDR_MAINFRAME))),
      m_strFolder(".") {}

CCipherDlg::~CCipherDlg() = default;

void CCipherDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DISPLAY_FRAME, m_ctlDisplayFrame);
    DDX_Radio(pDX, IDC_SHOW_ORIGINAL, m_nShow);
}

BOOL CCipherDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    if (CMenu* pSysMenu = GetSystemMenu(FALSE)) {
        bool bSeparated = false;
        for (const MenuEntry& entry : kMenuEntries) {
            if (!entry.lpszText || !*entry.lpszText) continue;
            if (!bSeparated) pSysMenu->AppendMenu(MF_SEPARATOR);
            bSeparated = true;
            pSysMenu->AppendMenu(MF_STRING, entry.nCommand, entry.lpszText);
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
    SetAccelerators(kAccelerators, int(sizeof kAccelerators / sizeof kAccelerators[0]));
    DragAcceptFiles(TRUE);
    return TRUE;
}

void CCipherDlg::OnSysCommand(UINT nID, LPARAM lParam) {
    for (const MenuEntry& entry : kMenuEntries) {
        if ((nID & 0xFFF0) == entry.nCommand) {
            (this->*entry.pfnRun)();
            return;
        }
    }
    CDialog::OnSysCommand(nID, lParam);
}

void CCipherDlg::OnAbout() {
    CAboutDlg dlgAbout;
    dlgAbout.DoModal();
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

CDib* CCipherDlg::SelectedImage() {
    if (m_nShow == 0) return &m_dibOriginal;
    if (m_nShow == 1) return &m_dibCipher;
    return nullptr;
}

void CCipherDlg::OnShowChanged() {
    UpdateData(TRUE);
    RedrawImage();
}

void CCipherDlg::Encrypt(void (*pfnMode)(KeyState&, CDib&), const char* lpszUnchanged) {
    std::vector<BYTE> before;
    if (m_dibCipher.IsValid()) before.assign(m_dibCipher.m_lpBits, m_dibCipher.m_lpBits + m_dibCipher.m_nImageSize);
    pfnMode(m_key, m_dibCipher);
    m_nShow = 1;
    UpdateData(FALSE);
    RedrawImage();
    // A random key stream leaves one byte in 256 as it was; a degenerate key leaves whole
    // stretches, and the picture is then plainly readable.
    size_t nSame = 0;
    for (size_t i = 0; i < before.size(); ++i) nSame += before[i] == m_dibCipher.m_lpBits[i];
    if (!before.empty() && nSame * 2 > before.size()) MessageBox(lpszUnchanged, nullptr, MB_ICONEXCLAMATION);
}

void CCipherDlg::OnEncrypt() {
    RecordStep(STEP_STREAM);
    Encrypt(EncryptStream, texts::kDegenerateKey);
}

void CCipherDlg::OnEncrypt2() {
    RecordStep(STEP_SUBST);
    Encrypt(EncryptSubst, IsIdentity(m_key.sbox) ? texts::kNoSBoxYet : texts::kDegenerateKey);
}

void CCipherDlg::OnInitKey() {
    RecordStep(STEP_INIT);
    InitKey(m_key);
}

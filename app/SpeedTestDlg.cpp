#include "app/SpeedTestDlg.h"

CSpeedTestDlg::CSpeedTestDlg(CWnd* pParent) : CDialog(res::Dialog(IDD), pParent), m_nTestType(0), m_nFrames(32) {}

void CSpeedTestDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Radio(pDX, IDC_WHOLE_SYSTEM, m_nTestType);
    DDX_Text(pDX, IDC_FRAMES, m_nFrames);
}

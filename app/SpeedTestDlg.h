// The speed-test dialog: which part of the cipher to time and over how many frames.
#pragma once

#include "platform/ui/Dialog.h"
#include "res/Resource.h"

class CSpeedTestDlg : public CDialog {
public:
    enum { IDD = IDD_SPEEDTEST };
    explicit CSpeedTestDlg(CWnd* pParent = nullptr);

    int m_nTestType;  // 0 the whole system, 1 the stream cipher part
    UINT m_nFrames;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};

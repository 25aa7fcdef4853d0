// The main window's speed test: frame passes over the working copy, timed one by one, with a
// progress window that lets a long run be stopped.
#include "app/CipherDlg.h"
#include "app/SpeedTestDlg.h"
#include "app/WindowTexts.h"
#include "platform/Clock.h"
#include "platform/ui/ProgressDlg.h"

namespace {

// Runs shorter than this never show the progress window.
constexpr DWORD kProgressAfterMs = 1000;

// The label of a radio button of the speed-test dialog: what the test type is called.
const char* TestTypeName(bool bStreamOnly) {
    const ui::DialogTemplate& t = res::Dialog(IDD_SPEEDTEST);
    int nID = bStreamOnly ? IDC_STREAM_PART : IDC_WHOLE_SYSTEM;
    for (int i = 0; i < t.nItems; ++i)
        if (t.pItems[i].nID == nID) return t.pItems[i].lpszText;
    return "";
}

CString ImageDescription(const CDib& dib) {
    CString text = texts::kNoImage;
    if (dib.IsValid()) text.Format(texts::kImageSize, dib.m_nWidth, dib.m_nHeight, int(dib.m_nBitCount));
    return text;
}

}  // namespace

void CCipherDlg::OnSpeedTest() {
    CSpeedTestDlg dlg(this);
    if (dlg.DoModal() == IDCANCEL) return;
    bool bStreamOnly = dlg.m_nTestType != 0;
    UINT nFrames = dlg.m_nFrames;

    // Only the frame passes are timed; the progress window's updates between them are not.
    LONGLONG nFrequency = 1, nTicks = 0;
    QueryPerformanceFrequency(&nFrequency);
    UINT nDone = 0;
    bool bCancelled = false;
    {
        CWaitCursor wait;
        CProgressDlg progress(this, texts::kSpeedCaption, texts::kFramesDone, texts::kCancel, kProgressAfterMs);
        while (nDone < nFrames) {
            LONGLONG nStart = 0, nStop = 0;
            QueryPerformanceCounter(&nStart);
            EncryptFrame(m_key, m_dibCipher, bStreamOnly);
            QueryPerformanceCounter(&nStop);
            RecordStep(bStreamOnly ? STEP_FRAME_STREAM : STEP_FRAME);
            nTicks += nStop - nStart;
            ++nDone;
            if (!progress.Step(nDone, nFrames)) {
                bCancelled = nDone < nFrames;
                break;
            }
        }
    }
    // The working copy has changed: show it, so the display is what a save would write.
    RedrawImage();

    double dSeconds = double(nTicks) / double(nFrequency);
    double dSpeed = nDone && dSeconds > 0 ? FrameBits(m_dibCipher) * nDone / (dSeconds * 1048576.0) : 0.0;
    CString report, what;
    report.Format(texts::kSpeedReport, dSpeed);
    if (bCancelled)
        what.Format(texts::kSpeedCancelled, nDone, nFrames, TestTypeName(bStreamOnly), ImageDescription(m_dibCipher).GetString());
    else
        what.Format(texts::kSpeedMeasured, TestTypeName(bStreamOnly), nFrames, ImageDescription(m_dibCipher).GetString());
    MessageBox(report + "\n" + what, nullptr, MB_OK);
}

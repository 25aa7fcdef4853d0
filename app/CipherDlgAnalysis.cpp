// The main window's security analysis: the loaded image encrypted under the current key as
// "加密图象" (mode 1) would, measured as moro-cli analyse measures it, in a dialog.
#include "app/AnalysisDlg.h"
#include "app/CipherDlg.h"
#include "app/WindowTexts.h"

void CCipherDlg::OnAnalysis() {
    if (!m_dibOriginal.IsValid()) {
        MessageBox(texts::kNothingToAnalyse, nullptr, MB_ICONEXCLAMATION);
        return;
    }
    if (m_dibOriginal.m_nBitCount != 8 && m_dibOriginal.m_nBitCount != 24) {
        CString text;
        text.Format(texts::kAnalysisDepth, int(m_dibOriginal.m_nBitCount));
        MessageBox(text, nullptr, MB_ICONEXCLAMATION);
        return;
    }
    // The current key and generator, one pass of mode 1; the window's key and generator stay
    // as they are (the analysis works on copies and gives the generator back).
    KeyFile run = KeyFileNow(m_key, false, 0);
    run.steps = {STEP_STREAM};
    AnalysisOptions options;
    AnalysisResult result;
    std::string error;
    bool bDone;
    {
        CWaitCursor wait;
        bDone = RunAnalysis(m_dibOriginal, run, options, result, error);
    }
    if (!bDone) {
        CString text;
        text.Format(texts::kAnalysisFailed, error.c_str());
        MessageBox(text, nullptr, MB_ICONSTOP);
        return;
    }
    CAnalysisDlg dlg(result, m_strLoaded.GetString(), this);
    dlg.DoModal();
}

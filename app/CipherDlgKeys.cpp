// The main window's key files: the working copy's run saved as one, and an image decrypted with
// one into the encrypted view.
#include <string>

#include "app/CipherDlg.h"
#include "app/WindowTexts.h"

void CCipherDlg::StartRun() {
    m_run = KeyFileNow(m_key, false, 0);  // the window's seed made an earlier key, not this one
}

void CCipherDlg::RecordStep(CipherStep step) {
    // One step past the most a key file holds is enough to know the run is too long for one.
    if (m_run.steps.size() <= kKeyFileMaxSteps) m_run.steps.push_back(step);
}

void CCipherDlg::OnSaveKey() {
    if (!m_dibCipher.IsValid()) {
        MessageBox(texts::kNoRunToSave, nullptr, MB_ICONEXCLAMATION);
        return;
    }
    if (m_run.steps.size() > kKeyFileMaxSteps) {
        CString text;
        text.Format(texts::kRunTooLong, unsigned(kKeyFileMaxSteps));
        MessageBox(text, nullptr, MB_ICONEXCLAMATION);
        return;
    }
    std::string proposed = m_strLoaded.str();
    proposed = proposed.substr(0, proposed.find_last_of('.')) + texts::kKeySuffix + ".json";
    CFileDialog dlg(FALSE, "json", proposed.c_str(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, texts::kKeyFilter, this);
    dlg.m_ofn.lpstrInitialDir = m_strFolder;
    if (dlg.DoModal() == IDCANCEL) return;
    RememberFolder(dlg.GetPathName());
    std::string error;
    if (!SaveKeyFile(dlg.GetPathName(), m_run, error)) {
        CString text;
        text.Format(texts::kKeyNotSaved, dlg.GetPathName().GetString());
        MessageBox(text, nullptr, MB_ICONSTOP);
    }
}

void CCipherDlg::OnDecryptWithKey() {
    UpdateData(TRUE);
    CDib* pShown = SelectedImage();
    if (!pShown || !pShown->IsValid()) {
        MessageBox(texts::kNothingToDecrypt, nullptr, MB_ICONEXCLAMATION);
        return;
    }
    CFileDialog dlg(TRUE, "json", nullptr, 0, texts::kKeyFilter, this);
    dlg.m_ofn.lpstrInitialDir = m_strFolder;
    if (dlg.DoModal() == IDCANCEL) return;
    RememberFolder(dlg.GetPathName());
    KeyFile file;
    std::string error;
    if (!LoadKeyFile(dlg.GetPathName(), file, error)) {
        CString text;
        text.Format(texts::kKeyRefused, dlg.GetPathName().GetString(), error.c_str());
        MessageBox(text, nullptr, MB_ICONSTOP);
        return;
    }
    // Decrypted on a copy: the shown image may be the loaded one, which the cipher never changes.
    CDib plain;
    plain.Copy(*pShown);
    DecryptSteps(file.key, file.randState, file.steps, plain);  // the reader took only permutations
    m_dibCipher.Copy(plain);
    StartRun();
    m_nShow = 1;
    UpdateData(FALSE);
    RedrawImage();
}

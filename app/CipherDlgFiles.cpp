// The main window's files: loading by the button or by a drop, saving, the names and folders
// the file dialogs start from, and why a save failed.
#include <cerrno>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include "app/CipherDlg.h"
#include "app/WindowTexts.h"
#include "platform/File.h"

namespace {

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

const char* ReasonOfOsError(int nOsError, bool bWriting) {
    switch (nOsError) {
        case EACCES:
        case EPERM: return bWriting ? texts::kReasonNoPermission : texts::kReasonNoReadPermission;
        case EROFS: return texts::kReasonReadOnly;
        case ENOTDIR: return texts::kReasonNotAFolder;
        case ENOENT: return bWriting ? texts::kReasonNoFolder : texts::kReasonNoFile;
        case EISDIR: return texts::kReasonIsAFolder;
        case ENAMETOOLONG: return texts::kReasonNameTooLong;
        case ENOSPC:
        case EDQUOT: return texts::kReasonDiskFull;
        default: return std::strerror(nOsError);
    }
}

// Why a save left nothing under the path.  The library says only which step failed; the
// operating system's reason for a file that cannot be made is found by making one the same way
// (a temporary file beside the target, removed again).
CString WhyNotWritten(const CDib& dib, const char* lpszPath) {
    if (dib.m_nError == DIB_ERR_MEMORY) return texts::kReasonNoMemory;
    if (dib.m_nError == DIB_ERR_OPEN) {
        CReplaceFile probe;
        CFileException error;
        if (!probe.OpenForReplace(lpszPath, &error)) return ReasonOfOsError(error.m_lOsError, true);
    }
    struct statvfs fs;
    std::string folder = FolderOf(lpszPath);
    if (statvfs(folder.c_str(), &fs) == 0 && (unsigned long long)fs.f_bavail * fs.f_frsize < dib.GetBufSize())
        return texts::kReasonDiskFull;
    return texts::kReasonWriteFailed;
}

}  // namespace

void CCipherDlg::RememberFolder(const char* lpszPath) {
    // A name typed under a file or a missing folder is not a place to start from next time.
    std::string folder = FolderOf(lpszPath);
    struct stat st;
    if (stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) m_strFolder = folder;
}

BOOL CCipherDlg::LoadImageFile(const char* lpszPath) {
    // Read into an image of its own first: the working copy, the view and the radios change
    // only once the file has loaded.
    CDib loaded;
    if (!loaded.LoadFile(lpszPath)) {
        // The library reports what it finds in a file; one it cannot open it leaves to us.
        CFile file;
        CFileException error;
        if (!file.Open(lpszPath, CFile::modeRead, &error)) {
            CString text;
            text.Format(texts::kNotLoaded, lpszPath, ReasonOfOsError(error.m_lOsError, false));
            MessageBox(text, nullptr, MB_ICONSTOP);
        }
        return FALSE;
    }
    m_dibOriginal.Copy(loaded);
    m_dibCipher.Copy(loaded);
    StartRun();
    m_nShow = 0;
    UpdateData(FALSE);
    RedrawImage();
    GetDlgItem(IDC_SHOW_ORIGINAL)->EnableWindow(TRUE);
    GetDlgItem(IDC_SHOW_CIPHER)->EnableWindow(TRUE);
    m_strLoaded = NameOf(lpszPath);
    CString title;
    title.Format(texts::kTitleFormat, GetTemplate().lpszCaption, m_strLoaded.GetString());
    SetWindowText(title);
    return TRUE;
}

void CCipherDlg::OnLoadImage() {
    CFileDialog dlg(TRUE, "bmp", nullptr, 0, texts::kOpenFilter, this);
    dlg.m_ofn.lpstrInitialDir = m_strFolder;
    if (dlg.DoModal() == IDCANCEL) return;
    RememberFolder(dlg.GetPathName());
    LoadImageFile(dlg.GetPathName());
}

void CCipherDlg::OnDropFiles(HDROP hDropInfo) {
    // One image at a time: the first file of the drop.
    if (DragQueryFile(hDropInfo, 0xFFFFFFFF, nullptr, 0) == 0) return;
    UINT nLength = DragQueryFile(hDropInfo, 0, nullptr, 0);
    std::string path(nLength, '\0');
    DragQueryFile(hDropInfo, 0, path.data(), nLength + 1);
    LoadImageFile(path.c_str());
}

CString CCipherDlg::ProposedSaveName() const {
    if (m_strLoaded.IsEmpty()) return CString();
    std::string name = m_strLoaded.str(), ext;
    size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) {
        ext = name.substr(dot);
        name.resize(dot);
    }
    // The window writes BMP and PNG files; a file of another kind is proposed as BMP.
    DibFileKind kind = DibKindOfPath(m_strLoaded);
    if (kind != DibFileKind::Bmp && kind != DibFileKind::Png) ext = ".bmp";
    if (m_nShow == 1) name += texts::kEncryptedSuffix;
    return CString(name + ext);
}

BOOL CCipherDlg::SaveImageFile(CDib& dib, const char* lpszPath) {
    DibFileKind kind = DibKindOfPath(lpszPath);
    CString text;
    if (kind == DibFileKind::Jpeg || kind == DibFileKind::Cpr || kind == DibFileKind::Raw) {
        text.Format(texts::kSaveKindRefused, NameOf(lpszPath).c_str());
        MessageBox(text, nullptr, MB_ICONEXCLAMATION);
        return FALSE;
    }
    if (kind == DibFileKind::Png ? dib.SavePng(lpszPath) : dib.SaveBmp(lpszPath)) return TRUE;
    text.Format(texts::kNotSaved, lpszPath, WhyNotWritten(dib, lpszPath).GetString());
    MessageBox(text, nullptr, MB_ICONSTOP);
    return FALSE;
}

void CCipherDlg::OnSaveImage() {
    // An empty image would make an empty file, over the one the name may already hold.
    UpdateData(TRUE);
    CDib* pDib = SelectedImage();
    if (!pDib || !pDib->IsValid()) {
        MessageBox(texts::kNothingToSave, nullptr, MB_ICONEXCLAMATION);
        return;
    }
    CString proposed = ProposedSaveName();
    CFileDialog dlg(FALSE, "bmp", proposed.IsEmpty() ? nullptr : proposed.GetString(),
                    OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, texts::kSaveFilter, this);
    dlg.m_ofn.lpstrInitialDir = m_strFolder;
    if (DibKindOfPath(proposed) == DibFileKind::Png) dlg.m_ofn.nFilterIndex = texts::kSaveFilterPng;
    if (dlg.DoModal() == IDCANCEL) return;
    RememberFolder(dlg.GetPathName());
    SaveImageFile(*pDib, dlg.GetPathName());
}

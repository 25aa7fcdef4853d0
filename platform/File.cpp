#include "platform/File.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

#include <sys/stat.h>

namespace {
int CauseFromErrno(int err) {
    switch (err) {
        case ENOENT: return CFileException::fileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG: return CFileException::badPath;
        case EMFILE:
        case ENFILE: return CFileException::tooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR: return CFileException::accessDenied;
        case ENOSPC: return CFileException::diskFull;
        case EIO: return CFileException::hardIO;
        default: return CFileException::generic;
    }
}

void StoreLittleEndian(BYTE* p, ULONGLONG v, int n) {
    for (int i = 0; i < n; ++i) p[i] = BYTE(v >> (8 * i));
}

ULONGLONG LoadLittleEndian(const BYTE* p, int n) {
    ULONGLONG v = 0;
    for (int i = 0; i < n; ++i) v |= ULONGLONG(p[i]) << (8 * i);
    return v;
}
}  // namespace

CString CFileException::GetErrorText() const {
    CString s;
    const char* what = m_lOsError ? std::strerror(m_lOsError) : "file error";
    if (m_strFileName.IsEmpty())
        s.Format("%s", what);
    else
        s.Format("%s: %s", static_cast<const char*>(m_strFileName), what);
    return s;
}

CString CArchiveException::GetErrorText() const {
    return m_cause == endOfFile ? "unexpected end of file" : "archive error";
}

CFile::CFile(const char* lpszFileName, UINT nOpenFlags) {
    CFileException e;
    if (!Open(lpszFileName, nOpenFlags, &e)) throw e;
}

CFile::~CFile() {
    if (m_pFile) std::fclose(m_pFile);
}

BOOL CFile::Open(const char* lpszFileName, UINT nOpenFlags, CFileException* pError) {
    if (m_pFile) Close();
    m_strFileName = lpszFileName;
    const char* mode;
    if (nOpenFlags & modeCreate)
        mode = (nOpenFlags & modeReadWrite) ? "w+b" : "wb";
    else if (nOpenFlags & modeReadWrite)
        mode = "r+b";
    else if (nOpenFlags & modeWrite)
        mode = "r+b";  // write without create: the file must exist and is not truncated
    else
        mode = "rb";
    if (lpszFileName) {
        // A directory opens under fopen on Linux; the framework refuses it.
        struct stat st;
        if (stat(lpszFileName, &st) == 0 && S_ISDIR(st.st_mode)) {
            if (pError) *pError = CFileException(CFileException::accessDenied, EISDIR, lpszFileName);
            return FALSE;
        }
    }
    m_pFile = lpszFileName ? std::fopen(lpszFileName, mode) : nullptr;
    if (!m_pFile) {
        int err = lpszFileName ? errno : ENOENT;
        if (pError) *pError = CFileException(CauseFromErrno(err), err, lpszFileName);
        return FALSE;
    }
    return TRUE;
}

void CFile::Close() {
    if (!m_pFile) return;
    int rc = std::fclose(m_pFile);
    m_pFile = nullptr;
    if (rc != 0) ThrowOsError(CauseFromErrno(errno));
}

void CFile::ThrowOsError(int cause) const { throw CFileException(cause, errno, m_strFileName); }

UINT CFile::Read(void* lpBuf, UINT nCount) {
    if (!m_pFile) throw CFileException(CFileException::invalidFile, 0, m_strFileName);
    if (nCount == 0) return 0;
    size_t n = std::fread(lpBuf, 1, nCount, m_pFile);
    if (n < nCount && std::ferror(m_pFile)) {
        std::clearerr(m_pFile);
        ThrowOsError(CFileException::hardIO);
    }
    return UINT(n);
}

void CFile::Write(const void* lpBuf, UINT nCount) {
    if (!m_pFile) throw CFileException(CFileException::invalidFile, 0, m_strFileName);
    if (nCount == 0) return;
    if (std::fwrite(lpBuf, 1, nCount, m_pFile) != nCount) {
        std::clearerr(m_pFile);
        ThrowOsError(CauseFromErrno(errno));
    }
}

LONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom) {
    if (!m_pFile) throw CFileException(CFileException::invalidFile, 0, m_strFileName);
    int whence = nFrom == current ? SEEK_CUR : nFrom == end ? SEEK_END : SEEK_SET;
    if (fseeko(m_pFile, off_t(lOff), whence) != 0) ThrowOsError(CFileException::badSeek);
    return LONGLONG(ftello(m_pFile));
}

ULONGLONG CFile::GetPosition() const {
    if (!m_pFile) throw CFileException(CFileException::invalidFile, 0, m_strFileName);
    return ULONGLONG(ftello(m_pFile));
}

ULONGLONG CFile::GetLength() const {
    if (!m_pFile) throw CFileException(CFileException::invalidFile, 0, m_strFileName);
    std::fflush(m_pFile);
    struct stat st;
    if (fstat(fileno(m_pFile), &st) != 0) ThrowOsError(CFileException::generic);
    return ULONGLONG(st.st_size);
}

void CFile::Flush() {
    if (m_pFile && std::fflush(m_pFile) != 0) ThrowOsError(CauseFromErrno(errno));
}

void CFile::Remove(const char* lpszFileName) {
    if (std::remove(lpszFileName) != 0)
        throw CFileException(CauseFromErrno(errno), errno, lpszFileName);
}

void CFile::Rename(const char* lpszOldName, const char* lpszNewName) {
    if (std::rename(lpszOldName, lpszNewName) != 0)
        throw CFileException(CauseFromErrno(errno), errno, lpszOldName);
}

CReplaceFile::~CReplaceFile() { Abandon(); }

BOOL CReplaceFile::OpenForReplace(const char* lpszTarget, CFileException* pError) {
    Abandon();
    if (!lpszTarget || !*lpszTarget) {
        if (pError) *pError = CFileException(CFileException::badPath, ENOENT, lpszTarget);
        return FALSE;
    }
    struct stat st;
    if (stat(lpszTarget, &st) == 0 && S_ISDIR(st.st_mode)) {
        if (pError) *pError = CFileException(CFileException::accessDenied, EISDIR, lpszTarget);
        return FALSE;
    }
    // The temporary name lies in the target's directory, so the final rename cannot cross file
    // systems; mkstemp makes it unique and creates it with the owner's permissions only.
    std::string tmpl = std::string(lpszTarget) + ".XXXXXX.tmp";
    int fd = mkstemps(tmpl.data(), 4);
    if (fd < 0) {
        if (pError) *pError = CFileException(CauseFromErrno(errno), errno, lpszTarget);
        return FALSE;
    }
    // Give the new file the permissions an ordinary create would have.
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    m_pFile = fdopen(fd, "wb");
    if (!m_pFile) {
        int err = errno;
        ::close(fd);
        std::remove(tmpl.c_str());
        if (pError) *pError = CFileException(CauseFromErrno(err), err, lpszTarget);
        return FALSE;
    }
    m_strFileName = tmpl;
    m_strTarget = lpszTarget;
    return TRUE;
}

void CReplaceFile::Commit() {
    if (m_strTarget.IsEmpty()) throw CFileException(CFileException::invalidFile);
    try {
        Close();
    } catch (CFileException&) {
        Abandon();
        throw;
    }
    if (std::rename(m_strFileName, m_strTarget) != 0) {
        int err = errno;
        CString target = m_strTarget;
        std::remove(m_strFileName);
        m_strTarget.Empty();
        throw CFileException(CauseFromErrno(err), err, target);
    }
    m_strTarget.Empty();
}

void CReplaceFile::Abandon() {
    if (m_pFile) {
        std::fclose(m_pFile);
        m_pFile = nullptr;
    }
    if (!m_strTarget.IsEmpty()) {
        std::remove(m_strFileName);
        m_strTarget.Empty();
    }
}

CArchive::CArchive(CFile* pFile, UINT nMode, int nBufSize) : m_pFile(pFile), m_nMode(nMode) {
    m_buf.reserve(size_t(nBufSize > 0 ? nBufSize : 4096));
}

CArchive::~CArchive() {
    // The framework's destructor does not flush; an archive that was not closed loses its
    // buffered bytes.  Storing archives here are always closed explicitly.
}

void CArchive::Flush() {
    if (IsStoring()) {
        if (!m_buf.empty()) m_pFile->Write(m_buf.data(), UINT(m_buf.size()));
        m_buf.clear();
        m_pFile->Flush();
    } else {
        size_t unread = m_buf.size() - m_nBufPos;
        if (unread) m_pFile->Seek(-LONGLONG(unread), CFile::current);
        m_buf.clear();
        m_nBufPos = 0;
    }
}

void CArchive::Close() { Flush(); }

UINT CArchive::Read(void* lpBuf, UINT nMax) {
    if (!IsLoading()) throw CArchiveException(CArchiveException::writeOnly);
    BYTE* out = static_cast<BYTE*>(lpBuf);
    UINT done = 0;
    while (done < nMax) {
        if (m_nBufPos == m_buf.size()) {
            size_t cap = m_buf.capacity() ? m_buf.capacity() : 4096;
            m_buf.resize(cap);
            UINT got = m_pFile->Read(m_buf.data(), UINT(cap));
            m_buf.resize(got);
            m_nBufPos = 0;
            if (got == 0) break;
        }
        size_t n = std::min<size_t>(nMax - done, m_buf.size() - m_nBufPos);
        std::memcpy(out + done, m_buf.data() + m_nBufPos, n);
        m_nBufPos += n;
        done += UINT(n);
    }
    return done;
}

void CArchive::Write(const void* lpBuf, UINT nMax) {
    if (!IsStoring()) throw CArchiveException(CArchiveException::readOnly);
    m_buf.append(static_cast<const char*>(lpBuf), nMax);
    if (m_buf.size() >= 4096) {
        m_pFile->Write(m_buf.data(), UINT(m_buf.size()));
        m_buf.clear();
    }
}

CArchive& CArchive::WriteValue(const void* p, UINT n) {
    Write(p, n);
    return *this;
}

CArchive& CArchive::ReadValue(void* p, UINT n) {
    if (Read(p, n) != n) throw CArchiveException(CArchiveException::endOfFile);
    return *this;
}

CArchive& CArchive::operator<<(WORD v) {
    BYTE b[2];
    StoreLittleEndian(b, v, 2);
    return WriteValue(b, 2);
}

CArchive& CArchive::operator<<(DWORD v) {
    BYTE b[4];
    StoreLittleEndian(b, v, 4);
    return WriteValue(b, 4);
}

CArchive& CArchive::operator>>(WORD& v) {
    BYTE b[2];
    ReadValue(b, 2);
    v = WORD(LoadLittleEndian(b, 2));
    return *this;
}

CArchive& CArchive::operator>>(DWORD& v) {
    BYTE b[4];
    ReadValue(b, 4);
    v = DWORD(LoadLittleEndian(b, 4));
    return *this;
}

CArchive& CArchive::operator>>(LONG& v) {
    DWORD d;
    *this >> d;
    v = LONG(d);
    return *this;
}

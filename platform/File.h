// Files and archives in the manner of the application framework: CFile reads and writes raw
// bytes and throws CFileException on failure; CArchive buffers typed values over a CFile.
#pragma once

#include <cstdio>
#include <string>

#include "platform/String.h"
#include "platform/Types.h"

class CException {
public:
    virtual ~CException() = default;
    // A short text for messages; the framework's own texts are English.
    virtual CString GetErrorText() const { return "unknown error"; }
    void Delete() {}
};

class CFileException : public CException {
public:
    enum {
        none = 0,
        generic,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile
    };
    CFileException(int cause = none, int osError = 0, const char* fileName = nullptr)
        : m_cause(cause), m_lOsError(osError), m_strFileName(fileName) {}
    CString GetErrorText() const override;

    int m_cause;
    int m_lOsError;
    CString m_strFileName;
};

class CArchiveException : public CException {
public:
    enum { none = 0, generic, readOnly, endOfFile, writeOnly, badIndex, badClass, badSchema };
    explicit CArchiveException(int cause = none) : m_cause(cause) {}
    CString GetErrorText() const override;
    int m_cause;
};

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        modeCreate = 0x1000,
        typeBinary = 0x8000,
    };
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    CFile() = default;
    // Opens or throws CFileException.
    CFile(const char* lpszFileName, UINT nOpenFlags);
    virtual ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // FALSE on failure, with the reason in *pError when given.  modeCreate truncates.
    virtual BOOL Open(const char* lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
    virtual void Close();
    // Returns the bytes read: fewer than asked at the end of the file, never an exception there.
    virtual UINT Read(void* lpBuf, UINT nCount);
    // Writes all bytes or throws.
    virtual void Write(const void* lpBuf, UINT nCount);
    virtual LONGLONG Seek(LONGLONG lOff, UINT nFrom);
    void SeekToBegin() { Seek(0, begin); }
    LONGLONG SeekToEnd() { return Seek(0, end); }
    virtual ULONGLONG GetPosition() const;
    virtual ULONGLONG GetLength() const;
    virtual void Flush();
    BOOL IsOpen() const { return m_pFile != nullptr; }
    const CString& GetFilePath() const { return m_strFileName; }

    static void Remove(const char* lpszFileName);
    static void Rename(const char* lpszOldName, const char* lpszNewName);

protected:
    [[noreturn]] void ThrowOsError(int cause) const;

    FILE* m_pFile = nullptr;
    CString m_strFileName;
};

// A file written under a temporary name beside its target and put in the target's place only by
// Commit, so a failed save never leaves a half-written file under the name the user chose (an
// existing file there stays as it was).  Without Commit the temporary file is removed.
class CReplaceFile : public CFile {
public:
    CReplaceFile() = default;
    ~CReplaceFile() override;
    // Creates the temporary file; the target is not touched.  FALSE when it cannot be made.
    BOOL OpenForReplace(const char* lpszTarget, CFileException* pError = nullptr);
    // Flushes, closes and renames over the target; throws CFileException on failure.
    void Commit();
    // Closes and removes the temporary file.
    void Abandon();

private:
    CString m_strTarget;
};

class CArchive {
public:
    enum Mode { store = 0, load = 1 };

    CArchive(CFile* pFile, UINT nMode, int nBufSize = 4096);
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    BOOL IsStoring() const { return m_nMode == store; }
    BOOL IsLoading() const { return m_nMode == load; }
    CFile* GetFile() const { return m_pFile; }

    // Storing: writes the buffer out.  Loading: gives back what was read ahead, so the file's
    // position is just behind the last value taken from the archive.
    void Flush();
    void Close();

    UINT Read(void* lpBuf, UINT nMax);
    void Write(const void* lpBuf, UINT nMax);

    CArchive& operator<<(BYTE v) { return WriteValue(&v, 1); }
    CArchive& operator<<(WORD v);
    CArchive& operator<<(DWORD v);
    CArchive& operator<<(LONG v) { return *this << DWORD(v); }
    CArchive& operator>>(BYTE& v) { return ReadValue(&v, 1); }
    CArchive& operator>>(WORD& v);
    CArchive& operator>>(DWORD& v);
    CArchive& operator>>(LONG& v);

private:
    CArchive& WriteValue(const void* p, UINT n);
    // Reads exactly n bytes or throws CArchiveException(endOfFile).
    CArchive& ReadValue(void* p, UINT n);

    CFile* m_pFile;
    UINT m_nMode;
    std::string m_buf;
    size_t m_nBufPos = 0;  // loading: next unread byte of m_buf
};

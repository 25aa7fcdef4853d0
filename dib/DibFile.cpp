// Image files by kind, and the whole-file reading and writing the foreign formats share.
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>

#include "dib/Dib.h"

DibFileKind DibKindOfPath(const char* lpszPath) {
    if (!lpszPath) return DibFileKind::Unknown;
    const char* dot = std::strrchr(lpszPath, '.');
    const char* slash = std::strrchr(lpszPath, '/');
    if (!dot || (slash && slash > dot)) return DibFileKind::Unknown;
    std::string ext(dot + 1);
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (ext == "bmp") return DibFileKind::Bmp;
    if (ext == "cpr") return DibFileKind::Cpr;
    if (ext == "raw") return DibFileKind::Raw;
    if (ext == "png") return DibFileKind::Png;
    if (ext == "jpg" || ext == "jpeg") return DibFileKind::Jpeg;
    return DibFileKind::Unknown;
}

BOOL CDib::LoadFile(const char* lpszPath, int nNoHeader) {
    switch (DibKindOfPath(lpszPath)) {
        case DibFileKind::Cpr: return LoadCpr(lpszPath);
        case DibFileKind::Raw: return LoadRaw(lpszPath, nNoHeader);
        case DibFileKind::Png: return LoadPng(lpszPath);
        case DibFileKind::Jpeg: return LoadJpeg(lpszPath);
        default: return LoadBmp(lpszPath);
    }
}

BOOL CDib::SaveFile(const char* lpszPath, const DibSaveOptions& options) {
    switch (DibKindOfPath(lpszPath)) {
        case DibFileKind::Cpr: return SaveCpr(lpszPath, options.nScale, options.bColor);
        case DibFileKind::Raw: return SaveRaw(lpszPath, options.nNoHeader);
        case DibFileKind::Png: return SavePng(lpszPath);
        case DibFileKind::Jpeg: m_nError = DIB_ERR_WRITE; return FALSE;
        default: return SaveBmp(lpszPath);
    }
}

BOOL CDib::ReadWholeFile(const char* lpszPath, std::vector<BYTE>& data) {
    CFile file;
    if (!lpszPath || !file.Open(lpszPath, CFile::modeRead)) {
        m_nError = DIB_ERR_OPEN;
        return FALSE;
    }
    try {
        ULONGLONG nLength = file.GetLength();
        // The image block must fit in 32 bits: no file we can hold an image of is larger.
        if (nLength > UINT32_MAX) return ReportError(DibMsg::NoBufMemory);
        data.resize(size_t(nLength));
        if (file.Read(data.data(), UINT(data.size())) < data.size()) return ReportError(DibMsg::ReadFailed);
    } catch (const CException&) {
        return ReportError(DibMsg::ReadFailed);
    } catch (const std::bad_alloc&) {
        return ReportError(DibMsg::NoBufMemory);
    }
    return TRUE;
}

BOOL CDib::WriteWholeFile(const char* lpszPath, const BYTE* lpData, size_t nLength) {
    CReplaceFile file;
    if (!lpszPath || !file.OpenForReplace(lpszPath)) {
        m_nError = DIB_ERR_OPEN;
        return FALSE;
    }
    if (nLength > UINT32_MAX) {
        file.Abandon();
        m_nError = DIB_ERR_MEMORY;
        return FALSE;
    }
    try {
        file.Write(lpData, UINT(nLength));
        file.Commit();
    } catch (const CException&) {
        file.Abandon();
        return ReportError(DibMsg::WriteFailed);
    }
    return TRUE;
}

void CDib::TakeLoadedImage(CDib& loaded) {
    loaded.m_cprHeader = m_cprHeader;
    loaded.m_nCprMode = m_nCprMode;
    SwapImage(loaded);
}

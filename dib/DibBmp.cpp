// BMP files and archives.  The image block is a BMP file image, so reading is one read of the
// whole file and writing one write of the block.
//
// A file is untrusted: nothing in it is believed until it has been checked against the file's
// length, and the object keeps its old image until the new one is known to be sound.  Files with
// an info header longer than 40 bytes are brought into the library's own layout (40-byte header,
// palette at offset 54), so every later operation can rely on that layout.
#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <vector>

#include "cpr/HuffmanTables.h"
#include "dib/Dib.h"

namespace {

constexpr WORD kBmpSignature = 0x4D42;  // "BM"
constexpr size_t kFileHeaderSize = sizeof(BITMAPFILEHEADER);
constexpr size_t kInfoHeaderSize = sizeof(BITMAPINFOHEADER);
constexpr size_t kHeadersSize = kFileHeaderSize + kInfoHeaderSize;  // 54

DWORD ReadDword(const BYTE* p) { return DWORD(p[0]) | DWORD(p[1]) << 8 | DWORD(p[2]) << 16 | DWORD(p[3]) << 24; }

// Where the parts of a checked BMP file image lie, in bytes from its start.
struct BmpLayout {
    size_t nInfoSize;      // length of the file's info header
    size_t nColors;        // palette entries
    size_t nPaletteOffset; // first palette entry
    size_t nBitsOffset;    // first pixel row
    size_t nImageSize;     // bytes of all pixel rows
};

// Checks everything the library later relies on: the signature, a Windows info header of 40 bytes
// or more, a supported uncompressed bottom-up format, and a palette and pixel rows that lie inside
// the nLength bytes.  Returns true when the image is sound, else the failure's message.
bool CheckBmpImage(const BYTE* p, size_t nLength, BmpLayout& layout, DibMsg& fault) {
    constexpr DibMsg kNotBitmap = DibMsg::NotBitmap, kBadFormat = DibMsg::BadFormat,
                     kTooLarge = DibMsg::NoBufMemory;
    auto fail = [&fault](DibMsg id) {
        fault = id;
        return false;
    };

    if (nLength < 2 || p[0] != 'B' || p[1] != 'M') return fail(kNotBitmap);
    if (nLength < kFileHeaderSize + 4) return fail(kNotBitmap);
    size_t nInfoSize = ReadDword(p + kFileHeaderSize);
    // 12 bytes is the OS/2 header (3-byte palette entries, 16-bit sizes): not a format we read.
    if (nLength < kFileHeaderSize + nInfoSize) return fail(kNotBitmap);
    if (nInfoSize < kInfoHeaderSize) return fail(kBadFormat);

    BITMAPFILEHEADER bfh;
    BITMAPINFOHEADER bih;
    std::memcpy(&bfh, p, sizeof bfh);
    std::memcpy(&bih, p + kFileHeaderSize, sizeof bih);
    if (!DibIsStoredBitCount(bih.biBitCount) || bih.biCompression != BI_RGB || bih.biWidth <= 0 ||
        bih.biHeight <= 0)
        return fail(kBadFormat);

    unsigned long long nColors = bih.biClrUsed ? bih.biClrUsed : DibDefaultColors(bih.biBitCount);
    unsigned long long nPaletteEnd = kFileHeaderSize + nInfoSize + 4 * nColors;
    if (nPaletteEnd > nLength) return fail(kNotBitmap);
    if (bfh.bfOffBits < kFileHeaderSize + nInfoSize) return fail(kNotBitmap);

    unsigned long long nRowBytes = (unsigned long long)DibRowBytes(bih.biWidth, bih.biBitCount);
    unsigned long long nImageSize = nRowBytes * (unsigned long long)bih.biHeight;
    if (nRowBytes > INT_MAX || nImageSize > INT_MAX) return fail(kTooLarge);
    if (bfh.bfOffBits + nImageSize > nLength) return fail(kNotBitmap);

    layout.nInfoSize = nInfoSize;
    layout.nColors = size_t(nColors);
    layout.nPaletteOffset = kFileHeaderSize + nInfoSize;
    layout.nBitsOffset = bfh.bfOffBits;
    layout.nImageSize = size_t(nImageSize);
    return true;
}

}  // namespace

BOOL CDib::AdoptBmpImage(const BYTE* lpData, size_t nLength) {
    BmpLayout layout;
    DibMsg fault;
    if (!CheckBmpImage(lpData, nLength, layout, fault)) return ReportError(fault);
    if (!m_hHeap) {
        m_nError = DIB_ERR_NO_HEAP;
        return FALSE;
    }

    // A file with the 40-byte header is kept byte for byte, so it is written back unchanged.
    // A longer header is cut to 40 bytes with the palette right behind it.
    bool bKeepAsIs = layout.nInfoSize == kInfoHeaderSize;
    size_t nBlockSize = bKeepAsIs ? nLength : kHeadersSize + 4 * layout.nColors + layout.nImageSize;
    if (nBlockSize > UINT32_MAX) return ReportError(DibMsg::NoBufMemory);

    // New blocks first; the old ones go only once nothing can fail any more.
    BYTE* lpBuf = static_cast<BYTE*>(HeapAlloc(m_hHeap, HEAP_ZERO_MEMORY, nBlockSize));
    if (!lpBuf) return ReportError(DibMsg::NoBufMemory);
    BYTE* lpCode = static_cast<BYTE*>(HeapAlloc(m_hHeap, HEAP_ZERO_MEMORY, layout.nImageSize));
    if (!lpCode) {
        HeapFree(m_hHeap, 0, lpBuf);
        return ReportError(DibMsg::NoCodeMemory);
    }

    if (bKeepAsIs) {
        std::memcpy(lpBuf, lpData, nLength);
    } else {
        BITMAPFILEHEADER bfh;
        BITMAPINFOHEADER bih;
        std::memcpy(&bfh, lpData, sizeof bfh);
        std::memcpy(&bih, lpData + kFileHeaderSize, sizeof bih);
        bih.biSize = kInfoHeaderSize;
        bfh.bfOffBits = DWORD(kHeadersSize + 4 * layout.nColors);
        bfh.bfSize = DWORD(nBlockSize);
        std::memcpy(lpBuf, &bfh, sizeof bfh);
        std::memcpy(lpBuf + kFileHeaderSize, &bih, sizeof bih);
        std::memcpy(lpBuf + kHeadersSize, lpData + layout.nPaletteOffset, 4 * layout.nColors);
        std::memcpy(lpBuf + bfh.bfOffBits, lpData + layout.nBitsOffset, layout.nImageSize);
    }

    if (m_lpBuf) HeapFree(m_hHeap, 0, m_lpBuf);
    if (code_stream) HeapFree(m_hHeap, 0, code_stream);
    m_lpBuf = lpBuf;
    code_stream = lpCode;
    m_dwBufSize = DWORD(nBlockSize);
    DeriveMembersFromBlock();

    BuildHuffmanCodes(kDcBits, kDcHuffVal, kAcBits, kAcHuffVal);
    m_nPlaneWidth = m_nRowBytes;
    m_nPlaneHeight = m_nHeight;
    m_nRestartInterval = short(m_nRowBytes / 8);
    return TRUE;
}

BOOL CDib::ReadBmp(CFile* pFile) {
    std::vector<BYTE> data;
    try {
        ULONGLONG nLength = pFile->GetLength();
        if (nLength > UINT32_MAX) return ReportError(DibMsg::NoBufMemory);
        data.resize(size_t(nLength));
        pFile->SeekToBegin();
        if (pFile->Read(data.data(), UINT(data.size())) < data.size()) return ReportError(DibMsg::ReadError);
    } catch (const CFileException&) {
        ReportError(DibMsg::ReadFailed);
        pFile->Close();
        return FALSE;
    } catch (const std::bad_alloc&) {
        return ReportError(DibMsg::NoBufMemory);
    }
    return AdoptBmpImage(data.data(), data.size());
}

BOOL CDib::WriteBmp(CFile* pFile) {
    try {
        if (m_lpBuf && m_dwBufSize) pFile->Write(m_lpBuf, m_dwBufSize);
    } catch (const CFileException&) {
        return ReportError(DibMsg::WriteError);
    }
    return TRUE;
}

BOOL CDib::LoadBmp(const char* lpszPath) {
    CFile file;
    if (!lpszPath || !file.Open(lpszPath, CFile::modeRead)) {
        m_nError = DIB_ERR_OPEN;
        return FALSE;
    }
    BOOL bResult = ReadBmp(&file);
    file.Close();
    return bResult;
}

BOOL CDib::SaveBmp(const char* lpszPath) {
    // Written beside the target and renamed over it only when complete: a failed save leaves the
    // file that was there untouched.
    CReplaceFile file;
    if (!lpszPath || !file.OpenForReplace(lpszPath)) {
        m_nError = DIB_ERR_OPEN;
        return FALSE;
    }
    if (!WriteBmp(&file)) {
        file.Abandon();
        return FALSE;
    }
    try {
        file.Commit();
    } catch (const CFileException&) {
        file.Abandon();
        return ReportError(DibMsg::WriteError);
    }
    return TRUE;
}

void CDib::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        try {
            DWORD dwSize = m_lpBuf ? m_dwBufSize : 0;
            ar << kBmpSignature << dwSize;
            ar.Flush();
            if (dwSize > 6) ar.GetFile()->Write(m_lpBuf + 6, dwSize - 6);
        } catch (const CException&) {
            ReportError(DibMsg::WriteError);
        }
        return;
    }

    std::vector<BYTE> data;
    try {
        WORD wSignature = 0;
        DWORD dwSize = 0;
        ar >> wSignature >> dwSize;
        if (dwSize == 0) {
            // An empty image was stored: the object becomes empty too.
            MakeEmpty();
            return;
        }
        if (wSignature != kBmpSignature) {
            ReportError(DibMsg::InvalidDib);
            return;
        }
        ar.Flush();
        CFile* pFile = ar.GetFile();
        ULONGLONG nLeft = pFile->GetLength() - std::min(pFile->GetLength(), pFile->GetPosition());
        // The stored size is believed only as far as the archive really holds the bytes.
        if (dwSize < 6 || dwSize - 6 > nLeft) {
            ReportError(DibMsg::ReadError);
            return;
        }
        data.resize(dwSize);
        std::memcpy(data.data(), &wSignature, 2);
        std::memcpy(data.data() + 2, &dwSize, 4);
        if (pFile->Read(data.data() + 6, dwSize - 6) < dwSize - 6) {
            ReportError(DibMsg::ReadError);
            return;
        }
    } catch (const CException&) {
        ReportError(DibMsg::ReadError);
        return;
    } catch (const std::bad_alloc&) {
        ReportError(DibMsg::NoBufMemory);
        return;
    }
    AdoptBmpImage(data.data(), data.size());
}

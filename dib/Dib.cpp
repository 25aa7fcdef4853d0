// The record of CDib: construction, buffers, blank images, copies and pixel access.
#include "dib/Dib.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "cpr/HuffmanTables.h"

IMPLEMENT_DYNCREATE(CDib, CObject)

CDib::CDib()
    : m_hHeap(nullptr),
      m_lpBuf(nullptr),
      m_dwBufSize(0),
      m_nBitCount(0),
      m_lpFileHeader(nullptr),
      m_lpInfoHeader(nullptr),
      m_lpBmi(nullptr),
      m_lpBits(nullptr),
      m_nWidth(0),
      m_nHeight(0),
      m_nRowBytes(0),
      m_nImageSize(0),
      m_nColors(0),
      m_lpPalette(nullptr),
      m_nError(0),
      m_nCprMode(2),
      m_pRedPlane(nullptr),
      m_pGreenPlane(nullptr),
      m_pBluePlane(nullptr),
      code_stream(nullptr) {
    // The codec working area starts zeroed: its tables are built by the first Create or read.
    std::memset(&m_cprHeader, 0, reinterpret_cast<BYTE*>(&m_bCodeFull + 1) -
                                     reinterpret_cast<BYTE*>(&m_cprHeader));
    CTime now = CTime::GetCurrentTime();
    m_cprHeader.byYear = BYTE(now.GetYear() - 1900);
    m_cprHeader.byMonth = BYTE(now.GetMonth());
    m_cprHeader.byDay = BYTE(now.GetDay());
    m_nBitsLeft = 8;
    m_hHeap = HeapCreate(0, 0, 0);
}

CDib::~CDib() {
    free(m_pRedPlane);
    free(m_pGreenPlane);
    free(m_pBluePlane);
    if (m_hHeap) {
        if (m_lpBuf) HeapFree(m_hHeap, 0, m_lpBuf);
        if (code_stream) HeapFree(m_hHeap, 0, code_stream);
        HeapDestroy(m_hHeap);
    }
}

void CDib::MakeEmpty() {
    if (m_hHeap) {
        if (m_lpBuf) HeapFree(m_hHeap, 0, m_lpBuf);
        if (code_stream) HeapFree(m_hHeap, 0, code_stream);
    }
    m_lpBuf = nullptr;
    code_stream = nullptr;
    m_dwBufSize = 0;
    m_nBitCount = 0;
    m_lpFileHeader = nullptr;
    m_lpInfoHeader = nullptr;
    m_lpBmi = nullptr;
    m_lpBits = nullptr;
    m_lpPalette = nullptr;
    m_nWidth = m_nHeight = m_nRowBytes = m_nImageSize = m_nColors = 0;
}

BOOL CDib::AllocBuffers() { return AllocBuffers(TRUE, size_t(m_nImageSize)); }

BOOL CDib::AllocBuffers(BOOL bZeroImage, size_t nCodeBytes) {
    if (!m_hHeap) {
        m_nError = DIB_ERR_NO_HEAP;
        return FALSE;
    }
    DWORD dwFlags = bZeroImage ? HEAP_ZERO_MEMORY : 0;
    BYTE* lpBuf = static_cast<BYTE*>(m_lpBuf ? HeapReAlloc(m_hHeap, dwFlags, m_lpBuf, m_dwBufSize)
                                             : HeapAlloc(m_hHeap, dwFlags, m_dwBufSize));
    if (!lpBuf) {
        ReportError(DibMsg::NoBufMemory);
        // The object no longer holds a usable image: release what is left rather than keep
        // pointers into a block that no longer matches the record.
        MakeEmpty();
        return FALSE;
    }
    m_lpBuf = lpBuf;
    m_lpFileHeader = reinterpret_cast<BITMAPFILEHEADER*>(m_lpBuf);
    m_lpInfoHeader = reinterpret_cast<BITMAPINFOHEADER*>(m_lpBuf + 14);
    m_lpBmi = reinterpret_cast<BITMAPINFO*>(m_lpBuf + 14);

    BYTE* lpCode = static_cast<BYTE*>(code_stream ? HeapReAlloc(m_hHeap, dwFlags, code_stream, nCodeBytes)
                                                  : HeapAlloc(m_hHeap, dwFlags, nCodeBytes));
    if (!lpCode) {
        ReportError(DibMsg::NoCodeMemory);
        MakeEmpty();
        return FALSE;
    }
    code_stream = lpCode;
    return TRUE;
}

BOOL CDib::Create(const BITMAPINFOHEADER* lpInfoHeader, const void* lpPalette, int nFill) {
    return CreateImage(lpInfoHeader, lpPalette, nFill, -1);
}

BOOL CDib::CreateForDecoding(int nWidth, int nHeight, int nBitCount) {
    BITMAPINFOHEADER bih = MakeInfoHeader(nWidth, nHeight, nBitCount);
    return CreateImage(&bih, nullptr, -1, 0);
}

BOOL CDib::CreateImage(const BITMAPINFOHEADER* lpInfoHeader, const void* lpPalette, int nFill, long long nCodeBytes) {
    if (!lpInfoHeader) return FALSE;
    BITMAPINFOHEADER bih;
    std::memcpy(&bih, lpInfoHeader, sizeof bih);

    // The stored header must describe the rows as they are made: unsupported depths become
    // 8 bits, and the block always has the 40-byte header with the palette behind it.
    int nBitCount = DibIsStoredBitCount(bih.biBitCount) ? bih.biBitCount : 8;
    bih.biSize = sizeof(BITMAPINFOHEADER);
    bih.biBitCount = WORD(nBitCount);
    bih.biCompression = BI_RGB;
    bih.biPlanes = 1;

    // Refuse sizes that cannot be represented before anything changes.
    long long nColors = bih.biClrUsed ? (long long)bih.biClrUsed : DibDefaultColors(nBitCount);
    if (bih.biWidth <= 0 || bih.biHeight <= 0 || nColors > INT_MAX / 4) {
        m_nError = DIB_ERR_MEMORY;
        return FALSE;
    }
    long long nRowBytes = DibRowBytes(bih.biWidth, nBitCount);
    long long nImageSize = nRowBytes * bih.biHeight;
    long long nBufSize = nImageSize + 4 * nColors + 54;
    if (nRowBytes > INT_MAX || nImageSize > INT_MAX || nBufSize > (long long)UINT32_MAX) {
        m_nError = DIB_ERR_MEMORY;
        return FALSE;
    }

    m_nBitCount = short(nBitCount);
    m_nWidth = bih.biWidth;
    m_nHeight = bih.biHeight;
    m_nColors = int(nColors);
    m_nRowBytes = int(nRowBytes);
    m_nImageSize = int(nImageSize);
    m_dwBufSize = DWORD(nBufSize);
    if (!(nCodeBytes < 0 ? AllocBuffers() : AllocBuffers(FALSE, size_t(nCodeBytes)))) return FALSE;

    m_lpFileHeader->bfType = 0x4D42;
    m_lpFileHeader->bfSize = m_dwBufSize;
    m_lpFileHeader->bfReserved1 = 0;
    m_lpFileHeader->bfReserved2 = 0;
    m_lpFileHeader->bfOffBits = DWORD(4 * m_nColors + 54);
    std::memcpy(m_lpInfoHeader, &bih, sizeof bih);
    m_lpBits = m_lpBuf + m_lpFileHeader->bfOffBits;
    m_lpPalette = reinterpret_cast<RGBQUAD*>(m_lpBuf + 54);

    if (lpPalette) {
        std::memcpy(m_lpPalette, lpPalette, size_t(4) * m_nColors);
    } else {
        // Grey ramp: 0, step, 2 step, ... limited to 255.  A single entry is black.
        int nStep = m_nColors > 1 ? 256 / (m_nColors - 1) : 0;
        int f = 0;
        for (int i = 0; i < m_nColors; ++i) {
            m_lpPalette[i] = RGBQUAD{BYTE(f), BYTE(f), BYTE(f), 0};
            f += nStep;
            if (f > 255) f = 255;
        }
    }
    if (nFill >= 0 && nFill <= 255) Fill(nFill);

    BuildHuffmanCodes(kDcBits, kDcHuffVal, kAcBits, kAcHuffVal);
    return TRUE;
}

BITMAPINFOHEADER CDib::MakeInfoHeader(int nWidth, int nHeight, int nBitCount) {
    BITMAPINFOHEADER bih = {};
    bih.biSize = sizeof(BITMAPINFOHEADER);
    bih.biWidth = nWidth;
    bih.biHeight = nHeight;
    bih.biPlanes = 1;
    bih.biBitCount = WORD(DibIsStoredBitCount(nBitCount) ? nBitCount : 8);
    bih.biCompression = BI_RGB;
    return bih;
}

BOOL CDib::Create(int nWidth, int nHeight, int nBitCount, const void* lpPalette, int nFill) {
    BITMAPINFOHEADER bih = MakeInfoHeader(nWidth, nHeight, nBitCount);
    return Create(&bih, lpPalette, nFill);
}

BOOL CDib::Create(CSize size, int nBitCount, const void* lpPalette, int nFill) {
    return Create(size.cx, size.cy, nBitCount, lpPalette, nFill);
}

void CDib::Fill(int nValue) {
    if (m_lpBits && m_nImageSize > 0) std::memset(m_lpBits, BYTE(nValue), size_t(m_nImageSize));
}

void CDib::Copy(const CDib& source) {
    if (&source == this) return;
    std::memcpy(&m_cprHeader, &source.m_cprHeader, sizeof m_cprHeader);
    m_nCprMode = source.m_nCprMode;
    if (!Create(source.m_lpInfoHeader, source.m_lpPalette, -1)) return;

    // The source's block may be shorter than its header claims (a file's rows are not all
    // there); copy what it really holds.
    auto available = [](const CDib& d, const BYTE* from) -> size_t {
        if (!d.m_lpBuf || !from) return 0;
        size_t offset = size_t(from - d.m_lpBuf);
        return offset < d.m_dwBufSize ? d.m_dwBufSize - offset : 0;
    };
    if (m_lpBuf) {
        size_t n = std::min(size_t(m_nImageSize), available(source, source.m_lpBits));
        if (n) std::memcpy(m_lpBits, source.m_lpBits, n);
    }
    if (code_stream && source.code_stream) {
        // A loaded image's buffer holds its stream, which may be shorter than the image.
        size_t nHeld = HeapSize(source.m_hHeap, 0, source.code_stream);
        if (nHeld == size_t(-1)) nHeld = 0;
        size_t n = std::min({size_t(m_nImageSize), size_t(source.m_nImageSize > 0 ? source.m_nImageSize : 0), nHeld});
        if (n) std::memcpy(code_stream, source.code_stream, n);
    }
}

int CDib::GetPixel(int x, int y) const {
    if (!m_lpBuf || (m_nBitCount != 8 && m_nBitCount != 24)) return -1;
    if (x < 0 || y < 0 || x > m_nWidth - 1 || y > m_nHeight - 1) return -1;
    const BYTE* row = PictureRow(y);
    if (m_nBitCount == 8) return row[x];
    const BYTE* p = row + size_t(3) * size_t(x);
    return p[2] | (p[1] << 8) | (p[0] << 16);
}

BOOL CDib::SetPixel(int x, int y, int nValue) {
    if (!m_lpBuf || (m_nBitCount != 8 && m_nBitCount != 24)) return FALSE;
    if (x < 0 || y < 0 || x > m_nWidth - 1 || y > m_nHeight - 1) return FALSE;
    BYTE* row = PictureRow(y);
    if (m_nBitCount == 8) {
        row[x] = BYTE(nValue);
    } else {
        BYTE* p = row + size_t(3) * size_t(x);
        p[0] = BYTE(nValue >> 16);
        p[1] = BYTE(nValue >> 8);
        p[2] = BYTE(nValue);
    }
    return TRUE;
}

void CDib::ShowMessage(DibMsg id) {
    const DibMessage& message = GetDibMessage(id);
    AfxMessageBox(message.lpszText, message.nStyle);
    if (message.nError != kDibKeepError) m_nError = message.nError;
}

BOOL CDib::ReportError(DibMsg id) {
    ShowMessage(id);
    return FALSE;
}

void* CDib::AllocWork(size_t nCount, size_t nSize) {
    void* p = nSize && nCount <= SIZE_MAX / nSize ? calloc(nCount ? nCount : 1, nSize) : nullptr;
    if (!p) m_nError = DIB_ERR_MEMORY;
    return p;
}

void CDib::DeriveMembersFromBlock() {
    const BITMAPINFOHEADER* bih = reinterpret_cast<const BITMAPINFOHEADER*>(m_lpBuf + 14);
    const BITMAPFILEHEADER* bfh = reinterpret_cast<const BITMAPFILEHEADER*>(m_lpBuf);
    m_lpFileHeader = reinterpret_cast<BITMAPFILEHEADER*>(m_lpBuf);
    m_lpInfoHeader = reinterpret_cast<BITMAPINFOHEADER*>(m_lpBuf + 14);
    m_lpBmi = reinterpret_cast<BITMAPINFO*>(m_lpBuf + 14);
    m_lpBits = m_lpBuf + bfh->bfOffBits;
    m_lpPalette = reinterpret_cast<RGBQUAD*>(m_lpBuf + 54);
    m_nBitCount = short(bih->biBitCount);
    m_nWidth = bih->biWidth;
    m_nHeight = bih->biHeight;
    m_nColors = bih->biClrUsed ? int(bih->biClrUsed) : DibDefaultColors(m_nBitCount);
    m_nRowBytes = int(DibRowBytes(m_nWidth, m_nBitCount));
    m_nImageSize = m_nRowBytes * m_nHeight;
}

void CDib::SwapImage(CDib& other) {
    std::swap(m_hHeap, other.m_hHeap);
    std::swap(m_lpBuf, other.m_lpBuf);
    std::swap(m_dwBufSize, other.m_dwBufSize);
    std::swap(m_nBitCount, other.m_nBitCount);
    std::swap(m_lpFileHeader, other.m_lpFileHeader);
    std::swap(m_lpInfoHeader, other.m_lpInfoHeader);
    std::swap(m_lpBmi, other.m_lpBmi);
    std::swap(m_lpBits, other.m_lpBits);
    std::swap(m_nWidth, other.m_nWidth);
    std::swap(m_nHeight, other.m_nHeight);
    std::swap(m_nRowBytes, other.m_nRowBytes);
    std::swap(m_nImageSize, other.m_nImageSize);
    std::swap(m_nColors, other.m_nColors);
    std::swap(m_lpPalette, other.m_lpPalette);
    std::swap(m_pRedPlane, other.m_pRedPlane);
    std::swap(m_pGreenPlane, other.m_pGreenPlane);
    std::swap(m_pBluePlane, other.m_pBluePlane);
    std::swap(code_stream, other.code_stream);
    // The header and the codec working area are plain data from m_cprHeader on.
    BYTE* a = reinterpret_cast<BYTE*>(&m_cprHeader);
    BYTE* b = reinterpret_cast<BYTE*>(&other.m_cprHeader);
    std::swap_ranges(a, reinterpret_cast<BYTE*>(&m_bCodeFull + 1), b);
}

BOOL CDib::GrowCodeStream(size_t nBytes) {
    if (!m_hHeap || !code_stream) return FALSE;
    size_t nHave = HeapSize(m_hHeap, 0, code_stream);
    if (nHave != size_t(-1) && nHave >= nBytes) return TRUE;
    if (nBytes > size_t(INT_MAX)) return FALSE;
    void* p = HeapReAlloc(m_hHeap, HEAP_ZERO_MEMORY, code_stream, nBytes);
    if (!p) return FALSE;
    code_stream = static_cast<BYTE*>(p);
    return TRUE;
}

// CPR and raw image files, the CPR header and the colour planes.
//
// Loads build the new image in a temporary object and take it over only when they succeed, so
// a failed load leaves the image as it was.  Saves write beside the target and rename over it
// when complete, so a failed save leaves no half-written file and keeps what was there.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "cpr/Codec.h"
#include "dib/Dib.h"

namespace {

constexpr BYTE kColourGrey = 0, kColourOneStream = 1, kColourPlanes = 2;

// Zeroes what a decoded plane of W samples by H rows did not receive: the blocks from nDone on,
// the columns right of the last whole block and the rows below the last whole row of blocks.
void ZeroUndecoded(BYTE* lpRows, long long W, size_t nRowStride, long long H, long long nDone) {
    long long nPerRow = W / 8, nBlockRows = H / 8;
    for (long long r = 0; r < H; ++r) {
        long long nDoneInRow = 0;
        if (r < 8 * nBlockRows) nDoneInRow = std::clamp(nDone - (r / 8) * nPerRow, 0LL, nPerRow);
        std::memset(lpRows + size_t(r) * nRowStride + 8 * nDoneInRow, 0, size_t(W - 8 * nDoneInRow));
    }
}

// Repairs a date stamp that cannot be a creation date, against today.
void RepairDate(CPRHEADER& h) {
    CTime now = CTime::GetCurrentTime();
    if (static_cast<signed char>(h.byYear) < 80) h.byYear = BYTE(now.GetYear() - 1900);
    signed char month = static_cast<signed char>(h.byMonth);
    if (month < 1 || month > 12) h.byMonth = BYTE(now.GetMonth());
    signed char day = static_cast<signed char>(h.byDay);
    if (day < 1 || day > DaysInMonth(h.byYear + 1900, h.byMonth)) h.byDay = BYTE(now.GetDay());
}

// The fewest bytes of stream that code every block of a plane nWidth bytes wide and nHeight rows
// high: a block takes at least 6 bits (the shortest DC code and the end-of-block code), a row of
// blocks ends on a whole byte, and a 2-byte restart marker stands between rows.  Columns and rows
// beyond the last whole block are not coded at all.
unsigned long long MinStreamBytes(long long nWidth, long long nHeight) {
    long long nPerRow = nWidth / 8, nRows = nHeight / 8;
    if (nPerRow <= 0 || nRows <= 0) return 0;
    return (unsigned long long)(nRows * ((6 * nPerRow + 7) / 8) + 2 * (nRows - 1));
}

// A file's header is believed only as far as the file can back it, and this is checked before
// anything is allocated: every stream must lie inside the file and must be long enough to code
// the picture the header describes.  Without this an 8-byte file could claim gigabytes of pixels,
// or a stream of millions of bytes that is not there.  Reads the plane lengths of a three-plane
// file and returns to where it started.
bool StreamsBackHeader(CFile& file, const CPRHEADER& h, int nDepth, bool bPlanes) {
    ULONGLONG nAt = file.GetPosition(), nEnd = file.GetLength();
    if (nAt > nEnd) return false;
    if (!bPlanes)
        return h.dwCodeLen <= nEnd - nAt && MinStreamBytes(DibRowBytes(h.wWidth, nDepth), h.wHeight) <= h.dwCodeLen;
    unsigned long long nNeed = MinStreamBytes(h.wWidth, h.wHeight);
    ULONGLONG nPos = nAt;
    for (int plane = 0; plane < 3; ++plane) {
        DWORD dwLen = 0;
        if (nEnd - nPos < 4) return false;
        file.Seek(LONGLONG(nPos), CFile::begin);
        file.Read(&dwLen, 4);
        nPos += 4;
        if (dwLen > nEnd - nPos || dwLen < nNeed) return false;
        nPos += dwLen;
    }
    file.Seek(LONGLONG(nAt), CFile::begin);
    return true;
}

// A raw file may be short (what it lacks loads as zero), but not so short that a few bytes
// allocate a huge image: past its 4-byte header it must hold at least a sixteenth of the samples
// the header claims.  Pictures up to the headerless 256 x 256 load from any length.
constexpr long long kRawAnyLengthSamples = 256 * 256;
constexpr long long kRawShortFactor = 16;

}  // namespace

int DaysInMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2) return ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0) ? 29 : 28;
    return month >= 1 && month <= 12 ? kDays[month - 1] : 31;
}

void CDib::SetCprHeader(short nScale) {
    m_cprHeader.wWidth = short(m_nWidth);
    m_cprHeader.wHeight = short(m_nHeight);
    m_cprHeader.cScale = static_cast<signed char>(nScale);
}

// ---- colour planes ----

BOOL CDib::AllocPlanes() {
    if (m_nBitCount != 24 || m_nWidth <= 0 || m_nHeight <= 0) return FALSE;
    free(m_pRedPlane);
    free(m_pGreenPlane);
    free(m_pBluePlane);
    // Zeroed, so that planes a caller decodes into and merges show zero where no stream reached.
    size_t n = size_t(m_nWidth) * size_t(m_nHeight);
    m_pRedPlane = AllocWork<BYTE>(n);
    m_pGreenPlane = AllocWork<BYTE>(n);
    m_pBluePlane = AllocWork<BYTE>(n);
    m_nPlaneBytes = m_pRedPlane && m_pGreenPlane && m_pBluePlane ? n : 0;
    return m_nPlaneBytes != 0;
}

BOOL CDib::SplitPlanes() {
    if (m_nBitCount != 24 || !m_lpBits) return FALSE;
    // Planes of this size from an earlier split are overwritten whole rather than made anew.
    size_t n = size_t(m_nWidth) * size_t(m_nHeight);
    bool bKeep = m_pRedPlane && m_pGreenPlane && m_pBluePlane && m_nPlaneBytes == n && n > 0;
    if (!bKeep && !AllocPlanes()) return FALSE;
    const cpr::Kernels& kernels = cpr::ActiveKernels();
    for (int r = 0; r < m_nHeight; ++r) {
        size_t at = size_t(r) * size_t(m_nWidth);
        // Pixels are stored blue, green, red.
        kernels.Deinterleave3(StoredRow(r), m_pBluePlane + at, m_pGreenPlane + at, m_pRedPlane + at, size_t(m_nWidth));
    }
    return TRUE;
}

BOOL CDib::MergePlanes() {
    if (!m_lpBits || m_nBitCount != 24 || !m_pRedPlane || !m_pGreenPlane || !m_pBluePlane) return FALSE;
    for (int r = 0; r < m_nHeight; ++r) {
        BYTE* row = StoredRow(r);
        size_t at = size_t(r) * size_t(m_nWidth);
        for (int x = 0; x < m_nWidth; ++x) {
            row[3 * x] = m_pBluePlane[at + x];
            row[3 * x + 1] = m_pGreenPlane[at + x];
            row[3 * x + 2] = m_pRedPlane[at + x];
        }
    }
    return TRUE;
}

// ---- CPR files ----

BOOL CDib::SaveCpr(const char* lpszPath, short nScale, BOOL bColor) {
    if (m_nBitCount != 8 && m_nBitCount != 24) {
        m_nError = DIB_ERR_CPR;
        return FALSE;
    }
    // What a CPR file cannot hold faithfully is refused before any file is touched: scales
    // outside 3-127 (zero steps, or a scale the header's signed byte changes) and sizes beyond
    // the header's 16-bit fields.
    if (nScale < 3 || nScale > 127 || m_nWidth > SHRT_MAX || m_nHeight > SHRT_MAX) {
        m_nError = DIB_ERR_CPR;
        return FALSE;
    }
    CReplaceFile file;
    if (!lpszPath || !file.OpenForReplace(lpszPath)) {
        m_nError = DIB_ERR_OPEN;
        return FALSE;
    }
    if (m_dwBufSize == 0 || !m_lpBuf) {
        // No image: nothing is written, and a file already there is kept.
        file.Abandon();
        m_nError = DIB_ERR_NO_IMAGE;
        return FALSE;
    }
    bool bPlanes = m_nBitCount == 24 && BYTE(bColor) != 0;
    try {
        if (m_nCprMode == 2) {
            BYTE tag[4] = {'C', 'P', 'R', m_nBitCount == 8 ? kColourGrey : bPlanes ? kColourPlanes : kColourOneStream};
            file.Write(tag, 4);
        }
        if (!bPlanes) {
            if (!EncodePlane(nScale, 0)) {
                file.Abandon();
                m_nError = DIB_ERR_MEMORY;
                return FALSE;
            }
            file.Write(&m_cprHeader, sizeof m_cprHeader);
            file.Write(code_stream, UINT(m_nCodeLen));
        } else {
            // The header keeps the stream length the image had: each plane has its own.
            SetCprHeader(nScale);
            CPRHEADER header = m_cprHeader;
            size_t nAt[3], nLen[3];
            if (!EncodeColourPlanes(nScale, nAt, nLen)) {
                file.Abandon();
                return FALSE;
            }
            file.Write(&header, sizeof header);
            for (int c = 0; c < 3; ++c) {
                DWORD dwLen = DWORD(nLen[c]);
                file.Write(&dwLen, 4);
                file.Write(code_stream + nAt[c], UINT(nLen[c]));
            }
        }
        file.Commit();
    } catch (const CFileException&) {
        file.Abandon();
        m_nError = DIB_ERR_WRITE;
        return FALSE;
    }
    return TRUE;
}

BOOL CDib::ReadCodeStream(CFile& file, CDib& loaded, ULONGLONG nLength, size_t nAt) {
    // Lengths are believed only as far as the image or the file can hold them: a stream can be
    // longer than the image (small scales on busy pictures make those), and bytes a short file
    // does not deliver are zero, never an earlier stream's.
    ULONGLONG nLeft = file.GetLength() - std::min(file.GetLength(), file.GetPosition());
    if (nLength > std::max<ULONGLONG>(ULONGLONG(loaded.m_nImageSize), nLeft) || nLength > ULONGLONG(INT_MAX) ||
        nAt + nLength > size_t(INT_MAX))
        return ReportError(DibMsg::CprReadFailed);
    size_t nHave = loaded.code_stream ? HeapSize(loaded.m_hHeap, 0, loaded.code_stream) : 0;
    if (nHave == size_t(-1) || nAt + nLength > nHave) {
        // Not zero-filled: the file fills it.
        void* p = HeapReAlloc(loaded.m_hHeap, 0, loaded.code_stream, nAt + size_t(nLength));
        if (!p) return ReportError(DibMsg::NoCodeMemoryLoad);
        loaded.code_stream = static_cast<BYTE*>(p);
    }
    loaded.m_nCodeLen = int(nLength);
    UINT nRead = file.Read(loaded.code_stream + nAt, UINT(nLength));
    std::memset(loaded.code_stream + nAt + nRead, 0, size_t(nLength) - nRead);
    return TRUE;
}

BOOL CDib::ReadCprFile(CFile& file, CDib& loaded) {
    int nDepth = 8;
    BYTE tag[4] = {};
    if (m_nCprMode == 2) {
        file.Read(tag, 4);
        if (tag[0] != 'C' || tag[1] != 'P' || tag[2] != 'R') {
            m_nError = DIB_ERR_CPR;
            return FALSE;
        }
        if (tag[3] != kColourGrey) nDepth = 24;
    }
    CPRHEADER header = {};
    if (file.GetLength() < file.GetPosition() + sizeof header) return ReportError(DibMsg::CprReadFailed);
    file.Read(&header, sizeof header);
    loaded.m_cprHeader = header;
    RepairDate(loaded.m_cprHeader);
    if (header.wWidth <= 0 || header.wHeight <= 0) return ReportError(DibMsg::CprBadSize);
    bool bPlanes = nDepth == 24 && tag[3] == kColourPlanes;
    if (!StreamsBackHeader(file, header, nDepth, bPlanes)) return ReportError(DibMsg::CprReadFailed);
    // The decoder writes every sample of the image (what no stream delivers is zeroed here), so
    // the image is not zero-filled first, and its code buffer grows to the streams' length only.
    if (!loaded.CreateForDecoding(header.wWidth, header.wHeight, nDepth)) {
        m_nError = loaded.m_nError;
        return FALSE;
    }
    // Create stamps nothing: the file's header, with its date repaired, is the image's.
    if (!bPlanes) {
        if (!ReadCodeStream(file, loaded, loaded.m_cprHeader.dwCodeLen, 0)) return FALSE;
        long long nDone = 0;
        loaded.DecodePlaneTo(loaded.m_lpBits, loaded.m_nRowBytes, size_t(loaded.m_nRowBytes), nDone);
        ZeroUndecoded(loaded.m_lpBits, loaded.m_nRowBytes, size_t(loaded.m_nRowBytes), loaded.m_nHeight, nDone);
        return TRUE;
    }
    // The three streams, one after the other in the buffer.
    size_t nAt[4] = {0, 0, 0, 0};
    for (int c = 0; c < 3; ++c) {
        DWORD dwLen = 0;
        file.Read(&dwLen, 4);
        if (!ReadCodeStream(file, loaded, dwLen, nAt[c])) return FALSE;
        nAt[c + 1] = nAt[c] + dwLen;
    }
    if (!loaded.DecodeColourPlanes(nAt)) {
        m_nError = loaded.m_nError;
        return FALSE;
    }
    return TRUE;
}

BOOL CDib::DecodeColourPlanes(const size_t nAt[4]) {
    // The three planes are decoded side by side, a row of blocks of each at a time, and
    // interleaved into the pixels (blue, green, red) from a working area of three such rows:
    // no colour planes are made.
    long long W = m_nWidth, H = m_nHeight;  // the header's height, which made the image
    cpr::DecodeTable dc, ac;
    StartDecoding(W, H, dc, ac);
    cpr::PlaneDecoder dec[3];
    for (int c = 0; c < 3; ++c) dec[c].Begin(code_stream + nAt[c], (long long)(nAt[c + 1] - nAt[c]), W, H, m_wQuant, dc, ac);
    size_t nBand = size_t(8) * size_t(W);
    BYTE* lpBand = AllocWork<BYTE>(3 * nBand);
    if (!lpBand) return FALSE;  // m_nError is 4
    const cpr::Kernels& kernels = cpr::ActiveKernels();
    size_t nPixelBytes = size_t(3) * size_t(W);
    for (long long row = 0; row < H; row += 8) {
        for (int c = 0; c < 3; ++c) {
            BYTE* band = lpBand + c * nBand;
            long long nStored = 0;
            if (row + 8 <= H && dec[c].status == cpr::PlaneDecoder::MORE) nStored = dec[c].DecodeRow(band, size_t(W));
            for (int k = 0; k < 8; ++k) std::memset(band + k * size_t(W) + 8 * nStored, 0, size_t(W - 8 * nStored));
        }
        for (long long r = row; r < std::min(row + 8, H); ++r) {
            size_t k = size_t(r - row) * size_t(W);
            BYTE* pixels = StoredRow(int(r));
            // Blue is the third stream, red the first.
            kernels.Interleave3(lpBand + 2 * nBand + k, lpBand + nBand + k, lpBand + k, pixels, size_t(W));
            std::memset(pixels + nPixelBytes, 0, size_t(m_nRowBytes) - nPixelBytes);
        }
    }
    free(lpBand);
    m_nBitPos = dec[2].br.BitPos();
    m_nLastDC = dec[2].nLastDC;
    if (dec[2].status != cpr::PlaneDecoder::RAN_OUT) std::memset(code_stream, 0, size_t(m_nCodeLimit));
    return TRUE;
}

BOOL CDib::LoadCpr(const char* lpszPath) {
    CFile file;
    if (!lpszPath || !file.Open(lpszPath, CFile::modeRead)) {
        m_nError = DIB_ERR_OPEN;
        return FALSE;
    }
    CDib loaded;
    loaded.m_nCprMode = m_nCprMode;
    try {
        if (!ReadCprFile(file, loaded)) return FALSE;
    } catch (const CException&) {
        return ReportError(DibMsg::CprReadFailed);
    }
    SwapImage(loaded);
    return TRUE;
}

// ---- raw sample files ----

BOOL CDib::SaveRaw(const char* lpszPath, int nNoHeader) {
    CReplaceFile file;
    if (!lpszPath || !file.OpenForReplace(lpszPath)) {
        m_nError = DIB_ERR_OPEN;
        return FALSE;
    }
    try {
        if (!(nNoHeader && m_nWidth == 256 && m_nHeight == 256)) {
            short size[2] = {short(m_nWidth), short(m_nHeight)};
            file.Write(size, 4);
        }
        if (m_lpBits && m_nWidth > 0) {
            // A row of a 1, 2 or 4-bit image is shorter than its width in bytes: what it does
            // not hold is written as zero rather than read from beyond the row.
            std::vector<BYTE> row(size_t(m_nWidth), 0);
            size_t nTake = std::min(size_t(m_nWidth), size_t(m_nRowBytes));
            for (int r = m_nHeight - 1; r >= 0; --r) {
                std::memcpy(row.data(), StoredRow(r), nTake);
                file.Write(row.data(), UINT(row.size()));
            }
        }
        file.Commit();
    } catch (const CFileException&) {
        file.Abandon();
        return ReportError(DibMsg::WriteFailed);
    }
    return TRUE;
}

BOOL CDib::LoadRaw(const char* lpszPath, int nNoHeader) {
    CFile file;
    if (!lpszPath || !file.Open(lpszPath, CFile::modeRead)) return FALSE;
    CDib loaded;
    loaded.m_nCprMode = m_nCprMode;
    std::memcpy(&loaded.m_cprHeader, &m_cprHeader, sizeof m_cprHeader);
    try {
        short w = 256, h = 256;
        if (nNoHeader == 0) {
            if (file.GetLength() < 4) return ReportError(DibMsg::RawTooShort);
            file.Read(&w, 2);
            file.Read(&h, 2);
            long long nClaimed = (long long)w * h;
            if (w > 0 && h > 0 && nClaimed > kRawAnyLengthSamples &&
                (unsigned long long)nClaimed > kRawShortFactor * (file.GetLength() - 4))
                return ReportError(DibMsg::RawTooShort);
        }
        if (!loaded.Create(w, h, 8, nullptr, 0)) {
            m_nError = loaded.m_nError;
            return FALSE;
        }
        // Rows the file does not deliver stay zero.
        for (int r = h - 1; r >= 0; --r)
            file.Read(loaded.StoredRow(r), UINT(w));
    } catch (const CFileException&) {
        return ReportError(DibMsg::RawReadFailed);
    }
    SwapImage(loaded);
    return TRUE;
}

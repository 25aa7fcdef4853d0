// CDib: one device-independent bitmap kept in the exact layout of a BMP file, on a private heap
// of its own, with the working area of the CPR codec.
//
// The image block m_lpBuf is a whole BMP file image:
//   offset 0        BITMAPFILEHEADER (14 bytes)
//   offset 14       BITMAPINFOHEADER (40 bytes)
//   offset 54       palette, m_nColors RGBQUAD entries
//   bfOffBits       pixel rows, bottom-up, m_nRowBytes each (a multiple of 4)
// so reading, writing and drawing need no conversion.
//
// Failures are recorded in m_nError (see the codes below) and reported by a FALSE, 0 or null
// result; no exception leaves the library.
#pragma once

#include <vector>

#include "cpr/CprHeader.h"
#include "dib/DibFile.h"
#include "dib/DibMessages.h"
#include "platform/Afx.h"

class CDC;
class CBitmap;
namespace cpr {
struct BitReader;
struct BitWriter;
struct DecodeTable;
struct QuantTable;
}

// Codes stored in m_nError.
enum DibError {
    DIB_ERR_NONE = 0,
    DIB_ERR_OPEN = 1,        // the file cannot be opened
    DIB_ERR_READ = 2,        // reading failed
    DIB_ERR_WRITE = 3,       // writing failed
    DIB_ERR_MEMORY = 4,      // out of memory (also: sizes that cannot be represented)
    DIB_ERR_NOT_BMP = 5,     // not a valid BMP
    DIB_ERR_CPR = 7,         // unsupported for CPR
    DIB_ERR_NO_IMAGE = 9,    // no image
    DIB_ERR_DRAW = 10,       // drawing failed
    DIB_ERR_DRAWDIB = 11,    // no DrawDib context
    DIB_ERR_NO_FFT = 12,     // inverse FFT before the forward one
    DIB_ERR_NO_HEAP = 13,    // no private heap
    DIB_ERR_PLANES = 14,     // colour planes unavailable
};

class CDib : public CObject {
    DECLARE_DYNCREATE(CDib)

public:
    CDib();
    ~CDib() override;
    CDib(const CDib&) = delete;
    CDib& operator=(const CDib&) = delete;

    // ---- record and buffers (Dib.cpp) ----
    BOOL AllocBuffers();
    BOOL Create(const BITMAPINFOHEADER* lpInfoHeader, const void* lpPalette = nullptr, int nFill = -1);
    BOOL Create(int nWidth, int nHeight, int nBitCount, const void* lpPalette = nullptr, int nFill = -1);
    BOOL Create(CSize size, int nBitCount, const void* lpPalette = nullptr, int nFill = -1);
    void Fill(int nValue);
    void Copy(const CDib& source);
    int GetPixel(int x, int y) const;
    BOOL SetPixel(int x, int y, int nValue);
    short GetBitCount() const { return m_nBitCount; }
    DWORD GetBufSize() const { return m_dwBufSize; }
    BOOL IsValid() const { return m_lpBuf != nullptr; }

    // Stored row r (row 0 is the bottom of the picture) and picture row y (row 0 is the top).
    // The caller keeps r and y inside the image.
    BYTE* StoredRow(int r) { return m_lpBits + size_t(r) * size_t(m_nRowBytes); }
    const BYTE* StoredRow(int r) const { return m_lpBits + size_t(r) * size_t(m_nRowBytes); }
    BYTE* PictureRow(int y) { return StoredRow(m_nHeight - 1 - y); }
    const BYTE* PictureRow(int y) const { return StoredRow(m_nHeight - 1 - y); }

    // ---- failures (Dib.cpp) ----
    // Shows the message of the table with its style, stores its code and returns FALSE: the one
    // way an operation of the library fails with a message.
    BOOL ReportError(DibMsg id);
    // Shows a message of the table without failing (a notice); its code, if any, is stored.
    void ShowMessage(DibMsg id);
    // A zeroed working array of nCount elements of nSize bytes from the C runtime (free it with
    // free); null, with m_nError = 4, when it cannot be had or its size overflows.
    void* AllocWork(size_t nCount, size_t nSize);
    template <class T>
    T* AllocWork(size_t nCount) { return static_cast<T*>(AllocWork(nCount, sizeof(T))); }

    // ---- BMP files and archives (DibBmp.cpp) ----
    BOOL ReadBmp(CFile* pFile);
    BOOL WriteBmp(CFile* pFile);
    BOOL LoadBmp(const char* lpszPath);
    BOOL SaveBmp(const char* lpszPath);
    void Serialize(CArchive& ar) override;

    // ---- PNG and JPEG files (DibPng.cpp, DibJpeg.cpp) ----
    BOOL LoadPng(const char* lpszPath);
    BOOL SavePng(const char* lpszPath);
    BOOL LoadJpeg(const char* lpszPath);

    // ---- image files by kind (DibFile.cpp) ----
    // Loads or saves by the file name's extension (DibKindOfPath); any other name is a BMP file.
    // JPEG files are read only: saving one stores 3 and writes nothing.
    BOOL LoadFile(const char* lpszPath, int nNoHeader = 0);
    BOOL SaveFile(const char* lpszPath, const DibSaveOptions& options = DibSaveOptions());

    // ---- display (DibDisplay.cpp) ----
    BOOL Paint(HDC hDC, int x, int y);
    BOOL Paint(CDC* pDC, int x, int y);
    BOOL Paint(CDC* pDC, CPoint pt);
    BOOL Paint(HDC hDC, CPoint pt);
    // mode 1 resamples bilinearly (DrawStretched); any other mode draws through DrawDib.
    BOOL Draw(HDC hDC, int x, int y, int nWidth, int nHeight, int nMode = 0);
    BOOL Draw(CDC* pDC, int x, int y, int nWidth, int nHeight, int nMode = 0);
    BOOL Draw(HDC hDC, const CRect& rect, int nMode = 0);
    BOOL Draw(CDC* pDC, const CRect& rect, int nMode = 0);
    BOOL Draw(CDC* pDC, CPoint topLeft, CPoint bottomRight, int nMode = 0);
    BOOL Draw(HDC hDC, CPoint topLeft, CPoint bottomRight, int nMode = 0);
    BOOL DrawStretched(HDC hDC, int x, int y, int nWidth, int nHeight);
    BOOL DrawStretched(HDC hDC, const CRect& rect);
    BOOL DrawStretched(CDC* pDC, int x, int y, int nWidth, int nHeight);
    BOOL DrawStretched(CDC* pDC, const CRect& rect);
    BOOL DrawStretched(CDC* pDC, CPoint topLeft, CPoint bottomRight);
    BOOL DrawStretched(HDC hDC, CPoint topLeft, CPoint bottomRight);
    // Leaves a new device-dependent bitmap of the image selected in the memory DC and returns
    // the bitmap selected before (null on failure).  The caller selects that one back and then
    // owns the new one (pDC->GetCurrentBitmap() before restoring; delete it when done).
    CBitmap* CreateDDB(CDC* pDC, CSize& size);

    // ---- bilinear resampling (DibResize.cpp) ----
    // An 8- or 24-bit copy of the rectangle's size (its position does not matter); 1 done, 0 refused.
    int Resize(CDib& dest, const CRect& rect);
    // Fills this 8-bit image from nSrcWidth x nSrcHeight samples (rows without padding, row 0
    // with stored row 0) in 10-bit fixed point; returns the rows written, 0 if refused.
    int ResizeFrom(short nSrcWidth, short nSrcHeight, const BYTE* lpSamples);

    // ---- copying, cropping and flipping (DibCopy.cpp) ----
    // Takes the pixels of a device-dependent bitmap of 8, 16, 24 or 32 bits (16 and 32 become
    // 24-bit images); other depths and a null bitmap leave the image alone.
    void CreateFromDDB(CBitmap* pBitmap);
    // A copy that also carries the code-stream buffer.
    void CopyFrom(const CDib& source);
    // The rectangle of an 8- or 24-bit source, right and bottom included; 1 done, 0 refused
    // (a rectangle that does not lie inside the source) or failed.  The CPR header and mode of
    // the source are copied even when the rectangle is refused.
    int CopyRect(const CDib& source, const CRect& rect);
    static bool CopyRectFits(const CDib& source, const CRect& rect);
    void FlipVertical();
    void FlipHorizontal();

    // ---- subsampling and warping (DibWarp.cpp) ----
    // Every x step-th column of every y step-th stored row; 1 done, 0 refused or failed.
    int Subsample(CDib& dest, int nXStep, int nYStep);
    // Quadratic warp of the whole image into dest, bilinear samples rounded at random.
    void Warp(CDib& dest);
    // dest becomes this image with the rectangle's content warped.  The rectangle is the whole
    // image, or lies inside it with right and bottom included (WarpRectFits).
    void WarpRect(CDib& dest, const CRect& rect);
    static bool WarpRectFits(const CDib& image, const CRect& rect);

    // ---- pasting and blending (DibPaste.cpp) ----
    // Pastes the source, resampled to the rectangle's size, into picture rows top + 1 to bottom
    // and columns left to right - 1; the source must have this image's depth and the rows and
    // columns written must lie inside this image (PasteRectFits).
    void Paste(const CDib& source, const CRect& rect);
    static bool PasteRectFits(const CDib& image, const CRect& rect);
    // This image becomes a x weight + b x (1 - weight) of A and B, both resampled to the
    // rectangle's size; the rectangle must lie inside A (BlendRectFits).  this may be A or B.
    void Blend(const CDib& a, const CDib& b, const CRect& rect, double dWeight);
    static bool BlendRectFits(const CDib& a, const CRect& rect);

    // ---- drawing into the image (DibDraw.cpp) ----
    // Picture coordinates; points outside the image are skipped.  On an 8-bit image the grey of
    // the colour is worked out first, once per call, whatever is then painted.
    void DrawLine(int x1, int y1, int x2, int y2, COLORREF colour);
    void DrawRect(const CRect& rect, COLORREF colour);
    void DrawCircle(int nCentreX, int nCentreY, int nRadius, COLORREF colour);
    // UTF-8 text whose cell (font height rows) ends just above picture row y, from column x to
    // the right edge; nothing when (x, y) is outside the image.
    void DrawString(int x, int y, const char* lpszText, int nFontHeight, COLORREF colour, const char* lpszFace);

    // ---- CPR and raw files, colour planes (cpr/CprFile.cpp) ----
    BOOL SaveCpr(const char* lpszPath, short nScale, BOOL bColor);
    BOOL LoadCpr(const char* lpszPath);
    BOOL SaveRaw(const char* lpszPath, int nNoHeader);
    BOOL LoadRaw(const char* lpszPath, int nNoHeader);
    void SetCprHeader(short nScale);
    BOOL SplitPlanes();
    BOOL AllocPlanes();
    BOOL MergePlanes();

    // ---- CPR codec: block transform and quantisation (cpr/Transform.cpp) ----
    void BuildQuantTable(short nScale);
    void ForwardDCT();
    void Quantize(const WORD* lpTable);
    void ZigzagScan();
    void UnZigzag();
    void Dequantize();
    void InverseDCT();

    // ---- CPR codec: entropy coding (cpr/Entropy.cpp) ----
    BOOL EncodePlane(short nScale, BYTE byPlane);
    BOOL DecodePlane(BYTE byPlane);
    void EncodeBlock();
    void EncodeDC(int nDiff);
    void EncodeAC(int nRun, int nValue);
    void PutSymbol(BYTE bySymbol);
    static int BitCategory(int nValue);
    void BuildDecodeTables();
    WORD DecodeBlock();
    BYTE GetBit();

    // Grows code_stream to at least nBytes (zero beyond the old size); FALSE when it cannot.
    BOOL GrowCodeStream(size_t nBytes);

    // ---- CPR codec: Huffman code tables (cpr/HuffmanCodes.cpp) ----
    void BuildHuffmanCodes(const BYTE* lpDcBits, const BYTE* lpDcHuffVal, const BYTE* lpAcBits,
                           const BYTE* lpAcHuffVal);

    // ---- the record, in declaration order ----
    HANDLE m_hHeap;
    BYTE* m_lpBuf;
    DWORD m_dwBufSize;
    short m_nBitCount;
    BITMAPFILEHEADER* m_lpFileHeader;
    BITMAPINFOHEADER* m_lpInfoHeader;
    BITMAPINFO* m_lpBmi;
    BYTE* m_lpBits;
    int m_nWidth;
    int m_nHeight;
    int m_nRowBytes;
    int m_nImageSize;
    int m_nColors;
    RGBQUAD* m_lpPalette;
    int m_nError;
    int m_nCprMode;
    BYTE* m_pRedPlane;
    BYTE* m_pGreenPlane;
    BYTE* m_pBluePlane;
    BYTE* code_stream;
    CPRHEADER m_cprHeader;

    // ---- codec working area (cpr/) ----
    // Plain data from m_cprHeader to m_bCodeFull, handled as one range of raw bytes: the
    // constructor zeroes it and SwapImage exchanges it with memset and swap_ranges, so every
    // member added here must be trivially copyable and stay between those two.
    int m_nCodeLen;               // valid bytes in code_stream
    WORD m_wQuant[64];            // quantiser steps, natural order
    BYTE m_byAcSize[256];         // code length of each AC symbol
    BYTE m_byDcSize[16];          // code length of each DC size category
    BYTE m_byDcLengths[13];       // DC code lengths in code order, then 0
    BYTE m_byAcLengths[165];      // AC code lengths in code order, then 0
    WORD m_wAcCode[256];          // code of each AC symbol, right-aligned
    WORD m_wDcCode[16];           // code of each DC size category, right-aligned
    WORD m_wCodeList[179];        // DC codes in code order from 0, AC codes from 13
    int m_nBlock[64];             // coder: level-shifted samples, then DCT coefficients
    int m_nQuantized[64];         // coder: quantised coefficients, natural order
    short m_nBitsLeft;            // coder: free low bits of code_stream[m_nCodeLen]
    int m_nLastDC;                // DC predictor
    int m_nWork1;
    int m_nZigzag[64];            // quantised coefficients, zigzag order
    int m_nWork2;
    // Decoder tables, indexed by code length 1-16 (entry 0 unused).
    WORD m_wDcMaxCode[17];
    WORD m_wDcMinCode[17];
    WORD m_wDcValPtr[17];
    WORD m_wAcMaxCode[17];
    WORD m_wAcMinCode[17];
    WORD m_wAcValPtr[17];
    short m_nSamples[64];         // decoder: output samples
    short m_nRestartInterval;     // blocks between restart markers
    long long m_nBitPos;          // decoder: read position in bits (wide: long streams)
    int m_nCoef[64];              // decoder: dequantised coefficients, then inverse DCT output
    int m_nPlaneWidth;            // plane being coded: width in bytes
    int m_nPlaneHeight;           // and height in rows
    // Bytes of code_stream the coder and decoder may use: the coder grows the buffer when a
    // stream would outgrow it (small scales on busy images), the decoder never reads beyond it.
    int m_nCodeLimit;
    size_t m_nPlaneBytes;         // bytes of each colour plane as allocated
    BOOL m_bCodeFull;             // coder: code_stream could not grow; the stream is incomplete

protected:
    // ---- record (Dib.cpp) ----
    // AllocBuffers with the image block zero-filled or not, and code_stream of nCodeBytes.
    BOOL AllocBuffers(BOOL bZeroImage, size_t nCodeBytes);
    // Create for a decoder that writes every pixel byte itself (a CPR load): the pixel rows are
    // left as the allocation gives them, and code_stream starts empty, to be sized to the
    // stream rather than to the image.
    BOOL CreateForDecoding(int nWidth, int nHeight, int nBitCount);
    // Create from an info header; nCodeBytes < 0 makes an ordinary blank image, otherwise the
    // pixel rows are not zero-filled and code_stream gets nCodeBytes.
    BOOL CreateImage(const BITMAPINFOHEADER* lpInfoHeader, const void* lpPalette, int nFill, long long nCodeBytes);
    // The info header Create(width, height, bit count) describes.
    static BITMAPINFOHEADER MakeInfoHeader(int nWidth, int nHeight, int nBitCount);
    // Releases both heap blocks and returns the object to the empty state of a new object
    // (m_nError, m_cprHeader, m_nCprMode and the colour planes are kept).
    void MakeEmpty();
    // Recomputes the describing members from the info header at offset 14 of m_lpBuf:
    // bit count, size, colours, row size, image size and the four pointers into the block.
    void DeriveMembersFromBlock();
    // Exchanges everything that makes up the image (heap and blocks, geometry, colour planes,
    // CPR header and codec area) with another object; m_nError and m_nCprMode stay.  A load
    // builds the new image in a temporary object and takes it over only when it succeeded.
    void SwapImage(CDib& other);
    // For an operation whose destination is also one of its sources: `build` makes the result
    // in a new image, which then becomes this object's image (no allocation, so it cannot fail
    // halfway); this object keeps its CPR header and mode, and gets the new image's error code.
    // Returns what build returned; nothing changes when it returns 0 or builds nothing.
    template <class Build>
    int BuildInPlace(Build build) {
        CDib built;
        int nResult = build(built);
        if (built.m_nError) m_nError = built.m_nError;
        if (nResult && built.m_lpBuf) TakeLoadedImage(built);
        return nResult;
    }

    // ---- BMP files (DibBmp.cpp) ----
    // Checks a whole BMP file image of nLength bytes and, only when it is sound, makes it this
    // object's image (in the library's own layout).  On failure shows the message, sets
    // m_nError and leaves the object exactly as it was.
    BOOL AdoptBmpImage(const BYTE* lpData, size_t nLength);

    // ---- whole files (DibFile.cpp) ----
    // Reads a whole file into memory: code 1 when it cannot be opened, the read failure's
    // message otherwise.
    BOOL ReadWholeFile(const char* lpszPath, std::vector<BYTE>& data);
    // Writes beside the target and renames over it when complete.
    BOOL WriteWholeFile(const char* lpszPath, const BYTE* lpData, size_t nLength);
    // Makes a newly read or built image this object's, keeping this object's CPR header and
    // mode (the file had none).
    void TakeLoadedImage(CDib& loaded);

    // ---- CPR files (cpr/CprFile.cpp) ----
    // Reads a CPR file into 'loaded' (a new object); failures are reported on this object.
    BOOL ReadCprFile(CFile& file, CDib& loaded);
    // Reads one code stream of nLength bytes from the file into the buffer of 'loaded' from byte
    // nAt on; the buffer grows to hold it.
    BOOL ReadCodeStream(CFile& file, CDib& loaded, ULONGLONG nLength, size_t nAt);
    // Decodes the three colour streams held in code_stream[nAt[c], nAt[c + 1]) into the pixels.
    BOOL DecodeColourPlanes(const size_t nAt[4]);

    // ---- CPR codec (cpr/Entropy.cpp) ----
    // Sets up the coder's members for a plane W bytes wide (as EncodePlane does before its first
    // block) and makes the quantiser's table.
    void StartEncoding(short nScale, long long W, cpr::QuantTable& quant);
    // The most bytes a row of blocks of a plane W bytes wide adds to a stream, end marker included.
    static size_t RowCodeBytes(long long W);
    // Codes the row of blocks numbered row, 8 rows of samples nStride bytes apart from src, with
    // its restart marker; w must have RowCodeBytes of room.
    void EncodeBlockRow(cpr::BitWriter& w, const BYTE* src, size_t nStride, long long nPerRow, long long row,
                        const cpr::QuantTable& quant) const;
    // Codes the three colour planes of a 24-bit image straight from its pixels; the streams lie in
    // code_stream, red's nLen[0] bytes from nAt[0] on, then green's, then blue's.  m_nCodeLen and
    // dwCodeLen end as EncodePlane (3) leaves them.  FALSE with m_nError set when the working
    // area (14) or the buffer (4) cannot be had.
    BOOL EncodeColourPlanes(short nScale, size_t nAt[3], size_t nLen[3]);
    // One byte of the current stream; 0 beyond m_nCodeLen or the buffer (the stream's end).
    BYTE CodeByte(long long nIndex) const;
    // Makes code_stream hold at least nBytes (m_nCodeLimit follows); FALSE, with m_bCodeFull
    // set, when it cannot grow.
    BOOL ReserveCode(size_t nBytes);
    // Runs code(writer) on the stream as m_nCodeLen and m_nBitsLeft leave it, and stores back.
    template <class Code>
    void PutCodes(Code code);
    // A bit reader on the current stream at a bit position.
    cpr::BitReader ReaderAt(long long nBitPos);
    // Decodes the stream into a plane W samples wide whose rows lie nRowStride bytes apart;
    // nDone receives the number of blocks stored.  Returns as DecodePlane does.
    BOOL DecodePlaneTo(BYTE* lpDst, long long W, size_t nRowStride, long long& nDone);
    // Sets up the decoder's members for a plane of W x H samples (as DecodePlane does before its
    // first block) and makes the look-up tables.
    void StartDecoding(long long W, long long H, cpr::DecodeTable& dc, cpr::DecodeTable& ac);
};

// Bytes per stored row of a BMP: the width in bits rounded up to 32 bits.
inline long long DibRowBytes(long long nWidth, int nBitCount) {
    return ((nWidth * nBitCount + 31) / 32) * 4;
}

// The bit counts an image block can hold: 1, 2, 4, 8 and 24.
inline bool DibIsStoredBitCount(int nBitCount) {
    return nBitCount == 1 || nBitCount == 2 || nBitCount == 4 || nBitCount == 8 || nBitCount == 24;
}

// Palette entries implied by a bit count when the header's colour count is 0.
inline int DibDefaultColors(int nBitCount) {
    switch (nBitCount) {
        case 1: return 2;
        case 2: return 4;
        case 4: return 16;
        case 8: return 256;
        default: return 0;
    }
}

// Display: one to one (Paint), scaled through DrawDib (Draw), resampled (DrawStretched), and as
// a device-dependent bitmap (CreateDDB).
#include "dib/DibBounds.h"

namespace {

HDC SafeHdc(CDC* pDC) { return pDC ? pDC->GetSafeHdc() : nullptr; }

}  // namespace

BOOL CDib::Paint(HDC hDC, int x, int y) {
    if (!m_lpBuf) {
        m_nError = DIB_ERR_NO_IMAGE;
        return FALSE;
    }
    // Only the scan lines the block really holds are handed over; a picture wider or taller than
    // 16 bits is drawn whole.
    long long nLines = DibDrawableLines(*this);
    int nResult = 0;
    if (nLines > 0)
        nResult = SetDIBitsToDevice(hDC, x, y, DWORD(m_lpInfoHeader->biWidth), DWORD(m_lpInfoHeader->biHeight), 0, 0,
                                    0, UINT(nLines), m_lpBits, m_lpBmi, DIB_RGB_COLORS);
    if (nResult == 0) {
        m_nError = DIB_ERR_DRAW;
        return FALSE;
    }
    return TRUE;
}

BOOL CDib::Paint(CDC* pDC, int x, int y) { return Paint(SafeHdc(pDC), x, y); }
BOOL CDib::Paint(CDC* pDC, CPoint pt) { return Paint(SafeHdc(pDC), pt.x, pt.y); }
BOOL CDib::Paint(HDC hDC, CPoint pt) { return Paint(hDC, pt.x, pt.y); }

BOOL CDib::Draw(HDC hDC, int x, int y, int nWidth, int nHeight, int nMode) {
    if (!m_lpBuf) {
        m_nError = DIB_ERR_NO_IMAGE;
        return FALSE;
    }
    if (nMode == 1) return DrawStretched(hDC, x, y, nWidth, nHeight);

    HDRAWDIB hdd = DrawDibOpen();
    if (!hdd) {
        m_nError = DIB_ERR_DRAWDIB;
        return FALSE;
    }
    // The rows are passed explicitly: a file may keep a gap between its palette and its rows,
    // and the rows are where bfOffBits says.  An image whose block does not hold all its rows
    // is not handed to DrawDib, which would read them all.
    BOOL bDrawn = FALSE;
    if (DibDrawableLines(*this) == m_lpInfoHeader->biHeight)
        bDrawn = DrawDibDraw(hdd, hDC, x, y, nWidth, nHeight, m_lpInfoHeader, m_lpBits, 0, 0, -1, -1, 0);
    DrawDibClose(hdd);
    if (!bDrawn) {
        m_nError = DIB_ERR_DRAW;
        return FALSE;
    }
    return TRUE;
}

BOOL CDib::Draw(CDC* pDC, int x, int y, int nWidth, int nHeight, int nMode) {
    return Draw(SafeHdc(pDC), x, y, nWidth, nHeight, nMode);
}
BOOL CDib::Draw(HDC hDC, const CRect& rect, int nMode) {
    return Draw(hDC, rect.left, rect.top, rect.Width(), rect.Height(), nMode);
}
BOOL CDib::Draw(CDC* pDC, const CRect& rect, int nMode) { return Draw(SafeHdc(pDC), rect, nMode); }
BOOL CDib::Draw(CDC* pDC, CPoint topLeft, CPoint bottomRight, int nMode) {
    return Draw(pDC, CRect(topLeft, bottomRight), nMode);
}
BOOL CDib::Draw(HDC hDC, CPoint topLeft, CPoint bottomRight, int nMode) {
    return Draw(hDC, CRect(topLeft, bottomRight), nMode);
}

BOOL CDib::DrawStretched(HDC hDC, int x, int y, int nWidth, int nHeight) {
    CDib temp;
    Resize(temp, CRect(0, 0, nWidth, nHeight));
    if (!temp.m_lpBuf) {
        m_nError = DIB_ERR_MEMORY;
        return FALSE;
    }
    if (!temp.Paint(hDC, x, y)) {
        m_nError = temp.m_nError;
        return FALSE;
    }
    return TRUE;
}

BOOL CDib::DrawStretched(HDC hDC, const CRect& rect) {
    return DrawStretched(hDC, rect.left, rect.top, rect.Width(), rect.Height());
}
BOOL CDib::DrawStretched(CDC* pDC, int x, int y, int nWidth, int nHeight) {
    return DrawStretched(SafeHdc(pDC), x, y, nWidth, nHeight);
}
BOOL CDib::DrawStretched(CDC* pDC, const CRect& rect) { return DrawStretched(SafeHdc(pDC), rect); }
BOOL CDib::DrawStretched(CDC* pDC, CPoint topLeft, CPoint bottomRight) {
    return DrawStretched(pDC, CRect(topLeft, bottomRight));
}
BOOL CDib::DrawStretched(HDC hDC, CPoint topLeft, CPoint bottomRight) {
    return DrawStretched(hDC, CRect(topLeft, bottomRight));
}

CBitmap* CDib::CreateDDB(CDC* pDC, CSize& size) {
    if (m_dwBufSize == 0 || !m_lpBuf || !pDC) {
        size = CSize(0, 0);
        return nullptr;
    }
    // A memory DC makes bitmaps in the format of its selected bitmap, so a 1 x 1 bitmap of the
    // wanted format is selected first: monochrome for 1-bit images, the device's otherwise.
    int nPlanes = pDC->GetDeviceCaps(PLANES);
    int nBitsPixel = pDC->GetDeviceCaps(BITSPIXEL);
    CBitmap tiny;
    if (m_nBitCount == 1)
        tiny.CreateBitmap(1, 1, 1, 1, nullptr);
    else
        tiny.CreateBitmap(1, 1, UINT(nPlanes), UINT(nBitsPixel), nullptr);
    CBitmap* pOld = pDC->SelectObject(&tiny);

    HBITMAP hBitmap = nullptr;
    if (DibDrawableLines(*this) == m_lpInfoHeader->biHeight)
        hBitmap = CreateDIBitmap(pDC->GetSafeHdc(), m_lpInfoHeader, CBM_INIT, m_lpBits,
                                 m_lpBmi, DIB_RGB_COLORS);
    if (hBitmap) {
        CBitmap* pBitmap = new CBitmap;
        pBitmap->Attach(hBitmap);
        BITMAP bm = {};
        pBitmap->GetObject(sizeof bm, &bm);
        // The new bitmap stays selected; a DC that cannot hold it gets nothing, and nothing leaks.
        if (pDC->SelectObject(pBitmap)) {
            size = CSize(bm.bmWidth, bm.bmHeight);
            return pOld;
        }
        delete pBitmap;
    }
    if (pOld) pDC->SelectObject(pOld);
    return nullptr;
}

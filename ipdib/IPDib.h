// CIPDib: a CDib that also carries the results and working state of the image-processing
// operations: histograms and their peaks, the grey-conversion flag, the border rule and kernel
// orientation of the neighbourhood filters, the 2-D FFT buffers and statistics, and the selected
// wavelet filter bank with its working geometry.
//
// Cache flags: an operation that changes pixel bytes of this image clears m_bHistValid; one that
// replaces the whole image (Copy, CopyFrom, CopyRect, a successful load) clears m_bHistValid,
// m_bColorHistValid and m_bGrayed.  The CDib editing and drawing operations leave all three alone.
//
// The FFT and filter buffers are the object's own, from malloc, freed with free.
#pragma once

#include "dib/Dib.h"

class CIPDib : public CDib {
    DECLARE_DYNCREATE(CIPDib)

public:
    CIPDib();
    ~CIPDib() override;

    // ---- the record and its image-replacing operations (IPDib.cpp) ----
    // Each wraps the CDib operation of the same name and then clears the three cache flags; the
    // loaders clear them only when the load succeeded.
    void Copy(const CDib& source);
    void CopyFrom(const CDib& source);
    void CopyRect(const CDib& source, const CRect& rect);
    BOOL LoadBmp(const char* lpszPath);
    BOOL LoadRaw(const char* lpszPath, int nNoHeader);
    BOOL LoadCpr(const char* lpszPath);
    // Clears the three cache flags (what every image-replacing operation does last).
    void ForgetAnalysis() { m_bColorHistValid = m_bHistValid = m_bGrayed = 0; }

    // ---- histograms, profiles and projections (IPDibHist.cpp) ----

    // 8- and 24-bit images; a 24-bit pixel counts at its grey level truncated.  Fills m_dHist,
    // m_dHistCum, m_dHistMax, m_nHistPeak and sets m_bHistValid.
    void CalcGrayHist();
    // 24-bit images: the per-channel tables, channel 0 blue; sets m_bColorHistValid.
    void CalcColorHist();
    // Smooths 256 values in place over i - a .. i + a: kernel 0 the mean of the neighbours there,
    // any other a Gaussian of sigma a / 3.  1 done; 0 for a null pointer or a outside 0..127.
    int SmoothHist(double* pHist, int nHalfWidth, int nKernel);
    // The most frequent level (the lowest on a tie) of an 8-bit image in columns left..right and
    // stored rows top..bottom, bounds included; -1 for a window outside the image or empty.
    int GetRegionMode(int nLeft, int nTop, int nRight, int nBottom) const;
    // One byte per pixel: column flag 0, picture row nIndex left to right (width bytes); else
    // column nIndex from the bottom of the picture up (height bytes).  24-bit pixels give their
    // grey level rounded at random.
    void GetLineProfile(int bColumn, int nIndex, BYTE* pOut);
    // Sums of the (grey) levels per column (flag 0, width entries) or per picture row (height
    // entries), scaled so that the largest is 1; an all-black image gives zeros.
    void GetProjection(int bRows, double* pOut);

    // ---- grey conversion and point operations (IPDibPoint.cpp) ----

    // Makes each 24-bit pixel, or each palette entry of another depth, grey: the grey level goes
    // into the channels the mask selects (1 red, 2 green, 4 blue; 0 all) and the others become 0.
    // A second call moves the grey level found in the first non-zero channel.  Sets m_bGrayed.
    void ConvertToGray(int nMask);
    // dest becomes an 8-bit image of this 24-bit one's size: mode 0 grey, 1 blue, 2 green,
    // 3 green and red, 4 red, 5 blue and red, 6 blue and green; other modes give 0.  dest may be
    // this image.
    void ConvertTo8Bit(CDib& dest, int nMode);
    // Every pixel byte v of an 8- or 24-bit image becomes pLut[v].
    void ApplyLut(const BYTE* pLut);
    // Each channel of a 24-bit image through its table; a null table leaves its channel alone.
    void ApplyLut3(const BYTE* pBlue, const BYTE* pGreen, const BYTE* pRed);
    // Spreads the bytes' range over 0..255; a flat image stays as it is.
    void StretchContrast();
    // Maps every byte through 256 x the cumulative grey histogram (computed first if not valid).
    void EqualizeHist();
    // Copies blue, green and red of each palette entry from the array (reserved bytes stay).
    void SetPalette(const RGBQUAD* pPalette);
    // Each byte of an 8-bit image becomes |own - other's| when other is 8-bit of the same size.
    void AbsDiff(const CDib& other);

    // ---- thresholding and background polarity (IPDibThreshold.cpp) ----

    // The level halfway between the highest peak of the 256 values (m_nPeak1) and the highest
    // value at least byMinDistance levels from it that is not on a slope (m_nPeak2); -1 when
    // there is no such second peak, or the image is not 8-bit.
    int FindBimodalThreshold(const double* pHist, BYTE byMinDistance);
    // Every byte of an 8-bit image becomes 255 at or above the threshold (above it when strict),
    // else 0.
    void Binarize(BYTE byThreshold, int bStrict);
    // 1 when an 8-bit image shows a light background (judged by the most frequent levels of nine
    // small windows against the threshold between the peaks of its histogram), 0 a dark one,
    // -1 refused.  Draws from the random generator as an equalisation does.
    int IsLightBackground();

    // ---- histogram chart (IPDibChart.cpp) ----

    // An 8-bit image draws a bar chart of 256 values (usually m_dHist) into the DC, centred in a
    // rectangle at least 256 pixels wide: a dotted blue grid every 32 levels and every eighth of
    // the height, red level labels under it and m_dHistMax as a percentage at the top left, a
    // frame one pixel outside with the DC's pen, and one bar per level drawn with that pen in
    // R2_NOTXORPEN.  Mode 0 scales the bars to m_dHistMax (which CalcGrayHist must have set),
    // any other mode to 256.  The text colour is left red.
    void DrawHist(CDC* pDC, CRect rect, const double* pValues, int nMode);

    // ---- two-dimensional FFT (IPDibFft.cpp) ----


    // ---- wavelet filter banks and the decomposition core (IPDibWaveBanks.cpp, IPDibWavelet.cpp) ----


    // ---- wavelet image operations (IPDibWaveImage.cpp) ----


    // ---- neighbourhood access, convolution and gradients (IPDibConvolve.cpp, IPDibGradient.cpp) ----


    // ---- local statistics, morphology, line transform, negative (IPDibLocal.cpp, IPDibMorph.cpp,
    //      IPDibHough.cpp, IPDibNegative.cpp) ----


    // ---- the record, in declaration order ----
    // Members marked "not set" are left alone by the constructor: every operation that reads
    // one computes it first or checks the flag or pointer that guards it.
    double m_dHist[256];           // grey histogram, share of pixels per level (not set)
    double m_dHistCum[256];        // cumulative grey histogram (not set)
    double m_dHistMax;             // largest value of m_dHist (not set)
    int m_bHistValid;              // 1 while the four grey tables describe the current pixels
    int m_nHistPeak;               // lowest level at which m_dHistMax stands (not set)
    int m_nPeak1;                  // highest peak of the last bimodal threshold search (not set)
    int m_nPeak2;                  // its second peak, -1 when none was found (not set)
    int m_bGrayed;                 // 1 once the channel-mask grey conversion has run
    double m_dColorHist[3][256];   // per channel: 0 blue, 1 green, 2 red (not set)
    double m_dColorHistCum[3][256];
    double m_dColorHistMax[3];
    int m_nColorHistPeak[3];
    int m_bColorHistValid;         // 1 once the four per-channel tables have been computed
    int m_nBorderMode;             // beyond the edge: 1 mirror, 2 hold, 3 wrap, other values read 0
    int m_bNoFlipKernel;           // 1: kernels applied as given; 0: point-reflected first
    double* m_pFftRe;              // m_nFftWidth x m_nFftHeight real parts (owned, malloc)
    double* m_pFftIm;              // imaginary parts, same size (owned, malloc)
    int m_nFftWidth;               // powers of two not below the image's width and height
    int m_nFftHeight;
    double m_dFftMagMax, m_dFftMagMin;
    double m_dFftReMax, m_dFftReMin;
    double m_dFftImMax, m_dFftImMin;
    CString m_strWavelet;          // selected wavelet, lower-cased
    double* m_pWaveHiD;            // decomposition high-pass (owned, malloc)
    double* m_pWaveLoD;            // decomposition low-pass (owned, malloc)
    double* m_pWaveHiR;            // reconstruction high-pass (owned, malloc)
    double* m_pWaveLoR;            // reconstruction low-pass (owned, malloc)
    int m_nWaveHiDLen, m_nWaveLoDLen, m_nWaveHiRLen, m_nWaveLoRLen;
    int m_nWavePadX, m_nWavePadY;  // extension columns and rows before the image
    int m_nWaveExtWidth, m_nWaveExtHeight;  // size of the extended working array
};

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


    // ---- grey conversion and point operations (IPDibPoint.cpp) ----


    // ---- thresholding and background polarity (IPDibThreshold.cpp) ----


    // ---- histogram chart (IPDibChart.cpp) ----


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

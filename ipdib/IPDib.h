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
    // The spectrum of an 8-bit image lives in m_pFftRe / m_pFftIm, m_nFftWidth x m_nFftHeight
    // (the powers of two not below the image's size), rows in storage order.  A forward transform
    // (direction 1) carries the factor 1 / (width x height); the inverse is unscaled.
    // FFT2D: the rows, then the columns, of width x height doubles in place; 1 done, 0 when the
    // scratch memory cannot be had (message, code 4) or a size is not a power of two (refused).
    int FFT2D(double* re, double* im, int nWidth, int nHeight, int nDirection);
    // Direction 1: the image's pixels, zero-padded, into a new spectrum, and its extremes.  Any
    // other: the held spectrum transformed back in place (code 12 when there is none).  0 when
    // the image is not 8-bit.
    int FFT2(int nDirection);
    // Renders the spectrum as an 8-bit image into dest (which may be this image).  mode & 0x0F:
    // 2 logarithmic, 4 linear, 8 absolute value then window, else window [lower, upper];
    // mode & 0x70: 0x20 real part, 0x40 imaginary part, else magnitude; 0x80: dest gets the
    // image's own size instead of the spectrum's, without centring.  centre swaps each half of
    // each axis so that the zero frequency lies in the middle.
    void SpectrumToImage(CIPDib& dest, int nMode, double dUpper, double dLower, int bCentre);

protected:
    // FFT2D with FFT2's shortcuts: the rows read from pPixels' padded pixels instead of re and im
    // (at least eight rows), the value extremes (see ipdib::TransformKernels) into pExtremes.
    int Transform2D(double* re, double* im, int nWidth, int nHeight, int nDirection, const CDib* pPixels,
                    double* pExtremes);

public:


    // ---- wavelet filter banks and the decomposition core (IPDibWaveBanks.cpp, IPDibWavelet.cpp) ----
    // Selects a bank of the table by name, in any case: m_strWavelet and the four filters then
    // describe it.  An unknown name (or memory that cannot be had, code 4) changes nothing and
    // gives FALSE.
    BOOL SetWavelet(const char* lpszName);
    // The table's banks, in lookup order: their number, and the name of bank i (null outside).
    static int WaveletCount();
    static const char* WaveletName(int nIndex);
    // x[index] of an array whose last index is last, read beyond its ends by m_nBorderMode:
    // 1 reflect (the end samples are not repeated), 2 clamp, 3 wrap with period last, other 0.
    double GetExtendedValue(const double* x, int index, int last) const;
    // x[i] = sum over j of h[j] x x[i - j - shift] (read by GetExtendedValue), for i < n.
    void Convolve1D(double* x, int n, const double* h, int hLen, int shift);
    // One level of the separable transform of a width x height array (rows in storage order):
    // the approximation in the top-left quarter of the picture (storage rows height / 2 on,
    // columns from 0), row details top right, column details bottom left, both bottom right.
    // FALSE, out untouched, without a bank or when memory cannot be had (code 4).
    BOOL WaveletDecompose2D(double* out, const double* in, int width, int height);
    BOOL WaveletReconstruct2D(double* out, const double* in, int width, int height);
    // This 8-bit image's pixels into data (width x height) and levels decompositions of the
    // top-left corner, each on the approximation of the one before; levels 0 to 10, each level
    // at least one sample.  FALSE when refused, or when memory cannot be had (code 4).
    BOOL WaveletDecomposeLevels(double* data, int levels);
    // in copied to out, and levels reconstructions in place, from the coarsest; the same limits.
    BOOL WaveletReconstructLevels(double* out, const double* in, int width, int height, int levels);


    // ---- wavelet image operations (IPDibWaveImage.cpp) ----
    // The geometry of a decomposition in levels (0 to 10) of this image with the selected bank:
    // pads and the extended size, a multiple of 2^levels.  FALSE, changing nothing, without a
    // bank or with sizes that do not fit.
    BOOL ComputeWaveletPadding(int levels);
    // dest becomes this 8-bit image with padX columns and padY rows added on each side (one
    // more on the right / at the bottom for an odd size): type 0 zeros, 1 mirror, 2 replicate,
    // any other periodic.
    BOOL ExtendImage(CIPDib& dest, int padX, int padY, int type);
    // The pyramid of this image, extended by type, into data (m_nWaveExtWidth x m_nWaveExtHeight
    // doubles, as ComputeWaveletPadding(levels) leaves them).
    BOOL WaveletDecompose(double* data, int levels, int type);
    // dest becomes this image's size, reconstructed from such a pyramid in no more levels than
    // the decomposition made, rendered by mode (see DoublesToImage).
    BOOL WaveletReconstruct(CIPDib& dest, const double* data, int levels, int mode);
    // The same for a pyramid of this image's own size, read beyond its borders by m_nBorderMode.
    BOOL WaveletReconstructUnextended(CIPDib& dest, const double* data, int levels, int mode);
    // dest becomes an 8-bit width x height image of the row-major array (row 0 = storage row 0):
    // mode 0 clamped to 0..255, 1 absolute values (written back into data) up to 255, 2 signed
    // around 128 (v / 2 + 128), 3 scaled by 255 / (max - min); other modes leave the pixels 0.
    // 1 done, 0 when dest cannot be created.
    int DoublesToImage(CIPDib& dest, double* data, int width, int height, int mode);
    int IntsToImage(CIPDib& dest, int* data, int width, int height, int mode);
    // The levels ComputeWaveletPadding last laid out, -1 before; a reconstruction asks for no
    // more than these.
    int m_nWaveLevels = -1;


    // ---- neighbourhood access, convolution and gradients (IPDibConvolve.cpp, IPDibGradient.cpp) ----
    // Square kernels of n x n doubles (n odd and positive): element (dx + n/2) * n + (dy + n/2)
    // weights the neighbour at (x + dx, y + dy), so the outer index runs along x.  When
    // m_bNoFlipKernel is 0 a call first reverses the caller's array in place (the point
    // reflection), so the same call again reverses it back.  Rectangles are picture rectangles
    // with right and bottom included, lying inside the image.  Whole-image arrays have
    // m_nRowBytes elements per row and m_nHeight rows in storage order (only the first m_nWidth
    // of a row are written); rectangle arrays have the rectangle's width and height, row 0 its
    // bottom line.  Calls on anything but an 8-bit image, or with a bad size or rectangle, do
    // nothing.
    //
    // The pixel (x + dx, y + dy), picture coordinates; beyond the edge by m_nBorderMode: 1
    // mirrors the offset about (x, y), 2 holds the centre's coordinate, 3 wraps once, any other
    // mode (or a position still outside) reads 0.  0 also for (x, y) outside or no 8-bit image.
    BYTE GetNeighbour(int x, int y, int dx, int dy) const;
    void ConvolveToArray(double* lpKernel, int n, double* lpOut);
    // Renders the responses into a buffer laid out like this image's pixels.  Modes: 0 clamps to
    // 0..255, 1 takes the magnitude, 2 maps 0 to 128 at half scale, 3 stretches the range of the
    // responses over 0..255; values are rounded at random at exact halves, in storage order.  Any
    // other mode writes nothing.  A failed working allocation stores 4.
    void ConvolveToPixels(double* lpKernel, int n, BYTE* lpDest, int nMode);
    void ConvolveImage(double* lpKernel, int n, int nMode);
    void ConvolveRectToArray(double* lpKernel, int n, const CRect& rect, double* lpOut);
    // dest becomes an 8-bit image of the rectangle's size showing it upright (dest may be this).
    void ConvolveRectToImage(double* lpKernel, int n, const CRect& rect, CIPDib& dest, int nMode);
    // a = the pixel minus the one above it, b = the pixel minus the one to its left (below and
    // right with m_bNoFlipKernel 0); magnitude sqrt(a^2 + b^2), direction atan(b / a) in
    // -pi/2 .. pi/2, 0 where a and b are both 0.
    void Gradient(double* lpMagnitude, double* lpDirection);
    void GradientRect(const CRect& rect, double* lpMagnitude, double* lpDirection);


    // ---- local statistics, morphology, line transform, negative (IPDibLocal.cpp, IPDibMorph.cpp,
    //      IPDibHough.cpp, IPDibNegative.cpp) ----
    // Local mean and sample standard deviation in a window of a columns by b rows (both odd),
    // neighbours read as GetNeighbour reads them.  The arrays have m_nWidth elements per row (the
    // rectangle's width for the rectangle form) in storage order.  A 1 x 1 window has standard
    // deviation 0.
    void LocalMeanStd(int a, int b, double* lpMean, double* lpStdDev);
    void LocalMeanStdRect(int a, int b, const CRect& rect, double* lpMean, double* lpStdDev);
    // Each pixel becomes the masked neighbour nearest to the masked neighbours' mean (the earlier
    // mask position on a tie).  The mask is a columns by b rows of bytes (both odd), row 0 at the
    // top of the window; non-zero bytes select.  A mask that selects nothing makes every pixel 0.
    void NearestToMeanFilter(const BYTE* lpMask, int a, int b);
    // Black-and-white morphology with a w x h byte mask whose rows advance upwards in the
    // picture; outside the image reads as white.  With bBlackObjects 0 the objects are white on
    // black; otherwise black on white.  The result is purely black and white.
    void Erode(const BYTE* lpMask, int w, int h, int bBlackObjects);
    void Dilate(const BYTE* lpMask, int w, int h, int bBlackObjects);
    // Line accumulator: nTheta rows of nRho ints, element k * nRho + r counting the counted
    // pixels (255, or 0 with bBlackObjects) on the line at angle step k and distance bin r, the
    // origin at the bottom-left pixel.  Sizes below 1, or a product that overflows, do nothing.
    void HoughLines(int* lpAcc, int nRho, int nTheta, int bBlackObjects);
    // A 24-bit image inverts its pixels; other depths invert their palette.
    void Negative();
    // Every pixel byte of an 8- or 24-bit image (row padding included) becomes 255 minus itself.
    void InvertPixels();


    // ---- the record, in declaration order ----
    // Members marked "not set" are left alone by the constructor: every operation that reads
    // one computes it first or checks the flag or pointer that guards it.
    double m_dHist[256];           // grey histogram, share of pixels per level (not set)
    double m_dHistCum[256];        // cumulative grey histogram (not set)
    double m_dHistMax;             // largest value of m_dHist (0 until CalcGrayHist runs)
    int m_bHistValid;              // 1 while the four grey tables describe the current pixels
    int m_nHistPeak;               // lowest level at which m_dHistMax stands (0 until computed)
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

// ---- free functions of the FFT and the wavelet geometry (IPDibFft.cpp, IPDibWaveImage.cpp) ----
// In place over n doubles: direction -1 the inverse kernel, any other the forward one, scaled by
// 1 / n only for direction 1.  FALSE, touching nothing, when n is not a power of two.
BOOL FFT1D(double* re, double* im, int n, int nDirection);
// a^n for n >= 1, 1 for n <= 0 (0 when a is 0); 0 when the result does not fit in an int.
int IntPower(int a, int n);
// The pad before a signal of size samples for a decomposition in levels with filters of
// filterLen taps, and the extended size (a multiple of 2^levels); -1 for a negative size, more
// than 30 levels, or results beyond int.
int WaveletPad(int size, int filterLen, int levels);
int WaveletExtendedSize(int size, int filterLen, int levels);

// The neighbourhood filters, the FFT and the wavelet core written step by step, pixel by pixel
// and term by term, one statement per rule, without any shortcut.  They are the yardstick of
// the fast forms in ipdib/: the tests compare arrays, pixels and generator states with these
// bit for bit, and the benchmarks report speeds relative to them.  The program itself never
// calls these.
//
// The filters assume sound arguments (8-bit image, odd sizes, rectangles inside the image);
// the refusals are the fast forms' business.
#pragma once

#include "ipdib/IPDib.h"

namespace literal {
// Neighbourhood filters.
BYTE Neighbour(const CIPDib& dib, int x, int y, int dx, int dy);
// Reverses the kernel first when m_bNoFlipKernel is 0, as the fast forms do.
void ConvolveToArray(CIPDib& dib, double* lpKernel, int n, double* lpOut);
void ConvolveRectToArray(CIPDib& dib, double* lpKernel, int n, const CRect& rect, double* lpOut);
void ConvolveToPixels(CIPDib& dib, double* lpKernel, int n, BYTE* lpDest, int nMode);
void Gradient(CIPDib& dib, double* lpMagnitude, double* lpDirection);
void LocalMeanStdRect(const CIPDib& dib, int a, int b, const CRect& rect, double* lpMean, double* lpStdDev);
void NearestToMeanFilter(CIPDib& dib, const BYTE* lpMask, int a, int b);
void Erode(CIPDib& dib, const BYTE* lpMask, int w, int h, int bBlackObjects);
void Dilate(CIPDib& dib, const BYTE* lpMask, int w, int h, int bBlackObjects);
void HoughLines(const CIPDib& dib, int* lpAcc, int nRho, int nTheta, int bBlackObjects);

// The FFT and the wavelet core.
// FFT1D on each row, then each column copied into scratch arrays; 0 when these cannot be had.
int FFT2D(double* re, double* im, int nWidth, int nHeight, int nDirection);

// The wavelet core on the filters and border mode of dib.
double GetExtendedValue(const CIPDib& dib, const double* x, int index, int last);
void Convolve1D(const CIPDib& dib, double* x, int n, const double* h, int hLen, int shift);
void WaveletDecompose2D(const CIPDib& dib, double* out, const double* in, int width, int height);
void WaveletReconstruct2D(const CIPDib& dib, double* out, const double* in, int width, int height);
// The multi-level forms on an array of width x height doubles already filled.
void WaveletDecomposeLevels(const CIPDib& dib, double* data, int width, int height, int levels);
void WaveletReconstructLevels(const CIPDib& dib, double* out, const double* in, int width, int height, int levels);
}  // namespace literal

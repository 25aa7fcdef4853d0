// The neighbourhood filters written step by step, pixel by pixel and term by term, each reading
// its neighbours through a neighbour function of its own.  They are the yardstick of the fast
// forms in ipdib/: the tests compare arrays, pixels and generator states with these, and the
// benchmarks report speeds relative to them.  The program itself never calls these.
//
// Arguments are assumed sound (8-bit image, odd sizes, rectangles inside the image); the
// refusals are the fast forms' business.
#pragma once

#include "ipdib/IPDib.h"

namespace literal {
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
}  // namespace literal

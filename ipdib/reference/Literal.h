// The FFT and the wavelet core written step by step, one statement per rule, without any
// shortcut: the yardstick for the fast forms in ipdib/.  Tests compare spectra and coefficient
// arrays with these bit for bit; the benchmarks report speeds beside them.  The program itself
// never calls these.
#pragma once

#include "ipdib/IPDib.h"

namespace literal {
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

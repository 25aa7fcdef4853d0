// The wavelet core step by step: every line through a one-signal convolution that reads beyond
// the ends through the border rule, one term at a time.
#include <cstdlib>
#include <cstring>

#include "ipdib/reference/Literal.h"

namespace literal {

double GetExtendedValue(const CIPDib& dib, const double* x, int index, int last) {
    if (index >= 0 && index <= last) return x[index];
    switch (dib.m_nBorderMode) {
        case 1:
            if (index < 0) index = -index;
            else if (index > last) index = 2 * last - index;
            if (index < 0 || index > last) return 0;
            return x[index];
        case 2:
            if (index < 0) index = 0;
            else if (index > last) index = last;
            return x[index];
        case 3:
            if (index < 0) index = index + last;
            else if (index > last) index = index - last;
            if (index < 0 || index > last) return 0;
            return x[index];
        default:
            return 0;
    }
}

void Convolve1D(const CIPDib& dib, double* x, int n, const double* h, int hLen, int shift) {
    if (!x) return;
    double* copy = static_cast<double*>(malloc(sizeof(double) * n));
    if (!copy) return;
    memcpy(copy, x, sizeof(double) * n);
    for (int i = 0; i < n; ++i) {
        double y = 0;
        for (int j = 0; j < hLen; ++j) {
            double e = GetExtendedValue(dib, copy, i - j - shift, n - 1);
            if (e == 0 || h[j] == 0) continue;
            if (e == 1.0) y += h[j];
            else if (h[j] == 1.0) y += e;
            else y += h[j] * e;
        }
        x[i] = y;
    }
    free(copy);
}

void WaveletDecompose2D(const CIPDib& dib, double* out, const double* in, int width, int height) {
    const int a = dib.m_nWaveLoDLen, b = dib.m_nWaveHiDLen;
    double* line = static_cast<double*>(malloc(sizeof(double) * (width > height ? width : height)));
    double* mid = static_cast<double*>(malloc(sizeof(double) * width * height));
    for (int r = 0; r < height; ++r) {
        memcpy(line, in + r * width, sizeof(double) * width);
        Convolve1D(dib, line, width, dib.m_pWaveLoD, a, -(a / 2));
        for (int i = 0, c = 0; i < width; i += 2, ++c) mid[r * width + c] = line[i];
        memcpy(line, in + r * width, sizeof(double) * width);
        Convolve1D(dib, line, width, dib.m_pWaveHiD, b, -(b / 2));
        for (int i = 0, c = width / 2; i < width; i += 2, ++c) mid[r * width + c] = line[i];
    }
    for (int k = 0; k < width; ++k) {
        for (int r = 0; r < height; ++r) line[r] = mid[r * width + k];
        Convolve1D(dib, line, height, dib.m_pWaveLoD, a, -(a / 2));
        for (int i = 0, r = height / 2; i < height; i += 2, ++r) out[r * width + k] = line[i];
        for (int r = 0; r < height; ++r) line[r] = mid[r * width + k];
        Convolve1D(dib, line, height, dib.m_pWaveHiD, b, -(b / 2));
        for (int i = 0, r = 0; i < height; i += 2, ++r) out[r * width + k] = line[i];
    }
    free(line);
    free(mid);
}

void WaveletReconstruct2D(const CIPDib& dib, double* out, const double* in, int width, int height) {
    const int sLo = 1 - dib.m_nWaveLoRLen / 2, sHi = 1 - dib.m_nWaveHiRLen / 2;
    double* line = static_cast<double*>(malloc(sizeof(double) * (width > height ? width : height)));
    double* mid = static_cast<double*>(malloc(sizeof(double) * width * height));
    for (int k = 0; k < width; ++k) {
        for (int i = 0; i < height; ++i) line[i] = i % 2 ? 0 : in[(height / 2 + i / 2) * width + k];
        Convolve1D(dib, line, height, dib.m_pWaveLoR, dib.m_nWaveLoRLen, sLo);
        for (int i = 0; i < height; ++i) mid[i * width + k] = line[i];
        for (int i = 0; i < height; ++i) line[i] = i % 2 ? 0 : in[(i / 2) * width + k];
        Convolve1D(dib, line, height, dib.m_pWaveHiR, dib.m_nWaveHiRLen, sHi);
        for (int i = 0; i < height; ++i) mid[i * width + k] += line[i];
    }
    for (int r = 0; r < height; ++r) {
        for (int i = 0; i < width; ++i) line[i] = i % 2 ? 0 : mid[r * width + i / 2];
        Convolve1D(dib, line, width, dib.m_pWaveLoR, dib.m_nWaveLoRLen, sLo);
        for (int i = 0; i < width; ++i) out[r * width + i] = line[i];
        for (int i = 0; i < width; ++i) line[i] = i % 2 ? 0 : mid[r * width + width / 2 + i / 2];
        Convolve1D(dib, line, width, dib.m_pWaveHiR, dib.m_nWaveHiRLen, sHi);
        for (int i = 0; i < width; ++i) out[r * width + i] += line[i];
    }
    free(line);
    free(mid);
}

void WaveletDecomposeLevels(const CIPDib& dib, double* data, int width, int height, int levels) {
    double* w1 = static_cast<double*>(malloc(sizeof(double) * width * height));
    double* w2 = static_cast<double*>(malloc(sizeof(double) * width * height));
    int w = width, h = height;
    for (int l = 0; l < levels; ++l) {
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c) w1[r * w + c] = data[(height - h + r) * width + c];
        WaveletDecompose2D(dib, w2, w1, w, h);
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c) data[(height - h + r) * width + c] = w2[r * w + c];
        w = w / 2;
        h = h / 2;
    }
    free(w1);
    free(w2);
}

void WaveletReconstructLevels(const CIPDib& dib, double* out, const double* in, int width, int height, int levels) {
    double* w1 = static_cast<double*>(malloc(sizeof(double) * width * height));
    double* w2 = static_cast<double*>(malloc(sizeof(double) * width * height));
    memcpy(out, in, sizeof(double) * width * height);
    const int w0 = width >> levels, h0 = height >> levels;
    for (int j = 1; j <= levels; ++j) {
        const int w = w0 << j, h = h0 << j;
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c) w1[r * w + c] = out[(height - h + r) * width + c];
        WaveletReconstruct2D(dib, w2, w1, w, h);
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c) out[(height - h + r) * width + c] = w2[r * w + c];
    }
    free(w1);
    free(w2);
}

}  // namespace literal

// The neighbourhood filters, one statement per rule.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "dib/ImageMath.h"
#include "ipdib/reference/Literal.h"

namespace literal {

BYTE Neighbour(const CIPDib& dib, int x, int y, int dx, int dy) {
    const int W = dib.m_nWidth, H = dib.m_nHeight;
    if (dib.m_nBitCount != 8 || x < 0 || x >= W || y < 0 || y >= H) return 0;
    long long xs = (long long)x + dx, ys = (long long)y + dy;
    if (xs < 0 || xs >= W) {
        if (dib.m_nBorderMode == 1) xs = (long long)x - dx;
        else if (dib.m_nBorderMode == 2) xs = x;
        else if (dib.m_nBorderMode == 3) xs = xs < 0 ? xs + W : xs - W;
    }
    if (ys < 0 || ys >= H) {
        if (dib.m_nBorderMode == 1) ys = (long long)y - dy;
        else if (dib.m_nBorderMode == 2) ys = y;
        else if (dib.m_nBorderMode == 3) ys = ys < 0 ? ys + H : ys - H;
    }
    if (xs < 0 || xs >= W || ys < 0 || ys >= H) return 0;
    return dib.GetPixel(int(xs), int(ys)) & 0xFF;
}

namespace {

void Reverse(CIPDib& dib, double* k, int n) {
    if (dib.m_bNoFlipKernel) return;
    for (int i = 0; i < n * n / 2; ++i) {
        double t = k[i];
        k[i] = k[n * n - 1 - i];
        k[n * n - 1 - i] = t;
    }
}

double Response(const CIPDib& dib, const double* k, int n, int x, int y) {
    double sum = 0.0;
    for (int dx = -n / 2; dx <= n / 2; ++dx)
        for (int dy = -n / 2; dy <= n / 2; ++dy) {
            double w = k[(dx + n / 2) * n + (dy + n / 2)];
            if (w == 0) continue;
            double v = Neighbour(dib, x, y, dx, dy);
            if (w == 1.0) sum += v;
            else if (w == -1.0) sum -= v;
            else sum += w * v;
        }
    return sum;
}

BYTE Rounded(double v) {
    if (std::isnan(v)) return 0;
    int r = RoundHalfRandom(v);
    return BYTE(r > 255 ? 255 : r);
}

BYTE Map(double v, int nMode, double dMin, double dMax) {
    if (nMode == 0) {
        if (v > 255) return 255;
        if (v < 0) return 0;
        return Rounded(v);
    }
    if (nMode == 1) {
        if (std::fabs(v) > 255) return 255;
        return Rounded(std::fabs(v));
    }
    if (nMode == 2) {
        if (v > 255) return 255;
        if (v < -256) return 0;
        if (0 < v && v < 2) return 129;
        if (-2 < v && v < 0) return 127;
        return Rounded(v / 2 + 128);
    }
    if (dMax == dMin) return 0;
    double t = (v - dMin) * 255 / (dMax - dMin);
    if (t > 255) return 255;
    if (t < 0) return 0;
    return Rounded(t);
}

}  // namespace

void ConvolveToArray(CIPDib& dib, double* lpKernel, int n, double* lpOut) {
    Reverse(dib, lpKernel, n);
    for (int r = 0; r < dib.m_nHeight; ++r)
        for (int x = 0; x < dib.m_nWidth; ++x)
            lpOut[r * dib.m_nRowBytes + x] = Response(dib, lpKernel, n, x, dib.m_nHeight - 1 - r);
}

void ConvolveRectToArray(CIPDib& dib, double* lpKernel, int n, const CRect& rect, double* lpOut) {
    Reverse(dib, lpKernel, n);
    int nWidth = rect.right - rect.left + 1;
    for (int y = rect.bottom; y >= rect.top; --y)
        for (int x = rect.left; x <= rect.right; ++x)
            lpOut[(rect.bottom - y) * nWidth + (x - rect.left)] = Response(dib, lpKernel, n, x, y);
}

void ConvolveToPixels(CIPDib& dib, double* lpKernel, int n, BYTE* lpDest, int nMode) {
    std::vector<double> v(size_t(dib.m_nImageSize));
    ConvolveToArray(dib, lpKernel, n, v.data());
    if (nMode < 0 || nMode > 3) return;
    double dMax = 0, dMin = 0;
    bool bFirst = true;
    for (int r = 0; r < dib.m_nHeight; ++r)
        for (int x = 0; x < dib.m_nWidth; ++x) {
            double d = v[r * dib.m_nRowBytes + x];
            if (bFirst) {
                dMax = dMin = d;
                bFirst = false;
            } else if (d > dMax) {
                dMax = d;
            } else if (d < dMin) {
                dMin = d;
            }
        }
    for (int r = 0; r < dib.m_nHeight; ++r)
        for (int x = 0; x < dib.m_nWidth; ++x)
            lpDest[r * dib.m_nRowBytes + x] = Map(v[r * dib.m_nRowBytes + x], nMode, dMin, dMax);
}

void Gradient(CIPDib& dib, double* lpMagnitude, double* lpDirection) {
    double kv[9] = {0, 0, 0, -1, 1, 0, 0, 0, 0};
    double kh[9] = {0, -1, 0, 0, 1, 0, 0, 0, 0};
    std::vector<double> a(size_t(dib.m_nImageSize)), b(size_t(dib.m_nImageSize));
    ConvolveToArray(dib, kv, 3, a.data());
    ConvolveToArray(dib, kh, 3, b.data());
    for (int r = 0; r < dib.m_nHeight; ++r)
        for (int x = 0; x < dib.m_nWidth; ++x) {
            int i = r * dib.m_nRowBytes + x;
            lpMagnitude[i] = std::sqrt(a[i] * a[i] + b[i] * b[i]);
            if (a[i] == 0 && b[i] == 0) lpDirection[i] = 0;
            else lpDirection[i] = std::atan(b[i] / a[i]);
        }
}

void LocalMeanStdRect(const CIPDib& dib, int a, int b, const CRect& rect, double* lpMean, double* lpStdDev) {
    int N = a * b, nWidth = rect.right - rect.left + 1;
    for (int y = rect.bottom; y >= rect.top; --y)
        for (int x = rect.left; x <= rect.right; ++x) {
            double S = 0, Q = 0;
            for (int dx = -a / 2; dx <= a / 2; ++dx)
                for (int dy = -b / 2; dy <= b / 2; ++dy) {
                    double v = Neighbour(dib, x, y, dx, dy);
                    S += v;
                    Q += v * v;
                }
            double mean = S / N;
            double var = (Q - N * mean * mean) / (N - 1);
            int i = (rect.bottom - y) * nWidth + (x - rect.left);
            lpMean[i] = mean;
            lpStdDev[i] = N == 1 || !(var > 0) ? 0.0 : std::sqrt(var);
        }
}

void NearestToMeanFilter(CIPDib& dib, const BYTE* lpMask, int a, int b) {
    std::vector<int> v(size_t(a * b), 0);
    std::vector<BYTE> out(dib.m_lpBits, dib.m_lpBits + dib.m_nImageSize);
    int count = 0;
    for (int k = 0; k < a * b; ++k)
        if (lpMask[k]) ++count;
    for (int y = 0; y < dib.m_nHeight; ++y)
        for (int x = 0; x < dib.m_nWidth; ++x) {
            int S = 0;
            for (int k = 0; k < a * b; ++k)
                if (lpMask[k]) {
                    v[k] = Neighbour(dib, x, y, k % a - a / 2, k / a - b / 2);
                    S += v[k];
                }
            double mean = count ? double(S) / count : 0;
            int best = 0;
            double dist = 255;
            for (int k = 0; k < a * b; ++k)
                if (lpMask[k] && std::fabs(v[k] - mean) < dist) {
                    best = k;
                    dist = std::fabs(v[k] - mean);
                }
            out[(dib.m_nHeight - 1 - y) * dib.m_nRowBytes + x] = BYTE(v[best]);
        }
    std::memcpy(dib.m_lpBits, out.data(), out.size());
    dib.m_bHistValid = 0;
}

namespace {

void Morph(CIPDib& dib, const BYTE* lpMask, int w, int h, int T) {
    std::vector<BYTE> work(dib.m_lpBits, dib.m_lpBits + dib.m_nImageSize);
    for (int i = 0; i < dib.m_nHeight; ++i)
        for (int j = 0; j < dib.m_nWidth; ++j) {
            bool hit = false;
            for (int k = 0; k < h && !hit; ++k)
                for (int l = 0; l < w && !hit; ++l) {
                    if (!lpMask[k * w + l]) continue;
                    int r = i + k - h / 2, c = j + l - w / 2;
                    int value = r < 0 || r >= dib.m_nHeight || c < 0 || c >= dib.m_nWidth ? 255
                                                                                         : dib.m_lpBits[r * dib.m_nRowBytes + c];
                    if (value == T) hit = true;
                }
            work[i * dib.m_nRowBytes + j] = BYTE(hit ? T : 255 - T);
        }
    std::memcpy(dib.m_lpBits, work.data(), work.size());
    dib.m_bHistValid = 0;
}

}  // namespace

void Erode(CIPDib& dib, const BYTE* lpMask, int w, int h, int bBlackObjects) { Morph(dib, lpMask, w, h, bBlackObjects ? 255 : 0); }
void Dilate(CIPDib& dib, const BYTE* lpMask, int w, int h, int bBlackObjects) { Morph(dib, lpMask, w, h, bBlackObjects ? 0 : 255); }

void HoughLines(const CIPDib& dib, int* lpAcc, int nRho, int nTheta, int bBlackObjects) {
    double D = std::sqrt(double(dib.m_nHeight * dib.m_nHeight + dib.m_nWidth * dib.m_nWidth));
    double dAngle = 3.141592657589793 / 2 / nTheta;
    double dStep = D / nRho;
    std::memset(lpAcc, 0, sizeof(int) * size_t(nRho * nTheta));
    int counted = bBlackObjects ? 0 : 255;
    for (int i = 0; i < dib.m_nHeight; ++i)
        for (int j = 0; j < dib.m_nWidth; ++j) {
            if (dib.m_lpBits[i * dib.m_nRowBytes + j] != counted) continue;
            for (int k = 0; k < nTheta; ++k) {
                double theta = k * dAngle;
                double rho = j * std::cos(theta) + i * std::sin(theta);
                int r = int(rho / dStep);
                if (r > nRho - 1) r = nRho - 1;
                lpAcc[k * nRho + r] += 1;
            }
        }
}

}  // namespace literal

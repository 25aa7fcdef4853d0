// Makes the sample images in this folder: a few pictures to load into the window.  They are
// drawn here, pixel by pixel, so the project needs no image from elsewhere.
//
//   moro-make-samples DIR   writes rings-24bit.bmp, shapes-8bit.bmp and map-24bit.bmp to DIR
#include <cmath>
#include <cstdio>
#include <string>

#include "dib/Dib.h"

namespace {

BYTE Clamp(double v) { return BYTE(v < 0 ? 0 : v > 255 ? 255 : v + 0.5); }

// Colour rings around two centres over a soft gradient: many colours, smooth areas and edges.
bool MakeRings(const std::string& path) {
    CDib dib;
    const int w = 320, h = 240;
    if (!dib.Create(w, h, 24)) return false;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            double d1 = std::hypot(x - 110.0, y - 100.0), d2 = std::hypot(x - 230.0, y - 150.0);
            double r = 128 + 100 * std::sin(d1 / 9.0) + 0.2 * x - 30;
            double g = 128 + 90 * std::sin(d2 / 7.0) + 0.15 * y - 20;
            double b = 255.0 * y / h * 0.6 + 60 * std::cos((d1 + d2) / 23.0) + 40;
            dib.SetPixel(x, y, RGB(Clamp(r), Clamp(g), Clamp(b)));
        }
    }
    return dib.SaveBmp(path.c_str());
}

// Grey shapes on a gradient: a disc, a frame, bars of every grey and a checkerboard.
bool MakeShapes(const std::string& path) {
    CDib dib;
    const int w = 256, h = 256;
    if (!dib.Create(w, h, 8)) return false;  // grey palette
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int v = (x + y) / 4 + 40;
            if (std::hypot(x - 80.0, y - 80.0) < 50) v = 230;
            if (x >= 150 && x < 230 && y >= 30 && y < 130 && (x < 160 || x >= 220 || y < 40 || y >= 120)) v = 20;
            if (y >= 160 && y < 200) v = (x / 16) * 17;
            if (y >= 210 && y < 246 && x >= 20 && x < 236) v = ((x / 12 + y / 12) % 2) ? 250 : 10;
            dib.SetPixel(x, y, v);
        }
    }
    return dib.SaveBmp(path.c_str());
}

// The cipher's own map: x / p below p, (x - p) / (1 - p) above, drawn with its first iterates.
bool MakeMap(const std::string& path) {
    CDib dib;
    const int w = 300, h = 200;
    if (!dib.Create(w, h, 24, nullptr, 255)) return false;
    const double p = 0.37;
    auto map = [p](double x) { return x < p ? x / p : (x - p) / (1 - p); };
    for (int x = 0; x < w; ++x) {
        for (int y = 0; y < h; ++y) {
            if ((x % 30) == 0 || (y % 20) == 0) dib.SetPixel(x, y, RGB(225, 230, 240));
        }
        int yMap = int((1 - map(x / double(w - 1))) * (h - 1) + 0.5);
        int yDiag = int((1 - x / double(w - 1)) * (h - 1) + 0.5);
        for (int t = -1; t <= 1; ++t) dib.SetPixel(x, yMap + t, RGB(200, 60, 20));
        dib.SetPixel(x, yDiag, RGB(40, 90, 160));
    }
    // A cobweb of the orbit from 0.2.
    double v = 0.61;
    for (int i = 0; i < 12; ++i) {
        double next = map(v);
        int x = int(v * (w - 1) + 0.5);
        int y0 = int((1 - v) * (h - 1) + 0.5), y1 = int((1 - next) * (h - 1) + 0.5);
        for (int y = std::min(y0, y1); y <= std::max(y0, y1); ++y) dib.SetPixel(x, y, RGB(30, 140, 60));
        int x1 = int(next * (w - 1) + 0.5);
        for (int xx = std::min(x, x1); xx <= std::max(x, x1); ++xx) dib.SetPixel(xx, y1, RGB(30, 140, 60));
        v = next;
    }
    return dib.SaveBmp(path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: moro-make-samples DIR\n");
        return 2;
    }
    std::string dir = argv[1];
    bool ok = MakeRings(dir + "/rings-24bit.bmp") && MakeShapes(dir + "/shapes-8bit.bmp") && MakeMap(dir + "/map-24bit.bmp");
    if (!ok) std::fprintf(stderr, "moro-make-samples: could not write the samples to %s\n", dir.c_str());
    return ok ? 0 : 1;
}

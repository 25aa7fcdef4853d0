// Writes the application's icon (resource 128) as a PNG file for the desktop entry, scaled up by
// whole pixels: moro-make-icon FILE SIZE.
#include <QImage>
#include <cstdio>
#include <cstdlib>

#include "res/Resource.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: moro-make-icon FILE SIZE\n");
        return 2;
    }
    const ui::IconImage& icon = res::Icon(IDR_MAINFRAME);
    int nSize = std::atoi(argv[2]);
    if (nSize < icon.nWidth || nSize % icon.nWidth != 0) {
        std::fprintf(stderr, "moro-make-icon: SIZE must be a multiple of %d\n", icon.nWidth);
        return 2;
    }
    QImage image(icon.nWidth, icon.nHeight, QImage::Format_ARGB32);
    for (int y = 0; y < icon.nHeight; ++y)
        for (int x = 0; x < icon.nWidth; ++x) image.setPixel(x, y, icon.lpPixels[y * icon.nWidth + x]);
    if (!image.scaled(nSize, nSize, Qt::IgnoreAspectRatio, Qt::FastTransformation).save(argv[1], "PNG")) {
        std::fprintf(stderr, "moro-make-icon: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}

// Icon 128, MORO's own: the graph of the cipher's chaotic map (two rising branches) above an
// image that is plain on the left and scrambled on the right.  One character a pixel; the palette is below.
#include "res/Resource.h"

namespace {

const char* const kRows[32] = {
    "..bbbbbbbbbbbbbbbbbbbbbbbbbbbb..",
    ".bBBBBBBBBBBBBBBBBBBBBBBBBBBBBb.",
    "bBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBb",
    "bBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBb",
    "bBBBBBBBBBBBBoBBBBBBBBBBBBooBBBb",
    "bBBBBBBBBBBBooBBBBBBBBBBBooOBBBb",
    "bBBBBBBBBBBooOBBBBBBBBBBooOBBBBb",
    "bBBBBBBBBBooOBBBBBBBBBBooOBBBBBb",
    "bBBBBBBBBooOBBBBBBBBBoooOBBBBBBb",
    "bBBBBBBBBoOBBBBBBBBBooOOBBBBBBBb",
    "bBBBBBBBooBBBBBBBBBooOBBBBBBBBBb",
    "bBBBBBBooOBBBBBBBBooOBBBBBBBBBBb",
    "bBBBBBooOBBBBBBBoooOBBBBBBBBBBBb",
    "bBBBBooOBBBBBBBooOOBBBBBBBBBBBBb",
    "bBBBooOBBBBBBBooOBBBBBBBBBBBBBBb",
    "bBBBoOBBBBBBBooOBBBBBBBBBBBBBBBb",
    "bBBBwwwwwwwwwwwwwwwwwwwwwwwwBBBb",
    "bBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBb",
    "bBBBmmlllmmmlllmwmkllBlwBlBmBBBb",
    "bBBBmmlllmmmlllmllkklmlBklBlBBBb",
    "bBBBmmlllmmmlllmmBlBBklmlBmwBBBb",
    "bBBBllmmmlllmmmlkmBlBwBmlBBmBBBb",
    "bBBBllmmmlllmmmlwlBlBlBmkBkwBBBb",
    "bBBBllmmmlllmmmlkBkwwmmmlBwBBBBb",
    "bBBBmmlllmmmlllmkwkwBllBkmwmBBBb",
    "bBBBmmlllmmmlllmkkllBBwwwBkBBBBb",
    "bBBBmmlllmmmlllmkllwkllwBkwkBBBb",
    "bBBBllmmmlllmmmlwlkwmBlklmwmBBBb",
    "bBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBb",
    "bBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBb",
    ".bBBBBBBBBBBBBBBBBBBBBBBBBBBBBb.",
    "..bbbbbbbbbbbbbbbbbbbbbbbbbbbb..",
};

DWORD Colour(char c) {
    switch (c) {
        case 'b': return 0xFF16324F;  // border
        case 'B': return 0xFF2B5A87;  // tile
        case 'o': return 0xFFF5A623;  // map graph
        case 'O': return 0xFFC47A12;  // its shadow
        case 'w': return 0xFFF4F4F4;  // axis
        case 'l': return 0xFFB8D4EC;  // light image tone
        case 'm': return 0xFF7FA8CC;  // mid image tone
        case 'k': return 0xFF10202F;  // dark image tone
        default: return 0x00000000;  // transparent
    }
}

}  // namespace

namespace res {

const ui::IconImage& Icon(UINT) {
    static DWORD pixels[32 * 32];
    static const ui::IconImage icon = [] {
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) pixels[y * 32 + x] = Colour(kRows[y][x]);
        return ui::IconImage{32, 32, pixels};
    }();
    return icon;
}

}  // namespace res

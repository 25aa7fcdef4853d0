// moro-cli edit: the library's editing and drawing operations on a file, applied in the order
// they are given.  The operations are one table (kOperations): another operation is another row.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>
#include <sstream>

#include "cli/Command.h"
#include "cli/Files.h"
#include "cli/Options.h"
#include "dib/Dib.h"
#include "ipdib/IPDib.h"
#include "platform/Rand.h"

namespace {

// Points outside the image are skipped, but the work of a line or a circle grows with its length,
// so every number stays within this.
constexpr long long kMaxNumber = 1000000;
// The largest image --resize makes, in pixels, and the tallest text.
constexpr long long kMaxPixels = 1LL << 26;
constexpr long long kMaxFontHeight = 4096;

// Already explained on standard error (a file that cannot be loaded); exit status 1.
struct Explained {};

// The image being edited and the operation at hand.
struct Edit {
    std::unique_ptr<CDib> image;
    std::string option;
    std::string value;

    [[noreturn]] void Bad(const std::string& what) const { throw cli::BadValue{option + " " + value + ": " + what}; }
    std::string Size() const { return std::to_string(image->m_nWidth) + " x " + std::to_string(image->m_nHeight); }
    // Makes the result of an operation that built a new image the image being edited.
    void Take(std::unique_ptr<CDib> result) {
        if (!result->IsValid()) throw cli::LibraryFailed{result->m_nError};
        image = std::move(result);
    }
};

// ---- values ----

// Splits at the first nParts - 1 colons; the last part keeps any further ones.
std::vector<std::string> SplitColons(const std::string& text, size_t nParts) {
    std::vector<std::string> parts;
    size_t nStart = 0;
    while (parts.size() + 1 < nParts) {
        size_t nColon = text.find(':', nStart);
        if (nColon == std::string::npos) break;
        parts.push_back(text.substr(nStart, nColon - nStart));
        nStart = nColon + 1;
    }
    parts.push_back(text.substr(nStart));
    return parts;
}

// nCount whole numbers separated by commas (a minus sign allowed), each within kMaxNumber.
std::vector<long long> Numbers(const Edit& e, const std::string& text, size_t nCount, const std::string& form) {
    std::vector<std::string> items = cli::SplitCommas(text);
    std::vector<long long> numbers;
    for (const std::string& item : items) {
        size_t nDigits = item[0] == '-' ? 1 : 0;
        bool bWhole = item.size() > nDigits && item.size() - nDigits <= 12 &&
                      item.find_first_not_of("0123456789", nDigits) == std::string::npos;
        if (!bWhole) break;
        numbers.push_back(std::strtoll(item.c_str(), nullptr, 10));
    }
    if (numbers.size() != nCount || items.size() != nCount) e.Bad("wants " + form + " as whole numbers, not '" + text + "'");
    for (long long n : numbers)
        if (n < -kMaxNumber || n > kMaxNumber) e.Bad("numbers must lie from -" + std::to_string(kMaxNumber) + " to " + std::to_string(kMaxNumber));
    return numbers;
}

CRect Rect(const Edit& e, const std::string& text) {
    std::vector<long long> n = Numbers(e, text, 4, "L,T,R,B");
    return CRect(int(n[0]), int(n[1]), int(n[2]), int(n[3]));
}

COLORREF Colour(const Edit& e, const std::string& text) {
    if (text.size() != 7 || text[0] != '#' || text.find_first_not_of("0123456789abcdefABCDEF", 1) != std::string::npos)
        e.Bad("colours are written #RRGGBB, not '" + text + "'");
    unsigned long rgb = std::strtoul(text.c_str() + 1, nullptr, 16);
    return RGB(BYTE(rgb >> 16), BYTE(rgb >> 8), BYTE(rgb));
}

// FILE@REST, split at the last '@' (a file name may hold one too).
std::pair<std::string, std::string> FileAnd(const Edit& e, const std::string& form) {
    size_t nAt = e.value.rfind('@');
    if (nAt == std::string::npos || nAt == 0) e.Bad("wants " + form);
    return {e.value.substr(0, nAt), e.value.substr(nAt + 1)};
}

// Another image, of the depth of the one being edited.
std::unique_ptr<CDib> LoadOther(const Edit& e, const std::string& path) {
    auto other = std::make_unique<CDib>();
    if (!cli::LoadOrExplain(*other, path)) throw Explained{};
    if (other->m_nBitCount != e.image->m_nBitCount)
        e.Bad("'" + path + "' is " + std::to_string(other->m_nBitCount) + "-bit, the image " +
              std::to_string(e.image->m_nBitCount) + "-bit");
    return other;
}

// ---- the operations ----

void Crop(Edit& e) {
    CRect rect = Rect(e, e.value);
    if (!CDib::CopyRectFits(*e.image, rect))
        e.Bad("the rectangle does not lie inside the " + e.Size() + " image (right and bottom are included)");
    auto out = std::make_unique<CDib>();
    out->CopyRect(*e.image, rect);
    e.Take(std::move(out));
}

void FlipVertical(Edit& e) { e.image->FlipVertical(); }
void FlipHorizontal(Edit& e) { e.image->FlipHorizontal(); }

void Subsample(Edit& e) {
    std::vector<long long> steps = Numbers(e, e.value, 2, "XS,YS");
    if (steps[0] < 1 || steps[1] < 1) e.Bad("steps are 1 or more");
    if (steps[0] > e.image->m_nWidth || steps[1] > e.image->m_nHeight) e.Bad("a step is larger than the " + e.Size() + " image");
    auto out = std::make_unique<CDib>();
    e.image->Subsample(*out, int(steps[0]), int(steps[1]));
    e.Take(std::move(out));
}

void Resize(Edit& e) {
    size_t nX = e.value.find('x');
    std::vector<long long> size = Numbers(e, nX == std::string::npos ? e.value : e.value.substr(0, nX) + "," + e.value.substr(nX + 1), 2, "WxH");
    if (size[0] < 1 || size[1] < 1 || size[0] * size[1] > kMaxPixels)
        e.Bad("the size must be at least 1 x 1 and at most " + std::to_string(kMaxPixels) + " pixels");
    auto out = std::make_unique<CDib>();
    e.image->Resize(*out, CRect(0, 0, int(size[0]), int(size[1])));
    e.Take(std::move(out));
}

void Paste(Edit& e) {
    auto [file, rectText] = FileAnd(e, "FILE@L,T,R,B");
    CRect rect = Rect(e, rectText);
    if (!CDib::PasteRectFits(*e.image, rect))
        e.Bad("the picture rows top + 1 to bottom and columns left to right - 1 must lie inside the " + e.Size() + " image");
    std::unique_ptr<CDib> other = LoadOther(e, file);
    e.image->Paste(*other, rect);
}

void Blend(Edit& e) {
    auto [file, rest] = FileAnd(e, "FILE@L,T,R,B:WEIGHT");
    std::vector<std::string> parts = SplitColons(rest, 2);
    if (parts.size() != 2) e.Bad("wants FILE@L,T,R,B:WEIGHT");
    CRect rect = Rect(e, parts[0]);
    char* end = nullptr;
    double dWeight = std::strtod(parts[1].c_str(), &end);
    if (parts[1].empty() || *end || !(dWeight >= 0 && dWeight <= 1)) e.Bad("the weight is a number from 0 to 1");
    if (!CDib::BlendRectFits(*e.image, rect)) e.Bad("the rectangle does not lie inside the " + e.Size() + " image");
    std::unique_ptr<CDib> other = LoadOther(e, file);
    e.image->Blend(*e.image, *other, rect, dWeight);
}

void Warp(Edit& e) {
    auto out = std::make_unique<CDib>();
    e.image->Warp(*out);
    e.Take(std::move(out));
}

void WarpRect(Edit& e) {
    CRect rect = Rect(e, e.value);
    if (!CDib::WarpRectFits(*e.image, rect))
        e.Bad("the rectangle must be the whole " + e.Size() + " image or lie inside it (right and bottom included)");
    auto out = std::make_unique<CDib>();
    e.image->WarpRect(*out, rect);
    e.Take(std::move(out));
}

// SHAPE:COLOUR, the shape as nCount numbers.
std::vector<long long> Shape(const Edit& e, size_t nCount, const std::string& form, COLORREF& colour) {
    std::vector<std::string> parts = SplitColons(e.value, 2);
    if (parts.size() != 2) e.Bad("wants " + form + ":#RRGGBB");
    colour = Colour(e, parts[1]);
    return Numbers(e, parts[0], nCount, form);
}

void Line(Edit& e) {
    COLORREF colour;
    std::vector<long long> n = Shape(e, 4, "X1,Y1,X2,Y2", colour);
    e.image->DrawLine(int(n[0]), int(n[1]), int(n[2]), int(n[3]), colour);
}

void Rectangle(Edit& e) {
    COLORREF colour;
    std::vector<long long> n = Shape(e, 4, "L,T,R,B", colour);
    if (n[0] == n[2]) e.Bad("left and right must differ");
    e.image->DrawRect(CRect(int(n[0]), int(n[1]), int(n[2]), int(n[3])), colour);
}

void Circle(Edit& e) {
    COLORREF colour;
    std::vector<long long> n = Shape(e, 3, "X,Y,R", colour);
    if (n[2] < 0) e.Bad("the radius is 0 or more");
    e.image->DrawCircle(int(n[0]), int(n[1]), int(n[2]), colour);
}

void Text(Edit& e) {
    std::vector<std::string> parts = SplitColons(e.value, 4);
    if (parts.size() != 4) e.Bad("wants X,Y:HEIGHT:#RRGGBB:TEXT[:FACE]");
    std::vector<long long> at = Numbers(e, parts[0], 2, "X,Y");
    std::vector<long long> height = Numbers(e, parts[1], 1, "HEIGHT");
    if (height[0] < 1 || height[0] > kMaxFontHeight) e.Bad("the font height is 1 to " + std::to_string(kMaxFontHeight) + " pixels");
    COLORREF colour = Colour(e, parts[2]);
    if (at[0] < 0 || at[1] < 0 || at[0] >= e.image->m_nWidth || at[1] >= e.image->m_nHeight)
        e.Bad("the text's start lies outside the " + e.Size() + " image");
    std::string text = parts[3], face;
    size_t nColon = text.rfind(':');
    if (nColon != std::string::npos) {
        face = text.substr(nColon + 1);
        text.erase(nColon);
    }
    e.image->DrawString(int(at[0]), int(at[1]), text.c_str(), int(height[0]), colour, face.c_str());
}

// ---- grey conversion and point operations ----

// The image being edited as an image-processing image.  It stays one until an operation replaces
// it, so what one operation records (a grey conversion) holds for the next.
CIPDib& Processing(Edit& e) {
    if (CIPDib* image = dynamic_cast<CIPDib*>(e.image.get())) return *image;
    auto image = std::make_unique<CIPDib>();
    image->Copy(*e.image);
    e.Take(std::move(image));
    return static_cast<CIPDib&>(*e.image);
}

void NeedsDepth(const Edit& e, int nBits) {
    if (e.image->m_nBitCount != nBits)
        e.Bad("works on " + std::to_string(nBits) + "-bit images; this one is " + std::to_string(e.image->m_nBitCount) + "-bit");
}

// A whole number from 0 to nMax.
int Level(const Edit& e, const std::string& text, long long nMax, const std::string& form) {
    long long n = Numbers(e, text, 1, form)[0];
    if (n < 0 || n > nMax) e.Bad(form + " is a whole number from 0 to " + std::to_string(nMax));
    return int(n);
}

void Gray(Edit& e) { Processing(e).ConvertToGray(Level(e, e.value, 7, "MASK")); }

void To8Bit(Edit& e) {
    int nMode = Level(e, e.value, 6, "MODE");
    NeedsDepth(e, 24);
    CIPDib& image = Processing(e);
    image.ConvertTo8Bit(image, nMode);
}

void Lut(Edit& e) {
    std::ifstream file(e.value, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "moro-cli: '%s' cannot be opened\n", e.value.c_str());
        throw Explained{};
    }
    // One byte more than a table tells a longer file without reading all of it (/dev/zero).
    char table[257];
    file.read(table, sizeof table);
    if (file.gcount() != 256) e.Bad("a table file holds exactly 256 bytes, the new value of each byte value");
    Processing(e).ApplyLut(reinterpret_cast<const BYTE*>(table));
}

void Stretch(Edit& e) { Processing(e).StretchContrast(); }
void Equalize(Edit& e) { Processing(e).EqualizeHist(); }

void Binarize(Edit& e) {
    std::vector<std::string> parts = SplitColons(e.value, 2);
    if (parts.size() == 2 && parts[1] != "strict") e.Bad("wants T or T:strict");
    int nThreshold = Level(e, parts[0], 255, "T");
    NeedsDepth(e, 8);
    Processing(e).Binarize(BYTE(nThreshold), parts.size() == 2);
}

void AbsDiff(Edit& e) {
    NeedsDepth(e, 8);
    std::unique_ptr<CDib> other = LoadOther(e, e.value);
    if (other->m_nWidth != e.image->m_nWidth || other->m_nHeight != e.image->m_nHeight)
        e.Bad("'" + e.value + "' is " + std::to_string(other->m_nWidth) + " x " + std::to_string(other->m_nHeight) + ", the image " + e.Size());
    Processing(e).AbsDiff(*other);
}

// ---- neighbourhood filters ----

// The border mode and kernel orientation that --border and --flip-kernel set for the filters
// after them (the image may be replaced in between, so they are kept here).
struct FilterSettings {
    int nBorderMode = 1;
    int bNoFlipKernel = 1;
};
FilterSettings g_filters;

// Kernels and masks are small: their files are read whole, and their sides are limited so that
// a filter's work stays within reason whatever the file says.
constexpr int kMaxFilterSide = 63;
constexpr std::streamsize kMaxGridFile = 1 << 20;

// The image with the current filter settings; 8-bit images only.
CIPDib& Filtered(Edit& e) {
    if (e.image->m_nBitCount != 8)
        e.Bad("works on 8-bit images; this one is " + std::to_string(e.image->m_nBitCount) + "-bit");
    CIPDib& dib = Processing(e);
    dib.m_nBorderMode = g_filters.nBorderMode;
    dib.m_bNoFlipKernel = g_filters.bNoFlipKernel;
    return dib;
}

// A file of numbers in rows, one row a line (blank lines skipped), numbers apart by spaces or
// commas; every row as long as the first.  Rows are returned as the file has them, top first.
std::vector<std::vector<double>> ReadGrid(const Edit& e, const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) e.Bad("cannot open '" + path + "'");
    std::string text(size_t(kMaxGridFile) + 1, '\0');
    file.read(text.data(), kMaxGridFile + 1);
    if (file.gcount() > kMaxGridFile) e.Bad("'" + path + "' is longer than a kernel or mask file can be");
    text.resize(size_t(file.gcount()));
    std::vector<std::vector<double>> rows;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        for (char& c : line)
            if (c == ',' || c == '\t' || c == '\r') c = ' ';
        std::istringstream items(line);
        std::vector<double> row;
        std::string item;
        while (items >> item) {
            char* end = nullptr;
            double v = std::strtod(item.c_str(), &end);
            if (*end || !std::isfinite(v)) e.Bad("'" + path + "' holds '" + item + "', which is not a number");
            row.push_back(v);
            if (int(row.size()) > kMaxFilterSide) e.Bad("'" + path + "': rows are at most " + std::to_string(kMaxFilterSide) + " numbers");
        }
        if (row.empty()) continue;
        if (!rows.empty() && row.size() != rows[0].size()) e.Bad("'" + path + "': every row must hold as many numbers as the first");
        rows.push_back(row);
        if (int(rows.size()) > kMaxFilterSide) e.Bad("'" + path + "': at most " + std::to_string(kMaxFilterSide) + " rows");
    }
    if (rows.empty()) e.Bad("'" + path + "' holds no numbers");
    return rows;
}

// A mask file: whole numbers 0 to 255, non-zero selecting, row by row as it lies over the
// picture, top first.
std::vector<std::vector<double>> ReadMask(const Edit& e, const std::string& path) {
    std::vector<std::vector<double>> rows = ReadGrid(e, path);
    bool bAny = false;
    for (const auto& row : rows)
        for (double v : row) {
            if (v != std::floor(v) || v < 0 || v > 255) e.Bad("'" + path + "': a mask holds whole numbers from 0 to 255");
            bAny = bAny || v != 0;
        }
    if (!bAny) e.Bad("'" + path + "': the mask selects no position");
    return rows;
}

// PATH[:WORD]: the word only when it is one of `words`, so a path may hold colons.
std::pair<std::string, std::string> PathAnd(const std::string& value, const std::vector<std::string>& words) {
    size_t nColon = value.rfind(':');
    if (nColon != std::string::npos)
        for (const std::string& word : words)
            if (value.compare(nColon + 1, std::string::npos, word) == 0) return {value.substr(0, nColon), word};
    return {value, ""};
}

void Border(Edit& e) {
    const char* names[] = {"zero", "mirror", "hold", "wrap"};
    for (int nMode = 0; nMode < 4; ++nMode)
        if (e.value == names[nMode] || e.value == std::to_string(nMode)) {
            g_filters.nBorderMode = nMode;
            return;
        }
    e.Bad("the border mode is zero (0), mirror (1), hold (2) or wrap (3)");
}

void FlipKernel(Edit&) { g_filters.bNoFlipKernel = 0; }

void Convolve(Edit& e) {
    auto [path, mode] = PathAnd(e.value, {"0", "1", "2", "3"});
    std::vector<std::vector<double>> rows = ReadGrid(e, path);
    int n = int(rows.size());
    if (n % 2 == 0 || int(rows[0].size()) != n) e.Bad("a kernel is square with an odd side (3 lines of 3 numbers, ...)");
    // The file shows the kernel as it lies over the picture; the library's array runs along x
    // first: element (dx + n/2) * n + (dy + n/2).
    std::vector<double> kernel(size_t(n) * size_t(n));
    for (int row = 0; row < n; ++row)
        for (int col = 0; col < n; ++col) kernel[size_t(col) * size_t(n) + size_t(row)] = rows[size_t(row)][size_t(col)];
    CIPDib& dib = Filtered(e);
    dib.ConvolveImage(kernel.data(), n, mode.empty() ? 0 : mode[0] - '0');
}

void GradientImage(Edit& e) {
    CIPDib& dib = Filtered(e);
    size_t nCount = size_t(dib.m_nRowBytes) * size_t(dib.m_nHeight);
    std::vector<double> magnitude(nCount), direction(nCount);
    dib.Gradient(magnitude.data(), direction.data());
    if (dib.m_nError) return;
    // Magnitudes are square roots of whole numbers: never an exact half, so no random draw.
    for (int r = 0; r < dib.m_nHeight; ++r)
        for (int x = 0; x < dib.m_nWidth; ++x) {
            double m = magnitude[size_t(r) * size_t(dib.m_nRowBytes) + size_t(x)];
            dib.StoredRow(r)[x] = BYTE(m > 255 ? 255 : int(std::floor(m + 0.5)));
        }
    dib.m_bHistValid = 0;
}

void NearestMean(Edit& e) {
    std::vector<std::vector<double>> rows = ReadMask(e, e.value);
    int a = int(rows[0].size()), b = int(rows.size());
    if (a % 2 == 0 || b % 2 == 0) e.Bad("the mask's sides must be odd");
    std::vector<BYTE> mask;
    for (const auto& row : rows)
        for (double v : row) mask.push_back(BYTE(v));  // row 0 at the top of the window
    Filtered(e).NearestToMeanFilter(mask.data(), a, b);
}

// --erode / --dilate MASKFILE[:black]: the library's mask rows go up the picture, so the file's
// last line is its row 0.
void Morph(Edit& e, bool bErode) {
    auto [path, black] = PathAnd(e.value, {"black"});
    std::vector<std::vector<double>> rows = ReadMask(e, path);
    int w = int(rows[0].size()), h = int(rows.size());
    std::vector<BYTE> mask;
    for (int row = h - 1; row >= 0; --row)
        for (double v : rows[size_t(row)]) mask.push_back(BYTE(v));
    CIPDib& dib = Filtered(e);
    if (bErode) dib.Erode(mask.data(), w, h, black.empty() ? 0 : 1);
    else dib.Dilate(mask.data(), w, h, black.empty() ? 0 : 1);
}

void Erode(Edit& e) { Morph(e, true); }
void Dilate(Edit& e) { Morph(e, false); }

void Negative(Edit& e) { Processing(e).Negative(); }
void Invert(Edit& e) { Processing(e).InvertPixels(); }

struct Operation {
    const char* name;
    const char* form;  // the value's form; empty for a flag
    const char* help;
    bool bAnyDepth;    // also on 1- and 4-bit images (otherwise 8 and 24 bits only)
    void (*apply)(Edit&);
};

const Operation kOperations[] = {
    {"--crop", "L,T,R,B", "cut out the rectangle, right and bottom included", false, Crop},
    {"--flip-vertical", "", "turn the picture upside down", true, FlipVertical},
    {"--flip-horizontal", "", "mirror the picture left to right", false, FlipHorizontal},
    {"--subsample", "XS,YS", "keep every XS-th column of every YS-th row", false, Subsample},
    {"--resize", "WxH", "resample bilinearly to W x H pixels", false, Resize},
    {"--paste", "FILE@L,T,R,B",
     "paste FILE (of the image's depth), resampled to the rectangle's size,\n"
     "into picture rows T+1 to B and columns L to R-1",
     false, Paste},
    {"--blend", "FILE@L,T,R,B:WEIGHT",
     "the image becomes WEIGHT x itself + (1 - WEIGHT) x FILE, both resampled\n"
     "to the rectangle's size (WEIGHT from 0 to 1)",
     false, Blend},
    {"--warp", "", "quadratic warp of the whole image", false, Warp},
    {"--warp-rect", "L,T,R,B", "warp the rectangle (right and bottom included) inside the image", false, WarpRect},
    {"--line", "X1,Y1,X2,Y2:COLOUR", "draw a line (its last column is not drawn)", false, Line},
    {"--rect", "L,T,R,B:COLOUR", "draw a rectangle outline (column R is not drawn)", false, Rectangle},
    {"--circle", "X,Y,R:COLOUR", "draw a circle", false, Circle},
    {"--text", "X,Y:HEIGHT:COLOUR:TEXT[:FACE]",
     "draw UTF-8 text in a font HEIGHT pixels high, in the rows above\n"
     "picture row Y, from column X; FACE is a font name such as 宋体 or\n"
     "Arial (an installed font that has the text is used if it is missing);\n"
     "a TEXT that holds ':' ends with :FACE or ':'",
     false, Text},
    // neighbourhood filters
    {"--border", "MODE",
     "how the filters after it read beyond the edge: mirror (1, the default),\n"
     "hold (2), wrap (3) or zero (0)",
     false, Border},
    {"--flip-kernel", "", "reflect the kernels of the filters after it about their centre", false, FlipKernel},
    {"--convolve", "KERNELFILE[:MODE]",
     "convolve an 8-bit image with the square kernel in KERNELFILE (n lines\n"
     "of n numbers, n odd, as it lies over the picture); MODE 0 clamps to\n"
     "0..255 (the default), 1 takes the magnitude, 2 puts 0 at 128 at half\n"
     "scale, 3 stretches the responses over 0..255",
     false, Convolve},
    {"--gradient", "", "the gradient magnitude of an 8-bit image, clamped to 255", false, GradientImage},
    {"--nearest-mean", "MASKFILE",
     "each pixel of an 8-bit image becomes the masked neighbour nearest to\n"
     "their mean; MASKFILE holds rows of 0/1 (odd sides, as over the picture)",
     false, NearestMean},
    {"--erode", "MASKFILE[:black]",
     "erode the white objects of an 8-bit image (black ones with :black) with\n"
     "the mask; the result is black and white",
     false, Erode},
    {"--dilate", "MASKFILE[:black]", "dilate the white objects (black ones with :black)", false, Dilate},
    {"--negative", "", "the negative: pixels of a 24-bit image, the palette of others", true, Negative},
    {"--invert", "", "every pixel byte of an 8 or 24-bit image becomes 255 minus itself", false, Invert},
    // grey conversion and point operations
    {"--gray", "MASK",
     "make the picture grey (the palette of an image with one): the grey level\n"
     "goes into red (1), green (2) and blue (4) as MASK says (0: all three), the\n"
     "other channels become 0; after one --gray the next moves that level",
     true, Gray},
    {"--to-8bit", "MODE",
     "a 24-bit image becomes 8-bit: 0 grey, 1 blue, 2 green, 3 green and red,\n"
     "4 red, 5 blue and red, 6 blue and green",
     false, To8Bit},
    {"--lut", "FILE", "map every byte v to byte v of FILE (256 bytes)", false, Lut},
    {"--stretch", "", "spread the bytes' range over 0 to 255", false, Stretch},
    {"--equalize", "", "equalise the grey histogram", false, Equalize},
    {"--binarize", "T[:strict]", "8-bit: 255 at or above T (above T with :strict), else 0", false, Binarize},
    {"--abs-diff", "FILE", "8-bit: each byte becomes |byte - FILE's byte| (FILE 8-bit, same size)", false, AbsDiff},
};

const Operation* Find(const std::string& name) {
    for (const Operation& op : kOperations)
        if (name == op.name) return &op;
    return nullptr;
}

class CEdit : public cli::CCommand {
public:
    void Define(CLI::App& app) override {
        app.footer("Loads IN, applies the operations in the order they are given, and saves OUT; each\n"
                   "file is BMP (.bmp), CPR (.cpr), raw (.raw), PNG (.png) or, to read only, JPEG\n"
                   "(.jpg) by its extension. Coordinates are pixels from the picture's top-left\n"
                   "corner; a value that begins with '-' is given with '=' (--line=-5,0,40,20:#FF0000).\n"
                   "Colours are #RRGGBB; an 8-bit image gets their grey level. Drawing skips what\n"
                   "falls outside the image; other rectangles must lie inside it. The same seed and\n"
                   "operations always give the same file.");
        app.add_option("IN", m_in, "the image to edit: .bmp, .cpr, .raw, .png or .jpg")->required()->check(cli::ImageFileName());
        app.add_option("OUT", m_out, "the file to write: .bmp, .cpr, .raw or .png")
            ->required()
            ->check(cli::ImageFileName())
            ->check(cli::WritableFileName());
        app.add_option("--seed", m_nSeed,
                       "seed of the random generator that rounds exact halves (0 to 4294967295);\n"
                       "without it the clock is used")
            ->type_name("N")
            ->transform(cli::WholeNumber("--seed", 0, 0xFFFFFFFFull));
        for (const Operation& op : kOperations) {
            CLI::Option* option = *op.form ? app.add_option(op.name, op.help)->type_name(op.form) : app.add_flag(op.name, op.help);
            option->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)->group("Operations");
        }
    }

    int Run(const CLI::App& app) override {
        Edit e{std::make_unique<CDib>(), "", ""};
        if (!cli::LoadOrExplain(*e.image, m_in)) return cli::kExitFailed;
        crt::srand(app.count("--seed") ? unsigned(m_nSeed) : unsigned(std::time(nullptr)));
        for (const auto& [option, value] : cli::OptionsInOrder(app)) {
            const Operation* op = Find(option->get_name());
            if (!op) continue;
            e.option = op->name;
            e.value = value;
            try {
                int nBits = e.image->m_nBitCount;
                if (!op->bAnyDepth && nBits != 8 && nBits != 24)
                    e.Bad("works on 8 and 24-bit images; this one is " + std::to_string(nBits) + "-bit");
                e.image->m_nError = 0;
                op->apply(e);
                if (e.image->m_nError) throw cli::LibraryFailed{e.image->m_nError};
            } catch (const cli::BadValue& bad) {
                return cli::UsageError(app, bad.message);
            } catch (const cli::LibraryFailed& failed) {
                std::fprintf(stderr, "moro-cli: %s failed: the image %s\n", op->name, cli::ErrorText(failed.nError));
                return cli::kExitFailed;
            } catch (const Explained&) {
                return cli::kExitFailed;
            }
        }
        return cli::SaveOrExplain(*e.image, m_out, cli::SaveOptions{}) ? cli::kExitOk : cli::kExitFailed;
    }

private:
    std::string m_in, m_out;
    unsigned long long m_nSeed = 0;
};

}  // namespace

MORO_CLI_COMMAND(CEdit, "edit", "crops, flips, resamples, pastes, blends, warps and draws into an image");

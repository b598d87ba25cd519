// Blits, device-independent bitmaps and gradients.
#include "GdiInternal.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace gdi {

using namespace detail;

namespace {

// The colour part of a raster operation on 0x00RRGGBB words (s source, d destination, p pattern).
bool KnownRop(DWORD rop)
{
    switch (rop) {
    case SRCCOPY:
    case SRCPAINT:
    case SRCAND:
    case SRCINVERT:
    case SRCERASE:
    case NOTSRCCOPY:
    case NOTSRCERASE:
    case MERGEPAINT:
    case DSTINVERT:
    case BLACKNESS:
    case WHITENESS:
    case PATCOPY:
    case PATINVERT:
        return true;
    default:
        return false;
    }
}

bool UsesSource(DWORD rop)
{
    return rop != DSTINVERT && rop != BLACKNESS && rop != WHITENESS && rop != PATCOPY && rop != PATINVERT;
}

std::uint32_t ApplyRop(DWORD rop, std::uint32_t s, std::uint32_t d, std::uint32_t p)
{
    switch (rop) {
    case SRCCOPY:
        return s;
    case SRCPAINT:
        return s | d;
    case SRCAND:
        return s & d;
    case SRCINVERT:
        return s ^ d;
    case SRCERASE:
        return s & ~d;
    case NOTSRCCOPY:
        return ~s;
    case NOTSRCERASE:
        return ~(s | d);
    case MERGEPAINT:
        return ~s | d;
    case DSTINVERT:
        return ~d;
    case BLACKNESS:
        return 0;
    case WHITENESS:
        return 0xFFFFFFFFu;
    case PATCOPY:
        return p;
    case PATINVERT:
        return p ^ d;
    default:
        return d;
    }
}

// Writes the result of rop at one pixel. The fourth byte of a SRCCOPY travels with the pixel into a
// memory bitmap (an alpha picture keeps its alpha through a copy); every other operation leaves 0
// there, and opaque surfaces always keep 0xFF.
void Store(QImage& target, std::uint32_t& word, DWORD rop, std::uint32_t source, std::uint32_t sourceFourth,
           std::uint32_t pattern)
{
    const std::uint32_t colour = ApplyRop(rop, source, word, pattern) & 0x00FFFFFFu;
    if (Opaque(target)) {
        word = colour | 0xFF000000u;
    } else {
        word = colour | (rop == SRCCOPY ? (sourceFourth << 24) : 0u);
    }
}

std::uint32_t PatternOf(HDC dc)
{
    DeviceContext* d = AsDc(dc);
    return d != nullptr && d->SelectedBrush != nullptr ? ToQRgb(d->SelectedBrush->Color) : 0u;
}

// The fourth byte a source pixel brings along: an opaque surface brings 0 (the reserved byte of a
// device bitmap), a memory bitmap what it holds.
std::uint32_t FourthOf(const QImage& source, std::uint32_t word)
{
    return Opaque(source) ? 0u : (word >> 24);
}

} // namespace

BOOL StretchBlt(HDC destination, int x, int y, int width, int height, HDC source, int xSrc, int ySrc, int widthSrc,
                int heightSrc, DWORD rop)
{
    QImage* target = SurfaceOf(destination);
    if (target == nullptr || !KnownRop(rop)) {
        return FALSE;
    }
    const std::uint32_t pattern = PatternOf(destination);
    const bool needsSource = UsesSource(rop);
    QImage sourceCopy;
    if (needsSource) {
        QImage* s = SurfaceOf(source);
        if (s == nullptr) {
            return FALSE;
        }
        sourceCopy = *s; // detached on write; a blit within one surface reads the unchanged pixels
        sourceCopy.detach();
    }
    if (width == 0 || height == 0 || (needsSource && (widthSrc == 0 || heightSrc == 0))) {
        return TRUE;
    }
    // Negative extents mirror; work on normalised destination coordinates.
    const bool flipX = (width < 0) != (widthSrc < 0);
    const bool flipY = (height < 0) != (heightSrc < 0);
    const int w = std::abs(width);
    const int h = std::abs(height);
    const int left = width < 0 ? x + width + 1 : x;
    const int top = height < 0 ? y + height + 1 : y;
    const int sw = std::abs(widthSrc);
    const int sh = std::abs(heightSrc);
    const int sLeft = widthSrc < 0 ? xSrc + widthSrc + 1 : xSrc;
    const int sTop = heightSrc < 0 ? ySrc + heightSrc + 1 : ySrc;
    const QRect area = QRect(left, top, w, h).intersected(target->rect());
    for (int ty = area.top(); ty <= area.bottom(); ++ty) {
        std::uint32_t* row = Row(*target, ty);
        int sy = 0;
        if (needsSource) {
            const int iy = ty - top;
            sy = sTop + static_cast<int>(static_cast<long long>(flipY ? h - 1 - iy : iy) * sh / h);
            if (sy < 0 || sy >= sourceCopy.height()) {
                continue;
            }
        }
        for (int tx = area.left(); tx <= area.right(); ++tx) {
            std::uint32_t s = 0;
            std::uint32_t fourth = 0;
            if (needsSource) {
                const int ix = tx - left;
                const int sx = sLeft + static_cast<int>(static_cast<long long>(flipX ? w - 1 - ix : ix) * sw / w);
                if (sx < 0 || sx >= sourceCopy.width()) {
                    continue;
                }
                const std::uint32_t word = Row(sourceCopy, sy)[sx];
                s = word & 0x00FFFFFFu;
                fourth = FourthOf(sourceCopy, word);
            }
            Store(*target, row[tx], rop, s, fourth, pattern);
        }
    }
    return TRUE;
}

BOOL BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int xSrc, int ySrc, DWORD rop)
{
    if (width < 0 || height < 0) {
        return FALSE;
    }
    return StretchBlt(destination, x, y, width, height, source, xSrc, ySrc, width, height, rop);
}

BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop)
{
    if (UsesSource(rop)) {
        return FALSE;
    }
    return StretchBlt(dc, x, y, width, height, nullptr, 0, 0, 0, 0, rop);
}

int DibStride(int width, int bitCount)
{
    return ((width * bitCount + 31) / 32) * 4;
}

namespace {

bool DibFormatOk(const BITMAPINFO* info)
{
    return info != nullptr && info->bmiHeader.biWidth > 0 && info->bmiHeader.biHeight != 0 &&
           (info->bmiHeader.biBitCount == 24 || info->bmiHeader.biBitCount == 32) &&
           info->bmiHeader.biCompression == BI_RGB;
}

} // namespace

int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage)
{
    BitmapImpl* b = AsBitmap(bitmap);
    if ((dc != nullptr && AsDc(dc) == nullptr) || b == nullptr || info == nullptr || usage != DIB_RGB_COLORS) {
        return 0;
    }
    BITMAPINFOHEADER& h = info->bmiHeader;
    if (bits == nullptr) {
        h.biWidth = b->Image.width();
        h.biHeight = b->Image.height();
        h.biPlanes = 1;
        if (h.biBitCount == 0) {
            h.biBitCount = 32;
        }
        h.biCompression = BI_RGB;
        h.biSizeImage = static_cast<DWORD>(DibStride(h.biWidth, h.biBitCount) * h.biHeight);
        return h.biHeight;
    }
    if (!DibFormatOk(info)) {
        return 0;
    }
    const int width = h.biWidth;
    const int rows = std::abs(h.biHeight);
    const int stride = DibStride(width, h.biBitCount);
    const int bytes = h.biBitCount / 8;
    if (start >= static_cast<UINT>(rows)) {
        return 0;
    }
    const int count = static_cast<int>(std::min<UINT>(lines, static_cast<UINT>(rows) - start));
    auto* out = static_cast<std::uint8_t*>(bits);
    // Scan line s (counted from the bottom for a bottom-up DIB) sits at memory row s - start.
    for (int i = 0; i < count; ++i) {
        const int scan = static_cast<int>(start) + i;
        const int topDown = h.biHeight > 0 ? rows - 1 - scan : scan;
        std::uint8_t* dst = out + static_cast<std::ptrdiff_t>(i) * stride;
        std::memset(dst, 0, static_cast<size_t>(stride));
        if (topDown < 0 || topDown >= b->Image.height()) {
            continue;
        }
        const std::uint32_t* src = Row(b->Image, topDown);
        for (int x = 0; x < width && x < b->Image.width(); ++x) {
            const std::uint32_t word = src[x];
            dst[x * bytes] = static_cast<std::uint8_t>(word & 0xFF);
            dst[x * bytes + 1] = static_cast<std::uint8_t>((word >> 8) & 0xFF);
            dst[x * bytes + 2] = static_cast<std::uint8_t>((word >> 16) & 0xFF);
            if (bytes == 4) {
                dst[x * bytes + 3] = static_cast<std::uint8_t>(word >> 24);
            }
        }
    }
    return count;
}

namespace {

// Reads the DIB pixel at column x of top-down row r as a stored word for target; false when the row is
// not among the scan lines held in bits.
bool DibPixel(const BITMAPINFOHEADER& h, const std::uint8_t* bits, int firstScan, int scanCount, int x, int topDown,
              const QImage& target, std::uint32_t& word)
{
    const int rows = std::abs(h.biHeight);
    if (x < 0 || x >= h.biWidth || topDown < 0 || topDown >= rows) {
        return false;
    }
    const int scan = h.biHeight > 0 ? rows - 1 - topDown : topDown;
    if (scan < firstScan || scan >= firstScan + scanCount) {
        return false;
    }
    const int bytes = h.biBitCount / 8;
    const std::uint8_t* p = bits + static_cast<std::ptrdiff_t>(scan - firstScan) * DibStride(h.biWidth, h.biBitCount) +
                            static_cast<std::ptrdiff_t>(x) * bytes;
    const std::uint32_t colour = p[0] | (p[1] << 8) | (static_cast<std::uint32_t>(p[2]) << 16);
    if (Opaque(target)) {
        word = colour | 0xFF000000u;
    } else {
        word = colour | (bytes == 4 ? static_cast<std::uint32_t>(p[3]) << 24 : 0u);
    }
    return true;
}

} // namespace

int SetDIBitsToDevice(HDC dc, int x, int y, DWORD width, DWORD height, int xSrc, int ySrc, UINT startScan, UINT lines,
                      const void* bits, const BITMAPINFO* info, UINT usage)
{
    QImage* target = SurfaceOf(dc);
    if (target == nullptr || bits == nullptr || !DibFormatOk(info) || usage != DIB_RGB_COLORS) {
        return 0;
    }
    const BITMAPINFOHEADER& h = info->bmiHeader;
    const int rows = std::abs(h.biHeight);
    const int w = static_cast<int>(width);
    const int hgt = static_cast<int>(height);
    // Source rectangle in top-down rows: a bottom-up DIB counts ySrc from its bottom row.
    const int sourceTop = h.biHeight > 0 ? rows - ySrc - hgt : ySrc;
    const QRect area = QRect(x, y, w, hgt).intersected(target->rect());
    const auto* data = static_cast<const std::uint8_t*>(bits);
    for (int ty = area.top(); ty <= area.bottom(); ++ty) {
        std::uint32_t* row = Row(*target, ty);
        for (int tx = area.left(); tx <= area.right(); ++tx) {
            std::uint32_t word = 0;
            if (DibPixel(h, data, static_cast<int>(startScan), static_cast<int>(lines), xSrc + tx - x,
                         sourceTop + ty - y, *target, word)) {
                row[tx] = word;
            }
        }
    }
    return static_cast<int>(std::min<UINT>(lines, static_cast<UINT>(rows)));
}

int StretchDIBits(HDC dc, int x, int y, int width, int height, int xSrc, int ySrc, int widthSrc, int heightSrc,
                  const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop)
{
    QImage* target = SurfaceOf(dc);
    if (target == nullptr || bits == nullptr || !DibFormatOk(info) || usage != DIB_RGB_COLORS || !KnownRop(rop)) {
        return 0;
    }
    const BITMAPINFOHEADER& h = info->bmiHeader;
    const int rows = std::abs(h.biHeight);
    if (width == 0 || height == 0 || widthSrc == 0 || heightSrc == 0) {
        return rows;
    }
    const bool flipX = (width < 0) != (widthSrc < 0);
    const bool flipY = (height < 0) != (heightSrc < 0);
    const int w = std::abs(width);
    const int hgt = std::abs(height);
    const int left = width < 0 ? x + width + 1 : x;
    const int top = height < 0 ? y + height + 1 : y;
    const int sw = std::abs(widthSrc);
    const int sh = std::abs(heightSrc);
    const int sLeft = widthSrc < 0 ? xSrc + widthSrc + 1 : xSrc;
    const int sBottomUp = heightSrc < 0 ? ySrc + heightSrc + 1 : ySrc;
    const int sourceTop = h.biHeight > 0 ? rows - sBottomUp - sh : sBottomUp;
    const std::uint32_t pattern = PatternOf(dc);
    const QRect area = QRect(left, top, w, hgt).intersected(target->rect());
    const auto* data = static_cast<const std::uint8_t*>(bits);
    for (int ty = area.top(); ty <= area.bottom(); ++ty) {
        std::uint32_t* row = Row(*target, ty);
        const int iy = ty - top;
        const int sy = sourceTop + static_cast<int>(static_cast<long long>(flipY ? hgt - 1 - iy : iy) * sh / hgt);
        for (int tx = area.left(); tx <= area.right(); ++tx) {
            const int ix = tx - left;
            const int sx = sLeft + static_cast<int>(static_cast<long long>(flipX ? w - 1 - ix : ix) * sw / w);
            std::uint32_t word = 0;
            if (!DibPixel(h, data, 0, rows, sx, sy, *target, word)) {
                continue;
            }
            if (rop == SRCCOPY) {
                row[tx] = word;
            } else {
                Store(*target, row[tx], rop, word & 0x00FFFFFFu, 0, pattern);
            }
        }
    }
    return rows;
}

BOOL GradientFill(HDC dc, const TRIVERTEX* vertices, ULONG vertexCount, const void* mesh, ULONG meshCount, ULONG mode)
{
    QImage* target = SurfaceOf(dc);
    if (target == nullptr || vertices == nullptr || mesh == nullptr ||
        (mode != GRADIENT_FILL_RECT_H && mode != GRADIENT_FILL_RECT_V)) {
        return FALSE;
    }
    const auto* rects = static_cast<const GRADIENT_RECT*>(mesh);
    for (ULONG m = 0; m < meshCount; ++m) {
        if (rects[m].UpperLeft >= vertexCount || rects[m].LowerRight >= vertexCount) {
            return FALSE;
        }
        TRIVERTEX v0 = vertices[rects[m].UpperLeft];
        TRIVERTEX v1 = vertices[rects[m].LowerRight];
        // The colours stay with their vertices: the gradient runs from the vertex with the smaller
        // coordinate along its axis.
        const bool horizontal = mode == GRADIENT_FILL_RECT_H;
        if ((horizontal && v0.X > v1.X) || (!horizontal && v0.Y > v1.Y)) {
            std::swap(v0, v1);
        }
        const int left = std::min(v0.X, v1.X);
        const int right = std::max(v0.X, v1.X);
        const int top = std::min(v0.Y, v1.Y);
        const int bottom = std::max(v0.Y, v1.Y);
        const int len = horizontal ? right - left : bottom - top;
        if (right <= left || bottom <= top) {
            continue;
        }
        const auto channel = [len](unsigned c0, unsigned c1, int pos) {
            return static_cast<std::uint32_t>((static_cast<unsigned long long>(c0) * static_cast<unsigned>(len - pos) +
                                               static_cast<unsigned long long>(c1) * static_cast<unsigned>(pos)) /
                                              static_cast<unsigned>(len) / 256u);
        };
        const QRect area = QRect(left, top, right - left, bottom - top).intersected(target->rect());
        for (int ty = area.top(); ty <= area.bottom(); ++ty) {
            std::uint32_t* row = Row(*target, ty);
            for (int tx = area.left(); tx <= area.right(); ++tx) {
                const int pos = horizontal ? tx - left : ty - top;
                const std::uint32_t r = channel(v0.Red, v1.Red, pos);
                const std::uint32_t g = channel(v0.Green, v1.Green, pos);
                const std::uint32_t b = channel(v0.Blue, v1.Blue, pos);
                const std::uint32_t a = Opaque(*target) ? 0xFFu : channel(v0.Alpha, v1.Alpha, pos);
                row[tx] = (a << 24) | (r << 16) | (g << 8) | b;
            }
        }
    }
    return TRUE;
}

} // namespace gdi

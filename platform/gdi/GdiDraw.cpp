// Rectangles, lines, fills, pixels, three-dimensional borders, focus rectangles and icons.
#include "GdiInternal.h"

#include <algorithm>
#include <cstdlib>

namespace gdi {

using namespace detail;

BOOL SetRect(RECT* rect, int left, int top, int right, int bottom)
{
    if (rect == nullptr) {
        return FALSE;
    }
    *rect = RECT{left, top, right, bottom};
    return TRUE;
}

BOOL SetRectEmpty(RECT* rect)
{
    return SetRect(rect, 0, 0, 0, 0);
}

BOOL CopyRect(RECT* destination, const RECT* source)
{
    if (destination == nullptr || source == nullptr) {
        return FALSE;
    }
    *destination = *source;
    return TRUE;
}

BOOL OffsetRect(RECT* rect, int dx, int dy)
{
    if (rect == nullptr) {
        return FALSE;
    }
    rect->Left += dx;
    rect->Right += dx;
    rect->Top += dy;
    rect->Bottom += dy;
    return TRUE;
}

BOOL InflateRect(RECT* rect, int dx, int dy)
{
    if (rect == nullptr) {
        return FALSE;
    }
    rect->Left -= dx;
    rect->Right += dx;
    rect->Top -= dy;
    rect->Bottom += dy;
    return TRUE;
}

BOOL IsRectEmpty(const RECT* rect)
{
    return rect == nullptr || rect->Right <= rect->Left || rect->Bottom <= rect->Top ? TRUE : FALSE;
}

BOOL PtInRect(const RECT* rect, POINT point)
{
    return rect != nullptr && point.X >= rect->Left && point.X < rect->Right && point.Y >= rect->Top &&
                   point.Y < rect->Bottom
               ? TRUE
               : FALSE;
}

BOOL IntersectRect(RECT* destination, const RECT* a, const RECT* b)
{
    if (destination == nullptr || a == nullptr || b == nullptr) {
        return FALSE;
    }
    RECT r{std::max(a->Left, b->Left), std::max(a->Top, b->Top), std::min(a->Right, b->Right),
           std::min(a->Bottom, b->Bottom)};
    if (IsRectEmpty(&r)) {
        *destination = RECT{};
        return FALSE;
    }
    *destination = r;
    return TRUE;
}

BOOL MoveToEx(HDC dc, int x, int y, POINT* previous)
{
    DeviceContext* d = AsDc(dc);
    if (d == nullptr) {
        return FALSE;
    }
    if (previous != nullptr) {
        *previous = d->Position;
    }
    d->Position = POINT{x, y};
    return TRUE;
}

namespace {

// The minor coordinate at step i of n along a line whose minor extent is d (>= 0) in direction sign:
// the nearest integer to start + sign * i * d / n, a half going to the smaller coordinate, so that a
// line covers the same pixels whichever end it is drawn from.
int Minor(int start, int sign, long long i, long long d, long long n)
{
    const long long a = i * d;
    if (sign > 0) {
        return start + static_cast<int>((2 * a + n - 1) / (2 * n));
    }
    return start - static_cast<int>((2 * a + n) / (2 * n));
}

// One-pixel line without its end point, one pixel per step along the major axis.
void ThinLine(QImage& image, int x0, int y0, int x1, int y1, COLORREF color)
{
    const int dx = std::abs(x1 - x0);
    const int dy = std::abs(y1 - y0);
    const int sx = x1 >= x0 ? 1 : -1;
    const int sy = y1 >= y0 ? 1 : -1;
    if (dx >= dy) {
        for (int i = 0; i < dx; ++i) {
            PutPixel(image, x0 + sx * i, Minor(y0, sy, i, dy, dx), color);
        }
    } else {
        for (int i = 0; i < dy; ++i) {
            PutPixel(image, Minor(x0, sx, i, dx, dy), y0 + sy * i, color);
        }
    }
}

void WideLine(QImage& image, int x0, int y0, int x1, int y1, int width, COLORREF color)
{
    const QRect area = QRect(QPoint(std::min(x0, x1), std::min(y0, y1)), QPoint(std::max(x0, x1), std::max(y0, y1)))
                           .adjusted(-width, -width, width, width);
    PaintOn(image, area, [&](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing, false);
        QPen pen(QColor::fromRgb(ToQRgb(color)));
        pen.setWidth(width);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        p.setPen(pen);
        p.drawLine(x0, y0, x1, y1);
    });
}

void DrawWithPen(QImage& image, const PenImpl& pen, int x0, int y0, int x1, int y1)
{
    if (pen.Style == PS_NULL) {
        return;
    }
    if (pen.Width <= 1) {
        ThinLine(image, x0, y0, x1, y1, pen.Color);
    } else {
        WideLine(image, x0, y0, x1, y1, pen.Width, pen.Color);
    }
}

QRect Normalised(const RECT& r)
{
    const int left = std::min(r.Left, r.Right);
    const int right = std::max(r.Left, r.Right);
    const int top = std::min(r.Top, r.Bottom);
    const int bottom = std::max(r.Top, r.Bottom);
    return QRect(left, top, right - left, bottom - top);
}

} // namespace

BOOL LineTo(HDC dc, int x, int y)
{
    DeviceContext* d = AsDc(dc);
    QImage* image = SurfaceOf(dc);
    if (d == nullptr) {
        return FALSE;
    }
    if (image != nullptr && d->SelectedPen != nullptr) {
        DrawWithPen(*image, *d->SelectedPen, d->Position.X, d->Position.Y, x, y);
    }
    d->Position = POINT{x, y};
    return TRUE;
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush)
{
    QImage* image = SurfaceOf(dc);
    BrushImpl* b = AsBrush(brush);
    if (image == nullptr || b == nullptr || rect == nullptr) {
        return 0;
    }
    if (!b->Null) {
        FillWords(*image, Normalised(*rect), Drawn(*image, b->Color));
    }
    return 1;
}

int FrameRect(HDC dc, const RECT* rect, HBRUSH brush)
{
    QImage* image = SurfaceOf(dc);
    BrushImpl* b = AsBrush(brush);
    if (image == nullptr || b == nullptr || rect == nullptr) {
        return 0;
    }
    if (rect->Right <= rect->Left || rect->Bottom <= rect->Top) {
        return 0;
    }
    if (b->Null) {
        return 1;
    }
    const std::uint32_t word = Drawn(*image, b->Color);
    const int w = rect->Right - rect->Left;
    const int h = rect->Bottom - rect->Top;
    FillWords(*image, QRect(rect->Left, rect->Top, w, 1), word);
    FillWords(*image, QRect(rect->Left, rect->Bottom - 1, w, 1), word);
    FillWords(*image, QRect(rect->Left, rect->Top, 1, h), word);
    FillWords(*image, QRect(rect->Right - 1, rect->Top, 1, h), word);
    return 1;
}

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom)
{
    DeviceContext* d = AsDc(dc);
    QImage* image = SurfaceOf(dc);
    if (d == nullptr || image == nullptr) {
        return FALSE;
    }
    const QRect r = Normalised(RECT{left, top, right, bottom});
    if (r.width() < 1 || r.height() < 1) {
        return TRUE;
    }
    const PenImpl& pen = *d->SelectedPen;
    const BrushImpl& brush = *d->SelectedBrush;
    if (pen.Style == PS_NULL) {
        if (!brush.Null) {
            FillWords(*image, r, Drawn(*image, brush.Color));
        }
        return TRUE;
    }
    if (!brush.Null) {
        FillWords(*image, r.adjusted(1, 1, -1, -1), Drawn(*image, brush.Color));
    }
    if (pen.Width <= 1) {
        const std::uint32_t word = Drawn(*image, pen.Color);
        FillWords(*image, QRect(r.left(), r.top(), r.width(), 1), word);
        FillWords(*image, QRect(r.left(), r.bottom(), r.width(), 1), word);
        FillWords(*image, QRect(r.left(), r.top(), 1, r.height()), word);
        FillWords(*image, QRect(r.right(), r.top(), 1, r.height()), word);
    } else {
        const int x0 = r.left();
        const int y0 = r.top();
        const int x1 = r.right();
        const int y1 = r.bottom();
        PaintOn(*image, r.adjusted(-pen.Width, -pen.Width, pen.Width, pen.Width), [&](QPainter& p) {
            QPen qpen(QColor::fromRgb(ToQRgb(pen.Color)));
            qpen.setWidth(pen.Width);
            qpen.setJoinStyle(Qt::MiterJoin);
            p.setPen(qpen);
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRect(QPoint(x0, y0), QPoint(x1, y1)).adjusted(0, 0, -1, -1));
        });
    }
    return TRUE;
}

BOOL InvertRect(HDC dc, const RECT* rect)
{
    QImage* image = SurfaceOf(dc);
    if (image == nullptr || rect == nullptr) {
        return FALSE;
    }
    const QRect r = Normalised(*rect).intersected(image->rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        std::uint32_t* row = Row(*image, y);
        for (int x = r.left(); x <= r.right(); ++x) {
            row[x] ^= 0x00FFFFFFu;
        }
    }
    return TRUE;
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color)
{
    QImage* image = SurfaceOf(dc);
    if (image == nullptr || !image->rect().contains(x, y)) {
        return CLR_INVALID;
    }
    PutPixel(*image, x, y, color);
    return color & 0x00FFFFFFu;
}

BOOL SetPixelV(HDC dc, int x, int y, COLORREF color)
{
    return SetPixel(dc, x, y, color) == CLR_INVALID ? FALSE : TRUE;
}

COLORREF GetPixel(HDC dc, int x, int y)
{
    QImage* image = SurfaceOf(dc);
    if (image == nullptr || !image->rect().contains(x, y)) {
        return CLR_INVALID;
    }
    return FromQRgb(Row(*image, y)[x]);
}

namespace {

// One ring of a border: top and left in one colour, then bottom and right over the whole side in the
// other, as the classic border is drawn with lines.
void Ring(QImage& image, const RECT& r, UINT sides, COLORREF topLeft, COLORREF bottomRight)
{
    const int w = r.Right - r.Left;
    const int h = r.Bottom - r.Top;
    if (w <= 0 || h <= 0) {
        return;
    }
    const std::uint32_t light = Drawn(image, topLeft);
    const std::uint32_t dark = Drawn(image, bottomRight);
    if (sides & BF_TOP) {
        FillWords(image, QRect(r.Left, r.Top, w, 1), light);
    }
    if (sides & BF_LEFT) {
        FillWords(image, QRect(r.Left, r.Top, 1, h), light);
    }
    if (sides & BF_BOTTOM) {
        FillWords(image, QRect(r.Left, r.Bottom - 1, w, 1), dark);
    }
    if (sides & BF_RIGHT) {
        FillWords(image, QRect(r.Right - 1, r.Top, 1, h), dark);
    }
}

void Shrink(RECT& r, UINT sides)
{
    if (sides & BF_LEFT) {
        ++r.Left;
    }
    if (sides & BF_TOP) {
        ++r.Top;
    }
    if (sides & BF_RIGHT) {
        --r.Right;
    }
    if (sides & BF_BOTTOM) {
        --r.Bottom;
    }
}

} // namespace

BOOL DrawEdge(HDC dc, RECT* rect, UINT edge, UINT flags)
{
    QImage* image = SurfaceOf(dc);
    if (image == nullptr || rect == nullptr) {
        return FALSE;
    }
    RECT r = *rect;
    const UINT sides = flags & BF_RECT;
    const UINT outer = edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER);
    const UINT inner = edge & (BDR_RAISEDINNER | BDR_SUNKENINNER);
    if (outer == BDR_RAISEDOUTER) {
        Ring(*image, r, sides, GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_3DDKSHADOW));
        Shrink(r, sides);
    } else if (outer == BDR_SUNKENOUTER) {
        Ring(*image, r, sides, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
        Shrink(r, sides);
    }
    if (inner == BDR_RAISEDINNER) {
        Ring(*image, r, sides, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
        Shrink(r, sides);
    } else if (inner == BDR_SUNKENINNER) {
        Ring(*image, r, sides, GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_3DLIGHT));
        Shrink(r, sides);
    }
    if ((flags & BF_MIDDLE) && r.Right > r.Left && r.Bottom > r.Top) {
        FillWords(*image, ToQRect(r), Drawn(*image, GetSysColor(COLOR_BTNFACE)));
    }
    if (flags & BF_ADJUST) {
        *rect = r;
    }
    return TRUE;
}

BOOL DrawFocusRect(HDC dc, const RECT* rect)
{
    QImage* image = SurfaceOf(dc);
    if (image == nullptr || rect == nullptr) {
        return FALSE;
    }
    if (rect->Right <= rect->Left || rect->Bottom <= rect->Top) {
        return TRUE;
    }
    const auto invert = [&](int x, int y) {
        if ((x + y) % 2 == 0 && image->rect().contains(x, y)) {
            Row(*image, y)[x] ^= 0x00FFFFFFu;
        }
    };
    for (int x = rect->Left; x < rect->Right; ++x) {
        invert(x, rect->Top);
        if (rect->Bottom - 1 != rect->Top) {
            invert(x, rect->Bottom - 1);
        }
    }
    for (int y = rect->Top + 1; y < rect->Bottom - 1; ++y) {
        invert(rect->Left, y);
        if (rect->Right - 1 != rect->Left) {
            invert(rect->Right - 1, y);
        }
    }
    return TRUE;
}

BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT, HBRUSH flickerFreeDraw, UINT flags)
{
    QImage* image = SurfaceOf(dc);
    if (image == nullptr || !IsLive(icon)) {
        return FALSE;
    }
    const int w = cx > 0 ? cx : icon->Image.width();
    const int h = cy > 0 ? cy : icon->Image.height();
    const QImage source = (w == icon->Image.width() && h == icon->Image.height())
                              ? icon->Image
                              : icon->Image.scaled(w, h, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (BrushImpl* b = AsBrush(flickerFreeDraw); b != nullptr && !b->Null) {
        FillWords(*image, QRect(x, y, w, h), Drawn(*image, b->Color));
    }
    const QRect area = QRect(x, y, w, h).intersected(image->rect());
    for (int ty = area.top(); ty <= area.bottom(); ++ty) {
        const std::uint32_t* src = Row(source, ty - y);
        std::uint32_t* dst = Row(*image, ty);
        for (int tx = area.left(); tx <= area.right(); ++tx) {
            const std::uint32_t s = src[tx - x];
            const std::uint32_t alpha = s >> 24;
            const std::uint32_t fourth = Opaque(*image) ? 0xFF000000u : 0u;
            if ((flags & DI_NORMAL) == DI_MASK) {
                dst[tx] = (alpha == 0 ? 0x00FFFFFFu : 0u) | fourth;
            } else if ((flags & DI_NORMAL) == DI_IMAGE) {
                dst[tx] = (s & 0x00FFFFFFu) | fourth;
            } else if (alpha == 255) {
                dst[tx] = (s & 0x00FFFFFFu) | fourth;
            } else if (alpha != 0) {
                std::uint32_t out = 0;
                for (int shift = 0; shift < 24; shift += 8) {
                    const std::uint32_t sc = (s >> shift) & 0xFF;
                    const std::uint32_t dc8 = (dst[tx] >> shift) & 0xFF;
                    out |= ((sc * alpha + dc8 * (255 - alpha) + 127) / 255) << shift;
                }
                dst[tx] = out | fourth;
            }
        }
    }
    return TRUE;
}

} // namespace gdi

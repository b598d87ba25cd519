#pragma once

// Object representations shared by the gdi sources; nothing outside platform/gdi includes this.

#include "Gdi.h"

#include <QPainter>
#include <QRect>

#include <functional>

namespace gdi::detail {

// Bookkeeping every object carries: stock objects are never deleted, and an object selected into a
// DC cannot be deleted until it is selected out again.
struct ObjectState {
    bool Stock = false;
    int SelectCount = 0;
};

class PenImpl final : public Pen {
public:
    ObjectState State;
    int Style = PS_SOLID;
    int Width = 1;
    COLORREF Color = 0;
};

class BrushImpl final : public Brush {
public:
    ObjectState State;
    bool Null = false;
    COLORREF Color = 0;
};

class FontImpl final : public Font {
public:
    ObjectState State;
    QFont QtFont;
    bool Marlett = false;
    int Em = 12; // pixel height of a Marlett cell
};

// Memory bitmaps are Format_ARGB32 whose fourth byte is the DIB's fourth byte: an alpha bitmap's
// alpha, 0 where GDI drew. HasAlpha only decides what GetObject reports.
class BitmapImpl final : public Bitmap {
public:
    ObjectState State;
    QImage Image;
    bool HasAlpha = false;
};

class RegionImpl final : public Region {
public:
    ObjectState State;
    QRegion Area;
};

} // namespace gdi::detail

namespace gdi {

class DeviceContext {
public:
    QImage* External = nullptr; // the surface of an image DC (owned by the caller)
    QImage Display;             // the 1 x 1 surface of a display DC
    bool Memory = false;
    detail::BitmapImpl* SelectedBitmap = nullptr;
    detail::PenImpl* SelectedPen = nullptr;
    detail::BrushImpl* SelectedBrush = nullptr;
    detail::FontImpl* SelectedFont = nullptr;
    COLORREF TextColor = 0x000000;
    COLORREF BkColor = 0xFFFFFF;
    int BkMode = OPAQUE;
    POINT Position;

    // The image drawn on now; null only for a memory DC without a usable bitmap.
    QImage* Surface();
};

class Icon {
public:
    QImage Image; // Format_ARGB32
};

class ThemeData {
public:
    HWND Window = nullptr;
    QString ClassName;
};

} // namespace gdi

namespace gdi::detail {

// Liveness of handles: every object, DC, icon and theme made here is registered until released.
void Register(const void* handle, bool counted);
void Unregister(const void* handle, bool counted);
bool IsLive(const void* handle);

PenImpl* AsPen(HGDIOBJ object);
BrushImpl* AsBrush(HGDIOBJ object);
FontImpl* AsFont(HGDIOBJ object);
BitmapImpl* AsBitmap(HGDIOBJ object);
RegionImpl* AsRegion(HGDIOBJ object);
ObjectState* StateOf(HGDIOBJ object);
DeviceContext* AsDc(HDC dc);
// The DC's surface when dc is live and has one.
QImage* SurfaceOf(HDC dc);

FontImpl* DefaultFont();

inline bool Opaque(const QImage& image)
{
    return image.format() == QImage::Format_RGB32;
}

// 0x00RRGGBB of a COLORREF and back.
inline std::uint32_t ToQRgb(COLORREF c)
{
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
inline COLORREF FromQRgb(std::uint32_t p)
{
    return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16);
}

// The stored word for a colour drawn by GDI: opaque surfaces keep 0xFF in the fourth byte, memory
// bitmaps 0.
inline std::uint32_t Drawn(const QImage& image, COLORREF c)
{
    return ToQRgb(c) | (Opaque(image) ? 0xFF000000u : 0u);
}

inline std::uint32_t* Row(QImage& image, int y)
{
    return reinterpret_cast<std::uint32_t*>(image.scanLine(y));
}
inline const std::uint32_t* Row(const QImage& image, int y)
{
    return reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
}

// Fills the rectangle, clipped to the image, with one stored word.
void FillWords(QImage& image, QRect area, std::uint32_t word);
void PutPixel(QImage& image, int x, int y, COLORREF color);

// Runs a QPainter over the area of the image. Memory bitmaps are painted through an opaque copy so that
// Qt's alpha handling leaves no trace: pixels the painter changed get the fourth byte 0, the others
// keep theirs.
void PaintOn(QImage& image, const QRect& area, const std::function<void(QPainter&)>& paint);

QRect ToQRect(const RECT& r);

} // namespace gdi::detail

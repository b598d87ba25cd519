// Regions and window regions.
#include "GdiInternal.h"

#include <QPainter>
#include <QWidget>

#include <cstdlib>
#include <vector>

namespace gdi {

using namespace detail;

namespace {

RegionImpl* NewRegion(const QRegion& area)
{
    auto* region = new RegionImpl;
    region->Area = area;
    Register(static_cast<const GdiObject*>(region), true);
    return region;
}

QRegion RectArea(int left, int top, int right, int bottom)
{
    if (left > right) {
        std::swap(left, right);
    }
    if (top > bottom) {
        std::swap(top, bottom);
    }
    if (right == left || bottom == top) {
        return {};
    }
    return QRegion(left, top, right - left, bottom - top);
}

int Complexity(const QRegion& area)
{
    if (area.isEmpty()) {
        return NULLREGION;
    }
    return area.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

} // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom)
{
    return NewRegion(RectArea(left, top, right, bottom));
}

HRGN CreateRectRgnIndirect(const RECT* rect)
{
    return rect == nullptr ? nullptr : CreateRectRgn(rect->Left, rect->Top, rect->Right, rect->Bottom);
}

HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight)
{
    if (left > right) {
        std::swap(left, right);
    }
    if (top > bottom) {
        std::swap(top, bottom);
    }
    // The rounded shape lies one pixel inside the given right and bottom edges.
    --right;
    --bottom;
    const int width = right - left;
    const int height = bottom - top;
    if (width <= 0 || height <= 0) {
        return NewRegion({});
    }
    const int ew = std::min(width, std::abs(ellipseWidth));
    const int eh = std::min(height, std::abs(ellipseHeight));
    if (ew < 2 || eh < 2) {
        return NewRegion(QRegion(left, top, width, height));
    }
    const int rx = ew / 2;
    const int ry = eh / 2;
    // inset[j]: pixels left out at each end of row j from the top (and from the bottom) edge. Corner
    // pixel (i, j), counted from the corner, is left out when its outermost point (i, j) lies strictly
    // outside the ellipse centred at (rx, ry): (rx - i)^2 ry^2 + (ry - j)^2 rx^2 > rx^2 ry^2.
    QRegion area;
    std::vector<int> inset(static_cast<size_t>(ry), 0);
    for (int j = 0; j < ry; ++j) {
        int cut = 0;
        while (cut < rx) {
            const long long dx = rx - cut;
            const long long dy = ry - j;
            if (dx * dx * ry * ry + dy * dy * rx * rx > 1LL * rx * rx * ry * ry) {
                ++cut;
            } else {
                break;
            }
        }
        inset[static_cast<size_t>(j)] = cut;
    }
    for (int y = 0; y < height; ++y) {
        int cut = 0;
        if (y < ry) {
            cut = inset[static_cast<size_t>(y)];
        } else if (height - 1 - y < ry) {
            cut = inset[static_cast<size_t>(height - 1 - y)];
        }
        if (width - 2 * cut > 0) {
            area += QRect(left + cut, top + y, width - 2 * cut, 1);
        }
    }
    return NewRegion(area);
}

HRGN CreateRegionFromQRegion(const QRegion& region)
{
    return NewRegion(region);
}

int CombineRgn(HRGN destination, HRGN source1, HRGN source2, int mode)
{
    RegionImpl* d = AsRegion(destination);
    RegionImpl* a = AsRegion(source1);
    if (d == nullptr || a == nullptr) {
        return RGN_ERROR;
    }
    if (mode == RGN_COPY) {
        d->Area = a->Area;
        return Complexity(d->Area);
    }
    RegionImpl* b = AsRegion(source2);
    if (b == nullptr) {
        return RGN_ERROR;
    }
    switch (mode) {
    case RGN_AND:
        d->Area = a->Area.intersected(b->Area);
        break;
    case RGN_OR:
        d->Area = a->Area.united(b->Area);
        break;
    case RGN_XOR:
        d->Area = a->Area.xored(b->Area);
        break;
    case RGN_DIFF:
        d->Area = a->Area.subtracted(b->Area);
        break;
    default:
        return RGN_ERROR;
    }
    return Complexity(d->Area);
}

BOOL PtInRegion(HRGN region, int x, int y)
{
    RegionImpl* r = AsRegion(region);
    return r != nullptr && r->Area.contains(QPoint(x, y)) ? TRUE : FALSE;
}

BOOL EqualRgn(HRGN a, HRGN b)
{
    RegionImpl* ra = AsRegion(a);
    RegionImpl* rb = AsRegion(b);
    return ra != nullptr && rb != nullptr && ra->Area == rb->Area ? TRUE : FALSE;
}

int OffsetRgn(HRGN region, int dx, int dy)
{
    RegionImpl* r = AsRegion(region);
    if (r == nullptr) {
        return RGN_ERROR;
    }
    r->Area.translate(dx, dy);
    return Complexity(r->Area);
}

int GetRgnBox(HRGN region, RECT* box)
{
    RegionImpl* r = AsRegion(region);
    if (r == nullptr || box == nullptr) {
        return RGN_ERROR;
    }
    const QRect b = r->Area.boundingRect();
    *box = b.isEmpty() ? RECT{} : RECT{b.left(), b.top(), b.right() + 1, b.bottom() + 1};
    return Complexity(r->Area);
}

BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom)
{
    RegionImpl* r = AsRegion(region);
    if (r == nullptr) {
        return FALSE;
    }
    r->Area = RectArea(left, top, right, bottom);
    return TRUE;
}

BOOL FillRgn(HDC dc, HRGN region, HBRUSH brush)
{
    QImage* image = SurfaceOf(dc);
    RegionImpl* r = AsRegion(region);
    BrushImpl* b = AsBrush(brush);
    if (image == nullptr || r == nullptr || b == nullptr) {
        return FALSE;
    }
    if (!b->Null) {
        for (const QRect& part : r->Area) {
            FillWords(*image, part, Drawn(*image, b->Color));
        }
    }
    return TRUE;
}

QRegion RegionToQRegion(HRGN region)
{
    RegionImpl* r = AsRegion(region);
    return r == nullptr ? QRegion() : r->Area;
}

QBitmap RegionToMask(HRGN region, QSize size)
{
    QBitmap mask(size);
    mask.fill(Qt::color0);
    QPainter painter(&mask);
    painter.setClipRegion(RegionToQRegion(region));
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::color1);
    return mask;
}

namespace {

// Owns the region handed to a window; a child object so that it goes with the widget.
class WindowRegion final : public QObject {
public:
    WindowRegion(QWidget* window, HRGN region) : QObject(window), mRegion(region)
    {
        setObjectName(QStringLiteral("qkm_gdi_window_region"));
    }
    ~WindowRegion() override { DeleteObject(mRegion); }
    HRGN Region() const { return mRegion; }

private:
    HRGN mRegion;
};

WindowRegion* HolderOf(HWND window)
{
    return window->findChild<WindowRegion*>(QStringLiteral("qkm_gdi_window_region"), Qt::FindDirectChildrenOnly);
}

} // namespace

int SetWindowRgn(HWND window, HRGN region, BOOL redraw)
{
    if (window == nullptr || (region != nullptr && AsRegion(region) == nullptr)) {
        return 0;
    }
    if (WindowRegion* previous = HolderOf(window)) {
        if (previous->Region() == region) {
            return 1;
        }
        delete previous;
    }
    if (region == nullptr) {
        window->clearMask();
    } else {
        new WindowRegion(window, region);
        window->setMask(AsRegion(region)->Area);
    }
    if (redraw) {
        window->update();
    }
    return 1;
}

HRGN GetWindowRgnHandle(HWND window)
{
    if (window == nullptr) {
        return nullptr;
    }
    WindowRegion* holder = HolderOf(window);
    return holder == nullptr ? nullptr : holder->Region();
}

} // namespace gdi

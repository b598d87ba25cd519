// Handles, device contexts, pens, brushes, fonts, bitmaps and icons.
#include "GdiInternal.h"

#include <QFontMetrics>

#include <cmath>
#include <unordered_set>

namespace gdi::detail {

namespace {

std::unordered_set<const void*>& Live()
{
    static std::unordered_set<const void*> live;
    return live;
}

int gCounted = 0;

} // namespace

void Register(const void* handle, bool counted)
{
    Live().insert(handle);
    if (counted) {
        ++gCounted;
    }
}

void Unregister(const void* handle, bool counted)
{
    if (Live().erase(handle) != 0 && counted) {
        --gCounted;
    }
}

bool IsLive(const void* handle)
{
    return handle != nullptr && Live().count(handle) != 0;
}

PenImpl* AsPen(HGDIOBJ object)
{
    return IsLive(object) ? dynamic_cast<PenImpl*>(object) : nullptr;
}

BrushImpl* AsBrush(HGDIOBJ object)
{
    return IsLive(object) ? dynamic_cast<BrushImpl*>(object) : nullptr;
}

FontImpl* AsFont(HGDIOBJ object)
{
    return IsLive(object) ? dynamic_cast<FontImpl*>(object) : nullptr;
}

BitmapImpl* AsBitmap(HGDIOBJ object)
{
    return IsLive(object) ? dynamic_cast<BitmapImpl*>(object) : nullptr;
}

RegionImpl* AsRegion(HGDIOBJ object)
{
    return IsLive(object) ? dynamic_cast<RegionImpl*>(object) : nullptr;
}

ObjectState* StateOf(HGDIOBJ object)
{
    if (auto* p = AsPen(object)) {
        return &p->State;
    }
    if (auto* b = AsBrush(object)) {
        return &b->State;
    }
    if (auto* f = AsFont(object)) {
        return &f->State;
    }
    if (auto* bm = AsBitmap(object)) {
        return &bm->State;
    }
    if (auto* r = AsRegion(object)) {
        return &r->State;
    }
    return nullptr;
}

DeviceContext* AsDc(HDC dc)
{
    return IsLive(dc) ? dc : nullptr;
}

QImage* SurfaceOf(HDC dc)
{
    DeviceContext* d = AsDc(dc);
    return d == nullptr ? nullptr : d->Surface();
}

void FillWords(QImage& image, QRect area, std::uint32_t word)
{
    area = area.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        std::uint32_t* row = Row(image, y);
        std::fill(row + area.left(), row + area.right() + 1, word);
    }
}

void PutPixel(QImage& image, int x, int y, COLORREF color)
{
    if (x >= 0 && y >= 0 && x < image.width() && y < image.height()) {
        Row(image, y)[x] = Drawn(image, color);
    }
}

void PaintOn(QImage& image, const QRect& area, const std::function<void(QPainter&)>& paint)
{
    if (Opaque(image)) {
        QPainter painter(&image);
        paint(painter);
        return;
    }
    const QRect clipped = area.intersected(image.rect());
    if (clipped.isEmpty()) {
        return;
    }
    QImage copy(clipped.size(), QImage::Format_RGB32);
    for (int y = 0; y < clipped.height(); ++y) {
        const std::uint32_t* src = Row(image, clipped.top() + y) + clipped.left();
        std::uint32_t* dst = Row(copy, y);
        for (int x = 0; x < clipped.width(); ++x) {
            dst[x] = src[x] | 0xFF000000u;
        }
    }
    {
        QPainter painter(&copy);
        painter.translate(-clipped.left(), -clipped.top());
        painter.setClipRect(clipped);
        paint(painter);
    }
    for (int y = 0; y < clipped.height(); ++y) {
        std::uint32_t* dst = Row(image, clipped.top() + y) + clipped.left();
        const std::uint32_t* src = Row(copy, y);
        for (int x = 0; x < clipped.width(); ++x) {
            if ((dst[x] | 0xFF000000u) != src[x]) {
                dst[x] = src[x] & 0x00FFFFFFu;
            }
        }
    }
}

QRect ToQRect(const RECT& r)
{
    return QRect(QPoint(r.Left, r.Top), QPoint(r.Right - 1, r.Bottom - 1));
}

namespace {

template <typename T> T* MakeStock(T* object)
{
    object->State.Stock = true;
    Register(static_cast<const GdiObject*>(object), false);
    return object;
}

PenImpl* StockPen(int style, COLORREF color)
{
    auto* pen = new PenImpl;
    pen->Style = style;
    pen->Color = color;
    return MakeStock(pen);
}

BrushImpl* StockBrush(bool null, COLORREF color)
{
    auto* brush = new BrushImpl;
    brush->Null = null;
    brush->Color = color;
    return MakeStock(brush);
}

BitmapImpl* DefaultBitmap()
{
    static BitmapImpl* bitmap = [] {
        auto* b = new BitmapImpl;
        b->Image = QImage(1, 1, QImage::Format_ARGB32);
        b->Image.fill(0u);
        return MakeStock(b);
    }();
    return bitmap;
}

// Point sizes become pixels at 96 dots per inch, rounded half away from zero as MulDiv does.
QFont PixelSized(QFont font)
{
    if (font.pixelSize() <= 0) {
        const double points = font.pointSizeF() > 0 ? font.pointSizeF() : 9.0;
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(points * 96.0 / 72.0))));
    }
    return font;
}

bool IsMarlett(const QString& face)
{
    return face.compare(QStringLiteral("Marlett"), Qt::CaseInsensitive) == 0;
}

} // namespace

FontImpl* DefaultFont()
{
    static FontImpl* font = [] {
        auto* f = new FontImpl;
        QFont q(QStringLiteral("宋体"));
        q.setPixelSize(12);
        f->QtFont = q;
        return MakeStock(f);
    }();
    return font;
}

} // namespace gdi::detail

namespace gdi {

using namespace detail;

QImage* DeviceContext::Surface()
{
    if (External != nullptr) {
        if (External->format() != QImage::Format_RGB32) {
            *External = External->convertToFormat(QImage::Format_RGB32);
        }
        return External;
    }
    if (Memory) {
        return SelectedBitmap == nullptr ? nullptr : &SelectedBitmap->Image;
    }
    return &Display;
}

int LiveGdiObjects()
{
    return gCounted;
}

namespace {

void Select(ObjectState& state)
{
    ++state.SelectCount;
}
void Deselect(ObjectState* state)
{
    if (state != nullptr && state->SelectCount > 0) {
        --state->SelectCount;
    }
}

DeviceContext* NewDc()
{
    auto* dc = new DeviceContext;
    dc->SelectedPen = AsPen(GetStockObject(BLACK_PEN));
    dc->SelectedBrush = AsBrush(GetStockObject(WHITE_BRUSH));
    dc->SelectedFont = DefaultFont();
    Select(dc->SelectedPen->State);
    Select(dc->SelectedBrush->State);
    Select(dc->SelectedFont->State);
    Register(dc, true);
    return dc;
}

} // namespace

HDC CreateImageDC(QImage* image)
{
    if (image == nullptr) {
        return nullptr;
    }
    DeviceContext* dc = NewDc();
    dc->External = image;
    dc->Surface();
    return dc;
}

const QImage* GetDCImage(HDC dc)
{
    return SurfaceOf(dc);
}

HDC CreateDCA(const char*, const char*, const char*, const void*)
{
    DeviceContext* dc = NewDc();
    dc->Display = QImage(1, 1, QImage::Format_RGB32);
    dc->Display.fill(0xFFFFFFFFu);
    return dc;
}

HDC CreateCompatibleDC(HDC dc)
{
    if (dc != nullptr && AsDc(dc) == nullptr) {
        return nullptr;
    }
    DeviceContext* memory = NewDc();
    memory->Memory = true;
    memory->SelectedBitmap = DefaultBitmap();
    return memory;
}

BOOL DeleteDC(HDC dc)
{
    DeviceContext* d = AsDc(dc);
    if (d == nullptr) {
        return FALSE;
    }
    Deselect(d->SelectedPen != nullptr ? &d->SelectedPen->State : nullptr);
    Deselect(d->SelectedBrush != nullptr ? &d->SelectedBrush->State : nullptr);
    Deselect(d->SelectedFont != nullptr ? &d->SelectedFont->State : nullptr);
    Deselect(d->SelectedBitmap != nullptr ? &d->SelectedBitmap->State : nullptr);
    Unregister(d, true);
    delete d;
    return TRUE;
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height)
{
    if ((dc != nullptr && AsDc(dc) == nullptr) || width < 0 || height < 0) {
        return nullptr;
    }
    auto* bitmap = new BitmapImpl;
    bitmap->Image = QImage(std::max(width, 1), std::max(height, 1), QImage::Format_ARGB32);
    bitmap->Image.fill(0u);
    Register(static_cast<const GdiObject*>(bitmap), true);
    return bitmap;
}

HBITMAP CreateBitmapFromImage(const QImage& image)
{
    if (image.isNull()) {
        return nullptr;
    }
    auto* bitmap = new BitmapImpl;
    bitmap->HasAlpha = image.hasAlphaChannel();
    if (bitmap->HasAlpha) {
        bitmap->Image = image.convertToFormat(QImage::Format_ARGB32);
    } else {
        // Pictures without alpha keep 0 in the fourth byte, as a 24-bit DIB read at 32 bits does.
        bitmap->Image = image.convertToFormat(QImage::Format_RGB32).convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < bitmap->Image.height(); ++y) {
            std::uint32_t* row = Row(bitmap->Image, y);
            for (int x = 0; x < bitmap->Image.width(); ++x) {
                row[x] &= 0x00FFFFFFu;
            }
        }
    }
    Register(static_cast<const GdiObject*>(bitmap), true);
    return bitmap;
}

namespace {

template <typename T> T* Swap(T*& slot, T* next)
{
    T* previous = slot;
    Deselect(previous != nullptr ? &previous->State : nullptr);
    slot = next;
    Select(next->State);
    return previous;
}

} // namespace

HPEN SelectObject(HDC dc, HPEN pen)
{
    DeviceContext* d = AsDc(dc);
    PenImpl* p = AsPen(pen);
    return d == nullptr || p == nullptr ? nullptr : Swap(d->SelectedPen, p);
}

HBRUSH SelectObject(HDC dc, HBRUSH brush)
{
    DeviceContext* d = AsDc(dc);
    BrushImpl* b = AsBrush(brush);
    return d == nullptr || b == nullptr ? nullptr : Swap(d->SelectedBrush, b);
}

HFONT SelectObject(HDC dc, HFONT font)
{
    DeviceContext* d = AsDc(dc);
    FontImpl* f = AsFont(font);
    return d == nullptr || f == nullptr ? nullptr : Swap(d->SelectedFont, f);
}

HBITMAP SelectObject(HDC dc, HBITMAP bitmap)
{
    DeviceContext* d = AsDc(dc);
    BitmapImpl* b = AsBitmap(bitmap);
    if (d == nullptr || b == nullptr || !d->Memory) {
        return nullptr;
    }
    if (b == d->SelectedBitmap) {
        return b;
    }
    // A bitmap lives in one memory DC at a time (the shared 1 x 1 default excepted).
    if (!b->State.Stock && b->State.SelectCount > 0) {
        return nullptr;
    }
    return Swap(d->SelectedBitmap, b);
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object)
{
    if (auto* p = AsPen(object)) {
        return SelectObject(dc, static_cast<HPEN>(p));
    }
    if (auto* b = AsBrush(object)) {
        return SelectObject(dc, static_cast<HBRUSH>(b));
    }
    if (auto* f = AsFont(object)) {
        return SelectObject(dc, static_cast<HFONT>(f));
    }
    if (auto* bm = AsBitmap(object)) {
        return SelectObject(dc, static_cast<HBITMAP>(bm));
    }
    return nullptr;
}

BOOL DeleteObject(HGDIOBJ object)
{
    ObjectState* state = StateOf(object);
    if (state == nullptr) {
        return FALSE;
    }
    if (state->Stock) {
        return TRUE;
    }
    if (state->SelectCount > 0) {
        return FALSE;
    }
    Unregister(object, true);
    delete object;
    return TRUE;
}

HGDIOBJ GetCurrentObject(HDC dc, UINT type)
{
    DeviceContext* d = AsDc(dc);
    if (d == nullptr) {
        return nullptr;
    }
    switch (type) {
    case OBJ_PEN:
        return d->SelectedPen;
    case OBJ_BRUSH:
        return d->SelectedBrush;
    case OBJ_FONT:
        return d->SelectedFont;
    case OBJ_BITMAP:
        return d->SelectedBitmap;
    default:
        return nullptr;
    }
}

HGDIOBJ GetStockObject(int index)
{
    static PenImpl* whitePen = StockPen(PS_SOLID, 0xFFFFFF);
    static PenImpl* blackPen = StockPen(PS_SOLID, 0x000000);
    static PenImpl* nullPen = StockPen(PS_NULL, 0x000000);
    static BrushImpl* whiteBrush = StockBrush(false, 0xFFFFFF);
    static BrushImpl* ltGrayBrush = StockBrush(false, 0xC0C0C0);
    static BrushImpl* grayBrush = StockBrush(false, 0x808080);
    static BrushImpl* dkGrayBrush = StockBrush(false, 0x404040);
    static BrushImpl* blackBrush = StockBrush(false, 0x000000);
    static BrushImpl* nullBrush = StockBrush(true, 0x000000);
    switch (index) {
    case WHITE_BRUSH:
        return whiteBrush;
    case LTGRAY_BRUSH:
        return ltGrayBrush;
    case GRAY_BRUSH:
        return grayBrush;
    case DKGRAY_BRUSH:
        return dkGrayBrush;
    case BLACK_BRUSH:
        return blackBrush;
    case NULL_BRUSH:
        return nullBrush;
    case WHITE_PEN:
        return whitePen;
    case BLACK_PEN:
        return blackPen;
    case NULL_PEN:
        return nullPen;
    case SYSTEM_FONT:
    case DEFAULT_GUI_FONT:
        return DefaultFont();
    default:
        return nullptr;
    }
}

HPEN CreatePen(int style, int width, COLORREF color)
{
    auto* pen = new PenImpl;
    pen->Style = style;
    pen->Width = std::max(1, width);
    pen->Color = color & 0x00FFFFFFu;
    Register(static_cast<const GdiObject*>(pen), true);
    return pen;
}

HBRUSH CreateSolidBrush(COLORREF color)
{
    auto* brush = new BrushImpl;
    brush->Color = color & 0x00FFFFFFu;
    Register(static_cast<const GdiObject*>(brush), true);
    return brush;
}

HBRUSH GetSysColorBrush(int index)
{
    static BrushImpl* brushes[31] = {};
    if (index < 0 || index > 30) {
        return nullptr;
    }
    if (brushes[index] == nullptr) {
        brushes[index] = StockBrush(false, GetSysColor(index));
    }
    return brushes[index];
}

HFONT CreateFontIndirect(const LOGFONT& logFont)
{
    auto* font = new FontImpl;
    if (IsMarlett(logFont.lfFaceName)) {
        font->Marlett = true;
        font->Em = logFont.lfHeight == 0 ? 13 : std::abs(logFont.lfHeight);
        font->QtFont.setPixelSize(font->Em);
    } else {
        QFont q(logFont.lfFaceName.isEmpty() ? DefaultFont()->QtFont.family() : logFont.lfFaceName);
        if (logFont.lfHeight < 0) {
            q.setPixelSize(-logFont.lfHeight);
        } else if (logFont.lfHeight > 0) {
            // A positive height is the cell (ascent + descent); scale the character height to fit it.
            q.setPixelSize(logFont.lfHeight);
            const int cell = QFontMetrics(q).height();
            if (cell > 0) {
                q.setPixelSize(
                    std::max(1, static_cast<int>(std::lround(1.0 * logFont.lfHeight * logFont.lfHeight / cell))));
            }
        } else {
            q.setPixelSize(12);
        }
        if (logFont.lfWeight > 0) {
            q.setWeight(static_cast<QFont::Weight>(std::clamp(static_cast<int>(logFont.lfWeight), 100, 900)));
        }
        q.setItalic(logFont.lfItalic != 0);
        q.setUnderline(logFont.lfUnderline != 0);
        q.setStrikeOut(logFont.lfStrikeOut != 0);
        font->QtFont = q;
    }
    Register(static_cast<const GdiObject*>(font), true);
    return font;
}

HFONT CreateFontFromQFont(const QFont& qfont)
{
    auto* font = new FontImpl;
    font->QtFont = PixelSized(qfont);
    if (IsMarlett(qfont.family())) {
        font->Marlett = true;
        font->Em = font->QtFont.pixelSize();
    }
    Register(static_cast<const GdiObject*>(font), true);
    return font;
}

QFont GetFontQFont(HFONT font)
{
    FontImpl* f = AsFont(font);
    return f == nullptr ? DefaultFont()->QtFont : f->QtFont;
}

COLORREF SetTextColor(HDC dc, COLORREF color)
{
    DeviceContext* d = AsDc(dc);
    if (d == nullptr) {
        return CLR_INVALID;
    }
    const COLORREF previous = d->TextColor;
    d->TextColor = color & 0x00FFFFFFu;
    return previous;
}

COLORREF GetTextColor(HDC dc)
{
    DeviceContext* d = AsDc(dc);
    return d == nullptr ? CLR_INVALID : d->TextColor;
}

COLORREF SetBkColor(HDC dc, COLORREF color)
{
    DeviceContext* d = AsDc(dc);
    if (d == nullptr) {
        return CLR_INVALID;
    }
    const COLORREF previous = d->BkColor;
    d->BkColor = color & 0x00FFFFFFu;
    return previous;
}

COLORREF GetBkColor(HDC dc)
{
    DeviceContext* d = AsDc(dc);
    return d == nullptr ? CLR_INVALID : d->BkColor;
}

int SetBkMode(HDC dc, int mode)
{
    DeviceContext* d = AsDc(dc);
    if (d == nullptr || (mode != TRANSPARENT && mode != OPAQUE)) {
        return 0;
    }
    const int previous = d->BkMode;
    d->BkMode = mode;
    return previous;
}

int GetBkMode(HDC dc)
{
    DeviceContext* d = AsDc(dc);
    return d == nullptr ? 0 : d->BkMode;
}

int GetObject(HBITMAP bitmap, int size, BITMAP* out)
{
    BitmapImpl* b = AsBitmap(bitmap);
    if (b == nullptr || out == nullptr || size < static_cast<int>(sizeof(BITMAP))) {
        return 0;
    }
    *out = BITMAP{};
    out->bmWidth = b->Image.width();
    out->bmHeight = b->Image.height();
    out->bmBitsPixel = b->HasAlpha ? 32 : 24;
    out->bmWidthBytes = DibStride(out->bmWidth, out->bmBitsPixel);
    out->bmPlanes = 1;
    return static_cast<int>(sizeof(BITMAP));
}

QImage GetBitmapImage(HBITMAP bitmap)
{
    BitmapImpl* b = AsBitmap(bitmap);
    if (b == nullptr) {
        return {};
    }
    if (b->HasAlpha) {
        return b->Image.copy();
    }
    QImage image(b->Image.size(), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        const std::uint32_t* src = Row(b->Image, y);
        std::uint32_t* dst = Row(image, y);
        for (int x = 0; x < image.width(); ++x) {
            dst[x] = src[x] | 0xFF000000u;
        }
    }
    return image;
}

HICON CreateIconFromImage(const QImage& image)
{
    if (image.isNull()) {
        return nullptr;
    }
    auto* icon = new Icon;
    icon->Image = image.convertToFormat(QImage::Format_ARGB32);
    Register(icon, true);
    return icon;
}

BOOL DestroyIcon(HICON icon)
{
    if (!IsLive(icon)) {
        return FALSE;
    }
    Unregister(icon, true);
    delete icon;
    return TRUE;
}

QSize GetIconSize(HICON icon)
{
    return IsLive(icon) ? icon->Image.size() : QSize();
}

} // namespace gdi

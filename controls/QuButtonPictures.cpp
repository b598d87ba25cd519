// Composing the button's pictures onto its face (mask colour, alpha, opacity, lighten and darken
// effects, disabled looks, silhouettes, shadow) and the small platform probes. Pixel buffers are
// bottom-up DIBs of the picture's size: 24 bits per pixel (rows padded to 4 bytes) for ordinary
// pictures, 32 bits (blue, green, red, alpha) for alpha bitmaps.
#include "QuButton.h"

#include "QuButtonColors.h"

#include <cmath>
#include <vector>

using namespace gdi;

namespace {

// The libraries and exports this platform stands in for (the drawing and window layers answer
// for them); names compare case-insensitively, as module names do.
bool IsKnownLibrary(const QString& name)
{
    static const char* const known[] = {"user32",  "user32.dll",  "uxtheme",  "uxtheme.dll",
                                        "shell32", "shell32.dll", "comctl32", "comctl32.dll"};
    for (const char* entry : known) {
        if (name.compare(QLatin1String(entry), Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

// The working device contexts of one composition, released whatever happens.
struct WorkingSurfaces {
    HDC PictureDC = nullptr;
    HDC FaceDC = nullptr;
    HDC CopyDC = nullptr;
    HBITMAP PictureBitmap = nullptr;
    HBITMAP FaceBitmap = nullptr;
    HBITMAP CopyBitmap = nullptr;
    HBITMAP PictureOld = nullptr;
    HBITMAP FaceOld = nullptr;
    HBITMAP CopyOld = nullptr;

    WorkingSurfaces() = default;
    WorkingSurfaces(const WorkingSurfaces&) = delete;
    WorkingSurfaces& operator=(const WorkingSurfaces&) = delete;
    ~WorkingSurfaces()
    {
        Deselect(PictureDC, PictureOld);
        Deselect(FaceDC, FaceOld);
        Deselect(CopyDC, CopyOld);
        for (HBITMAP bitmap : {PictureBitmap, FaceBitmap, CopyBitmap}) {
            if (bitmap != nullptr) {
                DeleteObject(bitmap);
            }
        }
        for (HDC dc : {PictureDC, FaceDC, CopyDC}) {
            if (dc != nullptr) {
                DeleteDC(dc);
            }
        }
    }

    static void Deselect(HDC dc, HBITMAP& old)
    {
        if (dc != nullptr && old != nullptr) {
            SelectObject(dc, old);
            old = nullptr;
        }
    }
};

BITMAPINFO DibHeader(int width, int height, int bitCount)
{
    BITMAPINFO info;
    info.bmiHeader.biSize = 40;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bitCount);
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

int Blend(int over, int under, int opacity)
{
    return (over * opacity + under * (255 - opacity)) / 256;
}

int Grey(int red, int green, int blue)
{
    return static_cast<int>(std::nearbyint(std::nearbyint(0.3 * red) + 0.59 * green + 0.11 * blue));
}

} // namespace

void QuButton::DrawPicture(const RECT& r, std::int32_t silhouette)
{
    const std::int32_t transparent =
        mCurrentPicture.Type == vbPicTypeIcon ? TranslateColor(0xC0C0C0, 0) : static_cast<std::int32_t>(mMaskColor);
    if (IsAlphaBitmap(mCurrentPicture)) {
        DrawPictureAlpha(mDC, r.Left, r.Top, mPicWidth, mPicHeight, mCurrentPicture, silhouette);
    } else {
        DrawPictureTransparent(mDC, r.Left, r.Top, mPicWidth, mPicHeight, mCurrentPicture, transparent, silhouette);
    }
}

int QuButton::PictureEffectOfState() const
{
    return mButtonState == 1 ? mPictureEffectOnOver : mButtonState == 2 ? mPictureEffectOnDown : 0;
}

// Both picture paths fade a disabled picture alike: mode 0 to a fixed 52 %, mode 1 to three
// quarters of the normal opacity and grey; any other mode leaves opacity 0.
int QuButton::DisabledPictureOpacity(bool& grey) const
{
    grey = false;
    if (mEnabled) {
        return 0;
    }
    if (mDisabledPictureMode == 0) {
        return 52;
    }
    if (mDisabledPictureMode == 1) {
        grey = true;
        return static_cast<int>(std::nearbyint(mPictureOpacity * 0.75));
    }
    return 0;
}

void QuButton::DrawPictureTransparent(HDC hdc, int x, int y, int width, int height, const Picture& picture,
                                      std::int32_t transparentColor, std::int32_t silhouette)
{
    if (width == 0 || height == 0 || picture.IsNothing() || picture.Image.isNull()) {
        return;
    }
    const int effect = PictureEffectOfState();
    bool grey = false;
    const int disabledOpacity = DisabledPictureOpacity(grey);
    const int opacity = mButtonState == 1 ? mPictureOpacityOnOver : (mEnabled ? mPictureOpacity : disabledOpacity);
    const int sRed = QuButtonColors::Red(silhouette);
    const int sGreen = QuButtonColors::Green(silhouette);
    const int sBlue = QuButtonColors::Blue(silhouette);

    WorkingSurfaces work;
    work.PictureDC = CreateCompatibleDC(hdc);
    work.FaceDC = CreateCompatibleDC(hdc);
    work.CopyDC = CreateCompatibleDC(hdc);
    if (picture.Type == vbPicTypeIcon) {
        // The icon is drawn over its transparent colour, so its transparent parts take that colour.
        work.PictureBitmap = CreateCompatibleBitmap(hdc, width, height);
        work.PictureOld = SelectObject(work.PictureDC, work.PictureBitmap);
        const HICON icon = CreateIconFromImage(picture.Image);
        const HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(transparentColor));
        DrawIconEx(work.PictureDC, 0, 0, icon, width, height, 0, brush, DI_NORMAL);
        DeleteObject(brush);
        DestroyIcon(icon);
    } else {
        work.PictureBitmap = CreateBitmapFromImage(picture.Image);
        work.PictureOld = SelectObject(work.PictureDC, work.PictureBitmap);
    }
    work.FaceBitmap = CreateCompatibleBitmap(hdc, width, height);
    work.FaceOld = SelectObject(work.FaceDC, work.FaceBitmap);
    BitBlt(work.FaceDC, 0, 0, width, height, hdc, x, y, SRCCOPY);
    work.CopyBitmap = CreateCompatibleBitmap(hdc, width, height);
    work.CopyOld = SelectObject(work.CopyDC, work.CopyBitmap);
    BitBlt(work.CopyDC, 0, 0, width, height, work.PictureDC, 0, 0, SRCCOPY);
    WorkingSurfaces::Deselect(work.FaceDC, work.FaceOld);
    WorkingSurfaces::Deselect(work.CopyDC, work.CopyOld);

    const int stride = DibStride(width, 24);
    BITMAPINFO info = DibHeader(width, height, 24);
    std::vector<BYTE> face(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
    std::vector<BYTE> source(face.size());
    if (GetDIBits(hdc, work.FaceBitmap, 0, static_cast<UINT>(height), face.data(), &info, DIB_RGB_COLORS) == 0 ||
        GetDIBits(hdc, work.CopyBitmap, 0, static_cast<UINT>(height), source.data(), &info, DIB_RGB_COLORS) == 0) {
        return;
    }

    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const std::size_t at =
                static_cast<std::size_t>(row) * static_cast<std::size_t>(stride) + static_cast<std::size_t>(column) * 3;
            const int blue = source[at];
            const int green = source[at + 1];
            const int red = source[at + 2];
            if (mUseMaskColor &&
                GetNearestColor(hdc, RGB(red, green, blue)) == static_cast<COLORREF>(transparentColor)) {
                continue;
            }
            if (opacity == 0) {
                continue;
            }
            int outRed = 0;
            int outGreen = 0;
            int outBlue = 0;
            if (silhouette != -1) {
                outRed = sRed;
                outGreen = sGreen;
                outBlue = sBlue;
            } else if (grey) {
                const int g = Grey(red, green, blue);
                outRed = outGreen = outBlue = g;
            } else if (effect == 1) {
                outRed = mLightTable[static_cast<std::size_t>(red)];
                outGreen = mLightTable[static_cast<std::size_t>(green)];
                outBlue = mLightTable[static_cast<std::size_t>(blue)];
            } else if (effect == 2) {
                outRed = mDarkTable[static_cast<std::size_t>(red)];
                outGreen = mDarkTable[static_cast<std::size_t>(green)];
                outBlue = mDarkTable[static_cast<std::size_t>(blue)];
            } else {
                outRed = red;
                outGreen = green;
                outBlue = blue;
            }
            if (opacity == 255) {
                face[at] = static_cast<BYTE>(outBlue);
                face[at + 1] = static_cast<BYTE>(outGreen);
                face[at + 2] = static_cast<BYTE>(outRed);
            } else {
                face[at] = static_cast<BYTE>(Blend(outBlue, face[at], opacity));
                face[at + 1] = static_cast<BYTE>(Blend(outGreen, face[at + 1], opacity));
                face[at + 2] = static_cast<BYTE>(Blend(outRed, face[at + 2], opacity));
            }
        }
    }
    SetDIBitsToDevice(hdc, x, y, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0, 0,
                      static_cast<UINT>(height), face.data(), &info, DIB_RGB_COLORS);
}

void QuButton::DrawPictureAlpha(HDC hdc, int x, int y, int width, int height, const Picture& picture,
                                std::int32_t silhouette)
{
    if (width == 0 || height == 0 || picture.IsNothing() || picture.Image.isNull()) {
        return;
    }
    const int effect = PictureEffectOfState();
    bool grey = false;
    const int disabledOpacity = DisabledPictureOpacity(grey);
    const int opacity = !mEnabled ? disabledOpacity : mButtonState == 1 ? mPictureOpacityOnOver : mPictureOpacity;
    const int sRed = QuButtonColors::Red(silhouette);
    const int sGreen = QuButtonColors::Green(silhouette);
    const int sBlue = QuButtonColors::Blue(silhouette);

    WorkingSurfaces work;
    work.PictureDC = CreateCompatibleDC(hdc);
    work.FaceDC = CreateCompatibleDC(hdc);
    work.CopyDC = CreateCompatibleDC(hdc);
    work.PictureBitmap = CreateBitmapFromImage(picture.Image);
    work.PictureOld = SelectObject(work.PictureDC, work.PictureBitmap);
    work.FaceBitmap = CreateCompatibleBitmap(hdc, width, height);
    work.FaceOld = SelectObject(work.FaceDC, work.FaceBitmap);
    BitBlt(work.FaceDC, 0, 0, width, height, hdc, x, y, SRCCOPY);
    work.CopyBitmap = CreateCompatibleBitmap(hdc, width, height);
    work.CopyOld = SelectObject(work.CopyDC, work.CopyBitmap);
    BitBlt(work.CopyDC, 0, 0, width, height, work.PictureDC, 0, 0, SRCCOPY);
    WorkingSurfaces::Deselect(work.FaceDC, work.FaceOld);
    WorkingSurfaces::Deselect(work.CopyDC, work.CopyOld);

    const std::size_t stride = static_cast<std::size_t>(width) * 4;
    BITMAPINFO info = DibHeader(width, height, 32);
    std::vector<BYTE> face(stride * static_cast<std::size_t>(height));
    std::vector<BYTE> source(face.size());
    if (GetDIBits(hdc, work.FaceBitmap, 0, static_cast<UINT>(height), face.data(), &info, DIB_RGB_COLORS) == 0 ||
        GetDIBits(hdc, work.CopyBitmap, 0, static_cast<UINT>(height), source.data(), &info, DIB_RGB_COLORS) == 0) {
        return;
    }

    for (std::size_t at = 0; at < face.size(); at += 4) {
        const int blue = source[at];
        const int green = source[at + 1];
        const int red = source[at + 2];
        const int alpha = source[at + 3];
        const int a = alpha * opacity / 255;
        if (a == 0) {
            continue;
        }
        if (silhouette != -1) {
            if (a == 255) {
                face[at] = static_cast<BYTE>(sBlue);
                face[at + 1] = static_cast<BYTE>(sGreen);
                face[at + 2] = static_cast<BYTE>(sRed);
                face[at + 3] = 0;
            } else {
                face[at] = static_cast<BYTE>(Blend(sBlue, face[at], a));
                face[at + 1] = static_cast<BYTE>(Blend(sGreen, face[at + 1], a));
                face[at + 2] = static_cast<BYTE>(Blend(sRed, face[at + 2], a));
            }
            continue;
        }
        int outRed = red;
        int outGreen = green;
        int outBlue = blue;
        if (grey) {
            outRed = outGreen = outBlue = Grey(red, green, blue);
        } else if (effect == 1) {
            outRed = mLightTable[static_cast<std::size_t>(red)];
            outGreen = mLightTable[static_cast<std::size_t>(green)];
            outBlue = mLightTable[static_cast<std::size_t>(blue)];
        } else if (effect == 2) {
            outRed = mDarkTable[static_cast<std::size_t>(red)];
            outGreen = mDarkTable[static_cast<std::size_t>(green)];
            outBlue = mDarkTable[static_cast<std::size_t>(blue)];
        }
        if (a == 255) {
            face[at] = static_cast<BYTE>(outBlue);
            face[at + 1] = static_cast<BYTE>(outGreen);
            face[at + 2] = static_cast<BYTE>(outRed);
            if (!grey && effect != 1 && effect != 2) {
                face[at + 3] = static_cast<BYTE>(alpha);
            }
        } else {
            face[at] = static_cast<BYTE>(Blend(outBlue, face[at], a));
            face[at + 1] = static_cast<BYTE>(Blend(outGreen, face[at + 1], a));
            face[at + 2] = static_cast<BYTE>(Blend(outRed, face[at + 2], a));
        }
    }
    SetDIBitsToDevice(hdc, x, y, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0, 0,
                      static_cast<UINT>(height), face.data(), &info, DIB_RGB_COLORS);
}

void QuButton::DrawPictureWithShadow()
{
    const std::int32_t base = QuButtonColors::AverageColors(TranslateColor(0x808080, 0), TranslateColor(mBackColor, 0));
    RECT r = mPictureRect;
    OffsetRect(&r, 2, 2);
    DrawPicture(r, QuButtonColors::ShiftColor(base, 0.05f));
    r = mPictureRect;
    OffsetRect(&r, 1, 1);
    DrawPicture(r, QuButtonColors::ShiftColor(base, -0.1f));
    DrawPicture(mPictureRect, -1);
}

// ---- probes -------------------------------------------------------------------------------------

bool QuButton::IsAlphaBitmap(const Picture& picture)
{
    if (picture.Type != vbPicTypeBitmap || picture.Image.isNull()) {
        return false;
    }
    const HBITMAP bitmap = CreateBitmapFromImage(picture.Image);
    BITMAP info;
    const bool alpha = GetObject(bitmap, static_cast<int>(sizeof(BITMAP)), &info) != 0 && info.bmBitsPixel == 32;
    DeleteObject(bitmap);
    return alpha;
}

bool QuButton::IsLibraryAvailable(const QString& name)
{
    return IsKnownLibrary(name);
}

bool QuButton::IsUxThemeAvailable()
{
    if (mUxThemeAvailable < 0) {
        mUxThemeAvailable = IsLibraryAvailable(QStringLiteral("uxtheme.dll")) ? 1 : 0;
    }
    return mUxThemeAvailable == 1;
}

bool QuButton::IsThemed()
{
    if (mThemed < 0) {
        mThemed = (IsUxThemeAvailable() && IsAppThemed() != FALSE) ? 1 : 0;
    }
    return mThemed == 1;
}

bool QuButton::IsFunctionExported(const QString& functionName, const QString& moduleName)
{
    if (!IsKnownLibrary(moduleName)) {
        return false;
    }
    const bool user32 = moduleName.startsWith(QLatin1String("user32"), Qt::CaseInsensitive);
    const bool comctl32 = moduleName.startsWith(QLatin1String("comctl32"), Qt::CaseInsensitive);
    return (user32 && functionName == QLatin1String("TrackMouseEvent")) ||
           (comctl32 && functionName == QLatin1String("_TrackMouseEvent"));
}

void QuButton::TrackMouseLeave(QWidget* hWnd)
{
    if (mHasTrackMouseEvent && hWnd != nullptr) {
        mLeaveTracked = true;
    }
}

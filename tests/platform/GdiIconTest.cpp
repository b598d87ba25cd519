// Icons drawn over a flicker-free brush, and drawing on memory bitmaps that carry alpha.
#include "Gdi.h"

#include <gtest/gtest.h>

#include <QImage>

#include <vector>

using namespace gdi;

namespace {

// A 3 x 1 icon: opaque red, fully transparent green, half-transparent blue.
QImage IconImage()
{
    QImage image(3, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(255, 0, 0, 255));
    image.setPixel(1, 0, qRgba(0, 255, 0, 0));
    image.setPixel(2, 0, qRgba(0, 0, 255, 128));
    return image;
}

} // namespace

TEST(GdiIcon, TransparentPartsTakeTheBrushColourAndOpaquePartsTheIcons)
{
    const int before = LiveGdiObjects();
    HICON icon = CreateIconFromImage(IconImage());
    EXPECT_EQ(GetIconSize(icon), QSize(3, 1));
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 3, 1);
    HBITMAP old = SelectObject(dc, bitmap);
    HBRUSH mask = CreateSolidBrush(0xC0C0C0);
    ASSERT_TRUE(DrawIconEx(dc, 0, 0, icon, 3, 1, 0, mask, DI_NORMAL));
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 1, 0), 0xC0C0C0u);
    // Blue over grey at alpha 128: (255 * 128 + 192 * 127 + 127) / 255 = 224; (192 * 127 + 127) / 255 = 96.
    EXPECT_EQ(GetPixel(dc, 2, 0), RGB(96, 96, 224));

    ASSERT_TRUE(DrawIconEx(dc, 0, 0, icon, 0, 0, 0, nullptr, DI_IMAGE));
    EXPECT_EQ(GetPixel(dc, 1, 0), RGB(0, 255, 0)) << "the image without its mask";

    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteObject(mask);
    DeleteDC(dc);
    EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_FALSE(DestroyIcon(icon));
    EXPECT_EQ(LiveGdiObjects(), before);
}

TEST(GdiIcon, ScaledIconFillsTheRequestedCell)
{
    QImage image(8, 4, QImage::Format_RGB32);
    image.fill(Qt::white);
    HDC dc = CreateImageDC(&image);
    HICON icon = CreateIconFromImage(IconImage());
    ASSERT_TRUE(DrawIconEx(dc, 1, 1, icon, 6, 2, 0, nullptr, DI_NORMAL));
    EXPECT_EQ(GetPixel(dc, 1, 1), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 2, 2), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 3, 1), 0xFFFFFFu);
    EXPECT_EQ(GetPixel(dc, 0, 1), 0xFFFFFFu);
    EXPECT_FALSE(DrawIconEx(dc, 0, 0, nullptr, 0, 0, 0, nullptr, DI_NORMAL));
    DestroyIcon(icon);
    DeleteDC(dc);
}

TEST(GdiMemoryBitmap, DrawingClearsTheFourthByteAndTextReachesTheSurface)
{
    QImage picture(2, 1, QImage::Format_ARGB32);
    picture.fill(qRgba(10, 20, 30, 200));
    HBITMAP bitmap = CreateBitmapFromImage(picture);
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP old = SelectObject(dc, bitmap);
    SetPixel(dc, 1, 0, 0x0000FF);
    SelectObject(dc, old);
    BITMAPINFO info{};
    info.bmiHeader.biWidth = 2;
    info.bmiHeader.biHeight = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<std::uint8_t> bits(8);
    ASSERT_EQ(GetDIBits(dc, bitmap, 0, 1, bits.data(), &info, DIB_RGB_COLORS), 1);
    EXPECT_EQ(bits, (std::vector<std::uint8_t>{30, 20, 10, 200, 0, 0, 255, 0}));
    DeleteObject(bitmap);

    // Text into a back buffer, then copied to the shown surface (the progress bar's path).
    HBITMAP buffer = CreateCompatibleBitmap(dc, 60, 20);
    old = SelectObject(dc, buffer);
    RECT all{0, 0, 60, 20};
    HBRUSH white = CreateSolidBrush(0xFFFFFF);
    FillRect(dc, &all, white);
    DeleteObject(white);
    SetBkMode(dc, TRANSPARENT);
    DrawText(dc, QStringLiteral("50 %"), -1, &all, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    QImage shown(60, 20, QImage::Format_RGB32);
    shown.fill(Qt::red);
    HDC screen = CreateImageDC(&shown);
    BitBlt(screen, 0, 0, 60, 20, dc, 0, 0, SRCCOPY);
    int dark = 0;
    int red = 0;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 60; ++x) {
            EXPECT_EQ(qAlpha(shown.pixel(x, y)), 255);
            // The Song face's strokes are thin: antialiased grey counts as ink too.
            dark += qGray(shown.pixel(x, y)) < 180 ? 1 : 0;
            red += shown.pixel(x, y) == qRgb(255, 0, 0) ? 1 : 0;
        }
    }
    EXPECT_GT(dark, 10);
    EXPECT_EQ(red, 0);
    DeleteDC(screen);
    SelectObject(dc, old);
    DeleteObject(buffer);
    DeleteDC(dc);
}

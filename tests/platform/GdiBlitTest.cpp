// Pixel tests of blits, memory device contexts, device-independent bitmaps and gradients.
#include "Gdi.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cstdint>
#include <vector>

using namespace gdi;

namespace {

// A memory DC with a compatible bitmap selected, both released at the end.
class MemoryDc {
public:
    MemoryDc(int width, int height)
    {
        mDc = CreateCompatibleDC(nullptr);
        mBitmap = CreateCompatibleBitmap(mDc, width, height);
        mOld = SelectObject(mDc, mBitmap);
    }
    explicit MemoryDc(HBITMAP picture) : mDc(CreateCompatibleDC(nullptr)), mOld(SelectObject(mDc, picture)) {}
    ~MemoryDc()
    {
        SelectObject(mDc, mOld);
        DeleteDC(mDc);
        if (mBitmap != nullptr) {
            DeleteObject(mBitmap);
        }
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;

    HDC Dc() const { return mDc; }
    HBITMAP Bitmap() const { return mBitmap; }

private:
    HDC mDc = nullptr;
    HBITMAP mBitmap = nullptr;
    HBITMAP mOld = nullptr;
};

// Each pixel its own colour: red = x, green = y, blue = 0x40.
void Pattern(HDC dc, int width, int height)
{
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            SetPixel(dc, x, y, RGB(x, y, 0x40));
        }
    }
}

BITMAPINFO Header(int width, int height, int bits)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = 40;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bits);
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

TRIVERTEX Vertex(int x, int y, COLORREF c)
{
    TRIVERTEX v;
    v.X = x;
    v.Y = y;
    v.Red = static_cast<COLOR16>(GetRValue(c) << 8);
    v.Green = static_cast<COLOR16>(GetGValue(c) << 8);
    v.Blue = static_cast<COLOR16>(GetBValue(c) << 8);
    return v;
}

} // namespace

TEST(GdiBlit, CopiesBetweenMemoryAndSurfaceWithClipping)
{
    const int before = LiveGdiObjects();
    {
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(Qt::white);
        HDC screen = CreateImageDC(&image);
        MemoryDc memory(4, 4);
        Pattern(memory.Dc(), 4, 4);

        ASSERT_TRUE(BitBlt(screen, 3, 2, 4, 4, memory.Dc(), 0, 0, SRCCOPY));
        EXPECT_EQ(GetPixel(screen, 3, 2), RGB(0, 0, 0x40));
        EXPECT_EQ(GetPixel(screen, 6, 5), RGB(3, 3, 0x40));
        EXPECT_EQ(GetPixel(screen, 2, 2), 0xFFFFFFu);
        EXPECT_EQ(GetPixel(screen, 7, 2), 0xFFFFFFu);
        EXPECT_EQ(qAlpha(image.pixel(3, 2)), 255);

        // Partly outside the destination, and a source rectangle offset into the bitmap.
        ASSERT_TRUE(BitBlt(screen, -1, -1, 3, 3, memory.Dc(), 1, 1, SRCCOPY));
        EXPECT_EQ(GetPixel(screen, 0, 0), RGB(2, 2, 0x40));
        EXPECT_EQ(GetPixel(screen, 1, 1), RGB(3, 3, 0x40));

        // Back from the surface into the bitmap.
        MemoryDc copy(2, 2);
        ASSERT_TRUE(BitBlt(copy.Dc(), 0, 0, 2, 2, screen, 5, 4, SRCCOPY));
        EXPECT_EQ(GetPixel(copy.Dc(), 0, 0), RGB(2, 2, 0x40));
        EXPECT_EQ(GetPixel(copy.Dc(), 1, 1), RGB(3, 3, 0x40));
        DeleteDC(screen);
    }
    EXPECT_EQ(LiveGdiObjects(), before);
}

TEST(GdiBlit, OverlappingCopyWithinOneSurfaceReadsTheOriginalPixels)
{
    MemoryDc memory(6, 1);
    Pattern(memory.Dc(), 6, 1);
    ASSERT_TRUE(BitBlt(memory.Dc(), 1, 0, 5, 1, memory.Dc(), 0, 0, SRCCOPY));
    for (int x = 1; x < 6; ++x) {
        EXPECT_EQ(GetPixel(memory.Dc(), x, 0), RGB(x - 1, 0, 0x40)) << x;
    }
}

TEST(GdiBlit, RasterOperationsCombineSourceDestinationAndPattern)
{
    MemoryDc source(1, 1);
    SetPixel(source.Dc(), 0, 0, 0x0F0F0F);
    const auto run = [&](DWORD rop) {
        MemoryDc target(1, 1);
        SetPixel(target.Dc(), 0, 0, 0x3355AA);
        HBRUSH brush = CreateSolidBrush(0x00FF00);
        HBRUSH old = SelectObject(target.Dc(), brush);
        EXPECT_TRUE(BitBlt(target.Dc(), 0, 0, 1, 1, source.Dc(), 0, 0, rop));
        SelectObject(target.Dc(), old);
        DeleteObject(brush);
        return GetPixel(target.Dc(), 0, 0);
    };
    EXPECT_EQ(run(SRCCOPY), 0x0F0F0Fu);
    EXPECT_EQ(run(SRCPAINT), 0x3F5FAFu);
    EXPECT_EQ(run(SRCAND), 0x03050Au);
    EXPECT_EQ(run(SRCINVERT), 0x3C5AA5u);
    EXPECT_EQ(run(NOTSRCCOPY), 0xF0F0F0u);
    EXPECT_EQ(run(DSTINVERT), 0xCCAA55u);
    EXPECT_EQ(run(BLACKNESS), 0x000000u);
    EXPECT_EQ(run(WHITENESS), 0xFFFFFFu);
    EXPECT_EQ(run(PATCOPY), 0x00FF00u);
    EXPECT_EQ(run(PATINVERT), 0x33AAAAu);
    EXPECT_FALSE(BitBlt(source.Dc(), 0, 0, 1, 1, source.Dc(), 0, 0, 0x12345678));
}

TEST(GdiBlit, StretchBltScalesByNearestPixelAndMirrors)
{
    MemoryDc source(2, 2);
    Pattern(source.Dc(), 2, 2);
    MemoryDc target(4, 4);
    ASSERT_TRUE(StretchBlt(target.Dc(), 0, 0, 4, 4, source.Dc(), 0, 0, 2, 2, SRCCOPY));
    EXPECT_EQ(GetPixel(target.Dc(), 1, 1), RGB(0, 0, 0x40));
    EXPECT_EQ(GetPixel(target.Dc(), 2, 1), RGB(1, 0, 0x40));
    EXPECT_EQ(GetPixel(target.Dc(), 3, 3), RGB(1, 1, 0x40));
    ASSERT_TRUE(StretchBlt(target.Dc(), 0, 0, 2, 1, source.Dc(), 1, 0, -2, 1, SRCCOPY));
    EXPECT_EQ(GetPixel(target.Dc(), 0, 0), RGB(1, 0, 0x40));
    EXPECT_EQ(GetPixel(target.Dc(), 1, 0), RGB(0, 0, 0x40));
}

TEST(GdiBlit, AlphaOfAPictureSurvivesACopyIntoACompatibleBitmap)
{
    QImage picture(2, 1, QImage::Format_ARGB32);
    picture.setPixel(0, 0, qRgba(10, 20, 30, 128));
    picture.setPixel(1, 0, qRgba(40, 50, 60, 0));
    HBITMAP alpha = CreateBitmapFromImage(picture);
    BITMAP info{};
    ASSERT_EQ(GetObject(alpha, sizeof(BITMAP), &info), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(info.bmBitsPixel, 32);
    EXPECT_EQ(info.bmWidth, 2);
    {
        MemoryDc holder(alpha);
        MemoryDc copy(2, 1);
        ASSERT_TRUE(BitBlt(copy.Dc(), 0, 0, 2, 1, holder.Dc(), 0, 0, SRCCOPY));
        BITMAPINFO header = Header(2, 1, 32);
        std::vector<std::uint8_t> bits(8);
        ASSERT_EQ(GetDIBits(copy.Dc(), copy.Bitmap(), 0, 1, bits.data(), &header, DIB_RGB_COLORS), 1);
        EXPECT_EQ(bits, (std::vector<std::uint8_t>{30, 20, 10, 128, 60, 50, 40, 0}));

        // On the shown surface the fourth byte is never anything but opaque.
        QImage image(2, 1, QImage::Format_RGB32);
        image.fill(Qt::white);
        HDC screen = CreateImageDC(&image);
        BitBlt(screen, 0, 0, 2, 1, holder.Dc(), 0, 0, SRCCOPY);
        EXPECT_EQ(image.pixel(0, 0), qRgb(10, 20, 30));
        EXPECT_EQ(image.pixel(1, 0), qRgb(40, 50, 60));
        DeleteDC(screen);
    }
    EXPECT_TRUE(DeleteObject(alpha));

    QImage plain(1, 1, QImage::Format_RGB32);
    plain.fill(qRgb(1, 2, 3));
    HBITMAP opaque = CreateBitmapFromImage(plain);
    GetObject(opaque, sizeof(BITMAP), &info);
    EXPECT_EQ(info.bmBitsPixel, 24);
    BITMAPINFO header = Header(1, 1, 32);
    std::vector<std::uint8_t> bits(4, 0xEE);
    GetDIBits(nullptr, opaque, 0, 1, bits.data(), &header, DIB_RGB_COLORS);
    EXPECT_EQ(bits, (std::vector<std::uint8_t>{3, 2, 1, 0}));
    EXPECT_EQ(GetBitmapImage(opaque).pixel(0, 0), qRgb(1, 2, 3));
    DeleteObject(opaque);
}

TEST(GdiDib, TwentyFourBitRowsArePaddedToFourBytesAndStoredBottomUp)
{
    EXPECT_EQ(DibStride(5, 24), 16);
    EXPECT_EQ(DibStride(4, 24), 12);
    EXPECT_EQ(DibStride(1, 24), 4);
    EXPECT_EQ(DibStride(5, 32), 20);

    MemoryDc memory(5, 3);
    Pattern(memory.Dc(), 5, 3);
    BITMAPINFO header = Header(5, 3, 24);
    std::vector<std::uint8_t> bits(16 * 3, 0xEE);
    ASSERT_EQ(GetDIBits(memory.Dc(), memory.Bitmap(), 0, 3, bits.data(), &header, DIB_RGB_COLORS), 3);
    // Memory row 0 is the bottom row (y = 2); pixel x sits at 3 * x as blue, green, red.
    EXPECT_EQ(bits[0], 0x40);
    EXPECT_EQ(bits[1], 2);
    EXPECT_EQ(bits[2], 0);
    EXPECT_EQ(bits[12], 0x40);
    EXPECT_EQ(bits[13], 2);
    EXPECT_EQ(bits[14], 4);
    EXPECT_EQ(bits[15], 0) << "padding";
    EXPECT_EQ(bits[16 * 2 + 13], 0) << "the last memory row is the top row";
    EXPECT_EQ(bits[16 * 2 + 14], 4);

    // Round trip onto a surface: the same pixels, no shear.
    QImage image(5, 3, QImage::Format_RGB32);
    image.fill(Qt::white);
    HDC screen = CreateImageDC(&image);
    ASSERT_EQ(SetDIBitsToDevice(screen, 0, 0, 5, 3, 0, 0, 0, 3, bits.data(), &header, DIB_RGB_COLORS), 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(GetPixel(screen, x, y), RGB(x, y, 0x40)) << x << "," << y;
        }
    }
    DeleteDC(screen);
}

TEST(GdiDib, SourceOriginOfABottomUpDibIsItsBottomLeftCorner)
{
    // Three rows in memory order bottom, middle, top: red 1, 2, 3.
    std::vector<std::uint32_t> bits{0x010000, 0x020000, 0x030000};
    BITMAPINFO header = Header(1, 3, 32);
    QImage image(1, 3, QImage::Format_RGB32);
    image.fill(Qt::white);
    HDC screen = CreateImageDC(&image);
    SetDIBitsToDevice(screen, 0, 0, 1, 1, 0, 0, 0, 3, bits.data(), &header, DIB_RGB_COLORS);
    EXPECT_EQ(GetPixel(screen, 0, 0), RGB(1, 0, 0)) << "ySrc 0 is the bottom row";

    ASSERT_EQ(StretchDIBits(screen, 0, 0, 1, 3, 0, 0, 1, 3, bits.data(), &header, DIB_RGB_COLORS, SRCCOPY), 3);
    EXPECT_EQ(GetPixel(screen, 0, 0), RGB(3, 0, 0));
    EXPECT_EQ(GetPixel(screen, 0, 2), RGB(1, 0, 0));

    header.bmiHeader.biHeight = -3; // top-down
    StretchDIBits(screen, 0, 0, 1, 3, 0, 0, 1, 3, bits.data(), &header, DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(GetPixel(screen, 0, 0), RGB(1, 0, 0));
    EXPECT_EQ(GetPixel(screen, 0, 2), RGB(3, 0, 0));

    header.bmiHeader.biBitCount = 16;
    EXPECT_EQ(StretchDIBits(screen, 0, 0, 1, 3, 0, 0, 1, 3, bits.data(), &header, DIB_RGB_COLORS, SRCCOPY), 0);
    DeleteDC(screen);
}

TEST(GdiDib, HeaderQueryAndPartialScanLines)
{
    MemoryDc memory(7, 4);
    BITMAPINFO query{};
    query.bmiHeader.biBitCount = 24;
    ASSERT_EQ(GetDIBits(memory.Dc(), memory.Bitmap(), 0, 4, nullptr, &query, DIB_RGB_COLORS), 4);
    EXPECT_EQ(query.bmiHeader.biWidth, 7);
    EXPECT_EQ(query.bmiHeader.biHeight, 4);
    EXPECT_EQ(query.bmiHeader.biSizeImage, 24u * 4);

    Pattern(memory.Dc(), 7, 4);
    BITMAPINFO header = Header(7, 4, 32);
    std::vector<std::uint32_t> bits(7);
    ASSERT_EQ(GetDIBits(memory.Dc(), memory.Bitmap(), 1, 1, bits.data(), &header, DIB_RGB_COLORS), 1);
    EXPECT_EQ(bits[6] & 0xFFFFFF, 0x060240u) << "scan line 1 from the bottom is row y = 2";
    EXPECT_EQ(GetDIBits(memory.Dc(), memory.Bitmap(), 4, 1, bits.data(), &header, DIB_RGB_COLORS), 0);
}

TEST(GdiGradient, HorizontalAndVerticalFollowTheIntegerFormula)
{
    MemoryDc memory(3, 6);
    TRIVERTEX v[2] = {Vertex(0, 0, RGB(0, 0, 0)), Vertex(3, 1, RGB(255, 30, 0))};
    GRADIENT_RECT mesh{0, 1};
    ASSERT_TRUE(GradientFill(memory.Dc(), v, 2, &mesh, 1, GRADIENT_FILL_RECT_H));
    // (c0 * (3 - pos) + c1 * pos) / 3 / 256 with c1 = 0xFF00: 0, 85, 170; green 0, 10, 20.
    EXPECT_EQ(GetPixel(memory.Dc(), 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(memory.Dc(), 1, 0), RGB(85, 10, 0));
    EXPECT_EQ(GetPixel(memory.Dc(), 2, 0), RGB(170, 20, 0));
    EXPECT_EQ(GetPixel(memory.Dc(), 0, 1), 0u) << "the second vertex's row is outside";

    // The progress bar's vertical band: 6 rows from a light colour towards the bar colour.
    TRIVERTEX band[2] = {Vertex(0, 0, RGB(200, 100, 50)), Vertex(3, 6, RGB(20, 40, 250))};
    ASSERT_TRUE(GradientFill(memory.Dc(), band, 2, &mesh, 1, GRADIENT_FILL_RECT_V));
    EXPECT_EQ(GetPixel(memory.Dc(), 2, 0), RGB(200, 100, 50));
    // Row 3: (200 * 3 + 20 * 3) * 256 / 6 / 256 = 110; (100 * 3 + 40 * 3) / 6 = 70; (50 * 3 + 250 * 3) / 6 = 150.
    EXPECT_EQ(GetPixel(memory.Dc(), 1, 3), RGB(110, 70, 150));
    // Row 5 stops one step short of the second colour: (200 + 20 * 5) / 6 = 50, (100 + 200) / 6 = 50,
    // (50 + 1250) * 256 / 6 / 256 = 216.
    EXPECT_EQ(GetPixel(memory.Dc(), 0, 5), RGB(50, 50, 216));
}

TEST(GdiGradient, VerticesMayComeInEitherOrderAndEmptyRectanglesDrawNothing)
{
    MemoryDc memory(4, 1);
    SetPixel(memory.Dc(), 0, 0, 0x777777);
    TRIVERTEX v[2] = {Vertex(4, 1, RGB(0, 0, 0)), Vertex(0, 0, RGB(255, 0, 0))};
    GRADIENT_RECT mesh{0, 1};
    ASSERT_TRUE(GradientFill(memory.Dc(), v, 2, &mesh, 1, GRADIENT_FILL_RECT_H));
    EXPECT_EQ(GetPixel(memory.Dc(), 0, 0), RGB(255, 0, 0)) << "the colour stays with its vertex";
    EXPECT_EQ(GetPixel(memory.Dc(), 3, 0), RGB(63, 0, 0));

    SetPixel(memory.Dc(), 0, 0, 0x777777);
    TRIVERTEX flat[2] = {Vertex(0, 0, 0xFFFFFF), Vertex(4, 0, 0xFFFFFF)};
    ASSERT_TRUE(GradientFill(memory.Dc(), flat, 2, &mesh, 1, GRADIENT_FILL_RECT_V));
    EXPECT_EQ(GetPixel(memory.Dc(), 0, 0), 0x777777u);

    GRADIENT_RECT bad{0, 2};
    EXPECT_FALSE(GradientFill(memory.Dc(), v, 2, &bad, 1, GRADIENT_FILL_RECT_H));
    EXPECT_FALSE(GradientFill(memory.Dc(), v, 2, &mesh, 1, 2)) << "triangles are not offered";
}

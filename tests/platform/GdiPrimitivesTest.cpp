// Pixel tests of the device-context primitives: lines, fills, frames, pixels, borders, focus rectangles.
#include "Gdi.h"

#include <gtest/gtest.h>

#include <QImage>

using namespace gdi;

namespace {

// An RGB32 surface filled with one colour and a DC over it, released at the end of the test.
class Surface {
public:
    Surface(int width, int height, COLORREF fill = 0xFFFFFF) : mImage(width, height, QImage::Format_RGB32)
    {
        mImage.fill(QColor(GetRValue(fill), GetGValue(fill), GetBValue(fill)));
        mDc = CreateImageDC(&mImage);
    }
    ~Surface() { DeleteDC(mDc); }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    HDC Dc() const { return mDc; }
    COLORREF At(int x, int y) const { return GetPixel(mDc, x, y); }

private:
    QImage mImage;
    HDC mDc;
};

void Line(HDC dc, int x1, int y1, int x2, int y2, COLORREF color)
{
    HPEN pen = CreatePen(PS_SOLID, 1, color);
    HPEN old = SelectObject(dc, pen);
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
    SelectObject(dc, old);
    DeleteObject(pen);
}

} // namespace

TEST(GdiLines, HorizontalVerticalAndDiagonalLeaveTheEndPointOut)
{
    Surface s(10, 10);
    Line(s.Dc(), 1, 1, 5, 1, 0x0000FF);
    for (int x = 1; x < 5; ++x) {
        EXPECT_EQ(s.At(x, 1), 0x0000FFu) << x;
    }
    EXPECT_EQ(s.At(5, 1), 0xFFFFFFu);
    EXPECT_EQ(s.At(0, 1), 0xFFFFFFu);
}

// Pixel tests of the device-context primitives: lines, fills, frames, pixels, borders and focus
// rectangles, each on a fixed RGB32 surface.
#include "Gdi.h"

#include <gtest/gtest.h>

#include <QImage>

#include <set>
#include <utility>

using namespace gdi;

namespace {

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kBack = 0x123456;

// An RGB32 surface filled with one colour and a DC over it.
class Surface {
public:
    Surface(int width, int height, COLORREF fill = kWhite) : mImage(width, height, QImage::Format_RGB32)
    {
        mImage.fill(QColor(GetRValue(fill), GetGValue(fill), GetBValue(fill)));
        mDc = CreateImageDC(&mImage);
    }
    ~Surface() { DeleteDC(mDc); }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    HDC Dc() const { return mDc; }
    COLORREF At(int x, int y) const { return GetPixel(mDc, x, y); }
    const QImage& Image() const { return mImage; }

    // Every pixel whose colour differs from the fill, as (x, y) pairs.
    std::set<std::pair<int, int>> Changed(COLORREF fill = kWhite) const
    {
        std::set<std::pair<int, int>> changed;
        for (int y = 0; y < mImage.height(); ++y) {
            for (int x = 0; x < mImage.width(); ++x) {
                if (At(x, y) != fill) {
                    changed.insert({x, y});
                }
            }
        }
        return changed;
    }

private:
    QImage mImage;
    HDC mDc;
};

void Line(HDC dc, int x1, int y1, int x2, int y2, COLORREF color, int width = 1)
{
    HPEN pen = CreatePen(PS_SOLID, width, color);
    HPEN old = SelectObject(dc, pen);
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void Fill(HDC dc, RECT r, COLORREF color)
{
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

void Frame(HDC dc, RECT r, COLORREF color)
{
    HBRUSH brush = CreateSolidBrush(color);
    FrameRect(dc, &r, brush);
    DeleteObject(brush);
}

using Pixels = std::set<std::pair<int, int>>;

} // namespace

TEST(GdiLines, AxisAndDiagonalLinesStopBeforeTheirEndPoint)
{
    const int before = LiveGdiObjects();
    {
        Surface s(12, 12);
        Line(s.Dc(), 1, 1, 5, 1, 0x0000FF);
        EXPECT_EQ(s.Changed(), (Pixels{{1, 1}, {2, 1}, {3, 1}, {4, 1}}));
    }
    {
        Surface s(12, 12);
        Line(s.Dc(), 3, 9, 3, 5, 0x0000FF); // upwards
        EXPECT_EQ(s.Changed(), (Pixels{{3, 9}, {3, 8}, {3, 7}, {3, 6}}));
    }
    {
        Surface s(12, 12);
        Line(s.Dc(), 2, 2, 6, 6, 0x00FF00);
        EXPECT_EQ(s.Changed(), (Pixels{{2, 2}, {3, 3}, {4, 4}, {5, 5}}));
    }
    {
        Surface s(12, 12);
        Line(s.Dc(), 6, 1, 2, 5, 0x00FF00); // down-left
        EXPECT_EQ(s.Changed(), (Pixels{{6, 1}, {5, 2}, {4, 3}, {3, 4}}));
    }
    {
        Surface s(12, 12);
        Line(s.Dc(), 4, 4, 4, 4, 0x00FF00);
        EXPECT_TRUE(s.Changed().empty()) << "a line of length 0 draws nothing";
    }
    EXPECT_EQ(LiveGdiObjects(), before);
}

TEST(GdiLines, ShallowLinesFollowTheNearestRowAndTheCurrentPositionMoves)
{
    Surface s(12, 12);
    Line(s.Dc(), 0, 0, 4, 1, 0xFF0000);
    // Exact rows 0, 0.25, 0.5, 0.75: the half goes to the smaller row.
    EXPECT_EQ(s.Changed(), (Pixels{{0, 0}, {1, 0}, {2, 0}, {3, 1}}));
    Surface back(12, 12);
    Line(back.Dc(), 4, 1, 0, 0, 0xFF0000);
    EXPECT_EQ(back.Changed(), (Pixels{{4, 1}, {3, 1}, {2, 0}, {1, 0}})) << "the same pixels drawn the other way";
    Surface steep(12, 12);
    Line(steep.Dc(), 5, 8, 3, 2, 0xFF0000);
    EXPECT_EQ(steep.Changed(), (Pixels{{5, 8}, {5, 7}, {4, 6}, {4, 5}, {4, 4}, {3, 3}})); // x = 5 - (8 - y) / 3

    HPEN pen = CreatePen(PS_SOLID, 1, 0x000000);
    HPEN old = SelectObject(s.Dc(), pen);
    MoveToEx(s.Dc(), 0, 10, nullptr);
    LineTo(s.Dc(), 3, 10);
    LineTo(s.Dc(), 3, 7); // continues from (3, 10), which the first line left undrawn
    POINT position;
    MoveToEx(s.Dc(), 0, 0, &position);
    EXPECT_EQ(position.X, 3);
    EXPECT_EQ(position.Y, 7);
    SelectObject(s.Dc(), old);
    DeleteObject(pen);
    EXPECT_EQ(s.At(3, 10), 0u);
    EXPECT_EQ(s.At(3, 8), 0u);
    EXPECT_EQ(s.At(3, 7), kWhite);
}

TEST(GdiLines, NullPenDrawsNothingAndWidePenCoversItsWidth)
{
    Surface s(20, 20);
    HGDIOBJ old = SelectObject(s.Dc(), GetStockObject(NULL_PEN));
    MoveToEx(s.Dc(), 0, 0, nullptr);
    LineTo(s.Dc(), 10, 0);
    SelectObject(s.Dc(), old);
    EXPECT_TRUE(s.Changed().empty());

    Line(s.Dc(), 5, 10, 15, 10, 0x000000, 3);
    EXPECT_EQ(s.At(10, 9), 0u);
    EXPECT_EQ(s.At(10, 10), 0u);
    EXPECT_EQ(s.At(10, 11), 0u);
    EXPECT_EQ(s.At(10, 13), kWhite);
}

TEST(GdiFills, FillRectCoversLeftTopInclusiveRightBottomExclusive)
{
    Surface s(10, 10);
    Fill(s.Dc(), RECT{2, 3, 5, 6}, 0x00FF00);
    Pixels expected;
    for (int y = 3; y < 6; ++y) {
        for (int x = 2; x < 5; ++x) {
            expected.insert({x, y});
        }
    }
    EXPECT_EQ(s.Changed(), expected);

    Surface reversed(10, 10);
    Fill(reversed.Dc(), RECT{5, 6, 2, 3}, 0x00FF00);
    EXPECT_EQ(reversed.Changed(), expected) << "a reversed rectangle fills its normalised form";

    Surface clipped(4, 4);
    Fill(clipped.Dc(), RECT{-5, -5, 2, 100}, 0x00FF00);
    EXPECT_EQ(clipped.At(1, 3), 0x00FF00u);
    EXPECT_EQ(clipped.At(2, 0), kWhite);

    Surface hollow(4, 4);
    RECT all{0, 0, 4, 4};
    FillRect(hollow.Dc(), &all, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
    EXPECT_TRUE(hollow.Changed().empty());
}

TEST(GdiFills, FrameRectIsOnePixelInsideTheRectangle)
{
    Surface s(8, 8);
    Frame(s.Dc(), RECT{1, 1, 5, 4}, 0x0000FF);
    EXPECT_EQ(s.Changed(), (Pixels{{1, 1}, {2, 1}, {3, 1}, {4, 1}, {1, 2}, {4, 2}, {1, 3}, {2, 3}, {3, 3}, {4, 3}}));

    Surface empty(8, 8);
    Frame(empty.Dc(), RECT{3, 3, 3, 6}, 0x0000FF);
    Frame(empty.Dc(), RECT{5, 3, 2, 6}, 0x0000FF);
    EXPECT_TRUE(empty.Changed().empty()) << "empty or reversed rectangles get no frame";

    Surface thin(8, 8);
    Frame(thin.Dc(), RECT{2, 2, 3, 5}, 0x0000FF);
    EXPECT_EQ(thin.Changed(), (Pixels{{2, 2}, {2, 3}, {2, 4}}));

    // A frame one pixel wider and higher than the surface keeps only its top and left sides.
    Surface wide(6, 6);
    Frame(wide.Dc(), RECT{0, 0, 7, 7}, 0x0000FF);
    EXPECT_EQ(wide.At(5, 0), 0x0000FFu);
    EXPECT_EQ(wide.At(0, 5), 0x0000FFu);
    EXPECT_EQ(wide.At(5, 5), kWhite);
}

TEST(GdiFills, RectangleOutlinesWithThePenAndFillsWithTheBrush)
{
    Surface s(8, 8);
    HBRUSH brush = CreateSolidBrush(0x00FF00);
    HBRUSH oldBrush = SelectObject(s.Dc(), brush);
    Rectangle(s.Dc(), 1, 1, 5, 5);
    SelectObject(s.Dc(), oldBrush);
    DeleteObject(brush);
    EXPECT_EQ(s.At(1, 1), 0u);
    EXPECT_EQ(s.At(4, 4), 0u);
    EXPECT_EQ(s.At(2, 2), 0x00FF00u);
    EXPECT_EQ(s.At(3, 3), 0x00FF00u);
    EXPECT_EQ(s.At(5, 5), kWhite);
}

TEST(GdiPixels, SetAndGetPixelInsideAndOutsideTheSurface)
{
    Surface s(3, 3);
    EXPECT_EQ(SetPixel(s.Dc(), 2, 2, 0x010203), 0x010203u);
    EXPECT_EQ(s.At(2, 2), 0x010203u);
    EXPECT_EQ(qAlpha(s.Image().pixel(2, 2)), 255) << "the shown surface stays opaque";
    EXPECT_EQ(s.Image().pixel(2, 2) & 0xFFFFFF, 0x030201u) << "COLORREF red is the low byte";
    EXPECT_EQ(SetPixel(s.Dc(), 3, 0, 0x010203), CLR_INVALID);
    EXPECT_EQ(GetPixel(s.Dc(), -1, 0), CLR_INVALID);
    EXPECT_TRUE(SetPixelV(s.Dc(), 0, 0, 0xABCDEF));
    EXPECT_FALSE(SetPixelV(s.Dc(), 0, 5, 0xABCDEF));
    EXPECT_EQ(s.At(0, 0), 0xABCDEFu);
    EXPECT_EQ(GetPixel(nullptr, 0, 0), CLR_INVALID);
}

namespace {

// Rows of a 10 x 10 border as expected colours, checked pixel by pixel; the inside keeps kBack.
void ExpectRings(const Surface& s, COLORREF outerLight, COLORREF outerDark, COLORREF innerLight, COLORREF innerDark)
{
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            COLORREF expected = kBack;
            if (x == 9 || y == 9) {
                expected = outerDark;
            } else if (x == 0 || y == 0) {
                expected = outerLight;
            } else if (x == 8 || y == 8) {
                expected = innerDark;
            } else if (x == 1 || y == 1) {
                expected = innerLight;
            }
            EXPECT_EQ(s.At(x, y), expected) << "at (" << x << ", " << y << ")";
        }
    }
}

} // namespace

TEST(GdiEdges, RaisedSunkenAndThinRaisedBordersInTheClassicColours)
{
    const COLORREF light = GetSysColor(COLOR_3DLIGHT);
    const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF dark = GetSysColor(COLOR_3DDKSHADOW);
    RECT r{0, 0, 10, 10};
    {
        Surface s(10, 10, kBack);
        DrawEdge(s.Dc(), &r, EDGE_RAISED, BF_RECT);
        ExpectRings(s, light, dark, highlight, shadow);
        EXPECT_EQ(s.At(9, 0), dark) << "the top-right corner belongs to the dark side";
        EXPECT_EQ(s.At(0, 9), dark);
        EXPECT_EQ(s.At(8, 1), shadow);
    }
    {
        Surface s(10, 10, kBack);
        DrawEdge(s.Dc(), &r, EDGE_SUNKEN, BF_RECT);
        ExpectRings(s, shadow, highlight, dark, light);
    }
    {
        Surface s(10, 10, kBack);
        DrawEdge(s.Dc(), &r, BDR_RAISEDINNER, BF_RECT);
        for (int x = 0; x < 9; ++x) {
            EXPECT_EQ(s.At(x, 0), highlight) << x;
            EXPECT_EQ(s.At(0, x), highlight) << x;
        }
        for (int i = 0; i < 10; ++i) {
            EXPECT_EQ(s.At(i, 9), shadow) << i;
            EXPECT_EQ(s.At(9, i), shadow) << i;
        }
        EXPECT_EQ(s.At(1, 1), kBack) << "a single border is one pixel wide";
        EXPECT_EQ(s.At(8, 8), kBack);
    }
    EXPECT_EQ(r.Right, 10) << "without BF_ADJUST the rectangle stays";
}

TEST(GdiEdges, MiddleAdjustAndSingleSides)
{
    Surface s(10, 10, kBack);
    RECT r{0, 0, 10, 10};
    DrawEdge(s.Dc(), &r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
    EXPECT_EQ(r.Left, 2);
    EXPECT_EQ(r.Top, 2);
    EXPECT_EQ(r.Right, 8);
    EXPECT_EQ(r.Bottom, 8);
    EXPECT_EQ(s.At(5, 5), GetSysColor(COLOR_BTNFACE));

    Surface top(10, 10, kBack);
    RECT t{0, 0, 10, 10};
    DrawEdge(top.Dc(), &t, BDR_RAISEDINNER, BF_TOP);
    EXPECT_EQ(top.At(9, 0), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(top.At(0, 1), kBack);
}

TEST(GdiFocus, EveryOtherPixelOfTheRingIsInvertedAndASecondCallRestores)
{
    Surface s(12, 10, kBack);
    RECT r{2, 2, 9, 7};
    DrawFocusRect(s.Dc(), &r);
    const COLORREF inverted = kBack ^ 0xFFFFFF;
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 12; ++x) {
            const bool onRing = x >= 2 && x <= 8 && y >= 2 && y <= 6 && (x == 2 || x == 8 || y == 2 || y == 6);
            const COLORREF expected = onRing && (x + y) % 2 == 0 ? inverted : kBack;
            EXPECT_EQ(s.At(x, y), expected) << "at (" << x << ", " << y << ")";
        }
    }
    DrawFocusRect(s.Dc(), &r);
    EXPECT_TRUE(s.Changed(kBack).empty());

    Surface line(6, 3, kBack);
    RECT one{0, 1, 6, 2};
    DrawFocusRect(line.Dc(), &one);
    EXPECT_EQ(line.Changed(kBack), (Pixels{{1, 1}, {3, 1}, {5, 1}})) << "a one-row ring is inverted once";
}

TEST(GdiFocus, InvertRectFlipsEveryChannel)
{
    Surface s(4, 4, 0x00FF80);
    RECT r{1, 1, 3, 3};
    InvertRect(s.Dc(), &r);
    EXPECT_EQ(s.At(1, 1), 0xFF007Fu);
    EXPECT_EQ(s.At(0, 0), 0x00FF80u);
}

// Regions: rectangles and rounded rectangles pixel by pixel, combinations, masks and window regions.
#include "Gdi.h"

#include <gtest/gtest.h>

#include <QBitmap>
#include <QWidget>

#include <memory>
#include <set>
#include <utility>

using namespace gdi;

namespace {

using Pixels = std::set<std::pair<int, int>>;

// The pixels of the w x h area that lie outside the region.
Pixels Missing(HRGN region, int w, int h)
{
    Pixels missing;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (!PtInRegion(region, x, y)) {
                missing.insert({x, y});
            }
        }
    }
    return missing;
}

} // namespace

TEST(GdiRegion, RectangleRegionsAreHalfOpenAndNormalised)
{
    HRGN r = CreateRectRgn(2, 1, 5, 4);
    EXPECT_TRUE(PtInRegion(r, 2, 1));
    EXPECT_TRUE(PtInRegion(r, 4, 3));
    EXPECT_FALSE(PtInRegion(r, 5, 3));
    EXPECT_FALSE(PtInRegion(r, 4, 4));
    RECT box;
    EXPECT_EQ(GetRgnBox(r, &box), SIMPLEREGION);
    EXPECT_EQ(box.Left, 2);
    EXPECT_EQ(box.Bottom, 4);

    HRGN reversed = CreateRectRgn(5, 4, 2, 1);
    EXPECT_TRUE(EqualRgn(r, reversed));
    HRGN empty = CreateRectRgn(3, 3, 3, 9);
    EXPECT_EQ(GetRgnBox(empty, &box), NULLREGION);
    DeleteObject(r);
    DeleteObject(reversed);
    DeleteObject(empty);
}

TEST(GdiRegion, RoundedThreeByThreeLeavesOutOneCornerPixel)
{
    // The button's call: the window is 10 x 8, the rectangle passed one pixel larger.
    HRGN r = CreateRoundRectRgn(0, 0, 11, 9, 3, 3);
    EXPECT_EQ(Missing(r, 11, 9), (Pixels{{0, 0},  {9, 0},  {0, 7},  {9, 7},  {10, 0}, {10, 1}, {10, 2}, {10, 3},
                                         {10, 4}, {10, 5}, {10, 6}, {10, 7}, {10, 8}, {0, 8},  {1, 8},  {2, 8},
                                         {3, 8},  {4, 8},  {5, 8},  {6, 8},  {7, 8},  {8, 8},  {9, 8}}));
    EXPECT_EQ(GetRgnBox(r, nullptr), RGN_ERROR);
    RECT box;
    EXPECT_EQ(GetRgnBox(r, &box), COMPLEXREGION);
    EXPECT_EQ(box.Right, 10);
    EXPECT_EQ(box.Bottom, 8);
    DeleteObject(r);
}

TEST(GdiRegion, RoundedFourByFourLeavesOutTheCornerAndItsTwoNeighbours)
{
    HRGN r = CreateRoundRectRgn(0, 0, 9, 7, 4, 4);
    const Pixels missing = Missing(r, 8, 6);
    EXPECT_EQ(missing,
              (Pixels{{0, 0}, {1, 0}, {0, 1}, {7, 0}, {6, 0}, {7, 1}, {0, 5}, {1, 5}, {0, 4}, {7, 5}, {6, 5}, {7, 4}}));
    DeleteObject(r);

    HRGN tiny = CreateRoundRectRgn(0, 0, 5, 5, 1, 1);
    EXPECT_EQ(Missing(tiny, 4, 4), Pixels{}) << "ellipses below 2 give the plain rectangle";
    DeleteObject(tiny);

    HRGN offset = CreateRoundRectRgn(3, 2, 9, 8, 3, 3);
    EXPECT_FALSE(PtInRegion(offset, 3, 2));
    EXPECT_TRUE(PtInRegion(offset, 4, 2));
    EXPECT_FALSE(PtInRegion(offset, 7, 6));
    EXPECT_TRUE(PtInRegion(offset, 6, 6));
    DeleteObject(offset);
}

TEST(GdiRegion, CombineModesAndTheirComplexity)
{
    HRGN a = CreateRectRgn(0, 0, 4, 4);
    HRGN b = CreateRectRgn(2, 2, 6, 6);
    HRGN d = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(d, a, b, RGN_AND), SIMPLEREGION);
    EXPECT_EQ(Missing(d, 6, 6).size(), 32u);
    EXPECT_TRUE(PtInRegion(d, 3, 3));
    EXPECT_EQ(CombineRgn(d, a, b, RGN_OR), COMPLEXREGION);
    EXPECT_EQ(Missing(d, 6, 6).size(), 36u - 28u);
    EXPECT_EQ(CombineRgn(d, a, b, RGN_XOR), COMPLEXREGION);
    EXPECT_FALSE(PtInRegion(d, 2, 2));
    EXPECT_TRUE(PtInRegion(d, 1, 1));
    EXPECT_TRUE(PtInRegion(d, 5, 5));
    EXPECT_EQ(CombineRgn(d, a, b, RGN_DIFF), COMPLEXREGION);
    EXPECT_TRUE(PtInRegion(d, 3, 1));
    EXPECT_FALSE(PtInRegion(d, 3, 3));
    EXPECT_EQ(CombineRgn(d, b, nullptr, RGN_COPY), SIMPLEREGION);
    EXPECT_TRUE(EqualRgn(d, b));
    EXPECT_EQ(CombineRgn(d, a, a, RGN_DIFF), NULLREGION);
    EXPECT_EQ(CombineRgn(d, a, b, 9), RGN_ERROR);
    EXPECT_EQ(CombineRgn(d, a, nullptr, RGN_OR), RGN_ERROR);
    // The destination may be a source.
    EXPECT_EQ(CombineRgn(a, a, b, RGN_OR), COMPLEXREGION);
    EXPECT_TRUE(PtInRegion(a, 5, 5));
    DeleteObject(a);
    DeleteObject(b);
    DeleteObject(d);
}

TEST(GdiRegion, CutCornersBuiltByDifferencesLoseThreePixelsEach)
{
    // The progress bar's outline for a 20 x 10 window: 2 x 1 strips and single pixels taken away.
    const int w = 20;
    const int h = 10;
    HRGN outline = CreateRectRgn(0, 0, w, h);
    const RECT cuts[] = {{0, 0, 2, 1}, {0, h - 1, 2, h},     {w - 2, 0, w, 1}, {w - 2, h - 1, w, h},
                         {0, 1, 1, 2}, {0, h - 2, 1, h - 1}, {w - 1, 1, w, 2}, {w - 1, h - 2, w, h - 1}};
    for (const RECT& c : cuts) {
        HRGN cut = CreateRectRgnIndirect(&c);
        EXPECT_EQ(CombineRgn(outline, outline, cut, RGN_DIFF), COMPLEXREGION);
        DeleteObject(cut);
    }
    EXPECT_EQ(
        Missing(outline, w, h),
        (Pixels{{0, 0}, {1, 0}, {0, 1}, {18, 0}, {19, 0}, {19, 1}, {0, 9}, {1, 9}, {0, 8}, {18, 9}, {19, 9}, {19, 8}}));
    DeleteObject(outline);
}

TEST(GdiRegion, MaskHasExactlyTheRegionsPixels)
{
    HRGN r = CreateRoundRectRgn(0, 0, 7, 6, 4, 4);
    const QBitmap mask = RegionToMask(r, QSize(6, 5));
    EXPECT_EQ(QRegion(mask), RegionToQRegion(r));
    const QImage pixels = mask.toImage();
    EXPECT_NE(pixels.pixel(0, 0), pixels.pixel(1, 1));
    EXPECT_EQ(pixels.pixel(1, 1), pixels.pixel(5, 2));
    DeleteObject(r);
    EXPECT_TRUE(RegionToQRegion(nullptr).isEmpty());
}

TEST(GdiRegion, FillRgnPaintsOnlyTheRegion)
{
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::white);
    HDC dc = CreateImageDC(&image);
    HRGN r = CreateRoundRectRgn(0, 0, 5, 5, 3, 3);
    HBRUSH brush = CreateSolidBrush(0x0000FF);
    ASSERT_TRUE(FillRgn(dc, r, brush));
    EXPECT_EQ(GetPixel(dc, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(GetPixel(dc, 1, 0), 0x0000FFu);
    DeleteObject(brush);
    DeleteObject(r);
    DeleteDC(dc);
}

TEST(GdiWindowRegion, TheWindowOwnsItsRegionAndReleasesTheOneItReplaces)
{
    const int before = LiveGdiObjects();
    {
        auto window = std::make_unique<QWidget>();
        window->resize(10, 8);
        HRGN first = CreateRoundRectRgn(0, 0, 11, 9, 3, 3);
        ASSERT_EQ(SetWindowRgn(window.get(), first, TRUE), 1);
        EXPECT_EQ(GetWindowRgnHandle(window.get()), first);
        EXPECT_EQ(window->mask(), RegionToQRegion(first));
        EXPECT_EQ(LiveGdiObjects(), before + 1);

        HRGN second = CreateRectRgn(0, 0, 10, 8);
        ASSERT_EQ(SetWindowRgn(window.get(), second, TRUE), 1);
        EXPECT_EQ(LiveGdiObjects(), before + 1) << "the replaced region is deleted";
        EXPECT_FALSE(DeleteObject(first)) << "the old handle is dead";
        EXPECT_EQ(window->mask(), QRegion(0, 0, 10, 8));

        ASSERT_EQ(SetWindowRgn(window.get(), nullptr, TRUE), 1);
        EXPECT_TRUE(window->mask().isEmpty());
        EXPECT_EQ(LiveGdiObjects(), before);

        HRGN third = CreateRectRgn(0, 0, 5, 5);
        SetWindowRgn(window.get(), third, FALSE);
    }
    EXPECT_EQ(LiveGdiObjects(), before) << "the region goes with its window";
    EXPECT_EQ(SetWindowRgn(nullptr, nullptr, TRUE), 0);
}

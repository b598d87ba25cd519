// Object lifetimes, handle checks, system colours, colour translation and the themed push button.
#include "Gdi.h"

#include <gtest/gtest.h>

#include <QImage>

using namespace gdi;

TEST(GdiObjects, CreatedObjectsAreCountedUntilReleased)
{
    const int before = LiveGdiObjects();
    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    HBRUSH brush = CreateSolidBrush(0);
    LOGFONT lf;
    lf.lfHeight = -12;
    lf.lfFaceName = QStringLiteral("DejaVu Sans");
    HFONT font = CreateFontIndirect(lf);
    HRGN region = CreateRectRgn(0, 0, 1, 1);
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 2, 2);
    EXPECT_EQ(LiveGdiObjects(), before + 6);
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(pen), static_cast<HGDIOBJ>(brush), static_cast<HGDIOBJ>(font),
                           static_cast<HGDIOBJ>(region), static_cast<HGDIOBJ>(bitmap)}) {
        EXPECT_TRUE(DeleteObject(object));
    }
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_EQ(LiveGdiObjects(), before);
    EXPECT_FALSE(DeleteObject(pen)) << "a dead handle is refused, not dereferenced";
    EXPECT_FALSE(DeleteDC(dc));
    EXPECT_EQ(SelectObject(dc, static_cast<HGDIOBJ>(brush)), nullptr);
}

TEST(GdiObjects, SelectedObjectsCannotBeDeletedAndStockObjectsNeverAre)
{
    QImage image(2, 2, QImage::Format_RGB32);
    HDC dc = CreateImageDC(&image);
    HPEN pen = CreatePen(PS_SOLID, 1, 0x0000FF);
    HPEN old = SelectObject(dc, pen);
    EXPECT_EQ(old, GetStockObject(BLACK_PEN)) << "a new DC starts with the black pen";
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), static_cast<HGDIOBJ>(pen));
    EXPECT_FALSE(DeleteObject(pen));
    EXPECT_EQ(SelectObject(dc, old), pen);
    EXPECT_TRUE(DeleteObject(pen));

    HGDIOBJ stock = GetStockObject(WHITE_BRUSH);
    EXPECT_TRUE(DeleteObject(stock));
    RECT r{0, 0, 2, 2};
    EXPECT_EQ(FillRect(dc, &r, static_cast<HBRUSH>(stock)), 1) << "still usable";
    EXPECT_EQ(GetPixel(dc, 1, 1), 0xFFFFFFu);
    EXPECT_EQ(GetStockObject(99), nullptr);
    EXPECT_NE(GetSysColorBrush(COLOR_BTNFACE), nullptr);
    DeleteDC(dc);
}

TEST(GdiObjects, ABitmapLivesInOneMemoryDcAtATime)
{
    const int before = LiveGdiObjects();
    HDC first = CreateCompatibleDC(nullptr);
    HDC second = CreateCompatibleDC(first);
    HBITMAP bitmap = CreateCompatibleBitmap(first, 3, 3);
    HBITMAP original = SelectObject(first, bitmap);
    ASSERT_NE(original, nullptr) << "a memory DC starts with its default bitmap";
    EXPECT_EQ(SelectObject(second, bitmap), nullptr);
    EXPECT_EQ(GetPixel(first, 2, 2), 0u) << "a new bitmap is black";
    EXPECT_EQ(GetPixel(first, 3, 3), CLR_INVALID);
    EXPECT_EQ(GetPixel(second, 1, 0), CLR_INVALID) << "the default bitmap is 1 x 1";

    QImage image(3, 3, QImage::Format_RGB32);
    HDC surface = CreateImageDC(&image);
    EXPECT_EQ(SelectObject(surface, bitmap), nullptr) << "only memory DCs take bitmaps";
    DeleteDC(surface);

    EXPECT_TRUE(DeleteDC(first)) << "deleting the DC releases its selection";
    EXPECT_NE(SelectObject(second, bitmap), nullptr);
    SelectObject(second, original);
    EXPECT_TRUE(DeleteObject(bitmap));
    DeleteDC(second);
    EXPECT_EQ(LiveGdiObjects(), before);
}

TEST(GdiObjects, TheImageDcFollowsItsImageAndKeepsItOpaque)
{
    QImage image(2, 2, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    HDC dc = CreateImageDC(&image);
    EXPECT_EQ(image.format(), QImage::Format_RGB32);
    image = QImage(5, 4, QImage::Format_RGB32);
    image.fill(Qt::black);
    EXPECT_EQ(SetPixel(dc, 4, 3, 0x00FF00), 0x00FF00u) << "the resized image is drawn on";
    EXPECT_EQ(GetDCImage(dc), &image);
    EXPECT_EQ(image.pixel(4, 3), qRgb(0, 255, 0));
    DeleteDC(dc);
    EXPECT_EQ(CreateImageDC(nullptr), nullptr);
}

TEST(GdiObjects, DrawingStateDefaultsAndSetters)
{
    HDC dc = CreateDCA("DISPLAY", "", "", nullptr);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetTextColor(dc), 0u);
    EXPECT_EQ(GetBkColor(dc), 0xFFFFFFu);
    EXPECT_EQ(GetBkMode(dc), OPAQUE);
    EXPECT_EQ(SetTextColor(dc, 0x123456), 0u);
    EXPECT_EQ(GetTextColor(dc), 0x123456u);
    EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
    EXPECT_EQ(SetBkMode(dc, 7), 0);
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    EXPECT_EQ(SetBkColor(dc, 0x00FF00), 0xFFFFFFu);
    DeleteDC(dc);
    EXPECT_EQ(GetTextColor(dc), CLR_INVALID);
}

TEST(GdiObjects, FontsFromQFontsArePixelSizedAtNinetySixDotsPerInch)
{
    QFont tahoma(QStringLiteral("DejaVu Sans"));
    tahoma.setPointSizeF(8.25);
    HFONT font = CreateFontFromQFont(tahoma);
    EXPECT_EQ(GetFontQFont(font).pixelSize(), 11);
    DeleteObject(font);
    QFont nine(QStringLiteral("DejaVu Sans"), 9);
    font = CreateFontFromQFont(nine);
    EXPECT_EQ(GetFontQFont(font).pixelSize(), 12);
    DeleteObject(font);

    LOGFONT lf;
    lf.lfHeight = -15;
    lf.lfWeight = FW_BOLD;
    lf.lfFaceName = QStringLiteral("DejaVu Sans");
    font = CreateFontIndirect(lf);
    EXPECT_EQ(GetFontQFont(font).pixelSize(), 15);
    EXPECT_TRUE(GetFontQFont(font).bold());
    DeleteObject(font);
}

TEST(GdiColors, ClassicSystemColourTable)
{
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), 0xC8D0D4u);
    EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), 0x808080u);
    EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), 0xFFFFFFu);
    EXPECT_EQ(GetSysColor(COLOR_3DDKSHADOW), 0x404040u);
    EXPECT_EQ(GetSysColor(COLOR_3DLIGHT), 0xC8D0D4u);
    EXPECT_EQ(GetSysColor(COLOR_GRAYTEXT), 0x808080u);
    EXPECT_EQ(GetSysColor(COLOR_BTNTEXT), 0x000000u);
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), 0x6A240Au);
    EXPECT_EQ(GetSysColor(COLOR_APPWORKSPACE), 0x808080u);
    EXPECT_EQ(GetSysColor(COLOR_INFOBK), 0xE1FFFFu);
    EXPECT_EQ(GetSysColor(31), 0u);
    EXPECT_EQ(GetSysColor(-1), 0u);
}

TEST(GdiColors, OleTranslateColorMapsSystemColoursAndRejectsBadOnes)
{
    COLORREF c = 0xDEADBEEF;
    EXPECT_EQ(OleTranslateColor(0x8000000F, nullptr, &c), S_OK);
    EXPECT_EQ(c, 0xC8D0D4u);
    EXPECT_EQ(OleTranslateColor(0x80000012, nullptr, &c), S_OK);
    EXPECT_EQ(c, 0u);
    EXPECT_EQ(OleTranslateColor(0x8000000D, nullptr, &c), S_OK);
    EXPECT_EQ(c, 0x6A240Au);
    EXPECT_EQ(OleTranslateColor(0x00FF9933, nullptr, &c), S_OK);
    EXPECT_EQ(c, 0xFF9933u);
    EXPECT_EQ(OleTranslateColor(0x8000001E, nullptr, &c), S_OK) << "index 30 is the last";

    c = 0x11111111;
    EXPECT_EQ(OleTranslateColor(0x8000001F, nullptr, &c), E_INVALIDARG);
    EXPECT_EQ(OleTranslateColor(0x80010005, nullptr, &c), E_INVALIDARG);
    EXPECT_EQ(OleTranslateColor(0x40000000, nullptr, &c), E_INVALIDARG);
    EXPECT_EQ(OleTranslateColor(0xFFFFFFFF, nullptr, &c), E_INVALIDARG);
    EXPECT_EQ(c, 0x11111111u) << "a failure leaves the result alone";

    QImage image(1, 1, QImage::Format_RGB32);
    HDC dc = CreateImageDC(&image);
    EXPECT_EQ(GetNearestColor(dc, 0x00C0C0C0), 0xC0C0C0u);
    EXPECT_EQ(GetNearestColor(dc, 0x00E0E0E1), 0xE0E0E1u);
    DeleteDC(dc);
    EXPECT_EQ(GetNearestColor(nullptr, 0x000001), CLR_INVALID);
}

namespace {

// Forces the themed answer for one test and restores the automatic one afterwards.
class ThemedOverride {
public:
    explicit ThemedOverride(int themed) { SetAppThemedOverride(themed); }
    ~ThemedOverride() { SetAppThemedOverride(-1); }
    ThemedOverride(const ThemedOverride&) = delete;
    ThemedOverride& operator=(const ThemedOverride&) = delete;
};

} // namespace

TEST(GdiTheme, HeadlessRunsAreNotThemed)
{
    EXPECT_FALSE(IsAppThemed());
    EXPECT_EQ(OpenThemeData(nullptr, QStringLiteral("Button")), nullptr);
}

TEST(GdiTheme, ThemedPushButtonDrawsInsideItsClipAndGivesARoundedOutline)
{
    ThemedOverride themed(1);
    const int before = LiveGdiObjects();
    ASSERT_TRUE(IsAppThemed());
    EXPECT_EQ(OpenThemeData(nullptr, QStringLiteral("Edit")), nullptr);
    HTHEME theme = OpenThemeData(nullptr, QStringLiteral("Button"));
    ASSERT_NE(theme, nullptr);

    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(qRgb(1, 2, 3));
    HDC dc = CreateImageDC(&image);
    RECT r{0, 0, 30, 20};
    for (int state = PBS_NORMAL; state <= PBS_DEFAULTED; ++state) {
        EXPECT_EQ(DrawThemeBackground(theme, dc, BP_PUSHBUTTON, state, &r, &r), S_OK) << state;
    }
    EXPECT_EQ(DrawThemeBackground(theme, dc, 7, PBS_NORMAL, &r, &r), E_INVALIDARG);
    int changed = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            const bool inside = x < 30 && y < 20;
            if (image.pixel(x, y) != qRgb(1, 2, 3)) {
                EXPECT_TRUE(inside) << "drawn outside the clip at " << x << ", " << y;
                ++changed;
            }
        }
    }
    EXPECT_GT(changed, 300);

    RECT outline{-1, -1, 31, 22};
    HRGN region = nullptr;
    ASSERT_EQ(GetThemeBackgroundRegion(theme, dc, BP_PUSHBUTTON, PBS_NORMAL, &outline, &region), S_OK);
    EXPECT_FALSE(PtInRegion(region, -1, -1));
    EXPECT_TRUE(PtInRegion(region, 0, -1));
    EXPECT_TRUE(PtInRegion(region, 30, 0));
    EXPECT_FALSE(PtInRegion(region, 30, 21));
    DeleteObject(region);
    DeleteDC(dc);
    EXPECT_EQ(CloseThemeData(theme), S_OK);
    EXPECT_EQ(CloseThemeData(theme), E_HANDLE);
    EXPECT_EQ(LiveGdiObjects(), before);
}

// DrawText measuring, placement, clipping, prefixes and the Marlett symbols. Rendered glyphs are only
// located (bounding boxes, presence of the text colour), never compared pixel for pixel.
#include "Gdi.h"

#include <gtest/gtest.h>

#include <QImage>

#include <set>
#include <utility>

using namespace gdi;

namespace {

constexpr COLORREF kBack = 0xFFFFFF;

// A white surface with a DC that has a fixed 12-pixel font selected.
class TextSurface {
public:
    TextSurface(int width, int height) : mImage(width, height, QImage::Format_RGB32)
    {
        mImage.fill(Qt::white);
        mDc = CreateImageDC(&mImage);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(12);
        mFont = CreateFontFromQFont(font);
        mOld = SelectObject(mDc, mFont);
    }
    ~TextSurface()
    {
        SelectObject(mDc, mOld);
        DeleteObject(mFont);
        DeleteDC(mDc);
    }
    TextSurface(const TextSurface&) = delete;
    TextSurface& operator=(const TextSurface&) = delete;

    HDC Dc() const { return mDc; }

    // Bounding box of the pixels that are no longer white; empty when none changed.
    RECT Ink() const
    {
        RECT box{mImage.width(), mImage.height(), 0, 0};
        for (int y = 0; y < mImage.height(); ++y) {
            for (int x = 0; x < mImage.width(); ++x) {
                if (GetPixel(mDc, x, y) != kBack) {
                    box.Left = std::min<LONG>(box.Left, x);
                    box.Top = std::min<LONG>(box.Top, y);
                    box.Right = std::max<LONG>(box.Right, x + 1);
                    box.Bottom = std::max<LONG>(box.Bottom, y + 1);
                }
            }
        }
        return box.Right == 0 ? RECT{} : box;
    }

    bool Has(COLORREF color) const
    {
        for (int y = 0; y < mImage.height(); ++y) {
            for (int x = 0; x < mImage.width(); ++x) {
                if (GetPixel(mDc, x, y) == color) {
                    return true;
                }
            }
        }
        return false;
    }

private:
    QImage mImage;
    HDC mDc;
    HFONT mFont;
    HFONT mOld;
};

RECT Measure(HDC dc, const QString& text, int width, UINT flags)
{
    RECT r{5, 7, 5 + width, 7};
    DrawText(dc, text, -1, &r, flags | DT_CALCRECT);
    return r;
}

} // namespace

TEST(GdiText, CalcRectGivesTheExtentAndKeepsTheOrigin)
{
    TextSurface s(10, 10);
    SIZE extent{};
    ASSERT_TRUE(GetTextExtentPoint32(s.Dc(), QStringLiteral("Save"), -1, &extent));
    const RECT single = Measure(s.Dc(), QStringLiteral("Save"), 200, DT_SINGLELINE);
    EXPECT_EQ(single.Left, 5);
    EXPECT_EQ(single.Top, 7);
    EXPECT_EQ(single.Right - single.Left, extent.cx);
    EXPECT_EQ(single.Bottom - single.Top, extent.cy);
    EXPECT_GT(extent.cy, 10);
    EXPECT_TRUE(s.Ink().Right == 0) << "measuring draws nothing";

    const RECT empty = Measure(s.Dc(), QString(), 200, DT_WORDBREAK);
    EXPECT_EQ(empty.Bottom, empty.Top);
    EXPECT_EQ(empty.Right, empty.Left);
}

TEST(GdiText, WordBreakGrowsTheHeightAndKeepsLinesInsideTheWidth)
{
    TextSurface s(10, 10);
    const QString text = QStringLiteral("A long caption that has to wrap");
    const RECT wide = Measure(s.Dc(), text, 1000, DT_WORDBREAK);
    const RECT narrow = Measure(s.Dc(), text, 60, DT_WORDBREAK);
    const int line = wide.Bottom - wide.Top;
    EXPECT_GT(narrow.Bottom - narrow.Top, 2 * line);
    EXPECT_EQ((narrow.Bottom - narrow.Top) % line, 0) << "whole lines";
    EXPECT_LE(narrow.Right - narrow.Left, 60);
    EXPECT_LT(narrow.Right - narrow.Left, wide.Right - wide.Left);

    // Chinese text has no spaces and still breaks, between characters.
    const RECT chinese = Measure(s.Dc(), QStringLiteral("车身修复与涂装理论考试练习系统"), 50, DT_WORDBREAK);
    EXPECT_GT(chinese.Bottom - chinese.Top, 2 * line);
    EXPECT_LE(chinese.Right - chinese.Left, 50);

    // Explicit line breaks count even without DT_WORDBREAK; DT_SINGLELINE keeps one line.
    EXPECT_EQ(Measure(s.Dc(), QStringLiteral("one\r\ntwo\nthree"), 1000, 0).Bottom - 7, 3 * line);
    EXPECT_EQ(Measure(s.Dc(), QStringLiteral("one\r\ntwo"), 1000, DT_SINGLELINE).Bottom - 7, line);
}

TEST(GdiText, WordBreakKeepsAWordTooWideForTheRectangleWhole)
{
    // A two-digit number on a button whose caption rectangle is narrower than the number: the word
    // stays on one line and measuring widens the rectangle to it.
    TextSurface s(60, 40);
    SIZE extent{};
    ASSERT_TRUE(GetTextExtentPoint32(s.Dc(), QStringLiteral("10"), -1, &extent));
    const RECT line = Measure(s.Dc(), QStringLiteral("10"), 1000, DT_WORDBREAK);
    const RECT narrow = Measure(s.Dc(), QStringLiteral("10"), extent.cx - 3, DT_WORDBREAK);
    EXPECT_EQ(narrow.Bottom - narrow.Top, line.Bottom - line.Top) << "one line";
    EXPECT_EQ(narrow.Right - narrow.Left, extent.cx);
    // Two such words still go on two lines, each whole.
    const RECT two = Measure(s.Dc(), QStringLiteral("10 11"), extent.cx - 3, DT_WORDBREAK);
    EXPECT_EQ(two.Bottom - two.Top, 2 * (line.Bottom - line.Top));
    EXPECT_EQ(two.Right - two.Left, extent.cx);
}

TEST(GdiText, AmpersandMarksTheAccessKeyUnlessNoPrefix)
{
    TextSurface s(10, 10);
    const int plain = Measure(s.Dc(), QStringLiteral("Save"), 200, DT_SINGLELINE).Right;
    EXPECT_EQ(Measure(s.Dc(), QStringLiteral("&Save"), 200, DT_SINGLELINE).Right, plain);
    EXPECT_GT(Measure(s.Dc(), QStringLiteral("&Save"), 200, DT_SINGLELINE | DT_NOPREFIX).Right, plain);
    EXPECT_EQ(Measure(s.Dc(), QStringLiteral("a&&b"), 200, DT_SINGLELINE).Right,
              Measure(s.Dc(), QStringLiteral("a&b"), 200, DT_SINGLELINE | DT_NOPREFIX).Right);

    // The access key is underlined: the prefixed caption reaches lower than the plain one.
    TextSurface withKey(80, 30);
    TextSurface without(80, 30);
    RECT r{0, 0, 80, 30};
    SetBkMode(withKey.Dc(), TRANSPARENT);
    SetBkMode(without.Dc(), TRANSPARENT);
    DrawText(withKey.Dc(), QStringLiteral("&ace"), -1, &r, DT_SINGLELINE);
    DrawText(without.Dc(), QStringLiteral("ace"), -1, &r, DT_SINGLELINE);
    EXPECT_GT(withKey.Ink().Bottom, without.Ink().Bottom);
    EXPECT_EQ(withKey.Ink().Left, without.Ink().Left);
}

TEST(GdiText, CentredSingleLineTextLandsInTheMiddleInTheTextColour)
{
    TextSurface s(140, 60);
    SetBkMode(s.Dc(), TRANSPARENT);
    SetTextColor(s.Dc(), 0x0000FF);
    RECT r{20, 15, 120, 45};
    const int height = DrawText(s.Dc(), QStringLiteral("Centre"), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    const RECT ink = s.Ink();
    ASSERT_GT(ink.Right, 0);
    EXPECT_GE(ink.Left, r.Left);
    EXPECT_LE(ink.Right, r.Right);
    EXPECT_GE(ink.Top, r.Top);
    EXPECT_LE(ink.Bottom, r.Bottom);
    EXPECT_LE(std::abs((ink.Left - r.Left) - (r.Right - ink.Right)), 3);
    EXPECT_LE(std::abs((ink.Top - r.Top) - (r.Bottom - ink.Bottom)), 5);
    EXPECT_TRUE(s.Has(0x0000FF));
    const RECT measured = Measure(s.Dc(), QStringLiteral("Centre"), 100, DT_SINGLELINE);
    const int line = measured.Bottom - measured.Top;
    EXPECT_EQ(height, (30 - line) / 2 + line) << "the offset to the bottom of the text";
}

TEST(GdiText, WrappedLinesAreCentredEachOnItsOwn)
{
    TextSurface s(120, 80);
    SetBkMode(s.Dc(), TRANSPARENT);
    RECT r{10, 10, 70, 70};
    const int height = DrawText(s.Dc(), QStringLiteral("wide words here"), -1, &r, DT_CENTER | DT_WORDBREAK);
    const RECT ink = s.Ink();
    EXPECT_GE(ink.Left, 10);
    EXPECT_LE(ink.Right, 70);
    EXPECT_GT(ink.Bottom - ink.Top, height / 2) << "more than one line drawn";
    EXPECT_EQ(height, Measure(s.Dc(), QStringLiteral("wide words here"), 60, DT_WORDBREAK).Bottom - 7);
}

TEST(GdiText, TextIsClippedToItsRectangleUnlessNoClip)
{
    TextSurface clipped(100, 30);
    SetBkMode(clipped.Dc(), TRANSPARENT);
    RECT r{10, 0, 30, 30};
    DrawText(clipped.Dc(), QStringLiteral("Much too long"), -1, &r, DT_SINGLELINE);
    EXPECT_LE(clipped.Ink().Right, 30);
    EXPECT_GE(clipped.Ink().Left, 10);

    TextSurface free(100, 30);
    SetBkMode(free.Dc(), TRANSPARENT);
    DrawText(free.Dc(), QStringLiteral("Much too long"), -1, &r, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(free.Ink().Right, 30);
}

TEST(GdiText, OpaqueModeFillsTheTextCellWithTheBackgroundColour)
{
    TextSurface s(60, 30);
    SetBkColor(s.Dc(), 0x00FF00);
    RECT r{5, 5, 60, 30};
    DrawText(s.Dc(), QStringLiteral("ab"), -1, &r, 0);
    EXPECT_EQ(GetPixel(s.Dc(), 5, 5), 0x00FF00u);
    EXPECT_EQ(GetPixel(s.Dc(), 4, 5), kBack);

    TextSurface t(60, 30);
    SetBkMode(t.Dc(), TRANSPARENT);
    DrawText(t.Dc(), QStringLiteral("ab"), -1, &r, 0);
    EXPECT_FALSE(t.Has(0x00FF00));
    EXPECT_EQ(GetPixel(t.Dc(), 5, 5), kBack);
}

TEST(GdiText, MarlettDownArrowIsASevenByFourTriangle)
{
    QImage image(20, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    HDC dc = CreateImageDC(&image);
    LOGFONT lf;
    lf.lfFaceName = QStringLiteral("Marlett");
    lf.lfHeight = 14;
    lf.lfCharSet = SYMBOL_CHARSET;
    HFONT marlett = CreateFontIndirect(lf);
    HFONT old = SelectObject(dc, marlett);
    SetTextColor(dc, 0x000080);
    SetBkMode(dc, TRANSPARENT);
    RECT r{2, 1, 17, 16};
    DrawText(dc, QStringLiteral("65"), 1, &r, DT_WORDBREAK); // one character, as the button draws it
    std::set<std::pair<int, int>> ink;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            const COLORREF c = GetPixel(dc, x, y);
            if (c != kBack) {
                EXPECT_EQ(c, 0x000080u);
                ink.insert({x, y});
            }
        }
    }
    // Cell at (2, 1), 14 pixels: rows 5 to 8 of the cell, 7, 5, 3 and 1 pixels wide, centred.
    std::set<std::pair<int, int>> expected;
    for (int row = 0; row < 4; ++row) {
        for (int x = 3 + row; x <= 9 - row; ++x) {
            expected.insert({2 + x, 1 + 5 + row});
        }
    }
    EXPECT_EQ(ink, expected);

    RECT measure{0, 0, 100, 0};
    DrawText(dc, QStringLiteral("6"), -1, &measure, DT_CALCRECT);
    EXPECT_EQ(measure.Right, 14);
    EXPECT_EQ(measure.Bottom, 14);
    SelectObject(dc, old);
    DeleteObject(marlett);
    DeleteDC(dc);
}

TEST(GdiText, MarlettSymbolsPointTheirWay)
{
    QImage image(14, 14, QImage::Format_RGB32);
    HDC dc = CreateImageDC(&image);
    LOGFONT lf;
    lf.lfFaceName = QStringLiteral("Marlett");
    lf.lfHeight = 14;
    HFONT marlett = CreateFontIndirect(lf);
    HFONT old = SelectObject(dc, marlett);
    SetBkMode(dc, TRANSPARENT);
    const auto widthOfRows = [&](const QString& symbol) {
        image.fill(Qt::white);
        RECT r{0, 0, 14, 14};
        DrawText(dc, symbol, -1, &r, 0);
        std::vector<int> widths;
        for (int y = 0; y < 14; ++y) {
            int n = 0;
            for (int x = 0; x < 14; ++x) {
                n += GetPixel(dc, x, y) != kBack ? 1 : 0;
            }
            if (n > 0) {
                widths.push_back(n);
            }
        }
        return widths;
    };
    EXPECT_EQ(widthOfRows(QStringLiteral("5")), (std::vector<int>{1, 3, 5, 7}));
    EXPECT_EQ(widthOfRows(QStringLiteral("u")), (std::vector<int>{5, 3, 1}));
    EXPECT_EQ(widthOfRows(QStringLiteral("4")).size(), 7u);
    EXPECT_TRUE(widthOfRows(QStringLiteral("z")).empty());
    SelectObject(dc, old);
    DeleteObject(marlett);
    DeleteDC(dc);
}

// Pixels of the classic styles (0, 1, 11, 12: the platform's three-dimensional borders) and of
// style 2 (gradient face, schemes, hot and focus borders). Captions are empty.
#include "QuButtonTestSupport.h"

#include <Gdi.h>

#include <gtest/gtest.h>

using namespace qkmbuttontest;
using QuButtonColors::ShiftColor;

namespace {

std::int32_t Sys(int index)
{
    return static_cast<std::int32_t>(gdi::GetSysColor(index));
}

const QString Checked = QStringLiteral("            Mode = 1\n            Value = True\n");

} // namespace

TEST(QuButtonClassic, Style12NumberButtonLooks)
{
    // The exam screen's question numbers: white, flat, a thin border on hover.
    OneButton number(12, 20, 0xFFFFFF);
    const QImage flat = number.Draw(0);
    EXPECT_EQ(Pixel(flat, 0, 0), 0xFFFFFF);
    EXPECT_EQ(Pixel(flat, 79, 19), 0xFFFFFF);
    const QImage hot = number.Draw(1);
    EXPECT_EQ(Pixel(hot, 79, 10), Sys(gdi::COLOR_BTNSHADOW));
    EXPECT_EQ(Pixel(hot, 40, 19), Sys(gdi::COLOR_BTNSHADOW));
    EXPECT_EQ(Pixel(hot, 0, 10), 0xFFFFFF);
    const QImage down = number.Draw(2);
    EXPECT_EQ(Pixel(down, 0, 10), Sys(gdi::COLOR_GRAYTEXT));
    EXPECT_EQ(Pixel(down, 40, 0), Sys(gdi::COLOR_GRAYTEXT));
    EXPECT_EQ(Pixel(down, 79, 10), 0xFFFFFF); // the grey frame's right side falls outside
    EXPECT_EQ(Pixel(down, 40, 19), 0xFFFFFF);

    OneButton checked(12, 20, 0xFFFFFF, Checked);
    const QImage plain = checked.Draw(0);
    EXPECT_EQ(Pixel(plain, 0, 0), 0xFFFFFF);
    EXPECT_EQ(Pixel(plain, 79, 19), 0xFFFFFF); // no border

    // A red number (a wrong answer) stays flat red at rest.
    OneButton wrong(12, 20, 0x0000FF);
    EXPECT_EQ(Pixel(wrong.Draw(0), 1, 1), 0x0000FF);
}

TEST(QuButtonClassic, Style0FocusDefaultFrameAndDown)
{
    OneButton host(0, 24, static_cast<int>(0x8000000F));
    QuButton& b = host.Button();
    b.SetShowFocusRect(true);
    QuButtonTestAccess::SetHasFocus(b, true);
    QuButtonTestAccess::SetParentActive(b, false);
    const QImage inactive = host.Draw(0);
    EXPECT_EQ(Pixel(inactive, 40, 0), 0x000000);                      // default frame, outer line
    EXPECT_EQ(Pixel(inactive, 78, 10), Sys(gdi::COLOR_APPWORKSPACE)); // its inner right side
    EXPECT_EQ(Pixel(inactive, 4, 4), Sys(gdi::COLOR_BTNFACE));        // no focus rectangle

    QuButtonTestAccess::SetParentActive(b, true);
    const QImage active = host.Draw(0);
    EXPECT_EQ(Pixel(active, 4, 4), Sys(gdi::COLOR_BTNFACE) ^ 0xFFFFFF); // dotted: (4, 4) inverted
    EXPECT_EQ(Pixel(active, 5, 4), Sys(gdi::COLOR_BTNFACE));

    const QImage down = host.Draw(2);
    EXPECT_EQ(Pixel(down, 40, 0), 0x000000);
    EXPECT_EQ(Pixel(down, 78, 10), 0x99A8AC); // the down frame, not the default frame
    EXPECT_EQ(Pixel(down, 4, 4), Sys(gdi::COLOR_BTNFACE) ^ 0xFFFFFF);
}

// The dotted focus rectangle sits 4 pixels in for styles 0 and 11 and 3 for 1 and 12, only at run
// time and on the active form; a default button without the focus gets it too, and only style 0
// adds the default frame, also in a designer and on an inactive form.
TEST(QuButtonClassic, FocusRectangleAndDefaultFrameByStyleFormAndMode)
{
    const std::int32_t face = Sys(gdi::COLOR_BTNFACE);
    for (const int style : {0, 1, 11, 12}) {
        SCOPED_TRACE(style);
        OneButton host(style, 24, static_cast<int>(0x8000000F));
        QuButton& b = host.Button();
        b.SetShowFocusRect(true);
        QuButtonTestAccess::SetDisplayAsDefault(b, true);
        QuButtonTestAccess::SetParentActive(b, true);
        const int inset = (style == 0 || style == 11) ? 4 : 3;
        const QImage active = host.Draw(0);
        EXPECT_EQ(Pixel(active, inset, inset), face ^ 0xFFFFFF);
        EXPECT_EQ(Pixel(active, inset + 1, inset), face);
        EXPECT_EQ(Pixel(active, 79 - inset, 12 + (79 - inset + 12) % 2), face ^ 0xFFFFFF);
        EXPECT_EQ(Pixel(active, 40, 0) == 0x000000, style == 0); // the default frame's outer line
        EXPECT_EQ(Pixel(active, 78, 12) == Sys(gdi::COLOR_APPWORKSPACE), style == 0);

        QuButtonTestAccess::SetParentActive(b, false);
        const QImage inactive = host.Draw(0);
        EXPECT_EQ(Pixel(inactive, inset, inset), face);
        EXPECT_EQ(Pixel(inactive, 40, 0) == 0x000000, style == 0);

        QuButtonTestAccess::SetParentActive(b, true);
        b.SetDesignMode(true);
        const QImage designed = host.Draw(0);
        EXPECT_EQ(Pixel(designed, inset, inset), face);
        EXPECT_EQ(Pixel(designed, 40, 0) == 0x000000, style == 0);
        b.SetDesignMode(false);

        // Without the focus and not the default: neither.
        QuButtonTestAccess::SetDisplayAsDefault(b, false);
        const QImage plain = host.Draw(0);
        EXPECT_EQ(Pixel(plain, inset, inset), face);
        EXPECT_NE(Pixel(plain, 40, 0), 0x000000);
    }
}

TEST(QuButtonClassic, CheckedStyle0ShowsWorkspaceFocusFrame)
{
    OneButton host(0, 24, static_cast<int>(0x8000000F), Checked);
    QuButton& b = host.Button();
    b.SetShowFocusRect(true);
    QuButtonTestAccess::SetHasFocus(b, true);
    QuButtonTestAccess::SetParentActive(b, true);
    const QImage face = host.Draw(0);
    EXPECT_EQ(Pixel(face, 4, 4), Sys(gdi::COLOR_APPWORKSPACE));
    EXPECT_EQ(Pixel(face, 76, 10), Sys(gdi::COLOR_APPWORKSPACE)); // right side at w - 4
    EXPECT_EQ(Pixel(face, 0, 10), Sys(gdi::COLOR_BTNSHADOW));     // sunken edge
    EXPECT_EQ(Pixel(face, 40, 10), ShiftColor(Sys(gdi::COLOR_BTNFACE), 0.02f));
}

TEST(QuButtonClassic, DisabledFlatStylesDrawNoBorderAndNoFill)
{
    OneButton host(11, 24, 0x00FF00, QStringLiteral("            Enabled = False\n"));
    const QImage face = host.Draw(1);
    // Only the cleared surface: the control's own back colour, not the button's.
    EXPECT_EQ(Pixel(face, 0, 0), Sys(gdi::COLOR_BTNFACE));
    EXPECT_EQ(Pixel(face, 40, 12), Sys(gdi::COLOR_BTNFACE));
}

TEST(QuButtonStyle2, SchemesFramesAndCorners)
{
    OneButton blue(2, 25, 0xE7EBEC, QString(), 0);
    const QImage b0 = blue.Draw(0);
    EXPECT_EQ(Pixel(b0, 40, 0), 0x743C00);
    EXPECT_EQ(Pixel(b0, 1, 1), 0xC1894D);

    OneButton green(2, 25, 0xDBEEF3, QString(), 1);
    const QImage g = green.Draw(0);
    EXPECT_EQ(Pixel(g, 40, 0), 0x066237);
    EXPECT_EQ(Pixel(g, 78, 23), 0x53AF84);

    // Scheme 2 splits the face at round(h / 2): 12 for h = 25 and for h = 23.
    for (const int h : {25, 23}) {
        OneButton halves(2, h, 0xFCF1F0, QString(), 2);
        const QImage face = halves.Draw(0);
        EXPECT_EQ(Pixel(face, 40, 12), ShiftColor(0xFCF1F0, -0.01f)) << h;
        EXPECT_EQ(Pixel(face, 40, 11), Entry(ShiftColor(0xFCF1F0, 0.22f), 0xFCF1F0, 11, 11)) << h;
    }

    // A scheme outside 0..3 paints no face, no frame and no corners.
    OneButton none(2, 25, 0xFCF1F0, QString(), 9);
    const QImage bare = none.Draw(0);
    EXPECT_EQ(Pixel(bare, 40, 12), Sys(gdi::COLOR_BTNFACE));
    EXPECT_EQ(Pixel(bare, 40, 0), Sys(gdi::COLOR_BTNFACE));
    EXPECT_EQ(Pixel(bare, 1, 1), Sys(gdi::COLOR_BTNFACE));
}

TEST(QuButtonStyle2, HotBorderWinsOverFocusBorder)
{
    OneButton host(2, 25, 0xE7EBEC, QString(), 0);
    QuButton& b = host.Button();
    QuButtonTestAccess::SetHasFocus(b, true);
    QuButtonTestAccess::SetParentActive(b, true);
    const QImage focused = host.Draw(0);
    EXPECT_EQ(Pixel(focused, 40, 1), 0xFFE7CE);
    EXPECT_EQ(Pixel(focused, 40, 23), 0xEE8269);
    const QImage hot = host.Draw(1);
    EXPECT_EQ(Pixel(hot, 40, 1), 0xCFF0FF);
    EXPECT_EQ(Pixel(hot, 40, 23), 0x0097E5);
}

TEST(QuButtonStyle10, MainMenuLoginButtonLooks)
{
    OneButton login(10, 33);
    const QImage normal = login.Draw(0);
    EXPECT_EQ(Pixel(normal, 40, 5), 0xF7912B);
    EXPECT_EQ(Pixel(normal, 40, 0), 0xAB4500);
    EXPECT_EQ(Pixel(normal, 40, 1), Entry(0xFFE6B3, 0xFF9933, 4, 1));
    EXPECT_EQ(Pixel(normal, 40, 4), 0xFF9933);
    EXPECT_EQ(Pixel(normal, 40, 6), 0xF28C26);
    EXPECT_EQ(Pixel(normal, 1, 1), 0xA33D00);
    const QImage hot = login.Draw(1);
    EXPECT_EQ(Pixel(hot, 40, 0), 0xB85200);
    EXPECT_EQ(Pixel(hot, 40, 1), Entry(0xFFF2BF, 0xFF9933, 4, 1));
    const QImage down = login.Draw(2);
    EXPECT_EQ(Pixel(down, 40, 6), 0xEB851F);
    EXPECT_EQ(Pixel(down, 40, 0), 0xA33D00);

    OneButton disabled(10, 33, 0xFF9933, QStringLiteral("            Enabled = False\n"));
    const QImage grey = disabled.Draw(0);
    EXPECT_EQ(Pixel(grey, 40, 5), 0xFF9933);
    EXPECT_EQ(Pixel(grey, 40, 0), 0xCC6600);
    EXPECT_EQ(Pixel(grey, 1, 1), 0xC45E00);
}

// The login buttons' style 10 at h = 33, every look down a whole column: frame, upper band in
// rows 0-4, fill in row 5, the lower band from row 6 over h - 1 rows so that row 31 is only 25/31
// of the way, and the corner pixels; a state outside 0-2 leaves only the corners.
TEST(QuButtonStyle10, EveryLookDownTheWholeColumn)
{
    using QuButtonColors::AverageColors;
    constexpr std::int32_t B = 0xFF9933;
    const std::int32_t light = AverageColors(B, 0xFFFFFF);
    struct Look {
        int State;
        bool Enabled;
        std::int32_t Fill, Upper1, Lower1, Lower2, Frame, Corner;
    };
    const Look looks[] = {
        {0, true, 0xF7912B, 0xFFE6B3, 0xF28C26, AverageColors(0xFFFFFF, ShiftColor(B, 0.1f)), 0xAB4500, 0xA33D00},
        {1, true, 0xF7912B, 0xFFF2BF, 0xF28C26, AverageColors(0xFFFFFF, ShiftColor(B, 0.2f)), 0xB85200, 0xA33D00},
        {2, true, 0xF7912B, ShiftColor(light, 0.1f), 0xEB851F, AverageColors(0xFFFFFF, ShiftColor(B, 0.05f)), 0xA33D00,
         0xA33D00},
        {1, false, B, ShiftColor(light, 0.05f), ShiftColor(B, -0.02f), AverageColors(0xFFFFFF, ShiftColor(B, 0.08f)),
         0xCC6600, 0xC45E00},
    };
    for (const Look& look : looks) {
        SCOPED_TRACE(testing::Message() << "state " << look.State << (look.Enabled ? "" : " disabled"));
        OneButton login(10, 33, B, look.Enabled ? QString() : QStringLiteral("            Enabled = False\n"));
        const QImage face = login.Draw(look.State);
        for (int y = 1; y <= 31; ++y) {
            std::int32_t expected = look.Fill;
            if (y <= 4) {
                expected = Entry(look.Upper1, B, 4, y);
            } else if (y >= 6) {
                expected = Entry(look.Lower1, look.Lower2, 31, y - 6);
            }
            EXPECT_EQ(Pixel(face, 40, y), expected) << y;
        }
        for (const QPoint p : {QPoint(40, 0), QPoint(40, 32), QPoint(0, 16), QPoint(79, 16)}) {
            EXPECT_EQ(Pixel(face, p.x(), p.y()), look.Frame) << p.x() << "," << p.y();
        }
        for (const QPoint p : {QPoint(1, 1), QPoint(1, 31), QPoint(78, 1), QPoint(78, 31)}) {
            EXPECT_EQ(Pixel(face, p.x(), p.y()), look.Corner) << p.x() << "," << p.y();
        }
    }
    OneButton odd(10, 33, B);
    const QImage corners = odd.Draw(3);
    EXPECT_EQ(Pixel(corners, 1, 1), 0xA33D00);
    EXPECT_EQ(Pixel(corners, 40, 0), Sys(gdi::COLOR_BTNFACE));
    EXPECT_EQ(Pixel(corners, 40, 16), Sys(gdi::COLOR_BTNFACE));
}

TEST(QuButtonStyle4, SchemeColoursWhileHotOrChecked)
{
    OneButton plain(4, 24, 0x00FF00, QString(), 0);
    const QImage hot = plain.Draw(1);
    EXPECT_EQ(Pixel(hot, 40, 12), 0xF6DAC9);
    EXPECT_EQ(Pixel(hot, 40, 0), 0xC56A31);
    const QImage rest = plain.Draw(0);
    EXPECT_EQ(Pixel(rest, 40, 0), 0x00FF00); // no frame at rest

    OneButton checked(4, 24, 0x00FF00, Checked, 1);
    QuButtonTestAccess::SetMouseOver(checked.Button(), false);
    EXPECT_EQ(Pixel(checked.Draw(0), 40, 12), 0xADC9C7);
    QuButtonTestAccess::SetMouseOver(checked.Button(), true);
    const QImage over = checked.Draw(1);
    EXPECT_EQ(Pixel(over, 40, 12), 0xB7D3D1);
    EXPECT_EQ(Pixel(over, 40, 0), 0x70A093);

    OneButton odd(4, 24, 0x00FF00, QString(), 7);
    const QImage dark = odd.Draw(1);
    EXPECT_EQ(Pixel(dark, 40, 12), 0x080808);
    EXPECT_EQ(Pixel(dark, 40, 0), 0x000000);
}

TEST(QuButtonStyle6And9, CaptionColourAndHotLook)
{
    OneButton six(6, 24, 0x00FF00, QStringLiteral("            ForeColor = &H000000FF&\n"));
    six.Draw(0);
    EXPECT_EQ(six.Button().ForeColor(), Sys(gdi::COLOR_BTNTEXT));
    six.Draw(2);
    EXPECT_EQ(six.Button().ForeColor(), 0xFFFFFF);

    OneButton nine(9, 24, 0xE1D6D5);
    EXPECT_EQ(nine.Draw(0), nine.Draw(1)); // the hot look equals the normal look
    const QImage down = nine.Draw(2);
    EXPECT_EQ(Pixel(down, 40, 11), Entry(0xFFFFFF, ShiftColor(0xE1D6D5, -0.1f), 11, 11));
}

TEST(QuButtonStyle5And7, SplitRowsAndFrames)
{
    // Style 5 at h = 25: upper gradient 12 rows, the lower from row 12.
    OneButton five(5, 25, 0xFCE1CA, QString(), 0);
    const QImage normal = five.Draw(0);
    EXPECT_EQ(Pixel(normal, 40, 11), 0xFCE1CA);
    EXPECT_EQ(Pixel(normal, 40, 12), 0xFCE1CA);
    EXPECT_EQ(Pixel(normal, 40, 13), Entry(0xFCE1CA, ShiftColor(0xFCE1CA, -0.15f), 13, 1));
    // The lower one is 14 rows high: its last row falls below the edge.
    EXPECT_EQ(Pixel(normal, 40, 24), Entry(0xFCE1CA, ShiftColor(0xFCE1CA, -0.15f), 13, 12));
    EXPECT_EQ(Pixel(normal, 40, 0), Entry(QuButtonColors::AverageColors(0xFFFFFF, ShiftColor(0xFCE1CA, 0.08f)),
                                          0xFCE1CA, 11, 0)); // no frame at rest
    EXPECT_EQ(Pixel(five.Draw(1), 40, 0), 0x800000);

    OneButton option(5, 25, 0xFCE1CA, QStringLiteral("            Mode = 2\n            Value = True\n"), 0);
    QuButtonTestAccess::SetMouseOver(option.Button(), false);
    EXPECT_EQ(Pixel(option.Draw(0), 40, 1), Entry(0x8CD5FF, 0x55ADFF, 24, 1));
    QuButtonTestAccess::SetMouseOver(option.Button(), true);
    EXPECT_EQ(Pixel(option.Draw(1), 40, 1), Entry(0x4E91FE, 0x8ED3FF, 24, 1));

    // Style 7 hot: the solid lower part starts at round(h / 1.7): 10 for h = 17, 12 for h = 20.
    for (const int h : {17, 20}) {
        OneButton seven(7, h, 0x00FF00);
        const QImage hot = seven.Draw(1);
        const int from = h == 17 ? 10 : 12;
        EXPECT_EQ(Pixel(hot, 40, from), 0xF8ECD0) << h;
        EXPECT_EQ(Pixel(hot, 40, from - 1), Entry(0xFDF9F1, 0xF8ECD0, h - 3, from - 2)) << h;
        EXPECT_EQ(Pixel(hot, 40, 0), 0xCA9E61);
        EXPECT_EQ(Pixel(hot, 40, 1), 0xFFFFFF);
    }
    OneButton disabled(7, 20, 0x00FF00, QStringLiteral("            Enabled = False\n"));
    const QImage flat = disabled.Draw(1);
    EXPECT_EQ(Pixel(flat, 40, 0), 0x00FF00);
    EXPECT_EQ(Pixel(flat, 1, 1), 0x00FF00);
}

TEST(QuButtonTheme, ThemedButtonUsesThePlatformRegion)
{
    gdi::SetAppThemedOverride(1);
    {
        OneButton themed(13, 23, 0x00FF00);
        const QImage face = themed.Draw(0);
        EXPECT_EQ(themed.Button().ButtonStyle(), 13);
        const QRegion mask = themed.Button().hWnd()->mask();
        EXPECT_FALSE(mask.isEmpty());
        EXPECT_NE(Pixel(face, 40, 11), 0x00FF00); // the platform's face, not the back colour
    }
    gdi::SetAppThemedOverride(-1);
}

// Style 13 hands the platform's push button the theme state of the button: 4 whenever disabled,
// 5 for a focused or default button at rest on the active form, else 1, 2, 3 by state. The
// window region comes from the client rectangle widened by 1 on three sides and 2 at the bottom.
TEST(QuButtonTheme, ThemeStateFollowsTheButtonAndTheRegionTheWiderRectangle)
{
    gdi::SetAppThemedOverride(1);
    {
        OneButton themed(13, 23, 0x00FF00);
        QuButton& b = themed.Button();
        // The platform's face of each theme state on the button face colour.
        QImage reference[6];
        const gdi::HTHEME theme = gdi::OpenThemeData(b.hWnd(), QStringLiteral("Button"));
        ASSERT_NE(theme, nullptr);
        for (int state = gdi::PBS_NORMAL; state <= gdi::PBS_DEFAULTED; ++state) {
            reference[state] = QImage(80, 23, QImage::Format_RGB32);
            reference[state].fill(QColor(gdi::GetRValue(gdi::GetSysColor(gdi::COLOR_BTNFACE)),
                                         gdi::GetGValue(gdi::GetSysColor(gdi::COLOR_BTNFACE)),
                                         gdi::GetBValue(gdi::GetSysColor(gdi::COLOR_BTNFACE))));
            gdi::HDC dc = gdi::CreateImageDC(&reference[state]);
            const gdi::RECT r{0, 0, 80, 23};
            gdi::DrawThemeBackground(theme, dc, gdi::BP_PUSHBUTTON, state, &r, &r);
            gdi::DeleteDC(dc);
        }
        gdi::CloseThemeData(theme);
        EXPECT_NE(reference[gdi::PBS_NORMAL], reference[gdi::PBS_HOT]);
        EXPECT_NE(reference[gdi::PBS_NORMAL], reference[gdi::PBS_PRESSED]);
        EXPECT_NE(reference[gdi::PBS_NORMAL], reference[gdi::PBS_DISABLED]);
        EXPECT_NE(reference[gdi::PBS_NORMAL], reference[gdi::PBS_DEFAULTED]);

        struct Case {
            int State;
            bool Focus, Default, Active, Enabled;
            int Theme;
        };
        const Case cases[] = {
            {0, false, false, true, true, gdi::PBS_NORMAL},   {1, false, false, true, true, gdi::PBS_HOT},
            {2, false, false, true, true, gdi::PBS_PRESSED},  {0, true, false, true, true, gdi::PBS_DEFAULTED},
            {0, false, true, true, true, gdi::PBS_DEFAULTED}, {0, true, false, false, true, gdi::PBS_NORMAL},
            {1, true, true, true, true, gdi::PBS_HOT},        {2, true, false, true, true, gdi::PBS_PRESSED},
            {0, true, true, true, false, gdi::PBS_DISABLED},  {1, false, false, true, false, gdi::PBS_DISABLED},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "state " << c.State << " focus " << c.Focus << " default " << c.Default
                                            << " active " << c.Active << " enabled " << c.Enabled);
            QuButtonTestAccess::SetHasFocus(b, c.Focus);
            QuButtonTestAccess::SetDisplayAsDefault(b, c.Default);
            QuButtonTestAccess::SetParentActive(b, c.Active);
            b.SetEnabled(c.Enabled);
            EXPECT_EQ(themed.Draw(c.State), reference[c.Theme]);
        }
        EXPECT_EQ(b.ButtonStyle(), 13);
        const QRegion mask = b.hWnd()->mask();
        EXPECT_FALSE(mask.contains(QPoint(-1, -1))); // the outline's own corner, outside the window
        EXPECT_TRUE(mask.contains(QPoint(0, 0)));
        EXPECT_TRUE(mask.contains(QPoint(79, 22)));
    }
    gdi::SetAppThemedOverride(-1);
}

// The segmented progress bar: bar ends, gaps, busy blocks, border and cut corners on pixels of the
// control's surface; the text by where it lies; value clamping; persisted properties.
#include "QuXPProgress.h"

#include <DesignData.h>
#include <Form.h>
#include <Gdi.h>
#include <PropertyBag.h>
#include <Runtime.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QWindow>
#include <gtest/gtest.h>

#include <climits>
#include <memory>

namespace {

constexpr gdi::COLORREF Highlight = 0x6A240A; // the system highlight colour of the fixed scheme
constexpr gdi::COLORREF BarColor = 0xEE4709;  // the main menu's bar
constexpr QRgb White = 0xFFFFFFFF;

QRgb Rgb(gdi::COLORREF c)
{
    return qRgb(gdi::GetRValue(c), gdi::GetGValue(c), gdi::GetBValue(c));
}

// A form holding one progress bar of width x height pixels, loaded (not shown).
class XPForm : public Form {
public:
    XPForm(int width, int height, const QString& bag = QString()) : Form(QStringLiteral("FrmXPProgressTest"))
    {
        const QString text =
            QStringLiteral("Form FrmXPProgressTest\n"
                           "    ClientWidth = 9000\n"
                           "    ClientHeight = 3000\n"
                           "    Begin QuXPProgress QuXPProgWait\n"
                           "        Left = 0\n"
                           "        Top = 120\n"
                           "        Width = %1\n"
                           "        Height = %2\n"
                           "%3"
                           "    End\n"
                           "End\n")
                .arg(width * 15)
                .arg(height * 15)
                .arg(bag.isEmpty() ? QString()
                                   : QStringLiteral("        Bag\n") + bag + QStringLiteral("        End\n"));
        SetDesign(ParseDesign(text, QStringLiteral("xpprogress.form")));
        Load();
    }
    ~XPForm() override
    {
        Unload();
        QCoreApplication::processEvents();
        ResetProgramEnded();
    }
    QuXPProgress& Bar() { return Control<QuXPProgress>(QStringLiteral("QuXPProgWait")); }
};

bool WaitExposed(QWidget* window)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 5000) {
        if (window->windowHandle() != nullptr && window->windowHandle()->isExposed()) {
            return true;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return false;
}

// The bar on its surface after the last drawing.
const QImage& Surface(QuXPProgress& bar)
{
    return static_cast<const QuXPProgress&>(bar).Image();
}

// Columns of `row` whose pixel is not white, as runs "a-b".
std::string ColouredRuns(const QImage& image, int row)
{
    std::string runs;
    for (int x = 0; x < image.width();) {
        if (image.pixel(x, row) == White) {
            ++x;
            continue;
        }
        const int start = x;
        while (x < image.width() && image.pixel(x, row) != White) {
            ++x;
        }
        runs += (runs.empty() ? "" : " ") + std::to_string(start) + "-" + std::to_string(x - 1);
    }
    return runs;
}

TEST(QuXPProgressBar, EndsOnWholeTenPixelStepsWithGapsBetweenBlocks)
{
    XPForm form(361, 17);
    QuXPProgress& bar = form.Bar();
    bar.SetColor(static_cast<std::int32_t>(BarColor));
    bar.SetValue(50);
    // 361 x 0.5 = 180.5 rounds to 180 (ties to even), already a whole step.
    EXPECT_EQ(bar.BarRect().Right, 180);
    const QImage& image = Surface(bar);
    // Row 8 is the middle fill alone (bands above and below); the border takes columns 0-1 and 359-360.
    std::string expected = "0-9";
    for (int x = 12; x < 180; x += 10) {
        expected += " " + std::to_string(x) + "-" + std::to_string(x + 7);
    }
    expected += " 359-360";
    EXPECT_EQ(ColouredRuns(image, 8), expected);
    EXPECT_EQ(image.pixel(5, 8), Rgb(BarColor));
    EXPECT_EQ(image.pixel(179, 8), Rgb(BarColor));
    // The gaps run from top to bottom inside the border; the one at 180-181 lies just past the bar.
    for (int y = 3; y <= 13; ++y) {
        for (int x : {10, 11, 20, 21, 170, 171, 180, 181, 182, 300}) {
            EXPECT_EQ(image.pixel(x, y), White) << x << "," << y;
        }
    }

    bar.SetValue(37);
    EXPECT_EQ(bar.BarRect().Right, 130); // 133.57 -> 134, down to 130
}

TEST(QuXPProgressBar, LengthIsRoundedDownToWholeSteps)
{
    XPForm form(100, 17);
    QuXPProgress& bar = form.Bar();
    bar.SetValue(37);
    EXPECT_EQ(bar.BarRect().Right, 30);
    EXPECT_EQ(ColouredRuns(Surface(bar), 8), "0-9 12-19 22-29 98-99");
    bar.SetValue(39); // 39 -> 30 as well: the bar never runs ahead of the value
    EXPECT_EQ(bar.BarRect().Right, 30);
    bar.SetValue(40);
    EXPECT_EQ(bar.BarRect().Right, 40);
}

TEST(QuXPProgressBar, ValueIsClampedBetweenMinAndMax)
{
    XPForm form(100, 17);
    QuXPProgress& bar = form.Bar();
    bar.SetValue(-20);
    EXPECT_EQ(bar.Fraction(), 0.);
    EXPECT_EQ(bar.BarRect().Right, 0);
    // Nothing inside the border: every coloured pixel is a border pixel.
    const QImage& empty = Surface(bar);
    for (int y = 3; y < 14; ++y) {
        EXPECT_EQ(ColouredRuns(empty, y), "0-1 98-99") << y;
    }
    bar.SetValue(1000);
    EXPECT_EQ(bar.Fraction(), 1.);
    EXPECT_EQ(bar.BarRect().Right, 100);
    EXPECT_EQ(Surface(bar).pixel(95, 8), Rgb(Highlight));

    // Max equal to Min is no division fault: above Min full, otherwise empty.
    bar.SetMin(50);
    bar.SetMax(50);
    bar.SetValue(50);
    EXPECT_EQ(bar.BarRect().Right, 0);
    bar.SetValue(51);
    EXPECT_EQ(bar.BarRect().Right, 100);
    // Value x Max beyond 32 bits still draws.
    bar.SetMin(0);
    bar.SetMax(2000000000);
    bar.SetShowText(true);
    bar.SetValue(2000000000);
    EXPECT_EQ(bar.BarRect().Right, 100);
}

TEST(QuXPProgressBar, SettingMaxOrMinAloneDoesNotRedraw)
{
    XPForm form(100, 17);
    QuXPProgress& bar = form.Bar();
    bar.SetValue(50);
    const QImage before = Surface(bar).copy();
    bar.SetMax(200);
    bar.SetMin(10);
    EXPECT_EQ(Surface(bar), before);
    bar.SetValue(50);
    EXPECT_EQ(bar.BarRect().Right, 20); // (50 - 10) / 190 of 100 = 21.05 -> 21 -> 20
    EXPECT_NE(Surface(bar), before);
}

TEST(QuXPProgressBar, ContinuousBarIsTheSegmentedOneWithoutGaps)
{
    XPForm form(100, 17);
    QuXPProgress& bar = form.Bar();
    bar.SetValue(37);
    const QImage segmented = Surface(bar).copy();
    bar.SetScrolling(1);
    bar.SetValue(37);
    const QImage& continuous = Surface(bar);
    EXPECT_EQ(ColouredRuns(continuous, 8), "0-29 98-99");
    for (int y = 0; y < 17; ++y) {
        for (int x = 0; x < 100; ++x) {
            const bool gap = (x == 10 || x == 11 || x == 20 || x == 21 || x == 30 || x == 31) && y > 2 && y < 15;
            if (!gap) {
                ASSERT_EQ(continuous.pixel(x, y), segmented.pixel(x, y)) << x << "," << y;
            }
        }
    }
}

TEST(QuXPProgressBar, BandsFadeFromTheLightenedColourAtTheOuterEdges)
{
    XPForm form(100, 17);
    QuXPProgress& bar = form.Bar();
    bar.SetColor(static_cast<std::int32_t>(BarColor));
    bar.SetScrolling(1);
    bar.SetValue(100);
    const auto light = static_cast<gdi::COLORREF>(QuXPProgress::LightenColor(static_cast<std::int32_t>(BarColor), 150));
    EXPECT_EQ(light, gdi::RGB(9 * 105 / 255 + 150, 71 * 105 / 255 + 150, 238 * 105 / 255 + 150));
    const QImage& image = Surface(bar);
    EXPECT_EQ(image.pixel(50, 3), Rgb(light)); // top band starts light (rows 1-2 are the border)
    EXPECT_EQ(image.pixel(50, 8), Rgb(BarColor));
    EXPECT_EQ(image.pixel(50, 9), Rgb(BarColor)); // bottom band starts with the bar colour
    // Each band steps from one colour toward the other over its six rows.
    const QColor top(image.pixel(50, 5));
    EXPECT_LT(top.red(), qRed(Rgb(light)));
    EXPECT_GT(top.red(), qRed(Rgb(BarColor)));
}

TEST(QuXPProgressBar, VerticalBarGrowsUpFromTheBottom)
{
    XPForm form(20, 100);
    QuXPProgress& bar = form.Bar();
    bar.SetOrientation(1);
    bar.SetValue(50);
    // 1 - 0.5 - 0.02 = 0.48 of 100 -> 48; the length 52 is cut to 50 whole steps.
    EXPECT_EQ(bar.BarRect().Top, 50);
    EXPECT_EQ(bar.BarRect().Bottom, 100);
    const QImage& image = Surface(bar);
    std::string column;
    for (int y = 0; y < 100; ++y) {
        column += image.pixel(9, y) == White ? '.' : '#';
    }
    // Border at rows 0-2 and 98-99 (the lowest gap lies under it); gaps every 10 rows up to row 58.
    EXPECT_EQ(column, "###" + std::string(47, '.') + "########..########..########..########..########" + "##");
}

TEST(QuXPProgressBar, VerticalBandsAndBusyBlocksFadeTowardTheSides)
{
    XPForm form(20, 100);
    QuXPProgress& bar = form.Bar();
    bar.SetColor(static_cast<std::int32_t>(BarColor));
    bar.SetOrientation(1);
    bar.SetScrolling(1);
    bar.SetValue(100);
    EXPECT_EQ(bar.BarRect().Top, 0); // -0.02 of the height rounds to -2, back up to a whole step
    const auto light =
        Rgb(static_cast<gdi::COLORREF>(QuXPProgress::LightenColor(static_cast<std::int32_t>(BarColor), 150)));
    const QImage& full = Surface(bar);
    // Left band x 2-7 light at the outer edge, middle 7-11, right band 12-17 from the colour outward.
    EXPECT_EQ(full.pixel(2, 50), light);
    EXPECT_GT(qRed(full.pixel(3, 50)), qRed(full.pixel(6, 50)));
    for (int x = 7; x <= 12; ++x) {
        EXPECT_EQ(full.pixel(x, 50), Rgb(BarColor)) << x;
    }
    EXPECT_LT(qRed(full.pixel(13, 50)), qRed(full.pixel(17, 50)));

    // Busy: no bar, three 10-row blocks 12 rows apart from the value's position downward.
    bar.SetScrolling(2);
    bar.SetValue(50);
    EXPECT_EQ(bar.BarRect().Top, 50);
    const QImage& busy = Surface(bar);
    const auto middle = [](int i) {
        return Rgb(
            static_cast<gdi::COLORREF>(QuXPProgress::LightenColor(static_cast<std::int32_t>(BarColor), 200 - 40 * i)));
    };
    std::string column;
    for (int y = 3; y < 98; ++y) {
        const QRgb p = busy.pixel(10, y);
        column += p == White ? '.' : p == middle(0) ? '0' : p == middle(1) ? '1' : p == middle(2) ? '2' : '?';
    }
    EXPECT_EQ(column, std::string(47, '.') + std::string(10, '0') + ".." + std::string(10, '1') + ".." +
                          std::string(10, '2') + std::string(14, '.'));
    EXPECT_EQ(busy.pixel(2, 50),
              Rgb(static_cast<gdi::COLORREF>(QuXPProgress::LightenColor(static_cast<std::int32_t>(BarColor), 220))));
}

// Sizes down to nothing and values at the ends of the 32-bit range: no fault, nothing leaked, and the
// bar never leaves the control sideways.
TEST(QuXPProgressBar, DegenerateSizesAndValuesDrawWithoutFaultOrLeak)
{
    for (auto [width, height] :
         {std::pair{0, 0}, {1, 1}, {2, 2}, {3, 3}, {0, 17}, {100, 0}, {1, 100}, {12, 12}, {361, 17}}) {
        XPForm form(width, height);
        QuXPProgress& bar = form.Bar();
        bar.SetShowText(true);
        const int live = gdi::LiveGdiObjects();
        for (int orientation : {0, 1}) {
            for (int scrolling : {0, 1, 2}) {
                bar.SetOrientation(orientation);
                bar.SetScrolling(scrolling);
                for (auto [min, max] : {std::pair{0, 100}, {INT_MAX, INT_MIN}, {5, 5}, {INT_MIN, INT_MAX}}) {
                    bar.SetMin(min);
                    bar.SetMax(max);
                    for (int value : {INT_MIN, -1, 0, 5, 50, 100, INT_MAX}) {
                        bar.SetValue(value);
                        EXPECT_GE(bar.Fraction(), orientation == 0 ? 0. : -0.02);
                        EXPECT_LE(bar.Fraction(), 1.);
                        if (orientation == 0) {
                            EXPECT_GE(bar.BarRect().Right, 0);
                            EXPECT_LE(bar.BarRect().Right, width);
                        } else {
                            EXPECT_LE(bar.BarRect().Top, bar.BarRect().Bottom);
                        }
                    }
                }
            }
        }
        EXPECT_EQ(gdi::LiveGdiObjects(), live) << width << "x" << height;
        form.Show();
        bar.Refresh();
        QCoreApplication::processEvents();
    }

    // Min above Max simply counts the other way: (30 - 100) / (0 - 100) = 0.7.
    XPForm form(100, 17);
    form.Bar().SetMin(100);
    form.Bar().SetMax(0);
    form.Bar().SetValue(30);
    EXPECT_EQ(form.Bar().BarRect().Right, 70);
}

TEST(QuXPProgressBar, BusyShowsThreeFadingBlocksAfterTheValue)
{
    XPForm form(361, 17);
    QuXPProgress& bar = form.Bar();
    bar.SetColor(static_cast<std::int32_t>(BarColor));
    bar.SetScrolling(2);
    bar.SetValue(50);
    const QImage& image = Surface(bar);
    EXPECT_EQ(ColouredRuns(image, 8), "0-1 180-189 192-201 204-213 359-360");
    const auto block = [](int i) {
        return Rgb(
            static_cast<gdi::COLORREF>(QuXPProgress::LightenColor(static_cast<std::int32_t>(BarColor), 200 - 40 * i)));
    };
    EXPECT_EQ(image.pixel(185, 8), block(0));
    EXPECT_EQ(image.pixel(197, 8), block(1));
    EXPECT_EQ(image.pixel(209, 8), block(2));
    EXPECT_GT(qGray(block(0)), qGray(block(1)));
    EXPECT_GT(qGray(block(1)), qGray(block(2)));
}

TEST(QuXPProgressBar, BorderAndCutCorners)
{
    XPForm form(361, 17);
    QuXPProgress& bar = form.Bar();
    form.Show();
    ASSERT_TRUE(WaitExposed(form.hWnd()));
    bar.Refresh(); // the full drawing and the window region come with Paint
    const QImage& image = Surface(bar);
    const int r = 360;
    const int b = 16;
    for (auto [x, y] : {std::pair{1, 1}, {r - 1, 1}, {1, b - 1}, {r - 1, b - 1}, {0, 0}, {r, b}, {100, 0}, {0, 8}}) {
        EXPECT_EQ(image.pixel(x, y), Rgb(0x686868)) << x << "," << y;
    }
    EXPECT_EQ(image.pixel(100, 1), Rgb(0xBEBEBE));
    EXPECT_EQ(image.pixel(r, 8), Rgb(0x686868));
    EXPECT_EQ(image.pixel(r - 1, 8), Rgb(0xEFEFEF));
    EXPECT_EQ(image.pixel(100, 2), Rgb(0xEFEFEF));
    EXPECT_EQ(image.pixel(100, b - 1), Rgb(0xEFEFEF));

    // Three pixels gone at every corner of the window, and only those.
    gdi::HRGN region = gdi::GetWindowRgnHandle(bar.hWnd());
    ASSERT_NE(region, nullptr);
    int missing = 0;
    for (int y = 0; y <= b; ++y) {
        for (int x = 0; x <= r; ++x) {
            missing += gdi::PtInRegion(region, x, y) ? 0 : 1;
        }
    }
    EXPECT_EQ(missing, 12);
    for (auto [x, y] : {std::pair{0, 0},
                        {1, 0},
                        {0, 1},
                        {r, 0},
                        {r - 1, 0},
                        {r, 1},
                        {0, b},
                        {1, b},
                        {0, b - 1},
                        {r, b},
                        {r - 1, b},
                        {r, b - 1}}) {
        EXPECT_FALSE(gdi::PtInRegion(region, x, y)) << x << "," << y;
    }
    EXPECT_TRUE(gdi::PtInRegion(region, 1, 1));
    EXPECT_TRUE(gdi::PtInRegion(region, 2, 0));
}

// Bounding box of the pixels where two images differ.
QRect Difference(const QImage& a, const QImage& b)
{
    QRect box;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y)) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

// Inside the border (which is drawn after the text and may cover its highest and lowest pixels).
QImage Interior(const QImage& image)
{
    return image.copy(2, 3, image.width() - 4, image.height() - 5);
}

// What DrawText of text centred in the client rectangle adds to image, with the control's font.
QImage WithText(const QImage& image, const QString& text)
{
    QImage copy = image.copy();
    gdi::HDC dc = gdi::CreateImageDC(&copy);
    gdi::HFONT font = gdi::CreateFontFromQFont(QFont(QStringLiteral("Tahoma"), 8));
    gdi::HFONT old = gdi::SelectObject(dc, font);
    gdi::SetBkMode(dc, gdi::TRANSPARENT);
    gdi::SetTextColor(dc, 0);
    gdi::RECT rect{0, 0, copy.width(), copy.height()};
    gdi::DrawText(dc, text, -1, &rect, gdi::DT_CENTER | gdi::DT_VCENTER | gdi::DT_SINGLELINE);
    gdi::SelectObject(dc, old);
    gdi::DeleteObject(font);
    gdi::DeleteDC(dc);
    return copy;
}

TEST(QuXPProgressText, ShowsTheValueNotTheFraction)
{
    XPForm form(361, 17);
    QuXPProgress& bar = form.Bar();
    bar.SetMax(100);
    bar.SetMin(1);
    bar.SetValue(37);
    EXPECT_EQ(bar.BarRect().Right, 130); // (37 - 1) / 99 of 361 = 131.3
    const QImage plain = Surface(bar).copy();
    bar.SetShowText(true);
    const QImage& shown = Surface(bar);
    const QRect text = Difference(plain, shown);
    ASSERT_FALSE(text.isEmpty());
    // Centred in the control, inside the border.
    EXPECT_LE(std::abs(text.center().x() - 180), 2);
    EXPECT_GE(text.top(), 2);
    EXPECT_LE(text.bottom(), 14);
    // It is "37 %" drawn over the bar: the same as drawing that text onto the bar without text.
    EXPECT_EQ(Interior(shown), Interior(WithText(plain, QStringLiteral("37 %"))));
    EXPECT_NE(Interior(shown), Interior(WithText(plain, QStringLiteral("36 %"))));

    // A host's timer that counts on past Max (or a value below Min) keeps its value, but the text stays
    // within the range.
    const struct {
        int Value;
        const char* Text;
    } outside[] = {{271, "100 %"}, {-5, "1 %"}};
    for (const auto& c : outside) {
        bar.SetShowText(false);
        bar.SetValue(c.Value);
        const QImage bare = Surface(bar).copy();
        bar.SetShowText(true);
        EXPECT_EQ(bar.Value(), c.Value);
        EXPECT_EQ(Interior(Surface(bar)), Interior(WithText(bare, QString::fromLatin1(c.Text)))) << c.Value;
    }
}

TEST(QuXPProgressText, BusyTextWhateverTheValue)
{
    XPForm form(361, 17);
    QuXPProgress& bar = form.Bar();
    bar.SetScrolling(2);
    bar.SetValue(80);
    const QImage plain = Surface(bar).copy();
    bar.SetShowText(true);
    EXPECT_EQ(Interior(Surface(bar)), Interior(WithText(plain, QStringLiteral("正在生成试卷，请稍候..."))));
}

TEST(QuXPProgressProperties, DefaultsAndRoundTripThroughTheBag)
{
    std::unique_ptr<XPForm> form = std::make_unique<XPForm>(100, 17);
    QuXPProgress& fresh = form->Bar();
    EXPECT_EQ(fresh.Max(), 100);
    EXPECT_EQ(fresh.Min(), 0);
    EXPECT_EQ(fresh.Value(), 0);
    EXPECT_FALSE(fresh.ShowText());
    EXPECT_EQ(fresh.Color(), static_cast<std::int32_t>(Highlight)); // stored translated
    // Only the colour differs from its default (the translated colour is not the system colour).
    PropertyBag defaults = fresh.SaveProperties();
    ASSERT_EQ(defaults.Entries().size(), 1U);
    EXPECT_EQ(defaults.Entries()[0].Name, QStringLiteral("Color"));
    EXPECT_EQ(defaults.Entries()[0].Value.toInt(), static_cast<int>(Highlight));

    fresh.SetColor(static_cast<std::int32_t>(0x80000002)); // active caption, through GetSysColor
    EXPECT_EQ(fresh.Color(), static_cast<std::int32_t>(gdi::GetSysColor(2)));
    fresh.SetColor(static_cast<std::int32_t>(BarColor));
    fresh.SetMax(200);
    fresh.SetMin(1);
    fresh.SetOrientation(1);
    fresh.SetScrolling(2);
    fresh.SetShowText(true);
    fresh.SetValue(37);
    const PropertyBag bag = fresh.SaveProperties();
    QStringList names;
    for (const auto& entry : bag.Entries()) {
        names << entry.Name;
    }
    EXPECT_EQ(names.join(u','), QStringLiteral("Color,Max,Min,Orientation,Scrolling,ShowText,Value"));
    form.reset();

    XPForm stored(100, 17,
                  QStringLiteral("            Color = &H00EE4709&\n            Max = 200\n            Min = 1\n"
                                 "            Orientation = 1\n            Scrolling = 2\n"
                                 "            ShowText = True\n            Value = 37\n"));
    QuXPProgress& read = stored.Bar();
    EXPECT_EQ(read.Color(), static_cast<std::int32_t>(BarColor));
    EXPECT_EQ(read.Max(), 200);
    EXPECT_EQ(read.Min(), 1);
    EXPECT_EQ(read.Orientation(), 1);
    EXPECT_EQ(read.Scrolling(), 2);
    EXPECT_TRUE(read.ShowText());
    EXPECT_EQ(read.Value(), 37);
    const PropertyBag again = read.SaveProperties();
    ASSERT_EQ(again.Entries().size(), bag.Entries().size());
    for (std::size_t i = 0; i < bag.Entries().size(); ++i) {
        EXPECT_EQ(again.Entries()[i].Name, bag.Entries()[i].Name);
        EXPECT_TRUE(PropertyBag::SameValue(again.Entries()[i].Value, bag.Entries()[i].Value)) << i;
    }
}

TEST(QuXPProgressBuffer, GrowsWithTheControlAndLeaksNothing)
{
    XPForm form(100, 17);
    QuXPProgress& bar = form.Bar();
    bar.SetValue(100);
    const int live = gdi::LiveGdiObjects();
    for (int value = 0; value <= 100; value += 5) {
        bar.SetShowText(value % 10 == 0);
        bar.SetValue(value);
    }
    EXPECT_EQ(gdi::LiveGdiObjects(), live);

    bar.SetWidth(250 * 15);
    bar.SetValue(100);
    EXPECT_EQ(bar.BarRect().Right, 250);
    EXPECT_EQ(Surface(bar).width(), 250);
    EXPECT_EQ(Surface(bar).pixel(245, 8), Rgb(Highlight));
    bar.SetWidth(80 * 15);
    bar.SetValue(100);
    EXPECT_EQ(bar.BarRect().Right, 80);
    EXPECT_EQ(Surface(bar).pixel(75, 8), Rgb(Highlight));
}

// Renders the bar in several states into one picture beside the test executable, for a person.
TEST(QuXPProgressPicture, RendersStatesToPng)
{
    struct State {
        int Scrolling, Orientation, Value, Min;
        bool Text;
        gdi::COLORREF Color;
    };
    const State states[] = {
        {0, 0, 0, 1, true, BarColor},   {0, 0, 37, 1, true, BarColor}, {0, 0, 100, 1, true, BarColor},
        {1, 0, 63, 0, false, 0xA85E33}, {2, 0, 45, 0, true, 0xEE4709}, {0, 0, 50, 0, false, Highlight},
    };
    QImage sheet(435, 30 * 6 + 10, QImage::Format_RGB32);
    sheet.fill(QColor(0xF0, 0xF5, 0xFD));
    QPainter painter(&sheet);
    int y = 5;
    for (const State& s : states) {
        XPForm form(361, s.Scrolling == 1 ? 25 : 17);
        QuXPProgress& bar = form.Bar();
        bar.SetColor(static_cast<std::int32_t>(s.Color));
        bar.SetScrolling(s.Scrolling);
        bar.SetOrientation(s.Orientation);
        bar.SetMin(s.Min);
        bar.SetShowText(s.Text);
        bar.SetValue(s.Value);
        painter.drawImage(5, y, Surface(bar));
        y += 30;
    }
    XPForm tall(20, 170);
    tall.Bar().SetOrientation(1);
    tall.Bar().SetValue(60);
    painter.drawImage(380, 10, Surface(tall.Bar()));
    XPForm tallBusy(20, 170);
    tallBusy.Bar().SetOrientation(1);
    tallBusy.Bar().SetScrolling(2);
    tallBusy.Bar().SetValue(40);
    painter.drawImage(405, 10, Surface(tallBusy.Bar()));
    painter.end();
    sheet = sheet.scaled(sheet.size() * 2);
    const QString path = QCoreApplication::applicationDirPath() + QStringLiteral("/QuXPProgress.png");
    ASSERT_TRUE(sheet.save(path));
}

} // namespace
